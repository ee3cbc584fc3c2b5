#include "tools/mxfgen/file_sink.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace mxfgen {
namespace {
constexpr size_t kBufferSize = 8u << 20;
}

FileSink::~FileSink() {
  if (file_) std::fclose(file_);
}

bool FileSink::Open(const std::string& path, std::string* error) {
  path_ = path;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    if (error) *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  buffer_.resize(kBufferSize);
  return true;
}

bool FileSink::Flush() {
  if (used_ && !failed_) {
    if (std::fwrite(buffer_.data(), 1, used_, file_) != used_) failed_ = true;
  }
  used_ = 0;
  if (pendingSkip_ && !failed_) {
    uint64_t left = pendingSkip_;
    while (left && !failed_) {
      const long step = left > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(left);
      if (std::fseek(file_, step, SEEK_CUR) != 0) failed_ = true;
      left -= static_cast<uint64_t>(step);
    }
  }
  pendingSkip_ = 0;
  return !failed_;
}

void FileSink::Write(const void* data, size_t n) {
  if (pendingSkip_) Flush();
  position_ += n;
  const auto* p = static_cast<const unsigned char*>(data);
  if (n >= buffer_.size()) {
    Flush();
    if (!failed_ && std::fwrite(p, 1, n, file_) != n) failed_ = true;
    return;
  }
  if (used_ + n > buffer_.size()) Flush();
  std::memcpy(buffer_.data() + used_, p, n);
  used_ += n;
}

void FileSink::Zeros(size_t n) {
  if (pendingSkip_) Flush();
  position_ += n;
  while (n) {
    if (used_ == buffer_.size()) Flush();
    const size_t step = std::min(n, buffer_.size() - used_);
    std::memset(buffer_.data() + used_, 0, step);
    used_ += step;
    n -= step;
  }
}

void FileSink::Skip(uint64_t n) {
  if (used_) Flush();
  pendingSkip_ += n;
  position_ += n;
}

bool FileSink::Close(std::string* error) {
  if (!file_) return false;
  const bool trailingHole = pendingSkip_ != 0;
  Flush();
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  if (trailingHole && !failed_) {
    std::error_code ec;
    std::filesystem::resize_file(path_, position_, ec);
    if (ec) failed_ = true;
  }
  if (failed_ && error) *error = "write to " + path_ + " failed";
  return !failed_;
}

}  // namespace mxfgen
