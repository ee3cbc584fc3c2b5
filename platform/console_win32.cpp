// The console on Windows: a console control handler, console modes, the
// wide command line.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>

#include "platform/console.h"
#include "platform/text.h"

namespace plat {

namespace {

std::atomic<bool> gInterrupted{false};

// Runs on a thread of its own: only the flag is touched.
BOOL WINAPI OnControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  gInterrupted.store(true);
  return TRUE;
}

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

}  // namespace

void InstallInterruptFlag() { ::SetConsoleCtrlHandler(OnControl, TRUE); }

bool InterruptRequested() { return gInterrupted.load(); }
void ClearInterrupt() { gInterrupted.store(false); }

bool StderrIsConsole() { return IsConsole(STD_ERROR_HANDLE); }
bool StdinIsConsole() { return IsConsole(STD_INPUT_HANDLE); }

void UseUtf8Console() {
  ::SetConsoleOutputCP(CP_UTF8);
  // Binary streams: '\n' stays '\n' in pipes and files, as elsewhere.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (::GetConsoleMode(err, &mode)) ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void IgnoreFileSizeSignal() {}

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> out;
  int n = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (wide == nullptr) return out;
  for (int i = 1; i < n; ++i)
    out.push_back(Utf16ToUtf8(std::u16string(wide[i], wide[i] + wcslen(wide[i]))));
  ::LocalFree(wide);
  return out;
}

}  // namespace plat
