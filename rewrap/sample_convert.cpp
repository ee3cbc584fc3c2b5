#include "rewrap/sample_convert.h"

#include <cstring>

bool SampleLayoutValid(const SAMPLE_LAYOUT& l) {
  if (l.srcBytes == 0 || l.dstBlockAlign == 0) return false;
  if (l.shift + l.srcBytes > l.dstBlockAlign) return false;
  return (l.srcChannel + 1) * l.srcBytes <= l.srcBlockAlign;
}

void ConvertSamples(uint8_t* dst, const uint8_t* src, uint64_t srcAvailable, uint32_t samples,
                    const SAMPLE_LAYOUT& l) {
  const uint64_t srcStart = static_cast<uint64_t>(l.srcChannel) * l.srcBytes;
  // Samples whose source bytes all lie inside the data.
  uint64_t whole = 0;
  if (srcAvailable >= srcStart + l.srcBytes) {
    whole = (srcAvailable - srcStart - l.srcBytes) / l.srcBlockAlign + 1;
    if (whole > samples) whole = samples;
  }
  const uint8_t* s = whole ? src + srcStart : nullptr;
  uint8_t* d = dst;
  const uint32_t n = static_cast<uint32_t>(whole);

  if (l.shift == 0 && l.srcBytes == l.dstBlockAlign && l.srcBlockAlign == l.dstBlockAlign) {
    // Mono at the element's depth: one copy.
    if (n) std::memcpy(d, s, static_cast<size_t>(n) * l.dstBlockAlign);
    d += static_cast<size_t>(n) * l.dstBlockAlign;
  } else if (l.shift == 0 && l.srcBytes == 3 && l.dstBlockAlign == 3) {
    for (uint32_t i = 0; i < n; ++i, d += 3, s += l.srcBlockAlign) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  } else if (l.shift == 0 && l.srcBytes == 2 && l.dstBlockAlign == 2) {
    for (uint32_t i = 0; i < n; ++i, d += 2, s += l.srcBlockAlign) {
      d[0] = s[0];
      d[1] = s[1];
    }
  } else if (l.shift == 1 && l.srcBytes == 2 && l.dstBlockAlign == 3) {
    for (uint32_t i = 0; i < n; ++i, d += 3, s += l.srcBlockAlign) {
      d[0] = 0;
      d[1] = s[0];
      d[2] = s[1];
    }
  } else {
    for (uint32_t i = 0; i < n; ++i, d += l.dstBlockAlign, s += l.srcBlockAlign) {
      std::memset(d, 0, l.dstBlockAlign);
      std::memcpy(d + l.shift, s, l.srcBytes);
    }
  }

  // The sample cut by the end of the data keeps the bytes that are there.
  uint32_t done = n;
  if (done < samples) {
    const uint64_t at = srcStart + static_cast<uint64_t>(done) * l.srcBlockAlign;
    if (at < srcAvailable) {
      std::memset(d, 0, l.dstBlockAlign);
      std::memcpy(d + l.shift, src + at, static_cast<size_t>(srcAvailable - at));
      d += l.dstBlockAlign;
      ++done;
    }
  }
  // Past the data: silence.
  if (done < samples) std::memset(d, 0, static_cast<size_t>(samples - done) * l.dstBlockAlign);
}
