// The timecode words through ordinary positioned reads: four bytes per frame
// at its indexed address.
#include "verify/verify_internal.h"

namespace verify_internal {

namespace {

// Reads of four bytes 200 KB apart gain nothing from read-ahead; tell the
// kernel so for the time of the walk, and restore the default afterwards.
class RandomAccessAdvice {
 public:
  explicit RandomAccessAdvice(const plat::File* file) : file_(file) { file_->AdviseRandomAccess(true); }
  ~RandomAccessAdvice() { file_->AdviseRandomAccess(false); }
  RandomAccessAdvice(const RandomAccessAdvice&) = delete;
  RandomAccessAdvice& operator=(const RandomAccessAdvice&) = delete;

 private:
  const plat::File* file_;
};

}  // namespace

int ReadWordsByFile(const ReadJob& job) {
  RandomAccessAdvice advice(job.file);
  for (int32_t i = 0; i < job.n; ++i) {
    // The flag stays set: the dialog sees the request until the next
    // verification clears it.
    if (job.tc->cancelRequested.load() == 1) return kVerifyCancelled;
    uint8_t bytes[4];
    const uint64_t offset = SatAdd(job.entries[i].streamOffset, kSystemItemTimecodeOffset);
    const bool readable = offset <= UINT64_MAX - 4 && job.file->ReadAt(offset, bytes, 4) == 4;
    job.words[i] = readable ? (LoadWordLE(bytes) & ~kDropFrameFlagBit) : kUnreadableTimecodeWord;
    job.tc->progressDone.store(i);
    if (job.options->onFrame) job.options->onFrame(i);
  }
  return 0;
}

}  // namespace verify_internal
