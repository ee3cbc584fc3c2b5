// The lower half of the main window in the track view. Without a file it
// shows the application's title; with a file, one 52-pixel row per audio
// track with the track's switch image and what a rewrap does to it.
#pragma once

#include <QImage>
#include <QWidget>

struct APP_CONTEXT;
struct AUDIOTRACK_IO_INFO;

class TrackArea : public QWidget {
  Q_OBJECT
 public:
  TrackArea(const APP_CONTEXT* ctx, const AUDIOTRACK_IO_INFO* plan, QWidget* parent = nullptr);

  static constexpr int kRowHeight = 52;
  // Whole rows that fit the area's height.
  int wholeRows() const { return height() / kRowHeight; }
  // True while the area shows the title (no track to show).
  bool showsTitle() const;

 signals:
  void contextMenuAt(const QPoint& globalPos);
  void rowDoubleClicked(int slot);
  // A left click on a slot's switch image.
  void switchClicked(int slot);
  // A left click elsewhere on a slot's row, with the modifier keys held.
  void rowClicked(int slot, Qt::KeyboardModifiers modifiers);
  // The wheel: +1 one row down (towards the user), -1 one row up.
  void wheelRows(int rows);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;

 public:
  // The x range of the switch images.
  static constexpr int kSwitchLeft = 6;
  static constexpr int kSwitchRight = 58;
  // The hover text of a slot.
  QString TooltipText(int slot) const;
  int SlotAt(const QPoint& pos) const;
  static constexpr int kTooltipMs = 30000;
  // The scroll arrows at the top and bottom of the right edge.
  QRect upArrowRect() const { return QRect(width() - kRowHeight - 4, 2, kRowHeight, kRowHeight); }
  QRect downArrowRect() const { return QRect(width() - kRowHeight - 4, height() - kRowHeight - 2, kRowHeight, kRowHeight); }

 private:
  void PaintTitle(QPainter& p);
  void PaintRows(QPainter& p);
  void PaintArrow(QPainter& p, const QRect& r, bool up);
  int pressedArrow_ = 0;  // -1 up, +1 down, 0 none

  const QImage& SwitchImage(int slot, int state);

  const APP_CONTEXT* ctx_;
  const AUDIOTRACK_IO_INFO* plan_;
  qreal cachedDpr_ = 0;
  QImage images_[24][3];
};
