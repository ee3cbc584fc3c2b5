// The BWF header as written, its time reference, and the names of the files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bwf/bwf_header.h"
#include "export_fixture.h"
#include "platform/path.h"
#include "timecode/timecode.h"

namespace export_test {
namespace {

TEST(BwfHeader, EveryByteOfTheHeader) {
  BWF_HEADER_FIELDS f;
  f.timeReference = 0x0000000102030405ull;
  f.dataSize = 48048;  // tracks of 10 frames at 29.97, 24 bit
  f.sampleRate = 48000;
  f.avgBytesPerSec = 144000;
  f.blockAlign = 3;
  f.bitsPerSample = 24;
  uint8_t h[kBwfHeaderSize];
  std::memset(h, 0xAA, sizeof h);
  BuildBwfHeader(f, h);

  // Every byte not listed here is zero.
  const std::vector<std::pair<size_t, Bytes>> written = {
      {0, {'R', 'I', 'F', 'F'}},
      {4, {0x9A, 0xBE, 0x00, 0x00}},  // 48794 = data + 746
      {8, {'W', 'A', 'V', 'E', 'J', 'U', 'N', 'K', 92, 0, 0, 0}},
      {112, {'b', 'e', 'x', 't', 0x5A, 0x02, 0x00, 0x00}},  // 602
      {458, {0x05, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00}},  // time reference low, high
      {466, {0x01, 0x00}},  // bext version 1
      {722, {'f', 'm', 't', ' ', 16, 0, 0, 0}},
      {730, {0x01, 0x00, 0x01, 0x00, 0x80, 0xBB, 0x00, 0x00, 0x80, 0x32, 0x02, 0x00, 0x03, 0x00, 0x18, 0x00}},
      {746, {'d', 'a', 't', 'a', 0xB0, 0xBB, 0x00, 0x00}},  // 48048
  };
  Bytes expected(kBwfHeaderSize, 0);
  for (const auto& [at, bytes] : written) std::copy(bytes.begin(), bytes.end(), expected.begin() + at);
  EXPECT_EQ(Bytes(h, h + kBwfHeaderSize), expected);
}

TEST(BwfHeader, SixteenBitFormatAndLargestDataSize) {
  BWF_HEADER_FIELDS f;
  f.dataSize = static_cast<uint32_t>(kBwfMaxDataSize);
  f.sampleRate = 48000;
  f.avgBytesPerSec = 96000;
  f.blockAlign = 2;
  f.bitsPerSample = 16;
  uint8_t h[kBwfHeaderSize];
  BuildBwfHeader(f, h);
  const Bytes b(h, h + kBwfHeaderSize);
  EXPECT_EQ(LE32(b, 4), 0xFFFFFFFFu);
  EXPECT_EQ(LE32(b, 750), 0xFFFFFFFFu - 746);
  EXPECT_EQ(LE32(b, 738), 96000u);
  EXPECT_EQ(b[742], 2);
  EXPECT_EQ(b[744], 16);
}

// Samples from midnight to frame n at 48 kHz, cycle from frame 0, written
// out here independently of the timecode library.
int64_t SamplesFromMidnight(int64_t frames, const std::vector<int64_t>& cycle) {
  int64_t total = 0;
  for (int64_t f = 0; f < frames; ++f) total += cycle[static_cast<size_t>(f % 5)];
  return total;
}

// The timecode record of a file starting at `start` (with the shifted start
// when it begins in hour 23).
struct Timecode {
  MXF_TIMECODE_INFO tc;
  Timecode(int32_t rateClass, int32_t start, int32_t hour23 = 0, int32_t shifted = 0) {
    tc.frameRateClass = rateClass;
    tc.startFrame = start;
    tc.startHourIs23 = hour23;
    tc.startFrameShifted = hour23 ? shifted : start;
  }
};

TEST(TimeReference, OneHourAt25) {
  const uint32_t in[2] = {90000, 90000};  // 01:00:00:00
  EXPECT_EQ(ExportTimeReference(Timecode(FRC_25, 90000).tc, in), 172800000);
  // Counted from midnight, not from the file's start.
  EXPECT_EQ(ExportTimeReference(Timecode(FRC_25, 45000).tc, in), 172800000);
}

TEST(TimeReference, DropFrameAcrossTheFiveFrameCycle) {
  // 29.97 drop frame: 00:01:00;02 (the first label after the drop) is frame
  // 1800, a cycle boundary; the following frames take 1602, 1601, 1602, 1601.
  const std::vector<int64_t> cycle = {1602, 1601, 1602, 1601, 1602};
  const int64_t expected[] = {2882880, 2884482, 2886083, 2887685, 2889286};
  for (int k = 0; k < 5; ++k) {
    const uint32_t in[2] = {static_cast<uint32_t>(1800 + k), static_cast<uint32_t>(1800 + k)};
    EXPECT_EQ(ExportTimeReference(Timecode(FRC_29_97, 1799).tc, in), expected[k]) << k;
    EXPECT_EQ(expected[k], SamplesFromMidnight(1800 + k, cycle));
  }
}

TEST(TimeReference, FiftyNineNinetyFour) {
  // 59.94: 801, 801, 800, 801, 801. 00:10:00;00 drop frame is frame 35964.
  const std::vector<int64_t> cycle = {801, 801, 800, 801, 801};
  for (int64_t frame : {1, 2, 3, 4, 5, 35962, 35963, 35964, 35965}) {
    const uint32_t in[2] = {static_cast<uint32_t>(frame), static_cast<uint32_t>(frame)};
    EXPECT_EQ(ExportTimeReference(Timecode(FRC_59_94, 0).tc, in), SamplesFromMidnight(frame, cycle)) << frame;
  }
  const uint32_t tenMinutes[2] = {35964, 35964};
  EXPECT_EQ(ExportTimeReference(Timecode(FRC_59_94, 0).tc, tenMinutes), 28799971);
}

TEST(TimeReference, PastMidnightKeepsCountingAndNeedsTheHighHalf) {
  // A file starting at 23:00:00:00 (25 fps) is compared one hour later:
  // start 00:00:00:00 in the shifted form. IN 00:55:00:00 (shifted
  // 01:55:00:00) lies 24 h 55 min after midnight of the start's day.
  const Timecode t(FRC_25, 2070000, 1, 0);
  const uint32_t in[2] = {82500, 172500};
  const int64_t ref = ExportTimeReference(t.tc, in);
  EXPECT_EQ(ref, int64_t{2242500} * 1920);
  EXPECT_EQ(ref >> 32, 1);

  BWF_HEADER_FIELDS f;
  f.timeReference = static_cast<uint64_t>(ref);
  uint8_t h[kBwfHeaderSize];
  BuildBwfHeader(f, h);
  const Bytes b(h, h + kBwfHeaderSize);
  EXPECT_EQ(LE32(b, 458), static_cast<uint32_t>(4305600000ull - 4294967296ull));
  EXPECT_EQ(LE32(b, 462), 1u);
}

TEST(TimeReference, RatesWithoutACycleHaveNone) {
  const uint32_t in[2] = {100, 100};
  EXPECT_EQ(ExportTimeReference(Timecode(FRC_25_1001, 0).tc, in), -1);
  EXPECT_EQ(ExportTimeReference(Timecode(FRC_UNSUPPORTED, 0).tc, in), -1);
}

TEST(BwfFileName, PlainSuffixedAndLong) {
  ScratchDir dir;
  const std::u16string folder = U16(dir.path());
  const std::u16string sep(1, plat::kPathSeparator);
  EXPECT_EQ(PlainBwfFileName(folder, u"take_", 3), folder + sep + u"take_3.wav");
  EXPECT_EQ(PlainBwfFileName(folder + sep, u"take_", 12), folder + sep + u"take_12.wav");

  BWF_FILE_NAME n = FormBwfFileName(folder, u"take_", 3, 2);
  EXPECT_FALSE(n.suffixed);
  EXPECT_EQ(n.path, folder + sep + u"take_3.wav");

  std::ofstream(dir.File("take_3.wav")) << "x";
  n = FormBwfFileName(folder, u"take_", 3, 2);
  EXPECT_TRUE(n.suffixed);
  EXPECT_EQ(n.path, folder + sep + u"take_3 2.wav");
  EXPECT_EQ(FormBwfFileName(folder, u"take_", 3, 100).path, folder + sep + u"take_3 100.wav");
  EXPECT_EQ(FormBwfFileName(folder, u"take_", 3, 4294967295u).path, folder + sep + u"take_3 4294967295.wav");
  // Only the name's last '.' starts the extension.
  std::ofstream(dir.File("v1.2_3.wav")) << "x";
  EXPECT_EQ(FormBwfFileName(folder, u"v1.2_", 3, 7).path, folder + sep + u"v1.2_3 7.wav");
  // The suffixed name is not tested again.
  std::ofstream(dir.File("take_3 2.wav")) << "x";
  EXPECT_EQ(FormBwfFileName(folder, u"take_", 3, 2).path, folder + sep + u"take_3 2.wav");
}

TEST(BwfFileName, LimitsOfTheFileSystem) {
#if defined(_WIN32)
  GTEST_SKIP() << "POSIX limits in UTF-8 bytes; the Windows ones are WindowsPath.LimitsOfDriveAndUncPaths";
#endif
  const std::u16string folder = u"/tmp";
  const std::u16string name251(251 - 6, u'a');  // + "24.wav" = 251 bytes
  EXPECT_TRUE(BwfPathFits(PlainBwfFileName(folder, name251, 24)));
  // A run number above 99 lengthens the name; 255 bytes still fit, 256 not.
  EXPECT_TRUE(BwfPathFits(SuffixedBwfFileName(PlainBwfFileName(folder, std::u16string(246, u'a'), 1), 100)));
  EXPECT_FALSE(BwfPathFits(SuffixedBwfFileName(PlainBwfFileName(folder, std::u16string(247, u'a'), 1), 100)));
  // Counted in UTF-8 bytes: 83 x "あ" (3 bytes) + "1.wav" = 254, 84 = 257.
  EXPECT_TRUE(BwfPathFits(PlainBwfFileName(folder, std::u16string(83, u'あ'), 1)));
  EXPECT_FALSE(BwfPathFits(PlainBwfFileName(folder, std::u16string(84, u'あ'), 1)));
  // The whole path.
  std::u16string deep;
  while (deep.size() < 4100) deep += u"/abcdefghij";
  EXPECT_TRUE(BwfPathFits(PlainBwfFileName(deep.substr(0, 4080), u"T", 1)));
  EXPECT_FALSE(BwfPathFits(PlainBwfFileName(deep.substr(0, 4090), u"T", 1)));
  EXPECT_FALSE(BwfPathFits(u"relative/Track-1.wav"));
}

}  // namespace
}  // namespace export_test
