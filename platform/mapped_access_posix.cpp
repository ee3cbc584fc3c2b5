#include <setjmp.h>
#include <signal.h>

#include <mutex>

#include "platform/mapped_access.h"

namespace plat {

namespace {

// The guard of this thread, if any.
thread_local sigjmp_buf* tGuard = nullptr;
struct sigaction gPrevious;
std::once_flag gInstalled;

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (sigjmp_buf* guard = tGuard) {
    tGuard = nullptr;
    siglongjmp(*guard, 1);
  }
  // Not a guarded access: whatever handled it before does.
  if ((gPrevious.sa_flags & SA_SIGINFO) != 0 && gPrevious.sa_sigaction != nullptr) {
    gPrevious.sa_sigaction(signal, info, context);
    return;
  }
  if (gPrevious.sa_handler != SIG_DFL && gPrevious.sa_handler != SIG_IGN && gPrevious.sa_handler != nullptr) {
    gPrevious.sa_handler(signal);
    return;
  }
  // The default action: returning re-runs the access, which now ends the
  // process as it would have without us.
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(SIGBUS, &dfl, nullptr);
}

void Install() {
  struct sigaction sa = {};
  sa.sa_sigaction = OnBusError;
  // Not blocked while handled: the jump out of the handler does not restore
  // the signal mask (that would cost a system call per guard).
  sa.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGBUS, &sa, &gPrevious);
}

}  // namespace

bool RunGuardedMappedAccess(void (*fn)(void*), void* context) {
  std::call_once(gInstalled, Install);
  sigjmp_buf guard;
  sigjmp_buf* const outer = tGuard;
  if (sigsetjmp(guard, 0) != 0) {
    tGuard = outer;
    return false;
  }
  tGuard = &guard;
  fn(context);
  tGuard = outer;
  return true;
}

}  // namespace plat
