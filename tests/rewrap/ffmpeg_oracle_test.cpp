// An outside decoder's view of a rewritten file: ffmpeg demuxes the MXF file,
// and its samples of each track are the WAV file's within the range and
// mxfgen's pattern everywhere else.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/rewrap/rewrap_fixture.h"
#include "tools/mxfgen/sample_pattern.h"
#include "tests/support/process.h"

namespace rewrap_test {
namespace {

// Track `track` (0-based) of the file as 24-bit little-endian samples.
std::vector<uint8_t> Decode(const std::string& path, int track) {
  const std::string cmd = "ffmpeg -nostdin -v error -i '" + path + "' -map 0:a:" + std::to_string(track) +
                          " -f s24le - 2>/dev/null";
  std::vector<uint8_t> out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return out;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
  ::pclose(p);
  return out;
}

class OracleTest : public ::testing::TestWithParam<Engine> {};

INSTANTIATE_TEST_SUITE_P(Engines, OracleTest, ::testing::Values(Engine::Mapping, Engine::File),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

TEST_P(OracleTest, FfmpegDecodesTheWavSamplesInTheRange) {
  if (const std::string why = testsupport::WhyNoOracle({"ffmpeg"}); !why.empty()) GTEST_SKIP() << why;
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(50, 4)));
  WAV_LIBRARY_ENTRY* m = c.AddNoiseWav("m.wav", 1, 24, 100000, 31);
  ASSERT_NE(m, nullptr);
  c.Assign(2, m);                      // track 3
  c.plan.trackSwitch[0] = TRACK_ON;    // track 1: silence
  c.SetRange(10, 39);
  ASSERT_EQ(RunEngine(GetParam(), c.path, &c.plan, &c.state.base), 0);

  const std::vector<uint8_t>& wav = c.wavData[0].second.data;
  for (int track : {0, 1, 2}) {
    SCOPED_TRACE("track " + std::to_string(track + 1));
    const std::vector<uint8_t> got = Decode(c.path, track);
    ASSERT_EQ(got.size(), c.layout.Sound(49, 0).firstSample * 3 + c.layout.Sound(49, 0).samples * 3);
    uint64_t fromIn = 0;
    size_t bad = 0;
    for (int64_t f = 0; f < 50; ++f) {
      const auto& el = c.layout.Sound(f, track);
      for (uint32_t n = 0; n < el.samples; ++n) {
        const uint64_t i = el.firstSample + n;
        uint32_t want = mxfgen::PatternSample(track, i, 24);
        if (f >= 10 && f <= 39 && track != 1) {  // track 2 is OFF
          want = 0;
          if (track == 2) want = wav[3 * fromIn] | wav[3 * fromIn + 1] << 8 | uint32_t{wav[3 * fromIn + 2]} << 16;
          ++fromIn;
        }
        const uint32_t sample = got[3 * i] | got[3 * i + 1] << 8 | uint32_t{got[3 * i + 2]} << 16;
        if (sample != want && bad++ < 3) ADD_FAILURE() << "frame " << f << " sample " << n;
      }
    }
    EXPECT_EQ(bad, 0u);
  }
}

}  // namespace
}  // namespace rewrap_test
