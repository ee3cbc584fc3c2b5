#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "resources/string_table.h"
#include "ui/artwork.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/dialog_close_watcher.h"
#include "ui/image_button.h"
#include "ui/library_view.h"
#include "ui/info_panel.h"
#include "ui/qt_text.h"
#include "ui/range_block.h"
#include "ui/status_bar.h"
#include "ui/theme.h"
#include "ui/track_area.h"
#include "ui/ui_texts.h"
#include "ui/window_placement.h"

namespace {

constexpr int kMargin = 14;
constexpr int kInfoHeight = 208;
constexpr int kTrackTop = 232;
constexpr int kButtonGap = 16;

// The client area: paints the background and lays out the controls.
class Surface : public QWidget {
 public:
  Surface(QWidget* parent, std::function<void()> layout, std::function<void()> leftClick)
      : QWidget(parent), layout_(std::move(layout)), leftClick_(std::move(leftClick)) {
    setObjectName(QStringLiteral("surface"));
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, theme::kBackground.lighter(112));
    g.setColorAt(1, theme::kBackground);
    p.fillRect(rect(), g);
  }
  void resizeEvent(QResizeEvent*) override { layout_(); }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) leftClick_();
    QWidget::mousePressEvent(event);
  }

 private:
  std::function<void()> layout_;
  std::function<void()> leftClick_;
};

}  // namespace

MainWindow::MainWindow(const APP_SERVICES& services, QWidget* parent)
    : QMainWindow(parent), services_(services), state_(std::make_unique<AppState>()) {
  // Window title (string 103) and class name (string 109).
  setWindowTitle(Q(LoadString(kStrAppTitle)));
  setObjectName(Q(LoadString(kStrWindowClass)));
  setWindowIcon(AppIcon());
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  resize(kMinimumWidth, 760);

  state_->SetCreationDefaults(services_.desktopPath);
  setAcceptDrops(true);

  commands_ = new CommandTable(this, [this](int id) { RunCommand(id); });
  commands_->BuildMenuBar(menuBar());
  menuBar()->setFont(theme::UiFont(9.5));
  CreateControls();

  if (!services_.placementRoot.empty()) RestorePlacement(PlacementStore(services_.placementRoot), this);

  RefreshInfo();
  RefreshRange();
  RefreshUndoItem();
  status_->setPartText(0, Q(txt::kNoPath));
  threads_ = std::make_unique<BackgroundThreads>(
      &state_->ctx, &listRows_, this, [this](const ENABLING& e) { ApplyEnabling(e); },
      [this](const LIST_PASS_RESULT& r) { ApplyListPass(r); },
      [this](const LIBRARY_LOUDNESS& m) { library_->libraryModel()->setLoudness(m); });
  PublishListRows();
  threads_->Start();
  dialogWatcher_ = new DialogCloseWatcher(this, [this] { TakeFocusBack(); });
  FocusMain();
  RefreshInfo();
  RefreshRange();
}

MainWindow::~MainWindow() { Shutdown(); }

void MainWindow::CreateControls() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  // While the library is shown, a click on the window outside it returns
  // to the tracks.
  surface_ = new Surface(
      central, [this] { LayoutControls(); },
      [this] {
        if (state_->ctx.viewMode == VIEW_LIBRARY) ShowTracks();
      });
  status_ = new PartStatusBar(central);
  column->addWidget(surface_, 1);
  column->addWidget(status_);
  setCentralWidget(central);

  info_ = new InfoPanel(surface_);
  connect(info_->fileNameField(), &FileNameField::doubleClicked, this, [this] { CmdOpenFolder(); });
  range_ = new RangeBlock(surface_);
  connect(range_->inButton(), &QAbstractButton::clicked, this, [this] { RunCommand(cmd::kSetIn); });
  connect(range_->outButton(), &QAbstractButton::clicked, this, [this] { RunCommand(cmd::kSetOut); });
  for (QWidget* w : {static_cast<QWidget*>(range_->inEdit()), static_cast<QWidget*>(range_->outEdit()),
                     static_cast<QWidget*>(range_->inDisplay()), static_cast<QWidget*>(range_->outDisplay())}) {
    w->installEventFilter(this);
  }

  lower_ = new QStackedWidget(surface_);
  tracks_ = new TrackArea(&state_->ctx, &state_->plan, lower_);
  library_ = new LibraryView(&state_->ctx, lower_);
  lower_->addWidget(tracks_);
  lower_->addWidget(library_);
  lower_->setCurrentWidget(tracks_);
  connect(tracks_, &TrackArea::contextMenuAt, this, &MainWindow::ShowContextMenu);
  connect(tracks_, &TrackArea::rowDoubleClicked, this, [this](int) { RunCommand(cmd::kSwitchView); });
  connect(tracks_, &TrackArea::switchClicked, this, &MainWindow::OnSwitchClicked);
  connect(tracks_, &TrackArea::rowClicked, this, &MainWindow::OnRowClicked);
  connect(tracks_, &TrackArea::wheelRows, this, &MainWindow::ScrollTracks);
  surface_->installEventFilter(this);
  connect(library_, &LibraryView::escapePressed, this, [this] { ShowTracks(); });
  connect(library_, &LibraryView::rowsChanged, this, &MainWindow::OnListSelectionChanged);
  connect(library_, &LibraryView::headerClicked, this, &MainWindow::OnHeaderClicked);
  connect(library_, &LibraryView::contextMenuAt, this, &MainWindow::ShowContextMenu);
  connect(library_, &LibraryView::rowDoubleClicked, this, [this] {
    if (!state_->ctx.libraryView.empty()) CmdAssign();
  });

  struct Def {
    int id;
    int command;
    LargeButtonArt art;
  };
  const Def defs[4] = {{ctl::kLoadButton, cmd::kLoadMxf, LargeButtonArt::Load},
                       {ctl::kViewButton, cmd::kSwitchView, LargeButtonArt::View},
                       {ctl::kRewrapButton, cmd::kRewrap, LargeButtonArt::Rewrap},
                       {ctl::kExportButton, cmd::kExportBwf, LargeButtonArt::Export}};
  for (int i = 0; i < 4; ++i) {
    const LargeButtonArt art = defs[i].art;
    buttons_[i] = new ImageButton(defs[i].id, kLargeButtonSize,
                                  [art](ArtState s, qreal dpr) { return LargeButtonImage(art, s, dpr); }, surface_);
    const int command = defs[i].command;
    connect(buttons_[i], &QAbstractButton::clicked, this, [this, command] { RunCommand(command); });
  }
  // Until the menu thread's first pass: only loading is possible.
  for (int i = 1; i < 4; ++i) buttons_[i]->setEnabled(false);
  for (ImageButton* b : {range_->inButton(), range_->outButton(), range_->durBadge()}) b->setEnabled(false);
}

void MainWindow::LayoutControls() {
  const int w = surface_->width();
  const int h = surface_->height();
  const QSize rangeSize = range_->sizeHint();
  range_->setGeometry(w - kMargin - rangeSize.width(), kMargin, rangeSize.width(), rangeSize.height());
  info_->setGeometry(kMargin, kMargin, w - 3 * kMargin - rangeSize.width(), kInfoHeight);
  lower_->setGeometry(kMargin, kTrackTop, w - 2 * kMargin, std::max(0, h - kFixedHeight));
  const int y = h - kMargin - kLargeButtonSize.height();
  for (int i = 0; i < 4; ++i) buttons_[i]->move(kMargin + i * (kLargeButtonSize.width() + kButtonGap), y);
}

ImageButton* MainWindow::largeButton(int controlId) const {
  for (ImageButton* b : buttons_) {
    if (b->controlId() == controlId) return b;
  }
  return nullptr;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  status_->updateForWidth(width());
  LayoutControls();
  RefreshTracks();
}

void MainWindow::SignalMenu() { state_->menuEvent.Set(); }
void MainWindow::SignalList() {
  if (threads_) {
    threads_->WakeList();
  } else {
    state_->listEvent.Set();
  }
}

void MainWindow::ApplyEnabling(const ENABLING& enabling) {
  if (shutDown_) return;
  for (ImageButton* b : buttons_) b->setEnabled(enabling.Button(b->controlId()));
  for (ImageButton* b : {range_->inButton(), range_->outButton(), range_->durBadge()}) {
    b->setEnabled(enabling.Button(b->controlId()));
  }
  commands_->Apply(enabling);
}

void MainWindow::PublishListRows() {
  const APP_CONTEXT& ctx = state_->ctx;
  LIST_SNAPSHOT snapshot;
  snapshot.generation = ++listGeneration_;
  snapshot.viewExists = !ctx.libraryView.empty();
  snapshot.libraryCount = ctx.library->count.load();
  rowSelected_.resize(ctx.libraryView.size(), 0);
  for (size_t i = 0; i < ctx.libraryView.size(); ++i) {
    LIST_ROW_STATE row;
    row.selected = rowSelected_[i] != 0;
    row.focused = static_cast<int>(i) == focusedRow_;
    row.fullPath = ctx.libraryView[i]->fullPath;
    snapshot.rows.push_back(std::move(row));
  }
  listRows_.Publish(std::move(snapshot));
}

void MainWindow::OnListSelectionChanged(std::vector<uint8_t> selected, int focusedRow) {
  rowSelected_ = std::move(selected);
  focusedRow_ = focusedRow;
  PublishListRows();
  state_->menuEvent.WaitFor(0);
  SignalList();
}

void MainWindow::ApplyListPass(const LIST_PASS_RESULT& result) {
  if (shutDown_) return;
  APP_CONTEXT& ctx = state_->ctx;
  // A pass over rows that have changed since is followed by another pass.
  if (result.generation == listGeneration_ && result.selected.size() == ctx.libraryView.size()) {
    for (size_t i = 0; i < result.selected.size(); ++i) ctx.libraryView[i]->selected = result.selected[i];
  }
  status_->setPartText(0, Q(result.pathText));
  status_->setPartText(1, Q(result.countText));
}

void MainWindow::SetStatusPath(const QString& text) { status_->setPartText(0, text); }

void MainWindow::RefreshInfo() {
  const AppState& s = *state_;
  info_->setTexts(s.ctx.fileLoaded ? LoadedInfoTexts(s.ctx.mxfPath, s.mxf.base) : NoFileInfoTexts());
}

void MainWindow::RefreshRange() {
  range_->setTexts(ComputeRangeTexts(state_->ctx, state_->mxf.timecode, state_->plan));
}

void MainWindow::RefreshTracks() {
  tracks_->Relayout(true);
  tracks_->RedrawAll();
}

void MainWindow::ShowContextMenu(const QPoint& globalPos) {
  SignalMenu();
  commands_->contextMenu()->popup(globalPos);
}

void MainWindow::FocusMain() {
  if (isVisible()) activateWindow();
  surface_->setFocus(Qt::OtherFocusReason);
}

QWidget* MainWindow::currentViewWidget() const {
  if (openEdit_ == 0) return range_->inEdit();
  if (openEdit_ == 1) return range_->outEdit();
  return state_->ctx.viewMode == VIEW_LIBRARY ? static_cast<QWidget*>(library_) : surface_;
}

void MainWindow::TakeFocusBack() {
  if (shutDown_ || !isVisible() || QApplication::activeModalWidget() != nullptr) return;
  activateWindow();
  // A command that placed the focus itself (the load button after a refused
  // drop) keeps it; otherwise the current view takes it.
  QWidget* keep = focusWidget();
  if (keep == nullptr || !keep->isVisible() || !keep->isEnabled()) keep = currentViewWidget();
  keep->setFocus(Qt::ActiveWindowFocusReason);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Shutdown();
  event->accept();
}

void MainWindow::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // The background threads are stopped before the state they read goes.
  threads_->Stop();
  state_->ShutdownReset();
  if (!services_.placementRoot.empty()) StorePlacement(PlacementStore(services_.placementRoot), this);
}
