// Windows: the pages of a range to be read are fetched in one request; there
// is no counterpart for writing, so those pages fault in one by one.
#include <windows.h>

#include "platform/view_prefault.h"

void PrefaultForRead(const uint8_t* data, size_t bytes) {
  if (data == nullptr || bytes == 0) return;
  WIN32_MEMORY_RANGE_ENTRY range{const_cast<uint8_t*>(data), bytes};
  ::PrefetchVirtualMemory(::GetCurrentProcess(), 1, &range, 0);
}

void PrefaultForWrite(uint8_t*, size_t) {}
