// The user's texts about undo journals, shared by the desktop application
// and the command-line tool.
#pragma once

#include <cstdint>
#include <string>

#include "rewrap/undo_journal.h"
#include "rewrap/undo_restore.h"
#include "rewrap/undo_settings.h"

// "IN 01:00:00:00 - OUT 01:00:10:00" of a journal's range (plain form).
std::u16string UndoRangeText(const UNDO_DESCRIPTION& d);
// Local date and time the journal's rewrap started: "2026/12/07 16:35:32".
std::u16string UndoTimeText(const UNDO_DESCRIPTION& d);

// The question on load: a rewrap was interrupted at a frame.
std::u16string ComposeInterruptedQuestion(const std::u16string& fileName, const UNDO_OUTCOME& o);
// A journal does not fit: names the amount and the free space.
std::u16string ComposeJournalNoRoom(uint64_t needed, uint64_t available);
// Undo/roll-back refused or failed: the reason, with where when known.
std::u16string ComposeUndoRefusal(const std::u16string& fileName, int result, const UNDO_OUTCOME& o);
// Undo done: the range and time of the rewrap taken back.
std::u16string ComposeUndoDone(const std::u16string& fileName, const UNDO_OUTCOME& o, bool rollBack);
// After a rewrap: the journal written (or none) and the bytes read back.
std::u16string ComposeUndoSummary(const UNDO_REPORT& report, const UNDO_SETTINGS& settings);
// The detail log's piece on the journal and the read-back (CR LF lines).
std::u16string ComposeUndoLogPiece(const UNDO_REPORT& report, const UNDO_SETTINGS& settings);
// A byte count as "346.02 MB".
std::u16string UndoByteText(uint64_t bytes);
