// An outside decoder's view of a rewritten file: ffmpeg demuxes the MXF file,
// and its samples of each track are the WAV file's within the range and
// mxfgen's pattern everywhere else.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "rewrap/track_assign.h"
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

// The bytes ffmpeg decodes from a file as 24-bit little-endian samples,
// channels interleaved as in the file.
std::vector<uint8_t> DecodeInterleaved(const std::string& path) {
  const std::string cmd = "ffmpeg -nostdin -v error -i '" + path + "' -f s24le - 2>/dev/null";
  std::vector<uint8_t> out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return out;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
  ::pclose(p);
  return out;
}

// An 8-channel WAVE_FORMAT_EXTENSIBLE file written by ffmpeg, channels 1..8
// into tracks 1..8: both engines write the same file, and every rewritten
// sample is ffmpeg's decode of its channel.
TEST(OracleMultichannel, EightChannelWavIntoEightTracks) {
  if (const std::string why = testsupport::WhyNoOracle({"ffmpeg"}); !why.empty()) GTEST_SKIP() << why;
  RewrapCase c;
  ASSERT_TRUE(c.Make(SmallClip(30, 8)));
  const std::string wavPath = c.scratch.Path("poly8.wav");
  std::string exprs;
  for (int k = 0; k < 8; ++k) exprs += (k ? "|" : "") + std::string("0.8*sin(2*PI*") + std::to_string(110 + 97 * k) + "*t)";
  const std::string make = "ffmpeg -nostdin -v error -f lavfi -i 'aevalsrc=" + exprs +
                           ":s=48000:d=1.3' -c:a pcm_s24le -y '" + wavPath + "' 2>/dev/null";
  ASSERT_EQ(std::system(make.c_str()), 0);
  ASSERT_EQ(WavLibraryAdd(plat::Utf8ToUtf16(wavPath), &c.library, &c.state.timecode), 0);
  WAV_LIBRARY_ENTRY* poly = c.library.prev;
  ASSERT_EQ(poly->format.channels, 8);
  ASSERT_EQ(static_cast<uint16_t>(poly->format.formatTag), 0xFFFE);
  WavContent decoded;
  decoded.channels = 8;
  decoded.data = DecodeInterleaved(wavPath);
  ASSERT_EQ(decoded.data.size(), poly->format.dataSize);
  c.wavData.push_back({poly, decoded});

  TRACK_STEREO_FLAGS stereo = {};
  ASSERT_EQ(AssignChannels(c.plan, stereo, c.state.audio, poly, 0, 0, 8).code, TRACK_ASSIGN_OK);
  for (int s = 0; s < 8; ++s) c.plan.trackSwitch[s] = TRACK_ON;
  c.SetRange(2, 27);
  ASSERT_EQ(RewrapByMapping(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base), 0);
  const std::vector<uint8_t> mapped = ReadAll(c.path);
  EXPECT_TRUE(c.FileIs(c.Expected()));
  c.Restore();
  ASSERT_EQ(RewrapByFile(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base), 0);
  EXPECT_TRUE(ReadAll(c.path) == mapped) << c.Describe(ReadAll(c.path), mapped);
}

}  // namespace
}  // namespace rewrap_test
