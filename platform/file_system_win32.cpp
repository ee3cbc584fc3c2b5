#include <windows.h>

#include "platform/file_system.h"

namespace plat {

namespace {

std::wstring Wide(const std::u16string& path) { return std::wstring(path.begin(), path.end()); }

bool Fail(SysError* err) {
  if (err != nullptr) *err = static_cast<SysError>(::GetLastError());
  return false;
}

}  // namespace

bool FreeDiskSpace(const std::u16string& path, uint64_t* bytes, SysError* err) {
  if (err != nullptr) *err = 0;
  // The folder of a file: GetDiskFreeSpaceExW wants a directory.
  std::u16string folder = path;
  if ((::GetFileAttributesW(Wide(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const size_t cut = folder.find_last_of(u"\\/");
    folder = cut == std::u16string::npos ? u"." : folder.substr(0, cut + 1);
  }
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(Wide(folder).c_str(), &available, nullptr, nullptr)) return Fail(err);
  *bytes = available.QuadPart;
  return true;
}

bool RenameFile(const std::u16string& from, const std::u16string& to, SysError* err) {
  if (err != nullptr) *err = 0;
  if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Fail(err);
  }
  return true;
}

bool SyncFolder(const std::u16string&, SysError* err) {
  if (err != nullptr) *err = 0;
  return true;
}

}  // namespace plat
