// The video descriptor step: codec table, picture size and bit rate, with
// the dynamic tags numbered either way.
#include <string>

#include <gtest/gtest.h>

#include "engine/analysis_steps.h"
#include "engine/file_facts.h"
#include "engine/mxf_state.h"
#include "engine/picture_tags.h"
#include "tests/analysis_index/generated_file.h"
#include "tests/analysis_index/idx_bytes.h"
#include "verify/mxf_info_block.h"

using namespace idxtest;

namespace {

struct CodecCase {
  int row;
  uint32_t width;
  uint32_t bitRate;          // written (0: the row's default)
  const char16_t* name;
  uint32_t shownHeight;
  uint32_t shownBitRate;
  uint8_t contentType;
  int writtenContentType = 0;  // 0: the row's own
  uint32_t height = 0;         // frame height written (0: the row's own)
};

const CodecCase kCodecCases[] = {
    // Long-GOP MPEG-2 interlaced: the stored field height is doubled.
    {0, 0, 0, u"MPEG2 HD MP@HL", 1080, 35000000, 2},
    {1, 0, 0, u"MPEG2 HD422P@HL", 1080, 50000000, 2},
    // The intra rows keep the height as stated.
    {2, 0, 0, u"MPEG2 i HD MP@HL", 540, 80000000, 2},
    {3, 0, 0, u"MPEG2 i HD422P@HL", 540, 100000000, 2},
    {4, 0, 0, u"MPEG2 i MP@H14L", 540, 25000000, 2},
    // XAVC Intra at 3840 states half its bit rate; L422 and HD widths do not.
    {5, 0, 0, u"XAVC Intra", 2160, 600000000, 0},
    {5, 1920, 111000000, u"XAVC Intra", 2160, 111000000, 0},
    {6, 0, 0, u"XAVC L422 QFHD", 2160, 150000000, 0},
    // Interlaced AVC: the frame layout (separate fields) tells that the
    // stored height is a field's.
    {5, 1920, 111000000, u"XAVC Intra", 1080, 111000000, 2, 2, 1080},
    {6, 1920, 0, u"XAVC L422 QFHD", 1080, 150000000, 2, 2, 1080},
};

struct TagCase {
  int minor;
  mxfgen::DynamicTags tags;
};

class PictureDescriptors : public ::testing::TestWithParam<TagCase> {};

TEST_P(PictureDescriptors, CodecSizeAndBitRate) {
  for (const CodecCase& c : kCodecCases) {
    SCOPED_TRACE(c.row);
    mxfgen::Options o = SmallOptions(3);
    o.versionMinor = GetParam().minor;
    o.dynamicTags = GetParam().tags;
    o.codecRow = c.row;
    o.width = c.width;
    o.bitRate = c.bitRate;
    o.codedContentType = c.writtenContentType;
    o.height = c.height;
    GeneratedFile g;
    ASSERT_TRUE(g.Write(o));
    ASSERT_EQ(g.AnalyzeThrough(800), 0);
    const MXF_VIDEO_INFO& v = g.state.video;
    EXPECT_EQ(std::u16string(v.codecName), c.name);
    EXPECT_EQ(v.codecIndex, c.row);
    EXPECT_EQ(v.displayWidth, c.width ? c.width : (c.row == 4 ? 1440u : c.row >= 5 ? 3840u : 1920u));
    EXPECT_EQ(v.displayHeight, c.shownHeight);
    EXPECT_EQ(v.bitRate, c.shownBitRate);
    EXPECT_EQ(v.codedContentType, c.contentType);
    EXPECT_EQ(v.aspectNum, 16u);
    EXPECT_EQ(v.aspectDen, 9u);
  }
}

INSTANTIATE_TEST_SUITE_P(Tags, PictureDescriptors,
                         ::testing::Values(TagCase{2, mxfgen::DynamicTags::Fixed},
                                           TagCase{3, mxfgen::DynamicTags::Fixed},
                                           TagCase{2, mxfgen::DynamicTags::Downward},
                                           TagCase{3, mxfgen::DynamicTags::Downward}),
                         [](const ::testing::TestParamInfo<TagCase>& info) {
                           return std::string(info.param.tags == mxfgen::DynamicTags::Fixed ? "Fixed" : "Downward") +
                                  "V1" + std::to_string(info.param.minor);
                         });

TEST(VideoDescriptorStep, AvcWithoutABitRateShowsItUnknown) {
  mxfgen::Options o = SmallOptions(3);
  o.codecRow = 5;
  o.omit.avcSubDescriptor = true;
  GeneratedFile g;
  ASSERT_TRUE(g.Write(o));
  ASSERT_EQ(g.AnalyzeThrough(800), 0);
  EXPECT_EQ(g.state.video.bitRate, 0u);
  EXPECT_EQ(VideoBitRateText(g.state.video), u"-");
  const std::u16string block = ComposeMxfInfoBlock(u"/x/a.mxf", g.state.base, g.state.indexEntries, {});
  EXPECT_NE(block.find(u"Bit Rate           = -\r\n"), std::u16string::npos);
  // With no file loaded the panel keeps its "0.0Mbps".
  EXPECT_EQ(VideoBitRateText(MXF_VIDEO_INFO{}), u"0.0Mbps");
}

TEST(VideoDescriptorStep, CodecNotInTheTableAndMissingDescriptor) {
  mxfgen::Options o = SmallOptions(3);
  o.codecRow = 7;
  GeneratedFile g;
  ASSERT_TRUE(g.Write(o));
  EXPECT_EQ(g.AnalyzeThrough(800), 807);
  EXPECT_EQ(std::u16string(g.state.video.codecName), u"not in list");
  EXPECT_EQ(g.state.video.codingLabel[0], 0x06);

  o.codecRow = 0;
  o.omit.pictureDescriptor = true;
  ASSERT_TRUE(g.Write(o));
  EXPECT_EQ(g.AnalyzeThrough(800), 805);
}

TEST(VideoDescriptorStep, MissingRecordsFileAndCodingLabel) {
  MxfState s;
  ScratchMxf empty(Bytes(64, 0));
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(ReadVideoDescriptor(nullptr, &s.base), 801);
  EXPECT_EQ(ReadVideoDescriptor(empty.file(), nullptr), 802);
  MXF_BASE_INFO base;
  EXPECT_EQ(ReadVideoDescriptor(empty.file(), &base), 803);
  base.partitions = &s.partitions;
  EXPECT_EQ(ReadVideoDescriptor(empty.file(), &base), 803);  // no header partition
  s.partitions = {Partition(0, 0, 0, 64, 0, 0, 0, 0)};
  EXPECT_EQ(ReadVideoDescriptor(empty.file(), &base), 804);

  // An MPEG-2 descriptor without a coding label.
  const Bytes mpegKey = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                         0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x51, 0x00};
  const Bytes set = LocalSet(mpegKey, {Item(0x3209, BE32(1920)), Item(0x3208, BE32(540))});
  ScratchMxf mxf(set);
  ASSERT_TRUE(mxf.ok());
  s.partitions = {Partition(0, 0, 0, set.size(), 0, 0, 0, 0)};
  s.base.versionMinor = 2;
  EXPECT_EQ(ReadVideoDescriptor(mxf.file(), &s.base), 806);
  EXPECT_EQ(s.video.displayWidth, 1920u);
}

// --- Tag resolution ------------------------------------------------------------

PRIMER_ENTRY Entry(uint16_t tag, const uint8_t (&ul)[16], uint8_t version = 0) {
  PRIMER_ENTRY e;
  e.localTag = tag;
  std::copy(ul, ul + 16, e.ul);
  if (version) e.ul[kUlVersionByte] = version;
  return e;
}

TEST(PictureTags, PrimerFirstFixedTableOtherwise) {
  const PrimerMap none;
  EXPECT_EQ(ResolvePictureTags(none, 2).codedContentType, 0x8008);
  EXPECT_EQ(ResolvePictureTags(none, 2).bitRate, 0x800F);
  EXPECT_EQ(ResolvePictureTags(none, 3).codedContentType, 0x8002);
  EXPECT_EQ(ResolvePictureTags(none, 3).bitRate, 0x8008);
  EXPECT_EQ(ResolvePictureTags(none, 3).avcBitRate, 0x800D);
  EXPECT_EQ(ResolvePictureTags(none, 4).bitRate, 0);

  // Labels named elsewhere (any version byte) win over the fixed tags.
  const PrimerMap downward = {Entry(0xFFFF, kMpegBitRateUl, 0x01), Entry(0xFFFE, kCodedContentTypeUl),
                              Entry(0xFFF0, kAvcMaximumBitRateUl), Entry(0x800F, kAvcMaximumBitRateUl)};
  const PICTURE_TAGS t = ResolvePictureTags(downward, 2);
  EXPECT_EQ(t.bitRate, 0xFFFF);
  EXPECT_EQ(t.codedContentType, 0xFFFE);
  // 800D is not named with a bit-rate label; the first listing wins.
  EXPECT_EQ(t.avcBitRate, 0xFFF0);
  // The minor version without a table still resolves through the primer.
  EXPECT_EQ(ResolvePictureTags(downward, 7).bitRate, 0xFFFF);

  // The average bit rate is preferred, unless the primer confirms the fixed
  // tag as the maximum bit rate.
  const PrimerMap both = {Entry(0x8020, kAvcMaximumBitRateUl), Entry(0x8021, kAvcAverageBitRateUl)};
  EXPECT_EQ(ResolvePictureTags(both, 3).avcBitRate, 0x8021);
  const PrimerMap fixedMax = {Entry(0x800D, kAvcMaximumBitRateUl), Entry(0x8021, kAvcAverageBitRateUl)};
  EXPECT_EQ(ResolvePictureTags(fixedMax, 3).avcBitRate, 0x800D);
}

}  // namespace
