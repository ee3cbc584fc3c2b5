// The WAV library's loudness columns: each file's integrated loudness and
// true peak, measured on the list thread (one file at a time, between its
// passes) and shown when ready. The file is only read, shared, from the
// path the library holds. A build without libebur128 measures nothing and
// the columns stay empty.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

struct LIBRARY_LOUDNESS {
  std::u16string path;
  int status = -1;        // a LOUDNESS_STATUS; 0: the figures hold
  double integrated = 0;  // LKFS; -infinity: nothing above the gates
  double truePeak = 0;    // dBTP; -infinity: digital silence
};

// One measurement at a time, which another thread may interrupt.
class LibraryMeter {
 public:
  LibraryMeter();
  ~LibraryMeter();
  LibraryMeter(const LibraryMeter&) = delete;
  LibraryMeter& operator=(const LibraryMeter&) = delete;

  // False when this build cannot measure loudness.
  static bool Available();
  // Measures the file; false when interrupted (nothing is known then).
  bool Measure(const std::u16string& path, LIBRARY_LOUDNESS* out);
  // Any thread: ends the measurement under way (and the next one, until
  // Resume) within a second of audio.
  void Interrupt();
  // The measuring thread, before it decides to measure again.
  void Resume();

 private:
  struct Progress;  // the loudness library's progress record
  std::unique_ptr<Progress> progress_;
};

// The cell texts: "-23.0 LKFS", "-1.0 dBTP"; while not yet measured (null)
// "測定中"; a file that cannot be measured "測定不可".
std::u16string LoudnessCellText(const LIBRARY_LOUDNESS* measured);
std::u16string TruePeakCellText(const LIBRARY_LOUDNESS* measured);
// Why a file could not be measured (for the cell's tool tip); empty otherwise.
std::u16string LoudnessCellReason(const LIBRARY_LOUDNESS* measured);
