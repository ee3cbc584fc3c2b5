// Labels, label counts and actual frame counts, with drop-frame counting.
#include <limits>

#include "timecode/tc_internal.h"
#include "timecode/timecode.h"

namespace {

constexpr TC_BASE_UNITS kUnits[] = {
    // labels/s, highest label, frames/h, frames/min, frames/s, drop per minute
    {24, 23, 86400, 1440, 24, 0},
    {25, 24, 90000, 1500, 25, 0},
    {30, 29, 108000, 1800, 30, 2},
    {60, 59, 216000, 3600, 60, 4},
};

bool FitsInt32(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// Minute values 1..minutes that are not multiples of ten (minutes <= 59).
int64_t DroppingMinutes(int64_t minutes) { return minutes > 0 ? minutes - minutes / 10 : 0; }

// Labels skipped up to a label count; `k` is 1 at base 30 and 2 at base 60.
int64_t DroppedUpTo(int64_t count, int64_t k) {
  const int64_t hours = count / (108000 * k);
  const int64_t minutes = (count - hours * k * 108000) / (1800 * k);
  return 108 * k * hours + 2 * k * DroppingMinutes(minutes);
}

}  // namespace

const TC_BASE_UNITS* TcBaseUnits(int32_t base) {
  if (base < TC_BASE_24 || base > TC_BASE_60) return nullptr;
  return &kUnits[base];
}

namespace tc_internal {

bool DropsLabels(int32_t base, int32_t dropFrame) {
  return (base == TC_BASE_30 || base == TC_BASE_60) && dropFrame == 1;
}

bool LabelFieldsToFrames(const TC_BASE_UNITS& units, bool drops, TIMECODE_HMSF& tc,
                         int32_t& frames) {
  int64_t skipped = 0;
  if (drops) {
    const int32_t d = units.dropPerMinute;
    // A skipped label stands for the first label that exists in its minute.
    if (tc.minutes % 10 != 0 && tc.seconds == 0 && tc.frames < d) tc.frames = d;
    skipped = int64_t{54} * d * tc.hours + d * DroppingMinutes(tc.minutes);
  }
  const int64_t count = int64_t{tc.hours} * units.framesPerHour +
                        int64_t{tc.minutes} * units.framesPerMinute +
                        int64_t{tc.seconds} * units.framesPerSecond + tc.frames - skipped;
  if (!FitsInt32(count)) return false;
  frames = static_cast<int32_t>(count);
  return true;
}

}  // namespace tc_internal

int32_t TimecodeToFrames(int32_t base, int32_t dropFrame, TIMECODE_HMSF& tc) {
  const TC_BASE_UNITS* units = TcBaseUnits(base);
  if (units == nullptr) return -2;
  if (tc.minutes > 59 || tc.seconds > 59 || tc.frames > units->highestFrameLabel) return -2;
  int32_t frames = 0;
  if (!tc_internal::LabelFieldsToFrames(*units, tc_internal::DropsLabels(base, dropFrame), tc,
                                        frames)) {
    return -2;
  }
  return frames;
}

int32_t DroppedLabelCount(int32_t base, int32_t dropFrame, int32_t count) {
  if (TcBaseUnits(base) == nullptr) return -1;
  if (!tc_internal::DropsLabels(base, dropFrame)) return 0;
  // |result| stays far below |count| / 900, so it always fits.
  return static_cast<int32_t>(DroppedUpTo(count, base == TC_BASE_60 ? 2 : 1));
}

int32_t FramesToLabelCount(int32_t base, int32_t dropFrame, int32_t frames) {
  if (TcBaseUnits(base) == nullptr) return -1;
  if (!tc_internal::DropsLabels(base, dropFrame)) return frames;
  // Three passes settle every frame count of a day (and well beyond).
  const int64_t k = base == TC_BASE_60 ? 2 : 1;
  const int64_t f = frames;
  int64_t labels = f + DroppedUpTo(f + DroppedUpTo(f + DroppedUpTo(f, k), k), k);
  // Only counts within a few million frames of the 32-bit limit get here;
  // they wrap instead of overflowing.
  return static_cast<int32_t>(static_cast<uint32_t>(labels));
}

bool LabelCountToTimecode(int32_t labelCount, int32_t base, TIMECODE_HMSF& out) {
  const TC_BASE_UNITS* units = TcBaseUnits(base);
  if (units == nullptr) return false;
  int32_t rest = labelCount;
  out.hours = rest / units->framesPerHour;
  rest -= out.hours * units->framesPerHour;
  out.minutes = rest / units->framesPerMinute;
  rest -= out.minutes * units->framesPerMinute;
  out.seconds = rest / units->framesPerSecond;
  out.frames = rest - out.seconds * units->framesPerSecond;
  return true;
}

bool FramesToTimecode(int32_t base, int32_t dropFrame, int32_t frames, TIMECODE_HMSF& out) {
  return LabelCountToTimecode(FramesToLabelCount(base, dropFrame, frames), base, out);
}
