// The wrap and export progress dialog: runs one rewrap (jobMode 0) or one
// export (jobMode 1) on a worker thread, shows the range, the timecode
// reached and a percentage bar polled every 200 ms, lets the user cancel,
// shows the outcome and, after a rewrap, offers the detail log.
#pragma once

#include <functional>

#include "engine/job_runner.h"
#include "ui/job_dialog.h"

class QLabel;
class QProgressBar;
class QPushButton;
class MessageBoxes;
class ShellServices;

struct PROGRESS_DIALOG_DEPS {
  APP_CONTEXT* ctx = nullptr;
  const JOB_ENGINES* engines = nullptr;
  MessageBoxes* messages = nullptr;
  ShellServices* shell = nullptr;
  std::function<void(const QString&)> setStatus;  // status bar part 0
  QWidget* centreOn = nullptr;                    // the main window's client area
  // Runs once per timer tick after the display is updated (tests watch the
  // running job through it).
  std::function<void()> onTick;
};

class ProgressDialog : public JobDialog {
  Q_OBJECT
 public:
  ProgressDialog(const PROGRESS_DIALOG_DEPS& deps, QWidget* parent);
  ~ProgressDialog() override;

  // Starts the job of ctx->jobMode, runs the dialog modally until the
  // outcome (and any log) has been handled, and waits for the worker.
  // Returns true when the job succeeded.
  bool Run();

  // Controls: 1009 file name, 1005 IN, 1006 OUT, 1007 reached, 1004 bar,
  // 1017 state text, 2 the button.
  QLabel* fileNameLabel() const { return fileName_; }
  QLabel* inLabel() const { return in_; }
  QLabel* outLabel() const { return out_; }
  QLabel* reachedLabel() const { return reached_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* stateLabel() const { return state_; }
  QPushButton* button() const { return button_; }

  static constexpr int kTickMs = 200;

 private:
  void Place();
  void Tick() override;
  // The state text and status bar of a job phase (JOB_PHASE_CHECK, _WRITE).
  void ShowPhase(uint32_t phase);
  void OnCancel();
  void OnJobMessage(const JobMessage& message) override;
  void WriteLog();
  const uint32_t* RangeIn() const;
  const uint32_t* RangeOut() const;

  PROGRESS_DIALOG_DEPS deps_;
  QLabel* fileName_ = nullptr;
  QLabel* in_ = nullptr;
  QLabel* out_ = nullptr;
  QLabel* reached_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* state_ = nullptr;
  QPushButton* button_ = nullptr;
  bool ended_ = false;
  bool cancelling_ = false;
  bool writeComplete_ = false;  // the job succeeded: the final display is the write's
  uint32_t shownPhase_ = 0;
  bool succeeded_ = false;
};
