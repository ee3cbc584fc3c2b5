// The instance lock on POSIX: an advisory lock on a file in the runtime folder.
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/file.h"
#include "platform/instance_lock.h"
#include "platform/path.h"
#include "platform/text.h"

namespace plat {

struct InstanceLock::Held {
  File file;
};

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() = default;
InstanceLock::InstanceLock(InstanceLock&&) noexcept = default;
InstanceLock& InstanceLock::operator=(InstanceLock&&) noexcept = default;

bool InstanceLock::held() const { return held_ != nullptr; }

std::u16string InstanceLock::DefaultFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    return Utf8ToUtf16(runtime);
  }
  const char* tmp = std::getenv("TMPDIR");
  return Utf8ToUtf16(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
}

bool InstanceLock::Acquire(const std::u16string& folder, const std::u16string& name) {
  if (held_) return true;
  // The name carries the user id, so that in a shared temporary folder each
  // user has an instance of their own (as each desktop session does).
  const std::u16string path =
      JoinPath(folder, name + u"-" + Utf8ToUtf16(std::to_string(::getuid())) + u".lock");
  // Access::Write truncates only after the lock is held, so a refused open
  // leaves the running instance's file alone.
  File file = File::Open(path, Access::Write, Share::Exclusive);
  if (!file.valid()) return false;
  held_ = std::make_unique<Held>(Held{std::move(file)});
  return true;
}

}  // namespace plat
