// The timecode error log, the MXF information block, the error list and the
// texts shown around a verification.
#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "engine/mxf_state.h"
#include "engine/text_format.h"
#include "platform/text.h"
#include "verify/ltc_error.h"
#include "verify/mxf_info_block.h"
#include "verify/report_texts.h"
#include "verify/timecode_error_log.h"
#include "verify_fixture.h"

namespace verify_test {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf8(const std::u16string& s) { return plat::Utf16ToUtf8(s); }

// The system's own decoder (iconv, or code page 932 on Windows) reads the
// written bytes back independently of our encoder.
std::string Cp932ToUtf8(const std::string& bytes) {
#if defined(_WIN32)
  const int n = ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
  EXPECT_TRUE(n > 0 || bytes.empty());
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
  return plat::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
#else
  iconv_t cd = iconv_open("UTF-8", "CP932");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(bytes.size() * 3 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &dst, &outLeft), static_cast<size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
#endif
}

const plat::LocalTime kNow{2025, 1, 2, 3, 4, 5};

// A 29.97 DF interlaced file starting at 10:00:00.00, 18000 frames, with four
// errors in its list.
class SmallFileLog : public ::testing::Test {
 protected:
  SmallFileLog() {
    MXF_BASE_INFO& b = s_.base;
    b.fileSize = 123456789;
    CopyText(b.creationDate, 64, u"2024/03/15  10:30:45");
    CopyText(b.productName, 64, u"mxfgen");
    CopyText(b.productVersion, 32, u"1.0");
    CopyText(b.platform, 32, u"Linux");
    CopyText(b.companyName, 64, u"Velmora");
    b.versionMajor = 1;
    b.versionMinor = 3;
    b.dataElementSize = 0;
    CopyText(s_.video.codecName, 24, u"MPEG2 422P@HL");
    s_.video.bitRate = 12345678;
    s_.video.codedContentType = 2;
    s_.audio.sampleRate = 48000;
    s_.audio.bitsPerSample = 24;
    s_.audio.trackCount = 8;
    s_.audio.audioElementSize = 4828;
    INDEX_ENTRY_ARRAY e;
    e.deltaCount = 10;
    s_.indexEntries.push_back(e);
    MXF_TIMECODE_INFO& tc = s_.timecode;
    tc.frameRateClass = FRC_29_97;
    tc.tcBase = TC_BASE_30;
    tc.dropFrame = 1;
    tc.startFrame = 1078920;  // 10:00:00.00
    tc.endFrame = 1078920 + 17999;
    tc.duration = 18000;
    tc.entryCount = 18000;
    tc.segmentMaxFrames = 4300;
    tc.ltcErrors = &head_;
    Add(LTC_JUMP, 1, 1078921, 1078923);
    Add(LTC_STILL, 1800, 1078920 + 1800, 1078920 + 1800);
    Add(LTC_BACKWARDS, 17982, 1078920 + 17982, 1078920 + 17981);
    Add(LTC_BACKWARDS, 17983, -2, 1078920 + 17983);
    tc.ltcErrorCount = 4;
  }
  ~SmallFileLog() override { FreeLtcErrors(&head_); }

  void Add(int32_t kind, int32_t frame, int32_t occurrence, int32_t resume) {
    LTC_ERROR_ENTRY e;
    e.kind = kind;
    e.frameIndex = frame;
    e.occurrenceFrames = occurrence;
    e.resumeFrames = resume;
    ASSERT_NE(AppendLtcError(&head_, e), nullptr);
  }

  static constexpr const char* kExpected =
      "LTCエラーログ作成日 [MXF Audio Velmora 1.0.0.0]\r\n"
      "作成日: 2025/01/02  03:04:05\r\n"
      "\r\n"
      "< MXF情報 >\r\n"
      "A001.mxf\r\n"
      "/media/clips\r\n"
      "117.74 MB\r\n"
      "\r\n"
      "作成日: 2024/03/15  10:30:45\r\n"
      "更新日: 2025/01/02  03:04:05\r\n"
      "\r\n"
      "製品名: mxfgen 1.0\r\n"
      "    OS: Linux\r\n"
      "会社名: Velmora\r\n"
      "\r\n"
      "MXF version = 1.3\r\n"
      "\r\n"
      "Video Codec        = MPEG2 422P@HL\r\n"
      "Bit Rate           = 12.35 Mb/s\r\n"
      "FPS                = 29.97i\r\n"
      "Audio Sample       = 48000\r\n"
      "Audio Bit Depth    = 24\r\n"
      "Tracks             = 8\r\n"
      "Delta Entry        = 10\r\n"
      "Audio Element size = 4828\r\n"
      "Data Element size  = 0\r\n"
      "Segment Max frame  = 4300\r\n"
      "\r\n"
      "フレームレート = 29.97DF\r\n"
      "開始(フレーム) = 10:00:00.00 (1078920)\r\n"
      "終了(フレーム) = 10:10:00.17 (1096919)\r\n"
      "長さ(フレーム) = 00:10:00.18 (18000)\r\n"
      "\r\n"
      "想定フレーム数   = 18000\r\n"
      "実際のフレーム数 = 18000\r\n"
      "\r\n"
      "\r\n"
      "LTCエラー数: 4\r\n"
      "この数値が全フレームと同じかそれに近い場合、エレメントが壊れている可能性があります。\r\n"
      "\r\n"
      "#       発生場所     再開ＴＣ     積算         状態\r\n"
      "     0  10:00:00.01  10:00:00.03  00:00:00.01  inc\r\n"
      "     1  10:01:00.02  10:01:00.02  00:01:00.02  still\r\n"
      "     2  10:10:00.00  10:09:59.29  00:10:00.00  dec\r\n"
      "     3  00:00:00.-2  10:10:00.01  00:10:00.01  dec\r\n";

  const std::u16string mxfPath_ = u"/media/clips/A001.mxf";
  MxfState s_;
  LTC_ERROR_ENTRY head_;
  TempDir dir_;
};

TEST_F(SmallFileLog, WrittenByteForByte) {
  const std::string path = dir_.File("log.txt");
  std::ofstream(path) << "an older, longer file that must be truncated ......................";
  plat::SysError err = -1;
  ASSERT_TRUE(WriteTimecodeErrorLog(U16(path), mxfPath_, s_.base, s_.indexEntries, "UTF-8", kNow, &err));
  EXPECT_EQ(err, 0);
  EXPECT_EQ(ReadAll(path), kExpected);
  // The list is the caller's to release.
  EXPECT_EQ(CountLtcErrors(&head_), 4u);
}

TEST_F(SmallFileLog, Cp932WithoutByteOrderMark) {
  const std::string path = dir_.File("log932.txt");
  ASSERT_TRUE(WriteTimecodeErrorLog(U16(path), mxfPath_, s_.base, s_.indexEntries, "CP932", kNow, nullptr));
  const std::string bytes = ReadAll(path);
  // "LTCエラーログ作成日" in code page 932, right at the start.
  const std::string head = "LTC\x83\x47\x83\x89\x81\x5B\x83\x8D\x83\x4F\x8D\xEC\x90\xAC\x93\xFA";
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  // Full-width "ＴＣ" of the column heading.
  EXPECT_NE(bytes.find("\x8D\xC4\x8A\x4A\x82\x73\x82\x62"), std::string::npos);  // 再開ＴＣ
  EXPECT_EQ(Cp932ToUtf8(bytes), kExpected);
}

TEST_F(SmallFileLog, LocaleEncodingByDefault) {
  const std::string path = dir_.File("locale.txt");
  ASSERT_TRUE(WriteTimecodeErrorLog(U16(path), mxfPath_, s_.base, s_.indexEntries, nullptr, kNow, nullptr));
  std::string expected;
  ASSERT_TRUE(plat::Utf16ToMultibyte(ComposeTimecodeErrorLog(mxfPath_, s_.base, s_.indexEntries, kNow),
                                     plat::LocaleEncoding().c_str(), &expected));
  EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(SmallFileLog, FailuresAreReported) {
  plat::SysError err = 0;
  // A folder that does not exist: the log cannot be created.
  EXPECT_FALSE(WriteTimecodeErrorLog(U16(dir_.File("missing/log.txt")), mxfPath_, s_.base, s_.indexEntries,
                                     "UTF-8", kNow, &err));
#if defined(_WIN32)
  const plat::SysError missingFolder = ERROR_PATH_NOT_FOUND;  // 3
#else
  const plat::SysError missingFolder = ENOENT;  // 2
#endif
  EXPECT_EQ(err, missingFolder);
  EXPECT_EQ(Utf8(ComposeErrorLogCreateFailed(mxfPath_, err)),
            "A001.mxf\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: " +
                std::to_string(missingFolder));

  // An unknown encoding creates nothing.
  const std::string odd = dir_.File("odd.txt");
  EXPECT_FALSE(WriteTimecodeErrorLog(U16(odd), mxfPath_, s_.base, s_.indexEntries, "NO-SUCH-CODESET", kNow, &err));
  EXPECT_NE(err, 0);
  EXPECT_FALSE(std::filesystem::exists(odd));

  // A device that refuses every byte: the write itself fails.
  if (std::filesystem::exists("/dev/full")) {
    err = 0;
    EXPECT_FALSE(WriteTimecodeErrorLog(u"/dev/full", mxfPath_, s_.base, s_.indexEntries, "UTF-8", kNow, &err));
    EXPECT_EQ(err, ENOSPC);
    EXPECT_TRUE(Utf8(ComposeErrorLogCreateFailed(mxfPath_, err)).ends_with("\nERR: 1C"));
  }
}

TEST_F(SmallFileLog, WrittenOnlyWhenErrorsWereFound) {
  const std::string path = dir_.File("due.txt");
  plat::SysError err = -1;
  EXPECT_EQ(WriteTimecodeErrorLogIfDue(U16(path), mxfPath_, s_.base, s_.indexEntries, "UTF-8", kNow, &err),
            ErrorLogOutcome::Written);
  EXPECT_EQ(ReadAll(path), kExpected);

  FreeLtcErrors(&head_);
  s_.timecode.ltcErrorCount = 0;
  const std::string clean = dir_.File("clean.txt");
  EXPECT_EQ(WriteTimecodeErrorLogIfDue(U16(clean), mxfPath_, s_.base, s_.indexEntries, "UTF-8", kNow, &err),
            ErrorLogOutcome::NotDue);
  EXPECT_FALSE(std::filesystem::exists(clean));
}

// ---------------------------------------------------------------------------

// The lines of a composed block, without their CR LF.
std::vector<std::string> Lines(const std::u16string& text) {
  std::vector<std::string> lines;
  const std::string s = Utf8(text);
  size_t start = 0;
  for (size_t at; (at = s.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(s.substr(start, at - start));
  }
  EXPECT_EQ(start, s.size()) << "text does not end with CR LF";
  return lines;
}

TEST(MxfInfoBlock, RateScanAndCountingLabels) {
  struct Case {
    int32_t rateClass, dropFrame, contentType, codecIndex;
    const char* fps;
    const char* rate;
  };
  const Case cases[] = {
      {FRC_25, 0, 0, 0, "25", "25NDF"},            // no scan type known: bare label
      {FRC_25, 1, 1, 0, "25p", "25NDF"},           // drop flag means nothing at 25
      {FRC_25_1001, 0, 1, 0, "DMYp", "DMYNDF"},
      {FRC_59_94, 1, 0, 5, "59.94p", "59.94DF"},   // AVC rows are progressive
      {FRC_29_97, 0, 2, 6, "29.97i", "29.97NDF"},
      {FRC_23_98, 0, 0, 6, "23.98p", "23.98NDF"},
  };
  for (const Case& c : cases) {
    MxfState s;
    s.timecode.frameRateClass = c.rateClass;
    s.timecode.dropFrame = c.dropFrame;
    s.timecode.tcBase = TC_BASE_25;
    s.video.codedContentType = static_cast<uint8_t>(c.contentType);
    s.video.codecIndex = static_cast<uint8_t>(c.codecIndex);
    const std::vector<std::string> lines = Lines(ComposeMxfInfoBlock(u"/a/b.mxf", s.base, s.indexEntries, kNow));
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_EQ(lines[16], std::string("FPS                = ") + c.fps) << c.fps;
    EXPECT_EQ(lines[25], std::string("フレームレート = ") + c.rate) << c.rate;
    EXPECT_EQ(lines[20], "Delta Entry        = 0");  // no index entries at all
  }
}

TEST(MxfInfoBlock, LengthOfAClipStartingInHour23UsesTheShiftedForms) {
  MxfState s;
  s.timecode.tcBase = TC_BASE_25;
  s.timecode.frameRateClass = FRC_25;
  s.timecode.startHourIs23 = 1;
  s.timecode.startFrame = 2159750;  // 23:59:50:00
  s.timecode.endFrame = 249;        // 00:00:09:24
  s.timecode.startFrameShifted = 89750;
  s.timecode.endFrameShifted = 90249;
  const std::vector<std::string> lines = Lines(ComposeMxfInfoBlock(u"/x/y.mxf", s.base, s.indexEntries, kNow));
  ASSERT_EQ(lines.size(), 33u);
  EXPECT_EQ(lines[26], "開始(フレーム) = 23:59:50:00 (2159750)");
  EXPECT_EQ(lines[27], "終了(フレーム) = 00:00:09:24 (249)");
  EXPECT_EQ(lines[28], "長さ(フレーム) = 00:00:20:00 (500)");
}

TEST(TimecodeErrorLog, SixtyFrameRowsShowLabelsAtThirtyAndPositionsAtSixty) {
  LTC_ERROR_ENTRY e;
  e.kind = LTC_JUMP;
  e.occurrenceFrames = 108000;  // counted at 30 labels per second: 01:00:00:00
  e.resumeFrames = 108002;
  e.frameIndex = 61;            // real frames: one second and one frame at 60
  EXPECT_EQ(Utf8(ComposeTimecodeErrorRow(12, e, TC_BASE_60, 0)),
            "    12  01:00:00:00  01:00:00:02  00:00:01:01  inc\r\n");
  e.kind = 9;  // no label of its own
  EXPECT_EQ(Utf8(ComposeTimecodeErrorRow(123456, e, TC_BASE_25, 0)),
            "123456  01:12:00:00  01:12:00:02  00:00:02:11  \r\n");
}

// ---------------------------------------------------------------------------

TEST(LtcErrorList, AppendsInOrderAndFreesEverything) {
  LTC_ERROR_ENTRY head;
  EXPECT_EQ(AppendLtcError(nullptr, head), nullptr);
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 20000; ++i) {
      LTC_ERROR_ENTRY v;
      v.frameIndex = i;
      v.kind = LTC_STILL;
      v.next = &v;  // links of the value are not taken over
      ASSERT_NE(AppendLtcError(&head, v), nullptr);
    }
    ASSERT_EQ(CountLtcErrors(&head), 20000u);
    int expected = 0;
    const LTC_ERROR_ENTRY* prev = &head;
    for (const LTC_ERROR_ENTRY* e = head.next; e != nullptr; e = e->next, ++expected) {
      ASSERT_EQ(e->frameIndex, expected);
      ASSERT_EQ(e->prev, prev);
      prev = e;
    }
    FreeLtcErrors(&head);
    EXPECT_EQ(head.next, nullptr);
    EXPECT_EQ(CountLtcErrors(&head), 0u);
  }
  EXPECT_EQ(Utf8(LtcErrorKindLabel(LTC_JUMP)), "inc");
  EXPECT_EQ(Utf8(LtcErrorKindLabel(LTC_BACKWARDS)), "dec");
  EXPECT_EQ(Utf8(LtcErrorKindLabel(LTC_STILL)), "still");
}

TEST(ReportTexts, NoticesAndLogMessages) {
  EXPECT_TRUE(ComposeTrackLimitNotice(24).empty());
  EXPECT_EQ(Utf8(ComposeTrackLimitNotice(26)), "アプリの設計上 25 から 26トラックは認識されません。");
  EXPECT_TRUE(ComposeTrackLimitNoticeAfterCancel(8).empty());
  EXPECT_EQ(Utf8(ComposeTrackLimitNoticeAfterCancel(25)),
            "アプリの設計上 25 から 25トラックは認識されません。\nご了承ください。");
  EXPECT_EQ(Utf8(ComposeErrorLogCreated(u"/media/clips/A001.mxf")),
            "A001.mxf\r\n/media/clips/A001.mxf\r\n\nタイムコードエラーログを作成しました");
  EXPECT_EQ(Utf8(ComposeErrorLogCreateFailed(u"/m/A.mxf", 0xBEEF)),
            "A.mxf\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: BEEF");

  EXPECT_EQ(WithDefaultTextExtension(u"/logs/a.b/err"), u"/logs/a.b/err.txt");
  EXPECT_EQ(WithDefaultTextExtension(u"/logs/err.log"), u"/logs/err.log");
  EXPECT_TRUE(FitsSavePathBuffer(std::u16string(1023, u'a')));
  EXPECT_FALSE(FitsSavePathBuffer(std::u16string(1024, u'a')));
}

}  // namespace
}  // namespace verify_test
