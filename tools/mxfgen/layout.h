// What mxfgen wrote, byte offset by byte offset, so that tests can build
// exact expectations without reading the file through the engine.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "tools/mxfgen/bytes.h"

namespace mxfgen {

struct PartitionLayout {
  uint64_t offset = 0;          // partition pack key
  int kind = 0;                 // 0 header, 1 body, 2 footer
  uint8_t status = 4;           // pack key byte 14
  uint32_t packLength = 0;      // value length of the pack
  uint64_t contentOffset = 0;   // first byte after the pack and its fill
  uint64_t headerByteCount = 0;
  uint64_t indexByteCount = 0;
  uint32_t indexSid = 0;
  uint32_t bodySid = 0;
  uint64_t bodyOffset = 0;
  uint64_t essenceOffset = 0;   // first essence byte (contentOffset + header + index)
  uint64_t essenceBytes = 0;
  int64_t firstFrame = 0;       // frames whose content packages lie here
  int64_t frameCount = 0;
};

struct SegmentLayout {
  uint64_t offset = 0;          // segment key
  int partition = 0;            // index into Layout::partitions of the partition holding it
  int64_t startPosition = 0;
  int64_t duration = 0;
};

struct SoundElementLayout {
  uint64_t keyOffset = 0;
  uint64_t valueOffset = 0;
  uint32_t valueSize = 0;
  uint32_t samples = 0;
  uint64_t firstSample = 0;     // absolute sample index of the element's first sample
  uint64_t fillOffset = 0;      // fill item key after the element
  uint32_t fillSize = 0;        // whole fill item (key + length + value)
};

struct FrameLayout {
  uint64_t packageOffset = 0;   // = system item key offset
  uint64_t packageSize = 0;
  uint64_t streamOffset = 0;    // index entry StreamOffset
  uint32_t sliceOffset = 0;     // index entry SliceOffset (first sound element)
  int partition = 0;
  uint64_t pictureKeyOffset = 0;
  uint64_t pictureValueOffset = 0;
  uint32_t pictureValueSize = 0;
  uint64_t ancKeyOffset = 0;    // 0 without ancillary data
  uint64_t ancValueOffset = 0;
  uint32_t ancValueSize = 0;
  uint32_t samples = 0;
  uint32_t timecodeWord = 0;    // bytes at package + 61, little-endian (frames in byte 0)
  int64_t timecodeFrames = 0;   // the label's actual frame count (-1 for an invalid label)
};

struct Layout {
  uint64_t fileSize = 0;
  uint64_t ripOffset = 0;       // 0 without a random index pack
  uint64_t headerMetadataOffset = 0;
  std::vector<PartitionLayout> partitions;
  std::vector<SegmentLayout> segments;
  std::vector<FrameLayout> frames;
  std::vector<SoundElementLayout> sound;  // frames x tracks, frame-major
  int tracks = 0;

  // Constant sizes of the content package parts (element + its fill).
  uint32_t systemItemSize = 0;
  uint32_t soundElementSize = 0;
  uint32_t ancElementSize = 0;
  std::vector<uint32_t> elementDeltas;    // delta entry array, in order
  std::vector<uint8_t> deltaSlices;

  // Every local tag declared in the primer pack, in primer order.
  std::vector<std::pair<uint16_t, UL>> primer;

  const SoundElementLayout& Sound(int64_t frame, int track) const {
    return sound[static_cast<size_t>(frame) * static_cast<size_t>(tracks) + static_cast<size_t>(track)];
  }
};

}  // namespace mxfgen
