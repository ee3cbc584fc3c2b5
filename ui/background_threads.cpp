#include "ui/background_threads.h"

#include <QMetaObject>

#include "engine/app_context.h"
#include "engine/text_format.h"
#include "ui/ui_texts.h"

LIST_PASS_RESULT ComputeListPass(const LIST_SNAPSHOT& snapshot) {
  LIST_PASS_RESULT result;
  result.generation = snapshot.generation;
  result.pathText = txt::kNoPath;
  if (snapshot.viewExists) {
    result.selected.resize(snapshot.rows.size());
    for (size_t i = 0; i < snapshot.rows.size(); ++i) {
      const LIST_ROW_STATE& row = snapshot.rows[i];
      result.selected[i] = row.selected ? 1 : 0;
      if (row.selected) ++result.selectedCount;
      if (row.focused && result.focusedRow < 0) {
        result.focusedRow = static_cast<int32_t>(i);
        result.pathText = row.fullPath;
      }
    }
  }
  result.countText = FormatText(txt::kLibraryCounts, {static_cast<int64_t>(snapshot.libraryCount),
                                                      static_cast<int64_t>(result.selectedCount)});
  return result;
}

void ListSnapshotBox::Publish(LIST_SNAPSHOT snapshot) {
  auto next = std::make_shared<const LIST_SNAPSHOT>(std::move(snapshot));
  std::lock_guard<std::mutex> lock(mutex_);
  snapshot_ = std::move(next);
}

std::shared_ptr<const LIST_SNAPSHOT> ListSnapshotBox::Take() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return snapshot_;
}

BackgroundThreads::BackgroundThreads(APP_CONTEXT* ctx, const ListSnapshotBox* rows, QObject* receiver,
                                     EnablingSink onEnabling, ListSink onList, LoudnessSink onLoudness)
    : ctx_(ctx),
      rows_(rows),
      receiver_(receiver),
      onEnabling_(std::move(onEnabling)),
      onList_(std::move(onList)),
      onLoudness_(std::move(onLoudness)) {}

BackgroundThreads::~BackgroundThreads() { Stop(); }

void BackgroundThreads::Start() {
  if (started_) return;
  started_ = true;
  ctx_->menuThreadStop = 0;
  ctx_->listThreadStop = 0;
  menuThread_ = plat::Thread([this] { MenuLoop(); });
  listThread_ = plat::Thread([this] { ListLoop(); });
  ctx_->menuEvent->Set();
  ctx_->listEvent->Set();
}

void BackgroundThreads::Stop() {
  if (!started_) return;
  started_ = false;
  ctx_->menuThreadStop = 1;
  ctx_->listThreadStop = 1;
  ctx_->menuEvent->Set();
  WakeList();
  // Neither thread ever waits for the main thread, so joining cannot block
  // on a call the main thread would have to serve.
  menuThread_.Join();
  listThread_.Join();
}

void BackgroundThreads::WakeList() {
  // The interrupt comes first: the list thread clears it before it looks
  // for a signal, so that neither is lost.
  meter_.Interrupt();
  ctx_->listEvent->Set();
}

void BackgroundThreads::MenuLoop() {
  for (;;) {
    ctx_->menuEvent->Wait();
    if (ctx_->menuThreadStop == 1) return;
    ENABLING enabling = ComputeEnabling(ReadEnablingInput(*ctx_));
    if (QObject* receiver = receiver_) {
      QMetaObject::invokeMethod(
          receiver, [sink = onEnabling_, enabling = std::move(enabling)] { sink(enabling); }, Qt::QueuedConnection);
    }
    ++menuPasses_;
  }
}

void BackgroundThreads::ListLoop() {
  ctx_->listEvent->Wait();
  for (;;) {
    if (ctx_->listThreadStop == 1) return;
    ctx_->selectedCount = 0;
    const std::shared_ptr<const LIST_SNAPSHOT> snapshot = rows_->Take();
    LIST_PASS_RESULT result = ComputeListPass(*snapshot);
    if (snapshot->viewExists) {
      if (result.focusedRow >= 0) ctx_->currentListIndex = result.focusedRow;
      ctx_->selectedCount = result.selectedCount;
    }
    // Every pass ends by waking the menu thread, also over an empty library:
    // the main thread drops a pending menu signal when the list's rows
    // change, counting on this one (an unload empties the list).
    ctx_->menuEvent->Set();
    if (QObject* receiver = receiver_) {
      QMetaObject::invokeMethod(
          receiver, [sink = onList_, result = std::move(result)] { sink(result); }, Qt::QueuedConnection);
    }
    ++listPasses_;
    MeasureUntilSignalled(*snapshot);
    ctx_->selectedCount = 0;
    if (ctx_->listThreadStop == 1) return;
  }
}

void BackgroundThreads::MeasureUntilSignalled(const LIST_SNAPSHOT& snapshot) {
  // Files gone from the list are measured again should they come back.
  std::unordered_set<std::u16string> listed;
  for (const LIST_ROW_STATE& row : snapshot.rows) listed.insert(row.fullPath);
  for (auto it = measured_.begin(); it != measured_.end();) {
    it = listed.count(*it) != 0 ? std::next(it) : measured_.erase(it);
  }
  for (const LIST_ROW_STATE& row : snapshot.rows) {
    if (!onLoudness_ || !LibraryMeter::Available()) break;
    if (measured_.count(row.fullPath) != 0) continue;
    meter_.Resume();
    if (ctx_->listEvent->WaitFor(0)) return;
    LIBRARY_LOUDNESS measured;
    if (!meter_.Measure(row.fullPath, &measured)) break;  // interrupted: the signal is on its way
    measured_.insert(row.fullPath);
    if (QObject* receiver = receiver_) {
      QMetaObject::invokeMethod(
          receiver, [sink = onLoudness_, measured = std::move(measured)] { sink(measured); }, Qt::QueuedConnection);
    }
  }
  ctx_->listEvent->Wait();
}
