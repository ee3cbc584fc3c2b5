// velmora-cli loudness end to end: a WAV file against ffmpeg's ebur128
// filter, and an MXF file whose tracks were given known tones through the
// rewrap, measured as tracks and pairs and marked against the target.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>

#include "tests/cli/cli_runner.h"

#ifndef VELMORA_NO_LOUDNESS  // a build without libebur128 has no loudness command

using namespace clitest;

namespace {

// The number after `"key":` in the tool's JSON (NaN when absent or null).
double JsonNumber(const std::string& json, const std::string& key, size_t from = 0) {
  const size_t at = json.find("\"" + key + "\":", from);
  if (at == std::string::npos) return std::nan("");
  return std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}

// The figure after `label` in ffmpeg's ebur128 summary.
double FfmpegFigure(const std::string& summary, const std::string& label) {
  std::smatch m;
  if (!std::regex_search(summary, m, std::regex(label + R"(\s+(-?[0-9.]+))"))) return std::nan("");
  return std::stod(m[1]);
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// A WAV from ffmpeg's expression source (channels separated by '|').
bool Synthesise(const std::filesystem::path& path, const std::string& expression, int seconds) {
  return Shell("ffmpeg -loglevel error -y -f lavfi -i 'aevalsrc=" + expression + ":s=48000:d=" +
               std::to_string(seconds) + "' -c:a pcm_s24le " + path.string());
}

// A mono 48 kHz 24-bit WAV of a sine tone at `amplitude` of full scale.
bool WriteTone(const std::filesystem::path& path, double amplitude, double hz, int seconds) {
  const uint32_t frames = 48000u * static_cast<uint32_t>(seconds), data = frames * 3;
  std::string f;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back(static_cast<char>(v >> (8 * i))); };
  auto u16 = [&](uint32_t v) { for (int i = 0; i < 2; ++i) f.push_back(static_cast<char>(v >> (8 * i))); };
  f += "RIFF";
  u32(36 + data);
  f += "WAVEfmt ";
  u32(16); u16(1); u16(1); u32(48000); u32(48000 * 3); u16(3); u16(24);
  f += "data";
  u32(data);
  for (uint32_t n = 0; n < frames; ++n) {
    const auto v = static_cast<int32_t>(std::lround(amplitude * 8388607.0 * std::sin(2 * 3.14159265358979323846 * hz * n / 48000.0)));
    for (int b = 0; b < 3; ++b) f.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * b)));
  }
  std::ofstream out(path, std::ios::binary);
  out << f;
  return static_cast<bool>(out);
}

TEST(LoudnessCli, WavAgreesWithFfmpeg) {
#if defined(_WIN32)
  GTEST_SKIP() << "ffmpeg, the oracle, is a Linux program here that the Windows test cannot start";
#endif
  TempDir dir;
  const auto wav = dir.path / "programme.wav";
  // Two different channels, a slow swell, a gated tone and high partials
  // that put the true peak between samples.
  ASSERT_TRUE(Synthesise(wav,
                         "0.25*sin(2*PI*440*t)*(0.6+0.4*sin(2*PI*0.05*t))+0.05*sin(2*PI*9000*t)"
                         "|0.1*sin(2*PI*3000*t)*lt(mod(t\\,7)\\,4)+0.08*sin(2*PI*80*t)",
                         40));
  const CliResult r = RunCli("loudness " + wav.string() + " --json", dir.path);
  ASSERT_EQ(r.status, 5) << r.err;  // -16.5 LKFS is far above -24
  ASSERT_TRUE(Shell("ffmpeg -hide_banner -nostats -i " + wav.string() + " -af ebur128=peak=true -f null - 2>" +
                    (dir.path / "ffmpeg.txt").string()));
  const std::string log = ReadAll(dir.path / "ffmpeg.txt");
  const std::string summary = log.substr(std::min(log.size(), log.rfind("Summary:")));
  EXPECT_NEAR(JsonNumber(r.out, "integrated", r.out.find("\"rows\"")), FfmpegFigure(summary, "I:"), 0.1) << r.out;
  EXPECT_NEAR(JsonNumber(r.out, "true_peak", r.out.find("\"rows\"")), FfmpegFigure(summary, "Peak:"), 0.2);
  // ffmpeg steps its short-term blocks by 100 ms, libebur128 by 1 s: both
  // within the 1 LU the range is specified to.
  EXPECT_NEAR(JsonNumber(r.out, "loudness_range"), FfmpegFigure(summary, "LRA:"), 1.0);
  EXPECT_NE(r.out.find("\"layout\":\"stereo\""), std::string::npos);
}

struct LoudnessMxfCli : ::testing::Test {
  TempDir dir;
  std::filesystem::path mxf;
  void SetUp() override {
    mxfgen::Options opt;
    opt.frameRateClass = 1;  // 25 fps
    opt.frames = 250;        // 10 s
    opt.tracks = 4;
    opt.startFrame = 90000;  // 01:00:00:00
    mxf = dir.path / "master.mxf";
    ASSERT_EQ(MakeMxf(mxf, opt), "");
    // 997 Hz at -20 dBFS into tracks 1 and 2: -23.0 LKFS each, -20.0 as a pair.
    const auto tone = dir.path / "tone.wav";
    ASSERT_TRUE(WriteTone(tone, 0.1, 997, 10));
    const CliResult w = RunCli("rewrap " + mxf.string() + " --in 01:00:00:00 --out 01:00:09:24 --track 1=" +
                                   tone.string() + " --track 2=" + tone.string() + " --yes",
                               dir.path);
    ASSERT_EQ(w.status, 0) << w.err;
  }
  CliResult Loudness(const std::string& rest) { return RunCli("loudness " + mxf.string() + " " + rest, dir.path); }
};

TEST_F(LoudnessMxfCli, TracksAndPairsMarkedAgainstTheTarget) {
  const CliResult r = Loudness("--tracks 1,3 --pairs 1-2 --json");
  ASSERT_EQ(r.status, 5) << r.err;  // track 3 holds mxfgen's quiet pattern
  const size_t t1 = r.out.find("\"name\":\"track 1\"");
  const size_t t3 = r.out.find("\"name\":\"track 3\"");
  const size_t p12 = r.out.find("\"name\":\"pair 1-2\"");
  ASSERT_TRUE(t1 < t3 && t3 < p12 && p12 != std::string::npos) << r.out;
  EXPECT_NEAR(JsonNumber(r.out, "integrated", t1), -23.0, 0.1);
  EXPECT_NEAR(JsonNumber(r.out, "true_peak", t1), -20.0, 0.2);
  EXPECT_NE(r.out.find("\"pass\":true", t1), std::string::npos);
  EXPECT_LT(r.out.find("\"pass\":false", t3), p12);
  EXPECT_NEAR(JsonNumber(r.out, "integrated", p12), -20.0, 0.1);
  EXPECT_NE(r.out.find("\"all_pass\":false"), std::string::npos);

  EXPECT_EQ(Loudness("--tracks 1").status, 0);                 // -23.0 within -24 +/-1
  EXPECT_EQ(Loudness("--tracks 1 --preset r128").status, 0);   // -23.0 within -23 +/-0.5
  EXPECT_EQ(Loudness("--pairs 1-2 --preset r128").status, 5);  // -20.0
  EXPECT_EQ(Loudness("--tracks 1 --target -20 --preset r128").status, 5);
  EXPECT_EQ(Loudness("--tracks 1 --true-peak -21").status, 5);
  const CliResult text = Loudness("--tracks 2 --in 01:00:02:00 --out 01:00:04:24");
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("01:00:02:00 - 01:00:04:24 (75 frames)"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("-23.0"), std::string::npos) << text.out;
}

TEST_F(LoudnessMxfCli, RefusesWhatItCannotMeasure) {
  struct {
    const char* args;
    int status;
    const char* says;
  } const cases[] = {
      {"--pairs 1-1", 2, "のような異なる2トラックの組ではありません"},
      {"--tracks 5", 2, "トラック 5 はありません"},
      {"--pairs 3-5", 2, "トラック 5 はありません"},
      {"--in 01:00:00:00", 2, "--in と --out は両方とも指定します"},
      {"--target loud", 2, "--target"},
      {"--preset atsc", 2, "--preset"},
      {"--in 01:00:05:00 --out 01:00:04:00", 1, "OUT"},
      {"--in 01:00:00:00 --out 01:00:10:00", 1, "OUT"},
  };
  for (const auto& c : cases) {
    const CliResult r = Loudness(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_TRUE(r.out.empty()) << c.args;
  }
  const auto wav = dir.path / "tone.wav";
  EXPECT_EQ(RunCli("loudness " + wav.string() + " --tracks 1", dir.path).status, 2);
}

}  // namespace

#endif  // VELMORA_NO_LOUDNESS
