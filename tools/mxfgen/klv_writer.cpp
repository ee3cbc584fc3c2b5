#include "tools/mxfgen/klv_writer.h"

#include "tools/mxfgen/labels.h"

namespace mxfgen {

Bytes Utf16BE(const std::string& utf8) {
  Bytes out;
  size_t i = 0;
  while (i < utf8.size()) {
    const uint8_t c = static_cast<uint8_t>(utf8[i]);
    uint32_t cp = 0;
    int extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      cp = 0xFFFD;
    }
    ++i;
    for (int k = 0; k < extra; ++k, ++i) {
      if (i >= utf8.size() || (static_cast<uint8_t>(utf8[i]) & 0xC0) != 0x80) {
        cp = 0xFFFD;
        break;
      }
      cp = (cp << 6) | (static_cast<uint8_t>(utf8[i]) & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      PutU16(out, static_cast<uint16_t>(0xD800 | (cp >> 10)));
      PutU16(out, static_cast<uint16_t>(0xDC00 | (cp & 0x3FF)));
    } else {
      PutU16(out, static_cast<uint16_t>(cp));
    }
  }
  return out;
}

void PutKlvHeader(Bytes& b, const UL& key, uint32_t length) {
  PutUL(b, key);
  b.push_back(0x83);
  b.push_back(static_cast<uint8_t>(length >> 16));
  b.push_back(static_cast<uint8_t>(length >> 8));
  b.push_back(static_cast<uint8_t>(length));
}

void PutKlv(Bytes& b, const UL& key, const Bytes& value) {
  PutKlvHeader(b, key, static_cast<uint32_t>(value.size()));
  b.insert(b.end(), value.begin(), value.end());
}

void PutFill(Bytes& b, uint32_t totalSize, uint8_t keyVersion) {
  UL key = labels::kFill;
  key[7] = keyVersion;
  PutKlvHeader(b, key, totalSize - kKlvHeader);
  PutZeros(b, totalSize - kKlvHeader);
}

uint32_t FillToKag(uint64_t position, uint32_t kag) {
  if (kag <= 1) return 0;
  uint32_t gap = static_cast<uint32_t>((kag - position % kag) % kag);
  if (gap == 0) return 0;
  while (gap < kMinFill) gap += kag;
  return gap;
}

void LocalSet::U8(uint16_t tag, uint8_t v) {
  PutU16(body_, tag);
  PutU16(body_, 1);
  PutU8(body_, v);
}
void LocalSet::U16(uint16_t tag, uint16_t v) {
  PutU16(body_, tag);
  PutU16(body_, 2);
  PutU16(body_, v);
}
void LocalSet::U32(uint16_t tag, uint32_t v) {
  PutU16(body_, tag);
  PutU16(body_, 4);
  PutU32(body_, v);
}
void LocalSet::U64(uint16_t tag, uint64_t v) {
  PutU16(body_, tag);
  PutU16(body_, 8);
  PutU64(body_, v);
}
void LocalSet::Rational(uint16_t tag, uint32_t num, uint32_t den) {
  PutU16(body_, tag);
  PutU16(body_, 8);
  PutU32(body_, num);
  PutU32(body_, den);
}
void LocalSet::Ul(uint16_t tag, const UL& v) {
  PutU16(body_, tag);
  PutU16(body_, 16);
  PutUL(body_, v);
}
void LocalSet::Raw(uint16_t tag, const Bytes& v) { Raw(tag, v.data(), v.size()); }
void LocalSet::Raw(uint16_t tag, const uint8_t* p, size_t n) {
  PutU16(body_, tag);
  PutU16(body_, static_cast<uint16_t>(n));
  PutBytes(body_, p, n);
}
void LocalSet::Batch(uint16_t tag, const std::vector<UL>& items) {
  PutU16(body_, tag);
  PutU16(body_, static_cast<uint16_t>(8 + 16 * items.size()));
  PutU32(body_, static_cast<uint32_t>(items.size()));
  PutU32(body_, 16);
  for (const UL& u : items) PutUL(body_, u);
}

}  // namespace mxfgen
