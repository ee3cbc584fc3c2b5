// Disk space for writes through a mapping. A write through a mapped view
// into a part of the file that has no disk blocks yet (a hole of a sparse
// file) allocates them when the page is first written; on a full disk that
// cannot report an error and the process gets SIGBUS instead. Before a run
// of frames is written through a view, the parts of its target ranges that
// lie in holes are allocated here, where a full disk is an ordinary error.
// (Copy-on-write file systems need new blocks for every overwrite; this
// cannot cover them.)
#pragma once

#include <cstdint>
#include <vector>

#include "platform/file.h"

struct BYTE_SPAN {
  uint64_t begin = 0;
  uint64_t end = 0;  // exclusive
};

// True when the file has a hole somewhere in [begin, end) (false also when
// the file system cannot tell).
bool HasHole(const plat::File& file, uint64_t begin, uint64_t end);

// Allocates the parts of `spans` (sorted by begin, inside [begin, end)) that
// lie in holes of the file between `begin` and `end`. True when done or
// when the file system cannot tell holes apart; false with *err on a failed
// allocation (ENOSPC for a full disk).
bool AllocateHolesUnder(const plat::File& file, uint64_t begin, uint64_t end, const std::vector<BYTE_SPAN>& spans,
                        plat::SysError* err);
