// Choosing the index table segments to keep, finding the partition that
// holds each entry's essence, and flattening the entries into the per-frame
// array.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "engine/index_segment.h"
#include "timecode/timecode.h"

void KeepCompleteFooterIndex(const std::vector<MXF_PARTITION_INFO>& partitions,
                             std::vector<INDEX_SEGMENT>* segments) {
  auto inFooter = [&](const INDEX_SEGMENT& s) {
    return s.holder < partitions.size() && partitions[s.holder].kind == 2;
  };
  const bool complete = std::any_of(segments->begin(), segments->end(), [&](const INDEX_SEGMENT& s) {
    return inFooter(s) && s.indexStartPosition == 0;
  });
  if (!complete) return;
  std::erase_if(*segments, [&](const INDEX_SEGMENT& s) { return !inFooter(s); });
}

EssencePartitionMap::EssencePartitionMap(const std::vector<MXF_PARTITION_INFO>& partitions) {
  slots_.reserve(partitions.size());
  for (size_t i = 0; i < partitions.size(); ++i) {
    if (partitions[i].bodySid != 0) slots_.push_back({partitions[i].bodySid, partitions[i].bodyOffset, i});
  }
  std::sort(slots_.begin(), slots_.end(), [](const Slot& a, const Slot& b) {
    if (a.bodySid != b.bodySid) return a.bodySid < b.bodySid;
    if (a.bodyOffset != b.bodyOffset) return a.bodyOffset < b.bodyOffset;
    return a.partition < b.partition;
  });
}

size_t EssencePartitionMap::Find(uint32_t bodySid, uint64_t streamOffset, size_t holder,
                                 uint64_t* low, uint64_t* high) const {
  // The answer holds for every offset in [*low, *high).
  uint64_t lo = 0;
  uint64_t hi = UINT64_MAX;
  size_t found = holder;
  const auto first = std::lower_bound(slots_.begin(), slots_.end(), bodySid,
                                      [](const Slot& s, uint32_t sid) { return s.bodySid < sid; });
  if (bodySid != 0 && first != slots_.end() && first->bodySid == bodySid) {
    const auto last = std::upper_bound(first, slots_.end(), bodySid,
                                       [](uint32_t sid, const Slot& s) { return sid < s.bodySid; });
    // First slot of the stream whose BodyOffset lies above the entry.
    const auto above = std::upper_bound(first, last, streamOffset, [](uint64_t offset, const Slot& s) {
      return offset < s.bodyOffset;
    });
    if (above == first) {
      found = first->partition;
      hi = first->bodyOffset;
    } else {
      found = std::prev(above)->partition;
      lo = std::prev(above)->bodyOffset;
      if (above != last) hi = above->bodyOffset;
    }
  }
  if (low) *low = lo;
  if (high) *high = hi;
  return found;
}

uint32_t IndexedFrameSamples(int32_t frameRateClass, size_t position) {
  if (frameRateClass < 0 || frameRateClass >= kFrameRateClassCount || frameRateClass == FRC_25_1001) {
    return 0;
  }
  return static_cast<uint32_t>(SAMPLES_PER_FRAME[frameRateClass][position % 5]);
}

bool FlattenIndexSegments(const std::vector<INDEX_SEGMENT>& segments,
                          const std::vector<MXF_PARTITION_INFO>& partitions,
                          int32_t frameRateClass, std::vector<INDEX_ENTRY_ARRAY>* out) {
  size_t total = 0;
  for (const INDEX_SEGMENT& s : segments) {
    if (s.holder >= partitions.size()) return false;
    total += s.entries.size();
  }
  if (total > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;

  // Filled in place: the array of the previous file lends its memory (one
  // frame is some 280 bytes, an hour of frames some 30 MB).
  std::vector<INDEX_ENTRY_ARRAY>& flat = *out;
  try {
    flat.clear();
    flat.resize(total);
  } catch (const std::bad_alloc&) {
    flat.clear();
    return false;
  }
  const EssencePartitionMap essence(partitions);
  // The cycle position as a running counter (cheaper than k mod 5 per frame).
  const bool hasSamples = IndexedFrameSamples(frameRateClass, 0) != 0;
  size_t cycle = 0;

  size_t k = 0;
  for (const INDEX_SEGMENT& s : segments) {
    // Consecutive entries nearly always lie in the same partition: the answer
    // of one lookup is reused while the offsets stay inside its range.
    size_t cached = SIZE_MAX;
    uint64_t rangeLow = 0;
    uint64_t rangeHigh = 0;
    for (const INDEX_SEGMENT_ENTRY& e : s.entries) {
      INDEX_ENTRY_ARRAY& f = flat[k++];
      if (cached == SIZE_MAX || e.streamOffset < rangeLow || e.streamOffset >= rangeHigh) {
        cached = essence.Find(s.bodySid, e.streamOffset, s.holder, &rangeLow, &rangeHigh);
      }
      const MXF_PARTITION_INFO& p = partitions[cached];
      f.partition = &p;
      f.segmentStart = s.indexStartPosition;
      f.segmentDuration = s.indexDuration;
      f.temporalOffset = e.temporalOffset;
      f.keyFrameOffset = e.keyFrameOffset;
      f.flags = e.flags;
      f.streamOffset = e.streamOffset + p.essenceStart;  // modulo 2^64, like essenceStart
      f.sliceOffset = e.sliceOffset;
      f.posTableValue = e.posTableValue;
      f.deltaCount = s.deltaCount;
      std::memcpy(f.deltas, s.deltas, sizeof f.deltas);
      if (hasSamples) {
        f.audioSamples = IndexedFrameSamples(frameRateClass, cycle);
        if (++cycle == 5) cycle = 0;
      }
    }
  }
  return true;
}
