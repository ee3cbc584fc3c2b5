// What the two export engines share: checking the job and its range, the
// header every file gets, the output files with their write buffers, the
// report of the last export, progress and cancel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bwf/bwf_header.h"
#include "bwf/export_engines.h"
#include "engine/sound_elements.h"
#include "platform/file.h"

namespace bwf_export {

// The job as both engines see it after the checks.
struct ExportSetup {
  std::u16string mxfPath;
  const MXF_TIMECODE_INFO* tc = nullptr;
  const MXF_AUDIO_INFO* audio = nullptr;
  const std::vector<INDEX_ENTRY_ARRAY>* entries = nullptr;
  size_t first = 0;           // index entry of the IN frame
  uint32_t frameCount = 0;    // OUT - IN + 1
  std::vector<int> slots;     // selected track slots, ascending
  uint32_t blockAlign = 0;
  uint64_t dataSize = 0;      // sample bytes per file
  uint64_t timeReference = 0; // samples from midnight to IN, as the header says
  uint8_t header[kBwfHeaderSize] = {};

  const INDEX_ENTRY_ARRAY& Entry(uint32_t k) const { return (*entries)[first + k]; }
};

// Checks the arguments, the frame rate and the range, sets the plan's
// frameCount and builds the header (checks 1 to 5 and 16). Returns 0 or the
// failure's offset from the step code.
int PrepareExport(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
                  ExportSetup* out);

// The file bytes of frame `e` that an export reads: from the key of the
// lowest selected element to the end of the highest one's value (a value
// may start 24 bytes after its key), limited to the file size. Taken from the
// index alone; empty when it starts at or past the end of the file.
FILE_RANGE FrameReadRange(const ExportSetup& s, const INDEX_ENTRY_ARRAY& e, uint64_t fileSize);

// The checked elements of one frame. `bytes` holds the file from `bytesOffset`
// on (`size` bytes).
int CheckFrame(const ExportSetup& s, const INDEX_ENTRY_ARRAY& e, const uint8_t* bytes, uint64_t bytesOffset,
               size_t size, uint64_t fileSize, SOUND_ELEMENT* out);

// The bytes of the largest SoundHeaderRange() of the selected elements over
// the range, from the index alone: the scratch CheckRange() needs.
uint64_t LargestHeaderRange(const ExportSetup& s);

// Checks the key and length of every selected element of every frame of the
// range (a sound element key, a value of exactly blockAlign x audioSamples
// bytes, inside the file), before any file is created: one read per frame,
// from the lowest selected key to the highest one's length field, into
// `scratch`. Polls the cancel request after every frame. Returns 0,
// kExportCancelled, EXPORT_ELEMENT_MISMATCH or EXPORT_READ_FAILED.
int CheckRange(const ExportSetup& s, const plat::File& file, uint64_t fileSize, AUDIOTRACK_IO_INFO* plan,
               uint8_t* scratch, uint64_t scratchSize);

// The output files of one job, each with a write buffer so that a frame's
// few kilobytes do not each cost a system call.
class BwfOutputs {
 public:
  explicit BwfOutputs(int stepCode);
  ~BwfOutputs();
  BwfOutputs(const BwfOutputs&) = delete;
  BwfOutputs& operator=(const BwfOutputs&) = delete;

  // Forms every name first (a name that does not fit the file system gives
  // `createFailedCode` before any file exists), then creates the files in
  // slot order, replacing files of those names, and writes each header.
  // Returns 0, `createFailedCode`, or step + 15 when a header write fails.
  int Create(const AUDIOTRACK_IO_INFO& plan, const ExportSetup& setup, int createFailedCode);

  // Appends bytes to output i (the i-th selected slot). False when a write
  // failed; the job must then stop with step + 15.
  bool Append(size_t i, const uint8_t* data, size_t n);

  // Writes out every buffer and puts every file on stable storage; the
  // files are then complete. False when a write or the flush failed.
  bool Finish();

  // Writes out what the buffers hold (after a cancel or a failure: the
  // files keep every frame handed to them) and closes the files.
  void Abandon();

  // Publishes the job's files and its result as the last export report.
  void Publish(int result, uint64_t fileSize, uint64_t timeReference) const;

  // The first failed system call on an output file (path and error), if any.
  const JOB_OS_CAUSE& cause() const { return cause_; }

 private:
  struct Output;
  bool Drain(Output& o);
  void ShortenToWritten(Output& o);
  void NoteFailure(const std::u16string& path, plat::SysError err);
  JOB_OS_CAUSE cause_;
  int step_;
  uint32_t blockAlign_ = 0;
  std::vector<Output> outputs_;
};

// Starts a job's report (no files yet) so that a refusal leaves no stale list.
void ResetReport(int stepCode);

// After frame `k` has been handed to every file: the test hook, then the
// cancel request. True when the job must stop.
bool FrameDoneCancelRequested(AUDIOTRACK_IO_INFO* plan, uint32_t k);

}  // namespace bwf_export
