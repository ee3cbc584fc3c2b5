// Reading a local set once its key has been found: the value is read into a
// zeroed buffer, then walked item by item. An item is a 2-byte big-endian
// local tag, a 2-byte big-endian length and the value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/byte_order.h"
#include "engine/klv.h"

namespace plat {
class File;
}

// Reads the value of the item whose key FindKlvInFile has just found (the file
// pointer stands on the value's first byte) into *out: a zero-filled buffer of
// length.low bytes (the high half is not used; values of 4 GiB or more are
// not supported). A short or failed read leaves the rest of the buffer zero;
// *bytesRead (if given) says how many bytes arrived. The file pointer moves
// past what was read. False only when the arguments are unusable or the
// buffer cannot be allocated (then *out is empty).
//
// A value that runs past the end of the file keeps its zero tail only up to
// kMaxMissingSetBytes past the end: a damaged length in a small file would
// otherwise allocate, clear and walk gigabytes of zeros, which read as
// nothing but empty items with tag 0.
inline constexpr size_t kMaxMissingSetBytes = size_t{64} << 10;
bool ReadSetValue(plat::File* file, const KLV_LENGTH& length, std::vector<uint8_t>* out,
                  size_t* bytesRead = nullptr);

// Walks the items of a set's value, calling fn(tag, value, length) for each,
// in order. The walk goes on at offset + 4 + item length while the offset is
// below size. Every item is handed out, tags the caller does not know
// included; when a tag occurs twice the caller sees both, in file order, so
// a caller that overwrites on each match keeps the later one.
//
// Nothing outside [data, data + size) is ever handed out:
//  - an item whose claimed length is more than what remains of the set is
//    delivered with the bytes that remain, and `length` is that true count;
//    the walk ends after it;
//  - an item header (tag and length) that does not fit ends the walk.
// Callers that read a fixed-size value check `length` first.
//
// Returns true when the walk ended exactly at the end of the set, false when
// a truncated item or header ended it.
template <class Fn>
bool ForEachLocalItem(const uint8_t* data, size_t size, Fn&& fn) {
  if (data == nullptr) return size == 0;
  size_t offset = 0;
  while (offset < size) {
    const size_t remaining = size - offset;
    if (remaining < 4) return false;
    const uint16_t tag = ReadBE16(data + offset);
    const uint16_t claimed = ReadBE16(data + offset + 2);
    const size_t available = remaining - 4;
    if (claimed > available) {
      fn(tag, data + offset + 4, static_cast<uint16_t>(available));
      return false;
    }
    fn(tag, data + offset + 4, claimed);
    offset += 4 + static_cast<size_t>(claimed);
  }
  return true;
}
