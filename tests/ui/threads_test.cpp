// The menu and list threads: woken by their events, computing from the
// shared state and handing the results to the main thread.
#include <QTest>
#include <QThread>

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "tests/ui/support/test_main.h"
#include "ui/background_threads.h"
#include "ui/command_ids.h"

namespace {

struct Harness {
  APP_CONTEXT ctx;
  WAV_LIBRARY_ENTRY head;
  plat::AutoResetEvent menu{"thMenu"};
  plat::AutoResetEvent list{"thList"};
  ListSnapshotBox rows;
  QObject receiver;
  std::vector<ENABLING> enablings;
  std::vector<LIST_PASS_RESULT> passes;
  bool allOnMainThread = true;

  Harness() {
    ctx.menuEvent = &menu;
    ctx.listEvent = &list;
    ctx.library = &head;
  }
  BackgroundThreads make() {
    return BackgroundThreads(
        &ctx, &rows, &receiver,
        [this](const ENABLING& e) {
          allOnMainThread = allOnMainThread && QThread::currentThread() == receiver.thread();
          enablings.push_back(e);
        },
        [this](const LIST_PASS_RESULT& r) {
          allOnMainThread = allOnMainThread && QThread::currentThread() == receiver.thread();
          passes.push_back(r);
        });
  }
};

}  // namespace

class ThreadsTest : public QObject {
  Q_OBJECT

 private slots:
  void bothThreadsMakeAPassAtStart();
  void aSignalAfterAChangeBringsNewEnabling();
  void listPassWritesTheCountsAndWakesTheMenuThread();
  void listPassOverAnEmptyLibraryWakesTheMenuThread();
  void stopEndsBothThreads();
};

void ThreadsTest::bothThreadsMakeAPassAtStart() {
  Harness h;
  BackgroundThreads threads = h.make();
  threads.Start();
  // The list pass wakes the menu thread once more (or is folded into its
  // first pass).
  QTRY_VERIFY(!h.enablings.empty());
  QTRY_COMPARE(h.passes.size(), size_t{1});
  QVERIFY(h.enablings[0].Command(cmd::kLoadMxf));
  QVERIFY(!h.enablings[0].Command(cmd::kUnloadMxf));
  QVERIFY(h.passes[0].pathText == u"パス情報はありません。");
  QVERIFY(h.allOnMainThread);
}

void ThreadsTest::aSignalAfterAChangeBringsNewEnabling() {
  Harness h;
  BackgroundThreads threads = h.make();
  threads.Start();
  QTRY_COMPARE(h.passes.size(), size_t{1});
  QTest::qWait(50);
  const size_t before = h.enablings.size();
  h.ctx.fileLoaded = 1;
  h.ctx.audioTrackCount = 2;
  h.ctx.inSet = 1;
  h.ctx.outSet = 1;
  h.menu.Set();
  QTRY_COMPARE(h.enablings.size(), before + 1);
  QVERIFY(!h.enablings.back().Command(cmd::kLoadMxf));
  QVERIFY(h.enablings.back().Command(cmd::kRewrap));
  QVERIFY(h.enablings.back().Button(ctl::kRewrapButton));
}

void ThreadsTest::listPassWritesTheCountsAndWakesTheMenuThread() {
  Harness h;
  BackgroundThreads threads = h.make();
  threads.Start();
  QTRY_COMPARE(h.passes.size(), size_t{1});
  QTest::qWait(50);
  const int menuBefore = threads.menuPasses();

  h.ctx.fileLoaded = 1;
  h.ctx.viewMode = VIEW_LIBRARY;
  h.head.count = 2;
  LIST_SNAPSHOT snapshot;
  snapshot.generation = 3;
  snapshot.viewExists = true;
  snapshot.libraryCount = 2;
  snapshot.rows = {{true, true, u"/x/a.wav"}, {false, false, u"/x/b.wav"}};
  h.rows.Publish(snapshot);
  h.list.Set();
  QTRY_COMPARE(h.passes.size(), size_t{2});
  QCOMPARE(h.ctx.selectedCount.load(), 1);
  QCOMPARE(h.ctx.currentListIndex.load(), 0);
  QVERIFY(h.passes[1].countText == u"WAV/BWFファイル :  2個    1個を選択中");
  // The list thread's pass ends by waking the menu thread, which now sees
  // one selected row.
  QTRY_VERIFY(threads.menuPasses() > menuBefore);
  QTRY_VERIFY(!h.enablings.empty() && h.enablings.back().Command(cmd::kAssign));
}

void ThreadsTest::listPassOverAnEmptyLibraryWakesTheMenuThread() {
  // After an unload the list is empty; the main thread has dropped a
  // pending menu signal when the rows changed, so this pass must wake the
  // menu thread for the no-file enabling.
  Harness h;
  BackgroundThreads threads = h.make();
  threads.Start();
  QTRY_COMPARE(h.passes.size(), size_t{1});
  QTest::qWait(50);
  const int menuBefore = threads.menuPasses();
  h.list.Set();
  QTRY_COMPARE(h.passes.size(), size_t{2});
  QTRY_VERIFY(threads.menuPasses() > menuBefore);
}

void ThreadsTest::stopEndsBothThreads() {
  Harness h;
  BackgroundThreads threads = h.make();
  threads.Start();
  QTRY_COMPARE(h.passes.size(), size_t{1});
  threads.Stop();
  QCOMPARE(h.ctx.menuThreadStop.load(), 1);
  QCOMPARE(h.ctx.listThreadStop.load(), 1);
  // Stopped threads no longer take their events: a new signal stays pending.
  h.menu.Set();
  h.list.Set();
  QVERIFY(h.menu.WaitFor(0));
  QVERIFY(h.list.WaitFor(0));
}

VELMORA_UI_TEST_MAIN(ThreadsTest)
#include "threads_test.moc"
