#include "tools/mxfgen/file_sink.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace mxfgen {
namespace {
constexpr size_t kBufferSize = 8u << 20;
}

FileSink::~FileSink() = default;

bool FileSink::Open(const std::string& path, std::string* error) {
  path_ = path;
  plat::SysError err = 0;
  file_ = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Write, plat::Share::Exclusive, &err);
  if (!file_.valid()) {
    if (error) *error = "cannot create " + path + ": " + plat::DescribeError(err);
    return false;
  }
  buffer_.resize(kBufferSize);
  return true;
}

bool FileSink::Flush() {
  if (used_ && !failed_) {
    if (file_.WriteAt(fileAt_, buffer_.data(), used_) != static_cast<int64_t>(used_)) failed_ = true;
    fileAt_ += used_;
  }
  used_ = 0;
  fileAt_ += pendingSkip_;  // the hole: nothing written there
  pendingSkip_ = 0;
  return !failed_;
}

void FileSink::Write(const void* data, size_t n) {
  if (pendingSkip_) Flush();
  position_ += n;
  const auto* p = static_cast<const unsigned char*>(data);
  if (n >= buffer_.size()) {
    Flush();
    if (!failed_ && file_.WriteAt(fileAt_, p, n) != static_cast<int64_t>(n)) failed_ = true;
    fileAt_ += n;
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
  if (!file_.valid()) return false;
  const bool trailingHole = pendingSkip_ != 0;
  Flush();
  // A trailing hole is the file's length set past its last written byte.
  if (trailingHole && !failed_ && !file_.Truncate(position_)) failed_ = true;
  file_.Close();
  if (failed_ && error) *error = "write to " + path_ + " failed";
  return !failed_;
}

}  // namespace mxfgen
