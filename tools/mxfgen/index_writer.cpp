#include "tools/mxfgen/index_writer.h"

#include "tools/mxfgen/klv_writer.h"
#include "tools/mxfgen/labels.h"

namespace mxfgen {
namespace {

uint32_t EntrySize(const IndexParams& p) { return 11u + 4u * p.sliceCount; }

uint32_t ValueSize(const IndexParams& p, uint32_t count) {
  const uint32_t deltas = static_cast<uint32_t>(p.deltas.size());
  return (4 + 16)                  // 3C0A instance UID
         + (4 + 8) * 3             // 3F0B edit rate, 3F0C start, 3F0D duration
         + (4 + 4) * 3             // 3F05 edit unit byte count, 3F06 IndexSID, 3F07 BodySID
         + (4 + 1) * 2             // 3F08 slice count, 3F0E pos table count
         + (4 + 8 + 6 * deltas)    // 3F09
         + (4 + 8 + EntrySize(p) * count);  // 3F0A
}

}  // namespace

uint32_t IndexSegmentSize(const IndexParams& p, uint32_t count) { return kKlvHeader + ValueSize(p, count); }

void PutIndexSegment(Bytes& out, const IndexParams& p, int64_t start, uint32_t count,
                     const std::vector<uint64_t>& streamOffsets, const std::vector<uint32_t>& sliceOffsets,
                     uint32_t instance) {
  PutKlvHeader(out, labels::kIndexSegment, ValueSize(p, count));
  UL uid = {0x1D, 0xE7, 0x5E, 0x61, 0x4B, 0x2A, 0x47, 0x0C, 0x9E, 0x31, 0x00, 0x00, 0, 0, 0, 0};
  SetU32(uid.data() + 12, instance);
  PutU16(out, 0x3C0A);
  PutU16(out, 16);
  PutUL(out, uid);
  PutU16(out, 0x3F0B);
  PutU16(out, 8);
  PutU32(out, p.editNum);
  PutU32(out, p.editDen);
  PutU16(out, 0x3F0C);
  PutU16(out, 8);
  PutU64(out, static_cast<uint64_t>(start));
  PutU16(out, 0x3F0D);
  PutU16(out, 8);
  PutU64(out, count);
  PutU16(out, 0x3F05);
  PutU16(out, 4);
  PutU32(out, 0);
  PutU16(out, 0x3F06);
  PutU16(out, 4);
  PutU32(out, p.indexSid);
  PutU16(out, 0x3F07);
  PutU16(out, 4);
  PutU32(out, p.bodySid);
  PutU16(out, 0x3F08);
  PutU16(out, 1);
  PutU8(out, p.sliceCount);
  PutU16(out, 0x3F0E);
  PutU16(out, 1);
  PutU8(out, 0);

  const uint32_t deltas = static_cast<uint32_t>(p.deltas.size());
  PutU16(out, 0x3F09);
  PutU16(out, static_cast<uint16_t>(8 + 6 * deltas));
  PutU32(out, deltas);
  PutU32(out, 6);
  for (uint32_t d = 0; d < deltas; ++d) {
    PutU8(out, 0);  // PosTableIndex
    PutU8(out, p.deltaSlices[d]);
    PutU32(out, p.deltas[d]);
  }

  PutU16(out, 0x3F0A);
  PutU16(out, static_cast<uint16_t>(8 + EntrySize(p) * count));
  PutU32(out, count);
  PutU32(out, EntrySize(p));
  for (uint32_t i = 0; i < count; ++i) {
    const size_t f = static_cast<size_t>(start) + i;
    PutU8(out, 0);     // TemporalOffset
    PutU8(out, 0);     // KeyFrameOffset
    PutU8(out, 0x80);  // Flags: random access
    PutU64(out, streamOffsets[f]);
    if (p.sliceCount) PutU32(out, sliceOffsets[f]);
  }
}

}  // namespace mxfgen
