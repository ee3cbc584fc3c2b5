// Rewrap figures: both rewrap engines on 29.97 drop-frame files of 10
// minutes and 1 hour with 8 and 24 tracks of 24-bit audio, every track
// rewritten over the whole file, with and without the final flush; beside
// them, in the same run, the floor (the same number of audio bytes written
// sequentially into an existing file on the same file system), the
// in-place floor (the audio values written where they lie) and ffmpeg's
// remux of the file with the replaced audio (-c copy).
//
//   bench_rewrap [--dir PATH] [--only 5m|10m|1h] [--tracks N] [--runs R] [--engine mapping|file]
//                [--no-ffmpeg] [--no-flush-runs] [--undo] [--loudness]
//
// The engine runs are made without the undo journal and read-back; --undo
// adds flushed runs with the journal alone, the journal and read-back, and
// read-back alone, prints the journal's size (the extra disk a rewrap
// takes), times the undo of the journaled runs, and ends each file with
// every figure as a multiple of the durable floor (the same audio bytes
// written into an existing file and fsynced), measured in the same run.
// --loudness adds runs that measure the loudness of every track as it is
// written (a build with libebur128).
//
// The picture elements are 200000 bytes each (about 50 Mbit/s), written as
// holes (a sparse file), except the first frame's, which holds one real
// MPEG-2 intra frame so that ffmpeg accepts the stream; every track is fed
// from one mono WAV file of the file's length. Each engine run happens in a
// child process (analysis, then the engine) so that the peak memory of one
// run does not mix with another's; the peak is reset after the analysis.
// Dirty pages are written back (sync) before every timed run, so that one
// run does not pay for the previous one's writes.
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bwf/wav_library.h"
#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/text.h"
#include "rewrap/rewrap_engines.h"
#include "rewrap/undo_place.h"
#include "rewrap/undo_restore.h"
#include "rewrap/undo_settings.h"
#include "tools/mxfgen/mxfgen.h"
#if VELMORA_HAVE_LOUDNESS
#include "loudness/rewrap_levels.h"
#endif

#ifndef VELMORA_HAVE_LOUDNESS
#define VELMORA_HAVE_LOUDNESS 0
#endif

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

struct Settings {
  std::string dir = std::filesystem::temp_directory_path().string();
  std::vector<int64_t> frames = {17982, 107892};  // 10 minutes, 1 hour at 29.97 drop-frame
  std::vector<int> tracks = {8, 24};
  int runs = 1;
  bool ffmpeg = true;
  bool noFlushRuns = true;
  bool engines[2] = {true, true};  // mapping, file I/O
  bool undo = false;               // also runs with the undo journal and read-back
  bool loudness = false;           // also runs measuring the loudness while writing
};

// The undo journal and read-back of a run.
enum UndoMode { kNoUndo, kJournalOnly, kJournalAndReadBack, kReadBackOnly, kUndoModes, kLoudness = kUndoModes };
const char* const kUndoModeNames[] = {"", " + journal", " + journal + read-back", " + read-back", " + loudness"};
bool Journaled(int mode) { return mode == kJournalOnly || mode == kJournalAndReadBack; }
bool ReadBack(int mode) { return mode == kJournalAndReadBack || mode == kReadBackOnly; }

constexpr uint32_t kPictureBytes = 200000;

// Status fields of this process, in kB.
long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':') return std::atol(line.c_str() + n + 1);
  }
  return -1;
}

void ResetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
}

bool HaveFfmpeg() { return std::system("ffmpeg -version >/dev/null 2>&1") == 0; }

// One MPEG-2 intra frame, 1920x1080 4:2:2 interlaced at 50 Mbit/s, from ffmpeg.
std::vector<uint8_t> MakeMpeg2Frame(const std::string& dir) {
  const std::string path = dir + "/velmora-bench-frame.m2v";
  const std::string cmd =
      "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30000/1001 -frames:v 1 "
      "-c:v mpeg2video -flags +ildct+ilme -top 1 -b:v 50M -minrate 50M -maxrate 50M -bufsize 17M "
      "-pix_fmt yuv422p -f mpeg2video '" + path + "'";
  std::vector<uint8_t> frame;
  if (std::system(cmd.c_str()) == 0) {
    std::ifstream in(path, std::ios::binary);
    frame.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::remove(path);
  if (frame.size() > kPictureBytes) frame.clear();
  return frame;
}

// A mono 24-bit WAV file of `samples` samples of noise.
bool WriteWav(const std::string& path, uint64_t samples) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const uint64_t dataBytes = samples * 3;
  auto u32 = [f](uint32_t v) {
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                          static_cast<uint8_t>(v >> 24)};
    std::fwrite(b, 1, 4, f);
  };
  auto u16 = [f](uint16_t v) {
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    std::fwrite(b, 1, 2, f);
  };
  std::fwrite("RIFF", 1, 4, f);
  u32(static_cast<uint32_t>(36 + dataBytes));
  std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(1);
  u16(1);
  u32(48000);
  u32(48000 * 3);
  u16(3);
  u16(24);
  std::fwrite("data", 1, 4, f);
  u32(static_cast<uint32_t>(dataBytes));
  std::vector<uint8_t> block(1 << 20);
  uint32_t x = 12345;
  for (uint8_t& b : block) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(x >> 24);
  }
  for (uint64_t left = dataBytes; left > 0;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
    if (std::fwrite(block.data(), 1, n, f) != n) {
      std::fclose(f);
      return false;
    }
    left -= n;
  }
  return std::fclose(f) == 0;
}

struct RunResult {
  bool ok = false;
  int code = 0;
  double seconds = 0;
  long peakKb = 0;      // VmHWM of the engine run
  long baselineKb = 0;  // VmRSS after the analysis, before the engine
  double cpuSeconds = 0;  // user + system time of the engine run
  uint64_t journalBytes = 0;
  uint64_t bytesVerified = 0;
  double undoSeconds = -1;  // the undo of a journaled run; -1 not made or failed
};

double CpuSeconds() {
  struct rusage u;
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Analysis and one engine run in a child process.
RunResult RunInChild(const std::string& mxf, const std::string& wav, int tracks, bool mapping, bool flush,
                     UndoMode undoMode) {
  int fds[2];
  RunResult r;
  if (::pipe(fds) != 0) return r;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    RunResult c;
    MxfState state;
    plat::File file = plat::File::Open(plat::Utf8ToUtf16(mxf), plat::Access::Read, plat::Share::Shared);
    uint64_t size = 0;
    file.Size(&size);
    state.base.fileSize = size;
    int code = ReadPartitions(&file, size, &state.base);
    int (*const steps[])(plat::File*, MXF_BASE_INFO*) = {ReadPreface,     ReadTimecodeComponent, ReadFilePackage,
                                                          ReadIndexTable,  ReadAudioDescriptor,   ReadVideoDescriptor};
    for (auto step : steps) {
      if (code == 0) code = step(&file, &state.base);
    }
    file.Close();
    WAV_LIBRARY_ENTRY library;
    library.head = &library;
    static AUDIOTRACK_IO_INFO plan;
    InitTrackPlan(plan);
    SetTracksLoaded(plan, tracks);
    if (code == 0) code = WavLibraryAdd(plat::Utf8ToUtf16(wav), &library, &state.timecode) == 0 ? 0 : -2;
    if (code == 0) {
      for (int s = 0; s < tracks; ++s) {
        plan.wavEntry[s] = library.next;
        plan.trackSwitch[s] = TRACK_ON;
      }
      plan.wrapIn[0] = plan.wrapIn[1] = static_cast<uint32_t>(state.timecode.startFrame);
      plan.wrapOut[0] = plan.wrapOut[1] = static_cast<uint32_t>(state.timecode.endFrame);
      ResetPeak();
      c.baselineKb = StatusKb("VmRSS");
      REWRAP_OPTIONS options;
      options.flush = flush;
      UNDO_SETTINGS undo;
      undo.journal = Journaled(undoMode);
      undo.readBack = ReadBack(undoMode);
      UNDO_REPORT report;
      options.undo = &undo;
      options.undoReport = &report;
#if VELMORA_HAVE_LOUDNESS
      RewrapLevelsTap levels;
      if (undoMode == kLoudness) options.tap = &levels;
#endif
      const double cpu0 = CpuSeconds();
      const auto t0 = Clock::now();
      const std::u16string path = plat::Utf8ToUtf16(mxf);
      code = mapping ? RewrapByMapping(path, &plan, &state.base, options)
                     : RewrapByFile(path, &plan, &state.base, options);
      c.seconds = SecondsSince(t0);
      c.cpuSeconds = CpuSeconds() - cpu0;
      c.peakKb = StatusKb("VmHWM");
      c.journalBytes = report.journalBytes;
      c.bytesVerified = report.bytesVerified;
      if (code == 0 && undo.journal) {
        // The undo of what was just written, after the rewrap's own writes
        // have reached the disk; it leaves the file as it was for the next run.
        ::sync();
        UNDO_OUTCOME outcome;
        const auto u0 = Clock::now();
        if (UndoNewestRewrap(path, undo, &outcome) == UNDO_OK) c.undoSeconds = SecondsSince(u0);
      }
      for (uint32_t age = 0; age < kMaxJournalsKept; ++age) {
        plat::RemoveFile(UndoJournalPath(path, undo, age));
      }
    }
    c.code = code;
    c.ok = code == 0;
    WavLibraryClear(&library);
    const ssize_t w = ::write(fds[1], &c, sizeof c);
    ::_exit(w == static_cast<ssize_t>(sizeof c) ? 0 : 1);
  }
  ::close(fds[1]);
  if (pid < 0 || ::read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = RunResult{};
  ::close(fds[0]);
  int status = 0;
  if (pid > 0) ::waitpid(pid, &status, 0);
  return r;
}

// The floor: `bytes` written front to back in 8 MiB writes over an existing
// file of that size; with `flush`, fsync at the end.
double FloorSeconds(const std::string& path, uint64_t bytes, bool flush) {
  const int fd = ::open(path.c_str(), O_RDWR);
  if (fd < 0) return -1;
  std::vector<uint8_t> block(8 << 20, 0x5A);
  const auto t0 = Clock::now();
  for (uint64_t at = 0; at < bytes;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes - at, block.size()));
    if (::pwrite(fd, block.data(), n, static_cast<off_t>(at)) != static_cast<ssize_t>(n)) {
      ::close(fd);
      return -1;
    }
    at += n;
  }
  if (flush && ::fsync(fd) != 0) {
    ::close(fd);
    return -1;
  }
  const double s = SecondsSince(t0);
  ::close(fd);
  return s;
}

// The in-place floor: the audio values written where they lie in the MXF
// file, one positioned write per frame over its sound elements (their keys
// and lengths read first and kept), then fsync. An in-place rewrap can be
// no faster than this; the sequential floor above is what a rewrap would
// take if the audio lay in one piece.
double InPlaceFloorSeconds(const std::string& mxf, const mxfgen::Layout& layout) {
  const int fd = ::open(mxf.c_str(), O_RDWR);
  if (fd < 0) return -1;
  std::vector<uint8_t> span;
  const auto t0 = Clock::now();
  bool ok = true;
  for (size_t f = 0; f < layout.frames.size() && ok; ++f) {
    const auto& first = layout.Sound(static_cast<int64_t>(f), 0);
    const auto& last = layout.Sound(static_cast<int64_t>(f), layout.tracks - 1);
    const uint64_t lo = first.keyOffset;
    span.resize(static_cast<size_t>(last.valueOffset + last.valueSize - lo));
    ok = ::pread(fd, span.data(), span.size(), static_cast<off_t>(lo)) == static_cast<ssize_t>(span.size());
    for (int t = 0; t < layout.tracks && ok; ++t) {
      const auto& e = layout.Sound(static_cast<int64_t>(f), t);
      std::memset(span.data() + (e.valueOffset - lo), 0x5A, e.valueSize);
    }
    ok = ok && ::pwrite(fd, span.data(), span.size(), static_cast<off_t>(lo)) == static_cast<ssize_t>(span.size());
  }
  ok = ok && ::fsync(fd) == 0;
  const double s = SecondsSince(t0);
  ::close(fd);
  return ok ? s : -1;
}

bool MakeFloorFile(const std::string& path, uint64_t bytes) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::vector<uint8_t> block(8 << 20, 0xA5);
  bool ok = true;
  for (uint64_t at = 0; at < bytes && ok;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes - at, block.size()));
    ok = ::pwrite(fd, block.data(), n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
    at += n;
  }
  ok = ok && ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

double FfmpegRemuxSeconds(const std::string& mxf, const std::string& wav, int tracks, const std::string& out) {
  std::string cmd = "ffmpeg -nostdin -v error -y -i '" + mxf + "'";
  for (int t = 0; t < tracks; ++t) cmd += " -i '" + wav + "'";
  cmd += " -map 0:v";
  for (int t = 0; t < tracks; ++t) cmd += " -map " + std::to_string(t + 1) + ":a";
  cmd += " -c copy -f mxf '" + out + "'";
  const auto t0 = Clock::now();
  const int rc = std::system(cmd.c_str());
  const double s = SecondsSince(t0);
  std::filesystem::remove(out);
  return rc == 0 ? s : -1;
}

void Sync() { ::sync(); }

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // figures appear as they are measured
  Settings set;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--dir" && i + 1 < argc) {
      set.dir = argv[++i];
    } else if (a == "--only" && i + 1 < argc) {
      const std::string v = argv[++i];
      set.frames = {v == "1h" ? int64_t{107892} : v == "5m" ? int64_t{8991} : int64_t{17982}};
    } else if (a == "--tracks" && i + 1 < argc) {
      set.tracks = {std::atoi(argv[++i])};
    } else if (a == "--runs" && i + 1 < argc) {
      set.runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--engine" && i + 1 < argc) {
      const std::string v = argv[++i];
      set.engines[0] = v == "mapping";
      set.engines[1] = v == "file";
    } else if (a == "--no-ffmpeg") {
      set.ffmpeg = false;
    } else if (a == "--no-flush-runs") {
      set.noFlushRuns = false;
    } else if (a == "--undo") {
      set.undo = true;
    } else if (a == "--loudness" && VELMORA_HAVE_LOUDNESS) {
      set.loudness = true;
    } else {
      std::fprintf(stderr,
                   "usage: bench_rewrap [--dir PATH] [--only 5m|10m|1h] [--tracks N] [--runs R] [--engine mapping|file] "
                   "[--no-ffmpeg] [--no-flush-runs] [--undo] [--loudness]\n");
      return 2;
    }
  }
  const bool ffmpeg = set.ffmpeg && HaveFfmpeg();
  const std::vector<uint8_t> firstPicture = ffmpeg ? MakeMpeg2Frame(set.dir) : std::vector<uint8_t>{};
  std::printf("rewrap benchmark in %s (29.97 DF, 24-bit, picture %u bytes per frame, sparse)%s\n", set.dir.c_str(),
              kPictureBytes, ffmpeg ? "" : ", ffmpeg not run");

  for (int64_t frames : set.frames) {
    const std::string wav = set.dir + "/velmora-bench.wav";
    const uint64_t samples = static_cast<uint64_t>(frames / 5) * 8008 + 1602 * 5;
    if (!WriteWav(wav, samples)) {
      std::fprintf(stderr, "cannot write %s\n", wav.c_str());
      return 1;
    }
    for (int tracks : set.tracks) {
      const std::string mxf = set.dir + "/velmora-bench.mxf";
      mxfgen::Options o;
      o.frameRateClass = 6;
      o.dropFrame = true;
      o.frames = frames;
      o.tracks = tracks;
      o.bits = 24;
      o.pictureBytes = kPictureBytes;
      o.sparsePicture = true;
      mxfgen::Layout layout;
      std::string error;
      auto t0 = Clock::now();
      if (!mxfgen::WriteMxf(mxf, o, &layout, &error)) {
        std::fprintf(stderr, "mxfgen: %s\n", error.c_str());
        return 1;
      }
      if (!firstPicture.empty()) {
        std::fstream f(mxf, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(layout.frames[0].pictureValueOffset));
        f.write(reinterpret_cast<const char*>(firstPicture.data()), static_cast<std::streamsize>(firstPicture.size()));
      }
      uint64_t audioBytes = 0;
      for (const auto& el : layout.sound) audioBytes += el.valueSize;
      const double mb = static_cast<double>(audioBytes) / 1e6;
      std::printf("\n== %lld frames (%.0f min), %d tracks: file %.2f GB, audio written %.2f GB (file/audio %.1f), "
                  "made in %.0f s\n",
                  static_cast<long long>(frames), static_cast<double>(frames) / 29.97 / 60, tracks,
                  static_cast<double>(layout.fileSize) / 1e9, mb / 1e3,
                  static_cast<double>(layout.fileSize) / static_cast<double>(audioBytes), SecondsSince(t0));

      // Floor.
      const std::string floorPath = set.dir + "/velmora-bench-floor.bin";
      double floorNoFlush = -1;
      double floorFlush = -1;
      if (MakeFloorFile(floorPath, audioBytes)) {
        Sync();
        floorNoFlush = FloorSeconds(floorPath, audioBytes, false);
        Sync();
        floorFlush = FloorSeconds(floorPath, audioBytes, true);
      }
      std::filesystem::remove(floorPath);
      std::printf("  %-34s %8.2f s  %8.0f MB/s\n", "floor, sequential write", floorNoFlush, mb / floorNoFlush);
      std::printf("  %-34s %8.2f s  %8.0f MB/s\n", "floor, sequential write + fsync", floorFlush, mb / floorFlush);
      Sync();
      const double floorInPlace = InPlaceFloorSeconds(mxf, layout);
      std::printf("  %-34s %8.2f s  %8.0f MB/s  %.2f x floor\n", "floor, values in place + fsync", floorInPlace,
                  mb / floorInPlace, floorInPlace / floorFlush);

      double best[2][2] = {{-1, -1}, {-1, -1}};  // [engine][flush]
      double ratio[2][kUndoModes] = {{-1, -1, -1, -1}, {-1, -1, -1, -1}};  // flushed runs / durable floor
      double undoRatio[2] = {-1, -1};
      for (int engine = 0; engine < 2; ++engine) {
        if (!set.engines[engine]) continue;
        for (int flush = set.noFlushRuns ? 0 : 1; flush < 2; ++flush) {
          std::vector<int> modes = {kNoUndo};
          for (int mode = kNoUndo + 1; flush == 1 && set.undo && mode < kUndoModes; ++mode) modes.push_back(mode);
          if (set.loudness) modes.push_back(kLoudness);
          for (int mode : modes) {
            for (int run = 0; run < set.runs; ++run) {
              Sync();
              const RunResult r = RunInChild(mxf, wav, tracks, engine == 0, flush == 1, static_cast<UndoMode>(mode));
              const std::string name = std::string(engine == 0 ? (flush ? "mapping, flushed" : "mapping, no flush")
                                                               : (flush ? "file I/O, flushed" : "file I/O, no flush")) +
                                       kUndoModeNames[mode];
              if (!r.ok) {
                std::printf("  %-34s failed (%d)\n", name.c_str(), r.code);
                continue;
              }
              const double floor = flush ? floorFlush : floorNoFlush;
              std::printf("  %-34s %8.2f s  %8.0f MB/s  %8.0f frames/s  cpu %6.2f s  peak %6.0f MB (+%.0f MB over "
                          "the loaded file)  %.2f x floor",
                          name.c_str(), r.seconds, mb / r.seconds, static_cast<double>(frames) / r.seconds,
                          r.cpuSeconds, static_cast<double>(r.peakKb) / 1024,
                          static_cast<double>(r.peakKb - r.baselineKb) / 1024, r.seconds / floor);
              if (Journaled(mode) || ReadBack(mode)) {
                std::printf("  journal %.0f MB  verified %.0f MB", static_cast<double>(r.journalBytes) / 1e6,
                            static_cast<double>(r.bytesVerified) / 1e6);
              }
              std::printf("\n");
              if (Journaled(mode)) {
                const std::string undoName = std::string(engine == 0 ? "mapping" : "file I/O") + ", undo" +
                                             kUndoModeNames[mode];
                if (r.undoSeconds < 0) {
                  std::printf("  %-34s failed\n", undoName.c_str());
                } else {
                  std::printf("  %-34s %8.2f s  %8.0f MB/s  %.2f x floor\n", undoName.c_str(), r.undoSeconds,
                              mb / r.undoSeconds, r.undoSeconds / floorFlush);
                }
              }
              if (flush == 1 && mode < kUndoModes && (ratio[engine][mode] < 0 || r.seconds / floorFlush < ratio[engine][mode])) {
                ratio[engine][mode] = r.seconds / floorFlush;
              }
              if (Journaled(mode) && r.undoSeconds > 0 &&
                  (undoRatio[engine] < 0 || r.undoSeconds / floorFlush < undoRatio[engine])) {
                undoRatio[engine] = r.undoSeconds / floorFlush;
              }
              if (mode == kNoUndo && (best[engine][flush] < 0 || r.seconds < best[engine][flush])) {
                best[engine][flush] = r.seconds;
              }
            }
          }
        }
      }

      if (set.undo) {
        std::printf("  against the durable floor (%.2f s; goal with journal + read-back: 3 x or less):\n", floorFlush);
        for (int engine = 0; engine < 2; ++engine) {
          if (!set.engines[engine]) continue;
          std::printf("    %-9s", engine == 0 ? "mapping" : "file I/O");
          for (int mode = kNoUndo; mode < kUndoModes; ++mode) {
            std::printf("  %s %.2f x", mode == kNoUndo ? "plain" : kUndoModeNames[mode] + 3, ratio[engine][mode]);
          }
          std::printf("  undo %.2f x\n", undoRatio[engine]);
        }
        std::printf("  against the in-place floor (%.2f s):\n", floorInPlace);
        for (int engine = 0; engine < 2; ++engine) {
          if (!set.engines[engine]) continue;
          std::printf("    %-9s", engine == 0 ? "mapping" : "file I/O");
          for (int mode = kNoUndo; mode < kUndoModes; ++mode) {
            std::printf("  %s %.2f x", mode == kNoUndo ? "plain" : kUndoModeNames[mode] + 3,
                        ratio[engine][mode] * floorFlush / floorInPlace);
          }
          std::printf("  undo %.2f x\n", undoRatio[engine] * floorFlush / floorInPlace);
        }
      }

      if (ffmpeg) {
        Sync();
        const double s = FfmpegRemuxSeconds(mxf, wav, tracks, set.dir + "/velmora-bench-remux.mxf");
        if (s < 0) {
          std::printf("  %-34s failed\n", "ffmpeg remux -c copy");
        } else {
          std::printf("  %-34s %8.2f s  %8.0f MB/s of audio", "ffmpeg remux -c copy", s, mb / s);
          for (int engine = 0; engine < 2; ++engine) {
            if (best[engine][0] > 0) {
              std::printf("  %s %.1f x faster", engine == 0 ? "mapping" : "file I/O", s / best[engine][0]);
            }
          }
          std::printf("  (target %.1f x)\n", static_cast<double>(layout.fileSize) / static_cast<double>(audioBytes));
        }
      }
      std::filesystem::remove(mxf);
      Sync();
    }
    std::filesystem::remove(wav);
  }
  return 0;
}
