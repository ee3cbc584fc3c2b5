#include "ui/command_table.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "ui/command_ids.h"
#include "ui/theme.h"

namespace {

struct MainCommand {
  int id;
  const char16_t* text;
  const char* keys;  // portable key sequence; null: none
};

// The main menu's items: text (with mnemonic and the accelerator as shown)
// and accelerator.
const MainCommand kMainCommands[] = {
    {cmd::kLoadMxf, u"MXFファイルをロード(&M)\tCtrl+O", "Ctrl+O"},
    {cmd::kUnloadMxf, u"MXFファイルをアンロード(U)\tCtrl+U", "Ctrl+U"},
    {cmd::kAddWav, u"BWF(WAV)ファイルを追加(&J)\tCtrl+Shift+O", "Ctrl+Shift+O"},
    {cmd::kExportBwf, u"BWF(WAV)ファイルを生成(&C)\tCtrl+B", "Ctrl+B"},
    {cmd::kRewrap, u"ラッピングを実行(&W)\t  Ctrl+R", "Ctrl+R"},
    {cmd::kExit, u"終了(&X)", nullptr},
    {cmd::kSelectAll, u"全てを選択(&A)\tCtrl+A", "Ctrl+A"},
    {cmd::kAllTracksOnOff, u"全トラックON/OFF(&A)\tCtrl+Shift+A", "Ctrl+Shift+A"},
    {cmd::kSelectedTracksOnOff, u"選択されているトラックのON/OFF(&G)\tCtrl+G", "Ctrl+G"},
    {cmd::kDelete, u"削除(&D)\tDEL", "Del"},
    {cmd::kSwitchView, u"トラック / WAVライブラリ表示切替(&T)\tCtrl+T", "Ctrl+T"},
    {cmd::kAssign, u"選択されたWAVをトラックに割当てる(&C)\tCtrl+C", "Ctrl+C"},
    {cmd::kOpenFolder, u"現在のMXFファイルの場所を開く(&L)\tCtrl+L", "Ctrl+L"},
    {cmd::kSetIn, u"IN点を設定(&I)\tI", "I"},
    {cmd::kSetOut, u"OUT点を設定(&O)\tO", "O"},
#if VELMORA_HAVE_LOUDNESS
    {cmd::kLoudness, u"ONのトラックのラウドネスを測定(&K)\tCtrl+K", "Ctrl+K"},
#endif
    {cmd::kSettings, u"ファイル処理API設定(&F)\tCtrl + P", "Ctrl+P"},
    {cmd::kAbout, u"バージョン情報(&A)\tCtrl + H", "Ctrl+H"},
    {cmd::kUndoRewrap, u"元に戻す(&Z)\tCtrl+Z", "Ctrl+Z"},
    {cmd::kUndoSettings, u"元に戻す設定(&U)", nullptr},
    // The sort submenu, by the library's columns.
    {32868, u"ファイル名(&1)", nullptr},
    {32869, u"チャンネル数(&2)", nullptr},
    {32870, u"ビット(&3)", nullptr},
    {32871, u"サンプルレート(&4)", nullptr},
    {32872, u"開始TC(&5)", nullptr},
    {cmd::kSortEnd, u"終了TC(&6)", nullptr},
    {32873, u"長さ(&7)", nullptr},
    {32874, u"作成日(&8)", nullptr},
    {32875, u"更新日時(&9)", nullptr},
    {32876, u"サイズ(&0)", nullptr},
};

struct ContextCommand {
  int id;  // 0: separator
  const char16_t* text;
};

const ContextCommand kContextCommands[] = {
    {cmd::kSelectAll, u"全て選択(&A)"},
    {cmd::kAllTracksOnOff, u"全トラックON/OFF(&A)"},
    {cmd::kSelectedTracksOnOff, u"選択されているトラックのON/OFF(&G)"},
    {cmd::kDelete, u"削除(&D)"},
    {cmd::kSwitchView, u"トラック / WAVファイルライブラリ表示切替(&T)"},
    {0, nullptr},
    {cmd::kAddWav, u"WAVファイルを追加(&J)"},
    {cmd::kAssign, u"トラックに割当てる(&D)"},
    {0, nullptr},
    {cmd::kLoadMxf, u"MXFファイルをロード(&M)"},
    {cmd::kUnloadMxf, u"MXFファイルをアンロード(U)"},
};

QString Text(const char16_t* text) { return QString::fromUtf16(text); }

}  // namespace

QString CommandTable::MenuText(int id) {
  for (const MainCommand& c : kMainCommands) {
    if (c.id == id) return Text(c.text);
  }
  return {};
}

CommandTable::CommandTable(QWidget* window, Dispatch dispatch)
    : QObject(window), window_(window), dispatch_(std::move(dispatch)) {
  for (const MainCommand& c : kMainCommands) {
    Make(c.id, Text(c.text), c.keys != nullptr ? QKeySequence(QString::fromLatin1(c.keys)) : QKeySequence());
  }
  // The sort items start greyed, as does "end time", which nothing enables.
  for (int id = cmd::kSortFirst; id <= cmd::kSortLast; ++id) actions_[id]->setEnabled(false);
  actions_[cmd::kSortEnd]->setEnabled(false);

  context_ = new QMenu(window_);
  context_->setObjectName(QStringLiteral("contextMenu219"));
  context_->setFont(theme::UiFont(9.5));
  for (const ContextCommand& c : kContextCommands) {
    if (c.id == 0) {
      context_->addSeparator();
    } else {
      context_->addAction(MakeContext(c.id, Text(c.text)));
    }
  }
}

QAction* CommandTable::Make(int id, const QString& text, const QKeySequence& shortcut) {
  auto* action = new QAction(text, this);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    // Registered on the window itself, so the accelerator works whichever
    // child has the focus (and whether or not the menu bar is shown).
    window_->addAction(action);
  }
  connect(action, &QAction::triggered, this, [this, id] { dispatch_(id); });
  actions_[id] = action;
  return action;
}

QAction* CommandTable::MakeContext(int id, const QString& text) {
  auto* action = new QAction(text, this);
  action->setObjectName(QStringLiteral("context%1").arg(id));
  connect(action, &QAction::triggered, this, [this, id] { dispatch_(id); });
  contextActions_[id] = action;
  return action;
}

void CommandTable::BuildMenuBar(QMenuBar* bar) {
  auto add = [this](QMenu* menu, int id) { menu->addAction(actions_.at(id)); };

  QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
  add(file, cmd::kLoadMxf);
  add(file, cmd::kUnloadMxf);
  file->addSeparator();
  add(file, cmd::kAddWav);
  add(file, cmd::kExportBwf);
  file->addSeparator();
  add(file, cmd::kRewrap);
  file->addSeparator();
  add(file, cmd::kExit);

  QMenu* edit = bar->addMenu(QStringLiteral("操作(&M)"));
  add(edit, cmd::kUndoRewrap);
  edit->addSeparator();
  // The undo item names the rewrap it takes back, read when the menu opens.
  connect(edit, &QMenu::aboutToShow, this, [this] { dispatch_(cmd::kUndoMenuShown); });
  add(edit, cmd::kSelectAll);
  add(edit, cmd::kAllTracksOnOff);
  add(edit, cmd::kSelectedTracksOnOff);
  add(edit, cmd::kDelete);
  add(edit, cmd::kSwitchView);
  add(edit, cmd::kAssign);
  sortMenu_ = edit->addMenu(QStringLiteral("WAVファイルのソート"));
  for (int id : {32868, 32869, 32870, 32871, 32872, cmd::kSortEnd, 32873, 32874, 32875, 32876}) add(sortMenu_, id);
  add(edit, cmd::kOpenFolder);
  add(edit, cmd::kSetIn);
  add(edit, cmd::kSetOut);
#if VELMORA_HAVE_LOUDNESS
  add(edit, cmd::kLoudness);
#endif

  QMenu* settings = bar->addMenu(QStringLiteral("設定(&P)"));
  add(settings, cmd::kSettings);
  add(settings, cmd::kUndoSettings);

  QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
  add(help, cmd::kAbout);
}

QAction* CommandTable::action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* CommandTable::contextAction(int id) const {
  auto it = contextActions_.find(id);
  return it == contextActions_.end() ? nullptr : it->second;
}

void CommandTable::Apply(const ENABLING& enabling) {
  for (const ENABLING_ITEM& item : enabling.commands) {
    if (QAction* a = action(item.id)) a->setEnabled(item.enabled);
    if (QAction* a = contextAction(item.id)) a->setEnabled(item.enabled);
  }
}
