// The BWF export dialog: the export range (typed, or the rewrap range taken
// over), the tracks on three pages of eight buttons, the file name prefix
// and the destination folder. Its export button runs the progress dialog;
// the dialog stays open for further exports until it is closed.
#pragma once

#include <QDialog>
#include <functional>

struct APP_CONTEXT;
struct AUDIOTRACK_IO_INFO;
struct MXF_TIMECODE_INFO;
class MessageBoxes;
class ShellServices;
class QLabel;
class QLineEdit;
class QPushButton;

struct EXPORT_DIALOG_DEPS {
  APP_CONTEXT* ctx = nullptr;
  AUDIOTRACK_IO_INFO* plan = nullptr;
  const MXF_TIMECODE_INFO* timecode = nullptr;
  int trackCount = 0;
  MessageBoxes* messages = nullptr;
  ShellServices* shell = nullptr;
  // Runs the export job (the progress dialog) with the plan as set here.
  std::function<void()> runExport;
};

class ExportDialog : public QDialog {
  Q_OBJECT
 public:
  ExportDialog(const EXPORT_DIALOG_DEPS& deps, QWidget* parent);

  // The page shown and the select-all state last for the whole run.
  static int page();
  static void ResetRunState();

  QPushButton* fromButton() const { return from_; }
  QPushButton* toButton() const { return to_; }
  QPushButton* useRewrapRangeButton() const { return useRange_; }
  QPushButton* folderButton() const { return folderButton_; }
  QPushButton* trackButton(int k) const { return tracks_[k]; }
  QPushButton* previousButton() const { return prev_; }
  QPushButton* nextButton() const { return next_; }
  QPushButton* selectAllButton() const { return selectAll_; }
  QPushButton* exportButton() const { return export_; }
  QPushButton* closeButton() const { return close_; }
  QLineEdit* inEdit() const { return edits_[0]; }
  QLineEdit* outEdit() const { return edits_[1]; }
  QLineEdit* prefixEdit() const { return prefix_; }
  QLineEdit* folderEdit() const { return folder_; }
  QLabel* inDisplay() const { return displays_[0]; }
  QLabel* outDisplay() const { return displays_[1]; }
  QLabel* durDisplay() const { return displays_[2]; }
  int openEdit() const { return openEdit_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyPage();
  void RefreshDisplays();
  void OpenEdit(int which);
  void CloseEdit(int which);
  void OnEnter(int which);
  void Refuse(int which, const std::u16string& message);
  void OnTrackButton(int k);
  void OnSelectAll();
  void OnUseRewrapRange();
  void OnFolder();
  void OnExport();
  void TakePrefix();

  EXPORT_DIALOG_DEPS deps_;
  QPushButton* from_ = nullptr;
  QPushButton* to_ = nullptr;
  QPushButton* useRange_ = nullptr;
  QPushButton* folderButton_ = nullptr;
  QPushButton* tracks_[8] = {};
  QPushButton* prev_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* selectAll_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* close_ = nullptr;
  QLineEdit* edits_[2] = {};
  QLineEdit* prefix_ = nullptr;
  QLineEdit* folder_ = nullptr;
  QLabel* displays_[3] = {};
  int openEdit_ = -1;
};
