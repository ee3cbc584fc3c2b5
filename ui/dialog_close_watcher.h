// Watches for the dialogs and message boxes of one window (its own and
// those its dialogs open) closing. Window managers do not always hand the
// activation back to the owner when a dialog closes, and the keyboard
// commands reach only the active window, so the owner takes it back itself.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

class DialogCloseWatcher : public QObject {
 public:
  // onClosed runs from the owner's event loop after a dialog owned by
  // `owner` has been hidden and no other modal dialog is left open; while
  // one is, that dialog is activated instead.
  DialogCloseWatcher(QWidget* owner, std::function<void()> onClosed);
  ~DialogCloseWatcher() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OwnedByOwner(const QWidget* window) const;

  QWidget* owner_;
  std::function<void()> onClosed_;
};
