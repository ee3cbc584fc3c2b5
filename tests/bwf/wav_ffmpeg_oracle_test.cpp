// ffprobe and ffmpeg as independent readers and writers of WAV/BWF files:
// files written by the tests' builder are read by ffprobe with the same
// facts, and BWF files written by ffmpeg are read back by our reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "bwf/wav_reader.h"
#include "tests/bwf/wav_test_support.h"
#include "tests/support/process.h"

namespace {

using namespace wavtest;

// Runs a command and returns its standard output.
std::string Capture(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

// key=value lines of ffprobe's default writer for the first audio stream.
std::map<std::string, std::string> Probe(const std::string& path) {
  const std::string out =
      Capture("ffprobe -v error -select_streams a:0 -show_entries "
              "stream=sample_rate,channels,bits_per_sample,duration_ts -of default=noprint_wrappers=1 '" +
              path + "'");
  std::map<std::string, std::string> kv;
  size_t pos = 0;
  while (pos < out.size()) {
    size_t end = out.find('\n', pos);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(pos, end - pos);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) kv[line.substr(0, eq)] = line.substr(eq + 1);
    pos = end + 1;
  }
  return kv;
}

class WavOracleTest : public WavDirTest {
 protected:
  void SetUp() override {
    WavDirTest::SetUp();
    if (const std::string why = testsupport::WhyNoOracle({"ffprobe", "ffmpeg"}); !why.empty()) GTEST_SKIP() << why;
  }
};

TEST_F(WavOracleTest, FfprobeReadsOurFilesAsWeDo) {
  struct Case {
    uint16_t channels, bits;
    bool bext, listBeforeData;
  } cases[] = {{1, 16, false, false}, {2, 16, true, false}, {1, 24, true, true}, {2, 24, false, true}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.channels << " ch " << c.bits << " bit");
    Fmt f;
    f.channels = c.channels;
    f.bits = c.bits;
    const uint32_t frames = 4801 + 1000 * n;
    Bytes chunks = Chunk("fmt ", FmtBody(f));
    if (c.bext) chunks = Cat({chunks, Chunk("bext", BextBody(48000, "a description with data in it"))});
    if (c.listBeforeData) chunks = Cat({chunks, Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'd', 'a', 't', 'a', 1})});
    chunks = Cat({chunks, Chunk("data", Samples(frames, c.channels, c.bits / 8))});
    const std::string name = "o" + std::to_string(n++) + ".wav";
    const std::u16string path = Write(name, Riff(chunks));

    const auto kv = Probe(NativeOf(name));
    ASSERT_FALSE(kv.empty()) << "ffprobe could not read " << name;
    WAV_FORMAT_INFO info;
    ASSERT_EQ(ReadWavFile(path, &info, &tc25_), WAV_READ_OK);
    EXPECT_EQ(kv.at("sample_rate"), std::to_string(info.sampleRate));
    EXPECT_EQ(kv.at("channels"), std::to_string(info.channels));
    EXPECT_EQ(kv.at("bits_per_sample"), std::to_string(info.bitsPerSample));
    EXPECT_EQ(kv.at("duration_ts"), std::to_string(info.dataSize / info.blockAlign));
    EXPECT_EQ(info.dataSize / info.blockAlign, frames);
  }
}

TEST_F(WavOracleTest, ReadsTheTimeReferenceFfmpegWrites) {
  struct Case {
    const char* codec;
    int channels;
    uint64_t timeReference;
  } cases[] = {
      {"pcm_s16le", 1, 172800000},             // 01:00:00:00
      {"pcm_s24le", 2, 4147200000ull - 1920},  // 23:59:59:24 at 25, near 2^32
      {"pcm_s24le", 1, 5000000000ull},         // beyond 32 bits
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeReference);
    const std::string name = "ff" + std::to_string(n++) + ".wav";
    const std::string cmd = "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:sample_rate=48000:duration=0.5 "
                            "-ac " + std::to_string(c.channels) + " -c:a " + c.codec +
                            " -write_bext 1 -metadata time_reference=" + std::to_string(c.timeReference) + " '" +
                            NativeOf(name) + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const auto kv = Probe(NativeOf(name));
    WAV_FORMAT_INFO info;
    ASSERT_EQ(ReadWavFile(PathOf(name), &info, &tc25_), WAV_READ_OK);
    EXPECT_EQ(info.hasTimeReference, 1u);
    EXPECT_EQ(info.startSample, c.timeReference);
    EXPECT_EQ(info.channels, c.channels);
    // ffmpeg writes its 24-bit files in the extensible format.
    EXPECT_EQ(static_cast<uint16_t>(info.formatTag), std::string(c.codec) == "pcm_s24le" ? 0xFFFEu : 1u);
    EXPECT_EQ(kv.at("duration_ts"), std::to_string(info.endSample - info.startSample));
    EXPECT_EQ(info.endSample - info.startSample, 24000u);
  }
}

TEST_F(WavOracleTest, ReadsWhatAStreamingFfmpegWrites) {
  // Written to a pipe, ffmpeg cannot go back to fill in the chunk sizes.
  const std::string path = NativeOf("piped.wav");
  const std::string cmd = "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:sample_rate=48000:duration=0.25 "
                          "-c:a pcm_s24le -f wav pipe:1 > '" + path + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  FILE* fp = std::fopen(path.c_str(), "rb");
  ASSERT_NE(fp, nullptr);
  unsigned char head[8];
  ASSERT_EQ(std::fread(head, 1, 8, fp), 8u);
  std::fclose(fp);
  // The sizes were left unset: the case under test.
  ASSERT_EQ(std::string(reinterpret_cast<char*>(head), 8), std::string("RIFF\xff\xff\xff\xff"));
  WAV_FORMAT_INFO info;
  ASSERT_EQ(ReadWavFile(PathOf("piped.wav"), &info, &tc25_), WAV_READ_OK);
  EXPECT_EQ(info.dataSize, 12000u * 3);
  EXPECT_EQ(info.endSample, 12000u);
  EXPECT_EQ(info.bitsPerSample, 24);
}

}  // namespace
