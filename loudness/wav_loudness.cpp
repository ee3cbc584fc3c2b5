#include "loudness/wav_loudness.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/file.h"
#include "timecode/timecode.h"

namespace {

constexpr uint64_t kReadFrames = 48000;   // one second per read
constexpr uint64_t kProgressFrames = 4800;  // progress unit: 100 ms

int Measure(const std::u16string& path, LOUDNESS_PROGRESS* progress, LOUDNESS_RESULT* result) {
  WAV_FORMAT_INFO info;
  const int read = ReadWavFormat(path, &info);
  if (read == WAV_READ_OPEN_FAILED) return LOUDNESS_OPEN_FAILED;
  if (read != WAV_READ_OK) return LOUDNESS_BAD_FORMAT;
  const int bytesPerSample = info.bitsPerSample / 8;
  if ((info.channels != 1 && info.channels != 2) || info.blockAlign != info.channels * bytesPerSample) {
    return LOUDNESS_BAD_FORMAT;
  }
  LoudnessMeter meter(info.channels);
  if (!meter.valid()) return LOUDNESS_NO_MEMORY;
  plat::File file = plat::File::Open(path, plat::Access::Read, plat::Share::Shared);
  if (!file.valid()) return LOUDNESS_OPEN_FAILED;

  const uint64_t frames = info.dataSize / info.blockAlign;
  if (progress != nullptr) {
    progress->currentFrame = 0;
    progress->frameCount = static_cast<uint32_t>((frames + kProgressFrames - 1) / kProgressFrames);
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(kReadFrames) * info.blockAlign);
  for (uint64_t done = 0; done < frames;) {
    const uint64_t n = std::min(kReadFrames, frames - done);
    const size_t bytes = static_cast<size_t>(n) * info.blockAlign;
    if (file.ReadAt(info.dataOffset + done * info.blockAlign, buffer.data(), bytes) != static_cast<int64_t>(bytes)) {
      return LOUDNESS_READ_FAILED;
    }
    const uint8_t* channel[2] = {buffer.data(), buffer.data() + bytesPerSample};
    if (!meter.Add(channel, static_cast<size_t>(n), bytesPerSample, info.blockAlign)) return LOUDNESS_NO_MEMORY;
    done += n;
    if (progress != nullptr) {
      progress->currentFrame = static_cast<uint32_t>((done + kProgressFrames - 1) / kProgressFrames);
      if (progress->cancelRequest != 0) return LOUDNESS_CANCELLED;
    }
  }
  *result = meter.Result();
  return LOUDNESS_OK;
}

}  // namespace

int ReadWavFormat(const std::u16string& path, WAV_FORMAT_INFO* info) {
  MXF_TIMECODE_INFO timeline;
  timeline.tcBase = TC_BASE_25;
  timeline.frameRateClass = FRC_25;
  return ReadWavFile(path, info, &timeline);
}

int MeasureWavLoudness(const std::u16string& path, LOUDNESS_PROGRESS* progress, LOUDNESS_RESULT* result) {
  try {
    return Measure(path, progress, result);
  } catch (const std::bad_alloc&) {
    return LOUDNESS_NO_MEMORY;
  }
}
