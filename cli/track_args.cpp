#include "cli/track_args.h"

#include <algorithm>
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
  if (eq == std::string::npos || eq + 1 >= value.size()) return false;
  const std::string tracks = value.substr(0, eq);
  const size_t dash = tracks.find('-');
  if (dash == std::string::npos) {
    if (!ParseTrackNumber(tracks, &out->track)) return false;
  } else if (!ParseTrackNumber(tracks.substr(0, dash), &out->track) ||
             !ParseTrackNumber(tracks.substr(dash + 1), &out->lastTrack) || out->lastTrack < out->track) {
    return false;
  }
  std::string path = value.substr(eq + 1);
  const size_t colon = path.rfind(':');
  if (colon != std::string::npos && colon > 0 && colon + 1 < path.size() && colon + 3 >= path.size()) {
    int channel = 0;
    bool digits = true;
    for (size_t i = colon + 1; i < path.size(); ++i) {
      digits = digits && path[i] >= '0' && path[i] <= '9';
      channel = channel * 10 + (path[i] - '0');
    }
    if (digits) {
      if (channel < 1) return false;
      out->channel = channel;
      path.resize(colon);
    }
  }
  out->typed = u"--track " + plat::Utf8ToUtf16(value);
  out->path = plat::AbsolutePath(plat::Utf8ToUtf16(path));
  return true;
}

std::u16string ChannelsNotNamedMessage(const TrackOption& o, int channels, int trackCount) {
  const int64_t first = o.track;
  const int64_t last = std::max<int64_t>(first, std::min<int64_t>(first + channels - 1, trackCount));
  const std::u16string name(plat::FileNamePart(o.path));
  return FormatText(LoadString(kStrCliChannelsNotNamed),
                    {std::u16string_view(o.typed), static_cast<int64_t>(channels), first, first, last,
                     std::u16string_view(name), first, std::u16string_view(name)});
}

bool RefuseOverlappingTracks(const std::vector<TrackOption>& options, bool entriesKnown) {
  auto slots = [&](const TrackOption& o) {
    return AssignedSlots(entriesKnown ? o.entry : nullptr, o.track - 1, o.TrackCount());
  };
  // The slot a stereo file claims beyond its own track.
  auto stereoExtra = [&](const TrackOption& o) { return slots(o) & ~AssignedSlots(nullptr, o.track - 1, o.TrackCount()); };
  for (size_t i = 0; i < options.size(); ++i) {
    for (size_t j = i + 1; j < options.size(); ++j) {
      const TrackOption& a = options[i];
      const TrackOption& b = options[j];
      const uint32_t shared = slots(a) & slots(b);
      if (shared == 0) continue;
      // A stereo file that claims the other option's track through its pair.
      const TrackOption* stereo = nullptr;
      const TrackOption* other = nullptr;
      if (a.track == b.track) {
        // Both name the track itself.
      } else if ((stereoExtra(a) & shared) != 0) {
        stereo = &a;
        other = &b;
      } else if ((stereoExtra(b) & shared) != 0) {
        stereo = &b;
        other = &a;
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
