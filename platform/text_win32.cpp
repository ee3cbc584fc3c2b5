// Locale and multibyte conversion on Windows: code pages through
// WideCharToMultiByte, never best-fit (a character the code page lacks
// becomes '?', not a look-alike). The "locale" encoding is the ANSI code page.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <string>

#include "platform/text.h"

namespace plat {

namespace {

void SetErr(SysError* err, SysError value) {
  if (err) *err = value;
}

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

// The code page for an encoding name (the iconv names the callers use, and
// "CPnnn"); 0 for a name we do not know.
UINT CodePageOf(const std::string& name) {
  const std::string n = Upper(name);
  if (n == "UTF-8" || n == "UTF8") return CP_UTF8;
  // Windows has no plain Shift_JIS code page: 932 is its superset.
  if (n == "CP932" || n == "SHIFT_JIS" || n == "SHIFT-JIS" || n == "SJIS" || n == "WINDOWS-31J" || n == "MS932")
    return 932;
  if (n == "ISO-2022-JP") return 50220;
  if (n == "EUC-JP") return 20932;
  if (n == "ASCII" || n == "US-ASCII" || n == "ANSI_X3.4-1968") return 20127;
  if (n == "ISO-8859-1" || n == "LATIN1") return 28591;
  if (n.size() > 2 && n.compare(0, 2, "CP") == 0 && n.find_first_not_of("0123456789", 2) == std::string::npos)
    return static_cast<UINT>(std::stoul(n.substr(2)));
  return 0;
}

// Code pages whose converters take neither flags nor a default character.
bool IsFlaglessCodePage(UINT cp) {
  return cp == CP_UTF8 || cp == CP_UTF7 || cp == 50220 || cp == 50221 || cp == 50222 || cp == 50225 ||
         cp == 50227 || cp == 50229 || cp == 52936 || cp == 54936 || (cp >= 57002 && cp <= 57011) || cp == 42;
}

bool Convert(UINT cp, std::u16string_view text, std::string* out, bool* lossy) {
  out->clear();
  if (lossy) *lossy = false;
  if (text.empty()) return true;
  const auto* w = reinterpret_cast<const wchar_t*>(text.data());
  const int len = static_cast<int>(text.size());
  const bool plain = IsFlaglessCodePage(cp);
  const DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = plain || !lossy ? nullptr : &usedDefault;
  const char* defaultChar = plain ? nullptr : "?";
  const int n = ::WideCharToMultiByte(cp, flags, w, len, nullptr, 0, defaultChar, used);
  if (n <= 0) return false;
  out->resize(static_cast<size_t>(n));
  ::WideCharToMultiByte(cp, flags, w, len, out->data(), n, defaultChar, used);
  if (lossy) *lossy = usedDefault != FALSE;
  return true;
}

}  // namespace

bool SetLocaleFromUser() { return std::setlocale(LC_ALL, "") != nullptr; }

std::string LocaleEncoding() { return "CP" + std::to_string(::GetACP()); }

bool Utf16ToMultibyte(std::u16string_view text, const char* encoding, std::string* out, SysError* err) {
  SetErr(err, 0);
  out->clear();
  const std::string target = encoding && *encoding ? std::string(encoding) : LocaleEncoding();
  const UINT cp = CodePageOf(target);
  CPINFO info;
  if (cp == 0 || (cp != CP_UTF8 && !::GetCPInfo(cp, &info))) {
    SetErr(err, kErrInvalidArg);
    return false;
  }
  if (cp == CP_UTF8) {
    *out = Utf16ToUtf8(text);
    return true;
  }
  bool lossy = false;
  if (Convert(cp, text, out, &lossy) && !lossy) return true;
  // Some characters have no form here: replace each (a surrogate pair, or an
  // unpaired surrogate, counting as one) by '?' and convert the rest.
  std::u16string kept;
  kept.reserve(text.size());
  std::string probe;
  for (size_t i = 0; i < text.size();) {
    size_t n = 1;
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      n = 2;
    const std::u16string_view one = text.substr(i, n);
    const bool surrogate = text[i] >= 0xD800 && text[i] <= 0xDFFF;
    bool bad = surrogate && IsFlaglessCodePage(cp);  // those converters cannot tell us
    if (!bad) bad = !Convert(cp, one, &probe, &lossy) || lossy;
    if (bad)
      kept.push_back(u'?');
    else
      kept.append(one);
    i += n;
  }
  if (!Convert(cp, kept, out, nullptr)) {
    SetErr(err, static_cast<SysError>(::GetLastError()));
    return false;
  }
  return true;
}

}  // namespace plat
