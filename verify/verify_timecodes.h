// Step 1000 of the analysis: visits every indexed frame at the address the
// index table gives for it, reads the SDTI timecode of the frame's system
// item and checks that the timecodes advance by exactly one label from frame
// to frame. Every jump, step back or standstill becomes an LTC_ERROR_ENTRY in
// the list behind MXF_TIMECODE_INFO.ltcErrors.
//
// Runs on the worker thread. progressDone is published after every frame and
// cancelRequested is polled before every frame; both are the atomics of the
// timecode record that the analysis dialog polls and sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/mxf_records.h"
#include "platform/file.h"
#include "verify/ltc_error.h"

inline constexpr int kVerifyStepCode = 1000;

// Results besides 0 (every frame advanced correctly).
inline constexpr int kVerifyCancelled = 99;         // the user cancelled
inline constexpr int kVerifyBadFile = 1001;         // file handle missing or invalid
inline constexpr int kVerifyNoBaseInfo = 1002;      // no MXF_BASE_INFO
inline constexpr int kVerifyNoTimecodeInfo = 1003;  // no timecode record
inline constexpr int kVerifyNoAudioInfo = 1004;     // no audio record
inline constexpr int kVerifyNoWordMemory = 1005;    // no index entry array, or no memory for the words
inline constexpr int kVerifyNoMapping = 1006;       // the file mapping cannot be created
inline constexpr int kVerifyNoView = 1007;          // a view cannot be mapped
inline constexpr int kVerifyNoErrorMemory = 1008;   // no memory for frame counts or error entries
inline constexpr int kVerifyTimecodeErrors = 1009;  // at least one timecode error was found
inline constexpr int kVerifyUnsupportedBase = 1010; // tcBase is not one of the four bases
inline constexpr int kVerifyNoSystemItem = 1011;    // the first frame does not open with a system item

// String shown for 1010 ("タイムコードの基準フレーム数が対応外のため検証できません。").
inline constexpr int kStrUnsupportedTimecodeBase = 402;

// The offset of the SMPTE 12M timecode inside a content package that starts
// with a system item (16-byte key, 4-byte BER length): the value of the user
// date/time stamp, after the 7-byte system metadata, the 16-byte label, the
// 17-byte creation stamp and the stamp's type byte.
inline constexpr uint64_t kSystemItemTimecodeOffset = 61;

// The word stored for a frame whose timecode bytes cannot be read (past the
// end of the file, or a failed read): it decodes as an invalid timecode, so
// the frame shows up as an error instead of repeating an older word.
inline constexpr uint32_t kUnreadableTimecodeWord = 0xFFFFFFFFu;

// Views of the memory-mapping method never exceed this many bytes; a longer
// index segment is read through several views.
inline constexpr uint64_t kDefaultMaxViewBytes = uint64_t{64} << 20;

int VerifyStreamTimecodes(plat::File* file, MXF_BASE_INFO* base);

// Knobs for tests and benchmarks; the defaults give VerifyStreamTimecodes.
struct VERIFY_OPTIONS {
  uint64_t maxViewBytes = kDefaultMaxViewBytes;
  // Called after each frame's word has been stored and progressDone set.
  std::function<void(int32_t frame)> onFrame;
  // Called for every view the memory-mapping method maps (file offset, length).
  std::function<void(uint64_t offset, size_t length)> onView;
};

int VerifyStreamTimecodes(plat::File* file, MXF_BASE_INFO* base, const VERIFY_OPTIONS& options);

// The frame count of one SDTI timecode word (byte 0 frames ... byte 3 hours,
// packed BCD) as the comparison sees it: bit 6 (the drop-frame flag of the
// frames byte) is ignored; for 60-frame material (tcBase 3) bit 15 (which of
// the two frames of a label) is ignored and the label is counted at 30 per
// second; with `startHourIs23` a valid count is moved one hour later. -2 for
// an invalid timecode or an unsupported base.
int32_t TimecodeWordToFrames(uint32_t word, int32_t tcBase, int32_t dropFrame, int32_t startHourIs23);

// The base frame counts of the comparison are expressed in: TC_BASE_30 for
// 60-frame material, the file's base otherwise; -1 for an unsupported base.
int32_t VerifyDecodingBase(int32_t tcBase);

// Length of an edit unit as the memory-mapping method walks the frames: the
// constant-size elements after the picture end at the last delta entry's
// element plus the last element's size (the data element with ancillary
// data, else a sound element); a file with ancillary data but no sound
// element ends at the slice offset.
uint64_t EditUnitLength(const INDEX_ENTRY_ARRAY& entry, const MXF_BASE_INFO& base);
