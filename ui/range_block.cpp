#include "ui/range_block.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "ui/command_ids.h"
#include "ui/image_button.h"
#include "ui/qt_text.h"
#include "ui/theme.h"

namespace {

QLabel* Display(QWidget* parent, int id) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("control%1").arg(id));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignCenter);
  label->setFont(theme::MonoFont(15, QFont::Bold));
  label->setAutoFillBackground(true);
  QPalette pal = label->palette();
  pal.setColor(QPalette::Window, theme::kDisplay);
  pal.setColor(QPalette::WindowText, theme::kAccent);
  label->setPalette(pal);
  label->setFrameShape(QFrame::Box);
  label->setStyleSheet(QStringLiteral("QLabel { border: 1px solid #235a5f; border-radius: 6px; background: #06171a; }"));
  return label;
}

QLineEdit* Edit(QWidget* parent, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QStringLiteral("control%1").arg(id));
  edit->setMaxLength(8);
  edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edit->setFont(theme::MonoFont(15, QFont::Bold));
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), edit));
  edit->hide();
  edit->setEnabled(false);
  return edit;
}

}  // namespace

RangeBlock::RangeBlock(QWidget* parent) : QWidget(parent) {
  in_ = new ImageButton(ctl::kInButton, kSmallButtonSize,
                        [](ArtState s, qreal dpr) { return SmallButtonImage(SmallButtonArt::In, s, dpr); }, this);
  out_ = new ImageButton(ctl::kOutButton, kSmallButtonSize,
                         [](ArtState s, qreal dpr) { return SmallButtonImage(SmallButtonArt::Out, s, dpr); }, this);
  dur_ = new ImageButton(ctl::kDurBadge, kSmallButtonSize,
                         [](ArtState s, qreal dpr) { return SmallButtonImage(SmallButtonArt::Dur, s, dpr); }, this);
  dur_->setFocusPolicy(Qt::NoFocus);
  displays_[0] = Display(this, ctl::kInDisplay);
  displays_[1] = Display(this, ctl::kOutDisplay);
  displays_[2] = Display(this, ctl::kDurDisplay);
  edits_[0] = Edit(this, 5014);
  edits_[1] = Edit(this, 5015);
  setTexts(RANGE_TEXTS{u"--:--:--:--", u"--:--:--:--", u"--:--:--:--"});
}

QSize RangeBlock::sizeHint() const {
  return QSize(kSmallButtonSize.width() + 10 + kDisplayWidth, 3 * kRowHeight + 2 * kRowGap);
}

void RangeBlock::setTexts(const RANGE_TEXTS& t) {
  displays_[0]->setText(Q(t.in));
  displays_[1]->setText(Q(t.out));
  displays_[2]->setText(Q(t.duration));
}

void RangeBlock::closeEdits() {
  for (int i = 0; i < 2; ++i) {
    edits_[i]->setEnabled(false);
    edits_[i]->hide();
    displays_[i]->show();
  }
}

void RangeBlock::clearEdits() {
  for (QLineEdit* edit : edits_) edit->clear();
}

void RangeBlock::resizeEvent(QResizeEvent*) {
  ImageButton* buttons[3] = {in_, out_, dur_};
  const int x = kSmallButtonSize.width() + 10;
  for (int i = 0; i < 3; ++i) {
    const int y = i * (kRowHeight + kRowGap);
    buttons[i]->move(0, y);
    displays_[i]->setGeometry(x, y, width() - x, kRowHeight);
    if (i < 2) edits_[i]->setGeometry(displays_[i]->geometry());
  }
}
