// The program's string table: the Japanese message texts, loaded by id.
// Texts are UTF-16 with real control characters ("\n", "\r\n") where a
// message breaks lines; none is longer than 255 code units, so each fits a
// 256-unit buffer with its terminator.
#pragma once

#include <cstddef>
#include <string>

// Ids the interface and the logs name directly. The message ids of the job
// runner's code table are used as plain numbers there.
inline constexpr int kStrAppTitle = 103;         // "MXF Audio Velmora 1.0.0.0"
inline constexpr int kStrNoRewrite = 104;        // track panel: track left as it is
inline constexpr int kStrWindowClass = 109;      // main window class name
inline constexpr int kStrSilenceWritten = 225;   // track panel: ON without a file
inline constexpr int kStrNoTrack = 226;          // track panel: slot without a track
inline constexpr int kStrUndefinedError = 251;   // a code with no text of its own
inline constexpr int kStrMultichannelRefused = 430;  // "%d" channels: neither mono nor stereo
// Command-line refusals and notes, and the check-pass cancel.
inline constexpr int kStrTrackNamedTwice = 450;    // option, option, track
inline constexpr int kStrStereoPartnerNamed = 451; // option, track, track, option
inline constexpr int kStrTimecodeUnreadable = 452; // text
inline constexpr int kStrTimecodeNotAtRate = 453;  // text, rate
inline constexpr int kStrTimecodeSkipped = 454;    // text, next label
inline constexpr int kStrPlanRange = 455;          // IN label, frame, OUT label, frame, frames
inline constexpr int kStrPlanTrackFile = 456;      // track, path
inline constexpr int kStrPlanTrackChannel = 457;   // track, path, channel
inline constexpr int kStrPlanTrackSilence = 458;   // track
inline constexpr int kStrWavEndsEarly = 459;       // track, path, timecode
inline constexpr int kStrWavMissing = 460;         // path
inline constexpr int kStrWavIsFolder = 461;        // path
inline constexpr int kStrWavUnreadable = 462;      // path, system error
inline constexpr int kStrWavNotRegular = 463;      // path
inline constexpr int kStrExportFolderReadOnly = 464;  // folder, system error
inline constexpr int kStrPrefixHasPath = 465;      // prefix
inline constexpr int kStrCancelledInCheck = 466;
inline constexpr int kStrLogNotCreated = 467;      // path, system error

inline constexpr size_t kStringBufferUnits = 256;

// The text of `id`, zero-terminated and static, or nullptr for an id the
// table does not hold.
const char16_t* LoadStringById(int id);

// The text of `id`; empty for an id the table does not hold.
std::u16string LoadString(int id);

// Copies the text of `id` into buffer (capacity units, zero-terminated, cut
// to capacity - 1 units) and returns the units copied; 0 (and an empty
// buffer) for an unknown id.
size_t LoadStringInto(int id, char16_t* buffer, size_t capacity);
