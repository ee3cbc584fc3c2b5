// The loudness of what a rewrap writes, measured as it writes: a meter per
// programme (each track alone, a stereo file's pair as one stereo
// programme), fed with each value exactly as the engine wrote it. The
// figures of a completed job go to LastSoundLevels().
#pragma once

#include <memory>
#include <vector>

#include "engine/sound_write_tap.h"
#include "loudness/loudness_meter.h"

class RewrapLevelsTap : public SoundWriteTap {
 public:
  RewrapLevelsTap();
  ~RewrapLevelsTap() override;

  void Begin(const SOUND_TAP_TARGET* targets, int count, uint32_t bytesPerSample, uint32_t maxSamples) override;
  void Wrote(int target, const uint8_t* value, uint32_t samples) override;
  void Completed() override;

 private:
  struct Programme;
  void Publish();
  std::vector<std::unique_ptr<Programme>> programmes_;
  std::vector<int> programmeOf_;  // target -> programme index; -1: not measured
  int bytesPerSample_ = 0;
};
