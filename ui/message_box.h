// Message boxes. Every message of the application goes through the
// MessageBoxes interface, so that tests can answer them without a screen and
// scripted runs can print them instead of waiting for a person.
#pragma once

#include <QString>
#include <string_view>

class QWidget;

enum class MsgIcon { None, Information, Warning, Error };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

struct MessageRequest {
  QString text;
  QString caption;
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::Ok;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the message modally over owner (may be null) and returns the
  // button the user chose.
  virtual MsgAnswer Show(QWidget* owner, const MessageRequest& request) = 0;
};

// Qt's message box, top-most, with the buttons labelled in Japanese.
class QtMessageBoxes : public MessageBoxes {
 public:
  MsgAnswer Show(QWidget* owner, const MessageRequest& request) override;
};

// Writes "[caption] text" to standard error and answers OK, or No to a
// question. For runs without a person (screenshots, scripts).
class PrintedMessageBoxes : public MessageBoxes {
 public:
  MsgAnswer Show(QWidget* owner, const MessageRequest& request) override;
};

// Shorthand for the common call.
MsgAnswer ShowMessage(MessageBoxes& boxes, QWidget* owner, std::u16string_view text,
                      std::u16string_view caption, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);
