// Runs one job of the job runner on a worker thread while the main thread
// draws progress and turns Ctrl+C into the job's cancel request.
#pragma once

#include <atomic>
#include <functional>
#include <optional>

#include "engine/job_runner.h"

namespace cli {

struct JobHooks {
  std::function<void()> poll;    // every 100 ms while the job runs (progress)
  std::function<void()> cancel;  // once, when the user presses Ctrl+C
};

struct JobOutcome {
  std::optional<JobMessage> final;  // WM_JOB_DONE or WM_JOB_FAILED; none for an unknown mode
  bool analysisReady = false;       // WM_ANALYSIS_READY arrived
  bool interrupted = false;         // Ctrl+C was pressed during the job
};

// The verification, rewrap and export engines of this build.
const JOB_ENGINES& CliJobEngines();

JobOutcome RunJob(APP_CONTEXT& ctx, const JobHooks& hooks, const JOB_ENGINES& engines = CliJobEngines());

}  // namespace cli
