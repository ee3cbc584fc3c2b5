// Path helpers on UTF-16 paths, and the user's folders.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// The platform's path separator ('/' on POSIX, '\\' on Windows).
extern const char16_t kPathSeparator;

// Text after the last path separator (the whole path when there is none).
std::u16string FileNamePart(std::u16string_view path);
// Text before the last path separator (empty when there is none; "/" for a
// file in the root).
std::u16string FolderPart(std::u16string_view path);
// Extension with its dot (".mxf"), as written; empty when the file name has none.
std::u16string Extension(std::u16string_view path);
// folder + separator + name, with no doubled separator.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);
// Absolute form of a path (relative paths resolved against the working folder).
std::u16string AbsolutePath(std::u16string_view path);

// The user's desktop folder (XDG_DESKTOP_DIR, else $HOME/Desktop, else $HOME).
std::u16string DesktopFolder();
// The user's configuration folder ($XDG_CONFIG_HOME, else $HOME/.config).
std::u16string ConfigFolder();

}  // namespace plat
