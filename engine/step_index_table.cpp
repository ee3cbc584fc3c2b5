// Step 600: every index table segment of the file, flattened into one
// element per indexed frame with the frame's absolute file offset, its
// element layout (delta entries) and its 48 kHz sample count; then the size
// of the first frame's ancillary data element.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/index_segment.h"
#include "engine/klv.h"
#include "platform/file.h"

namespace {

constexpr int kInvalidFile = 601;
constexpr int kNoBaseInfo = 602;
constexpr int kNoPartitions = 603;
constexpr int kNoTimecodeInfo = 604;
constexpr int kNoIndexEntries = 605;
// Also given when the segments or the flattened array cannot be held in
// memory: the index table cannot be used either way.
constexpr int kNoIndexTable = 606;
constexpr int kTooManyDeltaEntries = 607;
// Segments that describe edit units only by a constant byte count (no index
// entry array): the index locates no frame, so nothing can be verified,
// rewrapped or exported.
constexpr int kNoFrameEntries = 608;

constexpr uint8_t kAncillaryDataElementKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                                  0x0D, 0x01, 0x03, 0x01, 0x17, 0x01, 0x02, 0x01};
// KLV fill, any version byte.
constexpr uint8_t kFillKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0xFF,
                                  0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};

// Key and 4-byte length of one item.
constexpr uint32_t kItemHeader = 20;
// The window in which an element's key is expected.
constexpr uint64_t kKeyWindow = 16;

// Bytes the first frame's ancillary data element occupies with the fill after
// it. False when there is no ancillary data element where the first frame's
// last delta entry points.
bool MeasureAncillaryElement(plat::File* file, const INDEX_ENTRY_ARRAY& first, uint32_t* size) {
  const uint32_t lastDelta = first.deltaCount > 0 ? first.deltas[first.deltaCount - 1].elementDelta : 0;
  const uint64_t at = SaturatingAdd(SaturatingAdd(first.streamOffset, first.sliceOffset), lastDelta);
  KLV_LENGTH element;
  if (!FindKlvInFile(file, kAncillaryDataElementKey, at, SaturatingAdd(at, kKeyWindow), &element)) {
    return false;
  }
  const uint64_t valueStart = file->Tell();
  const uint64_t after = SaturatingAdd(valueStart, element.low);
  KLV_LENGTH fill;
  if (valueStart != UINT64_MAX &&
      FindKlvInFile(file, kFillKey, after, SaturatingAdd(after, kKeyWindow), &fill)) {
    *size = element.low + fill.low + 2 * kItemHeader;
  } else {
    *size = element.low + kItemHeader;
  }
  return true;
}

}  // namespace

int ReadIndexTable(plat::File* file, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  if (base->partitions == nullptr) return kNoPartitions;
  if (base->timecode == nullptr) return kNoTimecodeInfo;
  if (base->indexEntries == nullptr) return kNoIndexEntries;
  const std::vector<MXF_PARTITION_INFO>& partitions = *base->partitions;
  MXF_TIMECODE_INFO& tc = *base->timecode;

  // Collect every segment of every index area, in file order.
  std::vector<INDEX_SEGMENT> segments;
  {
    std::vector<uint8_t> scratch;
    for (size_t i = 0; i < partitions.size(); ++i) {
      const MXF_PARTITION_INFO& p = partitions[i];
      if (p.indexSid == 0) continue;
      const BYTE_WINDOW area = IndexAreaWindow(p);
      switch (ReadIndexArea(file, area.start, area.end - area.start, i, &segments, &scratch)) {
        case SegmentStatus::kOk: break;
        case SegmentStatus::kTooManyDeltas: return kTooManyDeltaEntries;
        case SegmentStatus::kNoMemory: return kNoIndexTable;
      }
    }
  }
  if (segments.empty()) return kNoIndexTable;

  KeepCompleteFooterIndex(partitions, &segments);
  if (!FlattenIndexSegments(segments, partitions, tc.frameRateClass, base->indexEntries)) {
    return kNoIndexTable;
  }
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base->indexEntries;
  if (entries.empty()) return kNoFrameEntries;
  tc.entryCount = static_cast<int32_t>(entries.size());

  uint64_t maxFrames = 0;
  for (const INDEX_SEGMENT& s : segments) {
    if (!s.entries.empty() && s.indexDuration > maxFrames) maxFrames = s.indexDuration;
  }
  tc.segmentMaxFrames = static_cast<int32_t>(std::min<uint64_t>(maxFrames, INT32_MAX));

  if (base->hasAncillaryData == 0) {
    base->dataElementSize = 0;
  } else if (!entries.empty()) {
    uint32_t size = 0;
    if (MeasureAncillaryElement(file, entries.front(), &size)) base->dataElementSize = size;
  }
  return 0;
}
