// Analysis figures: the time the analysis steps 100-900 take on a long
// 29.97 file (8 and 24 tracks, one body partition with its own index segment
// per 10 seconds), and how fast the index table is flattened.
//
//   bench_analysis [--minutes N] [--compare-minutes M] [--runs R] [--tracks N] [--dir PATH]
//
// Writes each file with mxfgen (picture elements left as holes, so only the
// audio is written), analyses it R times and prints the best run per step;
// a second, shorter file (M minutes) shows how the header analysis depends on
// the file's length. Files are removed afterwards.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/header_window.h"
#include "engine/index_segment.h"
#include "engine/mxf_state.h"
#include "platform/file.h"
#include "tools/mxfgen/mxfgen.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Settings {
  double minutes = 60;
  double compareMinutes = 6;
  int runs = 5;
  std::vector<int> tracks = {8, 24};
  std::string dir = std::filesystem::temp_directory_path().string();
};

constexpr int kStepCodes[] = {100, 200, 300, 400, 500, 600, 700, 800, 900};
constexpr size_t kStepCount = std::size(kStepCodes);

struct RunTimes {
  double step[kStepCount] = {};
  double Total() const {
    double t = 0;
    for (double s : step) t += s;
    return t;
  }
  double WithoutIndex() const { return Total() - step[5]; }
};

// One analysis as the job runner runs it; false (with the failing code) when
// a step refuses the file.
bool Analyze(plat::File* file, MxfState* state, RunTimes* times, int* failed) {
  MXF_BASE_INFO* base = &state->base;
  ResetAnalysisRecords(base);
  auto t0 = Clock::now();
  uint64_t size = 0;
  if (file->Size(&size)) base->fileSize = size;
  times->step[0] = MsSince(t0);

  t0 = Clock::now();
  int r = ReadPartitions(file, base->fileSize, base);
  times->step[1] = MsSince(t0);
  if (r != 0) {
    *failed = r;
    return false;
  }
  int (*const steps[])(plat::File*, MXF_BASE_INFO*) = {ReadPreface,         ReadTimecodeComponent,
                                                        ReadFilePackage,     ReadIndexTable,
                                                        ReadAudioDescriptor, ReadVideoDescriptor,
                                                        ReadIdentification};
  for (size_t i = 0; i < std::size(steps); ++i) {
    t0 = Clock::now();
    r = steps[i](file, base);
    times->step[i + 2] = MsSince(t0);
    if (r != 0 && kStepCodes[i + 2] != 900) {
      *failed = r;
      return false;
    }
  }
  return true;
}

mxfgen::Options LongFileOptions(double minutes, int tracks) {
  mxfgen::Options o;
  o.frameRateClass = 6;  // 29.97
  o.dropFrame = true;
  o.frames = static_cast<int64_t>(minutes * 60.0 * 30000.0 / 1001.0 + 0.5);
  o.tracks = tracks;
  o.bits = 24;
  o.codecRow = 1;                // MPEG2 HD422P@HL, 50 Mbps
  o.pictureBytes = 208541;       // 50 Mbps at 29.97
  o.sparsePicture = true;
  o.indexLayout = mxfgen::IndexLayout::BodyBefore;
  const int64_t framesPer10s = 300;
  o.essencePartitions = static_cast<int>((o.frames + framesPer10s - 1) / framesPer10s);
  return o;
}

struct FileFigures {
  bool ok = false;
  int64_t frames = 0;
  size_t partitions = 0;
  double writeSeconds = 0;
  RunTimes first;  // the first analysis: the index array's memory is new
  RunTimes best;
  double readParseMs = 0;  // all index areas read and their segments parsed
  double flattenFramesPerSecond = 0;
  double indexStepFramesPerSecond = 0;
};

// The index flattening alone: the segments are read once, then flattened
// again and again into a fresh array.
double FlattenRate(plat::File* file, MxfState* state, int runs, double* readParseMs) {
  const auto t0 = Clock::now();
  std::vector<INDEX_SEGMENT> segments;
  std::vector<uint8_t> scratch;
  const auto& partitions = state->partitions;
  for (size_t i = 0; i < partitions.size(); ++i) {
    if (partitions[i].indexSid == 0) continue;
    const BYTE_WINDOW area = IndexAreaWindow(partitions[i]);
    if (ReadIndexArea(file, area.start, area.end - area.start, i, &segments, &scratch) !=
        SegmentStatus::kOk) {
      return 0;
    }
  }
  KeepCompleteFooterIndex(partitions, &segments);
  *readParseMs = MsSince(t0);
  double best = 1e300;
  size_t frames = 0;
  for (int r = 0; r < std::max(runs, 3); ++r) {
    std::vector<INDEX_ENTRY_ARRAY> out;
    const auto t0 = Clock::now();
    if (!FlattenIndexSegments(segments, partitions, state->timecode.frameRateClass, &out)) return 0;
    best = std::min(best, MsSince(t0));
    frames = out.size();
  }
  return best > 0 ? static_cast<double>(frames) / (best / 1000.0) : 0;
}

FileFigures Measure(const Settings& s, double minutes, int tracks) {
  FileFigures f;
  const mxfgen::Options opt = LongFileOptions(minutes, tracks);
  const std::string path = s.dir + "/velmora-bench-analysis-" + std::to_string(tracks) + ".mxf";
  std::string error;
  const auto t0 = Clock::now();
  if (!mxfgen::WriteMxf(path, opt, nullptr, &error)) {
    std::fprintf(stderr, "mxfgen: %s\n", error.c_str());
    return f;
  }
  f.writeSeconds = MsSince(t0) / 1000.0;
  f.frames = opt.frames;

  {
    plat::File file = plat::File::Open(std::u16string(path.begin(), path.end()), plat::Access::Read,
                                       plat::Share::Shared);
    MxfState state;
    if (file.valid()) {
      for (int r = 0; r < s.runs; ++r) {
        RunTimes t;
        int failed = 0;
        if (!Analyze(&file, &state, &t, &failed)) {
          std::fprintf(stderr, "analysis refused the file with %d\n", failed);
          break;
        }
        if (!f.ok) f.first = t;
        if (!f.ok || t.Total() < f.best.Total()) f.best = t;
        f.ok = true;
      }
      if (f.ok) {
        f.partitions = state.partitions.size();
        f.indexStepFramesPerSecond = f.best.step[5] > 0 ? f.frames / (f.best.step[5] / 1000.0) : 0;
        f.flattenFramesPerSecond = FlattenRate(&file, &state, s.runs, &f.readParseMs);
      }
    }
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return f;
}

void Print(const char* title, const FileFigures& f) {
  std::printf("%s: %lld frames, %zu partitions, written in %.1f s\n", title,
              static_cast<long long>(f.frames), f.partitions, f.writeSeconds);
  if (!f.ok) {
    std::printf("  (not analysed)\n");
    return;
  }
  for (size_t i = 0; i < kStepCount; ++i) std::printf("  step %d  %9.3f ms\n", kStepCodes[i], f.best.step[i]);
  std::printf("  steps 100-900 %9.3f ms (without the index table step %.3f ms)\n", f.best.Total(),
              f.best.WithoutIndex());
  std::printf("  first analysis: steps 100-900 %.3f ms, index table step %.3f ms\n", f.first.Total(),
              f.first.step[5]);
  std::printf("  index table step   %12.0f frames/s (best run)\n", f.indexStepFramesPerSecond);
  std::printf("  index areas read and parsed in %.3f ms\n", f.readParseMs);
  std::printf("  index flattening   %12.0f frames/s (into a new array)\n", f.flattenFramesPerSecond);
}

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--minutes") {
      s.minutes = std::atof(next());
    } else if (a == "--compare-minutes") {
      s.compareMinutes = std::atof(next());
    } else if (a == "--runs") {
      s.runs = std::max(1, std::atoi(next()));
    } else if (a == "--tracks") {
      s.tracks = {std::max(0, std::min(24, std::atoi(next())))};
    } else if (a == "--dir") {
      s.dir = next();
    } else {
      std::fprintf(stderr, "usage: %s [--minutes N] [--compare-minutes M] [--runs R] [--tracks N] [--dir PATH]\n",
                   argv[0]);
      return 2;
    }
  }
  if (s.minutes <= 0) return 2;

  std::printf("Analysis, 29.97 DF, 24-bit, one index segment per 10 s (best of %d runs, warm cache)\n",
              s.runs);
  bool ok = true;
  for (int tracks : s.tracks) {
    const FileFigures f = Measure(s, s.minutes, tracks);
    char title[64];
    std::snprintf(title, sizeof title, "%.1f min, %d tracks", s.minutes, tracks);
    Print(title, f);
    ok = ok && f.ok;
  }
  if (s.compareMinutes > 0) {
    const FileFigures f = Measure(s, s.compareMinutes, 8);
    char title[64];
    std::snprintf(title, sizeof title, "%.1f min, 8 tracks (for comparison)", s.compareMinutes);
    Print(title, f);
    ok = ok && f.ok;
  }
  return ok ? 0 : 1;
}
