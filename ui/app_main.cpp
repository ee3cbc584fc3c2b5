#include "ui/app_main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QLibraryInfo>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/console.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/user_store.h"
#include "resources/string_table.h"
#include "ui/about_dialog.h"
#include "ui/analysis_dialog.h"
#include "ui/command_ids.h"
#include "ui/export_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/track_area.h"
#include "rewrap/track_assign.h"
#include "ui/job_notifier.h"
#include "ui/library_view.h"
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
      if (i + 1 >= args.size() || (args[i + 1] != QLatin1String("tracks") && args[i + 1] != QLatin1String("library") &&
                                   args[i + 1] != QLatin1String("channels"))) {
        *error = QStringLiteral("--view needs tracks, library or channels");
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

// The track a demonstration gives a multichannel file's channels from (5).
constexpr int kDemoChannelTrack = 4;

WAV_LIBRARY_ENTRY* FirstMultichannel(AppState& s) {
  for (WAV_LIBRARY_ENTRY* e = s.libraryHead.next; e != nullptr; e = e->next) {
    if (e->format.channels >= 3) return e;
  }
  return nullptr;
}

// Assigns the library's files for a picture of the track panel: the first
// stereo file to tracks 1-2 (ON), the first mono file to track 3 (OFF),
// track 4 ON without a file (silence), and the channels of the first
// multichannel file to track 5 on, as many as fit (OFF).
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
  if (WAV_LIBRARY_ENTRY* poly = FirstMultichannel(s); poly != nullptr) {
    const int fit = ChannelsThatFit(s.mxf.audio, poly, kDemoChannelTrack);
    if (fit > 0) AssignChannels(s.plan, s.ctx.trackStereo, s.mxf.audio, poly, kDemoChannelTrack, 0, fit);
  }
  SetTrackSwitch(s.plan, s.ctx.trackStereo, 0, true);
  SetTrackSwitch(s.plan, s.ctx.trackStereo, 3, true);
  s.ctx.trackSelected[0] = 0;
  s.ctx.trackSelected[2] = 1;
  s.ctx.currentTrack = 2;
}


// The library's columns in full (the window widened as far as they need)
// and their loudness figures measured, for a picture of the library.
void ShowWholeLibrary(MainWindow& window) {
  LibraryView* list = window.libraryView();
  QCoreApplication::processEvents();
  const int hidden = list->horizontalScrollBar()->maximum();
  if (hidden > 0) window.resize(window.width() + hidden, window.height());
  const LibraryModel* model = list->libraryModel();
  const QString measuring = Q(LoadString(kStrLibraryMeasuring));
  QElapsedTimer clock;
  clock.start();
  for (bool waiting = true; waiting && clock.elapsed() < 20000;) {
    SettleBackgroundThreads(window);
    waiting = false;
    for (int row = 0; row < model->rowCount(); ++row) {
      waiting = waiting || model->cellText(row, LibraryModel::kLoudnessColumn) == measuring;
    }
  }
}

// The shell of a picture: a choice menu is drawn, not run, and nothing is chosen.
class MenuPictureShell : public QtShellServices {
 public:
  int ChooseItem(QWidget* owner, const QString& title, const QStringList& items) override {
    QMenu menu(owner);
    FillChoiceMenu(&menu, title, items);
    menu.resize(menu.sizeHint());
    picture = menu.grab();
    return -1;
  }
  QPixmap picture;
};

// The library with the first multichannel file's row current and its
// channel menu (for track 5) drawn below the row, where the pointer
// would open it. False when the library holds no such file.
bool DrawChannelMenu(MainWindow& window, MenuPictureShell& shell, QPixmap* image) {
  AppState& s = window.state();
  WAV_LIBRARY_ENTRY* poly = FirstMultichannel(s);
  const auto& rows = s.ctx.libraryView;
  const auto it = std::find(rows.begin(), rows.end(), poly);
  if (poly == nullptr || it == rows.end()) return false;
  const int row = static_cast<int>(it - rows.begin());
  std::vector<uint8_t> selected(rows.size(), 0);
  selected[static_cast<size_t>(row)] = 1;
  window.libraryView()->setRowStates(selected, row);
  s.ctx.currentListIndex = row;
  s.ctx.currentTrack = kDemoChannelTrack;
  SettleBackgroundThreads(window);
  *image = window.grab();
  window.RunCommand(cmd::kAssign);  // asks the shell for the channels
  if (shell.picture.isNull()) return false;
  LibraryView* list = window.libraryView();
  const QRect cell = list->visualRect(list->libraryModel()->index(row, 0));
  const QPoint at = list->viewport()->mapTo(&window, cell.bottomLeft() + QPoint(cell.width() / 2, 0));
  QPainter painter(image);
  painter.drawPixmap(at, shell.picture);
  return true;
}

}  // namespace

int RenderScreenshot(const QString& outPath, const QString& file, const QStringList& extra,
                     MessageBoxes& messages, const QString& view) {
  MenuPictureShell shell;
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
      if (library != (view != QLatin1String("tracks"))) window.RunCommand(cmd::kSwitchView);
      window.trackArea()->RedrawAll();
      if (view != QLatin1String("tracks")) ShowWholeLibrary(window);
    }
  }
  SettleBackgroundThreads(window);
  QPixmap image = window.grab();
  if (view == QLatin1String("channels") && !DrawChannelMenu(window, shell, &image)) {
    std::fprintf(stderr, "velmora: no multichannel file to show the channel menu of\n");
    return 1;
  }
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
    shown = std::make_unique<SettingsDialog>(IO_MAPPING, 4, LOG_ENCODING_LOCALE, 1, &window);
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
#ifndef _WIN32
  // Windows has no offscreen plugin with fonts: screenshots use the native one.
  if (options.screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
#endif
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
