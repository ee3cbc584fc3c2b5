// The engines the desktop application runs its jobs with.
#include "bwf/export_engines.h"
#include "rewrap/rewrap_engines.h"
#include "ui/job_notifier.h"
#include "verify/verify_timecodes.h"

const JOB_ENGINES& ApplicationJobEngines() {
  static const JOB_ENGINES engines{.verify = VerifyStreamTimecodes,
                                   .rewrapMapping = RewrapByMapping,
                                   .rewrapFile = RewrapByFile,
                                   .exportMapping = ExportBwfByMapping,
                                   .exportFile = ExportBwfByFile};
  return engines;
}
