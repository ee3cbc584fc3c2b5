// A small, deliberately independent MXF byte reader for the mxfgen tests:
// keys are spelled out here from the format, not taken from the writer.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/scratch.h"

namespace mxftest {

using Key = std::array<uint8_t, 16>;

inline std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t Be16(const std::vector<uint8_t>& d, uint64_t o) { return (uint32_t{d[o]} << 8) | d[o + 1]; }
inline uint32_t Be32(const std::vector<uint8_t>& d, uint64_t o) { return (Be16(d, o) << 16) | Be16(d, o + 2); }
inline uint64_t Be64(const std::vector<uint8_t>& d, uint64_t o) { return (uint64_t{Be32(d, o)} << 32) | Be32(d, o + 4); }

inline Key KeyAt(const std::vector<uint8_t>& d, uint64_t o) {
  Key k{};
  for (int i = 0; i < 16; ++i) k[static_cast<size_t>(i)] = d[o + static_cast<uint64_t>(i)];
  return k;
}

// Key with 0xFF as "any byte".
inline bool Matches(const Key& key, const Key& pattern) {
  for (size_t i = 0; i < 16; ++i)
    if (pattern[i] != 0xFF && pattern[i] != key[i]) return false;
  return true;
}

struct Klv {
  uint64_t offset = 0;
  Key key{};
  uint32_t length = 0;
  uint64_t value = 0;  // offset of the value
  uint64_t end() const { return value + length; }
};

// The item at `o`; only 4-byte BER lengths (0x83) are accepted.
inline bool KlvAt(const std::vector<uint8_t>& d, uint64_t o, Klv* out) {
  if (o + 20 > d.size() || d[o] != 0x06 || d[o + 1] != 0x0E || d[o + 2] != 0x2B || d[o + 3] != 0x34) return false;
  if (d[o + 16] != 0x83) return false;
  out->offset = o;
  out->key = KeyAt(d, o);
  out->length = (uint32_t{d[o + 17]} << 16) | (uint32_t{d[o + 18]} << 8) | d[o + 19];
  out->value = o + 20;
  return out->end() <= d.size();
}

// Items from `begin` to `end`, one after another; stops at the first
// position that is not an item.
inline std::vector<Klv> Walk(const std::vector<uint8_t>& d, uint64_t begin, uint64_t end) {
  std::vector<Klv> items;
  Klv k;
  while (begin < end && KlvAt(d, begin, &k)) {
    items.push_back(k);
    begin = k.end();
  }
  return items;
}

struct LocalItem {
  uint16_t tag = 0;
  uint16_t length = 0;
  uint64_t value = 0;
};

inline std::vector<LocalItem> LocalItems(const std::vector<uint8_t>& d, const Klv& set) {
  std::vector<LocalItem> items;
  uint64_t o = set.value;
  while (o + 4 <= set.end()) {
    LocalItem it{static_cast<uint16_t>(Be16(d, o)), static_cast<uint16_t>(Be16(d, o + 2)), o + 4};
    items.push_back(it);
    o += 4 + it.length;
  }
  return items;
}

inline const LocalItem* FindTag(const std::vector<LocalItem>& items, uint16_t tag) {
  for (const LocalItem& i : items)
    if (i.tag == tag) return &i;
  return nullptr;
}

// Header metadata set keys: 06 0E 2B 34 02 53 01 01 0D 01 01 01 01 01 xx 00.
inline Key SetKey(uint8_t type) {
  return {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01, 0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, type, 0x00};
}
inline const Key kFillPattern = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0xFF,
                                 0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};
inline const Key kPartitionPattern = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                                      0x0D, 0x01, 0x02, 0x01, 0x01, 0xFF, 0xFF, 0x00};
inline const Key kPrimer = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                            0x0D, 0x01, 0x02, 0x01, 0x01, 0x05, 0x01, 0x00};
inline const Key kRip = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                         0x0D, 0x01, 0x02, 0x01, 0x01, 0x11, 0x01, 0x00};
inline const Key kIndexSegment = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                  0x0D, 0x01, 0x02, 0x01, 0x01, 0x10, 0x01, 0x00};
inline const Key kSystemItem = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                                0x0D, 0x01, 0x03, 0x01, 0x04, 0x01, 0x01, 0x00};
inline const Key kPicturePattern = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                    0x0D, 0x01, 0x03, 0x01, 0x15, 0xFF, 0xFF, 0xFF};
inline const Key kAes3SoundPattern = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                      0x0D, 0x01, 0x03, 0x01, 0x16, 0xFF, 0x03, 0xFF};
inline const Key kBwfSoundPattern = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                     0x0D, 0x01, 0x03, 0x01, 0x16, 0xFF, 0x01, 0xFF};
inline const Key kAncElement = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                0x0D, 0x01, 0x03, 0x01, 0x17, 0x01, 0x02, 0x01};

inline std::vector<Klv> WithKey(const std::vector<Klv>& items, const Key& pattern) {
  std::vector<Klv> out;
  for (const Klv& k : items)
    if (Matches(k.key, pattern)) out.push_back(k);
  return out;
}

// A scratch directory that removes itself.
class TempDir {
 public:
  TempDir() {
    path_ = testsupport::MakeScratchFolder("mxfgen_test");
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return testsupport::Join(path_, name); }

 private:
  std::string path_;
};

}  // namespace mxftest
