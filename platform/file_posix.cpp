// POSIX implementation of plat::File.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/text.h"

namespace plat {

static_assert(sizeof(off_t) == 8, "64-bit file offsets are required");

namespace {

// One system call moves at most this much (Linux caps a transfer just below
// 2 GiB anyway); the loops go on with the rest.
constexpr size_t kMaxChunk = size_t{1} << 30;

void SetErr(SysError* err, SysError value) {
  if (err) *err = value;
}

// UTF-8 form of a path for the system calls; false for a path the system
// cannot name (empty, or holding a NUL that would cut it short).
bool NativePath(const std::u16string& path, std::string* out, SysError* err) {
  if (path.empty()) {
    SetErr(err, ENOENT);
    return false;
  }
  if (path.find(u'\0') != std::u16string::npos) {
    SetErr(err, EINVAL);
    return false;
  }
  *out = Utf16ToUtf8(path);
  return true;
}

template <typename Ts>
FileTime FromTimespec(const Ts& ts) {
  return FileTime{static_cast<int64_t>(ts.tv_sec) * 1000000000LL + static_cast<int64_t>(ts.tv_nsec)};
}

struct StatResult {
  uint64_t size = 0;
  bool isDirectory = false;
  bool isRegular = false;
  FileTimes times;
};

// Stats an open descriptor (path == nullptr) or a path. Uses statx where it
// exists so that the birth time is had where the file system keeps one; the
// status-change time stands in for it otherwise.
bool StatAny(int fd, const char* path, StatResult* out, SysError* err) {
#if defined(STATX_BTIME)
  struct statx sx;
  int r = path ? ::statx(AT_FDCWD, path, 0, STATX_BASIC_STATS | STATX_BTIME, &sx)
               : ::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx);
  if (r == 0) {
    out->size = sx.stx_size;
    out->isDirectory = S_ISDIR(sx.stx_mode);
    out->isRegular = S_ISREG(sx.stx_mode);
    out->times.modification = FromTimespec(sx.stx_mtime);
    out->times.change = FromTimespec(sx.stx_ctime);
    out->times.access = FromTimespec(sx.stx_atime);
    out->times.creation = (sx.stx_mask & STATX_BTIME) ? FromTimespec(sx.stx_btime) : out->times.change;
    return true;
  }
  if (errno != ENOSYS) {
    SetErr(err, errno);
    return false;
  }
#endif
  struct stat st;
  if ((path ? ::stat(path, &st) : ::fstat(fd, &st)) != 0) {
    SetErr(err, errno);
    return false;
  }
  out->size = static_cast<uint64_t>(st.st_size);
  out->isDirectory = S_ISDIR(st.st_mode);
  out->isRegular = S_ISREG(st.st_mode);
  out->times.modification = FromTimespec(st.st_mtim);
  out->times.change = FromTimespec(st.st_ctim);
  out->times.access = FromTimespec(st.st_atim);
  out->times.creation = out->times.change;
  return true;
}

struct timespec ToTimespec(const FileTime& t) {
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(t.unixNanos / 1000000000LL);
  ts.tv_nsec = static_cast<long>(t.unixNanos % 1000000000LL);
  if (ts.tv_nsec < 0) {
    ts.tv_nsec += 1000000000L;
    ts.tv_sec -= 1;
  }
  return ts;
}

// GNU strerror_r returns the text (not necessarily in buf); XSI returns 0 or
// an error number.
[[maybe_unused]] std::string StrerrorText(const char* text, const char*, SysError) { return text; }
[[maybe_unused]] std::string StrerrorText(int r, const char* buf, SysError err) {
  return r == 0 ? std::string(buf) : "error " + std::to_string(err);
}

// Errors of flock() that mean "this file system cannot lock", not "locked".
bool LockUnsupported(int e) { return e == ENOLCK || e == EOPNOTSUPP || e == ENOSYS || e == EINVAL; }

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(other.handle_), pos_(other.pos_) {
  other.handle_ = -1;
  other.pos_ = 0;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    pos_ = other.pos_;
    other.handle_ = -1;
    other.pos_ = 0;
  }
  return *this;
}

void File::Close() {
  if (handle_ >= 0) {
    ::close(handle_);  // also releases the advisory lock
    handle_ = -1;
  }
  pos_ = 0;
}

File File::Open(const std::u16string& path, Access access, Share share, SysError* err) {
  SetErr(err, 0);
  std::string p;
  if (!NativePath(path, &p, err)) return File();
  // No O_TRUNC here: truncation waits until the lock is held.
  int flags = O_CLOEXEC;
  switch (access) {
    case Access::Read: flags |= O_RDONLY; break;
    case Access::ReadWrite: flags |= O_RDWR; break;
    case Access::Write: flags |= O_RDWR | O_CREAT; break;
    case Access::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
  }
  int fd = ::open(p.c_str(), flags, 0644);
  if (fd < 0 && errno == EACCES && (access == Access::Write || access == Access::CreateNew)) {
    // A file we may write but not read: open it write-only (it cannot be mapped).
    fd = ::open(p.c_str(), (flags & ~O_RDWR) | O_WRONLY, 0644);
  }
  if (fd < 0) {
    SetErr(err, errno);
    return File();
  }
  File file(fd);  // closes fd on every early return below
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    SetErr(err, errno);
    return File();
  }
  if (S_ISDIR(st.st_mode)) {
    SetErr(err, EISDIR);
    return File();
  }
  const int op = (share == Share::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  int r;
  do {
    r = ::flock(fd, op);
  } while (r != 0 && errno == EINTR);
  if (r != 0 && !LockUnsupported(errno)) {
    SetErr(err, errno == EWOULDBLOCK ? kErrSharing : errno);
    return File();
  }
  if (access == Access::Write && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
    SetErr(err, errno);
    return File();
  }
  return file;
}

int64_t File::ReadAt(uint64_t offset, void* buf, size_t n, SysError* err) const {
  SetErr(err, 0);
  if (handle_ < 0) {
    SetErr(err, EBADF);
    return -1;
  }
  size_t done = 0;
  auto* out = static_cast<unsigned char*>(buf);
  while (done < n) {
    const uint64_t at = offset + done;
    if (at < offset || at > static_cast<uint64_t>(INT64_MAX)) break;  // nothing lies there
    const size_t want = n - done < kMaxChunk ? n - done : kMaxChunk;
    ssize_t r = ::pread(handle_, out + done, want, static_cast<off_t>(at));
    if (r < 0) {
      if (errno == EINTR) continue;
      SetErr(err, errno);
      return done ? static_cast<int64_t>(done) : -1;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return static_cast<int64_t>(done);
}

int64_t File::WriteAt(uint64_t offset, const void* buf, size_t n, SysError* err) {
  SetErr(err, 0);
  if (handle_ < 0) {
    SetErr(err, EBADF);
    return -1;
  }
  size_t done = 0;
  auto* in = static_cast<const unsigned char*>(buf);
  while (done < n) {
    const uint64_t at = offset + done;
    if (at < offset || at > static_cast<uint64_t>(INT64_MAX)) {
      SetErr(err, EFBIG);
      return done ? static_cast<int64_t>(done) : -1;
    }
    const size_t want = n - done < kMaxChunk ? n - done : kMaxChunk;
    ssize_t w = ::pwrite(handle_, in + done, want, static_cast<off_t>(at));
    if (w < 0) {
      if (errno == EINTR) continue;
      SetErr(err, errno);
      return done ? static_cast<int64_t>(done) : -1;
    }
    if (w == 0) {
      SetErr(err, ENOSPC);
      break;
    }
    done += static_cast<size_t>(w);
  }
  return static_cast<int64_t>(done);
}

bool File::Seek(int64_t offset, Whence whence, SysError* err) {
  SetErr(err, 0);
  int64_t base = 0;
  if (whence == Whence::Current) {
    if (pos_ == UINT64_MAX) {  // no position to move from
      SetErr(err, EINVAL);
      return false;
    }
    base = static_cast<int64_t>(pos_);
  } else if (whence == Whence::End) {
    uint64_t size = 0;
    if (!Size(&size, err)) {
      pos_ = UINT64_MAX;
      return false;
    }
    base = static_cast<int64_t>(size);
  }
  // A failed seek leaves the pointer at a position that reads as all-ones.
  if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0 || handle_ < 0) {
    pos_ = UINT64_MAX;
    SetErr(err, handle_ < 0 ? EBADF : EINVAL);
    return false;
  }
  pos_ = static_cast<uint64_t>(base + offset);
  return true;
}

uint64_t File::Tell() const { return handle_ < 0 ? UINT64_MAX : pos_; }

int64_t File::Read(void* buf, size_t n, SysError* err) {
  if (pos_ == UINT64_MAX) {
    SetErr(err, EINVAL);
    return -1;
  }
  int64_t r = ReadAt(pos_, buf, n, err);
  if (r > 0) pos_ += static_cast<uint64_t>(r);
  return r;
}

int64_t File::Write(const void* buf, size_t n, SysError* err) {
  if (pos_ == UINT64_MAX) {
    SetErr(err, EINVAL);
    return -1;
  }
  int64_t w = WriteAt(pos_, buf, n, err);
  if (w > 0) pos_ += static_cast<uint64_t>(w);
  return w;
}

void File::AdviseRandomAccess(bool random) const {
  if (handle_ >= 0) ::posix_fadvise(handle_, 0, 0, random ? POSIX_FADV_RANDOM : POSIX_FADV_NORMAL);
}

void File::StartWriteBack(uint64_t offset, uint64_t bytes) const {
#ifdef __linux__
  if (handle_ >= 0) {
    ::sync_file_range(handle_, static_cast<off_t>(offset), static_cast<off_t>(bytes), SYNC_FILE_RANGE_WRITE);
  }
#else
  (void)offset;
  (void)bytes;
#endif
}

void File::DropWrittenFromCache(uint64_t offset, uint64_t bytes) const {
#ifdef __linux__
  if (handle_ >= 0) {
    // Dirty pages are not dropped: the write-back must have finished first.
    ::sync_file_range(handle_, static_cast<off_t>(offset), static_cast<off_t>(bytes),
                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    ::posix_fadvise(handle_, static_cast<off_t>(offset), static_cast<off_t>(bytes), POSIX_FADV_DONTNEED);
  }
#else
  (void)offset;
  (void)bytes;
#endif
}

bool File::Size(uint64_t* size, SysError* err) const {
  SetErr(err, 0);
  StatResult st;
  if (handle_ < 0) {
    SetErr(err, EBADF);
    return false;
  }
  if (!StatAny(handle_, nullptr, &st, err)) return false;
  *size = st.size;
  return true;
}

bool File::Truncate(uint64_t size, SysError* err) {
  SetErr(err, 0);
  if (handle_ < 0 || ::ftruncate(handle_, static_cast<off_t>(size)) != 0) {
    SetErr(err, handle_ < 0 ? EBADF : errno);
    return false;
  }
  return true;
}

bool File::Times(FileTimes* times, SysError* err) const {
  SetErr(err, 0);
  StatResult st;
  if (handle_ < 0) {
    SetErr(err, EBADF);
    return false;
  }
  if (!StatAny(handle_, nullptr, &st, err)) return false;
  *times = st.times;
  return true;
}

bool File::SetModifiedTime(const FileTime& t, SysError* err) { return SetTimes(nullptr, &t, err); }

bool File::SetTimes(const FileTime* access, const FileTime* modification, SysError* err) {
  SetErr(err, 0);
  struct timespec ts[2];
  ts[0] = access ? ToTimespec(*access) : timespec{0, UTIME_OMIT};
  ts[1] = modification ? ToTimespec(*modification) : timespec{0, UTIME_OMIT};
  if (handle_ < 0 || ::futimens(handle_, ts) != 0) {
    SetErr(err, handle_ < 0 ? EBADF : errno);
    return false;
  }
  return true;
}

bool File::Sync(SysError* err) {
  SetErr(err, 0);
  if (handle_ < 0 || ::fsync(handle_) != 0) {
    SetErr(err, handle_ < 0 ? EBADF : errno);
    return false;
  }
  // A file deleted while it was open keeps taking writes, but they go with
  // it when it is closed: nothing written is on the disk under any name.
  struct stat st;
  if (::fstat(handle_, &st) == 0 && st.st_nlink == 0) {
    SetErr(err, ENOENT);
    return false;
  }
  return true;
}

bool StatPath(const std::u16string& path, DirRecord* out, SysError* err) {
  SetErr(err, 0);
  std::string p;
  if (!NativePath(path, &p, err)) return false;
  StatResult st;
  if (!StatAny(-1, p.c_str(), &st, err)) return false;
  out->size = st.size;
  out->isDirectory = st.isDirectory;
  out->isRegular = st.isRegular;
  out->times = st.times;
  return true;
}

bool PathExists(const std::u16string& path) {
  std::string p;
  struct stat st;
  return NativePath(path, &p, nullptr) && ::stat(p.c_str(), &st) == 0;
}

bool IsDirectory(const std::u16string& path) {
  std::string p;
  struct stat st;
  return NativePath(path, &p, nullptr) && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FolderAcceptsFiles(const std::u16string& folder, SysError* err) {
  SetErr(err, 0);
  std::string p;
  if (!NativePath(folder, &p, err)) return false;
  // A probe created and removed at once: permissions alone do not tell
  // (read-only mounts, and the superuser passes every permission check).
  std::string probe = p + "/.velmora-probe-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) {
    SetErr(err, errno);
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

bool RemoveFile(const std::u16string& path, SysError* err) {
  SetErr(err, 0);
  std::string p;
  if (!NativePath(path, &p, err)) return false;
  if (::unlink(p.c_str()) != 0) {
    SetErr(err, errno);
    return false;
  }
  return true;
}

std::string ErrorCodeText(SysError err) { return "errno " + std::to_string(err); }

std::string DescribeError(SysError err) {
  switch (err) {
    case 0: return "no error";
    case kErrSharing: return "the file is in use by another job";
    case kErrInvalidArg: return "invalid argument";
    case kErrMisaligned: return "offset is not a multiple of the allocation granularity";
    case kErrOutOfRange: return "range lies outside the file";
    default: break;
  }
  char buf[256] = {};
  return StrerrorText(::strerror_r(err, buf, sizeof buf), buf, err);
}

}  // namespace plat
