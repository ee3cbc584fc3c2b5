// Labels, label counts and frame counts, drop-frame counting.
#include <gtest/gtest.h>

#include "tests/timecode/tc_test_util.h"
#include "timecode/timecode.h"

namespace {

TIMECODE_HMSF Tc(int32_t h, int32_t m, int32_t s, int32_t f) { return TIMECODE_HMSF{h, m, s, f}; }

// Every frame of a day, for every counting: labels are valid, never a label
// drop-frame counting skips, strictly increasing, and read back as the same
// frame. With exactly dayFrames of them this pins the whole mapping.
TEST(TimecodeConvert, EveryFrameOfADayRoundTrips) {
  for (const Counting& c : kCountings) {
    const TC_BASE_UNITS* u = TcBaseUnits(c.base);
    ASSERT_NE(u, nullptr);
    const bool drops = c.dropFrame == 1;
    int32_t previousLabel = -1;
    for (int32_t n = 0; n < c.dayFrames; ++n) {
      TIMECODE_HMSF tc{-9, -9, -9, -9};
      const int32_t label = FramesToLabelCount(c.base, c.dropFrame, n);
      const bool ok = FramesToTimecode(c.base, c.dropFrame, n, tc);
      const bool valid = tc.hours >= 0 && tc.hours < 24 && tc.minutes >= 0 && tc.minutes < 60 &&
                         tc.seconds >= 0 && tc.seconds < 60 && tc.frames >= 0 &&
                         tc.frames <= u->highestFrameLabel;
      const bool skipped =
          drops && tc.minutes % 10 != 0 && tc.seconds == 0 && tc.frames < u->dropPerMinute;
      TIMECODE_HMSF back = tc;
      const int32_t frames = TimecodeToFrames(c.base, c.dropFrame, back);
      if (!ok || !valid || skipped || label <= previousLabel || frames != n ||
          back.frames != tc.frames) {
        FAIL() << "base " << c.base << " df " << c.dropFrame << " frame " << n << " label "
               << tc.hours << ":" << tc.minutes << ":" << tc.seconds << ":" << tc.frames
               << " read back as " << frames;
      }
      previousLabel = label;
    }
    // The day's end is the label 24:00:00:00.
    EXPECT_EQ(FramesToLabelCount(c.base, c.dropFrame, c.dayFrames), 24 * u->framesPerHour);
  }
}

TEST(TimecodeConvert, DropFrameLabelsAroundMinutes) {
  EXPECT_EQ(Label(TC_BASE_30, 1, 1799), "00:00:59.29");
  EXPECT_EQ(Label(TC_BASE_30, 1, 1800), "00:01:00.02");
  EXPECT_EQ(Label(TC_BASE_30, 1, 17982), "00:10:00.00");
  EXPECT_EQ(Label(TC_BASE_30, 1, 107892), "01:00:00.00");
  EXPECT_EQ(Label(TC_BASE_60, 1, 3599), "00:00:59.59");
  EXPECT_EQ(Label(TC_BASE_60, 1, 3600), "00:01:00.04");
  // The same counts without dropping.
  EXPECT_EQ(Label(TC_BASE_30, 0, 1800), "00:01:00:00");
  EXPECT_EQ(Label(TC_BASE_60, 0, 3600), "00:01:00:00");
}

TEST(TimecodeConvert, SkippedLabelMovesToFirstLabelOfItsMinute) {
  TIMECODE_HMSF tc = Tc(0, 1, 0, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_30, 1, tc), 1800);
  EXPECT_EQ(tc.frames, 2);
  tc = Tc(0, 1, 0, 1);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_60, 1, tc), 3600);
  EXPECT_EQ(tc.frames, 4);
  // Minutes divisible by ten and NDF or flag values other than 1 keep their labels.
  tc = Tc(0, 10, 0, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_30, 1, tc), 17982);
  EXPECT_EQ(tc.frames, 0);
  tc = Tc(0, 1, 0, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_30, 2, tc), 1800);
  EXPECT_EQ(tc.frames, 0);
}

TEST(TimecodeConvert, InvalidFieldsAndBases) {
  TIMECODE_HMSF tc = Tc(0, 60, 0, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_25, 0, tc), -2);
  tc = Tc(0, 0, 60, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_25, 0, tc), -2);
  tc = Tc(0, 0, 0, 25);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_25, 0, tc), -2);
  tc = Tc(0, 0, 0, 24);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_25, 0, tc), 24);
  tc = Tc(0, 0, 0, 59);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_60, 0, tc), 59);
  // Negative fields and hours beyond the day pass.
  tc = Tc(-1, 0, 0, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_25, 0, tc), -90000);
  tc = Tc(30, 0, 0, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_30, 1, tc), 30 * 107892);
  // A count beyond 32 bits is refused, not wrapped.
  tc = Tc(2000000000, 0, 0, 0);
  EXPECT_EQ(TimecodeToFrames(TC_BASE_60, 0, tc), -2);

  for (int32_t base : {-1, 4, 99}) {
    tc = Tc(1, 2, 3, 4);
    EXPECT_EQ(TimecodeToFrames(base, 0, tc), -2);
    EXPECT_EQ(DroppedLabelCount(base, 1, 1800), -1);
    EXPECT_EQ(FramesToLabelCount(base, 1, 1800), -1);
    EXPECT_FALSE(LabelCountToTimecode(1800, base, tc));
    EXPECT_FALSE(FramesToTimecode(base, 0, 1800, tc));
    EXPECT_EQ(tc.hours, 1);  // untouched
    EXPECT_EQ(tc.frames, 4);
  }
}

TEST(TimecodeConvert, DroppedLabelCount) {
  EXPECT_EQ(DroppedLabelCount(TC_BASE_30, 1, 1799), 0);
  EXPECT_EQ(DroppedLabelCount(TC_BASE_30, 1, 1800), 2);
  EXPECT_EQ(DroppedLabelCount(TC_BASE_30, 1, 18000), 18);   // minute 10 skips nothing
  EXPECT_EQ(DroppedLabelCount(TC_BASE_30, 1, 108000), 108);
  EXPECT_EQ(DroppedLabelCount(TC_BASE_60, 1, 3600), 4);
  EXPECT_EQ(DroppedLabelCount(TC_BASE_60, 1, 216000 * 23 + 3600 * 59), 216 * 23 + 4 * 54);
  EXPECT_EQ(DroppedLabelCount(TC_BASE_30, 0, 108000), 0);
  EXPECT_EQ(DroppedLabelCount(TC_BASE_25, 1, 108000), 0);
}

TEST(TimecodeConvert, LabelCountSplitKeepsHoursAndSign) {
  TIMECODE_HMSF tc;
  ASSERT_TRUE(LabelCountToTimecode(25 * 3600 * 30 + 25 * 61 + 3, TC_BASE_25, tc));
  EXPECT_EQ(tc.hours, 30);
  EXPECT_EQ(tc.minutes, 1);
  EXPECT_EQ(tc.seconds, 1);
  EXPECT_EQ(tc.frames, 3);
  ASSERT_TRUE(LabelCountToTimecode(-25, TC_BASE_25, tc));
  EXPECT_EQ(tc.hours, 0);
  EXPECT_EQ(tc.seconds, -1);
  EXPECT_EQ(tc.frames, 0);
}

}  // namespace
