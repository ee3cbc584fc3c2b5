// Loading by command and by drop, the refusals and messages of both paths,
// and the unload that resets everything.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/analysis_dialog.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/image_button.h"
#include "ui/info_panel.h"
#include "ui/library_view.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"
#include "ui/status_bar.h"
#include "ui/track_area.h"

namespace {

mxfgen::Options DropFrameClip() {
  mxfgen::Options o;
  o.frameRateClass = 6;
  o.dropFrame = true;
  o.startFrame = 1078920;  // 10:00:00;00 at 29.97 drop-frame
  o.frames = 60;
  o.tracks = 8;
  o.bits = 24;
  o.codedContentType = 2;
  o.width = 1920;
  o.height = 1080;
  return o;
}

AnalysisDialog* OpenAnalysisDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<AnalysisDialog*>(w); d != nullptr && d->isVisible()) return d;
  }
  return nullptr;
}

}  // namespace

class LoadTest : public QObject {
  Q_OBJECT

 private slots:
  void commandLoadShowsTheFileFacts();
  void commandLoadOfAFileThatCannotBeOpened();
  void refusedFileLeavesNothingLoaded();
  void droppedUpperCaseExtensionLoads();
  void droppedNamesOfOtherKindsAreIgnored();
  void twoDroppedMxfFilesLoadNeither();
  void droppedWavFilesNeedALoadedFile();
  void wavDroppedWithTheMxfIsNotAdded();
  void droppedMxfWhileLoaded();
  void droppedWavThatCannotBeAdded();
  void unloadResetsEverything();
  void unloadFromEitherViewLeavesAMenuPass();
  void focusReturnsWhenDialogsClose();
  void openFolderByCommandAndDoubleClick();
  void rewrapAsksBeforeStarting();
};

void LoadTest::commandLoadShowsTheFileFacts() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("CLIP0001.MXF"), DropFrameClip());
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  const APP_CONTEXT& ctx = f.state().ctx;
  QVERIFY(ctx.fileLoaded);
  QCOMPARE(Q(ctx.mxfPath), clip);
  QVERIFY(!f.state().mxfFile.valid());  // later jobs reopen the file by path
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("ロード完了"));

  InfoPanel* info = w.infoPanel();
  QCOMPARE(info->fileNameField()->text(), QStringLiteral("CLIP0001.MXF"));
  const char* expected[][2] = {{"rate", "29.97 DF"},   {"head", "10:00:00.00"}, {"tail", "10:00:01.29"},
                               {"dur", "00:00:02.00"}, {"format", "AES3/LPCM"}, {"tracks", "8"},
                               {"bits", "24bit"},      {"fsRate", "48kHz"},     {"fps", "29.97i"},
                               {"size", "1920 x 1080"}};
  for (const auto& e : expected) QCOMPARE(info->value(e[0]), QString::fromUtf8(e[1]));
  const QString tip = info->fileNameField()->tooltipText();
  QVERIFY(tip.startsWith(QStringLiteral("CLIP0001.MXF\n") + QFileInfo(clip).absolutePath() + QLatin1Char('\n')));
  QVERIFY(tip.contains(QStringLiteral("製品名: mxfgen Version: 1.0  OS: Linux")));
  QCOMPARE(info->fileNameField()->tooltipMaxWidth(), 600);

  // Every track OFF, slot 0 selected and current, the rest no track.
  for (int s = 0; s < 24; ++s) QCOMPARE(int{f.state().plan.trackSwitch[s]}, s < 8 ? 0 : 2);
  QCOMPARE(int{ctx.trackSelected[0]}, 1);
  QVERIFY(!w.trackArea()->showsTitle());

  // Enabling after the load: IN and OUT missing keep the rewrap greyed.
  for (int id : {cmd::kUnloadMxf, cmd::kAddWav, cmd::kExportBwf, cmd::kSwitchView, cmd::kOpenFolder, cmd::kSetIn,
                 cmd::kSetOut, cmd::kSelectAll, cmd::kDelete, cmd::kAllTracksOnOff, cmd::kSelectedTracksOnOff}) {
    QVERIFY2(f.commandEnabled(id), qPrintable(QString::number(id)));
  }
  for (int id : {cmd::kLoadMxf, cmd::kRewrap, cmd::kAssign, 32868}) {
    QVERIFY2(!f.commandEnabled(id), qPrintable(QString::number(id)));
  }
  QVERIFY(!w.largeButton(ctl::kLoadButton)->isEnabled());
  QVERIFY(w.largeButton(ctl::kViewButton)->isEnabled());
  QVERIFY(!w.largeButton(ctl::kRewrapButton)->isEnabled());
  QVERIFY(w.largeButton(ctl::kExportButton)->isEnabled());
  QVERIFY(w.rangeBlock()->inButton()->isEnabled());

  // With IN and OUT entered the rewrap becomes available without any other
  // action than the signal.
  f.state().ctx.inSet = 1;
  f.settle(false);
  QVERIFY(!f.commandEnabled(cmd::kRewrap));
  f.state().ctx.outSet = 1;
  f.settle(false);
  QVERIFY(f.commandEnabled(cmd::kRewrap));
  QVERIFY(w.largeButton(ctl::kRewrapButton)->isEnabled());
}

void LoadTest::commandLoadOfAFileThatCannotBeOpened() {
  UiFixture f;
  f.open();
  f.loadByCommand(f.path(QStringLiteral("missing.mxf")));
  QCOMPARE(f.messages.shown.size(), size_t{1});
  const ShownMessage& m = f.messages.shown[0];
  QCOMPARE(m.text, QStringLiteral("missing.mxf\n\nMXFファイルをロードできません。\n"
                                  "接続デバイス、他のアプリで使用していないか確認して下さい。\nERR: 2"));
  QCOMPARE(m.caption, QStringLiteral("MXF Audio Velmora"));
  QCOMPARE(m.icon, MsgIcon::Error);
  QVERIFY(!f.state().ctx.fileLoaded);
  QVERIFY(f.commandEnabled(cmd::kLoadMxf));

  // Cancelling the open dialog changes nothing and shows nothing.
  f.messages.clear();
  f.loadByCommand(QString());
  QVERIFY(f.messages.shown.empty());
}

void LoadTest::refusedFileLeavesNothingLoaded() {
  UiFixture f;
  mxfgen::Options o = DropFrameClip();
  o.opQualifier = 0x01;  // not the frame-wrapped OP1a the program reads
  const QString refused = f.writeMxf(QStringLiteral("refused.mxf"), o);
  MainWindow& w = f.open();

  // What the dialog shows while the refusal is on screen.
  QString counter, step, buttonText;
  bool buttonEnabled = true;
  int progress = -1;
  f.messages.onShow = [&](const ShownMessage&) {
    AnalysisDialog* d = OpenAnalysisDialog();
    QVERIFY(d != nullptr);
    counter = d->frameCounterLabel()->text();
    step = d->stepLabel()->text();
    buttonText = d->button()->text();
    buttonEnabled = d->button()->isEnabled();
    progress = d->progressBar()->value();
  };
  f.loadByCommand(refused);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  const ShownMessage& m = f.messages.shown[0];
  QCOMPARE(m.caption, QStringLiteral("MXF File Analysis"));
  QCOMPARE(m.icon, MsgIcon::Warning);
  QCOMPARE(m.buttons, MsgButtons::Ok);
  QVERIFY2(m.text.startsWith(QStringLiteral("refused.mxf\n\nこのファイルはロードできません。\n\n")), qPrintable(m.text));
  QVERIFY(m.text.contains(QStringLiteral("処理セクション: PreFace set")));
  QVERIFY(m.text.contains(QStringLiteral("process: Memory Mapping")));

  QCOMPARE(counter, QStringLiteral("残り 0フレーム(0フレーム中)"));
  QCOMPARE(step, QStringLiteral("エラーが報告されたため解析を中断しました。"));
  QCOMPARE(buttonText, QStringLiteral("閉じる"));
  QVERIFY(!buttonEnabled);
  QCOMPARE(progress, 0);
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("MXFファイル解析エラー"));

  const AppState& s = f.state();
  QVERIFY(!s.ctx.fileLoaded);
  QVERIFY(s.ctx.mxfPath.empty());
  QVERIFY(!s.mxfFile.valid());
  QCOMPARE(w.infoPanel()->value("rate"), QStringLiteral("Unknown"));
  QVERIFY(w.trackArea()->showsTitle());
  QVERIFY(f.commandEnabled(cmd::kLoadMxf));
  QVERIFY(!f.commandEnabled(cmd::kUnloadMxf));
}

void LoadTest::droppedUpperCaseExtensionLoads() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("CLIP.MXF"));
  MainWindow& w = f.open();
  QVERIFY(f.drop({clip}));
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  QVERIFY(f.state().ctx.fileLoaded);
  QCOMPARE(w.infoPanel()->fileNameField()->text(), QStringLiteral("CLIP.MXF"));
  // The drop wakes the list thread too, which writes the path part.
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("パス情報はありません。"));
}

void LoadTest::droppedNamesOfOtherKindsAreIgnored() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  QFile::copy(clip, f.path(QStringLiteral("clip.mxf2")));
  QFile::copy(clip, f.path(QStringLiteral("clip")));
  QFile::copy(clip, f.path(QStringLiteral("clip.mxfx")));
  f.open();
  QVERIFY(f.drop({f.path(QStringLiteral("clip.mxf2")), f.path(QStringLiteral("clip")),
                  f.path(QStringLiteral("clip.mxfx"))}));
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  QVERIFY(!f.state().ctx.fileLoaded);
}

void LoadTest::twoDroppedMxfFilesLoadNeither() {
  UiFixture f;
  const QString a = f.writeMxf(QStringLiteral("a.mxf"));
  const QString b = f.writeMxf(QStringLiteral("b.mxf"));
  MainWindow& w = f.open();
  QApplication::setActiveWindow(&w);
  QVERIFY(QTest::qWaitForWindowActive(&w));
  QVERIFY(f.drop({a, b}));
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("一度にロードできるMXFファイルは１つだけです。\n"
                                                    "ラッピングミスを防ぐため処理を中断します。"));
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("ドロップされたファイル"));
  QCOMPARE(f.messages.shown[0].icon, MsgIcon::Information);
  QVERIFY(!f.state().ctx.fileLoaded);
  QVERIFY(w.largeButton(ctl::kLoadButton)->hasFocus());
}

void LoadTest::droppedWavFilesNeedALoadedFile() {
  UiFixture f;
  const QString one = f.writeWav(QStringLiteral("one.wav"));
  const QString two = f.writeWav(QStringLiteral("TWO.BWF"));
  f.open();
  QVERIFY(f.drop({one, two}));
  // One warning, however many WAV files were dropped.
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text,
           QStringLiteral("BWF(WAV)ファイルのタイムコードスタンプを正確に生成する必要があるため、"
                          "MXFファイルがロードされた状態で追加してください。"));
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("BWF(WAV)ファイルのロード"));
  QCOMPARE(f.messages.shown[0].icon, MsgIcon::Warning);
  QCOMPARE(f.state().libraryHead.count.load(), 0);
}

void LoadTest::wavDroppedWithTheMxfIsNotAdded() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  const QString one = f.writeWav(QStringLiteral("one.wav"));
  const QString two = f.writeWav(QStringLiteral("two.wav"), 2, 24);
  MainWindow& w = f.open();

  QVERIFY(f.drop({one, clip, two}));
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  QVERIFY(f.state().ctx.fileLoaded);
  QCOMPARE(f.state().libraryHead.count.load(), 0);
  QCOMPARE(int{f.state().ctx.viewMode}, int{VIEW_TRACKS});

  // Dropped again on the loaded file, they are added and the library shows.
  QVERIFY(f.drop({one, two}));
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  QCOMPARE(f.state().libraryHead.count.load(), 2);
  QCOMPARE(f.state().ctx.libraryView.size(), size_t{2});
  QCOMPARE(int{f.state().ctx.viewMode}, int{VIEW_LIBRARY});
  // Row 0 is selected and focused: the list thread mirrors it.
  QCOMPARE(w.statusParts()->partText(0), one);
  QCOMPARE(w.statusParts()->partText(1), QStringLiteral("WAV/BWFファイル :  2個    1個を選択中"));
  QCOMPARE(f.state().ctx.selectedCount.load(), 1);
  QCOMPARE(f.state().ctx.libraryView[0]->selected.load(), 1);
  QCOMPARE(f.state().ctx.libraryView[1]->selected.load(), 0);
  // In the library view with one row selected: assign and sort are usable,
  // the track switches are not.
  QVERIFY(f.commandEnabled(cmd::kAssign));
  QVERIFY(f.commandEnabled(32868));
  QVERIFY(!f.commandEnabled(cmd::kAllTracksOnOff));
  QVERIFY(!f.commandEnabled(cmd::kSortEnd));

  // Two rows selected grey the assignment; one again enables it.
  w.OnListSelectionChanged({1, 1}, 1);
  f.settle();
  QCOMPARE(w.statusParts()->partText(0), two);
  QCOMPARE(w.statusParts()->partText(1), QStringLiteral("WAV/BWFファイル :  2個    2個を選択中"));
  QCOMPARE(f.state().ctx.libraryView[1]->selected.load(), 1);
  QVERIFY(!f.commandEnabled(cmd::kAssign));
  w.OnListSelectionChanged({0, 1}, 1);
  f.settle();
  QCOMPARE(f.state().ctx.currentListIndex.load(), 1);
  QVERIFY(f.commandEnabled(cmd::kAssign));

  // A click on the window outside the list returns to the tracks.
  QTest::mouseClick(w.surface(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
  QCOMPARE(int{f.state().ctx.viewMode}, int{VIEW_TRACKS});
  f.settle(false);
  QVERIFY(!f.commandEnabled(cmd::kAssign));
  QVERIFY(f.commandEnabled(cmd::kAllTracksOnOff));
}

void LoadTest::droppedMxfWhileLoaded() {
  UiFixture f;
  const QString a = f.writeMxf(QStringLiteral("a.mxf"));
  const QString b = f.writeMxf(QStringLiteral("b.mxf"));
  f.open();
  QVERIFY(f.drop({a}));
  QVERIFY(f.drop({b}));
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("MXFファイルはすでにロードされています。\n"
                                                    "[ファイル]→[MXFファイルをアンロード]を行ってください。"));
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("MXFファイルのロード"));
  QCOMPARE(Q(f.state().ctx.mxfPath), a);
}

void LoadTest::droppedWavThatCannotBeAdded() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  const QString cd = f.writeWav(QStringLiteral("cd.wav"), 2, 16, 44100);
  const QString good = f.writeWav(QStringLiteral("good.wav"));
  f.open();
  QVERIFY(f.drop({clip}));
  QVERIFY(f.drop({cd, good}));
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("ファイル処理でエラーが発生しました。\nERR: 8"));
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("ドロップされたファイル"));
  QCOMPARE(f.messages.shown[0].icon, MsgIcon::Warning);
  QCOMPARE(f.state().libraryHead.count.load(), 1);
}

void LoadTest::unloadResetsEverything() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  const QString wav = f.writeWav(QStringLiteral("one.wav"));
  MainWindow& w = f.open();
  QVERIFY(f.drop({clip}));
  QVERIFY(f.drop({wav}));
  AppState& s = f.state();
  s.ctx.ioMethod = IO_FILE;
  s.plan.wavBufferIndex = 8;
  s.ctx.inSet = 1;
  s.ctx.outSet = 1;
  s.plan.wrapIn[0] = s.plan.wrapIn[1] = 10;
  s.plan.wrapOut[0] = s.plan.wrapOut[1] = 20;
  s.plan.trackSwitch[0] = TRACK_ON;
  s.ctx.currentTrack = 3;
  s.ctx.trackSelected[3] = 1;
  QCOMPARE(int{s.ctx.viewMode}, int{VIEW_LIBRARY});

  w.RunCommand(cmd::kUnloadMxf);
  f.settle();
  QVERIFY(f.messages.shown.empty());
  QVERIFY(!s.ctx.fileLoaded);
  QVERIFY(s.ctx.mxfPath.empty());
  QCOMPARE(int{s.ctx.ioMethod}, int{IO_MAPPING});
  QCOMPARE(s.plan.wavBufferIndex, 8u);  // kept until the program ends
  QVERIFY(!s.ctx.inSet && !s.ctx.outSet);
  QCOMPARE(s.plan.wrapIn[0], 0u);
  QCOMPARE(s.plan.wrapOut[1], 0u);
  QCOMPARE(s.libraryHead.count.load(), 0);
  QVERIFY(s.ctx.libraryView.empty());
  QCOMPARE(int{s.ctx.viewMode}, int{VIEW_TRACKS});
  QCOMPARE(s.ctx.currentTrack, 0);
  for (int slot = 0; slot < 24; ++slot) {
    QCOMPARE(int{s.plan.trackSwitch[slot]}, 2);
    QCOMPARE(int{s.plan.exportSwitch[slot]}, 2);
    QCOMPARE(int{s.ctx.trackSelected[slot]}, slot == 0 ? 1 : 0);
    QVERIFY(s.plan.wavEntry[slot] == nullptr);
  }
  QVERIFY(s.mxf.indexEntries.empty());
  QCOMPARE(int{s.mxf.audio.trackCount}, 0);

  QCOMPARE(w.infoPanel()->fileNameField()->text(), QStringLiteral("MXFファイルをウィンドウにドラッグ＆ドロップしてください"));
  QCOMPARE(w.infoPanel()->value("tracks"), QStringLiteral("0"));
  QCOMPARE(w.rangeBlock()->inDisplay()->text(), QStringLiteral("--:--:--:--"));
  QVERIFY(w.trackArea()->showsTitle());
  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("パス情報はありません。"));
  QCOMPARE(w.statusParts()->partText(1), QStringLiteral("WAV/BWFファイル :  0個    0個を選択中"));
  QVERIFY(f.commandEnabled(cmd::kLoadMxf));
  for (int id : {cmd::kUnloadMxf, cmd::kSwitchView, cmd::kSelectAll, cmd::kAssign}) QVERIFY(!f.commandEnabled(id));

  // The same file loads again afterwards.
  QVERIFY(f.drop({clip}));
  QVERIFY(s.ctx.fileLoaded);
}

void LoadTest::unloadFromEitherViewLeavesAMenuPass() {
  // The emptied list reports its rows during the unload, and that report
  // drops a pending menu signal: the unload's own signal must come after it
  // (a list pass over an empty library wakes the menu thread too). Else the
  // window keeps the loaded enabling: no load, but view and rewrap.
  for (const bool library : {true, false}) {
    UiFixture f;
    const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
    const QString wav = f.writeWav(QStringLiteral("one.wav"));
    MainWindow& w = f.open();
    QVERIFY(f.drop({clip}));
    QVERIFY(f.drop({wav}));
    if (!library) w.RunCommand(cmd::kSwitchView);
    QCOMPARE(int{f.state().ctx.viewMode}, library ? int{VIEW_LIBRARY} : int{VIEW_TRACKS});
    // The threads stand still, so what the unload leaves pending shows.
    w.threads().Stop();
    f.state().menuEvent.WaitFor(0);
    w.RunCommand(cmd::kUnloadMxf);
    QVERIFY2(f.state().menuEvent.WaitFor(0), library ? "from the library" : "from the tracks");
  }
}

void LoadTest::focusReturnsWhenDialogsClose() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  MainWindow& w = f.open();
  // Another window holds the activation, as a window manager may leave it
  // when a dialog closes; the commands' shortcuts then reach nothing.
  QWidget other;
  other.resize(200, 100);
  other.show();
  auto elsewhere = [&] {
    other.activateWindow();
    return QTest::qWaitForWindowActive(&other);
  };

  QVERIFY(elsewhere());
  f.loadByCommand(clip);  // the analysis dialog opens and closes
  QVERIFY(f.state().ctx.fileLoaded);
  QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&w));
  QCOMPARE(QApplication::focusWidget(), w.surface());

  // A message box over the library: the list takes the focus back.
  w.RunCommand(cmd::kSwitchView);
  QVERIFY(elsewhere());
  QMessageBox box(QMessageBox::Information, QStringLiteral("MXF Audio Velmora"), QStringLiteral("x"),
                  QMessageBox::Ok, &w);
  QTimer::singleShot(0, &box, [&box] { box.accept(); });
  box.exec();
  QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&w));
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.libraryView()));

  // A question inside a dialog (the analysis's cancel question): the dialog
  // underneath takes the activation back, then the window when it closes.
  QDialog outer(&w);
  QWidget* activeAfterQuestion = nullptr;
  QTimer::singleShot(0, &outer, [&] {
    QMessageBox question(QMessageBox::Question, QStringLiteral("MXF Audio Velmora"), QStringLiteral("?"),
                         QMessageBox::Yes | QMessageBox::No, &outer);
    QTimer::singleShot(0, &question, [&question] { question.done(QMessageBox::No); });
    question.exec();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&outer));
    activeAfterQuestion = QApplication::activeWindow();
    outer.accept();
  });
  outer.exec();
  QCOMPARE(activeAfterQuestion, static_cast<QWidget*>(&outer));
  QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&w));
}

void LoadTest::openFolderByCommandAndDoubleClick() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  MainWindow& w = f.open();
  // Without a file the field's double click does nothing.
  QTest::mouseDClick(w.infoPanel()->fileNameField(), Qt::LeftButton);
  QVERIFY(f.shell.openedFolders.isEmpty());

  f.loadByCommand(clip);
  w.RunCommand(cmd::kOpenFolder);
  QTest::mouseDClick(w.infoPanel()->fileNameField(), Qt::LeftButton);
  const QString folder = QFileInfo(clip).absolutePath();
  QCOMPARE(f.shell.openedFolders, (QStringList{folder, folder}));
  QVERIFY(f.messages.shown.empty());

  // Without a program that opens folders the user is told, with the path.
  f.shell.folderOpens = false;
  w.RunCommand(cmd::kOpenFolder);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("フォルダを開くことができませんでした。\n") + folder);
  QCOMPARE(f.messages.shown[0].caption, QStringLiteral("MXF Audio Velmora"));
  QCOMPARE(f.messages.shown[0].icon, MsgIcon::Warning);
}

void LoadTest::rewrapAsksBeforeStarting() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  w.RunCommand(cmd::kRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text, QStringLiteral("トラックスイッチが全てOFFになっています。"));
  QCOMPARE(int{f.state().ctx.jobMode}, int{JOB_REWRAP});

  // All tracks ON (the first was OFF), then the backup question.
  w.RunCommand(cmd::kAllTracksOnOff);
  QCOMPARE(int{f.state().plan.trackSwitch[7]}, int{TRACK_ON});
  f.messages.clear();
  w.RunCommand(cmd::kRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].text,
           QStringLiteral("MXFファイルのバックアップは済んでいますか？\n\nよろしければラッピングを開始します。"));
  QCOMPARE(f.messages.shown[0].buttons, MsgButtons::YesNo);
}

VELMORA_UI_TEST_MAIN(LoadTest)
#include "load_test.moc"
