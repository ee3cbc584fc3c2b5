// An mxfgen file analysed into the records the export engines read, a track
// plan pointing into a scratch folder, and the bytes an exported track must
// hold, built from mxfgen's layout and sample pattern (never from the
// engines).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <stdlib.h>

#include "tests/support/scratch.h"
#include "bwf/bwf_header.h"
#include "bwf/export_engines.h"
#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/mxfgen/mxfgen.h"

namespace export_test {

using Bytes = std::vector<uint8_t>;
using Engine = int (*)(const std::u16string&, AUDIOTRACK_IO_INFO*, MXF_BASE_INFO*);

inline std::u16string U16(const std::string& s) { return plat::Utf8ToUtf16(s); }

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t LE32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// A fresh scratch folder per fixture, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = testsupport::MakeScratchFolder("velmora-export");
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return testsupport::Join(path_, name); }

 private:
  std::string path_;
};

class ExportTest : public ::testing::Test {
 protected:
  ExportTest() : plan_(std::make_unique<AUDIOTRACK_IO_INFO>()) {
    InitTrackPlan(plan());
    outDir = dir.File("out");
    std::filesystem::create_directories(outDir);
  }
  ~ExportTest() override { SetBwfExportFrameHook(nullptr); }

  AUDIOTRACK_IO_INFO& plan() { return *plan_; }

  // Writes the file, runs the analysis steps over it, and points the plan's
  // destination at outDir with the prefix "Track-".
  ::testing::AssertionResult Generate(const mxfgen::Options& o) {
    opt = o;
    mxfPath = dir.File("clip.mxf");
    std::string error;
    if (!mxfgen::WriteMxf(mxfPath, opt, &layout, &error)) return ::testing::AssertionFailure() << error;
    if (int r = Analyze(); r != 0) return ::testing::AssertionFailure() << "analysis failed with " << r;
    SetTracksLoaded(plan(), state.audio.trackCount);
    SetDestination(outDir, "Track-");
    return ::testing::AssertionSuccess();
  }

  int Analyze() {
    plat::File file = plat::File::Open(U16(mxfPath), plat::Access::Read, plat::Share::Shared);
    if (!file.valid()) return -1;
    ResetAnalysisRecords(&state.base);
    uint64_t size = 0;
    file.Size(&size);
    state.base.fileSize = size;
    if (int r = ReadPartitions(&file, size, &state.base); r != 0) return r;
    int (*const steps[])(plat::File*, MXF_BASE_INFO*) = {ReadPreface,    ReadTimecodeComponent, ReadFilePackage,
                                                         ReadIndexTable, ReadAudioDescriptor,   ReadVideoDescriptor};
    for (auto step : steps) {
      if (int r = step(&file, &state.base); r != 0) return r;
    }
    return 0;
  }

  void SetDestination(const std::string& folder, const std::string& prefix) {
    const std::u16string f = U16(folder);
    const std::u16string p = U16(prefix);
    std::copy(f.begin(), f.end(), plan().exportFolder);
    plan().exportFolder[f.size()] = u'\0';
    std::copy(p.begin(), p.end(), plan().exportPrefix);
    plan().exportPrefix[p.size()] = u'\0';
  }

  // The range of the file's frames [first, last] (indices from the first
  // frame) in both forms, and the selected tracks (1-based).
  void Select(int64_t first, int64_t last, const std::vector<int>& tracks) {
    const MXF_TIMECODE_INFO& tc = state.timecode;
    const int64_t day = mxfgen::FramesPerDay(ResolvedBase(), opt.dropFrame);
    plan().exportIn[0] = static_cast<uint32_t>((tc.startFrame + first) % day);
    plan().exportOut[0] = static_cast<uint32_t>((tc.startFrame + last) % day);
    plan().exportIn[1] = tc.startHourIs23 ? static_cast<uint32_t>(tc.startFrameShifted + first) : plan().exportIn[0];
    plan().exportOut[1] = tc.startHourIs23 ? static_cast<uint32_t>(tc.startFrameShifted + last) : plan().exportOut[0];
    for (int s = 0; s < state.audio.trackCount; ++s) plan().exportSwitch[s] = TRACK_OFF;
    for (int t : tracks) plan().exportSwitch[t - 1] = TRACK_ON;
    first_ = first;
    last_ = last;
  }

  int Run(Engine engine) { return engine(U16(mxfPath), &plan(), &state.base); }

  int ResolvedBase() const {
    mxfgen::Resolved r;
    std::string error;
    mxfgen::Resolve(opt, &r, &error);
    return r.tcBase;
  }

  int BytesPerSample() const { return opt.bits / 8; }

  // The sample bytes of track `track` (1-based) over the selected range, from
  // the pattern mxfgen writes; checks on the way that the layout's element
  // sizes agree with the pattern's sample counts.
  Bytes Expected(int track) const {
    Bytes out;
    const int bps = BytesPerSample();
    for (int64_t f = first_; f <= last_; ++f) {
      const mxfgen::SoundElementLayout& el = layout.Sound(f, track - 1);
      EXPECT_EQ(el.valueSize, el.samples * static_cast<uint32_t>(bps));
      for (uint32_t i = 0; i < el.samples; ++i) {
        const uint32_t v = mxfgen::PatternSample(track - 1, el.firstSample + i, opt.bits);
        for (int b = 0; b < bps; ++b) out.push_back(static_cast<uint8_t>(v >> (8 * b)));
      }
    }
    return out;
  }

  // Sample bytes of frames [first_, first_ + frames) of one track.
  uint64_t RangeBytes(int64_t frames) const {
    uint64_t n = 0;
    for (int64_t f = first_; f < first_ + frames; ++f) n += layout.Sound(f, 0).valueSize;
    return n;
  }

  std::string OutFile(const std::string& name) const { return testsupport::Join(outDir, name); }

  // The data chunk of an exported file.
  static Bytes Data(const Bytes& file) {
    return file.size() < kBwfHeaderSize ? Bytes() : Bytes(file.begin() + kBwfHeaderSize, file.end());
  }

  // Files in outDir.
  std::vector<std::string> OutFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(outDir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  ScratchDir dir;
  std::string outDir;
  std::string mxfPath;
  mxfgen::Options opt;
  mxfgen::Layout layout;
  MxfState state;

 private:
  std::unique_ptr<AUDIOTRACK_IO_INFO> plan_;
  int64_t first_ = 0;
  int64_t last_ = 0;
};

}  // namespace export_test
