// Wall-clock time and its local calendar form on Windows (the system's time
// zone settings, not TZ).
#include <windows.h>

#include "platform/time.h"
#include "platform/win32_path.h"

namespace plat {

FileTime Now() {
  FILETIME f;
  ::GetSystemTimePreciseAsFileTime(&f);
  return win32::FromFileTime((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
}

LocalTime ToLocalTime(const FileTime& t) {
  LocalTime out;
  if (t.unixNanos / 100 < -116444736000000000LL) return out;  // before 1601
  const FILETIME utc = win32::ToFileTime(t);
  SYSTEMTIME u, local;
  if (!::FileTimeToSystemTime(&utc, &u) || !::SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) return out;
  out.year = local.wYear;
  out.month = local.wMonth;
  out.day = local.wDay;
  out.hour = local.wHour;
  out.minute = local.wMinute;
  out.second = local.wSecond;
  out.millisecond = local.wMilliseconds;
  out.weekday = local.wDayOfWeek;
  return out;
}

LocalTime LocalNow() { return ToLocalTime(Now()); }

}  // namespace plat
