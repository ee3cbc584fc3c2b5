// Start-up: the window's first state and enabling, the menus, accelerators
// of greyed commands, the status bar, the single instance and the options.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QStyle>
#include <QTest>

#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/app_main.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/image_button.h"
#include "ui/info_panel.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"
#include "ui/single_instance.h"
#include "ui/status_bar.h"
#include "ui/theme.h"
#include "ui/track_area.h"

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void onlyLoadSettingsAboutAndExitAtStart();
  void menusHoldTheCommandsInOrder();
  void greyedAcceleratorsNeverRunFromAnyFocus();
  void statusBarPartsFollowTheWidth();
  void secondInstanceIsRefused();
  void secondProcessExitsWithOne();
  void screenshotOptions();
  void titlesAndDisabledTextAsConfigured();
};

void StartupTest::onlyLoadSettingsAboutAndExitAtStart() {
  UiFixture f;
  MainWindow& w = f.open();
  QCOMPARE(w.windowTitle(), QStringLiteral("MXF Audio Velmora 1.0.0.0"));
  QCOMPARE(w.minimumSize(), QSize(1280, 631));

  const int enabled[] = {cmd::kLoadMxf, cmd::kExit, cmd::kSettings, cmd::kAbout};
  const int greyed[] = {cmd::kUnloadMxf, cmd::kAddWav,     cmd::kExportBwf, cmd::kRewrap,
                        cmd::kSelectAll, cmd::kAllTracksOnOff, cmd::kSelectedTracksOnOff,
                        cmd::kDelete,    cmd::kSwitchView, cmd::kAssign,    cmd::kOpenFolder,
                        cmd::kSetIn,     cmd::kSetOut,     cmd::kSortEnd,   32868, 32872, 32876};
  for (int id : enabled) QVERIFY2(f.commandEnabled(id), qPrintable(QString::number(id)));
  for (int id : greyed) QVERIFY2(!f.commandEnabled(id), qPrintable(QString::number(id)));
  QVERIFY(w.commands().contextAction(cmd::kLoadMxf)->isEnabled());
  QVERIFY(!w.commands().contextAction(cmd::kUnloadMxf)->isEnabled());

  QVERIFY(w.largeButton(ctl::kLoadButton)->isEnabled());
  for (int id : {ctl::kViewButton, ctl::kRewrapButton, ctl::kExportButton}) {
    QVERIFY(!w.largeButton(id)->isEnabled());
  }
  QVERIFY(!w.rangeBlock()->inButton()->isEnabled());
  QVERIFY(!w.rangeBlock()->outButton()->isEnabled());
  QVERIFY(!w.rangeBlock()->durBadge()->isEnabled());

  QCOMPARE(w.statusParts()->partText(0), QStringLiteral("パス情報はありません。"));
  QCOMPARE(w.statusParts()->partText(1), QStringLiteral("WAV/BWFファイル :  0個    0個を選択中"));
  QCOMPARE(w.statusParts()->partText(2), QString());

  InfoPanel* info = w.infoPanel();
  QCOMPARE(info->fileNameField()->text(), QStringLiteral("MXFファイルをウィンドウにドラッグ＆ドロップしてください"));
  QCOMPARE(info->fileNameField()->tooltipTitle(), QStringLiteral("ファイルクリエータ情報"));
  QCOMPARE(info->fileNameField()->tooltipText(), QStringLiteral("情報はありません。"));
  QCOMPARE(info->fileNameField()->tooltipMaxWidth(), 200);
  const char* expected[][2] = {{"rate", "Unknown"},   {"head", "--:--:--:--"}, {"tail", "--:--:--:--"},
                               {"dur", "--:--:--:--"}, {"format", "Unknown"},  {"tracks", "0"},
                               {"bits", "0bit"},      {"fsRate", "0kHz"},      {"codec", "Unknown"},
                               {"bitRate", "0.0Mbps"}, {"fps", "Unknown"},     {"size", "Unknown"}};
  for (const auto& e : expected) QCOMPARE(info->value(e[0]), QString::fromUtf8(e[1]));
  QCOMPARE(w.rangeBlock()->inDisplay()->text(), QStringLiteral("--:--:--:--"));
  QVERIFY(w.trackArea()->showsTitle());
  QVERIFY(w.rangeBlock()->inEdit()->isHidden());
}

void StartupTest::menusHoldTheCommandsInOrder() {
  UiFixture f;
  MainWindow& w = f.open();
  const QList<QAction*> menus = w.menuBar()->actions();
  QCOMPARE(menus.size(), 4);
  QCOMPARE(menus[0]->text(), QStringLiteral("ファイル(&F)"));
  QCOMPARE(menus[1]->text(), QStringLiteral("操作(&M)"));
  QCOMPARE(menus[2]->text(), QStringLiteral("設定(&P)"));
  QCOMPARE(menus[3]->text(), QStringLiteral("ヘルプ(&H)"));

  QStringList file;
  for (QAction* a : menus[0]->menu()->actions()) file << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
  QCOMPARE(file, (QStringList{"command32843", "command32856", "-", "command32800", "command32794", "-",
                              "command32793", "-", "command105"}));

  QAction* rewrap = w.commands().action(cmd::kRewrap);
  QCOMPARE(rewrap->text(), QStringLiteral("ラッピングを実行(&W)\t  Ctrl+R"));
  QCOMPARE(rewrap->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
  QCOMPARE(w.commands().action(cmd::kDelete)->shortcut(), QKeySequence(Qt::Key_Delete));
  QCOMPARE(w.commands().action(cmd::kSetIn)->shortcut(), QKeySequence(Qt::Key_I));
  QCOMPARE(w.commands().action(cmd::kAddWav)->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));

  QStringList context;
  for (QAction* a : w.commands().contextMenu()->actions()) context << (a->isSeparator() ? QStringLiteral("-") : a->text());
  QCOMPARE(context, (QStringList{"全て選択(&A)", "全トラックON/OFF(&A)", "選択されているトラックのON/OFF(&G)", "削除(&D)",
                                 "トラック / WAVファイルライブラリ表示切替(&T)", "-", "WAVファイルを追加(&J)",
                                 "トラックに割当てる(&D)", "-", "MXFファイルをロード(&M)", "MXFファイルをアンロード(U)"}));
  // The context menu's items carry no accelerators of their own.
  for (QAction* a : w.commands().contextMenu()->actions()) QVERIFY(a->shortcut().isEmpty());
}

void StartupTest::greyedAcceleratorsNeverRunFromAnyFocus() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  MainWindow& w = f.open();
  QApplication::setActiveWindow(&w);
  QVERIFY(QTest::qWaitForWindowActive(&w));

  // No file: Ctrl+R and Ctrl+L are greyed; neither may ask or open anything.
  w.largeButton(ctl::kLoadButton)->setFocus();
  QTest::keyClick(w.largeButton(ctl::kLoadButton), Qt::Key_R, Qt::ControlModifier);
  QTest::keyClick(w.largeButton(ctl::kLoadButton), Qt::Key_L, Qt::ControlModifier);
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  QVERIFY(f.shell.openedFolders.isEmpty());

  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);
  QVERIFY(!f.commandEnabled(cmd::kLoadMxf));
  f.messages.clear();
  const int opened = f.shell.openMxfCalls;
  // The analysis dialog has come and gone; the main window is active again.
  QApplication::setActiveWindow(&w);
  QVERIFY(QTest::qWaitForWindowActive(&w));

  // Loaded: Ctrl+O is greyed, so neither the open dialog nor the "already
  // loaded" message appears, whichever child has the focus.
  for (QWidget* target : {static_cast<QWidget*>(w.largeButton(ctl::kViewButton)), w.surface()}) {
    target->setFocus();
    QTest::keyClick(target, Qt::Key_O, Qt::ControlModifier);
  }
  QCOMPARE(f.shell.openMxfCalls, opened);
  QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.summary()));
  // Ctrl+R needs IN and OUT.
  QTest::keyClick(w.largeButton(ctl::kViewButton), Qt::Key_R, Qt::ControlModifier);
  QVERIFY(f.messages.shown.empty());

  // An enabled accelerator does run from a child: Ctrl+L opens the folder.
  QTest::keyClick(w.largeButton(ctl::kViewButton), Qt::Key_L, Qt::ControlModifier);
  QCOMPARE(f.shell.openedFolders, QStringList{QFileInfo(clip).absolutePath()});
}

void StartupTest::statusBarPartsFollowTheWidth() {
  PartStatusBar bar;
  QCOMPARE(bar.partEnd(0), 450);
  QCOMPARE(bar.partEnd(1), 620);
  QCOMPARE(bar.partEnd(2), 800);

  UiFixture f;
  MainWindow& w = f.open();
  w.resize(1400, 700);
  QCOMPARE(w.statusParts()->partEnd(0), 700);
  QCOMPARE(w.statusParts()->partEnd(1), 1050);
  QCOMPARE(w.statusParts()->partEnd(2), 1750);
  // The track area is what is left of the client area above the status bar
  // after the fixed 340 pixels.
  QCOMPARE(w.trackArea()->height(), w.surface()->height() - MainWindow::kFixedHeight);
}

void StartupTest::secondInstanceIsRefused() {
  QTemporaryDir dir;
  ScriptedMessageBoxes messages;
  {
    SingleInstance first(U16(dir.path()));
    QCOMPARE(CheckSingleInstance(first, messages), 0);
    QVERIFY(messages.shown.empty());

    SingleInstance second(U16(dir.path()));
    QCOMPARE(CheckSingleInstance(second, messages), 1);
    QCOMPARE(messages.shown.size(), size_t{1});
    QCOMPARE(messages.shown[0].text, QStringLiteral("MXF Audio Velmora はすでに起動しています。"));
    QCOMPARE(messages.shown[0].caption, QStringLiteral("MXF Audio Velmora"));
    QCOMPARE(messages.shown[0].icon, MsgIcon::None);
    QVERIFY(first.held());
  }
  // Once the first instance has gone, a new one may start.
  SingleInstance later(U16(dir.path()));
  QVERIFY(later.Acquire());
}

void StartupTest::secondProcessExitsWithOne() {
#ifdef Q_OS_WIN
  const QString program = QStringLiteral(VELMORA_BIN_DIR "/velmora.exe");
#else
  const QString program = QStringLiteral(VELMORA_BIN_DIR "/velmora");
#endif
  if (!QFileInfo::exists(program)) QSKIP("velmora is not built");
  QTemporaryDir runtime;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config")));
#ifndef Q_OS_WIN
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
#endif

  // The first instance: the child looks for the lock in its XDG_RUNTIME_DIR.
  SingleInstance running(U16(runtime.path()));
  QVERIFY(running.Acquire());

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(program, {QStringLiteral("--print-messages")});
  QVERIFY(second.waitForFinished(30000));
  QCOMPARE(second.exitStatus(), QProcess::NormalExit);
  QCOMPARE(second.exitCode(), 1);
  QVERIFY(QString::fromUtf8(second.readAllStandardError())
              .contains(QStringLiteral("[MXF Audio Velmora] MXF Audio Velmora はすでに起動しています。")));
}

void StartupTest::screenshotOptions() {
  STARTUP_OPTIONS o;
  QString error;
  QVERIFY(ParseStartupOptions({"--screenshot", "out.png", "clip.mxf", "a.wav", "--scale", "2"}, &o, &error));
  QVERIFY(o.screenshot);
  QCOMPARE(o.screenshotPath, QStringLiteral("out.png"));
  QCOMPARE(o.screenshotFile, QStringLiteral("clip.mxf"));
  QCOMPARE(o.screenshotExtra, QStringList{"a.wav"});
  QCOMPARE(o.scale, 2.0);
  QVERIFY(ParseStartupOptions({"--screenshot", "out.png", "clip.mxf", "poly.wav", "--view", "channels"}, &o, &error));
  QCOMPARE(o.view, QStringLiteral("channels"));

  STARTUP_OPTIONS bad;
  QVERIFY(!ParseStartupOptions({"--screenshot", "out.png", "--view", "menu"}, &bad, &error));
  QVERIFY(!ParseStartupOptions({"--screenshot"}, &bad, &error));
  QVERIFY(!ParseStartupOptions({"--scale", "0"}, &bad, &error));
  QVERIFY(!ParseStartupOptions({"--verbose"}, &bad, &error));
}

void StartupTest::titlesAndDisabledTextAsConfigured() {
  ConfigureApplication();
  // The window system shows a title followed by " — " and the display name
  // unless the title already ends with it: every title must come through
  // as the program set it, the message boxes' captions too.
  const QString display = QGuiApplication::applicationDisplayName();
  UiFixture f;
  MainWindow& w = f.open();
  QCOMPARE(w.windowTitle(), QStringLiteral("MXF Audio Velmora 1.0.0.0"));
  for (const QString& title : {w.windowTitle(), QStringLiteral("MXF Corvane"), QStringLiteral("タイムコード入力"),
                               QStringLiteral("設定"), QStringLiteral("トラックへのアサイン")}) {
    QVERIFY2(title.endsWith(display), qPrintable(title + QStringLiteral(" + ") + display));
  }
  // Disabled menu items: flat text in the dim colour, no etched shadow.
  QCOMPARE(QApplication::style()->styleHint(QStyle::SH_EtchDisabledText), 0);
  QCOMPARE(QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText), theme::kDim);
  QCOMPARE(QApplication::palette().color(QPalette::Disabled, QPalette::Text), theme::kDim);
}

VELMORA_UI_TEST_MAIN(StartupTest)
#include "startup_test.moc"
