#include "cli/terminal.h"

#include <csignal>
#include <cstdio>

#include <unistd.h>

#include "platform/text.h"

namespace cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
bool g_progressShown = false;

void OnInterrupt(int) { g_interrupted = 1; }

}  // namespace

void InstallInterruptHandler() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

bool InterruptRequested() { return g_interrupted != 0; }
void ClearInterrupt() { g_interrupted = 0; }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }
bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

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

void PrintErr(std::u16string_view text) {
  EndProgress();
  std::string s = plat::Utf16ToUtf8(text);
  std::fwrite(s.data(), 1, s.size(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace cli
