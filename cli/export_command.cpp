// velmora-cli export: write chosen audio tracks of a range as mono BWF
// files, as the desktop application's export dialog does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bwf/bwf_header.h"
#include "bwf/export_engines.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/json_envelope.h"
#include "cli/load_file.h"
#include "cli/range_args.h"
#include "cli/terminal.h"
#include "cli/timecode_errors.h"
#include "cli/track_list.h"
#include "engine/text_format.h"
#include "engine/track_plan.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/progress_texts.h"
#include "rewrap/range_entry.h"
#include "timecode/timecode.h"

namespace cli {

namespace {

struct ExportOptions {
  std::u16string path;
  std::string in, out;
  std::string tracks;
  std::u16string folder;
  std::u16string prefix = u"Track-";
  int ioMethod = IO_MAPPING;
  int buffer = static_cast<int>(kDefaultWavBufferIndex);
  uint32_t runNumber = 1;  // the first export of this run
  bool json = false;
};

// What an export established, for --json: each part only once it is known.
struct ExportFacts {
  bool rangeKnown = false;
  std::u16string inLabel, outLabel;
  uint32_t inFrame = 0, outFrame = 0;
  int64_t frames = 0;
  bool engineRan = false;
  BWF_EXPORT_REPORT report;
  int code = 0;  // the job's result code, or the tool's own exit status
  FailureCause cause;
  double analysisSeconds = -1;  // < 0: not reached
  double exportSeconds = -1;
};

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

int UsageError(const std::string& what) { return cli::UsageError("export", what); }

int ParseArgs(const std::vector<std::string>& args, ExportOptions* opt) {
  bool haveDir = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    if (a == "--json") {
      opt->json = true;
    } else if (a == "--in" || a == "--out" || a == "--tracks" || a == "--dir" || a == "--prefix" || a == "--io" ||
        a == "--buffer" || a == "--run-number") {
      if (i + 1 >= args.size()) return UsageError(UsageText(kStrUsageNeedsValue, a));
      v = args[++i];
      if (a == "--in") {
        opt->in = v;
      } else if (a == "--out") {
        opt->out = v;
      } else if (a == "--tracks") {
        opt->tracks = v;
      } else if (a == "--dir") {
        if (v.empty()) return UsageError(UsageText(kStrUsageDirEmpty));
        opt->folder = plat::AbsolutePath(plat::Utf8ToUtf16(v));
        haveDir = true;
      } else if (a == "--prefix") {
        opt->prefix = plat::Utf8ToUtf16(v);
      } else if (a == "--io") {
        opt->ioMethod = ParseIoMethod(v);
        if (opt->ioMethod < 0) return UsageError(UsageText(kStrUsageIo));
      } else if (a == "--buffer") {
        uint64_t n = 0;
        if (!ParseUnsigned(v, kWavBufferIndexCount - 1, &n)) return UsageError(UsageText(kStrUsageBuffer));
        opt->buffer = static_cast<int>(n);
      } else {
        uint64_t n = 0;
        if (!ParseUnsigned(v, UINT32_MAX, &n)) return UsageError(UsageText(kStrUsageRunNumber));
        opt->runNumber = static_cast<uint32_t>(n);
      }
    } else if (!a.empty() && a[0] == '-') {
      return UsageError(UsageText(kStrUsageUnknownOption, a));
    } else if (opt->path.empty()) {
      opt->path = plat::AbsolutePath(plat::Utf8ToUtf16(a));
    } else {
      return UsageError(UsageText(kStrUsageOneFile));
    }
  }
  if (opt->path.empty()) return UsageError(UsageText(kStrUsageNoFile));
  if (opt->in.empty() || opt->out.empty()) return UsageError(UsageText(kStrUsageInOut));
  if (opt->tracks.empty()) return UsageError(UsageText(kStrUsageTracksMissing));
  if (!RangeLabelForms(opt->in, opt->out)) return kExitUsage;
  if (!haveDir) return UsageError(UsageText(kStrUsageDirMissing));
  // The plan holds the folder and the prefix in fixed fields; nothing is cut.
  if (opt->folder.size() >= kExportFolderUnits) {
    return UsageError(UsageText(kStrUsageTooLong, {u"--dir", static_cast<int64_t>(kExportFolderUnits - 1)}));
  }
  if (opt->prefix.size() >= kExportPrefixUnits) {
    return UsageError(UsageText(kStrUsageTooLong, {u"--prefix", static_cast<int64_t>(kExportPrefixUnits - 1)}));
  }
  if (!plat::IsDirectory(opt->folder)) {
    return UsageError(UsageText(kStrUsageNotAFolder, {std::u16string_view(opt->folder)}));
  }
  if (!BwfPrefixIsPlain(opt->prefix)) {
    PrintErr(FormatText(LoadString(kStrPrefixHasPath), {std::u16string_view(opt->prefix)}));
    return kExitUsage;
  }
  if (plat::SysError err = 0; !plat::FolderAcceptsFiles(opt->folder, &err)) {
    PrintErr(FormatText(LoadString(kStrExportFolderReadOnly),
                        {std::u16string_view(opt->folder), static_cast<int64_t>(err)}));
    return kExitRefused;
  }
  return -1;
}

void CopyField(char16_t* field, size_t capacity, const std::u16string& text) {
  const size_t n = text.size() < capacity ? text.size() : capacity - 1;
  for (size_t i = 0; i < n; ++i) field[i] = text[i];
  field[n] = u'\0';
}

// The frame reached, in the plain form and within the day.
int32_t ReachedFrame(const MXF_TIMECODE_INFO& tc, uint32_t in, uint32_t done) {
  int64_t f = static_cast<int64_t>(in) + done;
  if (const TC_BASE_UNITS* u = TcBaseUnits(tc.tcBase)) f %= static_cast<int64_t>(u->framesPerHour) * 24;
  return static_cast<int32_t>(f);
}

void WriteJson(const ExportOptions& opt, const ExportFacts& f, int status, double totalSeconds) {
  JsonWriter j;
  BeginJsonEnvelope(j, "export");
  if (!opt.path.empty()) WriteJsonFile(j, opt.path);
  if (f.rangeKnown) {
    j.BeginObject("range");
    j.BeginObject("in").String("timecode", f.inLabel).Number("frame", f.inFrame).EndObject();
    j.BeginObject("out").String("timecode", f.outLabel).Number("frame", f.outFrame).EndObject();
    j.Number("frames", f.frames);
    j.EndObject();
  }
  if (f.engineRan) {
    j.BeginArray("files");
    for (const BWF_EXPORT_FILE& file : f.report.files) {
      j.BeginObject();
      j.Number("track", file.track);
      j.String("path", file.path);
      // The size as the file system has it now, not as planned.
      plat::DirRecord rec;
      if (plat::StatPath(file.path, &rec)) j.Number("size", static_cast<int64_t>(rec.size));
      j.Number("time_reference", static_cast<int64_t>(f.report.timeReference));
      j.Bool("complete", file.complete);
      j.Bool("replaced_existing", file.replacedExisting);
      j.EndObject();
    }
    j.EndArray();
  }
  j.BeginObject("timings");
  if (f.analysisSeconds >= 0) j.Real("analysis_seconds", f.analysisSeconds, 3);
  if (f.exportSeconds >= 0) j.Real("export_seconds", f.exportSeconds, 3);
  j.Real("total_seconds", totalSeconds, 3);
  j.EndObject();
  JsonResult result;
  result.code = status == kExitOk ? 0 : f.code != 0 ? f.code : status;
  result.exitStatus = status;
  result.message = ErrorsPrinted();
  result.cause = f.cause;
  WriteJsonResult(j, result);
  PrintJsonEnvelope(j);
}

int Export(const std::vector<std::string>& args, ExportOptions& opt, ExportFacts& facts);

}  // namespace

int RunExport(const std::vector<std::string>& args) {
  const Clock::time_point start = Clock::now();
  ExportOptions opt;
  ExportFacts facts;
  // A usage error before --json was read still answers in JSON.
  for (const std::string& a : args) opt.json |= a == "--json";
  const int status = Export(args, opt, facts);
  if (opt.json) WriteJson(opt, facts, status, SecondsSince(start));
  return status;
}

namespace {

int Export(const std::vector<std::string>& args, ExportOptions& opt, ExportFacts& facts) {
  if (int usage = ParseArgs(args, &opt); usage >= 0) return usage;
  bool allTracks = false;
  std::set<int> tracks;
  std::string why;
  if (!ParseTrackList(opt.tracks, &allTracks, &tracks, &why)) return UsageError(why);

  // A file-size limit then fails the write (reported with the incomplete
  // files) instead of ending the process.
  plat::IgnoreFileSizeSignal();

  MxfState state;
  const Clock::time_point loadStart = Clock::now();
  const LoadResult loaded = LoadMxf(opt.path, opt.ioMethod, state, ProgressWanted());
  facts.analysisSeconds = SecondsSince(loadStart);
  FreeTimecodeErrors(state);
  if (!loaded.loadable) {
    PrintLoadFailure(loaded, opt.path);
    facts.code = loaded.resultCode;
    facts.cause = loaded.cause;
    return loaded.exitCode == kExitCancelled ? kExitCancelled : kExitRefused;
  }

  const int trackCount = state.audio.trackCount;
  if (allTracks) {
    for (int t = 1; t <= trackCount && t <= kTrackSlots; ++t) tracks.insert(t);
  }
  for (int t : tracks) {
    if (t > trackCount) {
      return UsageError("--tracks: " + UsageText(trackCount == 1 ? kStrUsageNoSuchTrackOne : kStrUsageNoSuchTrack,
                                                 {static_cast<int64_t>(t), static_cast<int64_t>(trackCount)}));
    }
  }
  if (tracks.empty()) return UsageError("--tracks: " + UsageText(kStrUsageNoAudioTracks));

  // IN and OUT as the export dialog's entry checks them.
  uint32_t rangeIn[2];
  uint32_t rangeOut[2];
  if (int status = EnterCommandRange(state.timecode, opt.in, opt.out, RangeEntryKind::Export, rangeIn, rangeOut);
      status >= 0) {
    return status;
  }
  facts.rangeKnown = true;
  facts.inLabel = RangePointLabel(state.timecode, rangeIn[0]);
  facts.outLabel = RangePointLabel(state.timecode, rangeOut[0]);
  facts.inFrame = rangeIn[0];
  facts.outFrame = rangeOut[0];
  const uint32_t sel = RangeSelector(state.timecode);
  facts.frames = static_cast<int64_t>(rangeOut[sel]) - rangeIn[sel] + 1;

  auto plan = std::make_unique<AUDIOTRACK_IO_INFO>();
  InitTrackPlan(*plan);
  SetTracksLoaded(*plan, trackCount);
  for (int t : tracks) plan->exportSwitch[t - 1] = TRACK_ON;
  for (int i = 0; i < 2; ++i) {
    plan->exportIn[i] = rangeIn[i];
    plan->exportOut[i] = rangeOut[i];
  }
  plan->wavBufferIndex = static_cast<uint32_t>(opt.buffer);
  plan->exportRunNumber = opt.runNumber;
  CopyField(plan->exportFolder, kExportFolderUnits, opt.folder);
  CopyField(plan->exportPrefix, kExportPrefixUnits, opt.prefix);

  APP_CONTEXT ctx;
  ctx.baseInfo = &state.base;
  ctx.trackPlan = plan.get();
  ctx.jobMode = JOB_EXPORT;
  ctx.mxfPath = opt.path;
  ctx.ioMethod = static_cast<uint8_t>(opt.ioMethod);

  const bool showProgress = ProgressWanted();
  // One progress step; after the job, the last one (every frame done).
  auto step = [&](uint32_t done) {
    const int32_t reached = ReachedFrame(state.timecode, plan->exportIn[0], done);
    ReportProgress(done, plan->frameCount, ReachedLabel(state.timecode, plan->exportIn[0], done),
                   FormatProgressTimecode(state.timecode, static_cast<int32_t>(plan->exportIn[0])) + u" - " +
                       FormatProgressTimecode(state.timecode, static_cast<int32_t>(plan->exportOut[0])) + u"  " +
                       FormatReachedTimecode(state.timecode, reached));
  };
  JobHooks hooks;
  hooks.cancel = [&plan] { plan->cancelRequest = 1; };
  if (showProgress) hooks.poll = [&] { step(plan->currentFrame); };
  const Clock::time_point jobStart = Clock::now();
  const JobOutcome outcome = RunJob(ctx, hooks);
  facts.exportSeconds = SecondsSince(jobStart);
  if (showProgress && outcome.final && outcome.final->message == WM_JOB_DONE) step(plan->frameCount);
  EndProgress();
  const BWF_EXPORT_REPORT report = LastBwfExportReport();
  facts.engineRan = outcome.final.has_value();
  facts.report = report;
  for (const BWF_EXPORT_FILE& f : report.files) {
    if (f.replacedExisting) PrintInfo(FormatText(LoadString(kStrCliReplacedFile), {std::u16string_view(f.path)}));
  }
  if (!outcome.final) return kExitRefused;
  const JobMessage& m = *outcome.final;
  if (m.message != WM_JOB_DONE) {
    facts.code = m.code;
    PrintErr(m.text);
    if (m.code != kResultCancelled) {
      facts.cause = JobFailureCause(m, opt.path);
      PrintErr(FailureLine(facts.cause, m.code));
    }
    const std::u16string incomplete = IncompleteFilesText(report);
    if (!incomplete.empty()) PrintErr(incomplete);
    return report.result == kExportCancelled ? kExitCancelled : kExitRefused;
  }
  // The files written are the result (standard output, or the JSON object);
  // the outcome text is a status line, as for every command.
  PrintInfo(m.text);
  if (!opt.json) {
    for (const BWF_EXPORT_FILE& f : report.files) PrintOut(f.path);
  }
  return kExitOk;
}

}  // namespace

}  // namespace cli
