#include "tools/mxfgen/partition_writer.h"

#include "tools/mxfgen/klv_writer.h"
#include "tools/mxfgen/labels.h"

namespace mxfgen {

uint32_t PartitionPackSize(size_t essenceContainers) {
  return kKlvHeader + 80 + 8 + 16 * static_cast<uint32_t>(essenceContainers);
}

void PutPartitionPack(Bytes& out, const PartitionPack& p) {
  UL key = labels::kPartitionPack;
  key[13] = static_cast<uint8_t>(0x02 + p.kind);
  key[14] = p.status;
  PutKlvHeader(out, key, PartitionPackSize(p.essenceContainers.size()) - kKlvHeader);
  PutU16(out, p.majorVersion);
  PutU16(out, p.minorVersion);
  PutU32(out, p.kag);
  PutU64(out, p.thisPartition);
  PutU64(out, p.previousPartition);
  PutU64(out, p.footerPartition);
  PutU64(out, p.headerByteCount);
  PutU64(out, p.indexByteCount);
  PutU32(out, p.indexSid);
  PutU64(out, p.bodyOffset);
  PutU32(out, p.bodySid);
  PutUL(out, p.operationalPattern);
  PutU32(out, static_cast<uint32_t>(p.essenceContainers.size()));
  PutU32(out, 16);
  for (const UL& ul : p.essenceContainers) PutUL(out, ul);
}

void PutRandomIndexPack(Bytes& out, const std::vector<RipEntry>& entries) {
  const uint32_t value = 12 * static_cast<uint32_t>(entries.size()) + 4;
  PutKlvHeader(out, labels::kRandomIndexPack, value);
  for (const RipEntry& e : entries) {
    PutU32(out, e.bodySid);
    PutU64(out, e.offset);
  }
  PutU32(out, kKlvHeader + value);
}

}  // namespace mxfgen
