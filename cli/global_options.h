// The options every command takes, handled before the command parses its
// own: --lang, --quiet, --progress; and the --opt=value spelling, turned
// into --opt value so that each command sees one form.
#pragma once

#include <string>
#include <vector>

namespace cli {

// Takes --lang, --quiet and --progress out of args (setting the language
// and the output options) and splits every "--opt=value". False, with the
// reason, for a bad value or a value given to an option that takes none.
bool TakeGlobalOptions(std::vector<std::string>* args, std::string* why);

// True when args hold --help or -h.
bool WantsHelp(const std::vector<std::string>& args);

}  // namespace cli
