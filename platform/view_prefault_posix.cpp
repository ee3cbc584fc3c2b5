#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/view_prefault.h"

#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22
#endif
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {

void Advise(const uint8_t* data, size_t bytes, int advice) {
  if (data == nullptr || bytes == 0) return;
  static const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE) > 0 ? ::sysconf(_SC_PAGESIZE) : 4096);
  const uintptr_t begin = reinterpret_cast<uintptr_t>(data) & ~(page - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(data) + bytes;
  ::madvise(reinterpret_cast<void*>(begin), end - begin, advice);
}

}  // namespace

void PrefaultForRead(const uint8_t* data, size_t bytes) { Advise(data, bytes, MADV_POPULATE_READ); }

void PrefaultForWrite(uint8_t* data, size_t bytes) { Advise(data, bytes, MADV_POPULATE_WRITE); }
