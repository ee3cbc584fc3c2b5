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

// The mapping object of one open file (read-only or read-write). On POSIX it
// only remembers the descriptor and the size; on Windows it is the named
// file-mapping object. The File must outlive the mapping.
class FileMapping {
 public:
  FileMapping() = default;
  FileMapping(FileMapping&&) noexcept;
  FileMapping& operator=(FileMapping&&) noexcept;
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;
  ~FileMapping();

  // name: the kernel object name on platforms that have one ("fmMXF"...).
  static FileMapping Create(const File& file, bool writable, const char* name, SysError* err = nullptr);

  bool valid() const { return fd_ >= 0; }
  bool writable() const { return writable_; }
  uint64_t size() const { return size_; }
  int native() const { return fd_; }

 private:
  int fd_ = -1;
  bool writable_ = false;
  uint64_t size_ = 0;
};

// One mapped view. offset must be a multiple of AllocationGranularity();
// offset + length must not pass the file's size.
class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&&) noexcept;
  MappedView& operator=(MappedView&&) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  static MappedView Map(const FileMapping& mapping, uint64_t offset, size_t length, SysError* err = nullptr);

  bool valid() const { return data_ != nullptr; }
  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  uint64_t offset() const { return offset_; }

  // Writes dirty pages back to the file and waits for them (msync MS_SYNC).
  bool Flush(SysError* err = nullptr);
  // Tells the kernel the view is read sparsely (no read-ahead).
  void AdviseRandom();
  // Tells the kernel the view is read front to back.
  void AdviseSequential();
  void Unmap();

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  uint64_t offset_ = 0;
};

}  // namespace plat
