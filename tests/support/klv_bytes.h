// Byte builders shared by the tests that hand-make MXF files: big-endian
// numbers, KLV items in each BER length form, KLV fill, local set items and
// sets, and a scratch file holding the bytes, opened as plat::File.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tests/support/scratch.h"

namespace klvtest {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }
inline void PutBE16(Bytes* out, uint16_t v) { Put(out, {uint8_t(v >> 8), uint8_t(v)}); }
inline void PutBE32(Bytes* out, uint32_t v) {
  Put(out, {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}
inline void PutBE64(Bytes* out, uint64_t v) {
  PutBE32(out, uint32_t(v >> 32));
  PutBE32(out, uint32_t(v));
}
inline void PatchBE64(Bytes* out, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) (*out)[at + i] = uint8_t(v >> (56 - 8 * i));
}

inline const Bytes kFillKey = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x02,
                               0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};

// key + length (4-byte BER unless berBytes says 1 (short form) or 8) + value.
inline Bytes Klv(const Bytes& key, const Bytes& value, int berBytes = 4) {
  Bytes out = key;
  const uint64_t n = value.size();
  if (berBytes == 1) {
    out.push_back(uint8_t(n));
  } else if (berBytes == 8) {
    out.push_back(0x87);
    for (int s = 48; s >= 0; s -= 8) out.push_back(uint8_t(n >> s));
  } else {
    Put(&out, {0x83, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  }
  Put(&out, value);
  return out;
}

// A KLV fill item of exactly `total` bytes (at least 20).
inline Bytes Fill(size_t total) { return Klv(kFillKey, Bytes(total - 20, 0)); }

// One local set item.
inline Bytes Item(uint16_t tag, const Bytes& value) {
  Bytes out;
  PutBE16(&out, tag);
  PutBE16(&out, uint16_t(value.size()));
  Put(&out, value);
  return out;
}

inline Bytes LocalSet(const Bytes& key, const std::vector<Bytes>& items) {
  Bytes value;
  for (const Bytes& i : items) Put(&value, i);
  return Klv(key, value);
}

// The bytes in a temporary file, open for reading; removed afterwards.
class ScratchMxf {
 public:
  explicit ScratchMxf(const Bytes& content) {
    path_ = testsupport::MakeScratchFile("velmora_klv", content.data(), content.size());
    if (path_.empty()) return;
    file_ = plat::File::Open(path16(), plat::Access::Read, plat::Share::Shared);
    size_ = content.size();
  }
  ~ScratchMxf() {
    file_.Close();
    if (!path_.empty()) std::remove(path_.c_str());
  }
  ScratchMxf(const ScratchMxf&) = delete;
  ScratchMxf& operator=(const ScratchMxf&) = delete;

  bool ok() const { return file_.valid(); }
  plat::File* file() { return &file_; }
  uint64_t size() const { return size_; }
  std::u16string path16() const { return std::u16string(path_.begin(), path_.end()); }

 private:
  std::string path_;
  plat::File file_;
  uint64_t size_ = 0;
};

}  // namespace klvtest
