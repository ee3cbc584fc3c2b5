// The loudness of what a rewrap writes, measured as it writes: a meter per
// programme (each track alone, a stereo file's pair as one stereo
// programme), fed with each value exactly as the engine wrote it. The
// figures of a completed job go to LastSoundLevels().
//
// The meters cost far more processor time than the copy of the values, so
// each programme is measured on a thread of its own: the engine fills one
// batch of about a second while the programme's thread measures the batch
// before (it waits only when the thread is a whole batch behind).
#pragma once

#include <memory>
#include <vector>

#include "engine/sound_write_tap.h"

class RewrapLevelsTap : public SoundWriteTap {
 public:
  RewrapLevelsTap();
  ~RewrapLevelsTap() override;
  RewrapLevelsTap(const RewrapLevelsTap&) = delete;
  RewrapLevelsTap& operator=(const RewrapLevelsTap&) = delete;

  void Begin(const SOUND_TAP_TARGET* targets, int count, uint32_t bytesPerSample, uint32_t maxSamples) override;
  void Wrote(int target, const uint8_t* value, uint32_t samples) override;
  void Completed() override;

 private:
  struct Programme;
  void Publish();
  void StopAll();  // ends and joins every programme's thread
  std::vector<std::unique_ptr<Programme>> programmes_;
  std::vector<int> programmeOf_;  // target -> programme index; -1: not measured
  uint32_t bytesPerSample_ = 0;
};
