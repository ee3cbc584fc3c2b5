// Reading index table segments out of a partition's index area.
#include <algorithm>
#include <cstring>
#include <new>

#include "engine/byte_order.h"
#include "engine/index_segment.h"
#include "engine/klv.h"
#include "engine/local_set.h"
#include "platform/file.h"

namespace {

constexpr uint16_t kTagIndexStartPosition = 0x3F0C;
constexpr uint16_t kTagIndexDuration = 0x3F0D;
constexpr uint16_t kTagBodySid = 0x3F07;
constexpr uint16_t kTagSliceCount = 0x3F08;
constexpr uint16_t kTagPosTableCount = 0x3F0E;
constexpr uint16_t kTagDeltaEntryArray = 0x3F09;
constexpr uint16_t kTagIndexEntryArray = 0x3F0A;

constexpr size_t kArrayHeader = 8;       // count (u32) + item length (u32, not used)
constexpr size_t kDeltaEntrySize = 6;    // PosTableIndex, Slice, ElementDelta
constexpr size_t kEntryFixedSize = 11;   // TemporalOffset, KeyFrameOffset, Flags, StreamOffset
constexpr size_t kSliceOffsetSize = 4;
constexpr size_t kPosTableSize = 8;

// Matches any KLV item: the index area is walked item by item so that a
// piece boundary never loses the walk's footing.
constexpr uint8_t kAnyItemKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0xFF, 0xFF, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr size_t kKeySize = 16;

// Whole array entries an item of `length` bytes holds, at most `count`.
size_t EntriesPresent(uint32_t count, size_t length, size_t entrySize) {
  if (length < kArrayHeader) return 0;
  return std::min<size_t>(count, (length - kArrayHeader) / entrySize);
}

SegmentStatus ParseDeltaEntries(const uint8_t* v, size_t length, INDEX_SEGMENT* seg) {
  const size_t n = length < kArrayHeader ? 0 : EntriesPresent(ReadBE32(v), length, kDeltaEntrySize);
  if (n > static_cast<size_t>(kMaxDeltaEntries)) return SegmentStatus::kTooManyDeltas;
  std::fill(std::begin(seg->deltas), std::end(seg->deltas), DELTA_ENTRY{});
  const uint8_t* p = v + kArrayHeader;
  for (size_t i = 0; i < n; ++i, p += kDeltaEntrySize) {
    seg->deltas[i].posTableIndex = static_cast<int8_t>(p[0]);
    seg->deltas[i].slice = p[1];
    seg->deltas[i].elementDelta = ReadBE32(p + 2);
  }
  seg->deltaCount = static_cast<uint32_t>(n);
  return SegmentStatus::kOk;
}

SegmentStatus ParseIndexEntries(const uint8_t* v, size_t length, INDEX_SEGMENT* seg) {
  const size_t slices = seg->sliceCount;
  const size_t positions = seg->posTableCount;
  const size_t entrySize = kEntryFixedSize + kSliceOffsetSize * slices + kPosTableSize * positions;
  const size_t n = length < kArrayHeader ? 0 : EntriesPresent(ReadBE32(v), length, entrySize);
  seg->entries.clear();
  try {
    seg->entries.resize(n);
  } catch (const std::bad_alloc&) {
    seg->entries.clear();
    return SegmentStatus::kNoMemory;
  }
  const uint8_t* p = v + kArrayHeader;
  for (size_t i = 0; i < n; ++i, p += entrySize) {
    INDEX_SEGMENT_ENTRY& e = seg->entries[i];
    e.temporalOffset = static_cast<int8_t>(p[0]);
    e.keyFrameOffset = static_cast<int8_t>(p[1]);
    e.flags = p[2];
    e.streamOffset = ReadBE64(p + 3);
    // Only the last slice offset and the last position value are kept.
    if (slices > 0) e.sliceOffset = ReadBE32(p + kEntryFixedSize + kSliceOffsetSize * (slices - 1));
    if (positions > 0) {
      e.posTableValue = ReadBE64(p + kEntryFixedSize + kSliceOffsetSize * slices +
                                 kPosTableSize * (positions - 1));
    }
  }
  return SegmentStatus::kOk;
}

// Offset of the key of the item whose value starts at `valueOffset`, found by
// FindKlvInBuffer scanning from `from`: its length field is 4 (83 ...) or 8
// (87 ...) bytes. Where both readings fit, the earlier key is the one the
// scan reached first.
size_t KeyOffsetOf(const uint8_t* buf, size_t from, size_t valueOffset) {
  const size_t longKey = valueOffset >= kKeySize + 8 ? valueOffset - kKeySize - 8 : SIZE_MAX;
  if (longKey != SIZE_MAX && longKey >= from && buf[longKey + kKeySize] == 0x87 &&
      std::memcmp(buf + longKey, kUlPrefix, sizeof kUlPrefix) == 0) {
    return longKey;
  }
  return valueOffset - kKeySize - 4;
}

}  // namespace

SegmentStatus ParseIndexSegment(const uint8_t* value, size_t size, INDEX_SEGMENT* out) {
  SegmentStatus status = SegmentStatus::kOk;
  ForEachLocalItem(value, size, [&](uint16_t tag, const uint8_t* v, uint16_t length) {
    if (status != SegmentStatus::kOk) return;
    switch (tag) {
      case kTagIndexStartPosition:
        if (length >= 8) out->indexStartPosition = ReadBE64(v);
        break;
      case kTagIndexDuration:
        if (length >= 8) out->indexDuration = ReadBE64(v);
        break;
      case kTagBodySid:
        if (length >= 4) out->bodySid = ReadBE32(v);
        break;
      case kTagSliceCount:
        if (length >= 1) out->sliceCount = v[0];
        break;
      case kTagPosTableCount:
        if (length >= 1) out->posTableCount = v[0];
        break;
      case kTagDeltaEntryArray:
        status = ParseDeltaEntries(v, length, out);
        break;
      case kTagIndexEntryArray:
        status = ParseIndexEntries(v, length, out);
        break;
      default:
        break;  // instance id, edit rate, edit unit byte count, ...: not used
    }
  });
  return status;
}

SegmentStatus ReadIndexArea(plat::File* file, uint64_t start, uint64_t bytes, size_t holder,
                            std::vector<INDEX_SEGMENT>* segments, std::vector<uint8_t>* scratch) {
  uint64_t end = start > UINT64_MAX - bytes ? UINT64_MAX : start + bytes;
  // Nothing past the end of the file is there to read (nor worth a buffer).
  if (uint64_t fileSize = 0; file->Size(&fileSize) && fileSize < end) end = fileSize;
  // A segment is parsed from the scratch buffer when it lies inside the piece
  // read, else from a buffer of its own.
  std::vector<uint8_t> own;

  auto parse = [&](const uint8_t* value, size_t size) {
    try {
      segments->emplace_back();
    } catch (const std::bad_alloc&) {
      return SegmentStatus::kNoMemory;
    }
    segments->back().holder = holder;
    return ParseIndexSegment(value, std::min(size, kMaxIndexSegmentBytes), &segments->back());
  };

  uint64_t pos = start;
  while (pos < end) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(end - pos, kIndexReadChunk));
    try {
      if (scratch->size() < want) scratch->resize(want);
    } catch (const std::bad_alloc&) {
      return SegmentStatus::kNoMemory;
    }
    const int64_t read = file->ReadAt(pos, scratch->data(), want);
    if (read <= 0) break;
    const size_t got = static_cast<size_t>(read);
    const uint8_t* buf = scratch->data();
    // The last piece: the area (or the file) ends inside it.
    const bool last = got < want || pos + got >= end;

    uint64_t next = pos + got;
    size_t off = 0;
    for (;;) {
      size_t valueOffset = 0;
      KLV_LENGTH length;
      if (!FindKlvInBuffer(kAnyItemKey, buf + off, got - off, &valueOffset, &length)) {
        next = pos + off + valueOffset;  // where the next probe stands
        break;
      }
      const size_t valueStart = off + valueOffset;
      const size_t keyOffset = KeyOffsetOf(buf, off, valueStart);
      const bool isSegment = KlvKeyMatches(kIndexSegmentKey, buf + keyOffset);
      const uint64_t valueSize = length.value();
      const size_t inPiece = got - valueStart;

      if (valueSize <= inPiece) {
        if (isSegment) {
          if (SegmentStatus s = parse(buf + valueStart, static_cast<size_t>(valueSize));
              s != SegmentStatus::kOk) {
            return s;
          }
        }
        off = valueStart + static_cast<size_t>(valueSize);
        continue;
      }
      // The item runs past this piece.
      const uint64_t valueAt = pos + valueStart;
      if (isSegment) {
        const uint64_t wanted = std::min<uint64_t>(valueSize, kMaxIndexSegmentBytes);
        if (last || wanted <= inPiece) {
          // Only the bytes inside the area (or the parsed maximum) are there.
          if (SegmentStatus s = parse(buf + valueStart, std::min<size_t>(inPiece, wanted));
              s != SegmentStatus::kOk) {
            return s;
          }
        } else {
          const size_t n = static_cast<size_t>(std::min<uint64_t>(wanted, end - valueAt));
          try {
            own.assign(n, 0);
          } catch (const std::bad_alloc&) {
            return SegmentStatus::kNoMemory;
          }
          const int64_t ownRead = file->ReadAt(valueAt, own.data(), n);
          const size_t have = ownRead > 0 ? static_cast<size_t>(ownRead) : 0;
          if (SegmentStatus s = parse(own.data(), have); s != SegmentStatus::kOk) return s;
        }
      }
      next = valueAt > UINT64_MAX - valueSize ? UINT64_MAX : valueAt + valueSize;
      break;
    }
    if (last || next <= pos) break;
    pos = next;
  }
  return SegmentStatus::kOk;
}
