#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/text.h"

namespace plat {

namespace {

bool NativeName(const std::u16string& path, std::string* out, SysError* err) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) {
    if (err != nullptr) *err = path.empty() ? ENOENT : EINVAL;
    return false;
  }
  *out = Utf16ToUtf8(path);
  return true;
}

bool Fail(SysError* err) {
  if (err != nullptr) *err = errno;
  return false;
}

}  // namespace

bool FreeDiskSpace(const std::u16string& path, uint64_t* bytes, SysError* err) {
  if (err != nullptr) *err = 0;
  std::string p;
  if (!NativeName(path, &p, err)) return false;
  struct statvfs st {};
  if (::statvfs(p.c_str(), &st) != 0) return Fail(err);
  *bytes = static_cast<uint64_t>(st.f_bavail) * static_cast<uint64_t>(st.f_frsize);
  return true;
}

bool RenameFile(const std::u16string& from, const std::u16string& to, SysError* err) {
  if (err != nullptr) *err = 0;
  std::string a, b;
  if (!NativeName(from, &a, err) || !NativeName(to, &b, err)) return false;
  if (std::rename(a.c_str(), b.c_str()) != 0) return Fail(err);
  return true;
}

bool SyncFolder(const std::u16string& folder, SysError* err) {
  if (err != nullptr) *err = 0;
  std::string p;
  if (!NativeName(folder.empty() ? u"." : folder, &p, err)) return false;
  const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail(err);
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
  if (!ok && err != nullptr) *err = errno;
  ::close(fd);
  return ok;
}

}  // namespace plat
