// The Japanese texts of the desktop application that are not in the
// program's string table: captions, labels and message formats.
#pragma once

#include "resources/version.h"

namespace txt {

// Captions.
inline constexpr char16_t kAppCaption[] = u"MXF Audio Velmora";
inline constexpr char16_t kCaptionDropped[] = u"ドロップされたファイル";
inline constexpr char16_t kCaptionMxfLoad[] = u"MXFファイルのロード";
inline constexpr char16_t kCaptionWavLoad[] = u"BWF(WAV)ファイルのロード";
inline constexpr char16_t kCaptionMemory[] = u"メモリアロケーション";
// What a message box without a caption of its own shows.
inline constexpr char16_t kCaptionSystemDefault[] = u"エラー";

// Start-up and loading.
inline constexpr char16_t kAlreadyRunning[] = u"MXF Audio Velmora はすでに起動しています。";
inline constexpr char16_t kAlreadyLoaded[] =
    u"MXFファイルはすでにロードされています。\n[ファイル]→[MXFファイルをアンロード]を行ってください。";
inline constexpr char16_t kOpenFailedCommand[] =
    u"%s\n\nMXFファイルをロードできません。\n接続デバイス、他のアプリで使用していないか確認して下さい。\nERR: %X";
inline constexpr char16_t kOpenFailedDrop[] =
    u"%s\n\nMXFファイルを開くことができません。\n他のアプリで使用していないか、または接続デバイスを確認して下さい。\nERR: %X";
inline constexpr char16_t kOneMxfOnly[] =
    u"一度にロードできるMXFファイルは１つだけです。\nラッピングミスを防ぐため処理を中断します。";
inline constexpr char16_t kWavNeedsMxf[] =
    u"BWF(WAV)ファイルのタイムコードスタンプを正確に生成する必要があるため、MXFファイルがロードされた状態で追加してください。";
inline constexpr char16_t kViewRebuildFailed[] =
    u"メモリのサイズ更新ができません。\n一度PCを終了させ起動してみてください。";

// Rewrap.
inline constexpr char16_t kAllSwitchesOff[] = u"トラックスイッチが全てOFFになっています。";
inline constexpr char16_t kBackupQuestion[] =
    u"MXFファイルのバックアップは済んでいますか？\n\nよろしければラッピングを開始します。";

// File dialogs.
// Ctrl+L when the desktop has no program that opens folders.
inline constexpr char16_t kFolderOpenFailed[] = u"フォルダを開くことができませんでした。\n%s";
inline constexpr char16_t kOpenMxfTitle[] = u"MXFファイルをロード";
inline constexpr char16_t kOpenWavTitle[] = u"BWF(WAV)ファイルを開く";
inline constexpr char16_t kMxfFilter[] = u"MXF(*.mxf)";
inline constexpr char16_t kWavFilter[] = u"WAV(*.wav)";
inline constexpr char16_t kBwfFilter[] = u"BWF(*.bwf)";

// Information panel.
inline constexpr char16_t kDropHint[] = u"MXFファイルをウィンドウにドラッグ＆ドロップしてください";
inline constexpr char16_t kCreatorTitle[] = u"ファイルクリエータ情報";
inline constexpr char16_t kNoCreatorInfo[] = u"情報はありません。";
inline constexpr char16_t kNoTimecode[] = u"--:--:--:--";
inline constexpr char16_t kUnknown[] = u"Unknown";

// Status bar.
inline constexpr char16_t kNoPath[] = u"パス情報はありません。";
inline constexpr char16_t kLibraryCounts[] = u"WAV/BWFファイル : %2d個   %2d個を選択中";

// Track area without a file.
inline constexpr char16_t kTitle[] = u"MXF Audio Velmora";
inline constexpr char16_t kSubtitle[] = u"MXF Audio Track Replacement tool";

// About dialog.
inline constexpr char16_t kAboutCaption[] = u"バージョン情報";
inline constexpr char16_t kAboutName[] = u"MXF Audio Velmora";
inline constexpr char16_t kAboutVersion[] = u"Version " VELMORA_VERSION;

// Message box buttons.
inline constexpr char16_t kYes[] = u"はい(&Y)";
inline constexpr char16_t kNo[] = u"いいえ(&N)";
inline constexpr char16_t kOk[] = u"OK";
inline constexpr char16_t kCancel[] = u"キャンセル";

}  // namespace txt
