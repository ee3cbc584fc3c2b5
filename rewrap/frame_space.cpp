#include "rewrap/frame_space.h"

#include <algorithm>

#include "engine/sound_elements.h"

void TargetStretches(const INDEX_ENTRY_ARRAY& e, const int* slots, int count, uint64_t valueBytes, uint64_t end,
                     std::vector<BYTE_SPAN>& out) {
  out.clear();
  for (int i = 0; i < count; ++i) {
    if (!SoundElementIndexed(e, slots[i])) continue;
    const uint64_t at = SoundElementOffset(e, slots[i]);
    if (at >= end) continue;
    out.push_back(BYTE_SPAN{at, std::min(end, at + kSoundHeaderMaxBytes + valueBytes)});
  }
  std::sort(out.begin(), out.end(), [](const BYTE_SPAN& a, const BYTE_SPAN& b) { return a.begin < b.begin; });
  size_t n = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    if (n > 0 && out[i].begin <= out[n - 1].end + 1024) {
      out[n - 1].end = std::max(out[n - 1].end, out[i].end);
    } else {
      out[n++] = out[i];
    }
  }
  out.resize(n);
}

bool AssureFrameSpace(const plat::File& file, const std::vector<BYTE_SPAN>& stretches, plat::SysError* err) {
  if (stretches.empty()) return true;
  return AllocateHolesUnder(file, stretches.front().begin, stretches.back().end, stretches, err);
}
