// The IN/OUT entry of the main window with its refusals, the rewrap command
// through the progress dialog (the file's bytes checked against the layout
// mxfgen reports), a cancelled rewrap, and the detail log.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "engine/track_plan.h"
#include "platform/sys_error.h"
#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/command_ids.h"
#include "ui/job_notifier.h"
#include "ui/log_files.h"
#include "ui/progress_dialog.h"
#include "ui/range_block.h"
#include "ui/status_bar.h"

namespace {

mxfgen::Options Clip() { return ShortClip25(4); }

bool AllZero(const QByteArray& bytes, uint64_t offset, uint32_t size) {
  for (uint32_t i = 0; i < size; ++i) {
    if (bytes.at(static_cast<qsizetype>(offset + i)) != 0) return false;
  }
  return true;
}

bool SameBytes(const QByteArray& a, const QByteArray& b, uint64_t offset, uint32_t size) {
  return a.mid(static_cast<qsizetype>(offset), size) == b.mid(static_cast<qsizetype>(offset), size);
}

// Types the digits into the open edit and presses Enter.
void Enter(MainWindow& w, int which, const QString& digits) {
  QLineEdit* edit = which == 0 ? w.rangeBlock()->inEdit() : w.rangeBlock()->outEdit();
  QVERIFY(edit->isVisible());
  edit->setText(digits);
  QTest::keyClick(edit, Qt::Key_Return);
}

// Loads the clip and marks its first ten frames with track 1 on, ready for
// a rewrap.
void LoadTenFramesOnTrackOne(UiFixture& f, MainWindow& w, const QString& clip) {
  f.loadByCommand(clip);
  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("10000000"));
  Enter(w, 1, QStringLiteral("10000009"));
  f.state().plan.trackSwitch[0] = TRACK_ON;
}

// Shortcuts reach only the active window.
bool Activate(MainWindow& w) {
  QApplication::setActiveWindow(&w);
  return QTest::qWaitForWindowActive(&w);
}

ProgressDialog* OpenProgressDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<ProgressDialog*>(w); d != nullptr && d->isVisible()) return d;
  }
  return nullptr;
}

// A rewrap engine that checks gCheckFrames frames, then writes
// gWriteFrames, stopping after each phase until the test lets it go on.
std::atomic<int> gGate{0};
std::atomic<int> gReached{0};
std::atomic<uint32_t> gCheckFrames{0};
std::atomic<uint32_t> gWriteFrames{0};
int PhasedEngine(const std::u16string&, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO*) {
  auto waitFor = [](int step) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (gGate.load() < step && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  plan->jobPhase.store(JOB_PHASE_CHECK);
  plan->currentFrame.store(gCheckFrames.load());
  gReached = 1;
  waitFor(1);
  plan->currentFrame.store(0);
  plan->jobPhase.store(JOB_PHASE_WRITE);
  plan->currentFrame.store(gWriteFrames.load());
  gReached = 2;
  waitFor(2);
  return 0;
}

// A rewrap engine that reports some progress and then waits for the cancel.
std::atomic<int> gWaitingEngineCalls{0};
std::atomic<int> gEngineStarted{0};
int WaitForCancel(const std::u16string&, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO*) {
  ++gWaitingEngineCalls;
  plan->jobPhase.store(JOB_PHASE_WRITE);
  plan->currentFrame.store(3);
  gEngineStarted.store(1);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (plan->cancelRequest.load() == 0 && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return plan->cancelRequest.load() != 0 ? kResultCancelled : 2001;
}

// A rewrap engine whose journal could not be written: the system's cause
// travels with the failure.
int JournalDenied(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO*) {
  plan->osCause.path = mxfPath + u".velmora-undo";
  plan->osCause.error = EACCES;
  return 2017;
}

}  // namespace

class RewrapDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void entryRefusesAndAccepts();
  void entryKeysAndEscape();
  void entryAcrossMidnight();
  void rewrapWritesTheRangeAndTheLog();
  void cancelledRewrapStopsAndOffersNoLog();
  void failedRewrapNamesTheOsCause();
  void checkPhaseShownBeforeTheWrite();
  void reachedTimecodeAsEnteredInHour23();
};

void RewrapDialogTest::entryRefusesAndAccepts() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("A.mxf"), Clip());
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);
  QVERIFY(!f.commandEnabled(cmd::kRewrap));
  RangeBlock* rb = w.rangeBlock();

  w.RunCommand(cmd::kSetIn);
  QCOMPARE(w.openRangeEdit(), 0);
  QCOMPARE(rb->inEdit()->text(), QStringLiteral("00000000"));  // never set: 0
  QVERIFY(!rb->inDisplay()->isVisible());

  struct Refusal {
    const char* digits;
    const char* message;
  };
  const Refusal refusals[] = {
      {"1234", "不適切な値が入力されています。"},         // frame label 34 at 25 fps
      {"24000000", "不適切な値が入力されています。"},     // hour 24
      {"09595924", "メディアの開始タイムより前になっています。"},
      {"10000200", "メディアの終了タイムを越えています。"},  // last frame is 10:00:01:24
  };
  for (const Refusal& r : refusals) {
    f.messages.clear();
    Enter(w, 0, QString::fromLatin1(r.digits));
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QCOMPARE(f.messages.shown[0].text, QString::fromUtf8(r.message));
    QCOMPARE(f.messages.shown[0].caption, QStringLiteral("タイムコード入力"));
    QCOMPARE(f.messages.shown[0].icon, MsgIcon::Warning);
    QVERIFY(!f.state().ctx.inSet);
    QCOMPARE(w.openRangeEdit(), 0);  // the edit stays open
    QVERIFY(rb->inEdit()->hasSelectedText());
  }

  // An accepted IN opens the OUT edit.
  f.messages.clear();
  Enter(w, 0, QStringLiteral("10000010"));
  QVERIFY(f.messages.shown.empty());
  QVERIFY(f.state().ctx.inSet);
  QCOMPARE(f.state().plan.wrapIn[0], 25u * 36000 + 10);
  QCOMPARE(w.openRangeEdit(), 1);
  QVERIFY(rb->inDisplay()->isVisible());
  QCOMPARE(rb->inDisplay()->text(), QStringLiteral("10:00:00:10"));
  f.settle();
  QVERIFY(!f.commandEnabled(cmd::kRewrap));

  Enter(w, 1, QStringLiteral("10000005"));
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("入力データがINポイントよりも前になっています。"));
  QVERIFY(!f.state().ctx.outSet);
  QCOMPARE(w.openRangeEdit(), 1);

  // IN equal to OUT is a range of one frame.
  f.messages.clear();
  Enter(w, 1, QStringLiteral("10000010"));
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  QVERIFY(f.state().ctx.outSet);
  QCOMPARE(w.openRangeEdit(), -1);
  QCOMPARE(rb->durDisplay()->text(), QStringLiteral("00:00:00:01"));
  f.settle();
  QVERIFY(f.commandEnabled(cmd::kRewrap));

  w.RunCommand(cmd::kSetOut);
  Enter(w, 1, QStringLiteral("10000124"));  // the last frame
  QVERIFY(f.state().ctx.outSet);
  QCOMPARE(rb->outDisplay()->text(), QStringLiteral("10:00:01:24"));
  QCOMPARE(rb->durDisplay()->text(), QStringLiteral("00:00:01:15"));

  // An IN later than OUT drops OUT and opens the OUT edit.
  w.RunCommand(cmd::kSetIn);
  QCOMPARE(rb->inEdit()->text(), QStringLiteral("10000010"));
  Enter(w, 0, QStringLiteral("10000124"));
  QVERIFY(f.state().ctx.inSet);
  QVERIFY(f.state().ctx.outSet);  // equal: kept
  w.RunCommand(cmd::kSetOut);
  Enter(w, 1, QStringLiteral("10000120"));
  QVERIFY(!f.state().ctx.outSet);  // before IN: refused
  f.messages.clear();
  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("10000020"));
  w.RunCommand(cmd::kSetOut);
  Enter(w, 1, QStringLiteral("10000022"));
  QVERIFY2(f.state().ctx.outSet, qPrintable(f.messages.summary()));
  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("10000100"));
  QVERIFY(f.state().ctx.inSet);
  QVERIFY(!f.state().ctx.outSet);
  QCOMPARE(f.state().plan.wrapOut[0], 0u);
  QCOMPARE(w.openRangeEdit(), 1);
  QCOMPARE(rb->outDisplay()->text(), QStringLiteral("--:--:--:--"));
  QCOMPARE(rb->durDisplay()->text(), QStringLiteral("--:--:--:--"));
  f.settle();
  QVERIFY(!f.commandEnabled(cmd::kRewrap));

  // Unloading forgets both points.
  w.RunCommand(cmd::kUnloadMxf);
  QCOMPARE(w.openRangeEdit(), -1);
  QVERIFY(!f.state().ctx.inSet);
  QVERIFY(!rb->outEdit()->isVisible());
}

void RewrapDialogTest::entryKeysAndEscape() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("B.mxf"), Clip());
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  RangeBlock* rb = w.rangeBlock();
  QVERIFY(Activate(w));

  // The I accelerator opens the IN entry; Escape closes it unchanged.
  QTest::keyClick(w.surface(), Qt::Key_I);
  QCOMPARE(w.openRangeEdit(), 0);
  QTest::keyClick(rb->inEdit(), Qt::Key_Escape);
  QCOMPARE(w.openRangeEdit(), -1);
  QVERIFY(!rb->inEdit()->isVisible());
  QVERIFY(rb->inDisplay()->isVisible());
  QVERIFY(!f.state().ctx.inSet);

  // Delete empties the edit; letters do not enter it; O from inside the IN
  // edit opens the OUT entry.
  w.RunCommand(cmd::kSetIn);
  QTest::keyClick(rb->inEdit(), Qt::Key_Delete);
  QCOMPARE(rb->inEdit()->text(), QString());
  QTest::keyClicks(rb->inEdit(), QStringLiteral("10000005"));
  QCOMPARE(rb->inEdit()->text(), QStringLiteral("10000005"));
  QTest::keyClick(rb->inEdit(), Qt::Key_Return);
  QVERIFY(f.state().ctx.inSet);
  QCOMPARE(w.openRangeEdit(), 1);
  QTest::keyClick(rb->outEdit(), Qt::Key_I);
  QCOMPARE(w.openRangeEdit(), 0);
  QVERIFY(!rb->outEdit()->isVisible());

  // Ctrl+R does nothing from inside the edit while OUT is missing.
  f.settle();
  f.messages.clear();
  QTest::keyClick(rb->inEdit(), Qt::Key_R, Qt::ControlModifier);
  QVERIFY(f.messages.shown.empty());

  // A set point's edit closes when it loses the focus.
  w.surface()->setFocus();
  QVERIFY(!rb->inEdit()->isVisible());
  QCOMPARE(w.openRangeEdit(), -1);

  // A double-click on the OUT display opens the OUT entry once IN is set.
  QTest::mouseDClick(rb->outDisplay(), Qt::LeftButton);
  QCOMPARE(w.openRangeEdit(), 1);
}

void RewrapDialogTest::entryAcrossMidnight() {
  // 23:59:59:00 to 00:00:00:24: points compare one hour later.
  mxfgen::Options o = Clip();
  o.startTimecode = "23:59:59:00";
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("MIDNIGHT.mxf"), o);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);
  RangeBlock* rb = w.rangeBlock();
  const uint32_t hour = 25 * 3600;

  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("00000010"));  // after midnight, inside the file
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  QCOMPARE(f.state().plan.wrapIn[0], 10u);
  QCOMPARE(f.state().plan.wrapIn[1], hour + 10);
  Enter(w, 1, QStringLiteral("23595920"));  // before midnight: before IN
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("入力データがINポイントよりも前になっています。"));
  Enter(w, 1, QStringLiteral("00000020"));
  QVERIFY(f.state().ctx.outSet);
  QCOMPARE(rb->durDisplay()->text(), QStringLiteral("00:00:00:11"));

  // IN before midnight keeps OUT after midnight; IN after OUT drops it.
  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("23595910"));
  QVERIFY(f.state().ctx.outSet);
  QCOMPARE(rb->inDisplay()->text(), QStringLiteral("23:59:59:10"));
  QCOMPARE(rb->durDisplay()->text(), QStringLiteral("00:00:01:11"));
  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("00000021"));
  QVERIFY(!f.state().ctx.outSet);
  QCOMPARE(w.openRangeEdit(), 1);
}

void RewrapDialogTest::rewrapWritesTheRangeAndTheLog() {
  UiFixture f;
  mxfgen::Layout layout;
  std::string error;
  const QString clip = f.path(QStringLiteral("REWRAP.mxf"));
  QVERIFY(mxfgen::WriteMxf(clip.toStdString(), Clip(), &layout, &error));
  const QByteArray original = UiFixture::readFile(clip);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);

  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("10000010"));
  Enter(w, 1, QStringLiteral("10000019"));
  f.settle();
  QVERIFY(f.commandEnabled(cmd::kRewrap));
  QVERIFY(Activate(w));

  // Every switch OFF: the rewrap refuses.
  f.messages.clear();
  QTest::keyClick(w.surface(), Qt::Key_R, Qt::ControlModifier);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("トラックスイッチが全てOFFになっています。"));

  // Track 2 ON (silence) through Ctrl+G on the selected, current track.
  f.state().ctx.trackSelected[0] = 0;
  f.state().ctx.trackSelected[1] = 1;
  f.state().ctx.currentTrack = 1;
  QTest::keyClick(w.surface(), Qt::Key_G, Qt::ControlModifier);
  QCOMPARE(int(f.state().plan.trackSwitch[1]), int(TRACK_ON));
  QCOMPARE(int(f.state().plan.trackSwitch[0]), int(TRACK_OFF));

  // No to the backup question: nothing happens.
  f.messages.clear();
  w.RunCommand(cmd::kRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(UiFixture::readFile(clip), original);

  // Yes: the dialog runs the job; the log is offered and written. With the
  // setting on, what was written is measured (silence: no figure passes
  // the gates) and the outcome and the log say so.
  f.state().ctx.measureLoudness = 1;
  const QString logPath = f.path(QStringLiteral("detail.txt"));
  f.shell.saveChoices.push_back(logPath);
  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes, MsgAnswer::Yes});
  QString stateAtOutcome, buttonAtOutcome, reachedAtOutcome;
  int barAtOutcome = -1;
  f.messages.onShow = [&](const ShownMessage& m) {
    if (m.caption != QStringLiteral("MXF Corvane")) return;
    ProgressDialog* d = OpenProgressDialog();
    if (d == nullptr) return;
    stateAtOutcome = d->stateLabel()->text();
    buttonAtOutcome = d->button()->text();
    reachedAtOutcome = d->reachedLabel()->text();
    barAtOutcome = d->progressBar()->value();
    QCOMPARE(d->inLabel()->text(), QStringLiteral("10:00:00.10"));
    QCOMPARE(d->outLabel()->text(), QStringLiteral("10:00:00.19"));
    QCOMPARE(d->fileNameLabel()->text(), QStringLiteral("REWRAP.mxf"));
    QVERIFY(!d->button()->isEnabled());
  };
  w.RunCommand(cmd::kRewrap);
  f.messages.onShow = nullptr;
  QVERIFY(OpenProgressDialog() == nullptr);
  QStringList captions;
  for (const ShownMessage& m : f.messages.shown) captions << m.caption;
  QCOMPARE(captions, (QStringList{QStringLiteral("MXF Audio Velmora"), QStringLiteral("MXF Corvane"),
                                  QStringLiteral("MXF Audio Velmora"), QStringLiteral("MXF Audio Velmora")}));
  QCOMPARE(f.messages.shown[1].icon, MsgIcon::Information);
  const QString silentLevels = QStringLiteral("トラック2: 統合ラウドネス -inf LKFS  トゥルーピーク -inf dBTP");
  const QString levelsHeading = QStringLiteral("< 書込んだ音声のラウドネス (ITU-R BS.1770-4) >");
#if VELMORA_HAVE_LOUDNESS
  QVERIFY2(f.messages.shown[1].text.endsWith(levelsHeading + QStringLiteral("\n") + silentLevels),
           qPrintable(f.messages.shown[1].text));
#endif
  QCOMPARE(f.messages.shown[2].text, QStringLiteral("詳細ログを作成しますか？"));
  QVERIFY(f.messages.shown[3].text.endsWith(logPath));
  QCOMPARE(stateAtOutcome, QStringLiteral("ラッピングが完了しました。"));
  QCOMPARE(buttonAtOutcome, QStringLiteral("閉じる"));
  QCOMPARE(barAtOutcome, 100);
  QCOMPARE(reachedAtOutcome, QStringLiteral("10:00:00.19まで完了"));
  QCOMPARE(f.shell.saveTitles.last(), QStringLiteral("ラッピング詳細ログの保存"));
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("詳細ログの作成完了"));

  // Track 2 is silent in frames 10..19 and nowhere else; the size and every
  // other byte stay.
  const QByteArray after = UiFixture::readFile(clip);
  QCOMPARE(after.size(), original.size());
  for (int64_t frame = 0; frame < 50; ++frame) {
    for (int track = 0; track < 4; ++track) {
      const auto& e = layout.Sound(frame, track);
      if (track == 1 && frame >= 10 && frame <= 19) {
        QVERIFY2(AllZero(after, e.valueOffset, e.valueSize), qPrintable(QString::number(frame)));
      } else {
        QVERIFY2(SameBytes(after, original, e.valueOffset, e.valueSize), qPrintable(QString::number(frame)));
      }
    }
  }
  QByteArray expected = original;
  for (int64_t frame = 10; frame <= 19; ++frame) {
    const auto& e = layout.Sound(frame, 1);
    expected.replace(static_cast<qsizetype>(e.valueOffset), e.valueSize, QByteArray(e.valueSize, '\0'));
  }
  QVERIFY(after == expected);

  const QString log = UiFixture::readLog(logPath);
  QVERIFY(log.contains(QStringLiteral("********     Track 2     ********\r\nNULLデータ(無音)を書込みました。")));
  QVERIFY(log.contains(QStringLiteral("IN  10:00:00:10\r\nOUT 10:00:00:19\r\nDUR 00:00:00:10")));
  QVERIFY(log.contains(QStringLiteral("メモリマッピング")));
#if VELMORA_HAVE_LOUDNESS
  QVERIFY2(log.contains(levelsHeading + QStringLiteral("\r\n") + silentLevels + QStringLiteral("\r\n")),
           qPrintable(log));
#else
  QVERIFY(!log.contains(levelsHeading));
#endif

  // The same range through ordinary file I/O on track 4, the log in the
  // Shift_JIS (CP932) chosen in the settings; nothing measured this time.
  f.state().ctx.measureLoudness = 0;
  f.state().ctx.ioMethod = IO_FILE;
  f.state().ctx.logEncoding = LOG_ENCODING_CP932;
  f.state().plan.trackSwitch[1] = TRACK_OFF;
  f.state().plan.trackSwitch[3] = TRACK_ON;
  const QString sjisLogPath = f.path(QStringLiteral("detail-sjis.txt"));
  f.shell.saveChoices.push_back(sjisLogPath);
  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes, MsgAnswer::Yes});
  w.RunCommand(cmd::kRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{4});
  QVERIFY2(!f.messages.shown[1].text.contains(QStringLiteral("ラウドネス")), qPrintable(f.messages.shown[1].text));
  QCOMPARE(f.messages.shown[2].text, QStringLiteral("詳細ログを作成しますか？"));
  QCOMPARE(f.shell.saveTitles.size(), 2);
  // "リラップ処理ログ": katakana as CP932 writes them, then the kanji.
  const QByteArray sjis = UiFixture::readFile(sjisLogPath);
  QVERIFY2(sjis.startsWith(QByteArray("\x83\x8A\x83\x89\x83\x62\x83\x76")), sjis.left(16).toHex().constData());
  QVERIFY(!sjis.contains(QByteArray("\xE3\x83")));  // no UTF-8 katakana
  for (int64_t frame = 10; frame <= 19; ++frame) {
    const auto& e = layout.Sound(frame, 3);
    expected.replace(static_cast<qsizetype>(e.valueOffset), e.valueSize, QByteArray(e.valueSize, '\0'));
  }
  QVERIFY(UiFixture::readFile(clip) == expected);
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("詳細ログの作成完了"));
}

void RewrapDialogTest::cancelledRewrapStopsAndOffersNoLog() {
  JOB_ENGINES engines = ApplicationJobEngines();
  engines.rewrapMapping = WaitForCancel;
  engines.rewrapFile = WaitForCancel;
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("C.mxf"), Clip());
  const QByteArray original = UiFixture::readFile(clip);
  MainWindow& w = f.open(&engines);
  LoadTenFramesOnTrackOne(f, w, clip);

  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes, MsgAnswer::Yes});
  QString stateAtOutcome;
  bool cancelEnabledAfterClick = true;
  QTimer::singleShot(0, [&] {
    ProgressDialog* d = OpenProgressDialog();
    QVERIFY(d != nullptr);
    // The engine reports its progress before it waits for the cancel.
    while (gEngineStarted.load() == 0) std::this_thread::yield();
    QCOMPARE(d->button()->text(), QStringLiteral("キャンセル"));
    QVERIFY(d->button()->isEnabled());
    QTest::mouseClick(d->button(), Qt::LeftButton);
    cancelEnabledAfterClick = d->button()->isEnabled();
    QCOMPARE(d->stateLabel()->text(), QStringLiteral("中断処理を行っています、お待ちください..."));
    QCOMPARE(w.statusParts()->partText(0), QStringLiteral("中断処理中..."));
    // The display is brought up to date at once: 3 of 10 frames.
    QCOMPARE(d->progressBar()->value(), 30);
    QCOMPARE(d->reachedLabel()->text(), QStringLiteral("10:00:00.03まで完了"));
  });
  f.messages.onShow = [&](const ShownMessage& m) {
    if (ProgressDialog* d = OpenProgressDialog(); d != nullptr) stateAtOutcome = d->stateLabel()->text();
    Q_UNUSED(m);
  };
  gWaitingEngineCalls = 0;
  gEngineStarted = 0;
  w.RunCommand(cmd::kRewrap);
  f.messages.onShow = nullptr;
  QCOMPARE(gWaitingEngineCalls.load(), 1);
  QVERIFY(!cancelEnabledAfterClick);
  QCOMPARE(f.messages.shown.size(), size_t{2});  // the backup question, the outcome; no log offer
  QCOMPARE(f.messages.shown[1].caption, QStringLiteral("MXF Corvane"));
  QCOMPARE(f.messages.shown[1].icon, MsgIcon::Warning);
  QCOMPARE(stateAtOutcome, QStringLiteral("ラッピング処理を中断しました。"));
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("ラッピング処理を中断しました。"));
  QVERIFY(f.shell.saveTitles.isEmpty());
  QCOMPARE(UiFixture::readFile(clip), original);
  QVERIFY(f.state().ctx.fileLoaded);
}

void RewrapDialogTest::failedRewrapNamesTheOsCause() {
  JOB_ENGINES engines = ApplicationJobEngines();
  engines.rewrapMapping = JournalDenied;
  engines.rewrapFile = JournalDenied;
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("D.mxf"), Clip());
  MainWindow& w = f.open(&engines);
  LoadTenFramesOnTrackOne(f, w, clip);
  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes});
  w.RunCommand(cmd::kRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{2});  // the backup question, the failure
  const QString text = f.messages.shown[1].text;
  QCOMPARE(f.messages.shown[1].icon, MsgIcon::Warning);
  // The job's own message first, then the file and the system's words and code.
  const QString cause = QStringLiteral("\n\n原因: ") + QString::fromStdU16String(f.state().ctx.mxfPath) +
                        QStringLiteral(".velmora-undo: ") + QString::fromStdString(plat::DescribeError(EACCES)) +
                        QStringLiteral(" (") + QString::fromStdString(plat::ErrorCodeText(EACCES)) + QStringLiteral(")");
  QVERIFY2(text.endsWith(cause), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("2017")), qPrintable(text));
}

namespace {

struct PhaseView {
  QString state, status, reached, barText;
  int bar = -1;
};

// Runs a rewrap of the loaded file through PhasedEngine and records the
// dialog at the end of the check and during the write.
void RunPhased(UiFixture& f, MainWindow& w, PhaseView* check, PhaseView* write) {
  gGate = 0;
  gReached = 0;
  auto take = [&w](ProgressDialog* d, PhaseView* v) {
    v->state = d->stateLabel()->text();
    v->status = w.statusParts()->partText(0);
    v->reached = d->reachedLabel()->text();
    v->bar = d->progressBar()->value();
    v->barText = d->progressBar()->text();
  };
  QTimer::singleShot(0, [&] {
    ProgressDialog* d = OpenProgressDialog();
    QVERIFY(d != nullptr);
    QTRY_COMPARE(gReached.load(), 1);
    QTest::qWait(2 * ProgressDialog::kTickMs);
    take(d, check);
    gGate = 1;
    QTRY_COMPARE(gReached.load(), 2);
    QTest::qWait(2 * ProgressDialog::kTickMs);
    take(d, write);
    gGate = 2;
  });
  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes, MsgAnswer::No});
  w.RunCommand(cmd::kRewrap);
  QCOMPARE(gReached.load(), 2);
}

}  // namespace

void RewrapDialogTest::checkPhaseShownBeforeTheWrite() {
  JOB_ENGINES engines = ApplicationJobEngines();
  engines.rewrapMapping = PhasedEngine;
  engines.rewrapFile = PhasedEngine;
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("P.mxf"), Clip());
  MainWindow& w = f.open(&engines);
  LoadTenFramesOnTrackOne(f, w, clip);
  gCheckFrames = 4;
  gWriteFrames = 2;
  PhaseView check, write;
  RunPhased(f, w, &check, &write);
  // The check has its own text, and the bar moves through it.
  QCOMPARE(check.state, QStringLiteral("書込み前の確認中..."));
  QCOMPARE(check.status, QStringLiteral("書込み前の確認中..."));
  QCOMPARE(check.bar, 40);
  QCOMPARE(check.barText, QStringLiteral("40%"));
  QCOMPARE(check.reached, QStringLiteral("10:00:00.04まで確認済み"));
  // Then the write from 0 again.
  QCOMPARE(write.state, QStringLiteral("ラッピング中..."));
  QCOMPARE(write.status, QStringLiteral("ラッピング中..."));
  QCOMPARE(write.bar, 20);
  QCOMPARE(write.barText, QStringLiteral("20%"));
  QCOMPARE(write.reached, QStringLiteral("10:00:00.02まで完了"));
}

void RewrapDialogTest::reachedTimecodeAsEnteredInHour23() {
  // 23:59:59:00 to 00:00:00:24: the range is counted one hour later, but
  // the labels are shown as the user entered them, past midnight too.
  JOB_ENGINES engines = ApplicationJobEngines();
  engines.rewrapMapping = PhasedEngine;
  engines.rewrapFile = PhasedEngine;
  mxfgen::Options o = Clip();
  o.startTimecode = "23:59:59:00";
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("H23.mxf"), o);
  MainWindow& w = f.open(&engines);
  f.loadByCommand(clip);
  w.RunCommand(cmd::kSetIn);
  Enter(w, 0, QStringLiteral("23595910"));
  Enter(w, 1, QStringLiteral("00000020"));
  QVERIFY(f.state().ctx.outSet);
  f.state().plan.trackSwitch[0] = TRACK_ON;
  gCheckFrames = 5;
  gWriteFrames = 20;
  PhaseView check, write;
  RunPhased(f, w, &check, &write);
  QCOMPARE(check.reached, QStringLiteral("23:59:59.15まで確認済み"));
  QCOMPARE(write.reached, QStringLiteral("00:00:00.05まで完了"));
}

VELMORA_UI_TEST_MAIN(RewrapDialogTest)
#include "rewrap_dialog_test.moc"
