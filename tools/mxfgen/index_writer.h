// Index table segments (SMPTE 377M): one delta entry per element of the
// content package (system item, picture, sound elements, ancillary data),
// one index entry per frame with SliceCount slice offsets and no PosTable.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mxfgen/bytes.h"

namespace mxfgen {

// One IndexEntryArray item holds at most this many entries of 15 bytes
// (its local length is 16 bits).
constexpr uint32_t kMaxEntriesPerSegment = 4368;

struct IndexParams {
  uint32_t editNum = 0, editDen = 0;
  uint32_t indexSid = 1, bodySid = 1;
  uint8_t sliceCount = 1;
  std::vector<uint32_t> deltas;      // ElementDelta per delta entry
  std::vector<uint8_t> deltaSlices;  // Slice per delta entry
};

// Size of the whole segment KLV for `count` entries.
uint32_t IndexSegmentSize(const IndexParams& p, uint32_t count);

// Appends one segment covering frames [start, start + count); streamOffsets
// and sliceOffsets are indexed by frame.
void PutIndexSegment(Bytes& out, const IndexParams& p, int64_t start, uint32_t count,
                     const std::vector<uint64_t>& streamOffsets, const std::vector<uint32_t>& sliceOffsets,
                     uint32_t instance);

}  // namespace mxfgen
