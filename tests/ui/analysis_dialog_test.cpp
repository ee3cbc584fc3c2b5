// The analysis dialog: cancelling the verification and keeping or dropping
// the file, the notices for more than 24 tracks, and the timecode error log
// offered for a file whose timecode jumps.
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/analysis_dialog.h"
#include "ui/command_ids.h"
#include "ui/job_notifier.h"
#include "ui/qt_text.h"
#include "ui/status_bar.h"
#include "verify/verify_timecodes.h"

namespace {

// A verification that counts half the frames and then waits for the user
// to cancel.
int VerifyUntilCancelled(plat::File*, MXF_BASE_INFO* base) {
  MXF_TIMECODE_INFO* tc = base->timecode;
  tc->progressDone = tc->progressTotal / 2;
  while (tc->cancelRequested == 0) std::this_thread::yield();
  return 99;
}

// The index table step refuses more than 26 delta entries, so no real file
// reaches the verification with more than 24 tracks; these stand-ins let the
// file claim 26 tracks once the verification starts.
int VerifyWide(plat::File*, MXF_BASE_INFO* base) {
  base->audio->trackCount = 26;
  return 0;
}

int VerifyWideUntilCancelled(plat::File* file, MXF_BASE_INFO* base) {
  base->audio->trackCount = 26;
  return VerifyUntilCancelled(file, base);
}

const JOB_ENGINES& Engines(VerifyFn verify) {
  static JOB_ENGINES table[3];
  static const VerifyFn fns[3] = {VerifyUntilCancelled, VerifyWide, VerifyWideUntilCancelled};
  for (int i = 0; i < 3; ++i) {
    if (fns[i] == verify) {
      table[i].verify = verify;
      return table[i];
    }
  }
  return ApplicationJobEngines();
}

const JOB_ENGINES& CancellableEngines() { return Engines(VerifyUntilCancelled); }

AnalysisDialog* OpenAnalysisDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<AnalysisDialog*>(w); d != nullptr && d->isVisible()) return d;
  }
  return nullptr;
}

// Presses the dialog's button once it is enabled (the verification has
// begun) and, when given, the frame counter reads `counter`.
class CancelClicker : public QObject {
 public:
  explicit CancelClicker(QString counter = QString()) : counter_(std::move(counter)) {
    timer_.setInterval(2);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      AnalysisDialog* d = OpenAnalysisDialog();
      if (d == nullptr || !d->button()->isEnabled() || clicked) return;
      if (!counter_.isEmpty() && d->frameCounterLabel()->text() != counter_) return;
      counterBefore = d->frameCounterLabel()->text();
      QTest::mouseClick(d->button(), Qt::LeftButton);
      clicked = true;
      stepAfter = d->stepLabel()->text();
      buttonEnabledAfter = d->button()->isEnabled();
    });
    timer_.start();
  }
  bool clicked = false;
  QString counterBefore;
  QString stepAfter;
  bool buttonEnabledAfter = true;

 private:
  QString counter_;
  QTimer timer_;
};

mxfgen::Options Clip(int tracks = 4) {
  mxfgen::Options o;
  o.frameRateClass = 1;  // 25
  o.startFrame = 900000;  // 10:00:00:00
  o.frames = 50;
  o.tracks = tracks;
  return o;
}

}  // namespace

class AnalysisDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void notifierWaitsForTheHandler();
  void cancelAndKeepTheFile();
  void cancelAndDropTheFile();
  void moreThan24TracksAreNoted();
  void timecodeErrorsAnsweredNo();
  void timecodeErrorLogCancelledInTheSaveDialog();
  void timecodeErrorLogWritten();
  void logThatCannotBeCreatedAsksAgain();
};

void AnalysisDialogTest::notifierWaitsForTheHandler() {
  QObject receiver;
  std::atomic<int> handled{0};
  bool onGuiThread = false;
  GuiJobNotifier notifier(&receiver, [&](const JobMessage& m) {
    onGuiThread = QThread::currentThread() == receiver.thread();
    if (m.message == WM_JOB_DONE) ++handled;
  });
  std::atomic<int> seenAfterNotify{-1};
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    JobMessage m;
    m.message = WM_JOB_DONE;
    notifier.Notify(m);
    seenAfterNotify = handled.load();
    finished = true;
  });
  QTRY_VERIFY(finished.load());
  worker.join();
  QCOMPARE(seenAfterNotify.load(), 1);
  QVERIFY(onGuiThread);
}

void AnalysisDialogTest::cancelAndKeepTheFile() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("keep.mxf"), Clip());
  MainWindow& w = f.open(&CancellableEngines());
  QString statusAtQuestion;
  f.messages.onShow = [&](const ShownMessage&) { statusAtQuestion = w.statusParts()->partText(0); };
  f.messages.answer({MsgAnswer::Yes});
  CancelClicker clicker(QStringLiteral("残り 25フレーム(50フレーム中)"));
  f.loadByCommand(clip);

  QVERIFY(clicker.clicked);
  QCOMPARE(clicker.counterBefore, QStringLiteral("残り 25フレーム(50フレーム中)"));
  QCOMPARE(clicker.stepAfter, QStringLiteral("中断処理を行っていますのでこのままお待ちください..."));
  QVERIFY(!clicker.buttonEnabledAfter);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  const ShownMessage& m = f.messages.shown[0];
  QCOMPARE(m.text, QStringLiteral("keep.mxf\n\n解析を中断しました。\nこのままロードしますか？"));
  QCOMPARE(m.caption, QStringLiteral("MXF Corvane"));
  QCOMPARE(m.icon, MsgIcon::Warning);
  QCOMPARE(m.buttons, MsgButtons::YesNo);
  QCOMPARE(statusAtQuestion, QStringLiteral("解析をキャンセル"));
  QVERIFY(f.state().ctx.fileLoaded);
  QVERIFY(f.commandEnabled(cmd::kUnloadMxf));
}

void AnalysisDialogTest::cancelAndDropTheFile() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("drop.mxf"), Clip());
  f.open(&CancellableEngines());
  f.messages.answer({MsgAnswer::No});
  CancelClicker clicker;
  f.loadByCommand(clip);
  QVERIFY(clicker.clicked);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QVERIFY(!f.state().ctx.fileLoaded);
  QVERIFY(f.state().ctx.mxfPath.empty());
  QCOMPARE(int{f.state().mxf.audio.trackCount}, 0);
  QVERIFY(f.commandEnabled(cmd::kLoadMxf));
}

void AnalysisDialogTest::moreThan24TracksAreNoted() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("wide.mxf"), Clip(24));
  f.open(&Engines(VerifyWide));
  int progressAtNotice = -1;
  f.messages.onShow = [&](const ShownMessage&) {
    if (AnalysisDialog* d = OpenAnalysisDialog()) progressAtNotice = d->progressBar()->value();
  };
  f.loadByCommand(clip);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("アプリの設計上 25 から 26トラックは認識されません。"));
  QCOMPARE(f.messages.shown[0].icon, MsgIcon::Warning);
  QCOMPARE(progressAtNotice, 100);
  QVERIFY(f.state().ctx.fileLoaded);
  QCOMPARE(f.state().ctx.audioTrackCount.load(), 24);

  // Kept after a cancel, the notice asks for understanding.
  f.close();
  f.messages.clear();
  f.messages.onShow = nullptr;
  f.open(&Engines(VerifyWideUntilCancelled));
  f.messages.answer({MsgAnswer::Yes});
  CancelClicker clicker;
  f.loadByCommand(clip);
  QCOMPARE(f.messages.shown.size(), size_t{2});
  QCOMPARE(f.messages.shown[1].text,
           QStringLiteral("アプリの設計上 25 から 26トラックは認識されません。\nご了承ください。"));
}

namespace {

mxfgen::Options JumpingClip() {
  mxfgen::Options o = Clip();
  o.timecodeFaults.push_back({10, mxfgen::TimecodeFaultKind::Jump});
  return o;
}

}  // namespace

void AnalysisDialogTest::timecodeErrorsAnsweredNo() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("jump.mxf"), JumpingClip());
  f.open();
  f.messages.answer({MsgAnswer::No});
  f.loadByCommand(clip);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  const ShownMessage& m = f.messages.shown[0];
  QCOMPARE(m.caption, QStringLiteral("MXF File Analysis"));
  QCOMPARE(m.icon, MsgIcon::Information);
  QCOMPARE(m.buttons, MsgButtons::YesNo);
  QVERIFY(m.text.contains(QStringLiteral("MXFタイムコードエラーが検出されました。\r\nログファイルを作成しますか？")));
  QVERIFY(f.shell.saveTitles.isEmpty());
  QVERIFY(!f.state().ctx.fileLoaded);
}

void AnalysisDialogTest::timecodeErrorLogCancelledInTheSaveDialog() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("jump.mxf"), JumpingClip());
  f.open();
  f.messages.answer({MsgAnswer::Yes});
  f.shell.saveChoices.push_back(QString());
  f.loadByCommand(clip);
  QCOMPARE(f.shell.saveTitles, QStringList{QStringLiteral("エラーログの保存")});
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QVERIFY(!f.state().ctx.fileLoaded);
}

void AnalysisDialogTest::timecodeErrorLogWritten() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("jump.mxf"), JumpingClip());
  MainWindow& w = f.open();
  f.messages.answer({MsgAnswer::Yes});
  // Typed without an extension: ".txt" is added.
  f.shell.saveChoices.push_back(f.path(QStringLiteral("errors")));
  bool dialogHiddenAtLastMessage = false;
  f.messages.onShow = [&](const ShownMessage&) { dialogHiddenAtLastMessage = OpenAnalysisDialog() == nullptr; };
  f.loadByCommand(clip);

  QCOMPARE(f.messages.shown.size(), size_t{2});
  const ShownMessage& done = f.messages.shown[1];
  QCOMPARE(done.text, QStringLiteral("jump.mxf\r\n") + clip + QStringLiteral("\r\n\nタイムコードエラーログを作成しました"));
  QCOMPARE(done.caption, QStringLiteral("MXF File Analysis"));
  QCOMPARE(done.icon, MsgIcon::Information);
  QVERIFY(dialogHiddenAtLastMessage);
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("ログテキスト書出し完了"));
  QVERIFY(!f.state().ctx.fileLoaded);
  // The list has been handed to the log and freed.
  QVERIFY(f.state().errorHead.next == nullptr);

  const QString text = UiFixture::readLog(f.path(QStringLiteral("errors.txt")));
  QVERIFY2(text.startsWith(QStringLiteral("LTCエラーログ作成日 [MXF Audio Velmora 1.0.0.0]\r\n")), qPrintable(text.left(80)));
  QVERIFY(text.contains(QStringLiteral("< MXF情報 >\r\njump.mxf\r\n")));
  QVERIFY(text.contains(QStringLiteral("フレームレート = 25NDF\r\n")));
  QVERIFY(text.contains(QStringLiteral("LTCエラー数: 1\r\n")));
  QVERIFY(text.contains(QStringLiteral("\r\n     0  ")));
  QVERIFY(text.trimmed().endsWith(QStringLiteral("inc")));
}

void AnalysisDialogTest::logThatCannotBeCreatedAsksAgain() {
  // The system's own code for a folder that does not exist.
#ifdef Q_OS_WIN
  const int kNoSuchFolderError = 3;  // ERROR_PATH_NOT_FOUND
#else
  const int kNoSuchFolderError = 2;  // ENOENT
#endif
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("jump.mxf"), JumpingClip());
  f.open();
  f.messages.answer({MsgAnswer::Yes});
  f.shell.saveChoices.push_back(f.path(QStringLiteral("no/such/folder/log.txt")));
  f.shell.saveChoices.push_back(f.path(QStringLiteral("log.txt")));
  f.loadByCommand(clip);

  QCOMPARE(f.shell.saveTitles.size(), 2);
  QCOMPARE(f.messages.shown.size(), size_t{3});
  const ShownMessage& failed = f.messages.shown[1];
  QCOMPARE(failed.text, QStringLiteral("jump.mxf\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: ") +
                                QString::number(kNoSuchFolderError));
  QCOMPARE(failed.caption, QStringLiteral("エラーログの保存"));
  QCOMPARE(failed.icon, MsgIcon::Error);
  QVERIFY(QFile::exists(f.path(QStringLiteral("log.txt"))));
}

VELMORA_UI_TEST_MAIN(AnalysisDialogTest)
#include "analysis_dialog_test.moc"
