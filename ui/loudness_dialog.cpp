#include "ui/loudness_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "rewrap/progress_texts.h"
#include "ui/qt_text.h"

namespace {

int g_targetChoice = 0;  // main thread only

const LOUDNESS_TARGET& Target(int choice) { return choice == 1 ? kTargetR128 : kTargetTrB32; }

QString RowName(const LOUDNESS_PROGRAMME& p) {
  return p.stereo() ? QStringLiteral("トラック %1-%2 (ステレオ)").arg(p.left + 1).arg(p.right + 1)
                    : QStringLiteral("トラック %1").arg(p.left + 1);
}

enum Column { kName, kIntegrated, kRange, kMomentary, kShortTerm, kTruePeak, kVerdict, kColumns };

}  // namespace

int LoudnessDialog::targetChoice() { return g_targetChoice; }

LoudnessDialog::LoudnessDialog(const LOUDNESS_DIALOG_DEPS& deps, QWidget* parent) : QDialog(parent), deps_(deps) {
  setWindowTitle(QStringLiteral("ラウドネス測定"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("範囲: ") + Q(deps_.rangeText), this));
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  layout->addWidget(bar_);
  note_ = new QLabel(QStringLiteral("測定中..."), this);
  layout->addWidget(note_);

  auto* targetRow = new QHBoxLayout;
  targetRow->addWidget(new QLabel(QStringLiteral("基準:"), this));
  target_ = new QComboBox(this);
  target_->addItem(QStringLiteral("ARIB TR-B32 (-24 LKFS ±1, -1 dBTP)"));
  target_->addItem(QStringLiteral("EBU R128 (-23 LUFS ±0.5, -1 dBTP)"));
  target_->setCurrentIndex(g_targetChoice);
  targetRow->addWidget(target_, 1);
  layout->addLayout(targetRow);
  connect(target_, &QComboBox::currentIndexChanged, this, [this](int i) {
    g_targetChoice = i;
    Colour();
  });

  table_ = new QTableWidget(0, kColumns, this);
  table_->setHorizontalHeaderLabels({QStringLiteral("トラック"), QStringLiteral("統合 LKFS"), QStringLiteral("LRA LU"),
                                     QStringLiteral("最大M LKFS"), QStringLiteral("最大S LKFS"),
                                     QStringLiteral("TP dBTP"), QStringLiteral("判定")});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(table_, 1);

  close_ = new QPushButton(QStringLiteral("中止"), this);
  layout->addWidget(close_, 0, Qt::AlignRight);
  connect(close_, &QPushButton::clicked, this, &LoudnessDialog::reject);
  resize(640, 360);

  worker_ = std::thread([this] {
    status_ = MeasureMxfLoudness(deps_.mxfPath, *deps_.base, deps_.first, deps_.count, deps_.programmes, &progress_,
                                 &results_);
    done_ = true;
  });
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &LoudnessDialog::Tick);
  timer_->start(200);
}

LoudnessDialog::~LoudnessDialog() { Stop(); }

void LoudnessDialog::Stop() {
  progress_.cancelRequest = 1;
  if (worker_.joinable()) worker_.join();
}

void LoudnessDialog::reject() {
  Stop();
  QDialog::reject();
}

void LoudnessDialog::Tick() {
  bar_->setValue(ProgressPercent(progress_.currentFrame, progress_.frameCount));
  if (!done_) return;
  timer_->stop();
  if (worker_.joinable()) worker_.join();
  close_->setText(QStringLiteral("閉じる"));
  if (status_ != LOUDNESS_OK) {
    note_->setText(Q(LoudnessStatusText(status_)));
    return;
  }
  bar_->setValue(100);
  note_->setText(QStringLiteral("測定が完了しました。"));
  ShowResults();
}

void LoudnessDialog::ShowResults() {
  table_->setRowCount(static_cast<int>(results_.size()));
  for (size_t i = 0; i < results_.size(); ++i) {
    const LOUDNESS_RESULT& r = results_[i];
    const int row = static_cast<int>(i);
    const QString cells[kColumns] = {RowName(deps_.programmes[i]),
                                     QString::fromStdString(LoudnessText(r.integrated)),
                                     QString::fromStdString(LoudnessText(r.range)),
                                     QString::fromStdString(LoudnessText(r.maxMomentary)),
                                     QString::fromStdString(LoudnessText(r.maxShortTerm)),
                                     QString::fromStdString(TruePeakText(r.truePeak)),
                                     QString()};
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c != kName) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(row, c, item);
    }
  }
  Colour();
}

void LoudnessDialog::Colour() {
  if (!done_ || status_ != LOUDNESS_OK) return;
  const LOUDNESS_TARGET& t = Target(g_targetChoice);
  const QColor pass(0xD8, 0xF0, 0xD8);
  const QColor fail(0xF8, 0xD0, 0xD0);
  for (size_t i = 0; i < results_.size() && static_cast<int>(i) < table_->rowCount(); ++i) {
    const int row = static_cast<int>(i);
    const LOUDNESS_RESULT& r = results_[i];
    const bool integrated = IntegratedPasses(r, t);
    const bool peak = TruePeakPasses(r, t);
    table_->item(row, kIntegrated)->setBackground(integrated ? pass : fail);
    table_->item(row, kTruePeak)->setBackground(peak ? pass : fail);
    table_->item(row, kVerdict)->setText(integrated && peak ? QStringLiteral("合格") : QStringLiteral("不合格"));
    table_->item(row, kVerdict)->setBackground(integrated && peak ? pass : fail);
  }
}
