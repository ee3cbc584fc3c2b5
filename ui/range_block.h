// The IN/OUT/DUR block at the top right of the main window: the IN and OUT
// buttons, the DUR badge, the three timecode displays and the two timecode
// edits that open over the IN and OUT displays.
#pragma once

#include <QWidget>

#include "ui/range_texts.h"

class QLabel;
class QLineEdit;
class ImageButton;

class RangeBlock : public QWidget {
  Q_OBJECT
 public:
  explicit RangeBlock(QWidget* parent = nullptr);

  void setTexts(const RANGE_TEXTS& texts);
  // Closes both edits and shows the displays again.
  void closeEdits();
  void clearEdits();

  ImageButton* inButton() const { return in_; }
  ImageButton* outButton() const { return out_; }
  ImageButton* durBadge() const { return dur_; }
  QLabel* inDisplay() const { return displays_[0]; }
  QLabel* outDisplay() const { return displays_[1]; }
  QLabel* durDisplay() const { return displays_[2]; }
  QLineEdit* inEdit() const { return edits_[0]; }
  QLineEdit* outEdit() const { return edits_[1]; }

  QSize sizeHint() const override;
  static constexpr int kRowHeight = 36;
  static constexpr int kRowGap = 12;
  static constexpr int kDisplayWidth = 168;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  ImageButton* in_ = nullptr;
  ImageButton* out_ = nullptr;
  ImageButton* dur_ = nullptr;
  QLabel* displays_[3] = {};
  QLineEdit* edits_[2] = {};
};
