// A button drawn from three images (normal, pressed, disabled). A double
// click counts as two clicks, so rapid clicks are never lost.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <functional>

#include "ui/artwork.h"

class ImageButton : public QAbstractButton {
  Q_OBJECT
 public:
  using Painter = std::function<QImage(ArtState state, qreal dpr)>;
  ImageButton(int controlId, QSize size, Painter painter, QWidget* parent = nullptr);

  int controlId() const { return controlId_; }
  QSize sizeHint() const override { return size_; }
  // The state the button is drawn in right now.
  ArtState artState() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int controlId_;
  QSize size_;
  Painter painter_;
  qreal cachedDpr_ = 0;
  QImage cache_[3];
};
