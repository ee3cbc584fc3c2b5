// Loading an MXF file for a command: open it as the desktop application
// does, run the full analysis job, and report the outcome.
#pragma once

#include <string>

#include "cli/run_job.h"
#include "engine/mxf_state.h"

namespace cli {

enum ExitCode {
  kExitOk = 0,
  kExitRefused = 1,
  kExitUsage = 2,
  kExitTimecodeErrors = 3,
  kExitCancelled = 4,
};

struct LoadResult {
  int exitCode = kExitOk;
  bool loadable = false;
  int resultCode = 0;           // 0, or the code the runner reported
  std::u16string message;       // the runner's (or the open failure's) text
  bool progressShown = false;
};

// Analyses `path` (absolute) into `state` through the job runner.
// showProgress draws the verification progress on a terminal.
LoadResult LoadMxf(const std::u16string& path, int ioMethod, MxfState& state, bool showProgress);

// "mmap" -> 0, "file" -> 1, anything else -> -1.
int ParseIoMethod(const std::string& text);

}  // namespace cli
