// The track plan: the one record through which the interface tells the
// rewrap and export engines what to do (which library file feeds which
// audio track, which tracks take part, the ranges, the export destination,
// the WAV buffer length) and through which the engines report progress and
// are asked to stop.
//
// Track slot s is MXF audio track s + 1; its sound element is delta entry
// s + 2 of every index entry (0 and 1 are the picture and system elements).
// A two-channel file fills an aligned pair of slots (2k, 2k + 1): both hold
// the same entry and both switches are equal. A file of three or more
// channels feeds each slot it sits in with the channel in wavChannel.
//
// Between jobs only the interface thread writes the record. While a job
// runs the engine owns fileHandle, currentFrame and frameCount, and the
// progress dialog writes only cancelRequest; those three counters are shared
// by the two threads and are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/mxf_records.h"
#include "timecode/timecode.h"

struct WAV_LIBRARY_ENTRY;
namespace plat {
class File;
}

inline constexpr int kTrackSlots = 24;
inline constexpr size_t kExportFolderUnits = 1024;
inline constexpr size_t kExportPrefixUnits = 256;
inline constexpr uint32_t kDefaultWavBufferIndex = 4;
inline constexpr uint32_t kWavBufferIndexCount = 14;  // 0..13

// Values of jobPhase: an engine first checks every targeted element of the
// range (nothing is written yet), then writes. currentFrame counts the frames
// of the phase shown, from 0 again when the write starts.
enum JOB_PHASE : uint32_t {
  JOB_PHASE_CHECK = 0,
  JOB_PHASE_WRITE = 1,
};

// Values of trackSwitch and exportSwitch.
enum TRACK_SWITCH : uint8_t {
  TRACK_OFF = 0,
  TRACK_ON = 1,
  TRACK_ABSENT = 2,  // the loaded file has no such track (or no file is loaded)
};

// The system's reason behind an engine failure: the file the failing call
// was about and the system error code (errno, GetLastError()); 0 when the
// failure had no system cause (a bad range, a mismatching element). The
// result codes stay the engines' own; this only tells the user why.
struct JOB_OS_CAUSE {
  std::u16string path;
  int32_t error = 0;
};

struct AUDIOTRACK_IO_INFO {
  WAV_LIBRARY_ENTRY* wavEntry[kTrackSlots] = {};  // file feeding each slot in a rewrap; null: none
  plat::File* fileHandle[kTrackSlots] = {};        // rewrap engines' work slots during a job
  uint32_t wavBufferIndex = kDefaultWavBufferIndex;  // WAV read buffer length, 0..13
  uint32_t exportRunNumber = 0;                    // exports started since the program started
  uint8_t trackSwitch[kTrackSlots] = {};           // TRACK_SWITCH of each slot for a rewrap
  uint8_t exportSwitch[kTrackSlots] = {};          // TRACK_SWITCH of each slot for an export
  // The channel (0-based) that a file of three or more channels feeds into
  // each slot; mono and stereo files do not use it (a pair's slot parity
  // picks the stereo channel).
  uint16_t wavChannel[kTrackSlots] = {};
  uint32_t wrapIn[2] = {};     // rewrap IN: [0] plain frame count, [1] the hour-23 form
  uint32_t wrapOut[2] = {};    // rewrap OUT (included), same two forms
  uint32_t exportIn[2] = {};   // export IN, same two forms
  uint32_t exportOut[2] = {};  // export OUT (included), same two forms
  char16_t exportFolder[kExportFolderUnits] = {};
  char16_t exportPrefix[kExportPrefixUnits] = {};
  std::atomic<uint32_t> currentFrame{0};   // offset from IN of the last frame completed
  std::atomic<uint32_t> frameCount{0};     // frames of the running job's range
  std::atomic<uint32_t> cancelRequest{0};  // 1: the user asked the running job to stop
  std::atomic<uint32_t> jobPhase{JOB_PHASE_CHECK};  // JOB_PHASE of the running job
  // The MXF file opened read-write and locked exclusively by the caller
  // (the command line holds it from before the analysis to the end of the
  // rewrap, so nothing changes it between the check and the write); the
  // rewrap engines write through it. Null: the engine opens the file.
  plat::File* heldMxf = nullptr;
  // Written by the engine on the worker thread before it returns a failure;
  // read after the job (the runner hands it on with the job's message).
  JOB_OS_CAUSE osCause;

  // A new record is in the start-up state (see InitTrackPlan).
  AUDIOTRACK_IO_INFO();
  AUDIOTRACK_IO_INFO(const AUDIOTRACK_IO_INFO&) = delete;
  AUDIOTRACK_IO_INFO& operator=(const AUDIOTRACK_IO_INFO&) = delete;
};

// When a file is unloaded: no files, no work handles, every switch "no such
// track", ranges and progress cleared. The WAV buffer length, the export
// destination and the export count last until the program ends.
inline void ClearTrackPlanForUnload(AUDIOTRACK_IO_INFO& plan) {
  for (int s = 0; s < kTrackSlots; ++s) {
    plan.wavEntry[s] = nullptr;
    plan.wavChannel[s] = 0;
    plan.fileHandle[s] = nullptr;
    plan.trackSwitch[s] = TRACK_ABSENT;
    plan.exportSwitch[s] = TRACK_ABSENT;
  }
  for (int i = 0; i < 2; ++i) {
    plan.wrapIn[i] = plan.wrapOut[i] = 0;
    plan.exportIn[i] = plan.exportOut[i] = 0;
  }
  plan.currentFrame.store(0);
  plan.frameCount.store(0);
  plan.cancelRequest.store(0);
  plan.jobPhase.store(JOB_PHASE_CHECK);
  plan.heldMxf = nullptr;
  plan.osCause = JOB_OS_CAUSE();
}

// Records the system cause of the failure under way; the first one noted
// is kept (a later call is usually the clean-up after it).
inline void NoteOsCause(AUDIOTRACK_IO_INFO* plan, const std::u16string& path, int32_t error) {
  if (plan != nullptr && error != 0 && plan->osCause.error == 0) plan->osCause = JOB_OS_CAUSE{path, error};
}

// The state at start-up: as after an unload, with buffer index 4, no export
// destination and no exports counted.
inline void InitTrackPlan(AUDIOTRACK_IO_INFO& plan) {
  ClearTrackPlanForUnload(plan);
  plan.wavBufferIndex = kDefaultWavBufferIndex;
  plan.exportRunNumber = 0;
  plan.exportFolder[0] = u'\0';
  plan.exportPrefix[0] = u'\0';
}

inline AUDIOTRACK_IO_INFO::AUDIOTRACK_IO_INFO() { InitTrackPlan(*this); }

// After a file has been analysed: every existing track (slot below
// trackCount) OFF for rewrap and export, the others "no such track".
inline void SetTracksLoaded(AUDIOTRACK_IO_INFO& plan, int trackCount) {
  for (int s = 0; s < kTrackSlots; ++s) {
    const uint8_t v = s < trackCount ? TRACK_OFF : TRACK_ABSENT;
    plan.trackSwitch[s] = v;
    plan.exportSwitch[s] = v;
  }
}

// Which form of the range points the engines use: 1 for a file whose start
// timecode lies in hour 23 (positions compared one hour later, so a file
// that runs past midnight keeps increasing frame numbers), else 0.
inline uint32_t RangeSelector(const MXF_TIMECODE_INFO& tc) { return tc.startHourIs23 == 1 ? 1u : 0u; }

// The file's first and last frame in the form of the selector.
inline int32_t RangeStartFrame(const MXF_TIMECODE_INFO& tc) {
  return RangeSelector(tc) == 1 ? tc.startFrameShifted : tc.startFrame;
}
inline int32_t RangeEndFrame(const MXF_TIMECODE_INFO& tc) {
  return RangeSelector(tc) == 1 ? tc.endFrameShifted : tc.endFrame;
}

// Sets a range point from a timecode label of the loaded file: out[0] its
// frame count, out[1] the frame count one hour later (with the 24-hour wrap)
// when the file starts in hour 23, else out[0]. A skipped drop-frame label
// counts as the first label of its minute. False, with out untouched, when
// the label is not valid at the file's timecode base.
inline bool SetRangePoint(const MXF_TIMECODE_INFO& tc, TIMECODE_HMSF label, uint32_t out[2]) {
  if (TcBaseUnits(tc.tcBase) == nullptr) return false;
  const int32_t plain = TimecodeToFrames(tc.tcBase, tc.dropFrame, label);
  if (plain < 0) return false;
  const int32_t shifted = RangeSelector(tc) == 1 ? TimecodePlusOneHour(tc.tcBase, tc.dropFrame, label) : plain;
  out[0] = static_cast<uint32_t>(plain);
  out[1] = static_cast<uint32_t>(shifted);
  return true;
}

// Index in the index entry array of the first frame of a range whose IN
// point is `in`: the selected IN minus the selected start frame (negative
// when IN lies before the file).
inline int64_t RangeFirstEntryIndex(const MXF_TIMECODE_INFO& tc, const uint32_t in[2]) {
  return static_cast<int64_t>(in[RangeSelector(tc)]) - RangeStartFrame(tc);
}
