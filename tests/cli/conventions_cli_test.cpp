// velmora-cli conventions through the built binary: --version, help,
// --opt=value, --lang and the locale, --quiet, --progress=plain, and which
// stream each kind of line goes to.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

#include "resources/version.h"
#include "tests/cli/cli_runner.h"

using namespace clitest;

namespace {

struct ConventionsCli : ::testing::Test {
  TempDir dir;
  std::filesystem::path mxf;
  void SetUp() override {
    mxfgen::Options opt;
    opt.frameRateClass = 1;  // 25 fps
    opt.frames = 30;
    opt.tracks = 2;
    opt.startFrame = 90000;  // 01:00:00:00
    mxf = dir.path / "master.mxf";
    ASSERT_EQ(MakeMxf(mxf, opt), "");
  }
};

TEST_F(ConventionsCli, VersionHelpAndUsageErrors) {
  const std::string version = std::string("velmora-cli ") + kVersionText + "\n";
  struct Case {
    std::string args;
    int status;
    bool onStdout;       // where `text` must appear
    std::string text;
  } cases[] = {
      {"--version", 0, true, version},
      {"-V", 0, true, version},
      {"help --lang en", 0, true, "Commands:\n  analyze"},
      {"--help --lang en", 0, true, "Exit status: 0 done, 1 refused or failed, 2 usage error"},
      {"rewrap --help --lang en", 0, true, "  --buffer ROW         WAV read buffer"},
      {"rewrap --help --lang en", 0, true, "7: 12  8: 16  9: 18  10: 22  11: 24  12: 30  13: 40"},
      {"help rewrap --lang en", 0, true, "HH:MM:SS:FF"},
      {"export --help --lang=en", 0, true, "  --io mmap|file       I/O method"},
      {"analyze --help --lang ja", 0, true, "使い方: velmora-cli analyze FILE"},
      {"analyze --help --lang ja", 0, true, "終了ステータス: 0 完了"},
      {"analyze x.mxf --bogus --lang en", 2, false, "velmora-cli analyze: unknown option --bogus\nusage:"},
      {"analyze x.mxf --json=1 --lang en", 2, false, "--json takes no value"},
      {"analyze x.mxf --lang fr", 2, false, "--lang には en か ja を指定します ('fr' は使えません)"},
      {"analyze x.mxf --progress=loud", 2, false, "--progress には bar か plain を指定します"},
      {"analyze x.mxf --progress=loud --lang en", 2, false, "--progress takes bar or plain"},
      {"loudness --lang en", 2, false, "FILE is missing\nusage: velmora-cli loudness FILE"},
      {"undo --lang ja", 2, false, "FILE が指定されていません\n使い方: velmora-cli undo FILE"},
      {"frobnicate --lang en", 2, false, "unknown command 'frobnicate'"},
      // Refused before any job, asked for JSON: one object all the same.
      {"undo --json --lang en", 2, true, "{\"schema\":1,\"tool\":\"velmora-cli\",\"version\":\"" +
           std::string(kVersionText) + "\",\"command\":\"undo\",\"result\":{\"code\":2,\"exit_status\":2,"
           "\"message\":\"FILE is missing\",\"cause\":null}}\n"},
      {"analyze x.mxf --bogus --json --lang en", 2, true, "\"message\":\"unknown option --bogus\""},
      {"analyze x.mxf --json --lang fr", 2, true, "\"command\":\"analyze\",\"result\":{\"code\":2"},
      {"--lang fr rewrap x.mxf --json", 2, true, "\"command\":\"rewrap\",\"result\":{\"code\":2"},
      {"analyze . --json --lang en", 1, true, "\"result\":{\"code\":1,\"exit_status\":1,\"message\":\"velmora-cli analyze: "},
      {"loudness x.mxf --in 01:00:00:00 --json --lang en", 2, true, "\"path\":\""},
      {"rewrap x.mxf --in 01:00:00:00 --out 01:00:00:01 --json --lang en", 2, true, "\"message\":\"no terminal to confirm the backup question: pass --yes"},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli(c.args, dir.path);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    const std::string& stream = c.onStdout ? r.out : r.err;
    EXPECT_NE(stream.find(c.text), std::string::npos) << c.args << "\n" << stream;
    if (c.status == 0) {
      EXPECT_EQ(r.err, "") << c.args;
    } else if ((" " + c.args + " ").find(" --json ") != std::string::npos) {
      EXPECT_NE(ParseJson(r.out)["result"]["code"].number, 0) << c.args;
    }
  }
}

TEST_F(ConventionsCli, LanguageComesFromTheOptionOrTheLocale) {
  const std::string missing = (dir.path / "none.mxf").string();
#if defined(_WIN32)
  // The system's own text for ERROR_FILE_NOT_FOUND (FormatMessage).
  const std::string cause = Shown(missing) + ": " + plat::DescribeError(2) + " (error 2), code 1";
#else
  const std::string cause = missing + ": No such file or directory (errno 2), code 1";
#endif
  struct Case {
    std::string env;
    std::string lang;
    const char* text;
  } cases[] = {
      {"LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8", "", "MXFファイルをロードできません。"},
      {"LC_ALL= LC_MESSAGES= LANG=C.UTF-8", "", "Cannot load the MXF file."},
      {"LC_ALL= LC_MESSAGES=ja_JP.UTF-8 LANG=C", "", "MXFファイルをロードできません。"},
      {"LC_ALL=en_US.UTF-8 LC_MESSAGES=ja_JP.UTF-8 LANG=ja_JP.UTF-8", "", "Cannot load the MXF file."},
      {"LC_ALL= LC_MESSAGES= LANG=", "", "Cannot load the MXF file."},
      {"LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8", " --lang en", "Cannot load the MXF file."},
      {"LC_ALL= LC_MESSAGES= LANG=C", " --lang=ja", "MXFファイルをロードできません。"},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli("analyze " + missing + c.lang, dir.path, "", c.env);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.text), std::string::npos) << c.env << c.lang << "\n" << r.err;
    EXPECT_NE(r.err.find(cause), std::string::npos) << r.err;
  }
  // The runner's own messages follow the language too.
  const CliResult en = RunCli("rewrap " + mxf.string() + " --in 01:00:00:00 --out 01:00:00:01 --silence 1 --yes --lang en",
                              dir.path);
  ASSERT_EQ(en.status, 0) << en.err;
  EXPECT_NE(en.err.find("The rewrap is complete."), std::string::npos) << en.err;
  const CliResult refused = RunCli("rewrap " + mxf.string() + " --in 00:59:59:24 --out 01:00:00:01 --silence 1 --yes "
                                   "--lang en",
                                   dir.path);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("IN: It lies before the start of the media."), std::string::npos) << refused.err;
}

TEST_F(ConventionsCli, OptionValuesWithEqualsStreamsQuietAndPlainProgress) {
  const std::string log = (dir.path / "log.txt").string();
  const CliResult r = RunCli("rewrap " + mxf.string() +
                                 " --in=01:00:00:02 --out=01:00:00:04 --silence=2 --io=file --yes --progress=plain"
                                 " --log=" + log,
                             dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, mxf.string() + "\n") << "only the result on standard output";
  EXPECT_TRUE(std::filesystem::exists(log));
  // Verification of 30 frames, then the 3 frames of the range; the last
  // line of each names the last frame done.
  const std::regex line("progress frames_done=(\\d+) frames_total=(\\d+) timecode=(\\d\\d:\\d\\d:\\d\\d:\\d\\d)");
  std::vector<std::string> last;
  int lines = 0;
  for (auto it = std::sregex_iterator(r.err.begin(), r.err.end(), line); it != std::sregex_iterator(); ++it) {
    ++lines;
    last.push_back((*it)[0]);
  }
  ASSERT_GE(lines, 2) << r.err;
  EXPECT_NE(std::find(last.begin(), last.end(), "progress frames_done=30 frames_total=30 timecode=01:00:01:04"),
            last.end())
      << r.err;
  EXPECT_EQ(last.back(), "progress frames_done=3 frames_total=3 timecode=01:00:00:04") << r.err;
  EXPECT_EQ(r.err.find('\r'), std::string::npos) << "no terminal bar when standard error is a file";

  const CliResult quiet = RunCli("rewrap " + mxf.string() + " --in 01:00:00:02 --out 01:00:00:04 --silence 2 --yes"
                                 " --quiet --log " + log,
                                 dir.path);
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "") << "--quiet leaves only results and errors";
  EXPECT_EQ(quiet.out, mxf.string() + "\n");
}

// The field names of the example block after "<!-- example: NAME -->" in
// docs/cli-json.md.
std::set<std::string> DocumentedFields(const std::string& name) {
  const std::string doc = ReadAll(std::filesystem::path(VELMORA_SOURCE_DIR) / "docs" / "cli-json.md");
  const size_t marker = doc.find("<!-- example: " + name + " -->");
  if (marker == std::string::npos) return {};
  const size_t begin = doc.find("```json", marker);
  const size_t end = doc.find("```", begin + 7);
  const std::string block = doc.substr(begin, end - begin);
  std::set<std::string> fields;
  const std::regex key("\"([a-z_0-9]+)\":");
  for (auto it = std::sregex_iterator(block.begin(), block.end(), key); it != std::sregex_iterator(); ++it) {
    fields.insert((*it)[1]);
  }
  return fields;
}

TEST_F(ConventionsCli, EveryDocumentedJsonFieldIsPresent) {
  // A timecode jump, so that the error rows carry their fields too.
  mxfgen::Options opt;
  opt.frameRateClass = 6;
  opt.frames = 40;
  opt.startFrame = 108000;
  opt.timecodeFaults = {{10, mxfgen::TimecodeFaultKind::Jump}};
  const std::filesystem::path jump = dir.path / "jump.mxf";
  ASSERT_EQ(MakeMxf(jump, opt), "");
  // Folders where the export's second file would go (the plain name and
  // the one it takes when the plain one exists).
  std::filesystem::create_directory(dir.path / "f-2.wav");
  std::filesystem::create_directory(dir.path / "f-2 1.wav");
  // A WAV that runs out after one frame of a five-frame range.
  {
    std::ofstream wav(dir.path / "short.wav", std::ios::binary);
    const uint32_t bytes = 1920 * 3;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) wav.put(static_cast<char>(v >> (8 * i))); };
    auto u16 = [&](uint32_t v) { for (int i = 0; i < 2; ++i) wav.put(static_cast<char>(v >> (8 * i))); };
    wav << "RIFF"; u32(36 + bytes); wav << "WAVEfmt "; u32(16); u16(1); u16(1); u32(48000); u32(144000); u16(3);
    u16(24); wav << "data"; u32(bytes);
    wav << std::string(bytes, '\x10');
  }
  const std::string rewrap = "rewrap " + mxf.string() + " --yes --json --in 01:00:00:10 --out 01:00:00:14 ";
  struct Case {
    const char* example;
    std::string args;
    int status;
  } cases[] = {
      {"refusal", "analyze " + mxf.string() + " --bogus --json", 2},
      {"rewrap", rewrap + "--track 1=" + (dir.path / "short.wav").string() + " --silence 2", 0},
      {"undo", "undo " + mxf.string() + " --json", 0},  // takes the rewrap above back
      {"rewrap-refused", rewrap + "--silence 1 --log " + (dir.path / "none" / "log.txt").string(), 1},
      {"analyze", "analyze " + jump.string() + " --json", 3},
      {"analyze-missing", "analyze " + (dir.path / "none.mxf").string() + " --json", 1},
      {"export", "export " + mxf.string() + " --in 01:00:00:00 --out 01:00:00:09 --tracks 1 --dir " +
                     dir.path.string() + " --json", 0},
      // f-2.wav cannot be created: f-1.wav is left with its header only.
      {"export-failed", "export " + mxf.string() + " --in 01:00:00:00 --out 01:00:00:24 --tracks 1,2 --dir " +
                            dir.path.string() + " --prefix f- --io file --json", 1},
  };
  for (const Case& c : cases) {
    const std::set<std::string> fields = DocumentedFields(c.example);
    ASSERT_GE(fields.size(), 8u) << c.example << ": example missing from docs/cli-json.md";
    const CliResult r = RunCli(c.args, dir.path);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string& f : fields) {
      EXPECT_NE(r.out.find("\"" + f + "\":"), std::string::npos) << c.example << ": " << f << "\n" << r.out;
    }
    // `file` is the name alone; `path` has the folders.
    const size_t file = r.out.find("\"file\":\"");
    ASSERT_NE(file, std::string::npos) << c.example << ": " << r.out;
    const std::string name = r.out.substr(file + 8, r.out.find('"', file + 8) - file - 8);
    EXPECT_EQ(name.find_first_of("/\\"), std::string::npos) << c.example << ": " << r.out;
  }
}

}  // namespace
