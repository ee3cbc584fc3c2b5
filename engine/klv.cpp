#include "engine/klv.h"

#include <cstdint>
#include <cstring>

#include "engine/byte_order.h"
#include "platform/file.h"

namespace {

constexpr size_t kKeySize = 16;
constexpr size_t kShortestItem = kKeySize + 4;  // key + 4-byte length, empty value
constexpr size_t kLongestHeader = kKeySize + 8;

// Size of the length field that starts with `first`, or 0 for a form the
// scanners do not take.
size_t LengthFieldSize(uint8_t first) {
  if (first == 0x83) return 4;
  if (first == 0x87) return 8;
  return 0;
}

// Decodes a 4- or 8-byte length field (first byte included).
KLV_LENGTH DecodeLength(const uint8_t* field, size_t fieldSize) {
  KLV_LENGTH len;
  if (fieldSize == 4) {
    len.low = ReadBE24(field + 1);
  } else {
    len.high = ReadBE24(field + 1);
    len.low = ReadBE32(field + 4);
  }
  return len;
}

bool HasUlPrefix(const uint8_t* key) { return std::memcmp(key, kUlPrefix, sizeof kUlPrefix) == 0; }

// Moves the file pointer to an absolute offset. A position the file pointer
// cannot hold fails and leaves the pointer reading as all-ones.
bool SeekTo(plat::File* file, uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) {
    file->Seek(-1, plat::Whence::Begin);
    return false;
  }
  return file->Seek(static_cast<int64_t>(offset), plat::Whence::Begin);
}

}  // namespace

bool KlvKeyMatches(const uint8_t pattern[16], const uint8_t key[16]) {
  for (size_t i = 0; i < kKeySize; ++i) {
    if (pattern[i] != kKeyWildcard && pattern[i] != key[i]) return false;
  }
  return true;
}

bool FindKlvInFile(plat::File* file, const uint8_t pattern[16], uint64_t start, uint64_t end,
                   KLV_LENGTH* length) {
  if (length) *length = KLV_LENGTH{};
  if (file == nullptr || !file->valid() || pattern == nullptr) return false;
  if (!SeekTo(file, start)) return false;

  // One read per probe: the key and the longest length field we take.
  uint8_t probe[kLongestHeader];
  for (;;) {
    const uint64_t pos = file->Tell();
    if (pos == UINT64_MAX || pos >= end) break;
    const int64_t got = file->ReadAt(pos, probe, sizeof probe);
    if (got < static_cast<int64_t>(kKeySize)) break;

    if (!HasUlPrefix(probe)) {
      if (!SeekTo(file, pos + 1)) break;
      continue;
    }
    if (got == static_cast<int64_t>(kKeySize)) break;  // no length byte after the key
    const size_t fieldSize = LengthFieldSize(probe[kKeySize]);
    if (fieldSize == 0) {
      if (!SeekTo(file, pos + kKeySize)) break;
      continue;
    }
    if (got < static_cast<int64_t>(kKeySize + fieldSize)) break;

    const KLV_LENGTH found = DecodeLength(probe + kKeySize, fieldSize);
    const uint64_t valueStart = pos + kKeySize + fieldSize;
    if (KlvKeyMatches(pattern, probe)) {
      if (!SeekTo(file, valueStart)) break;
      if (length) *length = found;
      return true;
    }
    if (found.value() > UINT64_MAX - valueStart) break;  // a skip no offset can hold
    if (!SeekTo(file, valueStart + found.value())) break;
  }
  if (length) *length = KLV_LENGTH{};
  return false;
}

bool FindKlvInBuffer(const uint8_t pattern[16], const uint8_t* buffer, size_t size,
                     size_t* valueOffset, KLV_LENGTH* length) {
  if (length) *length = KLV_LENGTH{};
  if (valueOffset) *valueOffset = 0;
  if (pattern == nullptr || buffer == nullptr || size < kShortestItem) return false;

  size_t pos = 0;  // invariant: pos <= size
  while (size - pos >= kShortestItem) {
    const uint8_t* p = buffer + pos;
    if (!HasUlPrefix(p)) {
      // Jump to the next byte that could start a prefix.
      const size_t last = size - kShortestItem;  // last offset a probe may start at
      const void* hit = pos < last ? std::memchr(p + 1, kUlPrefix[0], last - pos) : nullptr;
      pos = hit ? static_cast<size_t>(static_cast<const uint8_t*>(hit) - buffer) : last + 1;
      continue;
    }
    const size_t fieldSize = LengthFieldSize(p[kKeySize]);
    if (fieldSize == 0) {
      pos += kKeySize;
      continue;
    }
    if (size - pos < kKeySize + fieldSize) break;

    const KLV_LENGTH found = DecodeLength(p + kKeySize, fieldSize);
    const size_t valueStart = pos + kKeySize + fieldSize;
    if (KlvKeyMatches(pattern, p)) {
      if (valueOffset) *valueOffset = valueStart;
      if (length) *length = found;
      return true;
    }
    if (found.value() > size - valueStart) {  // the item runs past the buffer
      pos = size;
      break;
    }
    pos = valueStart + static_cast<size_t>(found.value());
  }
  if (valueOffset) *valueOffset = pos;
  return false;
}
