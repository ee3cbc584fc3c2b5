#include "cli/language.h"

#include <cstdlib>

#include "cli/help.h"
#include "resources/string_table.h"

namespace cli {

namespace {

TextLanguage FromLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    return std::string(value).rfind("ja", 0) == 0 ? TextLanguage::Japanese : TextLanguage::English;
  }
  return TextLanguage::English;
}

}  // namespace

bool ChooseLanguage(std::vector<std::string>* args, std::string* why) {
  TextLanguage language = FromLocale();
  SetTextLanguage(language);  // a refusal of --lang itself is told in the locale's language
  for (size_t i = 0; i < args->size();) {
    std::string& a = (*args)[i];
    std::string value;
    size_t taken = 1;
    if (a == "--lang") {
      if (i + 1 >= args->size()) {
        *why = UsageText(kStrUsageLangMissing);
        return false;
      }
      value = (*args)[i + 1];
      taken = 2;
    } else if (a.rfind("--lang=", 0) == 0) {
      value = a.substr(7);
    } else {
      ++i;
      continue;
    }
    if (value != "en" && value != "ja") {
      *why = UsageText(kStrUsageLang, value);
      return false;
    }
    language = value == "ja" ? TextLanguage::Japanese : TextLanguage::English;
    args->erase(args->begin() + static_cast<std::ptrdiff_t>(i), args->begin() + static_cast<std::ptrdiff_t>(i + taken));
  }
  SetTextLanguage(language);
  return true;
}

}  // namespace cli
