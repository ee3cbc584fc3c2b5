// The job runner reaches both rewrap engines and reports their outcomes.
#include <gtest/gtest.h>

#include "engine/job_runner.h"
#include "tests/rewrap/rewrap_fixture.h"

namespace rewrap_test {
namespace {

class Recorder : public JobNotifier {
 public:
  void Notify(const JobMessage& message) override { messages.push_back(message); }
  std::vector<JobMessage> messages;
};

TEST(RewrapJob, RunnerReportsSuccessAndAnElementMismatch) {
  for (uint8_t io : {uint8_t{IO_MAPPING}, uint8_t{IO_FILE}}) {
    SCOPED_TRACE(io == IO_MAPPING ? "mapping" : "file I/O");
    RewrapCase c;
    ASSERT_TRUE(c.Make(SmallClip(12, 2)));
    c.plan.trackSwitch[1] = TRACK_ON;
    c.SetRange(0, 11);
    Recorder recorder;
    APP_CONTEXT ctx;
    ctx.windows = &recorder;
    ctx.baseInfo = &c.state.base;
    ctx.trackPlan = &c.plan;
    ctx.jobMode = JOB_REWRAP;
    ctx.mxfPath = plat::Utf8ToUtf16(c.path);
    ctx.ioMethod = io;
    JobWorker(&ctx);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].message, WM_JOB_DONE);
    EXPECT_TRUE(c.FileIs(c.Expected()));

    // A damaged element: refused with its own message, nothing written.
    std::vector<uint8_t> bytes = ReadAll(c.path);
    bytes[c.layout.Sound(5, 1).keyOffset + 19] ^= 0x01;
    WriteAll(c.path, bytes);
    c.original = bytes;
    c.plan.trackSwitch[0] = TRACK_ON;
    JobWorker(&ctx);
    ASSERT_EQ(recorder.messages.size(), 2u);
    const JobMessage& m = recorder.messages[1];
    EXPECT_EQ(m.message, WM_JOB_FAILED);
    const int code = io == IO_MAPPING ? 2014 : 3014;
    EXPECT_EQ(m.code, code);
    EXPECT_NE(m.text.find(u"ERR: " + plat::Utf8ToUtf16(std::to_string(code))), std::u16string::npos);
    EXPECT_NE(m.text.find(u"サウンドエレメント"), std::u16string::npos);
    EXPECT_TRUE(c.FileIs(c.original));
  }
}

}  // namespace
}  // namespace rewrap_test
