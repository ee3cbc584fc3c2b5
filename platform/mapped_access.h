// Reading and writing mapped views safely while another program may cut the
// file short. A page of a view that lies past the file's current end
// cannot be read or written: POSIX raises SIGBUS (Windows an in-page
// error). Accesses made through GuardMappedAccess() end the guarded code
// early in that case, and the caller gets false instead of the process
// ending.
//
// The guarded code is left without unwinding: it must not create objects
// whose destructors matter (no containers, files or locks made inside it)
// and must leave whatever it updates consistent after each access (update a
// count after the copy, not before). Plain loops over memcpy-like work are
// what it is for.
#pragma once

#include <type_traits>

namespace plat {

// Runs fn(context); false when an access to a mapped page failed.
bool RunGuardedMappedAccess(void (*fn)(void*), void* context);

template <class F>
bool GuardMappedAccess(F&& f) {
  using Fn = std::remove_reference_t<F>;
  return RunGuardedMappedAccess([](void* c) { (*static_cast<Fn*>(c))(); }, static_cast<void*>(&f));
}

}  // namespace plat
