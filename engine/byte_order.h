// Big-endian readers for the values stored in MXF files. The caller makes
// sure that the bytes read lie inside its buffer.
#pragma once

#include <cstdint>

inline constexpr uint16_t ReadBE16(const uint8_t* p) {
  return static_cast<uint16_t>((static_cast<uint16_t>(p[0]) << 8) | p[1]);
}

inline constexpr uint32_t ReadBE24(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}

inline constexpr uint32_t ReadBE32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

inline constexpr uint64_t ReadBE64(const uint8_t* p) {
  return (static_cast<uint64_t>(ReadBE32(p)) << 32) | ReadBE32(p + 4);
}
