#include "verify/timecode_error_log.h"

#include "engine/text_format.h"
#include "platform/file.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"
#include "verify/ltc_error.h"
#include "verify/mxf_info_block.h"
#include "verify/verify_timecodes.h"

namespace {

void SetErr(plat::SysError* err, plat::SysError value) {
  if (err != nullptr) *err = value;
}

}  // namespace

std::u16string ComposeTimecodeErrorLogHeader(const plat::LocalTime& now) {
  return FormatText(u"LTCエラーログ作成日 [%s]\r\n作成日: %s\r\n\r\n",
                    {LoadString(kStrAppTitle, TextLanguage::Japanese), FormatLogDateTime(now)});
}

std::u16string ComposeTimecodeErrorRow(int32_t row, const LTC_ERROR_ENTRY& entry, int32_t tcBase,
                                       int32_t dropFrame) {
  // The two labels were counted at the decoding base of the verification.
  const int32_t labelBase = VerifyDecodingBase(tcBase);
  return FormatText(u"%6d  %s  %s  %s  %s\r\n",
                    {row, FormatTimecode(labelBase, dropFrame, entry.occurrenceFrames, 0),
                     FormatTimecode(labelBase, dropFrame, entry.resumeFrames, 0),
                     FormatTimecode(tcBase, dropFrame, entry.frameIndex, 0), LtcErrorKindLabel(entry.kind)});
}

std::u16string ComposeTimecodeErrorLog(std::u16string_view mxfPath, const MXF_BASE_INFO& base,
                                       const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                       const plat::LocalTime& now) {
  static const MXF_TIMECODE_INFO kNoTimecode;
  const MXF_TIMECODE_INFO& tc = base.timecode != nullptr ? *base.timecode : kNoTimecode;

  std::u16string out = ComposeTimecodeErrorLogHeader(now);
  out += ComposeMxfInfoBlock(mxfPath, base, entries, now);
  out += FormatText(u"\r\nLTCエラー数: %d\r\nこの数値が全フレームと同じかそれに近い場合、"
                    u"エレメントが壊れている可能性があります。\r\n\r\n",
                    {tc.ltcErrorCount});
  out += u"#       発生場所     再開ＴＣ     積算         状態\r\n";
  int32_t row = 0;
  if (tc.ltcErrors != nullptr) {
    for (const LTC_ERROR_ENTRY* e = tc.ltcErrors->next; e != nullptr; e = e->next) {
      out += ComposeTimecodeErrorRow(row++, *e, tc.tcBase, tc.dropFrame);
    }
  }
  return out;
}

bool WriteTimecodeErrorLog(const std::u16string& logPath, std::u16string_view mxfPath,
                           const MXF_BASE_INFO& base, const std::vector<INDEX_ENTRY_ARRAY>& entries,
                           const char* encoding, const plat::LocalTime& now, plat::SysError* err) {
  SetErr(err, 0);
  // Encode first: an unknown encoding must not leave an empty file behind.
  std::string bytes;
  if (!plat::Utf16ToMultibyte(ComposeTimecodeErrorLog(mxfPath, base, entries, now), encoding, &bytes, err)) {
    return false;
  }
  plat::File file = plat::File::Open(logPath, plat::Access::Write, plat::Share::Shared, err);
  if (!file.valid()) return false;
  plat::SysError writeErr = 0;
  const int64_t written = file.WriteAt(0, bytes.data(), bytes.size(), &writeErr);
  if (written < 0 || static_cast<uint64_t>(written) != bytes.size()) {
    SetErr(err, writeErr != 0 ? writeErr : plat::kErrOutOfRange);
    return false;
  }
  return true;
}

bool TimecodeErrorLogDue(const MXF_BASE_INFO& base) {
  return base.timecode != nullptr && base.timecode->ltcErrorCount > 0;
}

ErrorLogOutcome WriteTimecodeErrorLogIfDue(const std::u16string& logPath, std::u16string_view mxfPath,
                                           const MXF_BASE_INFO& base,
                                           const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                           const char* encoding, const plat::LocalTime& now,
                                           plat::SysError* err) {
  SetErr(err, 0);
  if (!TimecodeErrorLogDue(base)) return ErrorLogOutcome::NotDue;
  return WriteTimecodeErrorLog(logPath, mxfPath, base, entries, encoding, now, err)
             ? ErrorLogOutcome::Written
             : ErrorLogOutcome::Failed;
}
