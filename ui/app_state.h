// The application's state: the one APP_CONTEXT and the records it links
// (the loaded file's records, the track plan, the WAV library head, the
// timecode error list head), the MXF file handle of a running analysis and
// the two events of the background threads. The state changes of start-up,
// loading and unloading live here; the main window shows their results.
#pragma once

#include <string>

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "engine/mxf_state.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/thread.h"
#include "verify/ltc_error.h"

class AppState {
 public:
  AppState();
  ~AppState();
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  APP_CONTEXT ctx;
  MxfState mxf;
  AUDIOTRACK_IO_INFO plan;
  WAV_LIBRARY_ENTRY libraryHead;
  LTC_ERROR_ENTRY errorHead;
  plat::File mxfFile;
  plat::AutoResetEvent menuEvent{"thMenu"};
  plat::AutoResetEvent listEvent{"thList"};

  // The defaults of a new window.
  void SetCreationDefaults(const std::u16string& desktopPath);

  // Opens the chosen MXF file for the analysis: reading, no sharing. False
  // with *err set when it cannot be opened.
  bool OpenMxf(const std::u16string& path, plat::SysError* err);
  void CloseMxf();

  // Before the analysis dialog runs: counters reset, analysisOk cleared,
  // the path kept.
  void PrepareAnalysis(const std::u16string& path);

  // After an accepted analysis: slot 0 selected, every track of the file
  // OFF, the file loaded, the file handle closed (later jobs reopen it by
  // path).
  void AcceptLoadedFile();

  // The unload reset: library emptied, points, path, load state and I/O
  // method cleared, every slot back to "no track", the file's records and
  // arrays freed. The WAV buffer length stays.
  void UnloadReset();

  // What shutdown clears before the records go.
  void ShutdownReset();

  int trackCount() const { return mxf.audio.trackCount; }
  const MXF_TIMECODE_INFO& timecode() const { return mxf.timecode; }
};
