// Loudness figures: what measuring costs per hour of audio, in processor
// seconds (single thread).
//  1. The meters alone, in memory: one hour of a mono track and of a stereo
//     pair through LoudnessMeter, with and without the true peak (4x
//     oversampling, the larger part of the cost).
//  2. A whole long 29.97 MXF file (8 tracks, 200 KB picture elements left as
//     holes) measured as 8 mono tracks, and as 4 pairs, from the file.
//
//   bench_loudness [--minutes N] [--dir PATH] [--skip-file]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "loudness/mxf_loudness.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/mxfgen/mxfgen.h"

namespace {

// Processor time of this process: on a shared machine the wall clock says
// more about the other jobs than about the measurement.
struct Clock {
  using time_point = std::clock_t;
  static time_point now() { return std::clock(); }
};

double SecondsSince(Clock::time_point t0) { return static_cast<double>(Clock::now() - t0) / CLOCKS_PER_SEC; }

// One hour (scaled by minutes) of a 997 Hz tone through one meter, fed one
// frame's 1601 samples at a time as the file reader does.
double MeterSeconds(double minutes, int channels, bool truePeak) {
  std::vector<uint8_t> frame(1601 * 3 * 2);
  for (size_t i = 0; i < 1601; ++i) {
    const long v = std::lround(838860.0 * std::sin(2 * 3.14159265 * 997 * static_cast<double>(i) / 48000));
    for (int c = 0; c < 2; ++c) {
      for (int b = 0; b < 3; ++b) frame[(i * 2 + c) * 3 + b] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> 8 * b);
    }
  }
  LoudnessMeter meter(channels, truePeak);
  const uint8_t* channel[2] = {frame.data(), frame.data() + 3};
  const long frames = std::lround(minutes * 60 * 30000 / 1001.0);
  const Clock::time_point t0 = Clock::now();
  for (long f = 0; f < frames; ++f) meter.Add(channel, 1601, 3, 6);
  const LOUDNESS_RESULT r = meter.Result();
  const double s = SecondsSince(t0);
  if (!std::isfinite(r.integrated)) std::printf("  (no level measured)\n");
  return s;
}

bool Analyze(const std::string& path, MxfState* state) {
  plat::File file = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Read, plat::Share::Shared);
  if (!file.valid()) return false;
  ResetAnalysisRecords(&state->base);
  uint64_t size = 0;
  file.Size(&size);
  state->base.fileSize = size;
  if (ReadPartitions(&file, size, &state->base) != 0) return false;
  int (*const steps[])(plat::File*, MXF_BASE_INFO*) = {ReadPreface,    ReadTimecodeComponent, ReadFilePackage,
                                                       ReadIndexTable, ReadAudioDescriptor,   ReadVideoDescriptor};
  for (auto step : steps) {
    if (step(&file, &state->base) != 0) return false;
  }
  return true;
}

void FileFigures(double minutes, const std::string& dir) {
  mxfgen::Options o;
  o.frameRateClass = 6;
  o.frames = static_cast<int64_t>(std::lround(minutes * 60 * 30000 / 1001.0));
  o.tracks = 8;
  o.pictureBytes = 200000;
  o.sparsePicture = true;
  o.essencePartitions = std::max<int>(1, static_cast<int>(minutes * 6));
  const std::string path = dir + "/bench-loudness.mxf";
  std::string error;
  if (!mxfgen::WriteMxf(path, o, nullptr, &error)) {
    std::printf("mxfgen: %s\n", error.c_str());
    return;
  }
  MxfState state;
  if (!Analyze(path, &state)) {
    std::printf("analysis failed\n");
    return;
  }
  const uint32_t count = static_cast<uint32_t>(state.base.indexEntries->size());
  const std::vector<std::pair<const char*, std::vector<LOUDNESS_PROGRAMME>>> runs = {
      {"8 mono tracks", {{0}, {1}, {2}, {3}, {4}, {5}, {6}, {7}}},
      {"4 stereo pairs", {{0, 1}, {2, 3}, {4, 5}, {6, 7}}},
      {"1 stereo pair", {{0, 1}}},
  };
  for (const auto& [name, programmes] : runs) {
    std::vector<LOUDNESS_RESULT> results;
    const Clock::time_point t0 = Clock::now();
    const int r = MeasureMxfLoudness(plat::Utf8ToUtf16(path), state.base, 0, count, programmes, nullptr, &results);
    const double s = SecondsSince(t0);
    std::printf("file,  %-25s %8.1f s cpu  (%5.0fx real time, %6.1f s per hour)%s\n", name, s, minutes * 60 / s,
                s * 60 / minutes, r == 0 ? "" : "  FAILED");
    std::fflush(stdout);
  }
  std::filesystem::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  double minutes = 60;
  std::string dir = std::filesystem::temp_directory_path().string();
  bool file = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--minutes" && i + 1 < argc) {
      minutes = std::atof(argv[++i]);
    } else if (a == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else if (a == "--skip-file") {
      file = false;
    } else {
      std::fprintf(stderr, "usage: bench_loudness [--minutes N] [--dir PATH] [--skip-file]\n");
      return 2;
    }
  }
  std::printf("loudness of %.0f minutes of 48 kHz audio\n", minutes);
  for (int channels : {1, 2}) {
    for (bool truePeak : {false, true}) {
      const double s = MeterSeconds(minutes, channels, truePeak);
      std::printf("meter, %-6s %-18s %8.1f s cpu  (%5.0fx real time, %6.1f s per hour)\n",
                  channels == 1 ? "mono" : "stereo", truePeak ? "with true peak" : "without true peak", s,
                  minutes * 60 / s, s * 60 / minutes);
      std::fflush(stdout);
    }
  }
  if (file) FileFigures(minutes, dir);
  return 0;
}
