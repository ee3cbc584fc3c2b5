#include "engine/text_format.h"

#include <cstring>

namespace {

std::u16string Digits(uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), static_cast<char16_t>(digits[value % base]));
    value /= base;
  } while (value != 0);
  return out;
}

}  // namespace

std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArg> args) {
  std::u16string out;
  auto arg = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    char16_t ch = format[i];
    if (ch != u'%' || i + 1 >= format.size()) {
      out.push_back(ch);
      continue;
    }
    ++i;
    if (format[i] == u'%') {
      out.push_back(u'%');
      continue;
    }
    bool zeroPad = false;
    if (format[i] == u'0') {
      zeroPad = true;
      ++i;
    }
    size_t width = 0;
    while (i < format.size() && format[i] >= u'0' && format[i] <= u'9') {
      width = width * 10 + static_cast<size_t>(format[i] - u'0');
      ++i;
    }
    if (i >= format.size()) break;
    char16_t conv = format[i];
    std::u16string piece;
    if (arg != args.end()) {
      if (conv == u's') {
        if (auto* s = std::get_if<std::u16string_view>(&*arg)) piece = *s;
      } else if (auto* n = std::get_if<int64_t>(&*arg)) {
        switch (conv) {
          case u'd':
            piece = *n < 0 ? u"-" + Digits(static_cast<uint64_t>(-(*n + 1)) + 1, 10, false)
                           : Digits(static_cast<uint64_t>(*n), 10, false);
            break;
          case u'u': piece = Digits(static_cast<uint64_t>(*n), 10, false); break;
          case u'X': piece = Digits(static_cast<uint32_t>(*n), 16, true); break;
          case u'x': piece = Digits(static_cast<uint32_t>(*n), 16, false); break;
          case u'c': piece.assign(1, static_cast<char16_t>(*n)); break;
          default: break;
        }
      }
      ++arg;
    }
    if (piece.size() < width) {
      size_t pad = width - piece.size();
      if (zeroPad && !piece.empty() && piece[0] == u'-') {
        piece.insert(1, pad, u'0');
      } else {
        piece.insert(0, pad, zeroPad ? u'0' : u' ');
      }
    }
    out += piece;
  }
  return out;
}

void CopyText(char16_t* dest, size_t capacity, std::u16string_view text) {
  if (dest == nullptr || capacity == 0) return;
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(dest, text.data(), n * sizeof(char16_t));
  dest[n] = 0;
}
