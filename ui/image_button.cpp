#include "ui/image_button.h"

#include <QPainter>

ImageButton::ImageButton(int controlId, QSize size, Painter painter, QWidget* parent)
    : QAbstractButton(parent), controlId_(controlId), size_(size), painter_(std::move(painter)) {
  setFixedSize(size_);
  setFocusPolicy(Qt::TabFocus);
  setObjectName(QStringLiteral("button%1").arg(controlId));
}

ArtState ImageButton::artState() const {
  if (!isEnabled()) return ArtState::Disabled;
  return isDown() ? ArtState::Pressed : ArtState::Normal;
}

void ImageButton::paintEvent(QPaintEvent*) {
  const qreal dpr = devicePixelRatioF();
  if (dpr != cachedDpr_) {
    for (QImage& image : cache_) image = QImage();
    cachedDpr_ = dpr;
  }
  const int index = static_cast<int>(artState());
  if (cache_[index].isNull()) cache_[index] = painter_(artState(), dpr);
  QPainter p(this);
  p.drawImage(QPointF(0, 0), cache_[index]);
  if (hasFocus()) {
    QPen pen(QColor(0xe2, 0xf4, 0xf1, 160), 1, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), 6, 6);
  }
}
