// Partition packs and the random index pack.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mxfgen/bytes.h"

namespace mxfgen {

struct PartitionPack {
  int kind = 0;            // 0 header, 1 body, 2 footer
  uint8_t status = 4;
  uint16_t majorVersion = 1, minorVersion = 2;
  uint32_t kag = 512;
  uint64_t thisPartition = 0, previousPartition = 0, footerPartition = 0;
  uint64_t headerByteCount = 0, indexByteCount = 0;
  uint32_t indexSid = 0;
  uint64_t bodyOffset = 0;
  uint32_t bodySid = 0;
  UL operationalPattern{};
  std::vector<UL> essenceContainers;
};

// Size of the pack item (key, 4-byte length, value).
uint32_t PartitionPackSize(size_t essenceContainers);

void PutPartitionPack(Bytes& out, const PartitionPack& p);

struct RipEntry {
  uint32_t bodySid = 0;
  uint64_t offset = 0;
};

// Random index pack; its last 4 bytes hold its overall length.
void PutRandomIndexPack(Bytes& out, const std::vector<RipEntry>& entries);

}  // namespace mxfgen
