// POSIX implementation of file mappings: mmap of granularity-aligned ranges.
#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mapping.h"

namespace plat {

namespace {

void SetErr(SysError* err, SysError value) {
  if (err) *err = value;
}

}  // namespace

uint64_t AllocationGranularity() {
  static const uint64_t granularity = [] {
    long page = ::sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<uint64_t>(page) : uint64_t{4096};
  }();
  return granularity;
}

// ---- FileMapping ---------------------------------------------------------

FileMapping::FileMapping(FileMapping&& other) noexcept
    : handle_(other.handle_), writable_(other.writable_), size_(other.size_) {
  other.handle_ = -1;
  other.writable_ = false;
  other.size_ = 0;
}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    writable_ = other.writable_;
    size_ = other.size_;
    other.handle_ = -1;
    other.writable_ = false;
    other.size_ = 0;
  }
  return *this;
}

FileMapping::~FileMapping() { Close(); }

void FileMapping::Close() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
  writable_ = false;
  size_ = 0;
}

FileMapping FileMapping::Create(const File& file, bool writable, const char* /*name*/, SysError* err) {
  SetErr(err, 0);
  FileMapping m;
  if (!file.valid()) {
    SetErr(err, EBADF);
    return m;
  }
  const int mode = ::fcntl(file.native(), F_GETFL);
  if (mode < 0) {
    SetErr(err, errno);
    return m;
  }
  const int acc = mode & O_ACCMODE;
  if (writable ? acc != O_RDWR : acc == O_WRONLY) {
    SetErr(err, EACCES);
    return m;
  }
  uint64_t size = 0;
  if (!file.Size(&size, err)) return m;
  if (size == 0) {
    SetErr(err, kErrOutOfRange);
    return m;
  }
  const int fd = ::fcntl(file.native(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    SetErr(err, errno);
    return m;
  }
  m.handle_ = fd;
  m.writable_ = writable;
  m.size_ = size;
  return m;
}

// ---- MappedView ----------------------------------------------------------

MappedView::MappedView(MappedView&& other) noexcept
    : data_(other.data_), size_(other.size_), offset_(other.offset_) {
  other.data_ = nullptr;
  other.size_ = 0;
  other.offset_ = 0;
}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Unmap();
    data_ = other.data_;
    size_ = other.size_;
    offset_ = other.offset_;
    other.data_ = nullptr;
    other.size_ = 0;
    other.offset_ = 0;
  }
  return *this;
}

MappedView::~MappedView() { Unmap(); }

MappedView MappedView::Map(const FileMapping& mapping, uint64_t offset, size_t length, SysError* err) {
  SetErr(err, 0);
  MappedView v;
  if (!mapping.valid()) {
    SetErr(err, EBADF);
    return v;
  }
  if (offset % AllocationGranularity() != 0) {
    SetErr(err, kErrMisaligned);
    return v;
  }
  // The mapping's size bounds the view, and so does the file's present size:
  // touching a page past the end of a file that shrank would raise SIGBUS.
  struct stat st;
  if (::fstat(mapping.native(), &st) != 0) {
    SetErr(err, errno);
    return v;
  }
  uint64_t end = mapping.size();
  if (static_cast<uint64_t>(st.st_size) < end) end = static_cast<uint64_t>(st.st_size);
  if (offset >= end) {
    SetErr(err, kErrOutOfRange);
    return v;
  }
  if (length == 0) {
    if (end - offset > SIZE_MAX) {
      SetErr(err, kErrOutOfRange);
      return v;
    }
    length = static_cast<size_t>(end - offset);
  } else if (length > end - offset) {
    SetErr(err, kErrOutOfRange);
    return v;
  }
  const int prot = mapping.writable() ? (PROT_READ | PROT_WRITE) : PROT_READ;
  void* p = ::mmap(nullptr, length, prot, MAP_SHARED, mapping.native(), static_cast<off_t>(offset));
  if (p == MAP_FAILED) {
    SetErr(err, errno);
    return v;
  }
  v.data_ = static_cast<uint8_t*>(p);
  v.size_ = length;
  v.offset_ = offset;
  return v;
}

bool MappedView::Flush(SysError* err) {
  SetErr(err, 0);
  if (!data_) {
    SetErr(err, EBADF);
    return false;
  }
  if (::msync(data_, size_, MS_SYNC) != 0) {
    SetErr(err, errno);
    return false;
  }
  return true;
}

void MappedView::AdviseRandom() {
  if (data_) ::posix_madvise(data_, size_, POSIX_MADV_RANDOM);
}

void MappedView::AdviseSequential() {
  if (data_) ::posix_madvise(data_, size_, POSIX_MADV_SEQUENTIAL);
}

void MappedView::Unmap() {
  if (data_) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
  offset_ = 0;
}

}  // namespace plat
