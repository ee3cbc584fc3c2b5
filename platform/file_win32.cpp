// Win32 implementation of plat::File. Share modes carry the lock semantics:
// Shared opens share everything with each other, an Exclusive open shares
// nothing, so either refuses the other with a sharing violation.
#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/file.h"
#include "platform/text.h"
#include "platform/win32_path.h"

namespace plat {

namespace {

// One system call moves at most this much (ReadFile takes a DWORD count).
constexpr DWORD kMaxChunk = DWORD{1} << 30;

void SetErr(SysError* err, SysError value) {
  if (err) *err = value;
}

SysError LastError() {
  const DWORD e = ::GetLastError();
  if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION) return kErrSharing;
  return static_cast<SysError>(e);
}

HANDLE H(NativeHandle h) { return static_cast<HANDLE>(h); }

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED o = {};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(other.handle_), pos_(other.pos_) {
  other.handle_ = kNoHandle;
  other.pos_ = 0;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    pos_ = other.pos_;
    other.handle_ = kNoHandle;
    other.pos_ = 0;
  }
  return *this;
}

void File::Close() {
  if (handle_ != kNoHandle) {
    ::CloseHandle(H(handle_));  // also ends the share-mode claim
    handle_ = kNoHandle;
  }
  pos_ = 0;
}

File File::Open(const std::u16string& path, Access access, Share share, SysError* err) {
  SetErr(err, 0);
  std::wstring p;
  if (!win32::SystemPath(path, &p, err)) return File();
  DWORD rights = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  switch (access) {
    case Access::Read: break;
    case Access::ReadWrite: rights |= GENERIC_WRITE; break;
    // No CREATE_ALWAYS: truncation waits until the share check has passed.
    case Access::Write: rights |= GENERIC_WRITE; disposition = OPEN_ALWAYS; break;
    case Access::CreateNew: rights |= GENERIC_WRITE; disposition = CREATE_NEW; break;
  }
  const DWORD shareMode =
      share == Share::Exclusive ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  HANDLE h = ::CreateFileW(p.c_str(), rights, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED &&
      (access == Access::Write || access == Access::CreateNew)) {
    // A file we may write but not read: open it write-only (it cannot be mapped).
    h = ::CreateFileW(p.c_str(), GENERIC_WRITE, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) {
    const SysError e = LastError();
    const DWORD attrs = ::GetFileAttributesW(p.c_str());
    const bool isDir = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    SetErr(err, isDir ? static_cast<SysError>(ERROR_DIRECTORY) : e);
    return File();
  }
  File file(static_cast<NativeHandle>(h));
  if (access == Access::Write && ::GetFileType(h) == FILE_TYPE_DISK) {
    FILE_END_OF_FILE_INFO eof = {};
    if (!::SetFileInformationByHandle(h, FileEndOfFileInfo, &eof, sizeof eof)) {
      SetErr(err, LastError());
      return File();
    }
  }
  return file;
}

int64_t File::ReadAt(uint64_t offset, void* buf, size_t n, SysError* err) const {
  SetErr(err, 0);
  if (handle_ == kNoHandle) {
    SetErr(err, ERROR_INVALID_HANDLE);
    return -1;
  }
  size_t done = 0;
  auto* out = static_cast<unsigned char*>(buf);
  while (done < n) {
    const uint64_t at = offset + done;
    if (at < offset || at > static_cast<uint64_t>(INT64_MAX)) break;  // nothing lies there
    const DWORD want = n - done < kMaxChunk ? static_cast<DWORD>(n - done) : kMaxChunk;
    OVERLAPPED o = At(at);
    DWORD got = 0;
    if (!::ReadFile(H(handle_), out + done, want, &got, &o)) {
      const DWORD e = ::GetLastError();
      if (e == ERROR_HANDLE_EOF) break;
      SetErr(err, static_cast<SysError>(e));
      return done ? static_cast<int64_t>(done) : -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

int64_t File::WriteAt(uint64_t offset, const void* buf, size_t n, SysError* err) {
  SetErr(err, 0);
  if (handle_ == kNoHandle) {
    SetErr(err, ERROR_INVALID_HANDLE);
    return -1;
  }
  size_t done = 0;
  auto* in = static_cast<const unsigned char*>(buf);
  while (done < n) {
    const uint64_t at = offset + done;
    if (at < offset || at > static_cast<uint64_t>(INT64_MAX)) {
      SetErr(err, ERROR_FILE_TOO_LARGE);
      return done ? static_cast<int64_t>(done) : -1;
    }
    const DWORD want = n - done < kMaxChunk ? static_cast<DWORD>(n - done) : kMaxChunk;
    OVERLAPPED o = At(at);
    DWORD put = 0;
    if (!::WriteFile(H(handle_), in + done, want, &put, &o)) {
      SetErr(err, LastError());
      return done ? static_cast<int64_t>(done) : -1;
    }
    if (put == 0) {
      SetErr(err, ERROR_DISK_FULL);
      break;
    }
    done += put;
  }
  return static_cast<int64_t>(done);
}

bool File::Seek(int64_t offset, Whence whence, SysError* err) {
  SetErr(err, 0);
  int64_t base = 0;
  if (whence == Whence::Current) {
    if (pos_ == UINT64_MAX) {  // no position to move from
      SetErr(err, ERROR_NEGATIVE_SEEK);
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
  if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0 || handle_ == kNoHandle) {
    pos_ = UINT64_MAX;
    SetErr(err, handle_ == kNoHandle ? ERROR_INVALID_HANDLE : ERROR_NEGATIVE_SEEK);
    return false;
  }
  pos_ = static_cast<uint64_t>(base + offset);
  return true;
}

uint64_t File::Tell() const { return handle_ == kNoHandle ? UINT64_MAX : pos_; }

int64_t File::Read(void* buf, size_t n, SysError* err) {
  if (pos_ == UINT64_MAX) {
    SetErr(err, ERROR_NEGATIVE_SEEK);
    return -1;
  }
  int64_t r = ReadAt(pos_, buf, n, err);
  if (r > 0) pos_ += static_cast<uint64_t>(r);
  return r;
}

int64_t File::Write(const void* buf, size_t n, SysError* err) {
  if (pos_ == UINT64_MAX) {
    SetErr(err, ERROR_NEGATIVE_SEEK);
    return -1;
  }
  int64_t w = WriteAt(pos_, buf, n, err);
  if (w > 0) pos_ += static_cast<uint64_t>(w);
  return w;
}

// The access pattern is chosen when a file is opened on Windows.
void File::AdviseRandomAccess(bool) const {}

void File::StartWriteBack(uint64_t, uint64_t) const {}
void File::DropWrittenFromCache(uint64_t, uint64_t) const {}

bool File::Size(uint64_t* size, SysError* err) const {
  SetErr(err, 0);
  LARGE_INTEGER li;
  if (handle_ == kNoHandle || !::GetFileSizeEx(H(handle_), &li)) {
    SetErr(err, handle_ == kNoHandle ? ERROR_INVALID_HANDLE : LastError());
    return false;
  }
  *size = static_cast<uint64_t>(li.QuadPart);
  return true;
}

bool File::Truncate(uint64_t size, SysError* err) {
  SetErr(err, 0);
  FILE_END_OF_FILE_INFO eof = {};
  eof.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  // NTFS refuses to cut a file short under a mapped view (ERROR_USER_MAPPED_FILE).
  if (handle_ == kNoHandle || !::SetFileInformationByHandle(H(handle_), FileEndOfFileInfo, &eof, sizeof eof)) {
    SetErr(err, handle_ == kNoHandle ? ERROR_INVALID_HANDLE : LastError());
    return false;
  }
  return true;
}

bool File::Times(FileTimes* times, SysError* err) const {
  SetErr(err, 0);
  FILE_BASIC_INFO info = {};
  if (handle_ == kNoHandle || !::GetFileInformationByHandleEx(H(handle_), FileBasicInfo, &info, sizeof info)) {
    SetErr(err, handle_ == kNoHandle ? ERROR_INVALID_HANDLE : LastError());
    return false;
  }
  times->creation = win32::FromFileTime(static_cast<uint64_t>(info.CreationTime.QuadPart));
  times->change = win32::FromFileTime(static_cast<uint64_t>(info.ChangeTime.QuadPart));
  times->modification = win32::FromFileTime(static_cast<uint64_t>(info.LastWriteTime.QuadPart));
  times->access = win32::FromFileTime(static_cast<uint64_t>(info.LastAccessTime.QuadPart));
  return true;
}

bool File::SetModifiedTime(const FileTime& t, SysError* err) { return SetTimes(nullptr, &t, err); }

bool File::SetTimes(const FileTime* access, const FileTime* modification, SysError* err) {
  SetErr(err, 0);
  FILETIME a, m;
  if (access) a = win32::ToFileTime(*access);
  if (modification) m = win32::ToFileTime(*modification);
  if (handle_ == kNoHandle ||
      !::SetFileTime(H(handle_), nullptr, access ? &a : nullptr, modification ? &m : nullptr)) {
    SetErr(err, handle_ == kNoHandle ? ERROR_INVALID_HANDLE : LastError());
    return false;
  }
  return true;
}

bool File::Sync(SysError* err) {
  SetErr(err, 0);
  if (handle_ == kNoHandle || !::FlushFileBuffers(H(handle_))) {
    SetErr(err, handle_ == kNoHandle ? ERROR_INVALID_HANDLE : LastError());
    return false;
  }
  // A file whose deletion is pending loses what it holds when it is closed.
  FILE_STANDARD_INFO info = {};
  if (::GetFileInformationByHandleEx(H(handle_), FileStandardInfo, &info, sizeof info) && info.DeletePending) {
    SetErr(err, ERROR_FILE_NOT_FOUND);
    return false;
  }
  return true;
}

bool StatPath(const std::u16string& path, DirRecord* out, SysError* err) {
  SetErr(err, 0);
  std::wstring p;
  if (!win32::SystemPath(path, &p, err)) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data)) {
    SetErr(err, LastError());
    return false;
  }
  auto ft = [](const FILETIME& f) {
    return win32::FromFileTime((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  out->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  out->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // Paths that name devices ("\\.\...") are not files of a folder.
  out->isRegular = !out->isDirectory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
  out->times.creation = ft(data.ftCreationTime);
  out->times.modification = ft(data.ftLastWriteTime);
  out->times.access = ft(data.ftLastAccessTime);
  out->times.change = out->times.modification;  // not in this record; the last write stands in
  return true;
}

bool PathExists(const std::u16string& path) {
  std::wstring p;
  return win32::SystemPath(path, &p, nullptr) && ::GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::u16string& path) {
  std::wstring p;
  if (!win32::SystemPath(path, &p, nullptr)) return false;
  const DWORD attrs = ::GetFileAttributesW(p.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FolderAcceptsFiles(const std::u16string& folder, SysError* err) {
  SetErr(err, 0);
  std::wstring p;
  if (!win32::SystemPath(folder, &p, err)) return false;
  // A probe created and removed at once (deleted when its handle closes).
  const std::wstring probe = p + L"\\.velmora-probe-" + std::to_wstring(::GetCurrentProcessId());
  const HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetErr(err, LastError());
    return false;
  }
  ::CloseHandle(h);
  return true;
}

bool RemoveFile(const std::u16string& path, SysError* err) {
  SetErr(err, 0);
  std::wstring p;
  if (!win32::SystemPath(path, &p, err)) return false;
  if (!::DeleteFileW(p.c_str())) {
    SetErr(err, LastError());
    return false;
  }
  return true;
}

std::string ErrorCodeText(SysError err) { return "error " + std::to_string(err); }

std::string DescribeError(SysError err) {
  switch (err) {
    case 0: return "no error";
    case kErrSharing: return "the file is in use by another job";
    case kErrInvalidArg: return "invalid argument";
    case kErrMisaligned: return "offset is not a multiple of the allocation granularity";
    case kErrOutOfRange: return "range lies outside the file";
    default: break;
  }
  // English text where the system has it, the user's language otherwise.
  wchar_t* text = nullptr;
  DWORD n = 0;
  for (const DWORD lang : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}}) {
    n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(err), lang, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (n != 0) break;
  }
  std::string out;
  if (n != 0 && text != nullptr) {
    std::u16string w(reinterpret_cast<const char16_t*>(text), n);
    while (!w.empty() && (w.back() == u'\n' || w.back() == u'\r' || w.back() == u' ' || w.back() == u'.'))
      w.pop_back();
    out = Utf16ToUtf8(w);
  }
  if (text) ::LocalFree(text);
  return out.empty() ? "error " + std::to_string(err) : out;
}

}  // namespace plat
