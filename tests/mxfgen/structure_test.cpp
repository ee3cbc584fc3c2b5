// The bytes mxfgen writes agree with the layout it reports, and with the
// file structure Velmora's reader expects (partitions, random index pack,
// content packages, fills, KAG alignment).
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "tests/mxfgen/mxf_bytes.h"
#include "tools/mxfgen/mxfgen.h"

using namespace mxftest;
using mxfgen::Layout;
using mxfgen::Options;
using mxfgen::PartitionLayout;

namespace {

struct Written {
  Layout layout;
  std::vector<uint8_t> bytes;
};

Written Generate(const Options& o, const TempDir& dir, const std::string& name = "f.mxf") {
  Written w;
  std::string error;
  const std::string path = dir.File(name);
  EXPECT_TRUE(mxfgen::WriteMxf(path, o, &w.layout, &error)) << error;
  w.bytes = ReadAll(path);
  return w;
}

struct Variant {
  const char* name;
  Options options;
};

std::vector<Variant> Variants() {
  std::vector<Variant> v;
  Options base;
  base.frames = 23;
  v.push_back({"kag512_footer", base});
  Options kag1 = base;
  kag1.kag = 1;
  v.push_back({"kag1_footer", kag1});
  Options split = base;
  split.indexLayout = mxfgen::IndexLayout::FooterSplit;
  split.maxSegmentEntries = 5;
  split.essencePartitions = 3;
  v.push_back({"split_over_three_bodies", split});
  Options before = kag1;
  before.indexLayout = mxfgen::IndexLayout::BodyBefore;
  before.essencePartitions = 4;
  before.ancillary = true;
  v.push_back({"kag1_body_before_anc", before});
  Options after = base;
  after.indexLayout = mxfgen::IndexLayout::BodyAfter;
  after.essencePartitions = 2;
  after.bits = 16;
  after.audio = mxfgen::AudioWrapping::Bwf;
  after.pictureSizes = {1000, 70000, 513};
  v.push_back({"body_after_bwf16_varied_pictures", after});
  Options avc = base;
  avc.codecRow = 5;
  avc.frameRateClass = 1;
  avc.tracks = 3;
  v.push_back({"avc_25", avc});
  return v;
}

class Structure : public ::testing::TestWithParam<Variant> {};

TEST_P(Structure, PartitionsAndRandomIndexPackMatchLayout) {
  TempDir dir;
  const Options& o = GetParam().options;
  const Written w = Generate(o, dir);
  const auto& d = w.bytes;
  const Layout& l = w.layout;
  ASSERT_EQ(d.size(), l.fileSize);

  // Random index pack: the last four bytes are its overall length.
  const uint32_t ripLength = Be32(d, d.size() - 4);
  ASSERT_EQ(l.ripOffset, d.size() - ripLength);
  Klv rip;
  ASSERT_TRUE(KlvAt(d, l.ripOffset, &rip));
  EXPECT_EQ(rip.key, kRip);
  ASSERT_EQ(rip.length, 12 * l.partitions.size() + 4);
  const uint64_t footerOffset = l.partitions.back().offset;
  for (size_t i = 0; i < l.partitions.size(); ++i) {
    const PartitionLayout& p = l.partitions[i];
    EXPECT_EQ(Be32(d, rip.value + 12 * i), p.bodySid);
    EXPECT_EQ(Be64(d, rip.value + 12 * i + 4), p.offset);

    Klv pack;
    ASSERT_TRUE(KlvAt(d, p.offset, &pack)) << "partition " << i;
    ASSERT_TRUE(Matches(pack.key, kPartitionPattern));
    EXPECT_EQ(pack.key[13], 0x02 + p.kind);
    EXPECT_EQ(pack.key[14], 0x04) << "closed and complete";
    EXPECT_EQ(Be16(d, pack.value), 1u);
    EXPECT_EQ(Be16(d, pack.value + 2), 2u);
    EXPECT_EQ(Be32(d, pack.value + 4), o.kag);
    EXPECT_EQ(Be64(d, pack.value + 8), p.offset);
    EXPECT_EQ(Be64(d, pack.value + 16), i ? l.partitions[i - 1].offset : 0);
    EXPECT_EQ(Be64(d, pack.value + 24), footerOffset);
    EXPECT_EQ(Be64(d, pack.value + 32), p.headerByteCount);
    EXPECT_EQ(Be64(d, pack.value + 40), p.indexByteCount);
    EXPECT_EQ(Be32(d, pack.value + 48), p.indexSid);
    EXPECT_EQ(Be64(d, pack.value + 52), p.bodyOffset);
    EXPECT_EQ(Be32(d, pack.value + 60), p.bodySid);
    const Key op1a = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00};
    EXPECT_EQ(KeyAt(d, pack.value + 64), op1a);

    // The pack and its fill fill exactly one KAG; with KAG 1 nothing follows the pack.
    if (o.kag == 512) {
      EXPECT_EQ(p.offset % 512, 0u);
      EXPECT_EQ(p.contentOffset, p.offset + 512);
      Klv fill;
      ASSERT_TRUE(KlvAt(d, pack.end(), &fill));
      EXPECT_TRUE(Matches(fill.key, kFillPattern));
      EXPECT_EQ(fill.end(), p.contentOffset);
    } else {
      EXPECT_EQ(p.contentOffset, pack.end());
    }
    // Header metadata, index area and essence tile their byte counts exactly.
    if (p.headerByteCount) {
      const auto items = Walk(d, p.contentOffset, p.contentOffset + p.headerByteCount);
      ASSERT_FALSE(items.empty());
      EXPECT_EQ(items.front().key, kPrimer);
      EXPECT_EQ(items.back().end(), p.contentOffset + p.headerByteCount);
    }
    if (p.indexByteCount) {
      const uint64_t start = p.contentOffset + p.headerByteCount;
      const auto items = Walk(d, start, start + p.indexByteCount);
      ASSERT_FALSE(items.empty());
      EXPECT_EQ(items.back().end(), start + p.indexByteCount);
      for (const Klv& k : items) EXPECT_TRUE(k.key == kIndexSegment || Matches(k.key, kFillPattern));
    }
    const auto essence = Walk(d, p.essenceOffset, p.essenceOffset + p.essenceBytes);
    if (p.essenceBytes) {
      EXPECT_EQ(essence.back().end(), p.essenceOffset + p.essenceBytes);
    }
    EXPECT_EQ(static_cast<int64_t>(WithKey(essence, kSystemItem).size()), p.frameCount);
  }
}

TEST_P(Structure, ContentPackagesMatchLayout) {
  TempDir dir;
  const Options& o = GetParam().options;
  const Written w = Generate(o, dir);
  const auto& d = w.bytes;
  const Layout& l = w.layout;
  const uint32_t bps = static_cast<uint32_t>(o.bits / 8);
  const Key& soundPattern = o.audio == mxfgen::AudioWrapping::Aes3 ? kAes3SoundPattern : kBwfSoundPattern;

  for (size_t f = 0; f < l.frames.size(); ++f) {
    const mxfgen::FrameLayout& fl = l.frames[f];
    Klv sys, pic;
    ASSERT_TRUE(KlvAt(d, fl.packageOffset, &sys));
    EXPECT_EQ(sys.key, kSystemItem);
    EXPECT_EQ(sys.length, 57u);
    EXPECT_EQ(d[fl.packageOffset + 60], 0x81) << "user date/time stamp holds SMPTE 12M timecode";
    EXPECT_EQ(uint32_t{d[fl.packageOffset + 61]} | uint32_t{d[fl.packageOffset + 62]} << 8 |
                  uint32_t{d[fl.packageOffset + 63]} << 16 | uint32_t{d[fl.packageOffset + 64]} << 24,
              fl.timecodeWord);

    ASSERT_TRUE(KlvAt(d, fl.pictureKeyOffset, &pic));
    EXPECT_TRUE(Matches(pic.key, kPicturePattern));
    EXPECT_EQ(pic.length, fl.pictureValueSize);
    EXPECT_EQ(pic.value, fl.pictureValueOffset);
    EXPECT_EQ(fl.pictureKeyOffset - fl.packageOffset, l.systemItemSize);

    const uint64_t slice = fl.packageOffset + fl.sliceOffset;
    for (int t = 0; t < o.tracks; ++t) {
      const mxfgen::SoundElementLayout& s = l.Sound(static_cast<int64_t>(f), t);
      EXPECT_EQ(s.keyOffset, slice + static_cast<uint64_t>(t) * l.soundElementSize);
      Klv snd, fill;
      ASSERT_TRUE(KlvAt(d, s.keyOffset, &snd));
      ASSERT_TRUE(Matches(snd.key, soundPattern));
      EXPECT_EQ(snd.key[13], o.tracks);
      EXPECT_EQ(snd.key[15], t + 1);
      EXPECT_EQ(snd.length, s.samples * bps);
      EXPECT_EQ(snd.value, s.valueOffset);
      for (uint32_t i = 0; i < s.samples; i += 97) {
        const uint32_t expect = mxfgen::PatternSample(t, s.firstSample + i, o.bits);
        uint32_t got = 0;
        for (uint32_t b = 0; b < bps; ++b) got |= uint32_t{d[s.valueOffset + i * bps + b]} << (8 * b);
        ASSERT_EQ(got, expect) << "frame " << f << " track " << t << " sample " << i;
      }
      ASSERT_TRUE(KlvAt(d, snd.end(), &fill));
      EXPECT_TRUE(Matches(fill.key, kFillPattern));
      EXPECT_EQ(fill.offset, s.fillOffset);
      EXPECT_EQ(fill.end() - snd.offset, l.soundElementSize) << "element + fill is constant";
      if (o.kag == 512) {
        EXPECT_EQ(s.keyOffset % 512, 0u);
      }
    }
    if (o.ancillary) {
      Klv anc;
      ASSERT_TRUE(KlvAt(d, fl.ancKeyOffset, &anc));
      EXPECT_EQ(anc.key, kAncElement);
      EXPECT_EQ(fl.ancKeyOffset, slice + static_cast<uint64_t>(o.tracks) * l.soundElementSize);
    }
    if (o.kag == 512) {
      EXPECT_EQ(fl.packageOffset % 512, 0u);
      EXPECT_EQ(fl.pictureKeyOffset % 512, 0u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Mxfgen, Structure, ::testing::ValuesIn(Variants()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MxfgenFill, SoundElementPlusFillStaysConstantOverTheCycle) {
  TempDir dir;
  Options o;
  o.frames = 6;
  o.tracks = 2;
  o.kag = 1;
  Written w = Generate(o, dir);
  // 29.97: 1602 1601 1602 1601 1602 1602 samples of 3 bytes; largest value 4806.
  const uint32_t samples[6] = {1602, 1601, 1602, 1601, 1602, 1602};
  EXPECT_EQ(w.layout.soundElementSize, 20u + 4806u + 20u);
  for (int f = 0; f < 6; ++f) {
    EXPECT_EQ(w.layout.Sound(f, 1).samples, samples[f]);
    EXPECT_EQ(w.layout.Sound(f, 1).fillSize, samples[f] == 1602 ? 20u : 23u);
  }
  o.kag = 512;
  w = Generate(o, dir);
  EXPECT_EQ(w.layout.soundElementSize, 5120u);

  // 59.94 starting one frame into its 801 801 800 801 801 cycle.
  o.frameRateClass = 7;
  o.cyclePhase = 1;
  o.bits = 16;
  o.kag = 1;
  w = Generate(o, dir);
  const uint32_t s5994[6] = {801, 800, 801, 801, 801, 801};
  for (int f = 0; f < 6; ++f) EXPECT_EQ(w.layout.Sound(f, 0).samples, s5994[f]);
  EXPECT_EQ(w.layout.soundElementSize, 20u + 1602u + 20u);
  EXPECT_EQ(w.layout.Sound(5, 0).firstSample, 801u + 800 + 801 + 801 + 801);
}

TEST(MxfgenSparse, SparsePicturesGiveTheSameBytesWithHoles) {
  TempDir dir;
  Options o;
  o.frames = 12;
  o.tracks = 2;
  o.pictureBytes = 2'000'000;
  const Written full = Generate(o, dir, "full.mxf");
  o.sparsePicture = true;
  const Written sparse = Generate(o, dir, "sparse.mxf");
  EXPECT_EQ(full.bytes, sparse.bytes);
#if defined(_WIN32)
  GTEST_SKIP() << "files here are not sparse unless marked so; only the bytes are compared";
#else
  struct stat st {};
  ASSERT_EQ(stat(dir.File("sparse.mxf").c_str(), &st), 0);
  EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512, sparse.layout.fileSize / 4) << "picture values are holes";
#endif
}

}  // namespace
