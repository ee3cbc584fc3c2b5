// The main window: the information panel, the IN/OUT/DUR block, the track
// area (or the library), the four large buttons and the status bar; the
// menus and accelerators; loading (by command, button or drop) and
// unloading the MXF file; the start of every job; the placement stored on
// close. Enabling and the status texts come from the two background
// threads.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "engine/job_runner.h"
#include "ui/app_state.h"
#include "ui/background_threads.h"

class QKeyEvent;
class QStackedWidget;
class CommandTable;
class DialogCloseWatcher;
class ImageButton;
class InfoPanel;
class LibraryView;
class MessageBoxes;
class PartStatusBar;
class RangeBlock;
class ShellServices;
class TrackArea;

struct APP_SERVICES {
  MessageBoxes* messages = nullptr;
  ShellServices* shell = nullptr;
  const JOB_ENGINES* engines = nullptr;
  std::u16string placementRoot;  // user store root of the stored placement; empty: none
  std::u16string desktopPath;    // the user's desktop folder
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(const APP_SERVICES& services, QWidget* parent = nullptr);
  ~MainWindow() override;

  static constexpr int kMinimumWidth = 1280;
  static constexpr int kMinimumHeight = 631;
  // Height above and below the track area.
  static constexpr int kFixedHeight = 340;

  // Runs a command of the command table (menus, accelerators, buttons).
  void RunCommand(int id);
  // The entry edit that is open: 0 IN, 1 OUT, -1 none.
  int openRangeEdit() const { return openEdit_; }

  // The dropped names in the order the drop delivered them.
  void HandleDroppedFiles(const std::vector<std::u16string>& names);

  void SignalMenu();
  void SignalList();
  // Activates the window and focuses what the user works in (the open
  // IN/OUT edit, the library or the track panel) after a dialog or message
  // box has closed.
  void TakeFocusBack();
  // The widget that holds the keyboard focus in the current view.
  QWidget* currentViewWidget() const;
  // Publishes the library rows for the list thread.
  void PublishListRows();
  // The library list's rows changed their selected or focused state: the
  // list thread mirrors them (and then wakes the menu thread, so a pending
  // menu signal is dropped here).
  void OnListSelectionChanged(std::vector<uint8_t> selected, int focusedRow);

  AppState& state() { return *state_; }
  CommandTable& commands() { return *commands_; }
  InfoPanel* infoPanel() const { return info_; }
  RangeBlock* rangeBlock() const { return range_; }
  TrackArea* trackArea() const { return tracks_; }
  LibraryView* libraryView() const { return library_; }
  // The next sort is ascending again (the direction lasts for the run).
  static void ResetSortDirection();
  PartStatusBar* statusParts() const { return status_; }
  ImageButton* largeButton(int controlId) const;
  BackgroundThreads& threads() { return *threads_; }
  QWidget* surface() const { return surface_; }

 signals:
  // A drop has been handled completely (after any load it started).
  void dropHandled();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  enum class LoadOrigin { Command, Drop };

  void CreateControls();
  void LayoutControls();
  void ApplyEnabling(const ENABLING& enabling);
  void ApplyListPass(const LIST_PASS_RESULT& result);
  void RefreshInfo();
  void RefreshRange();
  void RefreshTracks();
  void SetStatusPath(const QString& text);
  void ShowContextMenu(const QPoint& globalPos);
  void FocusMain();

  // Loading and unloading.
  void CmdLoad();
  bool OpenAndAnalyse(const std::u16string& path, LoadOrigin origin);
  void RunAnalysisDialog();
  void FinishLoad();
  void UndoLoad();
  void RefreshUndoItem();
  void CmdUnload();
  void UnloadAndRefresh(bool wakeList);
  void AddDroppedWavFiles(const std::vector<std::u16string>& paths);
  void RebuildLibraryView(bool selectFirst);

  // The IN/OUT entry (0 IN, 1 OUT).
  void OpenRangeEdit(int which);
  void CloseRangeEdit(int which);
  void OnRangeEnter(int which);
  void RefuseRangePoint(int which, const std::u16string& message);
  bool RangeEditKey(int which, QKeyEvent* event);
  bool eventFilter(QObject* watched, QEvent* event) override;

  // The other commands.
  void CmdOpenFolder();
  void CmdAbout();
  void CmdSettings();
  void CmdRewrap();
  bool RunProgressDialog();
  void CmdExport();
  void CmdSwitchView();
  void ShowTracks();
  void ShowLibrary();
  void CmdSelectAll();
  void CmdAllTracks();
  void CmdSelectedTracks();
  void OnSwitchClicked(int slot);
  void OnRowClicked(int slot, Qt::KeyboardModifiers modifiers);
  void ScrollTracks(int rows);
  void MoveCurrentTrack(int step);
  bool SurfaceKey(QKeyEvent* event);
  void CmdAddWav();
  void CmdAssign();
  void CmdDelete();
  void DeleteSelectedFiles();
  void CmdSort(int id);
  void OnHeaderClicked(int column);

  void Shutdown();

  APP_SERVICES services_;
  std::unique_ptr<AppState> state_;
  CommandTable* commands_ = nullptr;
  QWidget* surface_ = nullptr;
  InfoPanel* info_ = nullptr;
  RangeBlock* range_ = nullptr;
  QStackedWidget* lower_ = nullptr;
  TrackArea* tracks_ = nullptr;
  LibraryView* library_ = nullptr;
  ImageButton* buttons_[4] = {};
  PartStatusBar* status_ = nullptr;
  ListSnapshotBox listRows_;
  uint64_t listGeneration_ = 0;
  std::vector<uint8_t> rowSelected_;  // the library rows' selection
  int focusedRow_ = -1;
  std::unique_ptr<BackgroundThreads> threads_;
  DialogCloseWatcher* dialogWatcher_ = nullptr;
  bool shutDown_ = false;
  int openEdit_ = -1;  // the open IN/OUT edit, -1 when none
};
