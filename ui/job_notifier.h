// The job runner's notifications carried into the GUI thread: Notify posts
// the message to the receiving dialog and waits until the dialog has handled
// it, as a synchronous window message would make the worker wait.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "engine/job_runner.h"

class GuiJobNotifier : public JobNotifier {
 public:
  using Handler = std::function<void(const JobMessage&)>;
  GuiJobNotifier(QObject* receiver, Handler handler);
  // Called on the worker thread; returns once the handler has run on the
  // receiver's thread (or at once when the receiver is gone).
  void Notify(const JobMessage& message) override;

 private:
  QPointer<QObject> receiver_;
  Handler handler_;
};

// The engines the desktop application runs.
const JOB_ENGINES& ApplicationJobEngines();
