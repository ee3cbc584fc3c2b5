// Typed timecodes and digit strings.
#include <gtest/gtest.h>

#include <string>

#include "tests/timecode/tc_test_util.h"
#include "timecode/timecode.h"

namespace {

std::string Fields(const TIMECODE_HMSF& tc) {
  return std::to_string(tc.hours) + ":" + std::to_string(tc.minutes) + ":" +
         std::to_string(tc.seconds) + ":" + std::to_string(tc.frames);
}

TEST(TimecodeParse, TextTakesTheLastEightDigitsRightAligned) {
  struct Case {
    const char16_t* text;
    const char* fields;
  } cases[] = {
      {u"01:02:03:04", "1:2:3:4"},
      {u"01020304", "1:2:3:4"},
      {u"01;02.03,04", "1:2:3:4"},
      {u"12", "0:0:0:12"},
      {u"1:2", "0:0:0:12"},
      {u"9901020304", "1:2:3:4"},
      {u" a\u30010 1x ", "0:0:0:1"},   // only ASCII digits count
      {u"\uFF11\uFF12", "0:0:0:0"},    // full-width digits are not digits here
      {u"", "0:0:0:0"},
  };
  for (const Case& c : cases) {
    TIMECODE_HMSF tc{-1, -1, -1, -1};
    EXPECT_TRUE(ParseTimecodeText(c.text, TC_BASE_25, tc)) << Narrow(c.text);
    EXPECT_EQ(Fields(tc), c.fields) << Narrow(c.text);
  }
  TIMECODE_HMSF tc{-1, -1, -1, -1};
  EXPECT_TRUE(ParseTimecodeText(static_cast<const char16_t*>(nullptr), TC_BASE_25, tc));
  EXPECT_EQ(Fields(tc), "0:0:0:0");
  // The view overload reads only its own range.
  const std::u16string text = u"10:00:00:0099";
  EXPECT_TRUE(ParseTimecodeText(std::u16string_view(text).substr(0, 11), TC_BASE_25, tc));
  EXPECT_EQ(Fields(tc), "10:0:0:0");
}

TEST(TimecodeParse, TextLimitsStopAtTheFirstBadField) {
  TIMECODE_HMSF tc{-1, -1, -1, -1};
  EXPECT_FALSE(ParseTimecodeText(u"24:00:00:00", TC_BASE_25, tc));
  EXPECT_EQ(Fields(tc), "24:-1:-1:-1");  // stored, then refused; the rest untouched
  tc = {-1, -1, -1, -1};
  EXPECT_FALSE(ParseTimecodeText(u"23:60:00:00", TC_BASE_25, tc));
  EXPECT_EQ(Fields(tc), "23:60:-1:-1");
  EXPECT_FALSE(ParseTimecodeText(u"23:59:60:00", TC_BASE_25, tc));
  EXPECT_FALSE(ParseTimecodeText(u"00:00:00:25", TC_BASE_25, tc));
  EXPECT_TRUE(ParseTimecodeText(u"23:59:59:24", TC_BASE_25, tc));
  EXPECT_FALSE(ParseTimecodeText(u"00:00:00:24", TC_BASE_24, tc));
  EXPECT_TRUE(ParseTimecodeText(u"00:00:00:59", TC_BASE_60, tc));
  // Labels that drop-frame counting skips are accepted here.
  EXPECT_TRUE(ParseTimecodeText(u"00:01:00.00", TC_BASE_30, tc));
  EXPECT_EQ(tc.frames, 0);
  tc = {-1, -1, -1, -1};
  EXPECT_FALSE(ParseTimecodeText(u"00:00:00:00", -1, tc));
  EXPECT_FALSE(ParseTimecodeText(u"00:00:00:00", 4, tc));
  EXPECT_EQ(tc.hours, -1);
}

TEST(TimecodeParse, DigitsGiveFrameCounts) {
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_25, 0, "01000000"), 90000);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_25, 0, "47595924"), 47 * 90000 + 89999);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_25, 0, "48000000"), -2);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_25, 0, "00600000"), -2);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_25, 0, "00006000"), -2);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_25, 0, "00000025"), -2);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_30, 1, "00010000"), 1800);  // skipped label moves on
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_60, 1, "00:01:00:01"), 3600);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_30, 1, "23595929"), 2589407);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_30, 0, "23595929"), 2591999);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_24, 0, static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(ParseTimecodeDigits(TC_BASE_24, 0, std::string("x12")), 12);
  EXPECT_EQ(ParseTimecodeDigits(-1, 0, "00000000"), -2);
  EXPECT_EQ(ParseTimecodeDigits(4, 0, "00000000"), -2);
}

// The eight-digit form read back gives the frame it was printed from.
TEST(TimecodeParse, EightDigitFormReadsBack) {
  for (const Counting& c : kCountings) {
    for (int32_t n = 0; n < c.dayFrames; n += 211) {
      const std::string digits = Narrow(FormatTimecode(c.base, c.dropFrame, n, 1));
      ASSERT_EQ(ParseTimecodeDigits(c.base, c.dropFrame, digits.c_str()), n)
          << "base " << c.base << " df " << c.dropFrame << " " << digits;
    }
  }
}

}  // namespace
