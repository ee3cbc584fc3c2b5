#include "bwf/bwf_header.h"

#include <cstring>

#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "timecode/timecode.h"

namespace {

void PutTag(uint8_t* p, const char (&tag)[5]) { std::memcpy(p, tag, 4); }

void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::u16string Decimal(uint64_t v) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
    v /= 10;
  } while (v != 0);
  return digits;
}

}  // namespace

void BuildBwfHeader(const BWF_HEADER_FIELDS& f, uint8_t out[kBwfHeaderSize]) {
  std::memset(out, 0, kBwfHeaderSize);
  PutTag(out + 0, "RIFF");
  PutLE32(out + kBwfRiffSizeOffset, f.dataSize + kBwfRiffOverhead);
  PutTag(out + 8, "WAVE");
  PutTag(out + 12, "JUNK");
  PutLE32(out + 16, 92);  // 92 zero bytes follow
  PutTag(out + 112, "bext");
  PutLE32(out + 116, 602);
  // Description, originator, reference, date and time stay zero.
  PutLE32(out + kBwfTimeReferenceOffset, static_cast<uint32_t>(f.timeReference));
  PutLE32(out + kBwfTimeReferenceOffset + 4, static_cast<uint32_t>(f.timeReference >> 32));
  PutLE16(out + 466, 1);  // bext version; UMID and reserved bytes stay zero
  PutTag(out + 722, "fmt ");
  PutLE32(out + 726, 16);
  PutLE16(out + kBwfFormatOffset, 1);       // PCM
  PutLE16(out + kBwfFormatOffset + 2, 1);   // mono
  PutLE32(out + kBwfFormatOffset + 4, f.sampleRate);
  PutLE32(out + kBwfFormatOffset + 8, f.avgBytesPerSec);
  PutLE16(out + kBwfFormatOffset + 12, f.blockAlign);
  PutLE16(out + kBwfFormatOffset + 14, f.bitsPerSample);
  PutTag(out + 746, "data");
  PutLE32(out + kBwfDataSizeOffset, f.dataSize);
}

int64_t ExportTimeReference(const MXF_TIMECODE_INFO& tc, const uint32_t exportIn[2]) {
  const int32_t rateClass = tc.frameRateClass;
  if (rateClass < 0 || rateClass >= kFrameRateClassCount || rateClass == FRC_25_1001) return -1;
  const int64_t offset = static_cast<int64_t>(exportIn[RangeSelector(tc)]) - RangeStartFrame(tc);
  const int64_t frame = static_cast<int64_t>(tc.startFrame) + offset;
  if (frame < 0 || frame > INT32_MAX) return -1;
  return FramesToSamples(static_cast<int32_t>(frame), rateClass);
}

uint64_t ExportDataSize(const std::vector<INDEX_ENTRY_ARRAY>& entries, size_t first, size_t count,
                        uint32_t blockAlign) {
  uint64_t samples = 0;
  for (size_t i = first; i < first + count && i < entries.size(); ++i) samples += entries[i].audioSamples;
  return samples * blockAlign;
}

std::u16string PlainBwfFileName(std::u16string_view folder, std::u16string_view prefix, int trackNumber) {
  std::u16string name(prefix);
  name += Decimal(static_cast<uint64_t>(trackNumber < 0 ? 0 : trackNumber));
  name += u".wav";
  return plat::JoinPath(folder, name);
}

std::u16string SuffixedBwfFileName(std::u16string_view plainName, uint32_t runNumber) {
  // The extension goes from the last '.' of the name (never one in a folder).
  const size_t nameStart = plainName.rfind(plat::kPathSeparator);
  size_t dot = plainName.rfind(u'.');
  if (dot == std::u16string_view::npos || (nameStart != std::u16string_view::npos && dot < nameStart)) {
    dot = plainName.size();
  }
  std::u16string out(plainName.substr(0, dot));
  out += u' ';
  out += Decimal(runNumber);
  out += u".wav";
  return out;
}

BWF_FILE_NAME FormBwfFileName(std::u16string_view folder, std::u16string_view prefix, int trackNumber,
                              uint32_t runNumber) {
  BWF_FILE_NAME name;
  name.path = PlainBwfFileName(folder, prefix, trackNumber);
  if (plat::PathExists(name.path)) {
    name.path = SuffixedBwfFileName(name.path, runNumber);
    name.suffixed = true;
  }
  return name;
}

bool BwfPrefixIsPlain(std::u16string_view prefix) {
  return prefix.find(u'/') == std::u16string_view::npos && prefix.find(u'\\') == std::u16string_view::npos &&
         prefix.find(u"..") == std::u16string_view::npos;
}

bool BwfPathFits(std::u16string_view path) { return plat::PathFitsLimits(path); }
