#include "ui/job_notifier.h"

#include <QMetaObject>
#include <QThread>


GuiJobNotifier::GuiJobNotifier(QObject* receiver, Handler handler)
    : receiver_(receiver), handler_(std::move(handler)) {}

void GuiJobNotifier::Notify(const JobMessage& message) {
  QObject* receiver = receiver_.data();
  if (receiver == nullptr) return;
  if (QThread::currentThread() == receiver->thread()) {
    handler_(message);
    return;
  }
  QMetaObject::invokeMethod(
      receiver, [this, &message] { handler_(message); }, Qt::BlockingQueuedConnection);
}
