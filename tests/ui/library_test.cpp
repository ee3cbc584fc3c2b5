// The WAV library in the desktop application: adding by command with the
// refusals, the rows of the list, assigning files to tracks with every
// rule, deleting files and assignments, sorting by header clicks, and the
// loudness columns the list thread fills in.
#include <QAction>
#include <QFontMetrics>
#include <algorithm>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QTest>

#include "engine/track_plan.h"
#if VELMORA_HAVE_LOUDNESS
#include "loudness/wav_loudness.h"
#endif
#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/library_view.h"
#include "ui/qt_text.h"
#include "ui/status_bar.h"
#include "ui/track_area.h"

namespace {

// 25 fps, four 16-bit tracks.
mxfgen::Options Clip16() {
  mxfgen::Options o;
  o.frameRateClass = 1;
  o.startTimecode = "10:00:00:00";
  o.frames = 50;
  o.tracks = 4;
  o.bits = 16;
  return o;
}

// Selects exactly one library row (by file name) and lets the list thread
// mirror it.
bool SelectRow(UiFixture& f, const QString& fileName) {
  const APP_CONTEXT& ctx = f.state().ctx;
  std::vector<uint8_t> rows(ctx.libraryView.size(), 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (QString::fromUtf16(ctx.libraryView[i]->fileName) == fileName) {
      rows[i] = 1;
      f.window().libraryView()->setRowStates(rows, static_cast<int>(i));
      f.settle();
      return true;
    }
  }
  return false;
}

WAV_LIBRARY_ENTRY* Entry(UiFixture& f, const QString& fileName) {
  for (WAV_LIBRARY_ENTRY* e : f.state().ctx.libraryView) {
    if (QString::fromUtf16(e->fileName) == fileName) return e;
  }
  return nullptr;
}

QStringList ViewNames(UiFixture& f) {
  QStringList names;
  LibraryModel* model = f.window().libraryView()->libraryModel();
  for (int r = 0; r < model->rowCount(); ++r) names << model->index(r, 0).data().toString();
  return names;
}

}  // namespace

class LibraryTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { MainWindow::ResetSortDirection(); }
  void addAssignAndRefuse();
  void deleteAsksForAssignedFiles();
  void headerSortsAlternate();
  void contextMenuOnRows();
  void listKeysMoveTheRow();
  void columnsShowTheirWholeTexts();
  void multichannelFileOffersItsChannels();
  void loudnessColumnsFillInFromTheListThread();
};

void LibraryTest::addAssignAndRefuse() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("A.mxf"), Clip16());
  const QString mono = f.writeWav(QStringLiteral("mono16.wav"), 1, 16);
  const QString stereo = f.writeWav(QStringLiteral("stereo16.wav"), 2, 16);
  const QString deep = f.writeWav(QStringLiteral("mono24.wav"), 1, 24);
  const QString slow = f.writeWav(QStringLiteral("slow.wav"), 1, 16, 44100);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);
  QVERIFY(f.commandEnabled(cmd::kAddWav));
  QVERIFY(!f.commandEnabled(cmd::kAssign));

  // Cancelling the open dialog changes nothing.
  w.RunCommand(cmd::kAddWav);
  QCOMPARE(f.state().libraryHead.count.load(), 0);
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_TRACKS));

  f.shell.wavChoices.push_back({mono, stereo, slow, deep});
  w.RunCommand(cmd::kAddWav);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, slow + QStringLiteral("\n\n16/24bit/48kHzになっていないため追加できません。\n(ERR: 8)"));
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("BWF(WAV)ファイルを追加"));
  QCOMPARE(f.state().libraryHead.count.load(), 3);
  QCOMPARE(ViewNames(f), (QStringList{QStringLiteral("mono16.wav"), QStringLiteral("stereo16.wav"),
                                      QStringLiteral("mono24.wav")}));
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_LIBRARY));
  LibraryView* list = w.libraryView();
  QVERIFY(list->isVisible());
  QCOMPARE(w.focusWidget(), list);
  QCOMPARE(list->horizontalHeader()->sectionSize(0), 310);
  QCOMPARE(list->libraryModel()->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(),
           QStringLiteral("開始TC +SF  *fract"));
  QCOMPARE(list->libraryModel()->index(1, 1).data().toString(), QStringLiteral("2"));
  f.settle();
  QCOMPARE(w.statusParts()->partText(1), QStringLiteral("WAV/BWFファイル :  3個    0個を選択中"));
  QVERIFY(!f.commandEnabled(cmd::kAssign));  // no row selected
  QVERIFY(f.commandEnabled(cmd::kSortFirst));

  // The same file again is refused.
  f.messages.clear();
  f.shell.wavChoices.push_back({mono});
  w.RunCommand(cmd::kAddWav);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, mono + QStringLiteral("\nこのファイルは既に追加されています。)"));
  QCOMPARE(f.state().libraryHead.count.load(), 3);

  // Track 1 ON, then the stereo file on track 1: tracks 1 and 2, both ON.
  w.RunCommand(cmd::kSwitchView);
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_TRACKS));
  w.RunCommand(cmd::kSelectedTracksOnOff);
  QCOMPARE(int(f.state().plan.trackSwitch[0]), int(TRACK_ON));
  w.RunCommand(cmd::kSwitchView);
  QVERIFY(SelectRow(f, QStringLiteral("stereo16.wav")));
  QVERIFY(f.commandEnabled(cmd::kAssign));
  f.messages.clear();
  w.RunCommand(cmd::kAssign);
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  WAV_LIBRARY_ENTRY* st = Entry(f, QStringLiteral("stereo16.wav"));
  QCOMPARE(f.state().plan.wavEntry[0], st);
  QCOMPARE(f.state().plan.wavEntry[1], st);
  QVERIFY(f.state().ctx.trackStereo[0] && f.state().ctx.trackStereo[1]);
  QCOMPARE(int(f.state().plan.trackSwitch[1]), int(TRACK_ON));
  QCOMPARE(st->assigned.load(), 1);
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_TRACKS));
  QVERIFY(!list->isVisible());
  f.settle();
  QVERIFY(!f.commandEnabled(cmd::kAssign));  // track view

  // The mono file on track 2: the stereo file leaves both tracks.
  f.state().ctx.currentTrack = 1;
  w.RunCommand(cmd::kSwitchView);
  QVERIFY(SelectRow(f, QStringLiteral("mono16.wav")));
  w.RunCommand(cmd::kAssign);
  WAV_LIBRARY_ENTRY* m = Entry(f, QStringLiteral("mono16.wav"));
  QCOMPARE(f.state().plan.wavEntry[0], nullptr);
  QCOMPARE(f.state().plan.wavEntry[1], m);
  QVERIFY(!f.state().ctx.trackStereo[0] && !f.state().ctx.trackStereo[1]);
  QCOMPARE(st->assigned.load(), 0);
  QCOMPARE(m->assigned.load(), 1);

  // Stereo on track 2 (an odd slot) and 24 bits on a 16-bit file: refused,
  // the library stays shown and nothing changes.
  w.RunCommand(cmd::kSwitchView);
  QVERIFY(SelectRow(f, QStringLiteral("stereo16.wav")));
  f.messages.clear();
  w.RunCommand(cmd::kAssign);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("ステレオファイルを、偶数トラックに割当てることはできません。"));
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("トラックへのアサイン"));
  QCOMPARE(f.state().plan.wavEntry[1], m);
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_LIBRARY));
  f.state().ctx.currentTrack = 2;
  QVERIFY(SelectRow(f, QStringLiteral("mono24.wav")));
  f.messages.clear();
  w.RunCommand(cmd::kAssign);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("トラックへのアサイン"));
  QCOMPARE(f.messages.shown[0].icon, MsgIcon::Warning);
  QCOMPARE(f.state().plan.wavEntry[2], nullptr);

  // A double-click on a row assigns it.
  QVERIFY(SelectRow(f, QStringLiteral("stereo16.wav")));
  const int row = static_cast<int>(std::find(f.state().ctx.libraryView.begin(), f.state().ctx.libraryView.end(), st) -
                                   f.state().ctx.libraryView.begin());
  const QRect cell = list->visualRect(list->libraryModel()->index(row, 0));
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  QCOMPARE(f.state().plan.wavEntry[2], st);
  QCOMPARE(f.state().plan.wavEntry[3], st);

  // Delete on the track panel clears the selected tracks' files; the files
  // stay in the library and the switches stay.
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_TRACKS));
  for (int s = 0; s < 4; ++s) f.state().ctx.trackSelected[s] = s == 3 ? 1 : 0;
  w.surface()->setFocus();
  w.RunCommand(cmd::kDelete);
  QCOMPARE(f.state().plan.wavEntry[2], nullptr);
  QCOMPARE(f.state().plan.wavEntry[3], nullptr);
  QCOMPARE(f.state().plan.wavEntry[1], m);
  QCOMPARE(st->assigned.load(), 0);
  QCOMPARE(f.state().libraryHead.count.load(), 3);
  QCOMPARE(int(f.state().ctx.trackSelected[3]), 0);  // not current
}

void LibraryTest::deleteAsksForAssignedFiles() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("B.mxf"), Clip16());
  QStringList files;
  for (int i = 0; i < 3; ++i) files << f.writeWav(QStringLiteral("f%1.wav").arg(i), 1, 16);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.shell.wavChoices.push_back(files);
  w.RunCommand(cmd::kAddWav);
  QVERIFY(SelectRow(f, QStringLiteral("f1.wav")));
  w.RunCommand(cmd::kAssign);
  WAV_LIBRARY_ENTRY* assigned = f.state().plan.wavEntry[0];
  QVERIFY(assigned != nullptr);

  // Every row selected; the assigned file asks, No keeps it, the others go.
  w.RunCommand(cmd::kSwitchView);
  w.RunCommand(cmd::kSelectAll);
  f.settle();
  QCOMPARE(f.state().ctx.selectedCount.load(), 3);
  f.messages.clear();
  f.messages.answer({MsgAnswer::No});
  w.RunCommand(cmd::kDelete);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text,
           files[1] + QStringLiteral("\n\nこのファイルはトラックにアサインされています。\n削除してもいいですか？"));
  QCOMPARE(f.messages.shown[0].buttons, MsgButtons::YesNo);
  QCOMPARE(ViewNames(f), QStringList{QStringLiteral("f1.wav")});
  QCOMPARE(f.state().plan.wavEntry[0], assigned);

  // Yes removes it from the library and from its track.
  f.settle();
  QVERIFY(SelectRow(f, QStringLiteral("f1.wav")));
  f.messages.answer({MsgAnswer::Yes});
  QApplication::setActiveWindow(&w);
  QVERIFY(QTest::qWaitForWindowActive(&w));
  w.libraryView()->setFocus();
  QTest::keyClick(w.libraryView(), Qt::Key_Delete);
  QCOMPARE(f.state().libraryHead.count.load(), 0);
  QCOMPARE(f.state().plan.wavEntry[0], nullptr);
  QVERIFY(f.state().ctx.libraryView.empty());
  QCOMPARE(w.libraryView()->libraryModel()->rowCount(), 0);
  f.settle();
  QVERIFY(!f.commandEnabled(cmd::kDelete));  // library view, empty library
}

void LibraryTest::headerSortsAlternate() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("C.mxf"), Clip16());
  // Names and sizes in opposite orders.
  const QString a = f.writeWav(QStringLiteral("a.wav"), 1, 16, 48000, 9000);
  const QString b = f.writeWav(QStringLiteral("b.wav"), 1, 16, 48000, 6000);
  const QString c = f.writeWav(QStringLiteral("c.wav"), 1, 16, 48000, 3000);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.shell.wavChoices.push_back({b, c, a});
  w.RunCommand(cmd::kAddWav);
  QVERIFY(SelectRow(f, QStringLiteral("c.wav")));
  QHeaderView* header = w.libraryView()->horizontalHeader();
  auto click = [header](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  };
  const QStringList abc{QStringLiteral("a.wav"), QStringLiteral("b.wav"), QStringLiteral("c.wav")};
  const QStringList cba{QStringLiteral("c.wav"), QStringLiteral("b.wav"), QStringLiteral("a.wav")};

  click(0);  // name, ascending
  QCOMPARE(ViewNames(f), abc);
  click(5);  // the end column does not sort
  QCOMPARE(ViewNames(f), abc);
  click(9);  // size, descending: largest first
  QCOMPARE(ViewNames(f), abc);
  click(0);  // name, ascending again
  QCOMPARE(ViewNames(f), abc);
  click(9);  // size, descending
  QCOMPARE(ViewNames(f), abc);
  click(6);  // length, ascending: shortest first
  QCOMPARE(ViewNames(f), cba);
  // The selection follows its file.
  QCOMPARE(w.libraryView()->rowStates(nullptr), (std::vector<uint8_t>{1, 0, 0}));
  QCOMPARE(f.state().libraryHead.next->fileName[0], u'b');  // the library keeps its order

  // The menu commands sort too; adding rebuilds in library order.
  w.RunCommand(cmd::kSortFirst);  // name, descending
  QCOMPARE(ViewNames(f), cba);
  const QString d = f.writeWav(QStringLiteral("d.wav"), 1, 16);
  f.shell.wavChoices.push_back({d});
  w.RunCommand(cmd::kAddWav);
  QCOMPARE(ViewNames(f), (QStringList{QStringLiteral("b.wav"), QStringLiteral("c.wav"), QStringLiteral("a.wav"),
                                      QStringLiteral("d.wav")}));
}

void LibraryTest::contextMenuOnRows() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("D.mxf"), Clip16());
  QStringList files;
  for (int i = 0; i < 3; ++i) files << f.writeWav(QStringLiteral("f%1.wav").arg(i), 1, 16);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.shell.wavChoices.push_back(files);
  w.RunCommand(cmd::kAddWav);
  f.settle();
  LibraryView* list = w.libraryView();
  QMenu* menu = w.commands().contextMenu();
  // A right click as the desktop delivers it: press, release, context menu.
  auto rightClick = [&](int row) {
    const QPoint at = list->visualRect(list->libraryModel()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &e);
    f.settle();
  };
  auto choose = [&](int id) {
    QAction* a = w.commands().contextAction(id);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(a).center());
  };

  // On an unselected row: that row alone is selected, and the menu offers
  // what the library view allows.
  rightClick(1);
  QVERIFY(menu->isVisible());
  QCOMPARE(list->rowStates(nullptr), (std::vector<uint8_t>{0, 1, 0}));
  QCOMPARE(f.state().ctx.currentListIndex.load(), 1);
  QVERIFY(w.commands().contextAction(cmd::kAssign)->isEnabled());
  QVERIFY(w.commands().contextAction(cmd::kDelete)->isEnabled());
  QVERIFY(!w.commands().contextAction(cmd::kSelectedTracksOnOff)->isEnabled());
  QVERIFY(!w.commands().contextAction(cmd::kLoadMxf)->isEnabled());
  choose(cmd::kAssign);
  QVERIFY(!menu->isVisible());
  QCOMPARE(f.state().plan.wavEntry[0], Entry(f, QStringLiteral("f1.wav")));
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_TRACKS));

  // Select all from the menu; then, on a row of a multiple selection, the
  // selection stays and the menu's delete removes every selected file.
  w.RunCommand(cmd::kSwitchView);
  rightClick(0);
  choose(cmd::kSelectAll);
  f.settle();
  QCOMPARE(f.state().ctx.selectedCount.load(), 3);
  list->setRowStates({1, 0, 1}, 0);
  f.settle();
  rightClick(2);
  QVERIFY(menu->isVisible());
  QCOMPARE(list->rowStates(nullptr), (std::vector<uint8_t>{1, 0, 1}));
  choose(cmd::kDelete);
  QVERIFY(f.messages.shown.empty());
  QCOMPARE(ViewNames(f), QStringList{QStringLiteral("f1.wav")});
}

void LibraryTest::listKeysMoveTheRow() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("K.mxf"), Clip16());
  QStringList files;
  for (int i = 0; i < 40; ++i) files << f.writeWav(QStringLiteral("k%1.wav").arg(i, 2, 10, QLatin1Char('0')), 1, 16);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.shell.wavChoices.push_back(files);
  w.RunCommand(cmd::kAddWav);
  LibraryView* list = w.libraryView();
  list->setRowStates(std::vector<uint8_t>(40, 0), 5);
  // Each key moves the focused row and selects it alone; the assignment
  // then takes that row (Home then Ctrl+C assigns the first file).
  struct Step {
    Qt::Key key;
    int row;  // -1: somewhere between the previous row and the end
  };
  const Step steps[] = {{Qt::Key_End, 39}, {Qt::Key_Home, 0}, {Qt::Key_PageDown, -1}, {Qt::Key_PageUp, 0}};
  for (const Step& step : steps) {
    QTest::keyClick(list, step.key);
    f.settle();
    int focused = -1;
    const std::vector<uint8_t> rows = list->rowStates(&focused);
    if (step.row >= 0) {
      QCOMPARE(focused, step.row);
    } else {
      QVERIFY2(focused > 1 && focused < 39, qPrintable(QString::number(focused)));
    }
    QCOMPARE(std::count(rows.begin(), rows.end(), 1), 1);
    QCOMPARE(int{rows[static_cast<size_t>(focused)]}, 1);
    QCOMPARE(f.state().ctx.currentListIndex.load(), focused);
  }
  w.RunCommand(cmd::kAssign);
  QCOMPARE(f.state().plan.wavEntry[0], Entry(f, QStringLiteral("k00.wav")));
}

void LibraryTest::columnsShowTheirWholeTexts() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("W.mxf"), Clip16());
  const QString wav = f.writeWav(QStringLiteral("a_rather_long_file_name_from_a_field_recorder_take_0001.wav"), 1, 16);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.shell.wavChoices.push_back({wav});
  w.RunCommand(cmd::kAddWav);
  LibraryView* list = w.libraryView();
  const QFontMetrics metrics(list->font());
  for (int c = 0; c < LibraryModel::kColumns; ++c) {
    const QString text = list->libraryModel()->index(0, c).data().toString();
    // The cell insets its text by 10 pixels on either side.
    QVERIFY2(list->columnWidth(c) >= metrics.horizontalAdvance(text) + 20,
             qPrintable(QStringLiteral("column %1: %2").arg(c).arg(text)));
    QVERIFY(list->columnWidth(c) >= LibraryModel::kWidths[c]);
  }
  // Wider than the view: it scrolls sideways rather than cutting columns.
  QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

// A multichannel file offers its channels from the current track on (as
// far as they fit) or one chosen channel; the panel marks each track's
// channel. Choosing nothing changes nothing.
void LibraryTest::multichannelFileOffersItsChannels() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("M.mxf"), Clip16());
  const QString six = f.writeWav(QStringLiteral("six.wav"), 6, 16);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.shell.wavChoices.push_back({six});
  w.RunCommand(cmd::kAddWav);
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  LibraryModel* model = w.libraryView()->libraryModel();
  QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("6"));
  AUDIOTRACK_IO_INFO& plan = f.state().plan;

  // From track 2 of 4: channels 1-3 fit; cancelling leaves every track empty.
  f.state().ctx.currentTrack = 1;
  QVERIFY(SelectRow(f, QStringLiteral("six.wav")));
  w.RunCommand(cmd::kAssign);
  QCOMPARE(f.shell.itemTitles.value(0), QStringLiteral("six.wav (6チャンネル)"));
  QCOMPARE(f.shell.lastItems.size(), 7);
  QCOMPARE(f.shell.lastItems[0], QStringLiteral("チャンネル1〜3をトラック2〜4へ"));
  QCOMPARE(f.shell.lastItems[6], QStringLiteral("チャンネル6だけをトラック2へ"));
  for (int s = 0; s < 4; ++s) QVERIFY(plan.wavEntry[s] == nullptr);

  f.shell.itemChoices.push_back(0);
  w.RunCommand(cmd::kAssign);
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  WAV_LIBRARY_ENTRY* e = Entry(f, QStringLiteral("six.wav"));
  QVERIFY(plan.wavEntry[0] == nullptr);
  for (int s = 1; s < 4; ++s) {
    QCOMPARE(plan.wavEntry[s], e);
    QCOMPARE(int(plan.wavChannel[s]), s - 1);
  }
  QCOMPARE(e->assigned.load(), 1);
  QCOMPARE(int(f.state().ctx.viewMode), int(VIEW_TRACKS));

  // Channel 5 alone onto track 1.
  f.state().ctx.currentTrack = 0;
  w.RunCommand(cmd::kSwitchView);
  QVERIFY(SelectRow(f, QStringLiteral("six.wav")));
  f.shell.itemChoices.push_back(5);
  w.RunCommand(cmd::kAssign);
  QCOMPARE(plan.wavEntry[0], e);
  QCOMPARE(int(plan.wavChannel[0]), 4);
  QCOMPARE(int(plan.wavChannel[1]), 0);
}

// Each file's integrated loudness and true peak appear once the list thread
// has measured it, as the loudness library measures the file; the files are
// only read.
void LibraryTest::loudnessColumnsFillInFromTheListThread() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("L.mxf"), Clip16());
  const QString tone = f.writeWav(QStringLiteral("tone.wav"), 1, 24, 48000, 3 * 48000, 997);
  const QString silent = f.writeWav(QStringLiteral("silent.wav"), 2, 16);
  const QByteArray toneBytes = UiFixture::readFile(tone);
  const QDateTime toneTime = QFileInfo(tone).lastModified();
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.shell.wavChoices.push_back({tone, silent});
  w.RunCommand(cmd::kAddWav);
  LibraryModel* model = w.libraryView()->libraryModel();
  QCOMPARE(model->headerData(LibraryModel::kLoudnessColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
           QStringLiteral("ラウドネス"));
  QCOMPARE(model->headerData(LibraryModel::kTruePeakColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
           QStringLiteral("トゥルーピーク"));
  const int toneRow = ViewNames(f).indexOf(QStringLiteral("tone.wav"));
  const int silentRow = ViewNames(f).indexOf(QStringLiteral("silent.wav"));
  QVERIFY(toneRow >= 0 && silentRow >= 0);
  auto cell = [model](int row, int column) { return model->index(row, column).data().toString(); };
#if VELMORA_HAVE_LOUDNESS
  LOUDNESS_RESULT expected;
  QCOMPARE(MeasureWavLoudness(U16(tone), nullptr, &expected), int{LOUDNESS_OK});
  QVERIFY(qAbs(expected.integrated + 23.0) < 0.1);  // 997 Hz at -20 dBFS, mono
  QTRY_COMPARE_WITH_TIMEOUT(cell(toneRow, LibraryModel::kLoudnessColumn),
                            QStringLiteral("%1 LKFS").arg(expected.integrated, 0, 'f', 1), 20000);
  QCOMPARE(cell(toneRow, LibraryModel::kTruePeakColumn), QStringLiteral("%1 dBTP").arg(expected.truePeak, 0, 'f', 1));
  // 100 ms of silence: nothing above the gates, no peak.
  QTRY_COMPARE_WITH_TIMEOUT(cell(silentRow, LibraryModel::kLoudnessColumn), QStringLiteral("-inf LKFS"), 20000);
  QCOMPARE(cell(silentRow, LibraryModel::kTruePeakColumn), QStringLiteral("-inf dBTP"));
  // The figures stay with their file through a sort, and the list stays usable.
  QTest::mouseClick(w.libraryView()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(w.libraryView()->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
  f.settle();
  QCOMPARE(cell(ViewNames(f).indexOf(QStringLiteral("tone.wav")), LibraryModel::kLoudnessColumn),
           QStringLiteral("%1 LKFS").arg(expected.integrated, 0, 'f', 1));
#else
  f.settle();
  QCOMPARE(cell(toneRow, LibraryModel::kLoudnessColumn), QString());
#endif
  QVERIFY(UiFixture::readFile(tone) == toneBytes);
  QCOMPARE(QFileInfo(tone).lastModified(), toneTime);
}

VELMORA_UI_TEST_MAIN(LibraryTest)
#include "library_test.moc"
