// Timecode sums and differences with the 24-hour wrap; hour shifts.
#include <gtest/gtest.h>

#include "tests/timecode/tc_test_util.h"
#include "timecode/timecode.h"

namespace {

TC_CALC Calc(int32_t base, int32_t dropFrame, TIMECODE_HMSF a, TIMECODE_HMSF b) {
  TC_CALC c;
  c.base = base;
  c.dropFrame = dropFrame;
  c.a = a;
  c.b = b;
  return c;
}

TEST(TimecodeCalc, SumWrapsOnceAtTwentyFourHours) {
  for (const Counting& k : kCountings) {
    TIMECODE_HMSF last;
    ASSERT_TRUE(FramesToTimecode(k.base, k.dropFrame, k.dayFrames - 1, last));
    for (int32_t add : {0, 1, 2}) {
      TC_CALC c = Calc(k.base, k.dropFrame, last, {0, 0, 0, add});
      ASSERT_TRUE(TimecodeCalc(c, '+'));
      EXPECT_EQ(c.result, add == 0 ? k.dayFrames - 1 : add - 1)
          << "base " << k.base << " df " << k.dropFrame << " +" << add;
    }
    // Only one day is taken off.
    TC_CALC c = Calc(k.base, k.dropFrame, {47, 0, 0, 0}, {1, 0, 0, 0});
    ASSERT_TRUE(TimecodeCalc(c, '+'));
    EXPECT_EQ(c.result, k.dayFrames);
  }
  // Drop-frame flag values other than 0 and 1 are not wrapped.
  TC_CALC c = Calc(TC_BASE_30, 2, {23, 59, 59, 29}, {0, 0, 0, 1});
  ASSERT_TRUE(TimecodeCalc(c, '+'));
  EXPECT_EQ(c.result, 2592000);
}

TEST(TimecodeCalc, DropFrameResultLabel) {
  TC_CALC c = Calc(TC_BASE_30, 1, {23, 59, 59, 29}, {0, 0, 0, 1});
  ASSERT_TRUE(TimecodeCalc(c, '+'));
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.resultLabel, 0);
  EXPECT_EQ(c.resultDropped, 0);

  c = Calc(TC_BASE_30, 1, {0, 0, 59, 29}, {0, 0, 0, 1});
  ASSERT_TRUE(TimecodeCalc(c, '+'));
  EXPECT_EQ(c.framesA, 1799);
  EXPECT_EQ(c.result, 1800);
  EXPECT_EQ(c.resultLabel, 1802);
  EXPECT_EQ(c.resultDropped, 2);

  // A skipped label in an operand is raised in the record.
  c = Calc(TC_BASE_60, 1, {0, 0, 0, 0}, {0, 1, 0, 0});
  ASSERT_TRUE(TimecodeCalc(c, '+'));
  EXPECT_EQ(c.b.frames, 4);
  EXPECT_EQ(c.result, 3600);

  c = Calc(TC_BASE_25, 0, {1, 0, 0, 0}, {0, 0, 0, 5});
  ASSERT_TRUE(TimecodeCalc(c, '+'));
  EXPECT_EQ(c.resultLabel, 90005);
  EXPECT_EQ(c.resultDropped, 0);
}

TEST(TimecodeCalc, DifferenceBorrowsOneDay) {
  TC_CALC c = Calc(TC_BASE_25, 0, {0, 0, 10, 0}, {23, 59, 50, 0});
  ASSERT_TRUE(TimecodeCalc(c, '-'));
  EXPECT_EQ(c.result, 500);
  EXPECT_EQ(c.a.hours, 24);

  c = Calc(TC_BASE_30, 1, {0, 0, 0, 0}, {23, 59, 59, 29});
  ASSERT_TRUE(TimecodeCalc(c, '-'));
  EXPECT_EQ(c.result, 1);

  // Never more than one borrow: the difference may stay negative.
  c = Calc(TC_BASE_24, 0, {0, 0, 0, 0}, {48, 0, 0, 0});
  ASSERT_TRUE(TimecodeCalc(c, '-'));
  EXPECT_EQ(c.result, -2073600);

  c = Calc(TC_BASE_24, 0, {10, 0, 0, 0}, {1, 0, 0, 0});
  ASSERT_TRUE(TimecodeCalc(c, '-'));
  EXPECT_EQ(c.result, 9 * 86400);
  EXPECT_EQ(c.a.hours, 10);
}

TEST(TimecodeCalc, InvalidOperandOrBase) {
  TC_CALC c = Calc(TC_BASE_25, 0, {0, 60, 0, 0}, {0, 0, 0, 0});
  EXPECT_FALSE(TimecodeCalc(c, '+'));
  c = Calc(TC_BASE_25, 0, {0, 0, 0, 0}, {0, 0, 0, 25});
  EXPECT_FALSE(TimecodeCalc(c, '-'));
  c = Calc(7, 0, {0, 0, 0, 0}, {0, 0, 0, 1});
  EXPECT_FALSE(TimecodeCalc(c, '+'));
  EXPECT_EQ(ShiftFramesByHours(7, 0, 100, 1, '+'), 0);
  EXPECT_EQ(TimecodePlusOneHour(-1, 0, {0, 0, 0, 0}), 0);
  EXPECT_EQ(TimecodePlusOneHour(TC_BASE_30, 0, {0, 0, 0, 30}), 0);
}

// Shifting a day's positions one hour later and back restores them, and
// hour 23 lands in hour 0 (the form that keeps midnight-crossing clips
// increasing).
TEST(TimecodeCalc, HourShiftsAreReversible) {
  for (const Counting& k : kCountings) {
    const int32_t hour = k.dayFrames / 24;
    for (int32_t n = 0; n < k.dayFrames; n += 997) {
      const int32_t later = ShiftFramesByHours(k.base, k.dropFrame, n, 1, '+');
      const int32_t expected = n + hour < k.dayFrames ? n + hour : n + hour - k.dayFrames;
      ASSERT_EQ(later, expected) << "base " << k.base << " df " << k.dropFrame << " frame " << n;
      ASSERT_EQ(ShiftFramesByHours(k.base, k.dropFrame, later, 1, '-'), n);
      TIMECODE_HMSF tc;
      ASSERT_TRUE(FramesToTimecode(k.base, k.dropFrame, n, tc));
      ASSERT_EQ(TimecodePlusOneHour(k.base, k.dropFrame, tc), later);
    }
  }
  EXPECT_EQ(Label(TC_BASE_30, 1, ShiftFramesByHours(TC_BASE_30, 1, 23 * 107892 + 1800, 1, '+')),
            "00:01:00.02");
}

TEST(TimecodeCalc, PlusOneHourLeavesItsArgument) {
  const TIMECODE_HMSF tc{0, 1, 0, 0};  // skipped label at 30 DF
  EXPECT_EQ(TimecodePlusOneHour(TC_BASE_30, 1, tc), 107892 + 1800);
  EXPECT_EQ(tc.frames, 0);
}

}  // namespace
