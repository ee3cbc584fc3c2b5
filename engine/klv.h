// KLV scanners: find the next item whose 16-byte key matches a pattern,
// either in an open file between two offsets or in a buffer in memory.
//
// What counts as an item:
//  - the key starts with the universal-label prefix 06 0E 2B 34;
//  - the length is BER long form with exactly 4 bytes (83 + 24-bit value) or
//    exactly 8 bytes (87 + 56-bit value). Any other length form (short form,
//    81, 82, 84 ...) is not taken as an item: the scan resumes right after
//    its key, so such an item is never matched even when its key fits.
// A position without the prefix is passed one byte at a time; an item that
// does not match is skipped whole by its length.
//
// A pattern byte 0xFF matches any key byte in that position (so a pattern
// cannot demand the value 0xFF); every other byte must be equal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {
class File;
}

// A BER length as the scanners deliver it, in two 32-bit halves. The readers
// of sets and packs use only `low` as the value size.
struct KLV_LENGTH {
  uint32_t high = 0;
  uint32_t low = 0;

  constexpr uint64_t value() const { return (static_cast<uint64_t>(high) << 32) | low; }
};

inline constexpr uint8_t kUlPrefix[4] = {0x06, 0x0E, 0x2B, 0x34};
inline constexpr uint8_t kKeyWildcard = 0xFF;

// True when every non-wildcard byte of pattern equals the key's byte.
bool KlvKeyMatches(const uint8_t pattern[16], const uint8_t key[16]);

// Scans the file from absolute offset `start` for an item whose key matches
// `pattern` and begins before `end` (the item itself may reach past `end`).
// On success the file pointer is at the first byte of the value and *length
// holds its length. On failure *length is cleared; why the scan failed (end
// of window, end of file, unreadable position, invalid or null file) is not
// told apart. The scan moves the file pointer either way.
bool FindKlvInFile(plat::File* file, const uint8_t pattern[16], uint64_t start, uint64_t end,
                   KLV_LENGTH* length);

// The same over `size` bytes of memory. On success *valueOffset is the offset
// of the value's first byte and *length its length; the value may run past
// the end of the buffer, so the caller bounds it by size - *valueOffset.
// A probe is examined only while its key and length field lie inside the
// buffer. On failure *length is cleared and *valueOffset is where the scan
// stopped: the first probe that could not be examined, i.e. where a scan over
// the bytes that follow would go on (0 for a buffer shorter than 20 bytes).
// An unmatched item whose value runs past the end stops the scan at `size`;
// it never reports more. valueOffset and length may be null.
bool FindKlvInBuffer(const uint8_t pattern[16], const uint8_t* buffer, size_t size,
                     size_t* valueOffset, KLV_LENGTH* length);
