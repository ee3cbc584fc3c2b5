// The timecode error log: a text file that starts with a header and the MXF
// information block and then lists every error of the verification, one row
// per LTC_ERROR_ENTRY. Composed as UTF-16 with CR LF line ends and written
// in a multibyte encoding without a byte-order mark.
//
// Row timecodes: the occurrence and resume columns are formatted at the base
// the verification counted them in (30 labels per second for 60-frame
// material, whose labels each cover two frames; the file's base otherwise);
// the third column is the erroneous frame's position from the first frame,
// a count of real frames at the file's base.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/mxf_records.h"
#include "platform/sys_error.h"
#include "platform/time.h"
#include "verify/ltc_error.h"

// The whole log text. Errors are the list behind base.timecode->ltcErrors,
// their count the record's ltcErrorCount.
std::u16string ComposeTimecodeErrorLog(std::u16string_view mxfPath, const MXF_BASE_INFO& base,
                                       const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                       const plat::LocalTime& now);

// Pieces of the log, for callers that show them elsewhere.
std::u16string ComposeTimecodeErrorLogHeader(const plat::LocalTime& now);
std::u16string ComposeTimecodeErrorRow(int32_t row, const LTC_ERROR_ENTRY& entry, int32_t tcBase,
                                       int32_t dropFrame);

// Composes the log and writes it to logPath (created or truncated), encoded
// in `encoding` (an iconv name such as "CP932"; nullptr or empty: the
// process locale's). True when every byte was written. False with *err set
// when the encoding is unknown (nothing is created), the file cannot be
// created, or a write fails.
bool WriteTimecodeErrorLog(const std::u16string& logPath, std::u16string_view mxfPath,
                           const MXF_BASE_INFO& base, const std::vector<INDEX_ENTRY_ARRAY>& entries,
                           const char* encoding, const plat::LocalTime& now, plat::SysError* err);

// The log is written only for a verification that found errors.
bool TimecodeErrorLogDue(const MXF_BASE_INFO& base);

enum class ErrorLogOutcome {
  Written,   // errors were found and the log was written
  NotDue,    // no errors: nothing was created
  Failed,    // the log could not be written (*err says why)
};

// TimecodeErrorLogDue, then WriteTimecodeErrorLog.
ErrorLogOutcome WriteTimecodeErrorLogIfDue(const std::u16string& logPath, std::u16string_view mxfPath,
                                           const MXF_BASE_INFO& base,
                                           const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                           const char* encoding, const plat::LocalTime& now,
                                           plat::SysError* err);
