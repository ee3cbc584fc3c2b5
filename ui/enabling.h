// Which buttons and menu items are usable in a given application state. The
// menu thread computes this after every wake-up and hands it to the main
// thread, which applies it to the widgets.
#pragma once

#include <cstdint>
#include <vector>

struct APP_CONTEXT;

struct ENABLING_INPUT {
  bool loaded = false;          // an MXF file is loaded
  bool hasTracks = false;       // the loaded file has at least one audio track
  bool inSet = false;
  bool outSet = false;
  bool libraryView = false;     // the WAV library is shown instead of the tracks
  bool libraryNotEmpty = false;
  bool oneRowSelected = false;  // exactly one library row is selected
};

// One control or command and whether it is enabled.
struct ENABLING_ITEM {
  int id = 0;
  bool enabled = false;
};

struct ENABLING {
  std::vector<ENABLING_ITEM> buttons;   // control ids 5008-5011, 5054-5056
  std::vector<ENABLING_ITEM> commands;  // command ids (main and context menu)
  bool Button(int id) const;            // false for an id not listed
  bool Command(int id) const;
  bool HasCommand(int id) const;
};

// Reads the fields the menu thread looks at.
ENABLING_INPUT ReadEnablingInput(const APP_CONTEXT& ctx);

ENABLING ComputeEnabling(const ENABLING_INPUT& in);
