#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "engine/buffer_lengths.h"
#include "engine/text_format.h"
#include "resources/string_table.h"
#include "ui/dialog_units.h"
#include "ui/log_files.h"
#include "ui/qt_text.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

namespace {

// The labels are names of the rows, not their durations.
const char* const kBufferLabels[kWavBufferRows] = {"1",  "2",  "3",  "4",  "8",  "10", "12",
                                                   "14", "16", "18", "20", "22", "24", "28"};

}  // namespace

QString SettingsDialog::BufferLabel(int row) {
  return row >= 0 && row < static_cast<int>(kWavBufferRows) ? QString::fromLatin1(kBufferLabels[row]) : QString();
}

// The buffer rows set how much audio the file I/O engines read at a time,
// but every read is bounded (kWavReadBufferLimit, kExportReadBufferLimit):
// the note says so rather than promising a memory saving.
QString SettingsDialog::NoteText() {
  return Q(LoadString(kStrSettingsNoteFileIo) + u"\n" +
           FormatText(LoadString(kStrSettingsNoteBuffer), {static_cast<int64_t>(kWavReadBufferLimit >> 20),
                                                           static_cast<int64_t>(kExportReadBufferLimit >> 20)}));
}

SettingsDialog::SettingsDialog(uint8_t ioMethod, uint32_t wavBufferIndex, uint8_t logEncoding,
                               uint8_t measureLoudness, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("dialog222"));
  setWindowTitle(Q(LoadString(kStrSettingsTitle)));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const QFont font = theme::UiFont(9);
  setFont(font);
  const DialogUnits du(font);
  initialIndex_ = wavBufferIndex < kWavBufferRows ? wavBufferIndex : 0;

  auto* group = new QGroupBox(Q(LoadString(kStrSettingsGroup)), this);
  fileIo_ = new QCheckBox(Q(LoadString(kStrSettingsFileIo)), group);
  fileIo_->setObjectName(QStringLiteral("control1018"));
  fileIo_->setChecked(ioMethod == 1);
  auto* bufferLabel = new QLabel(Q(LoadString(kStrSettingsBuffer)), group);
  buffer_ = new QComboBox(group);
  buffer_->setObjectName(QStringLiteral("control1026"));
  buffer_->setEditable(true);
  buffer_->setInsertPolicy(QComboBox::NoInsert);
  for (int row = 0; row < static_cast<int>(kWavBufferRows); ++row) buffer_->addItem(BufferLabel(row));
  buffer_->setCurrentIndex(static_cast<int>(initialIndex_));
  auto* logLabel = new QLabel(Q(LoadString(kStrSettingsLogEncoding)), group);
  logEncoding_ = new QComboBox(group);
  logEncoding_->setObjectName(QStringLiteral("logEncoding"));
  for (int i = 0; i < kLogEncodingCount; ++i) logEncoding_->addItem(Q(LogEncodingLabel(i)));
  logEncoding_->setCurrentIndex(logEncoding < kLogEncodingCount ? int{logEncoding} : int{LOG_ENCODING_LOCALE});
#if VELMORA_HAVE_LOUDNESS
  loudness_ = new QCheckBox(Q(LoadString(kStrSettingsMeasureLoudness)), group);
  loudness_->setObjectName(QStringLiteral("measureLoudness"));
  loudness_->setChecked(measureLoudness != 0);
#else
  (void)measureLoudness;
#endif
  note_ = new QLabel(NoteText(), group);
  note_->setTextFormat(Qt::PlainText);
  note_->setWordWrap(false);

  auto* ok = new QPushButton(Q(txt::kOk), this);
  ok->setObjectName(QStringLiteral("control1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(Q(txt::kCancel), this);
  cancel->setObjectName(QStringLiteral("control2"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Template geometry in dialog units; the note's lines set the width and
  // the height below them.
  const QRect noteBox = QFontMetrics(font).boundingRect(QRect(0, 0, 2000, 800), 0, note_->text());
  const int inner = std::max(du.x(250), noteBox.width() + du.x(16));
  const int loudnessTop = du.y(66);
  const int noteTop = loudness_ != nullptr ? du.y(84) : du.y(68);
  const int groupHeight = noteTop + noteBox.height() + du.y(8);
  group->setGeometry(du.x(7), du.y(7), inner, groupHeight);
  fileIo_->setGeometry(du.x(8), du.y(14), inner - du.x(16), du.y(12));
  bufferLabel->setGeometry(du.x(8), du.y(32), du.x(90), du.y(12));
  buffer_->setGeometry(du.x(100), du.y(30), du.x(50), du.y(14));
  logLabel->setGeometry(du.x(8), du.y(50), du.x(90), du.y(12));
  logEncoding_->setGeometry(du.x(100), du.y(48), du.x(100), du.y(14));
  if (loudness_ != nullptr) loudness_->setGeometry(du.x(8), loudnessTop, inner - du.x(16), du.y(12));
  note_->setGeometry(du.x(8), noteTop, inner - du.x(16), noteBox.height() + du.y(2));
  const int width = inner + du.x(14);
  const int buttonsTop = du.y(7) + groupHeight + du.y(6);
  ok->setGeometry(width - du.x(7 + 50 + 4 + 50), buttonsTop, du.x(50), du.y(14));
  cancel->setGeometry(width - du.x(7 + 50), buttonsTop, du.x(50), du.y(14));
  setFixedSize(width, buttonsTop + du.y(14) + du.y(7));
  fileIo_->setFocus();
}

uint8_t SettingsDialog::ioMethod() const { return fileIo_->isChecked() ? 1 : 0; }

uint32_t SettingsDialog::wavBufferIndex() const {
  // The list is editable: typed text selects the row it names, if any.
  const int row = buffer_->findText(buffer_->currentText(), Qt::MatchExactly);
  return row >= 0 ? static_cast<uint32_t>(row) : initialIndex_;
}

uint8_t SettingsDialog::logEncoding() const {
  const int row = logEncoding_->currentIndex();
  return row >= 0 && row < kLogEncodingCount ? static_cast<uint8_t>(row) : uint8_t{LOG_ENCODING_LOCALE};
}

uint8_t SettingsDialog::measureLoudness() const { return loudness_ != nullptr && loudness_->isChecked() ? 1 : 0; }

bool SettingsDialog::Edit(QWidget* parent, uint8_t* ioMethod, uint32_t* wavBufferIndex, uint8_t* logEncoding,
                          uint8_t* measureLoudness) {
  SettingsDialog dialog(*ioMethod, *wavBufferIndex, *logEncoding, *measureLoudness, parent);
  if (parent != nullptr) {
    const QPoint centre = parent->mapToGlobal(parent->rect().center());
    dialog.move(centre.x() - dialog.width() / 2, centre.y() - dialog.height() / 2);
  }
  if (dialog.exec() != QDialog::Accepted) return false;
  *wavBufferIndex = dialog.wavBufferIndex();
  *ioMethod = dialog.ioMethod();
  *logEncoding = dialog.logEncoding();
  *measureLoudness = dialog.measureLoudness();
  return true;
}
