#include "ui/range_texts.h"

#include "engine/file_facts.h"
#include "ui/ui_texts.h"

RANGE_TEXTS ComputeRangeTexts(const APP_CONTEXT& ctx, const MXF_TIMECODE_INFO& tc, const AUDIOTRACK_IO_INFO& plan) {
  RANGE_TEXTS t{txt::kNoTimecode, txt::kNoTimecode, txt::kNoTimecode};
  if (!ctx.fileLoaded) return t;
  const bool in = ctx.inSet != 0;
  const bool out = ctx.outSet != 0;
  if (in) t.in = FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(plan.wrapIn[0]), 0);
  if (out) t.out = FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(plan.wrapOut[0]), 0);
  if (in && out) {
    const uint32_t sel = RangeSelector(tc);
    t.duration = LengthText(tc, int64_t{plan.wrapOut[sel]} - int64_t{plan.wrapIn[sel]} + 1);
  }
  return t;
}
