// Texts of the wrap and export progress display, shared by the desktop
// dialog and the command-line tool.
#pragma once

#include <cstdint>
#include <string>

#include "engine/mxf_records.h"

// "%02d:%02d:%02d%c%02d" with ',' before the frames for drop-frame and '.'
// otherwise (the progress display's own separators).
std::u16string FormatProgressTimecode(const MXF_TIMECODE_INFO& tc, int32_t frames);

// The frame whose label the user entered for `frames` counted in the form
// of selector `sel` (1: one hour later, for a clip starting in hour 23): the
// hour is taken back, past midnight too.
int32_t EnteredFormFrame(const MXF_TIMECODE_INFO& tc, uint32_t sel, int32_t frames);

// "...まで完了" of the frame reached.
std::u16string FormatReachedTimecode(const MXF_TIMECODE_INFO& tc, int32_t frames);

// Whole percent of currentFrame against the job's frame count.
int ProgressPercent(uint32_t currentFrame, uint32_t frameCount);
