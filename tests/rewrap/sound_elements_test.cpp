// Sound element location and the check made before any write.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/sound_elements.h"
#include "tests/rewrap/rewrap_fixture.h"

namespace rewrap_test {
namespace {

// A 24-byte header: key of the given element type, then a length.
std::vector<uint8_t> Header(uint8_t elementType, const std::vector<uint8_t>& length) {
  static constexpr uint8_t kKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                       0x0D, 0x01, 0x03, 0x01, 0x16, 0x08, 0x00, 0x03};
  std::vector<uint8_t> h(32, 0xAA);
  for (size_t i = 0; i < 16; ++i) h[i] = kKey[i];
  h[14] = elementType;
  for (size_t i = 0; i < length.size(); ++i) h[16 + i] = length[i];
  return h;
}

TEST(SoundElementHeader, KeysLengthFormsAndBounds) {
  SOUND_ELEMENT el;
  // AES3 and BWF element keys, 4-byte length: value 20 bytes after the key.
  for (uint8_t type : {uint8_t{0x03}, uint8_t{0x01}}) {
    const auto h = Header(type, {0x83, 0x00, 0x12, 0xC6});  // 4806 = 1602 x 3
    ASSERT_EQ(CheckSoundElementHeader(h.data(), h.size(), 1000, 1000 + 20 + 4806, 4806, &el), SOUND_CHECK_OK);
    EXPECT_EQ(el.keyOffset, 1000u);
    EXPECT_EQ(el.valueOffset, 1020u);
    EXPECT_EQ(el.valueBytes, 4806u);
  }
  // 8-byte length: the value starts 24 bytes after the key.
  const auto h87 = Header(0x03, {0x87, 0, 0, 0, 0, 0, 0x12, 0xC6});
  ASSERT_EQ(CheckSoundElementHeader(h87.data(), h87.size(), 0, 24 + 4806, 4806, &el), SOUND_CHECK_OK);
  EXPECT_EQ(el.valueOffset, 24u);

  const auto ok = Header(0x03, {0x83, 0x00, 0x12, 0xC6});
  EXPECT_EQ(CheckSoundElementHeader(ok.data(), ok.size(), 0, 20 + 4805, 4806, &el), SOUND_CHECK_OUTSIDE_FILE);
  EXPECT_EQ(CheckSoundElementHeader(ok.data(), ok.size(), 0, 1 << 20, 4807, &el), SOUND_CHECK_LENGTH);
  EXPECT_EQ(CheckSoundElementHeader(ok.data(), 19, 0, 1 << 20, 4806, &el), SOUND_CHECK_UNREADABLE);
  const auto ber2 = Header(0x03, {0x82, 0x12, 0xC6});
  EXPECT_EQ(CheckSoundElementHeader(ber2.data(), ber2.size(), 0, 1 << 20, 4806, &el), SOUND_CHECK_LENGTH_FORM);
  const auto picture = Header(0x05, {0x83, 0x00, 0x12, 0xC6});  // not a sound element type
  EXPECT_EQ(CheckSoundElementHeader(picture.data(), picture.size(), 0, 1 << 20, 4806, &el), SOUND_CHECK_KEY);
  auto systemItem = ok;
  systemItem[12] = 0x04;  // item type: system item
  EXPECT_EQ(CheckSoundElementHeader(systemItem.data(), systemItem.size(), 0, 1 << 20, 4806, &el), SOUND_CHECK_KEY);
}

TEST(SoundElementHeader, RatesWithSampleCycles) {
  for (int32_t c : {FRC_24, FRC_25, FRC_30, FRC_60, FRC_23_98, FRC_29_97, FRC_59_94}) {
    EXPECT_TRUE(FrameRateHasSampleCycle(c)) << c;
  }
  for (int32_t c : {int32_t{FRC_25_1001}, int32_t{FRC_UNSUPPORTED}, int32_t{-1}, int32_t{9}}) EXPECT_FALSE(FrameRateHasSampleCycle(c)) << c;
}

// The element positions and sizes the analysed index gives agree with what
// mxfgen wrote, with one sound element, several, and ancillary data.
TEST(SoundElementLocation, AgreesWithTheWrittenFile) {
  for (int tracks : {1, 8}) {
    for (bool anc : {false, true}) {
      SCOPED_TRACE(std::to_string(tracks) + (anc ? " tracks, ancillary" : " tracks"));
      RewrapCase c;
      mxfgen::Options o = SmallClip(12, tracks);
      o.ancillary = anc;
      ASSERT_TRUE(c.Make(o));
      plat::File f = plat::File::Open(plat::Utf8ToUtf16(c.path), plat::Access::Read, plat::Share::Shared);
      const auto& entries = c.state.indexEntries;
      EXPECT_EQ(SoundElementSize(f, c.layout.fileSize, entries[0]), c.layout.soundElementSize);
      std::vector<int> slots;
      for (int s = 0; s < tracks; ++s) slots.push_back(s);
      std::vector<uint8_t> scratch;
      SOUND_ELEMENT found[kTrackSlots];
      for (size_t k = 0; k < entries.size(); ++k) {
        ASSERT_EQ(ReadFrameSoundElements(f, c.layout.fileSize, entries[k], c.state.audio.blockAlign, slots.data(),
                                         tracks, scratch, found),
                  SOUND_CHECK_OK);
        for (int s = 0; s < tracks; ++s) {
          EXPECT_EQ(found[s].valueOffset, c.layout.Sound(static_cast<int64_t>(k), s).valueOffset);
          EXPECT_EQ(found[s].valueBytes, c.layout.Sound(static_cast<int64_t>(k), s).valueSize);
        }
        if (k + 1 < entries.size()) {
          EXPECT_EQ(entries[k].streamOffset + EditUnitSize(entries[k], c.state.base, c.layout.soundElementSize),
                    entries[k + 1].streamOffset);
        }
      }
      // A slot past the sound elements is either not indexed or, with
      // ancillary data, the ancillary element: neither is written.
      const int beyond = tracks;
      EXPECT_EQ(ReadFrameSoundElements(f, c.layout.fileSize, entries[0], c.state.audio.blockAlign, &beyond, 1,
                                       scratch, found),
                anc ? SOUND_CHECK_KEY : SOUND_CHECK_NOT_INDEXED);
    }
  }
}

}  // namespace
}  // namespace rewrap_test
