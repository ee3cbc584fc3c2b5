// Dialog units: positions in dialog templates are given in units of a
// quarter of the dialog font's average character width and an eighth of its
// height.
#pragma once

#include <QFont>
#include <QRect>

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  int x(int units) const;
  int y(int units) const;
  QRect rect(int x, int y, int w, int h) const;
  QSize size(int w, int h) const;

 private:
  qreal baseX_;
  qreal baseY_;
};
