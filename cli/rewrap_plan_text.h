// What a rewrap will do, told before the backup question: IN and OUT with
// their frame numbers, each written track's source or silence, and where a
// WAV file runs out inside the range.
#pragma once

#include <string>
#include <vector>

#include "engine/mxf_state.h"
#include "rewrap/track_assign.h"

namespace cli {

struct RewrapPlanText {
  std::vector<std::u16string> lines;  // for standard error
  std::string rangeJson;              // the --json "range" object
  std::string tracksJson;             // the --json "tracks" array: every track of the file
};

RewrapPlanText DescribeRewrapPlan(const MxfState& state, const AUDIOTRACK_IO_INFO& plan,
                                  const TRACK_STEREO_FLAGS& stereo);

}  // namespace cli
