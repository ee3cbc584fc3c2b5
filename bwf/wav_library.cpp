// The WAV library list: adding, indexing, removing and clearing entries.
#include "bwf/wav_library.h"

#include <new>

#include "platform/path.h"

namespace {

// The last entry of the list (the head itself when the list is empty).
WAV_LIBRARY_ENTRY* LastOf(WAV_LIBRARY_ENTRY* head) {
  WAV_LIBRARY_ENTRY* last = head;
  while (last->next != nullptr) last = last->next;
  return last;
}

bool PathInLibrary(const WAV_LIBRARY_ENTRY* head, const std::u16string& path) {
  for (const WAV_LIBRARY_ENTRY* e = head->next; e != nullptr; e = e->next) {
    if (path == e->fullPath) return true;
  }
  return false;
}

void CopyText(char16_t* dest, size_t capacity, std::u16string_view text) {
  const size_t n = text.size() < capacity ? text.size() : capacity - 1;
  text.copy(dest, n);
  dest[n] = u'\0';
}

}  // namespace

int WavLibraryAdd(const std::u16string& path, WAV_LIBRARY_ENTRY* head, const MXF_TIMECODE_INFO* timecode,
                  plat::SysError* err) {
  if (head == nullptr) return WAV_ADD_NO_HEAD;
  if (PathInLibrary(head, path)) return WAV_ADD_DUPLICATE;
  plat::DirRecord record;
  plat::SysError statErr = 0;
  if (path.empty() || !plat::StatPath(path, &record, &statErr)) {
    if (err) *err = statErr;
    return WAV_ADD_MISSING;
  }
  if (record.isDirectory) return WAV_ADD_FOLDER;
  if (!record.isRegular) return WAV_ADD_NOT_REGULAR;
  {
    plat::SysError openErr = 0;
    if (!plat::File::Open(path, plat::Access::Read, plat::Share::Shared, &openErr).valid()) {
      if (err) *err = openErr;
      return WAV_ADD_UNREADABLE;
    }
  }
  // The entry keeps the path in a fixed field; a path that does not fit could
  // not be opened again under the same name.
  if (path.size() >= kWavPathUnits || path.find(u'\0') != std::u16string::npos) return WAV_ADD_OPEN_FAILED;

  WAV_LIBRARY_ENTRY* entry = new (std::nothrow) WAV_LIBRARY_ENTRY();
  if (entry == nullptr) return WAV_ADD_NO_MEMORY;
  const int read = ReadWavFile(path, &entry->format, timecode);
  if (read != WAV_READ_OK) {
    delete entry;
    return read + 2;
  }

  entry->findData = record;
  CopyText(entry->fullPath, kWavPathUnits, path);
  CopyText(entry->fileName, kWavPathUnits, plat::FileNamePart(path));
  FillWavEntryTexts(entry, timecode);
  entry->selected.store(0);
  entry->assigned.store(0);
  entry->head = head;

  WAV_LIBRARY_ENTRY* last = LastOf(head);
  entry->next = nullptr;
  entry->prev = last;
  last->next = entry;
  head->prev = entry;
  head->count.fetch_add(1);
  return WAV_ADD_OK;
}

bool WavLibraryIndex(WAV_LIBRARY_ENTRY* head, std::vector<WAV_LIBRARY_ENTRY*>& view, size_t spare) {
  if (head == nullptr || head->next == nullptr || head->count.load() <= 0) {
    std::vector<WAV_LIBRARY_ENTRY*>().swap(view);
    return false;
  }
  const size_t count = static_cast<size_t>(head->count.load());
  std::vector<WAV_LIBRARY_ENTRY*> rebuilt;
  try {
    rebuilt.reserve(count + spare);
  } catch (...) {
    return false;
  }
  int32_t i = 0;
  for (WAV_LIBRARY_ENTRY* e = head->next; e != nullptr && rebuilt.size() < count; e = e->next) {
    e->index = i++;
    rebuilt.push_back(e);  // within the reserved capacity: cannot throw
  }
  view.swap(rebuilt);
  return true;
}

int WavLibraryClear(WAV_LIBRARY_ENTRY* head) {
  if (head == nullptr || head->next == nullptr) return 0;
  WAV_LIBRARY_ENTRY* e = head->next;
  while (e != nullptr) {
    WAV_LIBRARY_ENTRY* next = e->next;
    delete e;
    e = next;
  }
  head->next = nullptr;
  head->prev = nullptr;
  head->count.store(0);
  return 1;
}

bool WavLibraryRemove(WAV_LIBRARY_ENTRY* head, WAV_LIBRARY_ENTRY* entry) {
  if (head == nullptr || entry == nullptr || entry == head) return false;
  WAV_LIBRARY_ENTRY* before = head;
  while (before->next != nullptr && before->next != entry) before = before->next;
  if (before->next != entry) return false;

  before->next = entry->next;
  if (entry->next != nullptr) {
    entry->next->prev = before;
  } else {
    head->prev = before == head ? nullptr : before;
  }
  head->count.fetch_sub(1);
  delete entry;
  return true;
}
