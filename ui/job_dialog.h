// What the analysis dialog and the wrap/export progress dialog share: a
// modal dialog that runs one job of the job runner on a worker thread,
// polls the job's counters on a timer, hears the runner's messages on the
// GUI thread, and closes only once it has handled the job's outcome (never
// by Escape or the title bar while the job runs).
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "engine/job_runner.h"
#include "platform/thread.h"

class QTimer;
class GuiJobNotifier;

class JobDialog : public QDialog {
  Q_OBJECT
 protected:
  JobDialog(APP_CONTEXT* ctx, const JOB_ENGINES* engines, std::function<void(const QString&)> setStatus,
            int tickMs, QWidget* parent);
  ~JobDialog() override;

  // Runs ctx->jobMode's job: the worker, a first Tick(), the timer and the
  // modal loop; returns when the dialog has closed and the worker has ended.
  void RunJob();

  // The display from the job's counters (every tick, and when asked).
  virtual void Tick() = 0;
  // A runner message, on the GUI thread while the worker waits.
  virtual void OnJobMessage(const JobMessage& message) = 0;

  // Status bar part 0.
  void SetStatus(const QString& text);
  // Closes the dialog with `result` once the outcome is handled.
  void Finish(int result);

  // Ends the polling (the job has ended).
  void StopTicks();

  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QTimer* timer_ = nullptr;
  APP_CONTEXT* ctx_;
  const JOB_ENGINES* engines_;
  std::function<void(const QString&)> setStatus_;
  std::unique_ptr<GuiJobNotifier> notifier_;
  plat::Thread worker_;
  bool closing_ = false;
};
