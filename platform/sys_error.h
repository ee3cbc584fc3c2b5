// The system error code of a failed platform call: errno on POSIX,
// GetLastError() on Windows. 0 means no error.
#pragma once

#include <string>

namespace plat {

using SysError = int;

// Our own codes, outside the range the system uses.
inline constexpr SysError kErrSharing = 0x7001;     // exclusive lock held elsewhere
inline constexpr SysError kErrInvalidArg = 0x7002;  // bad argument to a platform call

// A short human-readable description, for logs and diagnostics.
std::string DescribeError(SysError err);

}  // namespace plat
