#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/dialog_units.h"
#include "ui/qt_text.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

namespace {

// The labels are names of the rows, not their durations.
const char* const kBufferLabels[kWavBufferRows] = {"1",  "2",  "3",  "4",  "8",  "10", "12",
                                                   "14", "16", "18", "20", "22", "24", "28"};

const char16_t kCaption[] = u"設定";
const char16_t kGroup[] = u"ファイル処理";
const char16_t kFileIo[] = u"標準ファイルI/O APIで処理する";
const char16_t kBufferLabel[] = u"WAVファイルのバッファ";
const char16_t kNote[] =
    u"MXFファイルロードやラッピング・WAV書出し時にエラーが起こる場合に、\nチェックを入れて下さい。\n"
    u"メモリが4GBを下まわるPCの場合は4以下をお試しください。";

}  // namespace

QString SettingsDialog::BufferLabel(int row) {
  return row >= 0 && row < kWavBufferRows ? QString::fromLatin1(kBufferLabels[row]) : QString();
}

SettingsDialog::SettingsDialog(uint8_t ioMethod, uint32_t wavBufferIndex, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dialog222"));
  setWindowTitle(Q(kCaption));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const QFont font = theme::UiFont(9);
  setFont(font);
  const DialogUnits du(font);
  initialIndex_ = wavBufferIndex < kWavBufferRows ? wavBufferIndex : 0;

  auto* group = new QGroupBox(Q(kGroup), this);
  fileIo_ = new QCheckBox(Q(kFileIo), group);
  fileIo_->setObjectName(QStringLiteral("control1018"));
  fileIo_->setChecked(ioMethod == 1);
  auto* bufferLabel = new QLabel(Q(kBufferLabel), group);
  buffer_ = new QComboBox(group);
  buffer_->setObjectName(QStringLiteral("control1026"));
  buffer_->setEditable(true);
  buffer_->setInsertPolicy(QComboBox::NoInsert);
  for (int row = 0; row < kWavBufferRows; ++row) buffer_->addItem(BufferLabel(row));
  buffer_->setCurrentIndex(static_cast<int>(initialIndex_));
  auto* note = new QLabel(Q(kNote), group);
  note->setTextFormat(Qt::PlainText);
  note->setWordWrap(false);

  auto* ok = new QPushButton(Q(txt::kOk), this);
  ok->setObjectName(QStringLiteral("control1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(Q(txt::kCancel), this);
  cancel->setObjectName(QStringLiteral("control2"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Template geometry in dialog units; the note's lines set the width.
  const int noteWidth = QFontMetrics(font).boundingRect(QRect(0, 0, 2000, 400), 0, Q(kNote)).width();
  const int inner = std::max(du.x(250), noteWidth + du.x(16));
  group->setGeometry(du.x(7), du.y(7), inner, du.y(104));
  fileIo_->setGeometry(du.x(8), du.y(14), inner - du.x(16), du.y(12));
  bufferLabel->setGeometry(du.x(8), du.y(32), du.x(90), du.y(12));
  buffer_->setGeometry(du.x(100), du.y(30), du.x(50), du.y(14));
  note->setGeometry(du.x(8), du.y(52), inner - du.x(16), du.y(44));
  const int width = inner + du.x(14);
  ok->setGeometry(width - du.x(7 + 50 + 4 + 50), du.y(117), du.x(50), du.y(14));
  cancel->setGeometry(width - du.x(7 + 50), du.y(117), du.x(50), du.y(14));
  setFixedSize(width, du.y(138));
  fileIo_->setFocus();
}

uint8_t SettingsDialog::ioMethod() const { return fileIo_->isChecked() ? 1 : 0; }

uint32_t SettingsDialog::wavBufferIndex() const {
  // The list is editable: typed text selects the row it names, if any.
  const int row = buffer_->findText(buffer_->currentText(), Qt::MatchExactly);
  return row >= 0 ? static_cast<uint32_t>(row) : initialIndex_;
}

bool SettingsDialog::Edit(QWidget* parent, uint8_t* ioMethod, uint32_t* wavBufferIndex) {
  SettingsDialog dialog(*ioMethod, *wavBufferIndex, parent);
  if (parent != nullptr) {
    const QPoint centre = parent->mapToGlobal(parent->rect().center());
    dialog.move(centre.x() - dialog.width() / 2, centre.y() - dialog.height() / 2);
  }
  if (dialog.exec() != QDialog::Accepted) return false;
  *wavBufferIndex = dialog.wavBufferIndex();
  *ioMethod = dialog.ioMethod();
  return true;
}
