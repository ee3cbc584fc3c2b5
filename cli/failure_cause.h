// The OS cause of a failure, carried from the platform call that failed up
// to the line (and the JSON "cause") the user reads: which file, the
// system's own words and its code, beside our fixed result code.
#pragma once

#include <string>

#include "engine/job_runner.h"
#include "platform/sys_error.h"

namespace cli {

struct FailureCause {
  std::u16string path;     // the file the failing call was about (absolute)
  plat::SysError error = 0;  // 0: no OS cause known
  bool known() const { return error != 0; }
};

// The cause a failed rewrap or export job reported: the file and the
// system error from inside the engine, or `jobFile` without a system cause.
FailureCause JobFailureCause(const JobMessage& m, const std::u16string& jobFile);

// "Permission denied (errno 13)" ("(error 5)" on Windows); empty without a cause.
std::u16string CauseText(const FailureCause& cause);

// "/path/m.mxf: Permission denied (errno 13), code 2006". Without an OS
// cause: "/path/m.mxf: code 2006"; without a code (0): no ", code" part.
std::u16string FailureLine(const FailureCause& cause, int code);

}  // namespace cli
