// Text conversions: UTF-16 <-> UTF-8, and UTF-16 to the multibyte encoding
// of the process locale (or a named one) for the text logs.
#pragma once

#include <string>
#include <string_view>

#include "platform/sys_error.h"

namespace plat {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Sets the process locale from the user's environment (call once at start).
void SetLocaleFromUser();

// Name of the multibyte encoding of the process locale ("UTF-8", "SHIFT_JIS"...).
std::string LocaleEncoding();

// Converts text to `encoding` (nullptr or empty: the locale's). Characters the
// encoding cannot hold become '?'. False with *err on an unknown encoding.
bool Utf16ToMultibyte(std::u16string_view text, const char* encoding, std::string* out,
                      SysError* err = nullptr);

}  // namespace plat
