// The system error code of a failed platform call: errno on POSIX,
// GetLastError() on Windows. 0 means no error.
#pragma once

#include <string>

namespace plat {

using SysError = int;

// Our own codes, outside the range the system uses.
inline constexpr SysError kErrSharing = 0x7001;     // exclusive lock held elsewhere
inline constexpr SysError kErrInvalidArg = 0x7002;  // bad argument to a platform call
inline constexpr SysError kErrMisaligned = 0x7003;  // view offset not a multiple of the granularity
inline constexpr SysError kErrOutOfRange = 0x7004;  // view (or mapping) outside the file

// A short human-readable description, for logs and diagnostics.
std::string DescribeError(SysError err);
// The code as the user would look it up: "errno 2" on POSIX, "error 2"
// (a GetLastError() value) on Windows.
std::string ErrorCodeText(SysError err);

}  // namespace plat
