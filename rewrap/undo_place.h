// Where the undo journals of an MXF file live, and the stack they form:
// the newest is NAME.mxf.velmora-undo beside the file (or, with a folder
// set, NAME.mxf-XXXXXXXX.velmora-undo there, XXXXXXXX naming the file's
// full path so that files of one name in different folders do not meet),
// older ones carry .1, .2, ... after it. Undo takes the newest first.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sys_error.h"
#include "rewrap/undo_settings.h"

// The journal `age` steps back (0 the newest).
std::u16string UndoJournalPath(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, uint32_t age = 0);

// Moves the kept journals one step older, so that the newest place is free
// for a new journal. The one that leaves the kept ones stays on the disk
// until the new journal is complete (PruneUndoJournals): should the new
// rewrap fail and be rolled back, every older rewrap can still be undone.
bool PushUndoJournals(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, plat::SysError* err);

// Removes the journals beyond the last settings.keep.
bool PruneUndoJournals(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, plat::SysError* err);

// Removes the newest journal and moves the older ones one step newer.
bool PopUndoJournal(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, plat::SysError* err);
