// A lock one process of the user holds for its whole life, so that a second
// copy of a program can tell it is not alone. The system releases it when
// the process ends, also after a crash.
#pragma once

#include <memory>
#include <string>

namespace plat {

class InstanceLock {
 public:
  InstanceLock();
  ~InstanceLock();
  InstanceLock(InstanceLock&&) noexcept;
  InstanceLock& operator=(InstanceLock&&) noexcept;

  // Takes the lock `name`. Windows: the named mutex `name` of the user's
  // session (`folder` is not used). Elsewhere: an exclusive lock on the file
  // `name`-<user id>.lock in `folder`. False when another holder has it.
  bool Acquire(const std::u16string& folder, const std::u16string& name);
  bool held() const;

  // Where the lock files live by default: $XDG_RUNTIME_DIR, else $TMPDIR,
  // else /tmp (empty on Windows, where the session holds the names).
  static std::u16string DefaultFolder();

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};

}  // namespace plat
