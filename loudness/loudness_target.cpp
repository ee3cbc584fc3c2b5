#include "loudness/loudness_target.h"

#include <cmath>
#include <cstdio>

bool LoudnessPreset(std::string_view name, LOUDNESS_TARGET* out) {
  if (name == "arib" || name == "tr-b32") {
    *out = kTargetTrB32;
  } else if (name == "r128" || name == "ebu") {
    *out = kTargetR128;
  } else {
    return false;
  }
  return true;
}

double LoudnessShown(double value) {
  if (!std::isfinite(value)) return value;
  const double r = std::round(value * 10.0) / 10.0;
  return r == 0.0 ? 0.0 : r;  // no "-0.0"
}

std::string LoudnessText(double value) {
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (std::isnan(value)) return "nan";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", LoudnessShown(value));
  return text;
}

bool IntegratedPasses(const LOUDNESS_RESULT& r, const LOUDNESS_TARGET& t) {
  if (!std::isfinite(r.integrated)) return false;
  // Both sides at tenths, as integers, so that the edges do not depend on
  // binary fractions.
  const long shown = std::lround(LoudnessShown(r.integrated) * 10.0);
  const long target = std::lround(t.integrated * 10.0);
  const long tolerance = std::lround(t.tolerance * 10.0);
  return shown >= target - tolerance && shown <= target + tolerance;
}

bool TruePeakPasses(const LOUDNESS_RESULT& r, const LOUDNESS_TARGET& t) {
  return !std::isnan(r.truePeak) && r.truePeak <= t.truePeak;
}

std::string TruePeakText(double value) {
  if (!std::isfinite(value)) return LoudnessText(value);
  // The small allowance keeps an exact -1.0 (a binary fraction just above)
  // from showing as -0.9.
  return LoudnessText(std::ceil(value * 10.0 - 1e-6) / 10.0);
}
