// Parsing index table segments, reading index areas piece by piece, finding
// each entry's partition and flattening.
#include <gtest/gtest.h>

#include "engine/index_segment.h"
#include "tests/analysis_index/idx_bytes.h"

using namespace idxtest;

namespace {

INDEX_SEGMENT Parse(const Segment& s, SegmentStatus expect = SegmentStatus::kOk) {
  const Bytes v = s.Value();
  INDEX_SEGMENT out;
  EXPECT_EQ(ParseIndexSegment(v.data(), v.size(), &out), expect);
  return out;
}

TEST(ParseIndexSegment, EntriesSteppedBySlicesAndPositionsKeepingTheLastOfEach) {
  Segment s;
  s.start = 300;
  s.duration = 3;
  s.bodySid = 7;
  s.sliceCount = 2;
  s.posTableCount = 1;
  s.deltas = {{0, 0, 0}, {-1, 1, 28}, {0, 2, 4000}};
  for (int i = 0; i < 3; ++i) {
    Entry e;
    e.streamOffset = 0x100000000ull + 1000u * i;
    e.sliceOffsets = {10u + i, 500u + i};
    e.posTable = {0xAABBCCDD00000000ull + i};
    e.temporalOffset = int8_t(-i);
    e.keyFrameOffset = int8_t(-2 * i);
    e.flags = uint8_t(0x80 | i);
    s.entries.push_back(e);
  }
  const INDEX_SEGMENT seg = Parse(s);
  EXPECT_EQ(seg.indexStartPosition, 300u);
  EXPECT_EQ(seg.indexDuration, 3u);
  EXPECT_EQ(seg.bodySid, 7u);
  ASSERT_EQ(seg.deltaCount, 3u);
  EXPECT_EQ(seg.deltas[1].posTableIndex, -1);
  EXPECT_EQ(seg.deltas[1].slice, 1);
  EXPECT_EQ(seg.deltas[2].elementDelta, 4000u);
  ASSERT_EQ(seg.entries.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const INDEX_SEGMENT_ENTRY& e = seg.entries[size_t(i)];
    EXPECT_EQ(e.streamOffset, 0x100000000ull + 1000u * i);
    EXPECT_EQ(e.sliceOffset, 500u + i);
    EXPECT_EQ(e.posTableValue, 0xAABBCCDD00000000ull + i);
    EXPECT_EQ(e.temporalOffset, -i);
    EXPECT_EQ(e.keyFrameOffset, -2 * i);
    EXPECT_EQ(e.flags, 0x80 | i);
  }
}

TEST(ParseIndexSegment, CountsItemsThatFollowTheEntryArrayDoNotChangeItsStep) {
  // SliceCount stated after the IndexEntryArray: entries are 11 bytes each.
  Bytes e;
  PutBE32(&e, 2);
  PutBE32(&e, 11);
  for (uint64_t off : {0ull, 5000ull}) {
    Put(&e, {0, 0, 0x80});
    PutBE64(&e, off);
  }
  Bytes v;
  Put(&v, Item(0x3F0A, e));
  Put(&v, Item(0x3F08, {1}));
  INDEX_SEGMENT seg;
  ASSERT_EQ(ParseIndexSegment(v.data(), v.size(), &seg), SegmentStatus::kOk);
  ASSERT_EQ(seg.entries.size(), 2u);
  EXPECT_EQ(seg.entries[1].streamOffset, 5000u);
  EXPECT_EQ(seg.entries[1].sliceOffset, 0u);
}

TEST(ParseIndexSegment, OverstatedCountsAreCutToTheEntriesPresent) {
  Segment s = ConstantSegment(0, 4, 0, 1000);
  s.claimedEntries = 1000000;
  s.claimedDeltas = 200;  // cut to the 4 present, so not "too many"
  const INDEX_SEGMENT seg = Parse(s);
  EXPECT_EQ(seg.entries.size(), 4u);
  EXPECT_EQ(seg.deltaCount, 4u);
  EXPECT_EQ(seg.entries[3].streamOffset, 3000u);

  // Arrays too short for their own header hold nothing.
  Bytes v;
  Put(&v, Item(0x3F09, {0, 0, 0}));
  Put(&v, Item(0x3F0A, {0, 0, 0, 9}));
  Put(&v, Item(0x3F0C, {1, 2}));  // short fixed-size item: ignored
  INDEX_SEGMENT empty;
  EXPECT_EQ(ParseIndexSegment(v.data(), v.size(), &empty), SegmentStatus::kOk);
  EXPECT_EQ(empty.deltaCount, 0u);
  EXPECT_TRUE(empty.entries.empty());
  EXPECT_EQ(empty.indexStartPosition, 0u);
}

TEST(ParseIndexSegment, TwentySixDeltaEntriesAreTheLimit) {
  Segment s = ConstantSegment(0, 2, 0, 1000);
  s.deltas.clear();
  for (uint32_t i = 0; i < 26; ++i) s.deltas.push_back({0, uint8_t(i > 1), 100 * i});
  const INDEX_SEGMENT seg = Parse(s);
  EXPECT_EQ(seg.deltaCount, 26u);
  EXPECT_EQ(seg.deltas[25].elementDelta, 2500u);

  s.deltas.push_back({0, 1, 2600});
  Parse(s, SegmentStatus::kTooManyDeltas);
}

// --- Index areas -----------------------------------------------------------

TEST(ReadIndexArea, FindsSegmentsBetweenFillAndOtherItemsAndStopsAtTheArea) {
  Bytes file(64, 0xEE);  // bytes before the area, never looked at
  const uint64_t start = file.size();
  Put(&file, Fill(100));
  Put(&file, ConstantSegment(0, 3, 0, 10).Klv());
  Put(&file, Klv({0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x99, 0, 0},
                 Bytes(40, 0x06)));
  Put(&file, ConstantSegment(3, 2, 30, 10).Klv());
  const uint64_t areaBytes = file.size() - start;
  Put(&file, ConstantSegment(5, 9, 50, 10).Klv());  // past the area
  ScratchMxf mxf(file);
  ASSERT_TRUE(mxf.ok());

  std::vector<INDEX_SEGMENT> segments;
  std::vector<uint8_t> scratch;
  ASSERT_EQ(ReadIndexArea(mxf.file(), start, areaBytes, 4, &segments, &scratch), SegmentStatus::kOk);
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0].entries.size(), 3u);
  EXPECT_EQ(segments[1].indexStartPosition, 3u);
  EXPECT_EQ(segments[1].holder, 4u);
}

TEST(ReadIndexArea, AnAreaClaimingMoreThanTheFileReadsWhatExists) {
  Bytes file;
  Put(&file, ConstantSegment(0, 5, 0, 10).Klv());
  Bytes cut = ConstantSegment(5, 5, 50, 10).Klv();
  cut.resize(cut.size() - 16);  // the file ends inside the fourth entry
  Put(&file, cut);
  ScratchMxf mxf(file);
  ASSERT_TRUE(mxf.ok());

  for (uint64_t claimed : {uint64_t(file.size()) + 1000, UINT64_MAX}) {
    SCOPED_TRACE(claimed);
    std::vector<INDEX_SEGMENT> segments;
    std::vector<uint8_t> scratch;
    ASSERT_EQ(ReadIndexArea(mxf.file(), 0, claimed, 0, &segments, &scratch), SegmentStatus::kOk);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].entries.size(), 5u);
    // The damaged segment keeps the entries that arrived whole.
    EXPECT_EQ(segments[1].entries.size(), 3u);
    EXPECT_LE(scratch.size(), file.size());
  }
}

TEST(ReadIndexArea, ItemsAcrossPieceBoundariesAreFollowed) {
  // A fill item reaching over the first piece boundary, then a segment that
  // itself lies across the next one, then a last segment.
  const Segment a = ConstantSegment(0, 4000, 0, 100);
  const Segment b = ConstantSegment(4000, 10, 400000, 100);
  Bytes file;
  Put(&file, Fill(kIndexReadChunk + 1000));
  const Bytes aKlv = a.Klv();
  Put(&file, Fill(2 * kIndexReadChunk - file.size() - aKlv.size() / 2));
  Put(&file, aKlv);
  Put(&file, b.Klv());
  ScratchMxf mxf(file);
  ASSERT_TRUE(mxf.ok());

  std::vector<INDEX_SEGMENT> segments;
  std::vector<uint8_t> scratch;
  ASSERT_EQ(ReadIndexArea(mxf.file(), 0, file.size(), 0, &segments, &scratch), SegmentStatus::kOk);
  ASSERT_EQ(segments.size(), 2u);
  ASSERT_EQ(segments[0].entries.size(), 4000u);
  EXPECT_EQ(segments[0].entries[3999].streamOffset, 399900u);
  EXPECT_EQ(segments[1].entries.size(), 10u);
  EXPECT_LE(scratch.size(), kIndexReadChunk);
}

TEST(ReadIndexArea, TooManyDeltaEntriesStopTheRead) {
  Segment bad = ConstantSegment(0, 2, 0, 10);
  bad.deltas.resize(27);
  Bytes file;
  Put(&file, ConstantSegment(0, 2, 0, 10).Klv());
  Put(&file, bad.Klv());
  ScratchMxf mxf(file);
  ASSERT_TRUE(mxf.ok());
  std::vector<INDEX_SEGMENT> segments;
  std::vector<uint8_t> scratch;
  EXPECT_EQ(ReadIndexArea(mxf.file(), 0, file.size(), 0, &segments, &scratch),
            SegmentStatus::kTooManyDeltas);
}

// --- Essence partitions and flattening --------------------------------------

TEST(EssencePartitionMap, LargestBodyOffsetNotAboveTheEntry) {
  std::vector<MXF_PARTITION_INFO> parts = {
      Partition(0, 0, 100, 1000, 0, 0, 0, 0),          // 0 header, no essence
      Partition(1, 2000, 2100, 0, 0, 0, 1, 0),         // 1 body, stream 1 from 0
      Partition(1, 9000, 9100, 0, 500, 1, 1, 6800),    // 2 body, stream 1 from 6800
      Partition(1, 16000, 16100, 0, 0, 0, 2, 0),       // 3 body, stream 2
      Partition(1, 20000, 20100, 0, 300, 1, 1, 13000), // 4 index and essence from 13000
      Partition(1, 20500, 20600, 0, 0, 0, 1, 13000),   // 5 same offset: holds that essence
      Partition(2, 30000, 30100, 0, 900, 1, 0, 0),     // 6 footer
  };
  const EssencePartitionMap map(parts);
  EXPECT_EQ(map.Find(1, 0, 6), 1u);
  EXPECT_EQ(map.Find(1, 6799, 6), 1u);
  EXPECT_EQ(map.Find(1, 6800, 6), 2u);
  EXPECT_EQ(map.Find(1, 12999, 6), 2u);
  EXPECT_EQ(map.Find(1, 13000, 6), 5u);  // the later of a tie
  EXPECT_EQ(map.Find(1, UINT64_MAX, 6), 5u);
  EXPECT_EQ(map.Find(2, 42, 6), 3u);
  EXPECT_EQ(map.Find(3, 42, 6), 6u);  // no partition of the stream: the holder
  EXPECT_EQ(map.Find(0, 42, 4), 4u);

  uint64_t low = 1, high = 1;
  EXPECT_EQ(map.Find(1, 7000, 6, &low, &high), 2u);
  EXPECT_EQ(low, 6800u);
  EXPECT_EQ(high, 13000u);

  // Below every offset of its stream: the stream's first partition.
  parts[1].bodyOffset = 50;
  const EssencePartitionMap shifted(parts);
  EXPECT_EQ(shifted.Find(1, 10, 6), 1u);
}

TEST(FlattenIndexSegments, AbsoluteOffsetsDeltasAndTheSampleCycle) {
  std::vector<MXF_PARTITION_INFO> parts = {
      Partition(0, 0, 100, 1000, 0, 0, 0, 0),
      Partition(1, 2000, 2100, 0, 0, 0, 1, 0),
      Partition(1, 9000, 9100, 0, 0, 0, 1, 3500),
      Partition(2, 30000, 30100, 0, 900, 1, 0, 0),
  };
  // One footer segment whose seven entries span both body partitions.
  INDEX_SEGMENT seg;
  seg.indexStartPosition = 0;
  seg.indexDuration = 7;
  seg.bodySid = 1;
  seg.holder = 3;
  seg.deltaCount = 2;
  seg.deltas[1].elementDelta = 77;
  for (uint64_t i = 0; i < 7; ++i) {
    INDEX_SEGMENT_ENTRY e;
    e.streamOffset = i * 1000;
    e.sliceOffset = 40;
    seg.entries.push_back(e);
  }
  std::vector<INDEX_ENTRY_ARRAY> out;
  ASSERT_TRUE(FlattenIndexSegments({seg}, parts, 6 /* 29.97 */, &out));
  ASSERT_EQ(out.size(), 7u);
  const uint32_t cycle[] = {1602, 1601, 1602, 1601, 1602, 1602, 1601};
  for (size_t i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    const size_t part = i * 1000 < 3500 ? 1 : 2;
    EXPECT_EQ(out[i].partition, &parts[part]);
    EXPECT_EQ(out[i].streamOffset, parts[part].metadataStart + i * 1000 - parts[part].bodyOffset);
    EXPECT_EQ(out[i].audioSamples, cycle[i]);
    EXPECT_EQ(out[i].deltaCount, 2u);
    EXPECT_EQ(out[i].deltas[1].elementDelta, 77u);
    EXPECT_EQ(out[i].segmentDuration, 7u);
    EXPECT_EQ(out[i].sliceOffset, 40u);
  }

  // 25000/1001 and unsupported rates get no sample counts.
  for (int rate : {5, 8, -1}) {
    ASSERT_TRUE(FlattenIndexSegments({seg}, parts, rate, &out));
    EXPECT_EQ(out[0].audioSamples, 0u) << rate;
  }
  EXPECT_EQ(IndexedFrameSamples(7, 2), 800u);
  EXPECT_EQ(IndexedFrameSamples(7, 8), 801u);
}

TEST(KeepCompleteFooterIndex, OnlyAFooterSegmentFromZeroDropsTheOthers) {
  const std::vector<MXF_PARTITION_INFO> parts = {
      Partition(0, 0, 100, 0, 0, 1, 0, 0),
      Partition(1, 1000, 1100, 0, 0, 1, 1, 0),
      Partition(2, 5000, 5100, 0, 0, 1, 0, 0),
  };
  auto make = [](std::vector<std::pair<size_t, uint64_t>> holderStart) {
    std::vector<INDEX_SEGMENT> v;
    for (auto [h, s] : holderStart) {
      v.emplace_back();
      v.back().holder = h;
      v.back().indexStartPosition = s;
    }
    return v;
  };
  auto partial = make({{0, 0}, {1, 0}, {2, 100}});
  KeepCompleteFooterIndex(parts, &partial);
  EXPECT_EQ(partial.size(), 3u);

  auto complete = make({{0, 0}, {1, 0}, {2, 100}, {2, 0}});
  KeepCompleteFooterIndex(parts, &complete);
  ASSERT_EQ(complete.size(), 2u);
  EXPECT_EQ(complete[0].indexStartPosition, 100u);
  EXPECT_EQ(complete[1].indexStartPosition, 0u);
}

}  // namespace
