// Command ids of the main window's menus, context menu, buttons and
// accelerators, and the ids of its controls.
#pragma once

namespace cmd {

inline constexpr int kLoadMxf = 32843;
inline constexpr int kUnloadMxf = 32856;
inline constexpr int kAddWav = 32800;
inline constexpr int kExportBwf = 32794;
inline constexpr int kRewrap = 32793;
inline constexpr int kExit = 105;
inline constexpr int kSelectAll = 32799;
inline constexpr int kAllTracksOnOff = 32897;
inline constexpr int kSelectedTracksOnOff = 32911;
inline constexpr int kDelete = 32831;
inline constexpr int kSwitchView = 32832;
inline constexpr int kAssign = 32797;
inline constexpr int kSortFirst = 32868;  // 32868 ... 32876: the sort keys
inline constexpr int kSortLast = 32876;
inline constexpr int kSortEnd = 32882;    // end time: never enabled
inline constexpr int kOpenFolder = 32884;
inline constexpr int kSetIn = 32795;
inline constexpr int kSetOut = 32815;
inline constexpr int kSettings = 32889;
inline constexpr int kAbout = 104;
inline constexpr int kLoudness = 32920;  // built with libebur128 only
inline constexpr int kUndoRewrap = 32925;     // take back the newest rewrap
inline constexpr int kUndoSettings = 32926;   // journal settings
inline constexpr int kUndoMenuShown = 32927;  // not a command: the 操作 menu opens (the undo item's text)

}  // namespace cmd

namespace ctl {

inline constexpr int kLoadButton = 5008;
inline constexpr int kViewButton = 5009;
inline constexpr int kRewrapButton = 5010;
inline constexpr int kExportButton = 5011;
inline constexpr int kInButton = 5054;
inline constexpr int kOutButton = 5055;
inline constexpr int kDurBadge = 5056;
inline constexpr int kInDisplay = 5057;
inline constexpr int kOutDisplay = 5058;
inline constexpr int kDurDisplay = 5059;
inline constexpr int kFileNameField = 5024;

}  // namespace ctl
