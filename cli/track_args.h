// --track N=WAV and --silence N of the rewrap command: parsed in the order
// given, and refused when two of them claim the same track, since one of
// them would otherwise be dropped without a word.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WAV_LIBRARY_ENTRY;

namespace cli {

struct TrackOption {
  int track = 0;               // 1-based
  bool silence = false;        // --silence N; else --track N=path
  std::u16string path;         // absolute, for --track
  std::u16string typed;        // the option as given, for messages
  WAV_LIBRARY_ENTRY* entry = nullptr;  // the library file, once read
};

// Parses the value of --track ("N=WAV", N 1..24) or --silence ("N").
bool ParseTrackOption(const std::string& value, bool silence, TrackOption* out);

// Refuses (prints the message naming both options, returns false) the first
// pair of options whose tracks overlap. Before the WAV files are read every
// option claims its own track; afterwards (`entriesKnown`) a stereo file
// also claims the next one.
bool RefuseOverlappingTracks(const std::vector<TrackOption>& options, bool entriesKnown);

}  // namespace cli
