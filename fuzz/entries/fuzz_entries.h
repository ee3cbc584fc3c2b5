// The bodies of the fuzz targets, as plain functions: the libFuzzer targets
// in fuzz/ call them with each generated input, and the regression tests in
// tests/fuzz_regressions call them with the inputs that once failed. Nothing
// here depends on libFuzzer.
//
// Each function treats the input as hostile bytes, runs the engine code on
// it, checks what the engine's own contracts promise about the result, and
// aborts (FUZZ_CHECK) when a promise is broken, so the fuzzer reports it as
// a crash. Memory errors and undefined behaviour are caught by the
// sanitizers of the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Aborts with the failed condition: a broken contract is a finding.
#define FUZZ_CHECK(cond)                                                              \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "%s:%d: contract broken: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

// fuzz_klv: the buffer scanner with patterns taken from the input, and the
// file scanner over the same bytes (which must agree with it). Returns the
// number of items the buffer walk found.
int RunKlvInput(const uint8_t* data, size_t size);

// fuzz_local_set: the local-set walk and the primer pack parser over the
// input, and the primer pack loader over it as a file. Returns the number of
// local items the walk handed out.
int RunLocalSetInput(const uint8_t* data, size_t size);

// fuzz_wav: byte 0 chooses the loaded MXF file's timecode (rate class, base,
// drop frame, hour 23); the rest is a WAV file read by ReadWavFile and added
// to a WAV library. Returns ReadWavFile's result.
int RunWavInput(const uint8_t* data, size_t size);

// What one analysis job ended with.
struct AnalysisOutcome {
  bool ran = false;             // the input reached the job runner
  int ioMethod = 0;             // 0 memory mapping, 1 file I/O
  uint32_t message = 0;         // WM_JOB_DONE or WM_JOB_FAILED (0: none)
  int code = 0;                 // the failure code (0 on success)
  int stepCode = 0;             // the step that was running at the end
  bool analysisReady = false;   // every step passed and the verification started
  int32_t entryCount = 0;       // indexed frames
  size_t timecodeErrors = 0;    // entries in the error list
};

// fuzz_analysis: byte 0 bit 0 chooses the I/O method (0 mapping, 1 file
// I/O); the rest is an MXF file. The whole analysis job (every step and the
// verification) runs through the job runner on it, then the texts that
// report it are composed. With bit 1 of byte 0 set the job runs again by
// the other method, which must come to the same result. Everything a job
// allocated is released before the function returns. The outcome is the
// first job's.
AnalysisOutcome RunAnalysisInput(const uint8_t* data, size_t size);

// fuzz_journal: the input is an undo journal beside a fixed stand-in MXF
// file. The reader must refuse it or accept only runs inside the file it
// names; inspecting, undoing and rolling back must leave the MXF file as
// it was unless they succeed (and then change only the journal's runs).
// Returns ReadUndoJournal's result.
int RunJournalInput(const uint8_t* data, size_t size);

}  // namespace fuzz
