// The console side of a command-line program: Ctrl+C as a request instead of
// an end, whether the standard streams are a terminal, output in UTF-8, and
// the arguments in UTF-8 whatever the system's code page.
#pragma once

#include <string>
#include <vector>

namespace plat {

// After this, Ctrl+C (and SIGTERM on POSIX, Ctrl+Break on Windows) sets a
// flag instead of ending the process; the job polls it.
void InstallInterruptFlag();
bool InterruptRequested();
void ClearInterrupt();

bool StderrIsConsole();
bool StdinIsConsole();

// Standard output and error carry UTF-8 with '\n' line ends, the same bytes
// on every system; a Windows console is told to show them as UTF-8 and to
// understand the escape codes of the progress line.
void UseUtf8Console();

// A write past the process's file-size limit fails (EFBIG) instead of ending
// the process (POSIX; Windows has no such limit).
void IgnoreFileSizeSignal();

// The program's arguments after its name, in UTF-8. On Windows they come
// from the wide command line: argv holds them in the ANSI code page, with
// every character that page lacks already lost.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace plat
