#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/thread.h"
#include "platform/time.h"
#include "tests/support/scratch.h"

using namespace plat;
using namespace std::chrono_literals;

namespace {

// Waits up to two seconds for a condition that another thread makes true.
template <typename Pred>
bool Eventually(Pred pred) {
  for (int i = 0; i < 400; ++i) {
    if (pred()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return pred();
}

TEST(AutoResetEvent, EachSetReleasesOneWaiter) {
  AutoResetEvent ev("thMenu");
  std::atomic<int> woken{0};
  std::vector<Thread> waiters;
  for (int i = 0; i < 3; ++i)
    waiters.emplace_back([&] {
      ev.Wait();
      ++woken;
    });
  std::this_thread::sleep_for(20ms);  // let them block
  EXPECT_EQ(woken.load(), 0);

  for (int expected = 1; expected <= 3; ++expected) {
    ev.Set();
    EXPECT_TRUE(Eventually([&] { return woken.load() >= expected; }));
    std::this_thread::sleep_for(30ms);  // no second waiter may follow
    EXPECT_EQ(woken.load(), expected);
  }
  for (auto& t : waiters) t.Join();
  EXPECT_FALSE(ev.WaitFor(0));  // consumed by the last waiter
}

TEST(AutoResetEvent, SignalWaitsForTheNextWaiterAndDoesNotCount) {
  AutoResetEvent ev;
  EXPECT_FALSE(ev.WaitFor(0));
  ev.Set();
  ev.Set();  // still one signal
  EXPECT_TRUE(ev.WaitFor(0));
  EXPECT_FALSE(ev.WaitFor(0));

  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ev.WaitFor(30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 25ms);

  Thread setter([&] {
    std::this_thread::sleep_for(20ms);
    ev.Set();
  });
  EXPECT_TRUE(ev.WaitFor(-1));
  setter.Join();
  EXPECT_FALSE(setter.running());
}

class LocalTimeTest : public ::testing::Test {
 protected:
  void UseZone(const char* tz) {
    testsupport::SetEnv("TZ", std::string(tz));
    testsupport::ReadTimeZoneAgain();
  }
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    if (tz) saved_ = tz;
  }
  void TearDown() override {
    testsupport::SetEnv("TZ", saved_);
    testsupport::ReadTimeZoneAgain();
  }
  std::optional<std::string> saved_;
};

TEST_F(LocalTimeTest, CalendarFieldsInTheProcessZone) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows takes the local zone from the system's settings, not from TZ";
#endif
  const FileTime t{1710498645LL * 1000000000LL + 678900000};  // 2024-03-15 10:30:45.6789 UTC, a Friday
  UseZone("UTC0");
  LocalTime u = ToLocalTime(t);
  EXPECT_EQ(u.year, 2024);
  EXPECT_EQ(u.month, 3);
  EXPECT_EQ(u.day, 15);
  EXPECT_EQ(u.hour, 10);
  EXPECT_EQ(u.minute, 30);
  EXPECT_EQ(u.second, 45);
  EXPECT_EQ(u.millisecond, 678);
  EXPECT_EQ(u.weekday, 5);

  UseZone("JST-9");
  LocalTime j = ToLocalTime(t);
  EXPECT_EQ(j.hour, 19);
  EXPECT_EQ(j.day, 15);

  UseZone("UTC0");
  LocalTime before = ToLocalTime(FileTime{-1000000});  // 1 ms before the epoch
  EXPECT_EQ(before.year, 1969);
  EXPECT_EQ(before.month, 12);
  EXPECT_EQ(before.day, 31);
  EXPECT_EQ(before.second, 59);
  EXPECT_EQ(before.millisecond, 999);
}

TEST_F(LocalTimeTest, NowFollowsTheSystemClock) {
  const int64_t sys = static_cast<int64_t>(std::time(nullptr));
  const int64_t now = Now().unixNanos / 1000000000LL;
  EXPECT_LE(std::llabs(now - sys), 1);
  std::time_t tt = static_cast<std::time_t>(sys);
  std::tm tm{};
#if defined(_WIN32)
  ::localtime_s(&tm, &tt);  // the system's zone, which LocalNow follows there
#else
  UseZone("UTC0");
  gmtime_r(&tt, &tm);
#endif
  const LocalTime l = LocalNow();
  EXPECT_EQ(l.year, tm.tm_year + 1900);
  EXPECT_EQ(l.month, tm.tm_mon + 1);
}

}  // namespace
