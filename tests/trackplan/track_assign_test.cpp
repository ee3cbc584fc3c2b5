// Assigning library files to tracks, the switches, and deleting entries.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "bwf/wav_library.h"
#include "rewrap/track_assign.h"
#include "tests/bwf/wav_test_support.h"

namespace {

using namespace wavtest;

// The plan's slots, switches and stereo flags, for "nothing changed" checks.
struct Snapshot {
  std::array<WAV_LIBRARY_ENTRY*, kTrackSlots> entries{};
  std::array<uint8_t, kTrackSlots> switches{};
  std::array<uint8_t, kTrackSlots> stereo{};
  std::array<uint16_t, kTrackSlots> channels{};
  bool operator==(const Snapshot&) const = default;
};

class TrackAssignTest : public WavDirTest {
 protected:
  void SetUp() override {
    WavDirTest::SetUp();
    InitTrackPlan(plan_);
    SetMxf(8, 24);
    mono16_ = Add("mono16.wav", 1, 16);
    mono16b_ = Add("mono16b.wav", 1, 16);
    mono24_ = Add("mono24.wav", 1, 24);
    stereo16_ = Add("stereo16.wav", 2, 16);
    stereo24_ = Add("stereo24.wav", 2, 24);
  }
  void TearDown() override {
    WavLibraryClear(&head_);
    WavDirTest::TearDown();
  }

  void SetMxf(int tracks, uint32_t bits) {
    audio_.trackCount = static_cast<uint8_t>(tracks);
    audio_.bitsPerSample = bits;
    SetTracksLoaded(plan_, tracks);
  }

  WAV_LIBRARY_ENTRY* Add(const std::string& name, uint16_t channels, uint16_t bits) {
    Fmt f;
    f.channels = channels;
    f.bits = bits;
    EXPECT_EQ(WavLibraryAdd(Write(name, SimpleWav(f, 100)), &head_, &tc25_), WAV_ADD_OK) << name;
    return head_.prev;
  }

  TRACK_ASSIGN_RESULT Assign(WAV_LIBRARY_ENTRY* e, int slot) { return AssignTrack(plan_, stereo_, audio_, e, slot); }

  Snapshot Take() const {
    Snapshot s;
    for (int i = 0; i < kTrackSlots; ++i) {
      s.entries[i] = plan_.wavEntry[i];
      s.switches[i] = plan_.trackSwitch[i];
      s.stereo[i] = stereo_[i];
      s.channels[i] = plan_.wavChannel[i];
    }
    return s;
  }

  void ExpectRefused(const TRACK_ASSIGN_RESULT& r, int code) {
    EXPECT_EQ(r.code, code);
    ASSERT_NE(r.caption, nullptr);
    EXPECT_EQ(std::u16string(r.caption), u"トラックへのアサイン");
    if (code != TRACK_ASSIGN_CHANNELS) {
      EXPECT_EQ(r.message, std::u16string(TrackAssignMessage(code)));
    }
  }

  WAV_LIBRARY_ENTRY head_;
  AUDIOTRACK_IO_INFO plan_;
  TRACK_STEREO_FLAGS stereo_ = {};
  MXF_AUDIO_INFO audio_;
  WAV_LIBRARY_ENTRY *mono16_ = nullptr, *mono16b_ = nullptr, *mono24_ = nullptr;
  WAV_LIBRARY_ENTRY *stereo16_ = nullptr, *stereo24_ = nullptr;
};

TEST_F(TrackAssignTest, MonoGoesToAnyExistingSlot) {
  for (int slot : {0, 3, 7}) {
    const TRACK_ASSIGN_RESULT r = Assign(mono16_, slot);
    EXPECT_EQ(r.code, TRACK_ASSIGN_OK);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(plan_.wavEntry[slot], mono16_);
    EXPECT_EQ(stereo_[slot], 0);
  }
  EXPECT_EQ(mono16_->assigned.load(), 1);
  EXPECT_EQ(mono24_->assigned.load(), 0);
  // Switches are not touched by an assignment.
  for (int s = 0; s < 8; ++s) EXPECT_EQ(plan_.trackSwitch[s], TRACK_OFF);
  ExpectRefused(Assign(mono16_, 8), TRACK_ASSIGN_NO_TRACK);
  ExpectRefused(Assign(mono16_, -1), TRACK_ASSIGN_NO_TRACK);
  ExpectRefused(Assign(nullptr, 0), TRACK_ASSIGN_NO_FILE);
}

TEST_F(TrackAssignTest, StereoFillsAnAlignedPairAndCopiesTheSwitch) {
  plan_.trackSwitch[4] = TRACK_ON;
  ASSERT_EQ(Assign(stereo16_, 4).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(plan_.wavEntry[4], stereo16_);
  EXPECT_EQ(plan_.wavEntry[5], stereo16_);
  EXPECT_EQ(stereo_[4], 1);
  EXPECT_EQ(stereo_[5], 1);
  EXPECT_EQ(plan_.trackSwitch[5], TRACK_ON);
  EXPECT_EQ(stereo16_->assigned.load(), 1);
  EXPECT_EQ(StereoPartner(stereo_, 4), 5);
  EXPECT_EQ(StereoPartner(stereo_, 5), 4);
  EXPECT_EQ(StereoPartner(stereo_, 3), -1);

  // The same file again on slots 0/1 with slot 0 OFF: slot 1 follows.
  plan_.trackSwitch[1] = TRACK_ON;
  ASSERT_EQ(Assign(stereo16_, 0).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(plan_.trackSwitch[1], TRACK_OFF);
  EXPECT_EQ(plan_.wavEntry[4], stereo16_);
}

TEST_F(TrackAssignTest, RefusalsChangeNothing) {
  ASSERT_EQ(Assign(mono16_, 1).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(stereo16_, 2).code, TRACK_ASSIGN_OK);
  const Snapshot before = Take();

  ExpectRefused(Assign(stereo16_, 5), TRACK_ASSIGN_STEREO_ODD);
  EXPECT_EQ(std::u16string(TrackAssignMessage(TRACK_ASSIGN_STEREO_ODD)),
            u"ステレオファイルを、偶数トラックに割当てることはできません。");
  ExpectRefused(Assign(stereo16_, 1), TRACK_ASSIGN_STEREO_ODD);

  // The last slot of a file with an odd track count has no partner.
  SetMxf(7, 24);
  for (int s = 0; s < kTrackSlots; ++s) plan_.trackSwitch[s] = before.switches[s];
  ExpectRefused(Assign(stereo16_, 6), TRACK_ASSIGN_STEREO_LAST);

  // 24-bit files on a 16-bit MXF file, mono or stereo; the bit check comes
  // before the slot checks.
  SetMxf(8, 16);
  for (int s = 0; s < kTrackSlots; ++s) plan_.trackSwitch[s] = before.switches[s];
  ExpectRefused(Assign(mono24_, 0), TRACK_ASSIGN_24_ON_16);
  ExpectRefused(Assign(stereo24_, 4), TRACK_ASSIGN_24_ON_16);
  ExpectRefused(Assign(stereo24_, 3), TRACK_ASSIGN_24_ON_16);

  // A file of more than two channels without its channels named.
  Fmt quad;
  quad.channels = 4;
  ASSERT_EQ(WavLibraryAdd(Write("quad.wav", SimpleWav(quad, 10)), &head_, &tc25_), WAV_ADD_OK);
  const TRACK_ASSIGN_RESULT refused = Assign(head_.prev, 0);
  ExpectRefused(refused, TRACK_ASSIGN_CHANNELS);
  // The same text in the desktop application and the command-line tool,
  // naming the file's channel count.
  EXPECT_EQ(refused.message, u"4チャンネルのファイルは、どのチャンネルをどのトラックに割当てるかを指定してください。");

  EXPECT_EQ(Take(), before);
  EXPECT_EQ(mono24_->assigned.load(), 0);
  EXPECT_EQ(stereo24_->assigned.load(), 0);
  for (int code = TRACK_ASSIGN_NO_FILE; code <= TRACK_ASSIGN_CHANNEL_FORM; ++code) {
    ASSERT_NE(TrackAssignMessage(code), nullptr) << code;
    EXPECT_FALSE(std::u16string(TrackAssignMessage(code)).empty());
  }
  EXPECT_EQ(TrackAssignMessage(TRACK_ASSIGN_OK), nullptr);
}

// Files of three or more channels: channel c + i into slot s + i, each slot
// replaced as by a mono file; every refusal leaves the plan as it was.
TEST_F(TrackAssignTest, MultichannelFilesFeedConsecutiveTracksOrOneChannel) {
  WAV_LIBRARY_ENTRY* poly8 = Add("poly8.wav", 8, 24);
  WAV_LIBRARY_ENTRY* poly4 = Add("poly4.wav", 4, 16);
  ASSERT_EQ(Assign(stereo16_, 2).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(AssignChannels(plan_, stereo_, audio_, poly8, 0, 0, 3).code, TRACK_ASSIGN_OK);
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(plan_.wavEntry[s], poly8);
    EXPECT_EQ(plan_.wavChannel[s], s);
    EXPECT_EQ(stereo_[s], 0);
  }
  // Slot 2 was half of the stereo pair 2/3: both halves left it.
  EXPECT_EQ(plan_.wavEntry[3], nullptr);
  EXPECT_EQ(stereo_[3], 0);
  EXPECT_EQ(stereo16_->assigned.load(), 0);
  EXPECT_EQ(poly8->assigned.load(), 1);
  for (int s = 0; s < 8; ++s) EXPECT_EQ(plan_.trackSwitch[s], TRACK_OFF);

  // One chosen channel; a mono file over one of its slots leaves the others.
  ASSERT_EQ(AssignChannels(plan_, stereo_, audio_, poly4, 7, 2, 1).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(plan_.wavChannel[7], 2);
  ASSERT_EQ(Assign(mono16_, 1).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(plan_.wavChannel[1], 0);
  EXPECT_EQ(plan_.wavEntry[2], poly8);
  EXPECT_EQ(plan_.wavChannel[2], 2);
  EXPECT_EQ(AssignedSlots(poly8, 2, 3), 0x1Cu);
  EXPECT_EQ(ChannelsThatFit(audio_, poly8, 3), 5);
  EXPECT_EQ(ChannelsThatFit(audio_, poly4, 1), 4);
  EXPECT_EQ(ChannelsThatFit(audio_, poly4, 8), 0);

  const Snapshot before = Take();
  struct Case {
    WAV_LIBRARY_ENTRY* entry;
    int slot, first, count, code;
    const char16_t* message;  // null: the code's own text
  } cases[] = {
      {poly8, 4, 0, 5, TRACK_ASSIGN_PAST_LAST, u"割当てるチャンネルが最後のトラック(トラック8)を越えます。"},
      {poly4, 0, 2, 3, TRACK_ASSIGN_NO_CHANNEL, u"このファイルにチャンネル5はありません(4チャンネルのファイルです)。"},
      {poly4, 0, 4, 1, TRACK_ASSIGN_NO_CHANNEL, u"このファイルにチャンネル5はありません(4チャンネルのファイルです)。"},
      {poly4, 0, -1, 1, TRACK_ASSIGN_NO_CHANNEL, u"このファイルにチャンネル0はありません(4チャンネルのファイルです)。"},
      {poly4, 0, 0, 0, TRACK_ASSIGN_NO_CHANNEL, nullptr},
      {mono16_, 0, 0, 1, TRACK_ASSIGN_CHANNEL_FORM, nullptr},
      {stereo16_, 0, 0, 2, TRACK_ASSIGN_CHANNEL_FORM, nullptr},
      {poly8, 8, 0, 1, TRACK_ASSIGN_NO_TRACK, nullptr},
      {nullptr, 0, 0, 1, TRACK_ASSIGN_NO_FILE, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "slot " << c.slot << " first " << c.first << " count " << c.count);
    const TRACK_ASSIGN_RESULT r = AssignChannels(plan_, stereo_, audio_, c.entry, c.slot, c.first, c.count);
    EXPECT_EQ(r.code, c.code);
    if (c.message != nullptr) EXPECT_EQ(r.message, c.message);
    EXPECT_FALSE(r.message.empty());
  }
  SetMxf(8, 16);
  for (int s = 0; s < kTrackSlots; ++s) plan_.trackSwitch[s] = before.switches[s];
  EXPECT_EQ(AssignChannels(plan_, stereo_, audio_, poly8, 0, 0, 1).code, TRACK_ASSIGN_24_ON_16);
  EXPECT_EQ(Take(), before);
}

TEST_F(TrackAssignTest, BitDepthsAllowedOnEachMxf) {
  EXPECT_EQ(Assign(mono16_, 0).code, TRACK_ASSIGN_OK);  // 16 on 24: widened by the rewrap
  EXPECT_EQ(Assign(mono24_, 1).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(Assign(stereo24_, 2).code, TRACK_ASSIGN_OK);
  SetMxf(8, 16);
  EXPECT_EQ(Assign(mono16_, 4).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(Assign(stereo16_, 6).code, TRACK_ASSIGN_OK);
  const TRACK_ASSIGN_RESULT check = CheckTrackAssignment(audio_, mono24_, 0);
  EXPECT_EQ(check.code, TRACK_ASSIGN_24_ON_16);
}

TEST_F(TrackAssignTest, MonoOnHalfOfAStereoPairClearsBothHalves) {
  ASSERT_EQ(Assign(stereo16_, 4).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(mono16_, 5).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(plan_.wavEntry[4], nullptr);
  EXPECT_EQ(plan_.wavEntry[5], mono16_);
  EXPECT_EQ(stereo_[4], 0);
  EXPECT_EQ(stereo_[5], 0);
  EXPECT_EQ(stereo16_->assigned.load(), 0);

  // The same from the first half; a stereo file still on another pair stays
  // assigned.
  ASSERT_EQ(Assign(stereo16_, 0).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(stereo16_, 2).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(mono16b_, 2).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(plan_.wavEntry[2], mono16b_);
  EXPECT_EQ(plan_.wavEntry[3], nullptr);
  EXPECT_EQ(stereo_[3], 0);
  EXPECT_EQ(plan_.wavEntry[0], stereo16_);
  EXPECT_EQ(stereo_[1], 1);
  EXPECT_EQ(stereo16_->assigned.load(), 1);
}

TEST_F(TrackAssignTest, ReplacingKeepsEveryAssignedFlagTrue) {
  ASSERT_EQ(Assign(mono16_, 0).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(mono16_, 3).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(mono16b_, 2).code, TRACK_ASSIGN_OK);

  // A stereo pair over a mono file that is also elsewhere, and one that is not.
  ASSERT_EQ(Assign(stereo16_, 2).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(mono16_->assigned.load(), 1);   // still on slot 0
  EXPECT_EQ(mono16b_->assigned.load(), 0);  // gone
  EXPECT_EQ(plan_.wavEntry[3], stereo16_);

  // A stereo pair over another stereo pair.
  ASSERT_EQ(Assign(stereo24_, 2).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(stereo16_->assigned.load(), 0);
  EXPECT_EQ(plan_.wavEntry[2], stereo24_);
  EXPECT_EQ(plan_.wavEntry[3], stereo24_);

  // A mono file over a mono file.
  ASSERT_EQ(Assign(mono24_, 0).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(mono16_->assigned.load(), 0);
  // Reassigning a file to the slot it already holds keeps it assigned.
  ASSERT_EQ(Assign(mono24_, 0).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(mono24_->assigned.load(), 1);
  ASSERT_EQ(Assign(stereo24_, 2).code, TRACK_ASSIGN_OK);
  EXPECT_EQ(stereo24_->assigned.load(), 1);
}

TEST_F(TrackAssignTest, UnassignClearsSlotsButNotSwitches) {
  ASSERT_EQ(Assign(stereo16_, 4).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(mono16_, 1).code, TRACK_ASSIGN_OK);
  plan_.trackSwitch[4] = plan_.trackSwitch[5] = TRACK_ON;

  EXPECT_EQ(UnassignTrack(plan_, stereo_, audio_, 5), 0x30u);
  EXPECT_EQ(plan_.wavEntry[4], nullptr);
  EXPECT_EQ(plan_.wavEntry[5], nullptr);
  EXPECT_EQ(stereo_[4], 0);
  EXPECT_EQ(stereo_[5], 0);
  EXPECT_EQ(plan_.trackSwitch[4], TRACK_ON);
  EXPECT_EQ(stereo16_->assigned.load(), 0);
  EXPECT_EQ(head_.count.load(), 5);  // the file stays in the library

  EXPECT_EQ(UnassignTrack(plan_, stereo_, audio_, 1), 0x2u);
  EXPECT_EQ(mono16_->assigned.load(), 0);
  EXPECT_EQ(UnassignTrack(plan_, stereo_, audio_, 1), 0u);
  EXPECT_EQ(UnassignTrack(plan_, stereo_, audio_, 9), 0u);
}

TEST_F(TrackAssignTest, SwitchClicksMoveStereoPairsTogether) {
  ASSERT_EQ(Assign(stereo16_, 2).code, TRACK_ASSIGN_OK);
  EXPECT_TRUE(ToggleTrackSwitch(plan_, stereo_, 3));
  EXPECT_EQ(plan_.trackSwitch[2], TRACK_ON);
  EXPECT_EQ(plan_.trackSwitch[3], TRACK_ON);
  EXPECT_TRUE(ToggleTrackSwitch(plan_, stereo_, 2));
  EXPECT_EQ(plan_.trackSwitch[2], TRACK_OFF);
  EXPECT_EQ(plan_.trackSwitch[3], TRACK_OFF);
  EXPECT_TRUE(ToggleTrackSwitch(plan_, stereo_, 0));
  EXPECT_EQ(plan_.trackSwitch[0], TRACK_ON);
  EXPECT_EQ(plan_.trackSwitch[1], TRACK_OFF);
  EXPECT_FALSE(ToggleTrackSwitch(plan_, stereo_, 8));  // no such track
  EXPECT_EQ(plan_.trackSwitch[8], TRACK_ABSENT);

  EXPECT_TRUE(SetTrackSwitch(plan_, stereo_, 3, true));
  EXPECT_EQ(plan_.trackSwitch[2], TRACK_ON);
  EXPECT_TRUE(SetTrackSwitch(plan_, stereo_, 3, true));
  EXPECT_EQ(plan_.trackSwitch[3], TRACK_ON);
  EXPECT_FALSE(SetTrackSwitch(plan_, stereo_, 12, true));
  EXPECT_EQ(plan_.trackSwitch[12], TRACK_ABSENT);
}

TEST_F(TrackAssignTest, AllAndSelectedSwitchCommands) {
  // All tracks: ON unless the first track is ON.
  plan_.trackSwitch[3] = TRACK_ON;
  ToggleAllTrackSwitches(plan_, audio_);
  for (int s = 0; s < kTrackSlots; ++s) EXPECT_EQ(plan_.trackSwitch[s], s < 8 ? TRACK_ON : TRACK_ABSENT) << s;
  plan_.trackSwitch[5] = TRACK_OFF;
  ToggleAllTrackSwitches(plan_, audio_);
  for (int s = 0; s < 8; ++s) EXPECT_EQ(plan_.trackSwitch[s], TRACK_OFF) << s;

  // Selected tracks end opposite to the current track's former state, with
  // their stereo partners; others keep theirs.
  ASSERT_EQ(Assign(stereo16_, 4).code, TRACK_ASSIGN_OK);
  const uint8_t start[8] = {1, 0, 0, 1, 1, 1, 0, 1};
  for (int s = 0; s < 8; ++s) plan_.trackSwitch[s] = start[s];
  uint8_t selected[kTrackSlots] = {};
  selected[0] = selected[2] = selected[4] = 1;
  ToggleSelectedTrackSwitches(plan_, stereo_, audio_, selected, 0);
  const uint8_t afterOn[8] = {0, 0, 0, 1, 0, 0, 0, 1};
  for (int s = 0; s < 8; ++s) EXPECT_EQ(plan_.trackSwitch[s], afterOn[s]) << s;

  // Current track OFF and not itself selected; the pair is selected twice.
  selected[0] = 0;
  selected[5] = 1;
  plan_.trackSwitch[6] = TRACK_OFF;
  ToggleSelectedTrackSwitches(plan_, stereo_, audio_, selected, 6);
  const uint8_t afterOff[8] = {0, 0, 1, 1, 1, 1, 0, 1};
  for (int s = 0; s < 8; ++s) EXPECT_EQ(plan_.trackSwitch[s], afterOff[s]) << s;

  // The current track's partner takes the current track's state first.
  uint8_t none[kTrackSlots] = {};
  plan_.trackSwitch[4] = TRACK_OFF;  // a broken pair: 4 OFF, 5 ON
  ToggleSelectedTrackSwitches(plan_, stereo_, audio_, none, 4);
  EXPECT_EQ(plan_.trackSwitch[5], TRACK_OFF);
}

TEST_F(TrackAssignTest, DeletingAnAssignedEntryClearsItsSlots) {
  ASSERT_EQ(Assign(stereo16_, 2).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(stereo16_, 6).code, TRACK_ASSIGN_OK);
  ASSERT_EQ(Assign(mono16_, 0).code, TRACK_ASSIGN_OK);
  plan_.trackSwitch[2] = plan_.trackSwitch[3] = TRACK_ON;
  const std::u16string question = DeleteAssignedQuestion(*stereo16_);
  EXPECT_EQ(question, std::u16string(stereo16_->fullPath) +
                          u"\n\nこのファイルはトラックにアサインされています。\n削除してもいいですか？");

  uint32_t cleared = 0;
  ASSERT_TRUE(RemoveLibraryEntry(&head_, plan_, stereo_, stereo16_, &cleared));
  stereo16_ = nullptr;
  EXPECT_EQ(cleared, 0xCCu);
  for (int s : {2, 3, 6, 7}) {
    EXPECT_EQ(plan_.wavEntry[s], nullptr) << s;
    EXPECT_EQ(stereo_[s], 0) << s;
  }
  EXPECT_EQ(plan_.trackSwitch[2], TRACK_ON);  // the track now gets silence
  EXPECT_EQ(plan_.wavEntry[0], mono16_);
  EXPECT_EQ(head_.count.load(), 4);
  std::vector<WAV_LIBRARY_ENTRY*> view;
  ASSERT_TRUE(WavLibraryIndex(&head_, view));
  EXPECT_EQ(view.size(), 4u);

  // An unassigned entry goes the same way; an entry of no library is refused.
  ASSERT_TRUE(RemoveLibraryEntry(&head_, plan_, stereo_, mono24_, &cleared));
  EXPECT_EQ(cleared, 0u);
  WAV_LIBRARY_ENTRY stray;
  const Snapshot before = Take();
  EXPECT_FALSE(RemoveLibraryEntry(&head_, plan_, stereo_, &stray, &cleared));
  EXPECT_FALSE(RemoveLibraryEntry(&head_, plan_, stereo_, &head_, &cleared));
  EXPECT_EQ(Take(), before);
  EXPECT_EQ(head_.count.load(), 3);
}

}  // namespace
