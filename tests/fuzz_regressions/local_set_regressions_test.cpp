// The local-set walk and the primer pack through the body of
// fuzz_local_set, under the contract checks of the fuzz target.
#include <gtest/gtest.h>

#include <algorithm>

#include "fuzz/entries/local_set_entry.cpp"
#include "tests/fuzz_regressions/fuzz_inputs.h"

namespace {

using fuzz_regressions::InputsOf;
using fuzz_regressions::ReadInput;

TEST(FuzzLocalSetRegression, SeedsWalk) {
  const auto seeds = InputsOf("corpus", "local_set");
  ASSERT_FALSE(seeds.empty());
  for (const auto& path : seeds) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> input = ReadInput(path);
    const int items = fuzz::RunLocalSetInput(input.data(), input.size());
    // The generated seeds hold items; inputs a fuzzer added need not.
    if (path.filename().string().rfind("seed-", 0) == 0) EXPECT_GT(items, 0);
    else EXPECT_GE(items, 0);
  }
}

TEST(FuzzLocalSetRegression, TruncatedItemIsHandedOutWithWhatRemains) {
  // tag 3C0A, claims 16 bytes, 3 present.
  const uint8_t set[7] = {0x3C, 0x0A, 0x00, 0x10, 0xAA, 0xBB, 0xCC};
  EXPECT_EQ(fuzz::RunLocalSetInput(set, sizeof set), 1);
  EXPECT_EQ(fuzz::RunLocalSetInput(set, 3), 0);  // a header that does not fit
}

TEST(FuzzLocalSetRegression, FixedFindings) {
  const auto inputs = InputsOf("regressions", "local_set");
  ASSERT_FALSE(inputs.empty());
  for (const auto& path : inputs) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> input = ReadInput(path);
    EXPECT_GE(fuzz::RunLocalSetInput(input.data(), input.size()), 0);
  }
}

}  // namespace

namespace {

// Found by fuzz_analysis: a set whose 8-byte length claims about 1 GiB in an
// 11 KB file made the set reader allocate and clear the whole claim (and the
// steps walk it), taking seconds and gigabytes per file.
TEST(FuzzLocalSetRegression, ClaimFarPastTheEndOfTheFileIsNotAllocated) {
  std::vector<uint8_t> bytes = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01, 0x0D, 0x01, 0x01, 0x01,
                                0x01, 0x01, 0x14, 0x00, 0x87, 0x00, 0x00, 0x4B, 0xFF, 0xFF, 0xFF, 0xF0};
  // Two items: 1502 (two bytes) and 1503 (one byte), then bytes up to 100.
  const uint8_t items[] = {0x15, 0x02, 0x00, 0x02, 0x00, 0x19, 0x15, 0x03, 0x00, 0x01, 0x01};
  bytes.insert(bytes.end(), std::begin(items), std::end(items));
  bytes.resize(24 + 100, 0xEE);

  fuzz::ScratchFile& scratch = fuzz::ScratchFile::Get();
  ASSERT_TRUE(scratch.Write(bytes.data(), bytes.size()));
  plat::File file = plat::File::Open(scratch.widePath(), plat::Access::Read, plat::Share::Shared);
  ASSERT_TRUE(file.valid());
  KLV_LENGTH length;
  ASSERT_TRUE(FindKlvInFile(&file, bytes.data(), 0, bytes.size(), &length));
  EXPECT_EQ(length.low, 0xFFFFFFF0u);

  std::vector<uint8_t> value;
  size_t got = 0;
  ASSERT_TRUE(ReadSetValue(&file, length, &value, &got));
  EXPECT_EQ(got, 100u);
  EXPECT_EQ(value.size(), 100u + kMaxMissingSetBytes);
  EXPECT_TRUE(std::equal(bytes.begin() + 24, bytes.end(), value.begin()));
  EXPECT_TRUE(std::all_of(value.begin() + 100, value.end(), [](uint8_t b) { return b == 0; }));

  // The items read as they would from the whole claim.
  int seen = 0;
  ForEachLocalItem(value.data(), value.size(), [&](uint16_t tag, const uint8_t*, uint16_t) {
    if (tag == 0x1502 || tag == 0x1503) ++seen;
  });
  EXPECT_EQ(seen, 2);

  // A claim the file holds, or one cut short by a little, keeps its size.
  ASSERT_TRUE(file.Seek(24, plat::Whence::Begin));
  ASSERT_TRUE(ReadSetValue(&file, KLV_LENGTH{0, 150}, &value, &got));
  EXPECT_EQ(value.size(), 150u);
  EXPECT_EQ(got, 100u);
}

}  // namespace

namespace {

// Found by fuzz_local_set: a primer pack whose 8-byte length claims 4 GiB in
// a 138-byte file made the loader allocate the whole claim.
TEST(FuzzLocalSetRegression, PrimerLengthFarPastTheEndOfTheFile) {
  const std::vector<uint8_t> input =
      fuzz_regressions::ReadRegression("local_set", "primer-length-past-end-of-file.bin");
  ASSERT_EQ(input.size(), 138u);
  EXPECT_GE(fuzz::RunLocalSetInput(input.data(), input.size()), 0);

  fuzz::ScratchFile& scratch = fuzz::ScratchFile::Get();
  ASSERT_TRUE(scratch.Write(input.data(), input.size()));
  plat::File file = plat::File::Open(scratch.widePath(), plat::Access::Read, plat::Share::Shared);
  ASSERT_TRUE(file.valid());
  PrimerMap map;
  // Its batch header (FFFFFFFF items of FFFFFFFF bytes) leaves no item to take.
  EXPECT_FALSE(LoadPrimerPack(&file, 0, input.size(), &map));
  EXPECT_TRUE(map.empty());
}

}  // namespace
