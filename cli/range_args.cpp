#include "cli/range_args.h"

#include "cli/terminal.h"
#include "platform/text.h"
#include "timecode/timecode.h"

namespace cli {

std::u16string ReachedLabel(const MXF_TIMECODE_INFO& tc, uint32_t in, uint32_t done) {
  int64_t f = static_cast<int64_t>(in) + (done > 0 ? done - 1 : 0);
  if (const TC_BASE_UNITS* u = TcBaseUnits(tc.tcBase)) f %= static_cast<int64_t>(u->framesPerHour) * 24;
  return FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(f), 0);
}

bool EnterCommandRange(const MXF_TIMECODE_INFO& tc, const std::string& inText, const std::string& outText,
                       RangeEntryKind kind, uint32_t in[2], uint32_t out[2]) {
  const RangePointResult first = EnterRangePoint(tc, plat::Utf8ToUtf16(inText), kind, nullptr);
  if (!first.message.empty()) {
    PrintErr(u"IN: " + first.message);
    return false;
  }
  const RangePointResult last = EnterRangePoint(tc, plat::Utf8ToUtf16(outText), kind, first.point);
  if (!last.message.empty()) {
    PrintErr(u"OUT: " + last.message);
    return false;
  }
  for (int i = 0; i < 2; ++i) {
    in[i] = first.point[i];
    out[i] = last.point[i];
  }
  return true;
}

}  // namespace cli
