#include "engine/primer.h"

#include <cstring>
#include <new>

#include "engine/byte_order.h"
#include "engine/klv.h"
#include "engine/local_set.h"

namespace {

constexpr size_t kBatchHeader = 8;
constexpr size_t kPrimerItem = 18;

}  // namespace

bool ParsePrimerPack(const uint8_t* value, size_t size, PrimerMap* map) {
  if (map == nullptr) return false;
  map->clear();
  if (value == nullptr || size < kBatchHeader) return false;
  const uint32_t count = ReadBE32(value);
  const uint32_t itemSize = ReadBE32(value + 4);
  if (itemSize < kPrimerItem) return false;

  const size_t fitting = (size - kBatchHeader) / itemSize;
  const size_t n = count < fitting ? count : fitting;
  try {
    map->reserve(n);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* item = value + kBatchHeader + i * itemSize;
      PRIMER_ENTRY entry;
      entry.localTag = ReadBE16(item);
      std::memcpy(entry.ul, item + 2, sizeof entry.ul);
      map->push_back(entry);
    }
  } catch (const std::bad_alloc&) {
    map->clear();
    return false;
  }
  return n == count;
}

uint16_t FindLocalTag(const PrimerMap& map, const uint8_t ul[16], bool ignoreVersionByte) {
  if (ul == nullptr) return 0;
  for (const PRIMER_ENTRY& entry : map) {
    bool same = true;
    for (size_t i = 0; i < 16 && same; ++i) {
      if (ignoreVersionByte && i == kUlVersionByte) continue;
      same = entry.ul[i] == ul[i];
    }
    if (same) return entry.localTag;
  }
  return 0;
}

bool LoadPrimerPack(plat::File* file, uint64_t start, uint64_t end, PrimerMap* map) {
  if (map == nullptr) return false;
  map->clear();
  uint8_t pattern[16];
  std::memcpy(pattern, kPrimerPackKey, sizeof pattern);
  pattern[kUlVersionByte] = kKeyWildcard;
  KLV_LENGTH length;
  if (!FindKlvInFile(file, pattern, start, end, &length)) return false;
  std::vector<uint8_t> value;
  size_t got = 0;
  if (!ReadSetValue(file, length, &value, &got)) return false;
  // Parse only what arrived: a pack cut short by the end of the file keeps
  // the items that were read whole.
  return ParsePrimerPack(value.data(), got, map) || !map->empty();
}
