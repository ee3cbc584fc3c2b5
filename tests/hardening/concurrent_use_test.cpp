// Two processes at one file. A rewrap holds the MXF file exclusively while it
// runs: a second rewrap of another process is refused with the engine's open
// failure, an export is refused with its open failure (it never reads a file
// being rewritten), velmora-cli cannot even load the file, and the first
// rewrap completes the file byte for byte. The first job is stopped part way
// (SIGSTOP) so that the others certainly meet it running.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "bwf/bwf_header.h"
#include "bwf/export_engines.h"
#include "rewrap/rewrap_engines.h"
#include "tests/hardening/hardening_support.h"

namespace hardening {
namespace {

#if !defined(_WIN32)

using rewrap_test::Engine;
using rewrap_test::RewrapCase;

// Runs `job` in a child process with its own copy of `from` and returns the
// engine's result (-1 when the child did not return one).
int InOtherProcess(const AUDIOTRACK_IO_INFO& from, const std::function<int(AUDIOTRACK_IO_INFO*)>& job) {
  SharedPlan shared;
  if (!shared.valid()) return -1;
  shared.CopyFrom(from);
  Child child(shared, job);
  child.Wait();
  return shared.result().load();
}

struct Cli {
  int status = -1;
  std::string err;
};

Cli RunCli(const std::string& args, const std::string& dir) {
  const std::string errPath = dir + "/cli.err";
  const std::string cmd =
      std::string(VELMORA_BIN_DIR) + "/velmora-cli " + args + " >/dev/null 2>" + errPath + " </dev/null";
  const int raw = std::system(cmd.c_str());
  Cli r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  const std::vector<uint8_t> err = ReadAll(errPath);
  r.err.assign(err.begin(), err.end());
  return r;
}

class ConcurrentUse : public ::testing::TestWithParam<Engine> {};

INSTANTIATE_TEST_SUITE_P(FirstJob, ConcurrentUse, ::testing::Values(Engine::Mapping, Engine::File),
                         [](const auto& info) { return std::string(rewrap_test::EngineName(info.param)); });

TEST_P(ConcurrentUse, OthersAreRefusedWhileARewrapRunsAndItCompletes) {
  ASSERT_TRUE(std::filesystem::exists(std::string(VELMORA_BIN_DIR) + "/velmora-cli")) << "build velmora-cli first";
  RewrapCase c;
  ASSERT_TRUE(c.Make(rewrap_test::SmallClip(2000, 2)));
  WAV_LIBRARY_ENTRY* wav = c.AddNoiseWav("t1.wav", 1, 24, 3300000, 5);
  ASSERT_NE(wav, nullptr);
  c.Assign(0, wav);
  c.plan.trackSwitch[1] = TRACK_ON;
  c.SetRange(0, 1999);
  const std::string out = c.scratch.Path("out");
  std::filesystem::create_directories(out);
  SelectExport(c, out, {0});

  SharedPlan shared;
  ASSERT_TRUE(shared.valid());
  shared.CopyFrom(c.plan);
  const std::string path = c.path;
  MXF_BASE_INFO* base = &c.state.base;
  const Engine first = GetParam();
  Child running(shared, [&](AUDIOTRACK_IO_INFO* plan) { return rewrap_test::RunEngine(first, path, plan, base); });
  ASSERT_TRUE(running.forked());
  ASSERT_TRUE(WaitFor([&] { return shared.plan().currentFrame.load() >= 50 || shared.result() != -1; }));
  ASSERT_TRUE(running.Stop());
  ASSERT_EQ(shared.result().load(), -1) << "the first rewrap ended before the others started";

  // A second rewrap, by either engine, from another process.
  for (Engine second : {Engine::Mapping, Engine::File}) {
    const int r = InOtherProcess(
        c.plan, [&](AUDIOTRACK_IO_INFO* plan) { return rewrap_test::RunEngine(second, path, plan, base); });
    EXPECT_EQ(r, second == Engine::Mapping ? int{kRewrapMapOpenMxf} : int{kRewrapFileOpenMxf});
  }
  // An export by either engine.
  const std::u16string wide = plat::Utf8ToUtf16(path);
  EXPECT_EQ(InOtherProcess(c.plan, [&](AUDIOTRACK_IO_INFO* plan) { return ExportBwfByMapping(wide, plan, base); }),
            kExportMapOpenFailed);
  EXPECT_EQ(InOtherProcess(c.plan, [&](AUDIOTRACK_IO_INFO* plan) { return ExportBwfByFile(wide, plan, base); }),
            kExportFileOpenFailed);
  EXPECT_TRUE(std::filesystem::is_empty(out));
  // The command-line tool cannot load the file: its analysis opens it
  // exclusively too, and says the file is in use (the lock's code).
  const std::string tc = "--in 00:00:00:00 --out 00:00:10:00";
  Cli cli = RunCli("rewrap '" + path + "' " + tc + " --silence 1 --yes", c.scratch.dir());
  EXPECT_EQ(cli.status, 1);
  EXPECT_NE(cli.err.find("ERR: 7001"), std::string::npos) << cli.err;
  cli = RunCli("export '" + path + "' " + tc + " --tracks 1 --dir '" + out + "'", c.scratch.dir());
  EXPECT_EQ(cli.status, 1);
  EXPECT_NE(cli.err.find("ERR: 7001"), std::string::npos) << cli.err;
  EXPECT_TRUE(std::filesystem::is_empty(out));

  // The first rewrap goes on and completes the file.
  running.Continue();
  EXPECT_TRUE(running.ExitedNormally());
  EXPECT_EQ(shared.result().load(), 0);
  EXPECT_TRUE(FileHolds(c.path, c.Expected()));

  // With the file free again, an export reads the rewritten samples.
  EXPECT_EQ(ExportBwfByFile(wide, &c.plan, base), 0);
  const std::vector<uint8_t> exported = ReadAll(out + "/T1.wav");
  const std::vector<uint8_t>& wavBytes = c.wavData.front().second.data;
  ASSERT_GT(exported.size(), size_t{1000});
  EXPECT_TRUE(std::equal(exported.end() - 1000, exported.end(),
                         wavBytes.begin() + static_cast<long>(exported.size() - kBwfHeaderSize) - 1000));
}

#else
TEST(ConcurrentUse, NotOnWindows) { GTEST_SKIP() << WINDOWS_HAS_NO_FORK; }
#endif  // !_WIN32

}  // namespace
}  // namespace hardening
