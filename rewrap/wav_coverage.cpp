#include "rewrap/wav_coverage.h"

#include "bwf/wav_library.h"

int64_t WavSilenceStart(const AUDIOTRACK_IO_INFO& plan, const MXF_TIMECODE_INFO& tc,
                        const std::vector<INDEX_ENTRY_ARRAY>& entries, int slot) {
  if (slot < 0 || slot >= kTrackSlots || plan.wavEntry[slot] == nullptr) return -1;
  const WAV_FORMAT_INFO& f = plan.wavEntry[slot]->format;
  if (f.blockAlign == 0) return 0;
  const uint64_t available = f.dataSize / f.blockAlign;
  const int64_t first = RangeFirstEntryIndex(tc, plan.wrapIn);
  const int64_t count = static_cast<int64_t>(plan.wrapOut[RangeSelector(tc)]) - plan.wrapIn[RangeSelector(tc)] + 1;
  if (first < 0 || count <= 0 || first + count > static_cast<int64_t>(entries.size())) return -1;
  uint64_t used = 0;
  for (int64_t k = 0; k < count; ++k) {
    used += entries[static_cast<size_t>(first + k)].audioSamples;
    if (used > available) return k;
  }
  return -1;
}
