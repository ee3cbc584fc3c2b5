// Threads and auto-reset events.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace plat {

// An auto-reset event: Set() wakes exactly one waiter (or the next one to
// wait), after which the event is unsignalled again. Sets do not count: a
// second Set before anyone waited releases no second waiter. The name is the
// kernel object's on platforms that have named events; here it is a label.
class AutoResetEvent {
 public:
  explicit AutoResetEvent(std::string name = {}) : name_(std::move(name)) {}
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;
  void Set();
  void Wait();
  // True when signalled within timeoutMs (consuming the signal), false on
  // time-out. 0 only polls; a negative timeout waits without end.
  bool WaitFor(int timeoutMs);
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_ = false;
};

// A joinable worker thread; the destructor joins.
class Thread {
 public:
  Thread() = default;
  explicit Thread(std::function<void()> body) : thread_(std::move(body)) {}
  Thread(Thread&&) = default;
  Thread& operator=(Thread&& other) noexcept {
    Join();
    thread_ = std::move(other.thread_);
    return *this;
  }
  ~Thread() { Join(); }
  bool running() const { return thread_.joinable(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace plat
