// Buffered sequential output with holes: Skip() leaves bytes unwritten (they
// read as zeros), so multi-gigabyte sparse picture data costs nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"

namespace mxfgen {

class FileSink {
 public:
  FileSink() = default;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink();

  // path in UTF-8.
  bool Open(const std::string& path, std::string* error);
  void Write(const void* data, size_t n);
  void Zeros(size_t n);
  void Skip(uint64_t n);
  // Flushes, extends the file over a trailing hole and closes; false on any
  // I/O error since Open.
  bool Close(std::string* error);
  uint64_t position() const { return position_; }

 private:
  bool Flush();

  plat::File file_;
  uint64_t fileAt_ = 0;  // where the buffer goes
  std::string path_;
  std::vector<unsigned char> buffer_;
  size_t used_ = 0;
  uint64_t position_ = 0;
  uint64_t pendingSkip_ = 0;
  bool failed_ = false;
};

}  // namespace mxfgen
