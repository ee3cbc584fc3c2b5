// WAV files through the body of fuzz_wav (reader and library), under the
// contract checks of the fuzz target.
#include <gtest/gtest.h>

#include "fuzz/entries/wav_entry.cpp"
#include "tests/fuzz_regressions/fuzz_inputs.h"

namespace {

using fuzz_regressions::InputsOf;
using fuzz_regressions::ReadInput;

TEST(FuzzWavRegression, SeedsAreRead) {
  const auto seeds = InputsOf("corpus", "wav");
  ASSERT_FALSE(seeds.empty());
  for (const auto& path : seeds) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> input = ReadInput(path);
    const int read = fuzz::RunWavInput(input.data(), input.size());
    // The written seeds are valid files; inputs a fuzzer added need not be.
    if (path.filename().string().rfind("seed-", 0) == 0) EXPECT_EQ(read, WAV_READ_OK);
    else EXPECT_TRUE(read >= WAV_READ_OK && read <= WAV_READ_BAD_FORMAT) << read;
  }
}

TEST(FuzzWavRegression, UnsupportedTimelineAndNonWaveAreRefused) {
  std::vector<uint8_t> input = ReadInput(fuzz_regressions::FuzzDir() / "corpus" / "wav" / "seed-mono16.bin");
  ASSERT_GT(input.size(), 13u);
  input[0] = 0x80;  // an unsupported rate class
  EXPECT_EQ(fuzz::RunWavInput(input.data(), input.size()), WAV_READ_BAD_FRAME_RATE);
  input[0] = 0x66;
  input[9] = 'X';  // "WAVE" damaged
  EXPECT_EQ(fuzz::RunWavInput(input.data(), input.size()), WAV_READ_NOT_WAVE);
}

}  // namespace
