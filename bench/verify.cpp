// Verification figures: frames per second of both I/O methods on a warm
// cache, and the bytes read from storage on a cold one, for a one-hour 29.97
// DF file (107,892 frames, ~200 KB picture elements, one index segment per
// 10 seconds).
//
//   bench_verify [--minutes N] [--runs R] [--dir PATH] [--keep]
//
// --keep leaves the file in PATH and a later --keep run uses it again
// (removing a sparse file of 22 GB can take a minute on some file systems).
//
// The file is written by mxfgen with the picture elements left as holes, so
// only system items and sound elements occupy storage. The cold runs drop
// the file's pages first (the system-wide page cache when permitted, else
// fdatasync + POSIX_FADV_DONTNEED on the file) and read read_bytes from
// /proc/self/io around the verification.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "platform/file.h"
#include "platform/mapping.h"
#include "platform/text.h"
#include "tools/mxfgen/mxfgen.h"
#include "verify/verify_timecodes.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  double minutes = 60;
  int runs = 5;
  std::string dir = std::filesystem::temp_directory_path().string();
  bool keep = false;
};

bool ParseArgs(int argc, char** argv, Settings* s) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--minutes" && i + 1 < argc) {
      s->minutes = std::atof(argv[++i]);
    } else if (a == "--runs" && i + 1 < argc) {
      s->runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--dir" && i + 1 < argc) {
      s->dir = argv[++i];
    } else if (a == "--keep") {
      s->keep = true;
    } else {
      std::fprintf(stderr, "usage: bench_verify [--minutes N] [--runs R] [--dir PATH] [--keep]\n");
      return false;
    }
  }
  return s->minutes > 0;
}

// read_bytes of /proc/self/io: bytes this process caused to be fetched from storage.
long long ReadBytes() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value) {
    if (key == "read_bytes:") return value;
  }
  return -1;
}

// Drops the file's cached pages. Returns how.
const char* DropCache(const std::string& path) {
  ::sync();
  {
    std::ofstream drop("/proc/sys/vm/drop_caches");
    if (drop && (drop << "1" << std::flush)) return "drop_caches";
  }
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return "nothing (open failed)";
  ::fdatasync(fd);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
  return "fadvise DONTNEED";
}

struct Loaded {
  MxfState state;
  LTC_ERROR_ENTRY head;
  plat::File file;
  ~Loaded() { FreeLtcErrors(&head); }
};

bool Analyse(const std::string& path, Loaded* l) {
  l->file = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Read, plat::Share::Shared);
  if (!l->file.valid()) return false;
  MXF_BASE_INFO* b = &l->state.base;
  l->state.timecode.ltcErrors = &l->head;
  ResetAnalysisRecords(b);
  uint64_t size = 0;
  l->file.Size(&size);
  b->fileSize = size;
  int r = ReadPartitions(&l->file, size, b);
  for (auto step : {ReadPreface, ReadTimecodeComponent, ReadFilePackage, ReadIndexTable, ReadAudioDescriptor,
                    ReadVideoDescriptor}) {
    if (r == 0) r = step(&l->file, b);
  }
  if (r != 0) {
    std::fprintf(stderr, "analysis stopped with %d\n", r);
    return false;
  }
  ReadIdentification(&l->file, b);
  return true;
}

// One verification; seconds, or a negative value when it did not return 0.
double Verify(Loaded* l, int ioMethod) {
  l->state.timecode.ioMethod = ioMethod;
  l->state.timecode.progressTotal = l->state.timecode.entryCount;
  const auto t0 = Clock::now();
  const int r = VerifyStreamTimecodes(&l->file, &l->state.base);
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  if (r != 0) {
    std::fprintf(stderr, "verification returned %d\n", r);
    return -1;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!ParseArgs(argc, argv, &settings)) return 2;

  mxfgen::Options opt;
  opt.frameRateClass = 6;  // 29.97
  opt.dropFrame = true;
  opt.frames = static_cast<int64_t>(settings.minutes * 107892 / 60);
  opt.startFrame = 1078920;  // 10:00:00;00
  opt.tracks = 2;
  opt.bits = 16;
  opt.pictureBytes = 200000;
  opt.sparsePicture = true;
  opt.indexLayout = mxfgen::IndexLayout::BodyBefore;
  opt.essencePartitions = static_cast<int>(std::max<int64_t>(1, opt.frames / 300));

  const std::string path = (std::filesystem::path(settings.dir) / "velmora_bench_verify.mxf").string();
  std::printf("file of %lld frames (29.97 DF, %u-byte sparse pictures, %d tracks) to %s\n",
              static_cast<long long>(opt.frames), opt.pictureBytes, opt.tracks, path.c_str());
  // A file kept by an earlier --keep run is used again when it has the
  // frames asked for (deleting a long sparse file can take a minute).
  Loaded loaded;
  bool reuse = false;
  if (settings.keep && std::filesystem::exists(path)) {
    Loaded earlier;
    reuse = Analyse(path, &earlier) && earlier.state.timecode.entryCount == opt.frames;
  }
  if (reuse) {
    std::printf("  using the file kept by an earlier run\n");
  } else {
    std::string error;
    const auto w0 = Clock::now();
    if (!mxfgen::WriteMxf(path, opt, nullptr, &error)) {
      std::fprintf(stderr, "mxfgen: %s\n", error.c_str());
      return 1;
    }
    std::printf("  written in %.1f s\n", std::chrono::duration<double>(Clock::now() - w0).count());
  }

  const auto a0 = Clock::now();
  if (!Analyse(path, &loaded)) return 1;
  std::printf("  analysed in %.1f s\n", std::chrono::duration<double>(Clock::now() - a0).count());
  const int32_t frames = loaded.state.timecode.entryCount;
  std::printf("file size %.2f GB, %d indexed frames, %zu-byte pages\n\n",
              static_cast<double>(loaded.state.base.fileSize) / 1e9, frames,
              static_cast<size_t>(plat::AllocationGranularity()));

  int status = 0;
  const char* names[2] = {"memory mapping", "file I/O"};
  for (int method : {0, 1}) {
    // Warm: one run to load the pages, then the best of R.
    if (Verify(&loaded, method) < 0) return 1;
    double best = 1e9;
    for (int r = 0; r < settings.runs; ++r) {
      const double s = Verify(&loaded, method);
      if (s < 0) return 1;
      best = std::min(best, s);
    }
    std::printf("warm  %-14s %8.3f s  %12.0f frames/s%s\n", names[method], best, frames / best,
                best < 2.0 ? "" : "  (target: under 2 s)");
    if (best >= 2.0 && settings.minutes >= 60) status = 3;
  }
  std::printf("\n");
  for (int method : {0, 1}) {
    const auto d0 = Clock::now();
    const char* how = DropCache(path);
    std::printf("(cache dropped in %.1f s)\n", std::chrono::duration<double>(Clock::now() - d0).count());
    const long long before = ReadBytes();
    const double s = Verify(&loaded, method);
    const long long read = ReadBytes() - before;
    if (s < 0) return 1;
    const double perFrame = static_cast<double>(read) / frames;
    std::printf("cold  %-14s %8.3f s  %12.0f frames/s  read %.1f MB (%.0f bytes/frame, %.2f pages/frame; cache: %s)\n",
                names[method], s, frames / s, static_cast<double>(read) / 1e6, perFrame,
                perFrame / static_cast<double>(plat::AllocationGranularity()), how);
  }

  if (!settings.keep) std::filesystem::remove(path);
  return status;
}
