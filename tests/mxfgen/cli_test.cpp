// The mxfgen program maps its arguments onto the same file the library writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

#include "tests/mxfgen/mxf_bytes.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"
#include "tools/mxfgen/mxfgen.h"

namespace {

const std::string kProgram = testsupport::ProgramPath("mxfgen");

// args: separated by spaces ('...' quotes); *out gets standard output, then standard error.
int RunProgram(const std::string& args, std::string* out) {
  const std::vector<std::string> words = testsupport::SplitShellWords(args);
  testsupport::ScratchFolder streams("mxfgen-streams");
  const testsupport::ProcessResult r = testsupport::RunProgram(kProgram, words, streams.dir());
  *out += r.out + r.err;
  return r.status;
}

TEST(MxfgenProgram, WritesWhatTheLibraryWrites) {
  if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "mxfgen not built";
  mxftest::TempDir dir;
  std::string out;
  ASSERT_EQ(RunProgram("'" + dir.File("cli.mxf") +
                    "' --rate 30000/1001 --frames 9 --start '10:00:00;00' --df --tracks 3 --bits 16 --bwf "
                    "--codec 6 --kag 1 --index split:4 --partitions 2 --anc --version 1.3 --dynamic-tags downward "
                    "--tc-error 4:jump --omit identification --open 1",
                &out),
            0)
      << out;
  EXPECT_NE(out.find("9 frames at 30000/1001 from 10:00:00;00"), std::string::npos) << out;

  mxfgen::Options o;
  o.frameRateClass = 6;
  o.editRateNum = 30000;
  o.editRateDen = 1001;
  o.frames = 9;
  o.startFrame = 1078920;
  o.dropFrame = true;
  o.tracks = 3;
  o.bits = 16;
  o.audio = mxfgen::AudioWrapping::Bwf;
  o.codecRow = 6;
  o.kag = 1;
  o.indexLayout = mxfgen::IndexLayout::FooterSplit;
  o.maxSegmentEntries = 4;
  o.essencePartitions = 2;
  o.ancillary = true;
  o.versionMinor = 3;
  o.dynamicTags = mxfgen::DynamicTags::Downward;
  o.timecodeFaults = {{4, mxfgen::TimecodeFaultKind::Jump}};
  o.omit.identification = true;
  o.statusByPartition = {0, mxfgen::kOpenComplete};
  ASSERT_TRUE(mxfgen::WriteMxf(dir.File("lib.mxf"), o, nullptr, nullptr));
  EXPECT_EQ(mxftest::ReadAll(dir.File("cli.mxf")), mxftest::ReadAll(dir.File("lib.mxf")));
}

TEST(MxfgenProgram, RefusesBadArguments) {
  if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "mxfgen not built";
  mxftest::TempDir dir;
  for (const char* args : {"--tracks 27", "--rate 26/1", "--index sideways", "--start 25:00:00:00", "--bogus",
                           "--bits 20"}) {
    std::string out;
    EXPECT_EQ(RunProgram("'" + dir.File("bad.mxf") + "' " + args, &out), 2) << args;
    EXPECT_NE(out.find("usage"), std::string::npos) << args;
  }
}

}  // namespace
