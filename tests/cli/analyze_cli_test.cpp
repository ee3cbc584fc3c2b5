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
    EXPECT_NE(r.out.find("\"loadable\":true"), std::string::npos);
    EXPECT_NE(r.out.find("\"code\":0"), std::string::npos);
    EXPECT_NE(r.out.find("\"start\":\"01:00:00.00\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"drop_frame\":true"), std::string::npos);
    EXPECT_NE(r.out.find("\"entry_count\":60"), std::string::npos);
    EXPECT_NE(r.out.find("\"tracks\":4"), std::string::npos);
    EXPECT_NE(r.out.find("\"bits_per_sample\":16"), std::string::npos);
    EXPECT_NE(r.out.find("\"frame_rate\":\"29.97\""), std::string::npos);
    EXPECT_NE(r.out.find("\"tc_base\":30,"), std::string::npos) << "the base, not the table index";
    EXPECT_EQ(r.out.rfind("{\"schema\":1,\"tool\":\"velmora-cli\",\"version\":\"", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\"timecode_errors\":[]"), std::string::npos);
    // Exactly one JSON object on one line.
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
  }
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
  EXPECT_NE(r.out.find("\"loadable\":false"), std::string::npos);
  EXPECT_NE(r.out.find("\"code\":1009"), std::string::npos);
  EXPECT_NE(r.out.find("{\"index\":9,\"occurrence\":\"01:00:00:09\",\"resume\":\"01:00:00:11\",\"kind\":\"inc\"}"),
            std::string::npos)
      << r.out;
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
  EXPECT_NE(r.out.find("\"code\":306"), std::string::npos);
  EXPECT_NE(r.out.find("\"section\":\"PreFace set\""), std::string::npos);
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
  EXPECT_NE(missingJson.out.find("\"result\":{\"code\":1,\"exit_status\":1,"), std::string::npos) << missingJson.out;
#if defined(_WIN32)
  EXPECT_NE(missingJson.out.find("\",\"os_error\":2,\"os_text\":\"" + plat::DescribeError(2) + "\"}"),
            std::string::npos)
      << missingJson.out;
#else
  EXPECT_NE(missingJson.out.find("\"cause\":{\"path\":\"" + (dir.path / "none.mxf").string() +
                                 "\",\"os_error\":2,\"os_text\":\"No such file or directory\"}"),
            std::string::npos)
      << missingJson.out;
#endif
  for (const char* invented : {"\"size\"", "\"frame_rate\"", "\"entry_count\"", "\"timecode\""}) {
    EXPECT_EQ(missingJson.out.find(invented), std::string::npos) << invented;
  }

  EXPECT_EQ(RunCli("analyze " + dir.path.string(), dir.path).status, 1);

  std::FILE* f = std::fopen((dir.path / "empty.mxf").string().c_str(), "wb");
  std::fclose(f);
  const CliResult empty = RunCli("analyze " + (dir.path / "empty.mxf").string(), dir.path);
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("Randam Index Table"), std::string::npos) << empty.err;
}

}  // namespace
