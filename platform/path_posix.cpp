// Path helpers and the user's folders on POSIX.
#include <cstdlib>
#include <fstream>
#include <vector>

#include <pwd.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"

namespace plat {

const char16_t kPathSeparator = u'/';

namespace {

bool IsAbsolute(std::u16string_view p) { return !p.empty() && p.front() == kPathSeparator; }

std::u16string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? Utf8ToUtf16(v) : std::u16string();
}

std::u16string WorkingFolder() {
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) return u"/";
  std::u16string out = Utf8ToUtf16(cwd);
  std::free(cwd);
  return out;
}

// XDG_DESKTOP_DIR from a user-dirs.dirs file: lines of the form
// XDG_DESKTOP_DIR="$HOME/Desktop" (a path relative to $HOME) or
// XDG_DESKTOP_DIR="/absolute/path".
std::u16string DesktopFromUserDirs(const std::u16string& home) {
  std::ifstream in(Utf16ToUtf8(JoinPath(ConfigFolder(), u"user-dirs.dirs")));
  std::string line;
  std::string value;
  while (std::getline(in, line)) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] == '#') continue;
    static const std::string kKey = "XDG_DESKTOP_DIR=";
    if (line.compare(i, kKey.size(), kKey) != 0) continue;
    value = line.substr(i + kKey.size());
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  }
  if (value.empty()) return {};
  static const std::string kHome = "$HOME";
  if (value.compare(0, kHome.size(), kHome) == 0 && (value.size() == kHome.size() || value[kHome.size()] == '/')) {
    if (home.empty()) return {};
    return AbsolutePath(home + Utf8ToUtf16(value.substr(kHome.size())));
  }
  std::u16string v = Utf8ToUtf16(value);
  return IsAbsolute(v) ? AbsolutePath(v) : std::u16string();
}

}  // namespace

std::u16string FileNamePart(std::u16string_view path) {
  const size_t pos = path.rfind(kPathSeparator);
  return std::u16string(pos == std::u16string_view::npos ? path : path.substr(pos + 1));
}

std::u16string FolderPart(std::u16string_view path) {
  const size_t pos = path.rfind(kPathSeparator);
  if (pos == std::u16string_view::npos) return {};
  std::u16string folder(path.substr(0, pos));
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  return folder.empty() ? std::u16string(1, kPathSeparator) : folder;
}

std::u16string Extension(std::u16string_view path) {
  const std::u16string name = FileNamePart(path);
  if (name == u"." || name == u"..") return {};
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos || dot == 0) return {};
  return name.substr(dot);
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.remove_suffix(1);
  while (!name.empty() && name.front() == kPathSeparator) name.remove_prefix(1);
  if (folder.empty()) return std::u16string(name);
  if (name.empty()) return std::u16string(folder);
  std::u16string out(folder);
  if (out.back() != kPathSeparator) out.push_back(kPathSeparator);
  out.append(name);
  return out;
}

std::u16string AbsolutePath(std::u16string_view path) {
  if (path.empty()) return {};
  std::u16string full = IsAbsolute(path) ? std::u16string(path) : JoinPath(WorkingFolder(), path);
  std::vector<std::u16string_view> parts;
  std::u16string_view rest(full);
  while (!rest.empty()) {
    const size_t pos = rest.find(kPathSeparator);
    const std::u16string_view part = rest.substr(0, pos);
    rest = pos == std::u16string_view::npos ? std::u16string_view() : rest.substr(pos + 1);
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();  // ".." of the root is the root
      continue;
    }
    parts.push_back(part);
  }
  std::u16string out;
  for (const auto& part : parts) {
    out.push_back(kPathSeparator);
    out.append(part);
  }
  return out.empty() ? std::u16string(1, kPathSeparator) : out;
}

bool PathFitsLimits(std::u16string_view path) {
  constexpr size_t kMaxNameBytes = 255;
  constexpr size_t kMaxPathBytes = 4095;
  if (!IsAbsolute(path)) return false;
  const std::string bytes = Utf16ToUtf8(path);
  if (bytes.size() > kMaxPathBytes) return false;
  const size_t nameBytes = bytes.size() - (bytes.rfind('/') + 1);
  return nameBytes > 0 && nameBytes <= kMaxNameBytes;
}

std::u16string HomeFolder() {
  std::u16string home = Env("HOME");
  if (!home.empty()) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd pw;
  struct passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result && result->pw_dir)
    return Utf8ToUtf16(result->pw_dir);
  return {};
}

std::u16string DesktopFolder() {
  const std::u16string home = HomeFolder();
  std::u16string env = Env("XDG_DESKTOP_DIR");
  if (IsAbsolute(env) && IsDirectory(env)) return AbsolutePath(env);
  std::u16string fromFile = DesktopFromUserDirs(home);
  if (!fromFile.empty() && IsDirectory(fromFile)) return fromFile;
  if (home.empty()) return WorkingFolder();
  std::u16string desktop = JoinPath(home, u"Desktop");
  if (IsDirectory(desktop)) return desktop;
  return home;
}

std::u16string ConfigFolder() {
  std::u16string xdg = Env("XDG_CONFIG_HOME");
  if (IsAbsolute(xdg)) return xdg;
  return JoinPath(HomeFolder(), u".config");
}

}  // namespace plat
