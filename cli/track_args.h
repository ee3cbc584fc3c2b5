// --track N=WAV and --silence N of the rewrap command: parsed in the order
// given, and refused when two of them claim the same track, since one of
// them would otherwise be dropped without a word. A file of three or more
// channels names its channels: --track N-M=WAV (channels 1.. into tracks
// N..M), --track N=WAV:C (channel C into track N), or both
// (--track N-M=WAV:C, channels C.. into N..M).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WAV_LIBRARY_ENTRY;

namespace cli {

struct TrackOption {
  int track = 0;               // 1-based
  int lastTrack = 0;           // the M of N-M; 0: one track
  int channel = 0;             // the C of WAV:C (1-based); 0: none named
  bool silence = false;        // --silence N; else --track N=path
  std::u16string path;         // absolute, for --track
  std::u16string typed;        // the option as given, for messages
  WAV_LIBRARY_ENTRY* entry = nullptr;  // the library file, once read

  // True when channels are named (a range or a channel).
  bool NamesChannels() const { return lastTrack != 0 || channel != 0; }
  // Tracks the option names: M - N + 1 for a range, else 1.
  int TrackCount() const { return lastTrack != 0 ? lastTrack - track + 1 : 1; }
};

// Parses the value of --track ("N=WAV", "N-M=WAV", "N=WAV:C", "N-M=WAV:C";
// N <= M, 1..24, C 1..99) or --silence ("N"). A path whose last ':' is
// followed by anything but one or two digits (a drive letter "C:\") keeps it.
bool ParseTrackOption(const std::string& value, bool silence, TrackOption* out);

// Refuses (prints the message naming both options, returns false) the first
// pair of options whose tracks overlap. Every option claims its own track
// (all of N..M for a range); once the WAV files are read (`entriesKnown`) a
// stereo file also claims the next one.
bool RefuseOverlappingTracks(const std::vector<TrackOption>& options, bool entriesKnown);

// The refusal of a file of three or more channels given without naming its
// channels: the file's two forms, filled in for this option and file.
std::u16string ChannelsNotNamedMessage(const TrackOption& option, int channels, int trackCount);

}  // namespace cli
