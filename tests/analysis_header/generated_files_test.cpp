// The header steps on whole files written by mxfgen (and by ffmpeg), and the
// runner's messages for the refusals of these steps.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/scratch.h"
#include "engine/analysis_steps.h"
#include "engine/job_runner.h"
#include "engine/mxf_state.h"
#include "platform/file.h"
#include "timecode/timecode.h"
#include "tools/mxfgen/mxfgen.h"
#include "tests/support/process.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder for one test's files, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = testsupport::MakeScratchFolder("velmora_hdrgen");
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return testsupport::Join(path_, name); }

 private:
  std::string path_;
};

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct Generated {
  ScratchDir dir;
  std::string path;
  mxfgen::Layout layout;
  std::string error;
  bool written = false;

  explicit Generated(const mxfgen::Options& opt, const std::string& name = "CLIP0001.MXF")
      : path(dir.File(name)) {
    written = mxfgen::WriteMxf(path, opt, &layout, &error);
  }
};

// Runs the header steps in the runner's order and stops at the first failure.
struct HeaderRun {
  MxfState state;
  plat::File file;
  int failedStep = 0;
  int result = 0;

  explicit HeaderRun(const std::string& path) {
    file = plat::File::Open(Wide(path), plat::Access::Read, plat::Share::Shared);
    ResetAnalysisRecords(&state.base);
    uint64_t size = 0;
    file.Size(&size);
    state.base.fileSize = size;
    if (Stop(200, ReadPartitions(&file, size, &state.base))) return;
    if (Stop(300, ReadPreface(&file, &state.base))) return;
    if (Stop(400, ReadTimecodeComponent(&file, &state.base))) return;
    if (Stop(500, ReadFilePackage(&file, &state.base))) return;
    result = ReadIdentification(&file, &state.base);
  }
  bool Stop(int step, int code) {
    if (code == 0) return false;
    failedStep = step;
    result = code;
    return true;
  }
};

class Collecting : public JobNotifier {
 public:
  void Notify(const JobMessage& m) override { messages.push_back(m); }
  std::vector<JobMessage> messages;
};

// Runs the analysis job as loading the file would, with no verification.
std::vector<JobMessage> RunJob(const std::string& path, MxfState* state, uint8_t io = IO_MAPPING) {
  Collecting notifier;
  plat::File file = plat::File::Open(Wide(path), plat::Access::Read, plat::Share::Shared);
  APP_CONTEXT ctx;
  ctx.windows = &notifier;
  ctx.baseInfo = &state->base;
  ctx.mxfFile = &file;
  ctx.mxfPath = Wide(path);
  ctx.ioMethod = io;
  ctx.jobMode = JOB_ANALYSIS;
  JobWorker(&ctx, JOB_ENGINES{});
  return notifier.messages;
}

std::u16string LoadFailure(const std::u16string& reason, const std::u16string& section, const std::u16string& code,
                           const std::u16string& process = u"Memory Mapping") {
  return u"CLIP0001.MXF\n\nこのファイルはロードできません。\n\n" + reason + u"\n\n処理セクション: " + section +
         u"\nERR: " + code + u"  process: " + process;
}

void ExpectPartitionsMatch(const MxfState& s, const mxfgen::Layout& layout) {
  ASSERT_EQ(s.partitions.size(), layout.partitions.size());
  for (size_t i = 0; i < layout.partitions.size(); ++i) {
    const MXF_PARTITION_INFO& p = s.partitions[i];
    const mxfgen::PartitionLayout& g = layout.partitions[i];
    EXPECT_EQ(p.kind, g.kind) << i;
    EXPECT_EQ(p.partitionCount, int32_t(layout.partitions.size())) << i;
    EXPECT_EQ(p.thisPartition, g.offset) << i;
    EXPECT_EQ(p.packLength, g.packLength) << i;
    EXPECT_EQ(p.metadataStart, g.contentOffset) << i;
    EXPECT_EQ(p.headerByteCount, g.headerByteCount) << i;
    EXPECT_EQ(p.indexByteCount, g.indexByteCount) << i;
    EXPECT_EQ(p.bodySid, g.bodySid) << i;
    EXPECT_EQ(p.bodyOffset, g.bodyOffset) << i;
    if (g.essenceBytes > 0) {
      EXPECT_EQ(p.essenceStart + p.bodyOffset, g.essenceOffset) << i;
    }
  }
}

}  // namespace

TEST(GeneratedFiles, TypicalFileAtKag512And1) {
  for (uint32_t kag : {512u, 1u}) {
    mxfgen::Options opt;
    opt.kag = kag;
    opt.essencePartitions = 3;
    opt.indexLayout = mxfgen::IndexLayout::BodyBefore;
    opt.startFrame = 1080000;
    opt.frames = 90;
    Generated g(opt);
    ASSERT_TRUE(g.written) << g.error;
    HeaderRun run(g.path);
    ASSERT_EQ(run.result, 0) << "step " << run.failedStep << " kag " << kag;
    ExpectPartitionsMatch(run.state, g.layout);
    EXPECT_EQ(run.state.partitions.front().kind, 0);
    EXPECT_EQ(run.state.partitions.back().kind, 2);
    if (kag == 512) {
      EXPECT_EQ(run.state.partitions.front().metadataStart, 512u);
    }
    EXPECT_EQ(run.state.partitions.front().metadataStart, g.layout.headerMetadataOffset);

    const MXF_BASE_INFO& b = run.state.base;
    EXPECT_EQ(b.versionMajor, 1);
    EXPECT_EQ(b.versionMinor, 2);
    EXPECT_EQ(b.hasAncillaryData, 0);
    const MXF_TIMECODE_INFO& tc = run.state.timecode;
    EXPECT_EQ(tc.startFrame, 1080000);
    EXPECT_EQ(tc.duration, 90);
    EXPECT_EQ(tc.frameRateClass, FRC_29_97);
    EXPECT_EQ(tc.editRateNum, 30000);
    EXPECT_EQ(tc.editRateDen, 1001);
    EXPECT_EQ(std::u16string(b.creationDate), u"2024/03/15  10:30:45");
    EXPECT_FALSE(std::u16string(b.modifiedDate).empty());
    EXPECT_EQ(std::u16string(b.companyName), u"Velmora");
    EXPECT_EQ(std::u16string(b.productName), u"mxfgen");
    EXPECT_EQ(std::u16string(b.productVersion), u"1.0");
    EXPECT_EQ(std::u16string(b.platform), u"Linux");
  }
}

TEST(GeneratedFiles, AncillaryDataAndMissingIdentification) {
  mxfgen::Options opt;
  opt.ancillary = true;
  opt.omit.identification = true;
  opt.codecRow = 5;  // XAVC
  Generated g(opt);
  ASSERT_TRUE(g.written) << g.error;
  HeaderRun run(g.path);
  ASSERT_EQ(run.result, 0) << run.failedStep;
  EXPECT_EQ(run.state.base.hasAncillaryData, 1);
  EXPECT_EQ(std::u16string(run.state.base.companyName), u"unknown");
  EXPECT_EQ(std::u16string(run.state.base.productName), u"unknown");
  EXPECT_EQ(std::u16string(run.state.base.platform), u"unknown");
}

TEST(GeneratedFiles, MissingIdentificationNeverStopsALoad) {
  mxfgen::Options opt;
  opt.frames = 10;
  opt.omit.identification = true;
  Generated g(opt);
  ASSERT_TRUE(g.written) << g.error;
  MxfState state;
  const std::vector<JobMessage> messages = RunJob(g.path, &state);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].message, WM_ANALYSIS_READY);
  EXPECT_EQ(messages[1].message, WM_JOB_DONE);
  EXPECT_EQ(std::u16string(state.base.productName), u"unknown");
  EXPECT_EQ(state.timecode.entryCount, 10);
}

TEST(GeneratedFiles, RefusalsCarryTheirCodeAndMessage) {
  struct Case {
    const char* what;
    void (*set)(mxfgen::Options&);
    int code;
    std::u16string reason;
    std::u16string section;
  };
  const Case cases[] = {
      {"op atom", [](mxfgen::Options& o) { o.opQualifier = 0x00; }, 306,
       u"オペレーショナルパターンが op1a ではないため読込めません。", u"PreFace set"},
      {"clip wrapped", [](mxfgen::Options& o) { o.clipWrapped = true; }, 307,
       u"フレームラッピングではないため読込めません。", u"PreFace set"},
      {"version 1.1", [](mxfgen::Options& o) { o.versionMinor = 1; }, 308,
       u"MXFバージョンが 1.2 または 1.3ではないため、このアプリケーションでは読込めません。", u"PreFace set"},
      {"version 2.0",
       [](mxfgen::Options& o) {
         o.versionMajor = 2;
         o.versionMinor = 0;
         o.partitionMajor = 1;
         o.partitionMinor = 2;
       },
       308, u"MXFバージョンが 1.2 または 1.3ではないため、このアプリケーションでは読込めません。", u"PreFace set"},
      {"open header", [](mxfgen::Options& o) { o.headerStatus = mxfgen::kOpenIncomplete; }, 207,
       u"パーティションステータスがOPEN(未確定状態)になっているため情報が読み取れません。", u"Randam Index Table"},
      {"no footer in pack", [](mxfgen::Options& o) { o.omit.ripFooterEntry = true; }, 208,
       u"エラーコード未定です。", u"Randam Index Table"},
      {"no pack", [](mxfgen::Options& o) { o.omit.rip = true; }, 204,
       u"ランダム・インデックス・テーブルが見つかりません。", u"Randam Index Table"},
      {"unknown duration", [](mxfgen::Options& o) { o.unknownDuration = true; }, 406,
       u"メディアの長さが未確定になっています。書き出したアプリの設定を確認してください。", u"TimeCode Component"},
      {"no timecode component", [](mxfgen::Options& o) { o.omit.timecodeComponent = true; }, 405,
       u"TimeCode Component Setが見つかりません。", u"TimeCode Component"},
      {"no file package", [](mxfgen::Options& o) { o.omit.filePackage = true; }, 504,
       u"File Package Setが見つかりません。", u"File Package"},
  };
  for (const Case& c : cases) {
    mxfgen::Options opt;
    opt.frames = 10;
    c.set(opt);
    Generated g(opt);
    ASSERT_TRUE(g.written) << c.what << ": " << g.error;
    MxfState state;
    const std::vector<JobMessage> messages = RunJob(g.path, &state);
    ASSERT_EQ(messages.size(), 1u) << c.what;
    const JobMessage& m = messages.front();
    EXPECT_EQ(m.message, WM_JOB_FAILED) << c.what;
    EXPECT_TRUE(m.firstIsCode) << c.what;
    EXPECT_EQ(m.code, c.code) << c.what;
    const std::string code = std::to_string(c.code);
    EXPECT_EQ(m.text, LoadFailure(c.reason, c.section, std::u16string(code.begin(), code.end()))) << c.what;
    // The sequence stopped at the failing step: nothing of the later steps.
    EXPECT_TRUE(state.indexEntries.empty()) << c.what;
    EXPECT_EQ(state.audio.trackCount, 0) << c.what;
  }
}

TEST(GeneratedFiles, TruncatedFileWithItsPackKeptIs210) {
  mxfgen::Options opt;
  opt.frames = 10;
  Generated g(opt);
  ASSERT_TRUE(g.written) << g.error;
  ASSERT_NE(g.layout.ripOffset, 0u);
  std::ifstream in(g.path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Cut the file inside the footer's partition pack, then put the random
  // index pack back at the end, as a copy that lost a block would look.
  const uint64_t footer = g.layout.partitions.back().offset;
  std::vector<char> cut(bytes.begin(), bytes.begin() + long(footer + 40));
  cut.insert(cut.end(), bytes.begin() + long(g.layout.ripOffset), bytes.end());
  const std::string path = g.dir.File("CLIP0001.MXF");
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(cut.data(), long(cut.size()));

  MxfState state;
  const std::vector<JobMessage> messages = RunJob(path, &state);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].code, 210);
  EXPECT_EQ(messages[0].text,
            LoadFailure(u"パーティションパックが読み取れません。ファイルが途中で切れている可能性があります。",
                        u"Randam Index Table", u"210"));
  EXPECT_TRUE(state.partitions.empty());
}

TEST(GeneratedFiles, FfmpegOutputIsRefusedWithoutARandomIndexPack) {
  if (const std::string why = testsupport::WhyNoOracle({"ffmpeg"}); !why.empty()) GTEST_SKIP() << why;
  ScratchDir dir;
  const std::string path = dir.File("CLIP0001.MXF");
  // ffmpeg's MXF writer takes 48 kHz audio only.
  const std::string cmd =
      "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=d=1:s=320x240 -f lavfi -i sine=sample_rate=48000 "
      "-t 1 -c:v mpeg2video -c:a pcm_s16le -f mxf '" + path + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);

  // Its random index pack has a short-form length, which is not taken as an item.
  HeaderRun run(path);
  EXPECT_EQ(run.failedStep, 200);
  EXPECT_EQ(run.result, 204);

  MxfState state;
  const std::vector<JobMessage> messages = RunJob(path, &state, IO_FILE);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].code, 204);
  EXPECT_EQ(messages[0].text, LoadFailure(u"ランダム・インデックス・テーブルが見つかりません。", u"Randam Index Table",
                                          u"204", u"Generic File I/O"));
}

namespace {

// ffprobe's "key=value" lines for the first video stream and the format tags.
std::string Probe(const std::string& path) {
  const std::string cmd = "ffprobe -v error -select_streams v:0 -show_entries "
                          "format_tags=timecode,company_name,product_name:stream=r_frame_rate,duration_ts "
                          "-of default=nw=1 '" + path + "'";
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
    ::pclose(p);
  }
  return out;
}

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

}  // namespace

TEST(GeneratedFiles, HeaderFactsAgreeWithFfprobe) {
  if (const std::string why = testsupport::WhyNoOracle({"ffprobe"}); !why.empty()) GTEST_SKIP() << why;
  struct Case {
    int cls;
    uint32_t num, den;
    bool drop;
    int64_t start;
    uint32_t kag;
  } cases[] = {
      {FRC_29_97, 0, 0, true, 1078920, 512},  // 10:00:00;00
      {FRC_25, 25, 1, false, 2159750, 1},     // 23:59:50:00
      {FRC_59_94, 0, 0, true, 0, 1},
  };
  for (const Case& c : cases) {
    mxfgen::Options opt;
    opt.frameRateClass = c.cls;
    opt.editRateNum = c.num;
    opt.editRateDen = c.den;
    opt.dropFrame = c.drop;
    opt.startFrame = c.start;
    opt.frames = 40;
    opt.kag = c.kag;
    Generated g(opt);
    ASSERT_TRUE(g.written) << g.error;
    HeaderRun run(g.path);
    ASSERT_EQ(run.result, 0) << run.failedStep;
    const MXF_TIMECODE_INFO& tc = run.state.timecode;
    EXPECT_EQ(tc.frameRateClass, c.cls);
    EXPECT_EQ(tc.dropFrame, c.drop ? 1 : 0);
    EXPECT_EQ(tc.startHourIs23, c.start == 2159750 ? 1 : 0);

    // ffprobe marks drop frame with ';' where this program prints '.'.
    std::string start = Narrow(FormatTimecode(tc.tcBase, tc.dropFrame, tc.startFrame));
    if (tc.dropFrame) start[8] = ';';
    const std::string expected = "r_frame_rate=" + std::to_string(tc.editRateNum) + "/" +
                                 std::to_string(tc.editRateDen) + "\nduration_ts=" + std::to_string(tc.duration) +
                                 "\nTAG:company_name=" + Narrow(run.state.base.companyName) +
                                 "\nTAG:product_name=" + Narrow(run.state.base.productName) +
                                 "\nTAG:timecode=" + start + "\n";
    EXPECT_EQ(Probe(g.path), expected);
  }
}
