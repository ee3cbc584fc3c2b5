// Printed timecodes, byte sizes and frame-rate texts; rate classes.
#include <gtest/gtest.h>

#include <climits>

#include "tests/timecode/tc_test_util.h"
#include "timecode/timecode.h"

namespace {

TEST(TimecodeFormat, Styles) {
  EXPECT_EQ(Label(TC_BASE_25, 0, 90000), "01:00:00:00");
  EXPECT_EQ(Label(TC_BASE_30, 1, 1800), "00:01:00.02");
  EXPECT_EQ(Narrow(FormatTimecode(TC_BASE_30, 1, 1800, 1)), "00010002");
  EXPECT_EQ(Label(TC_BASE_25, 1, 24), "00:00:00.24");  // the separator follows the flag alone
  EXPECT_EQ(Label(TC_BASE_30, 1, 2589408), "24:00:00.00");
  EXPECT_EQ(Label(TC_BASE_24, 0, 100 * 86400), "100:00:00:00");
  // An invalid base prints zeros.
  EXPECT_EQ(Label(9, 0, 1234), "00:00:00:00");
  EXPECT_EQ(Label(-1, 1, 1234), "00:00:00.00");
  EXPECT_EQ(Narrow(FormatTimecode(9, 0, 1234, 1)), "00000000");
}

TEST(TimecodeFormat, BufferCapacity) {
  char16_t buf[16];
  for (char16_t& c : buf) c = u'#';
  EXPECT_EQ(FormatTimecode(buf, 5, TC_BASE_25, 0, 90000, 0), 4u);
  EXPECT_EQ(Narrow(std::u16string(buf)), "01:0");
  EXPECT_EQ(buf[5], u'#');
  EXPECT_EQ(FormatTimecode(buf, 1, TC_BASE_25, 0, 90000, 0), 0u);
  EXPECT_EQ(buf[0], 0);
  buf[0] = u'#';
  EXPECT_EQ(FormatTimecode(buf, 0, TC_BASE_25, 0, 90000, 0), 0u);
  EXPECT_EQ(FormatTimecode(buf, 16, TC_BASE_25, 0, 90000, 2), 0u);  // unknown style
  EXPECT_EQ(buf[0], u'#');
  EXPECT_EQ(FormatTimecode(nullptr, 16, TC_BASE_25, 0, 90000, 0), 0u);
  EXPECT_EQ(FormatTimecode(buf, 12, TC_BASE_25, 0, 90000, 0), 11u);
  EXPECT_EQ(Narrow(std::u16string(buf)), "01:00:00:00");
}

TEST(TimecodeFormat, Subframe) {
  EXPECT_EQ(Narrow(FormatTimecodeSubframe(TC_BASE_25, 0, 25, 5, 12)), "00:00:01:00 +005 *0012");
  EXPECT_EQ(Narrow(FormatTimecodeSubframe(TC_BASE_30, 1, 1800, 100, 0)), "00:01:00.02 +100 *0000");
  char16_t buf[8];
  EXPECT_EQ(FormatTimecodeSubframe(buf, 8, TC_BASE_25, 0, 25, 5, 12), 7u);
  EXPECT_EQ(Narrow(std::u16string(buf)), "00:00:0");
}

TEST(TimecodeFormat, ByteSize) {
  struct Case {
    uint32_t low, high;
    const char* text;
  } cases[] = {
      {0, 0, "0.00 bytes"},
      {1023, 0, "1023.00 bytes"},
      {1024, 0, "1.00 KB"},
      {1536, 0, "1.50 KB"},
      {1048575, 0, "1024.00 KB"},  // single-precision quotient rounds up
      {1048576, 0, "1.00 MB"},
      {1073741823, 0, "1024.00 MB"},
      {1073741824, 0, "1.00 GB"},
      {0, 1, "4.00 GB"},
      {0x80000000u, 2, "10.00 GB"},
  };
  for (const Case& c : cases) EXPECT_EQ(Narrow(FormatByteSize(c.low, c.high)), c.text);
  char16_t buf[6];
  buf[0] = u'#';
  EXPECT_EQ(FormatByteSize(1024, 0, nullptr, 6), 1);
  EXPECT_EQ(FormatByteSize(1024, 0, buf, 0), 1);
  EXPECT_EQ(buf[0], u'#');
  EXPECT_EQ(FormatByteSize(1024, 0, buf, 6), 0);
  EXPECT_EQ(Narrow(std::u16string(buf)), "1.00 ");
}

TEST(TimecodeFormat, FrameRateTexts) {
  const char* labels[] = {"24", "25", "30", "60", "23.98", nullptr, "29.97", "59.94"};
  for (int32_t cls = 0; cls < kFrameRateClassCount; ++cls) {
    const char16_t* label = FrameRateLabel(cls);
    if (labels[cls] == nullptr) {
      EXPECT_EQ(label, nullptr);
      EXPECT_EQ(FormatFrameRateMode(cls, 1), u"");
    } else {
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(Narrow(label), labels[cls]);
    }
  }
  EXPECT_EQ(FrameRateLabel(FRC_UNSUPPORTED), nullptr);
  EXPECT_EQ(FrameRateLabel(-1), nullptr);
  EXPECT_EQ(Narrow(FormatFrameRateMode(FRC_29_97, 1)), "29.97 DF");
  EXPECT_EQ(Narrow(FormatFrameRateMode(FRC_59_94, 0)), "59.94 NDF");
  EXPECT_EQ(Narrow(FormatFrameRateMode(FRC_25, 1)), "25 NDF");  // DF only at 29.97 and 59.94
  EXPECT_EQ(Narrow(FormatFrameRateMode(FRC_UNSUPPORTED, 0)), "");
  EXPECT_EQ(Narrow(DropFrameLabel(FRC_59_94, 2)), "DF");
  EXPECT_EQ(Narrow(DropFrameLabel(FRC_30, 1)), "NDF");
}

TEST(TimecodeFormat, FrameRateClassFromReducedEditRate) {
  struct Case {
    int32_t num, den, cls;
  } cases[] = {
      {24000, 1000, FRC_24}, {24, 1, FRC_24},         {48, 2, FRC_24},
      {25, 1, FRC_25},       {25000, 1000, FRC_25},   {30, 1, FRC_30},
      {60000, 1000, FRC_60}, {60, 1, FRC_60},         {24000, 1001, FRC_23_98},
      {48000, 2002, FRC_23_98}, {25000, 1001, FRC_25_1001}, {30000, 1001, FRC_29_97},
      {60000, 1001, FRC_59_94}, {50, 1, FRC_UNSUPPORTED}, {2997, 100, FRC_UNSUPPORTED},
      {0, 0, FRC_UNSUPPORTED}, {30, 0, FRC_UNSUPPORTED}, {-25, -1, FRC_UNSUPPORTED},
      {INT_MAX, 1, FRC_UNSUPPORTED}, {INT_MIN, 1, FRC_UNSUPPORTED},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FrameRateClassFromEditRate(c.num, c.den), c.cls) << c.num << "/" << c.den;
  }
}

}  // namespace
