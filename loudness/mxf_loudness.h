// Loudness of a range of the loaded MXF file's tracks: each programme (one
// track, or a pair measured as left and right of one stereo programme) gets
// its own meter, fed from the sound elements frame by frame.
//
// The elements are found and checked as the BWF export finds and checks
// them: one positioned read per frame, from the lowest selected key to the
// end of the highest selected value, then the key, length form and length of
// every selected element (engine/sound_elements.h). A frame whose elements
// are not where the index says ends the measurement with
// LOUDNESS_ELEMENT_MISMATCH: a figure is never given for bytes that are not
// the track's samples. Nothing is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/mxf_records.h"
#include "loudness/loudness_meter.h"

// One row of a measurement: track slots (0-based); right < 0 for a mono track.
struct LOUDNESS_PROGRAMME {
  int left = 0;
  int right = -1;
  bool stereo() const { return right >= 0; }
};

// Shared with the thread that shows progress: frames done of frameCount,
// and the cancel request polled after every frame.
struct LOUDNESS_PROGRESS {
  std::atomic<uint32_t> currentFrame{0};
  std::atomic<uint32_t> frameCount{0};
  std::atomic<uint32_t> cancelRequest{0};
};

enum LOUDNESS_STATUS : int {
  LOUDNESS_OK = 0,
  LOUDNESS_CANCELLED = 1,
  LOUDNESS_NOT_LOADED = 2,        // no analysed file (records missing) or no audio format
  LOUDNESS_BAD_TRACK = 3,         // a slot the file does not have, or a pair of one track
  LOUDNESS_BAD_RANGE = 4,         // IN after OUT, or outside the file's frames
  LOUDNESS_OPEN_FAILED = 5,
  LOUDNESS_READ_FAILED = 6,
  LOUDNESS_ELEMENT_MISMATCH = 7,  // a sound element is not where the index says
  LOUDNESS_NO_MEMORY = 8,
  LOUDNESS_BAD_FORMAT = 9,        // WAV: not a 48 kHz 16/24-bit mono or stereo file
};

// The user's message for a status other than LOUDNESS_OK (Japanese).
std::u16string LoudnessStatusText(int status);

// The frames of a range given as plan-form points (in[2], out[2]: plain and
// hour-23 forms, see engine/track_plan.h): first index entry and count.
// LOUDNESS_OK or LOUDNESS_BAD_RANGE.
int LoudnessRangeFrames(const MXF_BASE_INFO& base, const uint32_t in[2], const uint32_t out[2], size_t* first,
                        uint32_t* count);

// Measures `programmes` over `count` frames from index entry `first` of the
// file at `path` (opened shared, for reading). results receives one entry per
// programme, in order, when LOUDNESS_OK is returned. progress may be null.
int MeasureMxfLoudness(const std::u16string& path, const MXF_BASE_INFO& base, size_t first, uint32_t count,
                       const std::vector<LOUDNESS_PROGRAMME>& programmes, LOUDNESS_PROGRESS* progress,
                       std::vector<LOUDNESS_RESULT>* results);
