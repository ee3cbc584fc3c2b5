// What a rewrap job works on, worked out once from the loaded file's records
// and the track plan, the same way by both rewrap engines so that they write
// the same bytes: the range of index entries, the elements written and what
// feeds each of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/mxf_records.h"
#include "engine/sound_write_tap.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "rewrap/sample_convert.h"

struct WAV_LIBRARY_ENTRY;

// Result columns shared by both engines' rows (code = step code + column).
enum REWRAP_COLUMN : int {
  REWRAP_NO_PATH = 1,
  REWRAP_NO_PLAN = 2,
  REWRAP_NO_BASE = 3,
  REWRAP_FRAME_RATE = 4,
  REWRAP_RANGE_INVALID = 5,
  REWRAP_ELEMENT_MISMATCH = 14,  // an element is not where or what the index says; nothing written
  REWRAP_WRITE_FAILED = 15,      // a write or flush failed; frames before currentFrame + 1 are new
  REWRAP_WAV_READ_FAILED = 16,   // a WAV file could not be read
  REWRAP_JOURNAL_FAILED = 17,    // the undo journal cannot be written (room, I/O); nothing written
  REWRAP_READBACK_FAILED = 18,   // a value read back after the flush is not what was written
  REWRAP_RECOVERY_PENDING = 19,  // an interrupted rewrap's journal awaits roll-back; nothing written
};

struct REWRAP_RANGE {
  size_t firstEntry = 0;     // index entry of the IN frame
  uint32_t frameCount = 0;   // OUT - IN + 1
  uint32_t maxSamples = 0;   // largest audioSamples of the range
};

// Checks the records and the range: 0, REWRAP_NO_BASE (a record missing),
// REWRAP_FRAME_RATE (a rate without a sample cycle), REWRAP_RANGE_INVALID
// (IN after OUT, IN before the file's start, OUT after its end, or frames
// the index does not hold). The range points are taken in the form the
// file's start hour selects.
int ResolveRewrapRange(const AUDIOTRACK_IO_INFO& plan, const MXF_BASE_INFO& base, REWRAP_RANGE* out);

// The checks both engines make before they touch anything, in their order:
// the path, the plan and the base record, then ResolveRewrapRange. 0 or
// the failing column.
int CheckRewrapJob(const std::u16string& mxfPath, const AUDIOTRACK_IO_INFO* plan, const MXF_BASE_INFO* base,
                   REWRAP_RANGE* out);

// One element a job writes in every frame of the range.
struct REWRAP_TARGET {
  int slot = 0;         // track slot whose element is written
  int source = -1;      // slot holding the WAV file that feeds it; -1: silence
  SAMPLE_LAYOUT layout; // how the file's channel is laid into the element
};

// The elements written, in slot order. A slot is written when it exists
// (below trackCount) and its switch is ON: with silence when it has no
// file; from its file otherwise. A two-channel file on an even slot feeds
// that slot with channel 0 and the next slot with channel 1 (the pair's
// second slot is not looked at on its own); reached on its own, the pair's
// second slot takes channel 1. A file of three or more channels feeds each
// of its slots with the slot's wavChannel, all read through the file's
// lowest slot. A file the element cannot hold (24 bits into a 16-bit
// element, or a channel the file does not have; the assignment rules never
// allow either) leaves the element unchanged. Returns the count.
int ListRewrapTargets(const AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio,
                      std::array<REWRAP_TARGET, kTrackSlots>& out);

// One frame's value of target `t` into `out` (valueBytes bytes): silence
// for a target without a file, else `samples` samples converted from the
// `available` bytes of the file's data at `source`.
void FillTargetValue(uint8_t* out, uint64_t valueBytes, const REWRAP_TARGET& t, const uint8_t* source,
                     uint64_t available, uint32_t samples);

// The slot that holds the file of slot `slot` as a source: the pair's first
// slot for the second slot of a two-channel file, the lowest slot holding
// the same file of three or more channels, else the slot itself.
int SourceSlot(const AUDIOTRACK_IO_INFO& plan, int slot);

// The WAV files of a job, one per source slot, published in the plan's
// fileHandle while the job runs and withdrawn when this goes away.
class WavFiles {
 public:
  explicit WavFiles(AUDIOTRACK_IO_INFO& plan) : plan_(plan) {}
  ~WavFiles();
  WavFiles(const WavFiles&) = delete;
  WavFiles& operator=(const WavFiles&) = delete;

  // Opens the file of slot `slot` for reading (shared); false when it cannot be opened.
  bool Open(int slot);
  bool IsOpen(int slot) const { return files_[static_cast<size_t>(slot)].valid(); }
  plat::File& File(int slot) { return files_[static_cast<size_t>(slot)]; }
  // True when the open file of `slot` still holds all the sample data its
  // entry describes.
  bool DataPresent(int slot) const;

 private:
  AUDIOTRACK_IO_INFO& plan_;
  std::array<plat::File, kTrackSlots> files_;
};

// The job's side of a sound-write tap: clears the last levels when the job
// starts, and tells the tap (when there is one) the targets, each value
// written and the completion. A stereo file's two targets in a row (its
// channels 0 and 1 on a pair's slots) are one stereo programme; every other
// target, silence included, is measured alone.
class JobTap {
 public:
  explicit JobTap(SoundWriteTap* tap) : tap_(tap) { LastSoundLevels() = SOUND_LEVELS{}; }
  void Begin(const AUDIOTRACK_IO_INFO& plan, const MXF_AUDIO_INFO& audio, const REWRAP_TARGET* targets, int count,
             uint32_t maxSamples);
  void Wrote(int target, const uint8_t* value, uint32_t samples) {
    if (tap_ != nullptr) tap_->Wrote(target, value, samples);
  }
  void Completed() {
    if (tap_ != nullptr) tap_->Completed();
  }

 private:
  SoundWriteTap* tap_;
};
