#include "ui/dialog_close_watcher.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

DialogCloseWatcher::DialogCloseWatcher(QWidget* owner, std::function<void()> onClosed)
    : QObject(owner), owner_(owner), onClosed_(std::move(onClosed)) {
  qApp->installEventFilter(this);
}

DialogCloseWatcher::~DialogCloseWatcher() { qApp->removeEventFilter(this); }

bool DialogCloseWatcher::OwnedByOwner(const QWidget* window) const {
  for (const QWidget* w = window->parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (w == owner_) return true;
  }
  return false;
}

bool DialogCloseWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Hide || !watched->isWidgetType()) return false;
  auto* dialog = qobject_cast<QDialog*>(watched);
  if (dialog == nullptr || !dialog->isWindow() || !OwnedByOwner(dialog)) return false;
  // After the dialog's own closing work. A dialog still open underneath (the
  // analysis dialog after its cancel question) or opened next (the log
  // question after the outcome) takes the activation instead.
  QTimer::singleShot(0, owner_, [this] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->activateWindow();
      return;
    }
    onClosed_();
  });
  return false;
}
