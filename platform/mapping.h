// Memory mapping of whole files: one mapping object per file, views mapped
// at multiples of the allocation granularity.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file.h"
#include "platform/sys_error.h"

namespace plat {

// Offsets of views must be multiples of this (the page size on POSIX,
// 64 KiB on Windows).
uint64_t AllocationGranularity();

// The mapping object of one open file (read-only or read-write), covering the
// file as it is when the mapping is created. On POSIX it holds its own
// duplicate of the descriptor and the size; on Windows the file-mapping
// object and a duplicate of the file's handle. Either way it keeps the file
// (and its lock) open until it is closed, so the File may be closed first.
class FileMapping {
 public:
  FileMapping() = default;
  FileMapping(FileMapping&&) noexcept;
  FileMapping& operator=(FileMapping&&) noexcept;
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;
  ~FileMapping();

  // name: a label ("fmMXF"...). Windows kernel-object names are shared by
  // the whole session, so mappings stay unnamed there.
  // Fails with EBADF for an invalid file, EACCES when the file was not opened
  // for what `writable` asks, kErrOutOfRange for an empty file.
  static FileMapping Create(const File& file, bool writable, const char* name, SysError* err = nullptr);

  bool valid() const { return handle_ != kNoHandle; }
  bool writable() const { return writable_; }
  uint64_t size() const { return size_; }
  NativeHandle native() const { return handle_; }
  // Views already mapped stay valid.
  void Close();

 private:
  friend class MappedView;
  NativeHandle handle_ = kNoHandle;
  NativeHandle file_ = kNoHandle;  // Windows: the file's handle (the mapping has its own descriptor on POSIX)
  bool writable_ = false;
  uint64_t size_ = 0;
};

// One mapped view, readable, and writable when its mapping is (writes go to
// the file; other readers of the file see them at once). It stays valid after
// its mapping is closed.
class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&&) noexcept;
  MappedView& operator=(MappedView&&) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  // offset must be a multiple of AllocationGranularity() (else
  // kErrMisaligned); offset + length must not pass the mapping's size nor the
  // file's present size (else kErrOutOfRange). length 0 maps up to the end of
  // the mapping.
  static MappedView Map(const FileMapping& mapping, uint64_t offset, size_t length, SysError* err = nullptr);

  bool valid() const { return data_ != nullptr; }
  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  uint64_t offset() const { return offset_; }

  // Writes dirty pages back to the file and waits for them (msync MS_SYNC).
  // Unmap alone leaves the write-back to the system.
  bool Flush(SysError* err = nullptr);
  // Tells the kernel the view is read sparsely (no read-ahead).
  void AdviseRandom();
  // Tells the kernel the view is read front to back.
  void AdviseSequential();
  void Unmap();

 private:
  NativeHandle file_ = kNoHandle;  // Windows: the file's handle, for Flush to wait on
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  uint64_t offset_ = 0;
};

}  // namespace plat
