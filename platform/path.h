// Path helpers on UTF-16 paths, and the user's folders.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// The platform's path separator ('/' on POSIX, '\\' on Windows).
extern const char16_t kPathSeparator;

// Text after the last path separator (the whole path when there is none).
std::u16string FileNamePart(std::u16string_view path);
// Text before the last path separator, without trailing separators (empty
// when there is none; "/" for a file in the root).
std::u16string FolderPart(std::u16string_view path);
// Extension of the file-name part with its dot (".mxf"), as written (case
// kept): from the last dot on. Empty when the name has no dot, or only a
// leading one (".profile"), and for "." and "..".
std::u16string Extension(std::u16string_view path);
// folder + separator + name, with no doubled separator. An empty folder
// gives name, an empty name gives folder.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);
// Absolute form of a path: a relative path is resolved against the working
// folder; ".", ".." and doubled separators are removed lexically (links are
// not followed). Empty for an empty path.
std::u16string AbsolutePath(std::u16string_view path);

// True when the path is absolute and within the file system's naming limits:
// on POSIX "/..." with a name of at most 255 UTF-8 bytes and a whole path of
// at most 4095; on Windows "C:\..." or "\\server\share\..." with a name of
// at most 255 UTF-16 units and a whole path under MAX_PATH (259 units:
// longer ones need the "\\?\" form, which many programs cannot open).
bool PathFitsLimits(std::u16string_view path);

// The user's home folder ($HOME, else the password database's entry).
std::u16string HomeFolder();
// The user's desktop folder: $XDG_DESKTOP_DIR, else XDG_DESKTOP_DIR from
// user-dirs.dirs in ConfigFolder(), each only when it is an existing folder;
// else $HOME/Desktop when it exists, else $HOME.
std::u16string DesktopFolder();
// The user's configuration folder ($XDG_CONFIG_HOME when absolute, else
// $HOME/.config). It may not exist yet.
std::u16string ConfigFolder();

}  // namespace plat
