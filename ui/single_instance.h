// The single-instance lock "KTZ-30": on Windows the named mutex of the user's
// session; elsewhere an exclusive advisory lock on a file of that name in the
// user's runtime folder. Held for the life of the process and released by
// the system when the process ends (also when it crashes).
#pragma once

#include <string>

#include "platform/instance_lock.h"

inline constexpr char16_t kInstanceName[] = u"KTZ-30";

class SingleInstance {
 public:
  // folder: where the lock file lives (not used on Windows); DefaultFolder()
  // for the application.
  explicit SingleInstance(std::u16string folder);
  static std::u16string DefaultFolder() { return plat::InstanceLock::DefaultFolder(); }

  // True when this process now holds the lock; false when another instance
  // holds it.
  bool Acquire();
  bool held() const { return lock_.held(); }

 private:
  std::u16string folder_;
  plat::InstanceLock lock_;
};
