// Body of fuzz_klv.
#include <array>
#include <cstring>
#include <vector>

#include "engine/klv.h"
#include "fuzz/entries/fuzz_entries.h"
#include "fuzz/entries/scratch_file.h"
#include "platform/file.h"

namespace fuzz {

namespace {

// Keys the analysis steps look for, with their wildcards.
constexpr uint8_t kStepPatterns[][16] = {
    // any item
    {0x06, 0x0E, 0x2B, 0x34, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    // random index pack
    {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x11, 0x01, 0x00},
    // partition pack, any kind and status
    {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0xFF, 0xFF, 0x00},
    // primer pack, any version byte
    {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0xFF, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x05, 0x01, 0x00},
    // KLV fill, any version byte
    {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0xFF, 0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00},
    // a pattern no key of the UL prefix can match (byte 0 differs)
    {0x00, 0x0E, 0x2B, 0x34, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
};

// The length field of the item whose value starts at valueOffset: 4 or 8
// bytes right before it, after a key that matches the pattern.
void CheckHit(const uint8_t pattern[16], const uint8_t* buf, size_t size, size_t valueOffset,
              const KLV_LENGTH& length) {
  FUZZ_CHECK(valueOffset <= size);
  FUZZ_CHECK(valueOffset >= 20);
  const uint8_t* v = buf + valueOffset;
  size_t field = 0;
  if (valueOffset >= 24 && v[-8] == 0x87 && std::memcmp(v - 24, kUlPrefix, 4) == 0 &&
      KlvKeyMatches(pattern, v - 24)) {
    field = 8;
  }
  if (field == 0) {
    FUZZ_CHECK(v[-4] == 0x83);
    field = 4;
  }
  const uint8_t* key = v - field - 16;
  FUZZ_CHECK(std::memcmp(key, kUlPrefix, 4) == 0);
  FUZZ_CHECK(KlvKeyMatches(pattern, key));
  if (field == 4) {
    FUZZ_CHECK(length.high == 0);
    FUZZ_CHECK(length.low == ((uint32_t{v[-3]} << 16) | (uint32_t{v[-2]} << 8) | v[-1]));
  }
}

struct BufferHit {
  bool found = false;
  size_t offset = 0;
  KLV_LENGTH length;
};

BufferHit ScanBuffer(const uint8_t pattern[16], const uint8_t* buf, size_t size) {
  BufferHit hit;
  hit.found = FindKlvInBuffer(pattern, buf, size, &hit.offset, &hit.length);
  if (hit.found) {
    CheckHit(pattern, buf, size, hit.offset, hit.length);
  } else {
    FUZZ_CHECK(hit.offset <= size);
    FUZZ_CHECK(hit.length.high == 0 && hit.length.low == 0);
  }
  return hit;
}

// Walks the whole buffer for `pattern` as a caller collecting every item
// would, and checks that the file scanner finds the same items at the same
// places. Returns the items found.
int WalkBoth(const uint8_t pattern[16], const uint8_t* data, size_t size, plat::File* file) {
  int found = 0;
  size_t pos = 0;
  for (int guard = 0; guard <= static_cast<int>(size); ++guard) {
    const BufferHit hit = ScanBuffer(pattern, data + pos, size - pos);
    if (file != nullptr) {
      KLV_LENGTH length{7, 7};
      const bool fileFound = FindKlvInFile(file, pattern, pos, size, &length);
      FUZZ_CHECK(fileFound == hit.found);
      if (fileFound) {
        FUZZ_CHECK(file->Tell() == pos + hit.offset);
        FUZZ_CHECK(length.high == hit.length.high && length.low == hit.length.low);
      } else {
        FUZZ_CHECK(length.high == 0 && length.low == 0);
      }
    }
    if (!hit.found) break;
    ++found;
    const size_t valueStart = pos + hit.offset;
    const uint64_t rest = size - valueStart;
    pos = valueStart + static_cast<size_t>(hit.length.value() < rest ? hit.length.value() : rest);
  }
  return found;
}

}  // namespace

int RunKlvInput(const uint8_t* data, size_t size) {
  // Patterns: the steps' keys; the input's first 16 bytes as a pattern (its
  // 0xFF bytes are wildcards); the key found at an offset the input chooses,
  // with wildcards where a mask from the input says so.
  std::vector<std::array<uint8_t, 16>> patterns;
  for (const auto& p : kStepPatterns) {
    std::array<uint8_t, 16> a;
    std::memcpy(a.data(), p, 16);
    patterns.push_back(a);
  }
  if (size >= 16) {
    std::array<uint8_t, 16> a;
    std::memcpy(a.data(), data, 16);
    patterns.push_back(a);
  }
  if (size >= 19) {
    const size_t at = (size_t{data[0]} << 8 | data[1]) % (size - 15);
    const uint16_t mask = static_cast<uint16_t>(data[2] << 8 | data[3]);
    std::array<uint8_t, 16> a;
    std::memcpy(a.data(), data + at, 16);
    for (int i = 0; i < 16; ++i) {
      if (mask & (1u << i)) a[static_cast<size_t>(i)] = kKeyWildcard;
    }
    patterns.push_back(a);
  }

  // Null and degenerate arguments.
  FUZZ_CHECK(!FindKlvInBuffer(patterns[0].data(), nullptr, size, nullptr, nullptr));
  FUZZ_CHECK(!FindKlvInBuffer(nullptr, data, size, nullptr, nullptr));

  ScratchFile& scratch = ScratchFile::Get();
  plat::File file;
  if (scratch.Write(data, size)) {
    file = plat::File::Open(scratch.widePath(), plat::Access::Read, plat::Share::Shared);
  }
  plat::File* f = file.valid() ? &file : nullptr;

  // The file scanner reads one probe per byte where no item stands, so it is
  // compared with the buffer scanner on one pattern per input.
  const size_t compared = size > 4 ? data[4] % patterns.size() : 0;
  int found = 0;
  for (size_t i = 0; i < patterns.size(); ++i) {
    found += WalkBoth(patterns[i].data(), data, size, i == compared ? f : nullptr);
  }

  if (f != nullptr && size >= 8) {
    // A window the input chooses, anywhere (also past the end of the file):
    // an item must begin inside it, and nothing else is promised.
    uint64_t start = 0, end = 0;
    std::memcpy(&start, data + size - 8, 4);
    std::memcpy(&end, data + size - 4, 4);
    if (data[size - 1] & 0x80) start <<= 32;  // far beyond the file too
    KLV_LENGTH length;
    if (FindKlvInFile(f, patterns.back().data(), start, end, &length)) {
      const uint64_t at = f->Tell();
      FUZZ_CHECK(at != UINT64_MAX && at >= start + 20 && at <= size);
      FUZZ_CHECK(at - 20 < end || at - 24 < end);
    } else {
      FUZZ_CHECK(length.high == 0 && length.low == 0);
    }
    // An empty window finds nothing.
    FUZZ_CHECK(!FindKlvInFile(f, patterns[0].data(), start, start, &length));
  }
  FUZZ_CHECK(!FindKlvInFile(nullptr, patterns[0].data(), 0, size, nullptr));
  return found;
}

}  // namespace fuzz
