#include "engine/local_set.h"

#include <new>

#include "platform/file.h"

bool ReadSetValue(plat::File* file, const KLV_LENGTH& length, std::vector<uint8_t>* out,
                  size_t* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  if (out == nullptr) return false;
  out->clear();
  if (file == nullptr || !file->valid()) return false;
  // What the file holds from the value's first byte on (nothing when the
  // position or the size cannot be taken).
  uint64_t fileSize = 0;
  const uint64_t pos = file->Tell();
  const uint64_t held = pos != UINT64_MAX && file->Size(&fileSize) && fileSize > pos ? fileSize - pos : 0;
  uint64_t size = length.low;
  if (size > held && size - held > kMaxMissingSetBytes) size = held + kMaxMissingSetBytes;
  try {
    out->assign(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    out->clear();
    out->shrink_to_fit();
    return false;
  }
  if (out->empty()) return true;
  const int64_t got = file->Read(out->data(), out->size());
  if (got > 0 && bytesRead) *bytesRead = static_cast<size_t>(got);
  return true;
}
