// 48 kHz sample positions and frames, following the five-frame sample cycles.
#include "timecode/timecode.h"

namespace {

bool ValidClass(int32_t frameRateClass) {
  return frameRateClass >= 0 && frameRateClass < kFrameRateClassCount;
}

// prefix[k]: samples of the first k frames of a cycle (prefix[5] is the cycle).
struct CycleSums {
  int64_t prefix[6];
};

constexpr CycleSums SumsOf(int32_t frameRateClass) {
  CycleSums s{};
  for (int k = 0; k < 5; ++k) s.prefix[k + 1] = s.prefix[k] + SAMPLES_PER_FRAME[frameRateClass][k];
  return s;
}

constexpr CycleSums kCycleSums[kFrameRateClassCount] = {
    SumsOf(0), SumsOf(1), SumsOf(2), SumsOf(3), SumsOf(4), SumsOf(5), SumsOf(6), SumsOf(7),
};

}  // namespace

int32_t SamplesPerFrameAt(int32_t frameRateClass, int64_t frame) {
  if (!ValidClass(frameRateClass)) return 0;
  int64_t pos = frame % 5;
  if (pos < 0) pos += 5;
  return SAMPLES_PER_FRAME[frameRateClass][pos];
}

int64_t FramesToSamples(int32_t frames, int32_t frameRateClass) {
  if (!ValidClass(frameRateClass)) return -1;
  if (frames <= 0) return 0;
  const CycleSums& s = kCycleSums[frameRateClass];
  return (frames / 5) * s.prefix[5] + s.prefix[frames % 5];
}

bool SampleToFramePosition(uint64_t samplePosition, int32_t frameRateClass, bool isEnd,
                           int32_t& frame, int32_t& subframe, int32_t& fract) {
  if (!ValidClass(frameRateClass)) return false;
  const CycleSums& s = kCycleSums[frameRateClass];
  const uint64_t cycle = static_cast<uint64_t>(s.prefix[5]);

  // j: the first frame boundary at or after the position; sum: its sample.
  const uint64_t wholeCycles = samplePosition / cycle;
  const uint64_t rest = samplePosition % cycle;
  int k = 0;
  while (static_cast<uint64_t>(s.prefix[k]) < rest) ++k;  // k <= 5 as rest < cycle
  const uint64_t j = wholeCycles * 5 + k;
  if (j > static_cast<uint64_t>(kSamplePositionFrameLimit)) return false;
  const uint64_t sum = wholeCycles * cycle + static_cast<uint64_t>(s.prefix[k]);

  int32_t resultFrame = static_cast<int32_t>(j);
  int32_t offset = 0;
  if (sum != samplePosition) {
    const int32_t shortBy = static_cast<int32_t>(sum - samplePosition);
    // The offset is measured with the cycle entry of frame j.
    resultFrame = static_cast<int32_t>(j - 1);
    offset = SAMPLES_PER_FRAME[frameRateClass][j % 5] - shortBy;
    if (isEnd) {
      // An end position one sample short of a boundary counts as the boundary.
      bool atBoundary = false;
      if (frameRateClass == FRC_29_97) {
        atBoundary = offset == 1601 || offset == 1602 || (offset == 1600 && shortBy == 1);
      } else if (frameRateClass == FRC_59_94) {
        atBoundary = offset == 801 || (offset == 800 && shortBy == 1);
      }
      if (atBoundary) {
        resultFrame = static_cast<int32_t>(j);
        offset = 0;
      }
    }
  }
  frame = resultFrame;
  subframe = offset / SUBFRAME_DIVISOR[frameRateClass];
  fract = offset - subframe * SUBFRAME_DIVISOR[frameRateClass];
  return true;
}
