// One loudness measurement (ITU-R BS.1770-4 / EBU R128) of a mono track or a
// stereo programme, through libebur128: integrated loudness, loudness range,
// the highest momentary (400 ms) and short-term (3 s) loudness, and the true
// peak.
//
// A mono track is measured as one channel of weight 1 (a 997 Hz sine at
// -20 dBFS reads -23.0 LKFS), as ARIB TR-B32 measures monaural programmes; a
// pair as left and right of one stereo programme. Samples are the bare
// little-endian PCM of the MXF sound elements and WAV data chunks (16 or 24
// bits), taken without conversion loss.
//
// Momentary and short-term loudness are read every 100 ms of audio, counted
// from the first sample; a window that reaches back before the first sample
// counts the missing part as silence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// Figures of one measurement. Loudness in LKFS (= LUFS), range in LU, true
// peak in dBTP. A measurement that found nothing above the gates (silence,
// or shorter than 400 ms) has integrated = kNoLoudness.
struct LOUDNESS_RESULT {
  double integrated = 0;
  double range = 0;
  double maxMomentary = 0;
  double maxShortTerm = 0;
  double truePeak = 0;
  uint64_t sampleFrames = 0;  // samples measured per channel
};

// The value of a loudness or peak that has no level (digital silence).
inline constexpr double kNoLoudness = -std::numeric_limits<double>::infinity();

class LoudnessMeter {
 public:
  // channels: 1 (mono) or 2 (left, right). valid() is false for any other
  // count or when libebur128 could not allocate its state. Without truePeak
  // (4x oversampling, most of the cost) the result's truePeak is NaN.
  explicit LoudnessMeter(int channels, bool truePeak = true);
  ~LoudnessMeter();
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;
  LoudnessMeter(LoudnessMeter&& other) noexcept;

  bool valid() const { return state_ != nullptr; }
  int channels() const { return channels_; }

  // Adds `frames` samples per channel. Channel c's sample i is the
  // little-endian value of `bytesPerSample` (2 or 3) bytes at
  // channel[c] + i * stride: stride = bytesPerSample for one track's element,
  // the block align for interleaved WAV data. False when libebur128 failed.
  bool Add(const uint8_t* const* channel, size_t frames, int bytesPerSample, size_t stride);

  // The figures of everything added so far (call once, at the end: a
  // partial 100 ms block is measured here).
  LOUDNESS_RESULT Result();

 private:
  bool Flush();
  struct State;  // libebur128's state, out of this header
  State* state_ = nullptr;
  int channels_ = 0;
  bool truePeak_ = true;
  std::vector<int> block_;   // interleaved samples of the current 100 ms, scaled to 32 bits
  size_t filled_ = 0;        // sample frames in block_
  uint64_t added_ = 0;
  double maxMomentary_ = kNoLoudness;
  double maxShortTerm_ = kNoLoudness;
};
