// Frame-rate classes: from edit rates, and their display labels.
#include <cstdio>
#include <numeric>

#include "timecode/tc_internal.h"
#include "timecode/timecode.h"

namespace {

struct Rate {
  int32_t num;
  int32_t den;
};

// Edit rates of the classes, reduced.
constexpr Rate kClassRates[kFrameRateClassCount] = {
    {24, 1}, {25, 1}, {30, 1}, {60, 1}, {24000, 1001}, {25000, 1001}, {30000, 1001}, {60000, 1001},
};

constexpr const char* kClassLabels[kFrameRateClassCount] = {
    "24", "25", "30", "60", "23.98", nullptr, "29.97", "59.94",
};
constexpr const char16_t* kClassLabels16[kFrameRateClassCount] = {
    u"24", u"25", u"30", u"60", u"23.98", nullptr, u"29.97", u"59.94",
};

bool ValidClass(int32_t frameRateClass) {
  return frameRateClass >= 0 && frameRateClass < kFrameRateClassCount;
}

bool CountsDropFrame(int32_t frameRateClass, int32_t dropFrame) {
  return dropFrame != 0 && (frameRateClass == FRC_29_97 || frameRateClass == FRC_59_94);
}

}  // namespace

int32_t FrameRateClassFromEditRate(int32_t numerator, int32_t denominator) {
  if (numerator <= 0 || denominator <= 0) return FRC_UNSUPPORTED;
  const int32_t g = std::gcd(numerator, denominator);
  const int32_t num = numerator / g;
  const int32_t den = denominator / g;
  for (int32_t c = 0; c < kFrameRateClassCount; ++c) {
    if (kClassRates[c].num == num && kClassRates[c].den == den) return c;
  }
  return FRC_UNSUPPORTED;
}

const char16_t* FrameRateLabel(int32_t frameRateClass) {
  return ValidClass(frameRateClass) ? kClassLabels16[frameRateClass] : nullptr;
}

const char16_t* DropFrameLabel(int32_t frameRateClass, int32_t dropFrame) {
  return CountsDropFrame(frameRateClass, dropFrame) ? u"DF" : u"NDF";
}

size_t FormatFrameRateMode(char16_t* buffer, size_t capacity, int32_t frameRateClass,
                           int32_t dropFrame) {
  if (!ValidClass(frameRateClass) || kClassLabels[frameRateClass] == nullptr) return 0;
  char text[16];
  std::snprintf(text, sizeof text, "%s %s", kClassLabels[frameRateClass],
                CountsDropFrame(frameRateClass, dropFrame) ? "DF" : "NDF");
  return tc_internal::WriteAscii(buffer, capacity, text);
}

std::u16string FormatFrameRateMode(int32_t frameRateClass, int32_t dropFrame) {
  char16_t text[16];
  const size_t n = FormatFrameRateMode(text, sizeof text / sizeof text[0], frameRateClass, dropFrame);
  return std::u16string(text, n);
}
