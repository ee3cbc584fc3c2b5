// The job runner's dispatch and the messages it composes, with stand-in
// engines so every outcome can be produced on demand.
#include <gtest/gtest.h>

#include <vector>

#include "engine/job_runner.h"
#include "engine/mxf_state.h"

namespace {

class CollectingNotifier : public JobNotifier {
 public:
  void Notify(const JobMessage& m) override { messages.push_back(m); }
  std::vector<JobMessage> messages;
};

int g_engineResult = 0;
int g_engineCalls = 0;
int FakeEngine(const std::u16string&, AUDIOTRACK_IO_INFO*, MXF_BASE_INFO*) {
  ++g_engineCalls;
  return g_engineResult;
}

JOB_ENGINES FakeEngines() {
  JOB_ENGINES e;
  e.rewrapMapping = e.rewrapFile = e.exportMapping = e.exportFile = FakeEngine;
  return e;
}

struct RunnerFixture : ::testing::Test {
  MxfState state;
  CollectingNotifier notifier;
  APP_CONTEXT ctx;
  void SetUp() override {
    ctx.windows = &notifier;
    ctx.baseInfo = &state.base;
    ctx.mxfPath = u"/media/clips/CLIP0001.MXF";
    g_engineCalls = 0;
    g_engineResult = 0;
  }
  const JobMessage& Only() {
    EXPECT_EQ(notifier.messages.size(), 1u);
    return notifier.messages.back();
  }
};

TEST_F(RunnerFixture, RewrapSuccessByMappingSendsDoneWithCaption) {
  ctx.jobMode = JOB_REWRAP;
  ctx.ioMethod = IO_MAPPING;
  JobWorker(&ctx, FakeEngines());
  const JobMessage& m = Only();
  EXPECT_EQ(m.message, WM_JOB_DONE);
  EXPECT_EQ(m.first, u"MXF Corvane");
  EXPECT_EQ(m.text, u"CLIP0001.MXF\n\nラッピングが完了しました。\n\n\tprocess: Memory Mapping");
  EXPECT_EQ(state.base.stepCode, 2000);
}

TEST_F(RunnerFixture, EngineChoiceFollowsModeAndMethod) {
  const struct { int mode, io, step; } cases[] = {
      {JOB_REWRAP, IO_MAPPING, 2000}, {JOB_REWRAP, IO_FILE, 3000},
      {JOB_EXPORT, IO_MAPPING, 4000}, {JOB_EXPORT, IO_FILE, 5000}};
  for (const auto& c : cases) {
    ctx.jobMode = c.mode;
    ctx.ioMethod = static_cast<uint8_t>(c.io);
    JobWorker(&ctx, FakeEngines());
    EXPECT_EQ(state.base.stepCode, c.step);
  }
  EXPECT_EQ(g_engineCalls, 4);
}

TEST_F(RunnerFixture, CancelledRewrapNamesOperationAndProcess) {
  ctx.jobMode = JOB_REWRAP;
  ctx.ioMethod = IO_MAPPING;
  g_engineResult = 99;
  JobWorker(&ctx, FakeEngines());
  const JobMessage& m = Only();
  EXPECT_EQ(m.message, WM_JOB_FAILED);
  EXPECT_FALSE(m.firstIsCode);
  EXPECT_EQ(m.first, u"ラッピング");
  EXPECT_EQ(m.text, u"MXFファイル\nCLIP0001.MXF\n\nラッピングを中断しました。\n\n\tprocess: Memory Mapping");
}

TEST_F(RunnerFixture, ExportFailureComposesReasonCodeAndProcess) {
  ctx.jobMode = JOB_EXPORT;
  ctx.ioMethod = IO_FILE;
  g_engineResult = 5008;
  JobWorker(&ctx, FakeEngines());
  const JobMessage& m = Only();
  EXPECT_EQ(m.first, u"BWFファイルの書出し");
  EXPECT_EQ(m.text,
            u"CLIP0001.MXF\n\nBWFファイルの書出し中にエラーが発生しました。\n"
            u"BWFファイルを作成できません。\nファイルの保存場所・ストレージなどを確認して下さい。"
            u"\n\n\tERR: 5008  process: Generic File I/O");
}

TEST_F(RunnerFixture, UnknownModeEndsWithoutMessage) {
  ctx.jobMode = 3;
  JobWorker(&ctx, FakeEngines());
  EXPECT_TRUE(notifier.messages.empty());
  EXPECT_EQ(g_engineCalls, 0);
}

TEST_F(RunnerFixture, AnalysisWithoutFileFailsInSectionNA) {
  ctx.jobMode = JOB_ANALYSIS;
  ctx.mxfFile = nullptr;
  JobWorker(&ctx, FakeEngines());
  const JobMessage& m = Only();
  EXPECT_EQ(m.message, WM_JOB_FAILED);
  EXPECT_TRUE(m.firstIsCode);
  EXPECT_EQ(m.code, 1);
  EXPECT_EQ(m.text,
            u"CLIP0001.MXF\n\nこのファイルはロードできません。\n\nエラーコード未定です。\n\n"
            u"処理セクション: N/A\nERR: 1  process: Memory Mapping");
}

TEST_F(RunnerFixture, AnalysisWithoutBaseRecordUsesString241) {
  plat::File file;
  ctx.jobMode = JOB_ANALYSIS;
  ctx.mxfFile = &file;
  ctx.baseInfo = nullptr;
  JobWorker(&ctx, FakeEngines());
  const JobMessage& m = Only();
  EXPECT_EQ(m.code, 2);
  EXPECT_NE(m.text.find(u"MXF_BASE_INFOポインタが無効になっています。"), std::u16string::npos);
}

TEST(JobMessages, CodeTableRowsAndUndefinedCells) {
  EXPECT_EQ(MessageStringId(300, 306), 290);
  EXPECT_EQ(MessageStringId(600, 607), 137);
  EXPECT_EQ(MessageStringId(1000, 1009), 136);
  EXPECT_EQ(MessageStringId(200, 208), 251);  // listed as undefined
  EXPECT_EQ(MessageStringId(200, 200), 251);  // column 0 holds no text
  EXPECT_EQ(MessageStringId(200, 306), 251);  // another row's code
  EXPECT_EQ(ReasonText(300, 306), u"オペレーショナルパターンが op1a ではないため読込めません。");
  EXPECT_EQ(std::u16string(SectionName(200)), u"Randam Index Table");
  EXPECT_EQ(std::u16string(SectionName(1234)), u"N/A");
}

TEST(JobMessages, LoadFailureFormat) {
  EXPECT_EQ(ComposeLoadFailure(u"A.MXF", 300, 306, IO_FILE),
            u"A.MXF\n\nこのファイルはロードできません。\n\nオペレーショナルパターンが op1a ではないため読込めません。"
            u"\n\n処理セクション: PreFace set\nERR: 306  process: Generic File I/O");
  EXPECT_EQ(ComposeVerifyFailure(u"A.MXF", 1009),
            u"A.MXF\n\nこのファイルはロードできません。\n\nMXFタイムコードエラーが検出されました。\r\n"
            u"ログファイルを作成しますか？\n\nsection: TC analysis\nERR: 1009");
  EXPECT_EQ(ComposeVerifyCancelled(u"A.MXF"), u"A.MXF\n\n解析を中断しました。\nこのままロードしますか？");
}

TEST(JobMessages, LongFileNamesAreNotCut) {
  const std::u16string name(600, u'x');
  const std::u16string text = ComposeJobDone(name, JOB_EXPORT, IO_MAPPING);
  EXPECT_EQ(text.substr(0, 600), name);
  EXPECT_NE(text.find(u"BWFファイルの書出しが完了しました。"), std::u16string::npos);
}

}  // namespace
