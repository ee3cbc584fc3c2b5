#include "ui/enabling.h"

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "ui/command_ids.h"

namespace {

bool Find(const std::vector<ENABLING_ITEM>& items, int id, bool* found) {
  for (const ENABLING_ITEM& item : items) {
    if (item.id == id) {
      *found = true;
      return item.enabled;
    }
  }
  *found = false;
  return false;
}

}  // namespace

bool ENABLING::Button(int id) const {
  bool found;
  return Find(buttons, id, &found);
}

bool ENABLING::Command(int id) const {
  bool found;
  return Find(commands, id, &found);
}

bool ENABLING::HasCommand(int id) const {
  bool found;
  Find(commands, id, &found);
  return found;
}

ENABLING_INPUT ReadEnablingInput(const APP_CONTEXT& ctx) {
  ENABLING_INPUT in;
  in.loaded = ctx.fileLoaded.load() != 0;
  in.hasTracks = ctx.audioTrackCount.load() > 0;
  in.inSet = ctx.inSet.load() != 0;
  in.outSet = ctx.outSet.load() != 0;
  in.libraryView = ctx.viewMode.load() == VIEW_LIBRARY;
  in.libraryNotEmpty = ctx.library != nullptr && ctx.library->count.load() > 0;
  in.oneRowSelected = ctx.selectedCount.load() == 1;
  return in;
}

ENABLING ComputeEnabling(const ENABLING_INPUT& in) {
  const bool L = in.loaded;
  const bool range = L && in.inSet && in.outSet;
  const bool V = in.libraryView;
  const bool N = in.libraryNotEmpty;

  ENABLING e;
  e.buttons = {
      {ctl::kLoadButton, !L},  {ctl::kViewButton, L}, {ctl::kRewrapButton, range},
      {ctl::kExportButton, L}, {ctl::kInButton, L},   {ctl::kOutButton, L},
      {ctl::kDurBadge, L},
  };

  const bool selectOrDelete = V ? (L && N) : L;
  const bool trackSwitches = !V && L;
  e.commands = {
      {cmd::kLoadMxf, !L},
      {cmd::kUnloadMxf, L},
      {cmd::kSwitchView, L},
      {cmd::kOpenFolder, L},
      {cmd::kAddWav, L},
      {cmd::kExportBwf, L},
      {cmd::kRewrap, range},
      {cmd::kLoudness, range},
      {cmd::kSetIn, L && in.hasTracks},
      {cmd::kSetOut, L && in.hasTracks},
      {cmd::kSelectAll, selectOrDelete},
      {cmd::kDelete, selectOrDelete},
      {cmd::kSelectedTracksOnOff, trackSwitches},
      {cmd::kAllTracksOnOff, trackSwitches},
      {cmd::kAssign, V && L && N && in.oneRowSelected},
  };
  for (int id = cmd::kSortFirst; id <= cmd::kSortLast; ++id) e.commands.push_back({id, V && L && N});
  return e;
}
