// The main window's status bar: three parts whose right edges sit at fixed
// pixel positions (450, 620, 800 at creation; after every resize at one half,
// three quarters and five quarters of the window's width, so the last part
// runs past the right edge).
#pragma once

#include <QString>
#include <QWidget>

class QLabel;

class PartStatusBar : public QWidget {
  Q_OBJECT
 public:
  explicit PartStatusBar(QWidget* parent = nullptr);

  void setPartText(int part, const QString& text);
  QString partText(int part) const;
  // Right edge of each part, in pixels from the left.
  int partEnd(int part) const { return ends_[part]; }
  // Moves the edges for a window of this width.
  void updateForWidth(int width);
  void setPartEnds(int end0, int end1, int end2);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void place();
  QLabel* parts_[3];
  int ends_[3] = {450, 620, 800};
};
