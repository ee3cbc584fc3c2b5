// Which library file feeds which track, and the track switches: the rules
// the desktop application and the command-line tool share.
//
// A slot exists when it is below the loaded file's track count. A mono file
// takes one existing slot. A stereo file takes an aligned pair (2k, 2k + 1)
// of existing slots: both point to the same entry, both are marked in
// trackStereo, and the second slot's switch takes the first's. An entry's
// `assigned` flag is 1 while it sits in at least one existing slot; every
// function here keeps it up to date for each entry that gains or loses a
// slot. Switches never change on assignment except for that copy.
//
// A file of three or more channels is assigned by naming its channels:
// channels c .. c + n - 1 go to slots s .. s + n - 1 (AssignChannels), each
// slot taking its channel in the plan's wavChannel the way a mono file
// takes its slot.
//
// trackStereo belongs to the interface state (one flag per slot: the slot is
// half of a stereo assignment); it is passed in beside the track plan.
#pragma once

#include <cstdint>
#include <string>

#include "bwf/wav_library.h"
#include "engine/mxf_records.h"
#include "engine/track_plan.h"

using TRACK_STEREO_FLAGS = uint8_t[kTrackSlots];

enum TRACK_ASSIGN_CODE : int {
  TRACK_ASSIGN_OK = 0,
  TRACK_ASSIGN_NO_FILE = 1,        // no library entry given
  TRACK_ASSIGN_NO_TRACK = 2,       // the slot is not a track of the loaded file
  TRACK_ASSIGN_24_ON_16 = 3,       // a 24-bit file on a 16-bit MXF file
  TRACK_ASSIGN_STEREO_ODD = 4,     // a stereo file on an odd slot (an even track number)
  TRACK_ASSIGN_STEREO_LAST = 5,    // a stereo file on the last track (no second track)
  TRACK_ASSIGN_CHANNELS = 6,       // three or more channels, none named
  TRACK_ASSIGN_PAST_LAST = 7,      // the channels named run past the last track
  TRACK_ASSIGN_NO_CHANNEL = 8,     // a channel the file does not have
  TRACK_ASSIGN_CHANNEL_FORM = 9,   // channels named for a mono or stereo file
};

// Caption of every refusal.
inline constexpr const char16_t* kTrackAssignCaption = u"トラックへのアサイン";

// The outcome of an assignment: on a refusal the code and the text the
// interface shows (warning icon, caption kTrackAssignCaption); on success
// code 0, a null caption and an empty message.
struct TRACK_ASSIGN_RESULT {
  int code = TRACK_ASSIGN_OK;
  const char16_t* caption = nullptr;
  std::u16string message;
};

// The refusal text of a code; null for TRACK_ASSIGN_OK and unknown codes.
// For TRACK_ASSIGN_CHANNELS, _PAST_LAST and _NO_CHANNEL it is the
// string-table template with "%d" (the result's message fills it in).
const char16_t* TrackAssignMessage(int code);

// The refusal text shown for a code and the file's channel count.
std::u16string TrackAssignRefusal(int code, int channels);

// The checks of AssignTrack alone, in its order; nothing changes.
TRACK_ASSIGN_RESULT CheckTrackAssignment(const MXF_AUDIO_INFO& audio, const WAV_LIBRARY_ENTRY* entry, int slot);

// The slots an assignment of `entry` to `slot` fills, as a bit mask (bit s =
// slot s): the slot, and the next one too for a stereo file. Callers that
// take several assignments at once (the command line) refuse two that
// share a slot instead of letting the later one replace the earlier.
// `count` is the number of channels named for a file of three or more.
uint32_t AssignedSlots(const WAV_LIBRARY_ENTRY* entry, int slot, int count = 1);

// Assigns `entry` to `slot` (0-based). A mono file replaces what the slot
// held; when that was a stereo file, it leaves both of its slots. A stereo
// file replaces what both slots of the pair held and copies the first
// slot's switch to the second. Refused assignments change nothing.
TRACK_ASSIGN_RESULT AssignTrack(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, const MXF_AUDIO_INFO& audio,
                                WAV_LIBRARY_ENTRY* entry, int slot);

// The checks of AssignChannels alone, in its order: a file, an existing
// slot, the bit depths, a file of three or more channels, channels the file
// has, and slots up to the last track. Nothing changes.
TRACK_ASSIGN_RESULT CheckChannelAssignment(const MXF_AUDIO_INFO& audio, const WAV_LIBRARY_ENTRY* entry, int slot,
                                           int firstChannel, int count);

// Assigns channels firstChannel .. firstChannel + count - 1 (0-based) of a
// file of three or more channels to slots slot .. slot + count - 1. Each
// slot is replaced as by a mono file (a stereo file there leaves both of
// its slots). Refused assignments change nothing.
TRACK_ASSIGN_RESULT AssignChannels(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, const MXF_AUDIO_INFO& audio,
                                   WAV_LIBRARY_ENTRY* entry, int slot, int firstChannel, int count);

// How many channels of a file of three or more channels fit from `slot` to
// the last track (at most the file's channels); 0 when none.
int ChannelsThatFit(const MXF_AUDIO_INFO& audio, const WAV_LIBRARY_ENTRY* entry, int slot);

// Clears `slot` (and its stereo partner). Switches do not change; the file
// stays in the library. Returns the cleared slots as a bit mask (bit s =
// slot s); 0 when the slot held no file or does not exist.
uint32_t UnassignTrack(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, const MXF_AUDIO_INFO& audio, int slot);

// Sets entry->assigned from the plan: 1 when an existing slot holds it.
void RecomputeAssigned(const AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio, WAV_LIBRARY_ENTRY* entry);

// The stereo partner of a slot (s ^ 1) when the slot is half of a stereo
// assignment, else -1.
int StereoPartner(const TRACK_STEREO_FLAGS& stereo, int slot);

// A click on a slot's switch: OFF <-> ON, together with the stereo partner;
// a slot without a track does not change. True when the switch changed.
bool ToggleTrackSwitch(AUDIOTRACK_IO_INFO& plan, const TRACK_STEREO_FLAGS& stereo, int slot);

// Switches an existing slot (and its stereo partner) ON or OFF. False for a
// slot without a track.
bool SetTrackSwitch(AUDIOTRACK_IO_INFO& plan, const TRACK_STEREO_FLAGS& stereo, int slot, bool on);

// "All tracks": every existing track OFF when the first track is ON, else
// every existing track ON.
void ToggleAllTrackSwitches(AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio);

// "Selected tracks": the selected tracks and their stereo partners end in
// the opposite of the current track's former state (a pair counts once).
// `selected` holds one flag per slot.
void ToggleSelectedTrackSwitches(AUDIOTRACK_IO_INFO& plan, const TRACK_STEREO_FLAGS& stereo,
                                 const MXF_AUDIO_INFO& audio, const uint8_t selected[kTrackSlots], int current);

// Deletes a library entry: every slot holding it is cleared (with its
// trackStereo), then the entry is unlinked and freed. False, with nothing
// changed, when the entry is not in the library of `head`. *clearedSlots
// (when given) receives the cleared slots as a bit mask. The caller rebuilds
// its display array afterwards.
bool RemoveLibraryEntry(WAV_LIBRARY_ENTRY* head, AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo,
                        WAV_LIBRARY_ENTRY* entry, uint32_t* clearedSlots = nullptr);

// The question asked before deleting an assigned entry (Yes/No, caption
// "MXF Audio Velmora").
std::u16string DeleteAssignedQuestion(const WAV_LIBRARY_ENTRY& entry);
