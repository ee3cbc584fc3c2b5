// The index table step on generated files of every index layout, and on
// hand-made index areas for what a generator does not write.
#include <algorithm>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "tests/analysis_index/generated_file.h"
#include "tests/analysis_index/idx_bytes.h"

using namespace idxtest;

namespace {

// Every element against the generator's own account of the file.
void ExpectIndexMatchesLayout(const GeneratedFile& g) {
  const auto& entries = g.state.indexEntries;
  const auto& frames = g.layout.frames;
  ASSERT_EQ(entries.size(), frames.size());
  EXPECT_EQ(g.state.timecode.entryCount, static_cast<int32_t>(frames.size()));
  int64_t longest = 0;
  for (const auto& s : g.layout.segments) longest = std::max(longest, s.duration);
  EXPECT_EQ(g.state.timecode.segmentMaxFrames, longest);
  for (size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    const INDEX_ENTRY_ARRAY& e = entries[i];
    ASSERT_EQ(e.streamOffset, frames[i].packageOffset);
    ASSERT_EQ(e.partition, &g.state.partitions[size_t(frames[i].partition)]);
    ASSERT_EQ(e.sliceOffset, frames[i].sliceOffset);
    ASSERT_EQ(e.audioSamples, frames[i].samples);
    ASSERT_EQ(e.deltaCount, g.layout.elementDeltas.size());
    for (size_t d = 0; d < e.deltaCount; ++d) {
      ASSERT_EQ(e.deltas[d].elementDelta, g.layout.elementDeltas[d]);
      ASSERT_EQ(e.deltas[d].slice, g.layout.deltaSlices[d]);
    }
    ASSERT_LE(e.segmentStart, uint64_t(i));
    ASSERT_GT(e.segmentStart + e.segmentDuration, uint64_t(i));
  }
}

using LayoutCase = std::tuple<mxfgen::IndexLayout, int /*essence partitions*/, uint32_t /*kag*/,
                              uint32_t /*max entries per segment*/>;

class IndexLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(IndexLayouts, EveryFrameAtItsPackageInItsPartition) {
  const auto [layout, partitions, kag, cap] = GetParam();
  mxfgen::Options o = SmallOptions(47);
  o.indexLayout = layout;
  o.essencePartitions = partitions;
  o.kag = kag;
  o.maxSegmentEntries = cap;
  GeneratedFile g;
  ASSERT_TRUE(g.Write(o));
  ASSERT_EQ(g.AnalyzeThrough(600), 0);
  ExpectIndexMatchesLayout(g);
}

std::string LayoutName(const ::testing::TestParamInfo<LayoutCase>& info) {
  static const char* const kNames[] = {"Footer", "FooterSplit", "BodyBefore", "BodyAfter"};
  return std::string(kNames[int(std::get<0>(info.param))]) + "_" + std::to_string(std::get<1>(info.param)) +
         "Parts_Kag" + std::to_string(std::get<2>(info.param)) + "_Cap" + std::to_string(std::get<3>(info.param));
}

using mxfgen::IndexLayout;
INSTANTIATE_TEST_SUITE_P(
    Layouts, IndexLayouts,
    ::testing::Values(
        // One complete footer segment over one body partition.
        LayoutCase{IndexLayout::Footer, 1, 512, 0}, LayoutCase{IndexLayout::Footer, 1, 1, 0},
        // A complete footer index split into several segments.
        LayoutCase{IndexLayout::FooterSplit, 1, 512, 10}, LayoutCase{IndexLayout::FooterSplit, 1, 1, 7},
        // One footer segment whose entries lie in three body partitions.
        LayoutCase{IndexLayout::Footer, 3, 1, 0},
        // Footer segments over several partitions, cut across their bounds.
        LayoutCase{IndexLayout::FooterSplit, 4, 512, 9},
        // Segments ahead of their essence in each body partition (no footer
        // index): header + bodies + footer.
        LayoutCase{IndexLayout::BodyBefore, 3, 512, 0}, LayoutCase{IndexLayout::BodyBefore, 3, 1, 5},
        // Segments in index-only partitions after their essence.
        LayoutCase{IndexLayout::BodyAfter, 3, 512, 0}, LayoutCase{IndexLayout::BodyAfter, 2, 1, 6}),
    LayoutName);

TEST(IndexTableStep, SampleCountsCycleFromTheFirstIndexedFrame) {
  // Start timecodes off the cycle from midnight change nothing: the first
  // indexed frame takes the cycle's first count.
  for (int rate : {6, 7}) {
    SCOPED_TRACE(rate);
    mxfgen::Options o = SmallOptions(11);
    o.frameRateClass = rate;
    o.startFrame = 3;
    GeneratedFile g;
    ASSERT_TRUE(g.Write(o));
    ASSERT_EQ(g.AnalyzeThrough(600), 0);
    const uint32_t expect[2][6] = {{1602, 1601, 1602, 1601, 1602, 1602}, {801, 801, 800, 801, 801, 801}};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(g.state.indexEntries[i].audioSamples, expect[rate - 6][i]) << i;
  }
}

TEST(IndexTableStep, AncillaryDataElementSize) {
  for (bool anc : {false, true}) {
    SCOPED_TRACE(anc);
    mxfgen::Options o = SmallOptions(5);
    o.ancillary = anc;
    o.ancBytes = 300;
    GeneratedFile g;
    ASSERT_TRUE(g.Write(o));
    g.state.base.dataElementSize = 12345;  // what an earlier file left
    ASSERT_EQ(g.AnalyzeThrough(500), 0);
    ASSERT_EQ(g.state.base.hasAncillaryData, anc ? 1 : 0);
    g.state.base.dataElementSize = 12345;
    ASSERT_EQ(ReadIndexTable(g.file(), &g.state.base), 0);
    EXPECT_EQ(g.state.base.dataElementSize, anc ? g.layout.ancElementSize : 0u);
  }
}

TEST(IndexTableStep, TwentySixDeltaEntriesPassTwentySevenFail) {
  mxfgen::Options o = SmallOptions(5);
  o.tracks = 24;
  GeneratedFile g;
  ASSERT_TRUE(g.Write(o));
  ASSERT_EQ(g.AnalyzeThrough(600), 0);
  EXPECT_EQ(g.state.indexEntries[4].deltaCount, 26u);

  o.extraDeltaEntries = 1;
  ASSERT_TRUE(g.Write(o));
  ASSERT_EQ(g.AnalyzeThrough(500), 0);
  g.state.timecode.entryCount = -7;
  EXPECT_EQ(ReadIndexTable(g.file(), &g.state.base), 607);
  EXPECT_TRUE(g.state.indexEntries.empty());
  EXPECT_EQ(g.state.timecode.entryCount, -7);
}

TEST(IndexTableStep, WithoutAnySegment606) {
  mxfgen::Options o = SmallOptions(5);
  o.omit.index = true;
  GeneratedFile g;
  ASSERT_TRUE(g.Write(o));
  EXPECT_EQ(g.AnalyzeThrough(600), 606);
  EXPECT_TRUE(g.state.indexEntries.empty());
  EXPECT_EQ(g.state.timecode.entryCount, 0);
}

TEST(IndexTableStep, MissingRecordsAndFile) {
  MxfState s;
  ScratchMxf mxf(Bytes(64, 0));
  ASSERT_TRUE(mxf.ok());
  plat::File closed;
  EXPECT_EQ(ReadIndexTable(nullptr, &s.base), 601);
  EXPECT_EQ(ReadIndexTable(&closed, &s.base), 601);
  EXPECT_EQ(ReadIndexTable(mxf.file(), nullptr), 602);
  MXF_BASE_INFO base;
  EXPECT_EQ(ReadIndexTable(mxf.file(), &base), 603);
  base.partitions = &s.partitions;
  EXPECT_EQ(ReadIndexTable(mxf.file(), &base), 604);
  base.timecode = &s.timecode;
  EXPECT_EQ(ReadIndexTable(mxf.file(), &base), 605);
  base.indexEntries = &s.indexEntries;
  EXPECT_EQ(ReadIndexTable(mxf.file(), &base), 606);  // no partitions, no segments
}

// --- Hand-made index areas ---------------------------------------------------

// Header at 0 (no index), one body partition with essence from 10000, and a
// footer at 50000 whose index area holds `footer` segments.
struct HandMadeFile {
  Bytes bytes;
  MxfState state;

  explicit HandMadeFile(const std::vector<Segment>& footerSegments,
                        const std::vector<Segment>& headerSegments = {}) {
    Bytes header;
    for (const Segment& s : headerSegments) Put(&header, s.Klv());
    Bytes footer;
    for (const Segment& s : footerSegments) Put(&footer, s.Klv());
    state.partitions = {
        Partition(0, 0, 120, 2000, header.size(), headerSegments.empty() ? 0 : 1, 0, 0),
        Partition(1, 10000, 10100, 0, 0, 0, 1, 0),
        Partition(2, 50000, 50100, 0, footer.size(), 1, 0, 0),
    };
    PlaceAt(&bytes, 2120, header);
    PlaceAt(&bytes, 50100, footer);
    state.timecode.frameRateClass = 1;
  }
};

TEST(IndexTableStep, SegmentsOfAFooterIndexSplitOverOneBodyPartitionAllLieThere) {
  HandMadeFile h({ConstantSegment(0, 3, 0, 1000), ConstantSegment(3, 3, 3000, 1000),
                  ConstantSegment(6, 2, 6000, 1000)});
  ScratchMxf mxf(h.bytes);
  ASSERT_TRUE(mxf.ok());
  ASSERT_EQ(ReadIndexTable(mxf.file(), &h.state.base), 0);
  ASSERT_EQ(h.state.indexEntries.size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(h.state.indexEntries[i].partition, &h.state.partitions[1]) << i;
    EXPECT_EQ(h.state.indexEntries[i].streamOffset, 10100 + 1000 * i) << i;
  }
  EXPECT_EQ(h.state.indexEntries[7].segmentStart, 6u);
  EXPECT_EQ(h.state.timecode.segmentMaxFrames, 3);
  EXPECT_EQ(h.state.indexEntries[7].audioSamples, 1920u);
}

TEST(IndexTableStep, WithoutACompleteFooterIndexEverySegmentIsKeptInFileOrder) {
  // A header segment and a footer segment that does not start at 0: both
  // kept, duplicates not merged.
  HandMadeFile h({ConstantSegment(2, 2, 2000, 1000)}, {ConstantSegment(0, 3, 0, 1000)});
  ScratchMxf mxf(h.bytes);
  ASSERT_TRUE(mxf.ok());
  ASSERT_EQ(ReadIndexTable(mxf.file(), &h.state.base), 0);
  ASSERT_EQ(h.state.indexEntries.size(), 5u);
  const uint64_t expect[] = {0, 1000, 2000, 2000, 3000};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(h.state.indexEntries[i].streamOffset, 10100 + expect[i]) << i;

  // With a complete footer index the header's segment is dropped.
  HandMadeFile c({ConstantSegment(0, 4, 0, 1000)}, {ConstantSegment(0, 3, 0, 1000)});
  ScratchMxf mxf2(c.bytes);
  ASSERT_TRUE(mxf2.ok());
  ASSERT_EQ(ReadIndexTable(mxf2.file(), &c.state.base), 0);
  EXPECT_EQ(c.state.indexEntries.size(), 4u);
  EXPECT_EQ(c.state.timecode.entryCount, 4);
}

TEST(IndexTableStep, ConstantBytesIndexLocatesNoFrame608) {
  // Edit units described by a duration and no entries: nothing to verify,
  // rewrap or export, so the file is refused at this step.
  Segment s = ConstantSegment(0, 0, 0, 1000);
  s.duration = 100;
  HandMadeFile h({s});
  h.state.timecode.entryCount = -7;
  ScratchMxf mxf(h.bytes);
  ASSERT_TRUE(mxf.ok());
  EXPECT_EQ(ReadIndexTable(mxf.file(), &h.state.base), 608);
  EXPECT_TRUE(h.state.indexEntries.empty());
  EXPECT_EQ(h.state.timecode.entryCount, -7);
}

TEST(IndexTableStep, AncillaryElementWithAndWithoutFillAndAbsent) {
  // One frame: picture at 10100, sound slice at +200, last delta +40: the
  // ancillary element is looked for at 10340.
  Segment s = ConstantSegment(0, 1, 0, 1000, 1, 200);
  s.deltas = {{0, 0, 0}, {0, 1, 0}, {0, 1, 40}};
  const Bytes ancKey = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                        0x0D, 0x01, 0x03, 0x01, 0x17, 0x01, 0x02, 0x01};
  struct Case {
    bool element;
    bool fill;
    uint32_t expect;
  } cases[] = {{true, true, 100 + 60 + 40}, {true, false, 100 + 20}, {false, false, 777}};
  for (const Case& c : cases) {
    HandMadeFile h({s});
    if (c.element) {
      Bytes anc = Klv(ancKey, Bytes(100, 0x5A));
      if (c.fill) Put(&anc, Fill(80));
      PlaceAt(&h.bytes, 10340, anc);
    }
    h.state.base.hasAncillaryData = 1;
    h.state.base.dataElementSize = 777;
    ScratchMxf mxf(h.bytes);
    ASSERT_TRUE(mxf.ok());
    ASSERT_EQ(ReadIndexTable(mxf.file(), &h.state.base), 0);
    EXPECT_EQ(h.state.base.dataElementSize, c.expect) << c.element << c.fill;
  }
}

TEST(IndexTableStep, DamagedCountsAndAreasNeverReadPastTheBytes) {
  Segment s = ConstantSegment(0, 3, 0, 1000);
  s.claimedEntries = 0x7FFFFFFF;
  HandMadeFile h({s});
  h.state.partitions[2].indexByteCount = UINT64_MAX - 60000;  // far past the file
  ScratchMxf mxf(h.bytes);
  ASSERT_TRUE(mxf.ok());
  ASSERT_EQ(ReadIndexTable(mxf.file(), &h.state.base), 0);
  EXPECT_EQ(h.state.indexEntries.size(), 3u);
}

}  // namespace
