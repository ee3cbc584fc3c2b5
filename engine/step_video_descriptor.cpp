// Step 800: the picture descriptor. Its coding label must be one of the
// codecs the program handles; its picture size, aspect ratio, coded content
// type and bit rate are kept for display and reports.
//
// The MPEG-2 and AVC items this step reads have dynamic local tags, which
// each writer numbers its own way (many from 0xFFFF downward). They are
// looked up in the primer pack by their labels; a label the primer does not
// name falls back to a fixed tag, one table per MXF minor version.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/klv.h"
#include "engine/local_set.h"
#include "engine/picture_tags.h"
#include "engine/primer.h"
#include "platform/file.h"

namespace {

constexpr int kInvalidFile = 801;
constexpr int kNoBaseInfo = 802;
constexpr int kNoPartitions = 803;
constexpr int kNoVideoInfo = 804;
constexpr int kNoPictureDescriptor = 805;
constexpr int kNoCodingLabel = 806;
constexpr int kCodecNotInTable = 807;

constexpr uint8_t kMpeg2DescriptorKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                             0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x51, 0x00};
constexpr uint8_t kCdciDescriptorKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                            0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x28, 0x00};
constexpr uint8_t kAvcSubDescriptorKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                              0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x6E, 0x00};

constexpr uint16_t kTagPictureEssenceCoding = 0x3201;
constexpr uint16_t kTagDisplayHeight = 0x3208;
constexpr uint16_t kTagDisplayWidth = 0x3209;
constexpr uint16_t kTagAspectRatio = 0x320E;
constexpr uint16_t kTagFrameLayout = 0x320C;

// FrameLayout values whose stored height is that of one field.
constexpr uint8_t kSeparateFields = 1;
constexpr uint8_t kMixedFields = 3;
constexpr uint8_t kInterlaced = 2;  // codedContentType

struct CODEC_ROW {
  uint8_t label[16];
  const char16_t* name;
};

constexpr CODEC_ROW kCodecTable[] = {
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x03, 0x03, 0x00},
     u"MPEG2 HD MP@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x04, 0x03, 0x00},
     u"MPEG2 HD422P@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x03, 0x02, 0x00},
     u"MPEG2 i HD MP@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x04, 0x02, 0x00},
     u"MPEG2 i HD422P@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x08, 0x04, 0x01, 0x02, 0x02, 0x01, 0x05, 0x02, 0x00},
     u"MPEG2 i MP@H14L"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A, 0x04, 0x01, 0x02, 0x02, 0x01, 0x32, 0x30, 0x01},
     u"XAVC Intra"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0D, 0x04, 0x01, 0x02, 0x02, 0x01, 0x31, 0x60, 0x01},
     u"XAVC L422 QFHD"},
};
constexpr const char16_t* kNotInList = u"not in list";

// Rows whose DisplayHeight is a field height when interlaced.
constexpr int kRowMpeg2MpHl = 0;
constexpr int kRowMpeg2422pHl = 1;
constexpr int kRowXavcIntra = 5;
constexpr int kRowXavcL422 = 6;
// XAVC Intra states the bit rate of half the picture from this width on.
constexpr uint32_t kQuadHdWidth = 3840;

void CopyName(char16_t (&out)[24], const char16_t* name) {
  size_t i = 0;
  for (; name[i] != u'\0' && i + 1 < std::size(out); ++i) out[i] = name[i];
  std::fill(out + i, std::end(out), u'\0');
}

// Row of the codec table whose label equals `label`, or -1.
int CodecRow(const uint8_t label[16]) {
  for (size_t i = 0; i < std::size(kCodecTable); ++i) {
    if (std::memcmp(kCodecTable[i].label, label, 16) == 0) return static_cast<int>(i);
  }
  return -1;
}

// Reads the AVC sub-descriptor that follows the picture descriptor, if any,
// and takes its bit rate.
void ReadAvcBitRate(plat::File* file, uint64_t from, uint64_t end, uint16_t bitRateTag, int row,
                    MXF_VIDEO_INFO* video) {
  KLV_LENGTH length;
  if (bitRateTag == 0 || !FindKlvInFile(file, kAvcSubDescriptorKey, from, end, &length)) return;
  std::vector<uint8_t> set;
  if (!ReadSetValue(file, length, &set)) return;
  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    if (tag != bitRateTag || len < 4) return;
    const uint64_t value = ReadBE32(v);
    const uint64_t rate = row == kRowXavcIntra && video->displayWidth >= kQuadHdWidth ? 2 * value : value;
    video->bitRate = static_cast<uint32_t>(std::min<uint64_t>(rate, UINT32_MAX));
  });
}

}  // namespace

int ReadVideoDescriptor(plat::File* file, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  const MXF_PARTITION_INFO* header = HeaderPartition(base->partitions);
  if (header == nullptr) return kNoPartitions;
  if (base->video == nullptr) return kNoVideoInfo;
  MXF_VIDEO_INFO& video = *base->video;
  const BYTE_WINDOW window = HeaderMetadataWindow(*header);

  PrimerMap primer;
  LoadPrimerPack(file, window.start, window.end, &primer);  // none: the fixed tags serve
  const PICTURE_TAGS tags = ResolvePictureTags(primer, base->versionMinor);

  KLV_LENGTH length;
  bool mpeg2 = true;
  if (!FindKlvInFile(file, kMpeg2DescriptorKey, window.start, window.end, &length)) {
    mpeg2 = false;
    if (!FindKlvInFile(file, kCdciDescriptorKey, window.start, window.end, &length)) {
      return kNoPictureDescriptor;
    }
  }
  const uint64_t valueStart = file->Tell();
  const uint64_t descriptorEnd = SaturatingAdd(valueStart, length.value());
  std::vector<uint8_t> set;
  if (valueStart == UINT64_MAX || !ReadSetValue(file, length, &set)) return kNoPictureDescriptor;

  int row = -1;
  bool labelSeen = false;
  int frameLayout = -1;
  int result = 0;
  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    if (result != 0) return;
    if (tag == kTagPictureEssenceCoding && len >= 16) {
      labelSeen = true;
      std::memcpy(video.codingLabel, v, 16);
      row = CodecRow(v);
      if (row < 0) {
        CopyName(video.codecName, kNotInList);
        result = kCodecNotInTable;
        return;
      }
      CopyName(video.codecName, kCodecTable[row].name);
      video.codecIndex = static_cast<uint8_t>(row);
    } else if (tag == kTagDisplayHeight && len >= 4) {
      video.displayHeight = ReadBE32(v);
    } else if (tag == kTagDisplayWidth && len >= 4) {
      video.displayWidth = ReadBE32(v);
    } else if (tag == kTagFrameLayout && len >= 1) {
      frameLayout = v[0];
    } else if (tag == kTagAspectRatio && len >= 8) {
      video.aspectNum = ReadBE32(v);
      video.aspectDen = ReadBE32(v + 4);
    } else if (mpeg2 && tag != 0 && tag == tags.codedContentType && len >= 1) {
      video.codedContentType = v[0];
    } else if (mpeg2 && tag != 0 && tag == tags.bitRate && len >= 4) {
      video.bitRate = ReadBE32(v);
    }
  });
  if (result != 0) return result;
  // A descriptor without a coding label cannot be told from a codec the
  // program does not handle.
  if (!labelSeen) return kNoCodingLabel;

  if (row == kRowXavcIntra || row == kRowXavcL422) {
    ReadAvcBitRate(file, descriptorEnd, window.end, tags.avcBitRate, row, &video);
    // AVC has no coded content type: the frame layout tells an interlaced
    // picture, whose descriptor states the height of one field.
    if (frameLayout == kSeparateFields || frameLayout == kMixedFields) {
      video.displayHeight *= 2;
      video.codedContentType = kInterlaced;
    }
  }
  // Long-GOP MPEG-2 states the field height of an interlaced picture.
  // (Content types other than 2, interlaced, leave the height as stated.)
  if ((row == kRowMpeg2MpHl || row == kRowMpeg2422pHl) && video.codedContentType == kInterlaced) {
    video.displayHeight *= 2;
  }
  return 0;
}
