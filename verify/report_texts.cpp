#include "verify/report_texts.h"

#include "engine/text_format.h"
#include "platform/path.h"

std::u16string ComposeTrackLimitNotice(int trackCount) {
  if (trackCount <= kMaxHandledTracks) return {};
  return FormatText(u"アプリの設計上 %d から %dトラックは認識されません。", {kMaxHandledTracks + 1, trackCount});
}

std::u16string ComposeTrackLimitNoticeAfterCancel(int trackCount) {
  if (trackCount <= kMaxHandledTracks) return {};
  return FormatText(u"アプリの設計上 %d から %dトラックは認識されません。\nご了承ください。",
                    {kMaxHandledTracks + 1, trackCount});
}

std::u16string ComposeErrorLogCreated(std::u16string_view mxfPath) {
  return FormatText(u"%s\r\n%s\r\n\nタイムコードエラーログを作成しました",
                    {plat::FileNamePart(mxfPath), mxfPath});
}

std::u16string ComposeErrorLogCreateFailed(std::u16string_view mxfPath, plat::SysError err) {
  return FormatText(u"%s\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: %X",
                    {plat::FileNamePart(mxfPath), err});
}

std::u16string WithDefaultTextExtension(std::u16string_view path) {
  std::u16string out(path);
  if (!path.empty() && plat::Extension(path).empty()) {
    out += u'.';
    out += kTextFileDefaultExtension;
  }
  return out;
}

bool FitsSavePathBuffer(std::u16string_view path) { return path.size() < kSavePathCapacity; }
