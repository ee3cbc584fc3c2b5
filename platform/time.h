// File times and local calendar time.
#pragma once

#include <cstdint>

namespace plat {

// Nanoseconds since 1970-01-01 00:00:00 UTC.
struct FileTime {
  int64_t unixNanos = 0;
};

struct FileTimes {
  FileTime creation;      // birth time where the file system keeps one, else status change
  FileTime change;        // last status change
  FileTime modification;  // last write
  FileTime access;        // last access
};

struct LocalTime {
  int year = 0, month = 0, day = 0;       // month 1..12, day 1..31
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
  int weekday = 0;                        // 0 = Sunday
};

// The current time (UTC).
FileTime Now();
// Calendar fields in the process's time zone (TZ). All zero when the time
// cannot be represented.
LocalTime ToLocalTime(const FileTime& t);
LocalTime LocalNow();

}  // namespace plat
