#include "rewrap/undo_runs.h"

#include <algorithm>

#include "rewrap/checksum64.h"

namespace {

// Reads larger than this are split by run.
constexpr uint64_t kMaxFrameRead = uint64_t{16} << 20;
constexpr uint64_t kDataBlock = uint64_t{8} << 20;

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
