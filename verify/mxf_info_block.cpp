#include "verify/mxf_info_block.h"

#include <cstdio>

#include "engine/file_facts.h"
#include "engine/text_format.h"
#include "platform/path.h"
#include "timecode/timecode.h"

namespace {

// The text of a fixed-capacity, zero-terminated field.
template <size_t N>
std::u16string_view FieldText(const char16_t (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n] != u'\0') ++n;
  return std::u16string_view(field, n);
}

// "%.2f" of a single-precision value.
std::u16string FixedTwo(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
  std::u16string out;
  for (const char* p = text; *p != '\0'; ++p) out.push_back(static_cast<char16_t>(*p));
  return out;
}

// Counts print as "%d" prints them.
int64_t AsInt(uint32_t value) { return static_cast<int32_t>(value); }

}  // namespace

const char16_t* LogFrameRateText(int32_t frameRateClass) {
  const char16_t* label = FrameRateLabel(frameRateClass);
  return label != nullptr ? label : u"DMY";
}

char16_t LogScanLetter(const MXF_VIDEO_INFO& video) {
  if (video.codedContentType == 2) return u'i';
  if (video.codedContentType == 1) return u'p';
  if (video.codecIndex == 5 || video.codecIndex == 6) return u'p';
  return 0;
}

std::u16string FormatLogDateTime(const plat::LocalTime& t) {
  return FormatText(u"%d/%02d/%02d  %02d:%02d:%02d",
                    {t.year, t.month, t.day, t.hour, t.minute, t.second});
}

std::u16string ComposeMxfInfoBlock(std::u16string_view mxfPath, const MXF_BASE_INFO& base,
                                   const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                   const plat::LocalTime& now) {
  static const MXF_TIMECODE_INFO kNoTimecode;
  static const MXF_AUDIO_INFO kNoAudio;
  static const MXF_VIDEO_INFO kNoVideo;
  const MXF_TIMECODE_INFO& tc = base.timecode != nullptr ? *base.timecode : kNoTimecode;
  const MXF_AUDIO_INFO& audio = base.audio != nullptr ? *base.audio : kNoAudio;
  const MXF_VIDEO_INFO& video = base.video != nullptr ? *base.video : kNoVideo;

  const std::u16string name = plat::FileNamePart(mxfPath);
  const std::u16string folder = plat::FolderPart(mxfPath);
  const std::u16string size = FormatByteSize(static_cast<uint32_t>(base.fileSize),
                                             static_cast<uint32_t>(base.fileSize >> 32));
  // No descriptor item stated a bit rate: unknown, not 0.
  const std::u16string bitRate =
      video.bitRate == 0 ? u"-" : FixedTwo(static_cast<float>(video.bitRate) / 1000000.0f) + u" Mb/s";
  std::u16string fps = LogFrameRateText(tc.frameRateClass);
  if (const char16_t letter = LogScanLetter(video); letter != 0) fps.push_back(letter);
  const int64_t deltaCount = entries.empty() ? 0 : AsInt(entries.front().deltaCount);

  auto timecode = [&](int32_t frames) { return FormatTimecode(tc.tcBase, tc.dropFrame, frames, 0); };
  const int64_t length = DurationFrames(tc);
  const std::u16string start = timecode(tc.startFrame);
  const std::u16string end = timecode(tc.endFrame);
  const std::u16string dur = DurationText(tc);
  const std::u16string modified = FormatLogDateTime(now);

  std::u16string out = FormatText(
      u"< MXF情報 >\r\n%s\r\n%s\r\n%s\r\n\r\n作成日: %s\r\n更新日: %s\r\n\r\n"
      u"製品名: %s %s\r\n    OS: %s\r\n会社名: %s\r\n\r\nMXF version = %d.%d\r\n\r\n",
      {name, folder, size, FieldText(base.creationDate), modified, FieldText(base.productName),
       FieldText(base.productVersion), FieldText(base.platform), FieldText(base.companyName),
       base.versionMajor, base.versionMinor});
  out += FormatText(
      u"Video Codec        = %s\r\nBit Rate           = %s\r\nFPS                = %s\r\n"
      u"Audio Sample       = %d\r\nAudio Bit Depth    = %d\r\nTracks             = %d\r\n"
      u"Delta Entry        = %d\r\nAudio Element size = %d\r\nData Element size  = %d\r\n"
      u"Segment Max frame  = %d\r\n\r\n",
      {FieldText(video.codecName), bitRate, fps, AsInt(audio.sampleRate), AsInt(audio.bitsPerSample),
       audio.trackCount, deltaCount, AsInt(audio.audioElementSize), AsInt(base.dataElementSize),
       tc.segmentMaxFrames});
  out += FormatText(
      u"フレームレート = %s%s\r\n開始(フレーム) = %s (%d)\r\n終了(フレーム) = %s (%d)\r\n"
      u"長さ(フレーム) = %s (%d)\r\n\r\n想定フレーム数   = %d\r\n実際のフレーム数 = %d\r\n\r\n",
      {LogFrameRateText(tc.frameRateClass), DropFrameLabel(tc.frameRateClass, tc.dropFrame), start,
       tc.startFrame, end, tc.endFrame, dur, length, tc.duration, tc.entryCount});
  return out;
}
