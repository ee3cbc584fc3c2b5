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
