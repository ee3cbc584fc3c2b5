// The lower half of the main window in the track view. Without a file it
// shows the application's title; with a file, one 52-pixel row per audio
// track with the track's switch image and what a rewrap does to it.
//
// The panel is drawn into an off-screen image and copied from there. A
// change marks the bands it affects in APP_CONTEXT::redrawMask (one bit per
// drawn row, one for the scroll arrows, one for everything); the next paint
// redraws only those bands.
//
// Rows: as many whole rows as the height holds; when they do not show every
// track and a remainder is left, one more, partly visible row, below the
// whole rows or, once the last track is shown in full, above them.
// firstVisibleTrack is the first whole row.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

struct APP_CONTEXT;
struct AUDIOTRACK_IO_INFO;
class QLabel;

class TrackArea : public QWidget {
  Q_OBJECT
 public:
  TrackArea(APP_CONTEXT* ctx, const AUDIOTRACK_IO_INFO* plan, QWidget* parent = nullptr);

  static constexpr int kRowHeight = 52;
  // Whole rows that fit the area's height.
  int wholeRows() const { return height() / kRowHeight; }
  // True while the area shows the title (no track to show).
  bool showsTitle() const;

  // Recomputes the rows for the current height and firstVisibleTrack
  // (keepCurrent: moved first so that currentTrack is shown in full), the
  // partial row and the arrows; redraws everything when they changed.
  void Relayout(bool keepCurrent);
  // Hidden height of the partly visible row (0: none), and whether it is
  // above the whole rows.
  int partialRowHidden() const { return partialHidden_; }
  bool partialRowAtTop() const { return partialAtTop_; }

  // Bands of redrawMask.
  static constexpr uint32_t kArrowBand = 1u << 30;
  static constexpr uint32_t kAllBands = 1u << 31;
  static constexpr uint32_t kEverySlot = (1u << 24) - 1;
  // Marks the rows of these slots (bit s: slot s) for the next paint.
  void RedrawSlots(uint32_t slotBits);
  void RedrawAll();
  // The off-screen image, the bands its last update drew and how many rows
  // have been drawn into it so far.
  const QImage& image() const { return image_; }
  uint32_t lastBands() const { return lastBands_; }
  int rowsDrawn() const { return rowsDrawn_; }

  // The x range of the switch images.
  static constexpr int kSwitchLeft = 6;
  static constexpr int kSwitchRight = 58;
  // The row tooltip: shown after the pointer has rested on a row for a
  // second, kept for 30 seconds or until the pointer leaves the row.
  static constexpr int kHoverMs = 1000;
  static constexpr int kTooltipMs = 30000;
  QString TooltipText(int slot) const;
  QLabel* rowTooltip() const { return tip_; }
  QTimer* tooltipKeepTimer() { return &keepTimer_; }
  // The slot under a point of the area; -1 when none.
  int SlotAt(const QPoint& pos) const;
  // The top of drawn row `row` (negative for a partial row above).
  int RowTop(int row) const;
  // The scroll arrows at the top and bottom of the right edge.
  QRect upArrowRect() const { return QRect(width() - kRowHeight - 4, 2, kRowHeight, kRowHeight); }
  QRect downArrowRect() const { return QRect(width() - kRowHeight - 4, height() - kRowHeight - 2, kRowHeight, kRowHeight); }

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
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int FirstDrawnSlot() const;
  int DrawnRows() const;
  QRect BandRect(int row) const;
  void DrawBands(uint32_t bands);
  void PaintTitle(QPainter& p);
  void PaintRow(QPainter& p, int row);
  void PaintArrow(QPainter& p, const QRect& r, bool up);
  void ShowTooltip();
  void HideTooltip();

  const QImage& SwitchImage(int slot, int state);

  APP_CONTEXT* ctx_;
  const AUDIOTRACK_IO_INFO* plan_;
  int pressedArrow_ = 0;  // -1 up, +1 down, 0 none
  int partialHidden_ = 0;
  bool partialAtTop_ = false;
  QImage image_;
  uint32_t lastBands_ = 0;
  int rowsDrawn_ = 0;
  QTimer hoverTimer_;
  QTimer keepTimer_;
  QLabel* tip_ = nullptr;
  int tipSlot_ = -1;
  QPoint hoverPos_;
  qreal cachedDpr_ = 0;
  QImage images_[24][3];
};
