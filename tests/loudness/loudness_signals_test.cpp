// The meters against signals whose loudness follows from BS.1770 itself:
// sines at known levels (the K-weighting passes 997 Hz / 1 kHz at +0.69 dB,
// which cancels the -0.691 of the loudness formula), the gating, window and
// range cases of EBU Tech 3341/3342 that can be synthesised, and
// inter-sample peaks that a sample peak meter misses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "loudness/loudness_meter.h"
#include "loudness/loudness_target.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 48000;

// One stretch of a sine, the same in every channel.
struct Tone {
  double seconds;
  double dbfs;     // peak level; -inf for silence
  double hz = 1000;
  double phase = 0;  // radians at the stretch's first sample
};

// Little-endian PCM of `tones` one after another, `channels` interleaved.
std::vector<uint8_t> Synthesise(const std::vector<Tone>& tones, int channels, int bytesPerSample) {
  std::vector<uint8_t> out;
  const double full = bytesPerSample == 2 ? 32767.0 : 8388607.0;
  for (const Tone& t : tones) {
    const double amplitude = std::isinf(t.dbfs) ? 0.0 : std::pow(10.0, t.dbfs / 20.0);
    const long n = std::lround(t.seconds * kRate);
    for (long i = 0; i < n; ++i) {
      const long v = std::lround(full * amplitude * std::sin(2 * kPi * t.hz * i / kRate + t.phase));
      for (int c = 0; c < channels; ++c) {
        for (int b = 0; b < bytesPerSample; ++b) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> 8 * b));
      }
    }
  }
  return out;
}

LOUDNESS_RESULT Measure(const std::vector<Tone>& tones, int channels, int bytesPerSample = 3) {
  const std::vector<uint8_t> pcm = Synthesise(tones, channels, bytesPerSample);
  LoudnessMeter meter(channels);
  EXPECT_TRUE(meter.valid());
  const size_t stride = static_cast<size_t>(channels * bytesPerSample);
  const uint8_t* channel[2] = {pcm.data(), pcm.data() + bytesPerSample};
  // Odd pieces, so that the 100 ms blocks do not line up with the calls.
  for (size_t at = 0; at < pcm.size(); at += 7777 * stride) {
    const size_t frames = std::min<size_t>(7777, (pcm.size() - at) / stride);
    const uint8_t* piece[2] = {channel[0] + at, channel[1] + at};
    EXPECT_TRUE(meter.Add(piece, frames, bytesPerSample, stride));
  }
  return meter.Result();
}

constexpr double kInf = std::numeric_limits<double>::infinity();

struct IntegratedCase {
  const char* name;
  int channels;
  std::vector<Tone> tones;
  double integrated;
};

class Integrated : public ::testing::TestWithParam<IntegratedCase> {};

TEST_P(Integrated, WithinATenth) {
  const IntegratedCase& c = GetParam();
  EXPECT_NEAR(Measure(c.tones, c.channels).integrated, c.integrated, 0.1);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, Integrated,
    ::testing::Values(
        // A mono track: one channel of weight 1.
        IntegratedCase{"Mono997HzAtMinus20", 1, {{10, -20, 997}}, -23.0},
        IntegratedCase{"Mono1kHzAtMinus20", 1, {{10, -20}}, -23.0},
        // Stereo: both channels count.
        IntegratedCase{"StereoAtMinus23", 2, {{20, -23}}, -23.0},
        IntegratedCase{"StereoAtMinus33", 2, {{20, -33}}, -33.0},
        // The relative gate leaves out the quiet ends.
        IntegratedCase{"RelativeGate", 2, {{10, -36}, {60, -23}, {10, -36}}, -23.0},
        // The absolute gate (-70) leaves out the silent-ish ends.
        IntegratedCase{"AbsoluteGate", 2, {{10, -72}, {10, -36}, {60, -23}, {10, -36}, {10, -72}}, -23.0},
        IntegratedCase{"LouderMiddle", 2, {{20, -26}, {20.1, -20}, {20, -26}}, -23.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoudnessMeter, SixteenAndTwentyFourBitsReadTheSame) {
  const LOUDNESS_RESULT a = Measure({{5, -20, 997}}, 1, 2);
  const LOUDNESS_RESULT b = Measure({{5, -20, 997}}, 1, 3);
  EXPECT_NEAR(a.integrated, -23.0, 0.1);
  EXPECT_NEAR(a.integrated, b.integrated, 0.01);
  EXPECT_NEAR(a.truePeak, b.truePeak, 0.01);
}

// The highest short-term value of a level that alternates faster than the
// 3 s window is the window's mean: 1.66 s at -20 and 1.34 s at -30 dBFS.
TEST(LoudnessMeter, ShortTermIsTheThreeSecondMean) {
  std::vector<Tone> tones;
  for (int i = 0; i < 5; ++i) {
    tones.push_back({1.66, -20});
    tones.push_back({1.34, -30});
  }
  const double mean = 10 * std::log10((1.66 * 0.01 + 1.34 * 0.001) / 3.0);  // per channel, in dB
  const LOUDNESS_RESULT r = Measure(tones, 2);
  EXPECT_NEAR(r.maxShortTerm, mean + 10 * std::log10(2.0) - 3.01, 0.1);
  EXPECT_NEAR(r.maxMomentary, -20.0, 0.1);  // a whole 400 ms at -20 dBFS, stereo
}

// A 400 ms burst on the 100 ms grid: momentary sees all of it, short-term
// 0.4 s of 3 s.
TEST(LoudnessMeter, MomentaryCatchesABurst) {
  const LOUDNESS_RESULT r = Measure({{2, -kInf}, {0.4, -20}, {3, -kInf}}, 1);
  EXPECT_NEAR(r.maxMomentary, -23.0, 0.15);
  EXPECT_NEAR(r.maxShortTerm, -23.0 + 10 * std::log10(0.4 / 3.0), 0.15);
}

struct RangeCase {
  double low, high, lra;
};

class LoudnessRange : public ::testing::TestWithParam<RangeCase> {};

// Two levels of 20 s each: the range is their difference (within 1 LU).
TEST_P(LoudnessRange, IsTheLevelStep) {
  const RangeCase& c = GetParam();
  EXPECT_NEAR(Measure({{20, c.high}, {20, c.low}}, 2).range, c.lra, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Steps, LoudnessRange,
                         ::testing::Values(RangeCase{-30, -20, 10}, RangeCase{-20, -15, 5}, RangeCase{-40, -20, 20}));

// A sine at a quarter of the sample rate, 45 degrees off the samples: every
// sample lies at 0.707 of the peak (3 dB below), the true peak is the sine's.
TEST(LoudnessMeter, TruePeakBetweenSamples) {
  const LOUDNESS_RESULT r = Measure({{1, -6, kRate / 4.0, kPi / 4}}, 2);
  EXPECT_GE(r.truePeak, -6.0 - 0.4);
  EXPECT_LE(r.truePeak, -6.0 + 0.2);
  const LOUDNESS_RESULT full = Measure({{1, 0, kRate / 4.0, kPi / 4}}, 1);
  EXPECT_NEAR(full.truePeak, 0.0, 0.3);  // above any sample's -3 dBFS
}

TEST(LoudnessMeter, SilenceHasNoLevelAndFails) {
  const LOUDNESS_RESULT r = Measure({{5, -kInf}}, 2);
  EXPECT_TRUE(std::isinf(r.integrated) && r.integrated < 0);
  EXPECT_TRUE(std::isinf(r.truePeak) && r.truePeak < 0);
  EXPECT_EQ(r.sampleFrames, 5u * kRate);
  EXPECT_FALSE(LoudnessPasses(r, kTargetTrB32));
  EXPECT_EQ(LoudnessText(r.integrated), "-inf");
}

TEST(LoudnessMeter, RefusesLayoutsItDoesNotMeasure) {
  EXPECT_FALSE(LoudnessMeter(0).valid());
  EXPECT_FALSE(LoudnessMeter(3).valid());
  LoudnessMeter mono(1);
  const uint8_t bytes[4] = {};
  const uint8_t* channel[1] = {bytes};
  EXPECT_FALSE(mono.Add(channel, 1, 4, 4));
}

// The integrated edge at the shown tenth, the true peak as a hard ceiling
// that is never shown as passing.
TEST(LoudnessTarget, Edges) {
  LOUDNESS_RESULT r;
  r.truePeak = -3.0;
  struct {
    double integrated;
    bool passes;
  } const integrated[] = {{-24.0, true}, {-25.04, true}, {-25.06, false}, {-22.96, true}, {-22.94, false}};
  for (const auto& c : integrated) {
    r.integrated = c.integrated;
    EXPECT_EQ(IntegratedPasses(r, kTargetTrB32), c.passes) << c.integrated;
  }
  r.truePeak = -1.0;
  EXPECT_TRUE(TruePeakPasses(r, kTargetTrB32));
  r.truePeak = -0.96;
  EXPECT_FALSE(TruePeakPasses(r, kTargetTrB32));
  EXPECT_EQ(TruePeakText(-0.96), "-0.9");
  EXPECT_EQ(TruePeakText(-1.0), "-1.0");
  r.integrated = -23.4;
  r.truePeak = -2;
  EXPECT_TRUE(LoudnessPasses(r, kTargetR128));
  r.integrated = -23.6;
  EXPECT_FALSE(LoudnessPasses(r, kTargetR128));
}

}  // namespace
