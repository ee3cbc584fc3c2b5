// The information panel: the MXF file's name (with the creator tooltip and
// a double click that opens the file's folder) above three groups of facts,
// "Time code", "Audio" and "Video".
#pragma once

#include <QLabel>
#include <QWidget>

#include "ui/info_texts.h"

// The file name field (control 5024).
class FileNameField : public QLabel {
  Q_OBJECT
 public:
  explicit FileNameField(QWidget* parent = nullptr);
  void setTooltip(const QString& title, const QString& text, int maxWidth);
  QString tooltipTitle() const { return tipTitle_; }
  QString tooltipText() const { return tipText_; }
  int tooltipMaxWidth() const { return tipWidth_; }
  // The rich text the tooltip shows.
  QString tooltipHtml() const;

 signals:
  void doubleClicked();

 protected:
  bool event(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString tipTitle_;
  QString tipText_;
  int tipWidth_ = 200;
};

class InfoPanel : public QWidget {
  Q_OBJECT
 public:
  explicit InfoPanel(QWidget* parent = nullptr);

  void setTexts(const INFO_TEXTS& texts);
  FileNameField* fileNameField() const { return fileName_; }
  // The value shown for a key: "rate", "head", "tail", "dur", "format",
  // "tracks", "bits", "fsRate", "codec", "bitRate", "fps", "size".
  QString value(const char* key) const;

  static constexpr int kPreferredHeight = 220;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Row {
    const char* key;
    const char* label;
    QLabel* labelWidget = nullptr;
    QLabel* valueWidget = nullptr;
  };
  struct Group {
    const char* caption;
    Row rows[4];
  };
  QRect GroupRect(int index) const;
  void Place();

  FileNameField* fileName_ = nullptr;
  Group groups_[3];
};
