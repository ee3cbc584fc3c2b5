// The loaded file's facts as the information panel, the creator tooltip and
// the command-line tool show them.
#pragma once

#include <cstdint>
#include <string>

#include "engine/mxf_records.h"

// "Time code" group.
std::u16string RateText(const MXF_TIMECODE_INFO& tc);         // "29.97 DF", "25", "Unknown"
std::u16string HeadText(const MXF_TIMECODE_INFO& tc);         // start timecode
std::u16string TailText(const MXF_TIMECODE_INFO& tc);         // end timecode
std::u16string DurationText(const MXF_TIMECODE_INFO& tc);     // end - start + 1 as a timecode, "-" if none
int64_t DurationFrames(const MXF_TIMECODE_INFO& tc);          // end - start + 1 (shifted form in hour 23)
// A count of frames as a timecode at the file's rate; "-" when negative or
// beyond 32-bit frame numbers. Lengths are computed in 64 bits before.
std::u16string LengthText(const MXF_TIMECODE_INFO& tc, int64_t frames);

// "Audio" group.
std::u16string AudioFormatText();                             // "AES3/LPCM"
std::u16string TrackCountText(const MXF_AUDIO_INFO& audio);   // "%d"
std::u16string BitsText(const MXF_AUDIO_INFO& audio);         // "%dbit"
std::u16string SampleRateText(const MXF_AUDIO_INFO& audio);   // "%dkHz"

// "Video" group.
std::u16string CodecText(const MXF_VIDEO_INFO& video);        // codec name
std::u16string VideoBitRateText(const MXF_VIDEO_INFO& video); // "%.1fMbps", "-" if not stated
std::u16string FpsText(const MXF_TIMECODE_INFO& tc, const MXF_VIDEO_INFO& video);  // "29.97i"
std::u16string PictureSizeText(const MXF_VIDEO_INFO& video);  // "%d x %d"

// Scan-type letter after the rate: 'i' interlaced, 'p' progressive (or an
// AVC codec row), 0 when unknown.
char16_t ScanTypeLetter(const MXF_VIDEO_INFO& video);

// The creator tooltip of the file name field.
std::u16string CreatorTooltipText(const std::u16string& mxfPath, const MXF_BASE_INFO& base);
