// A main window with scripted message boxes and dialogs, a placement folder
// of its own, and generated MXF and WAV files in a temporary folder.
#pragma once

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "engine/job_runner.h"
#include "tests/ui/support/fakes.h"
#include "tools/mxfgen/mxfgen.h"
#include "ui/main_window.h"

// 25 fps, 10:00:00:00 to 10:00:01:24 (50 frames), 24-bit tracks.
inline mxfgen::Options ShortClip25(int tracks) {
  mxfgen::Options o;
  o.frameRateClass = 1;
  o.startTimecode = "10:00:00:00";
  o.frames = 50;
  o.tracks = tracks;
  o.bits = 24;
  return o;
}

class UiFixture {
 public:
  UiFixture();
  ~UiFixture();

  // A new main window (the previous one, if any, is closed first).
  MainWindow& open(const JOB_ENGINES* engines = nullptr);
  void close();
  MainWindow& window() { return *window_; }
  AppState& state() { return window_->state(); }

  // Writes an MXF file; returns its path ("" with a test failure when
  // mxfgen refuses the options). layout: where mxfgen put every element.
  QString writeMxf(const QString& name, const mxfgen::Options& options = mxfgen::Options(),
                   mxfgen::Layout* layout = nullptr);
  // Writes a plain PCM WAV file (48 kHz unless told otherwise): silence, or
  // with toneHz a sine of that frequency at -20 dBFS in every channel.
  QString writeWav(const QString& name, int channels = 1, int bits = 16, int sampleRate = 48000,
                   int frames = 4800, int toneHz = 0);
  QString path(const QString& name) const { return dir_.filePath(name); }
  // The whole file (empty when it cannot be read).
  static QByteArray readFile(const QString& path);
  // A text log written in the default encoding, the system's own (the ANSI
  // code page on Windows, UTF-8 here).
  static QString readLog(const QString& path);
  std::u16string placementRoot() const;

  // Loads through the load command with the open dialog answering `path`.
  void loadByCommand(const QString& path);
  // Drops the files on the window as a desktop drop does and waits until the
  // drop has been handled.
  bool drop(const QStringList& paths);
  // Waits until the background threads have applied the current state
  // (wakeList: the list thread rewrites the status bar too).
  void settle(bool wakeList = true);

  bool commandEnabled(int id);
  // Types IN and OUT (digits, as keyed) into the range entry, which opens
  // OUT after IN.
  void enterRange(const QString& inDigits, const QString& outDigits);
  // Opens the 操作 menu as a click does (its undo item is read then) and
  // returns the undo item.
  QAction* openUndoMenu();

  ScriptedMessageBoxes messages;
  FakeShell shell;

 private:
  QTemporaryDir dir_;
  std::unique_ptr<MainWindow> window_;
};
