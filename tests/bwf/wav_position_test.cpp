// Placement of WAV/BWF files on the MXF timeline from the time reference.
#include <gtest/gtest.h>

#include <string>

#include "bwf/wav_library.h"
#include "bwf/wav_reader.h"
#include "platform/text.h"
#include "tests/bwf/wav_test_support.h"

namespace {

using namespace wavtest;

// The first sample of frame n, counted from midnight, written out from the
// sample cycles: 29.97 carries 1602 1601 1602 1601 1602, 59.94 801 801 800
// 801 801, the constant rates their fixed count.
uint64_t FrameStartSample(int rateClass, uint64_t n) {
  static const uint64_t k2997[6] = {0, 1602, 3203, 4805, 6406, 8008};
  static const uint64_t k5994[6] = {0, 801, 1602, 2402, 3203, 4004};
  switch (rateClass) {
    case FRC_25: return n * 1920;
    case FRC_24: return n * 2000;
    case FRC_29_97: return (n / 5) * k2997[5] + k2997[n % 5];
    case FRC_59_94: return (n / 5) * k5994[5] + k5994[n % 5];
    default: return 0;
  }
}

class WavPositionTest : public WavDirTest {
 protected:
  // Reads a file whose data holds `samples` mono 16-bit samples (a sparse
  // zero tail) at the time reference `ref`, at the given timeline.
  int ReadPlaced(uint64_t ref, uint32_t samples, int32_t base, int32_t dropFrame, int32_t rateClass,
                 bool withBext = true) {
    SetTimeline(tc_, base, dropFrame, rateClass);
    Fmt f;
    const std::string name = "p" + std::to_string(counter_++) + ".wav";
    EXPECT_TRUE(WriteWithZeroTail(NativeOf(name), WavHeaderOnly(f, samples * 2, withBext, ref), samples * 2ull));
    info_ = WAV_FORMAT_INFO{};
    path_ = PathOf(name);
    return ReadWavFile(path_, &info_, &tc_);
  }

  std::u16string Start() const {
    return FormatTimecodeSubframe(tc_.tcBase, tc_.dropFrame, static_cast<int32_t>(info_.startFrame),
                                  static_cast<int32_t>(info_.startSubframe), static_cast<int32_t>(info_.startFract));
  }
  std::u16string End() const {
    return FormatTimecodeSubframe(tc_.tcBase, tc_.dropFrame, static_cast<int32_t>(info_.endFrame),
                                  static_cast<int32_t>(info_.endSubframe), static_cast<int32_t>(info_.endFract));
  }

  MXF_TIMECODE_INFO tc_;
  WAV_FORMAT_INFO info_;
  std::u16string path_;
  int counter_ = 0;
};

TEST_F(WavPositionTest, At25FramesPerSecond) {
  // One hour of samples: 01:00:00:00 exactly.
  ASSERT_EQ(ReadPlaced(172800000, 48000, TC_BASE_25, 0, FRC_25), WAV_READ_OK);
  EXPECT_EQ(info_.startFrame, 90000u);
  EXPECT_EQ(Start(), u"01:00:00:00 +000 *0000");
  EXPECT_EQ(info_.endFrame, 90025u);
  EXPECT_EQ(End(), u"01:00:01:00 +000 *0000");
  EXPECT_EQ(info_.durationFrames, 25u);
  EXPECT_EQ(info_.startsInHour23, 0u);

  // Inside a frame: 100 samples in is subframe 5 (19 samples each), fract 5.
  ASSERT_EQ(ReadPlaced(172800000 + 100, 1920, TC_BASE_25, 0, FRC_25), WAV_READ_OK);
  EXPECT_EQ(Start(), u"01:00:00:00 +005 *0005");
  EXPECT_EQ(End(), u"01:00:00:01 +005 *0005");

  // Without bext the file starts at midnight and ends at its length.
  ASSERT_EQ(ReadPlaced(999999, 48000 * 2 + 1920 * 3, TC_BASE_25, 0, FRC_25, false), WAV_READ_OK);
  EXPECT_EQ(info_.hasTimeReference, 0u);
  EXPECT_EQ(Start(), u"00:00:00:00 +000 *0000");
  EXPECT_EQ(End(), u"00:00:02:03 +000 *0000");
}

TEST_F(WavPositionTest, At2997DropFrame) {
  // 01:00:00.00 is frame 107892 of drop-frame counting; 00:01:00.02 is 1800.
  ASSERT_EQ(ReadPlaced(FrameStartSample(FRC_29_97, 107892), 8008, TC_BASE_30, 1, FRC_29_97), WAV_READ_OK);
  EXPECT_EQ(info_.startFrame, 107892u);
  EXPECT_EQ(Start(), u"01:00:00.00 +000 *0000");
  EXPECT_EQ(info_.endFrame, 107897u);
  EXPECT_EQ(info_.durationFrames, 5u);

  ASSERT_EQ(ReadPlaced(FrameStartSample(FRC_29_97, 1800), 1602, TC_BASE_30, 1, FRC_29_97), WAV_READ_OK);
  EXPECT_EQ(info_.startFrame, 1800u);
  EXPECT_EQ(Start(), u"00:01:00.02 +000 *0000");
  EXPECT_EQ(End(), u"00:01:00.03 +000 *0000");
}

TEST_F(WavPositionTest, At5994AcrossTheFiveFrameCycle) {
  const uint64_t base = 5 * 1000;  // a frame number at cycle position 0
  for (uint64_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    const uint64_t frame = base + k;
    // Start on the frame's first sample; three frames of samples.
    const uint32_t samples = static_cast<uint32_t>(FrameStartSample(FRC_59_94, frame + 3) -
                                                   FrameStartSample(FRC_59_94, frame));
    ASSERT_EQ(ReadPlaced(FrameStartSample(FRC_59_94, frame), samples, TC_BASE_60, 0, FRC_59_94), WAV_READ_OK);
    EXPECT_EQ(info_.startFrame, frame);
    EXPECT_EQ(info_.startSubframe, 0u);
    EXPECT_EQ(info_.startFract, 0u);
    EXPECT_EQ(info_.endFrame, frame + 3);
    EXPECT_EQ(info_.endSubframe, 0u);
    EXPECT_EQ(info_.durationFrames, 3u);
  }

  // 21 samples into frame 5000 (801 samples, as is frame 5001): 2 subframe
  // units of 8 samples, fract 5.
  ASSERT_EQ(ReadPlaced(FrameStartSample(FRC_59_94, 5000) + 21, 801, TC_BASE_60, 0, FRC_59_94), WAV_READ_OK);
  EXPECT_EQ(info_.startFrame, 5000u);
  EXPECT_EQ(info_.startSubframe, 2u);
  EXPECT_EQ(info_.startFract, 5u);

  // An end one sample short of a frame boundary counts as that boundary (the
  // start of the same position would not).
  const uint64_t from = FrameStartSample(FRC_59_94, 5000);
  const uint32_t short1 = static_cast<uint32_t>(FrameStartSample(FRC_59_94, 5004) - from - 1);
  ASSERT_EQ(ReadPlaced(from, short1, TC_BASE_60, 0, FRC_59_94), WAV_READ_OK);
  EXPECT_EQ(info_.endFrame, 5004u);
  EXPECT_EQ(info_.endSubframe, 0u);
  EXPECT_EQ(info_.endFract, 0u);
  ASSERT_EQ(ReadPlaced(from + short1, 10, TC_BASE_60, 0, FRC_59_94), WAV_READ_OK);
  EXPECT_EQ(info_.startFrame, 5003u);
}

TEST_F(WavPositionTest, Hour23RunsPastMidnight) {
  // 23:59:00:00 to 00:01:00:00 at 25: two minutes.
  const uint64_t start = (23ull * 3600 + 59 * 60) * 48000;
  ASSERT_EQ(ReadPlaced(start, 2 * 60 * 48000, TC_BASE_25, 0, FRC_25), WAV_READ_OK);
  EXPECT_EQ(info_.startsInHour23, 1u);
  EXPECT_EQ(info_.startFrame, (23u * 3600 + 59 * 60) * 25);
  EXPECT_EQ(info_.endFrame, 60u * 25);  // taken one day earlier
  EXPECT_EQ(info_.durationFrames, 3000u);
  EXPECT_EQ(Start(), u"23:59:00:00 +000 *0000");
  EXPECT_EQ(End(), u"00:01:00:00 +000 *0000");

  // At 29.97 drop-frame: 23:59:00.02 (frame 2587610) for 1798 + 1800 frames
  // ends at 00:01:00.02 (frame 1800).
  const uint64_t ref = FrameStartSample(FRC_29_97, 2587610);
  const uint32_t samples = static_cast<uint32_t>(FrameStartSample(FRC_29_97, 2587610 + 3598) - ref);
  ASSERT_EQ(ReadPlaced(ref, samples, TC_BASE_30, 1, FRC_29_97), WAV_READ_OK);
  EXPECT_EQ(info_.startsInHour23, 1u);
  EXPECT_EQ(Start(), u"23:59:00.02 +000 *0000");
  EXPECT_EQ(info_.endFrame, 1800u);
  EXPECT_EQ(End(), u"00:01:00.02 +000 *0000");
  EXPECT_EQ(info_.durationFrames, 3598u);
}

TEST_F(WavPositionTest, PositionsBeyondOneDay) {
  // 25:00:00:00 is taken one day earlier: 01:00:00:00, not in hour 23.
  ASSERT_EQ(ReadPlaced(25ull * 3600 * 48000, 1920, TC_BASE_25, 0, FRC_25), WAV_READ_OK);
  EXPECT_EQ(info_.startFrame, 90000u);
  EXPECT_EQ(info_.startsInHour23, 0u);
  EXPECT_EQ(info_.durationFrames, 1u);

  // 47:10:00:00 becomes 23:10:00:00, but the hour before the wrap (47)
  // decides: not in hour 23.
  ASSERT_EQ(ReadPlaced((47ull * 3600 + 600) * 48000, 1920, TC_BASE_25, 0, FRC_25), WAV_READ_OK);
  EXPECT_EQ(Start(), u"23:10:00:00 +000 *0000");
  EXPECT_EQ(info_.startsInHour23, 0u);

  // A file starting at 22:59:00:00 and ending after midnight (not an hour-23
  // start) is still measured across midnight.
  ASSERT_EQ(ReadPlaced((22ull * 3600 + 59 * 60) * 48000, 62 * 60 * 48000, TC_BASE_25, 0, FRC_25), WAV_READ_OK);
  EXPECT_EQ(End(), u"00:01:00:00 +000 *0000");
  EXPECT_EQ(info_.durationFrames, 62u * 60 * 25);

  // Far beyond what a position can resolve to: the start stays at 0.
  ASSERT_EQ(ReadPlaced(uint64_t{1} << 40, 10, TC_BASE_25, 0, FRC_25), WAV_READ_OK);
  EXPECT_EQ(info_.startSample, uint64_t{1} << 40);
  EXPECT_EQ(info_.startFrame, 0u);
  EXPECT_EQ(info_.endFrame, 0u);
}

TEST_F(WavPositionTest, ComputeWavPositionsArguments) {
  WAV_FORMAT_INFO info;
  info.blockAlign = 4;
  info.dataSize = 4 * 1920;
  info.startSample = 1920 * 10;
  MXF_TIMECODE_INFO tc;
  SetTimeline(tc, TC_BASE_25, 0, FRC_25);
  EXPECT_EQ(ComputeWavPositions(nullptr, &tc), 1);
  SetTimeline(tc, TC_BASE_25, 0, 8);
  EXPECT_EQ(ComputeWavPositions(&info, &tc), 3);
  SetTimeline(tc, 9, 0, FRC_25);
  EXPECT_EQ(ComputeWavPositions(&info, &tc), 3);
  SetTimeline(tc, TC_BASE_25, 0, FRC_25);
  ASSERT_EQ(ComputeWavPositions(&info, &tc), 0);
  EXPECT_EQ(info.endSample, 1920u * 11);
  EXPECT_EQ(info.startFrame, 10u);
  EXPECT_EQ(info.endFrame, 11u);
  // A record without a block align places a file without samples.
  info.blockAlign = 0;
  ASSERT_EQ(ComputeWavPositions(&info, &tc), 0);
  EXPECT_EQ(info.endSample, info.startSample);
}

}  // namespace
