// The verification after a real analysis of mxfgen files: the records come
// from the analysis steps, the labels and faults from the writer.
#include <gtest/gtest.h>

#include <set>

#include "engine/analysis_steps.h"
#include "tools/mxfgen/mxfgen.h"
#include "verify/timecode_error_log.h"
#include "verify_fixture.h"

namespace verify_test {
namespace {

constexpr int kMapping = 0;
constexpr int kFileIo = 1;

// One written and analysed file.
class Analysed {
 public:
  Analysed(const std::string& path, const mxfgen::Options& opt) : path_(path) {
    std::string error;
    if (!mxfgen::WriteMxf(path, opt, &layout_, &error)) {
      ADD_FAILURE() << error;
      return;
    }
    state_.timecode.ltcErrors = &head_;
    file_ = plat::File::Open(U16(path), plat::Access::Read, plat::Share::Shared);
    MXF_BASE_INFO* b = &state_.base;
    ResetAnalysisRecords(b);
    uint64_t size = 0;
    file_.Size(&size);
    b->fileSize = size;
    int r = ReadPartitions(&file_, size, b);
    for (auto step : {ReadPreface, ReadTimecodeComponent, ReadFilePackage, ReadIndexTable, ReadAudioDescriptor,
                      ReadVideoDescriptor}) {
      if (r == 0) r = step(&file_, b);
    }
    ReadIdentification(&file_, b);
    loaded_ = r == 0;
    EXPECT_TRUE(loaded_) << "analysis stopped with " << r;
  }
  ~Analysed() { FreeLtcErrors(&head_); }

  int Verify(int ioMethod, const VERIFY_OPTIONS& options = {}) {
    if (!loaded_) return -1;
    state_.timecode.ioMethod = ioMethod;
    state_.timecode.progressTotal = state_.timecode.entryCount;
    return VerifyStreamTimecodes(&file_, &state_.base, options);
  }
  // Runs both methods; expects the same result and list from each.
  int VerifyBoth() {
    const int byFile = Verify(kFileIo);
    const std::vector<Err> fileList = ErrorsOf(state_.timecode);
    const int byMapping = Verify(kMapping);
    EXPECT_EQ(byMapping, byFile);
    EXPECT_EQ(ErrorsOf(state_.timecode), fileList);
    return byMapping;
  }

  std::vector<Err> Errors() const { return ErrorsOf(state_.timecode); }
  MxfState& state() { return state_; }
  const mxfgen::Layout& layout() const { return layout_; }
  const std::string& path() const { return path_; }

  // The views a clean mapped walk needs: one per stretch of frames that lie
  // in one index segment and one partition.
  size_t ExpectedViews() const {
    size_t views = 0;
    for (size_t i = 0; i < layout_.frames.size(); ++i) {
      const int64_t f = static_cast<int64_t>(i);
      const bool segmentStarts = std::any_of(layout_.segments.begin(), layout_.segments.end(),
                                             [&](const mxfgen::SegmentLayout& s) { return s.startPosition == f; });
      if (i == 0 || segmentStarts || layout_.frames[i].partition != layout_.frames[i - 1].partition) ++views;
    }
    return views;
  }

 private:
  std::string path_;
  mxfgen::Layout layout_;
  MxfState state_;
  LTC_ERROR_ENTRY head_;
  plat::File file_;
  bool loaded_ = false;
};

TEST(VerifyMxfgen, CleanFilesOfEveryLayoutOneViewPerSegmentStretch) {
  TempDir dir;
  struct Variant {
    const char* name;
    int rateClass;
    int tracks;
    bool ancillary;
    mxfgen::IndexLayout layout;
    int partitions;
    uint32_t maxSegment;
    uint32_t kag;
  };
  const Variant variants[] = {
      {"footer2997", 6, 8, false, mxfgen::IndexLayout::Footer, 1, 0, 512},
      {"split25anc", 1, 4, true, mxfgen::IndexLayout::FooterSplit, 1, 16, 1},
      {"body5994", 7, 2, false, mxfgen::IndexLayout::BodyBefore, 3, 0, 512},
      {"after24", 0, 24, false, mxfgen::IndexLayout::BodyAfter, 2, 0, 1},
      {"anc23", 4, 23, true, mxfgen::IndexLayout::BodyBefore, 4, 0, 512},
      {"footerOverBodies", 2, 1, false, mxfgen::IndexLayout::Footer, 3, 0, 512},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    mxfgen::Options opt;
    opt.frameRateClass = v.rateClass;
    opt.dropFrame = v.rateClass == 6 || v.rateClass == 7;
    opt.tracks = v.tracks;
    opt.ancillary = v.ancillary;
    opt.indexLayout = v.layout;
    opt.essencePartitions = v.partitions;
    opt.maxSegmentEntries = v.maxSegment;
    opt.kag = v.kag;
    opt.frames = 61;
    opt.startFrame = 1000;
    opt.pictureSizes = {30000, 9000, 12000};
    Analysed file(dir.File(std::string(v.name) + ".mxf"), opt);
    EXPECT_EQ(file.VerifyBoth(), 0);
    EXPECT_EQ(file.state().timecode.progressDone.load(), 60);

    size_t views = 0;
    VERIFY_OPTIONS options;
    options.onView = [&](uint64_t, size_t) { ++views; };
    EXPECT_EQ(file.Verify(kMapping, options), 0);
    EXPECT_EQ(views, file.ExpectedViews());
  }
}

TEST(VerifyMxfgen, InjectedFaultsAt25) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frameRateClass = 1;
  opt.startFrame = 900000;  // 10:00:00:00
  opt.frames = 60;
  opt.indexLayout = mxfgen::IndexLayout::BodyBefore;
  opt.essencePartitions = 2;
  opt.timecodeFaults = {{10, mxfgen::TimecodeFaultKind::Jump},
                        {20, mxfgen::TimecodeFaultKind::Still},
                        {30, mxfgen::TimecodeFaultKind::Back},
                        {40, mxfgen::TimecodeFaultKind::Invalid}};
  Analysed file(dir.File("faults25.mxf"), opt);
  ASSERT_EQ(file.VerifyBoth(), kVerifyTimecodeErrors);
  const int32_t s = 900000;
  EXPECT_EQ(file.Errors(), (std::vector<Err>{{LTC_JUMP, 9, s + 9, s + 11},
                                             {LTC_STILL, 19, s + 20, s + 20},
                                             {LTC_BACKWARDS, 29, s + 29, s + 28},
                                             {LTC_JUMP, 39, s + 37, -2},
                                             {LTC_BACKWARDS, 40, -2, s + 39}}));
  EXPECT_EQ(file.state().timecode.ltcErrorCount, 5);
}

TEST(VerifyMxfgen, SixtyFrameDropFrameAcrossMidnight) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frameRateClass = 7;  // 59.94 DF, labels counted at 30 per second
  opt.dropFrame = true;
  // 23:59:59;20 at 60: label 23:59:59;20 (30 DF) is actual frame 2589398 at 30.
  opt.startFrame = 2 * 2589398;
  opt.frames = 41;  // odd: frame 40 closes the last pair
  Analysed clean(dir.File("clean5994.mxf"), opt);
  ASSERT_EQ(clean.state().timecode.startHourIs23, 1);
  EXPECT_EQ(clean.VerifyBoth(), 0);

  opt.timecodeFaults = {{30, mxfgen::TimecodeFaultKind::Jump}};
  Analysed jumped(dir.File("jump5994.mxf"), opt);
  ASSERT_EQ(jumped.VerifyBoth(), kVerifyTimecodeErrors);
  // Frame 28 carries label 00:00:00;04 (30 DF: 4 frames past midnight), frame
  // 30 one label too far.
  EXPECT_EQ(jumped.Errors(), (std::vector<Err>{{LTC_JUMP, 28, 4, 6}}));
  const LTC_ERROR_ENTRY* e = jumped.state().timecode.ltcErrors->next;
  EXPECT_EQ(e->comparedA, 107892 + 4);  // one hour later on the compared scale
}

TEST(VerifyMxfgen, LogOfAnAnalysedFileWithErrors) {
  TempDir dir;
  mxfgen::Options opt;
  opt.frameRateClass = 6;
  opt.dropFrame = true;
  opt.startFrame = 1078920 + 1790;  // 10:00:59;20
  opt.frames = 30;
  opt.tracks = 4;
  opt.timecodeFaults = {{12, mxfgen::TimecodeFaultKind::Still}};
  Analysed file(dir.File("C0001.mxf"), opt);
  ASSERT_EQ(file.VerifyBoth(), kVerifyTimecodeErrors);

  const plat::LocalTime now{2025, 6, 7, 8, 9, 10};
  const std::string log = plat::Utf16ToUtf8(
      ComposeTimecodeErrorLog(U16(file.path()), file.state().base, file.state().indexEntries, now));
  for (const char* line : {"\r\nC0001.mxf\r\n", "\r\nTracks             = 4\r\n", "\r\nフレームレート = 29.97DF\r\n",
                           "\r\n開始(フレーム) = 10:00:59.20 (1080710)\r\n", "\r\n実際のフレーム数 = 30\r\n",
                           "\r\nLTCエラー数: 1\r\n",
                           // frame 11 is 10:01:00;03, frame 12 repeats it
                           "\r\n     0  10:01:00.03  10:01:00.03  00:00:00.11  still\r\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
  EXPECT_TRUE(log.ends_with("still\r\n"));

  const std::string path = dir.File("C0001.txt");
  plat::SysError err = 0;
  EXPECT_EQ(WriteTimecodeErrorLogIfDue(U16(path), U16(file.path()), file.state().base, file.state().indexEntries,
                                       "UTF-8", now, &err),
            ErrorLogOutcome::Written);
  EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace verify_test
