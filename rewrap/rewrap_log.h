// The rewrap detail log: the method, the MXF file's facts, the range and
// what each track received. Composed as UTF-16 with CR LF line ends and
// written in a multibyte encoding without a byte-order mark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/mxf_records.h"
#include "engine/sound_write_tap.h"
#include "resources/string_table.h"
#include "platform/sys_error.h"
#include "platform/time.h"

struct AUDIOTRACK_IO_INFO;
namespace plat {
class File;
}

std::u16string ComposeRewrapLog(std::u16string_view mxfPath, int ioMethod, const MXF_BASE_INFO& base,
                                const std::vector<INDEX_ENTRY_ARRAY>& entries, const AUDIOTRACK_IO_INFO& plan,
                                const plat::LocalTime& now);

// Writes the log to logPath (created or replaced) in `encoding` (an iconv
// name; nullptr or empty: the process locale's). False with *err when the
// encoding is unknown, the file cannot be created or a write fails.
bool WriteRewrapLog(const std::u16string& logPath, std::u16string_view mxfPath, int ioMethod,
                    const MXF_BASE_INFO& base, const std::vector<INDEX_ENTRY_ARRAY>& entries,
                    const AUDIOTRACK_IO_INFO& plan, const char* encoding, const plat::LocalTime& now,
                    plat::SysError* err);

// The same into a log file the caller created (and holds) before the
// rewrap, so that a log that cannot be created stops the job before the
// MXF file changes.
bool WriteRewrapLog(plat::File& file, std::u16string_view mxfPath, int ioMethod, const MXF_BASE_INFO& base,
                    const std::vector<INDEX_ENTRY_ARRAY>& entries, const AUDIOTRACK_IO_INFO& plan,
                    const char* encoding, const plat::LocalTime& now, plat::SysError* err);

// One measured programme's line ("トラック3: 統合ラウドネス -23.0 LKFS ...").
std::u16string ComposeLevelLine(const SOUND_LEVEL& level, TextLanguage language);
// The log's loudness piece: a heading and one line per programme of a
// completed, measured rewrap; empty when nothing was measured.
std::u16string ComposeLevelsLogPiece(const SOUND_LEVELS& levels);

// Messages around the log.
inline constexpr const char16_t* kRewrapLogSaveTitle = u"ラッピング詳細ログの保存";
inline constexpr const char16_t* kRewrapLogQuestion = u"詳細ログを作成しますか？";
std::u16string ComposeRewrapLogCreated(std::u16string_view mxfPath, std::u16string_view logPath);
std::u16string ComposeRewrapLogCreateFailed(std::u16string_view mxfPath, plat::SysError err);
