// An outside reader's view: ffprobe sees one video and N audio streams at
// 48 kHz with the bit depth, the start timecode and the frame count; ffmpeg
// decodes an audio track to exactly the pattern samples written.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "tests/mxfgen/mxf_bytes.h"
#include "tools/mxfgen/mxfgen.h"
#include "tests/support/process.h"

using mxfgen::IndexLayout;
using mxfgen::Options;

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  if (std::FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// ffprobe's compact output: one map of key=value per line.
std::vector<std::map<std::string, std::string>> Probe(const std::string& path) {
  const std::string text = Shell(
      "ffprobe -v error -count_packets -show_entries "
      "stream=codec_type,codec_name,sample_rate,sample_fmt,bits_per_raw_sample,nb_read_packets:"
      "stream_tags=timecode:format_tags=timecode -of compact=p=1 '" + path + "' 2>/dev/null");
  std::vector<std::map<std::string, std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::map<std::string, std::string> row;
    std::istringstream fields(line);
    std::string field;
    bool first = true;
    while (std::getline(fields, field, '|')) {
      if (first) {
        row["section"] = field;
        first = false;
        continue;
      }
      const size_t eq = field.find('=');
      if (eq != std::string::npos) row[field.substr(0, eq)] = field.substr(eq + 1);
    }
    rows.push_back(row);
  }
  return rows;
}

struct Case {
  const char* name;
  Options o;
};

Options Make(int cls, int tracks, int bits, int codec, uint32_t kag, IndexLayout layout, int partitions,
             const char* start, bool df) {
  Options o;
  o.frames = 12;
  o.frameRateClass = cls;
  o.tracks = tracks;
  o.bits = bits;
  o.codecRow = codec;
  o.kag = kag;
  o.indexLayout = layout;
  o.essencePartitions = partitions;
  o.maxSegmentEntries = layout == IndexLayout::FooterSplit ? 5 : 0;
  o.dropFrame = df;
  o.startTimecode = start;
  return o;
}

std::vector<Case> Cases() {
  std::vector<Case> c;
  c.push_back({"p2997df_8x24_mpeg2_kag512_footer",
               Make(6, 8, 24, 0, 512, IndexLayout::Footer, 1, "10:00:00;00", true)});
  c.push_back({"p25_4x16_mpeg2_kag1_body_before",
               Make(1, 4, 16, 1, 1, IndexLayout::BodyBefore, 3, "01:00:00:00", false)});
  c.push_back({"p2398_2x24_xavc_intra_body_after",
               Make(4, 2, 24, 5, 512, IndexLayout::BodyAfter, 2, "00:59:59:00", false)});
  c.push_back({"p5994df_3x16_xavc_long_kag1_split",
               Make(7, 3, 16, 6, 1, IndexLayout::FooterSplit, 2, "23:59:59;58", true)});
  Options bwf = Make(0, 3, 24, 4, 512, IndexLayout::Footer, 1, "12:34:56:07", false);
  bwf.audio = mxfgen::AudioWrapping::Bwf;
  bwf.ancillary = true;
  c.push_back({"p24_3x24_bwf_anc", bwf});
  Options integer = Make(1, 2, 24, 2, 512, IndexLayout::Footer, 1, "00:00:10:00", false);
  integer.editRateNum = 25;
  integer.editRateDen = 1;
  c.push_back({"p25_over_1_edit_rate", integer});
  c.push_back({"p60_2x24_mpeg2_i", Make(3, 2, 24, 3, 512, IndexLayout::BodyBefore, 2, "10:00:00:00", false)});
  return c;
}

class FfprobeOracle : public ::testing::TestWithParam<Case> {};

TEST_P(FfprobeOracle, SeesStreamsTimecodeFramesAndThePattern) {
  if (const std::string why = testsupport::WhyNoOracle({"ffprobe", "ffmpeg"}); !why.empty()) GTEST_SKIP() << why;
  const Options& o = GetParam().o;
  mxftest::TempDir dir;
  const std::string path = dir.File("o.mxf");
  mxfgen::Layout layout;
  std::string error;
  ASSERT_TRUE(mxfgen::WriteMxf(path, o, &layout, &error)) << error;
  mxfgen::Resolved r;
  ASSERT_TRUE(mxfgen::Resolve(o, &r, nullptr));

  int video = 0, audio = 0;
  std::string timecode;
  for (const auto& row : Probe(path)) {
    if (row.count("tag:timecode")) timecode = row.at("tag:timecode");
    if (row.count("codec_type") == 0) continue;
    if (row.at("codec_type") == "video") {
      ++video;
      EXPECT_EQ(row.at("codec_name"), r.avc ? "h264" : "mpeg2video");
      EXPECT_EQ(row.at("nb_read_packets"), std::to_string(o.frames));
    } else if (row.at("codec_type") == "audio") {
      ++audio;
      EXPECT_EQ(row.at("sample_rate"), "48000");
      EXPECT_EQ(row.at("codec_name"), o.bits == 24 ? "pcm_s24le" : "pcm_s16le");
      if (o.bits == 16) {
        EXPECT_EQ(row.at("sample_fmt"), "s16");
      } else {
        EXPECT_EQ(row.at("bits_per_raw_sample"), "24");
      }
      EXPECT_EQ(row.at("nb_read_packets"), std::to_string(o.frames));
    }
  }
  EXPECT_EQ(video, 1);
  EXPECT_EQ(audio, o.tracks);
  EXPECT_EQ(timecode, o.startTimecode);

  // Decode the last audio track to raw PCM.
  const int track = o.tracks - 1;
  const std::string raw = dir.File("a.raw");
  Shell("ffmpeg -v error -y -i '" + path + "' -map 0:a:" + std::to_string(track) + " -f " +
      (o.bits == 24 ? "s24le" : "s16le") + " '" + raw + "' 2>/dev/null");
  const std::vector<uint8_t> pcm = mxftest::ReadAll(raw);
  const size_t bps = static_cast<size_t>(o.bits / 8);
  uint64_t samples = 0;
  for (const auto& f : layout.frames) samples += f.samples;
  ASSERT_EQ(pcm.size(), samples * bps);
  for (uint64_t i = 0; i < samples; ++i) {
    uint32_t v = 0;
    for (size_t b = 0; b < bps; ++b) v |= uint32_t{pcm[i * bps + b]} << (8 * b);
    ASSERT_EQ(v, mxfgen::PatternSample(track, i, o.bits)) << "sample " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Mxfgen, FfprobeOracle, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
