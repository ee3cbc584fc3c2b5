#include "ui/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "ui/theme.h"

namespace {

QImage Canvas(QSize logical, qreal dpr) {
  QImage image(logical * dpr, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  return image;
}

void Begin(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
}

// Colours of a button face in one state.
struct Face {
  QColor top, bottom, edge, glyph, text;
};

Face FaceFor(ArtState state) {
  switch (state) {
    case ArtState::Pressed:
      return {QColor(0x0c, 0x3a, 0x3d), QColor(0x12, 0x55, 0x55), theme::kAccent, QColor(0x7f, 0xff, 0xea),
              QColor(0xd8, 0xff, 0xf8)};
    case ArtState::Disabled:
      return {QColor(0x17, 0x2c, 0x2f), QColor(0x13, 0x24, 0x27), QColor(0x2b, 0x41, 0x43),
              QColor(0x3f, 0x57, 0x58), QColor(0x4d, 0x65, 0x66)};
    case ArtState::Normal: break;
  }
  return {QColor(0x1f, 0x5e, 0x63), QColor(0x11, 0x3b, 0x40), QColor(0x3a, 0xa8, 0x9d), theme::kAccent,
          theme::kValue};
}

void DrawFace(QPainter& p, QRectF r, qreal radius, const Face& f, ArtState state) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, f.top);
  g.setColorAt(1, f.bottom);
  p.setPen(QPen(f.edge, 1.2));
  p.setBrush(g);
  p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), radius, radius);
  if (state == ArtState::Normal) {
    // A soft highlight along the top edge.
    QRectF shine = r.adjusted(3, 2, -3, -r.height() * 0.55);
    QLinearGradient s(shine.topLeft(), shine.bottomLeft());
    s.setColorAt(0, QColor(255, 255, 255, 38));
    s.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(s);
    p.drawRoundedRect(shine, radius - 2, radius - 2);
  } else if (state == ArtState::Pressed) {
    QRectF inner = r.adjusted(2.5, 2.5, -2.5, -2.5);
    p.setPen(QPen(QColor(0, 0, 0, 90), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inner, radius - 2, radius - 2);
  }
}

QPen GlyphPen(const QColor& c, qreal w) {
  QPen pen(c, w);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// A short waveform between x0 and x1 around y.
void Wave(QPainter& p, qreal x0, qreal x1, qreal y, qreal amp, const QColor& c, qreal w) {
  static const qreal kHeights[] = {0.35, 0.7, 1.0, 0.55, 0.85, 0.4, 0.95, 0.6, 0.3};
  const int n = static_cast<int>(std::size(kHeights));
  const qreal step = (x1 - x0) / (n - 1);
  p.setPen(GlyphPen(c, w));
  for (int i = 0; i < n; ++i) {
    const qreal x = x0 + step * i;
    p.drawLine(QPointF(x, y - amp * kHeights[i]), QPointF(x, y + amp * kHeights[i]));
  }
}

void GlyphLoad(QPainter& p, QPointF c, const QColor& col) {
  // A clip (film frame) with an arrow dropping into it.
  p.setPen(GlyphPen(col, 2));
  p.setBrush(Qt::NoBrush);
  QRectF clip(c.x() - 17, c.y() - 4, 34, 18);
  p.drawRoundedRect(clip, 3, 3);
  for (int i = 0; i < 4; ++i) {
    const qreal x = clip.left() + 5 + i * 8;
    p.drawLine(QPointF(x, clip.top() + 3), QPointF(x + 3, clip.top() + 3));
    p.drawLine(QPointF(x, clip.bottom() - 3), QPointF(x + 3, clip.bottom() - 3));
  }
  p.drawLine(QPointF(c.x(), c.y() - 18), QPointF(c.x(), c.y() + 4));
  QPainterPath head;
  head.moveTo(c.x() - 6, c.y() - 2);
  head.lineTo(c.x(), c.y() + 5);
  head.lineTo(c.x() + 6, c.y() - 2);
  p.drawPath(head);
}

void GlyphView(QPainter& p, QPointF c, const QColor& col) {
  // Track rows on the left, a list on the right, arrows between.
  p.setPen(GlyphPen(col, 2));
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) {
    const qreal y = c.y() - 12 + i * 9;
    p.drawRoundedRect(QRectF(c.x() - 24, y, 7, 7), 1.5, 1.5);
    p.drawLine(QPointF(c.x() - 14, y + 3.5), QPointF(c.x() - 7, y + 3.5));
  }
  for (int i = 0; i < 4; ++i) {
    const qreal y = c.y() - 12 + i * 7;
    p.drawLine(QPointF(c.x() + 8, y + 2), QPointF(c.x() + 24, y + 2));
  }
  p.setPen(GlyphPen(col, 1.6));
  p.drawLine(QPointF(c.x() - 3, c.y() - 5), QPointF(c.x() + 4, c.y() - 5));
  p.drawLine(QPointF(c.x() + 1, c.y() - 8), QPointF(c.x() + 4, c.y() - 5));
  p.drawLine(QPointF(c.x() + 4, c.y() + 5), QPointF(c.x() - 3, c.y() + 5));
  p.drawLine(QPointF(c.x(), c.y() + 8), QPointF(c.x() - 3, c.y() + 5));
}

void GlyphRewrap(QPainter& p, QPointF c, const QColor& col) {
  // A waveform inside a circular arrow.
  Wave(p, c.x() - 10, c.x() + 10, c.y(), 8, col, 2);
  p.setPen(GlyphPen(col, 2));
  p.setBrush(Qt::NoBrush);
  QRectF ring(c.x() - 19, c.y() - 17, 38, 34);
  p.drawArc(ring, 30 * 16, 150 * 16);
  p.drawArc(ring, 210 * 16, 150 * 16);
  const QPointF a = ring.center() + QPointF(16.5, -8.5);
  p.drawLine(a, a + QPointF(-1, -6));
  p.drawLine(a, a + QPointF(-6, 1));
  const QPointF b = ring.center() + QPointF(-16.5, 8.5);
  p.drawLine(b, b + QPointF(1, 6));
  p.drawLine(b, b + QPointF(6, -1));
}

void GlyphExport(QPainter& p, QPointF c, const QColor& col) {
  // A waveform leaving for a file.
  Wave(p, c.x() - 24, c.x() - 6, c.y(), 9, col, 2);
  p.setPen(GlyphPen(col, 2));
  p.setBrush(Qt::NoBrush);
  QPainterPath doc;
  doc.moveTo(c.x() + 8, c.y() - 14);
  doc.lineTo(c.x() + 19, c.y() - 14);
  doc.lineTo(c.x() + 25, c.y() - 8);
  doc.lineTo(c.x() + 25, c.y() + 14);
  doc.lineTo(c.x() + 8, c.y() + 14);
  doc.closeSubpath();
  p.drawPath(doc);
  p.drawLine(QPointF(c.x() - 3, c.y()), QPointF(c.x() + 17, c.y()));
  p.drawLine(QPointF(c.x() + 12, c.y() - 5), QPointF(c.x() + 17, c.y()));
  p.drawLine(QPointF(c.x() + 12, c.y() + 5), QPointF(c.x() + 17, c.y()));
}

const char16_t* LargeLabel(LargeButtonArt art) {
  switch (art) {
    case LargeButtonArt::Load: return u"MXFロード";
    case LargeButtonArt::View: return u"表示切替";
    case LargeButtonArt::Rewrap: return u"ラッピング";
    case LargeButtonArt::Export: return u"BWF書出し";
  }
  return u"";
}

}  // namespace

QImage LargeButtonImage(LargeButtonArt art, ArtState state, qreal dpr) {
  QImage image = Canvas(kLargeButtonSize, dpr);
  QPainter p(&image);
  Begin(p);
  const Face f = FaceFor(state);
  const QRectF r(QPointF(0, 0), QSizeF(kLargeButtonSize));
  DrawFace(p, r, 10, f, state);
  const qreal shift = state == ArtState::Pressed ? 1 : 0;
  const QPointF glyph(r.center().x() + shift, 30 + shift);
  switch (art) {
    case LargeButtonArt::Load: GlyphLoad(p, glyph, f.glyph); break;
    case LargeButtonArt::View: GlyphView(p, glyph, f.glyph); break;
    case LargeButtonArt::Rewrap: GlyphRewrap(p, glyph, f.glyph); break;
    case LargeButtonArt::Export: GlyphExport(p, glyph, f.glyph); break;
  }
  p.setPen(f.text);
  p.setFont(theme::UiFont(9.5, QFont::DemiBold));
  const char16_t* label = LargeLabel(art);
  p.drawText(QRectF(0 + shift, 54 + shift, r.width(), 20), Qt::AlignCenter,
             QString::fromUtf16(label));
  return image;
}

QImage SmallButtonImage(SmallButtonArt art, ArtState state, qreal dpr) {
  QImage image = Canvas(kSmallButtonSize, dpr);
  QPainter p(&image);
  Begin(p);
  Face f = FaceFor(state);
  if (art == SmallButtonArt::Dur && state != ArtState::Disabled) {
    // The DUR badge is a label, not a command: a flatter face.
    f.top = QColor(0x14, 0x3f, 0x44);
    f.bottom = QColor(0x0f, 0x30, 0x34);
  }
  const QRectF r(QPointF(0, 0), QSizeF(kSmallButtonSize));
  DrawFace(p, r, 7, f, state);
  const qreal shift = state == ArtState::Pressed ? 1 : 0;
  // A small marker on the left: a bracket for IN and OUT, a span for DUR.
  p.setPen(GlyphPen(f.glyph, 2));
  const qreal my = r.center().y() + shift;
  const qreal mx = 18 + shift;
  switch (art) {
    case SmallButtonArt::In:
      p.drawLine(QPointF(mx + 4, my - 8), QPointF(mx, my - 8));
      p.drawLine(QPointF(mx, my - 8), QPointF(mx, my + 8));
      p.drawLine(QPointF(mx, my + 8), QPointF(mx + 4, my + 8));
      break;
    case SmallButtonArt::Out:
      p.drawLine(QPointF(mx - 4, my - 8), QPointF(mx, my - 8));
      p.drawLine(QPointF(mx, my - 8), QPointF(mx, my + 8));
      p.drawLine(QPointF(mx, my + 8), QPointF(mx - 4, my + 8));
      break;
    case SmallButtonArt::Dur:
      p.drawLine(QPointF(mx - 6, my), QPointF(mx + 6, my));
      p.drawLine(QPointF(mx - 6, my - 5), QPointF(mx - 6, my + 5));
      p.drawLine(QPointF(mx + 6, my - 5), QPointF(mx + 6, my + 5));
      break;
  }
  static const char* kNames[] = {"IN", "OUT", "DUR"};
  p.setPen(f.text);
  p.setFont(theme::MonoFont(12, QFont::Bold));
  p.drawText(QRectF(30 + shift, shift, r.width() - 38, r.height()), Qt::AlignCenter,
             QString::fromLatin1(kNames[static_cast<int>(art)]));
  return image;
}

QImage TrackImage(int slot, int trackArt, qreal dpr) {
  const QSize size(kTrackImageSize, kTrackImageSize);
  QImage image = Canvas(size, dpr);
  QPainter p(&image);
  Begin(p);
  const QRectF r = QRectF(4, 4, 44, 44);
  QColor fill, edge, number;
  switch (trackArt) {
    case kTrackOn:
      fill = QColor(0x1c, 0xb3, 0xa1);
      edge = QColor(0x8c, 0xff, 0xee);
      number = QColor(0x03, 0x22, 0x22);
      break;
    case kTrackOff:
      fill = QColor(0x13, 0x37, 0x3b);
      edge = QColor(0x3a, 0x8f, 0x87);
      number = theme::kCaption;
      break;
    default:
      fill = QColor(0x0e, 0x20, 0x23);
      edge = QColor(0x27, 0x3d, 0x3f);
      number = QColor(0x37, 0x50, 0x51);
      break;
  }
  if (trackArt == kTrackOn) {
    QRadialGradient glow(r.center(), 30);
    glow.setColorAt(0.6, QColor(0x2f, 0xd6, 0xc1, 90));
    glow.setColorAt(1.0, QColor(0x2f, 0xd6, 0xc1, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(QRectF(0, 0, 52, 52), 12, 12);
  }
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, fill.lighter(trackArt == kTrackAbsent ? 100 : 118));
  g.setColorAt(1, fill);
  QPen pen(edge, 1.4);
  if (trackArt == kTrackAbsent) pen.setStyle(Qt::DashLine);
  p.setPen(pen);
  p.setBrush(g);
  p.drawRoundedRect(r, 8, 8);
  // Switch lamp in the top-right corner.
  const QRectF lamp(r.right() - 12, r.top() + 5, 7, 7);
  p.setPen(Qt::NoPen);
  p.setBrush(trackArt == kTrackOn ? QColor(0xe9, 0xff, 0xfb) : trackArt == kTrackOff ? QColor(0x0a, 0x1c, 0x1e)
                                                                                     : Qt::transparent);
  p.drawEllipse(lamp);
  p.setPen(number);
  p.setFont(theme::MonoFont(15, QFont::Bold));
  p.drawText(r.adjusted(0, 4, 0, 0), Qt::AlignCenter, QString::number(slot + 1));
  return image;
}

QImage ScrollArrowImage(bool up, ArtState state, qreal dpr) {
  const QSize size(kTrackImageSize, kTrackImageSize);
  QImage image = Canvas(size, dpr);
  if (state == ArtState::Disabled) return image;  // an absent arrow leaves the row empty
  QPainter p(&image);
  Begin(p);
  const Face f = FaceFor(state);
  DrawFace(p, QRectF(6, 10, 40, 32), 8, f, state);
  QPainterPath tri;
  const qreal cx = 26, cy = 26 + (state == ArtState::Pressed ? 1 : 0);
  if (up) {
    tri.moveTo(cx - 9, cy + 5);
    tri.lineTo(cx, cy - 6);
    tri.lineTo(cx + 9, cy + 5);
  } else {
    tri.moveTo(cx - 9, cy - 5);
    tri.lineTo(cx, cy + 6);
    tri.lineTo(cx + 9, cy - 5);
  }
  p.setPen(GlyphPen(f.glyph, 2.4));
  p.setBrush(Qt::NoBrush);
  p.drawPath(tri);
  return image;
}

QImage AppIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  Begin(p);
  p.scale(size / 64.0, size / 64.0);
  QLinearGradient g(0, 0, 0, 64);
  g.setColorAt(0, QColor(0x1f, 0x6d, 0x70));
  g.setColorAt(1, QColor(0x08, 0x26, 0x2b));
  p.setPen(QPen(theme::kAccent, 2));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(3, 3, 58, 58), 13, 13);
  Wave(p, 14, 50, 32, 16, theme::kAccent, 3.2);
  p.setPen(QPen(QColor(0xe2, 0xf4, 0xf1), 2.2));
  p.drawLine(QPointF(10, 52), QPointF(54, 52));
  return image;
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
  return icon;
}
