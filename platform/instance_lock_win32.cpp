// The instance lock on Windows: a named mutex of the user's session. Only its
// existence matters; nobody waits on it.
#include <windows.h>

#include "platform/instance_lock.h"

namespace plat {

struct InstanceLock::Held {
  HANDLE mutex = nullptr;
  ~Held() {
    if (mutex != nullptr) CloseHandle(mutex);
  }
};

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() = default;
InstanceLock::InstanceLock(InstanceLock&&) noexcept = default;
InstanceLock& InstanceLock::operator=(InstanceLock&&) noexcept = default;

bool InstanceLock::held() const { return held_ != nullptr; }

std::u16string InstanceLock::DefaultFolder() { return std::u16string(); }

bool InstanceLock::Acquire(const std::u16string&, const std::u16string& name) {
  if (held_) return true;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(name.c_str()));
  if (mutex == nullptr) return false;
  // An existing mutex (or one another user's process made, which we may not
  // open) means another instance runs.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  held_ = std::make_unique<Held>();
  held_->mutex = mutex;
  return true;
}

}  // namespace plat
