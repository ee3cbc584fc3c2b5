#include "loudness/mxf_loudness.h"

#include <algorithm>
#include <new>

#include "bwf/export_job.h"
#include "engine/track_plan.h"
#include "platform/file.h"

namespace {

using bwf_export::ExportSetup;

int CheckProgrammes(const MXF_AUDIO_INFO& audio, const std::vector<LOUDNESS_PROGRAMME>& programmes) {
  const int tracks = std::min<int>(audio.trackCount, kTrackSlots);
  for (const LOUDNESS_PROGRAMME& p : programmes) {
    if (p.left < 0 || p.left >= tracks || p.right >= tracks || p.right == p.left) return LOUDNESS_BAD_TRACK;
  }
  return LOUDNESS_OK;
}

// The read plan: every slot any programme uses, ascending, as an export of
// those slots would read them.
ExportSetup ReadSetup(const MXF_BASE_INFO& base, size_t first, uint32_t count,
                      const std::vector<LOUDNESS_PROGRAMME>& programmes) {
  ExportSetup s;
  s.tc = base.timecode;
  s.audio = base.audio;
  s.entries = base.indexEntries;
  s.first = first;
  s.frameCount = count;
  s.blockAlign = base.audio->blockAlign;
  for (const LOUDNESS_PROGRAMME& p : programmes) {
    s.slots.push_back(p.left);
    if (p.stereo()) s.slots.push_back(p.right);
  }
  std::sort(s.slots.begin(), s.slots.end());
  s.slots.erase(std::unique(s.slots.begin(), s.slots.end()), s.slots.end());
  return s;
}

size_t SlotIndex(const ExportSetup& s, int slot) {
  return static_cast<size_t>(std::lower_bound(s.slots.begin(), s.slots.end(), slot) - s.slots.begin());
}

// Feeds one checked frame (`bytes` holds the file from `begin` on) to the meters.
bool FeedFrame(const ExportSetup& s, const std::vector<LOUDNESS_PROGRAMME>& programmes, const uint8_t* bytes,
               uint64_t begin, const SOUND_ELEMENT* elements, uint32_t samples, std::vector<LoudnessMeter>& meters) {
  const int bytesPerSample = static_cast<int>(s.blockAlign);
  for (size_t i = 0; i < programmes.size(); ++i) {
    const LOUDNESS_PROGRAMME& p = programmes[i];
    const uint8_t* channel[2] = {bytes + (elements[SlotIndex(s, p.left)].valueOffset - begin), nullptr};
    if (p.stereo()) channel[1] = bytes + (elements[SlotIndex(s, p.right)].valueOffset - begin);
    if (!meters[i].Add(channel, samples, bytesPerSample, s.blockAlign)) return false;
  }
  return true;
}

int Measure(const std::u16string& path, const MXF_BASE_INFO& base, size_t first, uint32_t count,
            const std::vector<LOUDNESS_PROGRAMME>& programmes, LOUDNESS_PROGRESS* progress,
            std::vector<LOUDNESS_RESULT>* results) {
  if (base.audio == nullptr || base.timecode == nullptr || base.indexEntries == nullptr) return LOUDNESS_NOT_LOADED;
  const MXF_AUDIO_INFO& audio = *base.audio;
  if (audio.blockAlign != 2 && audio.blockAlign != 3) return LOUDNESS_NOT_LOADED;
  if (int r = CheckProgrammes(audio, programmes); r != LOUDNESS_OK) return r;
  if (count == 0 || first + count > base.indexEntries->size()) return LOUDNESS_BAD_RANGE;

  const ExportSetup s = ReadSetup(base, first, count, programmes);
  std::vector<LoudnessMeter> meters;
  for (const LOUDNESS_PROGRAMME& p : programmes) {
    meters.emplace_back(p.stereo() ? 2 : 1);
    if (!meters.back().valid()) return LOUDNESS_NO_MEMORY;
  }
  plat::File file = plat::File::Open(path, plat::Access::Read, plat::Share::Shared);
  if (!file.valid()) return LOUDNESS_OPEN_FAILED;
  uint64_t fileSize = 0;
  if (!file.Size(&fileSize)) return LOUDNESS_READ_FAILED;
  if (progress != nullptr) {
    progress->currentFrame = 0;
    progress->frameCount = count;
  }

  std::vector<uint8_t> buffer;
  std::vector<SOUND_ELEMENT> elements(s.slots.size());
  for (uint32_t k = 0; k < count; ++k) {
    const INDEX_ENTRY_ARRAY& e = s.Entry(k);
    const FILE_RANGE r = bwf_export::FrameReadRange(s, e, fileSize);
    const size_t n = static_cast<size_t>(r.end - r.begin);
    if (n == 0) return LOUDNESS_ELEMENT_MISMATCH;
    if (buffer.size() < n) buffer.resize(n);
    if (file.ReadAt(r.begin, buffer.data(), n) != static_cast<int64_t>(n)) return LOUDNESS_READ_FAILED;
    if (bwf_export::CheckFrame(s, e, buffer.data(), r.begin, n, fileSize, elements.data()) != SOUND_CHECK_OK) {
      return LOUDNESS_ELEMENT_MISMATCH;
    }
    if (!FeedFrame(s, programmes, buffer.data(), r.begin, elements.data(), e.audioSamples, meters)) {
      return LOUDNESS_NO_MEMORY;
    }
    if (progress != nullptr) {
      progress->currentFrame = k + 1;
      if (progress->cancelRequest != 0) return LOUDNESS_CANCELLED;
    }
  }
  results->clear();
  for (LoudnessMeter& m : meters) results->push_back(m.Result());
  return LOUDNESS_OK;
}

}  // namespace

int LoudnessRangeFrames(const MXF_BASE_INFO& base, const uint32_t in[2], const uint32_t out[2], size_t* first,
                        uint32_t* count) {
  if (base.timecode == nullptr || base.indexEntries == nullptr) return LOUDNESS_NOT_LOADED;
  const MXF_TIMECODE_INFO& tc = *base.timecode;
  const uint32_t sel = RangeSelector(tc);
  const int64_t a = in[sel];
  const int64_t b = out[sel];
  if (a > b || a < RangeStartFrame(tc) || b > RangeEndFrame(tc)) return LOUDNESS_BAD_RANGE;
  const int64_t start = a - RangeStartFrame(tc);
  const int64_t n = b - a + 1;
  // The timecode component may claim more frames than the index holds.
  if (start + n > static_cast<int64_t>(base.indexEntries->size())) return LOUDNESS_BAD_RANGE;
  *first = static_cast<size_t>(start);
  *count = static_cast<uint32_t>(n);
  return LOUDNESS_OK;
}

int MeasureMxfLoudness(const std::u16string& path, const MXF_BASE_INFO& base, size_t first, uint32_t count,
                       const std::vector<LOUDNESS_PROGRAMME>& programmes, LOUDNESS_PROGRESS* progress,
                       std::vector<LOUDNESS_RESULT>* results) {
  try {
    return Measure(path, base, first, count, programmes, progress, results);
  } catch (const std::bad_alloc&) {
    return LOUDNESS_NO_MEMORY;
  }
}
