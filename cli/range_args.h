// --in/--out of a command. The command line takes whole timecode labels
// only ("HH:MM:SS:FF", two digits per field, ':' ';' '.' or ',' before the
// frames): the desktop entry's digit-fill rule would turn a typo into some
// other frame. The label is then placed in the file as the matching entry
// of the desktop application places it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/mxf_records.h"
#include "rewrap/range_entry.h"

namespace cli {

// True when `text` has the form of a label, whatever its field values
// (checked before the file is read; the values by EnterCommandRange).
bool TimecodeLabelForm(const std::string& text);

// TimecodeLabelForm of both; prints the refusal for the first that fails.
bool RangeLabelForms(const std::string& inText, const std::string& outText);

// Fills in[2] and out[2] (both forms) and returns -1, or prints the refusal
// on standard error and returns the exit status: usage (2) for a text that
// is not a label of the file's rate or a drop-frame label that does not
// exist (named with the first label after it), refused (1) for a label
// outside the file or OUT before IN ("IN: ..." / "OUT: ...").
int EnterCommandRange(const MXF_TIMECODE_INFO& tc, const std::string& inText, const std::string& outText,
                      RangeEntryKind kind, uint32_t in[2], uint32_t out[2]);

// "HH:MM:SS:FF" of a range point's plain form, as the log and the messages
// write it.
std::u16string RangePointLabel(const MXF_TIMECODE_INFO& tc, uint32_t plainFrame);

// The label of the last frame done (`in` + `done` - 1, plain form; `in`
// before the first) within the day, for the plain progress lines: "01:00:00:10" ('.' before the frames for drop-frame).
std::u16string ReachedLabel(const MXF_TIMECODE_INFO& tc, uint32_t in, uint32_t done);

}  // namespace cli
