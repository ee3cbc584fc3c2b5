#include "ui/loudness_command.h"

#include "bwf/wav_library.h"
#include "loudness/mxf_loudness.h"
#include "timecode/timecode.h"
#include "ui/loudness_dialog.h"
#include "ui/app_state.h"
#include "ui/message_box.h"
#include "ui/ui_texts.h"

namespace {

bool FedAsPair(const AUDIOTRACK_IO_INFO& plan, int s) {
  const WAV_LIBRARY_ENTRY* e = plan.wavEntry[s];
  return s % 2 == 0 && s + 1 < kTrackSlots && e != nullptr && e == plan.wavEntry[s + 1] &&
         e->format.channels == 2 && plan.trackSwitch[s + 1] == TRACK_ON;
}

std::vector<LOUDNESS_PROGRAMME> SwitchedOnProgrammes(const AUDIOTRACK_IO_INFO& plan, int trackCount) {
  std::vector<LOUDNESS_PROGRAMME> out;
  for (int s = 0; s < trackCount && s < kTrackSlots; ++s) {
    if (plan.trackSwitch[s] != TRACK_ON) continue;
    if (FedAsPair(plan, s)) {
      out.push_back({s, s + 1});
      ++s;
    } else {
      out.push_back({s, -1});
    }
  }
  return out;
}

}  // namespace

std::vector<LOUDNESS_PROGRAMME> LoudnessProgrammes(const AUDIOTRACK_IO_INFO& plan, int trackCount) {
  return SwitchedOnProgrammes(plan, trackCount);
}

void RunLoudnessCommand(QWidget* owner, AppState& s, MessageBoxes& messages) {
  if (!s.ctx.fileLoaded) return;
  LOUDNESS_DIALOG_DEPS deps;
  deps.mxfPath = s.ctx.mxfPath;
  deps.base = &s.mxf.base;
  deps.programmes = SwitchedOnProgrammes(s.plan, s.mxf.audio.trackCount);
  if (deps.programmes.empty()) {
    ShowMessage(messages, owner, u"ラウドネスを測定するトラックをONにしてください。", txt::kAppCaption,
                MsgIcon::Information);
    return;
  }
  if (int r = LoudnessRangeFrames(s.mxf.base, s.plan.wrapIn, s.plan.wrapOut, &deps.first, &deps.count); r != 0) {
    ShowMessage(messages, owner, LoudnessStatusText(r), txt::kAppCaption, MsgIcon::Warning);
    return;
  }
  const MXF_TIMECODE_INFO& tc = s.mxf.timecode;
  deps.rangeText = FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(s.plan.wrapIn[0])) + u" - " +
                   FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(s.plan.wrapOut[0]));
  LoudnessDialog dialog(deps, owner);
  dialog.exec();
}
