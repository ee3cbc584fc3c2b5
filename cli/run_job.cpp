#include "cli/run_job.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "cli/terminal.h"

namespace cli {

namespace {

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
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    JobWorker(&ctx, engines);
    finished = true;
  });
  bool cancelSent = false;
  bool interrupted = false;
  while (!finished) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (InterruptRequested() && !cancelSent) {
      interrupted = true;
      cancelSent = true;
      if (hooks.cancel) hooks.cancel();
    }
    if (hooks.poll && !finished) hooks.poll();
  }
  worker.join();
  ctx.windows = previous;
  JobOutcome out = notifier.Take();
  out.interrupted = interrupted;
  return out;
}

}  // namespace cli
