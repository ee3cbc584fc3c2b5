// Wall-clock time and its local calendar form.
#include <ctime>

#include "platform/time.h"

namespace plat {

FileTime Now() {
  struct timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return FileTime{static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec};
}

LocalTime ToLocalTime(const FileTime& t) {
  // Floor division, so that times before 1970 keep a non-negative fraction.
  int64_t secs = t.unixNanos / 1000000000LL;
  int64_t nanos = t.unixNanos % 1000000000LL;
  if (nanos < 0) {
    nanos += 1000000000LL;
    secs -= 1;
  }
  const time_t tt = static_cast<time_t>(secs);
  struct tm tm {};
  LocalTime out;
  if (::localtime_r(&tt, &tm) == nullptr) return out;
  out.year = tm.tm_year + 1900;
  out.month = tm.tm_mon + 1;
  out.day = tm.tm_mday;
  out.hour = tm.tm_hour;
  out.minute = tm.tm_min;
  out.second = tm.tm_sec;
  out.millisecond = static_cast<int>(nanos / 1000000);
  out.weekday = tm.tm_wday;
  return out;
}

LocalTime LocalNow() { return ToLocalTime(Now()); }

}  // namespace plat
