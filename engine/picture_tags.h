// The dynamic local tags of the picture descriptor items the video
// descriptor step reads: taken from the primer pack by the items' labels,
// else from the fixed tags of the MXF minor version.
#pragma once

#include <cstdint>

#include "engine/primer.h"

// Labels of the items (version byte 7 is not compared).
inline constexpr uint8_t kCodedContentTypeUl[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x05,
                                                    0x04, 0x01, 0x06, 0x02, 0x01, 0x04, 0x00, 0x00};
inline constexpr uint8_t kMpegBitRateUl[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x05,
                                               0x04, 0x01, 0x06, 0x02, 0x01, 0x0B, 0x00, 0x00};
inline constexpr uint8_t kAvcAverageBitRateUl[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x0E,
                                                     0x04, 0x01, 0x06, 0x06, 0x01, 0x14, 0x00, 0x00};
inline constexpr uint8_t kAvcMaximumBitRateUl[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x0E,
                                                     0x04, 0x01, 0x06, 0x06, 0x01, 0x0B, 0x00, 0x00};

// 0 means: no tag known for the item (it is then not read).
struct PICTURE_TAGS {
  uint16_t codedContentType = 0;  // MPEG-2 video descriptor, u8
  uint16_t bitRate = 0;           // MPEG-2 video descriptor, u32
  uint16_t avcBitRate = 0;        // AVC sub-descriptor, u32
};

// The fixed tags: minor version 2 (8008, 800F, 800D) and 3 (8002, 8008,
// 800D); none for other versions.
PICTURE_TAGS FixedPictureTags(uint8_t versionMinor);

// Each item's tag is the one the primer gives its label, else the fixed tag.
// When the primer names the fixed tag with the item's label, the fixed tag
// is kept (a file written with the fixed tags reads as it always has). The
// AVC bit rate is the average bit rate, or the maximum bit rate when the
// primer names no average one.
PICTURE_TAGS ResolvePictureTags(const PrimerMap& primer, uint8_t versionMinor);
