#include "cli/run_job.h"

#include <mutex>
#include <thread>

#include "cli/terminal.h"
#include "platform/thread.h"

namespace cli {

namespace {

// How often the main thread looks at Ctrl+C and redraws progress while the
// job runs. The job's end wakes it at once, so this only bounds how late a
// Ctrl+C is passed on (a signal handler cannot wake a waiting thread).
constexpr int kPollMs = 100;

// The command-line tool handles the runner's notifications directly on the
// worker thread: it only records them for the main thread.
class RecordingNotifier : public JobNotifier {
 public:
  void Notify(const JobMessage& message) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (message.message == WM_ANALYSIS_READY) {
      ready_ = true;
    } else {
      final_ = message;
    }
  }
  JobOutcome Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    JobOutcome out;
    out.final = final_;
    out.analysisReady = ready_;
    return out;
  }

 private:
  std::mutex mutex_;
  std::optional<JobMessage> final_;
  bool ready_ = false;
};

}  // namespace

JobOutcome RunJob(APP_CONTEXT& ctx, const JobHooks& hooks, const JOB_ENGINES& engines) {
  RecordingNotifier notifier;
  JobNotifier* previous = ctx.windows;
  ctx.windows = &notifier;
  plat::AutoResetEvent finished;
  std::thread worker([&] {
    JobWorker(&ctx, engines);
    finished.Set();
  });
  bool cancelSent = false;
  bool interrupted = false;
  while (!finished.WaitFor(kPollMs)) {
    if (InterruptRequested() && !cancelSent) {
      interrupted = true;
      cancelSent = true;
      if (hooks.cancel) hooks.cancel();
    }
    if (hooks.poll) hooks.poll();
  }
  worker.join();
  ctx.windows = previous;
  JobOutcome out = notifier.Take();
  out.interrupted = interrupted;
  return out;
}

}  // namespace cli
