// Index table segments as the index table step reads them from the index
// areas of the partitions, and the flattening of their entries into the
// per-frame INDEX_ENTRY_ARRAY.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/mxf_records.h"

namespace plat {
class File;
}

// Index table segment key; byte 5 (the set coding) is a wildcard.
inline constexpr uint8_t kIndexSegmentKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0xFF, 0x01, 0x01,
                                                 0x0D, 0x01, 0x02, 0x01, 0x01, 0x10, 0x01, 0x00};

// One entry of an IndexEntryArray, as stored (StreamOffset still relative to
// the essence container's byte 0).
struct INDEX_SEGMENT_ENTRY {
  uint64_t streamOffset = 0;
  uint64_t posTableValue = 0;  // the last PosTable value, 0 without one
  uint32_t sliceOffset = 0;    // the last SliceOffset, 0 without slices
  int8_t temporalOffset = 0;
  int8_t keyFrameOffset = 0;
  uint8_t flags = 0;
};

// One index table segment found in a partition's index area.
struct INDEX_SEGMENT {
  uint64_t indexStartPosition = 0;
  uint64_t indexDuration = 0;
  uint32_t bodySid = 0;
  uint8_t sliceCount = 0;
  uint8_t posTableCount = 0;
  uint32_t deltaCount = 0;
  DELTA_ENTRY deltas[kMaxDeltaEntries] = {};
  std::vector<INDEX_SEGMENT_ENTRY> entries;
  size_t holder = 0;  // element of the partition array whose index area held it
};

enum class SegmentStatus {
  kOk,
  kTooManyDeltas,  // a DeltaEntryArray with more than kMaxDeltaEntries entries
  kNoMemory,
};

// Parses the value of one index table segment (a local set). Items:
// 3F0C IndexStartPosition, 3F0D IndexDuration, 3F07 BodySID, 3F08 SliceCount,
// 3F0E PosTableCount, 3F09 DeltaEntryArray, 3F0A IndexEntryArray; any other
// tag is passed over. Fixed-size items shorter than their size are ignored.
// An IndexEntryArray is read with the SliceCount and PosTableCount of the
// items before it, each entry being 11 + 4 x slices + 8 x positions bytes.
// When an item occurs twice the later one wins.
//
// The two arrays' counts are cut to the whole entries their item actually
// holds: a count that claims more is a damaged segment, and its entries that
// are there are kept rather than the segment being refused. The cut happens
// before the delta limit is checked, so only delta entries that are really
// present can make a segment fail with kTooManyDeltas.
SegmentStatus ParseIndexSegment(const uint8_t* value, size_t size, INDEX_SEGMENT* out);

// The largest part of one segment's value that is parsed. A segment is a
// handful of items of at most 64 KiB each; bytes past this are not looked
// at, whatever its length claims.
inline constexpr size_t kMaxIndexSegmentBytes = size_t{16} << 20;

// The index area is read in pieces of at most this many bytes.
inline constexpr size_t kIndexReadChunk = size_t{8} << 20;

// Reads the index area [start, start + bytes) of the file and appends every
// index table segment in it, in file order, to *segments with the given
// holder. The area is read in pieces (so a damaged IndexByteCount costs no
// more memory than one piece), and only bytes that exist are scanned: an area
// that runs past the end of the file ends there, and a segment that runs past
// the end of the area is parsed over the bytes inside it. Items other than
// segments (fill) are passed over. `scratch` is a reusable read buffer.
SegmentStatus ReadIndexArea(plat::File* file, uint64_t start, uint64_t bytes, size_t holder,
                            std::vector<INDEX_SEGMENT>* segments, std::vector<uint8_t>* scratch);

// When a footer partition holds a segment that starts at edit unit 0 (a
// complete index in the footer), keeps only the segments of footer
// partitions; otherwise keeps all of them. Order is kept.
void KeepCompleteFooterIndex(const std::vector<MXF_PARTITION_INFO>& partitions,
                             std::vector<INDEX_SEGMENT>* segments);

// Finds the partition that holds an index entry's essence: among the
// partitions of the segment's BodySID, the one with the largest BodyOffset
// not above the entry's StreamOffset. A later partition in file order wins a
// tie (the earlier ones of a tie hold no essence of that stream). An entry
// below every BodyOffset of its stream goes to the stream's first partition;
// a segment whose BodySID is 0 or names no partition keeps its holder.
class EssencePartitionMap {
 public:
  explicit EssencePartitionMap(const std::vector<MXF_PARTITION_INFO>& partitions);

  // Element index in the partition array. *low and *high (if given) receive
  // the range of stream offsets [low, high) for which the answer is the same.
  size_t Find(uint32_t bodySid, uint64_t streamOffset, size_t holder, uint64_t* low = nullptr,
              uint64_t* high = nullptr) const;

 private:
  struct Slot {
    uint32_t bodySid;
    uint64_t bodyOffset;
    size_t partition;
  };
  std::vector<Slot> slots_;  // sorted by (bodySid, bodyOffset, partition)
};

// Flattens the kept segments (in order) into *out: one element per index
// entry, with its partition (see EssencePartitionMap), the absolute
// streamOffset (StreamOffset + that partition's essenceStart), the segment's
// start, duration and delta entries, and the 48 kHz sample count of its
// position in the five-frame cycle that starts with the first element (0 for
// 25000/1001 and unsupported rates). False, with *out untouched, when the
// array would have more elements than an int32 counts or a segment's holder
// is not an element of `partitions`; false with *out empty when the array
// cannot be allocated.
bool FlattenIndexSegments(const std::vector<INDEX_SEGMENT>& segments,
                          const std::vector<MXF_PARTITION_INFO>& partitions,
                          int32_t frameRateClass, std::vector<INDEX_ENTRY_ARRAY>* out);

// 48 kHz samples of the frame at `position` of a five-frame cycle for a
// frame-rate class; 0 for 25000/1001 and classes outside the table.
uint32_t IndexedFrameSamples(int32_t frameRateClass, size_t position);
