// The KLV scanners through the body of fuzz_klv: every input runs both
// scanners under the contract checks of the fuzz target (a broken contract
// aborts the test).
#include <gtest/gtest.h>

#include "fuzz/entries/klv_entry.cpp"
#include "tests/fuzz_regressions/fuzz_inputs.h"

namespace {

using fuzz_regressions::InputsOf;
using fuzz_regressions::ReadInput;

TEST(FuzzKlvRegression, CorpusKeepsTheScannerContracts) {
  const auto seeds = InputsOf("corpus", "klv");
  ASSERT_FALSE(seeds.empty());
  for (const auto& path : seeds) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> input = ReadInput(path);
    const int items = fuzz::RunKlvInput(input.data(), input.size());
    // The generated seeds hold items; inputs a fuzzer added need not.
    if (path.filename().string().rfind("seed-", 0) == 0) EXPECT_GT(items, 0);
    else EXPECT_GE(items, 0);
  }
}

TEST(FuzzKlvRegression, ShortAndEmptyInputsFindNothing) {
  const uint8_t key[19] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01, 0x0D, 0x01,
                           0x02, 0x01, 0x01, 0x11, 0x01, 0x00, 0x83, 0x00, 0x00};
  for (size_t n = 0; n <= sizeof key; ++n) EXPECT_EQ(fuzz::RunKlvInput(key, n), 0) << n;
}

}  // namespace
