#include "loudness/loudness_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

namespace {

constexpr unsigned kSampleRate = 48000;
constexpr size_t kBlockFrames = kSampleRate / 10;  // 100 ms: the meters' update interval

int SampleAt(const uint8_t* p, int bytesPerSample) {
  // Scaled to the full 32-bit range, so that 16- and 24-bit values keep
  // every bit and share one full scale.
  if (bytesPerSample == 2) return static_cast<int>(static_cast<uint32_t>(p[0] | p[1] << 8) << 16);
  return static_cast<int>(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) << 8);
}

double Max(double a, double b) { return std::isnan(b) ? a : std::max(a, b); }

}  // namespace

struct LoudnessMeter::State {
  ebur128_state* st = nullptr;
};

LoudnessMeter::LoudnessMeter(int channels, bool truePeak) : truePeak_(truePeak) {
  if (channels != 1 && channels != 2) return;
  const int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_S | (truePeak ? EBUR128_MODE_TRUE_PEAK : 0);
  ebur128_state* st = ebur128_init(static_cast<unsigned>(channels), kSampleRate, mode);
  if (st == nullptr) return;
  state_ = new (std::nothrow) State{st};
  if (state_ == nullptr) {
    ebur128_destroy(&st);
    return;
  }
  channels_ = channels;
  if (channels == 1) {
    // One channel of weight 1, not libebur128's dual mono (+3 dB).
    ebur128_set_channel(st, 0, EBUR128_CENTER);
  } else {
    ebur128_set_channel(st, 0, EBUR128_LEFT);
    ebur128_set_channel(st, 1, EBUR128_RIGHT);
  }
  block_.resize(kBlockFrames * static_cast<size_t>(channels));
}

LoudnessMeter::~LoudnessMeter() {
  if (state_ == nullptr) return;
  ebur128_destroy(&state_->st);
  delete state_;
}

LoudnessMeter::LoudnessMeter(LoudnessMeter&& other) noexcept
    : state_(std::exchange(other.state_, nullptr)),
      channels_(other.channels_),
      truePeak_(other.truePeak_),
      block_(std::move(other.block_)),
      filled_(other.filled_),
      added_(other.added_),
      maxMomentary_(other.maxMomentary_),
      maxShortTerm_(other.maxShortTerm_) {}

bool LoudnessMeter::Add(const uint8_t* const* channel, size_t frames, int bytesPerSample, size_t stride) {
  if (state_ == nullptr || (bytesPerSample != 2 && bytesPerSample != 3)) return false;
  size_t done = 0;
  while (done < frames) {
    const size_t n = std::min(frames - done, kBlockFrames - filled_);
    for (int c = 0; c < channels_; ++c) {
      const uint8_t* in = channel[c] + done * stride;
      int* out = block_.data() + filled_ * channels_ + c;
      for (size_t i = 0; i < n; ++i, in += stride, out += channels_) *out = SampleAt(in, bytesPerSample);
    }
    filled_ += n;
    done += n;
    if (filled_ == kBlockFrames && !Flush()) return false;
  }
  return true;
}

bool LoudnessMeter::Flush() {
  if (filled_ == 0) return true;
  if (ebur128_add_frames_int(state_->st, block_.data(), filled_) != EBUR128_SUCCESS) return false;
  added_ += filled_;
  filled_ = 0;
  double m = kNoLoudness;
  double s = kNoLoudness;
  if (ebur128_loudness_momentary(state_->st, &m) == EBUR128_SUCCESS) maxMomentary_ = Max(maxMomentary_, m);
  if (ebur128_loudness_shortterm(state_->st, &s) == EBUR128_SUCCESS) maxShortTerm_ = Max(maxShortTerm_, s);
  return true;
}

LOUDNESS_RESULT LoudnessMeter::Result() {
  LOUDNESS_RESULT r;
  r.integrated = r.maxMomentary = r.maxShortTerm = r.truePeak = kNoLoudness;
  if (state_ == nullptr || !Flush()) return r;
  r.sampleFrames = added_;
  r.maxMomentary = maxMomentary_;
  r.maxShortTerm = maxShortTerm_;
  double v = 0;
  if (ebur128_loudness_global(state_->st, &v) == EBUR128_SUCCESS) r.integrated = v;
  if (ebur128_loudness_range(state_->st, &v) == EBUR128_SUCCESS && std::isfinite(v)) r.range = v;
  if (!truePeak_) {
    r.truePeak = std::nan("");
    return r;
  }
  double peak = 0;
  for (int c = 0; c < channels_; ++c) {
    if (ebur128_true_peak(state_->st, static_cast<unsigned>(c), &v) == EBUR128_SUCCESS) peak = std::max(peak, v);
  }
  r.truePeak = peak > 0 ? 20.0 * std::log10(peak) : kNoLoudness;
  return r;
}
