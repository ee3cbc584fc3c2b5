#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "platform/space_guard.h"

bool HasHole(const plat::File& file, uint64_t begin, uint64_t end) {
  const int fd = file.native();
  if (fd < 0 || begin >= end) return false;
  const off_t hole = ::lseek(fd, static_cast<off_t>(begin), SEEK_HOLE);
  return hole >= 0 && static_cast<uint64_t>(hole) < end;
}

bool AllocateHolesUnder(const plat::File& file, uint64_t begin, uint64_t end, const std::vector<BYTE_SPAN>& spans,
                        plat::SysError* err) {
  if (err != nullptr) *err = 0;
  const int fd = file.native();
  if (fd < 0 || begin >= end || spans.empty()) return true;
  off_t hole = ::lseek(fd, static_cast<off_t>(begin), SEEK_HOLE);
  while (hole >= 0 && static_cast<uint64_t>(hole) < end) {
    off_t data = ::lseek(fd, hole, SEEK_DATA);
    const uint64_t holeEnd = data < 0 ? end : std::min<uint64_t>(static_cast<uint64_t>(data), end);
    const uint64_t holeBegin = static_cast<uint64_t>(hole);
    // First span that may reach into the hole.
    auto it = std::lower_bound(spans.begin(), spans.end(), holeBegin,
                               [](const BYTE_SPAN& s, uint64_t at) { return s.end <= at; });
    for (; it != spans.end() && it->begin < holeEnd; ++it) {
      const uint64_t a = std::max(it->begin, holeBegin);
      const uint64_t b = std::min(it->end, holeEnd);
      if (a >= b) continue;
      int r;
      do {
        r = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(a), static_cast<off_t>(b - a));
      } while (r != 0 && errno == EINTR);
      if (r != 0) {
        if (errno == EOPNOTSUPP || errno == ENOSYS) return true;  // nothing this file system lets us do
        if (err != nullptr) *err = errno;
        return false;
      }
    }
    if (data < 0 || holeEnd >= end) break;
    hole = ::lseek(fd, data, SEEK_HOLE);
  }
  return true;
}
