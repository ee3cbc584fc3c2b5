// Locale and multibyte conversion through setlocale, nl_langinfo and iconv.
#include <algorithm>
#include <cerrno>
#include <clocale>

#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

#include "platform/text.h"

namespace plat {

namespace {

void SetErr(SysError* err, SysError value) {
  if (err) *err = value;
}

bool IsUtf8Name(const std::string& name) {
  return strcasecmp(name.c_str(), "UTF-8") == 0 || strcasecmp(name.c_str(), "UTF8") == 0;
}

// Windows' code page 932 under its iconv names.
bool IsCp932Name(const std::string& name) {
  return strcasecmp(name.c_str(), "CP932") == 0 || strcasecmp(name.c_str(), "WINDOWS-31J") == 0 ||
         strcasecmp(name.c_str(), "MS932") == 0;
}

// Characters glibc's CP932 converts one way only, to the code of a look-alike
// (U+301C WAVE DASH to the code of U+FF5E FULLWIDTH TILDE, U+2212 MINUS SIGN
// to that of U+FF0D...). Windows converts them without best fit to '?', and
// so do we, so a log reads back as what was written.
bool IsCp932LookAlike(char16_t c) {
  switch (c) {
    case 0x00A2: case 0x00A3: case 0x00A5: case 0x00AC: case 0x2014:
    case 0x2016: case 0x203E: case 0x2212: case 0x301C:
      return true;
    default:
      return false;
  }
}

// Length of the UTF-8 sequence that starts with b (input is well-formed: it
// comes from Utf16ToUtf8).
size_t Utf8SequenceLength(unsigned char b) {
  if (b < 0x80) return 1;
  if (b < 0xE0) return 2;
  if (b < 0xF0) return 3;
  return 4;
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (valid()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Runs one iconv call over *in (nullptr: flush the shift state), growing out
// as needed. Returns 0, or the errno that stopped it (EILSEQ, EINVAL).
int Convert(iconv_t cd, const char** in, size_t* inLeft, std::string* out) {
  for (;;) {
    size_t used = out->size();
    size_t room = 64 + (inLeft ? *inLeft * 2 : 0);
    out->resize(used + room);
    char* dst = out->data() + used;
    size_t dstLeft = room;
    size_t r = in ? iconv(cd, const_cast<char**>(in), inLeft, &dst, &dstLeft)
                  : iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    const int e = errno;
    out->resize(used + (room - dstLeft));
    if (r != static_cast<size_t>(-1)) return 0;
    if (e != E2BIG) return e;
  }
}

}  // namespace

bool SetLocaleFromUser() {
  if (std::setlocale(LC_ALL, "") != nullptr) return true;
  if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) std::setlocale(LC_ALL, "C");
  return false;
}

std::string LocaleEncoding() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset && *codeset ? codeset : "ANSI_X3.4-1968";
}

bool Utf16ToMultibyte(std::u16string_view text, const char* encoding, std::string* out, SysError* err) {
  SetErr(err, 0);
  out->clear();
  const std::string target = encoding && *encoding ? std::string(encoding) : LocaleEncoding();
  if (IsUtf8Name(target)) {
    *out = Utf16ToUtf8(text);
    return true;
  }
  Iconv cd(target.c_str(), "UTF-8");
  if (!cd.valid()) {
    SetErr(err, errno == EINVAL ? EINVAL : errno);
    return false;
  }
  std::u16string exact;
  if (IsCp932Name(target)) {
    exact.assign(text);
    for (auto& c : exact)
      if (IsCp932LookAlike(c)) c = u'?';
    text = exact;
  }
  const std::string utf8 = Utf16ToUtf8(text);
  const char* in = utf8.data();
  size_t inLeft = utf8.size();
  static const char kQuestion[] = "?";
  while (inLeft > 0) {
    if (Convert(cd.get(), &in, &inLeft, out) == 0) break;
    // EILSEQ: the character at `in` has no form in the target encoding.
    // EINVAL (incomplete input) cannot happen with well-formed UTF-8 but is
    // handled the same way. The '?' goes through the converter too, so that
    // stateful encodings (ISO-2022-JP) shift back first.
    const size_t skip = std::min(Utf8SequenceLength(static_cast<unsigned char>(*in)), inLeft);
    in += skip;
    inLeft -= skip;
    const char* q = kQuestion;
    size_t qLeft = 1;
    if (Convert(cd.get(), &q, &qLeft, out) != 0) out->push_back('?');
  }
  Convert(cd.get(), nullptr, nullptr, out);  // back to the initial shift state
  return true;
}

}  // namespace plat
