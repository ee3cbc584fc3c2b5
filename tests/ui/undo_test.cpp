// Taking a rewrap back from the desktop application: the 元に戻す item of
// the 操作 menu (what it names, when it is enabled, the undo itself and its
// refusal), the question when a file with an interrupted rewrap is loaded,
// the journal settings as the engine then uses them, and the question when
// the journal does not fit. Every outcome is checked on the file's bytes.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/file.h"
#include "rewrap/undo_journal.h"
#include "rewrap/undo_place.h"
#include "rewrap/undo_preflight.h"
#include "rewrap/undo_settings.h"
#include "rewrap/undo_texts.h"
#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/command_ids.h"
#include "ui/qt_text.h"

namespace {

mxfgen::Options Clip() { return ShortClip25(4); }

// Silence over `track` (0-based) from IN to OUT through the rewrap command,
// answering Yes to the backup question and No to the detail log.
void RewrapSilence(UiFixture& f, int track, const QString& in, const QString& out) {
  for (int s = 0; s < 4; ++s) f.state().plan.trackSwitch[s] = s == track ? TRACK_ON : TRACK_OFF;
  f.enterRange(in, out);
  const QByteArray before = UiFixture::readFile(f.state().ctx.mxfPath.empty() ? QString() : Q(f.state().ctx.mxfPath));
  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes});
  f.window().RunCommand(cmd::kRewrap);
  QVERIFY2(f.messages.shown.size() >= 2, qPrintable(f.messages.summary()));
  QVERIFY(UiFixture::readFile(Q(f.state().ctx.mxfPath)) != before);
}

// Copies `track`'s values of frames first..last from `from` into `into`.
void CopyValues(const mxfgen::Layout& layout, const QByteArray& from, QByteArray* into, int track, int64_t first,
                int64_t last) {
  for (int64_t frame = first; frame <= last; ++frame) {
    const auto& e = layout.Sound(frame, track);
    into->replace(static_cast<qsizetype>(e.valueOffset), e.valueSize,
                  from.mid(static_cast<qsizetype>(e.valueOffset), e.valueSize));
  }
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// "元に戻す (ラッピング IN … - OUT …, 2026/12/07 19:50:00)": the time, which
// must lie within a few minutes of now.
bool TimeIsRecent(const QString& itemText) {
  const QString stamp = itemText.section(QStringLiteral(", "), -1).chopped(1);
  const QDateTime t = QDateTime::fromString(stamp, QStringLiteral("yyyy/MM/dd hh:mm:ss"));
  return t.isValid() && qAbs(t.secsTo(QDateTime::currentDateTime())) < 300;
}

// Runs `edit` on the journal settings dialog while it is open, then the
// dialog's OK (accept) or Cancel.
void EditUndoSettings(UiFixture& f, const std::function<void(QDialog*)>& edit, bool accept) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<QDialog*>(w);
      if (d == nullptr || d->objectName() != QStringLiteral("undoSettings") || !d->isVisible()) continue;
      seen = true;
      edit(d);
      auto* buttons = d->findChild<QDialogButtonBox*>();
      buttons->buttons().at(accept ? 0 : 1)->click();
    }
  });
  f.window().RunCommand(cmd::kUndoSettings);
  QVERIFY(seen);
}

QString NewestJournal(const QString& mxf) { return Q(UndoJournalPath(U16(mxf), UndoSettings(), 0)); }

}  // namespace

class UndoTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { UndoSettings() = UNDO_SETTINGS{}; }
  void cleanup() { UndoSettings() = UNDO_SETTINGS{}; }
  void undoItemNamesTheNewestRewrapAndTakesItBack();
  void undoRefusedWhenTheFileChangedSince();
  void interruptedRewrapOnLoad_data();
  void interruptedRewrapOnLoad();
  void journalSettingsReachTheEngine();
  void journalWithoutRoomOffersToGoOnWithoutIt();
};

void UndoTest::undoItemNamesTheNewestRewrapAndTakesItBack() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("UNDO.mxf"), Clip());
  const QByteArray original = UiFixture::readFile(clip);
  MainWindow& w = f.open();
  QVERIFY(!f.openUndoMenu()->isEnabled());  // nothing loaded
  f.loadByCommand(clip);
  QAction* undo = f.openUndoMenu();
  QVERIFY(!undo->isEnabled());  // loaded, never rewrapped
  QCOMPARE(undo->text(), QStringLiteral("元に戻す"));

  RewrapSilence(f, 1, QStringLiteral("10000010"), QStringLiteral("10000019"));
  const QByteArray first = UiFixture::readFile(clip);
  // Enabled right after the job, before any menu opens: Ctrl+Z works.
  QVERIFY(undo->isEnabled());
  QVERIFY(undo->text().startsWith(QStringLiteral("元に戻す (ラッピング IN 10:00:00:10 - OUT 10:00:00:19, ")));
  RewrapSilence(f, 3, QStringLiteral("10000105"), QStringLiteral("10000119"));
  const QByteArray second = UiFixture::readFile(clip);
  f.openUndoMenu();
  QVERIFY2(undo->text().startsWith(QStringLiteral("元に戻す (ラッピング IN 10:00:01:05 - OUT 10:00:01:19, ")),
           qPrintable(undo->text()));
  QVERIFY2(TimeIsRecent(undo->text()), qPrintable(undo->text()));

  // No to the question: nothing changes.
  f.messages.clear();
  w.RunCommand(cmd::kUndoRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  QCOMPARE(f.messages.shown[0].buttons, MsgButtons::YesNo);
  QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("IN 10:00:01:05 - OUT 10:00:01:19")));
  QCOMPARE(UiFixture::readFile(clip), second);

  // Yes: the newest rewrap goes, then the one before, back to the original.
  for (const QByteArray* expected : {&first, &original}) {
    f.messages.clear();
    f.messages.answer({MsgAnswer::Yes});
    w.RunCommand(cmd::kUndoRewrap);
    QCOMPARE(f.messages.shown.size(), size_t{2});
    QCOMPARE(f.messages.shown[1].icon, MsgIcon::Information);
    QVERIFY2(f.messages.shown[1].text.contains(QStringLiteral("を元に戻しました。")), qPrintable(f.messages.summary()));
    QVERIFY(UiFixture::readFile(clip) == *expected);
  }
  QVERIFY(!undo->isEnabled());
  QVERIFY(!QFileInfo::exists(NewestJournal(clip)));

  // Unloading greys the item even where a journal waits.
  RewrapSilence(f, 0, QStringLiteral("10000000"), QStringLiteral("10000004"));
  QVERIFY(undo->isEnabled());
  w.RunCommand(cmd::kUnloadMxf);
  QVERIFY(!undo->isEnabled());
}

void UndoTest::undoRefusedWhenTheFileChangedSince() {
  UiFixture f;
  mxfgen::Layout layout;
  const QString clip = f.writeMxf(QStringLiteral("UNDO.mxf"), Clip(), &layout);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  RewrapSilence(f, 1, QStringLiteral("10000010"), QStringLiteral("10000019"));
  // Another program changes one byte the rewrap wrote.
  QByteArray changed = UiFixture::readFile(clip);
  const auto& e = layout.Sound(15, 1);
  changed[static_cast<qsizetype>(e.valueOffset + 7)] = '\x55';
  QVERIFY(WriteFile(clip, changed));

  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes});
  w.RunCommand(cmd::kUndoRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{2});
  const ShownMessage& refusal = f.messages.shown[1];
  QCOMPARE(refusal.icon, MsgIcon::Warning);
  QVERIFY2(refusal.text.contains(QStringLiteral("ラッピングの後にファイルが変更されています。")), qPrintable(refusal.text));
  QVERIFY(refusal.text.contains(QStringLiteral("MXFファイルは変更されていません。")));
  QVERIFY2(refusal.text.contains(QStringLiteral("場所: トラック 2, 10:00:00:15 (フレーム 5), オフセット %1")
                                     .arg(e.valueOffset)),
           qPrintable(refusal.text));
  QVERIFY(UiFixture::readFile(clip) == changed);
  QVERIFY(QFileInfo::exists(NewestJournal(clip)));  // kept: the user may put the byte back
}

void UndoTest::interruptedRewrapOnLoad_data() {
  QTest::addColumn<bool>("rollBack");
  QTest::newRow("roll back") << true;
  QTest::newRow("leave as is") << false;
}

// A rewrap of frames 10..29 stopped after frame 19: the journal still says
// "in progress" and frames 20..29 hold their old bytes.
void UndoTest::interruptedRewrapOnLoad() {
  QFETCH(bool, rollBack);
  UiFixture f;
  mxfgen::Layout layout;
  const QString clip = f.writeMxf(QStringLiteral("CUT.mxf"), Clip(), &layout);
  const QByteArray original = UiFixture::readFile(clip);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  RewrapSilence(f, 2, QStringLiteral("10000010"), QStringLiteral("10000104"));
  w.RunCommand(cmd::kUnloadMxf);
  QByteArray partial = UiFixture::readFile(clip);
  CopyValues(layout, original, &partial, 2, 20, 29);
  QVERIFY(WriteFile(clip, partial));
  {
    plat::File journal =
        plat::File::Open(U16(NewestJournal(clip)), plat::Access::ReadWrite, plat::Share::Shared);
    QVERIFY(SetUndoJournalState(journal, UNDO_STATE_IN_PROGRESS, nullptr));
  }

  f.messages.clear();
  f.messages.answer({rollBack ? MsgAnswer::Yes : MsgAnswer::No});
  f.loadByCommand(clip);
  QVERIFY(f.state().ctx.fileLoaded);
  QVERIFY(f.messages.shown.size() >= 1);
  const ShownMessage& question = f.messages.shown[0];
  QCOMPARE(question.buttons, MsgButtons::YesNo);
  QCOMPARE(question.icon, MsgIcon::Warning);
  QVERIFY2(question.text.startsWith(QStringLiteral("CUT.mxf\n\n")), qPrintable(question.text));
  QVERIFY(question.text.contains(QStringLiteral("(IN 10:00:00:10 - OUT 10:00:01:04) が途中で中断されています。")));
  QVERIFY2(question.text.contains(QStringLiteral("書換えは 10:00:00:19 のフレームまで進んでいました。")),
           qPrintable(question.text));
  if (rollBack) {
    QCOMPARE(f.messages.shown.size(), size_t{2});
    QVERIFY(f.messages.shown[1].text.contains(QStringLiteral("をロールバックしました。")));
    QVERIFY(UiFixture::readFile(clip) == original);
  } else {
    QCOMPARE(f.messages.shown.size(), size_t{1});
    QVERIFY(UiFixture::readFile(clip) == partial);
  }
  // Settled either way: the journal is gone and the next load asks nothing.
  QVERIFY(!QFileInfo::exists(NewestJournal(clip)));
  QVERIFY(!f.openUndoMenu()->isEnabled());
  w.RunCommand(cmd::kUnloadMxf);
  f.messages.clear();
  f.loadByCommand(clip);
  QCOMPARE(f.messages.shown.size(), size_t{0});
}

void UndoTest::journalSettingsReachTheEngine() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("SET.mxf"), Clip());
  const QString folder = f.path(QStringLiteral("journals"));
  QVERIFY(QDir().mkpath(folder));
  MainWindow& w = f.open();
  f.loadByCommand(clip);

  // Cancel keeps everything; OK stores the folder (through the browser),
  // two journals kept, no read-back.
  EditUndoSettings(f, [](QDialog* d) { d->findChild<QSpinBox*>()->setValue(7); }, false);
  QCOMPARE(UndoSettings().keep, kDefaultJournalsKept);
  f.shell.folderChoices.push_back(folder);
  EditUndoSettings(
      f,
      [](QDialog* d) {
        for (QPushButton* b : d->findChildren<QPushButton*>()) {
          if (b->text() == QStringLiteral("参照...")) b->click();
        }
        d->findChild<QSpinBox*>()->setValue(2);
        for (QCheckBox* c : d->findChildren<QCheckBox*>()) {
          if (c->text().contains(QStringLiteral("読み返し"))) c->setChecked(false);
        }
      },
      true);
  QCOMPARE(Q(UndoSettings().folder), folder);
  QCOMPARE(UndoSettings().keep, 2u);
  QVERIFY(!UndoSettings().readBack);
  QVERIFY(UndoSettings().journal);

  RewrapSilence(f, 0, QStringLiteral("10000000"), QStringLiteral("10000009"));
  QCOMPARE(LastUndoReport().bytesVerified, uint64_t{0});
  RewrapSilence(f, 1, QStringLiteral("10000010"), QStringLiteral("10000019"));
  const QByteArray second = UiFixture::readFile(clip);
  RewrapSilence(f, 2, QStringLiteral("10000020"), QStringLiteral("10000104"));
  // Two journals in the chosen folder, none beside the file.
  const QStringList inFolder = QDir(folder).entryList(QDir::Files, QDir::Name);
  QCOMPARE(inFolder.size(), 2);
  QVERIFY2(inFolder[0].startsWith(QStringLiteral("SET.mxf-")) && inFolder[0].endsWith(QStringLiteral(".velmora-undo")),
           qPrintable(inFolder.join(',')));
  QVERIFY(inFolder[1].endsWith(QStringLiteral(".velmora-undo.1")));
  QVERIFY(!QFileInfo::exists(clip + QStringLiteral(".velmora-undo")));
  f.messages.answer({MsgAnswer::Yes});
  w.RunCommand(cmd::kUndoRewrap);
  QVERIFY(UiFixture::readFile(clip) == second);
  f.messages.answer({MsgAnswer::Yes});
  w.RunCommand(cmd::kUndoRewrap);
  QVERIFY(!f.commandEnabled(cmd::kUndoRewrap));  // the first rewrap's journal was dropped

  // Journal off: a rewrap leaves nothing to undo.
  EditUndoSettings(
      f,
      [](QDialog* d) {
        for (QCheckBox* c : d->findChildren<QCheckBox*>()) {
          if (c->text().contains(QStringLiteral("ジャーナル"))) c->setChecked(false);
        }
      },
      true);
  QVERIFY(!UndoSettings().journal);
  RewrapSilence(f, 3, QStringLiteral("10000105"), QStringLiteral("10000114"));
  QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
  QVERIFY(!f.commandEnabled(cmd::kUndoRewrap));
}

void UndoTest::journalWithoutRoomOffersToGoOnWithoutIt() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("ROOM.mxf"), Clip());
  const QByteArray original = UiFixture::readFile(clip);
  MainWindow& w = f.open();
  f.loadByCommand(clip);
  f.state().plan.trackSwitch[1] = TRACK_ON;
  f.enterRange(QStringLiteral("10000010"), QStringLiteral("10000019"));
  f.shell.freeBytes = 1000;
  const uint64_t needed = UndoJournalBytes(f.state().plan, f.state().mxf.base);
  QVERIFY(needed > 1000);

  // No: nothing starts, not even the backup question.
  f.messages.clear();
  w.RunCommand(cmd::kRewrap);
  QCOMPARE(f.messages.shown.size(), size_t{1});
  const ShownMessage& question = f.messages.shown[0];
  QCOMPARE(question.buttons, MsgButtons::YesNo);
  QCOMPARE(question.icon, MsgIcon::Warning);
  QVERIFY2(question.text.contains(Q(UndoByteText(needed))) && question.text.contains(Q(UndoByteText(1000))),
           qPrintable(question.text));
  QVERIFY(question.text.endsWith(QStringLiteral("ジャーナルなしでラッピングしますか？")));
  QVERIFY(UiFixture::readFile(clip) == original);

  // Yes, then Yes to the backup question: rewrapped without a journal, and
  // the setting stays on for the next job.
  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes, MsgAnswer::Yes});
  w.RunCommand(cmd::kRewrap);
  QVERIFY2(f.messages.shown.size() >= 3, qPrintable(f.messages.summary()));
  QVERIFY(f.messages.shown[1].text.startsWith(QStringLiteral("MXFファイルのバックアップは済んでいますか？")));
  QVERIFY(UiFixture::readFile(clip) != original);
  QVERIFY(!QFileInfo::exists(NewestJournal(clip)));
  QVERIFY(UndoSettings().journal);
  QVERIFY(!f.commandEnabled(cmd::kUndoRewrap));

  // With room again the journal is written.
  f.shell.freeBytes = -1;
  f.messages.clear();
  f.messages.answer({MsgAnswer::Yes});
  w.RunCommand(cmd::kRewrap);
  QVERIFY(QFileInfo::exists(NewestJournal(clip)));
}

VELMORA_UI_TEST_MAIN(UndoTest)
#include "undo_test.moc"
