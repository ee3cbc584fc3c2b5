#include "ui/shell_services.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

#include "ui/qt_text.h"
#include "ui/ui_texts.h"
#include "verify/report_texts.h"

namespace {

QString Filter(std::u16string_view name) {
  // Qt reads the pattern from the parentheses of the name itself.
  return Q(name);
}

}  // namespace

QString QtShellServices::OpenMxfFile(QWidget* owner) {
  QFileDialog dialog(owner, Q(txt::kOpenMxfTitle));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(Filter(txt::kMxfFilter));
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

QStringList QtShellServices::OpenWavFiles(QWidget* owner) {
  QFileDialog dialog(owner, Q(txt::kOpenWavTitle));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters({Filter(txt::kWavFilter), Filter(txt::kBwfFilter)});
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString QtShellServices::SaveTextFile(QWidget* owner, const QString& title) {
  QFileDialog dialog(owner, title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(Filter(kTextFileFilterName));
  dialog.setDefaultSuffix(Q(kTextFileDefaultExtension));
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

QString QtShellServices::ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(owner, title, start);
}

void QtShellServices::OpenFolder(const QString& folder) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

int ChooseSaveTextFile(ShellServices& shell, QWidget* owner, std::u16string* path, std::u16string_view title) {
  const QString chosen = shell.SaveTextFile(owner, Q(title));
  if (chosen.isEmpty()) return 0;
  std::u16string full = WithDefaultTextExtension(U16(chosen));
  if (!FitsSavePathBuffer(full)) return 0;
  *path = std::move(full);
  return 1;
}
