// velmora-cli loudness: integrated loudness, loudness range, maximum
// momentary and short-term loudness and true peak of an MXF file's tracks
// over a range (each track mono, or pairs as stereo programmes), or of a
// WAV/BWF file, each row marked against a delivery target.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/json_envelope.h"
#include "cli/load_file.h"
#include "cli/loudness_report.h"
#include "cli/range_args.h"
#include "cli/terminal.h"
#include "cli/timecode_errors.h"
#include "cli/track_list.h"
#include "engine/track_plan.h"
#include "loudness/wav_loudness.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/progress_texts.h"
#include "timecode/timecode.h"

namespace cli {

namespace {

struct LoudnessOptions {
  std::u16string path;
  std::string in, out;
  std::string tracks, pairs;
  bool json = false;
  int ioMethod = IO_MAPPING;
  LOUDNESS_TARGET target = kTargetTrB32;
};

constexpr int kExitSomeFail = 5;

// The usage line comes from the string table, as for every command.
int UsageError(const std::string& what) { return cli::UsageError("loudness", what); }

bool ParseLevel(const std::string& text, double low, double high, double* value) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v) || v < low || v > high) return false;
  *value = v;
  return true;
}

// The preset first, then the figures given, whatever their order.
int ParseTarget(const std::string& preset, const std::string& target, const std::string& tolerance,
                const std::string& truePeak, LOUDNESS_TARGET* out) {
  if (!preset.empty() && !LoudnessPreset(preset, out)) return UsageError(UsageText(kStrUsagePreset));
  if (!target.empty() && !ParseLevel(target, -70, 0, &out->integrated)) {
    return UsageError(UsageText(kStrUsageTarget));
  }
  if (!tolerance.empty() && !ParseLevel(tolerance, 0, 10, &out->tolerance)) {
    return UsageError(UsageText(kStrUsageTolerance));
  }
  if (!truePeak.empty() && !ParseLevel(truePeak, -30, 3, &out->truePeak)) {
    return UsageError(UsageText(kStrUsageTruePeak));
  }
  return -1;
}

int ParseArgs(const std::vector<std::string>& args, LoudnessOptions* opt) {
  std::string preset, target, tolerance, truePeak;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      opt->json = true;
      continue;
    }
    std::string* value = a == "--in" ? &opt->in : a == "--out" ? &opt->out : a == "--tracks" ? &opt->tracks
                       : a == "--pairs" ? &opt->pairs : a == "--preset" ? &preset : a == "--target" ? &target
                       : a == "--tolerance" ? &tolerance : a == "--true-peak" ? &truePeak : nullptr;
    if (value != nullptr) {
      if (i + 1 >= args.size() || args[i + 1].empty()) return UsageError(UsageText(kStrUsageNeedsValue, a));
      *value = args[++i];
    } else if (a == "--io") {
      if (i + 1 >= args.size() || (opt->ioMethod = ParseIoMethod(args[++i])) < 0) {
        return UsageError(UsageText(kStrUsageIo));
      }
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      return UsageError(UsageText(kStrUsageUnknownOption, a));
    } else if (opt->path.empty()) {
      opt->path = plat::AbsolutePath(plat::Utf8ToUtf16(a));
      NotedRefusal().path = opt->path;
    } else {
      return UsageError(UsageText(kStrUsageOneFile));
    }
  }
  if (opt->path.empty()) return UsageError(UsageText(kStrUsageNoFile));
  if (opt->in.empty() != opt->out.empty()) return UsageError(UsageText(kStrUsageInOutTogether));
  return ParseTarget(preset, target, tolerance, truePeak, &opt->target);
}

// "1-2,3-4": each item two different track numbers, left-right.
bool ParsePairs(const std::string& text, std::vector<LOUDNESS_PROGRAMME>* pairs, std::string* why) {
  return ForEachListItem(text, [&](const std::string& item) {
    const size_t dash = item.find('-');
    uint64_t l = 0;
    uint64_t r = 0;
    if (dash == std::string::npos || !ParseUnsigned(Trim(item.substr(0, dash)), kTrackSlots, &l) ||
        !ParseUnsigned(Trim(item.substr(dash + 1)), kTrackSlots, &r) || l < 1 || r < 1 || l == r) {
      *why = UsageText(kStrUsagePairs, item);
      return false;
    }
    pairs->push_back({static_cast<int>(l) - 1, static_cast<int>(r) - 1});
    return true;
  });
}

bool IsWavFile(const std::u16string& path) {
  plat::File f = plat::File::Open(path, plat::Access::Read, plat::Share::Shared);
  uint8_t head[12] = {};
  return f.valid() && f.ReadAt(0, head, sizeof head) == static_cast<int64_t>(sizeof head) &&
         std::string(reinterpret_cast<char*>(head), 4) == "RIFF" &&
         std::string(reinterpret_cast<char*>(head + 8), 4) == "WAVE";
}

// Runs `measure` on a worker thread, drawing progress on a terminal and
// turning Ctrl+C into the cancel request.
template <typename Measure>
int MeasureWithProgress(LOUDNESS_PROGRESS& progress, const std::u16string& label, Measure measure) {
  std::atomic<bool> finished{false};
  int status = LOUDNESS_OK;
  std::thread worker([&] {
    status = measure();
    finished = true;
  });
  const bool draw = StderrIsTerminal();
  while (!finished) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (InterruptRequested()) progress.cancelRequest = 1;
    if (draw && !finished) DrawProgress(ProgressPercent(progress.currentFrame, progress.frameCount), label);
  }
  worker.join();
  if (draw) EndProgress();
  return status;
}

int Finish(int status, const LoudnessReport& report, bool json) {
  const int exitStatus = status == LOUDNESS_CANCELLED ? kExitCancelled
                         : status != LOUDNESS_OK      ? kExitRefused
                         : AllPass(report)            ? kExitOk
                                                      : kExitSomeFail;
  if (status != LOUDNESS_OK) PrintErr(LoudnessStatusText(status));
  if (json) {
    PrintLoudnessJson(report, status, exitStatus);
  } else if (status == LOUDNESS_OK) {
    const std::string text = LoudnessTable(report);
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  return exitStatus;
}

int RunWav(const LoudnessOptions& opt, LoudnessReport& report) {
  if (!opt.in.empty() || !opt.tracks.empty() || !opt.pairs.empty()) {
    return UsageError(UsageText(kStrUsageWavWhole));
  }
  report.wav = true;
  WAV_FORMAT_INFO info;
  LoudnessRow row;
  row.name = "file";
  row.stereo = ReadWavFormat(opt.path, &info) == WAV_READ_OK && info.channels == 2;
  LOUDNESS_PROGRESS progress;
  const int status = MeasureWithProgress(progress, u"loudness", [&] {
    return MeasureWavLoudness(opt.path, &progress, &row.result);
  });
  report.rows.push_back(row);
  return Finish(status, report, opt.json);
}

// The rows an MXF file is measured in: --tracks as mono rows, then --pairs;
// every track mono when neither is given.
int ChooseProgrammes(const LoudnessOptions& opt, int trackCount, std::vector<LOUDNESS_PROGRAMME>* out) {
  std::string why;
  bool all = opt.tracks.empty() && opt.pairs.empty();
  std::set<int> tracks;
  if (!opt.tracks.empty() && !ParseTrackList(opt.tracks, &all, &tracks, &why)) return UsageError(why);
  if (all) {
    for (int t = 1; t <= trackCount; ++t) tracks.insert(t);
  }
  for (int t : tracks) out->push_back({t - 1, -1});
  if (!opt.pairs.empty() && !ParsePairs(opt.pairs, out, &why)) return UsageError(why);
  for (const LOUDNESS_PROGRAMME& p : *out) {
    const int highest = std::max(p.left, p.right) + 1;
    if (highest > trackCount) {
      return UsageError(UsageText(trackCount == 1 ? kStrUsageNoSuchTrackOne : kStrUsageNoSuchTrack,
                                  {static_cast<int64_t>(highest), static_cast<int64_t>(trackCount)}));
    }
  }
  if (out->empty()) return UsageError(UsageText(kStrUsageNoAudioTracks));
  return -1;
}

LoudnessRow RowFor(const LOUDNESS_PROGRAMME& p) {
  LoudnessRow row;
  row.stereo = p.stereo();
  row.tracks.push_back(p.left + 1);
  if (p.stereo()) row.tracks.push_back(p.right + 1);
  row.name = p.stereo() ? "pair " + std::to_string(p.left + 1) + "-" + std::to_string(p.right + 1)
                        : "track " + std::to_string(p.left + 1);
  return row;
}

int RunMxf(const LoudnessOptions& opt, LoudnessReport& report) {
  MxfState state;
  const LoadResult loaded = LoadMxf(opt.path, opt.ioMethod, state, StderrIsTerminal());
  FreeTimecodeErrors(state);
  if (!loaded.loadable) {
    PrintLoadFailure(loaded, opt.path);
    return loaded.exitCode == kExitCancelled ? kExitCancelled : kExitRefused;
  }
  std::vector<LOUDNESS_PROGRAMME> programmes;
  if (int usage = ChooseProgrammes(opt, state.audio.trackCount, &programmes); usage >= 0) return usage;

  const MXF_TIMECODE_INFO& tc = state.timecode;
  uint32_t in[2] = {static_cast<uint32_t>(tc.startFrame), static_cast<uint32_t>(tc.startFrameShifted)};
  uint32_t out[2] = {static_cast<uint32_t>(tc.endFrame), static_cast<uint32_t>(tc.endFrameShifted)};
  if (!opt.in.empty()) {
    if (int status = EnterCommandRange(tc, opt.in, opt.out, RangeEntryKind::Export, in, out); status >= 0) {
      return status;
    }
  }
  size_t first = 0;
  uint32_t count = 0;
  if (int r = LoudnessRangeFrames(state.base, in, out, &first, &count); r != LOUDNESS_OK) {
    PrintErr(LoudnessStatusText(r));
    return kExitRefused;
  }
  report.in = FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(in[0]));
  report.out = FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(out[0]));
  report.frames = count;

  std::vector<LOUDNESS_RESULT> results;
  LOUDNESS_PROGRESS progress;
  const int status = MeasureWithProgress(progress, report.in + u" - " + report.out, [&] {
    return MeasureMxfLoudness(opt.path, state.base, first, count, programmes, &progress, &results);
  });
  for (size_t i = 0; status == LOUDNESS_OK && i < programmes.size(); ++i) {
    report.rows.push_back(RowFor(programmes[i]));
    report.rows.back().result = results[i];
  }
  return Finish(status, report, opt.json);
}

}  // namespace

int RunLoudness(const std::vector<std::string>& args) {
  LoudnessOptions opt;
  if (int usage = ParseArgs(args, &opt); usage >= 0) return usage;
  LoudnessReport report;
  report.file = opt.path;
  report.target = opt.target;
  return IsWavFile(opt.path) ? RunWav(opt, report) : RunMxf(opt, report);
}

}  // namespace cli
