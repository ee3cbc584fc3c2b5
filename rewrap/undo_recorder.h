// The undo journal and the read-back check as the rewrap engines see them:
// three calls at fixed points of a job.
//
//   Begin()  after the range check, before the first write: saves the old
//            bytes of every targeted value into a new journal and puts it
//            on the disk (state "in progress") before anything else.
//   Wrote()  for every value as it is written: its checksum.
//   Finish() after the MXF file is flushed: reads every written value back
//            and compares it with what was meant, then records the new
//            checksums and marks the journal complete; only then does
//            the journal beyond the kept ones go.
//
// With neither the journal nor the read-back switched on, all three do
// nothing. A job that fails between Begin and Finish leaves its journal
// "in progress": the next load finds it and offers the roll-back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mxf_records.h"
#include "platform/file.h"
#include "rewrap/checksum64.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/undo_journal.h"
#include "rewrap/undo_settings.h"

class RangeCheck;

class UndoRecorder {
 public:
  UndoRecorder(const UNDO_SETTINGS& settings, UNDO_REPORT* report) : settings_(settings), report_(report) {}

  // 0 or the failing column (REWRAP_JOURNAL_FAILED, REWRAP_RECOVERY_PENDING).
  int Begin(const plat::File& mxf, const std::u16string& mxfPath, uint64_t fileSize, const MXF_BASE_INFO& base,
            const AUDIOTRACK_IO_INFO& plan, const REWRAP_RANGE& range, const RangeCheck& check,
            const REWRAP_TARGET* targets, int count, uint32_t ioMethod);

  // Value of target i in frame k (offset from IN) as written.
  void Wrote(uint32_t k, int i, const uint8_t* value, uint64_t bytes) {
    if (active_) runs_[static_cast<size_t>(k) * static_cast<size_t>(count_) + static_cast<size_t>(i)].newSum =
        Checksum64(value, static_cast<size_t>(bytes));
  }

  // After the flush; frames [0, framesWritten) were written. 0 or the
  // failing column (REWRAP_READBACK_FAILED, REWRAP_JOURNAL_FAILED).
  int Finish(const plat::File& mxf, uint32_t framesWritten);

  // The journal file and the system error of the call that failed it (a
  // failure without a system cause, e.g. too little space, has none).
  const JOB_OS_CAUSE& cause() const { return cause_; }

 private:
  int WriteJournal(const plat::File& mxf, const UNDO_DESCRIPTION& d);

  const UNDO_SETTINGS& settings_;
  UNDO_REPORT* report_;
  bool active_ = false;
  int count_ = 0;
  std::vector<UNDO_RUN> runs_;
  plat::File journal_;
  std::u16string mxfPath_;  // of the journal being written
  JOB_OS_CAUSE cause_;
  uint64_t dataBytes_ = 0;
};
