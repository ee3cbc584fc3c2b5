// Helpers for the text logs the dialogs write.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sys_error.h"

// The encodings the user can choose for the text logs (the timecode error
// log and the rewrap detail log), as the command-line tool's --log-encoding.
enum LOG_ENCODING : uint8_t {
  LOG_ENCODING_LOCALE = 0,  // the process locale's
  LOG_ENCODING_UTF8 = 1,
  LOG_ENCODING_CP932 = 2,   // Shift_JIS as Windows writes it
};
inline constexpr int kLogEncodingCount = 3;

// The encoding name the log writers hand to the text conversion: for the
// locale setting the process locale's, or UTF-8 when the locale is the plain
// "C" locale (which holds no Japanese); "UTF-8"; "CP932". An unknown setting
// counts as the locale's.
std::string LogEncodingName(uint8_t setting);

// The label of a setting in the settings dialog.
std::u16string LogEncodingLabel(int setting);

// Creates (or truncates) the file to learn whether the log can be written
// there. False with *err set when it cannot be created.
bool CanCreateLogFile(const std::u16string& path, plat::SysError* err);
