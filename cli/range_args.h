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
// The label of the last frame done (`in` + `done` - 1, plain form; `in`
// before the first) within the day, for the plain progress lines: "01:00:00:10" ('.' before the frames for drop-frame).
std::u16string ReachedLabel(const MXF_TIMECODE_INFO& tc, uint32_t in, uint32_t done);

bool EnterCommandRange(const MXF_TIMECODE_INFO& tc, const std::string& inText, const std::string& outText,
                       RangeEntryKind kind, uint32_t in[2], uint32_t out[2]);

}  // namespace cli
