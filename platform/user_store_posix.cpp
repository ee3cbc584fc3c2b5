// The user store on POSIX: keys are folders, values are files.
#include <cerrno>
#include <sys/stat.h>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/user_store.h"

namespace plat {

namespace {

// root/part/part/...: each '\\' of the key becomes a folder level.
std::u16string KeyFolder(const std::u16string& root, std::u16string_view key) {
  std::u16string folder = root;
  size_t start = 0;
  while (start <= key.size()) {
    const size_t end = std::min(key.find(u'\\', start), key.size());
    if (end > start) folder = JoinPath(folder, key.substr(start, end - start));
    start = end + 1;
  }
  return folder;
}

bool IsFolder(const std::u16string& path) {
  struct stat st {};
  return ::stat(Utf16ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the folder and its missing parents.
bool MakeFolders(const std::u16string& path) {
  if (path.empty() || IsFolder(path)) return !path.empty();
  const std::u16string parent = FolderPart(path);
  if (!parent.empty() && parent != path && !MakeFolders(parent)) return false;
  return ::mkdir(Utf16ToUtf8(path).c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(path));
}

}  // namespace

UserStore::UserStore(std::u16string root) : root_(std::move(root)) {}

std::u16string UserStore::DefaultRoot() { return ConfigFolder(); }

UserStore::KeyState UserStore::OpenKey(std::u16string_view key) const {
  if (root_.empty()) return KeyState::Failed;
  const std::u16string folder = KeyFolder(root_, key);
  if (IsFolder(folder)) return KeyState::Existed;
  return MakeFolders(folder) ? KeyState::Created : KeyState::Failed;
}

bool UserStore::KeyExists(std::u16string_view key) const {
  return !root_.empty() && IsFolder(KeyFolder(root_, key));
}

bool UserStore::ReadValue(std::u16string_view key, std::u16string_view name, std::vector<uint8_t>* bytes) const {
  if (root_.empty()) return false;
  File file = File::Open(JoinPath(KeyFolder(root_, key), name), Access::Read, Share::Shared);
  if (!file.valid()) return false;
  // Values are a few bytes; anything past 64 KiB is not one of ours.
  std::vector<uint8_t> buffer(65536);
  const int64_t got = file.ReadAt(0, buffer.data(), buffer.size());
  if (got < 0) return false;
  buffer.resize(static_cast<size_t>(got));
  *bytes = std::move(buffer);
  return true;
}

bool UserStore::WriteValue(std::u16string_view key, std::u16string_view name, const uint8_t* data,
                           size_t size) const {
  if (root_.empty() || !IsFolder(KeyFolder(root_, key))) return false;
  // Access::Write truncates once the lock is held.
  File file = File::Open(JoinPath(KeyFolder(root_, key), name), Access::Write, Share::Exclusive);
  if (!file.valid()) return false;
  return file.WriteAt(0, data, size) == static_cast<int64_t>(size);
}

}  // namespace plat
