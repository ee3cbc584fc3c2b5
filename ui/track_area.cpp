#include "ui/track_area.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "rewrap/track_plan.h"
#include "ui/artwork.h"
#include "ui/qt_text.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

TrackArea::TrackArea(const APP_CONTEXT* ctx, const AUDIOTRACK_IO_INFO* plan, QWidget* parent)
    : QWidget(parent), ctx_(ctx), plan_(plan) {
  setObjectName(QStringLiteral("trackArea"));
}

bool TrackArea::showsTitle() const { return !ctx_->fileLoaded || ctx_->audioTrackCount <= 0; }

void TrackArea::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(theme::kPanelEdge, 1));
  p.setBrush(theme::kPanel);
  p.drawRoundedRect(frame, 8, 8);
  if (showsTitle()) {
    PaintTitle(p);
  } else {
    p.setClipRect(rect().adjusted(1, 1, -1, -1));
    PaintRows(p);
    if (ctx_->upArrowState != 2) PaintArrow(p, upArrowRect(), true);
    if (ctx_->downArrowState != 2) PaintArrow(p, downArrowRect(), false);
  }
}

void TrackArea::PaintTitle(QPainter& p) {
  const QRectF r = rect();
  QLinearGradient g(r.topLeft(), r.bottomRight());
  g.setColorAt(0, QColor(0x12, 0x3c, 0x41, 120));
  g.setColorAt(1, QColor(0x08, 0x1c, 0x1f, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 8, 8);
  // A faint waveform across the middle.
  p.setPen(QPen(QColor(0x2f, 0xd6, 0xc1, 40), 3, Qt::SolidLine, Qt::RoundCap));
  const qreal mid = r.center().y();
  for (int x = 40; x < r.width() - 40; x += 14) {
    const qreal h = 10 + 28 * std::abs(std::sin(x * 0.037) * std::cos(x * 0.011));
    p.drawLine(QPointF(x, mid - h), QPointF(x, mid + h));
  }
  QFont title = theme::UiFont(34, QFont::Bold);
  p.setFont(title);
  p.setPen(theme::kValue);
  const QFontMetrics tm(title);
  const QRectF titleRect(0, mid - tm.height() + 4, r.width(), tm.height());
  p.drawText(titleRect, Qt::AlignHCenter | Qt::AlignBottom, Q(txt::kTitle));
  p.setFont(theme::UiFont(14));
  p.setPen(theme::kCaption);
  p.drawText(QRectF(0, mid + 10, r.width(), 30), Qt::AlignHCenter | Qt::AlignTop, Q(txt::kSubtitle));
}

void TrackArea::PaintRows(QPainter& p) {
  const int tracks = std::min<int>(ctx_->audioTrackCount, kTrackSlots);
  const QFont nameFont = theme::PanelFont(11);
  const QFont noteFont = theme::PanelFont(10);
  for (int row = 0;; ++row) {
    const int slot = ctx_->firstVisibleTrack + row;
    const int y = row * kRowHeight;
    if (slot >= kTrackSlots || y >= height()) break;
    const int state = slot < tracks ? int{plan_->trackSwitch[slot]} : int{TRACK_ABSENT};
    const QRect rowRect(0, y, width(), kRowHeight);
    if (ctx_->trackSelected[slot] && slot < tracks) {
      p.fillRect(rowRect.adjusted(2, 1, -2, -1), QColor(0x1a, 0x4e, 0x52));
    }
    p.drawImage(QPointF(6, y), SwitchImage(slot, std::min(state, 2)));
    p.setPen(QColor(0x1b, 0x45, 0x49));
    p.drawLine(64, y + kRowHeight - 1, width() - 8, y + kRowHeight - 1);

    const WAV_LIBRARY_ENTRY* entry = slot < tracks ? plan_->wavEntry[slot] : nullptr;
    const QRect textRect(76, y, width() - 90, kRowHeight);
    if (entry != nullptr) {
      p.setFont(nameFont);
      p.setPen(state == TRACK_ON ? theme::kValue : theme::kDim);
      QString name = Q(entry->fileName);
      if (ctx_->trackStereo[slot]) name.prepend(slot % 2 == 0 ? QStringLiteral("L  ") : QStringLiteral("R  "));
      p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, name);
      if (state != TRACK_ON) {
        const QRect half(width() / 2, y + 1, width() / 2 - 4, kRowHeight - 2);
        p.fillRect(half, QColor(0, 0, 0, 60));
        p.setFont(noteFont);
        p.setPen(theme::kLabel);
        p.drawText(half, Qt::AlignCenter, Q(ctx_->noRewriteText));
      }
    } else {
      const std::u16string& note = state == TRACK_ON    ? ctx_->silenceText
                                   : state == TRACK_OFF ? ctx_->noRewriteText
                                                        : ctx_->noTrackText;
      p.setFont(noteFont);
      p.setPen(state == TRACK_ON ? theme::kAccent : state == TRACK_OFF ? theme::kLabel : theme::kDim);
      p.drawText(textRect, Qt::AlignCenter, Q(note));
    }
    if (slot == ctx_->currentTrack && slot < tracks) {
      QPen pen(QColor(0xe2, 0xf4, 0xf1, 150), 1, Qt::DotLine);
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawRect(rowRect.adjusted(3, 2, -4, -3));
    }
  }
}

void TrackArea::PaintArrow(QPainter& p, const QRect& r, bool up) {
  const bool pressed = pressedArrow_ == (up ? -1 : 1);
  p.setPen(QPen(theme::kPanelEdge, 1));
  p.setBrush(pressed ? theme::kAccentDark : QColor(0x0b, 0x24, 0x28, 220));
  p.drawRoundedRect(QRectF(r).adjusted(6.5, 6.5, -6.5, -6.5), 6, 6);
  const QPointF c = QRectF(r).center();
  const qreal d = up ? -1 : 1;
  const QPointF tri[3] = {c + QPointF(-10, -5 * d), c + QPointF(10, -5 * d), c + QPointF(0, 7 * d)};
  p.setPen(Qt::NoPen);
  p.setBrush(pressed ? theme::kValue : theme::kAccent);
  p.drawPolygon(tri, 3);
}

const QImage& TrackArea::SwitchImage(int slot, int state) {
  const qreal dpr = devicePixelRatioF();
  if (dpr != cachedDpr_) {
    for (auto& row : images_) {
      for (QImage& image : row) image = QImage();
    }
    cachedDpr_ = dpr;
  }
  QImage& image = images_[slot][state];
  if (image.isNull()) image = TrackImage(slot, state, dpr);
  return image;
}

int TrackArea::SlotAt(const QPoint& pos) const {
  if (showsTitle()) return -1;
  const int slot = ctx_->firstVisibleTrack + pos.y() / kRowHeight;
  return slot < std::min<int>(ctx_->audioTrackCount, kTrackSlots) ? slot : -1;
}

void TrackArea::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    emit contextMenuAt(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  if (!showsTitle()) {
    const int arrow = ctx_->upArrowState != 2 && upArrowRect().contains(pos)       ? -1
                      : ctx_->downArrowState != 2 && downArrowRect().contains(pos) ? 1
                                                                                   : 0;
    if (arrow != 0) {
      pressedArrow_ = arrow;
      emit wheelRows(arrow);
      update();
      return;
    }
  }
  const int slot = SlotAt(pos);
  if (slot < 0) return;
  if (pos.x() >= kSwitchLeft && pos.x() < kSwitchRight) {
    emit switchClicked(slot);
  } else {
    emit rowClicked(slot, event->modifiers());
  }
}

void TrackArea::mouseReleaseEvent(QMouseEvent*) {
  if (pressedArrow_ == 0) return;
  pressedArrow_ = 0;
  update();
}

void TrackArea::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  const int slot = SlotAt(pos);
  if (slot < 0) return;
  // A double-click on a switch counts as a second click.
  if (pos.x() >= kSwitchLeft && pos.x() < kSwitchRight) {
    emit switchClicked(slot);
  } else {
    emit rowDoubleClicked(slot);
  }
}

void TrackArea::wheelEvent(QWheelEvent* event) {
  const int notches = event->angleDelta().y() / 120;
  if (notches != 0 && !showsTitle()) emit wheelRows(-notches);
  event->accept();
}

QString TrackArea::TooltipText(int slot) const {
  const WAV_LIBRARY_ENTRY* e = slot >= 0 ? plan_->wavEntry[slot] : nullptr;
  if (e == nullptr) return QStringLiteral("ファイルが割当てられていません。");
  QString folder = Q(e->fullPath);
  folder.truncate(std::max<qsizetype>(0, folder.lastIndexOf(QLatin1Char('/'))));
  // Built piece by piece so that no file name is read as a placeholder.
  return QStringLiteral("トラック: ") + QString::number(slot + 1) + QStringLiteral("\n\n") + Q(e->fileName) +
         QLatin1Char('\n') + folder + QLatin1Char('\n') + Q(e->columnText[9]) + QStringLiteral("\n\nビット数: ") +
         QString::number(e->format.bitsPerSample) + QStringLiteral("  チャンネル数: ") +
         QString::number(e->format.channels) + QStringLiteral("\n\n開始: ") + Q(e->columnText[4]) +
         QStringLiteral("\n終了: ") + Q(e->columnText[5]) + QStringLiteral("\n長さ: ") + Q(e->columnText[6]);
}

bool TrackArea::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int slot = SlotAt(help->pos());
    if (slot < 0) {
      QToolTip::hideText();
    } else {
      const QRect row(0, (slot - ctx_->firstVisibleTrack) * kRowHeight, width(), kRowHeight);
      QToolTip::showText(help->globalPos(), TooltipText(slot), this, row, kTooltipMs);
    }
    return true;
  }
  return QWidget::event(event);
}
