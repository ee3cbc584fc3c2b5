#include "tests/ui/support/fakes.h"

#include "platform/file_system.h"

MsgAnswer ScriptedMessageBoxes::Show(QWidget*, const MessageRequest& request) {
  ShownMessage m{request.text, request.caption, request.icon, request.buttons};
  shown.push_back(m);
  if (onShow) onShow(m);
  if (request.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  if (answers_.empty()) return MsgAnswer::No;
  const MsgAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

void ScriptedMessageBoxes::answer(std::initializer_list<MsgAnswer> answers) {
  for (MsgAnswer a : answers) answers_.push_back(a);
}

QString ScriptedMessageBoxes::summary() const {
  QStringList parts;
  for (const ShownMessage& m : shown) parts << QStringLiteral("[%1] %2").arg(m.caption, m.text);
  return parts.join(QLatin1String(" | "));
}

QString FakeShell::OpenMxfFile(QWidget*) {
  ++openMxfCalls;
  if (mxfChoices.empty()) return {};
  QString path = mxfChoices.front();
  mxfChoices.pop_front();
  return path;
}

QStringList FakeShell::OpenWavFiles(QWidget*) {
  if (wavChoices.empty()) return {};
  QStringList files = wavChoices.front();
  wavChoices.pop_front();
  return files;
}

QString FakeShell::SaveTextFile(QWidget*, const QString& title) {
  saveTitles << title;
  if (saveChoices.empty()) return {};
  QString path = saveChoices.front();
  saveChoices.pop_front();
  return path;
}

QString FakeShell::ChooseFolder(QWidget*, const QString&, const QString& start) {
  folderStarts << start;
  if (folderChoices.empty()) return {};
  QString folder = folderChoices.front();
  folderChoices.pop_front();
  return folder;
}

bool FakeShell::OpenFolder(const QString& folder) {
  openedFolders << folder;
  return folderOpens;
}

bool FakeShell::FreeDiskSpace(const std::u16string& folder, uint64_t* bytes) {
  if (freeBytes < 0) return plat::FreeDiskSpace(folder, bytes);
  *bytes = static_cast<uint64_t>(freeBytes);
  return true;
}

int FakeShell::ChooseItem(QWidget*, const QString& title, const QStringList& items) {
  itemTitles << title;
  lastItems = items;
  if (itemChoices.empty()) return -1;
  const int choice = itemChoices.front();
  itemChoices.pop_front();
  return choice;
}
