// The track plan's defaults and its two forms of range points.
#include <gtest/gtest.h>

#include "bwf/wav_library.h"
#include "engine/track_plan.h"

namespace {

void Timeline25(MXF_TIMECODE_INFO& tc, bool hour23) {
  tc.tcBase = TC_BASE_25;
  tc.frameRateClass = FRC_25;
  tc.startHourIs23 = hour23 ? 1 : 0;
}

TEST(TrackPlan, StartUpUnloadAndLoadStates) {
  static AUDIOTRACK_IO_INFO plan;  // as the application keeps it
  WAV_LIBRARY_ENTRY entry;
  // A new record starts without tracks and with the default buffer.
  EXPECT_EQ(plan.wavBufferIndex, 4u);
  EXPECT_EQ(plan.trackSwitch[0], TRACK_ABSENT);
  EXPECT_EQ(plan.exportSwitch[23], TRACK_ABSENT);
  plan.wavBufferIndex = 9;
  plan.exportRunNumber = 3;
  plan.trackSwitch[0] = TRACK_ON;
  plan.wavEntry[7] = &entry;
  plan.wrapOut[1] = 77;
  plan.exportFolder[0] = u'x';
  plan.currentFrame = 5;
  plan.cancelRequest = 1;

  InitTrackPlan(plan);
  EXPECT_EQ(plan.wavBufferIndex, 4u);
  EXPECT_EQ(plan.exportRunNumber, 0u);
  for (int s = 0; s < kTrackSlots; ++s) {
    EXPECT_EQ(plan.wavEntry[s], nullptr);
    EXPECT_EQ(plan.fileHandle[s], nullptr);
    EXPECT_EQ(plan.trackSwitch[s], TRACK_ABSENT);
    EXPECT_EQ(plan.exportSwitch[s], TRACK_ABSENT);
  }
  EXPECT_EQ(plan.wrapOut[1], 0u);
  EXPECT_EQ(plan.exportFolder[0], u'\0');
  EXPECT_EQ(plan.currentFrame.load(), 0u);
  EXPECT_EQ(plan.cancelRequest.load(), 0u);

  SetTracksLoaded(plan, 6);
  for (int s = 0; s < kTrackSlots; ++s) {
    EXPECT_EQ(plan.trackSwitch[s], s < 6 ? TRACK_OFF : TRACK_ABSENT) << s;
    EXPECT_EQ(plan.exportSwitch[s], s < 6 ? TRACK_OFF : TRACK_ABSENT) << s;
  }

  // Settings and the export count outlive an unloaded file.
  plan.wavBufferIndex = 13;
  plan.exportRunNumber = 2;
  plan.exportPrefix[0] = u'p';
  plan.trackSwitch[2] = TRACK_ON;
  plan.wrapIn[0] = 10;
  ClearTrackPlanForUnload(plan);
  EXPECT_EQ(plan.wavBufferIndex, 13u);
  EXPECT_EQ(plan.exportRunNumber, 2u);
  EXPECT_EQ(plan.exportPrefix[0], u'p');
  EXPECT_EQ(plan.trackSwitch[2], TRACK_ABSENT);
  EXPECT_EQ(plan.wrapIn[0], 0u);
}

TEST(TrackPlan, RangePointsInTheirTwoForms) {
  MXF_TIMECODE_INFO plain;
  Timeline25(plain, false);
  uint32_t point[2] = {7, 7};
  ASSERT_TRUE(SetRangePoint(plain, TIMECODE_HMSF{10, 0, 0, 0}, point));
  EXPECT_EQ(point[0], 900000u);
  EXPECT_EQ(point[1], 900000u);

  // A file starting in hour 23: form 1 is one hour later and keeps
  // increasing across midnight while form 0 falls back.
  MXF_TIMECODE_INFO late;
  Timeline25(late, true);
  uint32_t in[2], out[2];
  ASSERT_TRUE(SetRangePoint(late, TIMECODE_HMSF{23, 59, 0, 0}, in));
  ASSERT_TRUE(SetRangePoint(late, TIMECODE_HMSF{0, 1, 0, 0}, out));
  EXPECT_EQ(in[0], (23u * 3600 + 59 * 60) * 25);
  EXPECT_EQ(in[1], 59u * 60 * 25);
  EXPECT_EQ(out[0], 60u * 25);
  EXPECT_EQ(out[1], 61u * 60 * 25);
  EXPECT_GT(in[0], out[0]);
  EXPECT_LT(in[1], out[1]);

  // A skipped drop-frame label is the first label of its minute.
  MXF_TIMECODE_INFO df;
  df.tcBase = TC_BASE_30;
  df.dropFrame = 1;
  df.frameRateClass = FRC_29_97;
  ASSERT_TRUE(SetRangePoint(df, TIMECODE_HMSF{0, 1, 0, 0}, point));
  EXPECT_EQ(point[0], 1800u);

  // Labels that do not exist at the base leave the point as it was.
  point[0] = point[1] = 42;
  EXPECT_FALSE(SetRangePoint(plain, TIMECODE_HMSF{0, 0, 0, 25}, point));
  EXPECT_FALSE(SetRangePoint(plain, TIMECODE_HMSF{0, 60, 0, 0}, point));
  MXF_TIMECODE_INFO badBase;
  Timeline25(badBase, false);
  badBase.tcBase = 7;
  EXPECT_FALSE(SetRangePoint(badBase, TIMECODE_HMSF{1, 0, 0, 0}, point));
  EXPECT_EQ(point[0], 42u);
  EXPECT_EQ(point[1], 42u);
}

TEST(TrackPlan, SelectorPicksTheFileLimitsAndTheFirstEntry) {
  MXF_TIMECODE_INFO tc;
  Timeline25(tc, false);
  tc.startFrame = 90000;
  tc.endFrame = 90999;
  tc.startFrameShifted = 180000;
  tc.endFrameShifted = 180999;
  const uint32_t in[2] = {90100, 180100};
  EXPECT_EQ(RangeSelector(tc), 0u);
  EXPECT_EQ(RangeStartFrame(tc), 90000);
  EXPECT_EQ(RangeEndFrame(tc), 90999);
  EXPECT_EQ(RangeFirstEntryIndex(tc, in), 100);

  // 23:58:00:00 for four minutes; IN at 00:01:00:00 after midnight.
  MXF_TIMECODE_INFO late;
  Timeline25(late, true);
  late.startFrame = (23 * 3600 + 58 * 60) * 25;
  late.startFrameShifted = 58 * 60 * 25;
  late.endFrameShifted = late.startFrameShifted + 6000 - 1;
  late.endFrame = late.endFrameShifted - 90000;
  uint32_t afterMidnight[2];
  ASSERT_TRUE(SetRangePoint(late, TIMECODE_HMSF{0, 1, 0, 0}, afterMidnight));
  EXPECT_EQ(RangeSelector(late), 1u);
  EXPECT_EQ(RangeStartFrame(late), late.startFrameShifted);
  EXPECT_EQ(RangeEndFrame(late), late.endFrameShifted);
  EXPECT_EQ(RangeFirstEntryIndex(late, afterMidnight), 3 * 60 * 25);
}

}  // namespace
