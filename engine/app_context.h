// The application state record: the job fields the worker thread reads, and
// the plain interface state the desktop application keeps beside them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/mxf_records.h"
#include "platform/file.h"

struct AUDIOTRACK_IO_INFO;
struct WAV_LIBRARY_ENTRY;
class JobNotifier;
namespace plat {
class AutoResetEvent;
}

enum JOB_MODE : int32_t {
  JOB_REWRAP = 0,
  JOB_EXPORT = 1,
  JOB_ANALYSIS = 2,
};

enum IO_METHOD : uint8_t {
  IO_MAPPING = 0,
  IO_FILE = 1,
};

enum VIEW_MODE : uint8_t {
  VIEW_TRACKS = 0,
  VIEW_LIBRARY = 1,
};

inline constexpr int kUiTrackSlots = 24;

struct APP_CONTEXT {
  // Job fields.
  JobNotifier* windows = nullptr;  // receives the runner's notifications
  MXF_BASE_INFO* baseInfo = nullptr;
  AUDIOTRACK_IO_INFO* trackPlan = nullptr;
  int32_t jobMode = JOB_ANALYSIS;
  plat::File* mxfFile = nullptr;
  std::u16string mxfPath;
  uint8_t ioMethod = IO_MAPPING;
  uint8_t logEncoding = 0;  // desktop setting for the text logs (LOG_ENCODING of ui/log_files.h)
  uint8_t measureLoudness = 0;  // desktop setting: a rewrap measures the loudness of what it writes

  // Interface fields of the desktop application's main window. The main
  // thread owns them; the fields the two background threads read or write
  // (menu enabling, list mirroring) are atomics.
  WAV_LIBRARY_ENTRY* library = nullptr;           // head record of the WAV library (its count is atomic)
  std::vector<WAV_LIBRARY_ENTRY*> libraryView;    // display order; empty while the library is
  std::atomic<uint8_t> fileLoaded{0};             // an analysed MXF file is loaded
  std::atomic<uint8_t> analysisOk{0};             // set by the analysis dialog
  std::atomic<uint8_t> viewMode{VIEW_TRACKS};
  std::atomic<uint8_t> inSet{0};                  // rewrap IN / OUT entered
  std::atomic<uint8_t> outSet{0};
  std::atomic<uint8_t> exportInSet{0};            // export IN / OUT entered
  std::atomic<uint8_t> exportOutSet{0};
  std::atomic<int32_t> audioTrackCount{0};        // tracks of the loaded file (0 without one)
  int32_t currentTrack = 0;
  uint8_t trackSelected[kUiTrackSlots] = {1};
  uint8_t trackStereo[kUiTrackSlots] = {};
  int32_t firstVisibleTrack = 0;
  int32_t visibleTrackCount = 0;
  uint8_t upArrowState = 2;                       // 0 shown, 1 pressed, 2 absent
  uint8_t downArrowState = 2;
  std::atomic<int32_t> selectedCount{0};          // written by the list thread
  std::atomic<int32_t> currentListIndex{0};       // written by the list thread
  plat::AutoResetEvent* menuEvent = nullptr;      // "thMenu"
  plat::AutoResetEvent* listEvent = nullptr;      // "thList"
  std::atomic<int32_t> menuThreadStop{0};
  std::atomic<int32_t> listThreadStop{0};
  std::u16string desktopPath;                     // default export destination
  std::u16string defaultPrefix;                   // "Track-"
  std::u16string noRewriteText;                   // string 104
  std::u16string silenceText;                     // string 225
  std::u16string noTrackText;                     // string 226
  uint32_t redrawMask = 0;                        // track panel bands to repaint
};
