// Reading timecodes typed by the user and narrow digit strings.
#include <cstring>

#include "timecode/tc_internal.h"
#include "timecode/timecode.h"

namespace {

int32_t DigitPair(const char (&digits)[8], int field) {
  return (digits[2 * field] - '0') * 10 + (digits[2 * field + 1] - '0');
}

size_t Length16(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

bool ParseTimecodeText(std::u16string_view text, int32_t base, TIMECODE_HMSF& out) {
  const TC_BASE_UNITS* units = TcBaseUnits(base);
  if (units == nullptr) return false;
  char digits[8];
  tc_internal::CollectTimecodeDigits(text.data(), text.size(), digits);
  // Each field is stored before it is checked.
  out.hours = DigitPair(digits, 0);
  if (out.hours > 23) return false;
  out.minutes = DigitPair(digits, 1);
  if (out.minutes > 59) return false;
  out.seconds = DigitPair(digits, 2);
  if (out.seconds > 59) return false;
  out.frames = DigitPair(digits, 3);
  if (out.frames > units->highestFrameLabel) return false;
  return true;
}

bool ParseTimecodeText(const char16_t* text, int32_t base, TIMECODE_HMSF& out) {
  if (text == nullptr) return ParseTimecodeText(std::u16string_view(), base, out);
  return ParseTimecodeText(std::u16string_view(text, Length16(text)), base, out);
}

int32_t ParseTimecodeDigits(int32_t base, int32_t dropFrame, std::string_view text) {
  const TC_BASE_UNITS* units = TcBaseUnits(base);
  if (units == nullptr) return -2;
  char digits[8];
  tc_internal::CollectTimecodeDigits(text.data(), text.size(), digits);
  TIMECODE_HMSF tc{DigitPair(digits, 0), DigitPair(digits, 1), DigitPair(digits, 2),
                   DigitPair(digits, 3)};
  if (tc.hours > 47 || tc.minutes > 59 || tc.seconds > 59 || tc.frames > units->highestFrameLabel) {
    return -2;
  }
  int32_t frames = 0;
  tc_internal::LabelFieldsToFrames(*units, tc_internal::DropsLabels(base, dropFrame), tc, frames);
  return frames;  // at most 48 hours: always fits
}

int32_t ParseTimecodeDigits(int32_t base, int32_t dropFrame, const char* text) {
  if (text == nullptr) return ParseTimecodeDigits(base, dropFrame, std::string_view());
  return ParseTimecodeDigits(base, dropFrame, std::string_view(text, std::strlen(text)));
}

bool ParseTimecodeLabel(std::string_view text, int32_t base, TIMECODE_HMSF& out) {
  const TC_BASE_UNITS* units = TcBaseUnits(base);
  if (units == nullptr || text.size() != 11) return false;
  int32_t field[4];
  for (int i = 0; i < 4; ++i) {
    const char hi = text[3 * i];
    const char lo = text[3 * i + 1];
    if (hi < '0' || hi > '9' || lo < '0' || lo > '9') return false;
    field[i] = (hi - '0') * 10 + (lo - '0');
  }
  if (text[2] != ':' || text[5] != ':') return false;
  const char before = text[8];
  if (before != ':' && before != ';' && before != '.' && before != ',') return false;
  if (field[0] > 23 || field[1] > 59 || field[2] > 59 || field[3] > units->highestFrameLabel) return false;
  out = TIMECODE_HMSF{field[0], field[1], field[2], field[3]};
  return true;
}

bool IsSkippedLabel(int32_t base, int32_t dropFrame, const TIMECODE_HMSF& tc) {
  const TC_BASE_UNITS* units = TcBaseUnits(base);
  if (units == nullptr || !tc_internal::DropsLabels(base, dropFrame)) return false;
  return tc.minutes % 10 != 0 && tc.seconds == 0 && tc.frames >= 0 && tc.frames < units->dropPerMinute;
}
