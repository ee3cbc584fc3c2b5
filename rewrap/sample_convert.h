// Sample conversion from WAV sample frames into the bare PCM of one MXF
// sound element: one channel, little-endian, copied byte for byte (no
// scaling, dithering or clipping). A 16-bit source feeding a 24-bit element
// lands in the upper two bytes of each 3-byte sample, the low byte 0.
#pragma once

#include <cstddef>
#include <cstdint>

// How one channel of a WAV file is laid into an element.
struct SAMPLE_LAYOUT {
  uint32_t srcBlockAlign = 0;   // bytes per WAV sample frame (all channels)
  uint32_t srcBytes = 0;        // bytes per source sample (one channel)
  uint32_t srcChannel = 0;      // 0-based channel in the frame
  uint32_t dstBlockAlign = 0;   // bytes per element sample (2 or 3)
  uint32_t shift = 0;           // 1 for a 16-bit source into a 24-bit element, else 0
};

// True when the layout can be converted: the source sample fits in the
// element sample at its shift, and the channel lies inside the frame.
bool SampleLayoutValid(const SAMPLE_LAYOUT& layout);

// Writes `samples` element samples to dst (samples x dstBlockAlign bytes).
// Source sample n of the channel starts at src + n x srcBlockAlign +
// srcChannel x srcBytes; only the first `srcAvailable` bytes of src hold
// data (the rest of the file's data is used up): source bytes at or beyond
// it read as zero, byte by byte. src may be null when srcAvailable is 0.
void ConvertSamples(uint8_t* dst, const uint8_t* src, uint64_t srcAvailable, uint32_t samples,
                    const SAMPLE_LAYOUT& layout);
