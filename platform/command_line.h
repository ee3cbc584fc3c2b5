// The program's own arguments as UTF-16 text.
#pragma once

#include <string>
#include <vector>

namespace plat {

// The arguments after the program name. Windows: from the wide command line
// (the narrow argv is in the ANSI code page and has lost what it cannot
// hold). Elsewhere: argv as UTF-8.
std::vector<std::u16string> CommandLineArguments(int argc, char** argv);

}  // namespace plat
