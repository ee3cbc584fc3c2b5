#include "rewrap/rewrap_log.h"

#include "bwf/wav_library.h"
#include "engine/sound_write_tap.h"
#include "engine/text_format.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/undo_texts.h"
#include "rewrap/wav_coverage.h"
#include "timecode/timecode.h"
#include "verify/mxf_info_block.h"

namespace {

// "%02d:%02d:%02d%c%02d" with '.' for drop-frame and ':' otherwise.
std::u16string Tc(const MXF_TIMECODE_INFO& tc, int32_t frames) {
  return FormatTimecode(tc.tcBase, tc.dropFrame, frames, 0);
}

std::u16string TrackPiece(const MXF_TIMECODE_INFO& tc, const std::vector<INDEX_ENTRY_ARRAY>& entries,
                          const AUDIOTRACK_IO_INFO& plan, int slot) {
  std::u16string text =
      FormatText(u"********     Track %d     ********\r\n", {static_cast<int64_t>(slot + 1)});
  const WAV_LIBRARY_ENTRY* entry = plan.wavEntry[slot];
  if (plan.trackSwitch[slot] == 0) {
    return text + u"ラッピング処理は実行していません。\r\n\r\n";
  }
  if (entry == nullptr || entry->fileName[0] == 0) {
    return text + u"NULLデータ(無音)を書込みました。\r\n\r\n";
  }
  const WAV_FORMAT_INFO& f = entry->format;
  text += FormatText(u"%s\r\n%s\r\n%dch  %dbit  %dHz\r\n",
                     {std::u16string_view(entry->fileName), std::u16string_view(entry->fullPath),
                      static_cast<int64_t>(f.channels), static_cast<int64_t>(f.bitsPerSample),
                      static_cast<int64_t>(f.sampleRate)});
  if (f.channels >= 3) {
    text += FormatText(u"チャンネル %d\r\n", {static_cast<int64_t>(plan.wavChannel[slot]) + 1});
  }
  text += u"開始 = " +
          FormatTimecodeSubframe(tc.tcBase, tc.dropFrame, static_cast<int32_t>(f.startFrame),
                                 static_cast<int32_t>(f.startSubframe), static_cast<int32_t>(f.startFract)) +
          FormatText(u" (%d samples)\r\n", {static_cast<int64_t>(f.startSample)});
  text += u"終了 = " +
          FormatTimecodeSubframe(tc.tcBase, tc.dropFrame, static_cast<int32_t>(f.endFrame),
                                 static_cast<int32_t>(f.endSubframe), static_cast<int32_t>(f.endFract)) +
          FormatText(u" (%d samples)\r\n", {static_cast<int64_t>(f.endSample)});
  text += u"長さ = " + Tc(tc, static_cast<int32_t>(f.durationFrames)) + u" \r\n";
  // The file's samples are laid from IN on; past their end comes silence.
  const int64_t silentFrom = WavSilenceStart(plan, tc, entries, SourceSlot(plan, slot));
  if (silentFrom >= 0) {
    text += FormatText(LoadString(kStrWavEndsEarly),
                       {static_cast<int64_t>(slot + 1), std::u16string_view(entry->fullPath),
                        std::u16string_view(Tc(tc, static_cast<int32_t>(plan.wrapIn[0] + silentFrom)))}) +
            u"\r\n";
  }
  return text + u"\r\n";
}

}  // namespace

std::u16string ComposeLevelLine(const SOUND_LEVEL& level, TextLanguage language) {
  if (level.secondSlot >= 0) {
    return FormatText(LoadString(kStrLevelsPair, language),
                      {static_cast<int64_t>(level.slot + 1), static_cast<int64_t>(level.secondSlot + 1),
                       std::u16string_view(level.integratedText), std::u16string_view(level.truePeakText)});
  }
  return FormatText(LoadString(kStrLevelsTrack, language),
                    {static_cast<int64_t>(level.slot + 1), std::u16string_view(level.integratedText),
                     std::u16string_view(level.truePeakText)});
}

std::u16string ComposeLevelsLogPiece(const SOUND_LEVELS& levels) {
  // Only a build with a loudness meter measures; the others leave the piece out.
  if (!levels.measured) return {};
  std::u16string text = LoadString(kStrLevelsLogHeading, TextLanguage::Japanese) + u"\r\n";
  for (const SOUND_LEVEL& level : levels.rows) text += ComposeLevelLine(level, TextLanguage::Japanese) + u"\r\n";
  return text + u"\r\n";
}

std::u16string ComposeRewrapLog(std::u16string_view mxfPath, int ioMethod, const MXF_BASE_INFO& base,
                                const std::vector<INDEX_ENTRY_ARRAY>& entries, const AUDIOTRACK_IO_INFO& plan,
                                const plat::LocalTime& now) {
  const MXF_TIMECODE_INFO empty{};
  const MXF_TIMECODE_INFO& tc = base.timecode != nullptr ? *base.timecode : empty;
  const int trackCount = base.audio != nullptr ? base.audio->trackCount : 0;

  std::u16string log = FormatText(u"リラップ処理ログ [%s]\r\n作成日: %s\r\n\r\n",
                                  {std::u16string_view(LoadString(kStrAppTitle, TextLanguage::Japanese)),
                                   std::u16string_view(FormatLogDateTime(now))});
  log += FormatText(u"< 書込み方式 >\r\n%s\r\n\r\n",
                    {std::u16string_view(ioMethod == 1 ? u"標準ファイル入出力" : u"メモリマッピング")});
  log += ComposeMxfInfoBlock(mxfPath, base, entries, now);

  const uint32_t sel = RangeSelector(tc);
  const int32_t dur = static_cast<int32_t>(plan.wrapOut[sel]) - static_cast<int32_t>(plan.wrapIn[sel]) + 1;
  log += u"< 処理範囲 >\r\nIN  " + Tc(tc, static_cast<int32_t>(plan.wrapIn[0])) + u"\r\nOUT " +
         Tc(tc, static_cast<int32_t>(plan.wrapOut[0])) + u"\r\nDUR " + Tc(tc, dur) + u"\r\n\r\n";
  log += FormatText(u"< %dトラックへの割当て詳細 >\r\n", {static_cast<int64_t>(trackCount)});
  for (int slot = 0; slot < trackCount && slot < kTrackSlots; ++slot) log += TrackPiece(tc, entries, plan, slot);
  log += ComposeLevelsLogPiece(LastSoundLevels());
  log += ComposeUndoLogPiece(LastUndoReport(), UndoSettings());
  log += u"\r\n完了\r\n";
  return log;
}

bool WriteRewrapLog(const std::u16string& logPath, std::u16string_view mxfPath, int ioMethod,
                    const MXF_BASE_INFO& base, const std::vector<INDEX_ENTRY_ARRAY>& entries,
                    const AUDIOTRACK_IO_INFO& plan, const char* encoding, const plat::LocalTime& now,
                    plat::SysError* err) {
  std::string bytes;
  if (!plat::Utf16ToMultibyte(ComposeRewrapLog(mxfPath, ioMethod, base, entries, plan, now), encoding, &bytes,
                              err)) {
    return false;
  }
  plat::File file = plat::File::Open(logPath, plat::Access::Write, plat::Share::Exclusive, err);
  if (!file.valid()) return false;
  const int64_t written = file.WriteAt(0, bytes.data(), bytes.size(), err);
  if (written != static_cast<int64_t>(bytes.size())) return false;
  return file.Sync(err);
}

bool WriteRewrapLog(plat::File& file, std::u16string_view mxfPath, int ioMethod, const MXF_BASE_INFO& base,
                    const std::vector<INDEX_ENTRY_ARRAY>& entries, const AUDIOTRACK_IO_INFO& plan,
                    const char* encoding, const plat::LocalTime& now, plat::SysError* err) {
  std::string bytes;
  if (!plat::Utf16ToMultibyte(ComposeRewrapLog(mxfPath, ioMethod, base, entries, plan, now), encoding, &bytes,
                              err)) {
    return false;
  }
  if (!file.Truncate(0, err)) return false;
  const int64_t written = file.WriteAt(0, bytes.data(), bytes.size(), err);
  if (written != static_cast<int64_t>(bytes.size())) return false;
  return file.Sync(err);
}

std::u16string ComposeRewrapLogCreated(std::u16string_view mxfPath, std::u16string_view logPath) {
  return FormatText(LoadString(kStrRewrapLogCreated),
                    {std::u16string_view(plat::FileNamePart(mxfPath)), logPath});
}

std::u16string ComposeRewrapLogCreateFailed(std::u16string_view mxfPath, plat::SysError err) {
  return FormatText(LoadString(kStrRewrapLogFailed),
                    {std::u16string_view(plat::FileNamePart(mxfPath)), static_cast<int64_t>(err)});
}
