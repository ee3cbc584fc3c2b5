// The undo journal through both engines: undo gives the original byte for
// byte, journals stack and are taken newest first, and a journal that is
// damaged, cut short, of another version or of another file is refused with
// the MXF file untouched.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "platform/file.h"
#include "platform/path.h"
#include "rewrap/checksum64.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/undo_journal.h"
#include "rewrap/undo_place.h"
#include "rewrap/undo_preflight.h"
#include "rewrap/undo_restore.h"
#include "rewrap/undo_runs.h"
#include "tests/rewrap/rewrap_fixture.h"

namespace rewrap_test {
namespace {

class UndoTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(c.Make(SmallClip(120, 4)));
    a = c.AddNoiseWav("a.wav", 1, 24, 400000, 11);
    stereo = c.AddNoiseWav("s.wav", 2, 16, 400000, 12);
    ASSERT_TRUE(a && stereo);
    mxf = plat::Utf8ToUtf16(c.path);
  }
  int Run() { return RunEngine(GetParam(), c.path, &c.plan, &c.state.base); }
  std::string Journal(uint32_t age = 0) { return plat::Utf16ToUtf8(UndoJournalPath(mxf, settings, age)); }
  // One rewrap: track 1 from a.wav, 3-4 stereo, 2 silence, frames first..last.
  void Rewrap(int64_t first, int64_t last) {
    for (int s = 0; s < 4; ++s) c.plan.trackSwitch[s] = TRACK_OFF;
    c.Assign(0, a);
    c.plan.trackSwitch[1] = TRACK_ON;
    c.Assign(2, stereo);
    c.SetRange(first, last);
    ASSERT_EQ(Run(), 0);
  }

  RewrapCase c;
  WAV_LIBRARY_ENTRY* a = nullptr;
  WAV_LIBRARY_ENTRY* stereo = nullptr;
  std::u16string mxf;
  UNDO_SETTINGS settings;
};

INSTANTIATE_TEST_SUITE_P(Engines, UndoTest, ::testing::Values(Engine::Mapping, Engine::File),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

TEST_P(UndoTest, StackedRewrapsUndoNewestFirstToTheOriginal) {
  Rewrap(5, 60);
  const std::vector<uint8_t> first = ReadAll(c.path);
  uint64_t written = 0;
  for (int64_t f = 5; f <= 60; ++f) {
    for (int slot = 0; slot < 4; ++slot) written += c.layout.Sound(f, slot).valueSize;
  }
  EXPECT_EQ(LastUndoReport().bytesVerified, written);
  EXPECT_LE(LastUndoReport().journalBytes, UndoJournalBytes(c.plan, c.state.base));
  EXPECT_GE(LastUndoReport().journalBytes, written);
  Rewrap(40, 119);
  const std::vector<uint8_t> second = ReadAll(c.path);
  ASSERT_NE(first, second);
  ASSERT_NE(first, c.original);

  UNDO_OUTCOME o;
  ASSERT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_OK) << o.why;
  EXPECT_EQ(o.journal.description.frameCount, 80u);
  EXPECT_TRUE(c.FileIs(first));
  ASSERT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_OK) << o.why;
  EXPECT_TRUE(c.FileIs(c.original));
  EXPECT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_NO_JOURNAL);
  EXPECT_FALSE(plat::PathExists(UndoJournalPath(mxf, settings, 0)));
}

TEST_P(UndoTest, KeepsTheLastNJournals) {
  settings.keep = 2;
  UndoSettings() = settings;
  Rewrap(0, 10);
  Rewrap(20, 30);
  const std::vector<uint8_t> second = ReadAll(c.path);
  Rewrap(40, 50);
  const std::vector<uint8_t> third = ReadAll(c.path);
  EXPECT_TRUE(plat::PathExists(UndoJournalPath(mxf, settings, 1)));
  EXPECT_FALSE(plat::PathExists(UndoJournalPath(mxf, settings, 2)));
#if !defined(_WIN32)
  // A journal that cannot be written (a file-size limit) is not left behind
  // the kept ones where undo would meet it first.
  {
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    c.SetRange(60, 70);
    const int result = Run();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, StepOf(GetParam()) + REWRAP_JOURNAL_FAILED);
    EXPECT_TRUE(c.FileIs(third));
    EXPECT_FALSE(UndoRecoveryPending(mxf, settings));
    EXPECT_TRUE(plat::PathExists(UndoJournalPath(mxf, settings, 1)));
    EXPECT_FALSE(plat::PathExists(UndoJournalPath(mxf, settings, 2)));
  }
#endif
  UndoSettings() = UNDO_SETTINGS{};
  UNDO_OUTCOME o;
  ASSERT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_OK) << o.why;
  EXPECT_TRUE(c.FileIs(second));
  ASSERT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_OK) << o.why;
  EXPECT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_NO_JOURNAL);  // the first one was dropped
}

TEST_P(UndoTest, JournalInAFolderAndNoJournal) {
  settings.folder = plat::Utf8ToUtf16(c.scratch.Path(""));
  UndoSettings() = settings;
  Rewrap(3, 9);
  UndoSettings().journal = false;
  Rewrap(8, 12);  // not journaled: the undo below must see it as a change
  UndoSettings() = UNDO_SETTINGS{};
  const std::string j = Journal();
  EXPECT_NE(j.find("clip.mxf-"), std::string::npos);
  ASSERT_TRUE(plat::PathExists(UndoJournalPath(mxf, settings, 0)));
  EXPECT_FALSE(plat::PathExists(mxf + u".velmora-undo"));
  UNDO_OUTCOME o;
  const std::vector<uint8_t> before = ReadAll(c.path);
  EXPECT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_CHANGED);
  EXPECT_EQ(o.frame, 5);  // frame 8 of the file, offset 5 from IN
  EXPECT_EQ(o.slot, 0);
  EXPECT_TRUE(c.FileIs(before));
}

// Changed since the rewrap: one byte of one value; refused naming where.
TEST_P(UndoTest, RefusesWhenTheFileChangedSince) {
  Rewrap(5, 60);
  std::vector<uint8_t> bytes = ReadAll(c.path);
  const auto& el = c.layout.Sound(30, 3);
  bytes[el.valueOffset + 17] ^= 0x40;
  WriteAll(c.path, bytes);
  UNDO_OUTCOME o;
  EXPECT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_CHANGED);
  EXPECT_EQ(o.frame, 25);
  EXPECT_EQ(o.slot, 3);
  EXPECT_EQ(o.offset, el.valueOffset);
  EXPECT_TRUE(c.FileIs(bytes));
}

// A journal made unusable in each way is refused before the MXF changes.
TEST_P(UndoTest, RefusesDamagedTruncatedForeignAndLaterJournals) {
  Rewrap(5, 60);
  const std::vector<uint8_t> rewrapped = ReadAll(c.path);
  const std::vector<uint8_t> journal = ReadAll(Journal());
  const UNDO_REPORT report = LastUndoReport();
  ASSERT_EQ(journal.size(), report.journalBytes);
  const size_t dataEnd = kUndoHeaderBytes + (journal.size() - kUndoHeaderBytes) / 2;  // inside the old bytes
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
    int want;
  };
  const uint32_t later = kUndoJournalVersion + 1;
  const Case cases[] = {
      {"magic", [](auto& j) { j[3] ^= 1; }, UNDO_BAD_JOURNAL},
      {"version", [&](auto& j) { std::memcpy(&j[16], &later, 4); }, UNDO_BAD_JOURNAL},
      {"state", [](auto& j) { j[20] = 9; }, UNDO_BAD_JOURNAL},
      {"header field", [](auto& j) { j[33] ^= 1; }, UNDO_BAD_JOURNAL},
      {"old bytes", [&](auto& j) { j[dataEnd] ^= 0x80; }, UNDO_BAD_JOURNAL},
      {"run table", [&](auto& j) { j[j.size() - 600] ^= 1; }, UNDO_BAD_JOURNAL},
      {"completion", [](auto& j) { j[j.size() - 9] ^= 1; }, UNDO_BAD_JOURNAL},
      {"cut in the header", [](auto& j) { j.resize(40); }, UNDO_BAD_JOURNAL},
      {"cut in the data", [&](auto& j) { j.resize(dataEnd); }, UNDO_BAD_JOURNAL},
      {"cut in the completion", [](auto& j) { j.resize(j.size() - 8); }, UNDO_BAD_JOURNAL},
      {"trailing bytes", [](auto& j) { j.push_back(0); }, UNDO_BAD_JOURNAL},
      {"empty", [](auto& j) { j.clear(); }, UNDO_BAD_JOURNAL},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    std::vector<uint8_t> j = journal;
    k.damage(j);
    WriteAll(Journal(), j);
    UNDO_OUTCOME o;
    EXPECT_EQ(UndoNewestRewrap(mxf, settings, &o), k.want);
    EXPECT_FALSE(o.why.empty());
    EXPECT_EQ(RollBackInterrupted(mxf, settings, &o) == UNDO_OK, false);
    EXPECT_TRUE(c.FileIs(rewrapped));
  }
  {
    SCOPED_TRACE("another file");
    WriteAll(Journal(), journal);
    const std::string other = c.scratch.Path("other.mxf");
    WriteAll(other, rewrapped);
    const std::u16string other16 = plat::Utf8ToUtf16(other);
    WriteAll(plat::Utf16ToUtf8(UndoJournalPath(other16, settings, 0)), journal);
    UNDO_OUTCOME o;
    EXPECT_EQ(UndoNewestRewrap(other16, settings, &o), UNDO_FOREIGN);
    EXPECT_EQ(ReadAll(other), rewrapped);
  }
  {
    SCOPED_TRACE("an element header changed");
    std::vector<uint8_t> bytes = rewrapped;
    bytes[c.layout.Sound(44, 1).valueOffset - 1] ^= 1;  // the length's low byte
    WriteAll(c.path, bytes);
    UNDO_OUTCOME o;
    EXPECT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_FOREIGN);
    EXPECT_TRUE(c.FileIs(bytes));
    WriteAll(c.path, rewrapped);
  }
  UNDO_OUTCOME o;
  ASSERT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_OK) << o.why;
  EXPECT_TRUE(c.FileIs(c.original));
}

// An interrupted rewrap (journal left "in progress") blocks a new one
// until it is rolled back.
TEST_P(UndoTest, InterruptedRewrapBlocksUntilRolledBack) {
  Rewrap(5, 60);
  plat::File j = plat::File::Open(UndoJournalPath(mxf, settings, 0), plat::Access::ReadWrite, plat::Share::Shared);
  ASSERT_TRUE(SetUndoJournalState(j, UNDO_STATE_IN_PROGRESS, nullptr));
  j.Close();
  const std::vector<uint8_t> rewrapped = ReadAll(c.path);
  EXPECT_TRUE(UndoRecoveryPending(mxf, settings));
  EXPECT_EQ(Run(), StepOf(GetParam()) + 19);
  EXPECT_TRUE(c.FileIs(rewrapped));
  UNDO_OUTCOME o;
  EXPECT_EQ(InspectUndo(mxf, settings, &o), UNDO_OK);
  EXPECT_EQ(o.frame, 55);  // the last frame that differs from the original
  EXPECT_EQ(UndoNewestRewrap(mxf, settings, &o), UNDO_INTERRUPTED);
  ASSERT_EQ(RollBackInterrupted(mxf, settings, &o), UNDO_OK) << o.why;
  EXPECT_TRUE(c.FileIs(c.original));

}

// The read-back splits the runs among several readers; what it reports
// must still be what one reader front to back would find first.
TEST(ReadBack, NamesTheFirstValueThatDiffersWhicheverReaderMetIt) {
  constexpr uint32_t kFrameCount = 64, kPerFrame = 4, kLength = 1000;
  constexpr uint64_t kFrameBytes = 6000;
  std::vector<uint8_t> bytes(kFrameCount * kFrameBytes);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  std::vector<UNDO_RUN> runs;
  for (uint32_t k = 0; k < kFrameCount; ++k) {
    for (uint32_t j = 0; j < kPerFrame; ++j) {
      UNDO_RUN r;
      r.offset = k * kFrameBytes + 20 + j * 1100;
      r.length = kLength;
      r.frame = k;
      r.slot = static_cast<uint16_t>(j);
      r.headerBytes = 20;
      r.newSum = Checksum64(bytes.data() + r.offset, kLength);
      runs.push_back(r);
    }
  }
  Scratch scratch;
  const std::string path = scratch.Path("read-back.bin");
  auto readBack = [&] {
    const plat::File f = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Read, plat::Share::Shared);
    return ReadBackRuns(f, runs, runs.size());
  };

  WriteAll(path, bytes);
  UNDO_READ_BACK r = readBack();
  EXPECT_TRUE(r.same);
  EXPECT_EQ(r.verified, uint64_t{kFrameCount} * kPerFrame * kLength);

  // Two values differ, in the parts of different readers: the earlier counts.
  std::vector<uint8_t> damaged = bytes;
  damaged[runs[50 * kPerFrame + 1].offset + 999] ^= 1;
  damaged[runs[20 * kPerFrame + 3].offset] ^= 0x80;
  WriteAll(path, damaged);
  r = readBack();
  EXPECT_FALSE(r.same);
  EXPECT_EQ(r.mismatch, size_t{20 * kPerFrame + 3});
  EXPECT_EQ(r.verified, uint64_t{20 * kPerFrame + 3} * kLength);

  // A file cut short: a read fails, and no value is blamed.
  bytes.resize(60 * kFrameBytes + 500);
  WriteAll(path, bytes);
  r = readBack();
  EXPECT_FALSE(r.same);
  EXPECT_EQ(r.mismatch, SIZE_MAX);
}

}  // namespace
}  // namespace rewrap_test
