// Reading WAV/BWF files: formats, the chunk walk, sizes and every result code.
#include <gtest/gtest.h>

#include "bwf/wav_reader.h"
#include "platform/file.h"
#include "tests/bwf/wav_test_support.h"

namespace {

using namespace wavtest;

class WavReaderTest : public WavDirTest {
 protected:
  int Read(const std::u16string& path) {
    info_ = WAV_FORMAT_INFO{};
    return ReadWavFile(path, &info_, &tc25_);
  }
  int ReadBytes(const Bytes& bytes) { return Read(Write("t.wav", bytes)); }

  WAV_FORMAT_INFO info_;
};

// The RIFF header (12) + fmt chunk (8 + 16) + the data chunk header (8).
constexpr uint64_t kPlainDataOffset = 44;

TEST_F(WavReaderTest, ReadsPcmLayoutsOfOneToManyChannels) {
  struct Case {
    uint16_t channels, bits;
    int16_t bytesPerSample;
  } cases[] = {{1, 16, 2}, {1, 24, 3}, {2, 16, 2}, {2, 24, 3}, {8, 16, 2}, {8, 24, 3}, {24, 24, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.channels << " ch " << c.bits << " bit");
    Fmt f;
    f.channels = c.channels;
    f.bits = c.bits;
    const uint32_t frames = 1001;
    ASSERT_EQ(ReadBytes(SimpleWav(f, frames)), WAV_READ_OK);
    const uint16_t align = static_cast<uint16_t>(c.channels * c.bits / 8);
    EXPECT_EQ(info_.formatTag, 1);
    EXPECT_EQ(info_.channels, c.channels);
    EXPECT_EQ(info_.sampleRate, 48000u);
    EXPECT_EQ(info_.avgBytesPerSec, 48000u * align);
    EXPECT_EQ(info_.blockAlign, align);
    EXPECT_EQ(info_.bytesPerSample, c.bytesPerSample);
    EXPECT_EQ(info_.bitsPerSample, c.bits);
    EXPECT_EQ(info_.dataSize, frames * align);
    EXPECT_EQ(info_.dataOffset, kPlainDataOffset);
    EXPECT_EQ(info_.startSample, 0u);
    EXPECT_EQ(info_.endSample, frames);
    EXPECT_EQ(info_.hasTimeReference, 0u);
  }
}

TEST_F(WavReaderTest, TakesTheTimeReferenceFromBext) {
  Fmt f;
  f.channels = 2;
  f.bits = 24;
  // Beyond 32 bits, so both halves of the field count.
  const uint64_t ref = (uint64_t{1} << 32) + 12345;
  ASSERT_EQ(ReadBytes(SimpleWav(f, 10, true, ref)), WAV_READ_OK);
  EXPECT_EQ(info_.hasTimeReference, 1u);
  EXPECT_EQ(info_.startSample, ref);
  EXPECT_EQ(info_.endSample, ref + 10);
  EXPECT_EQ(info_.dataOffset, kPlainDataOffset + 8 + 602);

  // A bext too short to hold the time reference is passed over (read into
  // the same record: nothing of the previous file stays).
  const Bytes shortBext = Riff(Cat({Chunk("fmt ", FmtBody(f)), Chunk("bext", BextBody(ref, "", 345)),
                                    Chunk("data", Samples(10, 2, 3))}));
  ASSERT_EQ(ReadWavFile(Write("short.wav", shortBext), &info_, &tc25_), WAV_READ_OK);
  EXPECT_EQ(info_.hasTimeReference, 0u);
  EXPECT_EQ(info_.startSample, 0u);

  // A bext after the data chunk is not read.
  const Bytes lateBext = Riff(Cat({Chunk("fmt ", FmtBody(f)), Chunk("data", Samples(10, 2, 3)),
                                   Chunk("bext", BextBody(ref))}));
  ASSERT_EQ(ReadBytes(lateBext), WAV_READ_OK);
  EXPECT_EQ(info_.hasTimeReference, 0u);
  EXPECT_EQ(info_.dataSize, 60u);
}

TEST_F(WavReaderTest, TagBytesInsideChunkBodiesAreNotChunks) {
  Fmt f;
  // "data" with a plausible size inside a LIST chunk and inside the bext
  // description, both before the real data chunk; a "fmt " inside a comment
  // that would fail the checks if it were taken.
  Bytes list;
  PutText(list, "INFOICMT");
  Put32(list, 24);
  PutText(list, "data");
  Put32(list, 8);
  PutText(list, "fmt ");
  Put32(list, 16);
  Put32(list, 0);  // (a 0 Hz "format")
  const Bytes bytes = Riff(Cat({Chunk("LIST", list), Chunk("fmt ", FmtBody(f)),
                                Chunk("bext", BextBody(4800, "take data from here")),
                                Chunk("data", Samples(100, 1, 2))}));
  ASSERT_EQ(ReadBytes(bytes), WAV_READ_OK);
  const uint64_t expectedOffset = 12 + (8 + list.size()) + (8 + 16) + (8 + 602) + 8;
  EXPECT_EQ(info_.dataOffset, expectedOffset);
  EXPECT_EQ(info_.dataSize, 200u);
  EXPECT_EQ(info_.startSample, 4800u);
  EXPECT_EQ(info_.sampleRate, 48000u);
}

TEST_F(WavReaderTest, HonoursAndToleratesPadBytes) {
  Fmt f;
  const Bytes samples = Samples(50, 1, 2);
  const uint64_t listChunk = 8 + 7;  // odd body

  // Odd chunk followed by its pad byte.
  const Bytes padded = Riff(Cat({Chunk("fmt ", FmtBody(f)), Chunk("LIST", Bytes(7, 'x')), Chunk("data", samples)}));
  ASSERT_EQ(ReadBytes(padded), WAV_READ_OK);
  EXPECT_EQ(info_.dataOffset, 12 + 24 + listChunk + 1 + 8);

  // The writer left the pad byte out: before the data chunk (whose size,
  // 100, makes "ata" + 'd' look like an id at the padded position), and
  // before another chunk.
  const Bytes unpadded =
      Riff(Cat({Chunk("fmt ", FmtBody(f)), Chunk("LIST", Bytes(7, 'x'), false), Chunk("data", samples)}));
  ASSERT_EQ(ReadBytes(unpadded), WAV_READ_OK);
  EXPECT_EQ(info_.dataOffset, 12 + 24 + listChunk + 8);
  EXPECT_EQ(info_.dataSize, 100u);
  const Bytes unpaddedBext = Riff(Cat({Chunk("LIST", Bytes(3, 'x'), false), Chunk("bext", BextBody(96000)),
                                       Chunk("fmt ", FmtBody(f)), Chunk("data", samples)}));
  ASSERT_EQ(ReadBytes(unpaddedBext), WAV_READ_OK);
  EXPECT_EQ(info_.startSample, 96000u);
  EXPECT_EQ(info_.dataOffset, 12 + 11 + 610 + 24 + 8);

  // A pad byte that is not zero is still a pad byte.
  Bytes spacePad = Cat({Chunk("fmt ", FmtBody(f)), Chunk("LIST", Bytes(7, 'x'), false)});
  spacePad.push_back(' ');
  ASSERT_EQ(ReadBytes(Riff(Cat({spacePad, Chunk("data", samples)}))), WAV_READ_OK);
  EXPECT_EQ(info_.dataOffset, 12 + 24 + listChunk + 1 + 8);

  // An odd data chunk that ends the file without its pad byte is complete.
  Fmt mono24;
  mono24.bits = 24;
  const Bytes oddLast = Riff(Cat({Chunk("fmt ", FmtBody(mono24)), Chunk("data", Samples(33, 1, 3), false)}));
  ASSERT_EQ(ReadBytes(oddLast), WAV_READ_OK);
  EXPECT_EQ(info_.dataSize, 99u);
  EXPECT_EQ(info_.endSample, 33u);
}

TEST_F(WavReaderTest, DataSizeBeyondTheFileTakesWhatTheFileHolds) {
  Fmt f;
  f.channels = 2;
  f.bits = 24;  // block align 6
  const Bytes samples = Samples(40, 2, 3);

  // A streaming writer's 0xFFFFFFFF.
  ASSERT_EQ(ReadBytes(Riff(Cat({Chunk("fmt ", FmtBody(f)), Chunk("data", samples, true, 0xFFFFFFFF)}))),
            WAV_READ_OK);
  EXPECT_EQ(info_.dataSize, 240u);
  EXPECT_EQ(info_.endSample, 40u);

  // A copy cut short in the middle of a sample frame: whole frames only.
  Bytes cut = Riff(Cat({Chunk("fmt ", FmtBody(f)), Chunk("data", samples)}));
  cut.resize(cut.size() - 4);
  ASSERT_EQ(ReadBytes(cut), WAV_READ_OK);
  EXPECT_EQ(info_.dataSize, 234u);
  EXPECT_EQ(info_.endSample, 39u);

  // A data chunk header with no sample bytes at all.
  Bytes empty = Riff(Cat({Chunk("fmt ", FmtBody(f)), Chunk("data", {}, true, 6000)}));
  ASSERT_EQ(ReadBytes(empty), WAV_READ_OK);
  EXPECT_EQ(info_.dataSize, 0u);
  EXPECT_EQ(info_.endSample, 0u);
}

TEST_F(WavReaderTest, ExtensibleFormatIsAcceptedWithItsTagKept) {
  const Bytes bytes = Riff(Cat({Chunk("fmt ", ExtensibleFmtBody(2, 24, 24)), Chunk("data", Samples(20, 2, 3))}));
  ASSERT_EQ(ReadBytes(bytes), WAV_READ_OK);
  EXPECT_EQ(static_cast<uint16_t>(info_.formatTag), 0xFFFEu);
  EXPECT_EQ(info_.channels, 2);
  EXPECT_EQ(info_.bitsPerSample, 24);
  EXPECT_EQ(info_.blockAlign, 6);
  EXPECT_EQ(info_.dataOffset, 12u + 8 + 40 + 8);
  EXPECT_EQ(info_.dataSize, 120u);

  // 20 valid bits in a 24-bit container: the container is what is copied.
  ASSERT_EQ(ReadBytes(Riff(Cat({Chunk("fmt ", ExtensibleFmtBody(1, 24, 20)), Chunk("data", Samples(2, 1, 3))}))),
            WAV_READ_OK);
  EXPECT_EQ(info_.bitsPerSample, 24);
}

TEST_F(WavReaderTest, RefusesFormatsOtherThan48kHz16Or24Bit) {
  struct Case {
    const char* what;
    Fmt fmt;
  } cases[] = {
      {"44.1 kHz", {1, 2, 44100, 16, -1}},
      {"8 bit", {1, 1, 48000, 8, -1}},
      {"20 bit", {1, 1, 48000, 20, -1}},
      {"32 bit", {1, 2, 48000, 32, -1}},
      {"block align 0", {1, 2, 48000, 16, 0}},
      {"block align of mono in a stereo file", {1, 2, 48000, 16, 2}},
      {"no channels", {1, 0, 48000, 24, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadBytes(Riff(Cat({Chunk("fmt ", FmtBody(c.fmt)), Chunk("data", Bytes(48, 1))}))),
              WAV_READ_BAD_FORMAT);
  }
}

TEST_F(WavReaderTest, RefusesFilesThatAreNotUsableWave) {
  Fmt f;
  const Bytes fmt = Chunk("fmt ", FmtBody(f));
  const Bytes data = Chunk("data", Samples(10, 1, 2));
  Bytes fmtCut = Riff(Cat({Chunk("LIST", Bytes(4, 'a')), fmt}));
  fmtCut.resize(fmtCut.size() - 2);  // the fmt body runs past the end
  Bytes shortFmtBody = FmtBody(f);
  shortFmtBody.resize(14);
  Bytes header = Riff(Cat({fmt, data}));
  header.resize(10);

  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"cut inside the RIFF header", header},
      {"AIFF", Riff(Cat({fmt, data}), "AIFF", "FORM")},
      {"RIFF without WAVE", Riff(Cat({fmt, data}), "AVI ")},
      {"RF64", Riff(Cat({fmt, data}), "WAVE", "RF64")},
      {"no data", Riff(fmt)},
      {"no fmt", Riff(data)},
      {"data before fmt", Riff(Cat({data, fmt}))},
      {"only a short fmt", Riff(Cat({Chunk("fmt ", shortFmtBody), data}))},
      {"fmt cut short", fmtCut},
      {"a chunk running past the end before data", Riff(Cat({fmt, Chunk("LIST", Bytes(8, 'a'), true, 5000), data}))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadBytes(c.bytes), WAV_READ_NOT_WAVE);
  }
}

TEST_F(WavReaderTest, ArgumentAndOpenFailures) {
  const std::u16string path = Write("ok.wav", SimpleWav(Fmt{}, 4));
  EXPECT_EQ(ReadWavFile(u"", &info_, &tc25_), WAV_READ_NO_PATH);
  EXPECT_EQ(ReadWavFile(path, nullptr, &tc25_), WAV_READ_NO_RECORD);
  EXPECT_EQ(ReadWavFile(path, &info_, nullptr), WAV_READ_BAD_FRAME_RATE);
  MXF_TIMECODE_INFO unsupported;
  SetTimeline(unsupported, TC_BASE_25, 0, FRC_UNSUPPORTED);
  EXPECT_EQ(ReadWavFile(path, &info_, &unsupported), WAV_READ_BAD_FRAME_RATE);
  EXPECT_EQ(Read(PathOf("missing.wav")), WAV_READ_OPEN_FAILED);

  // The file is opened exclusively: another exclusive holder refuses it.
  {
    plat::File holder = plat::File::Open(path, plat::Access::Read, plat::Share::Exclusive);
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(Read(path), WAV_READ_OPEN_FAILED);
  }
  EXPECT_EQ(Read(path), WAV_READ_OK);
  // ... and released again afterwards.
  plat::File after = plat::File::Open(path, plat::Access::Read, plat::Share::Exclusive);
  EXPECT_TRUE(after.valid());
}

}  // namespace
