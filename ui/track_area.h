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

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int SlotAt(const QPoint& pos) const;
  void PaintTitle(QPainter& p);
  void PaintRows(QPainter& p);

  const QImage& SwitchImage(int slot, int state);

  const APP_CONTEXT* ctx_;
  const AUDIOTRACK_IO_INFO* plan_;
  qreal cachedDpr_ = 0;
  QImage images_[24][3];
};

// The library page that takes the track area's place in the library view.
class LibraryPage : public QWidget {
  Q_OBJECT
 public:
  explicit LibraryPage(const APP_CONTEXT* ctx, QWidget* parent = nullptr);

 signals:
  void escapePressed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const APP_CONTEXT* ctx_;
};
