#include "tools/mxfgen/essence_writer.h"

#include <algorithm>

#include "tools/mxfgen/klv_writer.h"
#include "tools/mxfgen/labels.h"
#include "tools/mxfgen/sample_pattern.h"
#include "tools/mxfgen/timecode_label.h"

namespace mxfgen {

FrameTimecode TimecodeForFrame(const Options& opt, const Resolved& res, int64_t frame) {
  const bool pairs = res.tcBase > 30;
  const int64_t step = pairs ? 2 : 1;  // frames per label
  int64_t offset = 0;
  bool invalid = false;
  for (const TimecodeFault& f : opt.timecodeFaults) {
    if (f.frame > frame) continue;
    switch (f.kind) {
      case TimecodeFaultKind::Jump: offset += step; break;
      case TimecodeFaultKind::Still: offset -= step; break;
      case TimecodeFaultKind::Back: offset -= 2 * step; break;
      case TimecodeFaultKind::Invalid: invalid = invalid || f.frame == frame; break;
    }
  }
  const int64_t day = res.framesPerDay;
  const int64_t actual = ((res.startFrame + frame + offset) % day + day) % day;
  Label label;
  bool second = false;
  if (pairs) {
    label = FramesToLabel(actual / 2, res.tcBase / 2, opt.dropFrame);
    second = (actual & 1) != 0;
  } else {
    label = FramesToLabel(actual, res.tcBase, opt.dropFrame);
  }
  FrameTimecode tc;
  tc.frames = actual;
  if (invalid) {
    label.minutes = 60;
    tc.frames = -1;
  }
  tc.word = SdtiWord(label, opt.dropFrame, second);
  return tc;
}

EssenceWriter::EssenceWriter(const Options& opt, const Plan& plan) : opt_(opt), plan_(plan) {
  const uint8_t type = opt.audio == AudioWrapping::Aes3 ? labels::kAes3ElementType : labels::kBwfElementType;
  for (int t = 0; t < opt.tracks; ++t) {
    const uint32_t number = (0x16u << 24) | (static_cast<uint32_t>(opt.tracks) << 16) | (uint32_t{type} << 8) |
                            static_cast<uint32_t>(t + 1);
    soundKeys_.push_back(labels::ElementKey(number));
  }
  period_ = PatternPeriod(opt.bits);
  const int bps = plan.res.bytesPerSample;
  const uint32_t largest = plan.maxSoundValue / static_cast<uint32_t>(bps);
  for (int t = 0; t < opt.tracks; ++t) {
    std::vector<uint8_t> table(static_cast<size_t>(period_ + largest) * static_cast<size_t>(bps));
    for (uint32_t i = 0; i < period_ + largest; ++i) {
      const uint32_t v = PatternSample(t, i, opt.bits);
      for (int b = 0; b < bps; ++b) table[static_cast<size_t>(i) * bps + b] = static_cast<uint8_t>(v >> (8 * b));
    }
    patterns_.push_back(std::move(table));
  }
  scratch_.reserve(256);
}

void EssenceWriter::Fill(FileSink& sink, uint32_t totalSize) {
  if (totalSize == 0) return;
  scratch_.clear();
  UL key = labels::kFill;
  key[7] = opt_.fillKeyVersion;
  PutKlvHeader(scratch_, key, totalSize - kKlvHeader);
  sink.Write(scratch_.data(), scratch_.size());
  sink.Zeros(totalSize - kKlvHeader);
}

void EssenceWriter::WriteFrame(FileSink& sink, int64_t frame) {
  const size_t f = static_cast<size_t>(frame);
  const Resolved& r = plan_.res;

  // System item: SMPTE 326M system metadata pack.
  scratch_.clear();
  PutKlvHeader(scratch_, labels::kSystemItem, kSystemItemValue);
  uint8_t bitmap = 0x10 | 0x08;  // user date/time stamp, picture item
  if (opt_.tracks) bitmap |= 0x04;
  if (opt_.ancillary) bitmap |= 0x02;
  PutU8(scratch_, bitmap);
  PutU8(scratch_, static_cast<uint8_t>((r.cpRate << 1) | (r.rate1001 ? 1 : 0)));
  PutU8(scratch_, 0);                                            // content package type
  PutU16(scratch_, 0);                                           // channel handle
  PutU16(scratch_, static_cast<uint16_t>(frame & 0xFFFF));       // continuity count
  PutZeros(scratch_, 16 + 17);                                   // SMPTE label, creation stamp
  const FrameTimecode tc = TimecodeForFrame(opt_, r, frame);
  PutU8(scratch_, 0x81);                                         // user stamp: SMPTE 12M timecode
  for (int b = 0; b < 4; ++b) PutU8(scratch_, static_cast<uint8_t>(tc.word >> (8 * b)));
  PutZeros(scratch_, 12);
  sink.Write(scratch_.data(), scratch_.size());
  Fill(sink, plan_.systemSlot - kKlvHeader - kSystemItemValue);

  // Picture element.
  const uint32_t picture = plan_.pictureValue[f];
  scratch_.clear();
  PutKlvHeader(scratch_, labels::ElementKey(labels::kPictureTrackNumber), picture);
  // AVC pictures open with an access unit delimiter so that byte-stream
  // parsers find a start code; everything else is zeros (or a hole).
  static constexpr uint8_t kAccessUnitDelimiter[6] = {0x00, 0x00, 0x00, 0x01, 0x09, 0xF0};
  uint32_t head = 0;
  if (r.avc && picture >= sizeof kAccessUnitDelimiter) {
    PutBytes(scratch_, kAccessUnitDelimiter, sizeof kAccessUnitDelimiter);
    head = sizeof kAccessUnitDelimiter;
  }
  sink.Write(scratch_.data(), scratch_.size());
  if (opt_.sparsePicture)
    sink.Skip(picture - head);
  else
    sink.Zeros(picture - head);
  Fill(sink, plan_.pictureSlot[f] - kKlvHeader - picture);

  // Sound elements, each with its fill.
  const uint32_t bps = static_cast<uint32_t>(r.bytesPerSample);
  const uint32_t value = plan_.samples[f] * bps;
  const size_t start = static_cast<size_t>(plan_.firstSample[f] % period_) * bps;
  for (int t = 0; t < opt_.tracks; ++t) {
    scratch_.clear();
    PutKlvHeader(scratch_, soundKeys_[static_cast<size_t>(t)], value);
    sink.Write(scratch_.data(), scratch_.size());
    sink.Write(patterns_[static_cast<size_t>(t)].data() + start, value);
    Fill(sink, plan_.soundSlot - kKlvHeader - value);
  }

  // Ancillary data element: SMPTE 436M with no packets.
  if (opt_.ancillary) {
    scratch_.clear();
    PutKlvHeader(scratch_, labels::ElementKey(labels::kAncTrackNumber), opt_.ancBytes);
    sink.Write(scratch_.data(), scratch_.size());
    sink.Zeros(opt_.ancBytes);
    Fill(sink, plan_.ancSlot - kKlvHeader - opt_.ancBytes);
  }
}

}  // namespace mxfgen
