// Assignment of library files to track slots, and the track switches.
#include "rewrap/track_assign.h"

#include <algorithm>

#include "engine/text_format.h"
#include "resources/string_table.h"

namespace {

bool SlotExists(const MXF_AUDIO_INFO& audio, int slot) {
  return slot >= 0 && slot < kTrackSlots && slot < static_cast<int>(audio.trackCount);
}

bool SlotInRange(int slot) { return slot >= 0 && slot < kTrackSlots; }

TRACK_ASSIGN_RESULT Refuse(int code, int channels = 0) {
  return TRACK_ASSIGN_RESULT{code, kTrackAssignCaption, TrackAssignRefusal(code, channels)};
}

TRACK_ASSIGN_RESULT RefuseWith(int code, std::initializer_list<FormatArg> args) {
  return TRACK_ASSIGN_RESULT{code, kTrackAssignCaption, FormatText(TrackAssignMessage(code), args)};
}

bool Multichannel(const WAV_LIBRARY_ENTRY& entry) { return entry.format.channels >= 3; }

// Takes the entry out of `slot` (and its trackStereo flag); returns what was there.
WAV_LIBRARY_ENTRY* TakeOut(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, int slot) {
  if (!SlotInRange(slot)) return nullptr;
  WAV_LIBRARY_ENTRY* old = plan.wavEntry[slot];
  plan.wavEntry[slot] = nullptr;
  plan.wavChannel[slot] = 0;
  stereo[slot] = 0;
  return old;
}

// Puts one channel of `entry` into `slot` the way a mono file goes there:
// what the slot held leaves it, a stereo file there leaves both of its
// slots. The caller recomputes entry->assigned.
void PlaceSingle(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, const MXF_AUDIO_INFO& audio,
                 WAV_LIBRARY_ENTRY* entry, int slot, int channel) {
  const int partner = StereoPartner(stereo, slot);
  WAV_LIBRARY_ENTRY* old = TakeOut(plan, stereo, slot);
  if (SlotInRange(partner)) {
    if (old != nullptr && plan.wavEntry[partner] == old) TakeOut(plan, stereo, partner);
    stereo[partner] = 0;
  }
  if (old != nullptr && old != entry) RecomputeAssigned(plan, audio, old);
  plan.wavEntry[slot] = entry;
  plan.wavChannel[slot] = static_cast<uint16_t>(channel);
}

}  // namespace

const char16_t* TrackAssignMessage(int code) {
  switch (code) {
    case TRACK_ASSIGN_NO_FILE:
      return LoadStringById(kStrAssignNoFile);
    case TRACK_ASSIGN_NO_TRACK:
      return LoadStringById(kStrNoTrack);
    case TRACK_ASSIGN_24_ON_16:
      return LoadStringById(kStrAssign24On16);
    case TRACK_ASSIGN_STEREO_ODD:
      return LoadStringById(kStrAssignStereoOdd);
    case TRACK_ASSIGN_STEREO_LAST:
      return LoadStringById(kStrAssignStereoLast);
    case TRACK_ASSIGN_CHANNELS:
      return LoadStringById(kStrMultichannelRefused);
    case TRACK_ASSIGN_PAST_LAST:
      return LoadStringById(kStrAssignPastLastTrack);
    case TRACK_ASSIGN_NO_CHANNEL:
      return LoadStringById(kStrAssignNoSuchChannel);
    case TRACK_ASSIGN_CHANNEL_FORM:
      return LoadStringById(kStrAssignChannelForm);
    default:
      return nullptr;
  }
}

std::u16string TrackAssignRefusal(int code, int channels) {
  const char16_t* text = TrackAssignMessage(code);
  if (text == nullptr) return {};
  if (code == TRACK_ASSIGN_CHANNELS) return FormatText(text, {static_cast<int64_t>(channels)});
  return text;
}

TRACK_ASSIGN_RESULT CheckTrackAssignment(const MXF_AUDIO_INFO& audio, const WAV_LIBRARY_ENTRY* entry, int slot) {
  if (entry == nullptr) return Refuse(TRACK_ASSIGN_NO_FILE);
  if (!SlotExists(audio, slot)) return Refuse(TRACK_ASSIGN_NO_TRACK);
  const WAV_FORMAT_INFO& f = entry->format;
  // A 16-bit file on a 24-bit MXF file is fine: the rewrap widens it.
  if (audio.bitsPerSample == 16 && f.bitsPerSample == 24) return Refuse(TRACK_ASSIGN_24_ON_16);
  if (f.channels == 2) {
    if (slot % 2 != 0) return Refuse(TRACK_ASSIGN_STEREO_ODD);
    if (!SlotExists(audio, slot + 1)) return Refuse(TRACK_ASSIGN_STEREO_LAST);
  } else if (f.channels != 1) {
    // Which of its channels feed which tracks must be said (AssignChannels).
    return Refuse(TRACK_ASSIGN_CHANNELS, f.channels);
  }
  return TRACK_ASSIGN_RESULT{};
}

uint32_t AssignedSlots(const WAV_LIBRARY_ENTRY* entry, int slot, int count) {
  if (!SlotInRange(slot)) return 0;
  uint32_t mask = 1u << slot;
  if (entry != nullptr && entry->format.channels == 2 && SlotInRange(slot + 1)) mask |= 1u << (slot + 1);
  for (int s = slot + 1; s < slot + count && SlotInRange(s); ++s) mask |= 1u << s;
  return mask;
}

TRACK_ASSIGN_RESULT CheckChannelAssignment(const MXF_AUDIO_INFO& audio, const WAV_LIBRARY_ENTRY* entry, int slot,
                                           int firstChannel, int count) {
  if (entry == nullptr) return Refuse(TRACK_ASSIGN_NO_FILE);
  if (!SlotExists(audio, slot)) return Refuse(TRACK_ASSIGN_NO_TRACK);
  const WAV_FORMAT_INFO& f = entry->format;
  if (audio.bitsPerSample == 16 && f.bitsPerSample == 24) return Refuse(TRACK_ASSIGN_24_ON_16);
  if (!Multichannel(*entry)) return Refuse(TRACK_ASSIGN_CHANNEL_FORM);
  // The first channel named that the file does not have (1-based in the text).
  if (firstChannel < 0 || firstChannel >= f.channels) {
    return RefuseWith(TRACK_ASSIGN_NO_CHANNEL, {static_cast<int64_t>(firstChannel + 1), static_cast<int64_t>(f.channels)});
  }
  if (count < 1 || count > f.channels - firstChannel) {
    const int64_t missing = count < 1 ? firstChannel + 1 : f.channels + 1;
    return RefuseWith(TRACK_ASSIGN_NO_CHANNEL, {missing, static_cast<int64_t>(f.channels)});
  }
  if (!SlotExists(audio, slot + count - 1)) {
    return RefuseWith(TRACK_ASSIGN_PAST_LAST, {static_cast<int64_t>(audio.trackCount)});
  }
  return TRACK_ASSIGN_RESULT{};
}

int ChannelsThatFit(const MXF_AUDIO_INFO& audio, const WAV_LIBRARY_ENTRY* entry, int slot) {
  if (entry == nullptr || !SlotExists(audio, slot)) return 0;
  const int tracks = std::min<int>(audio.trackCount, kTrackSlots);
  return std::min<int>(entry->format.channels, tracks - slot);
}

void RecomputeAssigned(const AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio, WAV_LIBRARY_ENTRY* entry) {
  if (entry == nullptr) return;
  int32_t assigned = 0;
  for (int s = 0; s < kTrackSlots; ++s) {
    if (SlotExists(audio, s) && plan.wavEntry[s] == entry) {
      assigned = 1;
      break;
    }
  }
  entry->assigned.store(assigned);
}

TRACK_ASSIGN_RESULT AssignTrack(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, const MXF_AUDIO_INFO& audio,
                                WAV_LIBRARY_ENTRY* entry, int slot) {
  const TRACK_ASSIGN_RESULT check = CheckTrackAssignment(audio, entry, slot);
  if (check.code != TRACK_ASSIGN_OK) return check;

  if (entry->format.channels == 2) {
    for (int s = slot; s <= slot + 1; ++s) {
      WAV_LIBRARY_ENTRY* old = plan.wavEntry[s];
      if (old != nullptr && old != entry) {
        TakeOut(plan, stereo, s);
        RecomputeAssigned(plan, audio, old);
      }
      plan.wavEntry[s] = entry;
      stereo[s] = 1;
    }
    plan.trackSwitch[slot + 1] = plan.trackSwitch[slot];
  } else {
    PlaceSingle(plan, stereo, audio, entry, slot, 0);
  }
  RecomputeAssigned(plan, audio, entry);
  return TRACK_ASSIGN_RESULT{};
}

TRACK_ASSIGN_RESULT AssignChannels(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, const MXF_AUDIO_INFO& audio,
                                   WAV_LIBRARY_ENTRY* entry, int slot, int firstChannel, int count) {
  const TRACK_ASSIGN_RESULT check = CheckChannelAssignment(audio, entry, slot, firstChannel, count);
  if (check.code != TRACK_ASSIGN_OK) return check;
  for (int i = 0; i < count; ++i) PlaceSingle(plan, stereo, audio, entry, slot + i, firstChannel + i);
  RecomputeAssigned(plan, audio, entry);
  return TRACK_ASSIGN_RESULT{};
}

uint32_t UnassignTrack(AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo, const MXF_AUDIO_INFO& audio, int slot) {
  if (!SlotExists(audio, slot) || plan.wavEntry[slot] == nullptr) return 0;
  uint32_t cleared = 0;
  const int partner = StereoPartner(stereo, slot);
  WAV_LIBRARY_ENTRY* old = TakeOut(plan, stereo, slot);
  cleared |= 1u << slot;
  if (SlotInRange(partner)) {
    if (plan.wavEntry[partner] == old) {
      TakeOut(plan, stereo, partner);
      cleared |= 1u << partner;
    }
    stereo[partner] = 0;
  }
  RecomputeAssigned(plan, audio, old);
  return cleared;
}

int StereoPartner(const TRACK_STEREO_FLAGS& stereo, int slot) {
  if (!SlotInRange(slot) || stereo[slot] == 0) return -1;
  return slot ^ 1;
}

bool ToggleTrackSwitch(AUDIOTRACK_IO_INFO& plan, const TRACK_STEREO_FLAGS& stereo, int slot) {
  if (!SlotInRange(slot) || plan.trackSwitch[slot] == TRACK_ABSENT) return false;
  const uint8_t value = plan.trackSwitch[slot] == TRACK_ON ? TRACK_OFF : TRACK_ON;
  plan.trackSwitch[slot] = value;
  const int partner = StereoPartner(stereo, slot);
  if (partner >= 0 && plan.trackSwitch[partner] != TRACK_ABSENT) plan.trackSwitch[partner] = value;
  return true;
}

bool SetTrackSwitch(AUDIOTRACK_IO_INFO& plan, const TRACK_STEREO_FLAGS& stereo, int slot, bool on) {
  if (!SlotInRange(slot) || plan.trackSwitch[slot] == TRACK_ABSENT) return false;
  const uint8_t value = on ? TRACK_ON : TRACK_OFF;
  plan.trackSwitch[slot] = value;
  const int partner = StereoPartner(stereo, slot);
  if (partner >= 0 && plan.trackSwitch[partner] != TRACK_ABSENT) plan.trackSwitch[partner] = value;
  return true;
}

void ToggleAllTrackSwitches(AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio) {
  if (!SlotExists(audio, 0)) return;
  const uint8_t value = plan.trackSwitch[0] == TRACK_ON ? TRACK_OFF : TRACK_ON;
  for (int s = 0; SlotExists(audio, s); ++s) plan.trackSwitch[s] = value;
}

void ToggleSelectedTrackSwitches(AUDIOTRACK_IO_INFO& plan, const TRACK_STEREO_FLAGS& stereo,
                                 const MXF_AUDIO_INFO& audio, const uint8_t selected[kTrackSlots], int current) {
  if (selected == nullptr || !SlotExists(audio, current)) return;
  const uint8_t former = plan.trackSwitch[current];
  const int currentPartner = StereoPartner(stereo, current);
  if (SlotExists(audio, currentPartner)) plan.trackSwitch[currentPartner] = former;
  for (int s = 0; SlotExists(audio, s); ++s) {
    if (selected[s]) plan.trackSwitch[s] = former;
  }
  bool handled[kTrackSlots] = {};
  for (int s = 0; SlotExists(audio, s); ++s) {
    if (!selected[s] || handled[s]) continue;
    const uint8_t value = plan.trackSwitch[s] == TRACK_OFF ? TRACK_ON : TRACK_OFF;
    plan.trackSwitch[s] = value;
    handled[s] = true;
    const int partner = StereoPartner(stereo, s);
    if (SlotExists(audio, partner)) {
      plan.trackSwitch[partner] = value;
      handled[partner] = true;
    }
  }
}

bool RemoveLibraryEntry(WAV_LIBRARY_ENTRY* head, AUDIOTRACK_IO_INFO& plan, TRACK_STEREO_FLAGS& stereo,
                        WAV_LIBRARY_ENTRY* entry, uint32_t* clearedSlots) {
  if (clearedSlots) *clearedSlots = 0;
  if (head == nullptr || entry == nullptr || entry == head) return false;
  bool inLibrary = false;
  for (const WAV_LIBRARY_ENTRY* e = head->next; e != nullptr; e = e->next) {
    if (e == entry) {
      inLibrary = true;
      break;
    }
  }
  if (!inLibrary) return false;

  // Every slot, existing or not, so that no pointer to the freed entry stays.
  uint32_t cleared = 0;
  for (int s = 0; s < kTrackSlots; ++s) {
    if (plan.wavEntry[s] == entry) {
      TakeOut(plan, stereo, s);
      cleared |= 1u << s;
    }
  }
  if (clearedSlots) *clearedSlots = cleared;
  return WavLibraryRemove(head, entry);
}

std::u16string DeleteAssignedQuestion(const WAV_LIBRARY_ENTRY& entry) {
  return std::u16string(entry.fullPath) + u"\n\nこのファイルはトラックにアサインされています。\n削除してもいいですか？";
}
