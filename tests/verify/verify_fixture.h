// Hand-made clips for the verification tests: a file that holds nothing but
// each frame's timecode word at its system item's offset, and records filled
// the way the analysis steps fill them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "engine/mxf_state.h"
#include "platform/file.h"
#include "platform/text.h"
#include "timecode/timecode.h"
#include "tools/mxfgen/timecode_label.h"
#include "verify/ltc_error.h"
#include "verify/verify_timecodes.h"

namespace verify_test {

// A fresh folder per test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / ("velmora_verify_" + name);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::u16string U16(const std::string& s) { return plat::Utf8ToUtf16(s); }

// Frame rates in mxfgen's terms (labels per second).
inline int LabelRate(int32_t tcBase) {
  static const int kRates[] = {24, 25, 30, 60};
  return kRates[tcBase];
}

// One error entry, comparable.
struct Err {
  int32_t kind = 0;
  int32_t frameIndex = 0;
  int32_t occurrence = 0;
  int32_t resume = 0;
  bool operator==(const Err&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Err& e) {
  return os << "{kind " << e.kind << ", frame " << e.frameIndex << ", " << e.occurrence << " -> " << e.resume
            << "}";
}

inline std::vector<Err> ErrorsOf(const MXF_TIMECODE_INFO& tc) {
  std::vector<Err> out;
  if (tc.ltcErrors == nullptr) return out;
  for (const LTC_ERROR_ENTRY* e = tc.ltcErrors->next; e != nullptr; e = e->next) {
    out.push_back({e->kind, e->frameIndex, e->occurrenceFrames, e->resumeFrames});
  }
  return out;
}

// A clip of frames `frameLength` bytes long (as the edit-unit length computes
// it), each carrying `words[i]` at offset 61.
struct ClipRecipe {
  int32_t tcBase = TC_BASE_25;
  int32_t dropFrame = 0;
  int32_t startHourIs23 = 0;
  std::vector<uint32_t> words;
  uint32_t frameLength = 9000;
  uint64_t headerBytes = 5123;      // before the first frame
  int32_t segmentFrames = 0;        // frames per index segment; 0 = one segment
  std::vector<std::pair<int32_t, uint64_t>> gaps;  // extra bytes before frame k
  int64_t truncateTo = -1;          // cut the file to this size
  // The key and length that open each frame: a system item with a 4-byte
  // length, as the analysis expects; an empty head writes nothing there.
  std::vector<uint8_t> frameHead = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01, 0x0D, 0x01,
                                    0x03, 0x01, 0x04, 0x01, 0x01, 0x00, 0x83, 0x00, 0x00, 0x39};
};

// The words of consecutive labels from `start` (an actual frame count at the
// label rate). 60-frame material: two frames per label, the second marked.
inline std::vector<uint32_t> Labels(int32_t tcBase, bool dropFrame, int64_t start, int count,
                                    bool dropFlagBit = false) {
  std::vector<uint32_t> words;
  const bool sixty = tcBase == TC_BASE_60;
  const int rate = sixty ? 30 : LabelRate(tcBase);
  for (int i = 0; i < count; ++i) {
    const int64_t label = sixty ? start + i / 2 : start + i;
    words.push_back(mxfgen::SdtiWord(mxfgen::FramesToLabel(label, rate, dropFrame), dropFlagBit,
                                     sixty && (i % 2) == 1));
  }
  return words;
}

inline uint32_t Word(int h, int m, int s, int f, bool dropFlag = false, bool second = false) {
  return mxfgen::SdtiWord(mxfgen::Label{h, m, s, f}, dropFlag, second);
}

class Clip {
 public:
  Clip(const std::string& path, const ClipRecipe& recipe) : path_(path) { Build(recipe); }

  MxfState& state() { return state_; }
  MXF_TIMECODE_INFO& tc() { return state_.timecode; }
  const std::string& path() const { return path_; }

  int Verify(int ioMethod, const VERIFY_OPTIONS& options = {}) {
    plat::File file = plat::File::Open(U16(path_), plat::Access::Read, plat::Share::Shared);
    EXPECT_TRUE(file.valid()) << path_;
    state_.timecode.ioMethod = ioMethod;
    state_.timecode.progressTotal = state_.timecode.entryCount;
    return VerifyStreamTimecodes(&file, &state_.base, options);
  }

  std::vector<Err> Errors() const { return ErrorsOf(state_.timecode); }

  ~Clip() { FreeLtcErrors(&head_); }

 private:
  void Build(const ClipRecipe& recipe) {
    constexpr uint32_t kSoundElement = 100;
    state_.audio.trackCount = 1;
    state_.audio.audioElementSize = kSoundElement;
    MXF_TIMECODE_INFO& tc = state_.timecode;
    tc.tcBase = recipe.tcBase;
    tc.dropFrame = recipe.dropFrame;
    tc.startHourIs23 = recipe.startHourIs23;
    tc.ltcErrors = &head_;
    const int32_t n = static_cast<int32_t>(recipe.words.size());
    tc.entryCount = n;
    tc.progressTotal = n;

    plat::SysError err = 0;
    plat::File file = plat::File::Open(U16(path_), plat::Access::Write, plat::Share::Shared, &err);
    ASSERT_TRUE(file.valid()) << path_ << " " << err;
    uint64_t offset = recipe.headerBytes;
    const int32_t perSegment = recipe.segmentFrames > 0 ? recipe.segmentFrames : (n > 0 ? n : 1);
    for (int32_t i = 0; i < n; ++i) {
      for (const auto& [frame, bytes] : recipe.gaps) {
        if (frame == i) offset += bytes;
      }
      INDEX_ENTRY_ARRAY e;
      e.streamOffset = offset;
      e.segmentStart = static_cast<uint64_t>(i / perSegment) * static_cast<uint64_t>(perSegment);
      e.segmentDuration = static_cast<uint64_t>(perSegment);
      e.deltaCount = 3;
      e.deltas[1].elementDelta = 40;
      e.deltas[2].elementDelta = 0x30;
      e.sliceOffset = recipe.frameLength - kSoundElement - 0x30;
      state_.indexEntries.push_back(e);
      const uint8_t bytes[4] = {static_cast<uint8_t>(recipe.words[i]), static_cast<uint8_t>(recipe.words[i] >> 8),
                                static_cast<uint8_t>(recipe.words[i] >> 16),
                                static_cast<uint8_t>(recipe.words[i] >> 24)};
      if (!recipe.frameHead.empty()) {
        ASSERT_EQ(file.WriteAt(offset, recipe.frameHead.data(), recipe.frameHead.size()),
                  static_cast<int64_t>(recipe.frameHead.size()));
      }
      ASSERT_EQ(file.WriteAt(offset + 61, bytes, 4), 4);
      offset += recipe.frameLength;
    }
    ASSERT_TRUE(file.Truncate(recipe.truncateTo >= 0 ? static_cast<uint64_t>(recipe.truncateTo) : offset));
  }

  std::string path_;
  MxfState state_;
  LTC_ERROR_ENTRY head_;
};

}  // namespace verify_test
