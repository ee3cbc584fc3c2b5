// The two BWF export engines: for every track whose export switch is ON, one
// mono Broadcast WAV file (bwf/bwf_header.h) holding the track's sample bytes
// between the export IN and OUT points. The file-I/O engine reads the MXF
// file with positioned reads (step 5000), the mapping engine through
// read-only views (step 4000); for the same file, range and selection both
// write byte-identical files. Neither writes to the MXF file or changes its
// times: it is opened read-only with a shared lock, so an export is refused
// (4006 / 5007) while another process rewraps the file, which holds it
// exclusively.
//
// Each engine returns 0 (every file written and on stable storage), 99
// (cancelled by the user) or a failure code of its own row:
//
//   file I/O  mapping  cause
//     5001     4001    no MXF path
//     5002     4002    no track plan
//     5003     4003    no base record (or one of its attached records)
//     5004     4004    a frame-rate class without a sample cycle
//     5005     4005    range invalid (outside the file or its index)
//     5006      --     read buffer (or other memory) cannot be allocated
//     5007     4006    MXF file cannot be opened (also: held by a rewrap)
//      --      4007    MXF mapping (or memory) cannot be had
//     5008     4008    a BWF file cannot be created, or its name is too
//                      long for the file system
//      --      4009    an MXF view cannot be mapped
//     5014     4014    a sound element does not match the index
//     5015     4015    a BWF write (or the final flush to disk) failed
//     5016     4016    the range does not fit a RIFF file's 32-bit sizes
//     5017     4017    an MXF read failed
//
// A job with no track selected succeeds without opening anything. Every
// name is formed and every selected sound element of the range is checked
// before the first file is created, so the failures leave no file behind,
// except these: 5008 / 4008 once a first file was made, 4009, 5015 / 4015,
// 5017 / 4017, and 5014 / 4014 when the MXF file changes during the copy.
// Every file a job creates gets its full header before the first sample is
// copied; after a failure or a cancel the files stay on disk, and
// LastBwfExportReport() says which they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mxf_records.h"
#include "engine/track_plan.h"

inline constexpr int kExportStepMapping = 4000;
inline constexpr int kExportStepFile = 5000;
inline constexpr int kExportCancelled = 99;

// Failure codes as offsets from the engine's step code.
enum EXPORT_FAILURE : int {
  EXPORT_NO_PATH = 1,
  EXPORT_NO_PLAN = 2,
  EXPORT_NO_BASE = 3,
  EXPORT_BAD_RATE = 4,
  EXPORT_BAD_RANGE = 5,
  EXPORT_NO_BUFFER = 6,            // file I/O engine only
  EXPORT_ELEMENT_MISMATCH = 14,
  EXPORT_WRITE_FAILED = 15,
  EXPORT_TOO_LONG = 16,
  EXPORT_READ_FAILED = 17,
};
// Codes whose offset differs between the engines.
inline constexpr int kExportFileOpenFailed = 5007;
inline constexpr int kExportFileCreateFailed = 5008;
inline constexpr int kExportMapOpenFailed = 4006;
inline constexpr int kExportMapMappingFailed = 4007;
inline constexpr int kExportMapCreateFailed = 4008;
inline constexpr int kExportMapViewFailed = 4009;

int ExportBwfByFile(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base);
int ExportBwfByMapping(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base);

// One file the last export created.
struct BWF_EXPORT_FILE {
  std::u16string path;
  int32_t track = 0;              // MXF audio track number, 1-based
  bool replacedExisting = false;  // a file of this name was there and has been replaced
  uint64_t bytesWritten = 0;      // header included
  bool complete = false;          // all samples written, flushed to stable storage
};

// What the last export job of this process left on disk. The engine fills
// it while it runs (files are added as they are created); the caller reads a
// copy after the engine has returned, e.g. to name the incomplete files
// beside the runner's message for 4015 / 5015 or after a cancel.
struct BWF_EXPORT_REPORT {
  int32_t stepCode = 0;       // 4000 or 5000; 0 before the first export
  int32_t result = 0;         // the engine's return value
  uint64_t fileSize = 0;      // the size every complete file has (header + data size)
  uint64_t timeReference = 0; // the BWF time reference every file's header holds
  std::vector<BWF_EXPORT_FILE> files;  // in track order

  std::vector<std::u16string> IncompleteFiles() const;
};

BWF_EXPORT_REPORT LastBwfExportReport();

// "書出し途中で終わったファイル:" followed by one incomplete file per line;
// empty when every file of the report is complete.
std::u16string IncompleteFilesText(const BWF_EXPORT_REPORT& report);

// Called on the worker thread after every frame has been handed to all files
// and before the cancel request is polled, with the frame's offset from IN.
// For tests that cancel at an exact frame; null (the default) for none.
using BwfExportFrameHook = void (*)(AUDIOTRACK_IO_INFO* plan, uint32_t frameOffset);
void SetBwfExportFrameHook(BwfExportFrameHook hook);
