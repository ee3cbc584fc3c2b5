// Printed forms of timecodes, subframe positions and byte sizes.
#include <cstdio>

#include "timecode/tc_internal.h"
#include "timecode/timecode.h"

namespace {

// The label of `frames`; 00:00:00:00 for an invalid base.
TIMECODE_HMSF LabelOf(int32_t base, int32_t dropFrame, int32_t frames) {
  TIMECODE_HMSF tc{};
  FramesToTimecode(base, dropFrame, frames, tc);
  return tc;
}

}  // namespace

namespace tc_internal {

size_t WriteAscii(char16_t* buffer, size_t capacity, const char* text) {
  if (buffer == nullptr || capacity == 0) return 0;
  size_t n = 0;
  for (; n + 1 < capacity && text[n] != '\0'; ++n) buffer[n] = static_cast<unsigned char>(text[n]);
  buffer[n] = 0;
  return n;
}

}  // namespace tc_internal

size_t FormatTimecode(char16_t* buffer, size_t capacity, int32_t base, int32_t dropFrame,
                      int32_t frames, int32_t style) {
  if (style != 0 && style != 1) return 0;
  const TIMECODE_HMSF tc = LabelOf(base, dropFrame, frames);
  char text[64];
  if (style == 0) {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", tc.hours, tc.minutes, tc.seconds,
                  dropFrame != 0 ? '.' : ':', tc.frames);
  } else {
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d", tc.hours, tc.minutes, tc.seconds,
                  tc.frames);
  }
  return tc_internal::WriteAscii(buffer, capacity, text);
}

size_t FormatTimecodeSubframe(char16_t* buffer, size_t capacity, int32_t base, int32_t dropFrame,
                              int32_t frames, int32_t subframe, int32_t fract) {
  const TIMECODE_HMSF tc = LabelOf(base, dropFrame, frames);
  char text[96];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d +%03d *%04d", tc.hours, tc.minutes,
                tc.seconds, dropFrame != 0 ? '.' : ':', tc.frames, subframe, fract);
  return tc_internal::WriteAscii(buffer, capacity, text);
}

int FormatByteSize(uint32_t sizeLow, uint32_t sizeHigh, char16_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity == 0) return 1;
  const uint64_t size = (uint64_t{sizeHigh} << 32) | sizeLow;
  uint64_t divisor = 1073741824;
  const char* unit = "GB";
  if (size < 1024) {
    divisor = 1;
    unit = "bytes";
  } else if (size < 1048576) {
    divisor = 1024;
    unit = "KB";
  } else if (size < 1073741824) {
    divisor = 1048576;
    unit = "MB";
  }
  const float quotient = static_cast<float>(size) / static_cast<float>(divisor);
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %s", static_cast<double>(quotient), unit);
  tc_internal::WriteAscii(buffer, capacity, text);
  return 0;
}

std::u16string FormatTimecode(int32_t base, int32_t dropFrame, int32_t frames, int32_t style) {
  char16_t text[64];
  return std::u16string(text, FormatTimecode(text, 64, base, dropFrame, frames, style));
}

std::u16string FormatTimecodeSubframe(int32_t base, int32_t dropFrame, int32_t frames,
                                      int32_t subframe, int32_t fract) {
  char16_t text[96];
  return std::u16string(text,
                        FormatTimecodeSubframe(text, 96, base, dropFrame, frames, subframe, fract));
}

std::u16string FormatByteSize(uint32_t sizeLow, uint32_t sizeHigh) {
  char16_t text[64];
  FormatByteSize(sizeLow, sizeHigh, text, 64);
  return std::u16string(text);
}
