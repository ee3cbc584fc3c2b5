#include "ui/app_main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <memory>
#include <QLibraryInfo>
#include <QPixmap>
#include <QTranslator>
#include <cstdio>

#include "platform/console.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/user_store.h"
#include "ui/about_dialog.h"
#include "ui/analysis_dialog.h"
#include "ui/export_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/track_area.h"
#include "rewrap/track_assign.h"
#include "ui/job_notifier.h"
#include "ui/log_files.h"
#include "ui/settings_dialog.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/shell_services.h"
#include "ui/single_instance.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

bool ParseStartupOptions(const QStringList& args, STARTUP_OPTIONS* options, QString* error) {
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--screenshot")) {
      if (i + 1 >= args.size()) {
        *error = QStringLiteral("--screenshot needs an output file");
        return false;
      }
      options->screenshot = true;
      options->screenshotPath = args[++i];
      // Files that follow (not options) are shown loaded.
      while (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"))) {
        if (options->screenshotFile.isEmpty()) {
          options->screenshotFile = args[++i];
        } else {
          options->screenshotExtra << args[++i];
        }
      }
    } else if (a == QLatin1String("--scale")) {
      bool ok = false;
      options->scale = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
      if (!ok || options->scale <= 0) {
        *error = QStringLiteral("--scale needs a positive number");
        return false;
      }
      ++i;
    } else if (a == QLatin1String("--dialog")) {
      if (i + 1 >= args.size()) {
        *error = QStringLiteral("--dialog needs a name");
        return false;
      }
      options->dialog = args[++i];
    } else if (a == QLatin1String("--view")) {
      if (i + 1 >= args.size() || (args[i + 1] != QLatin1String("tracks") && args[i + 1] != QLatin1String("library"))) {
        *error = QStringLiteral("--view needs tracks or library");
        return false;
      }
      options->view = args[++i];
    } else if (a == QLatin1String("--print-messages")) {
      options->printMessages = true;
    } else {
      *error = QStringLiteral("unknown option: ") + a;
      return false;
    }
  }
  return true;
}

void InstallJapaneseTranslations() {
  auto* translator = new QTranslator(qApp);
  if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

void ConfigureApplication() {
  QApplication::setApplicationName(QStringLiteral("MXF_TOBRELL"));
  // Qt appends a display name to every window title that does not already
  // end with it; an empty one leaves the program's titles exactly as set.
  QApplication::setApplicationDisplayName(QStringLiteral(""));
  InstallJapaneseTranslations();
  QApplication::setFont(theme::UiFont(9));
  theme::ApplyApplicationLook();
}

int CheckSingleInstance(SingleInstance& instance, MessageBoxes& messages) {
  if (instance.Acquire()) return 0;
  ShowMessage(messages, nullptr, txt::kAlreadyRunning, txt::kAppCaption, MsgIcon::None);
  return 1;
}

void SettleBackgroundThreads(MainWindow& window, bool wakeList) {
  BackgroundThreads& threads = window.threads();
  const int menu = threads.menuPasses();
  // Without a wake-up the list thread need only have made its first pass.
  const int list = wakeList ? threads.listPasses() : 0;
  if (wakeList) window.SignalList();
  window.SignalMenu();
  QElapsedTimer clock;
  clock.start();
  while ((threads.menuPasses() <= menu || threads.listPasses() <= list) && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  // The list pass may have woken the menu thread once more.
  const int after = threads.menuPasses();
  window.SignalMenu();
  while (threads.menuPasses() <= after && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QCoreApplication::processEvents();
}

namespace {

// Assigns the library's files for a picture of the track panel: the first
// stereo file to tracks 1-2 (ON), the first mono file to track 3 (OFF), and
// track 4 ON without a file (silence).
void ArrangeDemoTracks(MainWindow& window) {
  AppState& s = window.state();
  WAV_LIBRARY_ENTRY* stereo = nullptr;
  WAV_LIBRARY_ENTRY* mono = nullptr;
  for (WAV_LIBRARY_ENTRY* e = s.libraryHead.next; e != nullptr; e = e->next) {
    if (e->format.channels == 2 && stereo == nullptr) stereo = e;
    if (e->format.channels == 1 && mono == nullptr) mono = e;
  }
  if (stereo != nullptr) AssignTrack(s.plan, s.ctx.trackStereo, s.mxf.audio, stereo, 0);
  if (mono != nullptr) AssignTrack(s.plan, s.ctx.trackStereo, s.mxf.audio, mono, 2);
  SetTrackSwitch(s.plan, s.ctx.trackStereo, 0, true);
  SetTrackSwitch(s.plan, s.ctx.trackStereo, 3, true);
  s.ctx.trackSelected[0] = 0;
  s.ctx.trackSelected[2] = 1;
  s.ctx.currentTrack = 2;
}

}  // namespace

int RenderScreenshot(const QString& outPath, const QString& file, const QStringList& extra,
                     MessageBoxes& messages, const QString& view) {
  QtShellServices shell;
  APP_SERVICES services;
  services.messages = &messages;
  services.shell = &shell;
  services.engines = &ApplicationJobEngines();
  services.desktopPath = plat::DesktopFolder();
  MainWindow window(services);
  window.resize(MainWindow::kMinimumWidth, 760);
  window.show();
  QCoreApplication::processEvents();
  if (!file.isEmpty()) {
    std::vector<std::u16string> names{U16(QFileInfo(file).absoluteFilePath())};
    window.HandleDroppedFiles(names);
    if (!extra.isEmpty()) {
      names.clear();
      for (const QString& f : extra) names.push_back(U16(QFileInfo(f).absoluteFilePath()));
      window.HandleDroppedFiles(names);
    }
    if (!view.isEmpty() && window.state().ctx.fileLoaded) {
      ArrangeDemoTracks(window);
      const bool library = window.state().ctx.viewMode == VIEW_LIBRARY;
      if (library != (view == QLatin1String("library"))) window.RunCommand(32832);
      window.trackArea()->RedrawAll();
    }
  }
  SettleBackgroundThreads(window);
  const QPixmap image = window.grab();
  if (!image.save(outPath, "PNG")) {
    std::fprintf(stderr, "velmora: cannot write %s\n", outPath.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}

int RenderDialogScreenshot(const QString& outPath, const QString& dialog, MessageBoxes& messages) {
  QtShellServices shell;
  APP_SERVICES services;
  services.messages = &messages;
  services.shell = &shell;
  services.engines = &ApplicationJobEngines();
  MainWindow window(services);
  window.show();
  std::unique_ptr<QDialog> shown;
  if (dialog == QLatin1String("analysis")) {
    // The dialog as it looks during a verification.
    ANALYSIS_DIALOG_DEPS deps;
    deps.ctx = &window.state().ctx;
    auto d = std::make_unique<AnalysisDialog>(deps, &window);
    d->fileNameLabel()->setText(QStringLiteral("CLIP0001.MXF"));
    d->frameCounterLabel()->setText(QStringLiteral("残り 1284フレーム(1800フレーム中)"));
    d->progressBar()->setRange(0, 100);
    d->progressBar()->setValue(28);
    d->stepLabel()->setText(AnalysisDialog::StepText(1000));
    d->button()->setText(QStringLiteral("スキップまたは中断する"));
    shown = std::move(d);
  } else if (dialog == QLatin1String("settings")) {
    shown = std::make_unique<SettingsDialog>(IO_MAPPING, 4, LOG_ENCODING_LOCALE, &window);
  } else if (dialog == QLatin1String("progress")) {
    // A rewrap part way through.
    PROGRESS_DIALOG_DEPS deps;
    deps.ctx = &window.state().ctx;
    auto d = std::make_unique<ProgressDialog>(deps, &window);
    d->fileNameLabel()->setText(QStringLiteral("CLIP0001.MXF"));
    d->inLabel()->setText(QStringLiteral("10:00:10,00"));
    d->outLabel()->setText(QStringLiteral("10:01:10,00"));
    d->reachedLabel()->setText(QStringLiteral("10:00:37,12まで完了"));
    d->progressBar()->setValue(46);
    d->stateLabel()->setText(QStringLiteral("ラッピング中..."));
    shown = std::move(d);
  } else if (dialog == QLatin1String("export")) {
    // Eight tracks, three of them chosen, a range set.
    AppState& s = window.state();
    SetTracksLoaded(s.plan, 8);
    for (int slot : {0, 1, 4}) s.plan.exportSwitch[slot] = TRACK_ON;
    s.mxf.timecode.tcBase = TC_BASE_30;
    s.mxf.timecode.dropFrame = 1;
    SetRangePoint(s.mxf.timecode, TIMECODE_HMSF{10, 0, 10, 0}, s.plan.exportIn);
    SetRangePoint(s.mxf.timecode, TIMECODE_HMSF{10, 1, 10, 0}, s.plan.exportOut);
    s.ctx.exportInSet = 1;
    s.ctx.exportOutSet = 1;
    s.ctx.fileLoaded = 1;
    s.ctx.desktopPath = plat::DesktopFolder();
    EXPORT_DIALOG_DEPS deps;
    deps.ctx = &s.ctx;
    deps.plan = &s.plan;
    deps.timecode = &s.mxf.timecode;
    deps.trackCount = 8;
    deps.messages = &messages;
    deps.shell = &shell;
    ExportDialog::ResetRunState();
    shown = std::make_unique<ExportDialog>(deps, &window);
  } else if (dialog == QLatin1String("about")) {
    shown = std::make_unique<AboutDialog>(&window);
  } else {
    std::fprintf(stderr, "velmora: unknown dialog %s\n", dialog.toLocal8Bit().constData());
    return 2;
  }
  shown->show();
  QCoreApplication::processEvents();
  if (!shown->grab().save(outPath, "PNG")) {
    std::fprintf(stderr, "velmora: cannot write %s\n", outPath.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}

int RunVelmora(int argc, char** argv) {
  plat::SetLocaleFromUser();
  QStringList args;
  // From the wide command line on Windows, where argv has lost what the
  // ANSI code page cannot hold.
  for (const std::string& a : plat::CommandLineArguments(argc, argv)) args << QString::fromStdString(a);
  STARTUP_OPTIONS options;
  QString error;
  if (!ParseStartupOptions(args, &options, &error)) {
    std::fprintf(stderr, "velmora: %s\nusage: velmora [--print-messages] [--scale F] [--screenshot OUT.png [FILE...] | --dialog NAME]\n",
                 error.toLocal8Bit().constData());
    return 2;
  }
  if (options.screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  if (options.scale > 0) qputenv("QT_SCALE_FACTOR", QByteArray::number(options.scale));

  QApplication app(argc, argv);
  ConfigureApplication();

  QtMessageBoxes shown;
  PrintedMessageBoxes printed;
  MessageBoxes& messages = options.printMessages || options.screenshot ? static_cast<MessageBoxes&>(printed)
                                                                       : static_cast<MessageBoxes&>(shown);
  if (options.screenshot && !options.dialog.isEmpty()) {
    return RenderDialogScreenshot(options.screenshotPath, options.dialog, messages);
  }
  if (options.screenshot) {
    return RenderScreenshot(options.screenshotPath, options.screenshotFile, options.screenshotExtra, messages,
                            options.view);
  }

  SingleInstance instance(SingleInstance::DefaultFolder());
  if (int code = CheckSingleInstance(instance, messages); code != 0) return code;

  QtShellServices shell;
  APP_SERVICES services;
  services.messages = &messages;
  services.shell = &shell;
  services.engines = &ApplicationJobEngines();
  services.placementRoot = plat::UserStore::DefaultRoot();
  services.desktopPath = plat::DesktopFolder();
  auto window = std::make_unique<MainWindow>(services);
  window->setAttribute(Qt::WA_DeleteOnClose, false);
  window->show();
  const int code = QApplication::exec();
  window.reset();
  return code;
}
