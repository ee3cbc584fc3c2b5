// Files past 4 GiB and 8 GiB: a sparse mxfgen file of 640 frames whose
// pictures (16 MiB each) are holes, arranged so that one sound element value
// runs across the 4 GiB boundary and another across 8 GiB. The analysis job
// (with the verification) by both I/O methods, both export engines and both
// rewrap engines must get every offset right; a 32-bit truncation anywhere
// would land a read or write gigabytes away. Only the regions around the
// frames' system items and sound elements are read back, never the file.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <filesystem>

#include "bwf/bwf_header.h"
#include "bwf/export_engines.h"
#include "rewrap/rewrap_engines.h"
#include "tests/hardening/hardening_support.h"

namespace hardening {
namespace {

using Bytes = std::vector<uint8_t>;
using rewrap_test::RewrapCase;

constexpr int64_t kFrames = 640;
constexpr uint32_t kPicture = 0xFFFFFF;  // the largest a 4-byte BER length holds
constexpr uint64_t k4G = uint64_t{1} << 32;
constexpr uint64_t k8G = uint64_t{1} << 33;

Bytes ReadRegion(const std::string& path, uint64_t at, size_t n) {
  Bytes b(n);
  plat::File f = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Read, plat::Share::Shared);
  EXPECT_EQ(f.ReadAt(at, b.data(), n), static_cast<int64_t>(n));
  return b;
}

void WriteRegion(const std::string& path, uint64_t at, const Bytes& b) {
  plat::File f = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::ReadWrite, plat::Share::Shared);
  EXPECT_EQ(f.WriteAt(at, b.data(), b.size()), static_cast<int64_t>(b.size()));
}

// Bytes the file system gave the file (holes take none).
uint64_t AllocatedBytes(const std::string& path) {
#if defined(_WIN32)
  DWORD high = 0;
  const DWORD low = ::GetCompressedFileSizeW(reinterpret_cast<const wchar_t*>(plat::Utf8ToUtf16(path).c_str()), &high);
  return low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR ? UINT64_MAX : (uint64_t{high} << 32) | low;
#else
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_blocks) * 512 : UINT64_MAX;
#endif
}

// Can this folder hold a sparse file of about 11 GiB with a few MB of data?
bool SparseFilesFit(const std::string& dir, std::string* why) {
  std::error_code ec;
  const std::filesystem::space_info space = std::filesystem::space(dir, ec);
  if (ec || space.available < (uint64_t{256} << 20)) {
    *why = "less than 256 MB free";
    return false;
  }
  const std::string probe = dir + "/probe";
  bool ok = false;
  {
    plat::File f = plat::File::Open(plat::Utf8ToUtf16(probe), plat::Access::Write, plat::Share::Exclusive);
    ok = f.valid() && f.WriteAt(3 * k4G, "x", 1) == 1;
  }
  ok = ok && AllocatedBytes(probe) < (uint64_t{16} << 20);
  std::filesystem::remove(probe, ec);
  if (!ok) *why = "the file system does not keep holes in a 12 GiB file";
  return ok;
}

// Picture sizes that move sound element `slot` of some frame so that its
// value starts `before` bytes ahead of `boundary`.
void StraddleBoundary(mxfgen::Options& o, int slot, uint64_t boundary, uint64_t before) {
  mxfgen::Layout l;
  std::string error;
  ASSERT_TRUE(mxfgen::PlanMxf(o, &l, &error)) << error;
  int64_t k = 0;
  while (l.Sound(k, slot).valueOffset < boundary - before) ++k;
  uint64_t excess = l.Sound(k, slot).valueOffset - (boundary - before);
  for (int64_t j = k; excess > 0 && j >= 0; --j) {
    const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(excess, o.pictureSizes[static_cast<size_t>(j)] - 1024));
    o.pictureSizes[static_cast<size_t>(j)] -= take;
    excess -= take;
  }
  ASSERT_TRUE(mxfgen::PlanMxf(o, &l, &error)) << error;
  ASSERT_EQ(l.Sound(k, slot).valueOffset, boundary - before);
}

class BigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!SparseFilesFit(c.scratch.dir(), &why)) GTEST_SKIP() << why;
    mxfgen::Options o = rewrap_test::SmallClip(kFrames, 3);
    o.kag = 1;  // element offsets exactly where the picture sizes put them
    o.sparsePicture = true;
    o.pictureSizes.assign(kFrames, kPicture);
    StraddleBoundary(o, 0, k4G, 1000);
    StraddleBoundary(o, 1, k8G, 2500);
    c.opt = o;
    c.path = c.scratch.Path("big.mxf");
    std::string error;
    ASSERT_TRUE(mxfgen::WriteMxf(c.path, o, &c.layout, &error)) << error;
    ASSERT_GT(c.layout.fileSize, k8G + (uint64_t{1} << 30));
    ASSERT_EQ(c.Analyse(), 0);
    SetTracksLoaded(c.plan, c.state.audio.trackCount);
    for (int64_t f = 0; f < kFrames; ++f) before.push_back(FrameRegion(f));
  }

  // What a job may touch in frame f and what lies around it: the system
  // item, the picture's key, and the sound elements with their keys and
  // fills, from the end of the picture on.
  struct Region {
    uint64_t at = 0;
    Bytes bytes;
  };
  Region FrameRegion(int64_t f) const {
    const mxfgen::FrameLayout& fr = c.layout.frames[static_cast<size_t>(f)];
    const uint64_t begin = fr.pictureValueOffset + fr.pictureValueSize - 64;
    const uint64_t end = fr.packageOffset + fr.packageSize + 64;
    Region r;
    r.at = begin;
    r.bytes = ReadRegion(c.path, begin, static_cast<size_t>(end - begin));
    const Bytes head = ReadRegion(c.path, fr.packageOffset, static_cast<size_t>(fr.pictureValueOffset + 16 - fr.packageOffset));
    r.bytes.insert(r.bytes.begin(), head.begin(), head.end());
    return r;
  }

  void RestoreRegions() {
    for (int64_t f = 0; f < kFrames; ++f) {
      const mxfgen::FrameLayout& fr = c.layout.frames[static_cast<size_t>(f)];
      const size_t head = static_cast<size_t>(fr.pictureValueOffset + 16 - fr.packageOffset);
      const Region& r = before[static_cast<size_t>(f)];
      WriteRegion(c.path, fr.packageOffset, Bytes(r.bytes.begin(), r.bytes.begin() + static_cast<long>(head)));
      WriteRegion(c.path, r.at, Bytes(r.bytes.begin() + static_cast<long>(head), r.bytes.end()));
    }
  }

  // After a rewrap of frames [first, last] (track 1 from the WAV, track 2
  // silence, track 3 off): every region as before except those values.
  void ExpectRewritten(int64_t first, int64_t last, const Bytes& wav) {
    uint64_t sample = 0;
    for (int64_t f = 0; f < kFrames; ++f) {
      Region want = before[static_cast<size_t>(f)];
      const mxfgen::FrameLayout& fr = c.layout.frames[static_cast<size_t>(f)];
      const size_t head = static_cast<size_t>(fr.pictureValueOffset + 16 - fr.packageOffset);
      if (f >= first && f <= last) {
        const auto& t1 = c.layout.Sound(f, 0);
        const auto& t2 = c.layout.Sound(f, 1);
        auto at = [&](uint64_t offset) -> uint8_t& { return want.bytes[head + static_cast<size_t>(offset - want.at)]; };
        for (uint32_t i = 0; i < t1.valueSize; ++i) at(t1.valueOffset + i) = wav[sample * 3 + i];
        for (uint32_t i = 0; i < t2.valueSize; ++i) at(t2.valueOffset + i) = 0;
        sample += t1.samples;
      }
      const Region got = FrameRegion(f);
      ASSERT_TRUE(got.bytes == want.bytes) << "frame " << f << " at " << fr.packageOffset;
    }
    EXPECT_EQ(std::filesystem::file_size(c.path), c.layout.fileSize);
  }

  RewrapCase c;
  std::vector<Region> before;
};

TEST_F(BigFile, AnalysedExportedAndRewrittenAcross4And8GiB) {
  // The index and the partitions as written.
  ASSERT_EQ(c.state.indexEntries.size(), static_cast<size_t>(kFrames));
  for (int64_t f : {int64_t{0}, kFrames / 2, kFrames - 1}) {
    EXPECT_EQ(c.state.indexEntries[static_cast<size_t>(f)].streamOffset, c.layout.frames[f].packageOffset);
  }
  EXPECT_EQ(c.state.partitions.back().thisPartition, c.layout.partitions.back().offset);
  EXPECT_GT(c.layout.partitions.back().offset, k8G);
  // The whole analysis job with the verification of every frame.
  for (uint8_t method : {IO_MAPPING, IO_FILE}) {
    const AnalysisOutcome out = AnalyseFile(c.path, method);
    EXPECT_EQ(out.code, 0) << "method " << int{method};
    EXPECT_EQ(out.entryCount, kFrames);
  }

  // Export of tracks 1 and 3 from frame 1 to the one before last.
  const int64_t first = 1;
  const int64_t last = kFrames - 2;
  c.SetRange(first, last);
  const std::string out = c.scratch.Path("out");
  std::filesystem::create_directories(out);
  SelectExport(c, out, {0, 2});
  for (auto run : {ExportBwfByMapping, ExportBwfByFile}) {
    ASSERT_EQ(run(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base), 0);
    for (int slot : {0, 2}) {
      Bytes want;
      for (int64_t f = first; f <= last; ++f) {
        const auto& el = c.layout.Sound(f, slot);
        for (uint32_t i = 0; i < el.samples; ++i) {
          const uint32_t v = mxfgen::PatternSample(slot, el.firstSample + i, 24);
          for (int b = 0; b < 3; ++b) want.push_back(static_cast<uint8_t>(v >> (8 * b)));
        }
      }
      const Bytes file = ReadAll(out + "/T" + std::to_string(slot + 1) + ".wav");
      ASSERT_EQ(file.size(), kBwfHeaderSize + want.size());
      EXPECT_TRUE(std::equal(want.begin(), want.end(), file.begin() + kBwfHeaderSize)) << "track " << slot + 1;
    }
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
  }

  // Rewrap by either engine: track 1 from a WAV file, track 2 silence.
  WAV_LIBRARY_ENTRY* wav = c.AddNoiseWav("t1.wav", 1, 24, 1100000, 77);
  ASSERT_NE(wav, nullptr);
  c.Assign(0, wav);
  c.plan.trackSwitch[1] = TRACK_ON;
  const Bytes& wavBytes = c.wavData.front().second.data;
  for (rewrap_test::Engine engine : {rewrap_test::Engine::Mapping, rewrap_test::Engine::File}) {
    SCOPED_TRACE(rewrap_test::EngineName(engine));
    ASSERT_EQ(rewrap_test::RunEngine(engine, c.path, &c.plan, &c.state.base), 0);
    ExpectRewritten(first, last, wavBytes);
    RestoreRegions();
  }
}

}  // namespace
}  // namespace hardening
