// The audio descriptor step: track count, format refusals and the first
// frame's sound element.
#include <gtest/gtest.h>

#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "tests/analysis_index/generated_file.h"
#include "tests/analysis_index/idx_bytes.h"

using namespace idxtest;

namespace {

TEST(AudioDescriptorStep, FormatPatternAndElementSizeOfGeneratedFiles) {
  struct Case {
    int rate;
    int bits;
    mxfgen::AudioWrapping wrapping;
    int tracks;
    uint8_t pattern;
  } cases[] = {
      {6, 24, mxfgen::AudioWrapping::Aes3, 8, 6},  {1, 16, mxfgen::AudioWrapping::Bwf, 4, 1},
      {7, 24, mxfgen::AudioWrapping::Bwf, 1, 7},   {4, 16, mxfgen::AudioWrapping::Aes3, 2, 4},
      {0, 24, mxfgen::AudioWrapping::Aes3, 24, 0}, {3, 24, mxfgen::AudioWrapping::Aes3, 2, 3},
      // 25000/1001 carries 1920 samples: the 25 pattern, left for the engines
      // to refuse.
      {5, 24, mxfgen::AudioWrapping::Aes3, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    mxfgen::Options o = SmallOptions(6);
    o.frameRateClass = c.rate;
    o.bits = c.bits;
    o.audio = c.wrapping;
    o.tracks = c.tracks;
    GeneratedFile g;
    ASSERT_TRUE(g.Write(o));
    ASSERT_EQ(g.AnalyzeThrough(700), 0);
    const MXF_AUDIO_INFO& a = g.state.audio;
    EXPECT_EQ(a.trackCount, c.tracks);
    EXPECT_EQ(a.bitsPerSample, uint32_t(c.bits));
    EXPECT_EQ(a.sampleRate, 48000u);
    EXPECT_EQ(a.blockAlign, c.bits / 8);
    EXPECT_EQ(a.avgBytesPerSec, 48000u * (c.bits / 8));
    EXPECT_EQ(a.samplePattern, c.pattern);
    EXPECT_EQ(a.audioElementSize, g.layout.soundElementSize);
  }
}

TEST(AudioDescriptorStep, TwentySixTracksAreCounted) {
  // 26 sound elements do not fit the index's delta entries, so the first
  // frame is taken from the generator's layout.
  mxfgen::Options o = SmallOptions(3);
  o.tracks = 26;
  GeneratedFile g;
  ASSERT_TRUE(g.Write(o));
  ASSERT_EQ(g.AnalyzeThrough(500), 0);
  INDEX_ENTRY_ARRAY first;
  first.streamOffset = g.layout.frames[0].packageOffset;
  first.sliceOffset = g.layout.frames[0].sliceOffset;
  g.state.indexEntries = {first};
  ASSERT_EQ(ReadAudioDescriptor(g.file(), &g.state.base), 0);
  EXPECT_EQ(g.state.audio.trackCount, 26);
  EXPECT_EQ(g.state.audio.samplePattern, 6);
}

TEST(AudioDescriptorStep, RefusedFormats) {
  struct Case {
    const char* what;
    void (*change)(mxfgen::Options*);
    int code;
    uint8_t pattern;  // samplePattern afterwards
  } cases[] = {
      {"no audio", [](mxfgen::Options* o) { o->tracks = 0; }, 705, 8},
      {"20-bit", [](mxfgen::Options* o) { o->quantizationBits = 20; }, 706, 8},
      {"44.1 kHz", [](mxfgen::Options* o) { o->audioSamplingRate = 44100; }, 707, 8},
      {"1601 samples", [](mxfgen::Options* o) { o->samplesPerFrame = 1601; }, 708, 8},
      // A known pattern, but of 30 fps in a 29.97 file.
      {"1600 samples at 29.97", [](mxfgen::Options* o) { o->samplesPerFrame = 1600; }, 708, 2},
      {"1602 samples at 59.94",
       [](mxfgen::Options* o) {
         o->frameRateClass = 7;
         o->samplesPerFrame = 1602;
       },
       708, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    mxfgen::Options o = SmallOptions(6);
    c.change(&o);
    GeneratedFile g;
    ASSERT_TRUE(g.Write(o));
    EXPECT_EQ(g.AnalyzeThrough(700), c.code);
    EXPECT_EQ(g.state.audio.samplePattern, c.pattern);
    EXPECT_EQ(g.state.audio.audioElementSize, 0u);
  }
}

// --- Hand-made header metadata ------------------------------------------------

const Bytes kAes3DescriptorKey = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                  0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x47, 0x00};
const Bytes kAes3ElementKey = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                               0x0D, 0x01, 0x03, 0x01, 0x16, 0x08, 0x03, 0x01};

// Header metadata at 100 holding one sound descriptor with `items`; the first
// frame's sound element (value `elementBytes`) at 5000 when given.
struct HandMadeAudio {
  Bytes bytes;
  MxfState state;

  HandMadeAudio(const std::vector<Bytes>& items, uint32_t elementBytes) {
    const Bytes header = LocalSet(kAes3DescriptorKey, items);
    PlaceAt(&bytes, 100, header);
    state.partitions = {Partition(0, 0, 100, header.size(), 0, 0, 0, 0)};
    INDEX_ENTRY_ARRAY first;
    first.streamOffset = 4900;
    first.sliceOffset = 100;
    state.indexEntries = {first};
    if (elementBytes > 0) PlaceAt(&bytes, 5000, Klv(kAes3ElementKey, Bytes(elementBytes, 1)));
    bytes.resize(std::max<size_t>(bytes.size(), 6000), 0);
    state.timecode.frameRateClass = 1;
  }
};

Bytes Rate(uint32_t num) {
  Bytes b = BE32(num);
  Put(&b, BE32(1));
  return b;
}

TEST(AudioDescriptorStep, TheFirstRefusedItemInSetOrderDecides) {
  HandMadeAudio bitsFirst({Item(0x3D01, BE32(20)), Item(0x3D03, Rate(44100))}, 0);
  HandMadeAudio rateFirst({Item(0x3D03, Rate(44100)), Item(0x3D01, BE32(20))}, 0);
  ScratchMxf a(bitsFirst.bytes), b(rateFirst.bytes);
  ASSERT_TRUE(a.ok() && b.ok());
  EXPECT_EQ(ReadAudioDescriptor(a.file(), &bitsFirst.state.base), 706);
  EXPECT_EQ(bitsFirst.state.audio.bitsPerSample, 20u);
  EXPECT_EQ(ReadAudioDescriptor(b.file(), &rateFirst.state.base), 707);
  EXPECT_EQ(rateFirst.state.audio.sampleRate, 44100u);
}

TEST(AudioDescriptorStep, BlockAlignZeroIsRefusedNotDividedBy) {
  HandMadeAudio h({Item(0x3D03, Rate(48000)), Item(0x3D01, BE32(24)), Item(0x3D0A, {0, 0})}, 5760);
  ScratchMxf mxf(h.bytes);
  ASSERT_TRUE(mxf.ok());
  EXPECT_EQ(ReadAudioDescriptor(mxf.file(), &h.state.base), 706);
}

TEST(AudioDescriptorStep, ElementSizeWithFillAndMissingElement) {
  const std::vector<Bytes> items = {Item(0x3D03, Rate(48000)), Item(0x3D01, BE32(24)),
                                    Item(0x3D0A, {0, 3}), Item(0x3D09, BE32(144000))};
  HandMadeAudio withFill(items, 5760);
  PlaceAt(&withFill.bytes, 5000 + 20 + 5760, Fill(36));
  ScratchMxf mxf(withFill.bytes);
  ASSERT_TRUE(mxf.ok());
  ASSERT_EQ(ReadAudioDescriptor(mxf.file(), &withFill.state.base), 0);
  EXPECT_EQ(withFill.state.audio.samplePattern, 1);
  EXPECT_EQ(withFill.state.audio.audioElementSize, 5760u + 16 + 40);
  EXPECT_EQ(withFill.state.audio.avgBytesPerSec, 144000u);

  // No sound element where the first frame's slice begins: nothing measured.
  HandMadeAudio none(items, 0);
  none.state.audio.samplePattern = 3;
  none.state.audio.audioElementSize = 99;
  ScratchMxf mxf2(none.bytes);
  ASSERT_TRUE(mxf2.ok());
  ASSERT_EQ(ReadAudioDescriptor(mxf2.file(), &none.state.base), 0);
  EXPECT_EQ(none.state.audio.samplePattern, 3);
  EXPECT_EQ(none.state.audio.audioElementSize, 99u);
}

TEST(AudioDescriptorStep, MissingRecordsAndFile) {
  MxfState s;
  ScratchMxf mxf(Bytes(64, 0));
  ASSERT_TRUE(mxf.ok());
  EXPECT_EQ(ReadAudioDescriptor(nullptr, &s.base), 701);
  EXPECT_EQ(ReadAudioDescriptor(mxf.file(), nullptr), 702);
  MXF_BASE_INFO base;
  EXPECT_EQ(ReadAudioDescriptor(mxf.file(), &base), 703);
  base.audio = &s.audio;
  EXPECT_EQ(ReadAudioDescriptor(mxf.file(), &base), 704);
  base.partitions = &s.partitions;
  EXPECT_EQ(ReadAudioDescriptor(mxf.file(), &base), 704);
  base.indexEntries = &s.indexEntries;
  s.partitions = {Partition(0, 0, 0, 64, 0, 0, 0, 0)};
  EXPECT_EQ(ReadAudioDescriptor(mxf.file(), &base), 705);
}

}  // namespace
