#include "tools/mxfgen/options.h"

#include "tools/mxfgen/labels.h"
#include "tools/mxfgen/timecode_label.h"

namespace mxfgen {
namespace {

struct RateInfo {
  uint32_t num, den;
  int tcBase;
  int cpRate;  // SMPTE 326M content package rate code
  bool rate1001;
  uint32_t samples[5];
};

// Class 5 (25000/1001) carries 1920 samples per frame like 25, as Velmora's
// timecode tables do.
constexpr RateInfo kRates[8] = {
    {24000, 1000, 24, 1, false, {2000, 2000, 2000, 2000, 2000}},
    {25000, 1000, 25, 2, false, {1920, 1920, 1920, 1920, 1920}},
    {30000, 1000, 30, 3, false, {1600, 1600, 1600, 1600, 1600}},
    {60000, 1000, 60, 6, false, {800, 800, 800, 800, 800}},
    {24000, 1001, 24, 1, true, {2002, 2002, 2002, 2002, 2002}},
    {25000, 1001, 25, 2, true, {1920, 1920, 1920, 1920, 1920}},
    {30000, 1001, 30, 3, true, {1602, 1601, 1602, 1601, 1602}},
    {60000, 1001, 60, 6, true, {801, 801, 800, 801, 801}},
};

struct CodecRow {
  UL label;
  bool avc;
  uint32_t width, height;
  int contentType;
  uint32_t bitRate;
};

constexpr UL MpegLabel(uint8_t v, uint8_t a, uint8_t b) {
  return {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, v, 0x04, 0x01, 0x02, 0x02, 0x01, a, b, 0x00};
}

const CodecRow kCodecRows[8] = {
    {MpegLabel(0x03, 0x03, 0x03), false, 1920, 1080, 2, 35000000},   // MPEG2 HD MP@HL
    {MpegLabel(0x03, 0x04, 0x03), false, 1920, 1080, 2, 50000000},   // MPEG2 HD422P@HL
    {MpegLabel(0x03, 0x03, 0x02), false, 1920, 1080, 2, 80000000},   // MPEG2 i HD MP@HL
    {MpegLabel(0x03, 0x04, 0x02), false, 1920, 1080, 2, 100000000},  // MPEG2 i HD422P@HL
    {MpegLabel(0x08, 0x05, 0x02), false, 1440, 1080, 2, 25000000},   // MPEG2 i MP@H14L
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A, 0x04, 0x01, 0x02, 0x02, 0x01, 0x32, 0x30, 0x01},
     true, 3840, 2160, 1, 300000000},                                // XAVC Intra
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0D, 0x04, 0x01, 0x02, 0x02, 0x01, 0x31, 0x60, 0x01},
     true, 3840, 2160, 1, 150000000},                                // XAVC L422 QFHD
    {labels::kCodingNotInTable, false, 1920, 1080, 2, 50000000},     // not in the table
};

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

}  // namespace

UL CodecLabel(int row) { return kCodecRows[row < 0 || row > 7 ? 7 : row].label; }

uint32_t SamplesInFrame(const Options& opt, int64_t frame) {
  if (opt.samplesPerFrame != 0) return opt.samplesPerFrame;
  const int cls = opt.frameRateClass < 0 || opt.frameRateClass > 7 ? 0 : opt.frameRateClass;
  const int64_t pos = ((frame + opt.cyclePhase) % 5 + 5) % 5;
  return kRates[cls].samples[pos];
}

bool Resolve(const Options& opt, Resolved* out, std::string* error) {
  if (opt.frameRateClass < 0 || opt.frameRateClass > 7) return Fail(error, "frame rate class must be 0..7");
  if (opt.frames < 1) return Fail(error, "at least one frame is needed");
  if (opt.tracks < 0 || opt.tracks > 26) return Fail(error, "audio tracks must be 0..26");
  if (opt.bits != 16 && opt.bits != 24) return Fail(error, "bits must be 16 or 24");
  if (opt.kag != 1 && opt.kag < 256) return Fail(error, "KAG must be 1 or at least 256");
  if (opt.codecRow < 0 || opt.codecRow > 7) return Fail(error, "codec row must be 0..7");
  if (opt.essencePartitions < 1 || opt.essencePartitions > opt.frames)
    return Fail(error, "essence partitions must be 1..frames");
  if ((opt.editRateNum == 0) != (opt.editRateDen == 0)) return Fail(error, "edit rate needs both numerator and denominator");
  if (opt.versionMajor < 0 || opt.versionMajor > 255 || opt.versionMinor < 0 || opt.versionMinor > 255)
    return Fail(error, "MXF version bytes must be 0..255");
  if (opt.ancBytes > 0xFFFFFF || opt.pictureBytes > 0xFFFFFF)
    return Fail(error, "element values must fit a 4-byte BER length");
  for (uint32_t s : opt.pictureSizes)
    if (s > 0xFFFFFF) return Fail(error, "element values must fit a 4-byte BER length");
  if (opt.samplesPerFrame > 0xFFFFFF / 3) return Fail(error, "samples per frame too large");
  if (opt.headerReserve > 0x100000) return Fail(error, "header reserve must be at most 1 MiB");
  if (opt.extraDeltaEntries < 0 || opt.extraDeltaEntries > 200) return Fail(error, "extra delta entries must be 0..200");

  const RateInfo& r = kRates[opt.frameRateClass];
  Resolved res;
  res.editNum = opt.editRateNum ? opt.editRateNum : r.num;
  res.editDen = opt.editRateDen ? opt.editRateDen : r.den;
  res.tcBase = opt.timecodeBase ? opt.timecodeBase : r.tcBase;
  if (res.tcBase != 24 && res.tcBase != 25 && res.tcBase != 30 && res.tcBase != 50 && res.tcBase != 60)
    return Fail(error, "timecode base must be 24, 25, 30, 50 or 60");
  res.cpRate = r.cpRate;
  res.rate1001 = r.rate1001;
  res.bytesPerSample = opt.bits / 8;
  res.descriptorBits = opt.quantizationBits ? opt.quantizationBits : opt.bits;
  res.framesPerDay = static_cast<uint32_t>(FramesPerDay(res.tcBase, opt.dropFrame));
  res.startFrame = opt.startFrame;
  if (!opt.startTimecode.empty()) {
    Label label;
    if (!ParseLabel(opt.startTimecode, res.tcBase, &label)) return Fail(error, "bad start timecode " + opt.startTimecode);
    res.startFrame = LabelToFrames(label, res.tcBase, opt.dropFrame);
  }
  if (res.startFrame < 0 || res.startFrame >= res.framesPerDay)
    return Fail(error, "start timecode outside the day");

  const CodecRow& row = kCodecRows[opt.codecRow];
  res.avc = row.avc;
  res.codingLabel = row.label;
  res.width = opt.width ? opt.width : row.width;
  res.height = opt.height ? opt.height : row.height;
  res.codedContentType = opt.codedContentType ? opt.codedContentType : row.contentType;
  res.bitRate = opt.bitRate ? opt.bitRate : row.bitRate;
  res.pictureContainer = row.avc ? labels::kAvcFrameWrapped : labels::kMpeg2FrameWrapped;
  if (opt.clipWrapped) res.pictureContainer[15] = 0x02;
  res.soundContainer = opt.audio == AudioWrapping::Aes3 ? labels::kAes3FrameWrapped : labels::kBwfFrameWrapped;
  *out = res;
  return true;
}

}  // namespace mxfgen
