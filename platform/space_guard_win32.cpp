// Windows: only sparse files have holes. Their allocated parts come from
// FSCTL_QUERY_ALLOCATED_RANGES; a hole under a span is given its blocks by
// writing the zeros it already reads as, so a full disk shows as an
// ordinary write error (ERROR_DISK_FULL) rather than an in-page error.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <vector>

#include "platform/space_guard.h"

namespace {

HANDLE H(const plat::File& file) { return static_cast<HANDLE>(file.native()); }

bool IsSparse(const plat::File& file) {
  FILE_BASIC_INFO info = {};
  return ::GetFileInformationByHandleEx(H(file), FileBasicInfo, &info, sizeof info) &&
         (info.FileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0;
}

// The allocated ranges of [begin, end), in order; false when they cannot be had.
bool AllocatedRanges(const plat::File& file, uint64_t begin, uint64_t end, std::vector<BYTE_SPAN>* out) {
  out->clear();
  FILE_ALLOCATED_RANGE_BUFFER query;
  query.FileOffset.QuadPart = static_cast<LONGLONG>(begin);
  query.Length.QuadPart = static_cast<LONGLONG>(end - begin);
  std::vector<FILE_ALLOCATED_RANGE_BUFFER> buf(64);
  for (;;) {
    DWORD got = 0;
    const BOOL ok = ::DeviceIoControl(H(file), FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, buf.data(),
                                      static_cast<DWORD>(buf.size() * sizeof buf[0]), &got, nullptr);
    if (!ok && ::GetLastError() != ERROR_MORE_DATA) return false;
    const size_t n = got / sizeof buf[0];
    for (size_t i = 0; i < n; ++i) {
      const uint64_t a = static_cast<uint64_t>(buf[i].FileOffset.QuadPart);
      out->push_back({a, a + static_cast<uint64_t>(buf[i].Length.QuadPart)});
    }
    if (ok || n == 0) return true;
    const uint64_t next = out->back().end;  // more after the last one returned
    if (next >= end) return true;
    query.FileOffset.QuadPart = static_cast<LONGLONG>(next);
    query.Length.QuadPart = static_cast<LONGLONG>(end - next);
  }
}

// The holes of [begin, end): the gaps between its allocated ranges.
bool Holes(const plat::File& file, uint64_t begin, uint64_t end, std::vector<BYTE_SPAN>* holes) {
  holes->clear();
  if (!file.valid() || begin >= end || !IsSparse(file)) return true;
  std::vector<BYTE_SPAN> allocated;
  if (!AllocatedRanges(file, begin, end, &allocated)) return false;
  uint64_t at = begin;
  for (const BYTE_SPAN& r : allocated) {
    if (r.begin > at) holes->push_back({at, std::min(r.begin, end)});
    at = std::max(at, r.end);
  }
  if (at < end) holes->push_back({at, end});
  return true;
}

}  // namespace

bool HasHole(const plat::File& file, uint64_t begin, uint64_t end) {
  std::vector<BYTE_SPAN> holes;
  return Holes(file, begin, end, &holes) && !holes.empty();
}

bool AllocateHolesUnder(const plat::File& file, uint64_t begin, uint64_t end, const std::vector<BYTE_SPAN>& spans,
                        plat::SysError* err) {
  if (err != nullptr) *err = 0;
  std::vector<BYTE_SPAN> holes;
  if (spans.empty() || !Holes(file, begin, end, &holes)) return true;  // nothing the file system lets us see
  static const std::vector<uint8_t> zeros(1 << 20, 0);
  auto& writable = const_cast<plat::File&>(file);  // the zeros change no byte the file reads as
  for (const BYTE_SPAN& hole : holes) {
    auto it = std::lower_bound(spans.begin(), spans.end(), hole.begin,
                               [](const BYTE_SPAN& s, uint64_t at) { return s.end <= at; });
    for (; it != spans.end() && it->begin < hole.end; ++it) {
      for (uint64_t a = std::max(it->begin, hole.begin), b = std::min(it->end, hole.end); a < b;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(b - a, zeros.size()));
        plat::SysError e = 0;
        if (writable.WriteAt(a, zeros.data(), n, &e) != static_cast<int64_t>(n)) {
          if (err != nullptr) *err = e ? e : ERROR_DISK_FULL;
          return false;
        }
        a += n;
      }
    }
  }
  return true;
}
