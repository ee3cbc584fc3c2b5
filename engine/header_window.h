// Where the parts of a partition lie in the file, and the byte windows the
// analysis steps scan for header metadata sets.
//
// A partition begins with its partition pack item, optionally followed by a
// KLV fill item that pads it to the KAG. Its header metadata (header
// partition), then its index area, then its essence follow from the end of
// those two items: `metadataStart`. With KAG 512 and a pack padded to one KAG
// that is thisPartition + kagSize; with KAG 1 it is right after the pack.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mxf_records.h"

// A byte window [start, end) of absolute file offsets.
struct BYTE_WINDOW {
  uint64_t start = 0;
  uint64_t end = 0;
};

// a + b, held at UINT64_MAX instead of wrapping.
inline constexpr uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// The partition's header metadata: [metadataStart, metadataStart +
// headerByteCount). Used on the first (header) partition for every set of
// the header metadata (timecode component, timeline track, file package,
// descriptors).
inline constexpr BYTE_WINDOW HeaderMetadataWindow(const MXF_PARTITION_INFO& p) {
  return {p.metadataStart, SaturatingAdd(p.metadataStart, p.headerByteCount)};
}

// The preface is looked for from the start of the file up to the header
// partition's first essence byte.
inline constexpr BYTE_WINDOW PrefaceWindow(const MXF_PARTITION_INFO& header) {
  return {0, header.essenceStart};
}

// The identification set is looked for from the start of the file to the end
// of the header metadata.
inline constexpr BYTE_WINDOW IdentificationWindow(const MXF_PARTITION_INFO& header) {
  return {0, HeaderMetadataWindow(header).end};
}

// The partition's index area: [metadataStart + headerByteCount, + indexByteCount).
inline constexpr BYTE_WINDOW IndexAreaWindow(const MXF_PARTITION_INFO& p) {
  const uint64_t start = HeaderMetadataWindow(p).end;
  return {start, SaturatingAdd(start, p.indexByteCount)};
}

// The header partition (first element), or nullptr when there is none.
inline const MXF_PARTITION_INFO* HeaderPartition(const std::vector<MXF_PARTITION_INFO>* partitions) {
  if (partitions == nullptr || partitions->empty()) return nullptr;
  return &partitions->front();
}
