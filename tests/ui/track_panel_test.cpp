// The track panel's input: switch clicks (with stereo partners), row
// selection with Shift and Ctrl, Ctrl+Shift+A, the wheel, the Up/Down keys
// and the hover text of a row.
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "rewrap/track_assign.h"
#include "rewrap/track_plan.h"
#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/command_ids.h"
#include "ui/qt_text.h"
#include "ui/track_area.h"

namespace {

mxfgen::Options Clip(int tracks) {
  mxfgen::Options o;
  o.frameRateClass = 1;
  o.startTimecode = "10:00:00:00";
  o.frames = 25;
  o.tracks = tracks;
  o.bits = 24;
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

VELMORA_UI_TEST_MAIN(TrackPanelTest)
#include "track_panel_test.moc"
