// Helpers for the text logs the dialogs write.
#pragma once

#include <string>

#include "platform/sys_error.h"

// The multibyte encoding the logs are written in: the process locale's, or
// UTF-8 when the locale is the plain "C" locale (which holds no Japanese).
std::string LogEncoding();

// Creates (or truncates) the file to learn whether the log can be written
// there. False with *err set when it cannot be created.
bool CanCreateLogFile(const std::u16string& path, plat::SysError* err);
