// Index table segments: where each layout puts them, their delta entries,
// and index entries that resolve to the content packages actually written.
#include <gtest/gtest.h>

#include <map>

#include "tests/mxfgen/mxf_bytes.h"
#include "tools/mxfgen/mxfgen.h"

using namespace mxftest;
using mxfgen::IndexLayout;
using mxfgen::Layout;
using mxfgen::Options;

namespace {

struct Segment {
  int partition = 0;
  int64_t start = 0, duration = 0;
  uint32_t indexSid = 0, bodySid = 0;
  uint8_t slices = 0;
  std::vector<std::pair<uint8_t, uint32_t>> deltas;     // slice, element delta
  std::vector<std::pair<uint64_t, uint32_t>> entries;   // stream offset, slice offset
};

Segment Parse(const std::vector<uint8_t>& d, const Klv& k, int partition) {
  Segment s;
  s.partition = partition;
  for (const LocalItem& i : LocalItems(d, k)) {
    switch (i.tag) {
      case 0x3F0C: s.start = static_cast<int64_t>(Be64(d, i.value)); break;
      case 0x3F0D: s.duration = static_cast<int64_t>(Be64(d, i.value)); break;
      case 0x3F06: s.indexSid = Be32(d, i.value); break;
      case 0x3F07: s.bodySid = Be32(d, i.value); break;
      case 0x3F08: s.slices = d[i.value]; break;
      case 0x3F09:
        for (uint32_t n = 0; n < Be32(d, i.value); ++n)
          s.deltas.push_back({d[i.value + 8 + 6 * n + 1], Be32(d, i.value + 8 + 6 * n + 2)});
        break;
      case 0x3F0A: {
        const uint32_t size = Be32(d, i.value + 4);
        EXPECT_EQ(size, 11u + 4u * s.slices);
        for (uint32_t n = 0; n < Be32(d, i.value); ++n) {
          const uint64_t e = i.value + 8 + uint64_t{size} * n;
          s.entries.push_back({Be64(d, e + 3), s.slices ? Be32(d, e + 11) : 0});
        }
        break;
      }
      default: break;
    }
  }
  return s;
}

// Segments in file order, read from every partition's index area.
std::vector<Segment> ReadSegments(const std::vector<uint8_t>& d, const Layout& l) {
  std::vector<Segment> out;
  for (size_t p = 0; p < l.partitions.size(); ++p) {
    const uint64_t start = l.partitions[p].contentOffset + l.partitions[p].headerByteCount;
    for (const Klv& k : WithKey(Walk(d, start, start + l.partitions[p].indexByteCount), kIndexSegment))
      out.push_back(Parse(d, k, static_cast<int>(p)));
  }
  return out;
}

// Absolute offset of a stream offset: the BodySID 1 partition with the
// largest BodyOffset not above it.
uint64_t Resolve(const Layout& l, uint64_t streamOffset) {
  const mxfgen::PartitionLayout* best = nullptr;
  for (const auto& p : l.partitions)
    if (p.bodySid == 1 && p.bodyOffset <= streamOffset && (!best || p.bodyOffset >= best->bodyOffset)) best = &p;
  return best ? best->essenceOffset + (streamOffset - best->bodyOffset) : 0;
}

struct Case {
  const char* name;
  IndexLayout layout;
  int partitions;
  uint32_t cap;
  uint32_t kag;
};

class IndexLayouts : public ::testing::TestWithParam<Case> {};

TEST_P(IndexLayouts, SegmentsCoverEveryFrameAndPointAtItsContentPackage) {
  const Case c = GetParam();
  Options o;
  o.frames = 17;
  o.tracks = 3;
  o.ancillary = true;
  o.kag = c.kag;
  o.indexLayout = c.layout;
  o.essencePartitions = c.partitions;
  o.maxSegmentEntries = c.cap;
  o.pictureSizes = {3000, 100, 9000};
  TempDir dir;
  Layout l;
  std::string error;
  ASSERT_TRUE(mxfgen::WriteMxf(dir.File("i.mxf"), o, &l, &error)) << error;
  const auto d = ReadAll(dir.File("i.mxf"));
  const std::vector<Segment> segments = ReadSegments(d, l);
  ASSERT_EQ(segments.size(), l.segments.size());

  // Delta entries, independently: system item and picture in slice 0, then
  // the sound elements and the ancillary element in slice 1.
  const uint32_t system = c.kag == 512 ? 512 : 77;
  const uint32_t sound = l.soundElementSize;
  const std::vector<std::pair<uint8_t, uint32_t>> deltas = {
      {0, 0}, {0, system}, {1, 0}, {1, sound}, {1, 2 * sound}, {1, 3 * sound}};

  int64_t next = 0;
  for (const Segment& s : segments) {
    EXPECT_EQ(s.start, next) << "segments in frame order without gaps";
    next += s.duration;
    EXPECT_EQ(s.indexSid, 1u);
    EXPECT_EQ(s.bodySid, 1u);
    EXPECT_EQ(s.slices, 1);
    EXPECT_EQ(s.deltas, deltas);
    ASSERT_EQ(static_cast<int64_t>(s.entries.size()), s.duration);
    if (c.cap) {
      EXPECT_LE(s.duration, c.cap);
    }
    const auto& holder = l.partitions[static_cast<size_t>(s.partition)];
    EXPECT_EQ(holder.indexSid, 1u);
    for (int64_t i = 0; i < s.duration; ++i) {
      const auto& f = l.frames[static_cast<size_t>(s.start + i)];
      EXPECT_EQ(Resolve(l, s.entries[static_cast<size_t>(i)].first), f.packageOffset);
      EXPECT_EQ(s.entries[static_cast<size_t>(i)].second, l.Sound(s.start + i, 0).keyOffset - f.packageOffset);
    }
    switch (c.layout) {
      case IndexLayout::Footer:
      case IndexLayout::FooterSplit:
        EXPECT_EQ(holder.kind, 2);
        break;
      case IndexLayout::BodyBefore:  // in the partition whose essence it indexes
        EXPECT_EQ(holder.bodySid, 1u);
        EXPECT_LE(holder.firstFrame, s.start);
        EXPECT_LE(s.start + s.duration, holder.firstFrame + holder.frameCount);
        break;
      case IndexLayout::BodyAfter:  // in an index-only partition right after that essence
        EXPECT_EQ(holder.bodySid, 0u);
        EXPECT_EQ(l.partitions[static_cast<size_t>(s.partition) - 1].firstFrame, s.start);
        break;
      case IndexLayout::Repeated:  // not in this table: segments cover the frames twice
        break;
    }
  }
  EXPECT_EQ(next, o.frames);

  // With KAG 512 a partition's parts start one KAG after its pack, so
  // ThisPartition + KAG + HeaderByteCount + IndexByteCount - BodyOffset is
  // where stream offset 0 of its essence would lie.
  if (c.kag == 512) {
    for (const auto& p : l.partitions) {
      if (p.bodySid == 1) {
        EXPECT_EQ(p.offset + 512 + p.headerByteCount + p.indexByteCount, p.essenceOffset);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Mxfgen, IndexLayouts,
                         ::testing::Values(Case{"footer", IndexLayout::Footer, 1, 0, 512},
                                           Case{"footer_over_3_bodies_kag1", IndexLayout::Footer, 3, 0, 1},
                                           Case{"split_4_spanning_bodies", IndexLayout::FooterSplit, 2, 4, 512},
                                           Case{"body_before", IndexLayout::BodyBefore, 3, 0, 512},
                                           Case{"body_before_split_kag1", IndexLayout::BodyBefore, 2, 3, 1},
                                           Case{"body_after", IndexLayout::BodyAfter, 4, 0, 512},
                                           Case{"body_after_kag1", IndexLayout::BodyAfter, 1, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MxfgenIndex, ALongFooterIndexIsSplitWhereOneItemCannotHoldIt) {
  Options o;
  o.frames = 9000;
  o.tracks = 1;
  Layout l;
  std::string error;
  ASSERT_TRUE(mxfgen::PlanMxf(o, &l, &error)) << error;
  ASSERT_EQ(l.segments.size(), 3u);
  EXPECT_EQ(l.segments[0].duration, 4368);
  EXPECT_EQ(l.segments[1].startPosition, 4368);
  EXPECT_EQ(l.segments[2].duration, 9000 - 2 * 4368);
}

TEST(MxfgenIndex, NoAudioMeansNoSecondSlice) {
  Options o;
  o.frames = 4;
  o.tracks = 0;
  TempDir dir;
  Layout l;
  ASSERT_TRUE(mxfgen::WriteMxf(dir.File("n.mxf"), o, &l, nullptr));
  const auto segments = ReadSegments(ReadAll(dir.File("n.mxf")), l);
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0].slices, 0);
  EXPECT_EQ(segments[0].deltas.size(), 2u);
}

}  // namespace
