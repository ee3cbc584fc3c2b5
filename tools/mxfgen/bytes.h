// Big-endian byte building for KLV items and local sets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mxfgen {

using UL = std::array<uint8_t, 16>;
using Bytes = std::vector<uint8_t>;

inline void PutU8(Bytes& b, uint8_t v) { b.push_back(v); }
inline void PutU16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
inline void PutU32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}
inline void PutU64(Bytes& b, uint64_t v) {
  for (int s = 56; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}
inline void PutBytes(Bytes& b, const uint8_t* p, size_t n) { b.insert(b.end(), p, p + n); }
inline void PutUL(Bytes& b, const UL& ul) { b.insert(b.end(), ul.begin(), ul.end()); }
inline void PutZeros(Bytes& b, size_t n) { b.insert(b.end(), n, 0); }

// Overwrites a big-endian value inside an existing buffer.
inline void SetU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

inline uint32_t ReadU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint64_t ReadU64(const uint8_t* p) {
  return (uint64_t{ReadU32(p)} << 32) | ReadU32(p + 4);
}

// UTF-8 text as big-endian UTF-16 without terminator (MXF UTF16String).
Bytes Utf16BE(const std::string& utf8);

}  // namespace mxfgen
