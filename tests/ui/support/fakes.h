// Stand-ins for the message boxes and the desktop's dialogs: they answer
// from a script and record what the application asked.
#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "ui/message_box.h"
#include "ui/shell_services.h"

struct ShownMessage {
  QString text;
  QString caption;
  MsgIcon icon;
  MsgButtons buttons;
};

class ScriptedMessageBoxes : public MessageBoxes {
 public:
  MsgAnswer Show(QWidget* owner, const MessageRequest& request) override;

  // Answers to Yes/No questions, in order; when none is left, No.
  void answer(std::initializer_list<MsgAnswer> answers);
  // Runs while a message is shown, before it is answered.
  std::function<void(const ShownMessage&)> onShow;

  std::vector<ShownMessage> shown;
  void clear() { shown.clear(); }
  // The captions of everything shown, for failure output.
  QString summary() const;

 private:
  std::deque<MsgAnswer> answers_;
};

class FakeShell : public ShellServices {
 public:
  QString OpenMxfFile(QWidget* owner) override;
  QStringList OpenWavFiles(QWidget* owner) override;
  QString SaveTextFile(QWidget* owner, const QString& title) override;
  QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) override;
  bool OpenFolder(const QString& folder) override;
  bool FreeDiskSpace(const std::u16string& folder, uint64_t* bytes) override;
  int ChooseItem(QWidget* owner, const QString& title, const QStringList& items) override;

  std::deque<QString> mxfChoices;     // empty string: the user cancels
  std::deque<QStringList> wavChoices;  // empty list: the user cancels
  std::deque<QString> folderChoices;  // empty string: the user cancels
  QStringList folderStarts;           // the folder each browser started at
  std::deque<QString> saveChoices;    // empty string: the user cancels
  QStringList saveTitles;
  QStringList openedFolders;
  bool folderOpens = true;  // false: no file manager answers
  int64_t freeBytes = -1;   // the free space every volume reports; -1: the real one
  int openMxfCalls = 0;
  std::deque<int> itemChoices;  // -1 (or none left): the user chooses nothing
  QStringList itemTitles;       // the heading of each menu shown
  QStringList lastItems;        // the items of the last menu shown
};
