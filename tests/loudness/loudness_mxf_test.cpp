// Measuring an MXF file's tracks: the figures must be those of exactly the
// samples mxfgen wrote into the chosen tracks over the chosen frames (built
// from its layout and sample pattern, never from the engines), and a file
// whose elements are not where the index says gives no figure at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "loudness/mxf_loudness.h"
#include "loudness/rewrap_levels.h"
#include "loudness/wav_loudness.h"
#include "tests/export/export_fixture.h"
#include "tests/rewrap/rewrap_fixture.h"

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

// Measured while writing, by both engines: the figures of the rewritten
// file's tracks as a measurement of the file afterwards finds them (mono,
// a stereo pair, silence, one channel of a multichannel file, 16 bits
// widened); a job that does not complete leaves no figure.
TEST(RewrapLevels, FiguresOfTheBytesWrittenByBothEngines) {
  using rewrap_test::Engine;
  for (Engine engine : {Engine::Mapping, Engine::File}) {
    SCOPED_TRACE(rewrap_test::EngineName(engine));
    rewrap_test::RewrapCase c;
    ASSERT_TRUE(c.Make(rewrap_test::SmallClip(120)));
    WAV_LIBRARY_ENTRY* mono = c.AddNoiseWav("mono.wav", 1, 24, 200000, 51);
    WAV_LIBRARY_ENTRY* stereo = c.AddNoiseWav("stereo.wav", 2, 16, 200000, 52);
    WAV_LIBRARY_ENTRY* poly = c.AddNoiseWav("poly.wav", 4, 24, 200000, 53);
    ASSERT_TRUE(mono && stereo && poly);
    c.Assign(0, mono);
    c.Assign(2, stereo);               // tracks 3 and 4, one programme
    c.plan.trackSwitch[5] = TRACK_ON;  // silence
    c.AssignChannel(6, poly, 2);
    c.SetRange(10, 109);
    RewrapLevelsTap tap;
    REWRAP_OPTIONS options;
    options.tap = &tap;
    const std::u16string path = plat::Utf8ToUtf16(c.path);
    const int rc = engine == Engine::Mapping ? RewrapByMapping(path, &c.plan, &c.state.base, options)
                                             : RewrapByFile(path, &c.plan, &c.state.base, options);
    ASSERT_EQ(rc, 0);
    ASSERT_TRUE(c.FileIs(c.Expected()));
    const SOUND_LEVELS levels = LastSoundLevels();
    ASSERT_TRUE(levels.measured);

    const std::vector<LOUDNESS_PROGRAMME> programmes = {{0, -1}, {2, 3}, {5, -1}, {6, -1}};
    size_t first = 0;
    uint32_t count = 0;
    ASSERT_EQ(LoudnessRangeFrames(c.state.base, c.plan.wrapIn, c.plan.wrapOut, &first, &count), LOUDNESS_OK);
    std::vector<LOUDNESS_RESULT> file;
    ASSERT_EQ(MeasureMxfLoudness(path, c.state.base, first, count, programmes, nullptr, &file), LOUDNESS_OK);
    ASSERT_EQ(levels.rows.size(), programmes.size());
    for (size_t i = 0; i < programmes.size(); ++i) {
      SCOPED_TRACE("programme " + std::to_string(i));
      EXPECT_EQ(levels.rows[i].slot, programmes[i].left);
      EXPECT_EQ(levels.rows[i].secondSlot, programmes[i].right);
      EXPECT_DOUBLE_EQ(levels.rows[i].integrated, file[i].integrated);
      EXPECT_DOUBLE_EQ(levels.rows[i].truePeak, file[i].truePeak);
    }
    EXPECT_EQ(levels.rows[2].integratedText, u"-inf");
    EXPECT_TRUE(std::isfinite(levels.rows[1].integrated));

    // Refused before the first write (the OUT point past the file): the
    // figures of the job before are gone, none are given.
    c.Restore();
    c.SetRange(10, 500);
    EXPECT_NE(engine == Engine::Mapping ? RewrapByMapping(path, &c.plan, &c.state.base, options)
                                        : RewrapByFile(path, &c.plan, &c.state.base, options),
              0);
    EXPECT_FALSE(LastSoundLevels().measured);
    EXPECT_TRUE(LastSoundLevels().rows.empty());

    // Cancelled: no figure for a partial range, and the meters' threads end.
    c.SetRange(10, 109);
    ASSERT_EQ(engine == Engine::Mapping ? RewrapByMapping(path, &c.plan, &c.state.base, options)
                                        : RewrapByFile(path, &c.plan, &c.state.base, options),
              0);
    ASSERT_TRUE(LastSoundLevels().measured);
    c.plan.cancelRequest = 1;
    EXPECT_EQ(engine == Engine::Mapping ? RewrapByMapping(path, &c.plan, &c.state.base, options)
                                        : RewrapByFile(path, &c.plan, &c.state.base, options),
              99);
    EXPECT_FALSE(LastSoundLevels().measured);
  }
}

}  // namespace
