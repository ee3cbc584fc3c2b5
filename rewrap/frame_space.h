// Disk space for one frame's writes, assured before the first byte of the
// frame is written. Both rewrap engines write a frame only once every block
// its targeted elements need exists: on a full disk the frame that cannot
// be written is left wholly as it was (and every frame after it), instead
// of half written (file I/O) or ending the process (mapped views).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mxf_records.h"
#include "platform/file.h"
#include "platform/space_guard.h"

// The bytes of frame e's targeted elements, key to value end (limited to
// `end`), sorted, with neighbours less than a KLV fill apart joined: the
// stretches one frame's writes fall in.
void TargetStretches(const INDEX_ENTRY_ARRAY& e, const int* slots, int count, uint64_t valueBytes, uint64_t end,
                     std::vector<BYTE_SPAN>& out);

// Allocates whatever of a frame's stretches (from TargetStretches) lies in
// holes of the file. False with *err (ENOSPC for a full disk) when the
// space cannot be had; nothing of the frame may then be written.
bool AssureFrameSpace(const plat::File& file, const std::vector<BYTE_SPAN>& stretches, plat::SysError* err);
