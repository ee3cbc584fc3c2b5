#include "rewrap/progress_texts.h"

#include "engine/text_format.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"

std::u16string FormatProgressTimecode(const MXF_TIMECODE_INFO& tc, int32_t frames) {
  TIMECODE_HMSF t;
  if (!FramesToTimecode(tc.tcBase, tc.dropFrame, frames, t)) {
    // An unsupported base shows the frame count -1 in every field's place.
    t = TIMECODE_HMSF{-1, -1, -1, -1};
  }
  return FormatText(u"%02d:%02d:%02d%c%02d",
                    {static_cast<int64_t>(t.hours), static_cast<int64_t>(t.minutes), static_cast<int64_t>(t.seconds),
                     static_cast<int64_t>(tc.dropFrame != 0 ? u',' : u'.'), static_cast<int64_t>(t.frames)});
}

int32_t EnteredFormFrame(const MXF_TIMECODE_INFO& tc, uint32_t sel, int32_t frames) {
  if (sel == 0) return frames;
  return ShiftFramesByHours(tc.tcBase, tc.dropFrame, frames, 1, '-');
}

std::u16string FormatReachedTimecode(const MXF_TIMECODE_INFO& tc, int32_t frames) {
  return FormatText(LoadString(kStrReachedTimecode), {std::u16string_view(FormatProgressTimecode(tc, frames))});
}

int ProgressPercent(uint32_t currentFrame, uint32_t frameCount) {
  if (frameCount == 0) return 0;
  // Frames per percent as the dialog keeps it: frameCount x 0.01.
  const double perPercent = static_cast<double>(frameCount) * 0.01;
  const int percent = static_cast<int>(static_cast<double>(currentFrame) / perPercent);
  return percent > 100 ? 100 : percent;
}
