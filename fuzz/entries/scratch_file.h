// One scratch file per process, rewritten with each input. The fuzz targets
// and the regression tests hand it to the engine by path or as an open
// plat::File, the way the application opens a user's file.
//
// It lives in $VELMORA_FUZZ_SCRATCH when that is set, else in /dev/shm when
// that is a writable folder (no disk traffic for millions of inputs), else
// in $TMPDIR or /tmp. It is removed at a normal exit; a process that dies on
// a finding leaves it behind (the smoke script points it into its own
// folder for that reason).
#pragma once

#if defined(_WIN32)
#include <process.h>

#include <filesystem>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text.h"

namespace fuzz {

class ScratchFile {
 public:
  // The process's scratch file (created on first use).
  static ScratchFile& Get() {
    static ScratchFile file;
    return file;
  }

  // Replaces the file's contents with the bytes given. False when the file
  // cannot be written (the caller then skips the input).
  bool Write(const uint8_t* data, size_t size) {
    if (path_.empty()) return false;
#if defined(_WIN32)
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f == nullptr) return false;
    const bool whole = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && whole;
#else
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd, data + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ::close(fd);
        return false;
      }
      done += static_cast<size_t>(n);
    }
    return ::close(fd) == 0;
#endif
  }

  const std::string& path() const { return path_; }
  std::u16string widePath() const { return plat::Utf8ToUtf16(path_); }

  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }

 private:
  ScratchFile() {
#if defined(_WIN32)
    std::error_code ec;
    const std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    if (!ec) path_ = (tmp / ("velmora-fuzz-" + std::to_string(::_getpid()) + ".bin")).generic_string();
#else
    const char* chosen = std::getenv("VELMORA_FUZZ_SCRATCH");
    std::string folder = (chosen != nullptr && chosen[0] == '/') ? chosen : "/dev/shm";
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(folder.c_str(), W_OK) != 0) {
      const char* tmp = std::getenv("TMPDIR");
      folder = (tmp != nullptr && tmp[0] == '/') ? tmp : "/tmp";
    }
    path_ = folder + "/velmora-fuzz-" + std::to_string(::getpid()) + ".bin";
#endif
  }

  std::string path_;
};

}  // namespace fuzz
