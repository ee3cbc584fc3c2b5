// The undo journal's options of the writing commands, and the checks made
// before a rewrap starts (an interrupted rewrap to settle, room for the
// journal) or when a file is analysed (an interrupted rewrap is told).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/mxf_records.h"
#include "engine/track_plan.h"
#include "rewrap/undo_settings.h"

namespace cli {

inline constexpr const char* kUndoOptionsUsage =
    "[--no-journal] [--no-read-back] [--journal-dir DIR] [--keep-journals N]";

// When args[i] is a journal option: applies it (consuming its value) and
// returns 1, or 2 with *error on a bad value. 0 for any other argument.
int ParseUndoOption(const std::vector<std::string>& args, size_t& i, UNDO_SETTINGS* settings, std::string* error);

// Before a rewrap: -1 to go ahead, else the exit status after the refusal
// was printed.
int CheckBeforeRewrap(const std::u16string& mxfPath, const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base,
                      const UNDO_SETTINGS& settings);

// After an analysis: tells of an interrupted rewrap (stderr). True when one is pending.
bool TellInterruptedRewrap(const std::u16string& mxfPath, const UNDO_SETTINGS& settings);

class JsonWriter;
// The journal and read-back fields of a rewrap's --json object.
void WriteUndoJsonFields(JsonWriter& j, const UNDO_REPORT& report, const UNDO_SETTINGS& settings);

}  // namespace cli
