// The main window's commands: one action per command of the main menu (with
// its text, mnemonic and accelerator), the context menu's actions (texts of
// their own, no accelerators) and the menus. A disabled action never runs,
// whether chosen in a menu or by its accelerator from any focused child.
#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "ui/enabling.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

class CommandTable : public QObject {
  Q_OBJECT
 public:
  using Dispatch = std::function<void(int id)>;
  CommandTable(QWidget* window, Dispatch dispatch);

  // Fills the window's menu bar: ファイル, 操作, 設定, ヘルプ.
  void BuildMenuBar(QMenuBar* bar);
  QMenu* contextMenu() const { return context_; }

  // The main menu's action of a command; null for an unknown id.
  QAction* action(int id) const;
  // The context menu's action of a command; null when it has none.
  QAction* contextAction(int id) const;

  // Greys or enables the actions the enabling names; the others keep their
  // state.
  void Apply(const ENABLING& enabling);

  // The main menu text of a command ("" for an unknown id).
  static QString MenuText(int id);

 private:
  QAction* Make(int id, const QString& text, const QKeySequence& shortcut);
  QAction* MakeContext(int id, const QString& text);

  QWidget* window_;
  Dispatch dispatch_;
  std::map<int, QAction*> actions_;
  std::map<int, QAction*> contextActions_;
  QMenu* context_ = nullptr;
  QMenu* sortMenu_ = nullptr;
};
