// The language of what velmora-cli prints: `--lang en|ja` anywhere on the
// command line, else the locale (LC_ALL, LC_MESSAGES, LANG: the first that
// is set decides; one starting with "ja" gives Japanese, any other
// English). Logs stay Japanese whatever is chosen.
#pragma once

#include <string>
#include <vector>

namespace cli {

// Removes --lang from args and sets the string table's language. False,
// with the reason, for a --lang without en or ja.
bool ChooseLanguage(std::vector<std::string>* args, std::string* why);

}  // namespace cli
