// The program's version: one place for the About dialog, the window title
// (string 103) and `velmora-cli --version`.
#pragma once

#define VELMORA_VERSION "1.0.0.0"

inline constexpr char kVersionText[] = VELMORA_VERSION;
