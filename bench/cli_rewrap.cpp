// Whole-process rewrap figures: `velmora-cli rewrap` of a 5-minute 29.97
// drop-frame file with 8 tracks of 24-bit audio, every track rewritten from
// its own WAV file over the whole file, timed from the shell's start of the
// process to its exit (loading, verification, check pass, writes, flush).
// Beside it, in the same run, the durable floor: the same number of audio
// bytes written into an existing file, then one fsync. Ratios are taken
// within one run because the machine's load changes from run to run.
//
//   bench_cli_rewrap [--dir PATH] [--cli PATH] [--compare PATH] [--runs R] [--frames N] [--io mmap|file]
//                    [--no-journal] [--no-read-back] [--also "OPTIONS"]... [--strace] [--keep]
//                    [--sparse-picture]
//
// --compare times a second build of the tool (e.g. before a change) in the
// same rounds; --also times the tool once more per round with OPTIONS added
// (e.g. --also "--io file" --also "--no-journal --no-read-back"), so that
// the cost of each part is a ratio within one run. Every timing also shows
// how the tool's own --json timings split it: the analysis, the rewrap job,
// and the rest (process start, WAV headers, checks before the job).
// --strace runs the tool once more under `strace -c -f` and
// prints the system call summary. Dirty pages are written back (sync)
// before every timed run, so that no run pays for another's writes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/text.h"
#include "tools/mxfgen/mxfgen.h"
#include "tools/mxfgen/timecode_label.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

constexpr int kTracks = 8;
constexpr uint32_t kPictureBytes = 200000;  // about 50 Mbit/s

struct Settings {
  std::string dir = std::filesystem::temp_directory_path().string();
  std::string cli;
  std::string compare;
  int runs = 3;
  int64_t frames = 8992;  // 00:05:00;00 at 29.97 drop-frame
  bool strace = false;
  bool keep = false;       // leave the generated files for a manual look
  bool sparse = false;     // picture values as holes (a smaller file, but every block has holes)
  std::string extra;       // options passed on to velmora-cli (--io file)
  std::vector<std::string> also;  // variants timed in the same rounds
};

// A mono 24-bit WAV file of `samples` samples of noise seeded by `seed`.
bool WriteWav(const std::string& path, uint64_t samples, uint32_t seed) {
  std::ofstream f(path, std::ios::binary);
  const uint64_t dataBytes = samples * 3;
  auto u32 = [&f](uint32_t v) {
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    f.write(b, 4);
  };
  auto u16 = [&f](uint16_t v) {
    const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    f.write(b, 2);
  };
  f.write("RIFF", 4);
  u32(static_cast<uint32_t>(36 + dataBytes));
  f.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(48000);
  u32(48000 * 3);
  u16(3);
  u16(24);
  f.write("data", 4);
  u32(static_cast<uint32_t>(dataBytes));
  std::vector<char> block(1 << 20);
  uint32_t x = seed;
  for (char& b : block) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<char>(x >> 24);
  }
  for (uint64_t left = dataBytes; left > 0;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
    f.write(block.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
  return static_cast<bool>(f);
}

void Sync() { std::system("sync"); }

// The floor: `bytes` written front to back in 8 MiB writes over an existing
// file of that size, then one fsync.
double FloorSeconds(const std::string& path, uint64_t bytes) {
  plat::File f = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::ReadWrite, plat::Share::Shared);
  if (!f.valid()) return -1;
  std::vector<uint8_t> block(8 << 20, 0x5A);
  const auto t0 = Clock::now();
  for (uint64_t at = 0; at < bytes;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes - at, block.size()));
    if (f.WriteAt(at, block.data(), n) != static_cast<int64_t>(n)) return -1;
    at += n;
  }
  if (!f.Sync()) return -1;
  return SecondsSince(t0);
}

bool MakeFloorFile(const std::string& path, uint64_t bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  std::vector<char> block(8 << 20, static_cast<char>(0xA5));
  for (uint64_t at = 0; at < bytes && f;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes - at, block.size()));
    f.write(block.data(), static_cast<std::streamsize>(n));
    at += n;
  }
  return static_cast<bool>(f);
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// One whole `velmora-cli rewrap` process: its seconds (-1 when it fails)
// and the split its --json timings give.
struct CliRun {
  double seconds = -1;
  double analysis = -1;
  double job = -1;
};

double JsonSeconds(const std::string& json, const std::string& key) {
  const size_t at = json.find("\"" + key + "\":");
  return at == std::string::npos ? -1 : std::atof(json.c_str() + at + key.size() + 3);
}

CliRun RunCli(const std::string& cli, const std::string& args, const std::string& jsonPath) {
  const std::string cmd = Quote(cli) + " rewrap " + args + " --json >" + Quote(jsonPath) + " 2>/dev/null </dev/null";
  const auto t0 = Clock::now();
  const int rc = std::system(cmd.c_str());
  CliRun run;
  if (rc != 0) return run;
  run.seconds = SecondsSince(t0);
  std::ifstream f(jsonPath);
  const std::string json((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  run.analysis = JsonSeconds(json, "analysis_seconds");
  run.job = JsonSeconds(json, "rewrap_seconds");
  return run;
}

void PrintRun(const char* name, const CliRun& r, double floor) {
  std::printf("    %-34s %.3f s (%5.2f x floor): analysis %.3f, job %.3f, rest %.3f\n", name, r.seconds,
              r.seconds / floor, r.analysis, r.job, r.seconds - r.analysis - r.job);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

bool ParseArgs(int argc, char** argv, Settings* set) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--dir" && hasValue) {
      set->dir = argv[++i];
    } else if (a == "--cli" && hasValue) {
      set->cli = argv[++i];
    } else if (a == "--compare" && hasValue) {
      set->compare = argv[++i];
    } else if (a == "--runs" && hasValue) {
      set->runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--frames" && hasValue) {
      set->frames = std::max(10, std::atoi(argv[++i]));
    } else if (a == "--strace") {
      set->strace = true;
    } else if (a == "--sparse-picture") {
      set->sparse = true;
    } else if (a == "--keep") {
      set->keep = true;
    } else if (a == "--io" && hasValue) {
      set->extra += std::string(" --io ") + argv[++i];
    } else if (a == "--no-journal" || a == "--no-read-back") {
      set->extra += " " + a;  // the undo journal and the read-back, off
    } else if (a == "--also" && hasValue) {
      set->also.push_back(argv[++i]);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Settings set;
  set.cli = (std::filesystem::absolute(argv[0]).parent_path() / "velmora-cli").string();
  if (!ParseArgs(argc, argv, &set)) {
    std::fprintf(stderr,
                 "usage: bench_cli_rewrap [--dir PATH] [--cli PATH] [--compare PATH] [--runs R] [--frames N] "
                 "[--io mmap|file] [--no-journal] [--no-read-back] [--also \"OPTIONS\"]... [--strace] [--keep] "
                 "[--sparse-picture]\n");
    return 2;
  }

  const std::string mxf = set.dir + "/velmora-bench-cli.mxf";
  mxfgen::Options o;
  o.frameRateClass = 6;
  o.dropFrame = true;
  o.frames = set.frames;
  o.tracks = kTracks;
  o.bits = 24;
  o.pictureBytes = kPictureBytes;
  o.sparsePicture = set.sparse;
  mxfgen::Layout layout;
  std::string error;
  if (!mxfgen::WriteMxf(mxf, o, &layout, &error)) {
    std::fprintf(stderr, "mxfgen: %s\n", error.c_str());
    return 1;
  }
  const uint64_t samples = static_cast<uint64_t>(set.frames / 5 + 1) * 8008;
  // The whole file: from 00:00:00;00 to the last frame's label (the tool
  // takes whole labels only).
  const std::string out = mxfgen::FormatLabel(mxfgen::FramesToLabel(set.frames - 1, 30, true), true);
  std::string args = Quote(mxf) + " --in '00:00:00;00' --out " + Quote(out) + " --yes" + set.extra;
  std::vector<std::string> wavs;
  for (int t = 1; t <= kTracks; ++t) {
    wavs.push_back(set.dir + "/velmora-bench-cli-" + std::to_string(t) + ".wav");
    if (!WriteWav(wavs.back(), samples, 12345u * static_cast<uint32_t>(t))) {
      std::fprintf(stderr, "cannot write %s\n", wavs.back().c_str());
      return 1;
    }
    args += " --track " + std::to_string(t) + "=" + Quote(wavs.back());
  }
  uint64_t audioBytes = 0;
  for (const auto& el : layout.sound) audioBytes += el.valueSize;
  const double mb = static_cast<double>(audioBytes) / 1e6;
  std::printf("velmora-cli rewrap, %lld frames 29.97 DF, %d tracks 24-bit from %d WAV files, every track rewritten\n",
              static_cast<long long>(set.frames), kTracks, kTracks);
  std::printf("file %.0f MB (%s picture), audio written %.1f MB, in %s\n",
              static_cast<double>(layout.fileSize) / 1e6, set.sparse ? "sparse" : "written", mb, set.dir.c_str());

  const std::string floorPath = set.dir + "/velmora-bench-cli-floor.bin";
  if (!MakeFloorFile(floorPath, audioBytes)) {
    std::fprintf(stderr, "cannot write %s\n", floorPath.c_str());
    return 1;
  }
  const std::string jsonPath = set.dir + "/velmora-bench-cli.json";
  std::vector<double> floors, tool, other;
  std::vector<std::vector<double>> variants(set.also.size());
  for (int run = 0; run < set.runs; ++run) {
    Sync();
    const double fl = FloorSeconds(floorPath, audioBytes);
    Sync();
    const CliRun t = RunCli(set.cli, args, jsonPath);
    CliRun c;
    if (!set.compare.empty()) {
      Sync();
      c = RunCli(set.compare, args, jsonPath);
    }
    std::printf("  round %d: floor (write + fsync) %.3f s\n", run + 1, fl);
    PrintRun("velmora-cli", t, fl);
    if (!set.compare.empty()) PrintRun("compared build", c, fl);
    bool failed = fl < 0 || t.seconds < 0 || (!set.compare.empty() && c.seconds < 0);
    for (size_t v = 0; v < set.also.size(); ++v) {
      Sync();
      const CliRun r = RunCli(set.cli, args + " " + set.also[v], jsonPath);
      PrintRun(set.also[v].c_str(), r, fl);
      failed |= r.seconds < 0;
      variants[v].push_back(r.seconds);
    }
    if (failed) {
      std::fprintf(stderr, "a run failed\n");
      return 1;
    }
    floors.push_back(fl);
    tool.push_back(t.seconds);
    other.push_back(c.seconds);
  }
  std::filesystem::remove(jsonPath);
  const double floorMedian = Median(floors);
  std::printf("median: floor %.3f s (%.0f MB/s)   velmora-cli %.3f s = %.2f x floor", floorMedian, mb / floorMedian,
              Median(tool), Median(tool) / floorMedian);
  if (!set.compare.empty()) {
    std::printf("   compared build %.3f s = %.2f x floor", Median(other), Median(other) / floorMedian);
  }
  for (size_t v = 0; v < set.also.size(); ++v) {
    std::printf("\n        with %s: %.3f s = %.2f x floor", set.also[v].c_str(), Median(variants[v]),
                Median(variants[v]) / floorMedian);
  }
  std::printf("\n");

  if (set.strace) {
    Sync();
    const std::string cmd = "strace -c -f -o " + Quote(set.dir + "/velmora-bench-cli.strace") + " " + Quote(set.cli) +
                            " rewrap " + args + " >/dev/null 2>&1 </dev/null";
    if (std::system(cmd.c_str()) == 0) {
      std::printf("\nstrace -c -f of one run:\n");
      std::fflush(stdout);
      std::system(("cat " + Quote(set.dir + "/velmora-bench-cli.strace")).c_str());
    } else {
      std::printf("strace run failed (is strace installed?)\n");
    }
    std::filesystem::remove(set.dir + "/velmora-bench-cli.strace");
  }
  std::filesystem::remove(floorPath);
  if (set.keep) {
    std::printf("\nkept: velmora-cli rewrap %s\n", args.c_str());
    return 0;
  }
  std::filesystem::remove(mxf);
  for (const std::string& w : wavs) std::filesystem::remove(w);
  return 0;
}
