// velmora-cli export: exit status, messages and the files it names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "export_fixture.h"
#include "platform/path.h"
#include "platform/text.h"
#include "tests/support/json_value.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace export_test {
namespace {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

class ExportCli : public ::testing::Test {
 protected:
  void SetUp() override {
    mxf = scratch.File("clip.mxf");
    out = scratch.File("out");
    std::filesystem::create_directories(out);
    mxfgen::Options o;
    o.frames = 90;
    o.startFrame = 108000;  // 01:00:00:00 at 29.97
    o.tracks = 8;
    std::string error;
    ASSERT_TRUE(mxfgen::WriteMxf(mxf, o, &layout, &error)) << error;
  }

  static std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  // Runs velmora-cli with `args` (quoted as for a shell); fileSizeLimit > 0
  // gives the child that limit in bytes (POSIX).
  CliResult Cli(const std::string& args, [[maybe_unused]] long fileSizeLimit = 0) {
    const std::string in = scratch.File("stdin.txt"), o = scratch.File("stdout.txt"), e = scratch.File("stderr.txt");
    std::ofstream(in, std::ios::trunc).close();
    // Japanese messages, as on the users' machines.
    const testsupport::EnvOverride all("LC_ALL", std::nullopt), messages("LC_MESSAGES", std::nullopt),
        lang("LANG", std::string("ja_JP.UTF-8"));
    testsupport::ChildProcess child;
#if !defined(_WIN32)
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    if (fileSizeLimit > 0) {
      struct rlimit small = old;
      small.rlim_cur = static_cast<rlim_t>(fileSizeLimit);
      ::setrlimit(RLIMIT_FSIZE, &small);
    }
#endif
    const bool started = child.Start(testsupport::ProgramPath("velmora-cli"), testsupport::SplitShellWords(args), in, o, e);
#if !defined(_WIN32)
    if (fileSizeLimit > 0) ::setrlimit(RLIMIT_FSIZE, &old);
#endif
    CliResult r;
    if (!started) return r;
    r.status = child.Wait();
    r.out = Slurp(o);
    r.err = Slurp(e);
    return r;
  }

  // A path as the CLI prints it (absolute, the system's separators).
  static std::string Shown(const std::string& path) {
    return plat::Utf16ToUtf8(plat::AbsolutePath(plat::Utf8ToUtf16(path)));
  }

  std::string Export(const std::string& extra) {
    return "export " + Quote(mxf) + " --dir " + Quote(out) + " " + extra;
  }

  // The one JSON object of a --json run.
  static jsontest::Value Json(const CliResult& r) {
    jsontest::Value v;
    std::string error;
    EXPECT_TRUE(jsontest::Parse(r.out, &v, &error)) << error << "\n" << r.out;
    return v;
  }

  // ffprobe's reading of a WAV file's BWF time reference; "" without ffprobe.
  static std::string ProbedTimeReference(const std::string& path) {
    if (!testsupport::WhyNoOracle({"ffprobe"}).empty()) return "";
    FILE* p = ::popen(("ffprobe -v error -show_entries format_tags=time_reference -of default=nw=1:nk=1 " +
                       Quote(path) + " 2>/dev/null").c_str(), "r");
    if (p == nullptr) return "";
    std::string text;
    char buf[256];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    ::pclose(p);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  ScratchDir scratch;
  std::string mxf, out;
  mxfgen::Layout layout;
};

TEST_F(ExportCli, WritesTheFilesAndNamesThem) {
  CliResult r = Cli(Export("--in 01:00:00:10 --out 01:00:01:00 --tracks 2,5-6"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Shown(testsupport::Join(out, "Track-2.wav")) + "\n" + Shown(testsupport::Join(out, "Track-5.wav")) + "\n" +
                       Shown(testsupport::Join(out, "Track-6.wav")) + "\n");
  EXPECT_NE(r.err.find("BWFファイルの書出しが完了しました。"), std::string::npos) << r.err;
  // 21 frames at 29.97.
  uint64_t samples = 0;
  for (int f = 10; f <= 30; ++f) samples += layout.frames[static_cast<size_t>(f)].samples;
  EXPECT_EQ(std::filesystem::file_size(testsupport::Join(out, "Track-5.wav")), kBwfHeaderSize + 3 * samples);

  // The names exist now: the run number (1 unless given) goes in front of
  // the extension, through either engine.
  r = Cli(Export("--in 01:00:00:10 --out 01:00:01:00 --tracks 5 --io file --prefix Track-"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Shown(testsupport::Join(out, "Track-5 1.wav")) + "\n");
  EXPECT_EQ(Slurp(testsupport::Join(out, "Track-5 1.wav")), Slurp(testsupport::Join(out, "Track-5.wav")));
  r = Cli(Export("--in 01:00:00:10 --out 01:00:01:00 --tracks 5 --run-number 123 --buffer 0"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Shown(testsupport::Join(out, "Track-5 123.wav")) + "\n");

  // --json: the resolved range, and per file what the file system and
  // ffprobe find in it; nothing on standard output but the object.
  r = Cli(Export("--in 01:00:00:10 --out 01:00:01:00 --tracks 2,5 --prefix j- --json --lang en"));
  ASSERT_EQ(r.status, 0) << r.err;
  jsontest::Value v = Json(r);
  EXPECT_EQ(v["schema"].number, 1);
  EXPECT_EQ(v["command"].text, "export");
  EXPECT_EQ(v["path"].text, mxf);
  EXPECT_EQ(v["range"]["in"]["timecode"].text, "01:00:00:10");
  EXPECT_EQ(v["range"]["in"]["frame"].number, 108010);
  EXPECT_EQ(v["range"]["out"]["timecode"].text, "01:00:01:00");
  EXPECT_EQ(v["range"]["out"]["frame"].number, 108030);
  EXPECT_EQ(v["range"]["frames"].number, 21);
  ASSERT_EQ(v["files"].items.size(), 2u) << r.out;
  for (const jsontest::Value& f : v["files"].items) {
    EXPECT_EQ(f["size"].number, static_cast<double>(std::filesystem::file_size(f["path"].text))) << f["path"].text;
    EXPECT_EQ(f["size"].number, static_cast<double>(kBwfHeaderSize + 3 * samples));
    EXPECT_TRUE(f["complete"].boolean);
    const std::string probed = ProbedTimeReference(f["path"].text);
    if (!probed.empty()) {
      EXPECT_EQ(std::to_string(static_cast<int64_t>(f["time_reference"].number)), probed);
    }
  }
  EXPECT_EQ(v["files"][0]["path"].text, testsupport::Join(out, "j-2.wav"));
  EXPECT_EQ(v["files"][1]["track"].number, 5);
  // 01:00:00:10 at 29.97: 108010 frames of 1601.6 samples.
  EXPECT_EQ(v["files"][0]["time_reference"].number, 172988816);
  EXPECT_GE(v["timings"]["analysis_seconds"].number, 0);
  EXPECT_GE(v["timings"]["export_seconds"].number, 0);
  EXPECT_EQ(v["result"]["code"].number, 0);
  EXPECT_EQ(v["result"]["exit_status"].number, 0);
  EXPECT_EQ(v["result"]["cause"].kind, jsontest::Value::Kind::Null);

  r = Cli(Export("--in 01:00:00:00 --out 01:00:00:00 --tracks all --prefix take_"));
  ASSERT_EQ(r.status, 0) << r.err;
  for (int t = 1; t <= 8; ++t) EXPECT_TRUE(std::filesystem::exists(testsupport::Join(out, "take_" + std::to_string(t) + ".wav")));
}

TEST_F(ExportCli, UsageErrors) {
  const char* cases[] = {
      "--in 01:00:00:00 --out 01:00:00:10 --tracks 9",          // the file has 8 tracks
      "--in 01:00:00:00 --out 01:00:00:10 --tracks 0",
      "--in 01:00:00:00 --out 01:00:00:10 --tracks 3-1",
      "--in 01:00:00:00 --out 01:00:00:10 --tracks two",
      "--in 01:00:00:00 --out 01:00:00:10",                     // no --tracks
      "--in 01:00:00:00 --out 01:00:00:10 --tracks 1 --io disk",
      "--in 01:00:00:00 --out 01:00:00:10 --tracks 1 --buffer 14",
      "--in 01:00:00:00 --out 01:00:00:10 --tracks 1 --run-number -1",
  };
  for (const char* c : cases) {
    const CliResult r = Cli(Export(c));
    EXPECT_EQ(r.status, 2) << c;
    EXPECT_NE(r.err.find("velmora-cli export FILE --in TC --out TC"), std::string::npos) << c;  // the usage line
  }
  CliResult r = Cli(Export("--in 01:00:00:00 --out 01:00:00:10 --tracks 2,9"));
  EXPECT_NE(r.err.find("トラック 9 はありません: このファイルのオーディオトラックは 8 本です"), std::string::npos) << r.err;
  r = Cli("export " + Quote(mxf) + " --dir " + Quote(scratch.File("nowhere")) +
          " --in 01:00:00:00 --out 01:00:00:10 --tracks 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("は既存のフォルダではありません"), std::string::npos) << r.err;
  r = Cli(Export("--in 01:00:00:00 --out 01:00:00:10 --tracks 1 --prefix " + std::string(256, 'p')));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST_F(ExportCli, RangeRefusedWithTheExportDialogsMessages) {
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"--in 00:59:59:29 --out 01:00:00:10", "IN: メディアの開始タイムより前になっています。"},
      {"--in 01:00:00:00 --out 01:00:03:00", "OUT: メディアの終了タイムを越えています。"},
      {"--in 01:00:00:10 --out 01:00:00:09", "OUT: OUTポイントがINポイントよりも前になっています。"},
  };
  for (const auto& c : cases) {
    const CliResult r = Cli(Export(std::string(c.args) + " --tracks 1"));
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST_F(ExportCli, RefusedFileAndFailedWrite) {
  // A file the analysis refuses: the runner's load message.
  mxfgen::Options o;
  o.frames = 10;
  o.omit.index = true;
  std::string error;
  const std::string bad = scratch.File("noindex.mxf");
  ASSERT_TRUE(mxfgen::WriteMxf(bad, o, nullptr, &error)) << error;
  CliResult r = Cli("export " + Quote(bad) + " --dir " + Quote(out) + " --in 00:00:00:00 --out 00:00:00:05 --tracks 1");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("インデックス・テーブルが見つかりません。"), std::string::npos) << r.err;

  // A write that fails (a file-size limit of 100 KB): the runner's message
  // and the files left incomplete.
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no per-process file-size limit to make a write fail";
#endif
  r = Cli(Export("--in 01:00:00:00 --out 01:00:02:29 --tracks 1,2"), 200 * 512);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("書出し途中のファイルは不完全です。"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ERR: 4015"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("書出し途中で終わったファイル:\n" + Shown(testsupport::Join(out, "Track-1.wav")) + "\n" +
                       Shown(testsupport::Join(out, "Track-2.wav"))),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(r.out.empty());
  // The OS cause of the failed write, from inside the engine.
  EXPECT_NE(r.err.find(testsupport::Join(out, "Track-1.wav") + ": File too large (errno 27), code 4015"), std::string::npos) << r.err;
  // Both files left behind are valid shorter WAVs: ffprobe reads the sizes.
  for (const char* name : {"Track-1.wav", "Track-2.wav"}) {
    const std::string left = Slurp(testsupport::Join(out, name));
    ASSERT_GT(left.size(), size_t{754});
    const uint32_t data = static_cast<uint8_t>(left[750]) | static_cast<uint8_t>(left[751]) << 8 |
                          static_cast<uint8_t>(left[752]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(left[753])) << 24;
    EXPECT_EQ(data, left.size() - 754) << name;
  }

  // The same failures with --json: one object on standard output with the
  // real code, the OS cause, and only what was established.
  r = Cli(Export("--in 01:00:00:00 --out 01:00:02:29 --tracks 1,2 --io file --prefix jf- --json --lang en"),
          200 * 512);
  EXPECT_EQ(r.status, 1);
  jsontest::Value v = Json(r);
  EXPECT_EQ(v["result"]["code"].number, 5015);
  EXPECT_EQ(v["result"]["exit_status"].number, 1);
  EXPECT_EQ(v["result"]["cause"]["path"].text, testsupport::Join(out, "jf-1.wav"));
  EXPECT_EQ(v["result"]["cause"]["os_error"].number, 27);
  EXPECT_EQ(v["result"]["cause"]["os_text"].text, "File too large");
  EXPECT_NE(v["result"]["message"].text.find("Files left incomplete:\n" + testsupport::Join(out, "jf-1.wav") + "\n" + testsupport::Join(out, "jf-2.wav")), std::string::npos) << r.out;
  ASSERT_EQ(v["files"].items.size(), 2u);
  for (const jsontest::Value& f : v["files"].items) {
    EXPECT_FALSE(f["complete"].boolean);
    EXPECT_EQ(f["size"].number, static_cast<double>(std::filesystem::file_size(f["path"].text)));
  }
  EXPECT_EQ(v["range"]["frames"].number, 90);

  r = Cli("export " + Quote(scratch.File("none.mxf")) + " --dir " + Quote(out) +
          " --in 01:00:00:00 --out 01:00:00:05 --tracks 1 --json --lang en");
  EXPECT_EQ(r.status, 1);
  v = Json(r);
  EXPECT_EQ(v["result"]["code"].number, 1);
  EXPECT_EQ(v["result"]["cause"]["os_error"].number, 2);
  for (const char* unknown : {"range", "files", "size"}) EXPECT_FALSE(v.Has(unknown)) << unknown << r.out;
  EXPECT_FALSE(v["timings"].Has("export_seconds"));

  r = Cli(Export("--in 01:00:00:00 --out 01:00:00:10 --tracks 9 --json --lang en"));
  EXPECT_EQ(r.status, 2);
  v = Json(r);
  EXPECT_EQ(v["result"]["code"].number, 2);
  EXPECT_NE(v["result"]["message"].text.find("track 9 does not exist"), std::string::npos) << r.out;
}

TEST_F(ExportCli, PrefixFolderAndTimecodesCheckedFirst) {
  const std::string before = Slurp(mxf);
  struct Case {
    std::string args;
    int status;
    std::string text;
  } cases[] = {
      {"--in 01:00:00:00 --out 01:00:00:05 --tracks 1 --prefix ../x-", 2, "../x-"},
      {"--in 01:00:00:00 --out 01:00:00:05 --tracks 1 --prefix sub/x-", 2, "は使えません"},
      {"--in 1:00:00:00 --out 01:00:00:05 --tracks 1", 2, "IN: タイムコードを読み取れません: 1:00:00:00"},
      {"--in 01:00:00:00 --out 01:00:00:45 --tracks 1", 2, "01:00:00:45 はこのファイル(29.97 NDF)にはない値です。"},
  };
  for (const Case& c : cases) {
    const CliResult r = Cli(Export(c.args));
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.text), std::string::npos) << c.args << "\n" << r.err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(out));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(out).parent_path() / "x-1.wav"));
#if !defined(_WIN32)
  // A folder no file can be created in (even by the superuser); Windows has
  // no such folder to borrow.
  const CliResult r = Cli("export " + Quote(mxf) + " --dir /proc --in 01:00:00:00 --out 01:00:00:05 --tracks 1");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("書出し先フォルダに書込めません: /proc"), std::string::npos) << r.err;
#endif
  EXPECT_EQ(Slurp(mxf), before);
}

}  // namespace
}  // namespace export_test
