// Usage and help texts of velmora-cli, from the string table (so both
// languages): `help`, `--help`, `COMMAND --help`, and the usage line after
// a usage error.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>

#include "engine/text_format.h"

namespace cli {

// True for a command of this build ("analyze", "rewrap", "export", and
// "loudness" where the loudness meter is built in).
bool IsCommand(const std::string& command);

// The full help of `command` ("analyze", "rewrap", "export"), or of the
// tool for an empty or unknown command, on `out`.
void PrintHelp(std::FILE* out, const std::string& command);

// "velmora-cli COMMAND: WHAT", the command's usage and a pointer to its
// --help, on standard error. Returns kExitUsage.
int UsageError(const std::string& command, const std::string& what);

// A usage error's reason from the string table, in the chosen language
// (UTF-8, for UsageError).
std::string UsageText(int id, std::initializer_list<FormatArg> args = {});
// The same with one UTF-8 argument (an option name or what was typed).
std::string UsageText(int id, const std::string& arg);

}  // namespace cli
