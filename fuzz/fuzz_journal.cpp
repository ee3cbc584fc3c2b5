// libFuzzer target fuzz_journal: see fuzz/entries/fuzz_entries.h.
#include <cstddef>
#include <cstdint>

#include "fuzz/entries/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)fuzz::RunJournalInput(data, size);
  return 0;
}
