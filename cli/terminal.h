// Terminal helpers of the command-line tool: Ctrl+C as a cancel request, a
// progress bar on standard error, UTF-8 output of UTF-16 texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// Ctrl+C sets a flag instead of ending the process; the job polls it.
void InstallInterruptHandler();
bool InterruptRequested();
void ClearInterrupt();

bool StderrIsTerminal();
bool StdinIsTerminal();

// How progress is shown on standard error: a redrawn bar (the default
// when standard error is a terminal), one machine-readable line per step,
// or not at all (the default otherwise, and with --quiet).
enum class ProgressStyle { None, Bar, Plain };

// Set once from the command line. `quiet` also drops informational lines.
void SetOutputOptions(ProgressStyle style, bool quiet);
ProgressStyle CurrentProgressStyle();
bool ProgressWanted();  // style is not None

// One progress step in the chosen style: the bar "[#####     ]  42%  detail",
// or "progress frames_done=N frames_total=M timecode=HH:MM:SS:FF" when the
// count moved since the last line.
void ReportProgress(uint32_t done, uint32_t total, std::u16string_view timecode, std::u16string_view detail);

// Redraws one progress line on standard error: "[#####     ]  42%  detail".
void DrawProgress(int percent, std::u16string_view detail);
void EndProgress();

void PrintOut(std::u16string_view text);  // standard output, UTF-8, newline added
void PrintErr(std::u16string_view text);  // standard error, UTF-8, newline added
void PrintInfo(std::u16string_view text); // standard error unless --quiet

// The refusals and failures told on standard error so far (PrintErr texts
// and usage errors, one per line): the message of a --json result.
void NoteErrorText(std::u16string_view text);
const std::u16string& ErrorsPrinted();

}  // namespace cli
