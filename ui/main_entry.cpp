// The main window's IN/OUT entry: the two edits that open over the IN and
// OUT displays, Enter, Escape and focus loss, and the keys the edits hand
// on to the window's commands.
#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "engine/track_plan.h"
#include "rewrap/range_entry.h"
#include "timecode/timecode.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"

namespace {

QLineEdit* EditOf(RangeBlock* block, int which) { return which == 0 ? block->inEdit() : block->outEdit(); }
QLabel* DisplayOf(RangeBlock* block, int which) { return which == 0 ? block->inDisplay() : block->outDisplay(); }

// The point as eight digits HHMMSSFF.
QString EightDigits(const MXF_TIMECODE_INFO& tc, uint32_t frames) {
  TIMECODE_HMSF t;
  if (!FramesToTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(frames), t)) t = TIMECODE_HMSF{};
  return QString::asprintf("%02d%02d%02d%02d", t.hours, t.minutes, t.seconds, t.frames);
}

void FocusWithTextSelected(QLineEdit* edit) {
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
}

}  // namespace

void MainWindow::OpenRangeEdit(int which) {
  APP_CONTEXT& ctx = state_->ctx;
  if (!ctx.fileLoaded) return;
  if (openEdit_ >= 0 && openEdit_ != which) CloseRangeEdit(openEdit_);
  const uint32_t* point = which == 0 ? state_->plan.wrapIn : state_->plan.wrapOut;
  QLineEdit* edit = EditOf(range_, which);
  edit->setText(EightDigits(state_->timecode(), point[0]));
  edit->setGeometry(DisplayOf(range_, which)->geometry());
  edit->setEnabled(true);
  edit->show();
  edit->raise();
  DisplayOf(range_, which)->hide();
  openEdit_ = which;
  FocusWithTextSelected(edit);
}

void MainWindow::CloseRangeEdit(int which) {
  QLineEdit* edit = EditOf(range_, which);
  if (openEdit_ == which) openEdit_ = -1;
  edit->setEnabled(false);
  edit->hide();
  DisplayOf(range_, which)->show();
}

void MainWindow::RefuseRangePoint(int which, const std::u16string& message) {
  APP_CONTEXT& ctx = state_->ctx;
  (which == 0 ? ctx.inSet : ctx.outSet) = 0;
  SignalMenu();
  RefreshRange();
  ShowMessage(*services_.messages, this, message, kRangeEntryCaption, MsgIcon::Warning);
  FocusWithTextSelected(EditOf(range_, which));
}

void MainWindow::OnRangeEnter(int which) {
  APP_CONTEXT& ctx = state_->ctx;
  AUDIOTRACK_IO_INFO& plan = state_->plan;
  const MXF_TIMECODE_INFO& tc = state_->timecode();
  const uint32_t sel = RangeSelector(tc);
  const std::u16string typed = U16(EditOf(range_, which)->text().left(9));
  const RangePointResult r = EnterRangePoint(tc, typed, RangeEntryKind::Rewrap, which == 0 ? nullptr : plan.wrapIn);
  if (r.error != RangeEntryError::None) {
    RefuseRangePoint(which, r.message);
    return;
  }
  if (which == 0) {
    plan.wrapIn[0] = r.point[0];
    plan.wrapIn[1] = r.point[1];
    ctx.inSet = 1;
    if (ctx.outSet && plan.wrapOut[sel] < r.point[sel]) {
      ctx.outSet = 0;
      plan.wrapOut[0] = plan.wrapOut[1] = 0;
    }
    SignalMenu();
    CloseRangeEdit(0);
    RefreshRange();
    // The OUT edit opens with its text as it was.
    QLineEdit* out = EditOf(range_, 1);
    out->setGeometry(DisplayOf(range_, 1)->geometry());
    out->setEnabled(true);
    out->show();
    out->raise();
    DisplayOf(range_, 1)->hide();
    openEdit_ = 1;
    FocusWithTextSelected(out);
    return;
  }
  plan.wrapOut[0] = r.point[0];
  plan.wrapOut[1] = r.point[1];
  ctx.outSet = 1;
  SignalMenu();
  FocusMain();
  CloseRangeEdit(1);
  RefreshRange();
}

bool MainWindow::RangeEditKey(int which, QKeyEvent* event) {
  QLineEdit* edit = EditOf(range_, which);
  const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    OnRangeEnter(which);
    return true;
  }
  if (key == Qt::Key_Escape) {
    CloseRangeEdit(which);
    FocusMain();
    return true;
  }
  // Keys the edit would keep for itself run the window's command when that
  // command is enabled, as from anywhere else in the window.
  auto forward = [this](int id) {
    QAction* a = commands_->action(id);
    if (a != nullptr && a->isEnabled()) RunCommand(id);
  };
  if (key == Qt::Key_Delete && mods == Qt::NoModifier) {
    QAction* a = commands_->action(cmd::kDelete);
    if (a != nullptr && a->isEnabled()) edit->clear();
    return true;
  }
  if (key == Qt::Key_C && mods == Qt::ControlModifier) {
    forward(cmd::kAssign);
    return true;
  }
  if (mods == Qt::NoModifier && (key == Qt::Key_I || key == Qt::Key_O)) {
    forward(key == Qt::Key_I ? cmd::kSetIn : cmd::kSetOut);
    return true;
  }
  return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == surface_ && event->type() == QEvent::KeyPress && !shutDown_) {
    if (SurfaceKey(static_cast<QKeyEvent*>(event))) return true;
  }
  if (range_ != nullptr && !shutDown_) {
    for (int which = 0; which < 2; ++which) {
      if (watched == EditOf(range_, which)) {
        if (event->type() == QEvent::ShortcutOverride) {
          auto* key = static_cast<QKeyEvent*>(event);
          // Claim the keys handled above so that no window shortcut takes them.
          if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
              key->key() == Qt::Key_Escape) {
            event->accept();
            return true;
          }
        } else if (event->type() == QEvent::KeyPress) {
          if (RangeEditKey(which, static_cast<QKeyEvent*>(event))) return true;
        } else if (event->type() == QEvent::FocusOut) {
          const bool set = which == 0 ? state_->ctx.inSet != 0 : state_->ctx.outSet != 0;
          if (set && openEdit_ == which && EditOf(range_, which)->isVisible()) {
            CloseRangeEdit(which);
          }
        }
      }
      if (watched == DisplayOf(range_, which) && event->type() == QEvent::MouseButtonDblClick) {
        const APP_CONTEXT& ctx = state_->ctx;
        const bool usable = ctx.fileLoaded && ctx.audioTrackCount > 0 && (which == 0 || ctx.inSet);
        if (usable) OpenRangeEdit(which);
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
