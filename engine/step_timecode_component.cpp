// Step 400: start timecode, duration, timecode base and drop-frame flag from
// the first timecode component of the header metadata, the edit rate from
// the first timeline track, and the frame numbers derived from them.
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/klv.h"
#include "engine/local_set.h"
#include "platform/file.h"
#include "timecode/timecode.h"

namespace {

constexpr int kInvalidFile = 401;
constexpr int kNoBaseInfo = 402;
constexpr int kNoPartitions = 403;
constexpr int kNoTimecodeInfo = 404;
constexpr int kNoTimecodeComponent = 405;
constexpr int kDurationUnknown = 406;
constexpr int kNoTimelineTrack = 407;
constexpr int kPositionOutOfRange = 408;

constexpr uint8_t kTimecodeComponentKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                               0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x14, 0x00};
constexpr uint8_t kTimelineTrackKey[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                           0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x3B, 0x00};

constexpr uint16_t kTagStartTimecode = 0x1501;
constexpr uint16_t kTagRoundedTimecodeBase = 0x1502;
constexpr uint16_t kTagDropFrame = 0x1503;
constexpr uint16_t kTagDuration = 0x0202;
constexpr uint16_t kTagEditRate = 0x4B01;

// RoundedTimecodeBase to TC_BASE; other bases are kept as written (and are
// then not a valid base for the timecode arithmetic).
int32_t TimecodeBaseFromRounded(uint16_t rounded) {
  switch (rounded) {
    case 24: return TC_BASE_24;
    case 25: return TC_BASE_25;
    case 30: return TC_BASE_30;
    case 60: return TC_BASE_60;
    default: return rounded;
  }
}

// Duration in frames; 0 when unknown (all bytes FF) or when it cannot be a
// frame count at all.
int32_t DurationFrames(const uint8_t* v) {
  const uint64_t d = ReadBE64(v);
  if (d == UINT64_MAX || d > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return 0;
  return static_cast<int32_t>(d);
}

// A start that is not a time of day at the file's base (negative, or a day
// or more), or an end whose frame count does not fit the program's signed
// 32-bit frame numbers: every length and range computed from the pair would
// be wrong. A base the arithmetic does not know is refused later, by the
// verification, so only the sign is checked then.
bool StartAndEndFit(const MXF_TIMECODE_INFO& tc, int64_t endShifted) {
  const int64_t end = int64_t{tc.startFrame} + tc.duration - 1;
  const int64_t most = std::numeric_limits<int32_t>::max();
  if (tc.startFrame < 0 || end > most || endShifted > most) return false;
  if (TcBaseUnits(tc.tcBase) == nullptr) return true;
  TIMECODE_HMSF day{24, 0, 0, 0};
  return tc.startFrame < TimecodeToFrames(tc.tcBase, tc.dropFrame, day);
}

// Reads the first set matching `key` in the window into *set.
bool FindSet(plat::File* file, const uint8_t key[16], const BYTE_WINDOW& window,
             std::vector<uint8_t>* set) {
  KLV_LENGTH length;
  if (!FindKlvInFile(file, key, window.start, window.end, &length)) return false;
  return ReadSetValue(file, length, set);
}

}  // namespace

int ReadTimecodeComponent(plat::File* file, MXF_BASE_INFO* base) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (base == nullptr) return kNoBaseInfo;
  const MXF_PARTITION_INFO* header = HeaderPartition(base->partitions);
  if (header == nullptr) return kNoPartitions;
  MXF_TIMECODE_INFO* tc = base->timecode;
  if (tc == nullptr) return kNoTimecodeInfo;

  const BYTE_WINDOW window = HeaderMetadataWindow(*header);
  std::vector<uint8_t> set;
  if (!FindSet(file, kTimecodeComponentKey, window, &set)) return kNoTimecodeComponent;

  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    switch (tag) {
      case kTagStartTimecode:
        if (len >= 8) {
          // The low 32 bits of the 64-bit position.
          tc->startFrame = static_cast<int32_t>(ReadBE32(v + 4));
          tc->startFrameShifted = tc->startFrame;
        }
        break;
      case kTagRoundedTimecodeBase:
        if (len >= 2) tc->tcBase = TimecodeBaseFromRounded(ReadBE16(v));
        break;
      case kTagDropFrame:
        if (len >= 1) tc->dropFrame = v[0];
        break;
      case kTagDuration:
        if (len >= 8) tc->duration = DurationFrames(v);
        break;
      default: break;
    }
  });
  if (tc->duration <= 0) return kDurationUnknown;

  TIMECODE_HMSF start;
  tc->startHourIs23 =
      FramesToTimecode(tc->tcBase, tc->dropFrame, tc->startFrame, start) && start.hours == 23 ? 1 : 0;
  // The shifted form runs one hour later, so a clip that starts in hour 23
  // and passes midnight keeps increasing frame numbers.
  tc->startFrameShifted = TimecodePlusOneHour(tc->tcBase, tc->dropFrame, start);
  const int64_t endShifted = int64_t{tc->startFrameShifted} + tc->duration - 1;
  if (!StartAndEndFit(*tc, endShifted)) return kPositionOutOfRange;
  tc->endFrameShifted = static_cast<int32_t>(endShifted);
  tc->endFrame = ShiftFramesByHours(tc->tcBase, tc->dropFrame, tc->endFrameShifted, 1, '-');

  if (!FindSet(file, kTimelineTrackKey, window, &set)) return kNoTimelineTrack;
  ForEachLocalItem(set.data(), set.size(), [&](uint16_t tag, const uint8_t* v, uint16_t len) {
    if (tag != kTagEditRate || len < 8) return;
    tc->editRateNum = static_cast<int32_t>(ReadBE32(v));
    tc->editRateDen = static_cast<int32_t>(ReadBE32(v + 4));
    // 25/1 and 25000/1000 are the same rate; a rate not in the table is
    // unsupported (class above 7).
    tc->frameRateClass = FrameRateClassFromEditRate(tc->editRateNum, tc->editRateDen);
  });
  return 0;
}
