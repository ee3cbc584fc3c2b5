#include "ui/undo_ui.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "engine/text_format.h"
#include "platform/path.h"
#include "resources/string_table.h"
#include "rewrap/undo_preflight.h"
#include "rewrap/undo_restore.h"
#include "rewrap/undo_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/shell_services.h"
#include "ui/ui_texts.h"

namespace undo_ui {

namespace {

bool Interrupted(const UNDO_OUTCOME& o) {
  return o.journal.state == UNDO_STATE_IN_PROGRESS || o.journal.state == UNDO_STATE_UNDOING;
}

}  // namespace

QString MenuText(const std::u16string& mxfPath, bool* enabled) {
  *enabled = false;
  if (mxfPath.empty()) return Q(LoadString(kStrUndoMenu));
  UNDO_OUTCOME o;
  if (InspectUndo(mxfPath, UndoSettings(), &o) != UNDO_OK) return Q(LoadString(kStrUndoMenu));
  *enabled = true;
  return Q(FormatText(LoadString(Interrupted(o) ? kStrUndoMenuInterrupted : kStrUndoMenuRewrap),
                      {std::u16string_view(UndoRangeText(o.journal.description)),
                       std::u16string_view(UndoTimeText(o.journal.description))}));
}

bool OfferRollBack(QWidget* owner, MessageBoxes& boxes, const std::u16string& mxfPath) {
  if (!UndoRecoveryPending(mxfPath, UndoSettings())) return true;
  UNDO_OUTCOME o;
  InspectUndo(mxfPath, UndoSettings(), &o);
  const std::u16string name = plat::FileNamePart(mxfPath);
  const std::u16string question =
      FormatText(LoadString(kStrUndoAskRollBack), {std::u16string_view(ComposeInterruptedQuestion(name, o))});
  const bool rollBack = ShowMessage(boxes, owner, question, txt::kAppCaption, MsgIcon::Warning,
                                    MsgButtons::YesNo) == MsgAnswer::Yes;
  o = UNDO_OUTCOME{};
  const int rc = rollBack ? RollBackInterrupted(mxfPath, UndoSettings(), &o)
                          : LeaveInterrupted(mxfPath, UndoSettings(), &o);
  if (rc != UNDO_OK) {
    ShowMessage(boxes, owner, ComposeUndoRefusal(name, rc, o), txt::kAppCaption, MsgIcon::Error);
    return false;
  }
  if (rollBack) ShowMessage(boxes, owner, ComposeUndoDone(name, o, true), txt::kAppCaption, MsgIcon::Information);
  return true;
}

bool ConfirmBeforeRewrap(QWidget* owner, MessageBoxes& boxes, ShellServices& shell, const std::u16string& mxfPath,
                         const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base, bool* withoutJournal) {
  *withoutJournal = false;
  UNDO_PREFLIGHT p;
  const FreeSpaceQuery freeSpace = [&shell](const std::u16string& folder, uint64_t* bytes) {
    return shell.FreeDiskSpace(folder, bytes);
  };
  switch (CheckUndoPreflight(mxfPath, plan, base, UndoSettings(), &p, freeSpace)) {
    case UNDO_PREFLIGHT_PENDING:
      return OfferRollBack(owner, boxes, mxfPath);
    case UNDO_PREFLIGHT_NO_ROOM:
      *withoutJournal =
          ShowMessage(boxes, owner,
                      FormatText(LoadString(kStrUndoAskNoJournal),
                                 {std::u16string_view(ComposeJournalNoRoom(p.bytesNeeded, p.bytesFree))}),
                      txt::kAppCaption, MsgIcon::Warning, MsgButtons::YesNo) == MsgAnswer::Yes;
      return *withoutJournal;
    default:
      return true;
  }
}

void RunUndo(QWidget* owner, MessageBoxes& boxes, const std::u16string& mxfPath) {
  if (mxfPath.empty()) return;
  const std::u16string name = plat::FileNamePart(mxfPath);
  UNDO_OUTCOME o;
  int rc = InspectUndo(mxfPath, UndoSettings(), &o);
  if (rc == UNDO_OK && Interrupted(o)) {
    OfferRollBack(owner, boxes, mxfPath);
    return;
  }
  if (rc == UNDO_OK) {
    const std::u16string question = FormatText(
        LoadString(kStrUndoAskUndo), {std::u16string_view(name), std::u16string_view(UndoRangeText(o.journal.description)),
                                      std::u16string_view(UndoTimeText(o.journal.description))});
    if (ShowMessage(boxes, owner, question, txt::kAppCaption, MsgIcon::Information, MsgButtons::YesNo) !=
        MsgAnswer::Yes) {
      return;
    }
    o = UNDO_OUTCOME{};
    rc = UndoNewestRewrap(mxfPath, UndoSettings(), &o);
  }
  if (rc != UNDO_OK) {
    ShowMessage(boxes, owner, ComposeUndoRefusal(name, rc, o), txt::kAppCaption, MsgIcon::Warning);
    return;
  }
  ShowMessage(boxes, owner, ComposeUndoDone(name, o, false), txt::kAppCaption, MsgIcon::Information);
}

SettingsDialog::SettingsDialog(QWidget* parent, ShellServices& shell) : QDialog(parent) {
  setObjectName(QStringLiteral("undoSettings"));
  setWindowTitle(Q(LoadString(kStrUndoSettingsTitle)));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const UNDO_SETTINGS& s = UndoSettings();
  journal_ = new QCheckBox(Q(LoadString(kStrUndoSettingsJournal)), this);
  journal_->setChecked(s.journal);
  readBack_ = new QCheckBox(Q(LoadString(kStrUndoSettingsReadBack)), this);
  readBack_->setChecked(s.readBack);
  folder_ = new QLineEdit(Q(s.folder), this);
  folder_->setPlaceholderText(Q(LoadString(kStrUndoSettingsBesideMxf)));
  auto* browse = new QPushButton(Q(LoadString(kStrUndoSettingsBrowse)), this);
  connect(browse, &QPushButton::clicked, this, [this, &shell] {
    const QString dir = shell.ChooseFolder(this, Q(LoadString(kStrUndoSettingsChooseFolder)), folder_->text());
    if (!dir.isEmpty()) folder_->setText(dir);
  });
  keep_ = new QSpinBox(this);
  keep_->setRange(1, static_cast<int>(kMaxJournalsKept));
  keep_->setValue(static_cast<int>(s.keep));

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_);
  folderRow->addWidget(browse);
  auto* form = new QFormLayout;
  form->addRow(Q(LoadString(kStrUndoSettingsFolder)), folderRow);
  form->addRow(Q(LoadString(kStrUndoSettingsKeep)), keep_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(Q(txt::kOk), QDialogButtonBox::AcceptRole);
  buttons->addButton(Q(txt::kCancel), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(journal_);
  layout->addWidget(readBack_);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void SettingsDialog::Store() const {
  UNDO_SETTINGS& s = UndoSettings();
  s.journal = journal_->isChecked();
  s.readBack = readBack_->isChecked();
  s.folder = U16(folder_->text().trimmed());
  s.keep = static_cast<uint32_t>(keep_->value());
}

bool SettingsDialog::Edit(QWidget* parent, ShellServices& shell) {
  SettingsDialog dialog(parent, shell);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Store();
  return true;
}

}  // namespace undo_ui
