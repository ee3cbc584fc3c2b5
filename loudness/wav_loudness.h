// Loudness of a WAV/BWF file: a mono file as one mono track, a two-channel
// file as one stereo programme (left, right). The format is read again from
// the file (bwf/wav_reader.h), so the figures belong to the bytes on disk
// now, whatever the library recorded when the file was added.
#pragma once

#include <string>

#include "bwf/wav_reader.h"
#include "loudness/loudness_meter.h"
#include "loudness/mxf_loudness.h"

// Reads the WAV/BWF header of `path` without a loaded MXF file (positions
// at 25 fps, unused here). A WAV_READ_RESULT.
int ReadWavFormat(const std::u16string& path, WAV_FORMAT_INFO* info);

// Measures the whole data chunk. progress counts 100 ms blocks and is polled
// for a cancel request after each second of audio; may be null. Returns a
// LOUDNESS_STATUS (LOUDNESS_BAD_FORMAT for a file the reader refuses or one
// with more than two channels).
int MeasureWavLoudness(const std::u16string& path, LOUDNESS_PROGRESS* progress, LOUDNESS_RESULT* result);
