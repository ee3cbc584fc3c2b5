// The menu thread and the list thread. Each sleeps on its auto-reset event
// ("thMenu", "thList"); one signal is one pass. The menu thread computes the
// enabling of every button and menu item from APP_CONTEXT; the list thread
// mirrors the library list's selection into the library entries and writes
// the status bar's path and counts. Between its passes the list thread
// measures the loudness of the library's files not measured yet, one at a
// time; a signal interrupts the measurement (it is made again after the
// pass). Neither touches a widget: each hands its
// result to the main thread (a queued call on the receiver), which applies
// it. The main thread publishes the list's row states for the list thread in
// a snapshot, so the list thread never waits for the main thread.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/thread.h"
#include "ui/enabling.h"
#include "ui/library_loudness.h"

struct APP_CONTEXT;

struct LIST_ROW_STATE {
  bool selected = false;
  bool focused = false;
  std::u16string fullPath;
};

// The library list as the main thread last published it.
struct LIST_SNAPSHOT {
  uint64_t generation = 0;  // changes whenever the rows' entries change
  bool viewExists = false;  // the display array exists (the library is not empty)
  int32_t libraryCount = 0;
  std::vector<LIST_ROW_STATE> rows;
};

// One pass of the list thread.
struct LIST_PASS_RESULT {
  uint64_t generation = 0;
  std::vector<uint8_t> selected;  // per row, for the entries' `selected`
  int32_t selectedCount = 0;
  int32_t focusedRow = -1;        // -1: no row has the focus
  std::u16string pathText;        // status bar part 0
  std::u16string countText;       // status bar part 1
};

LIST_PASS_RESULT ComputeListPass(const LIST_SNAPSHOT& snapshot);

class ListSnapshotBox {
 public:
  void Publish(LIST_SNAPSHOT snapshot);
  std::shared_ptr<const LIST_SNAPSHOT> Take() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const LIST_SNAPSHOT> snapshot_ = std::make_shared<LIST_SNAPSHOT>();
};

class BackgroundThreads {
 public:
  using EnablingSink = std::function<void(const ENABLING&)>;
  using ListSink = std::function<void(const LIST_PASS_RESULT&)>;
  using LoudnessSink = std::function<void(const LIBRARY_LOUDNESS&)>;

  // The sinks run on the receiver's thread. Without onLoudness nothing is
  // measured.
  BackgroundThreads(APP_CONTEXT* ctx, const ListSnapshotBox* rows, QObject* receiver, EnablingSink onEnabling,
                    ListSink onList, LoudnessSink onLoudness = {});
  ~BackgroundThreads();

  // Starts both threads and signals both events once.
  void Start();
  // Sets the stop flags, wakes both threads and waits for them.
  void Stop();
  // Wakes the list thread for a pass, ending a measurement under way.
  void WakeList();

  // Passes made so far (for tests that wait for a pass to finish).
  int menuPasses() const { return menuPasses_.load(); }
  int listPasses() const { return listPasses_.load(); }

 private:
  void MenuLoop();
  void ListLoop();
  // Measures the snapshot's files not measured yet until the list event is
  // signalled; returns once it has been (the signal consumed).
  void MeasureUntilSignalled(const LIST_SNAPSHOT& snapshot);

  APP_CONTEXT* ctx_;
  const ListSnapshotBox* rows_;
  QObject* receiver_;  // outlives the threads: Stop() runs before it goes
  EnablingSink onEnabling_;
  ListSink onList_;
  LoudnessSink onLoudness_;
  LibraryMeter meter_;
  std::unordered_set<std::u16string> measured_;  // the list thread's own
  plat::Thread menuThread_;
  plat::Thread listThread_;
  std::atomic<int> menuPasses_{0};
  std::atomic<int> listPasses_{0};
  bool started_ = false;
};
