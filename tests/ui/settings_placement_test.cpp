// The settings dialog and the stored window placement.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/ui/support/test_main.h"
#include "tests/ui/support/ui_fixture.h"
#include "ui/command_ids.h"
#include "ui/qt_text.h"
#include "ui/log_files.h"
#include "ui/settings_dialog.h"
#include "ui/window_placement.h"

namespace {

// Runs `act` on the settings dialog once it is open.
void WithSettingsDialog(std::function<void(SettingsDialog*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(2);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<SettingsDialog*>(w);
      if (d == nullptr || !d->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      act(d);
      return;
    }
  });
  timer->start();
}

void Click(SettingsDialog* d, const char* name) {
  QTest::mouseClick(d->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

// The stored value as it is, whatever its length.
QByteArray ReadValue(const UiFixture& f) {
  std::vector<uint8_t> value;
  if (!PlacementStore(f.placementRoot()).store().ReadValue(PlacementStore::KeyPath(), kPlacementValue, &value)) {
    return QByteArray();
  }
  return QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()));
}

}  // namespace

class SettingsPlacementTest : public QObject {
  Q_OBJECT

 private slots:
  void settingsShowAndApply();
  void settingsCancelAndTypedText();
  void unloadClearsTheIoMethodOnly();
  void placementBytesAreLittleEndian();
  void firstRunKeepsTheDefaultAndStoresOnClose();
  void storedPlacementIsRestored();
  void maximisedWindowStoresItsNormalRectangle();
  void shortStoredValueGivesAUsableWindow();
};

void SettingsPlacementTest::settingsShowAndApply() {
  UiFixture f;
  MainWindow& w = f.open();
  QStringList labels;
  bool checkedAtStart = true;
  QString shownRow;
  bool checkBoxFocused = false;
  QStringList encodings;
  QString shownEncoding;
  QString note;
  bool loudnessAtStart = true;
  bool loudnessAboveNote = false;
  WithSettingsDialog([&](SettingsDialog* d) {
    checkedAtStart = d->fileIoBox()->isChecked();
#if VELMORA_HAVE_LOUDNESS
    loudnessAtStart = d->loudnessBox()->isChecked();
    loudnessAboveNote = d->loudnessBox()->geometry().bottom() < d->noteLabel()->geometry().top() &&
                        d->loudnessBox()->geometry().top() > d->logEncodingBox()->geometry().bottom();
    d->loudnessBox()->setChecked(true);
#else
    loudnessAtStart = false;
    loudnessAboveNote = d->loudnessBox() == nullptr;
#endif
    shownRow = d->bufferBox()->currentText();
    checkBoxFocused = d->focusWidget() == d->fileIoBox();
    for (int i = 0; i < d->bufferBox()->count(); ++i) labels << d->bufferBox()->itemText(i);
    for (int i = 0; i < d->logEncodingBox()->count(); ++i) encodings << d->logEncodingBox()->itemText(i);
    shownEncoding = d->logEncodingBox()->currentText();
    note = d->noteLabel()->text();
    d->fileIoBox()->setChecked(true);
    d->bufferBox()->setCurrentIndex(8);
    d->logEncodingBox()->setCurrentIndex(2);
    Click(d, "control1");
  });
  w.RunCommand(cmd::kSettings);
  QVERIFY(!checkedAtStart);
  // The logs' encoding, as the command-line tool's --log-encoding offers.
  QCOMPARE(encodings, (QStringList{"システムのロケール", "UTF-8", "Shift_JIS (CP932)"}));
  QCOMPARE(shownEncoding, QStringLiteral("システムのロケール"));
  QCOMPARE(int{f.state().ctx.logEncoding}, int{LOG_ENCODING_CP932});
  QCOMPARE(LogEncodingName(f.state().ctx.logEncoding), std::string("CP932"));
  QCOMPARE(LogEncodingName(LOG_ENCODING_UTF8), std::string("UTF-8"));
  // The note says what the buffer rows change (reads are bounded, so rows
  // above a minute mostly behave alike) instead of promising a saving.
  QVERIFY2(!note.contains(QStringLiteral("4以下")), qPrintable(note));
  QVERIFY2(note.contains(QStringLiteral("ラッピングで8MiB")) && note.contains(QStringLiteral("WAV書出しで32MiB")),
           qPrintable(note));
  QVERIFY(note.contains(QStringLiteral("メモリマッピングでは使われません")));
  QCOMPARE(shownRow, QStringLiteral("8"));  // row 4, the default
  QVERIFY(checkBoxFocused);
  QCOMPARE(labels, (QStringList{"1", "2", "3", "4", "8", "10", "12", "14", "16", "18", "20", "22", "24", "28"}));
  QCOMPARE(int{f.state().ctx.ioMethod}, int{IO_FILE});
  QCOMPARE(f.state().plan.wavBufferIndex, 8u);
  // A rewrap measures what it writes only when asked to (a build with a meter).
  QVERIFY(!loudnessAtStart);
  QVERIFY(loudnessAboveNote);
#if VELMORA_HAVE_LOUDNESS
  QCOMPARE(int{f.state().ctx.measureLoudness}, 1);
#else
  QCOMPARE(int{f.state().ctx.measureLoudness}, 0);
#endif

  // Opened again, the dialog shows the new values.
  bool checkedAgain = false;
  bool loudnessAgain = false;
  WithSettingsDialog([&](SettingsDialog* d) {
    checkedAgain = d->fileIoBox()->isChecked();
    loudnessAgain = d->loudnessBox() != nullptr && d->loudnessBox()->isChecked();
    shownRow = d->bufferBox()->currentText();
    shownEncoding = d->logEncodingBox()->currentText();
    Click(d, "control2");
  });
  w.RunCommand(cmd::kSettings);
  QVERIFY(checkedAgain);
  QCOMPARE(loudnessAgain, f.state().ctx.measureLoudness != 0);
  QCOMPARE(shownRow, QStringLiteral("16"));
  QCOMPARE(shownEncoding, QStringLiteral("Shift_JIS (CP932)"));
}

void SettingsPlacementTest::settingsCancelAndTypedText() {
  UiFixture f;
  MainWindow& w = f.open();
  WithSettingsDialog([](SettingsDialog* d) {
    d->fileIoBox()->setChecked(true);
    d->bufferBox()->setCurrentIndex(0);
    if (d->loudnessBox() != nullptr) d->loudnessBox()->setChecked(true);
    Click(d, "control2");
  });
  w.RunCommand(cmd::kSettings);
  QCOMPARE(int{f.state().ctx.ioMethod}, int{IO_MAPPING});
  QCOMPARE(int{f.state().ctx.measureLoudness}, 0);
  QCOMPARE(f.state().plan.wavBufferIndex, 4u);

  // Typed text selects the row it names; text that names none keeps the row.
  WithSettingsDialog([](SettingsDialog* d) {
    d->bufferBox()->lineEdit()->setText(QStringLiteral("20"));
    Click(d, "control1");
  });
  w.RunCommand(cmd::kSettings);
  QCOMPARE(f.state().plan.wavBufferIndex, 10u);
  WithSettingsDialog([](SettingsDialog* d) {
    d->bufferBox()->lineEdit()->setText(QStringLiteral("99"));
    Click(d, "control1");
  });
  w.RunCommand(cmd::kSettings);
  QCOMPARE(f.state().plan.wavBufferIndex, 10u);
}

void SettingsPlacementTest::unloadClearsTheIoMethodOnly() {
  UiFixture f;
  const QString clip = f.writeMxf(QStringLiteral("clip.mxf"));
  MainWindow& w = f.open();
  WithSettingsDialog([](SettingsDialog* d) {
    d->fileIoBox()->setChecked(true);
    d->bufferBox()->setCurrentIndex(12);
    Click(d, "control1");
  });
  w.RunCommand(cmd::kSettings);
  f.loadByCommand(clip);
  // The analysis ran with the chosen method.
  QCOMPARE(int{f.state().mxf.timecode.ioMethod}, int{IO_FILE});
  w.RunCommand(cmd::kUnloadMxf);
  bool checked = true;
  WithSettingsDialog([&](SettingsDialog* d) {
    checked = d->fileIoBox()->isChecked();
    Click(d, "control2");
  });
  w.RunCommand(cmd::kSettings);
  QVERIFY(!checked);
  QCOMPARE(f.state().plan.wavBufferIndex, 12u);
}

void SettingsPlacementTest::placementBytesAreLittleEndian() {
  const auto bytes = EncodePlacement(QRect(-8, 16, 1300, 700));
  const uint8_t expected[16] = {0xF8, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0, 0x14, 0x05, 0, 0, 0xBC, 0x02, 0, 0};
  QVERIFY(std::equal(bytes.begin(), bytes.end(), std::begin(expected)));
  QCOMPARE(DecodePlacement(bytes), QRect(-8, 16, 1300, 700));
}

void SettingsPlacementTest::firstRunKeepsTheDefaultAndStoresOnClose() {
  UiFixture f;
  const PlacementStore store(f.placementRoot());
  QVERIFY(!store.KeyExists());
  MainWindow& w = f.open();
  QVERIFY(store.KeyExists());  // the key is created at start
  QVERIFY(ReadValue(f).isEmpty());
  QCOMPARE(w.size(), QSize(1280, 760));
  w.setGeometry(40, 50, 1290, 640);
  f.close();
  const QByteArray value = ReadValue(f);
  QCOMPARE(value.size(), 16);
  std::array<uint8_t, 16> bytes{};
  std::copy(value.begin(), value.end(), bytes.begin());
  QCOMPARE(DecodePlacement(bytes), QRect(40, 50, 1290, 640));
}

void SettingsPlacementTest::storedPlacementIsRestored() {
  UiFixture f;
  const PlacementStore store(f.placementRoot());
  QCOMPARE(store.OpenKey(), PlacementStore::KeyState::Created);
  QVERIFY(store.WriteValue(EncodePlacement(QRect(120, 90, 1400, 700))));
  MainWindow& w = f.open();
  QCOMPARE(w.geometry(), QRect(120, 90, 1400, 700));
}

void SettingsPlacementTest::maximisedWindowStoresItsNormalRectangle() {
  UiFixture f;
  MainWindow& w = f.open();
  w.setGeometry(60, 70, 1300, 650);
  w.showMaximized();
  QTRY_VERIFY(w.isMaximized());
  // Maximised, the window covers the screen; its normal rectangle is kept.
  // (A bare X display under wine has no window manager to do the covering.)
  if (!QTest::qWaitFor([&] { return w.geometry() != QRect(60, 70, 1300, 650); }, 5000)) {
    QSKIP("the display's window manager does not resize a maximised window");
  }
  f.close();
  const QByteArray value = ReadValue(f);
  QCOMPARE(value.size(), 16);
  std::array<uint8_t, 16> bytes{};
  std::copy(value.begin(), value.end(), bytes.begin());
  QCOMPARE(DecodePlacement(bytes), QRect(60, 70, 1300, 650));

  // The next start opens there, not maximised.
  MainWindow& again = f.open();
  QVERIFY(!again.isMaximized());
  QCOMPARE(again.geometry(), QRect(60, 70, 1300, 650));
}

void SettingsPlacementTest::shortStoredValueGivesAUsableWindow() {
  UiFixture f;
  const PlacementStore store(f.placementRoot());
  store.OpenKey();
  const uint8_t shortValue[7] = {0x10, 0, 0, 0, 0x10, 0, 0};
  QVERIFY(store.store().WriteValue(PlacementStore::KeyPath(), kPlacementValue, shortValue, sizeof shortValue));
  MainWindow& w = f.open();
  QVERIFY(w.width() >= 1280);
  QVERIFY(w.height() >= 631);

  // A stored rectangle below the minimum size is brought up to it.
  f.close();
  QVERIFY(store.WriteValue(EncodePlacement(QRect(10, 10, 300, 200))));
  MainWindow& small = f.open();
  QCOMPARE(small.geometry().topLeft(), QPoint(10, 10));
  QVERIFY(small.width() >= 1280 && small.height() >= 631);
}

VELMORA_UI_TEST_MAIN(SettingsPlacementTest)
#include "settings_placement_test.moc"
