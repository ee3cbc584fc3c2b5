#include "engine/local_set.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/file.h"
#include "tests/engine/klv_bytes.h"

namespace {

struct Item {
  uint16_t tag;
  Bytes value;
  bool operator==(const Item& o) const { return tag == o.tag && value == o.value; }
};

void AppendLocal(Bytes* out, uint16_t tag, const Bytes& value, int claimed = -1) {
  const uint16_t len = static_cast<uint16_t>(claimed < 0 ? value.size() : size_t(claimed));
  Append(out, {uint8_t(tag >> 8), uint8_t(tag), uint8_t(len >> 8), uint8_t(len)});
  Append(out, value);
}

// Walks an exact-size heap copy (overreads are caught by the sanitizer).
std::vector<Item> Walk(const Bytes& set, bool* clean = nullptr) {
  std::vector<uint8_t> copy(set);
  std::vector<Item> items;
  const bool ok = ForEachLocalItem(copy.data(), copy.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    items.push_back({tag, Bytes(v, v + len)});
  });
  if (clean) *clean = ok;
  return items;
}

}  // namespace

TEST(ForEachLocalItem, DeliversEveryItemInOrder) {
  Bytes set;
  AppendLocal(&set, 0x3C0A, Filled(16, 0xAB));
  AppendLocal(&set, 0x0000, {});
  AppendLocal(&set, 0x8001, {0x01, 0x02});
  AppendLocal(&set, 0xFFFF, {0x7F});
  bool clean = false;
  const std::vector<Item> expected = {
      {0x3C0A, Filled(16, 0xAB)}, {0x0000, {}}, {0x8001, {0x01, 0x02}}, {0xFFFF, {0x7F}}};
  EXPECT_EQ(Walk(set, &clean), expected);
  EXPECT_TRUE(clean);

  EXPECT_TRUE(Walk({}, &clean).empty());
  EXPECT_TRUE(clean);
}

TEST(ForEachLocalItem, AnItemClaimingMoreThanRemainsIsCutAndEndsTheWalk) {
  Bytes set;
  AppendLocal(&set, 0x3D01, {0x00, 0x00, 0x00, 0x18});
  AppendLocal(&set, 0x3D03, {0xBB, 0x80}, /*claimed=*/8);
  bool clean = true;
  const std::vector<Item> items = Walk(set, &clean);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].tag, 0x3D03);
  EXPECT_EQ(items[1].value, (Bytes{0xBB, 0x80}));  // the two bytes that are there
  EXPECT_FALSE(clean);

  // A claim of 0xFFFF in the middle swallows the rest: nothing after it is an item.
  Bytes big;
  AppendLocal(&big, 0x1111, {1, 2, 3}, 0xFFFF);
  AppendLocal(&big, 0x2222, {4});
  const std::vector<Item> cut = Walk(big, &clean);
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].value, (Bytes{1, 2, 3, 0x22, 0x22, 0x00, 0x01, 4}));
  EXPECT_FALSE(clean);
}

TEST(ForEachLocalItem, AHeaderThatDoesNotFitEndsTheWalk) {
  const Bytes header = {0x3C, 0x02, 0x00};
  for (long extra = 1; extra <= 3; ++extra) {
    Bytes set;
    AppendLocal(&set, 0x3C01, {9});
    Append(&set, Bytes(header.begin(), header.begin() + extra));
    bool clean = true;
    const std::vector<Item> items = Walk(set, &clean);
    EXPECT_EQ(items, (std::vector<Item>{{0x3C01, {9}}})) << extra;
    EXPECT_FALSE(clean);
  }
  // A header exactly at the end with length 0 is a whole item.
  Bytes set;
  AppendLocal(&set, 0x3C03, {});
  bool clean = false;
  EXPECT_EQ(Walk(set, &clean).size(), 1u);
  EXPECT_TRUE(clean);
}

TEST(ForEachLocalItem, TheLaterOfTwoEqualTagsWinsWhenTheCallerOverwrites) {
  Bytes set;
  AppendLocal(&set, 0x3F0B, {0x00, 0x00, 0x75, 0x30});
  AppendLocal(&set, 0x3F0C, {0x01});
  AppendLocal(&set, 0x3F0B, {0x00, 0x00, 0x61, 0xA8});
  std::map<uint16_t, uint32_t> seen;
  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    if (tag == 0x3F0B && len >= 4) seen[tag] = ReadBE32(v);
  });
  EXPECT_EQ(seen[0x3F0B], 25000u);
}

TEST(ReadSetValue, ReadsTheFoundValueAndZeroFillsWhatTheFileLacks) {
  const Key16 key = MakeKey(0x2F);
  Bytes set;
  AppendLocal(&set, 0x3B02, Filled(8, 0x11));
  AppendLocal(&set, 0x3B03, {0x22, 0x33});
  Bytes data;
  AppendItem4(&data, MakeKey(1), Filled(5, 0));
  AppendItem4(&data, key, set);
  AppendItem4(&data, MakeKey(2), Filled(5, 0xEE));

  {
    ScratchFile f(data);
    ASSERT_TRUE(f.ok());
    plat::File file = plat::File::Open(f.path16(), plat::Access::Read, plat::Share::Shared);
    KLV_LENGTH len;
    ASSERT_TRUE(FindKlvInFile(&file, key.b, 0, data.size(), &len));
    std::vector<uint8_t> value;
    size_t got = 0;
    ASSERT_TRUE(ReadSetValue(&file, len, &value, &got));
    EXPECT_EQ(value, set);
    EXPECT_EQ(got, set.size());
  }

  // The file ends inside the value: the buffer has the claimed size, the
  // missing tail is zero.
  const Bytes cut(data.begin(), data.begin() + 25 + 20 + 6);
  ScratchFile f(cut);
  ASSERT_TRUE(f.ok());
  plat::File file = plat::File::Open(f.path16(), plat::Access::Read, plat::Share::Shared);
  KLV_LENGTH len;
  ASSERT_TRUE(FindKlvInFile(&file, key.b, 0, cut.size(), &len));
  std::vector<uint8_t> value = {0x55, 0x55};
  size_t got = 0;
  ASSERT_TRUE(ReadSetValue(&file, len, &value, &got));
  ASSERT_EQ(value.size(), set.size());
  EXPECT_EQ(got, 6u);
  EXPECT_EQ(Bytes(value.begin(), value.begin() + 6), Bytes(set.begin(), set.begin() + 6));
  EXPECT_EQ(Bytes(value.begin() + 6, value.end()), Bytes(set.size() - 6, 0));
}

TEST(ReadSetValue, UsesTheLowHalfAndRefusesUnusableFiles) {
  Bytes data = Filled(10, 0x42);
  ScratchFile f(data);
  ASSERT_TRUE(f.ok());
  plat::File file = plat::File::Open(f.path16(), plat::Access::Read, plat::Share::Shared);
  std::vector<uint8_t> value;
  ASSERT_TRUE(ReadSetValue(&file, KLV_LENGTH{1, 4}, &value));
  EXPECT_EQ(value, Filled(4, 0x42));
  EXPECT_EQ(file.Tell(), 4u);

  plat::File closed;
  value = {1, 2, 3};
  EXPECT_FALSE(ReadSetValue(&closed, KLV_LENGTH{0, 4}, &value));
  EXPECT_TRUE(value.empty());
  EXPECT_FALSE(ReadSetValue(nullptr, KLV_LENGTH{0, 4}, &value));
}
