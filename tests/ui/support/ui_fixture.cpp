#include "tests/ui/support/ui_fixture.h"

#include <QStringDecoder>

#include <QAction>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <cmath>
#include <numbers>

#include "ui/app_main.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/job_notifier.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"

UiFixture::UiFixture() = default;

UiFixture::~UiFixture() { close(); }

std::u16string UiFixture::placementRoot() const {
#ifdef Q_OS_WIN
  // The registry has no scratch folders: a key of this fixture's own.
  return u"software\\VelmoraTests\\" + U16(QFileInfo(dir_.path()).fileName());
#else
  return U16(dir_.filePath(QStringLiteral("config")));
#endif
}

MainWindow& UiFixture::open(const JOB_ENGINES* engines) {
  close();
  APP_SERVICES services;
  services.messages = &messages;
  services.shell = &shell;
  services.engines = engines != nullptr ? engines : &ApplicationJobEngines();
  services.placementRoot = placementRoot();
  services.desktopPath = U16(dir_.path());
  window_ = std::make_unique<MainWindow>(services);
  window_->show();
  settle();
  return *window_;
}

void UiFixture::close() {
  if (!window_) return;
  window_->close();
  window_.reset();
}

QString UiFixture::writeMxf(const QString& name, const mxfgen::Options& options, mxfgen::Layout* layout) {
  const QString file = dir_.filePath(name);
  std::string error;
  if (!mxfgen::WriteMxf(file.toStdString(), options, layout, &error)) {
    qWarning("mxfgen: %s", error.c_str());
    return {};
  }
  return file;
}

QString UiFixture::writeWav(const QString& name, int channels, int bits, int sampleRate, int frames, int toneHz) {
  const QString file = dir_.filePath(name);
  const int blockAlign = channels * bits / 8;
  const quint32 dataSize = static_cast<quint32>(frames * blockAlign);
  QByteArray bytes;
  auto u32 = [&bytes](quint32 v) {
    for (int i = 0; i < 4; ++i) bytes.append(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&bytes](quint16 v) {
    bytes.append(static_cast<char>(v & 0xFF));
    bytes.append(static_cast<char>(v >> 8));
  };
  bytes.append("RIFF");
  u32(36 + dataSize);
  bytes.append("WAVEfmt ");
  u32(16);
  u16(1);
  u16(static_cast<quint16>(channels));
  u32(static_cast<quint32>(sampleRate));
  u32(static_cast<quint32>(sampleRate * blockAlign));
  u16(static_cast<quint16>(blockAlign));
  u16(static_cast<quint16>(bits));
  bytes.append("data");
  u32(dataSize);
  const double amplitude = 0.1 * std::ldexp(1.0, bits - 1);  // -20 dBFS
  for (int i = 0; i < frames; ++i) {
    const double x = toneHz == 0 ? 0 : amplitude * std::sin(2 * std::numbers::pi * toneHz * i / sampleRate);
    const auto sample = static_cast<quint32>(static_cast<qint32>(std::lround(x)));
    for (int c = 0; c < channels; ++c) {
      for (int b = 0; b < bits / 8; ++b) bytes.append(static_cast<char>((sample >> (8 * b)) & 0xFF));
    }
  }
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return {};
  return file;
}

QByteArray UiFixture::readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

QString UiFixture::readLog(const QString& path) {
  QStringDecoder decode(QStringDecoder::System);
  return decode(readFile(path));
}

void UiFixture::loadByCommand(const QString& file) {
  shell.mxfChoices.push_back(file);
  window_->RunCommand(32843);
  // The command path wakes only the menu thread; the status bar keeps what
  // the analysis wrote there.
  settle(false);
}

bool UiFixture::drop(const QStringList& paths) {
  auto* mime = new QMimeData;
  QList<QUrl> urls;
  for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
  mime->setUrls(urls);
  QSignalSpy handled(window_.get(), &MainWindow::dropHandled);
  const QPoint at = window_->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window_.get(), &enter);
  QDropEvent dropEvent(QPointF(at), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window_.get(), &dropEvent);
  const bool ok = handled.count() > 0 || handled.wait(10000);
  delete mime;
  settle();
  return ok;
}

void UiFixture::settle(bool wakeList) { SettleBackgroundThreads(*window_, wakeList); }

bool UiFixture::commandEnabled(int id) {
  QAction* a = window_->commands().action(id);
  return a != nullptr && a->isEnabled();
}

void UiFixture::enterRange(const QString& inDigits, const QString& outDigits) {
  window_->RunCommand(cmd::kSetIn);
  for (QLineEdit* edit : {window_->rangeBlock()->inEdit(), window_->rangeBlock()->outEdit()}) {
    QVERIFY(edit->isVisible());
    edit->setText(edit == window_->rangeBlock()->inEdit() ? inDigits : outDigits);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  settle();
}

QAction* UiFixture::openUndoMenu() {
  QAction* undo = window_->commands().action(cmd::kUndoRewrap);
  for (QMenu* menu : window_->menuBar()->findChildren<QMenu*>()) {
    if (menu->actions().contains(undo)) emit menu->aboutToShow();
  }
  return undo;
}
