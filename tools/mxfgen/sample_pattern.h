// The recognisable audio written into every sound element.
#pragma once

#include <cstdint>

namespace mxfgen {

// Sample `absoluteSampleIndex` (0 = first sample of the file's first frame)
// of audio track `track` (0-based) at `bits` 16 or 24, as the raw two's
// complement bit pattern in the low `bits` bits:
//   24 bits: (track + 1) << 16 | (index & 0xFFFF)   -> byte 2 is the track number
//   16 bits: (track + 1) << 11 | (index & 0x7FF)    -> top 5 bits are the track number
// No sample is ever zero, so silence written over it is always visible.
// The file stores it little-endian: 3 bytes per 24-bit sample, 2 per 16-bit.
constexpr uint32_t PatternSample(int track, uint64_t absoluteSampleIndex, int bits) {
  const uint32_t t = static_cast<uint32_t>(track + 1);
  if (bits == 16) return ((t << 11) | static_cast<uint32_t>(absoluteSampleIndex & 0x7FF)) & 0xFFFF;
  return ((t << 16) | static_cast<uint32_t>(absoluteSampleIndex & 0xFFFF)) & 0xFFFFFF;
}

// The pattern repeats after this many samples.
constexpr uint32_t PatternPeriod(int bits) { return bits == 16 ? 0x800 : 0x10000; }

}  // namespace mxfgen
