#include "rewrap/rewrap_job.h"

#include <algorithm>
#include <cstring>

#include "bwf/wav_library.h"
#include "engine/sound_elements.h"

int CheckRewrapJob(const std::u16string& mxfPath, const AUDIOTRACK_IO_INFO* plan, const MXF_BASE_INFO* base,
                   REWRAP_RANGE* out) {
  if (mxfPath.empty()) return REWRAP_NO_PATH;
  if (plan == nullptr) return REWRAP_NO_PLAN;
  if (base == nullptr) return REWRAP_NO_BASE;
  return ResolveRewrapRange(*plan, *base, out);
}

int ResolveRewrapRange(const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base, REWRAP_RANGE* out) {
  if (base.timecode == nullptr || base.audio == nullptr || base.indexEntries == nullptr) return REWRAP_NO_BASE;
  const MXF_TIMECODE_INFO& tc = *base.timecode;
  if (!FrameRateHasSampleCycle(tc.frameRateClass)) return REWRAP_FRAME_RATE;
  const uint32_t sel = RangeSelector(tc);
  const int64_t in = plan.wrapIn[sel];
  const int64_t outFrame = plan.wrapOut[sel];
  if (in > outFrame || in < RangeStartFrame(tc) || outFrame > RangeEndFrame(tc)) return REWRAP_RANGE_INVALID;
  const int64_t first = in - RangeStartFrame(tc);
  const int64_t count = outFrame - in + 1;
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base.indexEntries;
  if (first < 0 || count <= 0 || count > UINT32_MAX || static_cast<uint64_t>(first + count) > entries.size()) {
    return REWRAP_RANGE_INVALID;
  }
  REWRAP_RANGE r;
  r.firstEntry = static_cast<size_t>(first);
  r.frameCount = static_cast<uint32_t>(count);
  for (size_t i = r.firstEntry; i < r.firstEntry + r.frameCount; ++i) {
    r.maxSamples = std::max(r.maxSamples, entries[i].audioSamples);
  }
  *out = r;
  return 0;
}

int SourceSlot(const AUDIOTRACK_IO_INFO& plan, int slot) {
  const WAV_LIBRARY_ENTRY* e = plan.wavEntry[slot];
  if (e != nullptr && e->format.channels == 2 && slot % 2 == 1 && plan.wavEntry[slot - 1] == e) return slot - 1;
  if (e != nullptr && e->format.channels >= 3) {
    // Every slot of a multichannel file reads through its lowest one, so
    // that the file is read once for all its channels.
    for (int s = 0; s < slot; ++s) {
      if (plan.wavEntry[s] == e) return s;
    }
  }
  return slot;
}

namespace {

// Fills the layout for channel `channel` of `e` into an element of the MXF
// file; false when the element cannot hold it.
bool LayoutFor(const WAV_LIBRARY_ENTRY& e, const MXF_AUDIO_INFO& audio, uint32_t channel, SAMPLE_LAYOUT* out) {
  const WAV_FORMAT_INFO& f = e.format;
  if (f.channels == 0 || channel >= f.channels) return false;
  if (f.bitsPerSample > audio.bitsPerSample) return false;
  SAMPLE_LAYOUT l;
  l.srcBlockAlign = f.blockAlign;
  l.srcBytes = f.bytesPerSample > 0 ? static_cast<uint32_t>(f.bytesPerSample) : 0;
  l.srcChannel = channel;
  l.dstBlockAlign = audio.blockAlign;
  l.shift = (f.bitsPerSample == 16 && audio.bitsPerSample == 24) ? 1 : 0;
  if (!SampleLayoutValid(l)) return false;
  *out = l;
  return true;
}

}  // namespace

int ListRewrapTargets(const AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio,
                      std::array<REWRAP_TARGET, kTrackSlots>& out) {
  const int tracks = std::min<int>(audio.trackCount, kTrackSlots);
  int n = 0;
  for (int s = 0; s < tracks; ++s) {
    if (plan.trackSwitch[s] != TRACK_ON) continue;
    const WAV_LIBRARY_ENTRY* e = plan.wavEntry[s];
    if (e == nullptr) {
      out[static_cast<size_t>(n++)] = REWRAP_TARGET{s, -1, {}};
      continue;
    }
    if (e->format.channels == 2 && s % 2 == 0) {
      SAMPLE_LAYOUT l0, l1;
      const bool ok0 = LayoutFor(*e, audio, 0, &l0);
      const bool ok1 = LayoutFor(*e, audio, 1, &l1);
      if (ok0) out[static_cast<size_t>(n++)] = REWRAP_TARGET{s, s, l0};
      if (ok1 && s + 1 < tracks) out[static_cast<size_t>(n++)] = REWRAP_TARGET{s + 1, s, l1};
      ++s;  // the pair's second slot is done
      continue;
    }
    SAMPLE_LAYOUT l;
    const uint32_t channel = e->format.channels == 2 ? 1 : e->format.channels >= 3 ? plan.wavChannel[s] : 0;
    if (LayoutFor(*e, audio, channel, &l)) out[static_cast<size_t>(n++)] = REWRAP_TARGET{s, SourceSlot(plan, s), l};
  }
  return n;
}

WavFiles::~WavFiles() {
  for (int s = 0; s < kTrackSlots; ++s) {
    if (plan_.fileHandle[s] == &files_[static_cast<size_t>(s)]) plan_.fileHandle[s] = nullptr;
  }
}

bool WavFiles::Open(int slot) {
  const WAV_LIBRARY_ENTRY* e = plan_.wavEntry[slot];
  if (e == nullptr) return false;
  plat::File& f = files_[static_cast<size_t>(slot)];
  plat::SysError err = 0;
  f = plat::File::Open(std::u16string(e->fullPath), plat::Access::Read, plat::Share::Shared, &err);
  if (!f.valid()) {
    NoteOsCause(&plan_, e->fullPath, err);
    return false;
  }
  plan_.fileHandle[slot] = &f;
  return true;
}

bool WavFiles::DataPresent(int slot) const {
  const WAV_LIBRARY_ENTRY* e = plan_.wavEntry[slot];
  const plat::File& f = files_[static_cast<size_t>(slot)];
  uint64_t size = 0;
  if (e == nullptr || !f.valid() || !f.Size(&size)) return false;
  return size >= e->format.dataOffset && size - e->format.dataOffset >= e->format.dataSize;
}

void FillTargetValue(uint8_t* out, uint64_t valueBytes, const REWRAP_TARGET& t, const uint8_t* source,
                     uint64_t available, uint32_t samples) {
  if (t.source < 0) {
    std::memset(out, 0, static_cast<size_t>(valueBytes));
    return;
  }
  ConvertSamples(out, available ? source : nullptr, available, samples, t.layout);
}

void JobTap::Begin(const AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio, const REWRAP_TARGET* targets,
                   int count, uint32_t maxSamples) {
  if (tap_ == nullptr) return;
  std::array<SOUND_TAP_TARGET, kTrackSlots> out;
  for (int i = 0; i < count; ++i) out[static_cast<size_t>(i)] = SOUND_TAP_TARGET{targets[i].slot, -1};
  for (int i = 0; i + 1 < count; ++i) {
    const REWRAP_TARGET& l = targets[i];
    const REWRAP_TARGET& r = targets[i + 1];
    const WAV_LIBRARY_ENTRY* e = l.source >= 0 ? plan.wavEntry[l.source] : nullptr;
    if (e == nullptr || e->format.channels != 2 || r.source != l.source || r.slot != l.slot + 1 ||
        l.layout.srcChannel != 0 || r.layout.srcChannel != 1) {
      continue;
    }
    out[static_cast<size_t>(i)].partner = i + 1;
    out[static_cast<size_t>(i + 1)].partner = i;
    ++i;
  }
  tap_->Begin(out.data(), count, audio.blockAlign, maxSamples);
}
