// Where a WAV file runs out inside a rewrap range: its samples are laid
// from IN onwards and the elements after its last sample get silence. The
// command line and the detail log tell the user from which frame.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mxf_records.h"
#include "engine/track_plan.h"

// Offset from IN of the first frame that is not filled entirely from the
// file of `slot` (its data ends inside or before that frame); -1 when the
// data covers the whole range, the slot has no file, or the range does not
// lie in the index.
int64_t WavSilenceStart(const AUDIOTRACK_IO_INFO& plan, const MXF_TIMECODE_INFO& tc,
                        const std::vector<INDEX_ENTRY_ARRAY>& entries, int slot);
