#include "engine/local_set.h"

#include <new>

#include "platform/file.h"

bool ReadSetValue(plat::File* file, const KLV_LENGTH& length, std::vector<uint8_t>* out,
                  size_t* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  if (out == nullptr) return false;
  out->clear();
  if (file == nullptr || !file->valid()) return false;
  try {
    out->assign(length.low, 0);
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
