// The texts of the information panel: the file name line, the three groups
// "Time code", "Audio" and "Video", and the creator tooltip of the file name
// field, for a loaded file or for no file.
#pragma once

#include <string>

#include "engine/mxf_records.h"

struct INFO_TEXTS {
  std::u16string fileName;  // the file's name, or the drag-and-drop hint
  // "Time code"
  std::u16string rate, head, tail, dur;
  // "Audio"
  std::u16string format, tracks, bits, sampleRate;
  // "Video"
  std::u16string codec, bitRate, fps, size;
  // The file name field's tooltip.
  std::u16string tooltip;
  int tooltipMaxWidth = 200;
};

INFO_TEXTS NoFileInfoTexts();
INFO_TEXTS LoadedInfoTexts(const std::u16string& mxfPath, const MXF_BASE_INFO& base);
