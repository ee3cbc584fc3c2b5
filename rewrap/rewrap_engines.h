// The two in-place rewrap engines. Each replaces, between the plan's IN and
// OUT, the sample bytes of every switched-on track's sound element with the
// assigned WAV file's samples (or silence), touching nothing else: keys,
// lengths, picture, system items, metadata and the file's size stay as they
// are. Both give byte-identical files for the same input.
//
// Before the first byte is written every targeted element of every frame of
// the range is checked (key, length, inside the file); a mismatch refuses
// the job with the file untouched. Success means the data is on the disk
// (flushed). Cancelling stops after the frame in progress (99): frames up to
// and including plan.currentFrame are new, later ones old. A failed write or
// flush (full disk, I/O error, media removed) gives base + 15 and
// plan.currentFrame names the last frame fully written.
//
// Unless switched off, what the job overwrites is saved in an undo journal
// before the first write (base + 17 when it cannot be: nothing written;
// base + 19 while an interrupted job's journal awaits its roll-back), and
// every written value is read back after the flush (base + 18 on a
// mismatch, with the frame and track in the undo report).
//
// A sound-write tap (engine/sound_write_tap.h) sees every value as it is
// written; LastSoundLevels() is cleared when a job starts.
//
// The MXF file is opened with an exclusive advisory lock: a second job of
// ours on the same file is refused with the engine's open failure.
#pragma once

#include <string>

#include "engine/mxf_records.h"
#include "engine/sound_write_tap.h"
#include "engine/track_plan.h"
#include "rewrap/undo_settings.h"

// Result codes of the file I/O engine (step 3000).
enum REWRAP_FILE_RESULT : int {
  kRewrapFileNoPath = 3001,
  kRewrapFileNoPlan = 3002,
  kRewrapFileNoBase = 3003,
  kRewrapFileFrameRate = 3004,
  kRewrapFileRange = 3005,
  kRewrapFileNoBuffer = 3006,
  kRewrapFileOpenMxf = 3007,
  kRewrapFileOpenWav = 3008,
  kRewrapFileElementMismatch = 3014,
  kRewrapFileWriteFailed = 3015,
  kRewrapFileWavRead = 3016,
  kRewrapFileJournal = 3017,
  kRewrapFileReadBack = 3018,
  kRewrapFileRecoveryPending = 3019,
};

// Result codes of the memory-mapping engine (step 2000).
enum REWRAP_MAPPED_RESULT : int {
  kRewrapMapNoPath = 2001,
  kRewrapMapNoPlan = 2002,
  kRewrapMapNoBase = 2003,
  kRewrapMapFrameRate = 2004,
  kRewrapMapRange = 2005,
  kRewrapMapOpenMxf = 2006,
  kRewrapMapMxfMapping = 2007,
  kRewrapMapOpenWav = 2008,
  kRewrapMapWavMapping = 2009,
  kRewrapMapMxfView = 2012,
  kRewrapMapWavView = 2013,
  kRewrapMapElementMismatch = 2014,
  kRewrapMapWriteFailed = 2015,
  kRewrapMapWavRead = 2016,
  kRewrapMapJournal = 2017,
  kRewrapMapReadBack = 2018,
  kRewrapMapRecoveryPending = 2019,
};

struct REWRAP_OPTIONS {
  // Flush the file to the disk before reporting success (and after a cancel
  // or a failed write, for what was written). Only the benchmark turns it
  // off, to measure the engines apart from the disk.
  bool flush = true;
  // The undo journal and read-back check (see rewrap/undo_recorder.h);
  // null: the program's settings and report.
  const UNDO_SETTINGS* undo = nullptr;
  UNDO_REPORT* undoReport = nullptr;
  // Sees every value as written (the loudness measured during the rewrap);
  // null: the installed one (InstalledSoundTap), if any.
  SoundWriteTap* tap = nullptr;
};

// Rewrap through positioned file I/O. The WAV files are read in blocks of
// the plan's buffer length (wavBufferIndex); every slot's assigned file must
// open, switched on or not (3008).
int RewrapByFile(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base);
int RewrapByFile(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
                 const REWRAP_OPTIONS& options);

// Rewrap through memory-mapped views, a bounded run of frames at a time.
// Only the switched-on slots' files are opened (2008). On success the MXF
// file's access and modification times are set to the time of completion.
int RewrapByMapping(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base);
int RewrapByMapping(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
                    const REWRAP_OPTIONS& options);
