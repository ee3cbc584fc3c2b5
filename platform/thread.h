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
// wait), after which the event is unsignalled again.
class AutoResetEvent {
 public:
  explicit AutoResetEvent(std::string name = {}) : name_(std::move(name)) {}
  void Set();
  void Wait();
  // True when signalled within timeoutMs, false on time-out.
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
