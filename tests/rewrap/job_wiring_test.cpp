// The job runner reaches both rewrap engines and reports their outcomes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/job_runner.h"
#include "tests/rewrap/rewrap_fixture.h"
#include "tests/support/job_engines.h"

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
    JobWorker(&ctx, AllJobEngines());
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].message, WM_JOB_DONE);
    EXPECT_TRUE(c.FileIs(c.Expected()));

    // A damaged element: refused with its own message, nothing written.
    std::vector<uint8_t> bytes = ReadAll(c.path);
    bytes[c.layout.Sound(5, 1).keyOffset + 19] ^= 0x01;
    WriteAll(c.path, bytes);
    c.original = bytes;
    c.plan.trackSwitch[0] = TRACK_ON;
    JobWorker(&ctx, AllJobEngines());
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

// The check of the range is a phase the user sees and may stop: a cancel
// there ends the job with nothing written and says so.
TEST(RewrapJob, CancelDuringTheCheckWritesNothing) {
  for (uint8_t io : {uint8_t{IO_MAPPING}, uint8_t{IO_FILE}}) {
    SCOPED_TRACE(io == IO_MAPPING ? "mapping" : "file I/O");
    RewrapCase c;
    mxfgen::Options o = SmallClip(3000, 2);
    o.pictureBytes = 200;
    ASSERT_TRUE(c.Make(o));
    c.plan.trackSwitch[0] = TRACK_ON;
    c.SetRange(0, 2999);
    Recorder recorder;
    APP_CONTEXT ctx;
    ctx.windows = &recorder;
    ctx.baseInfo = &c.state.base;
    ctx.trackPlan = &c.plan;
    ctx.jobMode = JOB_REWRAP;
    ctx.mxfPath = plat::Utf8ToUtf16(c.path);
    ctx.ioMethod = io;

    // The watcher stops the job once the check has counted 10 frames; a
    // check that outran it (the write started) is tried again.
    bool cancelledInCheck = false;
    for (int attempt = 0; attempt < 5 && !cancelledInCheck; ++attempt) {
      c.Restore();
      c.plan.jobPhase = JOB_PHASE_WRITE;  // as a finished job leaves it
      c.plan.cancelRequest = 0;
      std::atomic<bool> started{false};
      std::atomic<bool> inCheck{false};
      std::atomic<bool> finished{false};
      std::thread watcher([&] {
        started = true;
        for (;;) {
          // The engine starts the check at frame 0 and sets the write phase after it.
          const uint32_t phase = c.plan.jobPhase.load();
          const uint32_t frame = c.plan.currentFrame.load();
          if (finished) return;
          if (phase == JOB_PHASE_CHECK && frame >= 10) {
            inCheck = true;
            c.plan.cancelRequest = 1;
            return;
          }
          std::this_thread::yield();
        }
      });
      while (!started) std::this_thread::yield();
      JobWorker(&ctx, AllJobEngines());
      finished = true;
      watcher.join();
      ASSERT_EQ(recorder.messages.size(), static_cast<size_t>(attempt + 1));
      const JobMessage& m = recorder.messages.back();
      if (!inCheck || m.code != kResultCancelled || c.plan.jobPhase.load() != JOB_PHASE_CHECK) continue;
      cancelledInCheck = true;
      EXPECT_EQ(m.message, WM_JOB_FAILED);
      EXPECT_NE(m.text.find(u"ファイルは変更されていません。"), std::u16string::npos);
      EXPECT_TRUE(c.FileIs(c.original)) << "a cancel during the check must leave the file as it was";
      EXPECT_EQ(c.plan.cancelRequest.load(), 0u);
    }
    EXPECT_TRUE(cancelledInCheck) << "the check never saw the cancel";
  }
}

}  // namespace
}  // namespace rewrap_test
