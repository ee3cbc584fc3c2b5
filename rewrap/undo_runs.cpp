#include "rewrap/undo_runs.h"

#include <algorithm>

#include "platform/thread.h"
#include "rewrap/checksum64.h"

namespace {

// Reads larger than this are split by run.
constexpr uint64_t kMaxFrameRead = uint64_t{16} << 20;
constexpr uint64_t kDataBlock = uint64_t{8} << 20;
// Reads at the disk at once during the read-back.
constexpr size_t kReadBackReaders = 4;

// Runs on a reader thread, where nothing may throw: no memory for a
// frame's read is a failed read.
UNDO_READ_BACK ReadBackPart(const plat::File& mxf, const std::vector<UNDO_RUN>& runs, size_t begin,
                            size_t end) noexcept {
  UNDO_READ_BACK r;
  try {
    r.same = VisitRunsInFile(mxf, runs, begin, end, [&](size_t i, const uint8_t*, const uint8_t* value) {
      if (Checksum64(value, runs[i].length) != runs[i].newSum) {
        r.mismatch = i;
        return false;
      }
      r.verified += runs[i].length;
      return true;
    });
  } catch (...) {
    r.same = false;
    r.mismatch = SIZE_MAX;
  }
  return r;
}

}  // namespace

bool SumFilePrefix(const plat::File& f, uint64_t bytes, uint64_t* sum) {
  std::vector<uint8_t> buf(static_cast<size_t>(bytes));
  if (f.ReadAt(0, buf.data(), buf.size()) != static_cast<int64_t>(bytes)) return false;
  *sum = Checksum64(buf.data(), buf.size());
  return true;
}

bool VisitRunsInFile(const plat::File& mxf, const std::vector<UNDO_RUN>& runs, size_t begin, size_t end,
                     const std::function<bool(size_t, const uint8_t*, const uint8_t*)>& visit) {
  std::vector<uint8_t> buf;
  for (size_t a = begin; a < end;) {
    // One frame's runs, or a single run when they lie too far apart.
    uint64_t lo = runs[a].offset - runs[a].headerBytes;
    uint64_t hi = runs[a].offset + runs[a].length;
    size_t b = a + 1;
    for (; b < end && runs[b].frame == runs[a].frame; ++b) {
      const uint64_t l = std::min(lo, runs[b].offset - runs[b].headerBytes);
      const uint64_t h = std::max(hi, runs[b].offset + runs[b].length);
      if (h - l > kMaxFrameRead) break;
      lo = l;
      hi = h;
    }
    buf.resize(static_cast<size_t>(hi - lo));
    if (mxf.ReadAt(lo, buf.data(), buf.size()) != static_cast<int64_t>(buf.size())) return false;
    for (size_t i = a; i < b; ++i) {
      const uint8_t* value = buf.data() + (runs[i].offset - lo);
      if (!visit(i, value - runs[i].headerBytes, value)) return false;
    }
    a = b;
  }
  return true;
}

UNDO_READ_BACK ReadBackRuns(const plat::File& mxf, const std::vector<UNDO_RUN>& runs, size_t count) {
  // What was written stays in the system's cache after the flush, and a
  // read from there proves only that memory holds it. Dropping those pages
  // first makes the reads come from the disk or the server, where a lying
  // drive, NAS or network cache shows up. (Windows has no such call: there
  // the reads may still come from its cache.)
  uint64_t lo = UINT64_MAX, hi = 0;
  for (size_t i = 0; i < count; ++i) {
    lo = std::min(lo, runs[i].offset - runs[i].headerBytes);
    hi = std::max(hi, runs[i].offset + runs[i].length);
  }
  if (hi > lo) mxf.DropWrittenFromCache(lo, hi - lo);
  // Only the values are wanted: read-ahead would read the picture between
  // them as well, several times the bytes.
  mxf.AdviseRandomAccess(true);
  // Several readers, each with a part of the frames, keep several requests
  // at the disk at once: drives and file servers answer reads of a frame's
  // values much faster that way than one at a time.
  size_t bounds[kReadBackReaders + 1] = {};
  for (size_t p = 1; p < kReadBackReaders; ++p) {
    size_t at = std::max(bounds[p - 1], count * p / kReadBackReaders);
    while (at > 0 && at < count && runs[at].frame == runs[at - 1].frame) ++at;
    bounds[p] = at;
  }
  bounds[kReadBackReaders] = count;
  UNDO_READ_BACK parts[kReadBackReaders];
  auto readPart = [&](size_t p) { parts[p] = ReadBackPart(mxf, runs, bounds[p], bounds[p + 1]); };
  {
    plat::Thread readers[kReadBackReaders];
    for (size_t p = 1; p < kReadBackReaders; ++p) {
      try {
        readers[p] = plat::Thread([&readPart, p] { readPart(p); });
      } catch (...) {  // no thread for it: read it here
        readPart(p);
      }
    }
    readPart(0);
  }  // the readers are joined
  mxf.AdviseRandomAccess(false);
  // As one reader front to back would say it.
  UNDO_READ_BACK all;
  for (const UNDO_READ_BACK& part : parts) {
    all.verified += part.verified;
    if (!part.same) {
      all.same = false;
      all.mismatch = part.mismatch;
      break;
    }
  }
  return all;
}

const uint8_t* UndoDataReader::Next(const UNDO_RUN& run) {
  const uint64_t at = position_;
  position_ += run.length;
  if (at + run.length > j_.dataBytes) return nullptr;
  if (at < blockAt_ || at + run.length > blockAt_ + block_.size()) {
    const uint64_t n = std::min<uint64_t>(std::max<uint64_t>(kDataBlock, run.length), j_.dataBytes - at);
    if (n < run.length) return nullptr;
    block_.resize(static_cast<size_t>(n));
    if (file_.ReadAt(j_.dataOffset + at, block_.data(), block_.size()) != static_cast<int64_t>(n)) {
      block_.clear();
      return nullptr;
    }
    blockAt_ = at;
  }
  return block_.data() + (at - blockAt_);
}
