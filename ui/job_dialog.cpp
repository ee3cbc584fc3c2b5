#include "ui/job_dialog.h"

#include <QCloseEvent>
#include <QTimer>

#include "ui/job_notifier.h"

JobDialog::JobDialog(APP_CONTEXT* ctx, const JOB_ENGINES* engines, std::function<void(const QString&)> setStatus,
                     int tickMs, QWidget* parent)
    : QDialog(parent), ctx_(ctx), engines_(engines), setStatus_(std::move(setStatus)) {
  timer_ = new QTimer(this);
  timer_->setInterval(tickMs);
  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
  notifier_ = std::make_unique<GuiJobNotifier>(this, [this](const JobMessage& m) { OnJobMessage(m); });
}

JobDialog::~JobDialog() {
  worker_.Join();
  if (ctx_ != nullptr && ctx_->windows == notifier_.get()) ctx_->windows = nullptr;
}

void JobDialog::RunJob() {
  APP_CONTEXT* ctx = ctx_;
  const JOB_ENGINES* engines = engines_;
  ctx->windows = notifier_.get();
  worker_ = plat::Thread([ctx, engines] { JobWorker(ctx, *engines); });
  Tick();
  timer_->start();
  exec();
  timer_->stop();
  worker_.Join();
  ctx->windows = nullptr;
}

void JobDialog::StopTicks() { timer_->stop(); }

void JobDialog::SetStatus(const QString& text) {
  if (setStatus_) setStatus_(text);
}

void JobDialog::Finish(int result) {
  closing_ = true;
  done(result);
}

void JobDialog::reject() {
  if (closing_) QDialog::reject();
}

void JobDialog::closeEvent(QCloseEvent* event) {
  if (closing_) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}
