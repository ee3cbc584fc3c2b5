#include "engine/file_facts.h"

#include <cstdio>
#include <limits>

#include "engine/text_format.h"
#include "platform/path.h"
#include "timecode/timecode.h"

namespace {

int64_t StartForm(const MXF_TIMECODE_INFO& tc) { return tc.startHourIs23 ? tc.startFrameShifted : tc.startFrame; }
int64_t EndForm(const MXF_TIMECODE_INFO& tc) { return tc.startHourIs23 ? tc.endFrameShifted : tc.endFrame; }

std::u16string Ascii(const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); }

}  // namespace

std::u16string RateText(const MXF_TIMECODE_INFO& tc) {
  if (tc.frameRateClass == FRC_29_97 || tc.frameRateClass == FRC_59_94) {
    return FormatText(u"%s %s", {std::u16string_view(FrameRateLabel(tc.frameRateClass)),
                                 std::u16string_view(tc.dropFrame ? u"DF" : u"NDF")});
  }
  const char16_t* label = FrameRateLabel(tc.frameRateClass);
  return label != nullptr ? std::u16string(label) : u"Unknown";
}

std::u16string HeadText(const MXF_TIMECODE_INFO& tc) {
  return FormatTimecode(tc.tcBase, tc.dropFrame, tc.startFrame, 0);
}

std::u16string TailText(const MXF_TIMECODE_INFO& tc) {
  return FormatTimecode(tc.tcBase, tc.dropFrame, tc.endFrame, 0);
}

int64_t DurationFrames(const MXF_TIMECODE_INFO& tc) { return EndForm(tc) - StartForm(tc) + 1; }

std::u16string LengthText(const MXF_TIMECODE_INFO& tc, int64_t frames) {
  // Frame numbers of a damaged file can lie far apart: a length that is no
  // frame count shows as unknown rather than as a wrapped number.
  if (frames < 0 || frames > std::numeric_limits<int32_t>::max()) return u"-";
  return FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(frames), 0);
}

std::u16string DurationText(const MXF_TIMECODE_INFO& tc) { return LengthText(tc, DurationFrames(tc)); }

std::u16string AudioFormatText() { return u"AES3/LPCM"; }

std::u16string TrackCountText(const MXF_AUDIO_INFO& audio) {
  return FormatText(u"%d", {static_cast<int64_t>(audio.trackCount)});
}

std::u16string BitsText(const MXF_AUDIO_INFO& audio) {
  return FormatText(u"%dbit", {static_cast<int64_t>(audio.bitsPerSample)});
}

std::u16string SampleRateText(const MXF_AUDIO_INFO& audio) {
  return FormatText(u"%dkHz", {static_cast<int64_t>(audio.sampleRate / 1000)});
}

std::u16string CodecText(const MXF_VIDEO_INFO& video) { return std::u16string(video.codecName); }

std::u16string VideoBitRateText(const MXF_VIDEO_INFO& video) {
  // A loaded file always has a codec name; its bit rate 0 means that no
  // descriptor item stated one. The empty panel keeps "0.0Mbps".
  if (video.bitRate == 0 && video.codecName[0] != u'\0') return u"-";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1fMbps", static_cast<double>(static_cast<float>(video.bitRate) / 1000000.0f));
  return Ascii(buf);
}

char16_t ScanTypeLetter(const MXF_VIDEO_INFO& video) {
  if (video.codedContentType == 2) return u'i';
  if (video.codedContentType == 1 || video.codecIndex == 5 || video.codecIndex == 6) return u'p';
  return 0;
}

std::u16string FpsText(const MXF_TIMECODE_INFO& tc, const MXF_VIDEO_INFO& video) {
  const char16_t* label = FrameRateLabel(tc.frameRateClass);
  if (label == nullptr) return u"Unknown?";
  std::u16string text(label);
  if (char16_t c = ScanTypeLetter(video)) text.push_back(c);
  return text;
}

std::u16string PictureSizeText(const MXF_VIDEO_INFO& video) {
  return FormatText(u"%d x %d", {static_cast<int64_t>(video.displayWidth), static_cast<int64_t>(video.displayHeight)});
}

std::u16string CreatorTooltipText(const std::u16string& mxfPath, const MXF_BASE_INFO& base) {
  const uint32_t deltaCount =
      base.indexEntries != nullptr && !base.indexEntries->empty() ? base.indexEntries->front().deltaCount : 0;
  const MXF_AUDIO_INFO empty{};
  const MXF_AUDIO_INFO& audio = base.audio != nullptr ? *base.audio : empty;
  const std::u16string size =
      FormatByteSize(static_cast<uint32_t>(base.fileSize), static_cast<uint32_t>(base.fileSize >> 32));
  const std::u16string name = plat::FileNamePart(mxfPath);
  const std::u16string folder = plat::FolderPart(mxfPath);
  return FormatText(
      u"%s\n%s\n%s\n\n作成日: %s\n更新日: %s\n\n製品名: %s Version: %s  OS: %s\n会社名: %s\n\nMXF Version: "
      u"%d.%d\nDeltaEntry: %d ,AudioElemSize: %d,DataElemSize: %d , SampleBlockSize: %d",
      {std::u16string_view(name), std::u16string_view(folder), std::u16string_view(size),
       std::u16string_view(base.creationDate), std::u16string_view(base.modifiedDate),
       std::u16string_view(base.productName), std::u16string_view(base.productVersion),
       std::u16string_view(base.platform), std::u16string_view(base.companyName),
       static_cast<int64_t>(base.versionMajor), static_cast<int64_t>(base.versionMinor),
       static_cast<int64_t>(deltaCount), static_cast<int64_t>(audio.audioElementSize),
       static_cast<int64_t>(base.dataElementSize), static_cast<int64_t>(audio.blockAlign)});
}
