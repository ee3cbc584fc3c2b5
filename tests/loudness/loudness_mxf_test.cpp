// Measuring an MXF file's tracks: the figures must be those of exactly the
// samples mxfgen wrote into the chosen tracks over the chosen frames (built
// from its layout and sample pattern, never from the engines), and a file
// whose elements are not where the index says gives no figure at all.
#include <gtest/gtest.h>

#include <cstdio>

#include "loudness/mxf_loudness.h"
#include "loudness/wav_loudness.h"
#include "tests/export/export_fixture.h"

namespace {

using export_test::Bytes;

class MxfLoudness : public export_test::ExportTest {
 protected:
  // The figures of the pattern samples of `left` (and `right`), 1-based.
  LOUDNESS_RESULT Expected(int left, int right = 0) {
    const Bytes l = ExportTest::Expected(left);
    const Bytes r = right > 0 ? ExportTest::Expected(right) : Bytes();
    LoudnessMeter meter(right > 0 ? 2 : 1);
    const int bps = BytesPerSample();
    const uint8_t* channel[2] = {l.data(), r.data()};
    EXPECT_TRUE(meter.Add(channel, l.size() / bps, bps, bps));
    return meter.Result();
  }

  int Measure(const std::vector<LOUDNESS_PROGRAMME>& programmes, std::vector<LOUDNESS_RESULT>* results,
              LOUDNESS_PROGRESS* progress = nullptr) {
    size_t first = 0;
    uint32_t count = 0;
    if (int r = LoudnessRangeFrames(state.base, plan().exportIn, plan().exportOut, &first, &count); r != 0) return r;
    return MeasureMxfLoudness(export_test::U16(mxfPath), state.base, first, count, programmes, progress, results);
  }
};

void ExpectSame(const LOUDNESS_RESULT& a, const LOUDNESS_RESULT& b) {
  EXPECT_EQ(a.sampleFrames, b.sampleFrames);
  EXPECT_DOUBLE_EQ(a.integrated, b.integrated);
  EXPECT_DOUBLE_EQ(a.maxMomentary, b.maxMomentary);
  EXPECT_DOUBLE_EQ(a.maxShortTerm, b.maxShortTerm);
  EXPECT_DOUBLE_EQ(a.truePeak, b.truePeak);  // the pattern's peak names its track
}

// 29.97 fps (the 1602/1601 sample cycle), 24 and 16 bits, a range that
// starts inside the file, mono tracks and an uneven pair.
TEST_F(MxfLoudness, FiguresOfExactlyTheChosenSamples) {
  for (int bits : {24, 16}) {
    mxfgen::Options o;
    o.frameRateClass = 6;
    o.frames = 240;
    o.tracks = 6;
    o.bits = bits;
    ASSERT_TRUE(Generate(o));
    Select(17, 201, {});
    std::vector<LOUDNESS_RESULT> results;
    LOUDNESS_PROGRESS progress;
    ASSERT_EQ(Measure({{2, -1}, {0, -1}, {1, 4}}, &results, &progress), LOUDNESS_OK);
    ASSERT_EQ(results.size(), 3u);
    ExpectSame(results[0], Expected(3));
    ExpectSame(results[1], Expected(1));
    ExpectSame(results[2], Expected(2, 5));
    EXPECT_EQ(progress.currentFrame, 185u);
    EXPECT_EQ(progress.frameCount, 185u);
  }
}

TEST_F(MxfLoudness, RefusesTracksAndRangesTheFileDoesNotHave) {
  mxfgen::Options o;
  o.frames = 50;
  o.tracks = 4;
  ASSERT_TRUE(Generate(o));
  Select(0, 49, {});
  std::vector<LOUDNESS_RESULT> results;
  EXPECT_EQ(Measure({{4, -1}}, &results), LOUDNESS_BAD_TRACK);
  EXPECT_EQ(Measure({{1, 1}}, &results), LOUDNESS_BAD_TRACK);
  EXPECT_EQ(Measure({{0, 4}}, &results), LOUDNESS_BAD_TRACK);
  Select(10, 9, {});
  EXPECT_EQ(Measure({{0, -1}}, &results), LOUDNESS_BAD_RANGE);
  Select(0, 50, {});
  EXPECT_EQ(Measure({{0, -1}}, &results), LOUDNESS_BAD_RANGE);
  EXPECT_TRUE(results.empty());
}

// A sound element key overwritten in one frame inside the range: no figure.
TEST_F(MxfLoudness, ElementNotWhereTheIndexSaysGivesNoFigure) {
  mxfgen::Options o;
  o.frames = 60;
  o.tracks = 4;
  ASSERT_TRUE(Generate(o));
  const mxfgen::SoundElementLayout& el = layout.Sound(30, 2);
  {
    std::FILE* f = std::fopen(mxfPath.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, static_cast<long>(el.keyOffset), SEEK_SET);
    std::fputc(0x00, f);
    std::fclose(f);
  }
  std::vector<LOUDNESS_RESULT> results;
  Select(0, 59, {});
  EXPECT_EQ(Measure({{0, -1}}, &results), LOUDNESS_OK);  // other tracks are intact
  EXPECT_EQ(Measure({{0, 2}}, &results), LOUDNESS_ELEMENT_MISMATCH);
  Select(31, 59, {});
  EXPECT_EQ(Measure({{2, -1}}, &results), LOUDNESS_OK);  // the frame lies outside the range
}

TEST_F(MxfLoudness, CancelStopsWithoutFigures) {
  mxfgen::Options o;
  o.frames = 30;
  o.tracks = 2;
  ASSERT_TRUE(Generate(o));
  Select(0, 29, {});
  LOUDNESS_PROGRESS progress;
  progress.cancelRequest = 1;
  std::vector<LOUDNESS_RESULT> results;
  EXPECT_EQ(Measure({{0, 1}}, &results, &progress), LOUDNESS_CANCELLED);
  EXPECT_TRUE(results.empty());
}

}  // namespace
