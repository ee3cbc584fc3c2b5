#include "engine/buffer_lengths.h"

#include "engine/track_plan.h"
#include "timecode/timecode.h"

// Row 9 lies between 16 and 22 minutes: 18 minutes.
const char* const kWavBufferLengthTexts[kWavBufferRows] = {
    "00010000", "00020000", "00030000", "00040000", "00060000", "00080000", "00100000",
    "00120000", "00160000", "00180000", "00220000", "00240000", "00300000", "00400000",
};

int32_t WavBufferFrames(uint32_t row, int32_t tcBase, int32_t dropFrame) {
  if (row >= kWavBufferRows) row = kDefaultWavBufferIndex;
  const int32_t frames = ParseTimecodeDigits(tcBase, dropFrame, kWavBufferLengthTexts[row]);
  return frames > 0 ? frames : -1;
}

uint32_t CapBlockFrames(uint32_t frames, uint64_t bytesPerFrame, uint64_t limit) {
  if (frames == 0) return 1;
  if (bytesPerFrame == 0) return frames;
  const uint64_t most = limit / bytesPerFrame;
  if (most < 1) return 1;
  return most < frames ? static_cast<uint32_t>(most) : frames;
}
