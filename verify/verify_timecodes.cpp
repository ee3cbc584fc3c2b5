#include "verify/verify_timecodes.h"

#include <memory>
#include <new>

#include "timecode/timecode.h"
#include "verify/verify_internal.h"

namespace {

constexpr uint32_t kLabelHalfBit = 0x8000u;  // bit 15: which frame of a 60-frame label

// The work arrays live in the timecode record while the step runs and are
// released (and the record's pointers cleared) on every way out.
class WorkArrays {
 public:
  explicit WorkArrays(MXF_TIMECODE_INFO* tc) : tc_(tc) {}
  ~WorkArrays() {
    tc_->frameStatus = nullptr;
    tc_->frameTimecodes = nullptr;
  }
  WorkArrays(const WorkArrays&) = delete;
  WorkArrays& operator=(const WorkArrays&) = delete;

  bool AllocateWords(int32_t n) {
    words_.reset(new (std::nothrow) uint32_t[Count(n)]());
    tc_->frameStatus = reinterpret_cast<int32_t*>(words_.get());
    return words_ != nullptr;
  }
  bool AllocateFrames(int32_t n) {
    frames_.reset(new (std::nothrow) int32_t[Count(n)]());
    tc_->frameTimecodes = frames_.get();
    return frames_ != nullptr;
  }
  uint32_t* words() const { return words_.get(); }
  int32_t* frames() const { return frames_.get(); }

 private:
  static size_t Count(int32_t n) { return n > 0 ? static_cast<size_t>(n) : 1; }
  MXF_TIMECODE_INFO* tc_;
  std::unique_ptr<uint32_t[]> words_;
  std::unique_ptr<int32_t[]> frames_;
};

int32_t Bcd(uint32_t word, int shift) {
  return static_cast<int32_t>(((word >> shift) & 0xF) + 10 * ((word >> (shift + 4)) & 0xF));
}

// Compares the frame counts pairwise at `step` and appends one entry per
// error. Returns false when an entry cannot be allocated.
bool CompareFrames(MXF_TIMECODE_INFO* tc, const int32_t* frames, int32_t n, int32_t step,
                   int32_t decodingBase) {
  for (int32_t i = 0; n - step > i; i += step) {
    // Unsigned: an invalid timecode (-2) counts as the largest value.
    const uint32_t a = static_cast<uint32_t>(frames[i]);
    const uint32_t b = static_cast<uint32_t>(frames[i + step]);
    int32_t kind;
    if (a > b) {
      kind = LTC_BACKWARDS;
    } else if (a == b) {
      kind = LTC_STILL;
    } else if (b - a > 1) {
      kind = LTC_JUMP;
    } else {
      continue;
    }
    LTC_ERROR_ENTRY entry;
    entry.comparedA = frames[i];
    entry.comparedB = frames[i + step];
    entry.occurrenceFrames = entry.comparedA;
    entry.resumeFrames = entry.comparedB;
    if (tc->startHourIs23 == 1) {
      // Back to the labels the file carries; an invalid count stays -2.
      if (entry.comparedA != -2) {
        entry.occurrenceFrames = ShiftFramesByHours(decodingBase, tc->dropFrame, entry.comparedA, 1, '-');
      }
      if (entry.comparedB != -2) {
        entry.resumeFrames = ShiftFramesByHours(decodingBase, tc->dropFrame, entry.comparedB, 1, '-');
      }
    }
    entry.kind = kind;
    entry.frameIndex = i;
    if (AppendLtcError(tc->ltcErrors, entry) == nullptr) return false;
    ++tc->ltcErrorCount;
  }
  return true;
}

}  // namespace

int32_t VerifyDecodingBase(int32_t tcBase) {
  switch (tcBase) {
    case TC_BASE_24:
    case TC_BASE_25:
    case TC_BASE_30: return tcBase;
    case TC_BASE_60: return TC_BASE_30;  // labels of 60-frame material count 30 per second
    default: return -1;
  }
}

int32_t TimecodeWordToFrames(uint32_t word, int32_t tcBase, int32_t dropFrame, int32_t startHourIs23) {
  const int32_t decodingBase = VerifyDecodingBase(tcBase);
  if (decodingBase < 0) return -2;
  word &= ~verify_internal::kDropFrameFlagBit;
  if (tcBase == TC_BASE_60) word &= ~kLabelHalfBit;
  TIMECODE_HMSF label;
  label.hours = Bcd(word, 24);
  label.minutes = Bcd(word, 16);
  label.seconds = Bcd(word, 8);
  label.frames = Bcd(word, 0);
  int32_t frames = TimecodeToFrames(decodingBase, dropFrame, label);
  // A clip that starts in hour 23 is compared one hour later, so that its
  // labels keep increasing across midnight. An invalid label stays invalid.
  if (startHourIs23 == 1 && frames != -2) frames = ShiftFramesByHours(decodingBase, dropFrame, frames, 1, '+');
  return frames;
}

uint64_t EditUnitLength(const INDEX_ENTRY_ARRAY& entry, const MXF_BASE_INFO& base) {
  const bool ancillary = base.hasAncillaryData != 0;
  const uint8_t tracks = base.audio != nullptr ? base.audio->trackCount : 0;
  if (tracks == 0 && ancillary) return entry.sliceOffset;
  const uint32_t count = entry.deltaCount < static_cast<uint32_t>(kMaxDeltaEntries)
                             ? entry.deltaCount
                             : static_cast<uint32_t>(kMaxDeltaEntries);
  const uint64_t lastDelta = count > 0 ? entry.deltas[count - 1].elementDelta : 0;
  const uint64_t lastElement = ancillary ? base.dataElementSize
                                         : (base.audio != nullptr ? base.audio->audioElementSize : 0);
  return uint64_t{entry.sliceOffset} + lastDelta + lastElement;
}

int VerifyStreamTimecodes(plat::File* file, MXF_BASE_INFO* base) {
  return VerifyStreamTimecodes(file, base, VERIFY_OPTIONS{});
}

int VerifyStreamTimecodes(plat::File* file, MXF_BASE_INFO* base, const VERIFY_OPTIONS& options) {
  if (file == nullptr || !file->valid()) return kVerifyBadFile;
  if (base == nullptr) return kVerifyNoBaseInfo;
  MXF_TIMECODE_INFO* tc = base->timecode;
  if (tc == nullptr) return kVerifyNoTimecodeInfo;
  if (base->audio == nullptr) return kVerifyNoAudioInfo;
  if (base->indexEntries == nullptr) return kVerifyNoWordMemory;
  // A new verification starts a new error list (and no count of an earlier
  // file survives a failure of this one).
  if (tc->ltcErrors == nullptr) tc->ltcErrors = DefaultLtcErrorHead();
  FreeLtcErrors(tc->ltcErrors);
  tc->ltcErrorCount = 0;

  // No decoding base and no comparison step exist for any other base.
  const int32_t decodingBase = VerifyDecodingBase(tc->tcBase);
  if (decodingBase < 0) return kVerifyUnsupportedBase;
  const int32_t step = tc->tcBase == TC_BASE_60 ? 2 : 1;

  // Never more frames than the index holds, whatever the total says.
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base->indexEntries;
  int32_t n = tc->progressTotal.load();
  if (n < 0) n = 0;
  if (static_cast<size_t>(n) > entries.size()) n = static_cast<int32_t>(entries.size());

  if (n > 0 && !verify_internal::FirstFrameCarriesSystemItem(*file, entries.front())) {
    return kVerifyNoSystemItem;
  }

  WorkArrays arrays(tc);
  if (!arrays.AllocateWords(n)) return kVerifyNoWordMemory;
  tc->progressDone.store(0);
  tc->cancelRequested.store(0);

  const verify_internal::ReadJob job{file, base, tc, entries.data(), n, arrays.words(), &options};
  const int read = tc->ioMethod == 1 ? verify_internal::ReadWordsByFile(job)
                                     : verify_internal::ReadWordsByMapping(job);
  if (read != 0) return read;

  if (!arrays.AllocateFrames(n)) return kVerifyNoErrorMemory;
  int32_t* frames = arrays.frames();
  for (int32_t i = 0; i < n; ++i) {
    frames[i] = TimecodeWordToFrames(arrays.words()[i], tc->tcBase, tc->dropFrame, tc->startHourIs23);
  }

  if (!CompareFrames(tc, frames, n, step, decodingBase)) {
    // A partial list would pass for the result of a complete comparison.
    FreeLtcErrors(tc->ltcErrors);
    tc->ltcErrorCount = 0;
    return kVerifyNoErrorMemory;
  }
  return tc->ltcErrorCount > 0 ? kVerifyTimecodeErrors : 0;
}
