// The summary of the loaded MXF file that opens the timecode error log and
// the rewrap detail log ("< MXF情報 >" up to the actual frame count).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/mxf_records.h"
#include "platform/time.h"

// The block as UTF-16 text with CR LF line ends. `now` is the moment the log
// is written; it stands in the "更新日" line. Missing sub-records of `base`
// print as empty records.
std::u16string ComposeMxfInfoBlock(std::u16string_view mxfPath, const MXF_BASE_INFO& base,
                                   const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                   const plat::LocalTime& now);

// The frame-rate text of the logs: "24", "25", "30", "60", "23.98", "29.97",
// "59.94"; "DMY" for 25000/1001 and any rate outside the table.
const char16_t* LogFrameRateText(int32_t frameRateClass);

// The scan letter after the FPS text: 'i' interlaced, 'p' progressive (also
// for the codecs of rows 5 and 6, which carry no scan type); 0 for none.
char16_t LogScanLetter(const MXF_VIDEO_INFO& video);

// "%d/%02d/%02d  %02d:%02d:%02d" of a local time.
std::u16string FormatLogDateTime(const plat::LocalTime& t);
