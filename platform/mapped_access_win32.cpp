// Guarded mapped access on Windows: a vectored exception handler turns an
// in-page error (the file was cut short or its disk failed) inside a guarded
// call into a jump back to the guard. Wine reports a page past the end of a
// cut-short file as an access violation instead, so those count too, but
// only for addresses inside a mapped file view: any other access violation
// is a fault of ours and goes on to the usual handlers.
#include <windows.h>

#include <mutex>

#include "platform/mapped_access.h"

namespace plat {

namespace {

// __builtin_setjmp/longjmp: no unwinding through the system's frames.
using JumpBuffer = void* [5];

// The guard of this thread, if any.
thread_local JumpBuffer* tGuard = nullptr;
std::once_flag gInstalled;

[[noreturn]] void JumpToGuard() {
  JumpBuffer* guard = tGuard;
  tGuard = nullptr;
  __builtin_longjmp(*guard, 1);
}

bool InMappedView(const void* address) {
  MEMORY_BASIC_INFORMATION info;
  return ::VirtualQuery(address, &info, sizeof info) == sizeof info && info.Type == MEM_MAPPED;
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* ep) {
  if (tGuard == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  const EXCEPTION_RECORD* rec = ep->ExceptionRecord;
  const DWORD code = rec->ExceptionCode;
  if (code != EXCEPTION_IN_PAGE_ERROR && code != EXCEPTION_ACCESS_VIOLATION) return EXCEPTION_CONTINUE_SEARCH;
  if (rec->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
  const void* address = reinterpret_cast<const void*>(rec->ExceptionInformation[1]);
  if (code == EXCEPTION_ACCESS_VIOLATION && !InMappedView(address)) return EXCEPTION_CONTINUE_SEARCH;
  // Resume in JumpToGuard on a fresh, aligned piece of the same stack, as if
  // it had been called: the jump then leaves from an ordinary frame.
  CONTEXT* c = ep->ContextRecord;
  c->Rsp = ((c->Rsp - 512) & ~DWORD64{15}) - 8;
  c->Rip = reinterpret_cast<DWORD64>(&JumpToGuard);
  return EXCEPTION_CONTINUE_EXECUTION;
}

void Install() { ::AddVectoredExceptionHandler(1, OnFault); }

}  // namespace

bool RunGuardedMappedAccess(void (*fn)(void*), void* context) {
  std::call_once(gInstalled, Install);
  JumpBuffer guard;
  JumpBuffer* const outer = tGuard;
  if (__builtin_setjmp(guard) != 0) {
    tGuard = outer;
    return false;
  }
  tGuard = &guard;
  fn(context);
  tGuard = outer;
  return true;
}

}  // namespace plat
