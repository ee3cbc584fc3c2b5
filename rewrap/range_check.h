// The check of every targeted sound element of every frame of a rewrap
// range, made before the first write, and what the writes learn from it.
//
// Each frame's elements are read with one positioned read (from the lowest
// targeted key to the highest one's length) and checked with
// CheckFrameSoundElements(). Besides the verdict, the pass keeps:
//   - where each value starts: 20 bytes after the key for a 4-byte length,
//     24 for an 8-byte one (a bit per target, kept only for frames that have
//     an 8-byte length, so the usual file costs nothing);
//   - the frame's packed form: targeted values that follow each other in
//     the file with only a few bytes between them (the next element's key
//     and length, a KLV fill) form a run, and when the runs and the bytes
//     between their values are the same in every frame of the same sample
//     count, one write per run covers them; the bytes between the values
//     are written back exactly as they were read here. Frames that differ
//     from their form are listed and written element by element.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mxf_records.h"
#include "engine/sound_elements.h"

namespace plat {
class File;
}

struct REWRAP_RANGE;
struct AUDIOTRACK_IO_INFO;

// Run()'s result when the user asked the job to stop during the check.
inline constexpr int kRangeCheckCancelled = 100;

// Bytes between two consecutive targeted values that a packed write may
// carry over: a key and length plus a KLV fill up to a 512-byte grid, never
// the value of a sound element (at least 800 samples of 16 bits).
inline constexpr uint32_t kMaxPackedGap = 1024;

// The packed form of the frames with one sample count.
struct FRAME_PACKING {
  uint32_t audioSamples = 0;
  int count = 0;                     // targets
  int order[kMaxDeltaEntries] = {};  // target indices in file order
  // After order[j]'s value: the run ends (runEnds), or gapBytes[j] bytes
  // follow before the next value (0 after the last value).
  bool runEnds[kMaxDeltaEntries] = {};
  uint32_t gapBytes[kMaxDeltaEntries] = {};
  std::vector<uint8_t> gaps;         // those bytes, one gap after another
  uint64_t maxRunBytes = 0;          // the longest run, first value's start to last value's end
};

class RangeCheck {
 public:
  // Checks frames [range.firstEntry, + range.frameCount) for the targets
  // `slots[0..count)`. Returns SOUND_CHECK_OK, the first fault, or
  // kRangeCheckCancelled. With a plan, the check is a phase of the job the
  // user watches and may stop: jobPhase is JOB_PHASE_CHECK, currentFrame
  // follows the frames checked, and cancelRequest is polled every frame.
  int Run(const plat::File& mxf, uint64_t fileSize, const std::vector<INDEX_ENTRY_ARRAY>& entries,
          const REWRAP_RANGE& range, uint32_t blockAlign, const int* slots, int count,
          AUDIOTRACK_IO_INFO* plan = nullptr);

  // File offset of target i's value in frame k (offset from IN), entry e.
  uint64_t ValueOffset(const INDEX_ENTRY_ARRAY& e, uint32_t k, int i) const;

  // The packed form of frame k, or nullptr when it is written element by
  // element. Valid after a successful Run().
  const FRAME_PACKING* Packing(uint32_t k, uint32_t audioSamples) const;

  // The longest run of any packed form (0 without one): the buffer size a
  // packed write needs.
  uint64_t MaxRunBytes() const;

 private:
  bool MatchOrLearn(uint32_t audioSamples, const SOUND_ELEMENT* found, const uint8_t* bytes, uint64_t bytesOffset,
                    size_t size);

  const int* slots_ = nullptr;
  int count_ = 0;
  std::vector<uint32_t> longLength_;  // per frame, bit i: target i has an 8-byte length
  std::vector<uint32_t> unpacked_;    // frames (ascending) written element by element
  std::vector<FRAME_PACKING> packings_;
};
