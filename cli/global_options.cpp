#include "cli/global_options.h"

#include <algorithm>
#include <iterator>

#include "cli/help.h"
#include "cli/language.h"
#include "cli/terminal.h"
#include "resources/string_table.h"

namespace cli {

namespace {

// Options that take no value: "--json=1" is a mistake, not a value.
constexpr const char* kFlags[] = {"--json", "--yes", "--quiet", "--help"};

bool IsFlag(const std::string& name) {
  return std::any_of(std::begin(kFlags), std::end(kFlags), [&](const char* f) { return name == f; });
}

// "--opt=value" -> "--opt", "value" (the first '=' splits; "--track=2=a.wav"
// is --track 2=a.wav).
bool SplitValues(std::vector<std::string>* args, std::string* why) {
  std::vector<std::string> out;
  for (const std::string& a : *args) {
    const size_t eq = a.find('=');
    if (a.rfind("--", 0) != 0 || eq == std::string::npos) {
      out.push_back(a);
      continue;
    }
    const std::string name = a.substr(0, eq);
    if (IsFlag(name)) {
      *why = UsageText(kStrUsageTakesNoValue, name);
      return false;
    }
    out.push_back(name);
    out.push_back(a.substr(eq + 1));
  }
  *args = std::move(out);
  return true;
}

}  // namespace

bool TakeGlobalOptions(std::vector<std::string>* args, std::string* why) {
  // The language first, so that a usage error is already in it.
  if (!ChooseLanguage(args, why)) return false;
  if (!SplitValues(args, why)) return false;
  bool quiet = false;
  ProgressStyle style = StderrIsTerminal() ? ProgressStyle::Bar : ProgressStyle::None;
  bool styleChosen = false;
  for (size_t i = 0; i < args->size();) {
    const std::string& a = (*args)[i];
    if (a == "--quiet") {
      quiet = true;
      args->erase(args->begin() + static_cast<std::ptrdiff_t>(i));
    } else if (a == "--progress") {
      const std::string value = i + 1 < args->size() ? (*args)[i + 1] : std::string();
      if (value != "bar" && value != "plain") {
        *why = UsageText(kStrUsageProgress);
        return false;
      }
      style = value == "plain" ? ProgressStyle::Plain : ProgressStyle::Bar;
      styleChosen = true;
      args->erase(args->begin() + static_cast<std::ptrdiff_t>(i), args->begin() + static_cast<std::ptrdiff_t>(i + 2));
    } else {
      ++i;
    }
  }
  // --quiet wins over the default bar, not over an explicit --progress.
  if (quiet && !styleChosen) style = ProgressStyle::None;
  SetOutputOptions(style, quiet);
  return true;
}

bool WantsHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

}  // namespace cli
