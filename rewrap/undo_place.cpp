#include "rewrap/undo_place.h"

#include <algorithm>
#include <cstdio>

#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "rewrap/checksum64.h"

namespace {

uint32_t KeptJournals(const UNDO_SETTINGS& s) { return std::clamp<uint32_t>(s.keep, 1, kMaxJournalsKept); }

std::u16string FolderOf(const std::u16string& mxfPath, const UNDO_SETTINGS& s) {
  return s.folder.empty() ? plat::FolderPart(plat::AbsolutePath(mxfPath)) : s.folder;
}

}  // namespace

std::u16string UndoJournalPath(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, uint32_t age) {
  const std::u16string full = plat::AbsolutePath(mxfPath);
  std::u16string path;
  if (settings.folder.empty()) {
    path = full + u".velmora-undo";
  } else {
    char tag[16];
    std::snprintf(tag, sizeof tag, "-%08x",
                  static_cast<unsigned>(Checksum64(full.data(), full.size() * sizeof(char16_t)) & 0xFFFFFFFFu));
    std::u16string name = plat::FileNamePart(full);
    for (const char* c = tag; *c != '\0'; ++c) name.push_back(static_cast<char16_t>(*c));
    path = plat::JoinPath(settings.folder, name + u".velmora-undo");
  }
  if (age > 0) {
    for (char c : "." + std::to_string(age)) path.push_back(static_cast<char16_t>(c));
  }
  return path;
}

namespace {

// Journals at `from` and beyond (up to one past the most ever kept, where a
// push can leave one).
bool RemoveJournalsFrom(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, uint32_t from,
                        plat::SysError* err) {
  for (uint32_t age = from; age <= kMaxJournalsKept + 1; ++age) {
    const std::u16string p = UndoJournalPath(mxfPath, settings, age);
    if (plat::PathExists(p) && !plat::RemoveFile(p, err)) return false;
  }
  return true;
}

}  // namespace

bool PushUndoJournals(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, plat::SysError* err) {
  const uint32_t keep = KeptJournals(settings);
  // Only a lowered setting or a job that ended before its pruning leaves
  // journals beyond the kept ones: nobody needs those.
  if (!RemoveJournalsFrom(mxfPath, settings, keep, err)) return false;
  for (uint32_t age = keep; age-- > 0;) {
    const std::u16string from = UndoJournalPath(mxfPath, settings, age);
    if (plat::PathExists(from) && !plat::RenameFile(from, UndoJournalPath(mxfPath, settings, age + 1), err)) {
      return false;
    }
  }
  return plat::SyncFolder(FolderOf(mxfPath, settings), err);
}

bool PruneUndoJournals(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, plat::SysError* err) {
  return RemoveJournalsFrom(mxfPath, settings, KeptJournals(settings), err);
}

bool PopUndoJournal(const std::u16string& mxfPath, const UNDO_SETTINGS& settings, plat::SysError* err) {
  const std::u16string newest = UndoJournalPath(mxfPath, settings, 0);
  if (plat::PathExists(newest) && !plat::RemoveFile(newest, err)) return false;
  for (uint32_t age = 1; age <= kMaxJournalsKept + 1; ++age) {
    const std::u16string from = UndoJournalPath(mxfPath, settings, age);
    if (!plat::PathExists(from)) continue;
    if (!plat::RenameFile(from, UndoJournalPath(mxfPath, settings, age - 1), err)) return false;
  }
  return plat::SyncFolder(FolderOf(mxfPath, settings), err);
}
