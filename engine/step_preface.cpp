// Step 300: the preface set decides whether the file is of the one kind the
// program handles: OP1a, frame-wrapped MPEG-2 or AVC pictures, MXF version
// 1.2 or 1.3. It records the version and whether ancillary data is present.
#include <cstring>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/klv.h"
#include "engine/local_set.h"
#include "platform/file.h"

namespace {

constexpr int kInvalidFile = 301;
constexpr int kNoBaseInfo = 302;
constexpr int kNoPartitions = 303;
constexpr int kNoPreface = 304;
constexpr int kNoMemory = 305;
constexpr int kNotOp1a = 306;
constexpr int kNotFrameWrapped = 307;
constexpr int kVersionRefused = 308;

constexpr uint8_t kPrefaceKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                     0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x2F, 0x00};

constexpr uint16_t kTagOperationalPattern = 0x3B09;
constexpr uint16_t kTagEssenceContainers = 0x3B0A;
constexpr uint16_t kTagVersion = 0x3B05;

constexpr size_t kLabelSize = 16;
constexpr size_t kOpQualifierByte = 14;
constexpr uint8_t kOp1aQualifier = 0x09;

// Frame-wrapped picture containers the program reads.
constexpr uint8_t kPictureContainers[][kLabelSize] = {
    // MPEG-2 video elementary stream, frame-wrapped (label versions 1 and 2)
    {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01},
    {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x02, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01},
    // AVC byte stream, frame-wrapped
    {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x10, 0x60, 0x01},
};

constexpr uint8_t kAncillaryDataContainer[kLabelSize] = {
    0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x09, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x0E, 0x00, 0x00};

bool IsPictureContainer(const uint8_t* label) {
  for (const auto& known : kPictureContainers) {
    if (std::memcmp(label, known, kLabelSize) == 0) return true;
  }
  return false;
}

// 3B0A: batch of labels (count u32, item size u32, then 16-byte labels).
int CheckEssenceContainers(const uint8_t* value, uint16_t length, MXF_BASE_INFO* base) {
  size_t count = 0;
  if (length >= 8) {
    const size_t fit = (length - 8u) / kLabelSize;
    const uint32_t claimed = ReadBE32(value);
    count = claimed < fit ? claimed : fit;
  }
  bool picture = false;
  bool ancillary = false;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* label = value + 8 + i * kLabelSize;
    picture = picture || IsPictureContainer(label);
    ancillary = ancillary || std::memcmp(label, kAncillaryDataContainer, kLabelSize) == 0;
  }
  if (!picture) return kNotFrameWrapped;
  base->hasAncillaryData = ancillary ? 1 : 0;
  return 0;
}

// 3B05: major and minor version. Only 1.2 and 1.3 are read; the bytes are
// kept either way.
int CheckVersion(const uint8_t* value, uint16_t length, MXF_BASE_INFO* base) {
  if (length < 2) return kVersionRefused;
  base->versionMajor = value[0];
  base->versionMinor = value[1];
  if (value[0] != 1 || (value[1] != 2 && value[1] != 3)) return kVersionRefused;
  return 0;
}

}  // namespace

int ReadPreface(plat::File* file, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  const MXF_PARTITION_INFO* header = HeaderPartition(base->partitions);
  if (header == nullptr) return kNoPartitions;

  const BYTE_WINDOW window = PrefaceWindow(*header);
  KLV_LENGTH length;
  if (!FindKlvInFile(file, kPrefaceKey, window.start, window.end, &length)) return kNoPreface;
  std::vector<uint8_t> set;
  if (!ReadSetValue(file, length, &set)) return kNoMemory;

  // Items are checked in set order; the first that fails decides.
  int result = 0;
  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* value, uint16_t len) {
    if (result != 0) return;
    switch (tag) {
      case kTagOperationalPattern:
        if (len <= kOpQualifierByte || value[kOpQualifierByte] != kOp1aQualifier) result = kNotOp1a;
        break;
      case kTagEssenceContainers: result = CheckEssenceContainers(value, len, base); break;
      case kTagVersion: result = CheckVersion(value, len, base); break;
      default: break;  // 3B02 (last modified date) and the rest are not needed
    }
  });
  return result;
}
