#include "cli/undo_options.h"

#include <cstdlib>

#include "cli/help.h"
#include "cli/json_writer.h"
#include "cli/load_file.h"
#include "cli/terminal.h"
#include "engine/text_format.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/undo_preflight.h"
#include "rewrap/undo_restore.h"
#include "rewrap/undo_texts.h"

namespace cli {

int ParseUndoOption(const std::vector<std::string>& args, size_t& i, UNDO_SETTINGS* settings, std::string* error) {
  const std::string& a = args[i];
  if (a == "--no-journal") {
    settings->journal = false;
    return 1;
  }
  if (a == "--no-read-back") {
    settings->readBack = false;
    return 1;
  }
  if (a != "--journal-dir" && a != "--keep-journals") return 0;
  if (i + 1 >= args.size()) {
    *error = UsageText(kStrUsageNeedsValue, a);
    return 2;
  }
  const std::string& v = args[++i];
  if (a == "--journal-dir") {
    settings->folder = plat::AbsolutePath(plat::Utf8ToUtf16(v));
    if (!plat::IsDirectory(settings->folder)) {
      *error = UsageText(kStrUsageJournalDir);
      return 2;
    }
    return 1;
  }
  char* end = nullptr;
  const long n = std::strtol(v.c_str(), &end, 10);
  if (v.empty() || *end != 0 || n < 1 || n > static_cast<long>(kMaxJournalsKept)) {
    *error = UsageText(kStrUsageKeepJournals, {static_cast<int64_t>(kMaxJournalsKept)});
    return 2;
  }
  settings->keep = static_cast<uint32_t>(n);
  return 1;
}

bool TellInterruptedRewrap(const std::u16string& mxfPath, const UNDO_SETTINGS& settings) {
  if (!UndoRecoveryPending(mxfPath, settings)) return false;
  UNDO_OUTCOME o;
  InspectUndo(mxfPath, settings, &o);
  PrintErr(ComposeInterruptedQuestion(plat::FileNamePart(mxfPath), o));
  PrintErr(LoadString(kStrCliUndoHowTo));
  return true;
}

int CheckBeforeRewrap(const std::u16string& mxfPath, const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base,
                      const UNDO_SETTINGS& settings) {
  UNDO_PREFLIGHT p;
  switch (CheckUndoPreflight(mxfPath, plan, base, settings, &p)) {
    case UNDO_PREFLIGHT_PENDING:
      TellInterruptedRewrap(mxfPath, settings);
      return kExitRefused;
    case UNDO_PREFLIGHT_NO_ROOM:
      PrintErr(ComposeJournalNoRoom(p.bytesNeeded, p.bytesFree));
      PrintErr(LoadString(kStrCliNoJournalHowTo));
      return kExitRefused;
    default:
      return -1;
  }
}

void WriteUndoJsonFields(JsonWriter& j, const UNDO_REPORT& report, const UNDO_SETTINGS& settings) {
  if (settings.journal && !report.journalPath.empty()) {
    j.String("journal", report.journalPath);
    j.Number("journal_bytes", static_cast<int64_t>(report.journalBytes));
  } else {
    j.Null("journal");
  }
  j.Bool("read_back", settings.readBack);
  if (settings.readBack) j.Number("bytes_verified", static_cast<int64_t>(report.bytesVerified));
  if (report.mismatchFrame >= 0) {
    j.Number("mismatch_frame", report.mismatchFrame);
    j.Number("mismatch_track", report.mismatchSlot + 1);
  }
  if (report.bytesNeeded > 0) j.Number("journal_bytes_needed", static_cast<int64_t>(report.bytesNeeded));
}

}  // namespace cli
