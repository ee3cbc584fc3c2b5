#include "ui/info_texts.h"

#include "engine/file_facts.h"
#include "platform/path.h"
#include "ui/ui_texts.h"

INFO_TEXTS NoFileInfoTexts() {
  INFO_TEXTS t;
  t.fileName = txt::kDropHint;
  t.rate = txt::kUnknown;
  t.head = t.tail = t.dur = txt::kNoTimecode;
  t.format = txt::kUnknown;
  const MXF_AUDIO_INFO noAudio{};
  t.tracks = TrackCountText(noAudio);
  t.bits = BitsText(noAudio);
  t.sampleRate = SampleRateText(noAudio);
  t.codec = txt::kUnknown;
  t.bitRate = VideoBitRateText(MXF_VIDEO_INFO{});
  t.fps = txt::kUnknown;
  t.size = txt::kUnknown;
  t.tooltip = txt::kNoCreatorInfo;
  t.tooltipMaxWidth = 200;
  return t;
}

INFO_TEXTS LoadedInfoTexts(const std::u16string& mxfPath, const MXF_BASE_INFO& base) {
  INFO_TEXTS t;
  const MXF_TIMECODE_INFO& tc = *base.timecode;
  const MXF_AUDIO_INFO& audio = *base.audio;
  const MXF_VIDEO_INFO& video = *base.video;
  t.fileName = plat::FileNamePart(mxfPath);
  t.rate = RateText(tc);
  t.head = HeadText(tc);
  t.tail = TailText(tc);
  t.dur = DurationText(tc);
  t.format = AudioFormatText();
  t.tracks = TrackCountText(audio);
  t.bits = BitsText(audio);
  t.sampleRate = SampleRateText(audio);
  t.codec = CodecText(video);
  t.bitRate = VideoBitRateText(video);
  t.fps = FpsText(tc, video);
  t.size = PictureSizeText(video);
  t.tooltip = CreatorTooltipText(mxfPath, base);
  t.tooltipMaxWidth = 600;
  return t;
}
