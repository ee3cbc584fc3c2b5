// Step 200: random index pack and partition packs.
#include <gtest/gtest.h>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "tests/analysis_header/header_bytes.h"

using namespace hdrtest;

namespace {

int RunStep(const Bytes& bytes, Records* r) {
  ScratchMxf f(bytes);
  if (!f.ok()) return -1;
  return ReadPartitions(f.file(), f.size(), &r->base);
}

Bytes SmallHeaderMetadata() { return Set(kPreface, {Item(0x3B05, {1, 2})}); }

}  // namespace

TEST(Partitions, ThreePartitionsWithKag512) {
  MiniFile m;
  m.headerMetadata = SmallHeaderMetadata();
  const BuiltFile b = Build(m);
  Records r;
  ASSERT_EQ(RunStep(b.bytes, &r), 0);
  ASSERT_EQ(r.partitions.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const MXF_PARTITION_INFO& p = r.partitions[i];
    EXPECT_EQ(p.kind, i);
    EXPECT_EQ(p.partitionCount, 3);
    EXPECT_EQ(p.thisPartition, b.partitions[i]);
    EXPECT_EQ(p.kagSize, 512u);
    EXPECT_EQ(p.packLength, 104u);
    EXPECT_EQ(p.majorVersion, 1);
    EXPECT_EQ(p.minorVersion, 2);
    EXPECT_EQ(p.packKey[13], 0x02 + i);
    EXPECT_EQ(p.operationalPattern[14], 0x09);
    // Pack and fill take exactly one KAG; the footer has no fill after it.
    EXPECT_EQ(p.metadataStart, p.thisPartition + (i < 2 ? 512 : 124));
  }
  const MXF_PARTITION_INFO& header = r.partitions[0];
  EXPECT_EQ(header.headerByteCount, b.headerByteCount);
  EXPECT_EQ(header.essenceStart, 512 + b.headerByteCount);
  EXPECT_EQ(r.partitions[1].bodySid, 1u);
  EXPECT_EQ(r.partitions[1].essenceStart, b.bodyEssenceStart);

  const BYTE_WINDOW w = HeaderMetadataWindow(header);
  EXPECT_EQ(w.start, 512u);
  EXPECT_EQ(w.end, 512 + b.headerByteCount);
}

TEST(Partitions, Kag1PutsMetadataRightAfterThePack) {
  MiniFile m;
  m.kag = 1;
  m.headerMetadata = SmallHeaderMetadata();
  const BuiltFile b = Build(m);
  Records r;
  ASSERT_EQ(RunStep(b.bytes, &r), 0);
  ASSERT_EQ(r.partitions.size(), 3u);
  const MXF_PARTITION_INFO& header = r.partitions[0];
  EXPECT_EQ(header.metadataStart, 124u);  // 16 + 4 + 104
  EXPECT_EQ(header.metadataStart, b.headerMetadataStart);
  EXPECT_EQ(header.essenceStart, b.headerMetadataStart + b.headerByteCount);
  EXPECT_EQ(r.partitions[1].essenceStart, b.bodyEssenceStart);
  EXPECT_EQ(IdentificationWindow(header).end, b.headerMetadataStart + b.headerByteCount);
}

TEST(Partitions, FillAndPackLengthFormsAreFollowed) {
  // A pack with an 8-byte length, then a fill with a legacy version byte and
  // an 8-byte length: the metadata begins after both.
  PackFields f;
  f.kag = 1;
  Bytes file = PartitionPack(f, 8);
  const size_t packSize = file.size();
  Bytes fill = Klv({0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x01, 0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00},
                   Bytes(7, 0), 8);
  Put(&file, fill);
  const uint64_t metadataStart = file.size();
  Put(&file, Bytes(64, 0));
  f.kind = kFooterKind;
  f.thisPartition = file.size();
  Put(&file, PartitionPack(f));
  Put(&file, RandomIndexPack({0, f.thisPartition}));

  Records r;
  ASSERT_EQ(RunStep(file, &r), 0);
  ASSERT_EQ(r.partitions.size(), 2u);
  EXPECT_EQ(packSize, 16u + 8 + 104);
  EXPECT_EQ(r.partitions[0].metadataStart, metadataStart);
  // The footer is followed by the random index pack, not by fill.
  EXPECT_EQ(r.partitions[1].metadataStart, f.thisPartition + 124);
}

TEST(Partitions, EssenceStartSubtractsTheBodyOffset) {
  PackFields f;
  f.kag = 512;
  Bytes file = PartitionPack(f);
  PadToKag(&file, 512);
  Put(&file, Bytes(1536, 0));  // stands for header metadata; the count is 0 here
  f.kind = kBodyKind;
  f.thisPartition = file.size();
  f.bodySid = 1;
  f.bodyOffset = 1000;
  f.indexByteCount = 512;
  Put(&file, PartitionPack(f));
  PadToKag(&file, 512);
  Put(&file, Bytes(512 + 1024, 0));
  f.kind = kFooterKind;
  f.bodyOffset = 0;
  f.indexByteCount = 0;
  const uint64_t body = f.thisPartition;
  f.thisPartition = file.size();
  Put(&file, PartitionPack(f));
  Put(&file, RandomIndexPack({0, body, f.thisPartition}));

  Records r;
  ASSERT_EQ(RunStep(file, &r), 0);
  ASSERT_EQ(r.partitions.size(), 3u);
  EXPECT_EQ(r.partitions[1].bodyOffset, 1000u);
  EXPECT_EQ(r.partitions[1].indexByteCount, 512u);
  // Byte 1000 of the stream is the first essence byte of the body partition.
  EXPECT_EQ(r.partitions[1].essenceStart + 1000, body + 512 + 512);
}

TEST(Partitions, RandomIndexPackMissingOrUnreadableIs204) {
  MiniFile m;
  m.headerMetadata = SmallHeaderMetadata();
  Records r;

  m.rip = false;
  EXPECT_EQ(RunStep(Build(m).bytes, &r), 204);
  EXPECT_TRUE(r.partitions.empty());

  // A pack whose length is in short form is not taken as an item.
  m.rip = true;
  BuiltFile b = Build(m);
  Bytes shortForm(b.bytes.begin(), b.bytes.end() - RandomIndexPack(b.partitions).size());
  Put(&shortForm, RandomIndexPack(b.partitions, 1));
  EXPECT_EQ(RunStep(shortForm, &r), 204);

  // The overall length at the very end is absurd: smaller than a pack,
  // larger than the file, or zero.
  for (uint32_t overall : {0u, 19u, 23u, uint32_t(b.bytes.size() + 1), 0xFFFFFFFFu}) {
    Bytes bad = b.bytes;
    bad.resize(bad.size() - 4);
    PutBE32(&bad, overall);
    EXPECT_EQ(RunStep(bad, &r), 204) << overall;
  }

  // Files too short to hold any pack.
  EXPECT_EQ(RunStep({}, &r), 204);
  EXPECT_EQ(RunStep({0, 0, 0, 24}, &r), 204);
}

TEST(Partitions, EntryCountBeyondThePackIs204) {
  MiniFile m;
  m.headerMetadata = SmallHeaderMetadata();
  BuiltFile b = Build(m);
  // The overall length claims two more entries than the pack holds: the
  // search window then starts 24 bytes before the pack, which is still found,
  // but its entries would run over the pack's end.
  Bytes bad = b.bytes;
  const uint32_t overall = uint32_t(RandomIndexPack(b.partitions).size()) + 24;
  bad.resize(bad.size() - 4);
  PutBE32(&bad, overall);
  Records r;
  EXPECT_EQ(RunStep(bad, &r), 204);
  EXPECT_TRUE(r.partitions.empty());
}

TEST(Partitions, UnreadablePartitionPackIs210) {
  MiniFile m;
  m.headerMetadata = SmallHeaderMetadata();
  const BuiltFile b = Build(m);
  Records r;

  // An entry beyond the end of the file (a truncated file keeps its pack).
  {
    Bytes file = b.bytes;
    const size_t ripAt = file.size() - RandomIndexPack(b.partitions).size();
    file.resize(ripAt);
    Put(&file, RandomIndexPack({b.partitions[0], b.partitions[1], b.partitions[2] + 100000}));
    EXPECT_EQ(RunStep(file, &r), 210);
    EXPECT_TRUE(r.partitions.empty());
  }
  // An entry that points at essence rather than at a partition pack.
  {
    Bytes file = b.bytes;
    const size_t ripAt = file.size() - RandomIndexPack(b.partitions).size();
    file.resize(ripAt);
    Put(&file, RandomIndexPack({b.partitions[0], b.bodyEssenceStart, b.partitions[2]}));
    EXPECT_EQ(RunStep(file, &r), 210);
  }
  // A pack key of the same family that is no partition pack (the primer).
  {
    Bytes file = b.bytes;
    file[b.partitions[1] + 13] = 0x05;
    EXPECT_EQ(RunStep(file, &r), 210);
  }
  // A footer pack cut short: its value runs past the end of the file.
  {
    PackFields f;
    f.kag = 1;
    Bytes file = PartitionPack(f);
    Put(&file, Bytes(200, 0));
    f.kind = kFooterKind;
    f.thisPartition = file.size();
    Bytes footer = PartitionPack(f);
    footer.resize(60);
    Put(&file, footer);
    Put(&file, RandomIndexPack({0, f.thisPartition}));
    // Seen from the pack, the random index pack is part of its value; the
    // length says the value runs on past the end of the file.
    EXPECT_EQ(RunStep(file, &r), 210);
  }
  // A pack whose length is too small for its fields.
  {
    Bytes file = b.bytes;
    file[b.partitions[1] + 17] = 0;
    file[b.partitions[1] + 18] = 0;
    file[b.partitions[1] + 19] = 40;
    EXPECT_EQ(RunStep(file, &r), 210);
  }
}

TEST(Partitions, OpenPartitionIs207AndKeepsWhatWasRead) {
  MiniFile m;
  m.headerMetadata = SmallHeaderMetadata();
  Records r;

  m.headerStatus = kOpenComplete;
  EXPECT_EQ(RunStep(Build(m).bytes, &r), 207);
  ASSERT_EQ(r.partitions.size(), 3u);
  EXPECT_EQ(r.partitions[0].packKey[14], kOpenComplete);
  EXPECT_EQ(r.partitions[1].packKey[0], 0);  // never read

  m.headerStatus = kClosedComplete;
  m.footerStatus = kOpenIncomplete;
  EXPECT_EQ(RunStep(Build(m).bytes, &r), 207);
  ASSERT_EQ(r.partitions.size(), 3u);
  EXPECT_EQ(r.partitions[1].kind, 1);
  EXPECT_EQ(r.partitions[1].partitionCount, 3);

  // Closed but incomplete is readable.
  m.footerStatus = 0x02;
  EXPECT_EQ(RunStep(Build(m).bytes, &r), 0);
}

TEST(Partitions, NoFooterIs208AndLastVersionIs209) {
  MiniFile m;
  m.headerMetadata = SmallHeaderMetadata();
  m.footer = false;
  Records r;
  EXPECT_EQ(RunStep(Build(m).bytes, &r), 208);
  EXPECT_TRUE(r.partitions.empty());

  m.footer = true;
  m.packMajor = 2;
  m.packMinor = 4;
  EXPECT_EQ(RunStep(Build(m).bytes, &r), 209);
  EXPECT_TRUE(r.partitions.empty());

  // Major version 1 passes whatever the minor version says.
  m.packMajor = 1;
  m.packMinor = 9;
  EXPECT_EQ(RunStep(Build(m).bytes, &r), 0);
}

TEST(Partitions, ArgumentChecksAndStaleArrays) {
  MiniFile m;
  m.headerMetadata = SmallHeaderMetadata();
  ScratchMxf f(Build(m).bytes);
  ASSERT_TRUE(f.ok());
  Records r;
  plat::File closed;
  EXPECT_EQ(ReadPartitions(nullptr, f.size(), &r.base), 201);
  EXPECT_EQ(ReadPartitions(&closed, f.size(), &r.base), 201);
  EXPECT_EQ(ReadPartitions(f.file(), f.size(), nullptr), 202);
  r.base.partitions = nullptr;
  EXPECT_EQ(ReadPartitions(f.file(), f.size(), &r.base), 203);
  r.base.partitions = &r.partitions;

  // A previous file's array never survives a failure.
  r.partitions.resize(5);
  ScratchMxf noRip(Bytes(4096, 0));
  EXPECT_EQ(ReadPartitions(noRip.file(), noRip.size(), &r.base), 204);
  EXPECT_TRUE(r.partitions.empty());
  r.partitions.resize(5);
  EXPECT_EQ(ReadPartitions(f.file(), f.size(), &r.base), 0);
  EXPECT_EQ(r.partitions.size(), 3u);
}
