#include "rewrap/range_check.h"

#include <algorithm>
#include <cstring>

#include "engine/track_plan.h"
#include "platform/file.h"
#include "rewrap/rewrap_job.h"

namespace {

// At most this many sample counts get a packed form (the 48 kHz cycles have
// one or two).
constexpr size_t kMaxPackings = 4;

}  // namespace

int RangeCheck::Run(const plat::File& mxf, uint64_t fileSize, const std::vector<INDEX_ENTRY_ARRAY>& entries,
                    const REWRAP_RANGE& range, uint32_t blockAlign, const int* slots, int count,
                    AUDIOTRACK_IO_INFO* plan) {
  slots_ = slots;
  count_ = count;
  longLength_.clear();
  unpacked_.clear();
  packings_.clear();
  std::vector<uint8_t> scratch;
  SOUND_ELEMENT found[kMaxDeltaEntries];
  if (count < 0 || count > kMaxDeltaEntries) return SOUND_CHECK_NOT_INDEXED;
  if (plan != nullptr) {
    plan->currentFrame = 0;
    plan->jobPhase = JOB_PHASE_CHECK;
  }
  for (uint32_t k = 0; k < range.frameCount; ++k) {
    if (plan != nullptr) {
      if (plan->cancelRequest.load() == 1) return kRangeCheckCancelled;
      plan->currentFrame = k;
    }
    const INDEX_ENTRY_ARRAY& e = entries[range.firstEntry + k];
    const int r = ReadFrameSoundElements(mxf, fileSize, e, blockAlign, slots, count, scratch, found);
    if (r != SOUND_CHECK_OK) return r;
    for (int i = 0; i < count; ++i) {
      if (found[i].valueOffset - found[i].keyOffset == 20) continue;
      if (longLength_.empty()) longLength_.assign(range.frameCount, 0);
      longLength_[k] |= 1u << i;
    }
    // The read covered SoundHeaderRange(), which holds every gap between
    // two targeted values.
    const FILE_RANGE read = SoundHeaderRange(e, slots, count, fileSize);
    if (!MatchOrLearn(e.audioSamples, found, scratch.data(), read.begin, static_cast<size_t>(read.end - read.begin))) {
      unpacked_.push_back(k);
    }
  }
  return SOUND_CHECK_OK;
}

uint64_t RangeCheck::ValueOffset(const INDEX_ENTRY_ARRAY& e, uint32_t k, int i) const {
  const bool eightByteLength = !longLength_.empty() && ((longLength_[k] >> i) & 1u) != 0;
  return SoundElementOffset(e, slots_[i]) + (eightByteLength ? 24 : 20);
}

const FRAME_PACKING* RangeCheck::Packing(uint32_t k, uint32_t audioSamples) const {
  if (std::binary_search(unpacked_.begin(), unpacked_.end(), k)) return nullptr;
  for (const FRAME_PACKING& p : packings_) {
    if (p.audioSamples == audioSamples) return &p;
  }
  return nullptr;
}

uint64_t RangeCheck::MaxRunBytes() const {
  uint64_t most = 0;
  for (const FRAME_PACKING& p : packings_) most = std::max(most, p.maxRunBytes);
  return most;
}

bool RangeCheck::MatchOrLearn(uint32_t audioSamples, const SOUND_ELEMENT* found, const uint8_t* bytes,
                              uint64_t bytesOffset, size_t size) {
  if (count_ == 0) return false;
  // The targets in file order (the check has made sure they do not overlap).
  int order[kMaxDeltaEntries];
  for (int i = 0; i < count_; ++i) order[i] = i;
  std::sort(order, order + count_, [found](int a, int b) { return found[a].valueOffset < found[b].valueOffset; });

  FRAME_PACKING* known = nullptr;
  for (FRAME_PACKING& p : packings_) {
    if (p.audioSamples == audioSamples) known = &p;
  }
  FRAME_PACKING fresh;
  FRAME_PACKING& p = known != nullptr ? *known : fresh;
  if (known != nullptr && !std::equal(order, order + count_, known->order)) return false;

  size_t gapAt = 0;
  uint64_t runStart = found[order[0]].valueOffset;
  uint64_t longest = 0;
  for (int j = 0; j < count_; ++j) {
    const SOUND_ELEMENT& a = found[order[j]];
    const uint64_t end = a.valueOffset + a.valueBytes;
    const bool last = j + 1 == count_;
    const uint64_t gap = last ? 0 : found[order[j + 1]].valueOffset - end;  // holds the next key
    const bool runEnds = last || gap > kMaxPackedGap;
    if (known != nullptr && known->runEnds[j] != runEnds) return false;
    if (runEnds) {
      longest = std::max(longest, end - runStart);
      if (!last) runStart = found[order[j + 1]].valueOffset;
      if (known == nullptr) p.runEnds[j] = true;
      continue;
    }
    if (end < bytesOffset || end + gap > bytesOffset + size) return false;
    const uint8_t* between = bytes + (end - bytesOffset);
    if (known != nullptr) {
      if (known->gapBytes[j] != gap || std::memcmp(known->gaps.data() + gapAt, between, gap) != 0) return false;
    } else {
      p.gapBytes[j] = static_cast<uint32_t>(gap);
      p.gaps.insert(p.gaps.end(), between, between + gap);
    }
    gapAt += gap;
  }
  if (known != nullptr) return true;
  if (packings_.size() >= kMaxPackings) return false;
  p.audioSamples = audioSamples;
  p.count = count_;
  std::copy(order, order + count_, p.order);
  p.maxRunBytes = longest;
  packings_.push_back(std::move(fresh));
  return true;
}
