#include "engine/sound_elements.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "platform/file.h"
#include "timecode/timecode.h"

namespace {

constexpr uint8_t kSoundKeyPrefix[12] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01, 0x0D, 0x01, 0x03, 0x01};
constexpr uint8_t kSoundItemType = 0x16;  // GC sound item
// 24 elements of a frame of 40 ms at 24 bits are about 0.1 MB; an index
// that spreads one frame's sound elements wider than this is not believed.
constexpr uint64_t kMaxSoundSliceBytes = uint64_t{64} << 20;
constexpr uint8_t kAes3ElementType = 0x03;
constexpr uint8_t kBwfElementType = 0x01;

// KLV fill key; byte 7 (the version) varies between writers.
constexpr uint8_t kFillKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x00,
                                  0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};

bool IsFillKey(const uint8_t* key) {
  for (int i = 0; i < 16; ++i) {
    if (i != 7 && key[i] != kFillKey[i]) return false;
  }
  return true;
}

// A BER long-form length of 4 or 8 bytes at p (avail bytes). Gives the
// length field's size (4 or 8), 0 for any other form, -1 when the bytes are
// not all there.
int ReadBerLength(const uint8_t* p, size_t avail, uint64_t* length) {
  if (avail < 1) return -1;
  if (p[0] == 0x83) {
    if (avail < 4) return -1;
    *length = ReadBE24(p + 1);
    return 4;
  }
  if (p[0] == 0x87) {
    if (avail < 8) return -1;
    uint64_t v = 0;
    for (int i = 1; i < 8; ++i) v = (v << 8) | p[i];
    *length = v;
    return 8;
  }
  return 0;
}

}  // namespace

bool FrameRateHasSampleCycle(int32_t frameRateClass) {
  return frameRateClass >= 0 && frameRateClass < kFrameRateClassCount && frameRateClass != FRC_25_1001;
}

bool SoundElementIndexed(const INDEX_ENTRY_ARRAY& e, int slot) {
  if (slot < 0) return false;
  const uint32_t j = static_cast<uint32_t>(slot) + kFirstSoundDelta;
  return j < e.deltaCount && j < static_cast<uint32_t>(kMaxDeltaEntries);
}

uint64_t SoundElementOffset(const INDEX_ENTRY_ARRAY& e, int slot) {
  return e.streamOffset + e.sliceOffset + e.deltas[slot + kFirstSoundDelta].elementDelta;
}

bool IsSoundElementKey(const uint8_t key[16]) {
  if (std::memcmp(key, kSoundKeyPrefix, sizeof kSoundKeyPrefix) != 0) return false;
  if (key[12] != kSoundItemType) return false;
  return key[14] == kAes3ElementType || key[14] == kBwfElementType;
}

int CheckSoundElementHeader(const uint8_t* bytes, size_t available, uint64_t keyOffset, uint64_t fileSize,
                            uint64_t expectedValueBytes, SOUND_ELEMENT* out) {
  if (bytes == nullptr || available < 17) return SOUND_CHECK_UNREADABLE;
  if (!IsSoundElementKey(bytes)) return SOUND_CHECK_KEY;
  uint64_t length = 0;
  const int form = ReadBerLength(bytes + 16, available - 16, &length);
  if (form == 0) return SOUND_CHECK_LENGTH_FORM;
  if (form < 0) return SOUND_CHECK_UNREADABLE;
  if (length != expectedValueBytes) return SOUND_CHECK_LENGTH;
  const uint64_t valueOffset = keyOffset + 16 + static_cast<uint64_t>(form);
  if (valueOffset < keyOffset || valueOffset > fileSize || fileSize - valueOffset < length) {
    return SOUND_CHECK_OUTSIDE_FILE;
  }
  if (out != nullptr) {
    out->keyOffset = keyOffset;
    out->valueOffset = valueOffset;
    out->valueBytes = length;
  }
  return SOUND_CHECK_OK;
}

FILE_RANGE SoundHeaderRange(const INDEX_ENTRY_ARRAY& e, const int* slots, int count, uint64_t fileSize) {
  FILE_RANGE r;
  bool any = false;
  uint64_t lo = 0;
  uint64_t hi = 0;
  for (int i = 0; i < count; ++i) {
    if (!SoundElementIndexed(e, slots[i])) continue;
    const uint64_t at = SoundElementOffset(e, slots[i]);
    if (!any || at < lo) lo = at;
    if (!any || at > hi) hi = at;
    any = true;
  }
  if (!any || lo >= fileSize) return r;
  r.begin = lo;
  r.end = std::min(fileSize, hi + kSoundHeaderMaxBytes);
  return r;
}

int CheckFrameSoundElements(const INDEX_ENTRY_ARRAY& e, uint32_t blockAlign, const int* slots, int count,
                            const uint8_t* bytes, uint64_t bytesOffset, size_t size, uint64_t fileSize,
                            SOUND_ELEMENT* out, int* badIndex) {
  const uint64_t expected = SoundValueBytes(e, blockAlign);
  SOUND_ELEMENT local[kMaxDeltaEntries];
  if (out == nullptr && count <= kMaxDeltaEntries) out = local;
  for (int i = 0; i < count; ++i) {
    int r = SOUND_CHECK_OK;
    if (!SoundElementIndexed(e, slots[i])) {
      r = SOUND_CHECK_NOT_INDEXED;
    } else {
      const uint64_t at = SoundElementOffset(e, slots[i]);
      if (bytes == nullptr || at < bytesOffset || at - bytesOffset >= size) {
        r = SOUND_CHECK_UNREADABLE;
      } else {
        const size_t rel = static_cast<size_t>(at - bytesOffset);
        r = CheckSoundElementHeader(bytes + rel, size - rel, at, fileSize, expected,
                                    out != nullptr ? &out[i] : nullptr);
      }
    }
    // Two slots whose index entries point into the same element would write
    // one track's samples over another's.
    for (int k = 0; r == SOUND_CHECK_OK && out != nullptr && k < i; ++k) {
      if (out[k].keyOffset < out[i].valueOffset + out[i].valueBytes &&
          out[i].keyOffset < out[k].valueOffset + out[k].valueBytes) {
        r = SOUND_CHECK_OVERLAP;
      }
    }
    if (r != SOUND_CHECK_OK) {
      if (badIndex != nullptr) *badIndex = i;
      return r;
    }
  }
  return SOUND_CHECK_OK;
}

int ReadFrameSoundElements(const plat::File& file, uint64_t fileSize, const INDEX_ENTRY_ARRAY& e,
                           uint32_t blockAlign, const int* slots, int count, std::vector<uint8_t>& scratch,
                           SOUND_ELEMENT* out, int* badIndex) {
  const FILE_RANGE range = SoundHeaderRange(e, slots, count, fileSize);
  const uint64_t want = range.end - range.begin;
  size_t got = 0;
  if (want > 0) {
    if (want > kMaxSoundSliceBytes) {  // no frame's sound slice is that large
      if (badIndex != nullptr) *badIndex = 0;
      return SOUND_CHECK_UNREADABLE;
    }
    if (scratch.size() < want) scratch.resize(static_cast<size_t>(want));
    const int64_t r = file.ReadAt(range.begin, scratch.data(), static_cast<size_t>(want));
    if (r < 0 || static_cast<uint64_t>(r) != want) {
      if (badIndex != nullptr) *badIndex = 0;
      return SOUND_CHECK_UNREADABLE;
    }
    got = static_cast<size_t>(want);
  }
  return CheckFrameSoundElements(e, blockAlign, slots, count, got ? scratch.data() : nullptr, range.begin, got,
                                 fileSize, out, badIndex);
}

uint64_t SoundElementSize(const plat::File& file, uint64_t fileSize, const INDEX_ENTRY_ARRAY& first) {
  if (!SoundElementIndexed(first, 0)) return 0;
  const DELTA_ENTRY& d0 = first.deltas[kFirstSoundDelta];
  if (SoundElementIndexed(first, 1)) {
    const DELTA_ENTRY& d1 = first.deltas[kFirstSoundDelta + 1];
    if (d1.slice == d0.slice && d1.elementDelta > d0.elementDelta) return d1.elementDelta - d0.elementDelta;
  }
  // A single sound element: measure it where it stands.
  const uint64_t at = SoundElementOffset(first, 0);
  uint8_t head[kSoundHeaderMaxBytes] = {};
  if (at >= fileSize) return 0;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof head, fileSize - at));
  if (file.ReadAt(at, head, want) != static_cast<int64_t>(want)) return 0;
  if (want < 17 || !IsSoundElementKey(head)) return 0;
  uint64_t length = 0;
  const int form = ReadBerLength(head + 16, want - 16, &length);
  if (form <= 0) return 0;
  uint64_t size = 16 + static_cast<uint64_t>(form) + length;
  // A fill item right after the value belongs to the element's slot.
  const uint64_t next = at + size;
  if (next < fileSize && next > at) {
    uint8_t fill[kSoundHeaderMaxBytes] = {};
    const size_t n = static_cast<size_t>(std::min<uint64_t>(sizeof fill, fileSize - next));
    if (n >= 17 && file.ReadAt(next, fill, n) == static_cast<int64_t>(n) && IsFillKey(fill)) {
      uint64_t fillLength = 0;
      const int fillForm = ReadBerLength(fill + 16, n - 16, &fillLength);
      if (fillForm > 0 && fillLength < fileSize) size += 16 + static_cast<uint64_t>(fillForm) + fillLength;
    }
  }
  return size;
}

uint64_t EditUnitSize(const INDEX_ENTRY_ARRAY& e, const MXF_BASE_INFO& base, uint64_t soundElementSize) {
  const uint32_t last = e.deltaCount == 0 ? 0 : std::min<uint32_t>(e.deltaCount, kMaxDeltaEntries) - 1;
  const uint64_t lastSize = base.hasAncillaryData == 1 ? base.dataElementSize : soundElementSize;
  return static_cast<uint64_t>(e.sliceOffset) + e.deltas[last].elementDelta + lastSize;
}
