#include "loudness/rewrap_levels.h"

#include <cstring>
#include <new>

#include "loudness/loudness_target.h"

// One measured programme. A pair's first value of a frame waits in `held`
// until the other half of the frame arrives (the engines may write either
// first).
struct RewrapLevelsTap::Programme {
  explicit Programme(int channels) : meter(channels) {}
  LoudnessMeter meter;
  int slot = 0;
  int secondSlot = -1;
  int firstTarget = 0;          // the left half's target index
  std::vector<uint8_t> held;    // one value of the half that came first
  int heldTarget = -1;          // which half is held; -1: none
  uint32_t heldSamples = 0;
  bool failed = false;          // the meter could not be set up or fed
};

RewrapLevelsTap::RewrapLevelsTap() = default;
RewrapLevelsTap::~RewrapLevelsTap() = default;

void RewrapLevelsTap::Begin(const SOUND_TAP_TARGET* targets, int count, uint32_t bytesPerSample,
                            uint32_t maxSamples) {
  programmes_.clear();
  programmeOf_.assign(static_cast<size_t>(count > 0 ? count : 0), -1);
  bytesPerSample_ = static_cast<int>(bytesPerSample);
  // Everything is allocated here: the write loop that calls Wrote must not
  // fail for want of memory.
  try {
    for (int i = 0; i < count; ++i) {
      const SOUND_TAP_TARGET& t = targets[i];
      if (t.partner >= 0 && t.partner < i) continue;  // the pair's programme exists
      const bool pair = t.partner > i && t.partner < count;
      auto p = std::make_unique<Programme>(pair ? 2 : 1);
      p->slot = t.slot;
      p->secondSlot = pair ? targets[t.partner].slot : -1;
      p->firstTarget = i;
      p->failed = !p->meter.valid();
      if (pair) p->held.resize(static_cast<size_t>(maxSamples) * bytesPerSample);
      programmeOf_[static_cast<size_t>(i)] = static_cast<int>(programmes_.size());
      if (pair) programmeOf_[static_cast<size_t>(t.partner)] = static_cast<int>(programmes_.size());
      programmes_.push_back(std::move(p));
    }
  } catch (const std::bad_alloc&) {
    programmes_.clear();
    programmeOf_.assign(programmeOf_.size(), -1);
  }
}

void RewrapLevelsTap::Wrote(int target, const uint8_t* value, uint32_t samples) {
  if (target < 0 || static_cast<size_t>(target) >= programmeOf_.size() || programmeOf_[target] < 0) return;
  Programme& p = *programmes_[static_cast<size_t>(programmeOf_[target])];
  if (p.failed) return;
  const size_t stride = static_cast<size_t>(bytesPerSample_);
  if (p.secondSlot < 0) {
    const uint8_t* channel[1] = {value};
    p.failed = !p.meter.Add(channel, samples, bytesPerSample_, stride);
    return;
  }
  if (p.heldTarget < 0) {
    const size_t bytes = static_cast<size_t>(samples) * stride;
    if (bytes > p.held.size()) {
      p.failed = true;
      return;
    }
    std::memcpy(p.held.data(), value, bytes);
    p.heldTarget = target;
    p.heldSamples = samples;
    return;
  }
  // Both halves of one frame hold the same number of samples.
  if (p.heldTarget == target || p.heldSamples != samples) {
    p.failed = true;
    return;
  }
  const bool heldIsLeft = p.heldTarget == p.firstTarget;
  const uint8_t* channel[2] = {heldIsLeft ? p.held.data() : value, heldIsLeft ? value : p.held.data()};
  p.failed = !p.meter.Add(channel, samples, bytesPerSample_, stride);
  p.heldTarget = -1;
}

void RewrapLevelsTap::Completed() {
  // Called after the file is complete: nothing here may fail the job.
  try {
    Publish();
  } catch (...) {
    LastSoundLevels() = SOUND_LEVELS{};
  }
}

void RewrapLevelsTap::Publish() {
  SOUND_LEVELS levels;
  for (const auto& p : programmes_) {
    // A meter that failed, or a pair left with half a frame, gives no figure.
    if (p->failed || p->heldTarget >= 0) return;
  }
  if (programmes_.empty() && !programmeOf_.empty()) return;
  for (const auto& p : programmes_) {
    const LOUDNESS_RESULT r = p->meter.Result();
    auto text = [](const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); };
    levels.rows.push_back(SOUND_LEVEL{p->slot, p->secondSlot, r.integrated, r.truePeak, text(LoudnessText(r.integrated)),
                                      text(TruePeakText(r.truePeak))});
  }
  levels.measured = true;
  LastSoundLevels() = std::move(levels);
}
