// Entering a range point (IN or OUT) as the main window's rewrap entry and
// the export dialog's entry check it: parse the typed text at the file's
// timecode base, place it inside the file, and keep OUT after IN. Each
// refusal carries the text the user is shown (caption "タイムコード入力").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/mxf_records.h"
#include "timecode/timecode.h"

enum class RangeEntryKind {
  Rewrap,  // the main window's IN/OUT entry
  Export,  // the export dialog's IN/OUT entry
};

enum class RangeEntryError {
  None,
  Invalid,         // not a valid timecode at the file's base
  BeforeStart,     // before the media start
  AfterEnd,        // after the media end
  OutBeforeIn,     // OUT earlier than the current IN
};

struct RangePointResult {
  RangeEntryError error = RangeEntryError::None;
  uint32_t point[2] = {0, 0};  // plain form, hour-23 form
  std::u16string message;      // empty when accepted
};

inline constexpr const char16_t* kRangeEntryCaption = u"タイムコード入力";

// Parses and places one point. `typed` is what the user typed; like the
// entry edits, only its digits count ("01:00:02:00" is "01000200"). For OUT pass the current IN (both forms);
// for IN pass nullptr.
RangePointResult EnterRangePoint(const MXF_TIMECODE_INFO& tc, std::u16string_view typed, RangeEntryKind kind,
                                 const uint32_t* currentIn);

// Places a label already read (the command line reads whole labels itself):
// the same checks as EnterRangePoint after its parsing. A skipped drop-frame
// label counts as the first label of its minute.
RangePointResult PlaceRangePoint(const MXF_TIMECODE_INFO& tc, TIMECODE_HMSF label, RangeEntryKind kind,
                                 const uint32_t* currentIn);
