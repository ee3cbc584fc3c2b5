#include "rewrap/undo_restore.h"

#include <vector>

#include "platform/file.h"
#include "platform/path.h"
#include "rewrap/checksum64.h"
#include "rewrap/undo_place.h"
#include "rewrap/undo_runs.h"

namespace {

bool Interrupted(uint32_t state) { return state == UNDO_STATE_IN_PROGRESS || state == UNDO_STATE_UNDOING; }

// Opens and reads the newest journal into out.
int OpenNewest(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, plat::Access access,
               plat::File* journal, UNDO_OUTCOME* out) {
  out->journalPath = UndoJournalPath(mxfPath, settings, 0);
  if (!plat::PathExists(out->journalPath)) return UNDO_NO_JOURNAL;
  plat::SysError err = 0;
  *journal = plat::File::Open(out->journalPath, access, plat::Share::Exclusive, &err);
  if (!journal->valid()) {
    out->why = "cannot open the journal: " + plat::DescribeError(err);
    return UNDO_BAD_JOURNAL;
  }
  return ReadUndoJournal(*journal, &out->journal, &out->why) == UNDO_READ_OK ? UNDO_OK : UNDO_BAD_JOURNAL;
}

// What pass 1 learns about the file and the journal.
struct Survey {
  uint64_t headerSum = 0;
  int64_t firstChanged = -1;   // run whose bytes are neither... (undo: not the new bytes)
  int64_t firstDamaged = -1;   // run whose old bytes fail their checksum
  int64_t lastDiffering = -1;  // run whose bytes are not the old bytes
  std::vector<bool> restore;   // runs whose bytes differ from the old ones
};

bool SurveyRuns(const plat::File& mxf, const plat::File& journal, const UNDO_JOURNAL& j, Survey* s) {
  UndoDataReader data(journal, j);
  s->restore.assign(j.runs.size(), false);
  return VisitRunsInFile(mxf, j.runs, 0, j.runs.size(), [&](size_t i, const uint8_t* header, const uint8_t* value) {
    const UNDO_RUN& r = j.runs[i];
    s->headerSum = Checksum64(header, r.headerBytes, s->headerSum);
    const uint64_t now = Checksum64(value, r.length);
    const uint8_t* old = data.Next(r);
    if (s->firstDamaged < 0 && (old == nullptr || Checksum64(old, r.length) != r.oldSum)) {
      s->firstDamaged = static_cast<int64_t>(i);
    }
    if (s->firstChanged < 0 && j.hasNewSums && now != r.newSum) s->firstChanged = static_cast<int64_t>(i);
    if (now != r.oldSum) {
      s->restore[i] = true;
      s->lastDiffering = static_cast<int64_t>(i);
    }
    return true;
  });
}

bool SameFile(const plat::File& mxf, const std::u16string& mxfPath, const UNDO_DESCRIPTION& d, std::string* why) {
  uint64_t size = 0, sum = 0;
  if (plat::AbsolutePath(mxfPath) != d.mxfPath) {
    *why = "the journal was written for another file";
    return false;
  }
  if (!mxf.Size(&size) || size != d.mxfSize) {
    *why = "the file's size is not the size the journal records";
    return false;
  }
  if (!SumFilePrefix(mxf, d.headerPartitionBytes, &sum) || sum != d.headerPartitionSum) {
    *why = "the file's header partition is not the one the journal records";
    return false;
  }
  return true;
}

void NameRun(const UNDO_JOURNAL& j, int64_t i, UNDO_OUTCOME* out) {
  const UNDO_RUN& r = j.runs[static_cast<size_t>(i)];
  out->frame = r.frame;
  out->slot = r.slot;
  out->offset = r.offset;
}

int Restore(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, bool rollBack, UNDO_OUTCOME* out) {
  plat::File journal;
  if (int rc = OpenNewest(mxfPath, settings, plat::Access::ReadWrite, &journal, out); rc != UNDO_OK) return rc;
  const UNDO_JOURNAL& j = out->journal;
  if (!rollBack && j.state == UNDO_STATE_IN_PROGRESS) return UNDO_INTERRUPTED;
  if (rollBack && j.state == UNDO_STATE_COMPLETE) return UNDO_NOT_INTERRUPTED;

  plat::SysError err = 0;
  plat::File mxf = plat::File::Open(mxfPath, plat::Access::ReadWrite, plat::Share::Exclusive, &err);
  if (!mxf.valid()) {
    out->why = "cannot open the MXF file for writing: " + plat::DescribeError(err);
    return UNDO_MXF_OPEN;
  }
  if (!SameFile(mxf, mxfPath, j.description, &out->why)) return UNDO_FOREIGN;
  Survey s;
  if (!SurveyRuns(mxf, journal, j, &s)) {
    out->why = "cannot read the MXF file where the journal's values lie";
    return UNDO_FOREIGN;
  }
  if (s.headerSum != j.description.elementHeaderSum) {
    out->why = "the keys and lengths of the file's sound elements are not the ones the journal records";
    return UNDO_FOREIGN;
  }
  if (s.firstDamaged >= 0) {
    NameRun(j, s.firstDamaged, out);
    out->why = "the journal's saved bytes are damaged";
    return UNDO_BAD_JOURNAL;
  }
  if (j.state == UNDO_STATE_COMPLETE && s.firstChanged >= 0) {
    NameRun(j, s.firstChanged, out);
    out->why = "the file was changed after the rewrap";
    return UNDO_CHANGED;
  }

  if (j.state != UNDO_STATE_UNDOING && !SetUndoJournalState(journal, UNDO_STATE_UNDOING, &err)) {
    out->why = "cannot mark the journal: " + plat::DescribeError(err);
    return UNDO_IO;
  }
  UndoDataReader data(journal, j);
  for (size_t i = 0; i < j.runs.size(); ++i) {
    const UNDO_RUN& r = j.runs[i];
    const uint8_t* old = data.Next(r);
    if (!s.restore[i]) continue;
    if (old == nullptr || mxf.WriteAt(r.offset, old, r.length, &err) != static_cast<int64_t>(r.length)) {
      NameRun(j, static_cast<int64_t>(i), out);
      out->why = "writing the old bytes back failed: " + plat::DescribeError(err);
      mxf.Sync();
      return UNDO_IO;
    }
    out->bytesRestored += r.length;
  }
  if (!mxf.Sync(&err)) {
    out->why = "flushing the MXF file failed: " + plat::DescribeError(err);
    return UNDO_IO;
  }
  journal.Close();
  if (!PopUndoJournal(mxfPath, settings, &err)) {
    out->why = "the file is restored, but its journal could not be removed: " + plat::DescribeError(err);
    return UNDO_IO;
  }
  return UNDO_OK;
}

}  // namespace

bool UndoRecoveryPending(const std::u16string& mxfPath, const UNDO_SETTINGS& settings) {
  UNDO_JOURNAL j;
  std::string why;
  const std::u16string path = UndoJournalPath(mxfPath, settings, 0);
  // Only a journal whose header says "in progress" or "undoing" is read
  // whole (its run table alone is megabytes): a finished one needs nothing.
  return plat::PathExists(path) && Interrupted(PeekUndoJournalState(path)) &&
         ReadUndoJournal(path, &j, &why) == UNDO_READ_OK && Interrupted(j.state);
}

int InspectUndo(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out) {
  plat::File journal;
  if (int rc = OpenNewest(mxfPath, settings, plat::Access::Read, &journal, out); rc != UNDO_OK) return rc;
  if (!Interrupted(out->journal.state)) return UNDO_OK;
  const plat::File mxf = plat::File::Open(mxfPath, plat::Access::Read, plat::Share::Shared);
  Survey s;
  if (mxf.valid() && SameFile(mxf, mxfPath, out->journal.description, &out->why) &&
      SurveyRuns(mxf, journal, out->journal, &s) && s.lastDiffering >= 0) {
    NameRun(out->journal, s.lastDiffering, out);
  }
  return UNDO_OK;
}

int UndoNewestRewrap(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out) {
  return Restore(mxfPath, settings, false, out);
}

int RollBackInterrupted(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out) {
  return Restore(mxfPath, settings, true, out);
}

int LeaveInterrupted(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, UNDO_OUTCOME* out) {
  out->journalPath = UndoJournalPath(mxfPath, settings, 0);
  if (!plat::PathExists(out->journalPath)) return UNDO_NO_JOURNAL;
  const int rc = ReadUndoJournal(out->journalPath, &out->journal, &out->why);
  if (rc == UNDO_READ_OK && out->journal.state == UNDO_STATE_COMPLETE) return UNDO_NOT_INTERRUPTED;
  plat::SysError err = 0;
  if (!PopUndoJournal(mxfPath, settings, &err)) {
    out->why = "cannot remove the journal: " + plat::DescribeError(err);
    return UNDO_IO;
  }
  return UNDO_OK;
}
