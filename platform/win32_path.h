// Helpers shared by the Win32 files of platform/ (not for use elsewhere).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/sys_error.h"
#include "platform/time.h"

namespace plat::win32 {

// The form of a path the wide file calls take: '/' becomes '\\', and an
// absolute path too long for MAX_PATH gets the "\\?\" (or "\\?\UNC\")
// prefix. False (with *err) for an empty path or one holding a NUL.
bool SystemPath(const std::u16string& path, std::wstring* out, SysError* err);

// FILETIME ticks (100 ns since 1601) <-> nanoseconds since 1970.
FileTime FromFileTime(uint64_t ticks);
FILETIME ToFileTime(const FileTime& t);

inline std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string Narrow16(const wchar_t* s, size_t n) { return std::u16string(s, s + n); }

}  // namespace plat::win32
