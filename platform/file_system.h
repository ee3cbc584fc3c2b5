// Operations on names and volumes rather than on open files: the free space
// of the volume that holds a path, replacing a file by renaming another onto
// it, and making a folder's entries (a new, renamed or removed file) durable.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sys_error.h"

namespace plat {

// Bytes the calling user may still write on the volume that holds `path`
// (an existing file or folder). False with *err when it cannot be told.
bool FreeDiskSpace(const std::u16string& path, uint64_t* bytes, SysError* err = nullptr);

// Renames `from` to `to`, replacing `to` when it exists. Both on one volume.
bool RenameFile(const std::u16string& from, const std::u16string& to, SysError* err = nullptr);

// Puts the entries of `folder` on stable storage (after a file in it was
// created, renamed or removed). Where the system keeps folder entries durable
// on its own (Windows) this does nothing and returns true.
bool SyncFolder(const std::u16string& folder, SysError* err = nullptr);

}  // namespace plat
