// Which dropped files the main window takes, and in what role. A drop is
// planned before anything is loaded: WAV/BWF files are added only when an
// MXF file is already loaded at the moment of the drop, and only one MXF
// file may be dropped at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class DropKind { Other, Wav, Mxf };

// Names are taken with at most this many units (the rest is cut off).
inline constexpr size_t kDroppedNameCapacity = 1024;

// The extension from the last dot of the file name; when it is at most four
// characters long its letters A-Z after the dot are lowered. ".wav" and
// ".bwf" are WAV files, ".mxf" an MXF file, anything else is ignored.
DropKind ClassifyDroppedName(std::u16string_view path);

struct DROP_PLAN {
  bool wavDropped = false;               // at least one .wav/.bwf name
  std::vector<std::u16string> wavToAdd;  // added to the library (only while loaded)
  int mxfCount = 0;
  std::u16string mxfPath;                // the last .mxf name
};

DROP_PLAN PlanDrop(const std::vector<std::u16string>& names, bool loaded);
