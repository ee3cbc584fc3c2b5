// The engines the desktop application runs its jobs with.
#include "bwf/export_engines.h"
#include "rewrap/rewrap_engines.h"
#include "ui/job_notifier.h"
#include "verify/verify_timecodes.h"

const JOB_ENGINES& ApplicationJobEngines() {
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
