// Files as the engine sees them: opened by UTF-16 path, positioned 64-bit
// reads and writes, a file pointer for the KLV scanner, size, times, flush.
// Errors come back as values (the system error code), never as exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/native_handle.h"
#include "platform/sys_error.h"
#include "platform/time.h"

namespace plat {

enum class Access {
  Read,       // existing file, read only
  ReadWrite,  // existing file, read and write
  Write,      // create or truncate, for writing
  CreateNew,  // create, for writing; fails when the file exists
};
// Write and CreateNew open the descriptor for reading too where permissions
// allow, so a freshly created file can be mapped writable.

// The POSIX stand-in for Windows share modes is an advisory flock() taken on
// every open: Shared takes a shared lock, Exclusive an exclusive one, both
// without waiting. So Shared openers do not hinder each other, while an
// Exclusive open is refused with kErrSharing when any other open of ours (this
// process or another, Shared or Exclusive) holds the file, and a Shared open
// is refused while an Exclusive one holds it. Programs that do not lock are
// not hindered. Where the file system has no locks the open goes ahead
// unlocked. Access::Write truncates only after the lock is held, so a refused
// open leaves the file untouched.
enum class Share { Shared, Exclusive };

enum class Whence { Begin, Current, End };

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens path; on failure the returned file is invalid and *err (if given)
  // holds the system error (kErrSharing when a lock refuses it).
  static File Open(const std::u16string& path, Access access, Share share, SysError* err = nullptr);

  bool valid() const { return handle_ != kNoHandle; }
  NativeHandle native() const { return handle_; }
  void Close();

  // Positioned I/O. Both loop until n bytes moved, end of file (reads) or an
  // error; they return the count moved, or -1 with *err set on an error before
  // anything moved. A short write always sets *err (ENOSPC for a full disk).
  int64_t ReadAt(uint64_t offset, void* buf, size_t n, SysError* err = nullptr) const;
  int64_t WriteAt(uint64_t offset, const void* buf, size_t n, SysError* err = nullptr);

  // File-pointer I/O (one pointer per File object, independent of ReadAt and
  // WriteAt). Seeking past the end is allowed. A failed seek (negative or
  // overflowing target) leaves the pointer invalid: Tell() gives UINT64_MAX
  // and Read/Write/relative seeks fail until a Begin or End seek succeeds.
  bool Seek(int64_t offset, Whence whence, SysError* err = nullptr);
  // Current position, or UINT64_MAX when it cannot be taken.
  uint64_t Tell() const;
  int64_t Read(void* buf, size_t n, SysError* err = nullptr);
  int64_t Write(const void* buf, size_t n, SysError* err = nullptr);

  // Tells the system whether the file is read sparsely (true: no
  // read-ahead) or as usual (false). Only a hint; Windows takes none.
  void AdviseRandomAccess(bool random) const;
  // Starts putting [offset, offset + bytes) on the disk without waiting for
  // it, so that the disk writes while the caller prepares more and a later
  // Sync has less left to do. Only a hint; Windows takes none.
  void StartWriteBack(uint64_t offset, uint64_t bytes) const;
  // Waits until the system has written [offset, offset + bytes) out (its
  // write-back, not a Sync: nothing is promised about the disk's own cache)
  // and lets it drop those pages from its cache. For a long file written
  // once and not read soon (a cache full of it slows every later write), and
  // so that the next reads of a flushed range come from the disk. Only a
  // hint; Windows takes none.
  void DropWrittenFromCache(uint64_t offset, uint64_t bytes) const;

  bool Size(uint64_t* size, SysError* err = nullptr) const;
  bool Truncate(uint64_t size, SysError* err = nullptr);
  bool Times(FileTimes* times, SysError* err = nullptr) const;
  bool SetModifiedTime(const FileTime& t, SysError* err = nullptr);
  // Sets the last-access and/or last-write time; a null pointer leaves that
  // time as it is. (The creation time cannot be set on POSIX.)
  bool SetTimes(const FileTime* access, const FileTime* modification, SysError* err = nullptr);
  // Data and metadata on stable storage. False (ENOENT) for a file that no
  // longer has a name (deleted while open): what it holds is lost when it
  // is closed.
  bool Sync(SysError* err = nullptr);

 private:
  explicit File(NativeHandle fd) : handle_(fd) {}
  NativeHandle handle_ = kNoHandle;
  uint64_t pos_ = 0;
};

// Size and times of a path without opening it (the WAV library's record).
struct DirRecord {
  uint64_t size = 0;
  FileTimes times;
  bool isDirectory = false;
  bool isRegular = false;  // not a folder, FIFO, device or socket
};
bool StatPath(const std::u16string& path, DirRecord* out, SysError* err = nullptr);
bool PathExists(const std::u16string& path);
bool IsDirectory(const std::u16string& path);
bool RemoveFile(const std::u16string& path, SysError* err = nullptr);
// True when a file can be created in `folder` (a probe is created and
// removed at once); false with *err otherwise.
bool FolderAcceptsFiles(const std::u16string& folder, SysError* err = nullptr);


}  // namespace plat
