#include "rewrap/undo_recorder.h"

#include "bwf/wav_library.h"
#include "engine/sound_elements.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/time.h"
#include "rewrap/range_check.h"
#include "rewrap/undo_place.h"
#include "rewrap/undo_restore.h"
#include "rewrap/undo_runs.h"

namespace {

// The header partition's bytes that identify the file: its pack and header
// metadata (at most this much of them).
constexpr uint64_t kMaxIdentityBytes = uint64_t{64} << 20;
constexpr size_t kWriteBlock = size_t{8} << 20;

uint64_t HeaderPartitionBytes(const MXF_BASE_INFO& base, uint64_t fileSize) {
  if (base.partitions == nullptr || base.partitions->empty()) return 0;
  const MXF_PARTITION_INFO& p = base.partitions->front();
  if (p.kind != 0 || p.metadataStart > fileSize) return 0;
  const uint64_t metadata = std::min(p.headerByteCount, fileSize - p.metadataStart);
  return std::min(p.metadataStart + metadata, kMaxIdentityBytes);
}

}  // namespace

int UndoRecorder::Begin(const plat::File& mxf, const std::u16string& mxfPath, uint64_t fileSize,
                        const MXF_BASE_INFO& base, const AUDIOTRACK_IO_INFO& plan, const REWRAP_RANGE& range,
                        const RangeCheck& check, const REWRAP_TARGET* targets, int count, uint32_t ioMethod) {
  *report_ = UNDO_REPORT{};
  // An interrupted rewrap or undo must be settled first, journal or not:
  // its journal is the only copy of what it overwrote.
  if (UndoRecoveryPending(mxfPath, settings_)) return REWRAP_RECOVERY_PENDING;
  if ((!settings_.journal && !settings_.readBack) || count <= 0) return 0;
  count_ = count;
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base.indexEntries;
  const uint32_t blockAlign = base.audio->blockAlign;
  runs_.resize(static_cast<size_t>(range.frameCount) * static_cast<size_t>(count));
  dataBytes_ = 0;
  for (uint32_t k = 0; k < range.frameCount; ++k) {
    const INDEX_ENTRY_ARRAY& e = entries[range.firstEntry + k];
    for (int i = 0; i < count; ++i) {
      UNDO_RUN& r = runs_[static_cast<size_t>(k) * static_cast<size_t>(count) + static_cast<size_t>(i)];
      r.offset = check.ValueOffset(e, k, i);
      r.length = static_cast<uint32_t>(SoundValueBytes(e, blockAlign));
      r.frame = k;
      r.slot = static_cast<uint16_t>(targets[i].slot);
      r.headerBytes = static_cast<uint16_t>(r.offset - SoundElementOffset(e, targets[i].slot));
      dataBytes_ += r.length;
    }
  }
  active_ = true;
  if (!settings_.journal) return 0;

  UNDO_DESCRIPTION d;
  d.createdNanos = plat::Now().unixNanos;
  d.ioMethod = ioMethod;
  d.mxfPath = plat::AbsolutePath(mxfPath);
  d.mxfSize = fileSize;
  d.headerPartitionBytes = HeaderPartitionBytes(base, fileSize);
  if (!SumFilePrefix(mxf, d.headerPartitionBytes, &d.headerPartitionSum)) return REWRAP_JOURNAL_FAILED;
  for (int i = 0; i < 2; ++i) {
    d.wrapIn[i] = plan.wrapIn[i];
    d.wrapOut[i] = plan.wrapOut[i];
  }
  d.firstEntry = static_cast<uint32_t>(range.firstEntry);
  d.frameCount = range.frameCount;
  d.tcBase = base.timecode->tcBase;
  d.dropFrame = base.timecode->dropFrame;
  for (int i = 0; i < count; ++i) {
    UNDO_TRACK t;
    t.slot = static_cast<uint32_t>(targets[i].slot);
    t.source = targets[i].source;
    if (t.source >= 0 && plan.wavEntry[t.source] != nullptr) t.wavPath = plan.wavEntry[t.source]->fullPath;
    d.tracks.push_back(std::move(t));
  }
  return WriteJournal(mxf, d);
}

int UndoRecorder::WriteJournal(const plat::File& mxf, const UNDO_DESCRIPTION& d) {
  const std::u16string path = UndoJournalPath(d.mxfPath, settings_, 0);
  mxfPath_ = d.mxfPath;
  report_->journalPath = path;
  const uint64_t total = kUndoHeaderBytes + dataBytes_ + runs_.size() * kUndoRunBytes + 8 +
                         EncodeUndoDescription(d).size() + 8 + 24 + runs_.size() * 8;
  report_->bytesNeeded = total;
  const std::u16string folder = plat::FolderPart(path);
  if (!plat::FreeDiskSpace(folder, &report_->bytesFree) || report_->bytesFree < total) {
    return REWRAP_JOURNAL_FAILED;
  }
  if (!PushUndoJournals(d.mxfPath, settings_, nullptr)) return REWRAP_JOURNAL_FAILED;
  plat::SysError err = 0;
  // The MXF file is untouched: the unfinished journal goes and the older
  // ones take their places again.
  auto failed = [&] {
    if (err != 0) cause_ = JOB_OS_CAUSE{path, err};
    journal_.Close();
    PopUndoJournal(d.mxfPath, settings_, nullptr);
    return REWRAP_JOURNAL_FAILED;
  };
  journal_ = plat::File::Open(path, plat::Access::CreateNew, plat::Share::Exclusive, &err);
  if (!journal_.valid()) return failed();

  std::vector<uint8_t> out = EncodeUndoHeader(UNDO_STATE_WRITING, 0, 0, 0);
  out.reserve(kWriteBlock + (size_t{1} << 20));
  uint64_t at = 0;
  uint64_t lastStart = 0;  // of the block written last
  uint64_t dropped = 0;    // the journal's bytes before this are out of the cache
  auto flushOut = [&] {
    if (journal_.WriteAt(at, out.data(), out.size(), &err) != static_cast<int64_t>(out.size())) return false;
    // The disk takes each block while the next is gathered: the Sync below
    // then waits for the last block rather than for the whole journal.
    journal_.StartWriteBack(at, out.size());
    // Blocks before the previous one are out of the cache once written: a
    // cache filling with gigabytes of journal made every write (the
    // journal's and then the MXF file's) several times slower.
    if (lastStart > dropped) {
      journal_.DropWrittenFromCache(dropped, lastStart - dropped);
      dropped = lastStart;
    }
    lastStart = at;
    at += out.size();
    out.clear();
    return true;
  };
  UNDO_DESCRIPTION sealed = d;
  uint64_t headerSum = 0;
  bool ok = VisitRunsInFile(mxf, runs_, 0, runs_.size(), [&](size_t i, const uint8_t* header, const uint8_t* value) {
    UNDO_RUN& r = runs_[i];
    r.oldSum = Checksum64(value, r.length);
    r.newSum = r.oldSum;  // until written
    headerSum = Checksum64(header, r.headerBytes, headerSum);
    out.insert(out.end(), value, value + r.length);
    return out.size() < kWriteBlock || flushOut();
  });
  if (!ok || !flushOut()) return failed();
  sealed.elementHeaderSum = headerSum;
  const std::vector<uint8_t> runTable = EncodeUndoRuns(runs_);
  const std::vector<uint8_t> desc = EncodeUndoDescription(sealed);
  out = runTable;
  out.insert(out.end(), desc.begin(), desc.end());
  if (!flushOut() || !journal_.Sync(&err)) return failed();
  // The journal is whole and on the disk: say so, and only then may the
  // MXF file change.
  const std::vector<uint8_t> header =
      EncodeUndoHeader(UNDO_STATE_IN_PROGRESS, desc.size() - 8, runs_.size(), dataBytes_);
  if (journal_.WriteAt(0, header.data(), header.size(), &err) != static_cast<int64_t>(header.size()) ||
      !journal_.Sync(&err) || !plat::SyncFolder(folder)) {
    return failed();
  }
  report_->journalBytes = at;
  return 0;
}

int UndoRecorder::Finish(const plat::File& mxf, uint32_t framesWritten) {
  if (!active_) return 0;
  size_t written = 0;
  while (written < runs_.size() && runs_[written].frame < framesWritten) ++written;
  // Runs not reached keep their old bytes.
  for (size_t i = written; i < runs_.size(); ++i) runs_[i].newSum = runs_[i].oldSum;

  if (settings_.readBack) {
    const UNDO_READ_BACK r = ReadBackRuns(mxf, runs_, written);
    report_->bytesVerified = r.verified;
    if (!r.same) {
      if (r.mismatch < written) {
        report_->mismatchFrame = runs_[r.mismatch].frame;
        report_->mismatchSlot = runs_[r.mismatch].slot;
      }
      return REWRAP_READBACK_FAILED;
    }
  }
  if (!journal_.valid()) return 0;
  const std::vector<uint8_t> done = EncodeUndoCompletion(runs_, report_->bytesVerified);
  plat::SysError err = 0;
  if (journal_.WriteAt(report_->journalBytes, done.data(), done.size(), &err) != static_cast<int64_t>(done.size()) ||
      !journal_.Sync(&err) || !SetUndoJournalState(journal_, UNDO_STATE_COMPLETE, &err)) {
    if (err != 0) cause_ = JOB_OS_CAUSE{report_->journalPath, err};
    return REWRAP_JOURNAL_FAILED;
  }
  report_->journalBytes += done.size();
  journal_.Close();
  // Only now is the journal pushed out of the kept ones no longer needed
  // (a failed rewrap, rolled back, still had it), and deleting it here
  // does not hold up the writes: freeing a few hundred MB takes a tenth of
  // a second or more. One left behind by a failure here goes with the next
  // push.
  PruneUndoJournals(mxfPath_, settings_, nullptr);
  return 0;
}
