// Timecode labels as mxfgen writes them: actual frame counts <-> HH:MM:SS:FF
// (drop-frame counting for bases 30 and 60), and the SMPTE 12M bytes of the
// system item's user date/time stamp. Independent of the engine's timecode
// code on purpose, so that tests compare two implementations.
#pragma once

#include <cstdint>
#include <string>

namespace mxfgen {

struct Label {
  int hours = 0, minutes = 0, seconds = 0, frames = 0;
};

// Frames per day at a base (24, 25, 30, 50, 60), with drop-frame counting
// (bases 30 and 60 only; other bases ignore the flag).
int64_t FramesPerDay(int base, bool dropFrame);

// Actual frame count (0 = 00:00:00:00) to a label, wrapped at 24 hours.
Label FramesToLabel(int64_t frames, int base, bool dropFrame);

// Label to actual frame count. Labels skipped by drop-frame counting map to
// the next counted label.
int64_t LabelToFrames(const Label& label, int base, bool dropFrame);

// "HH:MM:SS:FF" (':' ';' '.' or ',' before the frames) to a label; false when
// the text is malformed or a field is out of range for the base.
bool ParseLabel(const std::string& text, int base, Label* out);

// "HH:MM:SS:FF", ';' before the frames when dropFrame.
std::string FormatLabel(const Label& label, bool dropFrame);

// The four timecode bytes of the system item (frames, seconds, minutes,
// hours; packed BCD) as a little-endian word: byte 0 frames ... byte 3 hours.
// Bit 6 of the frames byte carries the drop-frame flag; bit 7 of the seconds
// byte (`secondFrame`) marks the second frame of a 60-frame label pair.
uint32_t SdtiWord(const Label& label, bool dropFrameFlag, bool secondFrame);

}  // namespace mxfgen
