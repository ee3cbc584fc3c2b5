#include "platform/file_system.h"
#include "platform/win32_path.h"

namespace plat {

namespace {

bool Fail(SysError* err) {
  if (err != nullptr) *err = static_cast<SysError>(::GetLastError());
  return false;
}

}  // namespace

bool FreeDiskSpace(const std::u16string& path, uint64_t* bytes, SysError* err) {
  if (err != nullptr) *err = 0;
  std::wstring p;
  if (!win32::SystemPath(path, &p, err)) return false;
  // GetDiskFreeSpaceExW wants a folder: the folder of a file.
  const DWORD attributes = ::GetFileAttributesW(p.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const size_t cut = p.find_last_of(L'\\');
    if (cut != std::wstring::npos) p.resize(cut + 1);
  }
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(p.c_str(), &available, nullptr, nullptr)) return Fail(err);
  *bytes = available.QuadPart;
  return true;
}

bool RenameFile(const std::u16string& from, const std::u16string& to, SysError* err) {
  if (err != nullptr) *err = 0;
  std::wstring a, b;
  if (!win32::SystemPath(from, &a, err) || !win32::SystemPath(to, &b, err)) return false;
  if (!::MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Fail(err);
  return true;
}

bool SyncFolder(const std::u16string&, SysError* err) {
  if (err != nullptr) *err = 0;
  return true;
}

}  // namespace plat
