// Whole-file analysis through the body of fuzz_analysis: the corpus and the
// inputs that once failed, by both I/O methods.
#include <gtest/gtest.h>

#include <climits>

#include "engine/file_facts.h"
#include "fuzz/entries/analysis_entry.cpp"
#include "tests/fuzz_regressions/fuzz_inputs.h"
#include "timecode/timecode.h"

namespace {

using fuzz::AnalysisOutcome;
using fuzz::RunAnalysisInput;
using fuzz_regressions::InputsOf;
using fuzz_regressions::ReadInput;

AnalysisOutcome RunWithMethod(std::vector<uint8_t> input, uint8_t ioMethod) {
  if (input.empty()) input.push_back(0);
  input[0] = ioMethod;
  return RunAnalysisInput(input.data(), input.size());
}

void ExpectSame(const AnalysisOutcome& a, const AnalysisOutcome& b) {
  EXPECT_EQ(a.message, b.message);
  EXPECT_EQ(a.code, b.code);
  EXPECT_EQ(a.stepCode, b.stepCode);
  EXPECT_EQ(a.analysisReady, b.analysisReady);
  EXPECT_EQ(a.entryCount, b.entryCount);
  EXPECT_EQ(a.timecodeErrors, b.timecodeErrors);
}

TEST(FuzzAnalysisRegression, SeedsLoadAndBothMethodsAgree) {
  const auto seeds = InputsOf("corpus", "analysis");
  ASSERT_FALSE(seeds.empty());
  for (const auto& path : seeds) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> input = ReadInput(path);
    const AnalysisOutcome mapped = RunWithMethod(input, 0);
    const AnalysisOutcome read = RunWithMethod(input, 1);
    ASSERT_TRUE(mapped.ran);
    EXPECT_EQ(mapped.ioMethod, 0);
    EXPECT_EQ(read.ioMethod, 1);
    ExpectSame(mapped, read);
    if (path.filename().string().rfind("seed-", 0) != 0) continue;
    EXPECT_TRUE(mapped.analysisReady);
    EXPECT_GE(mapped.entryCount, 2);
    if (path.filename() == "seed-tc-errors.bin") {
      EXPECT_EQ(mapped.code, 1009);
      EXPECT_EQ(mapped.timecodeErrors, 2u);
    } else {
      EXPECT_EQ(mapped.code, 0);
      EXPECT_EQ(mapped.message, WM_JOB_DONE);
      EXPECT_EQ(mapped.timecodeErrors, 0u);
    }
  }
}

TEST(FuzzAnalysisRegression, RunsLeaveNothingBehindForTheNext) {
  // A file with timecode errors, then a clean one, then the first again:
  // nothing of one run may show in the next.
  const auto dir = fuzz_regressions::FuzzDir() / "corpus" / "analysis";
  const std::vector<uint8_t> errors = ReadInput(dir / "seed-tc-errors.bin");
  const std::vector<uint8_t> clean = ReadInput(dir / "seed-kag1.bin");
  ASSERT_FALSE(errors.empty());
  ASSERT_FALSE(clean.empty());
  const AnalysisOutcome first = RunWithMethod(errors, 1);
  const AnalysisOutcome between = RunWithMethod(clean, 1);
  const AnalysisOutcome again = RunWithMethod(errors, 1);
  EXPECT_EQ(between.code, 0);
  EXPECT_EQ(between.timecodeErrors, 0u);
  ExpectSame(first, again);
}

TEST(FuzzAnalysisRegression, DegenerateInputsAreRefused) {
  const uint8_t none[1] = {0};
  const AnalysisOutcome empty = RunAnalysisInput(none, 1);  // an empty file
  EXPECT_TRUE(empty.ran);
  EXPECT_EQ(empty.message, WM_JOB_FAILED);
  EXPECT_EQ(empty.code, 204);
  const uint8_t one[2] = {1, 0x06};
  const AnalysisOutcome tiny = RunAnalysisInput(one, 2);  // a 1-byte file
  EXPECT_EQ(tiny.message, WM_JOB_FAILED);
  EXPECT_EQ(tiny.code, 204);
}

TEST(FuzzAnalysisRegression, FixedFindingsEndCleanlyByBothMethods) {
  const auto inputs = InputsOf("regressions", "analysis");
  ASSERT_FALSE(inputs.empty());
  for (const auto& path : inputs) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> input = ReadInput(path);
    const AnalysisOutcome mapped = RunWithMethod(input, 0);
    const AnalysisOutcome read = RunWithMethod(input, 1);
    EXPECT_TRUE(mapped.ran);
    EXPECT_NE(mapped.message, 0u);
    ExpectSame(mapped, read);
  }
}

// A timecode component whose 8-byte length claims about 1 GiB in an 11 KB
// file: the set reader allocated and cleared the whole claim (seconds and
// gigabytes per file). The file is refused for its missing duration.
TEST(FuzzAnalysisRegression, SetLengthFarPastTheEndOfTheFile) {
  const std::vector<uint8_t> input =
      fuzz_regressions::ReadRegression("analysis", "set-length-past-end-of-file.bin");
  ASSERT_FALSE(input.empty());
  for (uint8_t method = 0; method < 2; ++method) {
    const AnalysisOutcome outcome = RunWithMethod(input, method);
    EXPECT_EQ(outcome.message, WM_JOB_FAILED);
    EXPECT_EQ(outcome.stepCode, 400);
    EXPECT_EQ(outcome.code, 406);
  }
}

}  // namespace

namespace {

// A damaged timecode component: start and end frames 2^31 apart. The
// information block computed the length in 32 bits (signed overflow); the
// component is now refused at its step, and the texts count in 64 bits.
TEST(FuzzAnalysisRegression, StartAndEndFramesFurtherApartThan32Bits) {
  const std::vector<uint8_t> input =
      fuzz_regressions::ReadRegression("analysis", "info-block-length-overflow.bin");
  ASSERT_FALSE(input.empty());
  for (uint8_t method = 0; method < 2; ++method) {
    const AnalysisOutcome outcome = RunWithMethod(input, method);
    EXPECT_EQ(outcome.message, WM_JOB_FAILED);
    EXPECT_EQ(outcome.stepCode, 400);
    EXPECT_EQ(outcome.code, 408);
    EXPECT_FALSE(outcome.analysisReady);
  }

  // The same frames in records that did not come from the analysis.
  MXF_TIMECODE_INFO tc;
  tc.tcBase = TC_BASE_30;
  tc.startFrame = INT32_MIN;
  tc.endFrame = 2138009865;
  tc.duration = 900;
  MXF_BASE_INFO base;
  base.timecode = &tc;
  EXPECT_EQ(DurationFrames(tc), int64_t{2138009865} - INT32_MIN + 1);
  EXPECT_EQ(DurationText(tc), u"-");
  const std::u16string block = ComposeMxfInfoBlock(u"/x/a.mxf", base, {}, plat::LocalTime{});
  EXPECT_NE(block.find(u"長さ(フレーム) = - (4285493514)"), std::u16string::npos);
}

}  // namespace
