// Texts that the analysis dialog and the command-line tool show around a
// verification: the notices for files with more audio tracks than the track
// panel holds, and the messages after saving (or failing to save) the
// timecode error log; and the rules of the save dialog for text logs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys_error.h"

// Tracks beyond this number are not shown or rewritten.
inline constexpr int kMaxHandledTracks = 24;

// "アプリの設計上 25 から %dトラックは認識されません。" after a load; empty when
// trackCount is at most kMaxHandledTracks.
std::u16string ComposeTrackLimitNotice(int trackCount);
// The same notice after a cancelled verification whose file the user kept,
// with "\nご了承ください。" added; empty when trackCount is at most 24.
std::u16string ComposeTrackLimitNoticeAfterCancel(int trackCount);

// "%s\r\n%s\r\n\nタイムコードエラーログを作成しました": the MXF file's name and
// its full path.
std::u16string ComposeErrorLogCreated(std::u16string_view mxfPath);
// "%s\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: %X":
// the MXF file's name and the system error code in hexadecimal.
std::u16string ComposeErrorLogCreateFailed(std::u16string_view mxfPath, plat::SysError err);

// Captions of the analysis messages.
inline constexpr const char16_t* kCaptionFileAnalysis = u"MXF File Analysis";
inline constexpr const char16_t* kCaptionAnalysisCancelled = u"MXF Corvane";

// The save dialog for text logs.
inline constexpr const char16_t* kErrorLogSaveTitle = u"エラーログの保存";
inline constexpr const char16_t* kTextFileFilterName = u"テキスト(*.txt)";
inline constexpr const char16_t* kTextFileFilterPattern = u"*.txt";
inline constexpr const char16_t* kTextFileDefaultExtension = u"txt";
// Room for the chosen path, terminator included.
inline constexpr size_t kSavePathCapacity = 1024;

// The chosen name with ".txt" added when its file name has no extension (as
// the save dialog completes a name typed without one).
std::u16string WithDefaultTextExtension(std::u16string_view path);
// True when the path fits the caller's buffer of kSavePathCapacity units.
bool FitsSavePathBuffer(std::u16string_view path);
