// Byte builders for the index table and descriptor tests: KLV items, local
// sets, index table segments, and a scratch file opened as plat::File.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/mxf_records.h"
#include "platform/file.h"
#include "tests/support/klv_bytes.h"

namespace idxtest {

using namespace klvtest;

inline Bytes BE32(uint32_t v) {
  Bytes b;
  PutBE32(&b, v);
  return b;
}
inline Bytes BE64(uint64_t v) {
  Bytes b;
  PutBE64(&b, v);
  return b;
}

inline const Bytes kSegmentKey = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                  0x0D, 0x01, 0x02, 0x01, 0x01, 0x10, 0x01, 0x00};

struct Entry {
  uint64_t streamOffset = 0;
  std::vector<uint32_t> sliceOffsets;  // SliceCount values
  std::vector<uint64_t> posTable;      // PosTableCount values
  int8_t temporalOffset = 0;
  int8_t keyFrameOffset = 0;
  uint8_t flags = 0x80;
};

struct Delta {
  int8_t posTableIndex = 0;
  uint8_t slice = 0;
  uint32_t elementDelta = 0;
};

// An index table segment. Counts written into the arrays can be overstated
// (claimedEntries / claimedDeltas) to make damaged segments.
struct Segment {
  uint64_t start = 0;
  uint64_t duration = 0;  // 0: the number of entries
  uint32_t bodySid = 1;
  uint8_t sliceCount = 0;
  uint8_t posTableCount = 0;
  std::vector<Delta> deltas;
  std::vector<Entry> entries;
  int64_t claimedEntries = -1;
  int64_t claimedDeltas = -1;

  Bytes Value() const {
    std::vector<Bytes> items;
    items.push_back(Item(0x3C0A, Bytes(16, 0xAB)));
    items.push_back(Item(0x3F0B, BE64(0x0000753000000BB9ull)));
    items.push_back(Item(0x3F0C, BE64(start)));
    items.push_back(Item(0x3F0D, BE64(duration != 0 ? duration : entries.size())));
    items.push_back(Item(0x3F05, BE32(0)));
    items.push_back(Item(0x3F06, BE32(2)));
    items.push_back(Item(0x3F07, BE32(bodySid)));
    items.push_back(Item(0x3F08, {sliceCount}));
    items.push_back(Item(0x3F0E, {posTableCount}));
    Bytes d;
    PutBE32(&d, uint32_t(claimedDeltas >= 0 ? claimedDeltas : int64_t(deltas.size())));
    PutBE32(&d, 6);
    for (const Delta& x : deltas) {
      d.push_back(uint8_t(x.posTableIndex));
      d.push_back(x.slice);
      PutBE32(&d, x.elementDelta);
    }
    items.push_back(Item(0x3F09, d));
    Bytes e;
    PutBE32(&e, uint32_t(claimedEntries >= 0 ? claimedEntries : int64_t(entries.size())));
    PutBE32(&e, 11 + 4 * sliceCount + 8 * posTableCount);
    for (const Entry& x : entries) {
      e.push_back(uint8_t(x.temporalOffset));
      e.push_back(uint8_t(x.keyFrameOffset));
      e.push_back(x.flags);
      PutBE64(&e, x.streamOffset);
      for (uint32_t s : x.sliceOffsets) PutBE32(&e, s);
      for (uint64_t p : x.posTable) PutBE64(&e, p);
    }
    items.push_back(Item(0x3F0A, e));
    Bytes value;
    for (const Bytes& i : items) Put(&value, i);
    return value;
  }
  Bytes Klv() const { return idxtest::Klv(kSegmentKey, Value()); }
};

// A segment of `n` entries at a constant edit unit size, with one slice
// (the sound elements) at `sliceOffset` and the usual delta entries.
inline Segment ConstantSegment(uint64_t start, size_t n, uint64_t firstOffset, uint64_t unitSize,
                               uint32_t bodySid = 1, uint32_t sliceOffset = 100) {
  Segment s;
  s.start = start;
  s.bodySid = bodySid;
  s.sliceCount = 1;
  s.deltas = {{0, 0, 0}, {0, 0, 28}, {0, 1, 0}, {0, 1, 20}};
  for (size_t i = 0; i < n; ++i) {
    Entry e;
    e.streamOffset = firstOffset + i * unitSize;
    e.sliceOffsets = {sliceOffset};
    s.entries.push_back(e);
  }
  return s;
}

// Writes `bytes` into a scratch file and keeps it open for reading.

// A partition record as the partitions step leaves it.
inline MXF_PARTITION_INFO Partition(int kind, uint64_t at, uint64_t metadataStart, uint64_t header,
                                    uint64_t index, uint32_t indexSid, uint32_t bodySid,
                                    uint64_t bodyOffset) {
  MXF_PARTITION_INFO p;
  p.kind = kind;
  p.thisPartition = at;
  p.kagSize = 1;
  p.metadataStart = metadataStart;
  p.headerByteCount = header;
  p.indexByteCount = index;
  p.indexSid = indexSid;
  p.bodySid = bodySid;
  p.bodyOffset = bodyOffset;
  p.essenceStart = metadataStart + header + index - bodyOffset;
  return p;
}

// Places `bytes` at `offset` of `file`, growing it with zeros.
inline void PlaceAt(Bytes* file, uint64_t offset, const Bytes& bytes) {
  if (file->size() < offset + bytes.size()) file->resize(offset + bytes.size(), 0);
  std::copy(bytes.begin(), bytes.end(), file->begin() + static_cast<ptrdiff_t>(offset));
}

}  // namespace idxtest
