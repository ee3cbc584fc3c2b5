// The WAV buffer length setting: how many frames of audio the file I/O
// engines read from each WAV file at a time (the user's memory-versus-speed
// choice in the settings, rows 0 to 13).
#pragma once

#include <cstdint>

inline constexpr uint32_t kWavBufferRows = 14;

// The length of each row as an HHMMSSFF text: 1, 2, 3, 4, 6 (the default),
// 8, 10, 12, 16, 18, 22, 24, 30 and 40 minutes.
extern const char* const kWavBufferLengthTexts[kWavBufferRows];

// Upper bound of the WAV read buffer of one job, all tracks together. Blocks
// of a few hundred frames already read each file in long sequential runs;
// a larger buffer only costs memory (and page faults on first use).
inline constexpr uint64_t kWavReadBufferLimit = uint64_t{8} << 20;
// The same bound for the file I/O export, whose reads hold whole frames.
inline constexpr uint64_t kExportReadBufferLimit = uint64_t{32} << 20;

// Frames of row `row` at the loaded file's timecode base and drop-frame
// counting; a row outside 0..13 is taken as the default row. -1 for an
// invalid timecode base.
int32_t WavBufferFrames(uint32_t row, int32_t tcBase, int32_t dropFrame);

// The block length actually used: `frames`, lowered when needed so that
// frames x bytesPerFrame stays within `limit` (never below one frame).
// bytesPerFrame is what one frame of the block takes in the read buffer,
// over all tracks read. The blocks only split the reads: a shorter block
// gives the same file.
uint32_t CapBlockFrames(uint32_t frames, uint64_t bytesPerFrame, uint64_t limit = kWavReadBufferLimit);
