// Deliberate faults: each one changes exactly what it names.
#include <gtest/gtest.h>

#include "tests/mxfgen/mxf_bytes.h"
#include "tools/mxfgen/mxfgen.h"

using namespace mxftest;
using mxfgen::Layout;
using mxfgen::Options;

namespace {

struct File {
  Layout l;
  std::vector<uint8_t> d;
  std::vector<Klv> header;  // header metadata items

  size_t Sets(uint8_t type) const {
    size_t n = 0;
    for (const Klv& k : header) n += k.key == SetKey(type);
    return n;
  }
  const Klv* Set(uint8_t type) const {
    for (const Klv& k : header)
      if (k.key == SetKey(type)) return &k;
    return nullptr;
  }
  size_t Segments() const {
    size_t n = 0;
    for (const auto& p : l.partitions) {
      const uint64_t s = p.contentOffset + p.headerByteCount;
      n += WithKey(Walk(d, s, s + p.indexByteCount), kIndexSegment).size();
    }
    return n;
  }
};

File Make(Options o) {
  if (o.frames == 100) o.frames = 3;
  TempDir dir;
  File f;
  std::string error;
  EXPECT_TRUE(mxfgen::WriteMxf(dir.File("x.mxf"), o, &f.l, &error)) << error;
  f.d = ReadAll(dir.File("x.mxf"));
  const auto& h = f.l.partitions.front();
  f.header = Walk(f.d, h.contentOffset, h.contentOffset + h.headerByteCount);
  return f;
}

TEST(MxfgenFaults, EachOmissionRemovesOnlyItsSets) {
  const File good = Make(Options{});
  ASSERT_EQ(good.Sets(0x2F), 1u);
  ASSERT_EQ(good.Sets(0x30), 1u);
  ASSERT_EQ(good.Sets(0x14), 1u);
  ASSERT_EQ(good.Sets(0x37), 1u);
  ASSERT_EQ(good.Sets(0x47), 8u);
  ASSERT_EQ(good.Sets(0x51), 1u);
  ASSERT_EQ(good.Sets(0x3B), 10u + 9u);  // material: timecode + 9 essence tracks; file: 9

  struct Case {
    void (*set)(Options&);
    uint8_t gone;
  };
  const Case cases[] = {
      {[](Options& o) { o.omit.preface = true; }, 0x2F},
      {[](Options& o) { o.omit.identification = true; }, 0x30},
      {[](Options& o) { o.omit.timecodeComponent = true; }, 0x14},
      {[](Options& o) { o.omit.timelineTracks = true; }, 0x3B},
      {[](Options& o) { o.omit.filePackage = true; }, 0x37},
      {[](Options& o) { o.omit.audioDescriptors = true; }, 0x47},
      {[](Options& o) { o.omit.pictureDescriptor = true; }, 0x51},
  };
  for (const Case& c : cases) {
    Options o;
    c.set(o);
    const File f = Make(o);
    EXPECT_EQ(f.Sets(c.gone), 0u) << std::hex << int{c.gone};
    for (uint8_t other : {0x2F, 0x30, 0x14, 0x37, 0x47, 0x51, 0x18, 0x36}) {
      if (other != c.gone) {
        EXPECT_GT(f.Sets(other), 0u) << std::hex << int{c.gone} << " took " << int{other};
      }
    }
    EXPECT_EQ(f.Segments(), 1u);
  }

  Options noIndex;
  noIndex.omit.index = true;
  const File f = Make(noIndex);
  EXPECT_EQ(f.Segments(), 0u);
  for (const auto& p : f.l.partitions) EXPECT_EQ(p.indexSid, 0u);
}

TEST(MxfgenFaults, RandomIndexPackCanBeLeftOutOrMissTheFooter) {
  Options o;
  o.omit.rip = true;
  File f = Make(o);
  EXPECT_EQ(f.l.ripOffset, 0u);
  EXPECT_EQ(f.d.size(), f.l.fileSize);
  const auto& footer = f.l.partitions.back();
  const auto tail = Walk(f.d, footer.offset, f.d.size());
  EXPECT_EQ(tail.back().end(), f.d.size()) << "the file ends with the footer's index";
  for (const Klv& k : tail) EXPECT_NE(k.key, kRip);

  o = Options{};
  o.omit.ripFooterEntry = true;
  o.essencePartitions = 2;
  f = Make(o);
  Klv rip;
  ASSERT_TRUE(KlvAt(f.d, f.l.ripOffset, &rip));
  ASSERT_EQ(rip.length, 12u * 3 + 4);  // header and two bodies
  EXPECT_EQ(Be64(f.d, rip.value + 24 + 4), f.l.partitions[2].offset);
}

TEST(MxfgenFaults, LabelsAndDescriptorValues) {
  Options o;
  o.opQualifier = 0x00;
  o.clipWrapped = true;
  o.audioSamplingRate = 44100;
  o.quantizationBits = 20;
  o.versionMajor = 2;
  o.versionMinor = 4;
  o.partitionMinor = 2;
  o.partitionMajor = 1;
  o.unknownDuration = true;
  const File f = Make(o);
  const auto preface = LocalItems(f.d, *f.Set(0x2F));
  EXPECT_EQ(f.d[FindTag(preface, 0x3B09)->value + 14], 0x00);
  EXPECT_EQ(f.d[FindTag(preface, 0x3B0A)->value + 8 + 15], 0x02) << "clip-wrapped picture container";
  EXPECT_EQ(Be16(f.d, FindTag(preface, 0x3B05)->value), 0x0204u);
  const auto& pack = f.l.partitions.front();
  EXPECT_EQ(Be16(f.d, pack.offset + 20), 1u);
  EXPECT_EQ(Be16(f.d, pack.offset + 22), 2u);
  EXPECT_EQ(f.d[pack.offset + 20 + 64 + 14], 0x00) << "the packs carry the same label";
  const auto sound = LocalItems(f.d, *f.Set(0x47));
  EXPECT_EQ(Be32(f.d, FindTag(sound, 0x3D03)->value), 44100u);
  EXPECT_EQ(Be32(f.d, FindTag(sound, 0x3D01)->value), 20u);
  EXPECT_EQ(Be64(f.d, FindTag(LocalItems(f.d, *f.Set(0x14)), 0x0202)->value), ~uint64_t{0});
}

TEST(MxfgenFaults, DeltaEntriesSampleCountsAndPartitionStatus) {
  Options o;
  o.tracks = 24;
  o.extraDeltaEntries = 1;
  o.samplesPerFrame = 1601;
  o.headerStatus = mxfgen::kOpenComplete;
  o.statusByPartition = {0, mxfgen::kOpenIncomplete};
  const File f = Make(o);
  EXPECT_EQ(f.l.elementDeltas.size(), 27u);
  const auto& footer = f.l.partitions.back();
  const auto seg = WithKey(Walk(f.d, footer.contentOffset, footer.contentOffset + footer.indexByteCount), kIndexSegment);
  ASSERT_EQ(seg.size(), 1u);
  EXPECT_EQ(Be32(f.d, FindTag(LocalItems(f.d, seg[0]), 0x3F09)->value), 27u);
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(f.l.Sound(frame, 23).valueSize, 1601u * 3);
  EXPECT_EQ(f.d[f.l.partitions[0].offset + 14], 0x03);
  EXPECT_EQ(f.d[f.l.partitions[1].offset + 14], 0x01);
  EXPECT_EQ(f.d[footer.offset + 14], 0x04);
}

TEST(MxfgenFaults, ImpossibleOptionsAreRefused) {
  const std::vector<void (*)(Options&)> bad = {
      [](Options& o) { o.tracks = 27; },   [](Options& o) { o.bits = 20; },
      [](Options& o) { o.kag = 100; },     [](Options& o) { o.frameRateClass = 8; },
      [](Options& o) { o.frames = 0; },    [](Options& o) { o.codecRow = 8; },
      [](Options& o) { o.essencePartitions = 200; },
      [](Options& o) { o.startFrame = 30 * 86400; },
      [](Options& o) { o.startTimecode = "10:00:00:30"; }};
  for (auto set : bad) {
    Options o;
    set(o);
    std::string error;
    Layout l;
    EXPECT_FALSE(mxfgen::PlanMxf(o, &l, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
