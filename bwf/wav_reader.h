// Reading one WAV or Broadcast WAV file: the RIFF chunks it needs, the checks
// on its audio (48 kHz, 16 or 24 bits), where its samples lie, and where it
// sits on the loaded MXF file's timeline (from the BWF time reference).
#pragma once

#include <cstdint>
#include <string>

#include "engine/mxf_records.h"

// The facts read from one file.
struct WAV_FORMAT_INFO {
  int16_t formatTag = 0;        // fmt format tag, kept as found (1 PCM, -2 = 0xFFFE extensible)
  uint16_t channels = 0;
  uint32_t sampleRate = 0;      // always 48000 in a file that was accepted
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;      // bytes per sample frame, all channels
  int16_t bytesPerSample = 0;   // blockAlign / channels (one channel's sample)
  uint16_t bitsPerSample = 0;   // 16 or 24
  uint32_t dataSize = 0;        // bytes of sample data present in the file (see ReadWavFile)
  uint64_t dataOffset = 0;      // file offset of the first sample byte
  uint64_t startSample = 0;     // BWF time reference, samples since midnight; 0 without bext
  uint64_t endSample = 0;       // startSample + dataSize / blockAlign
  uint32_t startFrame = 0;      // frame holding startSample, at the MXF file's rate
  uint32_t endFrame = 0;        // frame holding endSample
  uint32_t durationFrames = 0;  // endFrame - startFrame (across midnight: see ComputeWavPositions)
  uint32_t startSubframe = 0;
  uint32_t endSubframe = 0;
  uint32_t startFract = 0;
  uint32_t endFract = 0;
  uint32_t hasTimeReference = 0;  // 1 when a bext chunk gave the time reference
  uint32_t startsInHour23 = 0;    // 1 when the start timecode's hour is 23
};

// Results of ReadWavFile.
enum WAV_READ_RESULT : int {
  WAV_READ_OK = 0,
  WAV_READ_NO_PATH = 1,
  WAV_READ_NO_RECORD = 2,
  WAV_READ_BAD_FRAME_RATE = 3,  // the MXF file's rate (or timecode base) is unsupported
  WAV_READ_OPEN_FAILED = 4,
  WAV_READ_NOT_WAVE = 5,        // not RIFF/WAVE, fmt or data missing, a chunk cut short
  WAV_READ_BAD_FORMAT = 6,      // not 48 kHz, not 16/24 bits, or a block align that does not fit
};

// Reads and checks the file at `path` and fills `info` (its position fields
// at the rate of `timecode`, the loaded MXF file's timecode record). Once
// the arguments are accepted, `info` is cleared before anything is read. The
// file is opened for reading with an exclusive lock, and closed on return.
//
// The file is walked chunk by chunk from byte 12 ("RIFF" at 0 and "WAVE" at 8
// are required) by the chunk sizes, each odd size followed by its pad byte.
// A pad byte that a writer left out is recognised by a non-zero byte in its
// place where a plausible chunk header starts one byte earlier; a missing
// pad at the end of the file is simply the end. Bytes inside chunk bodies
// are never taken as chunk ids. The walk ends at the "data" chunk: a bext
// chunk after it is not read.
//  - fmt: at least 16 bytes; a shorter one is passed over. One whose body
//    runs past the end of the file is refused (WAV_READ_NOT_WAVE). The rate
//    must be 48000, the bits 16 or 24 (for WAVE_FORMAT_EXTENSIBLE the
//    container size at byte 14), and block align channels x bytes per
//    sample, else WAV_READ_BAD_FORMAT. A later fmt replaces an earlier one.
//  - bext: the time reference (bytes 338..345) when the chunk has at least
//    346 bytes and they lie inside the file.
//  - data: its size as found, or, when the size field is 0xFFFFFFFF or runs
//    past the end of the file (a writer that could not go back to fill it
//    in, or a truncated copy), what the file holds from the data offset on,
//    in whole sample frames.
// Nothing outside the file is read. Returns a WAV_READ_RESULT.
int ReadWavFile(const std::u16string& path, WAV_FORMAT_INFO* info, const MXF_TIMECODE_INFO* timecode);

// Fills endSample and the start/end frame, subframe and fract fields and the
// duration from startSample and dataSize, at the rate, timecode base and
// drop-frame flag of `timecode`. A side whose position lies beyond the
// resolvable range is left as it is; a frame beyond 24 hours is taken one day
// earlier. A file starting in hour 23 measures its duration on positions
// shifted one hour later; any other file whose end wrapped past midnight is
// measured across midnight as well.
// Returns 0, 1 without a record, 3 for an unsupported rate or timecode base.
int ComputeWavPositions(WAV_FORMAT_INFO* info, const MXF_TIMECODE_INFO* timecode);
