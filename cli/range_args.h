// --in/--out of a command, checked as the matching entry of the desktop
// application checks them.
#pragma once

#include <cstdint>
#include <string>

#include "engine/mxf_records.h"
#include "rewrap/range_entry.h"

namespace cli {

// Fills in[2] and out[2] (both forms) and returns true, or prints the
// entry's refusal ("IN: ..." / "OUT: ...") on standard error and returns false.
bool EnterCommandRange(const MXF_TIMECODE_INFO& tc, const std::string& inText, const std::string& outText,
                       RangeEntryKind kind, uint32_t in[2], uint32_t out[2]);

}  // namespace cli
