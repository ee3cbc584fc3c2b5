#include "ui/info_panel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <cstring>

#include "ui/qt_text.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

namespace {

constexpr int kTooltipMs = 30000;
constexpr int kFieldHeight = 40;
constexpr int kGroupsTop = 52;
constexpr int kGap = 12;

QLabel* PlainLabel(QWidget* parent, const QFont& font, const QColor& colour, Qt::Alignment align) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  label->setAlignment(align);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  return label;
}

}  // namespace

FileNameField::FileNameField(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("control5024"));
  setTextFormat(Qt::PlainText);
  setFont(theme::PanelFont(12, QFont::DemiBold));
  setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
  setIndent(44);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, theme::kValue);
  setPalette(pal);
}

void FileNameField::setTooltip(const QString& title, const QString& text, int maxWidth) {
  tipTitle_ = title;
  tipText_ = text;
  tipWidth_ = maxWidth;
}

QString FileNameField::tooltipHtml() const {
  // The lines keep their breaks; long lines wrap at the maximum width.
  return QStringLiteral("<table width=\"%1\"><tr><td><b>&#9432; %2</b></td></tr>"
                        "<tr><td style=\"white-space:pre-wrap\">%3</td></tr></table>")
      .arg(tipWidth_)
      .arg(tipTitle_.toHtmlEscaped(), tipText_.toHtmlEscaped());
}

bool FileNameField::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), tooltipHtml(), this, rect(), kTooltipMs);
    return true;
  }
  return QLabel::event(event);
}

void FileNameField::mouseDoubleClickEvent(QMouseEvent*) { emit doubleClicked(); }

void FileNameField::paintEvent(QPaintEvent* event) {
  {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(theme::kPanelEdge, 1));
    p.setBrush(theme::kDisplay);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    // A small clip symbol before the name.
    const QRectF clip(14, height() / 2.0 - 8, 20, 16);
    p.setPen(QPen(theme::kAccent, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(clip, 3, 3);
    p.drawLine(QPointF(clip.left() + 5, clip.top()), QPointF(clip.left() + 5, clip.bottom()));
    p.drawLine(QPointF(clip.right() - 5, clip.top()), QPointF(clip.right() - 5, clip.bottom()));
  }
  QLabel::paintEvent(event);
}

InfoPanel::InfoPanel(QWidget* parent)
    : QWidget(parent),
      groups_{{"Time code", {{"rate", "Rate"}, {"head", "Head"}, {"tail", "Tail"}, {"dur", "Dur"}}},
              {"Audio", {{"format", "Format"}, {"tracks", "Tracks"}, {"bits", "Bit Rate"}, {"fsRate", "Fs Rate"}}},
              {"Video", {{"codec", "Codec"}, {"bitRate", "Bit Rate"}, {"fps", "FPS"}, {"size", "Size"}}}} {
  fileName_ = new FileNameField(this);
  const QFont labelFont = theme::PanelFont(10);
  const QFont valueFont = theme::MonoFont(12, QFont::DemiBold);
  for (Group& group : groups_) {
    for (Row& row : group.rows) {
      row.labelWidget = PlainLabel(this, labelFont, theme::kLabel, Qt::AlignLeft | Qt::AlignVCenter);
      row.labelWidget->setText(QString::fromLatin1(row.label));
      row.valueWidget = PlainLabel(this, valueFont, theme::kValue, Qt::AlignRight | Qt::AlignVCenter);
      row.valueWidget->setObjectName(QStringLiteral("info.%1").arg(QString::fromLatin1(row.key)));
    }
  }
  setTexts(NoFileInfoTexts());
}

void InfoPanel::setTexts(const INFO_TEXTS& t) {
  fileName_->setText(Q(t.fileName));
  fileName_->setTooltip(Q(txt::kCreatorTitle), Q(t.tooltip), t.tooltipMaxWidth);
  const std::u16string* values[3][4] = {{&t.rate, &t.head, &t.tail, &t.dur},
                                        {&t.format, &t.tracks, &t.bits, &t.sampleRate},
                                        {&t.codec, &t.bitRate, &t.fps, &t.size}};
  for (int g = 0; g < 3; ++g) {
    for (int r = 0; r < 4; ++r) groups_[g].rows[r].valueWidget->setText(Q(*values[g][r]));
  }
  update();
}

QString InfoPanel::value(const char* key) const {
  for (const Group& group : groups_) {
    for (const Row& row : group.rows) {
      if (std::strcmp(row.key, key) == 0) return row.valueWidget->text();
    }
  }
  return {};
}

QRect InfoPanel::GroupRect(int index) const {
  const int width = (this->width() - 2 * kGap) / 3;
  return QRect(index * (width + kGap), kGroupsTop, width, height() - kGroupsTop);
}

void InfoPanel::Place() {
  fileName_->setGeometry(0, 0, width(), kFieldHeight);
  for (int g = 0; g < 3; ++g) {
    const QRect box = GroupRect(g);
    const int rowHeight = (box.height() - 38) / 4;
    for (int r = 0; r < 4; ++r) {
      const int y = box.top() + 32 + r * rowHeight;
      groups_[g].rows[r].labelWidget->setGeometry(box.left() + 16, y, 90, rowHeight);
      groups_[g].rows[r].valueWidget->setGeometry(box.left() + 100, y, box.width() - 116, rowHeight);
    }
  }
}

void InfoPanel::resizeEvent(QResizeEvent*) { Place(); }

void InfoPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  for (int g = 0; g < 3; ++g) {
    const QRectF box = QRectF(GroupRect(g)).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(theme::kPanelEdge, 1));
    p.setBrush(theme::kPanel);
    p.drawRoundedRect(box, 8, 8);
    p.setPen(theme::kCaption);
    p.setFont(theme::PanelFont(10.5, QFont::Bold));
    p.drawText(box.adjusted(16, 6, -16, 0), Qt::AlignLeft | Qt::AlignTop, QString::fromLatin1(groups_[g].caption));
    p.setPen(QPen(theme::kPanelEdge, 1));
    p.drawLine(QPointF(box.left() + 12, box.top() + 30), QPointF(box.right() - 12, box.top() + 30));
  }
}
