// Step 400: start timecode, duration, base, drop frame and edit rate.
#include <gtest/gtest.h>

#include "engine/analysis_steps.h"
#include "tests/analysis_header/header_bytes.h"
#include "timecode/timecode.h"

using namespace hdrtest;

namespace {

struct Tc {
  uint64_t start = 0;
  uint16_t base = 30;
  uint8_t drop = 0;
  uint64_t duration = 900;
  uint32_t rateNum = 30000, rateDen = 1000;
};

Bytes Component(const Tc& t) {
  Bytes base;
  PutBE16(&base, t.base);
  return Set(kTimecodeComponent, {Item(0x3C0A, Bytes(16, 1)), Item(0x0201, Bytes(16, 2)), Item(0x0202, U64(t.duration)),
                                  Item(0x1501, U64(t.start)), Item(0x1502, base), Item(0x1503, {t.drop})});
}

Bytes Track(uint32_t num, uint32_t den) {
  Bytes rate;
  PutBE32(&rate, num);
  PutBE32(&rate, den);
  return Set(kTimelineTrack, {Item(0x4801, {0, 0, 0, 1}), Item(0x4B01, rate), Item(0x4B02, U64(0))});
}

Bytes Metadata(const Tc& t) {
  Bytes m = Track(t.rateNum, t.rateDen);
  Put(&m, Component(t));
  return m;
}

int RunTc(Loaded& l) { return ReadTimecodeComponent(l.file(), l.base()); }

}  // namespace

TEST(TimecodeComponent, TenOClockAt30NonDrop) {
  Tc t;
  t.start = 1080000;  // 10:00:00:00
  Loaded l(Metadata(t));
  ASSERT_TRUE(l.ok());
  ASSERT_EQ(RunTc(l), 0);
  const MXF_TIMECODE_INFO& tc = l.r.timecode;
  EXPECT_EQ(tc.startFrame, 1080000);
  EXPECT_EQ(tc.startFrameShifted, 1188000);
  EXPECT_EQ(tc.endFrameShifted, 1188899);
  EXPECT_EQ(tc.endFrame, 1080899);
  EXPECT_EQ(tc.duration, 900);
  EXPECT_EQ(tc.startHourIs23, 0);
  EXPECT_EQ(tc.tcBase, TC_BASE_30);
  EXPECT_EQ(tc.dropFrame, 0);
  EXPECT_EQ(tc.editRateNum, 30000);
  EXPECT_EQ(tc.editRateDen, 1000);
  EXPECT_EQ(tc.frameRateClass, FRC_30);
}

TEST(TimecodeComponent, StartInHour23KeepsBothForms) {
  Tc t;
  t.start = 2159750;  // 23:59:50:00 at 25
  t.base = 25;
  t.duration = 500;
  t.rateNum = 25000;
  Loaded l(Metadata(t));
  ASSERT_TRUE(l.ok());
  ASSERT_EQ(RunTc(l), 0);
  const MXF_TIMECODE_INFO& tc = l.r.timecode;
  EXPECT_EQ(tc.startHourIs23, 1);
  EXPECT_EQ(tc.startFrame, 2159750);
  EXPECT_EQ(tc.startFrameShifted, 89750);  // 00:59:50:00
  EXPECT_EQ(tc.endFrameShifted, 90249);
  EXPECT_EQ(tc.endFrame, 249);  // 00:00:09:24 of the next day
  EXPECT_EQ(tc.frameRateClass, FRC_25);
}

TEST(TimecodeComponent, DropFrameAt2997) {
  Tc t;
  t.start = 107892;  // 01:00:00;00 drop frame
  t.drop = 1;
  t.duration = 18000;
  t.rateNum = 30000;
  t.rateDen = 1001;
  Loaded l(Metadata(t));
  ASSERT_TRUE(l.ok());
  ASSERT_EQ(RunTc(l), 0);
  const MXF_TIMECODE_INFO& tc = l.r.timecode;
  EXPECT_EQ(tc.dropFrame, 1);
  EXPECT_EQ(tc.frameRateClass, FRC_29_97);
  EXPECT_EQ(tc.startFrameShifted, 215784);  // 02:00:00;00
  EXPECT_EQ(tc.endFrameShifted, 215784 + 17999);
  EXPECT_EQ(tc.endFrame, 107892 + 17999);
  EXPECT_EQ(FormatTimecode(tc.tcBase, tc.dropFrame, tc.endFrame), std::u16string(u"01:10:00.17"));
}

TEST(TimecodeComponent, EditRateClassFromTheReducedFraction) {
  struct Case {
    uint32_t num, den;
    int32_t cls;
  } cases[] = {
      {25, 1, FRC_25},      {25000, 1000, FRC_25}, {30, 1, FRC_30},         {24, 1, FRC_24},
      {60, 1, FRC_60},      {24000, 1001, FRC_23_98}, {60000, 1001, FRC_59_94}, {50, 1, FRC_UNSUPPORTED},
      {0, 0, FRC_UNSUPPORTED},
  };
  for (const Case& c : cases) {
    Tc t;
    t.rateNum = c.num;
    t.rateDen = c.den;
    Loaded l(Metadata(t));
    ASSERT_TRUE(l.ok());
    // A previous file's class must not survive an unknown rate.
    l.r.timecode.frameRateClass = FRC_25;
    ASSERT_EQ(RunTc(l), 0);
    EXPECT_EQ(l.r.timecode.frameRateClass, c.cls) << c.num << "/" << c.den;
    EXPECT_EQ(l.r.timecode.editRateNum, int32_t(c.num));
    EXPECT_EQ(l.r.timecode.editRateDen, int32_t(c.den));
  }
}

TEST(TimecodeComponent, FirstTrackAndComponentWin) {
  Tc first;
  first.start = 30;
  Tc second;
  second.start = 60;
  Bytes m = Track(25, 1);
  Put(&m, Component(first));
  Put(&m, Track(30000, 1001));
  Put(&m, Component(second));
  Loaded l(m);
  ASSERT_TRUE(l.ok());
  ASSERT_EQ(RunTc(l), 0);
  EXPECT_EQ(l.r.timecode.startFrame, 30);
  EXPECT_EQ(l.r.timecode.frameRateClass, FRC_25);
}

TEST(TimecodeComponent, UnusableDurationIs406) {
  for (uint64_t d : {uint64_t{0}, ~uint64_t{0}, uint64_t{0x80000000}, uint64_t{1} << 32}) {
    Tc t;
    t.duration = d;
    Loaded l(Metadata(t));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(RunTc(l), 406) << d;
  }
  // No duration item at all.
  Bytes base;
  PutBE16(&base, 30);
  Bytes m = Track(30000, 1000);
  Put(&m, Set(kTimecodeComponent, {Item(0x1501, U64(0)), Item(0x1502, base)}));
  Loaded l(m);
  ASSERT_TRUE(l.ok());
  EXPECT_EQ(RunTc(l), 406);
}

TEST(TimecodeComponent, MissingSetsAnd407KeepsWhatWasRead) {
  {
    Loaded l(Track(25, 1));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(RunTc(l), 405);
  }
  Tc t;
  t.start = 1080000;
  Loaded l(Component(t));
  ASSERT_TRUE(l.ok());
  EXPECT_EQ(RunTc(l), 407);
  EXPECT_EQ(l.r.timecode.startFrame, 1080000);
  EXPECT_EQ(l.r.timecode.endFrame, 1080899);
}

TEST(TimecodeComponent, UnknownRoundedBaseIsKept) {
  Tc t;
  t.base = 50;
  t.start = 100;
  Loaded l(Metadata(t));
  ASSERT_TRUE(l.ok());
  ASSERT_EQ(RunTc(l), 0);
  EXPECT_EQ(l.r.timecode.tcBase, 50);
  EXPECT_EQ(l.r.timecode.startHourIs23, 0);
}

TEST(TimecodeComponent, SearchedInTheHeaderMetadataOnly) {
  // KAG 1: the sets at the end of the header metadata are inside the window
  // although they lie beyond kagSize + headerByteCount.
  Bytes m = Set(kIdentification, {Item(0x3C01, Bytes(400, 0x41))});
  Put(&m, Metadata(Tc{}));
  Loaded kag1(m, 1);
  ASSERT_TRUE(kag1.ok());
  EXPECT_EQ(RunTc(kag1), 0);

  // Sets in the body partition are not looked at.
  MiniFile mf;
  mf.headerMetadata = Set(kIdentification, {});
  BuiltFile b = Build(mf);
  const Bytes sets = Metadata(Tc{});
  std::copy(sets.begin(), sets.end(), b.bytes.begin() + long(b.bodyEssenceStart));
  ScratchMxf f(b.bytes);
  Records r;
  ASSERT_EQ(ReadPartitions(f.file(), f.size(), &r.base), 0);
  EXPECT_EQ(ReadTimecodeComponent(f.file(), &r.base), 405);
}


// A damaged component whose start is no time of day, or whose end does not
// fit a frame number, is refused: every length and range would be computed
// from frame numbers that lie further apart than 32 bits count.
TEST(TimecodeComponent, PositionsOutsideADayAre408) {
  struct Case {
    uint64_t start;
    uint16_t base;
    uint64_t duration;
    int code;
  } cases[] = {
      {0x80000000, 30, 900, 408},           // the low 32 bits are negative
      {0xFFFFFFFF, 30, 900, 408},           // -1
      {2592000, 30, 900, 408},              // 24:00:00:00 at 30
      {2591999, 30, 900, 0},                // 23:59:59:29
      {0x7FFFFFF0, 50, 900, 408},           // unknown base: only the end is checked
      {0, 30, 0x7FFFFFFF, 408},             // shifted end 108000 + 2^31 - 2
      {0, 30, 0x7FFFFFFF - 108000, 0},      // shifted end exactly INT32_MAX
  };
  for (const Case& c : cases) {
    Tc t;
    t.start = c.start;
    t.base = c.base;
    t.duration = c.duration;
    Loaded l(Metadata(t));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(RunTc(l), c.code) << c.start << " " << c.duration;
  }
}
