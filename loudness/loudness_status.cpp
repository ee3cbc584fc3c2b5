// The user's messages for the measurement outcomes, in the chosen language.
#include "loudness/mxf_loudness.h"

#include "resources/string_table.h"

std::u16string LoudnessStatusText(int status) {
  switch (status) {
    case LOUDNESS_OK: return u"";
    case LOUDNESS_CANCELLED: return LoadString(kStrLoudnessCancelled);
    case LOUDNESS_NOT_LOADED: return LoadString(kStrLoudnessNotLoaded);
    case LOUDNESS_BAD_TRACK: return LoadString(kStrLoudnessBadTrack);
    case LOUDNESS_BAD_RANGE: return LoadString(kStrLoudnessBadRange);
    case LOUDNESS_OPEN_FAILED: return LoadString(kStrLoudnessOpenFailed);
    case LOUDNESS_READ_FAILED: return LoadString(kStrLoudnessReadFailed);
    case LOUDNESS_ELEMENT_MISMATCH: return LoadString(kStrLoudnessElementMismatch);
    case LOUDNESS_NO_MEMORY: return LoadString(kStrLoudnessNoMemory);
    case LOUDNESS_BAD_FORMAT: return LoadString(kStrLoudnessBadFormat);
    default: return LoadString(kStrLoudnessFailed);
  }
}
