// What a delivery must meet: an integrated loudness within a tolerance of the
// target and a true peak at or below the ceiling. ARIB TR-B32 (Japanese
// broadcasters) asks for -24 LKFS +/-1 LU and -1 dBTP; EBU R128 for
// -23 LUFS +/-0.5 LU and -1 dBTP.
#pragma once

#include <string>
#include <string_view>

#include "loudness/loudness_meter.h"

struct LOUDNESS_TARGET {
  double integrated = -24.0;  // LKFS
  double tolerance = 1.0;     // LU either side of the target
  double truePeak = -1.0;     // dBTP, the highest allowed
};

inline constexpr LOUDNESS_TARGET kTargetTrB32{-24.0, 1.0, -1.0};
inline constexpr LOUDNESS_TARGET kTargetR128{-23.0, 0.5, -1.0};

// "arib" (TR-B32) or "r128"; false for any other name.
bool LoudnessPreset(std::string_view name, LOUDNESS_TARGET* out);

// Integrated loudness within the tolerance, compared at the 0.1 LU it is
// shown with (a shown "-25.0" at -24 +/-1 passes; a programme without any
// level fails). The true peak is a hard ceiling, compared exactly: -0.96
// fails a -1 dBTP ceiling, and TruePeakText shows it as "-0.9".
bool IntegratedPasses(const LOUDNESS_RESULT& r, const LOUDNESS_TARGET& t);
bool TruePeakPasses(const LOUDNESS_RESULT& r, const LOUDNESS_TARGET& t);
inline bool LoudnessPasses(const LOUDNESS_RESULT& r, const LOUDNESS_TARGET& t) {
  return IntegratedPasses(r, t) && TruePeakPasses(r, t);
}

// A figure as shown: one decimal ("-23.0"), "-inf" without a level.
std::string LoudnessText(double value);
// The value LoudnessText shows, as a number (rounded to 0.1).
double LoudnessShown(double value);
// A true peak as shown: one decimal rounded up, so that a peak above a
// ceiling never shows as the ceiling.
std::string TruePeakText(double value);
