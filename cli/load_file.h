// Loading an MXF file for a command: open it as the desktop application
// does, run the full analysis job, and report the outcome.
#pragma once

#include <string>

#include "cli/failure_cause.h"
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

// The job runner's code for a job without a usable file (section "N/A"),
// which is what a file that cannot be opened is.
inline constexpr int kOpenFailedCode = 1;

struct LoadResult {
  int exitCode = kExitOk;
  bool loadable = false;
  bool opened = false;          // the file could be opened (its size is known)
  int resultCode = 0;           // 0, or the code the runner reported
  int stepCode = 0;             // the step that ended the analysis (1000: the verification)
  std::u16string message;       // the runner's (or the open failure's) text
  FailureCause cause;           // the OS cause of an open failure
  bool progressShown = false;
};

// Analyses `path` (absolute) into `state` through the job runner.
// showProgress draws the verification progress on a terminal.
// The file is opened for reading with a shared lock (analyses of one file
// do not refuse each other; a rewrap holding it is refused), unless `held`
// gives the file the caller already holds.
LoadResult LoadMxf(const std::u16string& path, int ioMethod, MxfState& state, bool showProgress,
                   plat::File* held = nullptr);

// Opens the MXF file for a rewrap: read-write with an exclusive lock, kept
// from before the analysis to the end of the write. When it cannot be had:
// an invalid file, and the open failure in *failure (for PrintLoadFailure).
plat::File OpenMxfForRewrap(const std::u16string& path, LoadResult* failure);

// Prints a failed load on standard error: the runner's message, then
// "/full/path.mxf: <OS cause> (errno N), code C".
void PrintLoadFailure(const LoadResult& result, const std::u16string& path);

// "mmap" -> 0, "file" -> 1, anything else -> -1.
int ParseIoMethod(const std::string& text);

}  // namespace cli
