// velmora-cli rewrap end to end: the refusals a user meets before anything
// is written, and a rewrap whose bytes are checked against the file's layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <cstring>
#include <vector>

#if !defined(_WIN32)
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include "platform/file.h"
#include "tests/cli/cli_runner.h"

using namespace clitest;

namespace {

// A PCM WAV of any channel count whose sample n of channel c is base + n * 8 + c.
void WriteWav(const std::filesystem::path& path, int channels, int bits, uint32_t frames, uint32_t base,
              uint32_t rate = 48000) {
  const uint32_t bytesPer = static_cast<uint32_t>(bits / 8);
  const uint32_t dataSize = frames * bytesPer * static_cast<uint32_t>(channels);
  std::vector<uint8_t> f;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto u16 = [&](uint32_t v) { for (int i = 0; i < 2; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto tag = [&](const char* t) { f.insert(f.end(), t, t + 4); };
  tag("RIFF"); u32(36 + dataSize); tag("WAVE");
  tag("fmt "); u32(16); u16(1); u16(static_cast<uint32_t>(channels)); u32(rate);
  u32(rate * bytesPer * static_cast<uint32_t>(channels)); u16(bytesPer * static_cast<uint32_t>(channels)); u16(static_cast<uint32_t>(bits));
  tag("data"); u32(dataSize);
  for (uint32_t n = 0; n < frames; ++n) {
    for (int c = 0; c < channels; ++c) {
      const uint32_t v = base + n * 8 + static_cast<uint32_t>(c);
      for (uint32_t b = 0; b < bytesPer; ++b) f.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
  }
  std::FILE* out = std::fopen(path.string().c_str(), "wb");
  std::fwrite(f.data(), 1, f.size(), out);
  std::fclose(out);
}

// Text as the detail log holds it by default: in the locale's encoding,
// which on Windows is the ANSI code page (932 for our users).
std::string InLog(const std::string& utf8) {
#if defined(_WIN32)
  std::string out;
  plat::Utf16ToMultibyte(plat::Utf8ToUtf16(utf8), "CP932", &out);
  return out;
#else
  return utf8;
#endif
}

// A text as a JSON string holds it (the paths here need only '\\').
std::string JsonText(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

uint32_t Sample24(const std::string& file, uint64_t offset) {
  return static_cast<uint8_t>(file[offset]) | static_cast<uint8_t>(file[offset + 1]) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(file[offset + 2])) << 16;
}

struct RewrapCli : ::testing::Test {
  TempDir dir;
  std::filesystem::path mxf;
  mxfgen::Layout layout;
  void SetUp() override {
    mxfgen::Options opt;
    opt.frameRateClass = 1;  // 25 fps, 1920 samples per frame
    opt.frames = 30;
    opt.tracks = 4;
    opt.bits = 24;
    opt.startFrame = 90000;  // 01:00:00:00
    mxf = dir.path / "master.mxf";
    ASSERT_EQ(MakeMxf(mxf, opt, &layout), "");
  }
  std::string Args(const std::string& rest) { return "rewrap " + mxf.string() + " " + rest; }
};

TEST_F(RewrapCli, WritesTheWavAndSilenceIntoTheRangeOnly) {
  WriteWav(dir.path / "a.wav", 1, 24, 1920 * 3, 0x100000);
  const std::string before = ReadAll(mxf);
  const CliResult r = RunCli(Args("--in 01:00:00:10 --out 01:00:00:12 --track 2=" + (dir.path / "a.wav").string() +
                                  " --silence 4 --io file --yes --loudness --log " + (dir.path / "log.txt").string()),
                             dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("ラッピングが完了しました。"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, Shown(mxf) + "\n") << "the file rewritten is the result on standard output";
  const std::string after = ReadAll(mxf);
  ASSERT_EQ(after.size(), before.size());

  std::string expected = before;
  for (int64_t frame = 10; frame <= 12; ++frame) {
    const auto& t2 = layout.Sound(frame, 1);
    for (uint32_t n = 0; n < 1920; ++n) {
      const uint32_t v = 0x100000 + (static_cast<uint32_t>(frame - 10) * 1920 + n) * 8;
      for (int b = 0; b < 3; ++b) expected[t2.valueOffset + n * 3 + b] = static_cast<char>(v >> (8 * b));
    }
    const auto& t4 = layout.Sound(frame, 3);
    std::memset(&expected[t4.valueOffset], 0, 1920 * 3);
  }
  EXPECT_TRUE(after == expected) << "bytes outside the rewritten samples changed, or samples are wrong";
  EXPECT_EQ(Sample24(after, layout.Sound(11, 1).valueOffset), 0x100000u + 1920 * 8);

  const std::string log = ReadAll(dir.path / "log.txt");
  EXPECT_NE(log.find(InLog("NULLデータ(無音)を書込みました。")), std::string::npos);
  EXPECT_NE(log.find("IN  01:00:00:10\r\nOUT 01:00:00:12\r\nDUR 00:00:00:03"), std::string::npos) << log;
  EXPECT_NE(log.find(InLog("読み返し確認 = 34560 bytes 一致")), std::string::npos) << log;  // 3 frames, 2 tracks
#ifndef VELMORA_NO_LOUDNESS
  // Measured as written: the silent track has no level.
  EXPECT_NE(log.find(InLog("< 書込んだ音声のラウドネス (ITU-R BS.1770-4) >\r\nトラック2: 統合ラウドネス ")), std::string::npos) << log;
  EXPECT_NE(log.find(InLog("トラック4: 統合ラウドネス -inf LKFS  トゥルーピーク -inf dBTP\r\n")), std::string::npos) << log;
#endif

  // The rewrap is undone byte for byte.
  const CliResult u = RunCli("undo " + mxf.string() + " --json", dir.path);
  ASSERT_EQ(u.status, 0) << u.err << u.out;
  EXPECT_NE(u.out.find("\"bytes_restored\":34560"), std::string::npos) << u.out;
  EXPECT_TRUE(ReadAll(mxf) == before);
}

// --json reports the journal and the bytes read back; an interrupted
// rewrap is told by analyze, refuses the next rewrap, and is settled by undo.
TEST_F(RewrapCli, JournalReportAndInterruptedRewrap) {
  const std::string before = ReadAll(mxf);
  const std::string journal = mxf.string() + ".velmora-undo";
  CliResult r = RunCli(Args("--in 01:00:00:01 --out 01:00:00:02 --silence 1 --yes --json --no-journal --loudness"), dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"journal\":null"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"bytes_verified\":11520"), std::string::npos) << r.out;
#ifndef VELMORA_NO_LOUDNESS
  EXPECT_NE(r.out.find("\"loudness\":[{\"tracks\":[1],\"stereo\":false,\"integrated\":null,\"true_peak\":null}]"),
            std::string::npos) << r.out;
#endif
  EXPECT_FALSE(std::filesystem::exists(journal));
  const std::string silenced = ReadAll(mxf);

  r = RunCli(Args("--in 01:00:00:03 --out 01:00:00:04 --silence 2 --yes --json --no-read-back"), dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"loudness\":null"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"read_back\":false"), std::string::npos) << r.out;
  ASSERT_TRUE(std::filesystem::exists(journal));
  {
    std::fstream j(journal, std::ios::in | std::ios::out | std::ios::binary);
    j.seekp(20);
    j.put(2);  // "in progress": as if the rewrap had been killed
  }
  const std::string interrupted = ReadAll(mxf);
  r = RunCli("analyze " + mxf.string(), dir.path);
  EXPECT_NE(r.err.find("途中で中断されています"), std::string::npos) << r.err;
  r = RunCli(Args("--in 01:00:00:01 --out 01:00:00:02 --silence 3 --yes"), dir.path);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("途中で中断されています"), std::string::npos) << r.err;
  EXPECT_TRUE(ReadAll(mxf) == interrupted);

  r = RunCli("undo " + mxf.string(), dir.path);  // rolls the interrupted rewrap back
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("ロールバックしました"), std::string::npos) << r.out;
  EXPECT_TRUE(ReadAll(mxf) == silenced);
  r = RunCli("undo " + mxf.string(), dir.path);  // the first rewrap had no journal
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("元に戻せるラッピングがありません。"), std::string::npos) << r.err;
  EXPECT_TRUE(ReadAll(mxf) == silenced);
  EXPECT_FALSE(before == silenced);
}

TEST_F(RewrapCli, RefusalsLeaveTheFileUntouched) {
  const std::string before = ReadAll(mxf);
  WriteWav(dir.path / "st.wav", 2, 24, 1920, 0x200000);
  WriteWav(dir.path / "cd.wav", 1, 16, 1920, 0x2000, 44100);
  WriteWav(dir.path / "mono.wav", 1, 24, 1920, 0x2000);
  WriteWav(dir.path / "poly6.wav", 6, 24, 1920, 0x2000);
  const std::string poly = (dir.path / "poly6.wav").string();
#if !defined(_WIN32)
  ASSERT_EQ(mkfifo((dir.path / "fifo.wav").c_str(), 0600), 0);  // never opened, so never waited on
#endif

  struct Case {
    std::string args;
    int status;
    std::string text;
    std::string causePath = "";  // the file of the OS cause a --json refusal names
  } cases[] = {
      {"--in 00:59:59:24 --out 01:00:00:05 --silence 1 --yes", 1, "メディアの開始タイムより前になっています。"},
      {"--in 01:00:00:05 --out 01:00:01:05 --silence 1 --yes", 1, "メディアの終了タイムを越えています。"},
      {"--in 01:00:00:10 --out 01:00:00:05 --silence 1 --yes", 1, "入力データがINポイントよりも前になっています。"},
      // Whole labels only, at the file's rate (25 fps here); the desktop
      // entry's digit fill would have read each of these as some frame.
      {"--in 01:00:00:99 --out 01:00:00:05 --silence 1 --yes", 2, "01:00:00:99 はこのファイル(25 NDF)にはない値です。"},
      {"--in 0:0:1:0 --out 01:00:00:05 --silence 1 --yes", 2, "IN: タイムコードを読み取れません: 0:0:1:0"},
      {"--in 01:00:00 --out 01:00:00:05 --silence 1 --yes", 2, "IN: タイムコードを読み取れません: 01:00:00"},
      {"--in start --out 01:00:00:05 --silence 1 --yes", 2, "IN: タイムコードを読み取れません: start"},
      {"--in -5 --out 01:00:00:05 --silence 1 --yes", 2, "IN: タイムコードを読み取れません: -5"},
      {"--in '01:00:00:01 junk' --out 01:00:00:05 --silence 1 --yes", 2, "01:00:00:01 junk"},
      {"--in 01:00:00:01 --out 01-00-00-05 --silence 1 --yes", 2, "OUT: タイムコードを読み取れません: 01-00-00-05"},
      // Two options on one track: refused whatever their order, naming both.
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + (dir.path / "st.wav").string() + " --track 2=" +
           (dir.path / "mono.wav").string() + " --yes", 2, "と同時には指定できません"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 2=" + (dir.path / "mono.wav").string() + " --track 1=" +
           (dir.path / "st.wav").string() + " --yes", 2, "--track 1=" + (dir.path / "st.wav").string() + " はステレオ"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 3=" + (dir.path / "mono.wav").string() + " --track 3=" +
           (dir.path / "st.wav").string() + " --yes", 2, "が同じトラック3を指定しています。"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 3=" + (dir.path / "mono.wav").string() + " --silence 3 --yes", 2,
       "--track 3=" + (dir.path / "mono.wav").string() + " と --silence 3 が同じトラック3"},
      {"--in 01:00:00:01 --out 01:00:00:05 --silence 2 --silence 2 --yes", 2, "--silence 2 と --silence 2"},
      // Every input is checked before the file is opened for writing.
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + (dir.path / "none.wav").string() + " --yes", 1,
       "WAVファイルが見つかりません: " + Shown(dir.path / "none.wav"), Shown(dir.path / "none.wav")},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + dir.path.string() + " --yes", 1,
       "WAVファイルではなくフォルダです: " + Shown(dir.path)},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + (dir.path / "fifo.wav").string() + " --yes", 1,
       "通常のファイルではないため読み込めません"},
      {"--in 01:00:00:01 --out 01:00:00:05 --silence 1 --log-encoding NO-SUCH-CODE --yes", 2, "--log-encoding"},
      {"--in 01:00:00:01 --out 01:00:00:05 --silence 1 --log " + (dir.path / "no" / "log.txt").string() + " --yes", 1,
       "詳細ログを作成できません: " + Shown(dir.path / "no" / "log.txt"), Shown(dir.path / "no" / "log.txt")},
      {"--in 01:00:00:01 --out 01:00:00:05 --yes", 1, "トラックスイッチが全てOFFになっています。"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 2=" + (dir.path / "st.wav").string() + " --yes", 1,
       "ステレオファイルを、偶数トラックに割当てることはできません。"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + (dir.path / "cd.wav").string() + " --yes", 1, ""},
      {"--in 01:00:00:01 --out 01:00:00:05 --silence 9 --yes", 1, "トラックがありません"},
      {"--in 01:00:00:01 --out 01:00:00:05 --silence 1", 2, "--yes"},
      {"--in 01:00:00:01 --silence 1 --yes", 2, "--out"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1 --yes", 2, "--track"},
      // A multichannel file names its channels; the refusal shows both forms.
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + poly + " --yes", 1,
       "6チャンネルのファイルです。書込むチャンネルを指定してください。\nチャンネル1から順にトラック1から: --track 1-4=poly6.wav\n"
       "1つのチャンネル(例: チャンネル2)だけ: --track 1=poly6.wav:2"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1-6=" + poly + " --yes", 1,
       "割当てるチャンネルが最後のトラック(トラック4)を越えます。"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 2=" + poly + ":7 --yes", 1,
       "このファイルにチャンネル7はありません(6チャンネルのファイルです)。"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 2-4=" + poly + ":5 --yes", 1, "チャンネル7はありません"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + (dir.path / "mono.wav").string() + ":1 --yes", 1,
       "チャンネルを指定できるのは3チャンネル以上のファイルだけです。"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1-3=" + poly + " --track 3=" + (dir.path / "mono.wav").string() +
           " --yes", 2, "が同じトラック3を指定しています。"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 2-1=" + poly + " --yes", 2, "--track には N=WAV"},
      {"--in 01:00:00:01 --out 01:00:00:05 --track 1=" + poly + ":0 --yes", 2, "--track には N=WAV"},
  };
  for (const Case& c : cases) {
#if defined(_WIN32)
    if (c.args.find("fifo.wav") != std::string::npos) continue;  // Windows folders hold no FIFOs
#endif
    const CliResult r = RunCli(Args(c.args), dir.path);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.text), std::string::npos) << c.args << "\n" << r.err;
    // With --json: the same refusal as one object on standard output,
    // with the real code and no facts the refusal left unknown.
    const CliResult j = RunCli(Args(c.args + " --json"), dir.path);
    EXPECT_EQ(j.status, c.status) << c.args << "\n" << j.err;
    const jsontest::Value v = ParseJson(j.out);
    EXPECT_EQ(v["command"].text, "rewrap") << c.args;
    EXPECT_EQ(v["result"]["exit_status"].number, c.status) << c.args;
    EXPECT_NE(v["result"]["code"].number, 0) << c.args;
    EXPECT_NE(v["result"]["message"].text.find(c.text), std::string::npos) << c.args << "\n" << j.out;
    EXPECT_EQ(v["result"]["cause"]["path"].text, c.causePath) << c.args << "\n" << j.out;
    EXPECT_FALSE(v.Has("journal") || v.Has("loudness") || v.Has("bytes_verified")) << c.args << "\n" << j.out;
  }
  EXPECT_TRUE(ReadAll(mxf) == before);
}

TEST_F(RewrapCli, TellsThePlanAndWhereAShortWavRunsOut) {
  WriteWav(dir.path / "short.wav", 1, 24, 1920 * 2 + 5, 0x100000);
  const std::string wav = (dir.path / "short.wav").string();
  CliResult r = RunCli(Args("--in 01:00:00:10 --out 01:00:00:14 --track 1=" + wav + " --silence 3 --yes"), dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("IN  01:00:00:10 (フレーム 90010)\nOUT 01:00:00:14 (フレーム 90014)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("トラック1: " + Shown(wav) + "\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("トラック3: 無音"), std::string::npos) << r.err;
  // Two frames and 5 samples: frame 12 is the first with silence in it.
  EXPECT_NE(r.err.find("トラック1: " + Shown(wav) + " は範囲より短いため、01:00:00:12 から無音を書込みます。"), std::string::npos)
      << r.err;

  r = RunCli(Args("--in 01:00:00:10 --out 01:00:00:14 --track 1=" + wav + " --json --yes"), dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  // One object: the plan, every track of the file, and the outcome.
  const jsontest::Value v = ParseJson(r.out);
  EXPECT_EQ(r.out.substr(r.out.find("\"range\""), r.out.find(",\"journal\"") - r.out.find("\"range\"")),
            "\"range\":{\"in\":{\"timecode\":\"01:00:00:10\",\"frame\":90010},\"out\":{\"timecode\":\"01:00:00:14\","
            "\"frame\":90014},\"frames\":5},\"tracks\":[{\"track\":1,\"source\":\"wav\",\"wav\":\"" +
                JsonText(Shown(wav)) + "\",\"channel\":0,\"bits\":24,\"silence_from\":\"01:00:00:12\"},"
            "{\"track\":2,\"source\":\"untouched\"},{\"track\":3,\"source\":\"untouched\"},"
            "{\"track\":4,\"source\":\"untouched\"}]");
  EXPECT_EQ(v["result"]["code"].number, 0);
  EXPECT_NE(v["result"]["message"].text.find("ラッピングが完了しました。"), std::string::npos) << r.out;
  EXPECT_GT(v["timings"]["total_seconds"].number, 0);
}

// The rewrap holds the MXF file locked from before its analysis to the end
// of the write; analyses share the file, and WAV files are read shared.
// velmora-cli run while this process reads `held` (a shared open, as
// another program reading it would); the exit status.
int RunHeld(const std::filesystem::path& held, const std::string& args, const std::filesystem::path& dir) {
  const plat::File reader =
      plat::File::Open(plat::Utf8ToUtf16(held.generic_string()), plat::Access::Read, plat::Share::Shared);
  if (!reader.valid()) return -1;
  const CliResult r = RunCli(args, dir);
  std::ofstream(dir / "held.err", std::ios::binary) << r.err;
  return r.status;
}

#if !defined(_WIN32)
// velmora-cli run with a file-size limit of `bytes`; the exit status, its
// streams in held.out and held.err.
int RunLimited(long bytes, const std::string& args, const std::filesystem::path& dir) {
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(bytes);
  ::setrlimit(RLIMIT_FSIZE, &small);  // the child inherits it
  ::signal(SIGXFSZ, SIG_IGN);
  const CliResult r = RunCli(args, dir);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::ofstream(dir / "held.out", std::ios::binary) << r.out;
  std::ofstream(dir / "held.err", std::ios::binary) << r.err;
  return r.status;
}
#endif

TEST_F(RewrapCli, LocksTheFileAndSharesTheWavs) {
  WriteWav(dir.path / "a.wav", 1, 24, 1920, 0x100000);
  const std::string before = ReadAll(mxf);
  EXPECT_EQ(RunHeld(mxf, "analyze " + mxf.string(), dir.path), 0) << "an analysis refused another's";
  EXPECT_EQ(RunHeld(mxf, Args("--in 01:00:00:01 --out 01:00:00:05 --silence 1 --yes"), dir.path), 1);
  EXPECT_NE(ReadAll(dir.path / "held.err").find("MXFファイルをロードできません。"), std::string::npos);
  EXPECT_TRUE(ReadAll(mxf) == before);
  // A WAV another program reads is still usable.
  EXPECT_EQ(RunHeld(dir.path / "a.wav",
                    Args("--in 01:00:00:01 --out 01:00:00:01 --track 1=" + (dir.path / "a.wav").string() + " --yes"),
                    dir.path),
            0);
}

// A journal that cannot be written (a 50 KB file-size limit) stops the
// rewrap before the MXF file changes; the failure names the journal and the
// system's cause, from inside the engine, on both I/O methods.
TEST_F(RewrapCli, JournalWriteFailureNamesTheOsCause) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no per-process file-size limit to make the journal's write fail";
#else
  const std::string before = ReadAll(mxf);
  const std::string journal = mxf.string() + ".velmora-undo";
  for (const char* io : {"mmap", "file"}) {
    const int status =
        RunLimited(100 * 512,
                   Args(std::string("--in 01:00:00:00 --out 01:00:00:19 --silence 1 --silence 2 --yes --json --io ") + io),
                   dir.path);
    EXPECT_EQ(status, 1) << io;
    const std::string err = ReadAll(dir.path / "held.err");
    const int code = (std::string(io) == "mmap" ? 2000 : 3000) + 17;  // the journal failed
    const std::string line = journal + ": File too large (errno 27), code ";
    EXPECT_NE(err.find(line), std::string::npos) << io << "\n" << err;
    const std::string out = ReadAll(dir.path / "held.out");
    EXPECT_NE(out.find("\"cause\":{\"path\":\"" + journal + "\",\"os_error\":27,\"os_text\":\"File too large\"}"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"code\":" + std::to_string(code)), std::string::npos) << out;
    // The one object keeps the plan beside the failure.
    EXPECT_EQ(ParseJson(out)["tracks"][1]["source"].text, "silence") << out;
    EXPECT_TRUE(ReadAll(mxf) == before) << io;
    std::filesystem::remove(journal);
  }
#endif
}

TEST(RewrapCliDropFrame, ASkippedLabelIsRefusedWithTheNextOne) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frameRateClass = 6;  // 29.97
  opt.dropFrame = true;
  opt.frames = 120;
  opt.tracks = 2;
  opt.startFrame = 1798;  // 00:00:59;28 drop frame
  const auto mxf = dir.path / "df.mxf";
  ASSERT_EQ(MakeMxf(mxf, opt), "");
  const std::string before = ReadAll(mxf);
  const CliResult r = RunCli("rewrap " + mxf.string() + " --in '00:01:00;00' --out '00:01:01;00' --silence 1 --yes",
                             dir.path);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("00:01:00;00 は存在しません。\n次の有効なタイムコードは 00:01:00.02 です。"), std::string::npos)
      << r.err;
  EXPECT_TRUE(ReadAll(mxf) == before);
  // The first label of the minute, written with any frame separator.
  EXPECT_EQ(RunCli("rewrap " + mxf.string() + " --in 00:01:00,02 --out 00:01:00.05 --silence 1 --yes", dir.path).status,
            0);
}

TEST_F(RewrapCli, StereoFillsAPairAndBothEnginesAgree) {
  WriteWav(dir.path / "st.wav", 2, 24, 1920 * 2, 0x300000);
  const std::filesystem::path copy = dir.path / "copy.mxf";
  std::filesystem::copy_file(mxf, copy);
  const std::string wav = (dir.path / "st.wav").string();
  ASSERT_EQ(RunCli(Args("--in 01:00:00:00 --out 01:00:00:01 --track 3=" + wav + " --io file --yes"), dir.path).status, 0);
  ASSERT_EQ(RunCli("rewrap " + copy.string() + " --in 01:00:00:00 --out 01:00:00:01 --track 3=" + wav + " --io mmap --yes",
                   dir.path).status,
            0);
  const std::string a = ReadAll(mxf);
  EXPECT_TRUE(a == ReadAll(copy));
  // Channel 0 to track 3, channel 1 to track 4.
  EXPECT_EQ(Sample24(a, layout.Sound(1, 2).valueOffset), 0x300000u + 1920 * 8);
  EXPECT_EQ(Sample24(a, layout.Sound(1, 3).valueOffset), 0x300000u + 1920 * 8 + 1);
}

// Channels of a multichannel file into consecutive tracks and one chosen
// channel into another; both engines write the same bytes.
TEST_F(RewrapCli, MultichannelFileFeedsChosenChannelsAndBothEnginesAgree) {
  WriteWav(dir.path / "poly8.wav", 8, 16, 1920 * 2, 0x3000);
  const std::filesystem::path copy = dir.path / "copy.mxf";
  std::filesystem::copy_file(mxf, copy);
  const std::string wav = (dir.path / "poly8.wav").string();
  const std::string tracks = " --in 01:00:00:00 --out 01:00:00:01 --track 1-3=" + wav + " --track 4=" + wav + ":8 --yes";
  const CliResult r = RunCli(Args(tracks + " --io file --json"), dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  const jsontest::Value v = ParseJson(r.out);
  for (const auto& [index, channel] : {std::pair{2, 2}, std::pair{3, 7}}) {
    const jsontest::Value& t = v["tracks"][static_cast<size_t>(index)];
    EXPECT_EQ(t["track"].number, index + 1);
    EXPECT_EQ(t["source"].text, "wav");
    EXPECT_EQ(t["wav"].text, wav);
    EXPECT_EQ(t["channel"].number, channel);
    EXPECT_EQ(t["channels"].number, 8);
    EXPECT_EQ(t["bits"].number, 16);
  }
  const CliResult m = RunCli("rewrap " + copy.string() + tracks + " --io mmap", dir.path);
  ASSERT_EQ(m.status, 0) << m.err;
  EXPECT_NE(m.err.find("トラック4: " + wav + " (チャンネル8 / 8チャンネル)"), std::string::npos) << m.err;
  const std::string a = ReadAll(mxf);
  EXPECT_TRUE(a == ReadAll(copy));
  // 16 bits widened into the upper bytes of each 24-bit sample.
  for (int track = 0; track < 4; ++track) {
    const uint32_t channel = track < 3 ? static_cast<uint32_t>(track) : 7;
    EXPECT_EQ(Sample24(a, layout.Sound(1, track).valueOffset + 3 * 5),
              ((0x3000u + (1920 + 5) * 8 + channel) & 0xFFFF) << 8) << "track " << track + 1;
  }
}

}  // namespace
