// UTF-16 <-> UTF-8. Portable: no system calls. Ill-formed input never stops a
// conversion; each ill-formed part becomes U+FFFD.
#include <cstdint>

#include "platform/text.h"

namespace plat {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendUtf16(char32_t c, std::u16string* out) {
  if (c < 0x10000) {
    out->push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 | (c >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
  }
}

bool IsTrail(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;  // unpaired surrogate
    }
    AppendUtf8(c, &out);
  }
  return out;
}

// Decodes well-formed UTF-8 (Unicode table 3-7). An ill-formed sequence is
// replaced by one U+FFFD per maximal subpart: a lead byte with the valid
// trail bytes that follow it, or a lone invalid byte.
std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char b0 = s[i];
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    char32_t c = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
      c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
      c = b0 & 0x0F;
      if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
      if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
      c = b0 & 0x07;
      if (b0 == 0xF0) lo = 0x90;  // no overlong forms
      if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
      out.push_back(kReplacement);  // C0, C1, F5..FF or a stray trail byte
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool ok = true;
    for (int k = 1; k < len; ++k, ++j) {
      if (j >= n) {
        ok = false;
        break;
      }
      const unsigned char b = s[j];
      const bool inRange = k == 1 ? (b >= lo && b <= hi) : IsTrail(b);
      if (!inRange) {
        ok = false;
        break;
      }
      c = (c << 6) | (b & 0x3F);
    }
    if (ok) {
      AppendUtf16(c, &out);
    } else {
      out.push_back(kReplacement);
    }
    i = j;
  }
  return out;
}

}  // namespace plat
