// The facts about the loaded MXF file. The analysis steps fill these records;
// the engines, the verification and the interface only read them.
//
// Fields that the worker thread and the interface thread share (step code,
// progress counters, cancel flags) are atomics: the worker writes them, the
// dialogs poll them on a timer.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

struct LTC_ERROR_ENTRY;  // one timecode error found by the verification

// One partition pack, as listed by the random index pack (file order).
struct MXF_PARTITION_INFO {
  int32_t kind = 0;            // 0 header, 1 body, 2 footer
  int32_t partitionCount = 0;  // elements in the array (same in each)
  uint8_t packKey[16] = {};
  uint8_t operationalPattern[16] = {};
  uint32_t packLength = 0;
  uint16_t majorVersion = 0;
  uint16_t minorVersion = 0;
  uint32_t kagSize = 0;
  uint64_t thisPartition = 0;
  uint64_t headerByteCount = 0;
  uint64_t indexByteCount = 0;
  uint32_t indexSid = 0;
  uint64_t bodyOffset = 0;
  uint32_t bodySid = 0;
  // Absolute file offset of this partition's essence byte 0 (its BodyOffset 0).
  uint64_t essenceStart = 0;
  // Absolute offset of the first byte after the partition pack and the fill
  // that follows it: where the header metadata (or the index area, or the
  // essence) of this partition begins.
  uint64_t metadataStart = 0;
};

struct DELTA_ENTRY {
  int8_t posTableIndex = 0;
  uint8_t slice = 0;
  uint32_t elementDelta = 0;
};

inline constexpr int kMaxDeltaEntries = 26;  // video 1 + timecode 1 + audio 24

// One indexed edit unit (frame), in index order.
struct INDEX_ENTRY_ARRAY {
  const MXF_PARTITION_INFO* partition = nullptr;  // partition holding this frame's essence
  uint64_t segmentStart = 0;
  uint64_t segmentDuration = 0;
  int8_t temporalOffset = 0;
  int8_t keyFrameOffset = 0;
  uint8_t flags = 0;
  uint64_t streamOffset = 0;  // absolute file offset of the edit unit
  uint32_t sliceOffset = 0;   // last SliceOffset: start of the constant-size elements
  uint64_t posTableValue = 0;
  uint32_t deltaCount = 0;
  uint32_t audioSamples = 0;  // 48 kHz samples of this frame
  DELTA_ENTRY deltas[kMaxDeltaEntries] = {};
};

struct MXF_TIMECODE_INFO {
  int32_t dropFrame = 0;
  int32_t startFrame = 0;
  int32_t startFrameShifted = 0;
  int32_t endFrame = 0;
  int32_t endFrameShifted = 0;
  int32_t duration = 0;
  int32_t tcBase = 0;
  int32_t editRateNum = 0;
  int32_t editRateDen = 0;
  int32_t frameRateClass = 0;
  int32_t* frameStatus = nullptr;      // verification work array (per frame)
  int32_t* frameTimecodes = nullptr;   // verification timecodes (per frame)
  int32_t entryCount = 0;
  int32_t ltcErrorCount = 0;
  int32_t startHourIs23 = 0;
  int32_t segmentMaxFrames = 0;
  std::atomic<int32_t> progressTotal{0};
  std::atomic<int32_t> progressDone{0};
  std::atomic<int32_t> cancelRequested{0};
  int32_t ioMethod = 0;
  LTC_ERROR_ENTRY* ltcErrors = nullptr;
};

struct MXF_AUDIO_INFO {
  uint8_t trackCount = 0;
  uint32_t sampleRate = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint32_t bitsPerSample = 0;
  uint8_t samplePattern = 8;  // FRAME_RATE_CLASS of the first sound element; 8 none
  uint32_t audioElementSize = 0;
};

struct MXF_VIDEO_INFO {
  uint8_t codingLabel[16] = {};
  char16_t codecName[24] = {};
  uint8_t codecIndex = 0;
  uint32_t displayHeight = 0;
  uint32_t displayWidth = 0;
  uint32_t aspectNum = 0;
  uint32_t aspectDen = 0;
  uint32_t bitRate = 0;
  uint8_t codedContentType = 0;
};

struct MXF_BASE_INFO {
  uint64_t fileSize = 0;
  char16_t creationDate[64] = {};
  char16_t modifiedDate[64] = {};
  uint8_t versionMajor = 0;
  uint8_t versionMinor = 0;
  char16_t companyName[64] = {};
  char16_t productName[64] = {};
  char16_t productVersion[32] = {};
  char16_t platform[32] = {};
  int32_t hasAncillaryData = 0;
  uint32_t dataElementSize = 0;
  std::vector<MXF_PARTITION_INFO>* partitions = nullptr;  // owned by the application
  MXF_TIMECODE_INFO* timecode = nullptr;
  MXF_AUDIO_INFO* audio = nullptr;
  MXF_VIDEO_INFO* video = nullptr;
  std::vector<INDEX_ENTRY_ARRAY>* indexEntries = nullptr;  // owned by the application
  std::atomic<int32_t> stepCode{0};
};
