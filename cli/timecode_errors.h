// The verification's timecode errors as the command-line tool reports them.
#pragma once

#include <string>
#include <vector>

#include "engine/mxf_state.h"

namespace cli {

struct TimecodeErrorRow {
  int32_t frameIndex = 0;
  std::u16string occurrence;  // as the error log prints it
  std::u16string resume;
  std::u16string kind;        // "inc", "dec", "still"
};

std::vector<TimecodeErrorRow> TimecodeErrorRows(const MxfState& state);

// Writes the timecode error log; false with a user-readable text on failure.
bool WriteErrorLog(const std::u16string& logPath, const std::u16string& mxfPath, const MxfState& state,
                   const std::string& encoding, std::u16string* failure);

// Releases the error list of the last verification.
void FreeTimecodeErrors(MxfState& state);

}  // namespace cli
