#include "rewrap/undo_texts.h"

#include "engine/text_format.h"
#include "platform/text.h"
#include "platform/time.h"
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
                   : std::u16string(u"(書換えなし)");
  return FormatText(
      u"%s\n\n%s に開始したラッピング (%s) が途中で中断されています。\n書換えは %s のフレームまで進んでいました。\n\n"
      u"元に戻す(ロールバック)と、ラッピング前の状態に復元します。\nこのままにすると、途中まで書き換えた状態で残ります。",
      {std::u16string_view(fileName), std::u16string_view(UndoTimeText(d)), std::u16string_view(UndoRangeText(d)),
       std::u16string_view(reached)});
}

std::u16string ComposeJournalNoRoom(uint64_t needed, uint64_t available) {
  return FormatText(
      u"元に戻すためのジャーナルに %s 必要ですが、保存先の空きは %s です。\n"
      u"ジャーナルなしでラッピングすると、元に戻すことはできません。",
      {std::u16string_view(UndoByteText(needed)), std::u16string_view(UndoByteText(available))});
}

std::u16string ComposeUndoRefusal(const std::u16string& fileName, int result, const UNDO_OUTCOME& o) {
  std::u16string reason;
  switch (result) {
    case UNDO_NO_JOURNAL: reason = u"元に戻せるラッピングがありません。"; break;
    case UNDO_BAD_JOURNAL: reason = u"ジャーナルが壊れているか途中で切れているため、使えません。"; break;
    case UNDO_FOREIGN: reason = u"ジャーナルはこのファイル(この状態のファイル)のものではありません。"; break;
    case UNDO_CHANGED: reason = u"ラッピングの後にファイルが変更されています。"; break;
    case UNDO_INTERRUPTED: reason = u"前回のラッピングは中断されています。ロールバックするか、このままにしてください。"; break;
    case UNDO_NOT_INTERRUPTED: reason = u"中断されたラッピングはありません。"; break;
    case UNDO_MXF_OPEN: reason = u"MXFファイルを書込み用に開けません(他の処理が使用中の可能性があります)。"; break;
    default: reason = u"復元中に読み書きが失敗しました。もう一度ロールバックしてください。"; break;
  }
  std::u16string text = FormatText(u"%s\n\n%s", {std::u16string_view(fileName), std::u16string_view(reason)});
  // Every refusal comes before the first write; only a failed write has changed the file.
  if (result == UNDO_BAD_JOURNAL || result == UNDO_FOREIGN || result == UNDO_CHANGED || result == UNDO_MXF_OPEN) {
    text += u"\nMXFファイルは変更されていません。";
  }
  if (o.frame >= 0 && (result == UNDO_CHANGED || result == UNDO_BAD_JOURNAL || result == UNDO_IO)) {
    const UNDO_DESCRIPTION& d = o.journal.description;
    text += FormatText(u"\n場所: トラック %d, %s (フレーム %d), オフセット %d",
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
  return FormatText(rollBack ? u"%s\n\n中断されたラッピング (%s, %s) をロールバックしました。\n復元: %s"
                             : u"%s\n\nラッピング (%s, %s) を元に戻しました。\n復元: %s",
                    {std::u16string_view(fileName), std::u16string_view(UndoRangeText(d)),
                     std::u16string_view(UndoTimeText(d)), std::u16string_view(UndoByteText(o.bytesRestored))});
}

std::u16string ComposeUndoSummary(const UNDO_REPORT& report, const UNDO_SETTINGS& settings) {
  std::u16string text = settings.journal && !report.journalPath.empty()
                            ? FormatText(u"元に戻すためのジャーナル: %s (%s)",
                                         {std::u16string_view(report.journalPath),
                                          std::u16string_view(UndoByteText(report.journalBytes))})
                            : std::u16string(u"元に戻すためのジャーナル: なし");
  text += settings.readBack ? FormatText(u"\n読み返し確認: %d バイト一致", {static_cast<int64_t>(report.bytesVerified)})
                            : std::u16string(u"\n読み返し確認: なし");
  return text;
}

std::u16string ComposeUndoLogPiece(const UNDO_REPORT& report, const UNDO_SETTINGS& settings) {
  std::u16string text = u"< 元に戻す・読み返し確認 >\r\n";
  text += settings.journal && !report.journalPath.empty()
              ? FormatText(u"ジャーナル = %s (%d bytes)\r\n",
                           {std::u16string_view(report.journalPath), static_cast<int64_t>(report.journalBytes)})
              : std::u16string(u"ジャーナル = なし\r\n");
  text += settings.readBack ? FormatText(u"読み返し確認 = %d bytes 一致\r\n\r\n",
                                         {static_cast<int64_t>(report.bytesVerified)})
                            : std::u16string(u"読み返し確認 = なし\r\n\r\n");
  return text;
}
