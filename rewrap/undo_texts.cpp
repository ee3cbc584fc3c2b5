#include "rewrap/undo_texts.h"

#include "engine/text_format.h"
#include "platform/text.h"
#include "platform/time.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"

std::u16string UndoRangeText(const UNDO_DESCRIPTION& d) {
  return FormatText(u"IN %s - OUT %s",
                    {std::u16string_view(FormatTimecode(d.tcBase, d.dropFrame, static_cast<int32_t>(d.wrapIn[0]))),
                     std::u16string_view(FormatTimecode(d.tcBase, d.dropFrame, static_cast<int32_t>(d.wrapOut[0])))});
}

std::u16string UndoTimeText(const UNDO_DESCRIPTION& d) {
  const plat::LocalTime t = plat::ToLocalTime(plat::FileTime{d.createdNanos});
  return FormatText(u"%d/%02d/%02d %02d:%02d:%02d",
                    {static_cast<int64_t>(t.year), static_cast<int64_t>(t.month), static_cast<int64_t>(t.day),
                     static_cast<int64_t>(t.hour), static_cast<int64_t>(t.minute), static_cast<int64_t>(t.second)});
}

std::u16string UndoByteText(uint64_t bytes) {
  return FormatByteSize(static_cast<uint32_t>(bytes & 0xFFFFFFFFu), static_cast<uint32_t>(bytes >> 32));
}

std::u16string ComposeInterruptedQuestion(const std::u16string& fileName, const UNDO_OUTCOME& o) {
  const UNDO_DESCRIPTION& d = o.journal.description;
  const std::u16string reached =
      o.frame >= 0 ? FormatTimecode(d.tcBase, d.dropFrame, static_cast<int32_t>(d.wrapIn[0] + o.frame))
                   : LoadString(kStrUndoNothingRewritten);
  return FormatText(
      LoadString(kStrUndoInterrupted),
      {std::u16string_view(fileName), std::u16string_view(UndoTimeText(d)), std::u16string_view(UndoRangeText(d)),
       std::u16string_view(reached)});
}

std::u16string ComposeJournalNoRoom(uint64_t needed, uint64_t available) {
  return FormatText(
      LoadString(kStrUndoNoRoom),
      {std::u16string_view(UndoByteText(needed)), std::u16string_view(UndoByteText(available))});
}

std::u16string ComposeUndoRefusal(const std::u16string& fileName, int result, const UNDO_OUTCOME& o) {
  int reasonId;
  switch (result) {
    case UNDO_NO_JOURNAL: reasonId = kStrUndoNoJournal; break;
    case UNDO_BAD_JOURNAL: reasonId = kStrUndoBadJournal; break;
    case UNDO_FOREIGN: reasonId = kStrUndoForeign; break;
    case UNDO_CHANGED: reasonId = kStrUndoChanged; break;
    case UNDO_INTERRUPTED: reasonId = kStrUndoInterruptedFirst; break;
    case UNDO_NOT_INTERRUPTED: reasonId = kStrUndoNotInterrupted; break;
    case UNDO_MXF_OPEN: reasonId = kStrUndoMxfOpen; break;
    default: reasonId = kStrUndoIo; break;
  }
  const std::u16string reason = LoadString(reasonId);
  std::u16string text = FormatText(u"%s\n\n%s", {std::u16string_view(fileName), std::u16string_view(reason)});
  // Every refusal comes before the first write; only a failed write has changed the file.
  if (result == UNDO_BAD_JOURNAL || result == UNDO_FOREIGN || result == UNDO_CHANGED || result == UNDO_MXF_OPEN) {
    text += u"\n" + LoadString(kStrUndoMxfUnchanged);
  }
  if (o.frame >= 0 && (result == UNDO_CHANGED || result == UNDO_BAD_JOURNAL || result == UNDO_IO)) {
    const UNDO_DESCRIPTION& d = o.journal.description;
    text += u"\n" + FormatText(LoadString(kStrUndoWhere),
                       {static_cast<int64_t>(o.slot + 1),
                        std::u16string_view(
                            FormatTimecode(d.tcBase, d.dropFrame, static_cast<int32_t>(d.wrapIn[0] + o.frame))),
                        static_cast<int64_t>(o.frame), static_cast<int64_t>(o.offset)});
  }
  if (!o.why.empty()) text += u"\n(" + plat::Utf8ToUtf16(o.why) + u")";
  return text;
}

std::u16string ComposeUndoDone(const std::u16string& fileName, const UNDO_OUTCOME& o, bool rollBack) {
  const UNDO_DESCRIPTION& d = o.journal.description;
  return FormatText(LoadString(rollBack ? kStrUndoRolledBack : kStrUndoDone),
                    {std::u16string_view(fileName), std::u16string_view(UndoRangeText(d)),
                     std::u16string_view(UndoTimeText(d)), std::u16string_view(UndoByteText(o.bytesRestored))});
}

std::u16string ComposeUndoSummary(const UNDO_REPORT& report, const UNDO_SETTINGS& settings) {
  std::u16string text = settings.journal && !report.journalPath.empty()
                            ? FormatText(LoadString(kStrUndoJournalSummary),
                                         {std::u16string_view(report.journalPath),
                                          std::u16string_view(UndoByteText(report.journalBytes))})
                            : LoadString(kStrUndoJournalNone);
  text += u"\n";
  text += settings.readBack ? FormatText(LoadString(kStrUndoReadBackSummary), {static_cast<int64_t>(report.bytesVerified)})
                            : LoadString(kStrUndoReadBackNone);
  return text;
}

std::u16string ComposeUndoLogPiece(const UNDO_REPORT& report, const UNDO_SETTINGS& settings) {
  // The log keeps its Japanese format whatever the language of the messages.
  auto ja = [](int id) { return LoadString(id, TextLanguage::Japanese); };
  std::u16string text = ja(kStrUndoLogCaption);
  text += settings.journal && !report.journalPath.empty()
              ? FormatText(ja(kStrUndoLogJournal),
                           {std::u16string_view(report.journalPath), static_cast<int64_t>(report.journalBytes)})
              : ja(kStrUndoLogJournalNone);
  text += settings.readBack ? FormatText(ja(kStrUndoLogReadBack), {static_cast<int64_t>(report.bytesVerified)})
                            : ja(kStrUndoLogReadBackNone);
  return text;
}
