// An mxfgen file in a scratch folder, opened for reading, with the records
// the analysis steps fill and a way to run the steps up to a chosen one.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scratch.h"
#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "platform/file.h"
#include "tools/mxfgen/mxfgen.h"

namespace idxtest {

class GeneratedFile {
 public:
  GeneratedFile() {
    dir_ = testsupport::MakeScratchFolder("velmora-idx");
  }
  ~GeneratedFile() {
    file_.Close();
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  GeneratedFile(const GeneratedFile&) = delete;
  GeneratedFile& operator=(const GeneratedFile&) = delete;

  // Writes the file and opens it; a failure is reported to the test.
  ::testing::AssertionResult Write(const mxfgen::Options& opt) {
    if (dir_.empty()) return ::testing::AssertionFailure() << "no scratch folder";
    file_.Close();
    const std::string path = dir_ + "/gen.mxf";
    std::string error;
    if (!mxfgen::WriteMxf(path, opt, &layout, &error)) {
      return ::testing::AssertionFailure() << "mxfgen: " << error;
    }
    file_ = plat::File::Open(std::u16string(path.begin(), path.end()), plat::Access::Read,
                             plat::Share::Shared);
    if (!file_.valid()) return ::testing::AssertionFailure() << "cannot open " << path;
    return ::testing::AssertionSuccess();
  }

  // Runs the steps from the partitions on, as the job runner does, up to and
  // including `lastStep` (200 ... 900). Returns the first failure code, or 0.
  int AnalyzeThrough(int lastStep) {
    ResetAnalysisRecords(&state.base);
    uint64_t size = 0;
    file_.Size(&size);
    state.base.fileSize = size;
    if (lastStep < 200) return 0;
    if (int r = ReadPartitions(&file_, size, &state.base); r != 0) return r;
    using Step = int (*)(plat::File*, MXF_BASE_INFO*);
    const struct {
      int code;
      Step run;
    } steps[] = {{300, ReadPreface},         {400, ReadTimecodeComponent}, {500, ReadFilePackage},
                 {600, ReadIndexTable},      {700, ReadAudioDescriptor},   {800, ReadVideoDescriptor},
                 {900, ReadIdentification}};
    for (const auto& s : steps) {
      if (s.code > lastStep) break;
      if (int r = s.run(&file_, &state.base); r != 0 && s.code != 900) return r;
    }
    return 0;
  }

  plat::File* file() { return &file_; }

  MxfState state;
  mxfgen::Layout layout;

 private:
  std::string dir_;
  plat::File file_;
};

// A small valid file: 29.97, 8 tracks, complete footer index.
inline mxfgen::Options SmallOptions(int64_t frames = 12) {
  mxfgen::Options o;
  o.frames = frames;
  o.pictureBytes = 600;
  return o;
}

}  // namespace idxtest
