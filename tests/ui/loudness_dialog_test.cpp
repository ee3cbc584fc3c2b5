// The loudness command's choice of programmes, and its dialog's figures:
// those the measurement gives, marked against the chosen target.
#include <QComboBox>
#include <QProgressBar>
#include <QTableWidget>
#include <QTest>

#include "loudness/mxf_loudness.h"
#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/loudness_command.h"
#include "ui/loudness_dialog.h"

namespace {

mxfgen::Options Clip() {
  mxfgen::Options o;
  o.frameRateClass = 1;
  o.startTimecode = "10:00:00:00";
  o.frames = 50;
  o.tracks = 4;
  return o;
}

}  // namespace

class LoudnessDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void measuresTheSwitchedOnTracksOverTheRange() {
    UiFixture f;
    MainWindow& w = f.open();
    f.loadByCommand(f.writeMxf(QStringLiteral("clip.mxf"), Clip()));
    AppState& s = f.state();
    QVERIFY(s.ctx.fileLoaded);

    s.plan.trackSwitch[1] = TRACK_ON;
    s.plan.trackSwitch[3] = TRACK_ON;
    const std::vector<LOUDNESS_PROGRAMME> programmes = LoudnessProgrammes(s.plan, 4);
    QCOMPARE(programmes.size(), size_t{2});
    QCOMPARE(programmes[0].left, 1);
    QVERIFY(!programmes[1].stereo());

    LOUDNESS_DIALOG_DEPS deps;
    deps.mxfPath = s.ctx.mxfPath;
    deps.base = &s.mxf.base;
    deps.programmes = programmes;
    deps.first = 5;
    deps.count = 40;
    std::vector<LOUDNESS_RESULT> expected;
    QCOMPARE(MeasureMxfLoudness(deps.mxfPath, s.mxf.base, 5, 40, programmes, nullptr, &expected), int{LOUDNESS_OK});

    LoudnessDialog dialog(deps, &w);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.finished(), 20000);
    QTRY_COMPARE(dialog.table()->rowCount(), 2);
    QCOMPARE(dialog.progressBar()->value(), 100);
    for (int row = 0; row < 2; ++row) {
      QCOMPARE(dialog.table()->item(row, 1)->text(), QString::fromStdString(LoudnessText(expected[row].integrated)));
      QCOMPARE(dialog.table()->item(row, 5)->text(), QString::fromStdString(TruePeakText(expected[row].truePeak)));
      // mxfgen's pattern is far below any delivery target.
      QCOMPARE(dialog.table()->item(row, 6)->text(), QStringLiteral("不合格"));
    }
    const QColor failColour = dialog.table()->item(0, 1)->background().color();
    dialog.targetBox()->setCurrentIndex(1);
    QCOMPARE(LoudnessDialog::targetChoice(), 1);
    QCOMPARE(dialog.table()->item(0, 1)->background().color(), failColour);
    dialog.targetBox()->setCurrentIndex(0);
  }
};

VELMORA_UI_TEST_MAIN(LoudnessDialogTest)
#include "loudness_dialog_test.moc"
