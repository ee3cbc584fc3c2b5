// Body of fuzz_local_set.
#include <cstring>

#include "engine/byte_order.h"
#include "engine/local_set.h"
#include "engine/primer.h"
#include "fuzz/entries/fuzz_entries.h"
#include "fuzz/entries/scratch_file.h"
#include "platform/file.h"

namespace fuzz {

namespace {

// Walks data as a set value and checks that every item handed out lies
// inside it and that the items tile it from offset 0. Returns the count.
int Walk(const uint8_t* data, size_t size) {
  int items = 0;
  size_t expected = 0;  // where the next item's value must start
  bool sawTruncated = false;
  const bool whole = ForEachLocalItem(data, size, [&](uint16_t tag, const uint8_t* value, uint16_t length) {
    FUZZ_CHECK(!sawTruncated);  // nothing follows a truncated item
    FUZZ_CHECK(value == data + expected + 4);
    FUZZ_CHECK(static_cast<size_t>(length) <= size - expected - 4);
    FUZZ_CHECK(tag == ReadBE16(data + expected));
    const uint16_t claimed = ReadBE16(data + expected + 2);
    FUZZ_CHECK(length <= claimed);
    if (length < claimed) sawTruncated = true;
    // Touch the whole value, so a range that is not ours is caught.
    volatile uint8_t sink = 0;
    for (uint16_t i = 0; i < length; ++i) sink = sink ^ value[i];
    (void)sink;
    expected += 4 + size_t{length};
    ++items;
  });
  FUZZ_CHECK(whole == (expected == size && !sawTruncated));
  return items;
}

}  // namespace

int RunLocalSetInput(const uint8_t* data, size_t size) {
  const int items = Walk(data, size);
  FUZZ_CHECK(ForEachLocalItem(nullptr, 0, [](uint16_t, const uint8_t*, uint16_t) { std::abort(); }));

  // The input as a primer pack value.
  PrimerMap map;
  const bool complete = ParsePrimerPack(data, size, &map);
  if (size >= 8) {
    const uint32_t count = ReadBE32(data);
    const uint32_t itemSize = ReadBE32(data + 4);
    FUZZ_CHECK(map.size() <= count);
    if (itemSize >= 18) FUZZ_CHECK(map.size() <= (size - 8) / itemSize);
    if (complete) FUZZ_CHECK(map.size() == count);
    for (size_t i = 0; i < map.size() && i < 64; ++i) {
      const uint8_t* item = data + 8 + i * itemSize;
      FUZZ_CHECK(map[i].localTag == ReadBE16(item));
      FUZZ_CHECK(std::memcmp(map[i].ul, item + 2, 16) == 0);
    }
  } else {
    FUZZ_CHECK(!complete && map.empty());
  }
  if (!map.empty()) {
    // A label listed in the map gives the tag of the first entry that lists it.
    const PRIMER_ENTRY& last = map.back();
    size_t first = 0;
    while (std::memcmp(map[first].ul, last.ul, 16) != 0) ++first;
    FUZZ_CHECK(FindLocalTag(map, last.ul, false) == map[first].localTag);
  }
  if (size >= 16) (void)FindLocalTag(map, data + size - 16, (data[0] & 1) != 0);

  // The input as a file holding a primer pack somewhere.
  ScratchFile& scratch = ScratchFile::Get();
  if (scratch.Write(data, size)) {
    plat::File file = plat::File::Open(scratch.widePath(), plat::Access::Read, plat::Share::Shared);
    if (file.valid()) {
      PrimerMap loaded;
      // A pack that is missing, or from which not one item could be taken,
      // leaves the map empty. (A well-formed pack may list no items.)
      if (!LoadPrimerPack(&file, 0, size, &loaded)) FUZZ_CHECK(loaded.empty());
    }
  }
  return items;
}

}  // namespace fuzz
