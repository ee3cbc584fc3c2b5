// Shared between the verification's driver and its two readers.
#pragma once

#include <cstdint>

#include "engine/mxf_records.h"
#include "platform/file.h"
#include "verify/verify_timecodes.h"

namespace verify_internal {

inline constexpr uint32_t kDropFrameFlagBit = 0x40u;  // bit 6 of the frames byte

// What a reader is given: n frames to read into words[0..n-1].
struct ReadJob {
  plat::File* file;
  MXF_BASE_INFO* base;
  MXF_TIMECODE_INFO* tc;
  const INDEX_ENTRY_ARRAY* entries;
  int32_t n;
  uint32_t* words;
  const VERIFY_OPTIONS* options;
};

// The little-endian word of the four bytes at p.
inline uint32_t LoadWordLE(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// a + b, or UINT64_MAX when the sum does not fit.
inline uint64_t SatAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

// True when the first indexed frame opens with a system item whose value
// holds the timecode word at kSystemItemTimecodeOffset.
bool FirstFrameCarriesSystemItem(const plat::File& file, const INDEX_ENTRY_ARRAY& first);

// Both return 0 when every frame was read (unreadable words included), 99
// when cancelled, or a failure code of the step.
int ReadWordsByFile(const ReadJob& job);
int ReadWordsByMapping(const ReadJob& job);

}  // namespace verify_internal
