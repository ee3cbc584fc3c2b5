// The desktop application's side of the undo journal: the "元に戻す"
// command with the range and time of the last rewrap, the roll-back
// question when a file with an interrupted rewrap is loaded, the checks
// before a rewrap (an interrupted rewrap to settle, room for the journal),
// and the dialog of the journal settings. The engine keeps the settings
// (UndoSettings()); this only edits them.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "engine/mxf_records.h"
#include "engine/track_plan.h"

class MessageBoxes;
class ShellServices;
class QCheckBox;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace undo_ui {

// "元に戻す" with the range and time of the newest journal of the file;
// *enabled false when there is nothing to undo.
QString MenuText(const std::u16string& mxfPath, bool* enabled);

// Before a rewrap. False when the rewrap must not start: an interrupted
// rewrap was not settled, or the journal does not fit and the user chose
// not to go on without it. *withoutJournal: go on, journal off for this job.
// The journal folder's free space is asked through `shell`.
bool ConfirmBeforeRewrap(QWidget* owner, MessageBoxes& boxes, ShellServices& shell, const std::u16string& mxfPath,
                         const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base, bool* withoutJournal);

// After a file was loaded: asks whether an interrupted rewrap is rolled
// back (Yes) or left as it is (No). False when it stays unsettled.
bool OfferRollBack(QWidget* owner, MessageBoxes& boxes, const std::u16string& mxfPath);

// The command: asks, undoes the newest rewrap (or rolls back an
// interrupted one) and tells the outcome.
void RunUndo(QWidget* owner, MessageBoxes& boxes, const std::u16string& mxfPath);

// Journal on/off, folder (chosen through `shell`), journals kept, read-back.
class SettingsDialog : public QDialog {
 public:
  SettingsDialog(QWidget* parent, ShellServices& shell);
  // Shows the dialog; on OK stores the settings. True on OK.
  static bool Edit(QWidget* parent, ShellServices& shell);

 private:
  void Store() const;
  QCheckBox* journal_ = nullptr;
  QCheckBox* readBack_ = nullptr;
  QLineEdit* folder_ = nullptr;
  QSpinBox* keep_ = nullptr;
};

}  // namespace undo_ui
