#include "ui/shell_services.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <algorithm>
#include <QUrl>

#include "platform/file_system.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"
#include "verify/report_texts.h"

namespace {

QString Filter(std::u16string_view name) {
  // Qt reads the pattern from the parentheses of the name itself.
  return Q(name);
}

// The size the next file dialog opens at; invalid until the first has run.
QSize gDialogSize;

QSize FirstDialogSize(const QWidget* owner) {
  const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return QSize(900, 600);
  const QSize avail = screen->availableGeometry().size();
  const QSize wanted(std::max(900, avail.width() * 3 / 5), std::max(600, avail.height() * 3 / 5));
  return wanted.boundedTo(avail);
}

// Runs the dialog at the session's size and keeps the size it was left at.
int Exec(QFileDialog& dialog, QWidget* owner) {
  if (!gDialogSize.isValid()) gDialogSize = FirstDialogSize(owner);
  dialog.setViewMode(QFileDialog::Detail);
  dialog.resize(gDialogSize);
  const int result = dialog.exec();
  gDialogSize = dialog.size();
  return result;
}

}  // namespace

QString QtShellServices::OpenMxfFile(QWidget* owner) {
  QFileDialog dialog(owner, Q(txt::kOpenMxfTitle));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(Filter(txt::kMxfFilter));
  if (Exec(dialog, owner) != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

QStringList QtShellServices::OpenWavFiles(QWidget* owner) {
  QFileDialog dialog(owner, Q(txt::kOpenWavTitle));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters({Filter(txt::kWavFilter), Filter(txt::kBwfFilter)});
  if (Exec(dialog, owner) != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString QtShellServices::SaveTextFile(QWidget* owner, const QString& title) {
  QFileDialog dialog(owner, title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(Filter(kTextFileFilterName));
  dialog.setDefaultSuffix(Q(kTextFileDefaultExtension));
  if (Exec(dialog, owner) != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

QString QtShellServices::ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
  QFileDialog dialog(owner, title, start);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  if (Exec(dialog, owner) != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

bool QtShellServices::OpenFolder(const QString& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool QtShellServices::FreeDiskSpace(const std::u16string& folder, uint64_t* bytes) {
  return plat::FreeDiskSpace(folder, bytes);
}

void FillChoiceMenu(QMenu* menu, const QString& title, const QStringList& items) {
  menu->addAction(title)->setEnabled(false);
  menu->addSeparator();
  for (int i = 0; i < items.size(); ++i) menu->addAction(items[i])->setData(i);
}

int QtShellServices::ChooseItem(QWidget* owner, const QString& title, const QStringList& items) {
  QMenu menu(owner);
  FillChoiceMenu(&menu, title, items);
  // The heading is disabled: only an item can be chosen.
  const QAction* chosen = menu.exec(QCursor::pos());
  return chosen != nullptr && chosen->isEnabled() ? chosen->data().toInt() : -1;
}

int ChooseSaveTextFile(ShellServices& shell, QWidget* owner, std::u16string* path, std::u16string_view title) {
  const QString chosen = shell.SaveTextFile(owner, Q(title));
  if (chosen.isEmpty()) return 0;
  std::u16string full = WithDefaultTextExtension(U16(chosen));
  if (!FitsSavePathBuffer(full)) return 0;
  *path = std::move(full);
  return 1;
}
