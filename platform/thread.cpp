// Auto-reset events on a mutex and a condition variable.
#include <chrono>

#include "platform/thread.h"

namespace plat {

void AutoResetEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  cv_.notify_one();
}

void AutoResetEvent::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [this] { return signalled_; });
  signalled_ = false;
}

bool AutoResetEvent::WaitFor(int timeoutMs) {
  if (timeoutMs < 0) {
    Wait();
    return true;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; })) return false;
  signalled_ = false;
  return true;
}

}  // namespace plat
