// The desktop's file dialogs, the file manager, the free space of a volume
// and small choice menus, behind an interface that tests replace.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>

class QMenu;
class QWidget;

class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // Open dialog for one MXF file; empty when cancelled.
  virtual QString OpenMxfFile(QWidget* owner) = 0;
  // Open dialog for WAV/BWF files with multiple selection; empty when cancelled.
  virtual QStringList OpenWavFiles(QWidget* owner) = 0;
  // Save dialog for a text log; empty when cancelled.
  virtual QString SaveTextFile(QWidget* owner, const QString& title) = 0;
  // Folder browser; empty when cancelled.
  virtual QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) = 0;
  // Shows a folder in the desktop's file manager; false when nothing could
  // open it (no file manager).
  virtual bool OpenFolder(const QString& folder) = 0;
  // Bytes the user may still write on the volume that holds `folder`; false
  // when it cannot be told.
  virtual bool FreeDiskSpace(const std::u16string& folder, uint64_t* bytes) = 0;
  // A menu at the pointer headed by `title`; the index of the item chosen,
  // -1 when the user chose none.
  virtual int ChooseItem(QWidget* owner, const QString& title, const QStringList& items) = 0;
};

// Qt's file dialogs and QDesktopServices. The file dialogs open in the
// detail view at a size kept for the session: the first at 60 % of the
// screen, at least 900 x 600 where the screen allows, later ones as the user
// left the last.
class QtShellServices : public ShellServices {
 public:
  QString OpenMxfFile(QWidget* owner) override;
  QStringList OpenWavFiles(QWidget* owner) override;
  QString SaveTextFile(QWidget* owner, const QString& title) override;
  QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) override;
  bool OpenFolder(const QString& folder) override;
  bool FreeDiskSpace(const std::u16string& folder, uint64_t* bytes) override;
  int ChooseItem(QWidget* owner, const QString& title, const QStringList& items) override;
};

// The items of a choice menu under a disabled heading `title`; each item's
// data is its index.
void FillChoiceMenu(QMenu* menu, const QString& title, const QStringList& items);

// The save dialog for text logs: 1 with the chosen path (".txt" added to a
// name without extension) in *path, 0 when the user cancelled, *path then
// untouched. A path longer than the log writers' buffer counts as cancelled.
int ChooseSaveTextFile(ShellServices& shell, QWidget* owner, std::u16string* path, std::u16string_view title);
