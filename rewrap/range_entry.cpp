#include "rewrap/range_entry.h"

#include <algorithm>

#include "resources/string_table.h"
#include "timecode/timecode.h"

namespace {

const char16_t* ErrorText(RangeEntryError e, RangeEntryKind kind) {
  switch (e) {
    case RangeEntryError::Invalid:
      return LoadStringById(kind == RangeEntryKind::Rewrap ? kStrRangeInvalid : kStrRangeInvalidExport);
    case RangeEntryError::BeforeStart: return LoadStringById(kStrRangeBeforeStart);
    case RangeEntryError::AfterEnd: return LoadStringById(kStrRangeAfterEnd);
    case RangeEntryError::OutBeforeIn:
      return LoadStringById(kind == RangeEntryKind::Rewrap ? kStrRangeOutBeforeIn : kStrRangeOutBeforeInExport);
    case RangeEntryError::None: break;
  }
  return u"";
}

RangePointResult Refuse(RangeEntryError e, RangeEntryKind kind) {
  RangePointResult r;
  r.error = e;
  r.message = ErrorText(e, kind);
  return r;
}

}  // namespace

RangePointResult EnterRangePoint(const MXF_TIMECODE_INFO& tc, std::u16string_view typed, RangeEntryKind kind,
                                 const uint32_t* currentIn) {
  // The main window's edit holds 9 characters, the export dialog's 11.
  // The entry edits take digits only; typed separators never reach them.
  std::u16string text;
  for (char16_t c : typed) {
    if (c >= u'0' && c <= u'9') text.push_back(c);
  }
  const size_t limit = kind == RangeEntryKind::Rewrap ? 9 : 11;
  text.resize(std::min(text.size(), limit));
  TIMECODE_HMSF value;
  if (TcBaseUnits(tc.tcBase) == nullptr || !ParseTimecodeText(text.c_str(), tc.tcBase, value)) {
    return Refuse(RangeEntryError::Invalid, kind);
  }
  return PlaceRangePoint(tc, value, kind, currentIn);
}

RangePointResult PlaceRangePoint(const MXF_TIMECODE_INFO& tc, TIMECODE_HMSF value, RangeEntryKind kind,
                                 const uint32_t* currentIn) {
  if (TcBaseUnits(tc.tcBase) == nullptr) return Refuse(RangeEntryError::Invalid, kind);
  const int32_t f0 = TimecodeToFrames(tc.tcBase, tc.dropFrame, value);
  if (f0 < 0) return Refuse(RangeEntryError::Invalid, kind);
  const bool shifted = tc.startHourIs23 == 1;
  const int32_t f1 = shifted ? TimecodePlusOneHour(tc.tcBase, tc.dropFrame, value) : f0;
  const uint32_t f = static_cast<uint32_t>(shifted ? f1 : f0);
  const uint32_t start = static_cast<uint32_t>(shifted ? tc.startFrameShifted : tc.startFrame);
  const uint32_t end = static_cast<uint32_t>(shifted ? tc.endFrameShifted : tc.endFrame);
  if (f < start) return Refuse(RangeEntryError::BeforeStart, kind);
  if (f > end) return Refuse(RangeEntryError::AfterEnd, kind);
  if (currentIn != nullptr && f < currentIn[shifted ? 1 : 0]) return Refuse(RangeEntryError::OutBeforeIn, kind);
  RangePointResult r;
  r.point[0] = static_cast<uint32_t>(f0);
  r.point[1] = static_cast<uint32_t>(f1);
  return r;
}
