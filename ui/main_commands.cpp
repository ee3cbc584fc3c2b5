// The main window's commands: loading and unloading the MXF file, the
// folder, About and settings, the job commands and the track switches.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QStackedWidget>

#include "engine/sound_write_tap.h"
#include "engine/text_format.h"
#if VELMORA_HAVE_LOUDNESS
#include "loudness/rewrap_levels.h"
#endif
#include "platform/path.h"
#include "rewrap/track_assign.h"
#include "rewrap/undo_settings.h"
#include "ui/about_dialog.h"
#include "ui/analysis_dialog.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/export_dialog.h"
#include "ui/info_panel.h"
#include "ui/library_view.h"
#if VELMORA_HAVE_LOUDNESS
#include "ui/loudness_command.h"
#endif
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/progress_dialog.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"
#include "ui/settings_dialog.h"
#include "ui/shell_services.h"
#include "ui/status_bar.h"
#include "ui/track_area.h"
#include "ui/ui_texts.h"
#include "ui/undo_ui.h"

void MainWindow::RunCommand(int id) {
  if (shutDown_) return;
  switch (id) {
    case cmd::kLoadMxf: CmdLoad(); break;
    case cmd::kUnloadMxf: CmdUnload(); break;
    case cmd::kExportBwf: CmdExport(); break;
    case cmd::kRewrap: CmdRewrap(); break;
#if VELMORA_HAVE_LOUDNESS
    case cmd::kLoudness:
      RunLoudnessCommand(this, *state_, *services_.messages);
      SignalMenu();
      break;
#endif
    case cmd::kExit: close(); break;
    case cmd::kSelectAll: CmdSelectAll(); break;
    case cmd::kAllTracksOnOff: CmdAllTracks(); break;
    case cmd::kSelectedTracksOnOff: CmdSelectedTracks(); break;
    case cmd::kSwitchView: CmdSwitchView(); break;
    case cmd::kOpenFolder: CmdOpenFolder(); break;
    case cmd::kSettings: CmdSettings(); break;
    case cmd::kAbout: CmdAbout(); break;
    case cmd::kAddWav: CmdAddWav(); break;
    case cmd::kAssign: CmdAssign(); break;
    case cmd::kDelete: CmdDelete(); break;
    case cmd::kSetIn: OpenRangeEdit(0); break;
    case cmd::kSetOut: OpenRangeEdit(1); break;
    case cmd::kUndoRewrap:
      if (state_->ctx.fileLoaded) undo_ui::RunUndo(this, *services_.messages, state_->ctx.mxfPath);
      RefreshUndoItem();
      break;
    case cmd::kUndoSettings: undo_ui::SettingsDialog::Edit(this, *services_.shell); break;
    case cmd::kUndoMenuShown: RefreshUndoItem(); break;
    default:
      if (id >= cmd::kSortFirst && id <= cmd::kSortLast) CmdSort(id);
      break;
  }
}

// The undo item names the newest rewrap of the loaded file; it is read again
// whenever that can have changed (load, unload, a job, an undo) so that
// Ctrl+Z works without the menu having been opened, and when the menu opens
// (another program may have changed the journals).
void MainWindow::RefreshUndoItem() {
  bool enabled = false;
  QAction* undo = commands_->action(cmd::kUndoRewrap);
  undo->setText(undo_ui::MenuText(state_->ctx.fileLoaded ? state_->ctx.mxfPath : std::u16string(), &enabled));
  undo->setEnabled(enabled);
}

// --- Loading ---------------------------------------------------------------

void MainWindow::CmdLoad() {
  APP_CONTEXT& ctx = state_->ctx;
  if (ctx.fileLoaded) {
    ShowMessage(*services_.messages, this, txt::kAlreadyLoaded, txt::kAppCaption, MsgIcon::Information);
    SignalMenu();
    return;
  }
  const QString chosen = services_.shell->OpenMxfFile(this);
  if (chosen.isEmpty()) return;
  OpenAndAnalyse(U16(chosen), LoadOrigin::Command);
}

bool MainWindow::OpenAndAnalyse(const std::u16string& path, LoadOrigin origin) {
  AppState& s = *state_;
  if (origin == LoadOrigin::Drop) {
    s.ctx.mxfPath = path;
    s.ctx.jobMode = JOB_ANALYSIS;
  }
  plat::SysError err = 0;
  if (!s.OpenMxf(path, &err)) {
    const std::u16string name = plat::FileNamePart(path);
    if (origin == LoadOrigin::Command) {
      ShowMessage(*services_.messages, this,
                  FormatText(txt::kOpenFailedCommand, {std::u16string_view(name), static_cast<int64_t>(err)}),
                  txt::kAppCaption, MsgIcon::Error);
    } else {
      s.ctx.mxfPath.clear();
      ShowMessage(*services_.messages, this,
                  FormatText(txt::kOpenFailedDrop, {std::u16string_view(name), static_cast<int64_t>(err)}),
                  txt::kCaptionMxfLoad, MsgIcon::Error);
    }
    return false;
  }
  s.PrepareAnalysis(path);
  RunAnalysisDialog();
  if (s.ctx.analysisOk) {
    FinishLoad();
  } else {
    UndoLoad();
  }
  return true;
}

void MainWindow::RunAnalysisDialog() {
  ANALYSIS_DIALOG_DEPS deps;
  deps.ctx = &state_->ctx;
  deps.engines = services_.engines;
  deps.messages = services_.messages;
  deps.shell = services_.shell;
  deps.errorHead = &state_->errorHead;
  deps.setStatus = [this](const QString& text) { SetStatusPath(text); };
  deps.centreOn = surface_;
  AnalysisDialog dialog(deps, this);
  dialog.Run();
}

void MainWindow::FinishLoad() {
  state_->AcceptLoadedFile();
  undo_ui::OfferRollBack(this, *services_.messages, state_->ctx.mxfPath);
  RefreshUndoItem();
  RefreshInfo();
  RefreshRange();
  RefreshTracks();
  SignalMenu();
}

void MainWindow::UndoLoad() {
  state_->CloseMxf();
  state_->ctx.mxfPath.clear();
  // The list thread is not woken: the status bar keeps the analysis's last
  // word on the file.
  UnloadAndRefresh(false);
}

// --- Unloading -------------------------------------------------------------

void MainWindow::CmdUnload() {
  if (state_->ctx.viewMode == VIEW_LIBRARY) ShowTracks();
  UnloadAndRefresh(true);
}

void MainWindow::UnloadAndRefresh(bool wakeList) {
  state_->UnloadReset();
  rowSelected_.clear();
  focusedRow_ = -1;
  range_->clearEdits();
  // The emptied list reports its rows first: that report drops a pending
  // menu signal, so the signals below must come after it.
  library_->reload();
  PublishListRows();
  RefreshInfo();
  RefreshRange();
  RefreshTracks();
  if (wakeList) SignalList();
  SignalMenu();
  RefreshUndoItem();
  range_->closeEdits();
  openEdit_ = -1;
  info_->update();
  FocusMain();
}

// --- Folder, About, settings -----------------------------------------------

void MainWindow::CmdOpenFolder() {
  if (!state_->ctx.fileLoaded) return;
  const std::u16string folder = plat::FolderPart(state_->ctx.mxfPath);
  if (!services_.shell->OpenFolder(Q(folder))) {
    ShowMessage(*services_.messages, this, FormatText(txt::kFolderOpenFailed, {std::u16string_view(folder)}),
                txt::kAppCaption, MsgIcon::Warning);
  }
}

void MainWindow::CmdAbout() {
  AboutDialog dialog(this);
  dialog.exec();
}

void MainWindow::CmdSettings() {
  SettingsDialog::Edit(this, &state_->ctx.ioMethod, &state_->plan.wavBufferIndex, &state_->ctx.logEncoding,
                       &state_->ctx.measureLoudness);
}

// --- Jobs ------------------------------------------------------------------

void MainWindow::CmdRewrap() {
  APP_CONTEXT& ctx = state_->ctx;
  ctx.jobMode = JOB_REWRAP;
  bool anyOn = false;
  for (int s = 0; s < ctx.audioTrackCount; ++s) anyOn = anyOn || state_->plan.trackSwitch[s] == TRACK_ON;
  if (!anyOn) {
    ShowMessage(*services_.messages, this, txt::kAllSwitchesOff, txt::kAppCaption, MsgIcon::Information);
    return;
  }
  bool withoutJournal = false;
  if (!undo_ui::ConfirmBeforeRewrap(this, *services_.messages, *services_.shell, ctx.mxfPath, state_->plan,
                                    state_->mxf.base, &withoutJournal)) {
    return;
  }
  if (ShowMessage(*services_.messages, this, txt::kBackupQuestion, txt::kAppCaption, MsgIcon::Information,
                  MsgButtons::YesNo) != MsgAnswer::Yes) {
    return;
  }
  const bool journal = UndoSettings().journal;
  if (withoutJournal) UndoSettings().journal = false;  // this job only
  LastSoundLevels() = SOUND_LEVELS{};  // no figures of an earlier job
#if VELMORA_HAVE_LOUDNESS
  // The samples pass through memory as they are written: measured there,
  // for the detail log and the outcome message.
  RewrapLevelsTap levels;
  if (ctx.measureLoudness != 0) InstalledSoundTap() = &levels;
#endif
  RunProgressDialog();
  InstalledSoundTap() = nullptr;
  UndoSettings().journal = journal;
  RefreshUndoItem();
}

bool MainWindow::RunProgressDialog() {
  PROGRESS_DIALOG_DEPS deps;
  deps.ctx = &state_->ctx;
  deps.engines = services_.engines;
  deps.messages = services_.messages;
  deps.shell = services_.shell;
  deps.setStatus = [this](const QString& text) { SetStatusPath(text); };
  deps.centreOn = surface_;
  ProgressDialog dialog(deps, this);
  const bool ok = dialog.Run();
  SignalMenu();
  return ok;
}

void MainWindow::CmdExport() {
  AppState& s = *state_;
  s.ctx.jobMode = JOB_EXPORT;
  if (!s.ctx.fileLoaded) return;
  EXPORT_DIALOG_DEPS deps;
  deps.ctx = &s.ctx;
  deps.plan = &s.plan;
  deps.timecode = &s.mxf.timecode;
  deps.trackCount = s.trackCount();
  deps.messages = services_.messages;
  deps.shell = services_.shell;
  deps.runExport = [this] { RunProgressDialog(); };
  ExportDialog dialog(deps, this);
  dialog.exec();
  SignalMenu();
}

// --- View and tracks -------------------------------------------------------

void MainWindow::CmdSwitchView() {
  if (state_->ctx.viewMode == VIEW_TRACKS) {
    ShowLibrary();
  } else {
    ShowTracks();
  }
}

void MainWindow::ShowLibrary() {
  state_->ctx.viewMode = VIEW_LIBRARY;
  SignalMenu();
  lower_->setCurrentWidget(library_);
  library_->setEnabled(true);
  library_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::ShowTracks() {
  state_->ctx.viewMode = VIEW_TRACKS;
  SignalMenu();
  lower_->setCurrentWidget(tracks_);
  library_->setEnabled(false);
  FocusMain();
}

void MainWindow::CmdSelectAll() {
  APP_CONTEXT& ctx = state_->ctx;
  QWidget* focus = focusWidget();
  if (focus == range_->inEdit() || focus == range_->outEdit()) {
    static_cast<QLineEdit*>(focus)->selectAll();
    return;
  }
  if (ctx.viewMode == VIEW_LIBRARY && focus == library_) {
    library_->selectAll();
    return;
  }
  if (ctx.viewMode != VIEW_TRACKS || focus != surface_) return;
  for (int s = 0; s < ctx.audioTrackCount; ++s) ctx.trackSelected[s] = 1;
  tracks_->RedrawSlots(TrackArea::kEverySlot);
}

void MainWindow::CmdAllTracks() {
  ToggleAllTrackSwitches(state_->plan, state_->mxf.audio);
  tracks_->RedrawSlots(TrackArea::kEverySlot);
}

void MainWindow::CmdSelectedTracks() {
  APP_CONTEXT& ctx = state_->ctx;
  ToggleSelectedTrackSwitches(state_->plan, ctx.trackStereo, state_->mxf.audio, ctx.trackSelected, ctx.currentTrack);
  tracks_->RedrawSlots(TrackArea::kEverySlot);
}
