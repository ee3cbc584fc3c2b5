// Small helpers shared by the timecode tests.
#pragma once

#include <string>

#include "timecode/timecode.h"

// ASCII view of UTF-16 text (non-ASCII units become '?'), for readable
// comparisons and failure messages.
inline std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

inline std::string Label(int32_t base, int32_t dropFrame, int32_t frames) {
  return Narrow(FormatTimecode(base, dropFrame, frames, 0));
}

// Actual frames in 24 hours of a counting.
struct Counting {
  int32_t base;
  int32_t dropFrame;
  int32_t dayFrames;
};

inline constexpr Counting kCountings[] = {
    {TC_BASE_24, 0, 2073600}, {TC_BASE_25, 0, 2160000}, {TC_BASE_30, 0, 2592000},
    {TC_BASE_30, 1, 2589408}, {TC_BASE_60, 0, 5184000}, {TC_BASE_60, 1, 5178816},
};
