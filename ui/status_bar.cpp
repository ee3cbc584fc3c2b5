#include "ui/status_bar.h"

#include <QLabel>
#include <QPainter>

#include "ui/theme.h"

PartStatusBar::PartStatusBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("statusBar5013"));
  for (QLabel*& label : parts_) {
    label = new QLabel(this);
    label->setFont(theme::UiFont(9));
    label->setTextFormat(Qt::PlainText);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, theme::kValue);
    label->setPalette(pal);
  }
  setFixedHeight(sizeHint().height());
  place();
}

QSize PartStatusBar::sizeHint() const {
  return QSize(800, QFontMetrics(theme::UiFont(9)).height() + 8);
}

void PartStatusBar::setPartText(int part, const QString& text) {
  if (part >= 0 && part < 3) parts_[part]->setText(text);
}

QString PartStatusBar::partText(int part) const {
  return part >= 0 && part < 3 ? parts_[part]->text() : QString();
}

void PartStatusBar::setPartEnds(int end0, int end1, int end2) {
  ends_[0] = end0;
  ends_[1] = end1;
  ends_[2] = end2;
  place();
  update();
}

void PartStatusBar::updateForWidth(int width) {
  setPartEnds(width / 2, width * 3 / 4, width * 5 / 4);
}

void PartStatusBar::place() {
  int left = 0;
  for (int i = 0; i < 3; ++i) {
    const int right = std::max(left, ends_[i]);
    parts_[i]->setGeometry(left + 6, 0, std::max(0, right - left - 10), height());
    left = right;
  }
}

void PartStatusBar::resizeEvent(QResizeEvent*) { place(); }

void PartStatusBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), theme::kStatus);
  p.setPen(theme::kPanelEdge);
  p.drawLine(0, 0, width(), 0);
  for (int i = 0; i < 2; ++i) p.drawLine(ends_[i], 3, ends_[i], height() - 4);
}
