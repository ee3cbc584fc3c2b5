// The WAV library: the WAV/BWF files the user has added, in the order they
// were added, with the display texts and sort keys of each, and the pointer
// array the list view shows (in display order).
//
// The library is a doubly linked list under a head record of the same type:
// head.next is the first entry, head.count the number of entries, head.prev
// the last entry (null when empty). The first entry's prev is the head.
// Entries are owned by the library: WavLibraryAdd allocates them,
// WavLibraryRemove and WavLibraryClear free them. A pointer array built by
// WavLibraryIndex must be rebuilt after every removal.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bwf/wav_reader.h"
#include "engine/mxf_records.h"
#include "platform/file.h"

inline constexpr size_t kWavPathUnits = 1024;   // fileName, fullPath (with terminator)
inline constexpr int kWavColumnCount = 10;
inline constexpr size_t kWavColumnUnits = 256;  // each column text (with terminator)

// The list view's columns; column i shows columnText[i].
enum WAV_COLUMN : int {
  WAV_COL_FILE_NAME = 0,
  WAV_COL_CHANNELS = 1,
  WAV_COL_BITS = 2,
  WAV_COL_SAMPLE_RATE = 3,
  WAV_COL_START = 4,      // "hh:mm:ss:ff +sss *ffff"
  WAV_COL_END = 5,
  WAV_COL_DURATION = 6,   // "hh:mm:ss:ff"
  WAV_COL_CREATED = 7,    // "yyyy/mm/dd hh:mm:ss", local time
  WAV_COL_MODIFIED = 8,
  WAV_COL_SIZE = 9,       // "1.50 MB"
};

struct WAV_LIBRARY_ENTRY {
  int32_t index = 0;                 // position in the display array (WavLibraryIndex)
  std::atomic<int32_t> count{0};     // in the head only: number of entries
  char16_t fileName[kWavPathUnits] = {};  // the path's last component
  char16_t fullPath[kWavPathUnits] = {};  // the path as given
  plat::DirRecord findData;          // size and times when the file was added
  WAV_FORMAT_INFO format;
  char16_t columnText[kWavColumnCount][kWavColumnUnits] = {};
  uint64_t sortChannels = 0;
  uint64_t sortBits = 0;
  uint64_t sortSampleRate = 0;
  uint64_t sortStartFrame = 0;
  uint64_t sortEndFrame = 0;
  uint64_t sortLength = 0;           // the length the duration column shows
  uint64_t sortCreated = 0;          // creation time, 100 ns units since 1601-01-01 UTC
  uint64_t sortModified = 0;         // last write time, same units
  uint64_t sortSize = 0;             // file size in bytes
  std::atomic<int32_t> selected{0};  // mirrored from the list view by the list thread
  std::atomic<int32_t> assigned{0};  // 1 while the entry feeds at least one existing track
  WAV_LIBRARY_ENTRY* head = nullptr;
  WAV_LIBRARY_ENTRY* next = nullptr;
  WAV_LIBRARY_ENTRY* prev = nullptr;

  WAV_LIBRARY_ENTRY() = default;
  WAV_LIBRARY_ENTRY(const WAV_LIBRARY_ENTRY&) = delete;
  WAV_LIBRARY_ENTRY& operator=(const WAV_LIBRARY_ENTRY&) = delete;
};

// Results of WavLibraryAdd.
enum WAV_ADD_RESULT : int {
  WAV_ADD_OK = 0,
  WAV_ADD_NO_HEAD = 1,
  WAV_ADD_NO_MEMORY = 2,
  // 3..8: ReadWavFile's code + 2 (a path too long for the entry counts as a
  // file that cannot be opened, 6).
  WAV_ADD_BAD_FRAME_RATE = 5,
  WAV_ADD_OPEN_FAILED = 6,
  WAV_ADD_NOT_WAVE = 7,
  WAV_ADD_BAD_FORMAT = 8,  // also: no file at the path
  WAV_ADD_DUPLICATE = 9,   // the same path (case-sensitive) is already in the library
  WAV_ADD_MISSING = 10,    // nothing at the path
  WAV_ADD_FOLDER = 11,     // the path is a folder
  WAV_ADD_NOT_REGULAR = 12,  // a FIFO, device or socket: never opened, so never waited on
  WAV_ADD_UNREADABLE = 13,   // the file cannot be opened for reading (system error given)
};

// Adds the file at `path` at the tail of the library, its positions and
// texts at the rate of `timecode` (the loaded MXF file's timecode record).
// On any failure the library is unchanged. Returns a WAV_ADD_RESULT.
// *err (when given) receives the system error of WAV_ADD_MISSING and
// WAV_ADD_UNREADABLE.
int WavLibraryAdd(const std::u16string& path, WAV_LIBRARY_ENTRY* head, const MXF_TIMECODE_INFO* timecode,
                  plat::SysError* err = nullptr);

// Rebuilds `view` in library order (at most head.count entries), setting
// each entry's index, with room reserved for `spare` more. Returns false
// when the library is empty (view emptied and its memory released) or when
// memory is short (view left as it was).
bool WavLibraryIndex(WAV_LIBRARY_ENTRY* head, std::vector<WAV_LIBRARY_ENTRY*>& view, size_t spare = 0);

// Frees every entry; head.next and head.prev become null and head.count 0.
// Returns 1, or 0 when there is no head or no entry.
int WavLibraryClear(WAV_LIBRARY_ENTRY* head);

// Unlinks `entry` from its library and frees it. False (nothing freed) when
// the entry is not in the library of `head`. Track slots that hold the entry
// must be cleared first (see RemoveLibraryEntry of the track plan).
bool WavLibraryRemove(WAV_LIBRARY_ENTRY* head, WAV_LIBRARY_ENTRY* entry);

// Fills the ten column texts and the sort keys from the entry's fileName,
// findData and format, timecodes at the base and drop-frame flag of
// `timecode`. Done once when the entry is added.
void FillWavEntryTexts(WAV_LIBRARY_ENTRY* entry, const MXF_TIMECODE_INFO* timecode);

// ---------------------------------------------------------------------------
// Sorting the display array

enum WAV_SORT_KEY : int {
  WAV_SORT_FILE_NAME = 0,  // the locale's collation, case-sensitive
  WAV_SORT_CHANNELS,
  WAV_SORT_BITS,
  WAV_SORT_SAMPLE_RATE,
  WAV_SORT_START,
  WAV_SORT_END,
  WAV_SORT_LENGTH,
  WAV_SORT_CREATED,
  WAV_SORT_MODIFIED,
  WAV_SORT_SIZE,
};

// The sort commands of the menu and the column headers (32868..32876, and
// 32882 for the end time).
inline constexpr int kCmdSortFileName = 32868;
inline constexpr int kCmdSortEnd = 32882;

// Key of a sort command; -1 for any other command.
int WavSortKeyFromCommand(int command);
// Key a click on a column header sorts by; -1 for the end column (5), which
// does not sort, and for columns out of range.
int WavSortKeyFromColumn(int column);

// Sorts the display array by `key` (numeric keys compared as signed 64-bit
// values) in the direction `ascending`, then inverts `ascending`, so that
// repeated sorts alternate. Entries with equal keys keep their relative
// order. The library itself keeps its order. False (nothing changed) for an
// unknown key or an empty array.
bool WavLibrarySort(std::vector<WAV_LIBRARY_ENTRY*>& view, int key, bool& ascending);

// ---------------------------------------------------------------------------
// Texts the interface shows about the library

// The message for a failed WavLibraryAdd of `path` (result `code`), as the
// add command shows it (dropped = false) or as dropping files shows it.
std::u16string WavAddFailureMessage(int code, std::u16string_view path, bool dropped, plat::SysError err = 0);
// Captions of the two ways of adding.
inline constexpr const char16_t* kWavAddCaption = u"BWF(WAV)ファイルを追加";
inline constexpr const char16_t* kWavDropCaption = u"ドロップされたファイル";
// After adding, when the display array cannot be rebuilt (caption
// kMemoryCaption).
inline constexpr const char16_t* kWavIndexNoMemoryText = u"メモリが確保できないため、ファイルを追加できません。";
inline constexpr const char16_t* kMemoryCaption = u"メモリアロケーション";
// After deleting, when the display array cannot be rebuilt.
inline constexpr const char16_t* kWavIndexResizeFailedText =
    u"メモリサイズの更新ができません。\nPCを電源OFF状態から起動させてください。";
