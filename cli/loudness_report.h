// The loudness command's output: one row per track or pair, as a table or
// as JSON, each marked against the target.
#pragma once

#include <string>
#include <vector>

#include "loudness/loudness_target.h"
#include "loudness/mxf_loudness.h"

namespace cli {

struct LoudnessRow {
  std::string name;        // "track 3", "pair 1-2", "file"
  std::vector<int> tracks;  // 1-based; empty for a WAV file
  bool stereo = false;
  LOUDNESS_RESULT result;
};

struct LoudnessReport {
  std::u16string file;
  bool wav = false;
  std::u16string in, out;  // range labels (MXF only)
  uint32_t frames = 0;     // frames of the range (MXF only)
  LOUDNESS_TARGET target;
  std::vector<LoudnessRow> rows;
};

bool AllPass(const LoudnessReport& report);
std::string LoudnessTable(const LoudnessReport& report);
// The --json object on standard output: the report's rows when status is
// LOUDNESS_OK, and the result (code = the LOUDNESS_STATUS) either way.
void PrintLoudnessJson(const LoudnessReport& report, int status, int exitStatus);

}  // namespace cli
