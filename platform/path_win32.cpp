// Path helpers and the user's folders on Windows. Both '\\' and '/' separate
// path parts; results use '\\'.
#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/win32_path.h"

namespace plat {

const char16_t kPathSeparator = u'\\';

namespace {

constexpr int64_t kTicksTo1970 = 116444736000000000LL;  // 100 ns ticks from 1601 to 1970

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

size_t LastSep(std::u16string_view p) {
  const size_t a = p.rfind(u'\\');
  const size_t b = p.rfind(u'/');
  if (a == std::u16string_view::npos) return b;
  if (b == std::u16string_view::npos) return a;
  return a > b ? a : b;
}

// Length of the root of a path: "C:\" (3), "C:" (2), "\\server\share\" and
// "\" (1); 0 for a relative path.
size_t RootLength(std::u16string_view p) {
  if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) {  // UNC or \\?\ form
    size_t i = 2, parts = 0;
    while (i < p.size() && parts < 2) {
      while (i < p.size() && !IsSep(p[i])) ++i;
      ++parts;
      if (i < p.size()) ++i;
    }
    return i;
  }
  if (p.size() >= 2 && p[1] == u':') return p.size() >= 3 && IsSep(p[2]) ? 3 : 2;
  if (!p.empty() && IsSep(p[0])) return 1;
  return 0;
}

std::u16string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR raw = nullptr;
  std::u16string out;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &raw)) && raw)
    out = win32::Narrow16(raw, wcslen(raw));
  ::CoTaskMemFree(raw);
  return out;
}

std::u16string WorkingFolder() {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  std::vector<wchar_t> buf(n + 1);
  const DWORD got = ::GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
  return got ? win32::Narrow16(buf.data(), got) : std::u16string(u"C:\\");
}

}  // namespace

namespace win32 {

bool SystemPath(const std::u16string& path, std::wstring* out, SysError* err) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) {
    if (err) *err = path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME;
    return false;
  }
  std::wstring w = Wide(path);
  if (w.rfind(L"\\\\?\\", 0) == 0) {  // already in the system's own form
    *out = std::move(w);
    return true;
  }
  for (auto& c : w)
    if (c == L'/') c = L'\\';
  if (w.size() >= MAX_PATH - 12) {
    // Long paths need the prefix, and with it the system no longer removes
    // "." and ".." parts: hand it the full form.
    const DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    std::vector<wchar_t> buf(n + 1);
    const DWORD got = ::GetFullPathNameW(w.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    if (got != 0 && got < buf.size()) {
      std::wstring full(buf.data(), got);
      if (full.rfind(L"\\\\", 0) == 0)
        w = L"\\\\?\\UNC\\" + full.substr(2);
      else if (full.size() >= 2 && full[1] == L':')
        w = L"\\\\?\\" + full;
    }
  }
  *out = std::move(w);
  return true;
}

FileTime FromFileTime(uint64_t ticks) {
  return FileTime{(static_cast<int64_t>(ticks) - kTicksTo1970) * 100};
}

FILETIME ToFileTime(const FileTime& t) {
  int64_t ticks = t.unixNanos / 100;
  if (t.unixNanos % 100 < 0) --ticks;  // floor
  ticks += kTicksTo1970;
  if (ticks < 0) ticks = 0;
  FILETIME f;
  f.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
  f.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  return f;
}

}  // namespace win32

std::u16string FileNamePart(std::u16string_view path) {
  const size_t pos = LastSep(path);
  std::u16string_view name = pos == std::u16string_view::npos ? path : path.substr(pos + 1);
  if (pos == std::u16string_view::npos && path.size() >= 2 && path[1] == u':') name = path.substr(2);  // "C:a.mxf"
  return std::u16string(name);
}

std::u16string FolderPart(std::u16string_view path) {
  const size_t pos = LastSep(path);
  if (pos == std::u16string_view::npos) return {};
  const size_t root = RootLength(path);
  if (pos + 1 <= root) return std::u16string(path.substr(0, root));  // a file in the root: "C:\"
  std::u16string folder(path.substr(0, pos));
  while (folder.size() > root && IsSep(folder.back())) folder.pop_back();
  return folder;
}

std::u16string Extension(std::u16string_view path) {
  const std::u16string name = FileNamePart(path);
  if (name == u"." || name == u"..") return {};
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos || dot == 0) return {};
  return name.substr(dot);
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  const size_t root = RootLength(folder);
  while (folder.size() > root && folder.size() > 1 && IsSep(folder.back())) folder.remove_suffix(1);
  while (!name.empty() && IsSep(name.front())) name.remove_prefix(1);
  if (folder.empty()) return std::u16string(name);
  if (name.empty()) return std::u16string(folder);
  std::u16string out(folder);
  if (!IsSep(out.back()) && !(out.size() == 2 && out[1] == u':')) out.push_back(kPathSeparator);
  out.append(name);
  return out;
}

std::u16string AbsolutePath(std::u16string_view path) {
  if (path.empty()) return {};
  const std::wstring w = win32::Wide(path);
  const DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::u16string(path);
  std::vector<wchar_t> buf(n + 1);
  const DWORD got = ::GetFullPathNameW(w.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
  if (got == 0 || got >= buf.size()) return std::u16string(path);
  return win32::Narrow16(buf.data(), got);
}

bool PathFitsLimits(std::u16string_view path) {
  constexpr size_t kMaxName = 255;
  constexpr size_t kMaxPath = MAX_PATH - 1;  // without the terminator
  const size_t root = RootLength(path);
  const bool drive = root == 3 && path[1] == u':';
  const bool unc = root > 2 && IsSep(path[0]) && IsSep(path[1]) && path[2] != u'?' && path[2] != u'.';
  if (!drive && !unc) return false;
  if (path.size() > kMaxPath) return false;
  const size_t sep = LastSep(path);
  const size_t name = path.size() - (sep + 1);
  return sep + 1 >= root && name > 0 && name <= kMaxName;
}

std::u16string HomeFolder() {
  std::u16string home = KnownFolder(FOLDERID_Profile);
  return home.empty() ? WorkingFolder() : home;
}

std::u16string DesktopFolder() {
  std::u16string desktop = KnownFolder(FOLDERID_Desktop);
  if (!desktop.empty() && IsDirectory(desktop)) return desktop;
  return HomeFolder();
}

std::u16string ConfigFolder() {
  std::u16string appData = KnownFolder(FOLDERID_RoamingAppData);
  return appData.empty() ? JoinPath(HomeFolder(), u"AppData\\Roaming") : appData;
}

}  // namespace plat
