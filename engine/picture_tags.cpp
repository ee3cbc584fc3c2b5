#include "engine/picture_tags.h"

namespace {

bool SameLabel(const uint8_t a[16], const uint8_t b[16]) {
  for (size_t i = 0; i < 16; ++i) {
    if (i != kUlVersionByte && a[i] != b[i]) return false;
  }
  return true;
}

// True when the primer lists `tag` with the label `ul`.
bool PrimerNames(const PrimerMap& primer, uint16_t tag, const uint8_t ul[16]) {
  for (const PRIMER_ENTRY& e : primer) {
    if (e.localTag == tag) return SameLabel(e.ul, ul);
  }
  return false;
}

uint16_t Resolve(const PrimerMap& primer, uint16_t fixed, const uint8_t* const* labels, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (fixed != 0 && PrimerNames(primer, fixed, labels[i])) return fixed;
  }
  for (size_t i = 0; i < n; ++i) {
    if (uint16_t tag = FindLocalTag(primer, labels[i], true); tag != 0) return tag;
  }
  return fixed;
}

}  // namespace

PICTURE_TAGS FixedPictureTags(uint8_t versionMinor) {
  switch (versionMinor) {
    case 2: return {0x8008, 0x800F, 0x800D};
    case 3: return {0x8002, 0x8008, 0x800D};
    default: return {};
  }
}

PICTURE_TAGS ResolvePictureTags(const PrimerMap& primer, uint8_t versionMinor) {
  const PICTURE_TAGS fixed = FixedPictureTags(versionMinor);
  const uint8_t* const cct[] = {kCodedContentTypeUl};
  const uint8_t* const rate[] = {kMpegBitRateUl};
  const uint8_t* const avc[] = {kAvcAverageBitRateUl, kAvcMaximumBitRateUl};
  PICTURE_TAGS tags;
  tags.codedContentType = Resolve(primer, fixed.codedContentType, cct, 1);
  tags.bitRate = Resolve(primer, fixed.bitRate, rate, 1);
  tags.avcBitRate = Resolve(primer, fixed.avcBitRate, avc, 2);
  return tags;
}
