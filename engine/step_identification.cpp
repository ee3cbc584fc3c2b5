// Step 900: which product wrote the file, for display only. A missing or
// unreadable identification set leaves "unknown" and never stops a load.
#include <iterator>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/klv.h"
#include "engine/local_set.h"
#include "platform/file.h"

namespace {

constexpr int kInvalidFile = 901;
constexpr int kNoBaseInfo = 902;
constexpr int kNoPartitions = 903;

constexpr uint8_t kIdentificationKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                            0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x30, 0x00};

constexpr uint16_t kTagCompanyName = 0x3C01;
constexpr uint16_t kTagProductName = 0x3C02;
constexpr uint16_t kTagVersionString = 0x3C04;
constexpr uint16_t kTagPlatform = 0x3C08;

template <size_t N>
void SetText(char16_t (&field)[N], const char16_t* text) {
  size_t i = 0;
  for (; text[i] != u'\0' && i + 1 < N; ++i) field[i] = text[i];
  for (; i < N; ++i) field[i] = u'\0';
}

// A big-endian UTF-16 string of `length` bytes (an odd last byte is the high
// half of a unit whose low half is 0). A 0x0000 unit ends it (many writers
// terminate their strings); other units outside printable ASCII become
// spaces; the text is cut to what the field holds.
template <size_t N>
void SetFromUtf16Be(char16_t (&field)[N], const uint8_t* v, uint16_t length) {
  const size_t units = (static_cast<size_t>(length) + 1) / 2;
  size_t i = 0;
  for (; i < units && i + 1 < N; ++i) {
    const uint8_t hi = v[2 * i];
    const uint8_t lo = 2 * i + 1 < length ? v[2 * i + 1] : 0;
    const char16_t unit = static_cast<char16_t>((hi << 8) | lo);
    if (unit == 0) break;
    field[i] = unit >= 0x20 && unit <= 0x7E ? unit : u' ';
  }
  for (; i < N; ++i) field[i] = u'\0';
}

}  // namespace

int ReadIdentification(plat::File* file, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  const MXF_PARTITION_INFO* header = HeaderPartition(base->partitions);
  if (header == nullptr) return kNoPartitions;

  SetText(base->companyName, u"unknown");
  SetText(base->productName, u"unknown");
  SetText(base->platform, u"unknown");

  const BYTE_WINDOW window = IdentificationWindow(*header);
  KLV_LENGTH length;
  if (!FindKlvInFile(file, kIdentificationKey, window.start, window.end, &length)) return 0;
  std::vector<uint8_t> set;
  if (!ReadSetValue(file, length, &set)) return 0;

  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    switch (tag) {
      case kTagCompanyName: SetFromUtf16Be(base->companyName, v, len); break;
      case kTagProductName: SetFromUtf16Be(base->productName, v, len); break;
      case kTagVersionString: SetFromUtf16Be(base->productVersion, v, len); break;
      case kTagPlatform: SetFromUtf16Be(base->platform, v, len); break;
      default: break;
    }
  });
  return 0;
}
