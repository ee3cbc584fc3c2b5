#include "cli/timecode_errors.h"

#include "engine/text_format.h"
#include "platform/path.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"
#include "verify/ltc_error.h"
#include "verify/timecode_error_log.h"

namespace cli {

std::vector<TimecodeErrorRow> TimecodeErrorRows(const MxfState& state) {
  std::vector<TimecodeErrorRow> rows;
  const LTC_ERROR_ENTRY* head = state.timecode.ltcErrors;
  if (head == nullptr) return rows;
  // 60-frame material is compared in 30-label seconds; the log prints it so.
  const int32_t base = state.timecode.tcBase == TC_BASE_60 ? TC_BASE_30 : state.timecode.tcBase;
  for (const LTC_ERROR_ENTRY* e = head->next; e != nullptr; e = e->next) {
    TimecodeErrorRow row;
    row.frameIndex = e->frameIndex;
    row.occurrence = FormatTimecode(base, state.timecode.dropFrame, e->occurrenceFrames, 0);
    row.resume = FormatTimecode(base, state.timecode.dropFrame, e->resumeFrames, 0);
    row.kind = LtcErrorKindLabel(e->kind);
    rows.push_back(std::move(row));
  }
  return rows;
}

bool WriteErrorLog(const std::u16string& logPath, const std::u16string& mxfPath, const MxfState& state,
                   const std::string& encoding, std::u16string* failure) {
  plat::SysError err = 0;
  if (WriteTimecodeErrorLog(logPath, mxfPath, state.base, state.indexEntries,
                            encoding.empty() ? nullptr : encoding.c_str(), plat::LocalNow(), &err)) {
    return true;
  }
  *failure = FormatText(LoadString(kStrCliErrorLogFailed),
                        {std::u16string_view(plat::FileNamePart(mxfPath)), static_cast<int64_t>(err)});
  return false;
}

void FreeTimecodeErrors(MxfState& state) { FreeLtcErrors(state.timecode.ltcErrors); }

}  // namespace cli
