// The undo journal reader through the body of fuzz_journal: every corpus
// input, and every cut of a valid journal, is refused or accepted under the
// target's contracts (a broken contract aborts the test) with the stand-in
// MXF file untouched.
#include <gtest/gtest.h>

#include "fuzz/entries/journal_entry.cpp"
#include "tests/fuzz_regressions/fuzz_inputs.h"

namespace {

using fuzz_regressions::InputsOf;
using fuzz_regressions::ReadInput;

TEST(FuzzJournalRegression, CorpusAndEveryCutOfAJournalAreRefusedSafely) {
  const auto seeds = InputsOf("corpus", "journal");
  ASSERT_FALSE(seeds.empty());
  for (const auto& path : seeds) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> input = ReadInput(path);
    const int read = fuzz::RunJournalInput(input.data(), input.size());
    // The generated seeds are whole journals (state 1 reads as unfinished).
    if (path.filename().string() == "seed-state1.bin") {
      EXPECT_EQ(read, UNDO_READ_UNFINISHED);
    } else if (path.filename().string().rfind("seed-", 0) == 0) {
      EXPECT_EQ(read, UNDO_READ_OK);
    }
  }
  const std::vector<uint8_t> whole = ReadInput(seeds.front());
  for (size_t n = 0; n < whole.size(); n += 7) {
    EXPECT_NE(fuzz::RunJournalInput(whole.data(), n), UNDO_READ_OK) << "cut at " << n;
  }
}

}  // namespace
