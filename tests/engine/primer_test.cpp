#include "engine/primer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/local_set.h"
#include "platform/file.h"
#include "tests/engine/klv_bytes.h"

namespace {

// Two labels of the MPEG video descriptor (bit rate, coded content type) and
// the picture essence coding label of the picture descriptor.
constexpr uint8_t kBitRateUl[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x05,
                                    0x04, 0x01, 0x06, 0x02, 0x01, 0x0B, 0x00, 0x00};
constexpr uint8_t kCodedContentUl[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x05,
                                         0x04, 0x01, 0x06, 0x02, 0x01, 0x04, 0x00, 0x00};
constexpr uint8_t kCodingUl[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x02,
                                   0x04, 0x01, 0x06, 0x01, 0x00, 0x00, 0x00, 0x00};

struct Entry {
  uint16_t tag;
  const uint8_t* ul;
};

Bytes PrimerValue(const std::vector<Entry>& entries, uint32_t count, uint32_t itemSize = 18) {
  Bytes v = {uint8_t(count >> 24), uint8_t(count >> 16), uint8_t(count >> 8), uint8_t(count),
             uint8_t(itemSize >> 24), uint8_t(itemSize >> 16), uint8_t(itemSize >> 8), uint8_t(itemSize)};
  for (const Entry& e : entries) {
    v.push_back(uint8_t(e.tag >> 8));
    v.push_back(uint8_t(e.tag));
    v.insert(v.end(), e.ul, e.ul + 16);
    for (uint32_t pad = 18; pad < itemSize; ++pad) v.push_back(0xEE);
  }
  return v;
}

Key16 PrimerKey(uint8_t version) {
  Key16 k;
  std::memcpy(k.b, kPrimerPackKey, 16);
  k.b[7] = version;
  return k;
}

}  // namespace

TEST(Primer, ResolvesLabelsToTheirLocalTags) {
  const Bytes value = PrimerValue({{0x3201, kCodingUl}, {0xFFFE, kBitRateUl}, {0xFFFD, kCodedContentUl}}, 3);
  PrimerMap map = {PRIMER_ENTRY{}};  // replaced, not appended to
  ASSERT_TRUE(ParsePrimerPack(value.data(), value.size(), &map));
  ASSERT_EQ(map.size(), 3u);
  EXPECT_EQ(FindLocalTag(map, kBitRateUl, false), 0xFFFE);
  EXPECT_EQ(FindLocalTag(map, kCodedContentUl, false), 0xFFFD);
  EXPECT_EQ(FindLocalTag(map, kCodingUl, false), 0x3201);

  // A label written with another version byte.
  uint8_t otherVersion[16];
  std::memcpy(otherVersion, kBitRateUl, 16);
  otherVersion[7] = 0x01;
  EXPECT_EQ(FindLocalTag(map, otherVersion, false), 0);
  EXPECT_EQ(FindLocalTag(map, otherVersion, true), 0xFFFE);

  // A label differing elsewhere is not found even ignoring the version.
  uint8_t unknown[16];
  std::memcpy(unknown, kBitRateUl, 16);
  unknown[13] = 0x0C;
  EXPECT_EQ(FindLocalTag(map, unknown, true), 0);
}

TEST(Primer, ItemsAreReadByTheDeclaredItemSize) {
  const Bytes value = PrimerValue({{0x8001, kCodingUl}, {0x8002, kBitRateUl}}, 2, 20);
  PrimerMap map;
  ASSERT_TRUE(ParsePrimerPack(value.data(), value.size(), &map));
  EXPECT_EQ(FindLocalTag(map, kBitRateUl, false), 0x8002);
}

TEST(Primer, MalformedBatchesKeepOnlyWholeItems) {
  PrimerMap map;
  // Count says 3, two fit (the third is cut in the middle of its label).
  Bytes value = PrimerValue({{0x8001, kCodingUl}, {0x8002, kBitRateUl}, {0x8003, kCodedContentUl}}, 3);
  value.resize(value.size() - 5);
  EXPECT_FALSE(ParsePrimerPack(value.data(), value.size(), &map));
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(FindLocalTag(map, kCodedContentUl, false), 0);

  // A count far beyond the bytes.
  value = PrimerValue({{0x8001, kCodingUl}}, 0xFFFFFFFF);
  EXPECT_FALSE(ParsePrimerPack(value.data(), value.size(), &map));
  EXPECT_EQ(map.size(), 1u);

  // Item size too small to hold a tag and a label; header cut.
  value = PrimerValue({{0x8001, kCodingUl}}, 1, 17);
  EXPECT_FALSE(ParsePrimerPack(value.data(), value.size(), &map));
  EXPECT_TRUE(map.empty());
  value = PrimerValue({}, 1);
  EXPECT_FALSE(ParsePrimerPack(value.data(), 7, &map));
  EXPECT_TRUE(map.empty());
}

// A descriptor whose writer numbered its dynamic tags downward from 0xFFFF:
// the primer found in the file names the tag of the bit rate item.
TEST(Primer, LoadedFromTheFileResolvesADescriptorsDynamicTag) {
  Bytes descriptor;
  auto local = [&](uint16_t tag, const Bytes& v) {
    Append(&descriptor, {uint8_t(tag >> 8), uint8_t(tag), 0, uint8_t(v.size())});
    Append(&descriptor, v);
  };
  local(0xFFFD, {0x02});
  local(0xFFFE, {0x02, 0xFA, 0xF0, 0x80});  // 50,000,000
  local(0x8008, {0x00, 0x00, 0x00, 0x01});  // the fixed-table tag, here something else

  Bytes data;
  AppendItem4(&data, MakeKey(1), Filled(40, 0));  // stand-in for the partition pack
  AppendItem4(&data, PrimerKey(0x02),
              PrimerValue({{0xFFFE, kBitRateUl}, {0xFFFD, kCodedContentUl}}, 2));
  const Key16 descriptorKey = MakeKey(0x51);
  AppendItem4(&data, descriptorKey, descriptor);
  ScratchFile f(data);
  ASSERT_TRUE(f.ok());
  plat::File file = plat::File::Open(f.path16(), plat::Access::Read, plat::Share::Shared);

  PrimerMap map;
  ASSERT_TRUE(LoadPrimerPack(&file, 0, data.size(), &map));
  const uint16_t bitRateTag = FindLocalTag(map, kBitRateUl, true);
  ASSERT_EQ(bitRateTag, 0xFFFE);

  KLV_LENGTH len;
  ASSERT_TRUE(FindKlvInFile(&file, descriptorKey.b, 0, data.size(), &len));
  std::vector<uint8_t> value;
  ASSERT_TRUE(ReadSetValue(&file, len, &value));
  uint32_t bitRate = 0;
  ForEachLocalItem(value.data(), value.size(), [&](uint16_t tag, const uint8_t* v, uint16_t n) {
    if (tag == bitRateTag && n >= 4) bitRate = ReadBE32(v);
  });
  EXPECT_EQ(bitRate, 50000000u);

  // No primer in the window.
  EXPECT_FALSE(LoadPrimerPack(&file, 25 + 20 + 44, data.size(), &map));
  EXPECT_TRUE(map.empty());
}
