// The WAV library: adding, links, display array, texts, sort keys, sorting,
// removal, and the messages of failed adds.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bwf/wav_library.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tests/bwf/wav_test_support.h"

namespace {

using namespace wavtest;

// 2021-03-04 05:06:07 UTC.
constexpr int64_t kKnownUnixSeconds = 1614834367;

class WavLibraryTest : public WavDirTest {
 protected:
  void SetUp() override {
    WavDirTest::SetUp();
    const char* tz = std::getenv("TZ");
    oldTz_ = tz ? tz : "";
    hadTz_ = tz != nullptr;
    testsupport::SetEnv("TZ", std::string("UTC"));
    testsupport::ReadTimeZoneAgain();
  }
  void TearDown() override {
    WavLibraryClear(&head_);
    testsupport::SetEnv("TZ", hadTz_ ? std::optional<std::string>(oldTz_) : std::nullopt);
    testsupport::ReadTimeZoneAgain();
    WavDirTest::TearDown();
  }

  // Writes a WAV and adds it; returns the add result.
  int AddWav(const std::string& name, const Fmt& f, uint32_t frames, uint64_t ref = 0) {
    const std::u16string path = Write(name, SimpleWav(f, frames, ref != 0, ref));
    return WavLibraryAdd(path, &head_, &tc25_);
  }

  std::vector<WAV_LIBRARY_ENTRY*> Walk() const {
    std::vector<WAV_LIBRARY_ENTRY*> out;
    for (WAV_LIBRARY_ENTRY* e = head_.next; e != nullptr; e = e->next) out.push_back(e);
    return out;
  }

  static std::vector<std::u16string> Names(const std::vector<WAV_LIBRARY_ENTRY*>& v) {
    std::vector<std::u16string> out;
    for (const WAV_LIBRARY_ENTRY* e : v) out.emplace_back(e->fileName);
    return out;
  }

  // Checks prev/next and the head's fields against `expected`.
  void ExpectLinks(const std::vector<WAV_LIBRARY_ENTRY*>& expected) {
    ASSERT_EQ(head_.count.load(), static_cast<int32_t>(expected.size()));
    ASSERT_EQ(Walk(), expected);
    WAV_LIBRARY_ENTRY* before = &head_;
    for (WAV_LIBRARY_ENTRY* e : expected) {
      EXPECT_EQ(e->prev, before);
      EXPECT_EQ(e->head, &head_);
      before = e;
    }
    EXPECT_EQ(head_.prev, expected.empty() ? nullptr : expected.back());
  }

  WAV_LIBRARY_ENTRY head_;

 private:
  std::string oldTz_;
  bool hadTz_ = false;
};

TEST_F(WavLibraryTest, AddsAtTheTailWithLinksAndDisplayArray) {
  Fmt mono;
  Fmt stereo24;
  stereo24.channels = 2;
  stereo24.bits = 24;
  ASSERT_EQ(AddWav("b.wav", mono, 100), WAV_ADD_OK);
  ASSERT_EQ(AddWav("a.wav", stereo24, 50), WAV_ADD_OK);
  ASSERT_EQ(AddWav("c.wav", mono, 10), WAV_ADD_OK);
  const std::vector<WAV_LIBRARY_ENTRY*> entries = Walk();
  ExpectLinks(entries);
  EXPECT_EQ(Names(entries), (std::vector<std::u16string>{u"b.wav", u"a.wav", u"c.wav"}));
  EXPECT_EQ(std::u16string(entries[1]->fullPath), PathOf("a.wav"));
  for (const WAV_LIBRARY_ENTRY* e : entries) {
    EXPECT_EQ(e->selected.load(), 0);
    EXPECT_EQ(e->assigned.load(), 0);
  }
  EXPECT_EQ(entries[1]->format.channels, 2);

  std::vector<WAV_LIBRARY_ENTRY*> view;
  ASSERT_TRUE(WavLibraryIndex(&head_, view, 10));
  EXPECT_EQ(view, entries);
  EXPECT_GE(view.capacity(), 13u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(view[i]->index, i);

  // Removing the middle, then the last, then the first entry.
  ASSERT_TRUE(WavLibraryRemove(&head_, entries[1]));
  ExpectLinks({entries[0], entries[2]});
  ASSERT_TRUE(WavLibraryIndex(&head_, view));
  EXPECT_EQ(view[1]->index, 1);
  ASSERT_TRUE(WavLibraryRemove(&head_, entries[2]));
  ExpectLinks({entries[0]});
  ASSERT_EQ(AddWav("d.wav", mono, 10), WAV_ADD_OK);
  WAV_LIBRARY_ENTRY* d = Walk().back();
  ASSERT_TRUE(WavLibraryRemove(&head_, entries[0]));
  ExpectLinks({d});
  ASSERT_TRUE(WavLibraryRemove(&head_, d));
  ExpectLinks({});
  EXPECT_FALSE(WavLibraryIndex(&head_, view));
  EXPECT_TRUE(view.empty());
}

TEST_F(WavLibraryTest, RemoveRefusesEntriesOfAnotherLibrary) {
  ASSERT_EQ(AddWav("a.wav", Fmt{}, 10), WAV_ADD_OK);
  WAV_LIBRARY_ENTRY other;
  ASSERT_EQ(WavLibraryAdd(PathOf("a.wav"), &other, &tc25_), WAV_ADD_OK);
  EXPECT_FALSE(WavLibraryRemove(&head_, other.next));
  EXPECT_FALSE(WavLibraryRemove(&head_, &head_));
  EXPECT_FALSE(WavLibraryRemove(&head_, nullptr));
  EXPECT_EQ(head_.count.load(), 1);
  EXPECT_EQ(WavLibraryClear(&other), 1);
}

TEST_F(WavLibraryTest, ClearFreesEverything) {
  EXPECT_EQ(WavLibraryClear(nullptr), 0);
  EXPECT_EQ(WavLibraryClear(&head_), 0);
  ASSERT_EQ(AddWav("a.wav", Fmt{}, 10), WAV_ADD_OK);
  ASSERT_EQ(AddWav("b.wav", Fmt{}, 10), WAV_ADD_OK);
  EXPECT_EQ(WavLibraryClear(&head_), 1);
  EXPECT_EQ(head_.next, nullptr);
  EXPECT_EQ(head_.prev, nullptr);
  EXPECT_EQ(head_.count.load(), 0);
  // The library works again afterwards; a cleared path can be added again.
  ASSERT_EQ(AddWav("a.wav", Fmt{}, 10), WAV_ADD_OK);
  ExpectLinks(Walk());
}

TEST_F(WavLibraryTest, FailedAddsLeaveTheLibraryAsItWas) {
  ASSERT_EQ(AddWav("ok.wav", Fmt{}, 10), WAV_ADD_OK);
  WAV_LIBRARY_ENTRY* only = head_.next;

  EXPECT_EQ(WavLibraryAdd(PathOf("ok.wav"), nullptr, &tc25_), WAV_ADD_NO_HEAD);
  EXPECT_EQ(WavLibraryAdd(PathOf("ok.wav"), &head_, &tc25_), WAV_ADD_DUPLICATE);
  // Each cause named as it is: nothing there, a folder, a FIFO (never
  // opened, so never waited on), a file that cannot be opened.
  EXPECT_EQ(WavLibraryAdd(PathOf("missing.wav"), &head_, &tc25_), WAV_ADD_MISSING);
  EXPECT_EQ(WavLibraryAdd(plat::Utf8ToUtf16(dir()), &head_, &tc25_), WAV_ADD_FOLDER);
  EXPECT_EQ(WavLibraryAdd(u"", &head_, &tc25_), WAV_ADD_MISSING);
#if !defined(_WIN32)  // Windows folders hold no FIFOs
  ASSERT_EQ(mkfifo(plat::Utf16ToUtf8(PathOf("fifo.wav")).c_str(), 0600), 0);
  EXPECT_EQ(WavLibraryAdd(PathOf("fifo.wav"), &head_, &tc25_), WAV_ADD_NOT_REGULAR);
#endif
  Fmt f441;
  f441.rate = 44100;
  EXPECT_EQ(AddWav("cd.wav", f441, 10), WAV_ADD_BAD_FORMAT);
  EXPECT_EQ(WavLibraryAdd(Write("text.wav", Bytes(100, 'x')), &head_, &tc25_), WAV_ADD_NOT_WAVE);
  MXF_TIMECODE_INFO unsupported;
  SetTimeline(unsupported, TC_BASE_25, 0, 9);
  EXPECT_EQ(WavLibraryAdd(Write("x.wav", SimpleWav(Fmt{}, 4)), &head_, &unsupported), WAV_ADD_BAD_FRAME_RATE);
  {
    plat::File holder = plat::File::Open(PathOf("x.wav"), plat::Access::Read, plat::Share::Exclusive);
    ASSERT_TRUE(holder.valid());
    plat::SysError err = 0;
    EXPECT_EQ(WavLibraryAdd(PathOf("x.wav"), &head_, &tc25_, &err), WAV_ADD_UNREADABLE);
    EXPECT_NE(err, 0);
  }
  {
    // Another reader does not keep the file from being added.
    plat::File reader = plat::File::Open(PathOf("x.wav"), plat::Access::Read, plat::Share::Shared);
    ASSERT_TRUE(reader.valid());
    EXPECT_EQ(WavLibraryAdd(PathOf("x.wav"), &head_, &tc25_), WAV_ADD_OK);
    WavLibraryRemove(&head_, head_.prev);
  }
  // Paths up to 1023 units fit the entry; a longer one (here the same file
  // under "/./././...") is refused as a file that cannot be opened.
  std::u16string fits = PathOf("x.wav");
  while (fits.size() + 2 < kWavPathUnits) fits.insert(fits.size() - 6, u"/.");
  std::u16string tooLong = fits;
  tooLong.insert(tooLong.size() - 6, u"/.");
  ASSERT_GE(tooLong.size(), kWavPathUnits);
  EXPECT_EQ(WavLibraryAdd(tooLong, &head_, &tc25_), WAV_ADD_OPEN_FAILED);
  EXPECT_EQ(WavLibraryAdd(fits, &head_, &tc25_), WAV_ADD_OK);

  EXPECT_EQ(head_.count.load(), 2);
  EXPECT_EQ(head_.next, only);
  ExpectLinks(Walk());
}

TEST_F(WavLibraryTest, PathsDifferingInCaseAreDifferentFiles) {
  ASSERT_EQ(AddWav("take.wav", Fmt{}, 10), WAV_ADD_OK);
  ASSERT_EQ(AddWav("Take.wav", Fmt{}, 10), WAV_ADD_OK);
  EXPECT_EQ(head_.count.load(), 2);
}

TEST_F(WavLibraryTest, ColumnTextsAndSortKeys) {
  Fmt stereo24;
  stereo24.channels = 2;
  stereo24.bits = 24;
  // Starts 100 samples after 01:00:00:00 and lasts 2 s + 3 frames + 1 sample.
  const uint32_t frames = 48000 * 2 + 1920 * 3 + 1;
  const std::u16string path = Write("take 1.wav", SimpleWav(stereo24, frames, true, 172800000 + 100));
  {
    plat::File f = plat::File::Open(path, plat::Access::ReadWrite, plat::Share::Shared);
    ASSERT_TRUE(f.valid());
    ASSERT_TRUE(f.SetModifiedTime(plat::FileTime{kKnownUnixSeconds * 1000000000LL}));
  }
  ASSERT_EQ(WavLibraryAdd(path, &head_, &tc25_), WAV_ADD_OK);
  const WAV_LIBRARY_ENTRY& e = *head_.next;
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_FILE_NAME]), u"take 1.wav");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_CHANNELS]), u"2");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_BITS]), u"24");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_SAMPLE_RATE]), u"48000");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_START]), u"01:00:00:00 +005 *0005");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_END]), u"01:00:02:03 +005 *0006");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_DURATION]), u"00:00:02:03");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_MODIFIED]), u"2021/03/04 05:06:07");
  const plat::LocalTime created = plat::ToLocalTime(e.findData.times.creation);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", created.year, created.month, created.day,
                created.hour, created.minute, created.second);
  EXPECT_EQ(plat::Utf16ToUtf8(e.columnText[WAV_COL_CREATED]), buf);
  const uint64_t fileSize = 12 + 24 + 8 + 602 + 8 + frames * 6ull;
  EXPECT_EQ(e.findData.size, fileSize);
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_SIZE]), u"596.89 KB");

  EXPECT_EQ(e.sortChannels, 2u);
  EXPECT_EQ(e.sortBits, 24u);
  EXPECT_EQ(e.sortSampleRate, 48000u);
  EXPECT_EQ(e.sortStartFrame, 90000u);
  EXPECT_EQ(e.sortEndFrame, 90053u);
  EXPECT_EQ(e.sortLength, 53u);
  EXPECT_EQ(e.sortModified, static_cast<uint64_t>(kKnownUnixSeconds) * 10000000ull + 116444736000000000ull);
  EXPECT_EQ(e.sortSize, fileSize);

  // An exact size in the byte-size form: 1536 bytes.
  ASSERT_EQ(AddWav("small.wav", Fmt{}, (1536 - 44) / 2), WAV_ADD_OK);
  EXPECT_EQ(std::u16string(head_.prev->columnText[WAV_COL_SIZE]), u"1.50 KB");
}

TEST_F(WavLibraryTest, DropFrameTextsUseTheMxfCounting) {
  MXF_TIMECODE_INFO df;
  SetTimeline(df, TC_BASE_30, 1, FRC_29_97);
  // 00:10:00.00 at 29.97 drop-frame is frame 17982 = 3596 cycles + 2 frames.
  const uint64_t ref = 3596ull * 8008 + 1602 + 1601;
  ASSERT_EQ(WavLibraryAdd(Write("df.wav", SimpleWav(Fmt{}, 8008, true, ref)), &head_, &df), WAV_ADD_OK);
  const WAV_LIBRARY_ENTRY& e = *head_.next;
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_START]), u"00:10:00.00 +000 *0000");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_END]), u"00:10:00.05 +000 *0000");
  EXPECT_EQ(std::u16string(e.columnText[WAV_COL_DURATION]), u"00:00:00.05");
}

TEST_F(WavLibraryTest, SortingAlternatesAndKeepsTheLibraryOrder) {
  Fmt mono;
  Fmt stereo;
  stereo.channels = 2;
  // start frame / length in frames / size: b 50/20/154254, c 10/2/8334,
  // a 30/45/173454.
  ASSERT_EQ(AddWav("b.wav", stereo, 1920 * 20, 1920 * 50), WAV_ADD_OK);
  ASSERT_EQ(AddWav("c.wav", mono, 1920 * 2, 1920 * 10), WAV_ADD_OK);
  ASSERT_EQ(AddWav("a.wav", mono, 1920 * 45, 1920 * 30), WAV_ADD_OK);
  const std::vector<WAV_LIBRARY_ENTRY*> libraryOrder = Walk();
  std::vector<WAV_LIBRARY_ENTRY*> view;
  ASSERT_TRUE(WavLibraryIndex(&head_, view));

  bool ascending = true;
  ASSERT_TRUE(WavLibrarySort(view, WavSortKeyFromCommand(32868), ascending));
  EXPECT_EQ(Names(view), (std::vector<std::u16string>{u"a.wav", u"b.wav", u"c.wav"}));
  EXPECT_FALSE(ascending);
  ASSERT_TRUE(WavLibrarySort(view, WavSortKeyFromCommand(32872), ascending));  // start, descending
  EXPECT_EQ(Names(view), (std::vector<std::u16string>{u"b.wav", u"a.wav", u"c.wav"}));
  ASSERT_TRUE(WavLibrarySort(view, WavSortKeyFromCommand(32876), ascending));  // size, ascending
  EXPECT_EQ(Names(view), (std::vector<std::u16string>{u"c.wav", u"b.wav", u"a.wav"}));
  EXPECT_FALSE(ascending);
  ASSERT_TRUE(WavLibrarySort(view, WavSortKeyFromColumn(1), ascending));  // channels, descending
  EXPECT_EQ(view.front(), libraryOrder[0]);
  ASSERT_TRUE(WavLibrarySort(view, WavSortKeyFromCommand(32873), ascending));  // length, ascending
  EXPECT_EQ(Names(view), (std::vector<std::u16string>{u"c.wav", u"b.wav", u"a.wav"}));

  EXPECT_EQ(Walk(), libraryOrder);
  EXPECT_FALSE(WavLibrarySort(view, -1, ascending));
  std::vector<WAV_LIBRARY_ENTRY*> none;
  EXPECT_FALSE(WavLibrarySort(none, WAV_SORT_SIZE, ascending));
}

TEST(WavSortKeys, CommandsAndColumns) {
  const int commandKeys[] = {WAV_SORT_FILE_NAME, WAV_SORT_CHANNELS, WAV_SORT_BITS, WAV_SORT_SAMPLE_RATE,
                             WAV_SORT_START, WAV_SORT_LENGTH, WAV_SORT_CREATED, WAV_SORT_MODIFIED, WAV_SORT_SIZE};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(WavSortKeyFromCommand(32868 + i), commandKeys[i]) << i;
  EXPECT_EQ(WavSortKeyFromCommand(32882), WAV_SORT_END);
  EXPECT_EQ(WavSortKeyFromCommand(32867), -1);
  EXPECT_EQ(WavSortKeyFromCommand(32877), -1);
  EXPECT_EQ(WavSortKeyFromColumn(5), -1);
  EXPECT_EQ(WavSortKeyFromColumn(7), WAV_SORT_CREATED);
  EXPECT_EQ(WavSortKeyFromColumn(6), WAV_SORT_LENGTH);
  EXPECT_EQ(WavSortKeyFromColumn(10), -1);
}

TEST(WavAddMessages, CommandAndDropTexts) {
  const std::u16string p = u"/m/a.wav";
  EXPECT_EQ(WavAddFailureMessage(2, p, false), u"ファイル処理でエラーが発生しました。\n(ERR: 2)");
  EXPECT_EQ(WavAddFailureMessage(6, p, true), u"ファイル処理でエラーが発生しました。\nERR: 6");
  EXPECT_EQ(WavAddFailureMessage(5, p, false), u"/m/a.wav\nチャンクサイズが取得できないため追加できません。\n(ERR: 5)");
  EXPECT_EQ(WavAddFailureMessage(7, p, true), u"/m/a.wav\nWAVEファイルではないため追加できません。\nERR: 7");
  EXPECT_EQ(WavAddFailureMessage(8, p, false), u"/m/a.wav\n\n16/24bit/48kHzになっていないため追加できません。\n(ERR: 8)");
  EXPECT_EQ(WavAddFailureMessage(8, p, true), u"ファイル処理でエラーが発生しました。\nERR: 8");
  EXPECT_EQ(WavAddFailureMessage(9, p, false), u"/m/a.wav\nこのファイルは既に追加されています。)");
  EXPECT_EQ(WavAddFailureMessage(9, p, true), WavAddFailureMessage(9, p, false));
}

}  // namespace
