#include "cli/track_args.h"

#include <cstdlib>

#include "cli/terminal.h"
#include "engine/text_format.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/track_assign.h"

namespace cli {

namespace {

bool ParseTrackNumber(const std::string& text, int* track) {
  if (text.empty() || text.size() > 2) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *track = std::atoi(text.c_str());
  return *track >= 1 && *track <= kTrackSlots;
}

int LowestSlot(uint32_t mask) {
  for (int s = 0; s < kTrackSlots; ++s) {
    if (mask & (1u << s)) return s;
  }
  return -1;
}

}  // namespace

bool ParseTrackOption(const std::string& value, bool silence, TrackOption* out) {
  out->silence = silence;
  if (silence) {
    out->typed = u"--silence " + plat::Utf8ToUtf16(value);
    return ParseTrackNumber(value, &out->track);
  }
  const size_t eq = value.find('=');
  if (eq == std::string::npos || eq + 1 >= value.size() || !ParseTrackNumber(value.substr(0, eq), &out->track)) {
    return false;
  }
  out->typed = u"--track " + plat::Utf8ToUtf16(value);
  out->path = plat::AbsolutePath(plat::Utf8ToUtf16(value.substr(eq + 1)));
  return true;
}

bool RefuseOverlappingTracks(const std::vector<TrackOption>& options, bool entriesKnown) {
  auto slots = [&](const TrackOption& o) {
    return entriesKnown ? AssignedSlots(o.entry, o.track - 1) : AssignedSlots(nullptr, o.track - 1);
  };
  for (size_t i = 0; i < options.size(); ++i) {
    for (size_t j = i + 1; j < options.size(); ++j) {
      const TrackOption& a = options[i];
      const TrackOption& b = options[j];
      const uint32_t shared = slots(a) & slots(b);
      if (shared == 0) continue;
      // A stereo file that claims the other option's track through its pair.
      const TrackOption* stereo = nullptr;
      const TrackOption* other = nullptr;
      if (a.track != b.track) {
        stereo = slots(a) != (1u << (a.track - 1)) ? &a : &b;
        other = stereo == &a ? &b : &a;
      }
      if (stereo != nullptr) {
        PrintErr(FormatText(LoadString(kStrStereoPartnerNamed),
                            {std::u16string_view(stereo->typed), static_cast<int64_t>(stereo->track),
                             static_cast<int64_t>(stereo->track + 1), std::u16string_view(other->typed)}));
      } else {
        PrintErr(FormatText(LoadString(kStrTrackNamedTwice),
                            {std::u16string_view(a.typed), std::u16string_view(b.typed),
                             static_cast<int64_t>(LowestSlot(shared) + 1)}));
      }
      return false;
    }
  }
  return true;
}

}  // namespace cli
