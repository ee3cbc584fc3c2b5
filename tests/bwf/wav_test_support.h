// Shared pieces of the WAV tests: a scratch folder per test and the timeline
// of a loaded MXF file.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scratch.h"
#include "engine/mxf_records.h"
#include "platform/text.h"
#include "tests/bwf/wav_bytes.h"
#include "timecode/timecode.h"

namespace wavtest {

inline void SetTimeline(MXF_TIMECODE_INFO& tc, int32_t base, int32_t dropFrame, int32_t rateClass) {
  tc.tcBase = base;
  tc.dropFrame = dropFrame;
  tc.frameRateClass = rateClass;
}

class WavDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeScratchFolder("velmora-wav");
    ASSERT_FALSE(dir_.empty());
    SetTimeline(tc25_, TC_BASE_25, 0, FRC_25);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string NativeOf(const std::string& name) const { return dir_ + "/" + name; }
  std::u16string PathOf(const std::string& name) const { return plat::Utf8ToUtf16(NativeOf(name)); }

  // Writes the bytes to a file of the folder and returns its UTF-16 path.
  std::u16string Write(const std::string& name, const Bytes& bytes) {
    EXPECT_TRUE(WriteBytes(NativeOf(name), bytes)) << name;
    return PathOf(name);
  }

  const std::string& dir() const { return dir_; }

  MXF_TIMECODE_INFO tc25_;

 private:
  std::string dir_;
};

}  // namespace wavtest
