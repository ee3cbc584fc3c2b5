// A watcher of the sound values a rewrap writes, as written: how the
// loudness of the rewritten tracks is measured during the rewrap without
// reading the file again. The interface installs one between jobs (none
// where it has no meter); the engine calls it on its own thread; what it
// found is read from LastSoundLevels() after the job has ended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One value stream of a job, in the order the engine numbers its targets.
struct SOUND_TAP_TARGET {
  int slot = 0;      // track slot written
  int partner = -1;  // index of the other half of a stereo pair; -1: measured alone
};

class SoundWriteTap {
 public:
  virtual ~SoundWriteTap() = default;
  // Before the first write: the targets, the bytes per sample of the
  // elements (2 or 3) and the most samples one value holds.
  virtual void Begin(const SOUND_TAP_TARGET* targets, int count, uint32_t bytesPerSample, uint32_t maxSamples) = 0;
  // One frame's value of target `target`, exactly as written. Called for
  // every target of a frame before the next frame, frames in order.
  virtual void Wrote(int target, const uint8_t* value, uint32_t samples) = 0;
  // After the whole range has been written and flushed; never after a
  // cancel or a failure, so that no figure stands for a partial range.
  virtual void Completed() = 0;
};

// The figures of one measured programme: a track, or a stereo pair.
struct SOUND_LEVEL {
  int slot = 0;
  int secondSlot = -1;   // the pair's right track; -1 for a mono track
  double integrated = 0;  // LKFS; -infinity when nothing passed the gates (silence)
  double truePeak = 0;    // dBTP; -infinity for digital silence
  std::u16string integratedText;  // as shown: "-23.0", "-inf"
  std::u16string truePeakText;    // as shown, rounded up: "-0.9"
};

struct SOUND_LEVELS {
  bool measured = false;  // true once a job completed with a tap installed
  std::vector<SOUND_LEVEL> rows;  // in target order
};

// The tap the rewrap engines use when their options name none (null: no
// measuring), and what the last completed job measured. Written by the
// interface thread between jobs, and by the engine thread during one.
SoundWriteTap*& InstalledSoundTap();
SOUND_LEVELS& LastSoundLevels();
