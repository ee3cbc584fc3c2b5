// velmora-cli analyze end to end: exit statuses, the JSON object, the
// timecode error log.
#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

using namespace clitest;

namespace {

TEST(AnalyzeCli, CleanFileLoadsAndReportsItsFactsAsJson) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frameRateClass = 6;
  opt.dropFrame = true;
  opt.frames = 60;
  opt.tracks = 4;
  opt.bits = 16;
  opt.startFrame = 107892;  // 01:00:00;00 in drop-frame counting
  ASSERT_EQ(MakeMxf(dir.path / "clip.mxf", opt), "");
  for (const char* io : {"mmap", "file"}) {
    const CliResult r = RunCli("analyze " + (dir.path / "clip.mxf").string() + " --json --io " + io, dir.path);
    EXPECT_EQ(r.status, 0) << r.err;
    const jsontest::Value j = ParseJson(r.out);
    EXPECT_TRUE(j["loadable"].boolean);
    EXPECT_EQ(j["result"]["code"].number, 0);
    EXPECT_EQ(j["timecode"]["start"].text, "01:00:00.00");
    EXPECT_TRUE(j["timecode"]["drop_frame"].boolean);
    EXPECT_EQ(j["timecode"]["duration_frames"].number, 60);
    EXPECT_EQ(j["index"]["entry_count"].number, 60);
    EXPECT_EQ(j["audio"]["tracks"].number, 4);
    EXPECT_EQ(j["audio"]["bits_per_sample"].number, 16);
    EXPECT_EQ(j["timecode"]["frame_rate"].text, "29.97");
    EXPECT_EQ(j["timecode"]["tc_base"].number, 30) << "the base, not the table index";
    EXPECT_EQ(j["schema"].number, 1);
    EXPECT_EQ(j["tool"].text, "velmora-cli");
    EXPECT_EQ(j["command"].text, "analyze");
    EXPECT_EQ(j.members.front().first, "schema");
    EXPECT_EQ(j["timecode_errors"].kind, jsontest::Value::Kind::Array);
    EXPECT_TRUE(j["timecode_errors"].items.empty());
  }
}

// Paths with the characters JSON must escape come back exactly as given.
TEST(AnalyzeCli, PathsWithBackslashesQuotesAndTabsRoundTrip) {
  TempDir dir;
#if defined(_WIN32)
  // Windows names cannot hold quotes or tabs; its own separators are the
  // backslashes.
  const std::filesystem::path folder = dir.path / "a dir\\sub & x";
  const std::string name = "c&d.mxf";
#else
  const std::filesystem::path folder = dir.path / "a\\dir \"q\"\tx\\";
  const std::string name = "c\"d.mxf";
#endif
  std::filesystem::create_directories(folder);
  mxfgen::Options opt;
  opt.frames = 10;
  const std::filesystem::path file = folder / name;
  ASSERT_EQ(MakeMxf(file, opt), "");
  // Single quotes keep the shell from reading the backslashes and quotes.
  const CliResult r = RunCli("analyze '" + file.string() + "' --json", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  const jsontest::Value j = ParseJson(r.out);
  EXPECT_EQ(j["path"].text, file.string());
  EXPECT_EQ(j["file"].text, name);
  EXPECT_TRUE(j["loadable"].boolean);
}

TEST(JsonValue, RefusesWhatIsNotJson) {
  jsontest::Value v;
  for (const char* bad : {"{\"a\":\"x\\d\"}", "{\"a\":\"tab\there\"}", "{\"a\":1,}", "{\"a\":01}",
                          "{\"a\":\"\\ud800\"}", "[1] [2]", "{\"a\" 1}", "\"open"}) {
    EXPECT_FALSE(jsontest::Parse(bad, &v)) << bad;
  }
  ASSERT_TRUE(jsontest::Parse(" {\"a\":[true,null,-1.5e3],\"b\":\"\\\"\\\\\\/\\u00e9\\ud83d\\ude00\"} ", &v));
  EXPECT_EQ(v["a"][2].number, -1500);
  EXPECT_EQ(v["b"].text, "\"\\/\u00e9\U0001F600");
}

TEST(AnalyzeCli, TimecodeErrorsExitThreeAndWriteTheLogOnRequest) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frameRateClass = 1;
  opt.frames = 50;
  opt.startFrame = 90000;  // 01:00:00:00 at 25 fps
  opt.timecodeFaults = {{10, mxfgen::TimecodeFaultKind::Jump}};
  ASSERT_EQ(MakeMxf(dir.path / "bad.mxf", opt), "");
  const auto log = dir.path / "errors.txt";
  const CliResult r = RunCli("analyze " + (dir.path / "bad.mxf").string() + " --json --error-log " +
                                 log.string() + " --log-encoding CP932",
                             dir.path);
  EXPECT_EQ(r.status, 3) << r.err;
  const jsontest::Value j = ParseJson(r.out);
  EXPECT_FALSE(j["loadable"].boolean);
  EXPECT_EQ(j["result"]["code"].number, 1009);
  ASSERT_EQ(j["timecode_errors"].items.size(), 1u) << r.out;
  const jsontest::Value& e = j["timecode_errors"][0];
  EXPECT_EQ(e["index"].number, 9);
  EXPECT_EQ(e["occurrence"].text, "01:00:00:09");
  EXPECT_EQ(e["resume"].text, "01:00:00:11");
  EXPECT_EQ(e["kind"].text, "inc");
  const std::string text = ReadAll(log);
  ASSERT_FALSE(text.empty());
  // CP932: "LTC" then エ (0x83 0x47); CR LF line ends and no byte-order mark.
  EXPECT_EQ(text.rfind("LTC\x83\x47", 0), 0u);
  EXPECT_NE(text.find("01:00:00:09  01:00:00:11  00:00:00:09  inc\r\n"), std::string::npos);
}

TEST(AnalyzeCli, CleanFileWritesNoErrorLog) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frames = 20;
  ASSERT_EQ(MakeMxf(dir.path / "ok.mxf", opt), "");
  const auto log = dir.path / "errors.txt";
  const CliResult r = RunCli("analyze " + (dir.path / "ok.mxf").string() + " --error-log " + log.string(), dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_NE(r.out.find("Tracks       : 8"), std::string::npos) << r.out;
}

TEST(AnalyzeCli, RefusedFileExitsOneWithTheRunnersMessage) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frames = 10;
  opt.opQualifier = 0x00;
  ASSERT_EQ(MakeMxf(dir.path / "atom.mxf", opt), "");
  const CliResult r = RunCli("analyze " + (dir.path / "atom.mxf").string() + " --json", dir.path);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("オペレーショナルパターンが op1a ではないため読込めません。"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("処理セクション: PreFace set"), std::string::npos);
  const jsontest::Value j = ParseJson(r.out);
  EXPECT_EQ(j["result"]["code"].number, 306);
  EXPECT_EQ(j["result"]["section"].text, "PreFace set");
  EXPECT_NE(j["result"]["message"].text.find("オペレーショナルパターンが op1a ではないため読込めません。"),
            std::string::npos);
}

TEST(AnalyzeCli, BadInputsAreRefusedCleanly) {
  TempDir dir;
  EXPECT_EQ(RunCli("analyze", dir.path).status, 2);
  EXPECT_EQ(RunCli("analyze x.mxf --io disk", dir.path).status, 2);
  EXPECT_EQ(RunCli("analyze x.mxf --bogus", dir.path).status, 2);
  EXPECT_EQ(RunCli("frobnicate", dir.path).status, 2);

  const CliResult missing = RunCli("analyze " + (dir.path / "none.mxf").string(), dir.path);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("MXFファイルをロードできません。"), std::string::npos) << missing.err;
#if defined(_WIN32)
  // The system's text for ERROR_FILE_NOT_FOUND (2), whatever its language.
  const std::string notFound = plat::DescribeError(2) + " (error 2), code 1";
#else
  const std::string notFound = "No such file or directory (errno 2), code 1";
#endif
  EXPECT_NE(missing.err.find(Shown(dir.path / "none.mxf") + ": " + notFound), std::string::npos) << missing.err;
  // A failure is still one JSON object, with the real code and the OS cause
  // and without facts nobody read (no size, frame rate or frame count).
  const CliResult missingJson = RunCli("analyze " + (dir.path / "none.mxf").string() + " --json", dir.path);
  EXPECT_EQ(missingJson.status, 1);
  const jsontest::Value j = ParseJson(missingJson.out);
  EXPECT_EQ(j["result"]["code"].number, 1);
  EXPECT_EQ(j["result"]["exit_status"].number, 1);
  EXPECT_EQ(j["result"]["cause"]["path"].text, Shown(dir.path / "none.mxf"));
  EXPECT_EQ(j["result"]["cause"]["os_error"].number, 2);
#if defined(_WIN32)
  EXPECT_EQ(j["result"]["cause"]["os_text"].text, plat::DescribeError(2));
#else
  EXPECT_EQ(j["result"]["cause"]["os_text"].text, "No such file or directory");
#endif
  for (const char* invented : {"size", "timecode", "index", "audio", "video"}) {
    EXPECT_FALSE(j.Has(invented)) << invented;
  }

  EXPECT_EQ(RunCli("analyze " + dir.path.string(), dir.path).status, 1);

  std::FILE* f = std::fopen((dir.path / "empty.mxf").string().c_str(), "wb");
  std::fclose(f);
  const CliResult empty = RunCli("analyze " + (dir.path / "empty.mxf").string(), dir.path);
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("Randam Index Table"), std::string::npos) << empty.err;
}

}  // namespace
