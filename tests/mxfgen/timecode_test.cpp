// Timecode labels and the SMPTE 12M bytes each system item carries,
// including the deliberate timecode errors.
#include <gtest/gtest.h>

#include "tests/mxfgen/mxf_bytes.h"
#include "tools/mxfgen/mxfgen.h"

using namespace mxftest;
using mxfgen::FormatLabel;
using mxfgen::Label;
using mxfgen::LabelToFrames;
using mxfgen::Options;

namespace {

int64_t Frames(const char* text, int base, bool df) {
  Label l;
  EXPECT_TRUE(mxfgen::ParseLabel(text, base, &l)) << text;
  return LabelToFrames(l, base, df);
}

TEST(MxfgenTimecode, KnownLabels) {
  EXPECT_EQ(Frames("10:00:00:00", 30, false), 1080000);
  EXPECT_EQ(Frames("10:00:00;00", 30, true), 1078920);
  EXPECT_EQ(Frames("00:01:00;02", 30, true), 1800);
  EXPECT_EQ(Frames("00:10:00;00", 30, true), 17982);
  EXPECT_EQ(Frames("23:59:59;29", 30, true), 2589407);
  EXPECT_EQ(Frames("23:59:50:00", 25, false), 2159750);
  EXPECT_EQ(Frames("00:01:00;04", 60, true), 3600);
  EXPECT_EQ(FormatLabel(mxfgen::FramesToLabel(1799, 30, true), true), "00:00:59;29");
  EXPECT_EQ(FormatLabel(mxfgen::FramesToLabel(2589408, 30, true), true), "00:00:00;00") << "24-hour wrap";
  Label l;
  EXPECT_FALSE(mxfgen::ParseLabel("10:00:00:30", 30, &l));
  EXPECT_FALSE(mxfgen::ParseLabel("24:00:00:00", 25, &l));
  EXPECT_FALSE(mxfgen::ParseLabel("1:2:3", 25, &l));
  EXPECT_TRUE(mxfgen::ParseLabel("10:00:00:59", 60, &l));
}

TEST(MxfgenTimecode, EveryFrameOfTheDayRoundTrips) {
  for (auto [base, df] : {std::pair{30, true}, std::pair{60, true}, std::pair{25, false}}) {
    const int64_t day = mxfgen::FramesPerDay(base, df);
    for (int64_t f = 0; f < day; ++f) {
      const Label l = mxfgen::FramesToLabel(f, base, df);
      ASSERT_EQ(LabelToFrames(l, base, df), f) << base << " " << f;
      if (df) {
        ASSERT_FALSE(l.seconds == 0 && l.minutes % 10 != 0 && l.frames < base / 15) << "dropped label used";
      }
    }
  }
}

std::vector<uint32_t> WordsInFile(const Options& o, mxfgen::Layout* layout) {
  TempDir dir;
  std::string error;
  EXPECT_TRUE(mxfgen::WriteMxf(dir.File("t.mxf"), o, layout, &error)) << error;
  const auto d = ReadAll(dir.File("t.mxf"));
  std::vector<uint32_t> words;
  for (const auto& f : layout->frames) {
    const uint64_t p = f.packageOffset + 61;
    words.push_back(uint32_t{d[p]} | uint32_t{d[p + 1]} << 8 | uint32_t{d[p + 2]} << 16 | uint32_t{d[p + 3]} << 24);
  }
  return words;
}

TEST(MxfgenTimecode, SystemItemsCountDropFrameLabelsAcrossAMinute) {
  Options o;
  o.frames = 4;
  o.tracks = 1;
  o.dropFrame = true;
  o.startFrame = Frames("00:00:59;28", 30, true);
  mxfgen::Layout l;
  // frames byte (drop flag 0x40), seconds, minutes, hours
  EXPECT_EQ(WordsInFile(o, &l), (std::vector<uint32_t>{0x00005968, 0x00005969, 0x00010042, 0x00010043}));
}

TEST(MxfgenTimecode, SixtyFrameMaterialCountsLabelPairs) {
  Options o;
  o.frames = 4;
  o.tracks = 1;
  o.frameRateClass = 3;
  o.startFrame = Frames("10:00:00:00", 60, false);
  mxfgen::Layout l;
  EXPECT_EQ(WordsInFile(o, &l), (std::vector<uint32_t>{0x10000000, 0x10008000, 0x10000001, 0x10008001}));
}

TEST(MxfgenTimecode, MidnightWraps) {
  Options o;
  o.frames = 3;
  o.tracks = 1;
  o.frameRateClass = 1;
  o.startFrame = Frames("23:59:59:24", 25, false);
  mxfgen::Layout l;
  EXPECT_EQ(WordsInFile(o, &l), (std::vector<uint32_t>{0x23595924, 0x00000000, 0x00000001}));
}

TEST(MxfgenTimecode, FaultsChangeTheLabelSequenceAsDescribed) {
  Options o;
  o.frames = 14;
  o.tracks = 1;
  o.frameRateClass = 2;
  o.startFrame = Frames("10:00:00:00", 30, false);
  o.timecodeFaults = {{3, mxfgen::TimecodeFaultKind::Jump},
                      {6, mxfgen::TimecodeFaultKind::Still},
                      {9, mxfgen::TimecodeFaultKind::Back},
                      {12, mxfgen::TimecodeFaultKind::Invalid}};
  mxfgen::Layout l;
  const auto words = WordsInFile(o, &l);
  // Frame labels 0 1 2 | 4 5 6 | 6 7 8 | 7 8 9 | invalid | 11
  const uint32_t expect[14] = {0, 1, 2, 4, 5, 6, 6, 7, 8, 7, 8, 9, 0xFF, 0x11};
  for (int f = 0; f < 14; ++f) {
    if (f == 12) {
      EXPECT_EQ(words[12], 0x10600010u) << "minutes 60";
      EXPECT_EQ(l.frames[12].timecodeFrames, -1);
      continue;
    }
    EXPECT_EQ(words[static_cast<size_t>(f)], 0x10000000u | expect[f]) << "frame " << f;
    EXPECT_EQ(l.frames[static_cast<size_t>(f)].timecodeFrames, 1080000 + (expect[f] >> 4) * 10 + (expect[f] & 15));
  }
}

}  // namespace
