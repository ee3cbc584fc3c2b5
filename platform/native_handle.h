// The system's own name for an open file: a descriptor on POSIX, a HANDLE on
// Windows. Only platform/ looks inside it.
#pragma once

namespace plat {

#if defined(_WIN32)
using NativeHandle = void*;  // HANDLE; INVALID_HANDLE_VALUE is kept as null
inline constexpr NativeHandle kNoHandle = nullptr;
#else
using NativeHandle = int;
inline constexpr NativeHandle kNoHandle = -1;
#endif

}  // namespace plat
