// The main window's track panel input: switch clicks, row selection with
// Shift and Ctrl, the wheel and the Up/Down keys. Each change redraws only
// the rows it affects unless the rows shown move.
#include <QKeyEvent>

#include "rewrap/track_assign.h"
#include "ui/main_window.h"
#include "ui/track_area.h"

namespace {

struct TRACK_SELECTION {
  uint8_t selected[kUiTrackSlots];
  int current;
};

TRACK_SELECTION SelectionOf(const APP_CONTEXT& ctx) {
  TRACK_SELECTION s;
  std::copy(std::begin(ctx.trackSelected), std::end(ctx.trackSelected), std::begin(s.selected));
  s.current = ctx.currentTrack;
  return s;
}

// The slots whose selection or focus differs from `before`.
uint32_t ChangedSlots(const TRACK_SELECTION& before, const APP_CONTEXT& ctx) {
  uint32_t changed = 0;
  for (int s = 0; s < kUiTrackSlots; ++s) {
    if (before.selected[s] != ctx.trackSelected[s]) changed |= 1u << s;
  }
  if (before.current != ctx.currentTrack) changed |= (1u << before.current) | (1u << ctx.currentTrack);
  return changed;
}

}  // namespace

void MainWindow::OnSwitchClicked(int slot) {
  APP_CONTEXT& ctx = state_->ctx;
  if (ctx.viewMode != VIEW_TRACKS) return;
  ToggleTrackSwitch(state_->plan, ctx.trackStereo, slot);
  tracks_->RedrawSlots(ctx.trackStereo[slot] ? 3u << (slot & ~1) : 1u << slot);
}

void MainWindow::OnRowClicked(int slot, Qt::KeyboardModifiers modifiers) {
  APP_CONTEXT& ctx = state_->ctx;
  const int tracks = ctx.audioTrackCount;
  if (ctx.viewMode != VIEW_TRACKS || slot < 0 || slot >= tracks) return;
  const TRACK_SELECTION before = SelectionOf(ctx);
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
  const int rows = tracks_->wholeRows();
  if (slot < ctx.firstVisibleTrack) {
    ctx.firstVisibleTrack = slot;
  } else if (slot >= ctx.firstVisibleTrack + rows) {
    ctx.firstVisibleTrack = slot - rows + 1;
  }
  tracks_->Relayout(false);
  tracks_->RedrawSlots(ChangedSlots(before, ctx));
}

void MainWindow::ScrollTracks(int rows) {
  APP_CONTEXT& ctx = state_->ctx;
  ctx.firstVisibleTrack += rows;
  tracks_->Relayout(false);
}

void MainWindow::MoveCurrentTrack(int step) {
  APP_CONTEXT& ctx = state_->ctx;
  const int tracks = ctx.audioTrackCount;
  if (ctx.viewMode != VIEW_TRACKS || tracks <= 0) return;
  const TRACK_SELECTION before = SelectionOf(ctx);
  // A view scrolled away from the current track comes back first.
  tracks_->Relayout(true);
  const int next = ctx.currentTrack + step;
  if (next < 0 || next >= tracks) return;
  for (uint8_t& selected : ctx.trackSelected) selected = 0;
  ctx.currentTrack = next;
  ctx.trackSelected[next] = 1;
  tracks_->Relayout(true);
  tracks_->RedrawSlots(ChangedSlots(before, ctx));
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
