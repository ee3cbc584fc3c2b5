// velmora-cli undo: take back the newest rewrap of a file byte for byte, or
// settle a rewrap that was interrupted (roll it back, or leave the file as
// it is and drop its journal).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/json_envelope.h"
#include "cli/json_writer.h"
#include "cli/load_file.h"
#include "cli/terminal.h"
#include "cli/undo_options.h"
#include "engine/text_format.h"
#include "platform/console.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/undo_restore.h"
#include "rewrap/undo_texts.h"

namespace cli {

namespace {

int UsageError(const std::string& what) { return cli::UsageError("undo", what); }

const char* ResultName(int rc) {
  static const char* const names[] = {"done",           "no-journal", "bad-journal", "foreign", "changed",
                                      "interrupted",    "not-interrupted", "mxf-busy", "io-failed"};
  return rc >= 0 && rc <= UNDO_IO ? names[rc] : "unknown";
}

void PrintJson(const std::u16string& path, const char* action, int rc, const UNDO_OUTCOME& o,
               const std::u16string& message) {
  JsonWriter w;
  BeginJsonEnvelope(w, "undo");
  WriteJsonFile(w, path);
  w.String("action", action);
  w.String("outcome", ResultName(rc));
  w.String("journal", o.journalPath);
  w.Number("bytes_restored", static_cast<int64_t>(o.bytesRestored));
  if (o.journal.version != 0) {
    w.String("range", UndoRangeText(o.journal.description));
    w.String("rewrap_time", UndoTimeText(o.journal.description));
  }
  if (o.frame >= 0) {
    w.Number("frame", o.frame);
    w.Number("track", o.slot + 1);
    w.Number("offset", static_cast<int64_t>(o.offset));
  }
  if (!o.why.empty()) w.String("reason", o.why);
  JsonResult result;
  result.code = rc;
  result.exitStatus = rc == UNDO_OK ? kExitOk : kExitRefused;
  result.message = message;
  WriteJsonResult(w, result);
  PrintJsonEnvelope(w);
}

}  // namespace

int RunUndo(const std::vector<std::string>& args) {
  std::u16string path;
  bool leave = false, json = false;
  UNDO_SETTINGS settings;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (const int u = ParseUndoOption(args, i, &settings, &error); u == 2) {
      return UsageError(error);
    } else if (u == 1) {
      continue;
    }
    if (args[i] == "--leave") {
      leave = true;
    } else if (args[i] == "--json") {
      json = true;
    } else if (!args[i].empty() && args[i][0] == '-') {
      return UsageError(UsageText(kStrUsageUnknownOption, args[i]));
    } else if (path.empty()) {
      path = plat::AbsolutePath(plat::Utf8ToUtf16(args[i]));
      NotedRefusal().path = path;
    } else {
      return UsageError(UsageText(kStrUsageOneFile));
    }
  }
  if (path.empty()) return UsageError(UsageText(kStrUsageNoFile));

  // A file-size limit fails the undo's own journal instead of ending the process.
  plat::IgnoreFileSizeSignal();

  // The newest journal decides: an interrupted rewrap is rolled back, a
  // complete one undone.
  UNDO_OUTCOME o;
  const int inspected = InspectUndo(path, settings, &o);
  const bool interrupted = inspected == UNDO_OK && (o.journal.state == UNDO_STATE_IN_PROGRESS ||
                                                    o.journal.state == UNDO_STATE_UNDOING);
  const char* action = leave ? "leave" : interrupted ? "roll-back" : "undo";
  o = UNDO_OUTCOME{};
  int rc;
  if (leave) {
    rc = LeaveInterrupted(path, settings, &o);
  } else if (interrupted) {
    rc = RollBackInterrupted(path, settings, &o);
  } else {
    rc = UndoNewestRewrap(path, settings, &o);
  }
  const std::u16string name = plat::FileNamePart(path);
  const std::u16string message =
      rc != UNDO_OK ? ComposeUndoRefusal(name, rc, o)
      : leave       ? FormatText(LoadString(kStrCliJournalDropped), {std::u16string_view(name)})
                    : ComposeUndoDone(name, o, interrupted);
  if (json) {
    PrintJson(path, action, rc, o, message);
  } else if (rc != UNDO_OK) {
    PrintErr(message);
  } else {
    PrintOut(message);
  }
  if (rc != UNDO_OK) return kExitRefused;
  return kExitOk;
}

}  // namespace cli
