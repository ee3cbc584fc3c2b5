// Helpers shared by the timecode sources; not part of the library's interface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "timecode/timecode.h"

namespace tc_internal {

// True when labels are skipped: base 30 or 60 and dropFrame exactly 1.
bool DropsLabels(int32_t base, int32_t dropFrame);

// Frame count of a label whose fields passed the caller's limits: applies
// the drop-frame move of a skipped label to tc.frames and subtracts the
// skipped labels. False when the count does not fit 32 bits.
bool LabelFieldsToFrames(const TC_BASE_UNITS& units, bool drops, TIMECODE_HMSF& tc,
                         int32_t& frames);

// Copies ASCII text into a UTF-16 buffer (at most capacity - 1 units, always
// terminated); returns the units written.
size_t WriteAscii(char16_t* buffer, size_t capacity, const char* text);

// Collects the last 8 decimal digits of text[0..length) right-aligned into
// digits (left-filled with '0').
template <typename Ch>
void CollectTimecodeDigits(const Ch* text, size_t length, char (&digits)[8]) {
  for (char& d : digits) d = '0';
  int pos = 8;
  for (size_t i = length; i > 0 && pos > 0; --i) {
    Ch c = text[i - 1];
    if (c >= Ch('0') && c <= Ch('9')) digits[--pos] = static_cast<char>('0' + (c - Ch('0')));
  }
}

}  // namespace tc_internal
