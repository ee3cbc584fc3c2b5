// The single-instance lock "KTZ-30". On Windows it is a named mutex; here it
// is an exclusive advisory lock on a file of that name in the user's runtime
// folder, held for the life of the process and released by the system when
// the process ends (also when it crashes).
#pragma once

#include <string>

#include "platform/file.h"

inline constexpr char16_t kInstanceName[] = u"KTZ-30";

class SingleInstance {
 public:
  // folder: where the lock file lives; DefaultFolder() for the application.
  explicit SingleInstance(std::u16string folder);
  // $XDG_RUNTIME_DIR, else the system's temporary folder.
  static std::u16string DefaultFolder();

  // True when this process now holds the lock; false when another instance
  // holds it.
  bool Acquire();
  bool held() const { return lock_.valid(); }
  std::u16string LockPath() const;

 private:
  std::u16string folder_;
  plat::File lock_;
};
