#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every id the job runner's code table names, with its text.
const std::vector<std::pair<int, std::u16string>> kRunnerTexts = {
    {105, u"ファイルハンドルが無効になっています。"},
    {106, u"MXF_BASE_INFOポインタが無効になっています。"},
    {107, u"オーディオトラックがありません。"},
    {108, u"このファイルのビットレートが16bit または 24bit になっていません。"},
    {110, u"このファイルのサンプルレートが48kHzになっていません。"},
    {111, u"5フレームサンプルパターンがリストにありません。"},
    {112, u"MXF_VIDEO_INFOポインタが無効になっています。"},
    {113, u"ビデオ・ディスクリプタが見つかりません。"},
    {114, u"エッセンス・コーディングラベルが見つからりません。"},
    {115, u"映像コーディングがテーブルにないか、対応していません。"},
    {116, u"ファイルハンドルが無効になっています。"},
    {117, u"MXF_BASE_INFOポインタが無効になっています。"},
    {118, u"MXF_PARTITION_INFOポインタが無効になっています。"},
    {119, u"MXFファイルのマッピングビューが作成できません。"},
    {121, u"MXFファイルのマッピングビューが作成できません。"},
    {122, u"BWFファイルが作成出来ません。"},
    {124, u"BWFファイルのメモリマッピングハンドルが取得できません。"},
    {125, u"BWFファイル用の一時バッファが取得できません。"},
    {126, u"トラックセグメントバッファが確保できません。\n一度に実行するトラック数を減らしてみてください。"},
    {127, u"BWFファイルのマッピングビューが作成できません。"},
    {129, u"ファイルハンドルが無効になっています。"},
    {130, u"MXF_BASE_INFOポインタが無効になっています。"},
    {131, u"MXF_TIMECODE_INFOポインタが無効になっています。"},
    {132, u"MXF_AUDIO_INFOポインタが無効になっています。"},
    {133, u"タイムコードデータを格納するメモリが確保できません。"},
    {134, u"マッピングハンドルが取得できません。"},
    {135, u"マッピングビューを作成できません。\nアプリを再起動してみてください。"},
    {136, u"MXFタイムコードエラーが検出されました。\r\nログファイルを作成しますか？"},
    {137, u"デルタエントリー数が想定数26(映像1+TC1+音声24)を越えているため、処理ができません。"},
    {228, u"ファイルハンドルが無効になっています。"},
    {229, u"ファイルパスがありません。"},
    {230, u"ファイルハンドルが無効になっています。"},
    {231, u"MXF_BASE_INFOポインタが無効になっています。"},
    {232, u"MXF_PARTITON_INFOポインタが無効になっています。"},
    {233, u"ランダム・インデックス・テーブルが見つかりません。"},
    {234, u"ランダム・インデックス・テーブルを格納用のメモリが確保できません。"},
    {235, u"パーティション情報格納用のメモリが確保できません。"},
    {236, u"パーティションステータスがOPEN(未確定状態)になっているため情報が読み取れません。"},
    {237, u"ファイルハンドルが無効になっています。"},
    {238, u"MXF_BASE_INFOポインタが無効になっています。"},
    {239, u"MXF_PARTITION_INFOポインタが無効になっています。"},
    {240, u"Preface Setが見つかりません。"},
    {241, u"MXF_BASE_INFOポインタが無効になっています。"},
    {242, u"ファイルハンドルが無効になっています。"},
    {243, u"MXF_AUDIO_INFOポインタが無効になっています。"},
    {244, u"INDEX_ENTRY_ARRAYポインタが無効になっています。"},
    {245, u"ラッピングに必要な情報がみつかりませんでした。"},
    {246, u"MXFファイルの基本情報が見つかりません。"},
    {247, u"ファイルハンドルが無効になっています。"},
    {248, u"MXF_BASE_INFOポインタが無効になっています。"},
    {249, u"MXF_PARTITON_INFOポインタが無効になっています。"},
    {251, u"エラーコード未定です。"},
    {253, u"ファイルパスがありません。"},
    {254, u"ラッピングに必要な情報がみつかりませんでした。"},
    {255, u"MXFファイルの基本情報が見つかりません。"},
    {256, u"FPS値が対応外のデータになっています。"},
    {257, u"IN / OUT タイムコードが不適切な値になっています。"},
    {258, u"MXFファイルを開くことができません。"},
    {259, u"MXFファイルのメモリマッピングハンドルが取得できませんでした。\nアプリを再起動してみてください。"},
    {260, u"エラー情報を格納するメモリが確保できません。"},
    {265, u"FPS値が対応外のデータになっています。"},
    {266, u"IN / OUT タイムコードが不適切な値になっています。"},
    {267, u"書込みバッファが確保できません。\nPCの再起動が必要かもしれません。"},
    {268, u"MXFファイルを開くことができません。"},
    {269, u"BWFファイルの中に開けないファイルがあったため中断します。\nファイルを確認してください。"},
    {270, u"ファイルパスがありません。"},
    {271, u"AUDIOTRACK_IO_INFOのポインタが無効になっています。"},
    {272, u"MXF_BASE_INFOポインタが無効になっています。"},
    {273, u"FPS値が対応外のデータになっています。"},
    {274, u"IN / OUT タイムコードが不適切な値になっています。"},
    {275, u"MXFファイルを開くことができません。"},
    {276, u"MXFファイルのメモリマッピングハンドルが取得できませんでした。\nアプリを再起動してみてください。"},
    {278, u"マッピングビューを作成できません。\nアプリを再起動してみてください。"},
    {279, u"ファイルパスがありません。"},
    {280, u"書出しに必要な情報がみつかりませんでした。"},
    {281, u"MXFファイルの基本情報が見つかりません。"},
    {282, u"FPS値が対応外のデータになっています。"},
    {285, u"BWFファイルを作成できません。\nファイルの保存場所・ストレージなどを確認して下さい。"},
    {289, u"Preface Set用バッファが取得できません。"},
    {290, u"オペレーショナルパターンが op1a ではないため読込めません。"},
    {291, u"フレームラッピングではないため読込めません。"},
    {292, u"MXFバージョンが 1.2 または 1.3ではないため、このアプリケーションでは読込めません。"},
    {293, u"ファイルハンドルが無効になっています。"},
    {294, u"MXF_PARTITON_INFOポインタが無効になっています。"},
    {295, u"MXF_TIMECODE_INFOポインタが無効になっています。"},
    {296, u"TimeCode Component Setが見つかりません。"},
    {297, u"メディアの長さが未確定になっています。書き出したアプリの設定を確認してください。"},
    {298, u"TimeCode BWFF Setが見つからない。"},
    {299, u"ファイルハンドルが無効になっています。"},
    {300, u"MXF_BASE_INFOポインタが無効になっています。"},
    {301, u"MXF_PARTITON_INFOポインタが無効になっています。"},
    {302, u"File Package Setが見つかりません。"},
    {303, u"MXF_BASE_INFOポインタが無効になっています。"},
    {304, u"MXF_PARTITON_INFOポインタが無効になっています。"},
    {305, u"MXF_TIMECODE_INFOポインタが無効になっています。"},
    {306, u"INDEX_ENTRY_ARRAYポインタが無効になっています。"},
    {307, u"インデックス・テーブルが見つかりません。"},
};

}  // namespace

TEST(StringTable, EveryMessageOfTheCodeTableHasItsExactText) {
  for (const auto& [id, text] : kRunnerTexts) {
    const char16_t* loaded = LoadStringById(id);
    ASSERT_NE(loaded, nullptr) << "id " << id;
    EXPECT_TRUE(std::u16string(loaded) == text) << "id " << id;
    EXPECT_TRUE(LoadString(id) == text) << "id " << id;
  }
}

TEST(StringTable, InterfaceTexts) {
  EXPECT_TRUE(LoadString(kStrAppTitle) == u"MXF Audio Velmora 1.0.0.0");
  EXPECT_TRUE(LoadString(kStrNoRewrite) == u"書換えは実行されません");
  EXPECT_TRUE(LoadString(kStrWindowClass) == u"MXF_TOBRELL");
  EXPECT_TRUE(LoadString(kStrSilenceWritten) == u"このトラックには無音が書込まれます。");
  EXPECT_TRUE(LoadString(kStrNoTrack) == u"トラックがありません");
  EXPECT_TRUE(LoadString(kStrUndefinedError) == u"エラーコード未定です。");
}

TEST(StringTable, LineBreaksAreRealControlCharacters) {
  const std::u16string crlf = LoadString(136);
  const size_t at = crlf.find(u'\r');
  ASSERT_NE(at, std::u16string::npos);
  EXPECT_EQ(crlf[at - 1], u'。');
  EXPECT_EQ(crlf[at + 1], u'\n');
  EXPECT_EQ(crlf[at + 2], u'ロ');
  EXPECT_EQ(crlf.find(u'\\'), std::u16string::npos);
  EXPECT_EQ(crlf.back(), u'？');  // full-width question mark

  const std::u16string lf = LoadString(135);
  EXPECT_EQ(lf.find(u'\r'), std::u16string::npos);
  ASSERT_EQ(lf.find(u'\n'), lf.rfind(u'\n'));
  EXPECT_EQ(lf.substr(lf.find(u'\n') + 1), u"アプリを再起動してみてください。");
}

TEST(StringTable, UnknownIdsHaveNoTextAndEveryTextFitsABuffer) {
  for (int id : {-1, 0, 100, 102, 120, 123, 128, 250, 252, 308, 1009, 32774}) {
    EXPECT_EQ(LoadStringById(id), nullptr) << id;
    EXPECT_TRUE(LoadString(id).empty()) << id;
  }
  // Every text the table holds fits a 256-unit buffer with its terminator.
  int held = 0;
  for (int id = -100; id < 70000; ++id) {
    const char16_t* text = LoadStringById(id);
    if (!text) continue;
    ++held;
    const std::u16string s(text);
    EXPECT_FALSE(s.empty()) << id;
    EXPECT_LT(s.size(), kStringBufferUnits) << id;
  }
  EXPECT_GE(held, static_cast<int>(kRunnerTexts.size()) + 4);
}

TEST(StringTable, LoadIntoABufferCutsAndTerminates) {
  char16_t buf[kStringBufferUnits];
  const size_t n = LoadStringInto(136, buf, kStringBufferUnits);
  EXPECT_TRUE(std::u16string(buf) == LoadString(136));
  EXPECT_EQ(n, LoadString(136).size());

  char16_t small[6];
  EXPECT_EQ(LoadStringInto(kStrAppTitle, small, 6), 5u);
  EXPECT_TRUE(std::u16string(small) == u"MXF A");

  buf[0] = u'x';
  EXPECT_EQ(LoadStringInto(999, buf, kStringBufferUnits), 0u);
  EXPECT_EQ(buf[0], u'\0');
}

namespace {

// The conversions of a format text in order ("%s", "%d", "%X"), so that a
// translation cannot drop, add or reorder an argument.
std::u16string Conversions(const std::u16string& text) {
  std::u16string out;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == u'%') out += text[++i];
  }
  return out;
}

}  // namespace

TEST(StringTable, EveryIdHasBothLanguagesWithTheSameArguments) {
  const std::vector<int> ids = StringIds();
  ASSERT_GE(ids.size(), kRunnerTexts.size() + 40);
  for (int id : ids) {
    const char16_t* ja = LoadStringById(id, TextLanguage::Japanese);
    const char16_t* en = LoadStringById(id, TextLanguage::English);
    ASSERT_TRUE(ja != nullptr && en != nullptr) << id;
    const std::u16string jaText(ja), enText(en);
    EXPECT_FALSE(jaText.empty()) << id;
    EXPECT_FALSE(enText.empty()) << id;
    EXPECT_LT(enText.size(), kStringBufferUnits) << id;
    EXPECT_TRUE(Conversions(jaText) == Conversions(enText)) << "format arguments differ, id " << id;
    // No Japanese left in the English column (kana, kanji, full-width forms).
    for (char16_t c : enText) EXPECT_LT(c, 0x3000) << "id " << id;
  }
}

// Every message, status and usage line the command-line tool prints comes
// from the table, so it has both columns: its sources (and the shared texts
// it prints) hold no Japanese literal and no English sentence of their own.
TEST(StringTable, TheCommandLineToolPrintsOnlyTableTexts) {
  const std::filesystem::path root(VELMORA_SOURCE_DIR);
  std::vector<std::filesystem::path> sources = {root / "rewrap" / "undo_texts.cpp",
                                                root / "rewrap" / "progress_texts.cpp",
                                                root / "loudness" / "loudness_status.cpp"};
  for (const auto& entry : std::filesystem::directory_iterator(root / "cli")) {
    // The loudness table is a result with fixed column headings, like the
    // analysis's field labels: scripts read it, so it is not translated.
    if (entry.path().extension() == ".cpp" && entry.path().filename() != "loudness_report.cpp") {
      sources.push_back(entry.path());
    }
  }
  ASSERT_GE(sources.size(), 12u);
  const std::regex literal(R"re((?:u8|u)?"((?:[^"\\\n]|\\.)*)")re");
  const std::regex sentence("[A-Za-z]{2,} [a-z]{2,} [a-z]{2,}");
  for (const std::filesystem::path& path : sources) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::istringstream lines(text.str());
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
      ++number;
      const size_t comment = line.find("//");
      if (comment != std::string::npos) line.resize(comment);
      for (auto it = std::sregex_iterator(line.begin(), line.end(), literal); it != std::sregex_iterator(); ++it) {
        const std::string body = (*it)[1];
        // Lead bytes 0xE3-0xEF: kana, kanji and full-width forms in UTF-8.
        const bool japanese = std::any_of(body.begin(), body.end(), [](char c) {
          return static_cast<unsigned char>(c) >= 0xE3 && static_cast<unsigned char>(c) <= 0xEF;
        });
        EXPECT_FALSE(japanese) << path.filename() << ":" << number << ": " << body;
        EXPECT_FALSE(std::regex_search(body, sentence)) << path.filename() << ":" << number << ": " << body;
      }
    }
  }
}

TEST(StringTable, TheLanguageChoosesTheColumnAndJapaneseIsTheDefault) {
  EXPECT_EQ(CurrentTextLanguage(), TextLanguage::Japanese);
  SetTextLanguage(TextLanguage::English);
  EXPECT_TRUE(LoadString(kStrOperationRewrap) == u"rewrap");
  EXPECT_TRUE(LoadString(kStrOperationRewrap, TextLanguage::Japanese) == u"ラッピング");
  SetTextLanguage(TextLanguage::Japanese);
  EXPECT_TRUE(LoadString(kStrOperationRewrap) == u"ラッピング");
}
