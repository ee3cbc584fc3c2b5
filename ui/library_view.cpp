#include "ui/library_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "resources/string_table.h"
#include "rewrap/track_assign.h"
#include "ui/qt_text.h"
#include "ui/theme.h"

namespace {

const QColor kSelectedAssigned{0x1f, 0x8a, 0x7c};
const QColor kSelectedFree{0x2b, 0x55, 0x8c};
const QColor kAssignedTint{0xcf, 0xef, 0xe9};
const QColor kRowBase{0xf4, 0xf8, 0xf7};

Qt::Alignment ColumnAlignment(int column) {
  if (column == 0) return Qt::AlignLeft | Qt::AlignVCenter;
  if (column >= 9) return Qt::AlignRight | Qt::AlignVCenter;
  return Qt::AlignHCenter | Qt::AlignVCenter;
}

// Draws a row cell: filled when selected (one colour for files assigned to
// a track, another for the others), tinted when assigned, text inset by
// 10 pixels with an end ellipsis, a focus rectangle on the focused row.
class RowDelegate : public QStyledItemDelegate {
 public:
  RowDelegate(const APP_CONTEXT* ctx, QTableView* view) : QStyledItemDelegate(view), ctx_(ctx), view_(view) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const size_t row = static_cast<size_t>(index.row());
    const bool assigned = row < ctx_->libraryView.size() && ctx_->libraryView[row]->assigned.load() != 0;
    const bool selected = option.state & QStyle::State_Selected;
    QColor fill = kRowBase;
    if (selected) {
      fill = assigned ? kSelectedAssigned : kSelectedFree;
    } else if (assigned) {
      fill = kAssignedTint;
    }
    p->fillRect(option.rect, fill);
    p->setFont(option.font);
    p->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
    const QRect textRect = option.rect.adjusted(10, 0, -10, 0);
    const QString text = index.data(Qt::DisplayRole).toString();
    p->drawText(textRect, ColumnAlignment(index.column()) | Qt::TextSingleLine,
                option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    if (view_->currentIndex().row() == index.row()) {
      p->setPen(QPen(selected ? QColor(255, 255, 255, 180) : QColor(0, 0, 0, 140), 1, Qt::DotLine));
      QRect r = option.rect.adjusted(0, 0, -1, -1);
      if (index.column() == 0) r.setLeft(r.left() + 1);
      p->drawLine(r.topLeft(), r.topRight());
      p->drawLine(r.bottomLeft(), r.bottomRight());
      if (index.column() == 0) p->drawLine(r.topLeft(), r.bottomLeft());
      if (index.column() == LibraryModel::kColumns - 1) p->drawLine(r.topRight(), r.bottomRight());
    }
  }

 private:
  const APP_CONTEXT* ctx_;
  QTableView* view_;
};

}  // namespace

const int LibraryModel::kWidths[kColumns] = {310, 40, 50, 60, 165, 165, 125, 140, 140, 100, 115, 125};
const char16_t* const LibraryModel::kHeaders[kColumns] = {
    u"ファイル名", u"Ch", u"ビット", u"サンプル", u"開始TC +SF  *fract", u"終了TC +SF  *fract",
    u"長さ", u"作成日", u"更新日時", u"サイズ",
    LoadStringById(kStrLibraryLoudnessHeader, TextLanguage::Japanese),
    LoadStringById(kStrLibraryTruePeakHeader, TextLanguage::Japanese)};

LibraryModel::LibraryModel(const APP_CONTEXT* ctx, QObject* parent) : QAbstractTableModel(parent), ctx_(ctx) {}

int LibraryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int LibraryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
  const size_t row = static_cast<size_t>(index.row());
  if (!index.isValid() || row >= ctx_->libraryView.size() || index.row() >= rows_) return {};
  if (role == Qt::DisplayRole) return cellText(index.row(), index.column());
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(index.column()));
  if (role == Qt::ToolTipRole && index.column() >= kFileColumns) {
    const std::u16string reason = LoudnessCellReason(Measured(row));
    return reason.empty() ? QVariant() : QVariant(Q(reason));
  }
  return {};
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
  if (role == Qt::DisplayRole) return Q(kHeaders[section]);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
  return {};
}

QString LibraryModel::cellText(int row, int column) const {
  const size_t r = static_cast<size_t>(row);
  if (row < 0 || r >= ctx_->libraryView.size() || column < 0 || column >= kColumns) return {};
  if (column < kFileColumns) return Q(ctx_->libraryView[r]->columnText[column]);
  return Q(column == kLoudnessColumn ? LoudnessCellText(Measured(r)) : TruePeakCellText(Measured(r)));
}

const LIBRARY_LOUDNESS* LibraryModel::Measured(size_t row) const {
  auto it = loudness_.find(ctx_->libraryView[row]->fullPath);
  return it == loudness_.end() ? nullptr : &it->second;
}

void LibraryModel::setLoudness(const LIBRARY_LOUDNESS& measured) {
  for (size_t r = 0; r < ctx_->libraryView.size() && static_cast<int>(r) < rows_; ++r) {
    if (ctx_->libraryView[r]->fullPath != measured.path) continue;
    loudness_[measured.path] = measured;
    const int row = static_cast<int>(r);
    emit dataChanged(index(row, kLoudnessColumn), index(row, kTruePeakColumn), {Qt::DisplayRole});
  }
}

void LibraryModel::reload() {
  beginResetModel();
  rows_ = static_cast<int>(ctx_->libraryView.size());
  std::unordered_map<std::u16string, LIBRARY_LOUDNESS> kept;
  for (const WAV_LIBRARY_ENTRY* entry : ctx_->libraryView) {
    auto it = loudness_.find(entry->fullPath);
    if (it != loudness_.end()) kept.insert(*it);
  }
  loudness_ = std::move(kept);
  endResetModel();
}

LibraryView::LibraryView(const APP_CONTEXT* ctx, QWidget* parent)
    : QTableView(parent), ctx_(ctx), model_(new LibraryModel(ctx, this)) {
  setObjectName(QStringLiteral("control5012"));
  setModel(model_);
  setItemDelegate(new RowDelegate(ctx, this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setFont(theme::PanelFont(10));
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 8);
  QHeaderView* header = horizontalHeader();
  header->setSectionsMovable(true);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignCenter);
  for (int c = 0; c < LibraryModel::kColumns; ++c) setColumnWidth(c, LibraryModel::kWidths[c]);
  header->setStretchLastSection(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  connect(header, &QHeaderView::sectionClicked, this, &LibraryView::headerClicked);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { Publish(); });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { Publish(); });
}

void LibraryView::Publish() {
  int focused = -1;
  std::vector<uint8_t> rows = rowStates(&focused);
  viewport()->update();
  if (rows == lastRows_ && focused == lastFocused_) return;
  lastRows_ = rows;
  lastFocused_ = focused;
  emit rowsChanged(std::move(rows), focused);
}

std::vector<uint8_t> LibraryView::rowStates(int* focused) const {
  std::vector<uint8_t> rows(static_cast<size_t>(model_->rowCount()), 0);
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    if (index.row() >= 0 && static_cast<size_t>(index.row()) < rows.size()) rows[static_cast<size_t>(index.row())] = 1;
  }
  if (focused != nullptr) *focused = currentIndex().isValid() ? currentIndex().row() : -1;
  return rows;
}

void LibraryView::reload() {
  model_->reload();
  fitColumns();
  Publish();
}

void LibraryView::fitColumns() {
  // The cell text is inset by 10 pixels on either side.
  const int inset = 2 * 10 + 2;
  const QFontMetrics rowMetrics(font());
  const QFontMetrics headerMetrics(horizontalHeader()->font());
  for (int c = 0; c < LibraryModel::kColumns; ++c) {
    const int headerWidth = headerMetrics.horizontalAdvance(Q(LibraryModel::kHeaders[c])) + inset;
    int width = std::max(LibraryModel::kWidths[c], headerWidth);
    for (int r = 0; r < model_->rowCount(); ++r) {
      width = std::max(width, rowMetrics.horizontalAdvance(model_->cellText(r, c)) + inset);
    }
    setColumnWidth(c, width);
  }
}

QModelIndex LibraryView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const int rows = model_->rowCount();
  const QModelIndex current = currentIndex();
  if (rows == 0) return current;
  const int row = current.isValid() ? current.row() : 0;
  const int column = current.isValid() ? current.column() : 0;
  const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
  const int page = std::max(1, viewport()->height() / rowHeight - 1);
  switch (action) {
    case MoveHome: return model_->index(0, column);
    case MoveEnd: return model_->index(rows - 1, column);
    case MovePageUp: return model_->index(std::max(0, row - page), column);
    case MovePageDown: return model_->index(std::min(rows - 1, row + page), column);
    default: return QTableView::moveCursor(action, modifiers);
  }
}

void LibraryView::setRowStates(const std::vector<uint8_t>& selected, int focused) {
  QItemSelection selection;
  for (size_t i = 0; i < selected.size() && static_cast<int>(i) < model_->rowCount(); ++i) {
    if (selected[i] == 0) continue;
    const int r = static_cast<int>(i);
    selection.select(model_->index(r, 0), model_->index(r, LibraryModel::kColumns - 1));
  }
  const QSignalBlocker block(selectionModel());
  if (focused >= 0 && focused < model_->rowCount()) {
    selectionModel()->setCurrentIndex(model_->index(focused, 0), QItemSelectionModel::NoUpdate);
  } else {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  Publish();
}

void LibraryView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    emit escapePressed();
    return;
  }
  QTableView::keyPressEvent(event);
}

void LibraryView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (indexAt(event->position().toPoint()).isValid()) emit rowDoubleClicked();
}

void LibraryView::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuAt(event->globalPos()); }
