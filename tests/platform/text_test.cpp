#include <cerrno>
#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace plat;

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out.push_back(' ');
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

TEST(Utf, RoundTripsJapaneseAndSurrogatePairs) {
  const std::u16string text = u"MXF音声の差し替え ｱｲｳ \U0001F3B5 \U0010FFFF end";
  const std::string utf8 = Utf16ToUtf8(text);
  EXPECT_EQ(Utf8ToUtf16(utf8), text);

  EXPECT_EQ(Hex(Utf16ToUtf8(u"\U0001F3B5")), "F0 9F 8E B5");
  EXPECT_EQ(Hex(Utf16ToUtf8(u"日本")), "E6 97 A5 E6 9C AC");
  EXPECT_EQ(Hex(Utf16ToUtf8(u"\u00E9\u07FF\u0800")), "C3 A9 DF BF E0 A0 80");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
  EXPECT_TRUE(Utf16ToUtf8(u"").empty());
  EXPECT_TRUE(Utf8ToUtf16("").empty());
}

TEST(Utf, UnpairedSurrogatesBecomeReplacement) {
  const char16_t loneHigh[] = {u'a', 0xD83C, u'b', 0};
  const char16_t loneLow[] = {0xDF35, u'c', 0};
  const char16_t highAtEnd[] = {u'x', 0xD83C, 0};
  const char16_t reversed[] = {0xDF35, 0xD83C, 0};
  EXPECT_EQ(Utf16ToUtf8(loneHigh), "a\uFFFD" "b");
  EXPECT_EQ(Utf16ToUtf8(loneLow), "\uFFFD" "c");
  EXPECT_EQ(Utf16ToUtf8(highAtEnd), "x\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(reversed), "\uFFFD\uFFFD");
}

TEST(Utf, IllFormedUtf8BecomesOneReplacementPerMaximalPart) {
  const std::u16string R = u"\uFFFD";
  EXPECT_EQ(Utf8ToUtf16("a\x80" "b"), u"a" + R + u"b");         // stray trail byte
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), R + R);                     // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), R + R + R);             // overlong, 3 bytes
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), R + R + R);             // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), R + R + R + R);     // above U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("\xF5\xFF"), R + R);
  EXPECT_EQ(Utf8ToUtf16("x\xE6\x97"), u"x" + R);                 // truncated at the end
  EXPECT_EQ(Utf8ToUtf16("\xE6\x97" "A"), R + u"A");              // truncated in the middle
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x8E" "\xE6\x97\xA5"), R + u"日");
  EXPECT_EQ(Utf8ToUtf16(std::string("\0z", 2)), std::u16string(u"\0z", 2));
}

TEST(Multibyte, ShiftJisBytes) {
  const std::u16string text = u"日本語テスト ｱ\r\n";
  std::string out;
  SysError err = -1;
  for (const char* enc : {"SHIFT_JIS", "CP932"}) {
    ASSERT_TRUE(Utf16ToMultibyte(text, enc, &out, &err)) << enc;
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Hex(out), "93 FA 96 7B 8C EA 83 65 83 58 83 67 20 B1 0D 0A") << enc;
  }

  // Characters the target cannot hold become one '?' each, a surrogate pair included.
  ASSERT_TRUE(Utf16ToMultibyte(u"a\U0001F3B5b\u20ACc", "CP932", &out, &err));
  EXPECT_EQ(out, "a?b?c");
  // U+FF5E is in Windows' code page 932 but not in plain Shift_JIS.
  ASSERT_TRUE(Utf16ToMultibyte(u"\uFF5E", "CP932", &out, &err));
  EXPECT_EQ(Hex(out), "81 60");
#if !defined(_WIN32)  // Windows has no plain Shift_JIS: the name means code page 932 there
  ASSERT_TRUE(Utf16ToMultibyte(u"\uFF5E", "SHIFT_JIS", &out, &err));
  EXPECT_EQ(out, "?");
#endif
}

// Code page 932 as Windows converts it, without best fit: the JIS forms that
// have a Microsoft look-alike (wave dash, minus sign, double vertical line...)
// become '?', their look-alikes and the NEC and IBM extensions keep their codes.
TEST(Multibyte, Cp932AsWindowsConvertsIt) {
  const struct {
    char16_t c;
    const char* hex;
  } kCases[] = {
      {0xFF5E, "81 60"}, {0x301C, "3F"},    {0xFF0D, "81 7C"}, {0x2212, "3F"},    {0x2225, "81 61"},
      {0x2016, "3F"},    {0xFFE0, "81 91"}, {0x00A2, "3F"},    {0xFFE1, "81 92"}, {0x00A3, "3F"},
      {0xFFE2, "81 CA"}, {0x00AC, "3F"},    {0x2015, "81 5C"}, {0x2014, "3F"},    {0x005C, "5C"},
      {0x00A5, "3F"},    {0x007E, "7E"},    {0x203E, "3F"},    {0x2460, "87 40"}, {0x2170, "FA 40"},
      {0x3231, "87 8A"}, {0x9AD9, "FB FC"},
  };
  for (const auto& k : kCases) {
    std::string out;
    SysError err = -1;
    ASSERT_TRUE(Utf16ToMultibyte(std::u16string(1, k.c), "CP932", &out, &err));
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Hex(out), k.hex) << "U+" << std::hex << static_cast<int>(k.c);
  }
}

TEST(Multibyte, StatefulEncodingShiftsBackForReplacement) {
  std::string out;
  // ISO-2022-JP: ESC $ B enters JIS X 0208, ESC ( B returns to ASCII; the '?'
  // for the unconvertible emoji must appear in ASCII mode.
#if defined(_WIN32)
  CPINFO info;
  if (!::GetCPInfo(50220, &info)) GTEST_SKIP() << "this system has no ISO-2022-JP code page (wine lacks 50220)";
#endif
  ASSERT_TRUE(Utf16ToMultibyte(u"日\U0001F3B5", "ISO-2022-JP", &out));
  EXPECT_EQ(out, "\x1B$BF|\x1B(B?");
}

TEST(Multibyte, UnknownEncodingFails) {
  std::string out = "stale";
  SysError err = 0;
  EXPECT_FALSE(Utf16ToMultibyte(u"abc", "NO-SUCH-CHARSET-42", &out, &err));
#if defined(_WIN32)
  EXPECT_EQ(err, kErrInvalidArg);
#else
  EXPECT_EQ(err, EINVAL);
#endif
  EXPECT_TRUE(out.empty());
}

TEST(Multibyte, LocaleDecidesTheDefaultEncoding) {
#if defined(_WIN32)
  GTEST_SKIP() << "the ANSI code page, not the C library's locale, decides it on Windows (WindowsText.*)";
#endif
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  std::string out;
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  EXPECT_EQ(LocaleEncoding(), "UTF-8");
  ASSERT_TRUE(Utf16ToMultibyte(u"日本", nullptr, &out));
  EXPECT_EQ(out, "日本");

  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  ASSERT_TRUE(Utf16ToMultibyte(u"A日本", "", &out));
  EXPECT_EQ(out, "A??");
  std::setlocale(LC_ALL, saved.c_str());
}

#if defined(_WIN32)
// The wine prefix of the tests runs in Japanese, so the ANSI code page is 932.
TEST(WindowsText, LocaleEncodingIsTheAnsiCodePage) {
  EXPECT_EQ(LocaleEncoding(), "CP" + std::to_string(::GetACP()));
  std::string viaLocale, via932;
  ASSERT_TRUE(Utf16ToMultibyte(u"日本～", nullptr, &viaLocale));
  ASSERT_TRUE(Utf16ToMultibyte(u"日本～", ("CP" + std::to_string(::GetACP())).c_str(), &via932));
  EXPECT_EQ(viaLocale, via932);
}
#endif

}  // namespace
