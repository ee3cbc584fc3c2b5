// Step 500: the file package's creation date, and the file's own last-write
// time as its modification date. Both are only shown and logged.
#include <cstdio>
#include <iterator>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/klv.h"
#include "engine/local_set.h"
#include "platform/file.h"
#include "platform/time.h"

namespace {

constexpr int kInvalidFile = 501;
constexpr int kNoBaseInfo = 502;
constexpr int kNoPartitions = 503;
constexpr int kNoFilePackage = 504;

constexpr uint8_t kSourcePackageKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                           0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x37, 0x00};

constexpr uint16_t kTagPackageCreationDate = 0x4405;
constexpr uint16_t kTagPackageModifiedDate = 0x4404;

// "YYYY/MM/DD  hh:mm:ss" into a zero-filled UTF-16 field.
void FormatPackageDate(char16_t* out, size_t capacity, int year, int month, int day, int hour,
                       int minute, int second) {
  if (out == nullptr || capacity == 0) return;
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d  %02d:%02d:%02d", year, month, day, hour, minute,
                second);
  size_t i = 0;
  for (; text[i] != '\0' && i + 1 < capacity; ++i) out[i] = static_cast<char16_t>(text[i]);
  for (; i < capacity; ++i) out[i] = u'\0';
}

}  // namespace

int ReadFilePackage(plat::File* file, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  const MXF_PARTITION_INFO* header = HeaderPartition(base->partitions);
  if (header == nullptr) return kNoPartitions;

  const BYTE_WINDOW window = HeaderMetadataWindow(*header);
  KLV_LENGTH length;
  // The first source package in the header metadata is the file package.
  if (!FindKlvInFile(file, kSourcePackageKey, window.start, window.end, &length)) return kNoFilePackage;
  std::vector<uint8_t> set;
  if (!ReadSetValue(file, length, &set)) return kNoFilePackage;

  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    if (tag == kTagPackageCreationDate && len >= 7) {
      // year (u16), month, day, hour, minute, second, quarter-milliseconds
      FormatPackageDate(base->creationDate, std::size(base->creationDate), ReadBE16(v), v[2], v[3],
                        v[4], v[5], v[6]);
    } else if (tag == kTagPackageModifiedDate) {
      // What is shown as the modification date is the file's, not the package's.
      plat::FileTimes times;
      if (file->Times(&times)) {
        const plat::LocalTime t = plat::ToLocalTime(times.modification);
        FormatPackageDate(base->modifiedDate, std::size(base->modifiedDate), t.year, t.month, t.day,
                          t.hour, t.minute, t.second);
      }
    }
  });
  return 0;
}
