// Taking a rewrap back: undo of the newest complete rewrap, and roll-back
// of one that was interrupted (killed, power lost) while it wrote.
//
// Nothing is written until the whole journal has been checked: its
// sections, every run's old bytes against their checksum, and that it
// belongs to this file as it is now (path, size, header partition, the key
// and length of every element it names). An undo further requires every
// value to be exactly what the rewrap wrote; otherwise it is refused with
// the first place that differs. A roll-back writes the old bytes wherever
// the file differs from them, so it ends with the original whatever the
// rewrap had reached. Both mark the journal "undoing" before the first
// write: an undo cut short is finished by the next roll-back.
#pragma once

#include <cstdint>
#include <string>

#include "rewrap/undo_journal.h"
#include "rewrap/undo_settings.h"

enum UNDO_RESULT : int {
  UNDO_OK = 0,
  UNDO_NO_JOURNAL = 1,       // nothing to undo
  UNDO_BAD_JOURNAL = 2,      // damaged, cut short, never finished or of another version (why)
  UNDO_FOREIGN = 3,          // the journal belongs to another file, or to another state of this one
  UNDO_CHANGED = 4,          // the file changed since the rewrap (frame, slot, offset)
  UNDO_INTERRUPTED = 5,      // the newest rewrap was interrupted: roll back or leave it instead
  UNDO_NOT_INTERRUPTED = 6,  // roll-back asked, but the newest rewrap is complete
  UNDO_MXF_OPEN = 7,         // the MXF file cannot be opened for writing (another job holds it)
  UNDO_IO = 8,               // a read or write failed while restoring; roll back again
};

struct UNDO_OUTCOME {
  std::u16string journalPath;
  UNDO_JOURNAL journal;       // as read (when it could be)
  std::string why;            // English reason of a refusal
  int64_t frame = -1;         // UNDO_CHANGED: where; interrupted: the last frame changed
  int32_t slot = -1;
  uint64_t offset = 0;
  uint64_t bytesRestored = 0;
};

// True when the newest journal of the file is of an interrupted rewrap or
// undo (nothing may be written to the file before it is settled).
bool UndoRecoveryPending(const std::u16string& mxfPath, const UNDO_SETTINGS& settings);

// Reads the newest journal without changing anything; for an interrupted
// one also finds the last frame the rewrap had changed (outcome.frame).
// UNDO_OK, UNDO_NO_JOURNAL or UNDO_BAD_JOURNAL.
int InspectUndo(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out);

// Undoes the newest complete rewrap (or finishes an undo that was cut short).
int UndoNewestRewrap(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out);

// Rolls an interrupted rewrap (or undo) back to the original.
int RollBackInterrupted(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out);

// Leaves the file as the interrupted rewrap left it and drops its journal
// (also a journal that was never finished). UNDO_NOT_INTERRUPTED for a
// complete one.
int LeaveInterrupted(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out);
