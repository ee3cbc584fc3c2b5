#include "rewrap/undo_preflight.h"

#include "platform/file_system.h"
#include "platform/path.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/undo_journal.h"
#include "rewrap/undo_place.h"
#include "rewrap/undo_restore.h"

// Room for the description besides the runs: paths of the MXF and WAV files.
static constexpr uint64_t kDescriptionAllowance = uint64_t{1} << 20;

uint64_t UndoJournalBytes(const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base) {
  REWRAP_RANGE range;
  if (ResolveRewrapRange(plan, base, &range) != 0) return 0;
  std::array<REWRAP_TARGET, kTrackSlots> targets;
  const uint64_t count = static_cast<uint64_t>(ListRewrapTargets(plan, *base.audio, targets));
  uint64_t samples = 0;
  for (size_t i = range.firstEntry; i < range.firstEntry + range.frameCount; ++i) {
    samples += (*base.indexEntries)[i].audioSamples;
  }
  const uint64_t runs = count * range.frameCount;
  return kUndoHeaderBytes + samples * base.audio->blockAlign * count + runs * (kUndoRunBytes + 8) +
         kDescriptionAllowance;
}

int CheckUndoPreflight(const std::u16string& mxfPath, const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base,
                       const UNDO_SETTINGS& settings, UNDO_PREFLIGHT* out, const FreeSpaceQuery& freeSpace) {
  *out = UNDO_PREFLIGHT{};
  if (UndoRecoveryPending(mxfPath, settings)) return UNDO_PREFLIGHT_PENDING;
  if (!settings.journal) return UNDO_PREFLIGHT_OK;
  out->bytesNeeded = UndoJournalBytes(plan, base);
  const std::u16string folder = plat::FolderPart(UndoJournalPath(mxfPath, settings, 0));
  const bool known = freeSpace ? freeSpace(folder, &out->bytesFree) : plat::FreeDiskSpace(folder, &out->bytesFree);
  if (!known) return UNDO_PREFLIGHT_OK;  // the engine tries and says
  return out->bytesFree < out->bytesNeeded ? UNDO_PREFLIGHT_NO_ROOM : UNDO_PREFLIGHT_OK;
}
