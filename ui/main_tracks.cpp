// The main window's track panel input: switch clicks, row selection with
// Shift and Ctrl, the wheel and the Up/Down keys.
#include <QKeyEvent>

#include "rewrap/track_assign.h"
#include "ui/main_window.h"
#include "ui/track_area.h"

void MainWindow::OnSwitchClicked(int slot) {
  if (state_->ctx.viewMode != VIEW_TRACKS) return;
  ToggleTrackSwitch(state_->plan, state_->ctx.trackStereo, slot);
  tracks_->update();
}

void MainWindow::OnRowClicked(int slot, Qt::KeyboardModifiers modifiers) {
  APP_CONTEXT& ctx = state_->ctx;
  const int tracks = ctx.audioTrackCount;
  if (ctx.viewMode != VIEW_TRACKS || slot < 0 || slot >= tracks) return;
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  if (shift && !ctrl) {
    const int from = std::min(slot, ctx.currentTrack);
    const int to = std::max(slot, ctx.currentTrack);
    for (int s = from; s <= to; ++s) ctx.trackSelected[s] = 1;
    ctx.currentTrack = slot;
  } else if (ctrl && !shift) {
    if (slot != ctx.currentTrack) ctx.trackSelected[slot] = ctx.trackSelected[slot] ? 0 : 1;
  } else {
    for (uint8_t& selected : ctx.trackSelected) selected = 0;
    ctx.trackSelected[slot] = 1;
    ctx.currentTrack = slot;
  }
  FocusMain();
  // A partly visible row that is clicked comes fully into view.
  if (slot < ctx.firstVisibleTrack) ctx.firstVisibleTrack = slot;
  if (slot >= ctx.firstVisibleTrack + tracks_->wholeRows()) ctx.firstVisibleTrack = slot - tracks_->wholeRows() + 1;
  UpdateScrollArrows();
  tracks_->update();
}

void MainWindow::ScrollTracks(int rows) {
  APP_CONTEXT& ctx = state_->ctx;
  const int last = std::max(0, int{ctx.audioTrackCount} - tracks_->wholeRows());
  ctx.firstVisibleTrack = std::clamp(ctx.firstVisibleTrack + rows, 0, last);
  UpdateScrollArrows();
  tracks_->update();
}

void MainWindow::MoveCurrentTrack(int step) {
  APP_CONTEXT& ctx = state_->ctx;
  const int tracks = ctx.audioTrackCount;
  if (ctx.viewMode != VIEW_TRACKS || tracks <= 0) return;
  // A view scrolled away from the current track comes back first.
  RefreshTracks();
  const int next = ctx.currentTrack + step;
  if (next < 0 || next >= tracks) return;
  for (uint8_t& selected : ctx.trackSelected) selected = 0;
  ctx.currentTrack = next;
  ctx.trackSelected[next] = 1;
  RefreshTracks();
}

bool MainWindow::SurfaceKey(QKeyEvent* event) {
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) return false;
  if (event->key() == Qt::Key_Up) {
    MoveCurrentTrack(-1);
    return true;
  }
  if (event->key() == Qt::Key_Down) {
    MoveCurrentTrack(1);
    return true;
  }
  return false;
}
