#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "platform/file.h"
#include "platform/mapped_access.h"
#include "platform/mapping.h"
#include "scratch_dir.h"

using namespace plat;

namespace {

#if defined(_WIN32)
constexpr SysError kBadHandle = ERROR_INVALID_HANDLE, kDenied = ERROR_ACCESS_DENIED;
#else
constexpr SysError kBadHandle = EBADF, kDenied = EACCES;
#endif

// Cuts the file short under its mapping. NTFS refuses that while a view is
// mapped (ERROR_USER_MAPPED_FILE), so a test that needs it cannot run there.
#define CUT_SHORT_OR_SKIP(file, size)                                                             \
  do {                                                                                            \
    SysError cutErr = 0;                                                                          \
    if (!(file).Truncate(size, &cutErr)) {                                                        \
      if (cutErr == 1224) GTEST_SKIP() << "this file system refuses to cut a mapped file short"; \
      FAIL() << DescribeError(cutErr);                                                            \
    }                                                                                             \
  } while (0)

uint8_t PatternAt(uint64_t i) { return static_cast<uint8_t>((i * 7 + (i >> 8)) & 0xFF); }

class MappingTest : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    g_ = AllocationGranularity();
    size_ = 3 * g_ + 100;  // the last granule is partial
    path_ = PathOf("essence.mxf");
    std::vector<uint8_t> bytes(size_);
    for (uint64_t i = 0; i < size_; ++i) bytes[i] = PatternAt(i);
    File f = File::Open(path_, Access::CreateNew, Share::Shared);
    ASSERT_TRUE(f.valid());
    ASSERT_EQ(f.WriteAt(0, bytes.data(), bytes.size()), static_cast<int64_t>(size_));
  }

  uint64_t g_ = 0;
  uint64_t size_ = 0;
  std::u16string path_;
};

TEST_F(MappingTest, GranularityIsThePageSize) {
#if defined(_WIN32)
  EXPECT_EQ(g_, 65536u);
#else
  EXPECT_EQ(g_, static_cast<uint64_t>(::sysconf(_SC_PAGESIZE)));
#endif
  EXPECT_EQ(g_ & (g_ - 1), 0u);
}

TEST_F(MappingTest, ReadOnlyViewAtAlignedOffset) {
  File f = File::Open(path_, Access::Read, Share::Exclusive);
  ASSERT_TRUE(f.valid());
  SysError err = -1;
  FileMapping m = FileMapping::Create(f, false, "fmMXF_2", &err);
  ASSERT_TRUE(m.valid()) << DescribeError(err);
  EXPECT_FALSE(m.writable());
  EXPECT_EQ(m.size(), size_);

  // From the second granule to the end of the file, partial page included.
  MappedView v = MappedView::Map(m, g_, static_cast<size_t>(2 * g_ + 100), &err);
  ASSERT_TRUE(v.valid()) << DescribeError(err);
  EXPECT_EQ(v.offset(), g_);
  EXPECT_EQ(v.size(), 2 * g_ + 100);
  v.AdviseSequential();
  bool same = true;
  for (size_t i = 0; i < v.size(); ++i) same = same && v.data()[i] == PatternAt(g_ + i);
  EXPECT_TRUE(same);

  // Length 0 maps to the end of the file.
  MappedView tail = MappedView::Map(m, 3 * g_, 0, &err);
  ASSERT_TRUE(tail.valid()) << DescribeError(err);
  EXPECT_EQ(tail.size(), 100u);
  EXPECT_EQ(tail.data()[99], PatternAt(3 * g_ + 99));

  // Views and the mapping outlive the File they came from.
  f.Close();
  MappedView late = MappedView::Map(m, 0, 16, &err);
  ASSERT_TRUE(late.valid()) << DescribeError(err);
  EXPECT_EQ(late.data()[15], PatternAt(15));
  m.Close();
  EXPECT_EQ(v.data()[0], PatternAt(g_));
}

TEST_F(MappingTest, BadRangesAreRefused) {
  File f = File::Open(path_, Access::Read, Share::Shared);
  ASSERT_TRUE(f.valid());
  FileMapping m = FileMapping::Create(f, false, "fmMXF");
  ASSERT_TRUE(m.valid());
  SysError err = 0;
  EXPECT_FALSE(MappedView::Map(m, g_ / 2, 16, &err).valid());
  EXPECT_EQ(err, kErrMisaligned);
  EXPECT_FALSE(MappedView::Map(m, 1, 16, &err).valid());
  EXPECT_EQ(err, kErrMisaligned);
  EXPECT_FALSE(MappedView::Map(m, 3 * g_, 101, &err).valid());  // one byte past the end
  EXPECT_EQ(err, kErrOutOfRange);
  EXPECT_FALSE(MappedView::Map(m, 4 * g_, 1, &err).valid());
  EXPECT_EQ(err, kErrOutOfRange);
  EXPECT_FALSE(MappedView::Map(FileMapping(), 0, 16, &err).valid());
  EXPECT_EQ(err, kBadHandle);

  // A writable mapping needs a file open for writing; an empty file has nothing to map.
  EXPECT_FALSE(FileMapping::Create(f, true, "fmMXF", &err).valid());
  EXPECT_EQ(err, kDenied);
  File empty = File::Open(PathOf("empty"), Access::CreateNew, Share::Shared);
  ASSERT_TRUE(empty.valid());
  EXPECT_FALSE(FileMapping::Create(empty, false, "x", &err).valid());
  EXPECT_EQ(err, kErrOutOfRange);

  // A file that shrank after the mapping was made is not mapped past its end.
  File rw = File::Open(path_, Access::ReadWrite, Share::Shared);
  ASSERT_TRUE(rw.valid());
  FileMapping big = FileMapping::Create(rw, true, "fmMXF");
  ASSERT_TRUE(big.valid());
  CUT_SHORT_OR_SKIP(rw, g_);
  EXPECT_FALSE(MappedView::Map(big, g_, 16, &err).valid());
  EXPECT_EQ(err, kErrOutOfRange);
}

TEST_F(MappingTest, WritableViewRoundTrip) {
  File f = File::Open(path_, Access::ReadWrite, Share::Exclusive);
  ASSERT_TRUE(f.valid());
  SysError err = -1;
  FileMapping m = FileMapping::Create(f, true, "fmMXF", &err);
  ASSERT_TRUE(m.valid()) << DescribeError(err);
  EXPECT_TRUE(m.writable());

  MappedView v = MappedView::Map(m, 2 * g_, static_cast<size_t>(g_), &err);
  ASSERT_TRUE(v.valid()) << DescribeError(err);
  v.AdviseRandom();
  std::memcpy(v.data() + 10, "SOUND", 5);
  ASSERT_TRUE(v.Flush(&err)) << DescribeError(err);

  char buf[7] = {};
  ASSERT_EQ(f.ReadAt(2 * g_ + 9, buf, 7), 7);
  EXPECT_EQ(static_cast<uint8_t>(buf[0]), PatternAt(2 * g_ + 9));
  EXPECT_EQ(std::string(buf + 1, 5), "SOUND");
  EXPECT_EQ(static_cast<uint8_t>(buf[6]), PatternAt(2 * g_ + 15));

  // A moved view stays mapped; the moved-from one is empty. Unmapping keeps
  // the data in the file, and the file keeps its size.
  MappedView moved = std::move(v);
  EXPECT_FALSE(v.valid());
  moved.data()[0] = 0xEE;
  moved.Unmap();
  EXPECT_FALSE(moved.valid());
  EXPECT_FALSE(moved.Flush(&err));
  m.Close();
  f.Close();

  File check = File::Open(path_, Access::Read, Share::Shared);
  uint8_t b = 0;
  ASSERT_EQ(check.ReadAt(2 * g_, &b, 1), 1);
  EXPECT_EQ(b, 0xEE);
  uint64_t size = 0;
  ASSERT_TRUE(check.Size(&size));
  EXPECT_EQ(size, size_);
}

TEST_F(MappingTest, NewFileFromWriteCanBeMappedWritable) {
  File f = File::Open(PathOf("export.wav"), Access::Write, Share::Exclusive);
  ASSERT_TRUE(f.valid());
  ASSERT_TRUE(f.Truncate(g_));
  SysError err = -1;
  FileMapping m = FileMapping::Create(f, true, "IDWAVTRK01", &err);
  ASSERT_TRUE(m.valid()) << DescribeError(err);
  MappedView v = MappedView::Map(m, 0, static_cast<size_t>(g_), &err);
  ASSERT_TRUE(v.valid()) << DescribeError(err);
  v.data()[g_ - 1] = 0x42;
  ASSERT_TRUE(v.Flush());
  uint8_t b = 0;
  ASSERT_EQ(f.ReadAt(g_ - 1, &b, 1), 1);
  EXPECT_EQ(b, 0x42);
}

}  // namespace

namespace {

// A file cut short under a view: the guard turns the fault on a page past
// the new end into `false`, leaves earlier pages readable and writable,
// nests, and leaves faults outside any guard as fatal as before.
TEST_F(MappingTest, GuardedAccessSurvivesAFileCutShortUnderTheView) {
  File f = File::Open(path_, Access::ReadWrite, Share::Shared);
  ASSERT_TRUE(f.valid());
  FileMapping m = FileMapping::Create(f, true, "fmMXF");
  ASSERT_TRUE(m.valid());
  MappedView v = MappedView::Map(m, 0, static_cast<size_t>(size_));
  ASSERT_TRUE(v.valid());
  CUT_SHORT_OR_SKIP(f, g_);  // only the first granule is left

  uint8_t first = 0;
  EXPECT_TRUE(GuardMappedAccess([&] { first = v.data()[10]; }));
  EXPECT_EQ(first, PatternAt(10));
  EXPECT_TRUE(GuardMappedAccess([&] { v.data()[11] = 0xEE; }));

  int reached = 0;
  EXPECT_FALSE(GuardMappedAccess([&] {
    reached = 1;
    v.data()[g_ + 5] = 0x11;  // past the end of the file
    reached = 2;
  }));
  EXPECT_EQ(reached, 1);

  // A fault in an inner guard ends only the inner one.
  bool inner = true;
  EXPECT_TRUE(GuardMappedAccess([&] {
    inner = GuardMappedAccess([&] { first = v.data()[2 * g_]; });
    first = v.data()[12];
  }));
  EXPECT_FALSE(inner);
  EXPECT_EQ(first, PatternAt(12));

  // Guards again after the faults: the handler is still in place.
  EXPECT_FALSE(GuardMappedAccess([&] { first = v.data()[2 * g_ + 1]; }));

  EXPECT_DEATH({ volatile uint8_t x = v.data()[g_ + 7]; (void)x; }, "");
}

}  // namespace
