// The verification step on hand-made clips: every frame's timecode word sits
// at its indexed address and the records are filled as the analysis fills
// them, so each case controls exactly which labels the step compares.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/job_runner.h"
#include "platform/mapping.h"
#include "verify_fixture.h"

namespace verify_test {
namespace {

constexpr int kMapping = 0;
constexpr int kFileIo = 1;

// 25 fps labels from hh:00:00:00.
int32_t At25(int h, int m, int s, int f) { return ((h * 60 + m) * 60 + s) * 25 + f; }

class VerifyBothMethods : public ::testing::TestWithParam<int> {
 protected:
  int method() const { return GetParam(); }
  TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(Methods, VerifyBothMethods, ::testing::Values(kMapping, kFileIo),
                         [](const auto& info) { return info.param == kMapping ? "Mapping" : "FileIo"; });

TEST_P(VerifyBothMethods, CleanClipReportsNothingAndReleasesItsArrays) {
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, At25(10, 0, 0, 0), 60);
  recipe.segmentFrames = 16;
  Clip clip(dir_.File("clean.bin"), recipe);
  clip.tc().ltcErrorCount = 7;  // left over from an earlier file

  EXPECT_EQ(clip.Verify(method()), 0);
  EXPECT_EQ(clip.tc().ltcErrorCount, 0);
  EXPECT_TRUE(clip.Errors().empty());
  EXPECT_EQ(clip.tc().progressDone.load(), 59);
  EXPECT_EQ(clip.tc().cancelRequested.load(), 0);
  EXPECT_EQ(clip.tc().frameStatus, nullptr);
  EXPECT_EQ(clip.tc().frameTimecodes, nullptr);
}

TEST_P(VerifyBothMethods, JumpStillBackwardsAndAnInvalidLabel) {
  const int32_t s = At25(10, 0, 0, 0);
  ClipRecipe recipe;
  recipe.words = {Word(10, 0, 0, 0), Word(10, 0, 0, 1), Word(10, 0, 0, 3),  Word(10, 0, 0, 4),
                Word(10, 0, 0, 4), Word(10, 0, 0, 3), Word(10, 0, 0, 4),  Word(10, 60, 0, 5),
                Word(10, 0, 0, 6), Word(10, 0, 0, 7), Word(10, 0, 0, 25), Word(10, 0, 1, 1)};
  Clip clip(dir_.File("faults.bin"), recipe);

  ASSERT_EQ(clip.Verify(method()), kVerifyTimecodeErrors);
  const std::vector<Err> expected = {
      {LTC_JUMP, 1, s + 1, s + 3},      {LTC_STILL, 3, s + 4, s + 4}, {LTC_BACKWARDS, 4, s + 4, s + 3},
      {LTC_JUMP, 6, s + 4, -2},         {LTC_BACKWARDS, 7, -2, s + 6},  // minutes 60
      {LTC_JUMP, 9, s + 7, -2},         {LTC_BACKWARDS, 10, -2, s + 26},  // frames 25 at 25 fps
  };
  EXPECT_EQ(clip.Errors(), expected);
  EXPECT_EQ(clip.tc().ltcErrorCount, 7);
  // Without the hour shift the compared values are the counts themselves.
  for (const LTC_ERROR_ENTRY* e = clip.tc().ltcErrors->next; e != nullptr; e = e->next) {
    EXPECT_EQ(e->comparedA, e->occurrenceFrames);
    EXPECT_EQ(e->comparedB, e->resumeFrames);
  }
}

TEST_P(VerifyBothMethods, ClipStartingInHour23CrossesMidnightWithoutErrors) {
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, At25(23, 59, 59, 20), 12);  // to 00:00:00:06
  recipe.startHourIs23 = 1;
  Clip shifted(dir_.File("shifted.bin"), recipe);
  EXPECT_EQ(shifted.Verify(method()), 0);
  EXPECT_TRUE(shifted.Errors().empty());

  // Compared on the plain scale, midnight is a step back.
  recipe.startHourIs23 = 0;
  Clip plain(dir_.File("plain.bin"), recipe);
  EXPECT_EQ(plain.Verify(method()), kVerifyTimecodeErrors);
  EXPECT_EQ(plain.Errors(), (std::vector<Err>{{LTC_BACKWARDS, 4, At25(23, 59, 59, 24), 0}}));
}

TEST_P(VerifyBothMethods, Hour23ErrorsCarryUnshiftedLabelsAndShiftedComparisons) {
  ClipRecipe recipe;
  recipe.words = {Word(23, 59, 59, 23), Word(23, 59, 59, 24), Word(0, 0, 0, 0), Word(0, 0, 0, 2),
                Word(0, 60, 0, 3), Word(0, 0, 0, 4)};
  recipe.startHourIs23 = 1;
  Clip clip(dir_.File("h23.bin"), recipe);

  ASSERT_EQ(clip.Verify(method()), kVerifyTimecodeErrors);
  EXPECT_EQ(clip.Errors(), (std::vector<Err>{{LTC_JUMP, 2, 0, 2}, {LTC_JUMP, 3, 2, -2}, {LTC_BACKWARDS, 4, -2, 4}}));
  const LTC_ERROR_ENTRY* first = clip.tc().ltcErrors->next;
  EXPECT_EQ(first->comparedA, 90000);  // 01:00:00:00 on the shifted scale
  EXPECT_EQ(first->comparedB, 90002);
  // An invalid label stays invalid on the shifted scale (it must not turn
  // into a label one hour minus two frames).
  EXPECT_EQ(first->next->comparedB, -2);
}

TEST_P(VerifyBothMethods, SixtyFrameMaterialComparesEvenFramesAndIgnoresBit15) {
  // 59.94 DF across a minute boundary: labels at 30 per second, two frames each.
  ClipRecipe recipe;
  recipe.tcBase = TC_BASE_60;
  recipe.dropFrame = 1;
  const int64_t start = 1799 - 3;  // 00:00:59;26 at 30 DF
  recipe.words = Labels(TC_BASE_60, true, start, 20, true);
  {
    Clip clean(dir_.File("clean60.bin"), recipe);
    EXPECT_EQ(clean.Verify(method()), 0);
  }
  // Odd frames are never compared.
  recipe.words[5] = 0x12345678;
  recipe.words[11] = recipe.words[0];
  {
    Clip oddOnly(dir_.File("odd60.bin"), recipe);
    EXPECT_EQ(oddOnly.Verify(method()), 0);
  }
  // An even frame that repeats the label of the frame two before it.
  recipe.words[6] = recipe.words[4];
  Clip even(dir_.File("even60.bin"), recipe);
  ASSERT_EQ(even.Verify(method()), kVerifyTimecodeErrors);
  const int32_t l4 = static_cast<int32_t>(start + 2);  // label of frames 4 and 5, counted at 30
  EXPECT_EQ(even.Errors(), (std::vector<Err>{{LTC_STILL, 4, l4, l4}, {LTC_JUMP, 6, l4, l4 + 2}}));
}

TEST_P(VerifyBothMethods, SixtyFrameOddAndTinyFrameCounts) {
  struct Case {
    int frames;
    int corrupt;     // frame whose label goes back to the first one
    size_t errors;
  };
  // 7 frames: pairs (0,2) (2,4) (4,6); 8 frames: frame 7 is odd; 2 or 1
  // frames: nothing to compare.
  for (const Case c : {Case{7, 6, 1}, Case{8, 7, 0}, Case{3, 2, 1}, Case{2, 1, 0}, Case{1, 0, 0}}) {
    ClipRecipe recipe;
    recipe.tcBase = TC_BASE_60;
    recipe.words = Labels(TC_BASE_60, false, 3600, c.frames);
    recipe.words[c.corrupt] = Word(23, 0, 0, 0);
    Clip clip(dir_.File(std::to_string(c.frames) + "frames.bin"), recipe);
    EXPECT_EQ(clip.Verify(method()), c.errors > 0 ? kVerifyTimecodeErrors : 0) << c.frames;
    EXPECT_EQ(clip.Errors().size(), c.errors) << c.frames;
    if (c.errors > 0) {
      EXPECT_EQ(clip.Errors()[0].frameIndex, c.corrupt - 2);
    }
  }
}

TEST_P(VerifyBothMethods, DropFrameFlagInTheFramesByteIsIgnored) {
  ClipRecipe recipe;
  recipe.tcBase = TC_BASE_30;
  recipe.dropFrame = 1;
  recipe.words = Labels(TC_BASE_30, true, 1795, 10, true);  // 00:00:59;25 .. 00:01:00;04
  for (size_t i = 0; i < recipe.words.size(); i += 3) recipe.words[i] &= ~0x40u;  // flag on some frames only
  Clip clip(dir_.File("df.bin"), recipe);
  EXPECT_EQ(clip.Verify(method()), 0);
  EXPECT_TRUE(clip.Errors().empty());
}

TEST_P(VerifyBothMethods, SingleFrameMakesNoComparison) {
  ClipRecipe recipe;
  recipe.words = {0xDEADBEEF};
  Clip one(dir_.File("one.bin"), recipe);
  EXPECT_EQ(one.Verify(method()), 0);
  EXPECT_EQ(one.tc().ltcErrorCount, 0);
}

TEST_P(VerifyBothMethods, FramesThatDoNotOpenWithASystemItemAreRefusedUnread) {
  // No system item (a picture element first), a system item whose short
  // length puts its value 3 bytes earlier, and one too short to hold the
  // timecode: reading byte 61 would decode picture or fill bytes.
  std::vector<uint8_t> system = ClipRecipe{}.frameHead;
  std::vector<uint8_t> picture = system;
  picture[4] = 0x01;
  picture[12] = 0x15;
  std::vector<uint8_t> shortForm(system.begin(), system.begin() + 17);
  shortForm[16] = 0x39;
  std::vector<uint8_t> tooShort = system;
  tooShort[19] = 44;
  for (const auto& head : {picture, shortForm, tooShort, std::vector<uint8_t>{}}) {
    ClipRecipe recipe;
    recipe.words = Labels(TC_BASE_25, false, At25(10, 0, 0, 0), 8);
    recipe.frameHead = head;
    Clip clip(dir_.File("nosystem.bin"), recipe);
    EXPECT_EQ(clip.Verify(method()), kVerifyNoSystemItem);
    EXPECT_EQ(clip.tc().ltcErrorCount, 0);
    EXPECT_EQ(clip.tc().progressDone.load(), 0);
  }
}

TEST_P(VerifyBothMethods, TimecodesPastTheEndOfTheFileCountAsInvalid) {
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, At25(1, 0, 0, 0), 10);
  recipe.segmentFrames = 4;
  // Frame 8 starts inside the file but its timecode is cut; frame 9 lies
  // wholly past the end.
  recipe.truncateTo = static_cast<int64_t>(recipe.headerBytes + 8 * recipe.frameLength + 63);
  Clip clip(dir_.File("cut.bin"), recipe);
  ASSERT_EQ(clip.Verify(method()), kVerifyTimecodeErrors);
  EXPECT_EQ(clip.Errors(), (std::vector<Err>{{LTC_JUMP, 7, At25(1, 0, 0, 7), -2}, {LTC_STILL, 8, -2, -2}}));
}

TEST_P(VerifyBothMethods, CancelAtAFrame) {
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, 0, 40);
  recipe.words[20] = Word(5, 0, 0, 0);
  recipe.segmentFrames = 8;
  Clip clip(dir_.File("cancel.bin"), recipe);
  ASSERT_EQ(clip.Verify(method()), kVerifyTimecodeErrors);
  ASSERT_EQ(clip.tc().ltcErrorCount, 2);

  VERIFY_OPTIONS options;
  options.onFrame = [&](int32_t frame) {
    if (frame == 13) clip.tc().cancelRequested = 1;
  };
  EXPECT_EQ(clip.Verify(method(), options), kVerifyCancelled);
  EXPECT_EQ(clip.tc().progressDone.load(), 13);
  // The mapped walk serves the request and clears it; the file walk leaves
  // it for the next verification to clear.
  EXPECT_EQ(clip.tc().cancelRequested.load(), method() == kMapping ? 0 : 1);
  // The errors of the earlier run are gone; nothing is reported for this one.
  EXPECT_EQ(clip.tc().ltcErrorCount, 0);
  EXPECT_TRUE(clip.Errors().empty());
  EXPECT_EQ(clip.tc().frameStatus, nullptr);
  EXPECT_EQ(clip.tc().frameTimecodes, nullptr);

  // A later verification starts afresh whatever the flag was left at.
  EXPECT_EQ(clip.Verify(method()), kVerifyTimecodeErrors);
  EXPECT_EQ(clip.tc().ltcErrorCount, 2);
}

TEST_P(VerifyBothMethods, CancelFromTheInterfaceThread) {
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, 0, 50);
  Clip clip(dir_.File("thread.bin"), recipe);

  // The worker pauses at frame 30 until the other thread has pressed cancel.
  std::mutex m;
  std::condition_variable cv;
  bool reached = false, pressed = false;
  std::thread ui([&] {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return reached; });
    clip.tc().cancelRequested = 1;
    pressed = true;
    cv.notify_all();
  });
  VERIFY_OPTIONS options;
  options.onFrame = [&](int32_t frame) {
    if (frame != 30) return;
    std::unique_lock lock(m);
    reached = true;
    cv.notify_all();
    cv.wait(lock, [&] { return pressed; });
  };
  EXPECT_EQ(clip.Verify(method(), options), kVerifyCancelled);
  ui.join();
  EXPECT_EQ(clip.tc().progressDone.load(), 30);
}

TEST_P(VerifyBothMethods, PartitionGapInsideASegmentIsReadAtTheIndexedAddress) {
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, 0, 20);
  recipe.gaps = {{7, 700}, {19, 50000}};  // e.g. body partition packs between frames of one segment
  Clip clip(dir_.File("gap.bin"), recipe);
  size_t views = 0;
  VERIFY_OPTIONS options;
  options.onView = [&](uint64_t, size_t) { ++views; };
  EXPECT_EQ(clip.Verify(method(), options), 0);
  EXPECT_TRUE(clip.Errors().empty());
  // The mapped walk starts a new view behind each gap.
  EXPECT_EQ(views, method() == kMapping ? 3u : 0u);
}

// ---------------------------------------------------------------------------

TEST(VerifyMapping, OneViewPerSegmentRunAndBoundedViewsGiveTheSameList) {
  TempDir dir;
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, 0, 200);
  recipe.words[33] = Word(9, 0, 0, 0);
  recipe.words[150] = recipe.words[149];
  recipe.segmentFrames = 50;
  Clip clip(dir.File("views.bin"), recipe);
  const uint64_t granularity = plat::AllocationGranularity();

  std::vector<std::pair<uint64_t, size_t>> views;
  VERIFY_OPTIONS options;
  options.onView = [&](uint64_t offset, size_t length) { views.emplace_back(offset, length); };
  ASSERT_EQ(clip.Verify(kMapping, options), kVerifyTimecodeErrors);
  const std::vector<Err> whole = clip.Errors();
  EXPECT_EQ(views.size(), 4u);
  for (size_t s = 0; s < views.size(); ++s) {
    const uint64_t first = clip.state().indexEntries[s * 50].streamOffset;
    EXPECT_EQ(views[s].first, first - first % granularity);
    EXPECT_EQ(views[s].first + views[s].second, first + 50 * recipe.frameLength);  // the run's frames
  }

  views.clear();
  options.maxViewBytes = 3 * granularity;
  ASSERT_EQ(clip.Verify(kMapping, options), kVerifyTimecodeErrors);
  EXPECT_EQ(clip.Errors(), whole);
  EXPECT_GT(views.size(), 4u);
  for (const auto& [offset, length] : views) {
    EXPECT_EQ(offset % granularity, 0u);
    EXPECT_LE(length, options.maxViewBytes);
  }

  ASSERT_EQ(clip.Verify(kFileIo), kVerifyTimecodeErrors);
  EXPECT_EQ(clip.Errors(), whole);
}

TEST(VerifyMapping, EmptyFileIsRefusedBeforeAnyView) {
  // Nothing to map and no system item to find: refused by both methods
  // before any work array exists.
  TempDir dir;
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, 0, 3);
  recipe.truncateTo = 0;
  Clip clip(dir.File("empty.bin"), recipe);
  for (int method : {kMapping, kFileIo}) {
    EXPECT_EQ(clip.Verify(method), kVerifyNoSystemItem);
    EXPECT_EQ(clip.tc().frameStatus, nullptr);
    EXPECT_TRUE(clip.Errors().empty());
  }
}

TEST(VerifyInputs, MissingRecordsAndUnsupportedBase) {
  TempDir dir;
  ClipRecipe recipe;
  recipe.words = Labels(TC_BASE_25, false, 0, 5);
  recipe.words[2] = 0;
  Clip clip(dir.File("inputs.bin"), recipe);
  MXF_BASE_INFO& base = clip.state().base;
  plat::File file = plat::File::Open(U16(clip.path()), plat::Access::Read, plat::Share::Shared);
  plat::File closed;

  EXPECT_EQ(VerifyStreamTimecodes(nullptr, &base), kVerifyBadFile);
  EXPECT_EQ(VerifyStreamTimecodes(&closed, &base), kVerifyBadFile);
  EXPECT_EQ(VerifyStreamTimecodes(&file, nullptr), kVerifyNoBaseInfo);
  base.timecode = nullptr;
  EXPECT_EQ(VerifyStreamTimecodes(&file, &base), kVerifyNoTimecodeInfo);
  base.timecode = &clip.state().timecode;
  base.audio = nullptr;
  EXPECT_EQ(VerifyStreamTimecodes(&file, &base), kVerifyNoAudioInfo);
  base.audio = &clip.state().audio;
  base.indexEntries = nullptr;
  EXPECT_EQ(VerifyStreamTimecodes(&file, &base), kVerifyNoWordMemory);
  base.indexEntries = &clip.state().indexEntries;

  // A base outside the four is refused before any frame is read, and no
  // errors of an earlier verification are left to pass for its result.
  ASSERT_EQ(VerifyStreamTimecodes(&file, &base), kVerifyTimecodeErrors);
  for (int32_t bad : {4, -1, 60}) {
    clip.tc().tcBase = bad;
    clip.tc().progressDone = 3;
    EXPECT_EQ(VerifyStreamTimecodes(&file, &base), kVerifyUnsupportedBase) << bad;
    EXPECT_EQ(clip.tc().progressDone.load(), 3);
    EXPECT_EQ(clip.tc().ltcErrorCount, 0);
    EXPECT_TRUE(clip.Errors().empty());
  }
  clip.tc().tcBase = TC_BASE_25;
  EXPECT_EQ(plat::Utf16ToUtf8(ReasonText(kVerifyStepCode, kVerifyUnsupportedBase)),
            "タイムコードの基準フレーム数が対応外のため検証できません。");

  // A total larger than the index is cut to the index.
  clip.tc().progressTotal = 1000;
  EXPECT_EQ(VerifyStreamTimecodes(&file, &base), kVerifyTimecodeErrors);
  EXPECT_EQ(clip.tc().progressDone.load(), 4);
  EXPECT_EQ(clip.tc().ltcErrorCount, 2);
}

TEST(VerifyDecode, TimecodeWordToFrames) {
  const uint32_t w = Word(1, 2, 3, 4);
  EXPECT_EQ(TimecodeWordToFrames(w, TC_BASE_25, 0, 0), At25(1, 2, 3, 4));
  EXPECT_EQ(TimecodeWordToFrames(w | 0x40, TC_BASE_25, 0, 0), At25(1, 2, 3, 4));  // drop-frame flag
  // Bit 15 tells the frames of a 60-frame label apart and nothing else;
  // elsewhere it is part of the seconds (which then exceed 59).
  EXPECT_EQ(TimecodeWordToFrames(w | 0x8000, TC_BASE_60, 0, 0), ((1 * 60 + 2) * 60 + 3) * 30 + 4);
  EXPECT_EQ(TimecodeWordToFrames(w | 0x8000, TC_BASE_30, 0, 0), -2);
  // Drop-frame counting at 30 and, for 60-frame material, at 30 as well.
  EXPECT_EQ(TimecodeWordToFrames(Word(0, 1, 0, 2), TC_BASE_30, 1, 0), 1800);
  EXPECT_EQ(TimecodeWordToFrames(Word(0, 1, 0, 2), TC_BASE_60, 1, 0), 1800);
  // The hour-23 scale.
  EXPECT_EQ(TimecodeWordToFrames(Word(23, 0, 0, 0), TC_BASE_24, 0, 1), 0);
  EXPECT_EQ(TimecodeWordToFrames(Word(0, 0, 0, 1), TC_BASE_24, 0, 1), 86401);
  EXPECT_EQ(TimecodeWordToFrames(kUnreadableTimecodeWord, TC_BASE_24, 0, 1), -2);
  EXPECT_EQ(TimecodeWordToFrames(w, 7, 0, 0), -2);
}

}  // namespace
}  // namespace verify_test
