// Step 300: operational pattern, frame wrapping, ancillary data, version.
#include <gtest/gtest.h>

#include "engine/analysis_steps.h"
#include "tests/analysis_header/header_bytes.h"

using namespace hdrtest;

namespace {

const Bytes kOp1a = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00};
const Bytes kOpAtom = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x02, 0x0D, 0x01, 0x02, 0x01, 0x10, 0x00, 0x00, 0x00};
const Bytes kMpegFrame = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                          0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01};
const Bytes kMpegFrameV2 = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x02,
                            0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01};
const Bytes kMpegClip = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x02, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x02};
const Bytes kAvcFrame = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x10, 0x60, 0x01};
const Bytes kAes3Frame = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x06, 0x03, 0x00};
const Bytes kAncillary = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x09, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x0E, 0x00, 0x00};

Bytes Containers(const std::vector<Bytes>& labels) {
  Bytes v;
  PutBE32(&v, uint32_t(labels.size()));
  PutBE32(&v, 16);
  for (const Bytes& l : labels) Put(&v, l);
  return v;
}

Bytes Preface(const std::vector<Bytes>& items) { return Set(kPreface, items); }

Bytes Typical(uint8_t major = 1, uint8_t minor = 2) {
  return Preface({Item(0x3B02, Bytes(8, 0)), Item(0x3B05, {major, minor}), Item(0x3B09, kOp1a),
                  Item(0x3B0A, Containers({kAes3Frame, kMpegFrame}))});
}

int RunPreface(Loaded& l) { return ReadPreface(l.file(), l.base()); }

}  // namespace

TEST(Preface, AcceptsOp1aFrameWrappedVersions12And13) {
  for (uint8_t minor : {2, 3}) {
    Loaded l(Typical(1, minor));
    ASSERT_TRUE(l.ok());
    l.r.base.hasAncillaryData = 7;
    EXPECT_EQ(RunPreface(l), 0);
    EXPECT_EQ(l.r.base.versionMajor, 1);
    EXPECT_EQ(l.r.base.versionMinor, minor);
    EXPECT_EQ(l.r.base.hasAncillaryData, 0);
  }
}

TEST(Preface, AncillaryDataAndEveryPictureContainer) {
  struct Case {
    std::vector<Bytes> labels;
    int hasAnc;
  } cases[] = {
      {{kAvcFrame, kAncillary, kAes3Frame}, 1},
      {{kAncillary, kMpegFrameV2}, 1},
      {{kAes3Frame, kMpegFrameV2}, 0},
      {{kAvcFrame}, 0},
  };
  for (const Case& c : cases) {
    Loaded l(Preface({Item(0x3B09, kOp1a), Item(0x3B0A, Containers(c.labels))}));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(RunPreface(l), 0);
    EXPECT_EQ(l.r.base.hasAncillaryData, c.hasAnc);
  }
}

TEST(Preface, RefusesOtherPatternsWrappingsAndVersions) {
  {
    Loaded l(Preface({Item(0x3B09, kOpAtom), Item(0x3B0A, Containers({kMpegFrame}))}));
    EXPECT_EQ(RunPreface(l), 306);
  }
  {
    // Only byte 14 of the pattern is looked at; a label cut short fails too.
    Loaded l(Preface({Item(0x3B09, Bytes(kOp1a.begin(), kOp1a.begin() + 12))}));
    EXPECT_EQ(RunPreface(l), 306);
  }
  {
    Loaded l(Preface({Item(0x3B09, kOp1a), Item(0x3B0A, Containers({kMpegClip, kAes3Frame, kAncillary}))}));
    l.r.base.hasAncillaryData = 0;
    EXPECT_EQ(RunPreface(l), 307);
    EXPECT_EQ(l.r.base.hasAncillaryData, 0);
  }
  {
    // The batch count claims more labels than the item holds.
    Bytes batch = Containers({kAes3Frame});
    batch[3] = 5;
    Put(&batch, Bytes(kMpegFrame.begin(), kMpegFrame.begin() + 15));
    Loaded l(Preface({Item(0x3B0A, batch)}));
    EXPECT_EQ(RunPreface(l), 307);
  }
  for (auto [major, minor] : {std::pair{1, 1}, {1, 4}, {2, 0}, {2, 4}, {0, 2}}) {
    Loaded l(Typical(uint8_t(major), uint8_t(minor)));
    EXPECT_EQ(RunPreface(l), 308) << major << "." << minor;
    // The bytes are kept for display even when refused.
    EXPECT_EQ(l.r.base.versionMajor, major);
    EXPECT_EQ(l.r.base.versionMinor, minor);
  }
}

TEST(Preface, FirstFailingItemInSetOrderDecides) {
  {
    Loaded l(Preface({Item(0x3B05, {2, 0}), Item(0x3B09, kOpAtom)}));
    EXPECT_EQ(RunPreface(l), 308);
  }
  {
    Loaded l(Preface({Item(0x3B09, kOpAtom), Item(0x3B05, {2, 0})}));
    EXPECT_EQ(RunPreface(l), 306);
    EXPECT_EQ(l.r.base.versionMajor, 0);  // the walk stopped before the version
  }
  {
    Loaded l(Preface({Item(0x3B0A, Containers({kMpegClip})), Item(0x3B09, kOpAtom)}));
    EXPECT_EQ(RunPreface(l), 307);
  }
}

TEST(Preface, AbsentItemsPassAndKeepFields) {
  Loaded l(Preface({Item(0x3B02, Bytes(8, 0))}));
  ASSERT_TRUE(l.ok());
  l.r.base.versionMajor = 9;
  l.r.base.hasAncillaryData = 1;
  EXPECT_EQ(RunPreface(l), 0);
  EXPECT_EQ(l.r.base.versionMajor, 9);
  EXPECT_EQ(l.r.base.hasAncillaryData, 1);
}

TEST(Preface, SearchedUpToTheFirstEssenceByte) {
  // With KAG 1 the header metadata starts right after the pack; a preface at
  // the end of it lies beyond kagSize + headerByteCount and is still found.
  Bytes metadata = Set(kIdentification, {Item(0x3C01, Bytes(300, 0x41))});
  Put(&metadata, Typical());
  Loaded kag1(metadata, 1);
  ASSERT_TRUE(kag1.ok());
  EXPECT_EQ(RunPreface(kag1), 0);

  Loaded none(Set(kIdentification, {}));
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(RunPreface(none), 304);

  // A preface only in the body partition's essence is not looked at.
  MiniFile m;
  m.headerMetadata = Set(kIdentification, {});
  BuiltFile b = Build(m);
  const Bytes preface = Typical();
  std::copy(preface.begin(), preface.end(), b.bytes.begin() + long(b.bodyEssenceStart));
  ScratchMxf f(b.bytes);
  Records r;
  ASSERT_EQ(ReadPartitions(f.file(), f.size(), &r.base), 0);
  EXPECT_EQ(ReadPreface(f.file(), &r.base), 304);
}

