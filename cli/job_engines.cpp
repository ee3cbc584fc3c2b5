// The engines the command line runs its jobs with.
#include "bwf/export_engines.h"
#include "cli/run_job.h"
#include "rewrap/rewrap_engines.h"
#include "verify/verify_timecodes.h"

namespace cli {

const JOB_ENGINES& CliJobEngines() {
  static const JOB_ENGINES engines{.verify = VerifyStreamTimecodes,
                                   .rewrapMapping = RewrapByMapping,
                                   .rewrapFile = RewrapByFile,
                                   .exportMapping = ExportBwfByMapping,
                                   .exportFile = ExportBwfByFile};
  return engines;
}

}  // namespace cli
