// The two export engines on generated files: the bytes they write, cancel,
// and every failure they report.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>


#include "export_fixture.h"
#include "timecode/timecode.h"

namespace export_test {
namespace {

struct EngineCase {
  const char* name;
  Engine run;
  int step;
};

void PrintTo(const EngineCase& c, std::ostream* os) { *os << c.name; }

const EngineCase kFile{"file", ExportBwfByFile, 5000};
const EngineCase kMapped{"mapping", ExportBwfByMapping, 4000};

std::string TrackName(int track) { return "Track-" + std::to_string(track) + ".wav"; }

// --- What is written ---------------------------------------------------------

struct Variant {
  const char* what;
  mxfgen::Options opt;
  int64_t first, last;
  std::vector<int> tracks;
};

std::vector<Variant> Variants() {
  std::vector<Variant> v;
  {
    // 29.97, index segments of 40 frames in front of each of three essence
    // partitions; the range starts and ends inside segments.
    mxfgen::Options o;
    o.frames = 300;
    o.startFrame = 108000;  // 01:00:00:00
    o.essencePartitions = 3;
    o.indexLayout = mxfgen::IndexLayout::BodyBefore;
    o.maxSegmentEntries = 40;
    v.push_back({"29.97 body index, three partitions", o, 37, 251, {2, 5, 8}});
  }
  {
    // 16 bit, BWF keys, ancillary data, KAG 1, footer index in 25-frame
    // segments; the whole file.
    mxfgen::Options o;
    o.frameRateClass = FRC_25;
    o.frames = 120;
    o.bits = 16;
    o.tracks = 4;
    o.audio = mxfgen::AudioWrapping::Bwf;
    o.ancillary = true;
    o.kag = 1;
    o.indexLayout = mxfgen::IndexLayout::FooterSplit;
    o.maxSegmentEntries = 25;
    v.push_back({"25 fps 16 bit, ancillary, KAG 1", o, 0, 119, {1, 4}});
  }
  {
    // 59.94 drop frame, 24 tracks, index-only partitions after the essence.
    mxfgen::Options o;
    o.frameRateClass = FRC_59_94;
    o.dropFrame = true;
    o.startFrame = 2157840;  // 10:00:00;00 at 59.94 drop frame
    o.frames = 160;
    o.tracks = 24;
    o.essencePartitions = 2;
    o.indexLayout = mxfgen::IndexLayout::BodyAfter;
    v.push_back({"59.94 DF, 24 tracks", o, 3, 150, {1, 13, 24}});
  }
  {
    // One sound element per frame (no second delta to size it by).
    mxfgen::Options o;
    o.frameRateClass = FRC_23_98;
    o.frames = 70;
    o.tracks = 1;
    v.push_back({"23.98, one track", o, 5, 60, {1}});
  }
  {
    // Starts at 23:59:58:00 and runs past midnight.
    mxfgen::Options o;
    o.frameRateClass = FRC_25;
    o.startFrame = 2159950;
    o.frames = 150;
    o.tracks = 2;
    v.push_back({"25 fps across midnight", o, 25, 100, {2}});
  }
  return v;
}

class ExportBytes : public ExportTest {};

TEST_F(ExportBytes, BothEnginesWriteTheRangesSoundElementsByteForByte) {
  for (const Variant& v : Variants()) {
    SCOPED_TRACE(v.what);
    for (const auto& entry : std::filesystem::directory_iterator(outDir)) std::filesystem::remove(entry.path());
    ASSERT_TRUE(Generate(v.opt));
    Select(v.first, v.last, v.tracks);
    const std::string mappedDir = dir.File("mapped");
    std::filesystem::remove_all(mappedDir);
    std::filesystem::create_directories(mappedDir);

    ASSERT_EQ(Run(ExportBwfByFile), 0);
    SetDestination(mappedDir, "Track-");
    ASSERT_EQ(Run(ExportBwfByMapping), 0);
    SetDestination(outDir, "Track-");
    EXPECT_EQ(plan().frameCount, static_cast<uint32_t>(v.last - v.first + 1));
    EXPECT_EQ(plan().currentFrame, static_cast<uint32_t>(v.last - v.first));

    const int64_t timeReference = [&] {
      // Frames from midnight of the IN point, without a wrap at 24 hours.
      const int64_t frame = state.timecode.startFrame + v.first;
      int64_t samples = 0;
      for (int64_t f = 0; f < frame; ++f) samples += SAMPLES_PER_FRAME[v.opt.frameRateClass][f % 5];
      return samples;
    }();

    std::vector<std::string> names;
    for (int t : v.tracks) names.push_back(TrackName(t));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(OutFiles(), names);
    for (int t : v.tracks) {
      SCOPED_TRACE("track " + std::to_string(t));
      const Bytes file = ReadAll(OutFile(TrackName(t)));
      const Bytes expected = Expected(t);
      ASSERT_GE(file.size(), kBwfHeaderSize);
      EXPECT_EQ(LE32(file, 750), expected.size());
      EXPECT_EQ(LE32(file, 4), expected.size() + 746);
      EXPECT_EQ(LE32(file, 458) | static_cast<uint64_t>(LE32(file, 462)) << 32,
                static_cast<uint64_t>(timeReference));
      EXPECT_EQ(file[742], v.opt.bits / 8);
      EXPECT_EQ(file[744], v.opt.bits);
      EXPECT_TRUE(Data(file) == expected) << "sample bytes differ";
      EXPECT_TRUE(ReadAll(mappedDir + "/" + TrackName(t)) == file) << "the engines differ";
    }
    const BWF_EXPORT_REPORT report = LastBwfExportReport();
    EXPECT_EQ(report.stepCode, 4000);
    EXPECT_EQ(report.result, 0);
    ASSERT_EQ(report.files.size(), v.tracks.size());
    for (const BWF_EXPORT_FILE& f : report.files) {
      EXPECT_TRUE(f.complete);
      EXPECT_EQ(f.bytesWritten, report.fileSize);
    }
    EXPECT_TRUE(report.IncompleteFiles().empty());
  }
}

TEST_F(ExportBytes, NeitherEngineChangesTheMxfFile) {
  mxfgen::Options o;
  o.frames = 40;
  ASSERT_TRUE(Generate(o));
  Select(0, 39, {1, 2});
  const Bytes before = ReadAll(mxfPath);
  const auto time = std::filesystem::last_write_time(mxfPath);
  ASSERT_EQ(Run(ExportBwfByMapping), 0);
  ASSERT_EQ(Run(ExportBwfByFile), 0);
  EXPECT_TRUE(ReadAll(mxfPath) == before);
  EXPECT_EQ(std::filesystem::last_write_time(mxfPath), time);
}

TEST_F(ExportBytes, ExistingNamesTakeTheRunNumberAndItsFileIsReplaced) {
  mxfgen::Options o;
  o.frames = 20;
  ASSERT_TRUE(Generate(o));
  Select(0, 9, {3});
  plan().exportRunNumber = 1;
  ASSERT_EQ(Run(ExportBwfByFile), 0);
  EXPECT_FALSE(LastBwfExportReport().files.at(0).replacedExisting);
  plan().exportRunNumber = 2;
  ASSERT_EQ(Run(ExportBwfByMapping), 0);
  plan().exportRunNumber = 100;
  ASSERT_EQ(Run(ExportBwfByFile), 0);
  EXPECT_EQ(OutFiles(), (std::vector<std::string>{"Track-3 100.wav", "Track-3 2.wav", "Track-3.wav"}));

  Select(0, 4, {3});
  plan().exportRunNumber = 2;
  ASSERT_EQ(Run(ExportBwfByMapping), 0);
  const BWF_EXPORT_REPORT report = LastBwfExportReport();
  ASSERT_EQ(report.files.size(), 1u);
  EXPECT_TRUE(report.files[0].replacedExisting);
  EXPECT_EQ(ReadAll(OutFile("Track-3 2.wav")).size(), kBwfHeaderSize + RangeBytes(5));
  EXPECT_EQ(ReadAll(OutFile("Track-3.wav")).size(), kBwfHeaderSize + RangeBytes(10));
}

// --- Cancel ----------------------------------------------------------------------

class ExportEngines : public ExportTest, public ::testing::WithParamInterface<EngineCase> {
 protected:
  int RunEngine() { return Run(GetParam().run); }
  int Code(int offset) const { return GetParam().step + offset; }
  bool Mapped() const { return GetParam().step == 4000; }
};

INSTANTIATE_TEST_SUITE_P(Both, ExportEngines, ::testing::Values(kFile, kMapped),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr uint32_t kCancelAt = 10;

void CancelAtFrame(AUDIOTRACK_IO_INFO* plan, uint32_t frame) {
  if (frame == kCancelAt) plan->cancelRequest = 1;
}

TEST_P(ExportEngines, CancelLeavesValidShorterFiles) {
  mxfgen::Options o;
  o.frames = 120;
  o.indexLayout = mxfgen::IndexLayout::FooterSplit;
  o.maxSegmentEntries = 7;
  ASSERT_TRUE(Generate(o));
  Select(4, 100, {1, 6});
  plan().cancelRequest = 1;  // a request left from before is not this job's
  SetBwfExportFrameHook(CancelAtFrame);
  EXPECT_EQ(RunEngine(), 99);
  EXPECT_EQ(plan().frameCount, 0u);
  EXPECT_EQ(plan().currentFrame, kCancelAt - 1);
  // The file engine clears the request; the mapping engine leaves it for the
  // next job.
  EXPECT_EQ(plan().cancelRequest, Mapped() ? 1u : 0u);

  const BWF_EXPORT_REPORT report = LastBwfExportReport();
  EXPECT_EQ(report.result, 99);
  EXPECT_EQ(report.IncompleteFiles().size(), 2u);
  for (int t : {1, 6}) {
    const Bytes file = ReadAll(OutFile(TrackName(t)));
    const Bytes expected = Expected(t);
    const uint64_t done = RangeBytes(kCancelAt + 1);
    ASSERT_EQ(file.size(), kBwfHeaderSize + done);
    // The sizes say what the file holds, not the length planned.
    EXPECT_EQ(LE32(file, 750), done);
    EXPECT_EQ(LE32(file, 4), done + kBwfRiffOverhead);
    EXPECT_TRUE(std::equal(file.begin() + kBwfHeaderSize, file.end(), expected.begin()));
  }
}

// --- Failures --------------------------------------------------------------------

class ExportFailures : public ExportEngines {
 protected:
  void SetUp() override {
    mxfgen::Options o;
    o.frames = 60;
    o.startFrame = 108000;  // 01:00:00:00
    o.essencePartitions = 2;
    o.indexLayout = mxfgen::IndexLayout::BodyBefore;
    ASSERT_TRUE(Generate(o));
    Select(5, 50, {2, 7});
  }
  void ExpectNothingCreated(int code, int offset) {
    EXPECT_EQ(code, Code(offset));
    EXPECT_TRUE(OutFiles().empty());
    EXPECT_TRUE(LastBwfExportReport().files.empty());
    EXPECT_EQ(LastBwfExportReport().result, code);
  }
  void Poke(uint64_t offset, uint8_t value) {
    plat::File f = plat::File::Open(U16(mxfPath), plat::Access::ReadWrite, plat::Share::Shared);
    ASSERT_EQ(f.WriteAt(offset, &value, 1), 1);
  }
};

INSTANTIATE_TEST_SUITE_P(Both, ExportFailures, ::testing::Values(kFile, kMapped),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ExportFailures, MissingArgumentsAndRatesWithoutASampleCycle) {
  EXPECT_EQ(GetParam().run(u"", &plan(), &state.base), Code(1));
  EXPECT_EQ(GetParam().run(U16(mxfPath), nullptr, &state.base), Code(2));
  EXPECT_EQ(GetParam().run(U16(mxfPath), &plan(), nullptr), Code(3));
  for (int32_t rateClass : {static_cast<int32_t>(FRC_25_1001), static_cast<int32_t>(FRC_UNSUPPORTED)}) {
    state.timecode.frameRateClass = rateClass;
    ExpectNothingCreated(RunEngine(), 4);
  }
}

TEST_P(ExportFailures, NoTrackSelectedWritesNothing) {
  Select(5, 50, {});
  EXPECT_EQ(RunEngine(), 0);
  EXPECT_TRUE(OutFiles().empty());
}

TEST_P(ExportFailures, RangesOutsideTheFileOrItsIndex) {
  const uint32_t start = static_cast<uint32_t>(state.timecode.startFrame);
  const auto range = [&](uint32_t in, uint32_t out) {
    plan().exportIn[0] = plan().exportIn[1] = in;
    plan().exportOut[0] = plan().exportOut[1] = out;
  };
  range(start + 10, start + 9);
  ExpectNothingCreated(RunEngine(), 5);
  range(start - 1, start + 9);
  ExpectNothingCreated(RunEngine(), 5);
  range(start + 50, static_cast<uint32_t>(state.timecode.endFrame) + 1);
  ExpectNothingCreated(RunEngine(), 5);
  // The timecode track may claim more frames than the index holds.
  range(start + 50, start + 59);
  state.indexEntries.resize(55);
  ExpectNothingCreated(RunEngine(), 5);
}

TEST_P(ExportFailures, SoundElementsThatDoNotMatchTheIndexCreateNoFile) {
  // A key byte of track 7's element in frame 30.
  const mxfgen::SoundElementLayout& el = layout.Sound(30, 6);
  Poke(el.keyOffset + 12, 0x15);
  ExpectNothingCreated(RunEngine(), 14);
  Poke(el.keyOffset + 12, 0x16);
  // Its length.
  Poke(el.keyOffset + 19, static_cast<uint8_t>(el.valueSize + 3));
  ExpectNothingCreated(RunEngine(), 14);
  // A damaged element of a track that is not exported is not read.
  Select(5, 50, {2});
  EXPECT_EQ(RunEngine(), 0);
}

TEST_P(ExportFailures, ElementsPastTheEndOfTheFile) {
  Select(40, 59, {1});
  std::filesystem::resize_file(mxfPath, layout.Sound(59, 0).valueOffset + 100);
  ExpectNothingCreated(RunEngine(), 14);
}

TEST_P(ExportFailures, AnIndexWhoseSampleCountsDisagreeWithTheElements) {
  // mxfgen starts the five-frame cycle at its third position; the index
  // (whose cycle starts at the first frame) expects 1601 samples in the
  // fourth frame, where 1602 stand.
  mxfgen::Options o;
  o.frames = 30;
  o.cyclePhase = 2;
  ASSERT_TRUE(Generate(o));
  Select(0, 29, {1});
  ExpectNothingCreated(RunEngine(), 14);
}

TEST_P(ExportFailures, RangeTooLongForRiffSizes) {
  // About 12 GB of samples in two frames.
  for (int64_t f = 5; f <= 6; ++f) state.indexEntries[static_cast<size_t>(f)].audioSamples = 0x7FFFFFFF;
  Select(5, 6, {1});
  ExpectNothingCreated(RunEngine(), 16);
}

TEST_P(ExportFailures, MxfFileThatCannotBeOpened) {
  // Another process rewrapping the file holds it exclusively.
  {
    plat::File rewrap = plat::File::Open(U16(mxfPath), plat::Access::ReadWrite, plat::Share::Exclusive);
    ASSERT_TRUE(rewrap.valid());
    ExpectNothingCreated(RunEngine(), Mapped() ? 6 : 7);
  }
  const std::string kept = mxfPath;
  mxfPath = dir.File("missing.mxf");
  ExpectNothingCreated(RunEngine(), Mapped() ? 6 : 7);
  mxfPath = kept;
}

TEST_P(ExportFailures, EmptyMxfFile) {
  std::filesystem::resize_file(mxfPath, 0);
  // A mapping of nothing cannot be made; the file engine finds no elements.
  ExpectNothingCreated(RunEngine(), Mapped() ? 7 : 14);
}

TEST_P(ExportFailures, BwfFilesThatCannotBeCreated) {
  SetDestination(dir.File("no-such-folder"), "Track-");
  EXPECT_EQ(RunEngine(), Code(8));
  SetDestination("", "Track-");
  EXPECT_EQ(RunEngine(), Code(8));
  // Track 2's name fits (255 bytes); track 7's is taken, and the name with
  // the run number is too long: nothing is made.
  const std::string longPrefix(250, 'p');
  std::ofstream(OutFile(longPrefix + "7.wav")) << "x";
  SetDestination(outDir, longPrefix);
  plan().exportRunNumber = 1;
  EXPECT_EQ(RunEngine(), Code(8));
  EXPECT_EQ(OutFiles(), std::vector<std::string>{longPrefix + "7.wav"});
  EXPECT_TRUE(LastBwfExportReport().files.empty());
  // A name taken by a folder is replaced by nothing: the second file fails
  // after the first was created, and stays (header only, incomplete).
  SetDestination(outDir, "Track-");
  std::filesystem::create_directories(OutFile("Track-7.wav"));
  plan().exportRunNumber = 3;
  std::filesystem::create_directories(OutFile("Track-7 3.wav"));
  EXPECT_EQ(RunEngine(), Code(8));
  const BWF_EXPORT_REPORT report = LastBwfExportReport();
  ASSERT_EQ(report.files.size(), 1u);
  EXPECT_FALSE(report.files[0].complete);
  EXPECT_EQ(ReadAll(OutFile("Track-2.wav")).size(), kBwfHeaderSize);
}

// The MXF file loses its tail after the first frame has been copied: the
// file engine's next block read comes up short, the mapping engine's next
// view cannot be mapped.
std::string g_truncatePath;
uint64_t g_truncateTo = 0;
void TruncateAtFirstFrame(AUDIOTRACK_IO_INFO*, uint32_t frame) {
  if (frame == 0) std::filesystem::resize_file(g_truncatePath, g_truncateTo);
}

TEST_P(ExportFailures, MxfFileCutShortDuringTheCopy) {
#if defined(_WIN32)
  if (Mapped()) GTEST_SKIP() << "Windows refuses to shorten a file while it is mapped (error 1224)";
#endif
  // More than one read block (1 minute of frames) and index segments of 50.
  mxfgen::Options o;
  o.frames = 1900;
  o.tracks = 1;
  o.bits = 16;
  o.kag = 1;
  o.pictureBytes = 64;
  o.indexLayout = mxfgen::IndexLayout::FooterSplit;
  o.maxSegmentEntries = 50;
  ASSERT_TRUE(Generate(o));
  Select(0, 1899, {1});
  plan().wavBufferIndex = 0;
  g_truncatePath = mxfPath;
  g_truncateTo = layout.frames[1800].packageOffset;
  SetBwfExportFrameHook(TruncateAtFirstFrame);
  EXPECT_EQ(RunEngine(), Mapped() ? 4009 : 5017);
  const BWF_EXPORT_REPORT report = LastBwfExportReport();
  ASSERT_EQ(report.files.size(), 1u);
  EXPECT_FALSE(report.files[0].complete);
  EXPECT_EQ(report.IncompleteFiles(), std::vector<std::u16string>{U16(OutFile("Track-1.wav"))});
  EXPECT_LT(ReadAll(OutFile("Track-1.wav")).size(), report.fileSize);
}

}  // namespace
}  // namespace export_test
