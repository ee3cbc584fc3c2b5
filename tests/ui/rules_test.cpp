// The enabling table of the menu thread, the list thread's pass and the
// rules for dropped names.
#include <QTest>
#include <set>

#include "tests/ui/support/test_main.h"
#include "ui/background_threads.h"
#include "ui/command_ids.h"
#include "ui/drop_rules.h"
#include "ui/enabling.h"

namespace {

std::set<int> EnabledCommands(const ENABLING& e) {
  std::set<int> ids;
  for (const ENABLING_ITEM& item : e.commands) {
    if (item.enabled) ids.insert(item.id);
  }
  return ids;
}

std::set<int> EnabledButtons(const ENABLING& e) {
  std::set<int> ids;
  for (const ENABLING_ITEM& item : e.buttons) {
    if (item.enabled) ids.insert(item.id);
  }
  return ids;
}

const std::set<int> kSorts = {32868, 32869, 32870, 32871, 32872, 32873, 32874, 32875, 32876};

std::set<int> Union(std::set<int> a, const std::set<int>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

}  // namespace

class RulesTest : public QObject {
  Q_OBJECT

 private slots:
  void enablingByState_data();
  void enablingByState();
  void theMenuTableCoversEveryCommandItNames();
  void listPassMirrorsSelectionAndFocus();
  void droppedNamesByExtension();
  void dropPlanKeepsWavOnlyWhileLoaded();
};

void RulesTest::enablingByState_data() {
  QTest::addColumn<int>("state");
  QTest::addColumn<QList<int>>("commands");
  QTest::addColumn<QList<int>>("buttons");

  const QList<int> trackView = {cmd::kUnloadMxf, cmd::kSwitchView, cmd::kOpenFolder, cmd::kAddWav, cmd::kExportBwf,
                                cmd::kSetIn, cmd::kSetOut, cmd::kSelectAll, cmd::kDelete,
                                cmd::kSelectedTracksOnOff, cmd::kAllTracksOnOff};
  const QList<int> loadedButtons = {ctl::kViewButton, ctl::kExportButton, ctl::kInButton, ctl::kOutButton,
                                    ctl::kDurBadge};
  QTest::newRow("no file") << 0 << QList<int>{cmd::kLoadMxf} << QList<int>{ctl::kLoadButton};
  QTest::newRow("loaded, tracks") << 1 << trackView << loadedButtons;
  QTest::newRow("loaded, IN only") << 2 << trackView << loadedButtons;
  QTest::newRow("loaded, IN and OUT") << 3 << (trackView + QList<int>{cmd::kRewrap, cmd::kLoudness})
                                      << (loadedButtons + QList<int>{ctl::kRewrapButton});
  QTest::newRow("loaded, no tracks")
      << 4
      << QList<int>{cmd::kUnloadMxf, cmd::kSwitchView, cmd::kOpenFolder, cmd::kAddWav, cmd::kExportBwf,
                    cmd::kSelectAll, cmd::kDelete, cmd::kSelectedTracksOnOff, cmd::kAllTracksOnOff}
      << loadedButtons;
  QTest::newRow("library view, empty")
      << 5
      << QList<int>{cmd::kUnloadMxf, cmd::kSwitchView, cmd::kOpenFolder, cmd::kAddWav, cmd::kExportBwf, cmd::kSetIn,
                    cmd::kSetOut}
      << loadedButtons;
  const QList<int> libraryWithFiles = {cmd::kUnloadMxf, cmd::kSwitchView, cmd::kOpenFolder, cmd::kAddWav,
                                       cmd::kExportBwf, cmd::kSetIn,      cmd::kSetOut,     cmd::kSelectAll,
                                       cmd::kDelete,    32868,            32869,            32870,
                                       32871,           32872,            32873,            32874,
                                       32875,           32876};
  QTest::newRow("library view, one row") << 6 << (libraryWithFiles + QList<int>{cmd::kAssign}) << loadedButtons;
  QTest::newRow("library view, two rows") << 7 << libraryWithFiles << loadedButtons;
}

void RulesTest::enablingByState() {
  QFETCH(int, state);
  QFETCH(QList<int>, commands);
  QFETCH(QList<int>, buttons);
  ENABLING_INPUT in;
  in.loaded = state > 0;
  in.hasTracks = state != 4;
  in.inSet = state == 2 || state == 3;
  in.outSet = state == 3;
  in.libraryView = state >= 5;
  in.libraryNotEmpty = state >= 6;
  in.oneRowSelected = state == 6;
  const ENABLING e = ComputeEnabling(in);
  QCOMPARE(EnabledCommands(e), std::set<int>(commands.begin(), commands.end()));
  QCOMPARE(EnabledButtons(e), std::set<int>(buttons.begin(), buttons.end()));
}

void RulesTest::theMenuTableCoversEveryCommandItNames() {
  // Exit, settings, About and "end time" keep their own state: the menu
  // thread never touches them.
  const ENABLING e = ComputeEnabling(ENABLING_INPUT{});
  for (int id : {cmd::kExit, cmd::kSettings, cmd::kAbout, cmd::kSortEnd}) QVERIFY(!e.HasCommand(id));
  const std::set<int> named = Union(
      {cmd::kLoadMxf, cmd::kUnloadMxf, cmd::kSwitchView, cmd::kOpenFolder, cmd::kAddWav, cmd::kExportBwf, cmd::kRewrap,
       cmd::kLoudness,
       cmd::kSetIn, cmd::kSetOut, cmd::kSelectAll, cmd::kDelete, cmd::kSelectedTracksOnOff, cmd::kAllTracksOnOff,
       cmd::kAssign},
      kSorts);
  std::set<int> listed;
  for (const ENABLING_ITEM& item : e.commands) QVERIFY2(listed.insert(item.id).second, "listed twice");
  QCOMPARE(listed, named);
}

void RulesTest::listPassMirrorsSelectionAndFocus() {
  LIST_SNAPSHOT snapshot;
  snapshot.generation = 7;
  snapshot.viewExists = true;
  snapshot.libraryCount = 3;
  snapshot.rows = {{true, false, u"/a.wav"}, {false, true, u"/b.wav"}, {true, true, u"/c.wav"}};
  const LIST_PASS_RESULT r = ComputeListPass(snapshot);
  QCOMPARE(r.generation, uint64_t{7});
  QCOMPARE(r.selectedCount, 2);
  QCOMPARE(r.selected, (std::vector<uint8_t>{1, 0, 1}));
  // The first focused row names the path.
  QCOMPARE(r.focusedRow, 1);
  QVERIFY(r.pathText == u"/b.wav");
  QVERIFY(r.countText == u"WAV/BWFファイル :  3個    2個を選択中");

  snapshot.rows = {{false, false, u"/a.wav"}};
  snapshot.libraryCount = 12;
  const LIST_PASS_RESULT unfocused = ComputeListPass(snapshot);
  QCOMPARE(unfocused.focusedRow, -1);
  QVERIFY(unfocused.pathText == u"パス情報はありません。");
  QVERIFY(unfocused.countText == u"WAV/BWFファイル : 12個    0個を選択中");

  LIST_SNAPSHOT none;
  const LIST_PASS_RESULT empty = ComputeListPass(none);
  QCOMPARE(empty.selectedCount, 0);
  QVERIFY(empty.pathText == u"パス情報はありません。");
}

void RulesTest::droppedNamesByExtension() {
  const struct {
    const char16_t* name;
    DropKind kind;
  } cases[] = {
      {u"/clips/CLIP.MXF", DropKind::Mxf},  {u"/clips/clip.Mxf", DropKind::Mxf},
      {u"/a/take.WAV", DropKind::Wav},      {u"/a/take.bwf", DropKind::Wav},
      {u"/a/take.mxf2", DropKind::Other},   {u"/a/take", DropKind::Other},
      {u"/a.mxf/take", DropKind::Other},    {u"/a/take.mxf.txt", DropKind::Other},
      {u"/a/.mxf", DropKind::Mxf},          {u"/a/take.MXFX", DropKind::Other},
  };
  for (const auto& c : cases) QCOMPARE(ClassifyDroppedName(c.name), c.kind);
  // A name longer than the drop buffer is cut, losing its extension.
  const std::u16string longName = u"/" + std::u16string(1100, u'x') + u".mxf";
  QCOMPARE(ClassifyDroppedName(longName), DropKind::Other);
}

void RulesTest::dropPlanKeepsWavOnlyWhileLoaded() {
  const std::vector<std::u16string> names = {u"/a.wav", u"/x.mxf", u"/b.BWF", u"/notes.txt", u"/y.MXF"};
  const DROP_PLAN idle = PlanDrop(names, false);
  QVERIFY(idle.wavDropped);
  QVERIFY(idle.wavToAdd.empty());
  QCOMPARE(idle.mxfCount, 2);
  QVERIFY(idle.mxfPath == u"/y.MXF");  // the last one wins

  const DROP_PLAN loaded = PlanDrop(names, true);
  QCOMPARE(loaded.wavToAdd.size(), size_t{2});
  QVERIFY(loaded.wavToAdd[1] == u"/b.BWF");
}

VELMORA_UI_TEST_MAIN(RulesTest)
#include "rules_test.moc"
