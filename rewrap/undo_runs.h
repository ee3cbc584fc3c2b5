// Reading the runs of an undo journal from the MXF file: the runs of one
// frame lie close together (the frame's sound elements), so they are read
// with one positioned read per frame, keys and lengths included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/file.h"
#include "rewrap/undo_journal.h"

// Calls visit(index, header, value) for runs[begin, end) in order, with the
// run's key and length (headerBytes) and its value as they are in the file
// now. Runs of one frame must be adjacent. False when a read fails or
// comes up short; visit returning false stops the walk (and gives false).
bool VisitRunsInFile(const plat::File& mxf, const std::vector<UNDO_RUN>& runs, size_t begin, size_t end,
                     const std::function<bool(size_t, const uint8_t*, const uint8_t*)>& visit);

// The read-back after a flush: runs[0, count) read from the disk (their
// pages dropped from the system's cache first, where the system allows)
// by several readers at once, each value compared with its newSum.
struct UNDO_READ_BACK {
  bool same = true;             // every value read has its newSum
  uint64_t verified = 0;        // bytes that matched, in run order, before the first that did not
  size_t mismatch = SIZE_MAX;   // that run; SIZE_MAX when a read failed
};
UNDO_READ_BACK ReadBackRuns(const plat::File& mxf, const std::vector<UNDO_RUN>& runs, size_t count);

// Checksum of the file's first `bytes` bytes.
bool SumFilePrefix(const plat::File& f, uint64_t bytes, uint64_t* sum);

// The old bytes of a journal read front to back, run by run, in blocks.
class UndoDataReader {
 public:
  UndoDataReader(const plat::File& journal, const UNDO_JOURNAL& j) : file_(journal), j_(j) {}
  // The old bytes of the next run, or nullptr when they cannot be read.
  const uint8_t* Next(const UNDO_RUN& run);

 private:
  const plat::File& file_;
  const UNDO_JOURNAL& j_;
  std::vector<uint8_t> block_;
  uint64_t blockAt_ = 0;    // journal data offset of block_[0]
  uint64_t position_ = 0;   // data offset of the next run
};
