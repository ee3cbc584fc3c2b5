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
  void stopEndsBothThreads();
};

void ThreadsTest::bothThreadsMakeAPassAtStart() {
  Harness h;
  BackgroundThreads threads = h.make();
  threads.Start();
  QTRY_COMPARE(h.enablings.size(), size_t{1});
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
  QTRY_COMPARE(h.enablings.size(), size_t{1});
  h.ctx.fileLoaded = 1;
  h.ctx.audioTrackCount = 2;
  h.ctx.inSet = 1;
  h.ctx.outSet = 1;
  h.menu.Set();
  QTRY_COMPARE(h.enablings.size(), size_t{2});
  QVERIFY(!h.enablings[1].Command(cmd::kLoadMxf));
  QVERIFY(h.enablings[1].Command(cmd::kRewrap));
  QVERIFY(h.enablings[1].Button(ctl::kRewrapButton));
}

void ThreadsTest::listPassWritesTheCountsAndWakesTheMenuThread() {
  Harness h;
  BackgroundThreads threads = h.make();
  threads.Start();
  QTRY_COMPARE(h.passes.size(), size_t{1});
  QTRY_COMPARE(h.enablings.size(), size_t{1});
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
