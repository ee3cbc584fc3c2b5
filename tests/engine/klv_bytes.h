// Builders for KLV byte streams and a scratch file, shared by the scanner and
// local-set tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/scratch.h"

using Bytes = std::vector<uint8_t>;

struct Key16 {
  uint8_t b[16];
};

// A key with the UL prefix; `n` varies the last byte.
inline Key16 MakeKey(uint8_t n) {
  return Key16{{0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01, 0x0D, 0x01, 0x01, 0x01, 0x01, 0x01,
                0x30, n}};
}

inline void Append(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }

inline void AppendKey(Bytes* out, const Key16& key) { out->insert(out->end(), key.b, key.b + 16); }

// key + 83 + 24-bit length + value
inline void AppendItem4(Bytes* out, const Key16& key, const Bytes& value) {
  AppendKey(out, key);
  const size_t n = value.size();
  Append(out, {0x83, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  Append(out, value);
}

// key + 87 + 56-bit length + value
inline void AppendItem8(Bytes* out, const Key16& key, const Bytes& value) {
  AppendKey(out, key);
  const uint64_t n = value.size();
  out->push_back(0x87);
  for (int shift = 48; shift >= 0; shift -= 8) out->push_back(uint8_t(n >> shift));
  Append(out, value);
}

inline Bytes Filled(size_t n, uint8_t v) { return Bytes(n, v); }

// A file under the temporary folder holding given bytes; removed at the end.
class ScratchFile {
 public:
  explicit ScratchFile(const Bytes& content) {
    path_ = testsupport::MakeScratchFile("velmora_klv", content.data(), content.size());
    ok_ = !path_.empty();
  }
  ~ScratchFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  bool ok() const { return ok_; }
  // The temporary folder's path is ASCII, so widening each byte is exact.
  std::u16string path16() const { return std::u16string(path_.begin(), path_.end()); }

 private:
  std::string path_;
  bool ok_ = false;
};
