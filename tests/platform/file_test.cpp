#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "scratch_dir.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#endif

using namespace plat;

namespace {

// The system's codes for the failures the tests provoke.
#if defined(_WIN32)
constexpr SysError kNotFound = ERROR_FILE_NOT_FOUND, kExists = ERROR_FILE_EXISTS, kIsFolder = ERROR_DIRECTORY,
                   kBadHandle = ERROR_INVALID_HANDLE;
constexpr int64_t kTimeStepNanos = 100;  // FILETIME ticks
#else
constexpr SysError kNotFound = ENOENT, kExists = EEXIST, kIsFolder = EISDIR, kBadHandle = EBADF;
constexpr int64_t kTimeStepNanos = 1;
#endif

// A time as the file system keeps it: whole steps, rounded down.
int64_t Stored(int64_t nanos) {
  int64_t r = nanos % kTimeStepNanos;
  return nanos - (r < 0 ? r + kTimeStepNanos : r);
}

class FileTest : public ScratchDir {
 protected:
  // Creates a file holding bytes 0, 1, 2 ... n-1 (mod 256).
  std::u16string MakeCounting(const std::string& name, size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i);
    SysError err = -1;
    File f = File::Open(PathOf(name), Access::CreateNew, Share::Shared, &err);
    EXPECT_TRUE(f.valid()) << DescribeError(err);
    EXPECT_EQ(f.WriteAt(0, bytes.data(), n, &err), static_cast<int64_t>(n));
    return PathOf(name);
  }
};

TEST_F(FileTest, PositionedIoBeyondFourGiBOnSparseFile) {
  const uint64_t farAway = (uint64_t{1} << 32) + 12345;  // past what 32 bits can address
  SysError err = -1;
  File f = File::Open(PathOf("sparse.bin"), Access::Write, Share::Exclusive, &err);
  ASSERT_TRUE(f.valid()) << DescribeError(err);
  const char msg[] = "FAR AWAY";
  ASSERT_EQ(f.WriteAt(farAway, msg, 8, &err), 8);
  EXPECT_EQ(err, 0);

  uint64_t size = 0;
  ASSERT_TRUE(f.Size(&size));
  EXPECT_EQ(size, farAway + 8);

  // A read spanning the hole and the data: zeros first, then the bytes.
  char buf[12];
  std::memset(buf, 'x', sizeof buf);
  ASSERT_EQ(f.ReadAt(farAway - 4, buf, 12, &err), 12);
  EXPECT_EQ(std::string(buf, 12), std::string(4, '\0') + "FAR AWAY");

  // Short read at the end of the file, then nothing past it; neither is an error.
  ASSERT_EQ(f.ReadAt(farAway + 5, buf, sizeof buf, &err), 3);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(std::string(buf, 3), "WAY");
  EXPECT_EQ(f.ReadAt(farAway + 8, buf, sizeof buf, &err), 0);
  EXPECT_EQ(f.ReadAt(farAway * 2, buf, sizeof buf, &err), 0);
  EXPECT_EQ(err, 0);
}

TEST_F(FileTest, BytesDroppedFromTheCacheStayAndTakeLaterWrites) {
  // Written once, then dropped, as the undo journal is.
  const size_t n = (size_t{3} << 20) + 123;
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i);
  SysError err = -1;
  File f = File::Open(PathOf("dropped.bin"), Access::CreateNew, Share::Exclusive, &err);
  ASSERT_TRUE(f.valid()) << DescribeError(err);
  ASSERT_EQ(f.WriteAt(0, bytes.data(), n, &err), static_cast<int64_t>(n));
  f.StartWriteBack(0, n);
  f.DropWrittenFromCache(0, size_t{2} << 20);
  f.DropWrittenFromCache(4095, n - 8000);  // unaligned, inside the file
  // A small write into a dropped page, as the journal's header rewrite does.
  const char header[] = "HEAD";
  ASSERT_EQ(f.WriteAt(10, header, 4, &err), 4);
  ASSERT_TRUE(f.Sync(&err)) << DescribeError(err);
#if defined(__linux__)
  // After a flush, dropped pages are really out of the cache, so that the
  // rewrap's read-back reads the disk rather than its own writes.
  f.DropWrittenFromCache(0, n);
  struct statfs fs = {};
  if (::fstatfs(f.native(), &fs) == 0 && fs.f_type != TMPFS_MAGIC) {
    void* view = ::mmap(nullptr, n, PROT_READ, MAP_SHARED, f.native(), 0);
    ASSERT_NE(view, MAP_FAILED);
    const size_t pages = (n + 4095) / 4096;
    std::vector<unsigned char> resident(pages);
    ASSERT_EQ(::mincore(view, n, resident.data()), 0);
    size_t cached = 0;
    for (unsigned char r : resident) cached += r & 1u;
    ::munmap(view, n);
    EXPECT_LT(cached, pages / 4) << cached << " of " << pages << " pages still cached";
  }
#endif
  std::vector<uint8_t> back(n);
  ASSERT_EQ(f.ReadAt(0, back.data(), n, &err), static_cast<int64_t>(n));
  for (size_t i = 0; i < n; ++i) {
    const uint8_t expected = i >= 10 && i < 14 ? static_cast<uint8_t>(header[i - 10]) : static_cast<uint8_t>(i);
    ASSERT_EQ(back[i], expected) << "byte " << i;
  }
}

TEST_F(FileTest, WriteToFullDeviceIsAnError) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no device that is always full (/dev/full)";
#endif
  SysError err = -1;
  File f = File::Open(u"/dev/full", Access::ReadWrite, Share::Shared, &err);
  if (!f.valid()) GTEST_SKIP() << "/dev/full cannot be opened: " << DescribeError(err);
  const char data[100] = {};
  EXPECT_EQ(f.WriteAt(0, data, sizeof data, &err), -1);
  EXPECT_EQ(err, ENOSPC);
  err = 0;
  EXPECT_EQ(f.Write(data, sizeof data, &err), -1);
  EXPECT_EQ(err, ENOSPC);
  EXPECT_EQ(f.Tell(), 0u);
}

TEST_F(FileTest, OpenFailuresCarryTheSystemError) {
  SysError err = 0;
  EXPECT_FALSE(File::Open(PathOf("missing"), Access::Read, Share::Shared, &err).valid());
  EXPECT_EQ(err, kNotFound);
  EXPECT_FALSE(File::Open(PathOf("missing"), Access::ReadWrite, Share::Shared, &err).valid());
  EXPECT_EQ(err, kNotFound);

  MakeCounting("there", 10);
  EXPECT_FALSE(File::Open(PathOf("there"), Access::CreateNew, Share::Shared, &err).valid());
  EXPECT_EQ(err, kExists);

  EXPECT_FALSE(File::Open(plat::Utf8ToUtf16(dir()), Access::Read, Share::Shared, &err).valid());
  EXPECT_EQ(err, kIsFolder);

  std::u16string withNul = PathOf("there");
  withNul.push_back(u'\0');
  withNul += u"x";
  EXPECT_FALSE(File::Open(withNul, Access::Read, Share::Shared, &err).valid());
  EXPECT_NE(err, 0);
  EXPECT_FALSE(File::Open(u"", Access::Read, Share::Shared, &err).valid());
  EXPECT_NE(err, 0);

  // Reads and writes on a closed file fail cleanly.
  File closed;
  char c = 0;
  EXPECT_EQ(closed.ReadAt(0, &c, 1, &err), -1);
  EXPECT_EQ(err, kBadHandle);
  EXPECT_EQ(closed.Tell(), UINT64_MAX);
}

TEST_F(FileTest, JapaneseFileNameAndWriteTruncates) {
  const std::u16string path = PathOf("音声トラック.wav");
  SysError err = -1;
  {
    File f = File::Open(path, Access::CreateNew, Share::Exclusive, &err);
    ASSERT_TRUE(f.valid()) << DescribeError(err);
    ASSERT_EQ(f.WriteAt(0, "0123456789", 10), 10);
  }
  EXPECT_TRUE(PathExists(path));
  EXPECT_FALSE(IsDirectory(path));
  DirRecord rec;
  ASSERT_TRUE(StatPath(path, &rec, &err));
  EXPECT_EQ(rec.size, 10u);
  EXPECT_FALSE(rec.isDirectory);

  File again = File::Open(path, Access::Write, Share::Shared, &err);
  ASSERT_TRUE(again.valid());
  uint64_t size = 99;
  ASSERT_TRUE(again.Size(&size));
  EXPECT_EQ(size, 0u);
  again.Close();

  ASSERT_TRUE(RemoveFile(path, &err));
  EXPECT_FALSE(PathExists(path));
  EXPECT_FALSE(RemoveFile(path, &err));
  EXPECT_EQ(err, kNotFound);
}

TEST_F(FileTest, LocksRefuseConflictingOpensInThisProcess) {
  const std::u16string path = MakeCounting("locked.mxf", 64);
  SysError err = 0;
  File first = File::Open(path, Access::Read, Share::Exclusive, &err);
  ASSERT_TRUE(first.valid()) << DescribeError(err);

  EXPECT_FALSE(File::Open(path, Access::ReadWrite, Share::Exclusive, &err).valid());
  EXPECT_EQ(err, kErrSharing);
  EXPECT_FALSE(File::Open(path, Access::Read, Share::Shared, &err).valid());
  EXPECT_EQ(err, kErrSharing);
  // A refused create-or-truncate must not have truncated the locked file.
  EXPECT_FALSE(File::Open(path, Access::Write, Share::Exclusive, &err).valid());
  EXPECT_EQ(err, kErrSharing);
  uint64_t size = 0;
  ASSERT_TRUE(first.Size(&size));
  EXPECT_EQ(size, 64u);

  // Moving the file keeps the lock; closing it releases it.
  File moved = std::move(first);
  EXPECT_FALSE(first.valid());
  EXPECT_FALSE(File::Open(path, Access::Read, Share::Exclusive, &err).valid());
  moved.Close();
  File second = File::Open(path, Access::Read, Share::Exclusive, &err);
  EXPECT_TRUE(second.valid()) << DescribeError(err);
  second.Close();

  // Shared openers coexist, and hold off an exclusive one.
  File s1 = File::Open(path, Access::Read, Share::Shared, &err);
  File s2 = File::Open(path, Access::Read, Share::Shared, &err);
  EXPECT_TRUE(s1.valid());
  EXPECT_TRUE(s2.valid());
  EXPECT_FALSE(File::Open(path, Access::ReadWrite, Share::Exclusive, &err).valid());
  EXPECT_EQ(err, kErrSharing);
}

// The child's part: this program run again with only this test and the path
// in the environment. Exit codes: 0 refused for sharing, 1 opened, 2 other failure.
TEST(FileChild, OpenExclusive) {
  const char* path = std::getenv("VELMORA_CHILD_OPEN");
  if (path == nullptr) GTEST_SKIP() << "runs only as the child of ExclusiveLockRefusesAnotherProcess";
  SysError err = 0;
  File f = File::Open(plat::Utf8ToUtf16(path), Access::ReadWrite, Share::Exclusive, &err);
  std::exit(f.valid() ? 1 : (err == kErrSharing ? 0 : 2));
}

int OpenExclusiveInChild(const std::u16string& path) {
  testsupport::ScratchFolder streams("velmora-child");
  testsupport::EnvOverride env("VELMORA_CHILD_OPEN", plat::Utf16ToUtf8(path));
  return testsupport::RunProgram(testsupport::SelfPath(), {"--gtest_filter=FileChild.OpenExclusive"}, streams.dir())
      .status;
}

TEST_F(FileTest, ExclusiveLockRefusesAnotherProcess) {
  const std::u16string path = MakeCounting("shared.mxf", 16);
  SysError err = 0;
  File held = File::Open(path, Access::ReadWrite, Share::Exclusive, &err);
  ASSERT_TRUE(held.valid()) << DescribeError(err);
  EXPECT_EQ(OpenExclusiveInChild(path), 0);
  held.Close();
  EXPECT_EQ(OpenExclusiveInChild(path), 1);
}

TEST_F(FileTest, FilePointerSeekReadTell) {
  const std::u16string path = MakeCounting("pointer.bin", 100);
  File f = File::Open(path, Access::ReadWrite, Share::Exclusive);
  ASSERT_TRUE(f.valid());
  EXPECT_EQ(f.Tell(), 0u);

  uint8_t buf[32];
  ASSERT_TRUE(f.Seek(10, Whence::Begin));
  ASSERT_EQ(f.Read(buf, 5), 5);
  EXPECT_EQ(buf[0], 10);
  EXPECT_EQ(buf[4], 14);
  EXPECT_EQ(f.Tell(), 15u);

  ASSERT_TRUE(f.Seek(-5, Whence::Current));
  EXPECT_EQ(f.Tell(), 10u);
  ASSERT_TRUE(f.Seek(-10, Whence::End));
  EXPECT_EQ(f.Tell(), 90u);
  EXPECT_EQ(f.Read(buf, 32), 10);  // short read at the end
  EXPECT_EQ(buf[9], 99);
  EXPECT_EQ(f.Tell(), 100u);
  EXPECT_EQ(f.Read(buf, 32), 0);
  EXPECT_EQ(f.Tell(), 100u);

  // Write through the pointer, check with a positioned read.
  ASSERT_TRUE(f.Seek(2, Whence::Begin));
  ASSERT_EQ(f.Write("\xAA\xBB", 2), 2);
  EXPECT_EQ(f.Tell(), 4u);
  ASSERT_EQ(f.ReadAt(1, buf, 4), 4);
  EXPECT_EQ(buf[0], 1);
  EXPECT_EQ(buf[1], 0xAA);
  EXPECT_EQ(buf[2], 0xBB);
  EXPECT_EQ(buf[3], 4);

  // A failed seek leaves the pointer unusable until an absolute seek.
  SysError err = 0;
  EXPECT_FALSE(f.Seek(-1, Whence::Begin, &err));
  EXPECT_NE(err, 0);
  EXPECT_EQ(f.Tell(), UINT64_MAX);
  EXPECT_EQ(f.Read(buf, 4, &err), -1);
  EXPECT_FALSE(f.Seek(1, Whence::Current));
  EXPECT_EQ(f.Tell(), UINT64_MAX);
  ASSERT_TRUE(f.Seek(INT64_MAX, Whence::Begin));
  EXPECT_FALSE(f.Seek(1, Whence::Current));  // would overflow
  EXPECT_EQ(f.Tell(), UINT64_MAX);
  ASSERT_TRUE(f.Seek(0, Whence::Begin));
  ASSERT_EQ(f.Read(buf, 1), 1);
  EXPECT_EQ(buf[0], 0);
}

TEST_F(FileTest, SetTimesRoundTrip) {
  const std::u16string path = MakeCounting("times.bin", 4);
  File f = File::Open(path, Access::ReadWrite, Share::Shared);
  ASSERT_TRUE(f.valid());
  FileTimes before;
  ASSERT_TRUE(f.Times(&before));

  const FileTime modified{1710498645LL * 1000000000LL + 123456789};  // 2024-03-15 10:30:45.123456789 UTC
  SysError err = -1;
  ASSERT_TRUE(f.SetModifiedTime(modified, &err)) << DescribeError(err);
  FileTimes after;
  ASSERT_TRUE(f.Times(&after));
  EXPECT_EQ(after.modification.unixNanos, Stored(modified.unixNanos));
  EXPECT_EQ(after.access.unixNanos, before.access.unixNanos);  // left alone

  const FileTime accessed{-86400LL * 1000000000LL - 1};  // before 1970: negative fractions
  ASSERT_TRUE(f.SetTimes(&accessed, nullptr, &err)) << DescribeError(err);
  DirRecord rec;
  ASSERT_TRUE(StatPath(path, &rec));
  EXPECT_EQ(rec.times.access.unixNanos, Stored(accessed.unixNanos));
  EXPECT_EQ(rec.times.modification.unixNanos, Stored(modified.unixNanos));
}

// A file deleted while open still takes writes, but they vanish with it:
// the flush that should put them on the disk says so. A renamed file keeps
// its data and flushes as usual.
TEST_F(FileTest, SyncFailsForAFileDeletedWhileOpen) {
#if defined(_WIN32)
  GTEST_SKIP() << "our share modes leave out FILE_SHARE_DELETE: a file open here cannot be renamed or deleted";
#endif
  const std::u16string path = MakeCounting("gone.bin", 16);
  File f = File::Open(path, Access::ReadWrite, Share::Exclusive);
  ASSERT_TRUE(f.valid());
  ASSERT_EQ(f.WriteAt(0, "x", 1), 1);
  SysError err = -1;
  EXPECT_TRUE(f.Sync(&err));
  EXPECT_EQ(err, 0);
  ASSERT_EQ(std::rename(plat::Utf16ToUtf8(path).c_str(), (dir() + "/moved.bin").c_str()), 0);
  EXPECT_TRUE(f.Sync(&err));
  ASSERT_TRUE(RemoveFile(PathOf("moved.bin")));
  EXPECT_EQ(f.WriteAt(1, "y", 1), 1);
  EXPECT_FALSE(f.Sync(&err));
  EXPECT_EQ(err, kNotFound);
}

}  // namespace
