// Portable test helpers: a scratch folder removed afterwards, environment
// variables set for the length of a scope, and the paths of our programs.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace testsupport {

// A new, empty folder in the system's temporary folder, named after tag.
inline std::string MakeScratchFolder(const std::string& tag) {
  static std::atomic<unsigned> counter{0};
#if defined(_WIN32)
  const long pid = ::_getpid();
#else
  const long pid = static_cast<long>(::getpid());
#endif
  const auto base = std::filesystem::temp_directory_path();
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto dir = base / (tag + "-" + std::to_string(pid) + "-" + std::to_string(counter++) + "-" +
                             std::to_string(stamp % 1000000));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) return dir.string();
  }
  return {};
}

// A new file in the system's temporary folder holding `bytes`; its path, or
// empty when it could not be written whole.
inline std::string MakeScratchFile(const std::string& tag, const void* bytes, size_t n) {
  static std::atomic<unsigned> counter{0};
#if defined(_WIN32)
  const long pid = ::_getpid();
#else
  const long pid = static_cast<long>(::getpid());
#endif
  const auto path = (std::filesystem::temp_directory_path() /
                     (tag + "-" + std::to_string(pid) + "-" + std::to_string(counter++) + ".bin"))
                        .string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return {};
  const bool whole = n == 0 || std::fwrite(bytes, 1, n, f) == n;
  if (std::fclose(f) != 0 || !whole) {
    std::remove(path.c_str());
    return {};
  }
  return path;
}

// dir/name with the system's own separator.
inline std::string Join(const std::string& dir, const std::string& name) {
  return (std::filesystem::path(dir) / name).string();
}

// The folder lives as long as the object; everything in it goes with it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag = "velmora-test") : dir_(MakeScratchFolder(tag)) {}
  ~ScratchFolder() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // In the system's own form (backslashes on Windows), as the programs
  // print paths back.
  const std::string& dir() const { return dir_; }
  std::string Path(const std::string& name) const { return Join(dir_, name); }

 private:
  std::string dir_;
};

// Sets (or, with nullopt, removes) a variable of the environment.
inline void SetEnv(const std::string& name, const std::optional<std::string>& value) {
#if defined(_WIN32)
  ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
  if (value)
    ::setenv(name.c_str(), value->c_str(), 1);
  else
    ::unsetenv(name.c_str());
#endif
}

// Makes the C library read TZ again after it changed.
inline void ReadTimeZoneAgain() {
#if defined(_WIN32)
  ::_tzset();
#else
  ::tzset();
#endif
}

// Sets a variable for the life of the object, then restores it.
class EnvOverride {
 public:
  EnvOverride(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) saved_ = old;
    SetEnv(name_, value);
  }
  ~EnvOverride() { SetEnv(name_, saved_); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

// Path of one of our programs in the build's bin folder ("velmora-cli").
inline std::string ProgramPath(const std::string& name) {
#if defined(_WIN32)
  return std::string(VELMORA_BIN_DIR) + "/" + name + ".exe";
#else
  return std::string(VELMORA_BIN_DIR) + "/" + name;
#endif
}

}  // namespace testsupport
