// POSIX implementation of plat::File.
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/text.h"

namespace plat {

namespace {

void SetErr(SysError* err, SysError value) {
  if (err) *err = value;
}

FileTime FromTimespec(const struct timespec& ts) {
  return FileTime{static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec};
}

void FillTimes(const struct stat& st, FileTimes* t) {
  t->modification = FromTimespec(st.st_mtim);
  t->change = FromTimespec(st.st_ctim);
  t->access = FromTimespec(st.st_atim);
  // POSIX stat has no birth time; the status-change time stands in for it.
  t->creation = t->change;
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_), pos_(other.pos_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    pos_ = other.pos_;
    other.fd_ = -1;
  }
  return *this;
}

void File::Close() {
  if (fd_ >= 0) {
    ::close(fd_);  // also releases the advisory lock
    fd_ = -1;
  }
  pos_ = 0;
}

File File::Open(const std::u16string& path, Access access, Share share, SysError* err) {
  SetErr(err, 0);
  const std::string p = Utf16ToUtf8(path);
  if (p.empty()) {
    SetErr(err, ENOENT);
    return File();
  }
  int flags = O_CLOEXEC;
  switch (access) {
    case Access::Read: flags |= O_RDONLY; break;
    case Access::ReadWrite: flags |= O_RDWR; break;
    case Access::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Access::CreateNew: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
  }
  int fd = ::open(p.c_str(), flags, 0644);
  if (fd < 0) {
    SetErr(err, errno);
    return File();
  }
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    SetErr(err, EISDIR);
    return File();
  }
  if (share == Share::Exclusive) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      int e = errno;
      ::close(fd);
      SetErr(err, e == EWOULDBLOCK ? kErrSharing : e);
      return File();
    }
  }
  return File(fd);
}

int64_t File::ReadAt(uint64_t offset, void* buf, size_t n, SysError* err) const {
  SetErr(err, 0);
  if (fd_ < 0) {
    SetErr(err, EBADF);
    return -1;
  }
  if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
  size_t done = 0;
  auto* out = static_cast<unsigned char*>(buf);
  while (done < n) {
    ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
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
  if (fd_ < 0) {
    SetErr(err, EBADF);
    return -1;
  }
  size_t done = 0;
  auto* in = static_cast<const unsigned char*>(buf);
  while (done < n) {
    ssize_t w = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(offset + done));
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
  if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0 || fd_ < 0) {
    pos_ = UINT64_MAX;
    SetErr(err, fd_ < 0 ? EBADF : EINVAL);
    return false;
  }
  pos_ = static_cast<uint64_t>(base + offset);
  return true;
}

uint64_t File::Tell() const { return fd_ < 0 ? UINT64_MAX : pos_; }

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

bool File::Size(uint64_t* size, SysError* err) const {
  SetErr(err, 0);
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    SetErr(err, fd_ < 0 ? EBADF : errno);
    return false;
  }
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool File::Truncate(uint64_t size, SysError* err) {
  SetErr(err, 0);
  if (fd_ < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    SetErr(err, fd_ < 0 ? EBADF : errno);
    return false;
  }
  return true;
}

bool File::Times(FileTimes* times, SysError* err) const {
  SetErr(err, 0);
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    SetErr(err, fd_ < 0 ? EBADF : errno);
    return false;
  }
  FillTimes(st, times);
  return true;
}

bool File::SetModifiedTime(const FileTime& t, SysError* err) {
  SetErr(err, 0);
  struct timespec ts[2];
  ts[0].tv_sec = 0;
  ts[0].tv_nsec = UTIME_OMIT;  // leave the access time
  ts[1].tv_sec = static_cast<time_t>(t.unixNanos / 1000000000LL);
  ts[1].tv_nsec = static_cast<long>(t.unixNanos % 1000000000LL);
  if (ts[1].tv_nsec < 0) {
    ts[1].tv_nsec += 1000000000L;
    ts[1].tv_sec -= 1;
  }
  if (fd_ < 0 || ::futimens(fd_, ts) != 0) {
    SetErr(err, fd_ < 0 ? EBADF : errno);
    return false;
  }
  return true;
}

bool File::Sync(SysError* err) {
  SetErr(err, 0);
  if (fd_ < 0 || ::fsync(fd_) != 0) {
    SetErr(err, fd_ < 0 ? EBADF : errno);
    return false;
  }
  return true;
}

bool StatPath(const std::u16string& path, DirRecord* out, SysError* err) {
  SetErr(err, 0);
  struct stat st;
  if (::stat(Utf16ToUtf8(path).c_str(), &st) != 0) {
    SetErr(err, errno);
    return false;
  }
  out->size = static_cast<uint64_t>(st.st_size);
  out->isDirectory = S_ISDIR(st.st_mode);
  FillTimes(st, &out->times);
  return true;
}

bool PathExists(const std::u16string& path) {
  struct stat st;
  return ::stat(Utf16ToUtf8(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::u16string& path) {
  struct stat st;
  return ::stat(Utf16ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::u16string& path, SysError* err) {
  SetErr(err, 0);
  if (::unlink(Utf16ToUtf8(path).c_str()) != 0) {
    SetErr(err, errno);
    return false;
  }
  return true;
}

std::string DescribeError(SysError err) {
  if (err == kErrSharing) return "the file is in use by another job";
  if (err == kErrInvalidArg) return "invalid argument";
  return std::strerror(err);
}

}  // namespace plat
