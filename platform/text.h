// Text conversions: UTF-16 <-> UTF-8, and UTF-16 to the multibyte encoding
// of the process locale (or a named one) for the text logs.
#pragma once

#include <string>
#include <string_view>

#include "platform/sys_error.h"

namespace plat {

// Both never fail: an unpaired surrogate, or each maximal ill-formed part of
// the UTF-8 input, becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Sets the process locale from the user's environment (call once at start,
// before other threads run). False when the environment names a locale the
// system lacks; the process then runs in "C.UTF-8" (or "C" if that fails too).
bool SetLocaleFromUser();

// Name of the multibyte encoding of the process locale ("UTF-8", "SHIFT_JIS",
// "ANSI_X3.4-1968" for the "C" locale...).
std::string LocaleEncoding();

// Converts text to `encoding` (an iconv name such as "CP932" or "SHIFT_JIS";
// nullptr or empty: the locale's). Characters the encoding cannot hold become
// '?' (one per character, also for a surrogate pair). False with *err (EINVAL)
// on an unknown encoding.
bool Utf16ToMultibyte(std::u16string_view text, const char* encoding, std::string* out,
                      SysError* err = nullptr);

}  // namespace plat
