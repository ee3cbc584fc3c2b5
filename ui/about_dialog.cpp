#include "ui/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/artwork.h"
#include "ui/qt_text.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dialog103"));
  setWindowTitle(Q(txt::kAboutCaption));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFont(theme::UiFont(9));

  auto* icon = new QLabel(this);
  const qreal dpr = devicePixelRatioF();
  QPixmap pixmap = QPixmap::fromImage(AppIconImage(static_cast<int>(48 * dpr)));
  pixmap.setDevicePixelRatio(dpr);
  icon->setPixmap(pixmap);
  auto* name = new QLabel(Q(txt::kAboutName), this);
  name->setObjectName(QStringLiteral("aboutName"));
  auto* version = new QLabel(Q(txt::kAboutVersion), this);
  version->setObjectName(QStringLiteral("aboutVersion"));
  auto* ok = new QPushButton(Q(txt::kOk), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(version);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}
