// Step 700: the audio tracks (one sound descriptor each), their format
// (48 kHz, 16 or 24 bits), and the first frame's sound element: how many
// samples it carries and how many bytes one sound element takes with its
// fill. The rewrap engines find and rewrite sound elements by these figures.
#include <cstdint>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/klv.h"
#include "engine/local_set.h"
#include "platform/file.h"
#include "timecode/timecode.h"

namespace {

constexpr int kInvalidFile = 701;
constexpr int kNoBaseInfo = 702;
constexpr int kNoAudioInfo = 703;
constexpr int kNoIndexEntries = 704;
constexpr int kNoAudioTrack = 705;
// Also given for a BlockAlign of 0: the bytes per sample (which BlockAlign
// states) are then no usable sample size either.
constexpr int kBitsNotAccepted = 706;
constexpr int kRateNotAccepted = 707;
// The first sound element's sample count fits no five-frame pattern, or a
// pattern of another frame rate than the timecode's.
constexpr int kNoSamplePattern = 708;

constexpr uint8_t kAes3DescriptorKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                            0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x47, 0x00};
constexpr uint8_t kWaveDescriptorKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                            0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x48, 0x00};
// Frame-wrapped sound elements, any element count and number.
constexpr uint8_t kAes3ElementKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                         0x0D, 0x01, 0x03, 0x01, 0x16, 0xFF, 0x03, 0xFF};
constexpr uint8_t kBwfElementKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                        0x0D, 0x01, 0x03, 0x01, 0x16, 0xFF, 0x01, 0xFF};
// KLV fill, any version byte.
constexpr uint8_t kFillKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0xFF,
                                  0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};

constexpr uint16_t kTagQuantizationBits = 0x3D01;
constexpr uint16_t kTagAudioSamplingRate = 0x3D03;
constexpr uint16_t kTagAvgBps = 0x3D09;
constexpr uint16_t kTagBlockAlign = 0x3D0A;

constexpr uint32_t kItemHeader = 20;           // key + 4-byte length
constexpr uint64_t kSoundKeyWindow = 28;       // after the slice offset
constexpr uint64_t kFillKeyWindow = 16;

// Frame-rate class whose first cycle frame carries `samples`, else unsupported.
uint8_t PatternOfSamples(uint32_t samples) {
  switch (samples) {
    case 2000: return FRC_24;
    case 1920: return FRC_25;
    case 1600: return FRC_30;
    case 800: return FRC_60;
    case 2002: return FRC_23_98;
    case 1602: return FRC_29_97;
    case 801: return FRC_59_94;
    default: return FRC_UNSUPPORTED;
  }
}

// Counts sound descriptors in the window: the next AES3 descriptor, or when
// none is left the next Wave descriptor, each search going on after the
// value of the last one found.
uint32_t CountSoundDescriptors(plat::File* file, const BYTE_WINDOW& window) {
  uint32_t count = 0;
  uint64_t pos = window.start;
  while (pos < window.end) {
    KLV_LENGTH length;
    if (!FindKlvInFile(file, kAes3DescriptorKey, pos, window.end, &length) &&
        !FindKlvInFile(file, kWaveDescriptorKey, pos, window.end, &length)) {
      break;
    }
    ++count;
    const uint64_t valueStart = file->Tell();
    if (valueStart == UINT64_MAX) break;
    pos = SaturatingAdd(valueStart, length.value());
  }
  return count;
}

// Reads the first sound descriptor of the window and stores its format.
// Returns 0 or the code of the first refused item, in set order.
int ReadSoundFormat(plat::File* file, const BYTE_WINDOW& window, MXF_AUDIO_INFO* audio) {
  KLV_LENGTH length;
  if (!FindKlvInFile(file, kAes3DescriptorKey, window.start, window.end, &length) &&
      !FindKlvInFile(file, kWaveDescriptorKey, window.start, window.end, &length)) {
    return kNoAudioTrack;
  }
  std::vector<uint8_t> set;
  if (!ReadSetValue(file, length, &set)) return kNoAudioTrack;

  int result = 0;
  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    if (result != 0) return;
    if (tag == kTagQuantizationBits && len >= 4) {
      audio->bitsPerSample = ReadBE32(v);
      if (audio->bitsPerSample != 16 && audio->bitsPerSample != 24) result = kBitsNotAccepted;
    } else if (tag == kTagAudioSamplingRate && len >= 4) {
      audio->sampleRate = ReadBE32(v);  // numerator; the denominator is not read
      if (audio->sampleRate != 48000) result = kRateNotAccepted;
    } else if (tag == kTagAvgBps && len >= 4) {
      audio->avgBytesPerSec = ReadBE32(v);
    } else if (tag == kTagBlockAlign && len >= 2) {
      audio->blockAlign = ReadBE16(v);
    }
  });
  return result;
}

}  // namespace

int ReadAudioDescriptor(plat::File* file, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  if (base->audio == nullptr) return kNoAudioInfo;
  if (base->partitions == nullptr || base->indexEntries == nullptr) return kNoIndexEntries;
  const MXF_PARTITION_INFO* header = HeaderPartition(base->partitions);
  if (header == nullptr) return kNoIndexEntries;
  MXF_AUDIO_INFO& audio = *base->audio;
  const BYTE_WINDOW window = HeaderMetadataWindow(*header);

  // The count is a byte; more descriptors than that are held at 255.
  const uint32_t tracks = CountSoundDescriptors(file, window);
  audio.trackCount = static_cast<uint8_t>(tracks > UINT8_MAX ? UINT8_MAX : tracks);
  if (audio.trackCount == 0) return kNoAudioTrack;

  if (int code = ReadSoundFormat(file, window, &audio); code != 0) return code;

  // The first frame's first sound element: the first constant-size element
  // after the picture.
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base->indexEntries;
  if (entries.empty()) return 0;
  const uint64_t at = SaturatingAdd(entries.front().streamOffset, entries.front().sliceOffset);
  const uint64_t windowEnd = SaturatingAdd(at, kSoundKeyWindow);
  KLV_LENGTH element;
  if (!FindKlvInFile(file, kAes3ElementKey, at, windowEnd, &element) &&
      !FindKlvInFile(file, kBwfElementKey, at, windowEnd, &element)) {
    return 0;
  }
  const uint64_t valueStart = file->Tell();
  if (audio.blockAlign == 0) return kBitsNotAccepted;

  const uint32_t samples = element.low / audio.blockAlign;
  audio.samplePattern = PatternOfSamples(samples);
  if (audio.samplePattern == FRC_UNSUPPORTED) return kNoSamplePattern;
  // A rate whose sample counts the engines know must agree with the first
  // element, or they would write the wrong number of samples into every
  // element. (25000/1001 and unsupported rates are refused by the engines.)
  const int32_t rate = base->timecode != nullptr ? base->timecode->frameRateClass : FRC_UNSUPPORTED;
  if (rate >= 0 && rate < kFrameRateClassCount && rate != FRC_25_1001 && rate != audio.samplePattern) {
    return kNoSamplePattern;
  }

  const uint64_t after = SaturatingAdd(valueStart, element.low);
  KLV_LENGTH fill;
  if (valueStart != UINT64_MAX &&
      FindKlvInFile(file, kFillKey, after, SaturatingAdd(after, kFillKeyWindow), &fill)) {
    audio.audioElementSize = element.low + fill.low + 2 * kItemHeader;
  } else {
    audio.audioElementSize = element.low + kItemHeader;
  }
  return 0;
}
