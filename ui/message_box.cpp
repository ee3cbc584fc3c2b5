#include "ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace {

QMessageBox::Icon QtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MsgAnswer QtMessageBoxes::Show(QWidget* owner, const MessageRequest& request) {
  QString text = request.text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QtIcon(request.icon), request.caption, text, QMessageBox::NoButton, owner);
  box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  box.setTextFormat(Qt::PlainText);
  if (request.buttons == MsgButtons::YesNo) {
    QPushButton* yes = box.addButton(Q(txt::kYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Q(txt::kNo), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? MsgAnswer::Yes : MsgAnswer::No;
  }
  QPushButton* ok = box.addButton(Q(txt::kOk), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  return MsgAnswer::Ok;
}

MsgAnswer PrintedMessageBoxes::Show(QWidget*, const MessageRequest& request) {
  const QByteArray line = QStringLiteral("[%1] %2\n").arg(request.caption, request.text).toUtf8();
  std::fputs(line.constData(), stderr);
  std::fflush(stderr);
  return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

MsgAnswer ShowMessage(MessageBoxes& boxes, QWidget* owner, std::u16string_view text,
                      std::u16string_view caption, MsgIcon icon, MsgButtons buttons) {
  MessageRequest request;
  request.text = Q(text);
  request.caption = Q(caption);
  request.icon = icon;
  request.buttons = buttons;
  return boxes.Show(owner, request);
}
