#include "loudness/rewrap_levels.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "loudness/loudness_meter.h"
#include "loudness/loudness_target.h"

namespace {

constexpr size_t kBatchSamples = 48000;  // one second of audio per hand-over

}  // namespace

// One measured programme and its thread. The engine thread fills
// batch[filling]; a full batch is handed over (handedSamples > 0) and
// measured on the programme's thread, which sets handedSamples back to 0.
struct RewrapLevelsTap::Programme {
  explicit Programme(int channelCount) : meter(channelCount), channels(channelCount) {}
  LoudnessMeter meter;  // used by the programme's thread only, until it is joined
  int channels = 1;
  int slot = 0;
  int secondSlot = -1;
  int firstTarget = 0;  // the left (or only) channel's target index
  std::vector<uint8_t> batch[2][2];  // [batch][channel]
  size_t filled[2] = {};             // samples of each channel in batch[filling]
  int filling = 0;
  std::atomic<int> handedBatch{0};
  std::atomic<size_t> handedSamples{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::condition_variable changed;
  std::thread thread;

  void Run(int bytesPerSample) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return handedSamples.load() != 0 || stop.load(); });
      const size_t n = handedSamples.load();
      if (n == 0) return;  // stopped with nothing left to measure
      lock.unlock();
      const int b = handedBatch.load();
      const uint8_t* channel[2] = {batch[b][0].data(), batch[b][channels > 1 ? 1 : 0].data()};
      if (!meter.Add(channel, n, bytesPerSample, static_cast<size_t>(bytesPerSample))) failed = true;
      lock.lock();
      handedSamples = 0;
      changed.notify_all();
    }
  }

  // Hands batch[filling] over once the thread is done with the one before.
  void HandOver() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return handedSamples.load() == 0; });
    handedBatch = filling;
    handedSamples = filled[0];
    changed.notify_all();
    lock.unlock();
    filling ^= 1;
    filled[0] = filled[1] = 0;
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    if (thread.joinable()) thread.join();
  }
};

RewrapLevelsTap::RewrapLevelsTap() = default;
RewrapLevelsTap::~RewrapLevelsTap() { StopAll(); }

void RewrapLevelsTap::StopAll() {
  for (auto& p : programmes_) p->Stop();
}

void RewrapLevelsTap::Begin(const SOUND_TAP_TARGET* targets, int count, uint32_t bytesPerSample,
                            uint32_t maxSamples) {
  StopAll();
  programmes_.clear();
  programmeOf_.assign(static_cast<size_t>(count > 0 ? count : 0), -1);
  bytesPerSample_ = bytesPerSample;
  // Everything is set up here: the write loop that calls Wrote must not
  // fail for want of memory or threads. A batch takes one frame beyond its
  // second, so that a frame never has to be split.
  const size_t batchBytes = (kBatchSamples + maxSamples) * bytesPerSample;
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
      for (auto& b : p->batch) {
        for (int c = 0; c < p->channels; ++c) b[c].resize(batchBytes);
      }
      programmeOf_[static_cast<size_t>(i)] = static_cast<int>(programmes_.size());
      if (pair) programmeOf_[static_cast<size_t>(t.partner)] = static_cast<int>(programmes_.size());
      programmes_.push_back(std::move(p));
    }
    const int bps = static_cast<int>(bytesPerSample);
    for (auto& p : programmes_) {
      Programme* raw = p.get();
      p->thread = std::thread([raw, bps] { raw->Run(bps); });
    }
  } catch (...) {
    StopAll();
    programmes_.clear();
    programmeOf_.assign(programmeOf_.size(), -1);
  }
}

void RewrapLevelsTap::Wrote(int target, const uint8_t* value, uint32_t samples) {
  if (target < 0 || static_cast<size_t>(target) >= programmeOf_.size() || programmeOf_[target] < 0) return;
  Programme& p = *programmes_[static_cast<size_t>(programmeOf_[target])];
  if (p.failed.load()) return;
  const int c = target == p.firstTarget ? 0 : 1;
  const size_t bytes = static_cast<size_t>(samples) * bytesPerSample_;
  std::vector<uint8_t>& into = p.batch[p.filling][c];
  if ((p.filled[c] * bytesPerSample_) + bytes > into.size()) {
    p.failed = true;  // a frame larger than the job said
    return;
  }
  std::memcpy(into.data() + p.filled[c] * bytesPerSample_, value, bytes);
  p.filled[c] += samples;
  // Handed over between frames only: both halves of a pair even.
  if (p.filled[0] >= kBatchSamples && (p.channels == 1 || p.filled[0] == p.filled[1])) p.HandOver();
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
  if (programmes_.empty() && !programmeOf_.empty()) return;  // never set up
  bool whole = true;
  for (auto& p : programmes_) {
    // A pair left with half a frame gives no figure.
    if (p->channels == 2 && p->filled[0] != p->filled[1]) whole = false;
    if (whole && !p->failed.load() && p->filled[0] > 0) p->HandOver();
  }
  StopAll();
  SOUND_LEVELS levels;
  for (auto& p : programmes_) {
    if (!whole || p->failed.load()) return;
    const LOUDNESS_RESULT r = p->meter.Result();
    auto text = [](const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); };
    levels.rows.push_back(SOUND_LEVEL{p->slot, p->secondSlot, r.integrated, r.truePeak, text(LoudnessText(r.integrated)),
                                      text(TruePeakText(r.truePeak))});
  }
  levels.measured = true;
  LastSoundLevels() = std::move(levels);
}
