// Sorting the library's display array.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "bwf/wav_library.h"
#include "platform/text.h"

namespace {

int64_t NumericKey(const WAV_LIBRARY_ENTRY* e, int key) {
  uint64_t v = 0;
  switch (key) {
    case WAV_SORT_CHANNELS: v = e->sortChannels; break;
    case WAV_SORT_BITS: v = e->sortBits; break;
    case WAV_SORT_SAMPLE_RATE: v = e->sortSampleRate; break;
    case WAV_SORT_START: v = e->sortStartFrame; break;
    case WAV_SORT_END: v = e->sortEndFrame; break;
    case WAV_SORT_LENGTH: v = e->sortLength; break;
    case WAV_SORT_CREATED: v = e->sortCreated; break;
    case WAV_SORT_MODIFIED: v = e->sortModified; break;
    case WAV_SORT_SIZE: v = e->sortSize; break;
    default: break;
  }
  return static_cast<int64_t>(v);
}

}  // namespace

int WavSortKeyFromCommand(int command) {
  if (command >= kCmdSortFileName && command <= kCmdSortFileName + 8) {
    static constexpr int kKeys[9] = {WAV_SORT_FILE_NAME, WAV_SORT_CHANNELS, WAV_SORT_BITS,
                                     WAV_SORT_SAMPLE_RATE, WAV_SORT_START, WAV_SORT_LENGTH,
                                     WAV_SORT_CREATED, WAV_SORT_MODIFIED, WAV_SORT_SIZE};
    return kKeys[command - kCmdSortFileName];
  }
  if (command == kCmdSortEnd) return WAV_SORT_END;
  return -1;
}

int WavSortKeyFromColumn(int column) {
  static constexpr int kKeys[kWavColumnCount] = {WAV_SORT_FILE_NAME, WAV_SORT_CHANNELS, WAV_SORT_BITS,
                                                 WAV_SORT_SAMPLE_RATE, WAV_SORT_START, -1,
                                                 WAV_SORT_LENGTH, WAV_SORT_CREATED, WAV_SORT_MODIFIED,
                                                 WAV_SORT_SIZE};
  if (column < 0 || column >= kWavColumnCount) return -1;
  return kKeys[column];
}

bool WavLibrarySort(std::vector<WAV_LIBRARY_ENTRY*>& view, int key, bool& ascending) {
  if (key < WAV_SORT_FILE_NAME || key > WAV_SORT_SIZE || view.empty()) return false;
  for (const WAV_LIBRARY_ENTRY* e : view) {
    if (e == nullptr) return false;
  }
  const bool up = ascending;
  try {
    if (key == WAV_SORT_FILE_NAME) {
      // Names compared by the process locale's collation, as the user sees
      // them ordered elsewhere on the system.
      std::vector<std::pair<std::string, WAV_LIBRARY_ENTRY*>> named;
      named.reserve(view.size());
      for (WAV_LIBRARY_ENTRY* e : view) named.emplace_back(plat::Utf16ToUtf8(e->fileName), e);
      std::stable_sort(named.begin(), named.end(), [up](const auto& a, const auto& b) {
        const int c = std::strcoll(a.first.c_str(), b.first.c_str());
        return up ? c < 0 : c > 0;
      });
      for (size_t i = 0; i < view.size(); ++i) view[i] = named[i].second;
    } else {
      std::stable_sort(view.begin(), view.end(), [up, key](const WAV_LIBRARY_ENTRY* a, const WAV_LIBRARY_ENTRY* b) {
        const int64_t ka = NumericKey(a, key);
        const int64_t kb = NumericKey(b, key);
        return up ? ka < kb : ka > kb;
      });
    }
  } catch (...) {
    return false;  // out of memory: the array keeps a valid order
  }
  ascending = !ascending;
  return true;
}
