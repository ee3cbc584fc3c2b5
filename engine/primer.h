// The primer pack of the header metadata: the table that maps the local tags
// used in this file's sets to the universal labels of their items. Dynamic
// tags (0x8000 and above) differ from writer to writer, so an item known by
// its label is looked up here rather than by a fixed tag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {
class File;
}

struct PRIMER_ENTRY {
  uint16_t localTag = 0;
  uint8_t ul[16] = {};
};

using PrimerMap = std::vector<PRIMER_ENTRY>;

inline constexpr uint8_t kPrimerPackKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                                               0x0D, 0x01, 0x02, 0x01, 0x01, 0x05, 0x01, 0x00};

// Index of the version byte in a universal label.
inline constexpr size_t kUlVersionByte = 7;

// Parses a primer pack value: batch count (u32), item size (u32, 18), then
// items of local tag (u16) + label (16 bytes), all big-endian. Items larger
// than 18 bytes are read by their first 18. The map is replaced.
// False when the batch header is missing or its item size is below 18, and
// when fewer items fit in `size` than the count says; the items that fit are
// in the map either way.
bool ParsePrimerPack(const uint8_t* value, size_t size, PrimerMap* map);

// The local tag the primer gives the label, or 0 when it names none (the
// first entry wins if a label is listed twice). With ignoreVersionByte the
// labels' version bytes are not compared.
uint16_t FindLocalTag(const PrimerMap& map, const uint8_t ul[16], bool ignoreVersionByte);

// Finds the primer pack in [start, end) of the file (any version byte in its
// key), reads it and parses it into *map. False when there is none, or when
// it is cut short or malformed and not one item could be taken from it (the
// map is then empty). Moves the file pointer.
bool LoadPrimerPack(plat::File* file, uint64_t start, uint64_t end, PrimerMap* map);
