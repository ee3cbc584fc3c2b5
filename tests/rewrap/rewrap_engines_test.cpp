// Both rewrap engines against files whose every byte is predicted from
// mxfgen's layout and the WAV bytes: the rewritten elements hold exactly the
// expected samples and nothing else in the file changes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "rewrap/track_assign.h"
#include "rewrap/undo_restore.h"
#include "tests/rewrap/rewrap_fixture.h"

namespace rewrap_test {
namespace {

class EngineTest : public ::testing::TestWithParam<Engine> {
 protected:
  int Run(RewrapCase& c) { return RunEngine(GetParam(), c.path, &c.plan, &c.state.base); }
  int Code(int column) const { return StepOf(GetParam()) + column; }
};

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest, ::testing::Values(Engine::Mapping, Engine::File),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

// Mono, stereo, silence, a 16-bit file widened into 24-bit elements, and an
// OFF track that has a file.
TEST_P(EngineTest, WritesEveryKindOfTrackAndNothingElse) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(60)));
  WAV_LIBRARY_ENTRY* mono = c.AddNoiseWav("mono.wav", 1, 24, 200000, 1);
  WAV_LIBRARY_ENTRY* stereo = c.AddNoiseWav("stereo.wav", 2, 24, 200000, 2);
  WAV_LIBRARY_ENTRY* off = c.AddNoiseWav("off.wav", 1, 24, 200000, 3);
  WavContent s16;
  s16.bits = 16;
  s16.data = NoiseBytes(2 * 200000, 4);
  s16.data[0] = 0x34;  // the first sample is 0x1234
  s16.data[1] = 0x12;
  WAV_LIBRARY_ENTRY* narrow = c.AddWav("narrow.wav", s16);
  ASSERT_TRUE(mono && stereo && off && narrow);
  c.Assign(0, mono);
  c.Assign(2, stereo);                          // tracks 3 and 4
  c.plan.trackSwitch[5] = TRACK_ON;             // track 6: silence
  c.Assign(6, off, false);                      // track 7: OFF, untouched
  c.Assign(7, narrow);                          // track 8: 16 bits into 24
  c.SetRange(5, 49);

  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
  EXPECT_EQ(c.plan.frameCount.load(), 45u);
  EXPECT_EQ(c.plan.currentFrame.load(), 44u);
  EXPECT_EQ(c.plan.fileHandle[0], nullptr);  // withdrawn after the job

  // The widening, byte by byte: 0x1234 -> 00 34 12.
  const std::vector<uint8_t> got = ReadAll(c.path);
  const uint64_t v = c.layout.Sound(5, 7).valueOffset;
  EXPECT_EQ(got[v], 0x00);
  EXPECT_EQ(got[v + 1], 0x34);
  EXPECT_EQ(got[v + 2], 0x12);
}

// Every track targeted: neighbouring elements are written together, with
// the keys and lengths between their values as they were, also in a frame
// whose keys differ from the other frames'.
TEST_P(EngineTest, AllTracksWithOneFrameUnlikeTheOthers) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(30)));
  WAV_LIBRARY_ENTRY* m = c.AddNoiseWav("m.wav", 1, 24, 100000, 31);
  ASSERT_NE(m, nullptr);
  for (int s = 0; s < 8; ++s) c.Assign(s, m);
  std::vector<uint8_t> bytes = ReadAll(c.path);
  bytes[c.layout.Sound(12, 4).keyOffset + 15] ^= 0x40;  // element number: still a sound element key
  WriteAll(c.path, bytes);
  c.original = bytes;
  c.SetRange(3, 26);
  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

TEST_P(EngineTest, SixteenBitFileKeepsDepthAndLeavesDeeperFilesAlone) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(30, 4, 16)));
  WavContent s16;
  s16.bits = 16;
  s16.data = NoiseBytes(2 * 60000, 5);
  s16.data[0] = 0x34;
  s16.data[1] = 0x12;
  WAV_LIBRARY_ENTRY* mono = c.AddWav("m16.wav", s16);
  WAV_LIBRARY_ENTRY* stereo = c.AddNoiseWav("s16.wav", 2, 16, 60000, 6);
  ASSERT_TRUE(mono && stereo);
  c.Assign(0, mono);
  c.Assign(2, stereo);
  // A 24-bit file on a 16-bit file is refused by the assignment rules...
  WAV_LIBRARY_ENTRY* deep = c.AddNoiseWav("deep.wav", 1, 24, 60000, 7);
  ASSERT_NE(deep, nullptr);
  TRACK_STEREO_FLAGS stereoFlags = {};
  EXPECT_EQ(AssignTrack(c.plan, stereoFlags, c.state.audio, deep, 1).code, TRACK_ASSIGN_24_ON_16);
  // ...and an engine handed one anyway leaves the element as it is.
  c.Assign(1, deep);
  c.SetRange(0, 29);

  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
  const std::vector<uint8_t> got = ReadAll(c.path);
  const uint64_t v = c.layout.Sound(0, 0).valueOffset;
  EXPECT_EQ(got[v], 0x34);
  EXPECT_EQ(got[v + 1], 0x12);
  const auto& untouched = c.layout.Sound(3, 1);
  EXPECT_TRUE(std::equal(got.begin() + static_cast<long>(untouched.valueOffset),
                         got.begin() + static_cast<long>(untouched.valueOffset + untouched.valueSize),
                         c.original.begin() + static_cast<long>(untouched.valueOffset)));
}

// The data runs out part way through a frame, and part way through a
// sample frame of a stereo file (a data chunk of odd size): the bytes that
// are there, then silence up to OUT. Bytes after the data chunk are never taken.
TEST_P(EngineTest, WavShorterThanRangeEndsInSilence) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(40, 4)));
  WavContent m;
  m.data = NoiseBytes(3 * 5000, 8);  // ~3 frames at 29.97
  m.trailingChunk = true;
  WavContent s;
  s.channels = 2;
  s.data = NoiseBytes(6 * 7000 + 4, 9);  // channel 0 whole, channel 1 cut after one byte
  s.trailingChunk = true;
  WAV_LIBRARY_ENTRY* mono = c.AddWav("short.wav", m);
  WAV_LIBRARY_ENTRY* stereo = c.AddWav("cut.wav", s);
  ASSERT_TRUE(mono && stereo);
  ASSERT_EQ(stereo->format.dataSize, 6u * 7000 + 4);
  c.Assign(0, mono);
  c.Assign(2, stereo);
  c.SetRange(2, 30);

  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

// Index layouts: ranges that start and end inside index segments, segments
// that cover several body partitions, partitions with their own segments.
struct LayoutCase {
  const char* name;
  mxfgen::IndexLayout index;
  int partitions;
  uint32_t maxSegmentEntries;
  bool ancillary;
};

class LayoutTest : public ::testing::TestWithParam<std::tuple<Engine, LayoutCase>> {};

TEST_P(LayoutTest, RangeAcrossSegmentsAndPartitions) {
  const auto& [engine, lc] = GetParam();
  RewrapCase c;
  mxfgen::Options o = SmallClip(75, 6);
  o.indexLayout = lc.index;
  o.essencePartitions = lc.partitions;
  o.maxSegmentEntries = lc.maxSegmentEntries;
  o.ancillary = lc.ancillary;
  o.pictureSizes = {1500, 2300, 900, 4100, 1700};  // edit units of varying size
  ASSERT_TRUE(c.Make(o));
  WAV_LIBRARY_ENTRY* a = c.AddNoiseWav("a.wav", 1, 24, 300000, 10);
  WAV_LIBRARY_ENTRY* b = c.AddNoiseWav("b.wav", 2, 16, 300000, 11);
  ASSERT_TRUE(a && b);
  c.Assign(1, a);
  c.Assign(4, b);
  c.SetRange(3, 70);
  ASSERT_EQ(RunEngine(engine, c.path, &c.plan, &c.state.base), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutTest,
    ::testing::Combine(::testing::Values(Engine::Mapping, Engine::File),
                       ::testing::Values(LayoutCase{"Footer", mxfgen::IndexLayout::Footer, 1, 0, false},
                                         LayoutCase{"FooterOverPartitions", mxfgen::IndexLayout::Footer, 3, 0, false},
                                         LayoutCase{"FooterSplit", mxfgen::IndexLayout::FooterSplit, 3, 7, false},
                                         LayoutCase{"BodyBefore", mxfgen::IndexLayout::BodyBefore, 4, 0, false},
                                         LayoutCase{"BodyAfter", mxfgen::IndexLayout::BodyAfter, 4, 0, true},
                                         LayoutCase{"Ancillary", mxfgen::IndexLayout::FooterSplit, 2, 11, true})),
    [](const auto& info) {
      return std::string(EngineName(std::get<0>(info.param))) + "_" + std::get<1>(info.param).name;
    });

// Rates with and without sample cycles; at 23.98, 24 and 25 a two-channel
// 24-bit frame is larger than at 29.97.
class RateTest : public ::testing::TestWithParam<std::tuple<Engine, int>> {};

TEST_P(RateTest, StereoAtEveryRate) {
  const auto& [engine, rateClass] = GetParam();
  RewrapCase c;
  mxfgen::Options o = SmallClip(36, 4);
  o.frameRateClass = rateClass;
  o.dropFrame = rateClass == FRC_29_97 || rateClass == FRC_59_94;
  ASSERT_TRUE(c.Make(o));
  WAV_LIBRARY_ENTRY* s = c.AddNoiseWav("s.wav", 2, 24, 100000, 12);
  ASSERT_NE(s, nullptr);
  c.Assign(0, s);
  c.Assign(2, s);
  c.SetRange(1, 34);
  ASSERT_EQ(RunEngine(engine, c.path, &c.plan, &c.state.base), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

INSTANTIATE_TEST_SUITE_P(Rates, RateTest,
                         ::testing::Combine(::testing::Values(Engine::Mapping, Engine::File),
                                            ::testing::Values(FRC_24, FRC_25, FRC_30, FRC_60, FRC_23_98, FRC_29_97,
                                                              FRC_59_94)),
                         [](const auto& info) {
                           return std::string(EngineName(std::get<0>(info.param))) + "_class" +
                                  std::to_string(std::get<1>(info.param));
                         });

// A clip that starts in hour 23 and runs past midnight: the range is given
// in the shifted form and crosses 00:00:00:00.
TEST_P(EngineTest, RangeAcrossMidnight) {
  RewrapCase c;
  mxfgen::Options o = SmallClip(100, 2);
  o.frameRateClass = FRC_25;
  o.startFrame = (23 * 3600 + 59 * 60 + 58) * 25;  // 23:59:58:00
  ASSERT_TRUE(c.Make(o));
  ASSERT_EQ(c.state.timecode.startHourIs23, 1);
  WAV_LIBRARY_ENTRY* m = c.AddNoiseWav("m.wav", 1, 24, 200000, 13);
  ASSERT_NE(m, nullptr);
  c.Assign(1, m);
  c.SetRange(10, 90);  // 23:59:58:10 .. 00:00:01:15
  ASSERT_GT(c.plan.wrapIn[0], c.plan.wrapOut[0]);
  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

// Longer than one WAV block (the 1-minute setting) and longer than one
// mapped chunk: the blocks and chunks only split the work.
TEST_P(EngineTest, LongRangeSplitIntoBlocksAndChunks) {
  RewrapCase c;
  mxfgen::Options o = SmallClip(2300, 2);
  o.pictureBytes = 200;
  ASSERT_TRUE(c.Make(o));
  WAV_LIBRARY_ENTRY* s = c.AddNoiseWav("s.wav", 2, 24, 1602 * 2200, 14);
  ASSERT_NE(s, nullptr);
  c.Assign(0, s);
  c.plan.wavBufferIndex = 0;  // 1 minute = 1798 frames at 29.97 drop-frame
  c.SetRange(4, 2290);
  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

// A file with a single sound element: its size comes from the element.
TEST_P(EngineTest, SingleSoundElement) {
  RewrapCase c;
  mxfgen::Options o = SmallClip(20, 1);
  ASSERT_TRUE(c.Make(o));
  WAV_LIBRARY_ENTRY* m = c.AddNoiseWav("m.wav", 1, 24, 50000, 15);
  ASSERT_NE(m, nullptr);
  c.Assign(0, m);
  c.SetRange(0, 19);
  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

// A multichannel file beside mono and stereo files: its channels in any
// order and slot, 16 bits widened, one file read for all of its slots
// (including one whose track is OFF).
TEST_P(EngineTest, MultichannelChannelsIntoChosenTracks) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(40)));
  WAV_LIBRARY_ENTRY* poly = c.AddNoiseWav("poly.wav", 6, 16, 60000, 41);
  WAV_LIBRARY_ENTRY* stereo = c.AddNoiseWav("stereo.wav", 2, 24, 60000, 42);
  WAV_LIBRARY_ENTRY* mono = c.AddNoiseWav("mono.wav", 1, 24, 60000, 43);
  ASSERT_TRUE(poly && stereo && mono);
  c.AssignChannel(0, poly, 4, false);  // OFF: untouched, yet the file's first slot
  c.Assign(1, mono);
  c.Assign(2, stereo);                 // tracks 3 and 4
  c.AssignChannel(4, poly, 5);
  c.AssignChannel(5, poly, 0);
  c.AssignChannel(7, poly, 2);
  c.plan.trackSwitch[6] = TRACK_ON;    // silence
  c.SetRange(4, 35);
  ASSERT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

// The two engines write the same file.
TEST(EnginesAgree, SameBytesFromBothEngines) {
  RewrapCase c;
  mxfgen::Options o = SmallClip(50, 8);
  o.indexLayout = mxfgen::IndexLayout::BodyBefore;
  o.essencePartitions = 2;
  ASSERT_TRUE(c.Make(o));
  WAV_LIBRARY_ENTRY* m = c.AddNoiseWav("m.wav", 1, 16, 30000, 16);
  WAV_LIBRARY_ENTRY* s = c.AddNoiseWav("s.wav", 2, 24, 90000, 17);
  ASSERT_TRUE(m && s);
  c.Assign(0, m);
  c.Assign(4, s);
  c.plan.trackSwitch[3] = TRACK_ON;
  c.SetRange(7, 41);
  ASSERT_EQ(RewrapByMapping(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base), 0);
  const std::vector<uint8_t> mapped = ReadAll(c.path);
  c.Restore();
  ASSERT_EQ(RewrapByFile(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base), 0);
  const std::vector<uint8_t> filed = ReadAll(c.path);
  EXPECT_TRUE(mapped == filed) << c.Describe(filed, mapped);
  EXPECT_TRUE(mapped != c.original);
}

// Cancelling: 99 after the frame in progress; frames up to currentFrame
// new, the rest old; the request is reset.
TEST_P(EngineTest, CancelKeepsFramesBeforeTheCancelPoint) {
  RewrapCase c;
  mxfgen::Options o = SmallClip(1000, 4);
  o.pictureBytes = 200;
  ASSERT_TRUE(c.Make(o));
  WAV_LIBRARY_ENTRY* m = c.AddNoiseWav("m.wav", 1, 24, 1602 * 1000, 18);
  ASSERT_NE(m, nullptr);
  for (int s = 0; s < 4; ++s) c.Assign(s, s % 2 ? nullptr : m);
  c.SetRange(0, 999);

  // The cancel lands once the engine has reached frame 20. An engine that
  // outran the watcher finished the job; run again (the result must still
  // be exact) until a cancel lands.
  int result = 0;
  for (int attempt = 0; attempt < 5 && result != 99; ++attempt) {
    c.Restore();
    c.plan.currentFrame = 0;
    c.plan.jobPhase = JOB_PHASE_CHECK;
    std::atomic<bool> started{false};
    std::thread watcher([&] {
      started = true;
      // Frame 20 of the write (the check before it counts its own frames).
      while (c.plan.jobPhase.load() != JOB_PHASE_WRITE || c.plan.currentFrame.load() < 20) std::this_thread::yield();
      c.plan.cancelRequest = 1;
    });
    while (!started) std::this_thread::yield();
    result = Run(c);
    watcher.join();
    if (result == 0) {
      EXPECT_TRUE(c.FileIs(c.Expected()));
      c.plan.cancelRequest = 0;
    }
  }
  ASSERT_EQ(result, 99);
  EXPECT_EQ(c.plan.cancelRequest.load(), 0u);
  const uint32_t done = c.plan.currentFrame.load();
  EXPECT_GE(done, 20u);
  EXPECT_LT(done, 999u);
  EXPECT_TRUE(c.FileIs(c.Expected(static_cast<int64_t>(done))));
  // The frames written before the cancel are journaled: undo takes them back.
  UNDO_OUTCOME undone;
  ASSERT_EQ(UndoNewestRewrap(plat::Utf8ToUtf16(c.path), UNDO_SETTINGS{}, &undone), UNDO_OK) << undone.why;
  EXPECT_TRUE(c.FileIs(c.original));
}

// After a mapped rewrap the file's access and write times are the time of
// completion in whole seconds.
TEST(MappedTimes, ModificationTimeSetToCompletion) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(10, 2)));
  c.plan.trackSwitch[0] = TRACK_ON;
  c.SetRange(0, 9);
  {
    plat::File f = plat::File::Open(plat::Utf8ToUtf16(c.path), plat::Access::ReadWrite, plat::Share::Shared);
    const plat::FileTime old{1000000000LL * 1000000000LL + 123};
    ASSERT_TRUE(f.SetTimes(&old, &old));
  }
  const int64_t before = plat::Now().unixNanos;
  ASSERT_EQ(RewrapByMapping(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base), 0);
  const int64_t after = plat::Now().unixNanos;
  plat::DirRecord rec;
  ASSERT_TRUE(plat::StatPath(plat::Utf8ToUtf16(c.path), &rec));
  EXPECT_EQ(rec.times.modification.unixNanos % 1000000000LL, 0);
  EXPECT_GE(rec.times.modification.unixNanos, before - 1000000000LL);
  EXPECT_LE(rec.times.modification.unixNanos, after);
  EXPECT_EQ(rec.times.access.unixNanos, rec.times.modification.unixNanos);
}

}  // namespace
}  // namespace rewrap_test
