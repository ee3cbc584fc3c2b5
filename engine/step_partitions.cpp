// Step 200: the random index pack at the end of the file and, from its
// entries, every partition pack of the file. The file is never walked from
// its start: without a random index pack it cannot be loaded.
#include <cstring>
#include <memory>
#include <new>

#include "engine/analysis_steps.h"
#include "engine/byte_order.h"
#include "engine/header_window.h"
#include "engine/klv.h"
#include "platform/file.h"

namespace {

constexpr int kInvalidFile = 201;
constexpr int kNoBaseInfo = 202;
constexpr int kNoPartitions = 203;
constexpr int kNoRandomIndexPack = 204;
constexpr int kNoMemoryForPack = 205;
constexpr int kNoMemoryForPartitions = 206;
constexpr int kOpenPartition = 207;
constexpr int kNoFooter = 208;
constexpr int kVersionNotAccepted = 209;
constexpr int kUnreadablePartitionPack = 210;

constexpr uint8_t kRandomIndexPackKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                                             0x0D, 0x01, 0x02, 0x01, 0x01, 0x11, 0x01, 0x00};

// Every partition pack key starts with these 13 bytes; byte 13 is the kind
// (02 header, 03 body, 04 footer), byte 14 the status.
constexpr uint8_t kPartitionPackPrefix[13] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01,
                                              0x01, 0x0D, 0x01, 0x02, 0x01, 0x01};
constexpr size_t kKindByte = 13;
constexpr size_t kStatusByte = 14;

// KLV fill, any version byte.
constexpr uint8_t kFillKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0xFF,
                                  0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};

constexpr uint32_t kOverallLengthSize = 4;  // trailing u32 of the random index pack
constexpr uint32_t kPackHeaderSize = 20;    // key + 4-byte BER length
constexpr uint32_t kEntrySize = 12;         // BodySID (4) + ByteOffset (8)
// More partitions than this is not a file but a damaged pack.
constexpr uint32_t kMaxPartitions = 1u << 20;

constexpr size_t kKeySize = 16;
constexpr size_t kMaxBerSize = 9;  // 0x88 + 8 bytes
// The fixed fields of a partition pack value up to and including the
// operational pattern label.
constexpr size_t kPackFieldsSize = 80;

// A BER length: the size of its field and the value it codes.
struct BerLength {
  size_t fieldSize = 0;
  uint64_t value = 0;
};

// Decodes a BER length from `avail` bytes at p: short form, or long form with
// 1 to 8 bytes. False for the indefinite form, longer forms, or a field that
// does not fit in `avail`.
bool DecodeBer(const uint8_t* p, size_t avail, BerLength* out) {
  if (avail == 0) return false;
  if (p[0] < 0x80) {
    *out = {1, p[0]};
    return true;
  }
  const size_t n = p[0] & 0x7Fu;
  if (n == 0 || n > 8 || avail < 1 + n) return false;
  uint64_t v = 0;
  for (size_t i = 1; i <= n; ++i) v = (v << 8) | p[i];
  *out = {1 + n, v};
  return true;
}

// Size of the KLV fill item at `offset` (key, length and value), or 0 when
// none stands there.
uint64_t FillItemSizeAt(const plat::File* file, uint64_t offset) {
  uint8_t head[kKeySize + kMaxBerSize] = {};
  const int64_t got = file->ReadAt(offset, head, sizeof head);
  if (got <= static_cast<int64_t>(kKeySize) || !KlvKeyMatches(kFillKey, head)) return 0;
  BerLength ber;
  if (!DecodeBer(head + kKeySize, static_cast<size_t>(got) - kKeySize, &ber)) return 0;
  return SaturatingAdd(kKeySize + ber.fieldSize, ber.value);
}

// Reads the partition pack at `offset` into *p. False when no partition pack
// can be read there in full.
bool ReadPartitionPack(const plat::File* file, uint64_t fileSize, uint64_t offset,
                       MXF_PARTITION_INFO* p) {
  if (offset >= fileSize) return false;
  uint8_t head[kKeySize + kMaxBerSize] = {};
  const int64_t got = file->ReadAt(offset, head, sizeof head);
  if (got <= static_cast<int64_t>(kKeySize)) return false;
  if (std::memcmp(head, kPartitionPackPrefix, sizeof kPartitionPackPrefix) != 0) return false;
  const uint8_t kindByte = head[kKindByte];
  if (kindByte < 0x02 || kindByte > 0x04) return false;

  BerLength ber;
  if (!DecodeBer(head + kKeySize, static_cast<size_t>(got) - kKeySize, &ber)) return false;
  if (ber.value < kPackFieldsSize || ber.value > UINT32_MAX) return false;
  const uint64_t valueStart = offset + kKeySize + ber.fieldSize;
  if (valueStart > fileSize || ber.value > fileSize - valueStart) return false;  // cut short

  uint8_t v[kPackFieldsSize];
  if (file->ReadAt(valueStart, v, sizeof v) != static_cast<int64_t>(sizeof v)) return false;

  std::memcpy(p->packKey, head, kKeySize);
  p->packLength = static_cast<uint32_t>(ber.value);
  p->kind = kindByte - 0x02;
  p->majorVersion = ReadBE16(v + 0);
  p->minorVersion = ReadBE16(v + 2);
  p->kagSize = ReadBE32(v + 4);
  p->thisPartition = ReadBE64(v + 8);
  // v + 16 PreviousPartition, v + 24 FooterPartition: not kept.
  p->headerByteCount = ReadBE64(v + 32);
  p->indexByteCount = ReadBE64(v + 40);
  p->indexSid = ReadBE32(v + 48);
  p->bodyOffset = ReadBE64(v + 52);
  p->bodySid = ReadBE32(v + 60);
  std::memcpy(p->operationalPattern, v + 64, 16);

  const uint64_t packItemSize = kKeySize + ber.fieldSize + ber.value;
  const uint64_t fillSize = FillItemSizeAt(file, offset + packItemSize);
  p->metadataStart = SaturatingAdd(SaturatingAdd(p->thisPartition, packItemSize), fillSize);
  // Essence byte 0 of the body stream: the partition's own essence begins at
  // its BodyOffset. The sum is taken modulo 2^64 so that adding an index
  // entry's stream offset gives the right absolute offset.
  p->essenceStart = p->metadataStart + p->headerByteCount + p->indexByteCount - p->bodyOffset;
  return true;
}

// Reads the random index pack's entries (12 bytes each) into *entries.
// Returns 0 or the step's failure code.
int ReadRandomIndexPack(plat::File* file, uint64_t fileSize, std::unique_ptr<uint8_t[]>* entries,
                        uint32_t* count) {
  *count = 0;
  if (fileSize < kPackHeaderSize + kOverallLengthSize) return kNoRandomIndexPack;
  uint8_t tail[kOverallLengthSize];
  if (file->ReadAt(fileSize - kOverallLengthSize, tail, sizeof tail) != sizeof tail) {
    return kNoRandomIndexPack;
  }
  const uint32_t overall = ReadBE32(tail);
  if (overall < kPackHeaderSize + kOverallLengthSize || overall > fileSize) return kNoRandomIndexPack;

  KLV_LENGTH length;
  if (!FindKlvInFile(file, kRandomIndexPackKey, fileSize - overall, fileSize - kOverallLengthSize,
                     &length)) {
    return kNoRandomIndexPack;
  }
  const uint64_t valueStart = file->Tell();
  if (valueStart == UINT64_MAX || valueStart > fileSize - kOverallLengthSize) return kNoRandomIndexPack;

  const uint32_t n = (overall - kPackHeaderSize) / kEntrySize;
  const uint64_t bytes = static_cast<uint64_t>(n) * kEntrySize;
  // The entries lie inside the pack's value and before the overall length.
  if (n > kMaxPartitions || bytes > length.value() ||
      bytes > fileSize - kOverallLengthSize - valueStart) {
    return kNoRandomIndexPack;
  }
  if (n == 0) return 0;

  entries->reset(new (std::nothrow) uint8_t[bytes]);
  if (!*entries) return kNoMemoryForPack;
  if (file->ReadAt(valueStart, entries->get(), bytes) != static_cast<int64_t>(bytes)) {
    entries->reset();
    return kNoRandomIndexPack;
  }
  *count = n;
  return 0;
}

}  // namespace

int ReadPartitions(plat::File* file, uint64_t fileSize, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  if (base->partitions == nullptr) return kNoPartitions;
  std::vector<MXF_PARTITION_INFO>& partitions = *base->partitions;
  partitions.clear();

  std::unique_ptr<uint8_t[]> entries;
  uint32_t n = 0;
  if (int code = ReadRandomIndexPack(file, fileSize, &entries, &n); code != 0) return code;

  try {
    partitions.assign(n, MXF_PARTITION_INFO{});
  } catch (const std::bad_alloc&) {
    partitions.clear();
    partitions.shrink_to_fit();
    return kNoMemoryForPartitions;
  }

  bool hasFooter = false;
  for (uint32_t i = 0; i < n; ++i) {
    MXF_PARTITION_INFO& p = partitions[i];
    const uint64_t byteOffset = ReadBE64(entries.get() + static_cast<size_t>(i) * kEntrySize + 4);
    if (!ReadPartitionPack(file, fileSize, byteOffset, &p)) {
      partitions.clear();
      return kUnreadablePartitionPack;
    }
    // Open partitions (01 open incomplete, 03 open complete) may still change.
    const uint8_t status = p.packKey[kStatusByte];
    if (status == 0x01 || status == 0x03) return kOpenPartition;  // array kept as filled so far
    p.partitionCount = static_cast<int32_t>(n);
    if (p.kind == 2) hasFooter = true;
  }
  entries.reset();

  if (!hasFooter) {
    partitions.clear();
    return kNoFooter;
  }
  const MXF_PARTITION_INFO& last = partitions.back();
  if (last.majorVersion != 1 && last.minorVersion > 3) {
    partitions.clear();
    return kVersionNotAccepted;
  }
  return 0;
}
