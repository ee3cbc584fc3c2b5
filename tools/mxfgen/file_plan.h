// The complete layout of a file before a byte is written: element sizes,
// content package offsets, index segments, partitions and their offsets.
// Everything is deterministic, so the header partition can name the footer.
//
// Content package of frame f (all lengths 4-byte BER):
//   system item (key, 57-byte system metadata pack) [+ fill to KAG]
//   picture element [+ fill to KAG]                              -- slice 0
//   sound element 1, fill, sound element 2, fill, ...            -- slice 1
//   ancillary data element [+ fill to KAG]                       -- slice 1
// Every sound element is followed by a fill item, and element + fill has the
// same size in every frame: with KAG 1 it is 20 + largest value + 20 (the
// fill value takes up what a shorter frame lacks, 0 bytes in the largest);
// with a larger KAG that size is rounded up to a multiple of the KAG. The
// system item, the picture and the ancillary element get a fill only with a
// KAG above 1, up to the next KAG boundary (at least a 20-byte item).
#pragma once

#include <string>
#include <vector>

#include "tools/mxfgen/header_metadata.h"
#include "tools/mxfgen/index_writer.h"
#include "tools/mxfgen/layout.h"
#include "tools/mxfgen/options.h"
#include "tools/mxfgen/partition_writer.h"

namespace mxfgen {

constexpr uint32_t kSystemItemValue = 57;

struct PlannedSegment {
  int64_t start = 0;
  uint32_t count = 0;
};

struct PlannedPartition {
  PartitionPack pack;
  uint32_t packFill = 0;               // fill item after the pack
  bool holdsHeaderMetadata = false;
  uint32_t headerFill = 0;
  std::vector<PlannedSegment> segments;
  uint32_t indexBytes = 0;             // segments without the fill
  uint32_t indexFill = 0;
  int64_t firstFrame = 0, frameCount = 0;
  uint64_t essenceBytes = 0;
};

struct Plan {
  Resolved res;
  HeaderMetadata header;
  IndexParams index;
  uint32_t systemSlot = 0, soundSlot = 0, ancSlot = 0;
  std::vector<uint32_t> pictureValue;  // per frame
  std::vector<uint32_t> pictureSlot;   // per frame: element + fill
  std::vector<uint32_t> samples;       // per frame
  std::vector<uint64_t> firstSample;   // per frame
  std::vector<uint64_t> streamOffset;  // per frame
  std::vector<uint32_t> sliceOffset;   // per frame
  std::vector<PlannedPartition> partitions;
  std::vector<RipEntry> rip;
  uint64_t ripOffset = 0;
  uint64_t fileSize = 0;
  uint32_t maxSoundValue = 0;
};

bool MakePlan(const Options& opt, Plan* plan, std::string* error);

// Fills `out` from a plan (per-frame timecodes included).
void DescribePlan(const Options& opt, const Plan& plan, Layout* out);

}  // namespace mxfgen
