// Export figures: every track of a long 29.97 file (8 and 24 tracks, 200 KB
// picture elements, a body partition with its index segment per 10 seconds)
// exported as BWF files by both engines, against the time it takes to write
// the same bytes sequentially (one file per track, 1 MiB writes, fsync).
//
//   bench_export [--minutes N] [--tracks N]... [--engine mmap|file|both] [--dir PATH] [--drop-cache]
//
// The picture elements are left as holes (mxfgen --sparse), so the MXF file
// costs only its audio on disk; the export reads the sound elements where
// they lie, between the pictures, as it would in a real file. Each engine
// run ends with its files on stable storage (fsync), as does the baseline.
// With --drop-cache (root only) the page cache is dropped before each run,
// so that the MXF file is read from the disk; by default the file just
// written is partly still cached. Files are removed afterwards.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "bwf/export_engines.h"
#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/mxfgen/mxfgen.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

struct Settings {
  double minutes = 60;
  std::vector<int> tracks;
  std::string dir = std::filesystem::temp_directory_path().string();
  bool dropCache = false;
  bool mapping = true;
  bool file = true;
};

void DropCache(const Settings& s) {
  if (!s.dropCache) return;
  ::sync();
  std::ofstream drop("/proc/sys/vm/drop_caches");
  if (drop) drop << "3\n";
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

// Writes `files` files of `bytes` each, 1 MiB at a time, and syncs them.
double SequentialWrite(const std::string& folder, int files, uint64_t bytes) {
  std::vector<uint8_t> block(size_t{1} << 20, 0x5A);
  const auto t0 = Clock::now();
  for (int i = 0; i < files; ++i) {
    plat::File f = plat::File::Open(plat::Utf8ToUtf16(folder + "/seq" + std::to_string(i) + ".raw"),
                                    plat::Access::Write, plat::Share::Exclusive);
    if (!f.valid()) return -1;
    for (uint64_t at = 0; at < bytes; at += block.size()) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), bytes - at));
      if (f.WriteAt(at, block.data(), n) != static_cast<int64_t>(n)) return -1;
    }
    if (!f.Sync()) return -1;
  }
  return SecondsSince(t0);
}

// Bytes this process has read from and written to the disk (not the cache).
struct DiskIo {
  uint64_t read = 0, written = 0;
};
DiskIo ProcessDiskIo() {
  DiskIo io;
  std::ifstream in("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (in >> key >> value) {
    if (key == "read_bytes:") io.read = value;
    if (key == "write_bytes:") io.written = value;
  }
  return io;
}

void ClearFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  std::filesystem::create_directories(folder);
}

void RunTracks(const Settings& s, int tracks) {
  const std::string mxf = s.dir + "/velmora-bench-export.mxf";
  const std::string out = s.dir + "/velmora-bench-export-out";
  mxfgen::Options o;
  o.frameRateClass = 6;  // 29.97
  o.frames = static_cast<int64_t>(s.minutes * 60 * 30000 / 1001);
  o.tracks = tracks;
  o.pictureBytes = 200000;
  o.sparsePicture = true;
  o.essencePartitions = static_cast<int>(std::max<int64_t>(1, o.frames / 300));
  o.indexLayout = mxfgen::IndexLayout::BodyBefore;

  auto t0 = Clock::now();
  std::string error;
  if (!mxfgen::WriteMxf(mxf, o, nullptr, &error)) {
    std::fprintf(stderr, "mxfgen: %s\n", error.c_str());
    return;
  }
  const double generated = SecondsSince(t0);
  auto state = std::make_unique<MxfState>();
  if (!Analyze(mxf, state.get())) {
    std::fprintf(stderr, "the generated file does not load\n");
    return;
  }
  const uint64_t apparent = std::filesystem::file_size(mxf);
  std::printf("\n%d tracks, %lld frames (%.1f min), MXF %.2f GB apparent, written in %.1f s\n", tracks,
              static_cast<long long>(o.frames), s.minutes, apparent / 1e9, generated);

  auto plan = std::make_unique<AUDIOTRACK_IO_INFO>();
  InitTrackPlan(*plan);
  SetTracksLoaded(*plan, tracks);
  for (int t = 0; t < tracks; ++t) plan->exportSwitch[t] = TRACK_ON;
  plan->exportIn[0] = plan->exportIn[1] = static_cast<uint32_t>(state->timecode.startFrame);
  plan->exportOut[0] = plan->exportOut[1] = static_cast<uint32_t>(state->timecode.startFrame + o.frames - 1);
  const std::u16string folder = plat::Utf8ToUtf16(out);
  std::copy(folder.begin(), folder.end(), plan->exportFolder);
  std::copy(std::u16string(u"Track-").begin(), std::u16string(u"Track-").end(), plan->exportPrefix);

  const uint64_t dataSize = [&] {
    uint64_t n = 0;
    for (const INDEX_ENTRY_ARRAY& e : state->indexEntries) n += uint64_t{e.audioSamples} * state->audio.blockAlign;
    return n;
  }();
  const double totalMB = static_cast<double>(dataSize + 754) * tracks / 1e6;

  ClearFolder(out);
  DropCache(s);
  const double sequential = SequentialWrite(out, tracks, dataSize + 754);
  std::printf("  %-22s %8.1f s  %8.1f MB/s  (%.0f MB)\n", "sequential write", sequential, totalMB / sequential,
              totalMB);

  struct EngineRun {
    const char* name;
    int (*run)(const std::u16string&, AUDIOTRACK_IO_INFO*, MXF_BASE_INFO*);
  };
  for (const EngineRun& e : {EngineRun{"memory mapping (4000)", ExportBwfByMapping},
                             EngineRun{"file I/O (5000)", ExportBwfByFile}}) {
    if (!(e.run == ExportBwfByMapping ? s.mapping : s.file)) continue;
    ClearFolder(out);
    DropCache(s);
    const DiskIo before = ProcessDiskIo();
    t0 = Clock::now();
    const int r = e.run(plat::Utf8ToUtf16(mxf), plan.get(), &state->base);
    const double seconds = SecondsSince(t0);
    const DiskIo after = ProcessDiskIo();
    if (r != 0) {
      std::printf("  %-22s failed with %d\n", e.name, r);
      continue;
    }
    std::printf("  %-22s %8.1f s  %8.1f MB/s  %.2fx the sequential time  (disk: %.0f MB read)\n", e.name,
                seconds, totalMB / seconds, seconds / sequential, (after.read - before.read) / 1e6);
  }
  ClearFolder(out);
  std::filesystem::remove_all(out);
  std::filesystem::remove(mxf);
}

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--minutes" && i + 1 < argc) {
      s.minutes = std::atof(argv[++i]);
    } else if (a == "--tracks" && i + 1 < argc) {
      s.tracks.push_back(std::atoi(argv[++i]));
    } else if (a == "--dir" && i + 1 < argc) {
      s.dir = argv[++i];
    } else if (a == "--engine" && i + 1 < argc) {
      const std::string v = argv[++i];
      s.mapping = v != "file";
      s.file = v != "mmap";
    } else if (a == "--drop-cache") {
      s.dropCache = true;
    } else {
      std::fprintf(stderr, "usage: bench_export [--minutes N] [--tracks N]... [--engine mmap|file|both] [--dir PATH] [--drop-cache]\n");
      return 2;
    }
  }
  if (s.tracks.empty()) s.tracks = {8, 24};
  if (s.dropCache && ::geteuid() != 0) {
    std::printf("(not root: the page cache cannot be dropped)\n");
    s.dropCache = false;
  }
  std::printf("BWF export of every track, 29.97, 200 KB sparse picture elements, files in %s\n", s.dir.c_str());
  for (int tracks : s.tracks) RunTracks(s, tracks);
  return 0;
}
