// The main window's library commands: adding files by command, assigning
// the focused file to the current track, deleting (library files or track
// assignments, by focus), sorting, and the list's rows after each change.
#include <QApplication>
#include <QLineEdit>
#include <QStackedWidget>

#include "bwf/wav_library.h"
#include "engine/text_format.h"
#include "resources/string_table.h"
#include "rewrap/track_assign.h"
#include "ui/command_ids.h"
#include "ui/library_view.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"
#include "ui/shell_services.h"
#include "ui/track_area.h"
#include "ui/ui_texts.h"

namespace {

// The direction of the next sort, for the whole run: the first sort is
// ascending, and every sort inverts it whatever key it used.
bool gSortAscending = true;

// The sort command of a column header; 0 for the end column, which does not
// sort.
int SortCommandOfColumn(int column) {
  static const int kCommands[LibraryModel::kColumns] = {32868, 32869, 32870, 32871, 32872,
                                                         0,     32873, 32874, 32875, 32876};
  return column >= 0 && column < LibraryModel::kColumns ? kCommands[column] : 0;
}

}  // namespace

void MainWindow::ResetSortDirection() { gSortAscending = true; }

void MainWindow::RebuildLibraryView(bool selectFirst) {
  AppState& s = *state_;
  if (!WavLibraryIndex(&s.libraryHead, s.ctx.libraryView) && s.libraryHead.count > 0) {
    ShowMessage(*services_.messages, this, txt::kViewRebuildFailed, txt::kCaptionMemory, MsgIcon::Error);
  }
  library_->reload();
  if (selectFirst && !s.ctx.libraryView.empty()) {
    std::vector<uint8_t> rows(s.ctx.libraryView.size(), 0);
    rows[0] = 1;
    library_->setRowStates(rows, 0);
  }
}

void MainWindow::CmdAddWav() {
  AppState& s = *state_;
  if (!s.ctx.fileLoaded) return;
  const QStringList chosen = services_.shell->OpenWavFiles(this);
  if (chosen.isEmpty()) return;
  for (const QString& file : chosen) {
    const std::u16string path = U16(file);
    const int result = WavLibraryAdd(path, &s.libraryHead, &s.mxf.timecode);
    if (result != WAV_ADD_OK) {
      ShowMessage(*services_.messages, this, WavAddFailureMessage(result, path, false), kWavAddCaption,
                  MsgIcon::Warning);
    }
  }
  if (!WavLibraryIndex(&s.libraryHead, s.ctx.libraryView) && s.libraryHead.count > 0) {
    ShowMessage(*services_.messages, this, kWavIndexNoMemoryText, kMemoryCaption, MsgIcon::Warning);
  }
  // The rows come back in library order with nothing selected.
  library_->reload();
  SignalList();
  if (s.ctx.viewMode == VIEW_TRACKS) ShowLibrary();
  SignalMenu();
  library_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::CmdAssign() {
  AppState& s = *state_;
  APP_CONTEXT& ctx = s.ctx;
  const int row = ctx.currentListIndex.load();
  if (!ctx.fileLoaded || row < 0 || static_cast<size_t>(row) >= ctx.libraryView.size()) return;
  WAV_LIBRARY_ENTRY* entry = ctx.libraryView[static_cast<size_t>(row)];
  TRACK_ASSIGN_RESULT r;
  if (entry->format.channels >= 3) {
    // A multichannel file: its channels from the current track on, or one of them.
    const int slot = ctx.currentTrack;
    const int fit = ChannelsThatFit(s.mxf.audio, entry, slot);
    QStringList items;
    if (fit >= 2) {
      items << Q(FormatText(LoadString(kStrPanelChannelsFrom),
                            {static_cast<int64_t>(fit), static_cast<int64_t>(slot + 1), static_cast<int64_t>(slot + fit)}));
    }
    for (int c = 0; c < entry->format.channels; ++c) {
      items << Q(FormatText(LoadString(kStrPanelOneChannel), {static_cast<int64_t>(c + 1), static_cast<int64_t>(slot + 1)}));
    }
    const QString title = Q(FormatText(LoadString(kStrPanelChannelsTitle),
                                       {std::u16string_view(entry->fileName), static_cast<int64_t>(entry->format.channels)}));
    // Refusals (no such track, 24 bits on 16) come before the choice.
    r = CheckChannelAssignment(s.mxf.audio, entry, slot, 0, 1);
    if (r.code == TRACK_ASSIGN_OK) {
      const int chosen = services_.shell->ChooseItem(this, title, items);
      if (chosen < 0) return;
      const bool range = fit >= 2 && chosen == 0;
      const int first = range ? 0 : chosen - (fit >= 2 ? 1 : 0);
      r = AssignChannels(s.plan, ctx.trackStereo, s.mxf.audio, entry, slot, first, range ? fit : 1);
    }
  } else {
    r = AssignTrack(s.plan, ctx.trackStereo, s.mxf.audio, entry, ctx.currentTrack);
  }
  if (r.code != TRACK_ASSIGN_OK) {
    ShowMessage(*services_.messages, this, r.message, r.caption, MsgIcon::Warning);
    return;
  }
  library_->viewport()->update();
  ShowTracks();
  RefreshTracks();
}

void MainWindow::CmdDelete() {
  QWidget* focus = focusWidget();
  for (int which = 0; which < 2; ++which) {
    QLineEdit* edit = which == 0 ? range_->inEdit() : range_->outEdit();
    if (focus == static_cast<QWidget*>(edit)) {
      edit->clear();
      return;
    }
  }
  AppState& s = *state_;
  APP_CONTEXT& ctx = s.ctx;
  if (ctx.viewMode == VIEW_LIBRARY && (focus == library_ || library_->isAncestorOf(focus))) {
    DeleteSelectedFiles();
    return;
  }
  if (ctx.viewMode == VIEW_TRACKS && focus == surface_) {
    uint32_t redraw = 0;
    for (int slot = 0; slot < ctx.audioTrackCount && slot < kTrackSlots; ++slot) {
      if (s.plan.wavEntry[slot] == nullptr || !ctx.trackSelected[slot]) continue;
      const uint32_t cleared = UnassignTrack(s.plan, ctx.trackStereo, s.mxf.audio, slot);
      for (int t = 0; t < kTrackSlots; ++t) {
        if (cleared & (1u << t)) ctx.trackSelected[t] = t == ctx.currentTrack ? 1 : 0;
      }
      redraw |= cleared;
    }
    tracks_->RedrawSlots(redraw);
  }
}

void MainWindow::DeleteSelectedFiles() {
  AppState& s = *state_;
  APP_CONTEXT& ctx = s.ctx;
  WAV_LIBRARY_ENTRY* entry = s.libraryHead.next;
  while (entry != nullptr) {
    WAV_LIBRARY_ENTRY* next = entry->next;
    if (entry->selected.load() == 1) {
      bool remove = true;
      if (entry->assigned.load() == 1) {
        remove = ShowMessage(*services_.messages, this, DeleteAssignedQuestion(*entry), txt::kAppCaption,
                             MsgIcon::Information, MsgButtons::YesNo) == MsgAnswer::Yes;
      }
      if (remove) {
        uint32_t cleared = 0;
        RemoveLibraryEntry(&s.libraryHead, s.plan, ctx.trackStereo, entry, &cleared);
        for (int t = 0; t < kTrackSlots; ++t) {
          if (cleared & (1u << t)) ctx.trackSelected[t] = t == ctx.currentTrack ? 1 : 0;
        }
      }
    }
    entry = next;
  }
  std::vector<WAV_LIBRARY_ENTRY*> rebuilt;
  const bool indexed = WavLibraryIndex(&s.libraryHead, rebuilt, 10);
  if (indexed || s.libraryHead.count == 0) {
    ctx.libraryView = std::move(rebuilt);
  } else {
    // The old array is kept; it may still point at freed entries, so only
    // the entries still in the library are shown.
    ShowMessage(*services_.messages, this, kWavIndexResizeFailedText, txt::kAppCaption, MsgIcon::Error);
  }
  library_->reload();
  SignalList();
  library_->setFocus(Qt::OtherFocusReason);
  ctx.firstVisibleTrack = 0;
  RefreshTracks();
}

void MainWindow::CmdSort(int id) {
  APP_CONTEXT& ctx = state_->ctx;
  const int key = WavSortKeyFromCommand(id);
  if (key < 0 || ctx.viewMode != VIEW_LIBRARY || ctx.libraryView.empty()) return;
  WavLibrarySort(ctx.libraryView, key, gSortAscending);
  // The files selected before the sort are selected again where they went.
  std::vector<uint8_t> rows(ctx.libraryView.size(), 0);
  int focused = -1;
  for (size_t i = 0; i < ctx.libraryView.size(); ++i) {
    if (ctx.libraryView[i]->selected.load() != 1) continue;
    rows[i] = 1;
    if (focused < 0) focused = static_cast<int>(i);
  }
  library_->reload();
  library_->setRowStates(rows, focused);
  library_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::OnHeaderClicked(int column) {
  const APP_CONTEXT& ctx = state_->ctx;
  if (ctx.viewMode != VIEW_LIBRARY || ctx.libraryView.empty()) return;
  const int command = SortCommandOfColumn(column);
  if (command != 0) CmdSort(command);
}
