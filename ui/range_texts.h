// The texts of the IN, OUT and duration displays.
#pragma once

#include <string>

#include "engine/app_context.h"
#include "engine/track_plan.h"

struct RANGE_TEXTS {
  std::u16string in, out, duration;
};

// With a file loaded: the plain-form IN and OUT points when set, and
// OUT - IN + 1 (in the compared form) when both are set; "--:--:--:--"
// otherwise and with no file.
RANGE_TEXTS ComputeRangeTexts(const APP_CONTEXT& ctx, const MXF_TIMECODE_INFO& tc, const AUDIOTRACK_IO_INFO& plan);
