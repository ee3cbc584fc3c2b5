// The verification and the engines the job runner dispatches to.
#include "bwf/export_engines.h"
#include "engine/job_runner.h"
#include "rewrap/rewrap_engines.h"
#include "verify/verify_timecodes.h"

const JOB_ENGINES& DefaultJobEngines() {
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
