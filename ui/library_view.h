// The WAV library list: a table over APP_CONTEXT::libraryView that asks for
// each cell's text only when it is drawn (the texts were formatted once,
// when the file was added), with ten fixed columns and the two loudness
// columns that fill in as the list thread measures each file, rows coloured
// by their assigned and selected state, and the selection handed to the
// main window after every change.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/library_loudness.h"

struct APP_CONTEXT;

class LibraryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit LibraryModel(const APP_CONTEXT* ctx, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The rows follow libraryView again (after an add, a delete or a sort);
  // the figures of files no longer listed are dropped.
  void reload();
  // A file's figures arrived: its rows show them.
  void setLoudness(const LIBRARY_LOUDNESS& measured);
  // The text a cell shows.
  QString cellText(int row, int column) const;

  static constexpr int kFileColumns = 10;  // the texts formatted when the file was added
  static constexpr int kLoudnessColumn = 10;
  static constexpr int kTruePeakColumn = 11;
  static constexpr int kColumns = 12;
  static const int kWidths[kColumns];
  static const char16_t* const kHeaders[kColumns];

 private:
  const LIBRARY_LOUDNESS* Measured(size_t row) const;

  const APP_CONTEXT* ctx_;
  int rows_ = 0;
  std::unordered_map<std::u16string, LIBRARY_LOUDNESS> loudness_;  // by full path
};

class LibraryView : public QTableView {
  Q_OBJECT
 public:
  explicit LibraryView(const APP_CONTEXT* ctx, QWidget* parent = nullptr);

  LibraryModel* libraryModel() const { return model_; }
  // Reloads the rows with nothing selected.
  void reload();
  // Selects exactly the rows flagged in `selected` and focuses `focused`
  // (-1: none).
  void setRowStates(const std::vector<uint8_t>& selected, int focused);
  // The rows' selected flags and the focused row, as the view has them.
  std::vector<uint8_t> rowStates(int* focused) const;
  // Each column as wide as its header and its widest text need (never
  // narrower than its default width); the view scrolls sideways beyond.
  void fitColumns();

 signals:
  void escapePressed();
  void rowsChanged(std::vector<uint8_t> selected, int focusedRow);
  void headerClicked(int column);
  void rowDoubleClicked();
  void contextMenuAt(const QPoint& globalPos);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Home and End go to the first and last row, Page Up and Page Down by a
  // page of rows, as in any list.
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Publish();

  const APP_CONTEXT* ctx_;
  LibraryModel* model_;
  // What was handed on last: a reload that changes nothing is not reported.
  std::vector<uint8_t> lastRows_;
  int lastFocused_ = -1;
};
