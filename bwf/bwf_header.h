// The mono Broadcast WAV files the export writes, as both export engines
// write them: a fixed 754-byte header (RIFF, JUNK, a version-1 bext chunk,
// fmt, data) followed by the sample bytes of one MXF audio track, copied
// byte for byte. Also the header's time reference and data size, and the
// names the files get.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mxf_records.h"

inline constexpr size_t kBwfHeaderSize = 754;
// RIFF size field = data size + this (the file size - 8).
inline constexpr uint32_t kBwfRiffOverhead = 746;
// The largest data size whose RIFF size still fits 32 bits: 4 294 966 549
// bytes, about 8 h 17 min of 24-bit mono audio.
inline constexpr uint64_t kBwfMaxDataSize = 0xFFFFFFFFull - kBwfRiffOverhead;

// Offsets of the header fields that vary.
inline constexpr size_t kBwfRiffSizeOffset = 4;
inline constexpr size_t kBwfTimeReferenceOffset = 458;  // low half, then the high half at 462
inline constexpr size_t kBwfFormatOffset = 730;         // format tag, channels, rate, bytes/s, align, bits
inline constexpr size_t kBwfDataSizeOffset = 750;

struct BWF_HEADER_FIELDS {
  uint64_t timeReference = 0;   // samples from 00:00:00:00 to the first sample
  uint32_t dataSize = 0;        // sample bytes that follow the header
  uint32_t sampleRate = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

// Writes the 754 header bytes (all integers little-endian, mono PCM).
void BuildBwfHeader(const BWF_HEADER_FIELDS& fields, uint8_t out[kBwfHeaderSize]);

// The time reference of an export whose IN point is `exportIn` (both forms):
// the 48 kHz samples from 00:00:00:00 to the IN timecode, counted frame by
// frame with the five-frame cycle starting at midnight. The IN point is taken
// as startFrame + (IN - start) in the form the file's selector chooses, so a
// file that runs past midnight keeps counting past 24 hours (no wrap).
// -1 for a frame-rate class without a sample cycle or an IN before midnight.
int64_t ExportTimeReference(const MXF_TIMECODE_INFO& tc, const uint32_t exportIn[2]);

// Sample bytes of one track over `count` index entries from `first`:
// blockAlign x audioSamples summed frame by frame. The caller keeps the range
// inside `entries`.
uint64_t ExportDataSize(const std::vector<INDEX_ENTRY_ARRAY>& entries, size_t first, size_t count,
                        uint32_t blockAlign);

// The file name of track `trackNumber` (1-based): folder, the platform's path
// separator, prefix, the number without leading zeros, ".wav". When a file
// (or anything else) of that name exists, the text " <runNumber>.wav"
// replaces the name's extension from its last '.': "take_3 2.wav" in the
// second export since the program started. The suffixed name is not tested
// again. Any run number and any folder and prefix length are formatted in
// full; whether the result is usable is BwfPathFits's question.
struct BWF_FILE_NAME {
  std::u16string path;
  bool suffixed = false;  // the plain name existed
};
BWF_FILE_NAME FormBwfFileName(std::u16string_view folder, std::u16string_view prefix, int trackNumber,
                              uint32_t runNumber);

// The plain and suffixed names without looking at the disk.
std::u16string PlainBwfFileName(std::u16string_view folder, std::u16string_view prefix, int trackNumber);
std::u16string SuffixedBwfFileName(std::u16string_view plainName, uint32_t runNumber);

// True when the path is absolute and its file name and whole length stay
// within the file system's limits (plat::PathFitsLimits).
// True when an export file-name prefix stays inside the export folder: no
// path separator ('/' or '\\') and no "..".
bool BwfPrefixIsPlain(std::u16string_view prefix);

bool BwfPathFits(std::u16string_view path);
