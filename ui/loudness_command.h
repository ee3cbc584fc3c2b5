// The loudness command of the 操作 menu: the switched-on tracks of the
// loaded file measured over IN..OUT in the loudness dialog. A pair of tracks
// fed by one two-channel file is measured as one stereo programme, every
// other track as mono.
#pragma once

#include <vector>

#include "loudness/mxf_loudness.h"

class AppState;
class MessageBoxes;
class QWidget;
struct AUDIOTRACK_IO_INFO;

// The programmes the command measures, in track order.
std::vector<LOUDNESS_PROGRAMME> LoudnessProgrammes(const AUDIOTRACK_IO_INFO& plan, int trackCount);

// Refuses with a message when no track is on or IN..OUT is not in the file;
// otherwise runs the dialog modally.
void RunLoudnessCommand(QWidget* owner, AppState& state, MessageBoxes& messages);
