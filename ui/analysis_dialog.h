// The analysis dialog: runs the analysis job of a newly opened MXF file on a
// worker thread, shows the running step, the frames left and a progress bar
// during the verification, lets the user cancel the verification, and turns
// the job's outcome into APP_CONTEXT::analysisOk (offering the timecode
// error log when the verification found errors).
#pragma once

#include <functional>

#include "engine/job_runner.h"
#include "ui/job_dialog.h"

class QLabel;
class QProgressBar;
class QPushButton;
class MessageBoxes;
class ShellServices;
struct LTC_ERROR_ENTRY;

struct ANALYSIS_DIALOG_DEPS {
  APP_CONTEXT* ctx = nullptr;
  const JOB_ENGINES* engines = nullptr;
  MessageBoxes* messages = nullptr;
  ShellServices* shell = nullptr;
  LTC_ERROR_ENTRY* errorHead = nullptr;             // head node of the timecode error list
  std::function<void(const QString&)> setStatus;    // status bar part 0
  QWidget* centreOn = nullptr;                      // the main window's client area
};

class AnalysisDialog : public JobDialog {
  Q_OBJECT
 public:
  AnalysisDialog(const ANALYSIS_DIALOG_DEPS& deps, QWidget* parent);
  ~AnalysisDialog() override;

  // Starts the job, runs the dialog modally until the job's outcome has
  // been handled, and waits for the worker to end.
  void Run();

  // Controls, for tests: 1032 file name, 1033 frame counter, 1004 progress,
  // 1031 step text, 1 the button.
  QLabel* fileNameLabel() const { return fileName_; }
  QLabel* frameCounterLabel() const { return frames_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* stepLabel() const { return step_; }
  QPushButton* button() const { return button_; }

  // The step text for a step code; empty for an unknown code.
  static QString StepText(int stepCode);

 private:
  void Place();
  void Tick() override;
  void OnButton();
  void OnJobMessage(const JobMessage& message) override;
  void OnDone();
  void OnFailed(const JobMessage& message);
  void WriteErrorLog();
  // Closes the dialog with the analysis' verdict.
  void Finish();

  ANALYSIS_DIALOG_DEPS deps_;
  QLabel* fileName_ = nullptr;
  QLabel* frames_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* step_ = nullptr;
  QPushButton* button_ = nullptr;
  bool verifying_ = false;
  bool cancelling_ = false;
  bool ended_ = false;
  double divisor_ = 0;
};
