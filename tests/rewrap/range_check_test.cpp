// The check before the first write, on hand-made frames: where each value
// starts (4- and 8-byte lengths) and which targets one write may cover,
// with which bytes between them.
#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/text.h"
#include "rewrap/range_check.h"
#include "rewrap/rewrap_job.h"
#include "tests/rewrap/rewrap_fixture.h"

namespace rewrap_test {
namespace {

constexpr uint32_t kSamples = 4;  // 12 bytes of 24-bit samples per value
constexpr uint32_t kValue = 12;

void PutKey(std::vector<uint8_t>& f, size_t at, uint8_t element) {
  static constexpr uint8_t kKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                       0x0D, 0x01, 0x03, 0x01, 0x16, 0x04, 0x03, 0x00};
  for (size_t i = 0; i < 16; ++i) f[at + i] = kKey[i];
  f[at + 15] = element;
}

// One frame at `base`: slot 0 (4-byte length), slot 1 (8-byte length), a
// 20-byte KLV fill, slot 2, then 2000 bytes of something else, slot 3.
// Returns the frame's index entry; `keys` receives the four key offsets.
INDEX_ENTRY_ARRAY MakeFrame(std::vector<uint8_t>& f, size_t base, size_t keys[4]) {
  size_t at = base;
  for (int slot = 0; slot < 4; ++slot) {
    keys[slot] = at;
    PutKey(f, at, static_cast<uint8_t>(slot + 1));
    if (slot == 1) {
      const uint8_t len[8] = {0x87, 0, 0, 0, 0, 0, 0, kValue};
      std::copy(len, len + 8, f.begin() + static_cast<std::ptrdiff_t>(at + 16));
      at += 24 + kValue;
      const uint8_t fill[20] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x02, 0x03, 0x01,
                                0x02, 0x10, 0x01, 0x00, 0x00, 0x00, 0x83, 0x00, 0x00, 0x00};
      std::copy(fill, fill + 20, f.begin() + static_cast<std::ptrdiff_t>(at));
      at += 20;
    } else {
      const uint8_t len[4] = {0x83, 0, 0, kValue};
      std::copy(len, len + 4, f.begin() + static_cast<std::ptrdiff_t>(at + 16));
      at += 20 + kValue;
    }
    if (slot == 2) at += 2000;
  }
  INDEX_ENTRY_ARRAY e;
  e.streamOffset = base;
  e.audioSamples = kSamples;
  e.deltaCount = 6;
  for (int slot = 0; slot < 4; ++slot) e.deltas[slot + 2].elementDelta = static_cast<uint32_t>(keys[slot] - base);
  return e;
}

TEST(RangeCheck, ValueOffsetsRunsAndTheBytesBetweenValues) {
  Scratch dir;
  std::vector<uint8_t> file(3 * 4096, 0x5A);
  std::vector<INDEX_ENTRY_ARRAY> entries;
  size_t keys[3][4];
  for (int k = 0; k < 3; ++k) entries.push_back(MakeFrame(file, static_cast<size_t>(k) * 4096, keys[k]));
  file[keys[2][2] + 13] = 0x05;  // frame 2: slot 2's key differs from the others'
  const std::string path = dir.Path("frames.bin");
  WriteAll(path, file);
  plat::File f = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Read, plat::Share::Shared);
  ASSERT_TRUE(f.valid());

  const int slots[4] = {2, 0, 3, 1};  // any order: the check sorts by place
  REWRAP_RANGE range;
  range.frameCount = 3;
  range.maxSamples = kSamples;
  RangeCheck check;
  ASSERT_EQ(check.Run(f, file.size(), entries, range, 3, slots, 4), SOUND_CHECK_OK);

  EXPECT_EQ(check.ValueOffset(entries[0], 0, 1), keys[0][0] + 20);
  EXPECT_EQ(check.ValueOffset(entries[1], 1, 3), keys[1][1] + 24);  // the 8-byte length
  EXPECT_EQ(check.ValueOffset(entries[1], 1, 2), keys[1][3] + 20);

  const FRAME_PACKING* p = check.Packing(1, kSamples);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::vector<int>(p->order, p->order + 4), (std::vector<int>{1, 3, 0, 2}));
  EXPECT_EQ(std::vector<bool>(p->runEnds, p->runEnds + 4), (std::vector<bool>{false, false, true, true}));
  EXPECT_EQ(p->gapBytes[0], 24u);       // slot 1's key and 8-byte length
  EXPECT_EQ(p->gapBytes[1], 20u + 20);  // the fill, then slot 2's key and length
  // The carried bytes are the file's own.
  ASSERT_EQ(p->gaps.size(), 64u);
  EXPECT_TRUE(std::equal(p->gaps.begin(), p->gaps.begin() + 24, file.begin() + keys[0][1]));
  EXPECT_TRUE(std::equal(p->gaps.begin() + 24, p->gaps.end(), file.begin() + keys[0][1] + 24 + kValue));
  EXPECT_EQ(check.MaxRunBytes(), 3u * kValue + 64);
  EXPECT_NE(check.Packing(0, kSamples), nullptr);
  // A frame whose bytes between values differ is written element by
  // element; so is a sample count the check never saw.
  EXPECT_EQ(check.Packing(2, kSamples), nullptr);
  EXPECT_EQ(check.Packing(0, kSamples + 1), nullptr);

  // A frame that is not what the index says fails the whole check.
  file[keys[2][3]] = 0x00;
  WriteAll(path, file);
  EXPECT_EQ(check.Run(f, file.size(), entries, range, 3, slots, 4), SOUND_CHECK_KEY);
}

}  // namespace
}  // namespace rewrap_test
