#include "ui/theme.h"

#include <QApplication>
#include <QPalette>
#include <QProxyStyle>
#include <QStringList>
#include <QStyleFactory>

namespace theme {

namespace {

QFont Make(const QStringList& families, qreal points, int weight) {
  QFont font;
  font.setFamilies(families);
  font.setPointSizeF(points);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// Fusion with disabled text drawn flat: its etched (shadowed) disabled
// text reads as blurred double text on the dark theme.
class FlatDisabledTextStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_EtchDisabledText || hint == SH_DitherDisabledText) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

QFont UiFont(qreal points, int weight) {
  return Make({QStringLiteral("Meiryo UI"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP")},
              points, weight);
}

QFont PanelFont(qreal points, int weight) {
  return Make({QStringLiteral("Meiryo"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP")},
              points, weight);
}

QFont MonoFont(qreal points, int weight) {
  QFont font = Make({QStringLiteral("Consolas"), QStringLiteral("DejaVu Sans Mono"),
                     QStringLiteral("Noto Sans Mono CJK JP")},
                    points, weight);
  font.setStyleHint(QFont::Monospace);
  return font;
}

void ApplyApplicationLook() {
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(new FlatDisabledTextStyle(fusion));
  }
  QPalette p;
  p.setColor(QPalette::Window, kPanel);
  p.setColor(QPalette::WindowText, kValue);
  p.setColor(QPalette::Base, kDisplay);
  p.setColor(QPalette::AlternateBase, kPanel);
  p.setColor(QPalette::Text, kValue);
  p.setColor(QPalette::Button, QColor(0x1a, 0x4a, 0x4f));
  p.setColor(QPalette::ButtonText, kValue);
  p.setColor(QPalette::Highlight, kAccentDark);
  p.setColor(QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
  p.setColor(QPalette::ToolTipBase, QColor(0x12, 0x3c, 0x41));
  p.setColor(QPalette::ToolTipText, kValue);
  p.setColor(QPalette::PlaceholderText, kDim);
  p.setColor(QPalette::Link, kAccent);
  p.setColor(QPalette::Disabled, QPalette::WindowText, kDim);
  p.setColor(QPalette::Disabled, QPalette::Text, kDim);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, kDim);
  p.setColor(QPalette::Disabled, QPalette::Light, kPanel);
  QApplication::setPalette(p);
}

}  // namespace theme
