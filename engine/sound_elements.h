// Sound elements of the loaded file's frames: where each track's element of
// a frame lies, how many sample bytes its value holds, and the check that
// the bytes found there really are that element before anything is written
// into it (rewrap) or taken from it (export).
//
// Layout of a frame (one INDEX_ENTRY_ARRAY element): the content package
// starts at streamOffset; the frame-wrapped sound elements start a new
// slice at sliceOffset, and track slot s (0-based, MXF audio track s + 1) is
// delta entry s + 2, so its KLV starts at
//     streamOffset + sliceOffset + deltas[s + 2].elementDelta.
// The key is a frame-wrapped sound element key (AES3 or BWF), the length is
// BER long form of 4 bytes (83 xx xx xx) or 8 bytes (87 ...), and the value
// is the bare little-endian PCM of one channel: blockAlign x audioSamples
// bytes (blockAlign of MXF_AUDIO_INFO, audioSamples of the frame's entry).
//
// The index alone is never trusted with a write. Before the first byte of a
// job is written, an engine checks every element it is going to touch, in
// every frame of the range:
//   - file I/O: per frame, read SoundHeaderRange() with one read and pass it
//     to CheckFrameSoundElements() (ReadFrameSoundElements() does both);
//   - mapping: pass the mapped bytes of the frame to CheckFrameSoundElements().
// The SOUND_ELEMENT results give the value's offset (20 or 24 bytes after
// the key, by the length form) and size; write or read there and nowhere
// else. Any result other than SOUND_CHECK_OK refuses the job (code base+14
// of the engine's row) with nothing written.
//
// Usage for one frame `e` and the slots an engine touches:
//     int slots[24]; int n = ...;                        // ascending or not
//     SOUND_ELEMENT el[24];
//     std::vector<uint8_t> scratch;                      // reused per frame
//     int r = ReadFrameSoundElements(file, fileSize, e, audio.blockAlign,
//                                    slots, n, scratch, el);
//     if (r != SOUND_CHECK_OK) return base + 14;
//     ... file.WriteAt(el[i].valueOffset, samples, el[i].valueBytes) ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/mxf_records.h"

namespace plat {
class File;
}

// Delta entry of the first sound element (track slot 0).
inline constexpr int kFirstSoundDelta = 2;
// Key plus the longest length field this program reads (87 + 7 bytes).
inline constexpr uint32_t kSoundHeaderMaxBytes = 24;

// True for the frame-rate classes that have a 48 kHz sample cycle (24, 25,
// 30, 60, 23.98, 29.97, 59.94). 25000/1001 and anything above 7 have none:
// the engines refuse them with their frame-rate failure.
bool FrameRateHasSampleCycle(int32_t frameRateClass);

// True when frame `e` has a delta entry for track slot `slot`.
bool SoundElementIndexed(const INDEX_ENTRY_ARRAY& e, int slot);

// File offset of the key of slot `slot`'s element in frame `e` (as the index
// says; nothing is read). The slot must be indexed.
uint64_t SoundElementOffset(const INDEX_ENTRY_ARRAY& e, int slot);

// Bytes of one track's samples in frame `e` at the MXF file's block align.
inline uint64_t SoundValueBytes(const INDEX_ENTRY_ARRAY& e, uint32_t blockAlign) {
  return static_cast<uint64_t>(blockAlign) * e.audioSamples;
}

// True for a frame-wrapped sound element key:
// 06 0E 2B 34 01 02 01 01 0D 01 03 01 16 xx 03 xx (AES3) or ... 16 xx 01 xx (BWF).
bool IsSoundElementKey(const uint8_t key[16]);

enum SOUND_CHECK : int {
  SOUND_CHECK_OK = 0,
  SOUND_CHECK_NOT_INDEXED = 1,   // the frame has no delta entry for the slot
  SOUND_CHECK_UNREADABLE = 2,    // the header bytes are not all there (past the end, read failed)
  SOUND_CHECK_KEY = 3,           // not a sound element key
  SOUND_CHECK_LENGTH_FORM = 4,   // length neither 83 nor 87 form
  SOUND_CHECK_LENGTH = 5,        // value length differs from blockAlign x audioSamples
  SOUND_CHECK_OUTSIDE_FILE = 6,  // the value runs past the end of the file
  SOUND_CHECK_OVERLAP = 7,       // two listed slots' elements share bytes
};

// One checked element.
struct SOUND_ELEMENT {
  uint64_t keyOffset = 0;
  uint64_t valueOffset = 0;  // keyOffset + 20 (83 length) or + 24 (87 length)
  uint64_t valueBytes = 0;   // = blockAlign x audioSamples
};

// Checks one element header. `bytes` holds the file's bytes from keyOffset
// on, `available` of them (the check reads at most 24). The value must hold
// exactly `expectedValueBytes` and end at or before `fileSize`.
int CheckSoundElementHeader(const uint8_t* bytes, size_t available, uint64_t keyOffset, uint64_t fileSize,
                            uint64_t expectedValueBytes, SOUND_ELEMENT* out);

// The file range [begin, end) that holds the key and length of every listed
// slot's element in frame `e` (from the lowest key to the highest key + 24,
// end limited to fileSize). begin == end when no slot is indexed or the
// range lies past the end of the file.
struct FILE_RANGE {
  uint64_t begin = 0;
  uint64_t end = 0;
};
FILE_RANGE SoundHeaderRange(const INDEX_ENTRY_ARRAY& e, const int* slots, int count, uint64_t fileSize);

// Checks the listed slots' elements of frame `e`, given `size` bytes of the
// file starting at file offset `bytesOffset` (a read buffer or a mapped
// view); a header outside those bytes is SOUND_CHECK_UNREADABLE. Elements of
// different listed slots must not share a byte. out[i] receives slot
// slots[i]'s element. Returns SOUND_CHECK_OK or the fault of
// the first bad element (its index in *badIndex when given).
int CheckFrameSoundElements(const INDEX_ENTRY_ARRAY& e, uint32_t blockAlign, const int* slots, int count,
                            const uint8_t* bytes, uint64_t bytesOffset, size_t size, uint64_t fileSize,
                            SOUND_ELEMENT* out, int* badIndex = nullptr);

// One read of SoundHeaderRange() into `scratch` (grown as needed), then
// CheckFrameSoundElements(). A failed or short read is SOUND_CHECK_UNREADABLE.
int ReadFrameSoundElements(const plat::File& file, uint64_t fileSize, const INDEX_ENTRY_ARRAY& e,
                           uint32_t blockAlign, const int* slots, int count, std::vector<uint8_t>& scratch,
                           SOUND_ELEMENT* out, int* badIndex = nullptr);

// The bytes one sound element occupies in a frame, its fill included (the
// distance from one sound element's key to the next one's).
//  - Frames with a second sound element in the same slice: the difference of
//    the ElementDelta of delta entries 3 and 2 (sound elements start a new
//    slice, so this is delta entry 3's ElementDelta).
//  - A file with a single sound element: read at `first`'s element: its key
//    and length, its value, and a KLV fill item right after it when there is
//    one.
// 0 when it cannot be had (slot 0 not indexed, not a sound element, read
// failure). The result is at least the element's header + value.
uint64_t SoundElementSize(const plat::File& file, uint64_t fileSize, const INDEX_ENTRY_ARRAY& first);

// Bytes of frame `e`'s edit unit: sliceOffset + the ElementDelta of its last
// delta entry + the size of the last element, which is the ancillary data
// element with its fill (MXF_BASE_INFO.dataElementSize) when the file has
// ancillary data, else a sound element (`soundElementSize`).
uint64_t EditUnitSize(const INDEX_ENTRY_ARRAY& e, const MXF_BASE_INFO& base, uint64_t soundElementSize);
