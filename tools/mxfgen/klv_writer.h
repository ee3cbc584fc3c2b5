// KLV items as mxfgen writes them: 16-byte key, 4-byte BER length (0x83),
// value; KLV fill items; local sets (2-byte tag, 2-byte length, value).
#pragma once

#include "tools/mxfgen/bytes.h"

namespace mxfgen {

constexpr uint32_t kKlvHeader = 20;  // key + 0x83 + 3 length bytes
constexpr uint32_t kMinFill = 20;    // the smallest fill item: empty value

// Appends key and 0x83 length.
void PutKlvHeader(Bytes& b, const UL& key, uint32_t length);

// Appends a whole KLV item.
void PutKlv(Bytes& b, const UL& key, const Bytes& value);

// Appends a fill item occupying exactly `totalSize` bytes (>= 20).
void PutFill(Bytes& b, uint32_t totalSize, uint8_t keyVersion);

// Size of the fill item that brings `position` to the next multiple of
// `kag`: 0 when already aligned or KAG is 1, otherwise at least 20 bytes
// (a gap shorter than a fill item is widened by one KAG).
uint32_t FillToKag(uint64_t position, uint32_t kag);

// A local set under construction. Tags are resolved by the caller.
class LocalSet {
 public:
  void U8(uint16_t tag, uint8_t v);
  void U16(uint16_t tag, uint16_t v);
  void U32(uint16_t tag, uint32_t v);
  void U64(uint16_t tag, uint64_t v);
  void Rational(uint16_t tag, uint32_t num, uint32_t den);
  void Ul(uint16_t tag, const UL& v);
  void Raw(uint16_t tag, const Bytes& v);
  void Raw(uint16_t tag, const uint8_t* p, size_t n);
  // Batch or array of 16-byte values: count, 16, values.
  void Batch(uint16_t tag, const std::vector<UL>& items);
  const Bytes& body() const { return body_; }

 private:
  Bytes body_;
};

}  // namespace mxfgen
