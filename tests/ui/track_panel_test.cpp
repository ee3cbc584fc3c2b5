// The track panel's input: switch clicks (with stereo partners), row
// selection with Shift and Ctrl, Ctrl+Shift+A, the wheel, the Up/Down keys;
// the rows for a height that leaves a partly visible row; the off-screen
// image redrawn band by band; the row tooltip and its timers.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QCursor>
#include <QTest>
#include <QWheelEvent>

#include "engine/track_plan.h"
#include "rewrap/track_assign.h"
#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/command_ids.h"
#include "ui/qt_text.h"
#include "ui/status_bar.h"
#include "ui/track_area.h"

namespace {

// One second of the fixture's short 25 fps clip.
mxfgen::Options Clip(int tracks) {
  mxfgen::Options o = ShortClip25(tracks);
  o.frames = 25;
  return o;
}

// The centre of a row's switch image, and a point on the row beside it.
QPoint SwitchAt(int slot, const APP_CONTEXT& ctx) {
  return QPoint(30, (slot - ctx.firstVisibleTrack) * TrackArea::kRowHeight + 26);
}
QPoint RowAt(int slot, const APP_CONTEXT& ctx) {
  return QPoint(300, (slot - ctx.firstVisibleTrack) * TrackArea::kRowHeight + 26);
}

std::vector<int> Selected(const APP_CONTEXT& ctx) {
  std::vector<int> out;
  for (int s = 0; s < ctx.audioTrackCount; ++s) {
    if (ctx.trackSelected[s]) out.push_back(s);
  }
  return out;
}

// The pointer moving over the panel (no button held).
void Hover(QWidget* w, const QPoint& at) {
#ifdef Q_OS_WIN
  // The native platform follows the real pointer: left elsewhere, it makes
  // the area think the pointer left when the tooltip window appears.
  QCursor::setPos(w->mapToGlobal(at));
#endif
  QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Resizes the window so that the track panel is `height` pixels high.
bool SetPanelHeight(MainWindow& w, int height) {
  w.resize(w.width(), w.height() + height - w.trackArea()->height());
  for (int i = 0; i < 50 && w.trackArea()->height() != height; ++i) QTest::qWait(10);
  return w.trackArea()->height() == height;
}

// The image's pixel rows from y0 up to (not including) y1.
QImage Band(const QImage& image, int y0, int y1) { return image.copy(0, y0, image.width(), y1 - y0); }

void Wheel(QWidget* w, int notches) {
  const QPointF at(100, 20);
  QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
}

}  // namespace

class TrackPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void switchesAndSelection();
  void scrollingAndKeys();
  void partialRow();
  void redrawsOnlyChangedBands();
  void rowTooltipTimers();
};

void TrackPanelTest::switchesAndSelection() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("T.mxf"), Clip(4));
  const QString stereo = f.writeWav(QStringLiteral("st.wav"), 2, 24);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  APP_CONTEXT& ctx = f.state().ctx;
  AUDIOTRACK_IO_INFO& plan = f.state().plan;
  TrackArea* area = w.trackArea();
  QVERIFY(!area->showsTitle());

  // A click on track 3's switch: ON; again: OFF. The row's selection stays.
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, SwitchAt(2, ctx));
  QCOMPARE(int(plan.trackSwitch[2]), int(TRACK_ON));
  QCOMPARE(Selected(ctx), std::vector<int>{0});
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, SwitchAt(2, ctx));
  QCOMPARE(int(plan.trackSwitch[2]), int(TRACK_OFF));

  // A stereo pair switches together.
  QVERIFY(WavLibraryAdd(U16(stereo), &f.state().libraryHead, &f.state().mxf.timecode) == WAV_ADD_OK);
  WAV_LIBRARY_ENTRY* st = f.state().libraryHead.next;
  QCOMPARE(AssignTrack(plan, ctx.trackStereo, f.state().mxf.audio, st, 0).code, int(TRACK_ASSIGN_OK));
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, SwitchAt(1, ctx));
  QCOMPARE(int(plan.trackSwitch[0]), int(TRACK_ON));
  QCOMPARE(int(plan.trackSwitch[1]), int(TRACK_ON));
  QCOMPARE(area->TooltipText(1).section(QLatin1Char('\n'), 0, 2), QStringLiteral("トラック: 2\n\nst.wav"));
  QCOMPARE(area->TooltipText(3), QStringLiteral("ファイルが割当てられていません。"));

  // Plain click: only that row, current. Shift: a range. Ctrl: toggles,
  // but not the current track.
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, RowAt(1, ctx));
  QCOMPARE(Selected(ctx), std::vector<int>{1});
  QCOMPARE(ctx.currentTrack, 1);
  QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, RowAt(3, ctx));
  QCOMPARE(Selected(ctx), (std::vector<int>{1, 2, 3}));
  QCOMPARE(ctx.currentTrack, 3);
  QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, RowAt(2, ctx));
  QCOMPARE(Selected(ctx), (std::vector<int>{1, 3}));
  QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, RowAt(3, ctx));
  QCOMPARE(Selected(ctx), (std::vector<int>{1, 3}));
  QCOMPARE(ctx.currentTrack, 3);

  // Ctrl+G: the current track was OFF, so the selected tracks and their
  // partners go ON. Ctrl+Shift+A: the first track is ON, so all go OFF.
  QApplication::setActiveWindow(&w);
  QVERIFY(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(w.surface(), Qt::Key_G, Qt::ControlModifier);
  QCOMPARE(int(plan.trackSwitch[0]), int(TRACK_ON));
  QCOMPARE(int(plan.trackSwitch[1]), int(TRACK_ON));
  QCOMPARE(int(plan.trackSwitch[2]), int(TRACK_OFF));
  QCOMPARE(int(plan.trackSwitch[3]), int(TRACK_ON));
  QTest::keyClick(w.surface(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  for (int s = 0; s < 4; ++s) QCOMPARE(int(plan.trackSwitch[s]), int(TRACK_OFF));
  QTest::keyClick(w.surface(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  for (int s = 0; s < 4; ++s) QCOMPARE(int(plan.trackSwitch[s]), int(TRACK_ON));
  QCOMPARE(int(plan.trackSwitch[4]), int(TRACK_ABSENT));

  // Ctrl+A selects every track; a double-click on a row shows the library.
  QTest::keyClick(w.surface(), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(Selected(ctx), (std::vector<int>{0, 1, 2, 3}));
  QTest::mouseDClick(area, Qt::LeftButton, Qt::NoModifier, RowAt(2, ctx));
  QCOMPARE(int(ctx.viewMode), int(VIEW_LIBRARY));
}

void TrackPanelTest::scrollingAndKeys() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("S.mxf"), Clip(16));
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  APP_CONTEXT& ctx = f.state().ctx;
  TrackArea* area = w.trackArea();
  const int rows = area->wholeRows();
  QVERIFY2(rows > 1 && rows < 16, qPrintable(QString::number(rows)));

  // Down moves the current track; at the last visible row it scrolls.
  QApplication::setActiveWindow(&w);
  QVERIFY(QTest::qWaitForWindowActive(&w));
  w.surface()->setFocus();
  for (int i = 0; i < rows - 1; ++i) QTest::keyClick(w.surface(), Qt::Key_Down);
  QCOMPARE(ctx.currentTrack, rows - 1);
  QCOMPARE(ctx.firstVisibleTrack, 0);
  QCOMPARE(Selected(ctx), std::vector<int>{rows - 1});
  QTest::keyClick(w.surface(), Qt::Key_Down);
  QCOMPARE(ctx.currentTrack, rows);
  QCOMPARE(ctx.firstVisibleTrack, 1);

  // The wheel scrolls by one row per notch, not past the last track.
  Wheel(area, -30);
  QCOMPARE(ctx.firstVisibleTrack, 16 - rows);
  Wheel(area, 30);
  QCOMPARE(ctx.firstVisibleTrack, 0);
  Wheel(area, -1);
  QCOMPARE(ctx.firstVisibleTrack, 1);

  // The arrows: the up arrow is there only when the first track is out of
  // view; a click on the down arrow scrolls one row.
  Wheel(area, 30);
  QCOMPARE(int(ctx.upArrowState), 2);
  QCOMPARE(int(ctx.downArrowState), 0);
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, area->downArrowRect().center());
  QCOMPARE(ctx.firstVisibleTrack, 1);
  QCOMPARE(int(ctx.upArrowState), 0);
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, area->upArrowRect().center());
  QCOMPARE(ctx.firstVisibleTrack, 0);
  Wheel(area, -30);
  QCOMPARE(int(ctx.downArrowState), 2);

  // Up after the view was scrolled away brings the current track back first.
  Wheel(area, -30);
  QTest::keyClick(w.surface(), Qt::Key_Up);
  QCOMPARE(ctx.currentTrack, rows - 1);
  QVERIFY(ctx.currentTrack >= ctx.firstVisibleTrack && ctx.currentTrack < ctx.firstVisibleTrack + rows);

  // At the first track Up changes nothing.
  for (int i = 0; i < 20; ++i) QTest::keyClick(w.surface(), Qt::Key_Up);
  QCOMPARE(ctx.currentTrack, 0);
  QCOMPARE(ctx.firstVisibleTrack, 0);
}

void TrackPanelTest::partialRow() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("P.mxf"), Clip(16));
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  APP_CONTEXT& ctx = f.state().ctx;
  TrackArea* area = w.trackArea();

  // Five whole rows and 20 pixels: a sixth row with 32 pixels hidden, below.
  QVERIFY(SetPanelHeight(w, 5 * 52 + 20));
  QCOMPARE(area->wholeRows(), (w.centralWidget()->height() - w.statusParts()->height() - 340) / 52);
  QCOMPARE(ctx.visibleTrackCount, 6);
  QCOMPARE(area->partialRowHidden(), 32);
  QVERIFY(!area->partialRowAtTop());
  QCOMPARE(int(ctx.upArrowState), 2);
  QCOMPARE(int(ctx.downArrowState), 0);

  // Clicking the partial row selects it and scrolls it fully into view.
  QCOMPARE(area->SlotAt(QPoint(300, 5 * 52 + 10)), 5);
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(300, 5 * 52 + 10));
  QCOMPARE(ctx.currentTrack, 5);
  QCOMPARE(ctx.firstVisibleTrack, 1);
  QCOMPARE(int(ctx.upArrowState), 0);

  // Scrolled to the end, the last track is whole and the partial row moves
  // above the whole rows.
  Wheel(area, -30);
  QCOMPARE(ctx.firstVisibleTrack, 11);
  QVERIFY(area->partialRowAtTop());
  QCOMPARE(area->RowTop(0), -32);
  QCOMPARE(area->SlotAt(QPoint(300, 5)), 10);
  QCOMPARE(area->SlotAt(QPoint(300, 5 * 52 + 19)), 15);
  QCOMPARE(int(ctx.upArrowState), 0);
  QCOMPARE(int(ctx.downArrowState), 2);
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(300, 5));
  QCOMPARE(ctx.currentTrack, 10);
  QCOMPARE(ctx.firstVisibleTrack, 10);
  QVERIFY(!area->partialRowAtTop());
  QCOMPARE(int(ctx.downArrowState), 0);

  // No remainder: no partial row; the current track stays in view.
  QVERIFY(SetPanelHeight(w, 6 * 52));
  QCOMPARE(ctx.visibleTrackCount, 6);
  QCOMPARE(area->partialRowHidden(), 0);
  QVERIFY(ctx.firstVisibleTrack <= 10 && 10 < ctx.firstVisibleTrack + 6);
}

void TrackPanelTest::redrawsOnlyChangedBands() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("R.mxf"), Clip(16));
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  APP_CONTEXT& ctx = f.state().ctx;
  TrackArea* area = w.trackArea();
  QVERIFY(SetPanelHeight(w, 5 * 52 + 20));
  Wheel(area, -30);  // rows 10 (partial, top) to 15
  QVERIFY(area->partialRowAtTop());
  area->repaint();
  const QImage before = area->image().copy();
  const int drawn = area->rowsDrawn();

  // Track 13's switch: only its row's band (drawn row 2) is redrawn.
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(30, area->RowTop(2) + 26));
  QCOMPARE(int(f.state().plan.trackSwitch[12]), int(TRACK_ON));
  area->repaint();
  QCOMPARE(area->lastBands(), 1u << 2);
  QCOMPARE(area->rowsDrawn(), drawn + 1);
  const QImage after = area->image().copy();
  const int top = area->RowTop(2);
  QCOMPARE(Band(after, 0, top), Band(before, 0, top));
  QCOMPARE(Band(after, top + 52, after.height()), Band(before, top + 52, before.height()));
  QVERIFY(Band(after, top, top + 52) != Band(before, top, top + 52));

  // The image redrawn whole is the same as the one redrawn by bands.
  area->RedrawAll();
  area->repaint();
  QCOMPARE(area->image(), after);

  // Selecting track 15 changes only its row on screen (track 1 lost its
  // selection, but is out of view).
  QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(300, area->RowTop(4) + 26));
  QCOMPARE(ctx.currentTrack, 14);
  area->repaint();
  QCOMPARE(area->lastBands(), 1u << 4);
}

void TrackPanelTest::rowTooltipTimers() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("H.mxf"), Clip(4));
  const QString stereo = f.writeWav(QStringLiteral("st.wav"), 2, 24);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  const APP_CONTEXT& ctx = f.state().ctx;
  QVERIFY(WavLibraryAdd(U16(stereo), &f.state().libraryHead, &f.state().mxf.timecode) == WAV_ADD_OK);
  WAV_LIBRARY_ENTRY* st = f.state().libraryHead.next;
  QCOMPARE(AssignTrack(f.state().plan, f.state().ctx.trackStereo, f.state().mxf.audio, st, 0).code,
           int(TRACK_ASSIGN_OK));
  TrackArea* area = w.trackArea();
  QLabel* tip = area->rowTooltip();

  // One second without moving; a move restarts the wait.
  Hover(area, RowAt(1, ctx));
  QTest::qWait(700);
  QVERIFY(!tip->isVisible());
  QElapsedTimer rested;
  rested.start();
  Hover(area, RowAt(1, ctx) + QPoint(40, 0));
  QTRY_VERIFY_WITH_TIMEOUT(tip->isVisible(), 3000);
  QVERIFY2(rested.elapsed() >= 1000, qPrintable(QString::number(rested.elapsed())));
  const QString folder = QFileInfo(stereo).absolutePath();
  QCOMPARE(tip->text(), QStringLiteral("トラック: 2\n\nst.wav\n") + folder + QLatin1Char('\n') + Q(st->columnText[9]) +
                            QStringLiteral("\n\nビット数: 24  チャンネル数: 2\n\n開始: ") + Q(st->columnText[4]) +
                            QStringLiteral("\n終了: ") + Q(st->columnText[5]) + QStringLiteral("\n長さ: ") +
                            Q(st->columnText[6]));
  QCOMPARE(tip->maximumWidth(), 600);
  QVERIFY(tip->width() <= 600);

  // Kept while the pointer stays on the row; another row hides it at once,
  // and a row without a file has the short text.
  Hover(area, RowAt(1, ctx) + QPoint(80, 10));
  QVERIFY(tip->isVisible());
  Hover(area, RowAt(3, ctx));
  QVERIFY(!tip->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(tip->isVisible(), 3000);
  QCOMPARE(tip->text(), QStringLiteral("ファイルが割当てられていません。"));
  QCOMPARE(tip->maximumWidth(), 200);

  // Kept for 30 seconds, then hidden.
  QTimer* keep = area->tooltipKeepTimer();
  QVERIFY(keep->isActive());
  QVERIFY(keep->remainingTime() > 29000);
  keep->start(1);
  QTRY_VERIFY(!tip->isVisible());
}

VELMORA_UI_TEST_MAIN(TrackPanelTest)
#include "track_panel_test.moc"
