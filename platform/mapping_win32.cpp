// Win32 implementation of file mappings: one unnamed file-mapping object per
// file, views at multiples of the 64 KiB allocation granularity. Names of
// kernel objects are session-wide on Windows, so two jobs with the same name
// would share one mapping; the name is only a label here.
#include <windows.h>

#include <cstdint>

#include "platform/mapping.h"

namespace plat {

namespace {

void SetErr(SysError* err, SysError value) {
  if (err) *err = value;
}

SysError LastError() { return static_cast<SysError>(::GetLastError()); }

HANDLE H(NativeHandle h) { return static_cast<HANDLE>(h); }

void CloseIf(NativeHandle h) {
  if (h != kNoHandle) ::CloseHandle(H(h));
}

}  // namespace

uint64_t AllocationGranularity() {
  static const uint64_t granularity = [] {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info.dwAllocationGranularity ? uint64_t{info.dwAllocationGranularity} : uint64_t{65536};
  }();
  return granularity;
}

// ---- FileMapping ---------------------------------------------------------
// handle_ is the mapping object; file_ a duplicate of the file's handle, which
// keeps the file's share-mode claim alive while the mapping is (closing the
// last file handle would end it even with the mapping open).

FileMapping::FileMapping(FileMapping&& other) noexcept
    : handle_(other.handle_), file_(other.file_), writable_(other.writable_), size_(other.size_) {
  other.handle_ = kNoHandle;
  other.file_ = kNoHandle;
  other.writable_ = false;
  other.size_ = 0;
}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    file_ = other.file_;
    writable_ = other.writable_;
    size_ = other.size_;
    other.handle_ = kNoHandle;
    other.file_ = kNoHandle;
    other.writable_ = false;
    other.size_ = 0;
  }
  return *this;
}

FileMapping::~FileMapping() { Close(); }

void FileMapping::Close() {
  CloseIf(handle_);
  CloseIf(file_);
  handle_ = kNoHandle;
  file_ = kNoHandle;
  writable_ = false;
  size_ = 0;
}

FileMapping FileMapping::Create(const File& file, bool writable, const char* /*name*/, SysError* err) {
  SetErr(err, 0);
  FileMapping m;
  if (!file.valid()) {
    SetErr(err, ERROR_INVALID_HANDLE);
    return m;
  }
  uint64_t size = 0;
  if (!file.Size(&size, err)) return m;
  if (size == 0) {
    SetErr(err, kErrOutOfRange);
    return m;
  }
  HANDLE dup = nullptr;
  const HANDLE self = ::GetCurrentProcess();
  if (!::DuplicateHandle(self, H(file.native()), self, &dup, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    SetErr(err, LastError());
    return m;
  }
  m.file_ = static_cast<NativeHandle>(dup);
  // A handle without the rights `writable` asks for fails here with
  // ERROR_ACCESS_DENIED.
  HANDLE h = ::CreateFileMappingW(dup, nullptr, writable ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr);
  if (h == nullptr) {
    SetErr(err, LastError());
    m.Close();
    return m;
  }
  m.handle_ = static_cast<NativeHandle>(h);
  m.writable_ = writable;
  m.size_ = size;
  return m;
}

// ---- MappedView ----------------------------------------------------------

MappedView::MappedView(MappedView&& other) noexcept
    : file_(other.file_), data_(other.data_), size_(other.size_), offset_(other.offset_) {
  other.file_ = kNoHandle;
  other.data_ = nullptr;
  other.size_ = 0;
  other.offset_ = 0;
}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Unmap();
    file_ = other.file_;
    other.file_ = kNoHandle;
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
    SetErr(err, ERROR_INVALID_HANDLE);
    return v;
  }
  if (offset % AllocationGranularity() != 0) {
    SetErr(err, kErrMisaligned);
    return v;
  }
  // The mapping's size bounds the view, and so does the file's present size.
  LARGE_INTEGER now;
  if (!::GetFileSizeEx(H(mapping.file_), &now)) {
    SetErr(err, LastError());
    return v;
  }
  uint64_t end = mapping.size();
  if (static_cast<uint64_t>(now.QuadPart) < end) end = static_cast<uint64_t>(now.QuadPart);
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
  const DWORD access = mapping.writable() ? (FILE_MAP_READ | FILE_MAP_WRITE) : FILE_MAP_READ;
  void* p = ::MapViewOfFile(H(mapping.native()), access, static_cast<DWORD>(offset >> 32),
                            static_cast<DWORD>(offset), length);
  if (p == nullptr) {
    SetErr(err, LastError());
    return v;
  }
  HANDLE dup = nullptr;
  const HANDLE self = ::GetCurrentProcess();
  if (::DuplicateHandle(self, H(mapping.file_), self, &dup, 0, FALSE, DUPLICATE_SAME_ACCESS))
    v.file_ = static_cast<NativeHandle>(dup);
  v.data_ = static_cast<uint8_t*>(p);
  v.size_ = length;
  v.offset_ = offset;
  return v;
}

bool MappedView::Flush(SysError* err) {
  SetErr(err, 0);
  if (!data_) {
    SetErr(err, ERROR_INVALID_HANDLE);
    return false;
  }
  // FlushViewOfFile only starts the write-back; the file's flush waits for it.
  if (!::FlushViewOfFile(data_, size_) || (file_ != kNoHandle && !::FlushFileBuffers(H(file_)))) {
    SetErr(err, LastError());
    return false;
  }
  return true;
}

void MappedView::AdviseRandom() {}

// The system's read-ahead on mapped files needs no hints.
void MappedView::AdviseSequential() {}

void MappedView::Unmap() {
  if (data_) ::UnmapViewOfFile(data_);
  CloseIf(file_);
  file_ = kNoHandle;
  data_ = nullptr;
  size_ = 0;
  offset_ = 0;
}

}  // namespace plat
