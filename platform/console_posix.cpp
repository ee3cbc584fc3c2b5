// The console on POSIX: signals and isatty.
#include <atomic>
#include <csignal>

#include <unistd.h>

#include "platform/console.h"

namespace plat {

namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int) { gInterrupted.store(true); }

}  // namespace

void InstallInterruptFlag() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

bool InterruptRequested() { return gInterrupted.load(); }
void ClearInterrupt() { gInterrupted.store(false); }

bool StderrIsConsole() { return ::isatty(STDERR_FILENO) == 1; }
bool StdinIsConsole() { return ::isatty(STDIN_FILENO) == 1; }

void UseUtf8Console() {}

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace plat
