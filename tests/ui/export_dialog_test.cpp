// The export dialog driven through the main window's export command: the
// track pages, select all, the range entry and its refusals, the rewrap
// range taken over, and two exports in a row finding the suffixed names.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScreen>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include "bwf/bwf_header.h"
#include "engine/track_plan.h"
#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/command_ids.h"
#include "ui/export_dialog.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"
#include "ui/shell_services.h"

namespace {

mxfgen::Options Clip() { return ShortClip25(10); }

ExportDialog* OpenExportDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<ExportDialog*>(w); d != nullptr && d->isVisible()) return d;
  }
  return nullptr;
}

void Enter(QLineEdit* edit, const QString& digits) {
  edit->setText(digits);
  QTest::keyClick(edit, Qt::Key_Return);
}

std::vector<bool> EnabledButtons(ExportDialog* d) {
  std::vector<bool> out;
  for (int k = 0; k < 8; ++k) out.push_back(d->trackButton(k)->isEnabled());
  return out;
}

}  // namespace

class ExportDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ExportDialog::ResetRunState(); }
  void pagesRangeAndTwoExports();
  void escapeAndMidnightRange();
  void fileDialogsOpenLargeAndKeepTheirSize();
};

void ExportDialogTest::pagesRangeAndTwoExports() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("EXP.mxf"), Clip());
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);
  QVERIFY(f.commandEnabled(cmd::kExportBwf));
  const QString out = f.path(QStringLiteral("out"));
  QVERIFY(QDir().mkpath(out));
  bool ran = false;

  QTimer::singleShot(0, [&] {
    ExportDialog* d = OpenExportDialog();
    QVERIFY(d != nullptr);
    ran = true;
    QCOMPARE(d->windowTitle(), QStringLiteral("WAV(BWF)ファイルの書出し"));
    QCOMPARE(d->prefixEdit()->text(), QStringLiteral("Track-"));
    QCOMPARE(d->folderEdit()->text(), QDir(f.path(QString())).path());
    QCOMPARE(d->inDisplay()->text(), QStringLiteral("--:--:--:--"));

    // Pages: ten tracks give 8 + 2 + 0 enabled buttons.
    QCOMPARE(EnabledButtons(d), std::vector<bool>(8, true));
    QVERIFY(!d->previousButton()->isEnabled());
    QTest::mouseClick(d->nextButton(), Qt::LeftButton);
    QCOMPARE(EnabledButtons(d), (std::vector<bool>{true, true, false, false, false, false, false, false}));
    QTest::mouseClick(d->nextButton(), Qt::LeftButton);
    QCOMPARE(ExportDialog::page(), 2);
    QCOMPARE(EnabledButtons(d), std::vector<bool>(8, false));
    QVERIFY(!d->nextButton()->isEnabled());
    QTest::mouseClick(d->previousButton(), Qt::LeftButton);
    // Track 10 on page 1 switches on and off.
    QTest::mouseClick(d->trackButton(1), Qt::LeftButton);
    QCOMPARE(int(f.state().plan.exportSwitch[9]), int(TRACK_ON));
    QTest::mouseClick(d->trackButton(1), Qt::LeftButton);
    QCOMPARE(int(f.state().plan.exportSwitch[9]), int(TRACK_OFF));

    // Export without a range, then without a track.
    f.messages.clear();
    QTest::mouseClick(d->exportButton(), Qt::LeftButton);
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("書出し用IN/OUTポイントが正しく設定されていません。"));
    QCOMPARE(f.messages.shown[0].caption, QStringLiteral("タイムコードの確認"));
    QCOMPARE(d->openEdit(), 0);

    // The rewrap range is not set.
    f.messages.clear();
    QTest::mouseClick(d->useRewrapRangeButton(), Qt::LeftButton);
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("ラッピング用のIN/OUT点が正しくありません。"));

    // Typed range with the export dialog's own refusal texts.
    f.messages.clear();
    Enter(d->inEdit(), QStringLiteral("1234"));
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("入力された数値が適切ではありません。"));
    Enter(d->inEdit(), QStringLiteral("10000010"));
    QVERIFY(f.state().ctx.exportInSet);
    QCOMPARE(d->openEdit(), 1);
    f.messages.clear();
    Enter(d->outEdit(), QStringLiteral("10000005"));
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("OUTポイントがINポイントよりも前になっています。"));
    QVERIFY(!f.state().ctx.exportOutSet);
    f.messages.clear();
    Enter(d->outEdit(), QStringLiteral("10000200"));
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("メディアの終了タイムを越えています。"));
    Enter(d->outEdit(), QStringLiteral("10000019"));
    QVERIFY(f.state().ctx.exportOutSet);
    QCOMPARE(d->outDisplay()->text(), QStringLiteral("10:00:00:19"));
    QCOMPARE(d->durDisplay()->text(), QStringLiteral("00:00:00:10"));

    f.messages.clear();
    QTest::mouseClick(d->exportButton(), Qt::LeftButton);
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("書出しトラックのON/OFFスイッチが全てOFFになっています。"));
    QCOMPARE(f.shell.saveTitles.size(), 0);

    // Select all switches every track on; tracks 2..10 off again leaves 1.
    QTest::mouseClick(d->selectAllButton(), Qt::LeftButton);
    for (int s = 0; s < 10; ++s) QCOMPARE(int(f.state().plan.exportSwitch[s]), int(TRACK_ON));
    QCOMPARE(int(f.state().plan.exportSwitch[10]), int(TRACK_ABSENT));
    QTest::mouseClick(d->previousButton(), Qt::LeftButton);
    for (int k = 1; k < 8; ++k) QTest::mouseClick(d->trackButton(k), Qt::LeftButton);
    QTest::mouseClick(d->nextButton(), Qt::LeftButton);
    for (int k = 0; k < 2; ++k) QTest::mouseClick(d->trackButton(k), Qt::LeftButton);

    // The folder browser starts at the folder shown (the desktop here,
    // not the MXF file's folder).
    f.shell.folderChoices.push_back(out);
    QTest::mouseClick(d->folderButton(), Qt::LeftButton);
    QCOMPARE(f.shell.folderStarts, QStringList{QDir(f.path(QString())).path()});
    QCOMPARE(d->folderEdit()->text(), out);
    // A prefix naming another folder is refused before anything is written.
    const uint32_t before = f.state().plan.exportRunNumber;
    for (const QString& bad : {QStringLiteral("../x-"), QStringLiteral("a/b-"), QStringLiteral("a\\b-")}) {
      d->prefixEdit()->setText(bad);
      f.messages.clear();
      QTest::mouseClick(d->exportButton(), Qt::LeftButton);
      QCOMPARE(f.messages.shown.size(), size_t{1});
      QVERIFY(f.messages.shown[0].text.endsWith(bad));
      QCOMPARE(f.state().plan.exportRunNumber, before);
    }
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), 0);
    d->prefixEdit()->setText(QStringLiteral("Mix-"));

    // Two exports in a row: the second finds the first's file and adds the
    // run number.
    const uint32_t runs = f.state().plan.exportRunNumber;
    for (int i = 0; i < 2; ++i) {
      f.messages.clear();
      QTest::mouseClick(d->exportButton(), Qt::LeftButton);
      QCOMPARE(f.messages.shown.size(), size_t{1});
      QCOMPARE(f.messages.shown[0].caption, QStringLiteral("MXF Corvane"));
      QCOMPARE(f.messages.shown[0].icon, MsgIcon::Information);
      QVERIFY(d->isVisible());
    }
    QCOMPARE(f.state().plan.exportRunNumber, runs + 2);
    QCOMPARE(Q(f.state().plan.exportPrefix), QStringLiteral("Mix-"));
    QTest::mouseClick(d->closeButton(), Qt::LeftButton);
  });
  w.RunCommand(cmd::kExportBwf);
  QVERIFY(ran);
  QVERIFY(OpenExportDialog() == nullptr);

  const std::u16string plain = PlainBwfFileName(U16(out), u"Mix-", 1);
  const std::u16string second = SuffixedBwfFileName(plain, f.state().plan.exportRunNumber);
  QVERIFY(QFileInfo::exists(Q(plain)));
  QVERIFY(QFileInfo::exists(Q(second)));
  QCOMPARE(QDir(out).entryList(QDir::Files).size(), 2);  // track 1 only, twice
  QVERIFY(QFileInfo(Q(plain)).size() > 10 * 1920 * 3);

  // A second opening keeps what was set.
  bool reopened = false;
  QTimer::singleShot(0, [&] {
    ExportDialog* d = OpenExportDialog();
    QVERIFY(d != nullptr);
    reopened = true;
    QCOMPARE(d->prefixEdit()->text(), QStringLiteral("Mix-"));
    QCOMPARE(d->folderEdit()->text(), out);
    QCOMPARE(d->inDisplay()->text(), QStringLiteral("10:00:00:10"));
    QCOMPARE(ExportDialog::page(), 1);
    d->reject();
  });
  w.RunCommand(cmd::kExportBwf);
  QVERIFY(reopened);
}

void ExportDialogTest::escapeAndMidnightRange() {
  // 23:59:59:00 to 00:00:01:24: points compare one hour later.
  mxfgen::Options o = Clip();
  o.startTimecode = "23:59:59:00";
  o.frames = 75;
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("NIGHT.mxf"), o);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);
  const AUDIOTRACK_IO_INFO& plan = f.state().plan;
  // The rewrap range across midnight, for the dialog to take over.
  w.RunCommand(cmd::kSetIn);
  w.rangeBlock()->inEdit()->setText(QStringLiteral("23595920"));
  QTest::keyClick(w.rangeBlock()->inEdit(), Qt::Key_Return);
  w.rangeBlock()->outEdit()->setText(QStringLiteral("00000104"));
  QTest::keyClick(w.rangeBlock()->outEdit(), Qt::Key_Return);
  QVERIFY(f.state().ctx.inSet && f.state().ctx.outSet);
  bool ran = false;

  QTimer::singleShot(0, [&] {
    ExportDialog* d = OpenExportDialog();
    QVERIFY(d != nullptr);
    ran = true;
    // A failed check leaves the lambda early: the dialog must still end.
    auto close = qScopeGuard([d] {
      if (d->isVisible()) d->reject();
    });
    QApplication::setActiveWindow(d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    QTest::mouseClick(d->useRewrapRangeButton(), Qt::LeftButton);
    QCOMPARE(d->inDisplay()->text(), QStringLiteral("23:59:59:20"));
    QCOMPARE(d->outDisplay()->text(), QStringLiteral("00:00:01:04"));
    QCOMPARE(d->durDisplay()->text(), QStringLiteral("00:00:01:10"));

    // Escape in an entry edit does nothing: the edit stays open, the point
    // stays as it was.
    QTest::mouseClick(d->fromButton(), Qt::LeftButton);
    QCOMPARE(d->openEdit(), 0);
    QTest::keyClick(d->inEdit(), Qt::Key_Escape);
    QVERIFY(d->isVisible());
    QCOMPARE(d->openEdit(), 0);
    QVERIFY(d->inEdit()->isVisible());
    QVERIFY(f.state().ctx.exportInSet);

    // An IN before midnight keeps an OUT after it; one after OUT drops it.
    f.messages.clear();
    Enter(d->inEdit(), QStringLiteral("23595910"));
    QVERIFY(f.state().ctx.exportOutSet);
    QCOMPARE(d->durDisplay()->text(), QStringLiteral("00:00:01:20"));
    QCOMPARE(d->openEdit(), 1);
    Enter(d->outEdit(), QStringLiteral("00000104"));
    QTest::mouseClick(d->fromButton(), Qt::LeftButton);
    Enter(d->inEdit(), QStringLiteral("00000110"));
    QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
    QVERIFY(!f.state().ctx.exportOutSet);
    QCOMPARE(plan.exportIn[1], 25u * 3600 + 35);
    QCOMPARE(d->openEdit(), 1);

    // OUT before midnight is before an IN after it; after the end is after
    // the end, not before the start.
    Enter(d->outEdit(), QStringLiteral("23595920"));
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("OUTポイントがINポイントよりも前になっています。"));
    Enter(d->outEdit(), QStringLiteral("00000200"));
    QCOMPARE(f.messages.shown.size(), size_t{2});
    QCOMPARE(f.messages.shown[1].text, QStringLiteral("メディアの終了タイムを越えています。"));
    Enter(d->outEdit(), QStringLiteral("00000124"));
    QVERIFY(f.state().ctx.exportOutSet);
    QCOMPARE(d->durDisplay()->text(), QStringLiteral("00:00:00:15"));

    // Escape elsewhere closes the dialog like its close button; the prefix
    // typed last is kept.
    QVERIFY(d->focusWidget() == d->prefixEdit());
    d->prefixEdit()->selectAll();
    QTest::keyClicks(d->prefixEdit(), QStringLiteral("Night-"));
    QTest::keyClick(d->prefixEdit(), Qt::Key_Escape);
  });
  w.RunCommand(cmd::kExportBwf);
  QVERIFY(ran);
  QVERIFY(OpenExportDialog() == nullptr);
  QCOMPARE(Q(plan.exportPrefix), QStringLiteral("Night-"));
  QVERIFY(f.state().ctx.exportInSet && f.state().ctx.exportOutSet);
  QCOMPARE(plan.exportOut[0], 49u);
}

void ExportDialogTest::fileDialogsOpenLargeAndKeepTheirSize() {
  QWidget owner;
  owner.resize(400, 300);
  owner.show();
  QtShellServices shell;
  const QSize avail = owner.screen()->availableGeometry().size();
  QSize first, second;
  bool detail = false;
  auto onDialog = [](std::function<void(QFileDialog*)> act) {
    QTimer::singleShot(0, [act] {
      auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(d != nullptr);
      act(d);
      d->reject();
    });
  };
  onDialog([&](QFileDialog* d) {
    first = d->size();
    detail = d->viewMode() == QFileDialog::Detail;
    d->resize(first - QSize(50, 40));
  });
  shell.ChooseFolder(&owner, QStringLiteral("BWF(WAV)ファイルの保存先を選択してください。"), QDir::tempPath());
  onDialog([&](QFileDialog* d) { second = d->size(); });
  shell.OpenMxfFile(&owner);
  // The first at least 900 x 600 where the screen allows (Qt's own default
  // cuts the size and date columns); the next as the user left the last.
  QVERIFY2(first.width() >= std::min(900, avail.width()) && first.height() >= std::min(600, avail.height()),
           qPrintable(QStringLiteral("%1 x %2").arg(first.width()).arg(first.height())));
  QVERIFY(detail);
  QCOMPARE(second, first - QSize(50, 40));
}

VELMORA_UI_TEST_MAIN(ExportDialogTest)
#include "export_dialog_test.moc"
