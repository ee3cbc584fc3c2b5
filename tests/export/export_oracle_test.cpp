// ffprobe and ffmpeg as an outside reader: each exported file is 48 kHz mono
// PCM with the range's sample count and time reference, and its samples are
// those ffmpeg decodes from the MXF file's track.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "export_fixture.h"
#include "tests/support/process.h"

namespace export_test {
namespace {

// Standard output of a shell command, as bytes.
Bytes Capture(const std::string& cmd, int* status) {
  Bytes out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
  *status = ::pclose(p);
  return out;
}

std::map<std::string, std::string> Probe(const std::string& path) {
  int status = 0;
  const Bytes text = Capture("ffprobe -v error -select_streams a:0 -show_entries "
                             "stream=codec_name,sample_rate,channels,duration_ts:format_tags=time_reference "
                             "-of default=noprint_wrappers=1 '" + path + "'",
                             &status);
  std::map<std::string, std::string> fields;
  std::string line;
  for (uint8_t c : text) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq != std::string::npos) {
      std::string key = line.substr(0, eq);
      if (key.rfind("TAG:", 0) == 0) key = key.substr(4);
      fields[key] = line.substr(eq + 1);
    }
    line.clear();
  }
  return fields;
}

class ExportOracle : public ExportTest {
 protected:
  void SetUp() override {
    if (const std::string why = testsupport::WhyNoOracle({"ffprobe", "ffmpeg"}); !why.empty()) GTEST_SKIP() << why;
  }

  // `timeReference`: the samples from midnight to the IN frame.
  void CheckAgainstFfmpeg(int64_t first, int64_t last, const std::vector<int>& tracks, Engine engine,
                          int64_t timeReference) {
    Select(first, last, tracks);
    ASSERT_EQ(Run(engine), 0);
    const std::string raw = opt.bits == 16 ? "s16le" : "s24le";
    const int bps = opt.bits / 8;
    uint64_t samples = 0;
    for (int64_t f = first; f <= last; ++f) samples += layout.frames[static_cast<size_t>(f)].samples;
    const uint64_t firstSample = layout.Sound(first, 0).firstSample;
    // One ffmpeg run decodes the MXF file's tracks and the exported files.
    std::string cmd = "ffmpeg -v error -y -i '" + mxfPath + "'";
    for (int t : tracks) cmd += " -i '" + OutFile("Track-" + std::to_string(t) + ".wav") + "'";
    for (size_t i = 0; i < tracks.size(); ++i) {
      const std::string t = std::to_string(tracks[i]);
      cmd += " -map 0:a:" + std::to_string(tracks[i] - 1) + " -f " + raw + " '" + dir.File("mxf" + t + ".raw") + "'";
      cmd += " -map " + std::to_string(i + 1) + ":a:0 -f " + raw + " '" + dir.File("wav" + t + ".raw") + "'";
    }
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    for (int t : tracks) {
      SCOPED_TRACE("track " + std::to_string(t));
      const auto p = Probe(OutFile("Track-" + std::to_string(t) + ".wav"));
      EXPECT_EQ(p.count("codec_name") ? p.at("codec_name") : "", "pcm_" + raw);
      EXPECT_EQ(p.count("sample_rate") ? p.at("sample_rate") : "", "48000");
      EXPECT_EQ(p.count("channels") ? p.at("channels") : "", "1");
      EXPECT_EQ(p.count("duration_ts") ? p.at("duration_ts") : "", std::to_string(samples));
      EXPECT_EQ(p.count("time_reference") ? p.at("time_reference") : "", std::to_string(timeReference));

      const Bytes track = ReadAll(dir.File("mxf" + std::to_string(t) + ".raw"));
      ASSERT_GE(track.size(), (firstSample + samples) * bps);
      const Bytes expected(track.begin() + static_cast<std::ptrdiff_t>(firstSample * bps),
                           track.begin() + static_cast<std::ptrdiff_t>((firstSample + samples) * bps));
      EXPECT_TRUE(ReadAll(dir.File("wav" + std::to_string(t) + ".raw")) == expected) << "decoded samples differ";
    }
  }
};

TEST_F(ExportOracle, DropFrame2997AcrossAMinute) {
  mxfgen::Options o;
  o.dropFrame = true;
  o.startFrame = 1770;  // 00:00:59;00 drop frame
  o.frames = 90;
  o.essencePartitions = 2;
  o.indexLayout = mxfgen::IndexLayout::BodyBefore;
  ASSERT_TRUE(Generate(o));
  // IN is frame 1777: 355 cycles of 8008 samples, then 1602 + 1601.
  CheckAgainstFfmpeg(7, 83, {3, 7}, ExportBwfByMapping, 2846043);
}

TEST_F(ExportOracle, SixteenBit25) {
  mxfgen::Options o;
  o.frameRateClass = FRC_25;
  o.bits = 16;
  o.tracks = 4;
  o.startFrame = 90000;  // 01:00:00:00
  o.frames = 60;
  ASSERT_TRUE(Generate(o));
  CheckAgainstFfmpeg(0, 59, {1, 4}, ExportBwfByFile, 172800000);
}

}  // namespace
}  // namespace export_test
