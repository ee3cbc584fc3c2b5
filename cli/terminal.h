// Terminal helpers of the command-line tool: Ctrl+C as a cancel request, a
// progress bar on standard error, UTF-8 output of UTF-16 texts.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Ctrl+C sets a flag instead of ending the process; the job polls it.
void InstallInterruptHandler();
bool InterruptRequested();
void ClearInterrupt();

bool StderrIsTerminal();
bool StdinIsTerminal();

// Redraws one progress line on standard error: "[#####     ]  42%  detail".
void DrawProgress(int percent, std::u16string_view detail);
void EndProgress();

void PrintOut(std::u16string_view text);  // standard output, UTF-8, newline added
void PrintErr(std::u16string_view text);  // standard error, UTF-8, newline added

}  // namespace cli
