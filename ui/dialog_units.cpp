#include "ui/dialog_units.h"

#include <QFontMetricsF>
#include <cmath>

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetricsF fm(font);
  // The average width of the Latin letters, as the dialog manager measures it.
  baseX_ = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
  baseY_ = fm.height();
}

int DialogUnits::x(int units) const { return static_cast<int>(std::lround(units * baseX_ / 4.0)); }
int DialogUnits::y(int units) const { return static_cast<int>(std::lround(units * baseY_ / 8.0)); }

QRect DialogUnits::rect(int ux, int uy, int uw, int uh) const { return QRect(x(ux), y(uy), x(uw), y(uh)); }

QSize DialogUnits::size(int uw, int uh) const { return QSize(x(uw), y(uh)); }
