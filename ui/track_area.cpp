#include "ui/track_area.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "engine/track_plan.h"
#include "ui/artwork.h"
#include "ui/qt_text.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

namespace {

// The row tooltip's maximum widths, for a slot with a file and without.
constexpr int kTipWidthFile = 600;
constexpr int kTipWidthEmpty = 200;

}  // namespace

TrackArea::TrackArea(APP_CONTEXT* ctx, const AUDIOTRACK_IO_INFO* plan, QWidget* parent)
    : QWidget(parent), ctx_(ctx), plan_(plan) {
  setObjectName(QStringLiteral("trackArea"));
  setMouseTracking(true);
  hoverTimer_.setTimerType(Qt::PreciseTimer);
  hoverTimer_.setSingleShot(true);
  hoverTimer_.setInterval(kHoverMs);
  connect(&hoverTimer_, &QTimer::timeout, this, &TrackArea::ShowTooltip);
  keepTimer_.setTimerType(Qt::PreciseTimer);
  keepTimer_.setSingleShot(true);
  keepTimer_.setInterval(kTooltipMs);
  connect(&keepTimer_, &QTimer::timeout, this, &TrackArea::HideTooltip);
  tip_ = new QLabel(this, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
  tip_->setObjectName(QStringLiteral("rowTooltip"));
  tip_->setTextFormat(Qt::PlainText);
  tip_->setFont(theme::PanelFont(9.5));
  tip_->setStyleSheet(QStringLiteral("QLabel { color: #e2f4f1; background: #123c41; border: 1px solid #2fd6c1; "
                                     "padding: 6px 8px; }"));
}

bool TrackArea::showsTitle() const { return !ctx_->fileLoaded || ctx_->audioTrackCount <= 0; }

void TrackArea::Relayout(bool keepCurrent) {
  APP_CONTEXT& ctx = *ctx_;
  const int tracks = showsTitle() ? 0 : std::min<int>(ctx.audioTrackCount, kTrackSlots);
  const int rows = wholeRows();
  const int remainder = height() % kRowHeight;
  const int before[6] = {ctx.firstVisibleTrack, ctx.visibleTrackCount, partialHidden_, partialAtTop_ ? 1 : 0,
                         ctx.upArrowState, ctx.downArrowState};
  partialHidden_ = 0;
  partialAtTop_ = false;
  if (rows >= tracks) {
    ctx.firstVisibleTrack = 0;
    ctx.visibleTrackCount = tracks;
  } else {
    const int span = std::max(rows, 1);
    int first = ctx.firstVisibleTrack;
    if (keepCurrent && ctx.currentTrack < first) first = ctx.currentTrack;
    if (keepCurrent && ctx.currentTrack >= first + span) first = ctx.currentTrack - span + 1;
    ctx.firstVisibleTrack = std::clamp(first, 0, tracks - span);
    ctx.visibleTrackCount = rows;
    if (remainder > 0) {
      // One more row, partly visible: below the whole rows, or above them
      // once they reach the last track.
      partialHidden_ = kRowHeight - remainder;
      partialAtTop_ = ctx.firstVisibleTrack + rows == tracks;
      ctx.visibleTrackCount = rows + 1;
    }
  }
  // An arrow is there while the first (last) track is not shown in full.
  ctx.upArrowState = ctx.firstVisibleTrack > 0 ? (pressedArrow_ < 0 ? 1 : 0) : 2;
  ctx.downArrowState = ctx.firstVisibleTrack + rows < tracks ? (pressedArrow_ > 0 ? 1 : 0) : 2;
  const int after[6] = {ctx.firstVisibleTrack, ctx.visibleTrackCount, partialHidden_, partialAtTop_ ? 1 : 0,
                        ctx.upArrowState, ctx.downArrowState};
  if (!std::equal(std::begin(before), std::end(before), std::begin(after))) {
    // The rows moved under a shown tooltip.
    if (tipSlot_ >= 0) HideTooltip();
    RedrawAll();
  }
}

int TrackArea::FirstDrawnSlot() const { return ctx_->firstVisibleTrack - (partialAtTop_ ? 1 : 0); }

int TrackArea::DrawnRows() const {
  // Below the last track the rows of absent slots fill the panel.
  if (showsTitle()) return 0;
  int rows = 0;
  while (RowTop(rows) < height() && FirstDrawnSlot() + rows < kTrackSlots) ++rows;
  return rows;
}

int TrackArea::RowTop(int row) const { return row * kRowHeight - (partialAtTop_ ? partialHidden_ : 0); }

QRect TrackArea::BandRect(int row) const { return QRect(0, RowTop(row), width(), kRowHeight) & rect(); }

void TrackArea::RedrawSlots(uint32_t slotBits) {
  const int first = FirstDrawnSlot();
  const int drawn = DrawnRows();
  for (int row = 0; row < drawn; ++row) {
    const int slot = first + row;
    if (slot < 0 || slot >= kTrackSlots || (slotBits & (1u << slot)) == 0) continue;
    ctx_->redrawMask |= 1u << row;
    update(BandRect(row));
  }
}

void TrackArea::RedrawAll() {
  ctx_->redrawMask |= kAllBands;
  update();
}

void TrackArea::paintEvent(QPaintEvent* event) {
  const qreal dpr = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * dpr).toSize();
  if (pixels.isEmpty()) return;
  if (image_.size() != pixels || image_.devicePixelRatio() != dpr) {
    image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(dpr);
    ctx_->redrawMask |= kAllBands;
  }
  if (ctx_->redrawMask != 0) {
    DrawBands(ctx_->redrawMask);
    ctx_->redrawMask = 0;
  }
  QPainter p(this);
  const QRect r = event->rect();
  p.drawImage(r, image_, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
}

void TrackArea::DrawBands(uint32_t bands) {
  QRegion region;
  if (bands & kAllBands) {
    region = rect();
  } else {
    for (int row = 0; row < kTrackSlots; ++row) {
      if (bands & (1u << row)) region += BandRect(row);
    }
    if (bands & kArrowBand) region = region.united(upArrowRect()).united(downArrowRect());
  }
  lastBands_ = bands;
  QPainter p(&image_);
  p.setClipRegion(region);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(rect(), Qt::transparent);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(theme::kPanelEdge, 1));
  p.setBrush(theme::kPanel);
  p.drawRoundedRect(frame, 8, 8);
  if (showsTitle()) {
    PaintTitle(p);
    return;
  }
  p.setClipRegion(region.intersected(rect().adjusted(1, 1, -1, -1)));
  const int drawn = DrawnRows();
  for (int row = 0; row < drawn; ++row) {
    if (!region.intersects(BandRect(row))) continue;
    PaintRow(p, row);
    ++rowsDrawn_;
  }
  if (ctx_->upArrowState != 2) PaintArrow(p, upArrowRect(), true);
  if (ctx_->downArrowState != 2) PaintArrow(p, downArrowRect(), false);
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

void TrackArea::PaintRow(QPainter& p, int row) {
  const int tracks = std::min<int>(ctx_->audioTrackCount, kTrackSlots);
  const int slot = FirstDrawnSlot() + row;
  const int y = RowTop(row);
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
    p.setFont(theme::PanelFont(11));
    p.setPen(state == TRACK_ON ? theme::kValue : theme::kDim);
    QString name = Q(entry->fileName);
    if (ctx_->trackStereo[slot]) name.prepend(slot % 2 == 0 ? QStringLiteral("L  ") : QStringLiteral("R  "));
    // A multichannel file's channel, marked as the stereo halves are.
    if (entry->format.channels >= 3) name.prepend(QStringLiteral("Ch%1  ").arg(plan_->wavChannel[slot] + 1));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, name);
    if (state != TRACK_ON) {
      const QRect half(width() / 2, y + 1, width() / 2 - 4, kRowHeight - 2);
      p.fillRect(half, QColor(0, 0, 0, 60));
      p.setFont(theme::PanelFont(10));
      p.setPen(theme::kLabel);
      p.drawText(half, Qt::AlignCenter, Q(ctx_->noRewriteText));
    }
  } else {
    const std::u16string& note = state == TRACK_ON    ? ctx_->silenceText
                                 : state == TRACK_OFF ? ctx_->noRewriteText
                                                      : ctx_->noTrackText;
    p.setFont(theme::PanelFont(10));
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
  if (showsTitle() || pos.y() < 0 || pos.y() >= height()) return -1;
  const int row = (pos.y() + (partialAtTop_ ? partialHidden_ : 0)) / kRowHeight;
  const int slot = FirstDrawnSlot() + row;
  return slot >= 0 && slot < std::min<int>(ctx_->audioTrackCount, kTrackSlots) ? slot : -1;
}

void TrackArea::mousePressEvent(QMouseEvent* event) {
  hoverTimer_.stop();
  HideTooltip();
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
      // Shown pressed while it is still there.
      uint8_t& state = arrow < 0 ? ctx_->upArrowState : ctx_->downArrowState;
      if (state == 0) state = 1;
      ctx_->redrawMask |= kArrowBand;
      update(upArrowRect());
      update(downArrowRect());
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
  for (uint8_t* state : {&ctx_->upArrowState, &ctx_->downArrowState}) {
    if (*state == 1) *state = 0;
  }
  ctx_->redrawMask |= kArrowBand;
  update(upArrowRect());
  update(downArrowRect());
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
  hoverTimer_.stop();
  HideTooltip();
  const int notches = event->angleDelta().y() / 120;
  if (notches != 0 && !showsTitle()) emit wheelRows(-notches);
  event->accept();
}

void TrackArea::mouseMoveEvent(QMouseEvent* event) {
  hoverPos_ = event->position().toPoint();
  // The tooltip stays while the pointer is on its row; otherwise the wait
  // for the next one starts again with every move.
  if (tipSlot_ >= 0 && SlotAt(hoverPos_) != tipSlot_) HideTooltip();
  if (tipSlot_ < 0) hoverTimer_.start();
  QWidget::mouseMoveEvent(event);
}

void TrackArea::leaveEvent(QEvent* event) {
  hoverTimer_.stop();
  HideTooltip();
  QWidget::leaveEvent(event);
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

void TrackArea::ShowTooltip() {
  const int slot = SlotAt(hoverPos_);
  if (slot < 0 || !isVisible()) return;
  const int maxWidth = plan_->wavEntry[slot] != nullptr ? kTipWidthFile : kTipWidthEmpty;
  // As wide as its longest line, wrapped at the maximum width.
  tip_->setWordWrap(false);
  tip_->setMaximumWidth(QWIDGETSIZE_MAX);
  tip_->setText(TooltipText(slot));
  QSize size = tip_->sizeHint();
  if (size.width() > maxWidth) {
    tip_->setWordWrap(true);
    size = QSize(maxWidth, tip_->heightForWidth(maxWidth));
  }
  tip_->setMaximumWidth(maxWidth);
  tip_->resize(size);
  tip_->move(mapToGlobal(QPoint(hoverPos_.x() + 12, RowTop(slot - FirstDrawnSlot()) + kRowHeight)));
  tip_->show();
  tipSlot_ = slot;
  keepTimer_.start();
}

void TrackArea::HideTooltip() {
  keepTimer_.stop();
  tipSlot_ = -1;
  tip_->hide();
}

bool TrackArea::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      // The row tooltip follows its own timers.
      return true;
    case QEvent::Hide:
      hoverTimer_.stop();
      HideTooltip();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}
