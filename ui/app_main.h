// Start-up of the desktop application: options, translations, the single
// instance check, the main window; and the screenshot mode that renders the
// main window offscreen into a PNG file.
#pragma once

#include <QString>
#include <QStringList>

class MessageBoxes;
class MainWindow;
class SingleInstance;

struct STARTUP_OPTIONS {
  bool screenshot = false;
  QString screenshotPath;   // --screenshot OUT.png [FILE]
  QString screenshotFile;   // the MXF file shown loaded, if any
  QStringList screenshotExtra;  // further files dropped after the MXF file (WAV/BWF)
  QString dialog;           // --dialog NAME: render a dialog instead (analysis, settings, about)
  double scale = 0;         // --scale F: device pixel ratio of the rendering
  bool printMessages = false;  // --print-messages: message boxes go to stderr
  // --view tracks|library|channels: with WAV files after the MXF file, the
  // files are assigned as a demonstration (a stereo pair ON, a mono file
  // OFF, a track ON without a file, a multichannel file's channels from
  // track 5 on) and this view is shown; channels: the library with the
  // multichannel file's channel menu drawn over it.
  QString view;
};

// Parses the arguments after the program name. False with *error set for
// an unknown option or a missing value.
bool ParseStartupOptions(const QStringList& args, STARTUP_OPTIONS* options, QString* error);

// Qt's own Japanese texts (file dialogs, standard buttons), when installed.
void InstallJapaneseTranslations();

// The application's names, translations, font and look; once, after the
// QApplication exists.
void ConfigureApplication();

// The single-instance check: 0 when this process may run, else shows the
// "already running" message and returns the exit code 1.
int CheckSingleInstance(SingleInstance& instance, MessageBoxes& messages);

// Lets the background threads finish a pass for the current state and
// applies their results. wakeList: the list thread makes a pass too (it
// rewrites the status bar's path and counts).
void SettleBackgroundThreads(MainWindow& window, bool wakeList = true);

// Renders the main window (with `file` loaded when given, and `extra`
// files dropped afterwards) into a PNG. Returns 0, or 1 when the image
// cannot be written.
int RenderScreenshot(const QString& outPath, const QString& file, const QStringList& extra,
                     MessageBoxes& messages,
                     const QString& view = QString());
// Renders one of the dialogs ("analysis" as during a verification,
// "settings", "about") into a PNG.
int RenderDialogScreenshot(const QString& outPath, const QString& dialog, MessageBoxes& messages);

// The whole program.
int RunVelmora(int argc, char** argv);
