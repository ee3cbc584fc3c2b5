// The full engine table, composed the way the applications compose it.
#pragma once

#include "bwf/export_engines.h"
#include "engine/job_runner.h"
#include "rewrap/rewrap_engines.h"
#include "verify/verify_timecodes.h"

inline const JOB_ENGINES& AllJobEngines() {
  static const JOB_ENGINES engines{.verify = VerifyStreamTimecodes,
                                   .rewrapMapping = RewrapByMapping,
                                   .rewrapFile = RewrapByFile,
                                   .exportMapping = ExportBwfByMapping,
                                   .exportFile = ExportBwfByFile};
  return engines;
}
