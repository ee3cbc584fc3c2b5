// Adding and subtracting timecodes with the 24-hour wrap, and hour shifts.
#include <limits>

#include "timecode/tc_internal.h"
#include "timecode/timecode.h"

namespace {

// Actual frames in 24 hours, or 0 when the sum is not wrapped (a drop-frame
// flag other than 0 or 1 at base 30/60).
int64_t DayFrames(int32_t base, int32_t dropFrame) {
  switch (base) {
    case TC_BASE_24: return 2073600;
    case TC_BASE_25: return 2160000;
    case TC_BASE_30: return dropFrame == 1 ? 2589408 : dropFrame == 0 ? 2592000 : 0;
    case TC_BASE_60: return dropFrame == 1 ? 5178816 : dropFrame == 0 ? 5184000 : 0;
    default: return 0;
  }
}

}  // namespace

bool TimecodeCalc(TC_CALC& calc, int op) {
  if (TcBaseUnits(calc.base) == nullptr) return false;
  calc.framesA = TimecodeToFrames(calc.base, calc.dropFrame, calc.a);
  calc.framesB = TimecodeToFrames(calc.base, calc.dropFrame, calc.b);
  if (calc.framesA == -2 || calc.framesB == -2) return false;

  int64_t result = 0;
  if (op == '-') {
    if (calc.framesA < calc.framesB) {
      // One borrow of a day, never more.
      calc.a.hours += 24;
      calc.framesA = TimecodeToFrames(calc.base, calc.dropFrame, calc.a);
      calc.framesB = TimecodeToFrames(calc.base, calc.dropFrame, calc.b);
      if (calc.framesA == -2) return false;  // a + 24 h no longer fits
    }
    result = int64_t{calc.framesA} - calc.framesB;
  } else {
    result = int64_t{calc.framesA} + calc.framesB;
    const int64_t day = DayFrames(calc.base, calc.dropFrame);
    if (day != 0 && result >= day) result -= day;
  }
  if (result < std::numeric_limits<int32_t>::min() || result > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  calc.result = static_cast<int32_t>(result);

  if (calc.base == TC_BASE_30 || calc.base == TC_BASE_60) {
    calc.resultLabel = FramesToLabelCount(calc.base, calc.dropFrame, calc.result);
    calc.resultDropped = DroppedLabelCount(calc.base, calc.dropFrame, calc.resultLabel);
  } else {
    calc.resultLabel = calc.result;
    calc.resultDropped = 0;
  }
  return true;
}

int32_t ShiftFramesByHours(int32_t base, int32_t dropFrame, int32_t frames, int32_t hours,
                           int op) {
  TC_CALC calc;
  calc.base = base;
  calc.dropFrame = dropFrame;
  if (!FramesToTimecode(base, dropFrame, frames, calc.a)) return 0;
  calc.b = TIMECODE_HMSF{hours, 0, 0, 0};
  return TimecodeCalc(calc, op) ? calc.result : 0;
}

int32_t TimecodePlusOneHour(int32_t base, int32_t dropFrame, const TIMECODE_HMSF& tc) {
  TC_CALC calc;
  calc.base = base;
  calc.dropFrame = dropFrame;
  calc.a = tc;
  calc.b = TIMECODE_HMSF{1, 0, 0, 0};
  return TimecodeCalc(calc, '+') ? calc.result : 0;
}
