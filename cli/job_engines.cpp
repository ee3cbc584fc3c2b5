// The engines the command line runs its jobs with.
#include "bwf/export_engines.h"
#include "cli/run_job.h"
#include "rewrap/rewrap_engines.h"
#include "verify/verify_timecodes.h"

namespace cli {

const JOB_ENGINES& CliJobEngines() {
  static const JOB_ENGINES engines = [] {
    JOB_ENGINES e;
    e.verify = VerifyStreamTimecodes;
    e.rewrapMapping = RewrapByMapping;
    e.rewrapFile = RewrapByFile;
    e.exportMapping = ExportBwfByMapping;
    e.exportFile = ExportBwfByFile;
    return e;
  }();
  return engines;
}

}  // namespace cli
