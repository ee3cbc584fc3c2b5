#include "cli/help.h"

#include <initializer_list>

#include "cli/load_file.h"
#include "cli/terminal.h"
#include "platform/text.h"
#include "resources/string_table.h"

namespace cli {

namespace {

// The string ids of each help (700-761 in the table): the usage, the
// command's own lines, then the lines every command shares.
struct HelpIds {
  int usage;
  std::initializer_list<int> own;
  std::initializer_list<int> shared;
};

const HelpIds kToolHelp = {700, {701}, {716, 717, 718}};
const HelpIds kAnalyzeHelp = {720, {721}, {711, 719, 713, 714, 715, 716, 717, 718}};
const HelpIds kRewrapHelp = {730, {731, 732, 733, 734}, {710, 711, 712, 719, 713, 714, 715, 716, 717, 718}};
const HelpIds kExportHelp = {740, {741, 742}, {710, 711, 712, 713, 714, 715, 716, 717, 718}};
const HelpIds kUndoHelp = {760, {761}, {713, 716, 717, 718}};
const HelpIds kLoudnessHelp = {750, {751, 752}, {710, 711, 713, 716, 717, 753}};

void PrintText(std::FILE* out, int id) {
  const std::string text = plat::Utf16ToUtf8(LoadString(id));
  std::fputs(text.c_str(), out);
  std::fputc('\n', out);
}

void PrintIds(std::FILE* out, const HelpIds& help) {
  PrintText(out, help.usage);
  std::fputc('\n', out);
  for (int id : help.own) PrintText(out, id);
#if VELMORA_HAVE_LOUDNESS
  if (help.usage == 700) PrintText(out, 702);  // the loudness command in the list
#endif
  if (help.usage == 700) PrintText(out, 703);  // the undo command
  std::fputc('\n', out);
  for (int id : help.shared) PrintText(out, id);
}

int UsageId(const std::string& command) {
  if (command == "analyze") return 720;
  if (command == "rewrap") return 730;
  if (command == "export") return 740;
  if (command == "loudness") return 750;
  if (command == "undo") return 760;
  return 700;
}

}  // namespace

bool IsCommand(const std::string& command) {
#if VELMORA_HAVE_LOUDNESS
  if (command == "loudness") return true;
#endif
  return command == "analyze" || command == "rewrap" || command == "export" || command == "undo";
}

void PrintHelp(std::FILE* out, const std::string& command) {
  if (command == "analyze") {
    PrintIds(out, kAnalyzeHelp);
  } else if (command == "rewrap") {
    PrintIds(out, kRewrapHelp);
  } else if (command == "export") {
    PrintIds(out, kExportHelp);
  } else if (command == "loudness") {
    PrintIds(out, kLoudnessHelp);
  } else if (command == "undo") {
    PrintIds(out, kUndoHelp);
  } else {
    PrintIds(out, kToolHelp);
  }
  std::fflush(out);
}

std::string UsageText(int id, std::initializer_list<FormatArg> args) {
  return plat::Utf16ToUtf8(FormatText(LoadString(id), args));
}

std::string UsageText(int id, const std::string& arg) {
  const std::u16string text = plat::Utf8ToUtf16(arg);
  return UsageText(id, {std::u16string_view(text)});
}

int UsageError(const std::string& command, const std::string& what) {
  EndProgress();
  NoteErrorText(plat::Utf8ToUtf16(what));
  const std::string name = command.empty() ? "velmora-cli" : "velmora-cli " + command;
  std::fprintf(stderr, "%s: %s\n%s\n(velmora-cli %s--help)\n", name.c_str(), what.c_str(),
               plat::Utf16ToUtf8(LoadString(UsageId(command))).c_str(),
               command.empty() ? "" : (command + " ").c_str());
  return kExitUsage;
}

}  // namespace cli
