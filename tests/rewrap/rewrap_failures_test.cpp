// The rewrap engines' refusals and failures: each code, and the file left
// untouched by every refusal that comes before the first write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

#include "tests/rewrap/rewrap_fixture.h"

namespace rewrap_test {
namespace {

class FailureTest : public ::testing::TestWithParam<Engine> {
 protected:
  int Run(RewrapCase& c) { return RunEngine(GetParam(), c.path, &c.plan, &c.state.base); }
  int Code(int column) const { return StepOf(GetParam()) + column; }

  // 8 tracks, 40 frames, files on tracks 1 and 3-4, silence on 6.
  void Prepare(RewrapCase& c) {
    ASSERT_TRUE(c.Make(SmallClip(40, 8)));
    WAV_LIBRARY_ENTRY* m = c.AddNoiseWav("m.wav", 1, 24, 100000, 21);
    WAV_LIBRARY_ENTRY* s = c.AddNoiseWav("s.wav", 2, 24, 100000, 22);
    ASSERT_TRUE(m && s);
    c.Assign(0, m);
    c.Assign(2, s);
    c.plan.trackSwitch[5] = TRACK_ON;
    c.SetRange(2, 37);
  }

  void Patch(RewrapCase& c, uint64_t offset, uint8_t value) {
    std::vector<uint8_t> bytes = ReadAll(c.path);
    bytes[offset] = value;
    WriteAll(c.path, bytes);
    c.original = bytes;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, FailureTest, ::testing::Values(Engine::Mapping, Engine::File),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

TEST_P(FailureTest, MissingArgumentsAndRecords) {
  RewrapCase c;
  Prepare(c);
  const bool mapping = GetParam() == Engine::Mapping;
  auto run = [&](const std::u16string& path, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base) {
    return mapping ? RewrapByMapping(path, plan, base) : RewrapByFile(path, plan, base);
  };
  const std::u16string path = plat::Utf8ToUtf16(c.path);
  EXPECT_EQ(run(u"", &c.plan, &c.state.base), Code(1));
  EXPECT_EQ(run(path, nullptr, &c.state.base), Code(2));
  EXPECT_EQ(run(path, &c.plan, nullptr), Code(3));
  MXF_BASE_INFO bare;
  EXPECT_EQ(run(path, &c.plan, &bare), Code(3));
  EXPECT_TRUE(c.FileIs(c.original));
}

TEST_P(FailureTest, RangeOutsideTheFileOrBackwards) {
  RewrapCase c;
  Prepare(c);
  c.SetRange(20, 10);
  EXPECT_EQ(Run(c), Code(5));
  c.SetRange(-1, 10);
  EXPECT_EQ(Run(c), Code(5));
  c.SetRange(10, 40);
  EXPECT_EQ(Run(c), Code(5));
  EXPECT_TRUE(c.FileIs(c.original));
  c.SetRange(0, 39);  // the whole file is fine
  EXPECT_EQ(Run(c), 0);
}

TEST_P(FailureTest, RatesWithoutSampleCycleAreRefused) {
  RewrapCase c;
  Prepare(c);
  c.state.timecode.frameRateClass = FRC_25_1001;
  EXPECT_EQ(Run(c), Code(4));
  c.state.timecode.frameRateClass = FRC_UNSUPPORTED;
  EXPECT_EQ(Run(c), Code(4));
  EXPECT_TRUE(c.FileIs(c.original));
}

// Each way an element can disagree with the index refuses the job with
// nothing written, even when the bad element is the range's last.
TEST_P(FailureTest, ElementThatIsNotWhatTheIndexSaysRefusesBeforeWriting) {
  struct Fault {
    const char* name;
    int slot;
    int byte;       // relative to the element's key
    uint8_t value;
  };
  const Fault faults[] = {
      {"key prefix", 0, 0, 0x07},     {"item type", 2, 12, 0x15},     {"element type", 3, 14, 0x02},
      {"length form", 5, 16, 0x82},   {"length value", 2, 19, 0x00},  {"length high byte", 0, 17, 0x01},
  };
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.name);
    RewrapCase c;
    Prepare(c);
    Patch(c, c.layout.Sound(37, f.slot).keyOffset + static_cast<uint64_t>(f.byte), f.value);
    EXPECT_EQ(Run(c), Code(14));
    EXPECT_TRUE(c.FileIs(c.original));
  }
}

TEST_P(FailureTest, IndexPointingElsewhereRefusesBeforeWriting) {
  {
    SCOPED_TRACE("delta off by two");
    RewrapCase c;
    Prepare(c);
    c.state.indexEntries[20].deltas[4].elementDelta += 2;  // track 3
    EXPECT_EQ(Run(c), Code(14));
    EXPECT_TRUE(c.FileIs(c.original));
  }
  {
    SCOPED_TRACE("two tracks on one element");
    RewrapCase c;
    Prepare(c);
    c.state.indexEntries[11].deltas[2] = c.state.indexEntries[11].deltas[4];  // track 1 onto track 3
    EXPECT_EQ(Run(c), Code(14));
    EXPECT_TRUE(c.FileIs(c.original));
  }
  {
    SCOPED_TRACE("sample count unlike the element");
    RewrapCase c;
    Prepare(c);
    c.state.indexEntries[30].audioSamples += 1;
    EXPECT_EQ(Run(c), Code(14));
    EXPECT_TRUE(c.FileIs(c.original));
  }
  {
    SCOPED_TRACE("element runs past the end of the file");
    RewrapCase c;
    Prepare(c);
    std::vector<uint8_t> cut = c.original;
    cut.resize(c.layout.Sound(39, 6).valueOffset + 100);
    WriteAll(c.path, cut);
    c.original = cut;
    c.SetRange(30, 39);
    c.plan.trackSwitch[6] = TRACK_ON;
    EXPECT_EQ(Run(c), Code(14));
    EXPECT_TRUE(c.FileIs(c.original));
  }
}

// A file whose sample cycle does not start at its first frame: the index
// gives every frame a sample count its elements do not have.
TEST_P(FailureTest, SampleCycleUnlikeTheElementsRefusesBeforeWriting) {
  RewrapCase c;
  mxfgen::Options o = SmallClip(30, 2);
  o.cyclePhase = 2;  // 1602, 1601, 1602, 1602, 1601 ... against the index's 1602, 1601, 1602, 1601, 1602
  ASSERT_TRUE(c.Make(o));
  c.plan.trackSwitch[1] = TRACK_ON;
  c.SetRange(0, 29);
  EXPECT_EQ(Run(c), Code(14));
  EXPECT_TRUE(c.FileIs(c.original));
}

// Damage outside what the job touches does not matter.
TEST_P(FailureTest, DamageOutsideTheTargetsIsIgnored) {
  RewrapCase c;
  Prepare(c);
  Patch(c, c.layout.Sound(38, 0).keyOffset, 0x00);  // after OUT
  Patch(c, c.layout.Sound(10, 7).keyOffset + 19, 0x00);  // track 8 is OFF
  EXPECT_EQ(Run(c), 0);
  EXPECT_TRUE(c.FileIs(c.Expected()));
}

// A switched-off track's file must still open for the file I/O engine; the
// mapping engine opens only the files of switched-on tracks.
TEST_P(FailureTest, MissingFileOfSwitchedOffTrack) {
  RewrapCase c;
  Prepare(c);
  WAV_LIBRARY_ENTRY* gone = c.AddNoiseWav("gone.wav", 1, 24, 1000, 23);
  ASSERT_NE(gone, nullptr);
  c.Assign(6, gone, false);
  ASSERT_TRUE(std::filesystem::remove(c.scratch.Path("gone.wav")));
  if (GetParam() == Engine::File) {
    EXPECT_EQ(Run(c), 3008);
    EXPECT_TRUE(c.FileIs(c.original));
  } else {
    EXPECT_EQ(Run(c), 0);
    EXPECT_TRUE(c.FileIs(c.Expected()));
  }
}

TEST_P(FailureTest, MissingFileOfSwitchedOnTrack) {
  RewrapCase c;
  Prepare(c);
  ASSERT_TRUE(std::filesystem::remove(c.scratch.Path("s.wav")));
  EXPECT_EQ(Run(c), Code(8));
  EXPECT_TRUE(c.FileIs(c.original));
}

// A file cut short after it was added cannot give the samples its entry
// promises: a read failure, not silence, and nothing written.
TEST_P(FailureTest, WavCutShortAfterAdding) {
  RewrapCase c;
  Prepare(c);
  std::filesystem::resize_file(c.scratch.Path("s.wav"), 5000);
  EXPECT_EQ(Run(c), Code(16));
  EXPECT_TRUE(c.FileIs(c.original));
}

// While another job of ours holds the file, the open is refused.
TEST_P(FailureTest, FileHeldByAnotherJob) {
  RewrapCase c;
  Prepare(c);
  const int openFailure = GetParam() == Engine::Mapping ? 2006 : 3007;
  for (plat::Share share : {plat::Share::Exclusive, plat::Share::Shared}) {
    plat::File holder = plat::File::Open(plat::Utf8ToUtf16(c.path), plat::Access::Read, share);
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(Run(c), openFailure);
  }
  EXPECT_TRUE(c.FileIs(c.original));
  EXPECT_EQ(Run(c), 0);
}

// A full disk: the MXF file lies on a small tmpfs, the values of the frames
// from the 12th on are holes (punched), and the file system is filled up, so
// writing them needs blocks that are not there.
TEST_P(FailureTest, FullDiskIsAFailureNotSuccess) {
#if defined(_WIN32)
  GTEST_SKIP() << "a full disk is made with a small tmpfs, which Windows cannot mount";
#else
  Scratch mountPoint;
  ASSERT_FALSE(mountPoint.dir().empty());
  if (::mount("tmpfs", mountPoint.dir().c_str(), "tmpfs", 0, "size=16m") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  struct Unmount {
    std::string dir;
    ~Unmount() { ::umount2(dir.c_str(), MNT_DETACH); }
  } unmount{mountPoint.dir()};

  RewrapCase c;
  Prepare(c);
  const std::string onTmpfs = mountPoint.Path("clip.mxf");
  WriteAll(onTmpfs, c.original);
  c.path = onTmpfs;
  {
    const int fd = ::open(onTmpfs.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    for (int64_t f = 12; f < 40; ++f) {
      for (int slot : {0, 2, 3, 5}) {
        const auto& el = c.layout.Sound(f, slot);
        const uint64_t page = 4096;
        const uint64_t a = (el.valueOffset + page - 1) / page * page;
        const uint64_t b = (el.valueOffset + el.valueSize) / page * page;
        if (b > a) {
          ASSERT_EQ(::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(a),
                                static_cast<off_t>(b - a)),
                    0);
        }
      }
    }
    ::close(fd);
  }
  c.original = ReadAll(onTmpfs);
  // The first frame with a hole under a written value (a value holds a
  // whole page only when it is placed so).
  int64_t firstHole = -1;
  for (int64_t f = 12; f < 40 && firstHole < 0; ++f) {
    for (int slot : {0, 2, 3, 5}) {
      const auto& el = c.layout.Sound(f, slot);
      if ((el.valueOffset + 4095) / 4096 * 4096 + 4096 <= el.valueOffset + el.valueSize) firstHole = f;
    }
  }
  ASSERT_GE(firstHole, 12);
  {
    std::ofstream filler(mountPoint.Path("filler"), std::ios::binary);
    const std::vector<char> block(65536, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
  }
  // Top up byte by byte what the last block left.
  {
    const int fd = ::open(mountPoint.Path("filler2").c_str(), O_WRONLY | O_CREAT, 0644);
    const char x = 'x';
    while (::write(fd, &x, 1) == 1) {
    }
    ::close(fd);
  }

  // The undo journal does not fit beside the file: refused before the
  // first write, naming what it needs.
  ASSERT_EQ(Run(c), Code(17));
  EXPECT_GT(LastUndoReport().bytesNeeded, LastUndoReport().bytesFree);
  EXPECT_TRUE(c.FileIs(c.original));
  // With the journal on another volume the rewrap runs into the full disk.
  UndoSettings().folder = plat::Utf8ToUtf16(c.scratch.dir());
  const int result = Run(c);
  UndoSettings() = UNDO_SETTINGS{};
  EXPECT_EQ(result, Code(15));
  // What was written before the failure is the job's first frames.
  const uint32_t done = c.plan.currentFrame.load();
  EXPECT_EQ(static_cast<int64_t>(done), firstHole - 2 - 1);  // the last frame before the first hole
  const std::vector<uint8_t> got = ReadAll(onTmpfs);
  const std::vector<uint8_t> before = c.Expected(static_cast<int64_t>(done));
  for (int64_t f = 2; f <= 2 + static_cast<int64_t>(done); ++f) {
    const auto& el = c.layout.Sound(f, 0);
    EXPECT_TRUE(std::equal(got.begin() + static_cast<long>(el.valueOffset),
                           got.begin() + static_cast<long>(el.valueOffset + el.valueSize),
                           before.begin() + static_cast<long>(el.valueOffset)))
        << "frame " << f;
  }
  // The frame that failed and everything after it are as they were: no
  // element of it half written (nothing is written before the frame's
  // space is assured).
  const uint64_t failedAt = c.layout.Sound(2 + static_cast<int64_t>(done) + 1, 0).keyOffset;
  ASSERT_EQ(got.size(), c.original.size());
  const auto differs = std::mismatch(got.begin() + static_cast<long>(failedAt), got.end(),
                                     c.original.begin() + static_cast<long>(failedAt));
  EXPECT_TRUE(differs.first == got.end()) << "changed at byte " << (differs.first - got.begin());
#endif
}

}  // namespace
}  // namespace rewrap_test
