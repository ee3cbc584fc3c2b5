// The verification reads every frame's timecode at a fixed offset into the
// system item that opens the frame. A file whose frames open with another
// element (no system item, or a system item whose length is not in the
// 4-byte form the offset assumes) would be "verified" from picture bytes
// and loaded with its tracks on the wrong elements, so the first indexed
// frame is looked at before anything else.
#include "verify/verify_internal.h"

namespace verify_internal {

namespace {

// SDTI-CP compatible system metadata pack; byte 7 (version) is not compared.
constexpr uint8_t kSystemItemKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                                        0x0D, 0x01, 0x03, 0x01, 0x04, 0x01, 0x01, 0x00};
constexpr size_t kVersionByte = 7;
constexpr uint8_t kFourByteLength = 0x83;
constexpr uint64_t kKeyAndLength = 20;

}  // namespace

bool FirstFrameCarriesSystemItem(const plat::File& file, const INDEX_ENTRY_ARRAY& first) {
  uint8_t head[kKeyAndLength];
  if (first.streamOffset > UINT64_MAX - sizeof head) return false;
  if (file.ReadAt(first.streamOffset, head, sizeof head) != static_cast<int64_t>(sizeof head)) return false;
  for (size_t i = 0; i < 16; ++i) {
    if (i != kVersionByte && head[i] != kSystemItemKey[i]) return false;
  }
  if (head[16] != kFourByteLength) return false;
  const uint32_t length = (uint32_t{head[17]} << 16) | (uint32_t{head[18]} << 8) | head[19];
  // The timecode word must lie inside the item's value.
  return length >= kSystemItemTimecodeOffset + 4 - kKeyAndLength;
}

}  // namespace verify_internal
