// The timecode error list: one entry per place where the verification found
// the SDTI timecode jumping, going back or standing still between two
// compared frames. The list hangs behind a head node that holds no error;
// entries belong to the list until FreeLtcErrors releases them.
#pragma once

#include <cstddef>
#include <cstdint>

enum LTC_ERROR_KIND : int32_t {
  LTC_JUMP = 2,       // the later timecode is more than one label ahead
  LTC_BACKWARDS = 3,  // the later timecode is lower (or the earlier one invalid)
  LTC_STILL = 4,      // both timecodes are the same
};

struct LTC_ERROR_ENTRY {
  int32_t occurrenceFrames = 0;  // frame count of the earlier timecode (without the hour shift)
  int32_t resumeFrames = 0;      // frame count of the later timecode (without the hour shift)
  int32_t comparedA = 0;         // the earlier value as compared (with the hour shift, if any)
  int32_t comparedB = 0;         // the later value as compared
  int32_t kind = 0;              // LTC_ERROR_KIND
  int32_t frameIndex = 0;        // index of the earlier frame (0 = first indexed frame)
  LTC_ERROR_ENTRY* prev = nullptr;
  LTC_ERROR_ENTRY* next = nullptr;
};

// Appends a new entry with the values of `values` (its links are ignored) at
// the end of the list behind `head`. Returns the new entry, or nullptr when
// head is null or no memory is left. The head node's `prev` is kept pointing
// at the last entry (nullptr while the list is empty), so appending does not
// walk the list; the first entry's `prev` is the head.
LTC_ERROR_ENTRY* AppendLtcError(LTC_ERROR_ENTRY* head, const LTC_ERROR_ENTRY& values);

// Releases every entry behind `head` and leaves the list empty. A null head
// is ignored.
void FreeLtcErrors(LTC_ERROR_ENTRY* head);

// Number of entries behind `head` (0 for a null head).
size_t CountLtcErrors(const LTC_ERROR_ENTRY* head);

// The state label of the error log: "inc" (jump), "dec" (backwards),
// "still"; an empty text for any other kind.
const char16_t* LtcErrorKindLabel(int32_t kind);

// The program's one head node, used when the timecode record was not given
// one before the verification ran.
LTC_ERROR_ENTRY* DefaultLtcErrorHead();
