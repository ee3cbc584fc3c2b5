#include "cli/terminal.h"

#include <cstdio>

#include "platform/console.h"
#include "platform/text.h"

namespace cli {

namespace {

bool g_progressShown = false;
ProgressStyle g_style = ProgressStyle::None;
bool g_quiet = false;
int64_t g_lastPlainDone = -1;

}  // namespace

void InstallInterruptHandler() { plat::InstallInterruptFlag(); }
bool InterruptRequested() { return plat::InterruptRequested(); }
void ClearInterrupt() { plat::ClearInterrupt(); }

bool StderrIsTerminal() { return plat::StderrIsConsole(); }
bool StdinIsTerminal() { return plat::StdinIsConsole(); }

void SetOutputOptions(ProgressStyle style, bool quiet) {
  g_style = style;
  g_quiet = quiet;
}

ProgressStyle CurrentProgressStyle() { return g_style; }
bool ProgressWanted() { return g_style != ProgressStyle::None; }

void ReportProgress(uint32_t done, uint32_t total, std::u16string_view timecode, std::u16string_view detail) {
  if (g_style == ProgressStyle::Bar) {
    const int percent = total > 0 ? static_cast<int>(static_cast<uint64_t>(done) * 100 / total) : 0;
    DrawProgress(percent, detail);
  } else if (g_style == ProgressStyle::Plain && static_cast<int64_t>(done) != g_lastPlainDone) {
    g_lastPlainDone = done;
    std::fprintf(stderr, "progress frames_done=%u frames_total=%u timecode=%s\n", done, total,
                 plat::Utf16ToUtf8(timecode).c_str());
    std::fflush(stderr);
  }
}

void DrawProgress(int percent, std::u16string_view detail) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), ' ');
  std::fprintf(stderr, "\r[%s] %3d%%  %s\033[K", bar.c_str(), percent, plat::Utf16ToUtf8(detail).c_str());
  std::fflush(stderr);
  g_progressShown = true;
}

void EndProgress() {
  if (g_progressShown) {
    std::fputc('\n', stderr);
    g_progressShown = false;
  }
}

void PrintOut(std::u16string_view text) {
  std::string s = plat::Utf16ToUtf8(text);
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fputc('\n', stdout);
}

namespace {

std::u16string g_errorsPrinted;  // every PrintErr text of this run, for --json

void WriteErrLine(std::u16string_view text) {
  EndProgress();
  std::string s = plat::Utf16ToUtf8(text);
  std::fwrite(s.data(), 1, s.size(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace

void PrintInfo(std::u16string_view text) {
  if (!g_quiet) WriteErrLine(text);
}

void PrintErr(std::u16string_view text) {
  WriteErrLine(text);
  NoteErrorText(text);
}

void NoteErrorText(std::u16string_view text) {
  if (!g_errorsPrinted.empty()) g_errorsPrinted += u'\n';
  g_errorsPrinted += text;
}

const std::u16string& ErrorsPrinted() { return g_errorsPrinted; }

}  // namespace cli
