// What the interface checks before it starts a rewrap, so that it can ask
// the user instead of failing the job: whether an interrupted rewrap's
// journal still waits to be settled, and whether the journal fits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/mxf_records.h"
#include "engine/track_plan.h"
#include "rewrap/undo_settings.h"

enum UNDO_PREFLIGHT_RESULT : int {
  UNDO_PREFLIGHT_OK = 0,
  UNDO_PREFLIGHT_PENDING = 1,  // an interrupted rewrap must be rolled back or left first
  UNDO_PREFLIGHT_NO_ROOM = 2,  // the journal does not fit (bytesNeeded, bytesFree)
};

struct UNDO_PREFLIGHT {
  uint64_t bytesNeeded = 0;
  uint64_t bytesFree = 0;
};

// Journal bytes a rewrap of the plan's range and tracks needs (0 when the
// range or the records are not usable: the engine refuses those itself).
uint64_t UndoJournalBytes(const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base);

// The free bytes of the volume that holds a folder; false when unknown.
using FreeSpaceQuery = std::function<bool(const std::u16string& folder, uint64_t* bytes)>;

// freeSpace: how the journal folder's room is learnt (empty: the file
// system is asked; the desktop application asks through its shell services).
int CheckUndoPreflight(const std::u16string& mxfPath, const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base,
                       const UNDO_SETTINGS& settings, UNDO_PREFLIGHT* out, const FreeSpaceQuery& freeSpace = {});
