// What the interface asks of the undo journal and the read-back check, and
// what the last rewrap reports about them. One record of each lives for the
// whole run (like the track plan); only the interface thread writes the
// settings, between jobs, and reads the report after a job has ended.
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint32_t kDefaultJournalsKept = 3;
inline constexpr uint32_t kMaxJournalsKept = 20;

struct UNDO_SETTINGS {
  bool journal = true;     // save what a rewrap overwrites, so that it can be undone
  bool readBack = true;    // read every written value back after the flush
  uint32_t keep = kDefaultJournalsKept;  // journals kept per MXF file (1..20)
  std::u16string folder;   // where journals go; empty: beside the MXF file
};

struct UNDO_REPORT {
  std::u16string journalPath;  // the journal written; empty when none
  uint64_t journalBytes = 0;   // its size
  uint64_t bytesVerified = 0;  // value bytes read back and found as written
  // Journal refused for room: what it needs and what the volume has.
  uint64_t bytesNeeded = 0;
  uint64_t bytesFree = 0;
  // Read-back mismatch: the first frame (offset from IN) and track slot.
  int64_t mismatchFrame = -1;
  int32_t mismatchSlot = -1;
};

UNDO_SETTINGS& UndoSettings();
UNDO_REPORT& LastUndoReport();
