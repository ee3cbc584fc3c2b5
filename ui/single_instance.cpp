#include "ui/single_instance.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/path.h"
#include "platform/text.h"

SingleInstance::SingleInstance(std::u16string folder) : folder_(std::move(folder)) {}

std::u16string SingleInstance::DefaultFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    return plat::Utf8ToUtf16(runtime);
  }
  const char* tmp = std::getenv("TMPDIR");
  return plat::Utf8ToUtf16(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
}

std::u16string SingleInstance::LockPath() const {
  // The name carries the user id, so that in a shared temporary folder each
  // user has an instance of their own (as each desktop session does).
  const std::u16string name =
      std::u16string(kInstanceName) + u"-" + plat::Utf8ToUtf16(std::to_string(::getuid())) + u".lock";
  return plat::JoinPath(folder_, name);
}

bool SingleInstance::Acquire() {
  if (lock_.valid()) return true;
  // Access::Write truncates only after the lock is held, so a refused open
  // leaves the running instance's file alone.
  lock_ = plat::File::Open(LockPath(), plat::Access::Write, plat::Share::Exclusive);
  return lock_.valid();
}
