// Header metadata as Velmora's reader takes it: the first timecode component
// and the first track, the preface, the descriptors, and dynamic local tags
// that the primer pack always declares.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/mxfgen/mxf_bytes.h"
#include "tools/mxfgen/mxfgen.h"

using namespace mxftest;
using mxfgen::Layout;
using mxfgen::Options;

namespace {

struct Header {
  std::vector<uint8_t> d;
  std::vector<Klv> sets;                 // every item of the header metadata, in order
  std::map<uint16_t, Key> primer;
};

Header Load(const Options& o) {
  TempDir dir;
  Layout l;
  std::string error;
  EXPECT_TRUE(mxfgen::WriteMxf(dir.File("h.mxf"), o, &l, &error)) << error;
  Header h;
  h.d = ReadAll(dir.File("h.mxf"));
  const auto& header = l.partitions.front();
  h.sets = Walk(h.d, header.contentOffset, header.contentOffset + header.headerByteCount);
  EXPECT_FALSE(h.sets.empty());
  const Klv& primer = h.sets.front();
  EXPECT_EQ(primer.key, kPrimer);
  const uint32_t count = Be32(h.d, primer.value);
  EXPECT_EQ(Be32(h.d, primer.value + 4), 18u);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t e = primer.value + 8 + 18 * i;
    EXPECT_TRUE(h.primer.emplace(static_cast<uint16_t>(Be16(h.d, e)), KeyAt(h.d, e + 2)).second) << "duplicate tag";
  }
  return h;
}

const Klv* First(const Header& h, uint8_t type) {
  for (const Klv& k : h.sets)
    if (k.key == SetKey(type)) return &k;
  return nullptr;
}

size_t Count(const Header& h, uint8_t type) {
  size_t n = 0;
  for (const Klv& k : h.sets) n += k.key == SetKey(type);
  return n;
}

uint16_t TagOf(const Header& h, const Key& ul) {
  for (const auto& [tag, k] : h.primer)
    if (k == ul) return tag;
  return 0;
}

Key Dict(uint8_t v, uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e, uint8_t f) {
  return {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, v, a, b, c, d, e, f, 0x00, 0x00};
}
const Key kCodedContentTypeUL = Dict(0x05, 0x04, 0x01, 0x06, 0x02, 0x01, 0x04);
const Key kBitRateUL = Dict(0x05, 0x04, 0x01, 0x06, 0x02, 0x01, 0x0B);
const Key kAvcMaximumBitrateUL = Dict(0x0E, 0x04, 0x01, 0x06, 0x06, 0x01, 0x0B);

TEST(MxfgenHeaderMetadata, PrimerDeclaresEveryTagOfEverySet) {
  Options mpeg, avc, downward;
  mpeg.frames = avc.frames = downward.frames = 2;
  mpeg.ancillary = true;
  avc.codecRow = 6;
  downward.codecRow = 5;
  downward.dynamicTags = mxfgen::DynamicTags::Downward;
  for (const Options& o : {mpeg, avc, downward}) {
    const Header h = Load(o);
    for (const Klv& k : h.sets) {
      if (k.key == kPrimer || Matches(k.key, kFillPattern)) continue;
      for (const LocalItem& i : LocalItems(h.d, k)) EXPECT_TRUE(h.primer.count(i.tag)) << std::hex << i.tag;
    }
  }
}

TEST(MxfgenHeaderMetadata, DynamicTagsFollowTheVersionTableOrCountDownFromFFFF) {
  struct Expect {
    int minor;
    mxfgen::DynamicTags mode;
    uint16_t contentType, bitRate;
  };
  for (const Expect& e : {Expect{2, mxfgen::DynamicTags::Fixed, 0x8008, 0x800F},
                          Expect{3, mxfgen::DynamicTags::Fixed, 0x8002, 0x8008},
                          Expect{3, mxfgen::DynamicTags::Downward, 0, 0}}) {
    Options o;
    o.frames = 2;
    o.versionMinor = e.minor;
    o.dynamicTags = e.mode;
    o.codecRow = 1;
    o.bitRate = 50'000'000;
    const Header h = Load(o);
    const uint16_t contentType = TagOf(h, kCodedContentTypeUL), bitRate = TagOf(h, kBitRateUL);
    if (e.contentType) {
      EXPECT_EQ(contentType, e.contentType);
      EXPECT_EQ(bitRate, e.bitRate);
    } else {
      EXPECT_GE(contentType, 0xFFF0);
      EXPECT_GE(bitRate, 0xFFF0);
    }
    const Klv* mpegDescriptor = First(h, 0x51);
    ASSERT_NE(mpegDescriptor, nullptr);
    const auto items = LocalItems(h.d, *mpegDescriptor);
    const LocalItem* cct = FindTag(items, contentType);
    const LocalItem* rate = FindTag(items, bitRate);
    ASSERT_TRUE(cct && rate);
    EXPECT_EQ(h.d[cct->value], 2) << "interlaced";
    EXPECT_EQ(Be32(h.d, rate->value), 50'000'000u);
    EXPECT_EQ(Be32(h.d, FindTag(items, 0x3208)->value), 540u) << "an interlaced picture stores the field height";
    EXPECT_EQ(Be32(h.d, FindTag(items, 0x3209)->value), 1920u);
  }
}

TEST(MxfgenHeaderMetadata, AvcSubDescriptorFollowsTheCdciDescriptor) {
  for (auto mode : {mxfgen::DynamicTags::Fixed, mxfgen::DynamicTags::Downward}) {
    Options o;
    o.frames = 2;
    o.codecRow = 5;
    o.dynamicTags = mode;
    const Header h = Load(o);
    const Klv* cdci = First(h, 0x28);
    const Klv* sub = First(h, 0x6E);
    ASSERT_TRUE(cdci && sub);
    EXPECT_GT(sub->offset, cdci->offset);
    EXPECT_EQ(First(h, 0x51), nullptr);
    const Key xavcIntra = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A, 0x04, 0x01, 0x02, 0x02, 0x01, 0x32, 0x30, 0x01};
    EXPECT_EQ(KeyAt(h.d, FindTag(LocalItems(h.d, *cdci), 0x3201)->value), xavcIntra);
    const uint16_t tag = TagOf(h, kAvcMaximumBitrateUL);
    EXPECT_EQ(tag, mode == mxfgen::DynamicTags::Fixed ? 0x800D : tag);
    const auto subItems = LocalItems(h.d, *sub);
    const LocalItem* rate = FindTag(subItems, tag);
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(Be32(h.d, rate->value), 300'000'000u);
  }
}

TEST(MxfgenHeaderMetadata, FirstTimecodeComponentAndFirstTrackCarryTheFileTiming) {
  struct Case {
    int cls;
    uint32_t num, den;
    bool df;
    int64_t start;
    uint32_t expectNum, expectDen;
    uint16_t base;
  };
  for (const Case& c : {Case{6, 0, 0, true, 1078920, 30000, 1001, 30},   // 10:00:00;00 DF
                        Case{1, 25, 1, false, 90000, 25, 1, 25},          // an integer edit rate
                        Case{7, 0, 0, true, 2157840, 60000, 1001, 60}}) {
    Options o;
    o.frames = 7;
    o.frameRateClass = c.cls;
    o.editRateNum = c.num;
    o.editRateDen = c.den;
    o.dropFrame = c.df;
    o.startFrame = c.start;
    const Header h = Load(o);
    EXPECT_EQ(Count(h, 0x14), 1u) << "one timecode component";
    const auto tc = LocalItems(h.d, *First(h, 0x14));
    EXPECT_EQ(Be64(h.d, FindTag(tc, 0x1501)->value), static_cast<uint64_t>(c.start));
    EXPECT_EQ(Be16(h.d, FindTag(tc, 0x1502)->value), c.base);
    EXPECT_EQ(h.d[FindTag(tc, 0x1503)->value], c.df ? 1 : 0);
    EXPECT_EQ(Be64(h.d, FindTag(tc, 0x0202)->value), 7u);
    const auto trackItems = LocalItems(h.d, *First(h, 0x3B));
    const LocalItem* rate = FindTag(trackItems, 0x4B01);
    EXPECT_EQ(Be32(h.d, rate->value), c.expectNum);
    EXPECT_EQ(Be32(h.d, rate->value + 4), c.expectDen);
  }
}

TEST(MxfgenHeaderMetadata, PrefaceAndSoundDescriptors) {
  Options o;
  o.frames = 2;
  o.tracks = 5;
  o.ancillary = true;
  o.versionMinor = 3;
  o.company = "ACME";
  Header h = Load(o);
  const auto preface = LocalItems(h.d, *First(h, 0x2F));
  EXPECT_EQ(Be16(h.d, FindTag(preface, 0x3B05)->value), 0x0103u);
  const Key op1a = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00};
  EXPECT_EQ(KeyAt(h.d, FindTag(preface, 0x3B09)->value), op1a);
  const LocalItem* batch = FindTag(preface, 0x3B0A);
  ASSERT_EQ(Be32(h.d, batch->value), 3u);
  const Key mpegFrame = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x02, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01};
  const Key aes3Frame = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x06, 0x03, 0x00};
  const Key anc = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x09, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x0E, 0x00, 0x00};
  EXPECT_EQ(KeyAt(h.d, batch->value + 8), mpegFrame);
  EXPECT_EQ(KeyAt(h.d, batch->value + 24), aes3Frame);
  EXPECT_EQ(KeyAt(h.d, batch->value + 40), anc);
  const auto ident = LocalItems(h.d, *First(h, 0x30));
  const std::vector<uint8_t> acme = {0, 'A', 0, 'C', 0, 'M', 0, 'E'};
  const LocalItem* company = FindTag(ident, 0x3C01);
  EXPECT_EQ(std::vector<uint8_t>(h.d.begin() + static_cast<long>(company->value),
                                 h.d.begin() + static_cast<long>(company->value + company->length)),
            acme);

  EXPECT_EQ(Count(h, 0x47), 5u);
  EXPECT_EQ(Count(h, 0x48), 0u);
  EXPECT_EQ(Count(h, 0x44), 1u) << "multiple descriptor";
  EXPECT_EQ(Count(h, 0x5C), 1u) << "ANC data descriptor";
  const auto sound = LocalItems(h.d, *First(h, 0x47));
  EXPECT_EQ(Be32(h.d, FindTag(sound, 0x3D01)->value), 24u);
  EXPECT_EQ(Be32(h.d, FindTag(sound, 0x3D03)->value), 48000u);
  EXPECT_EQ(Be16(h.d, FindTag(sound, 0x3D0A)->value), 3u);
  EXPECT_EQ(Be32(h.d, FindTag(sound, 0x3D09)->value), 144000u);

  o.audio = mxfgen::AudioWrapping::Bwf;
  o.bits = 16;
  h = Load(o);
  EXPECT_EQ(Count(h, 0x47), 0u);
  EXPECT_EQ(Count(h, 0x48), 5u);
  EXPECT_EQ(Be16(h.d, FindTag(LocalItems(h.d, *First(h, 0x48)), 0x3D0A)->value), 2u);
}

}  // namespace
