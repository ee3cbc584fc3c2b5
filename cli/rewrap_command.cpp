// velmora-cli rewrap: overwrite, between IN and OUT, the sound elements of
// chosen tracks with WAV/BWF samples or silence, as the desktop
// application's rewrap command does.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "bwf/wav_library.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/json_envelope.h"
#include "cli/load_file.h"
#include "cli/range_args.h"
#include "cli/rewrap_plan_text.h"
#include "cli/stopwatch.h"
#include "cli/terminal.h"
#include "cli/timecode_errors.h"
#include "cli/track_args.h"
#include "cli/undo_options.h"
#include "engine/text_format.h"
#include "engine/track_plan.h"
#include "platform/console.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/progress_texts.h"
#include "rewrap/range_entry.h"
#include "rewrap/rewrap_log.h"
#include "rewrap/track_assign.h"
#include "rewrap/undo_settings.h"
#include "rewrap/undo_texts.h"
#if VELMORA_HAVE_LOUDNESS
#include "loudness/rewrap_levels.h"
#endif

namespace cli {

namespace {

struct RewrapOptions {
  std::u16string path;
  std::string in, out;
  std::vector<TrackOption> tracks;  // --track and --silence, in the order given
  int ioMethod = IO_MAPPING;
  int buffer = static_cast<int>(kDefaultWavBufferIndex);
  std::u16string logPath;
  std::string logEncoding;
  bool yes = false;
  bool json = false;
  bool measure = false;  // --loudness: of what is written (where the build has a meter)
  UNDO_SETTINGS undo;
};

// What a rewrap established, for the one --json object: each part only
// once it is known.
struct RewrapFacts {
  bool planKnown = false;
  RewrapPlanText plan;
  bool jobRan = false;  // the journal, read-back and loudness facts are the job's
  int code = 0;         // the job's result code, or the tool's own exit status
  std::u16string doneText;  // the job's message when it completed
  FailureCause cause;
  double analysisSeconds = -1;  // < 0: not reached
  double rewrapSeconds = -1;
};

int UsageError(const std::string& what) { return cli::UsageError("rewrap", what); }

// "loudness": one object per programme measured while writing, or null
// when nothing was measured (no --loudness, a build without a meter, a job
// that did not complete).
void WriteLevelsJson(JsonWriter& j, const SOUND_LEVELS& levels) {
  if (!levels.measured) {
    j.Null("loudness");
    return;
  }
  j.BeginArray("loudness");
  for (const SOUND_LEVEL& level : levels.rows) {
    j.BeginObject().BeginArray("tracks").Number({}, level.slot + 1);
    if (level.secondSlot >= 0) j.Number({}, level.secondSlot + 1);
    j.EndArray().Bool("stereo", level.secondSlot >= 0).Real("integrated", level.integrated);
    j.Real("true_peak", level.truePeak).EndObject();
  }
  j.EndArray();
}

int ParseArgs(const std::vector<std::string>& args, RewrapOptions* opt) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string v;
    if (const int u = ParseUndoOption(args, i, &opt->undo, &v); u != 0) {
      if (u == 2) return UsageError(v);
      continue;
    }
    if (a == "--yes" || a == "-y") {
      opt->yes = true;
    } else if (a == "--json") {
      opt->json = true;
    } else if (a == "--loudness") {
      opt->measure = true;
    } else if (a == "--in" || a == "--out" || a == "--track" || a == "--silence" || a == "--io" ||
               a == "--buffer" || a == "--log" || a == "--log-encoding") {
      if (!value(&v)) return UsageError(UsageText(kStrUsageNeedsValue, a));
      if (a == "--in") {
        opt->in = v;
      } else if (a == "--out") {
        opt->out = v;
      } else if (a == "--track" || a == "--silence") {
        TrackOption t;
        if (!ParseTrackOption(v, a == "--silence", &t)) {
          return UsageError(UsageText(a == "--track" ? kStrUsageTrack : kStrUsageSilence));
        }
        opt->tracks.push_back(t);
      } else if (a == "--io") {
        opt->ioMethod = ParseIoMethod(v);
        if (opt->ioMethod < 0) return UsageError(UsageText(kStrUsageIo));
      } else if (a == "--buffer") {
        char* end = nullptr;
        const long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != 0 || n < 0 || n >= static_cast<long>(kWavBufferIndexCount)) {
          return UsageError(UsageText(kStrUsageBuffer));
        }
        opt->buffer = static_cast<int>(n);
      } else if (a == "--log") {
        opt->logPath = plat::AbsolutePath(plat::Utf8ToUtf16(v));
      } else {
        opt->logEncoding = v;
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
  if (!RangeLabelForms(opt->in, opt->out)) return kExitUsage;
  if (!RefuseOverlappingTracks(opt->tracks, false)) return kExitUsage;
  if (!opt->logEncoding.empty()) {
    std::string probe;
    // The log is Japanese: an encoding that cannot hold its words is no use.
    if (!plat::Utf16ToMultibyte(LoadString(kStrOperationRewrap, TextLanguage::Japanese), opt->logEncoding.c_str(),
                                &probe)) {
      return UsageError(UsageText(kStrUsageLogEncoding, opt->logEncoding));
    }
  }
  return -1;
}

// The library the command line builds: one entry per distinct WAV path.
class CommandLibrary {
 public:
  ~CommandLibrary() { WavLibraryClear(&head_); }
  WAV_LIBRARY_ENTRY* head() { return &head_; }
  // Adds the file (or finds it when it is already there); null with the
  // refusal text on failure.
  WAV_LIBRARY_ENTRY* Add(const std::u16string& path, const MXF_TIMECODE_INFO& tc, std::u16string* failure,
                         FailureCause* cause) {
    for (WAV_LIBRARY_ENTRY* e = head_.next; e != nullptr; e = e->next) {
      if (path == e->fullPath) return e;
    }
    plat::SysError err = 0;
    const int code = WavLibraryAdd(path, &head_, &tc, &err);
    if (code != WAV_ADD_OK) {
      *failure = WavAddFailureMessage(code, path, false, err);
      if (err != 0) *cause = FailureCause{path, err};
      return nullptr;
    }
    return head_.prev != nullptr ? head_.prev : head_.next;
  }

 private:
  WAV_LIBRARY_ENTRY head_;
};

bool AskBackupQuestion() {
  PrintErr(LoadString(kStrCliBackupQuestion));
  std::fputs("[y/N] ", stderr);
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace

namespace {

void WriteJson(const RewrapOptions& opt, const RewrapFacts& f, int status, double totalSeconds) {
  JsonWriter j;
  BeginJsonEnvelope(j, "rewrap");
  if (!opt.path.empty()) WriteJsonFile(j, opt.path);
  if (f.planKnown) {
    j.Raw("range", f.plan.rangeJson);
    j.Raw("tracks", f.plan.tracksJson);
  }
  if (f.jobRan) {
    WriteUndoJsonFields(j, LastUndoReport(), opt.undo);
    WriteLevelsJson(j, LastSoundLevels());
  }
  j.BeginObject("timings");
  if (f.analysisSeconds >= 0) j.Real("analysis_seconds", f.analysisSeconds, 3);
  if (f.rewrapSeconds >= 0) j.Real("rewrap_seconds", f.rewrapSeconds, 3);
  j.Real("total_seconds", totalSeconds, 3);
  j.EndObject();
  JsonResult result;
  result.code = status == kExitOk ? 0 : f.code != 0 ? f.code : status;
  result.exitStatus = status;
  result.message = status == kExitOk ? f.doneText : ErrorsPrinted();
  result.cause = f.cause;
  WriteJsonResult(j, result);
  PrintJsonEnvelope(j);
}

int Rewrap(const std::vector<std::string>& args, RewrapOptions& opt, RewrapFacts& facts);

}  // namespace

int RunRewrap(const std::vector<std::string>& args) {
  const Stopwatch total;
  RewrapOptions opt;
  RewrapFacts facts;
  // A usage error before --json was read still answers in JSON.
  for (const std::string& a : args) opt.json |= a == "--json";
  const int status = Rewrap(args, opt, facts);
  if (opt.json) WriteJson(opt, facts, status, total.Seconds());
  return status;
}

namespace {

int Rewrap(const std::vector<std::string>& args, RewrapOptions& opt, RewrapFacts& facts) {
  if (int usage = ParseArgs(args, &opt); usage >= 0) return usage;
  if (!opt.yes && !StdinIsTerminal()) {
    return UsageError(UsageText(kStrUsageNoTerminal));
  }

  // A file-size limit fails the journal's write (reported with its cause)
  // instead of ending the process.
  plat::IgnoreFileSizeSignal();

  // Locked from here to the end of the write: nothing of ours changes the
  // file between the analysis, the check and the write.
  LoadResult loaded;
  plat::File mxf = OpenMxfForRewrap(opt.path, &loaded);
  MxfState state;
  if (mxf.valid()) {
    const Stopwatch analysis;
    loaded = LoadMxf(opt.path, opt.ioMethod, state, ProgressWanted(), &mxf);
    facts.analysisSeconds = analysis.Seconds();
    FreeTimecodeErrors(state);
  }
  if (!loaded.loadable) {
    PrintLoadFailure(loaded, opt.path);
    facts.code = loaded.resultCode;
    facts.cause = loaded.cause;
    return loaded.exitCode == kExitCancelled ? kExitCancelled : kExitRefused;
  }

  auto plan = std::make_unique<AUDIOTRACK_IO_INFO>();
  InitTrackPlan(*plan);
  SetTracksLoaded(*plan, state.audio.trackCount);
  plan->wavBufferIndex = static_cast<uint32_t>(opt.buffer);
  TRACK_STEREO_FLAGS stereo = {};
  CommandLibrary library;

  // Every file is read first, so that a stereo file's pair is known before
  // any track is assigned.
  for (TrackOption& t : opt.tracks) {
    if (t.silence) continue;
    std::u16string failure;
    t.entry = library.Add(t.path, state.timecode, &failure, &facts.cause);
    if (t.entry == nullptr) {
      PrintErr(failure);
      return kExitRefused;
    }
  }
  if (!RefuseOverlappingTracks(opt.tracks, true)) return kExitUsage;

  // The same rules as the track panel; no two options share a track, so
  // none replaces another.
  for (const TrackOption& t : opt.tracks) {
    const int slot = t.track - 1;
    if (t.silence) {
      if (slot >= state.audio.trackCount) {
        PrintErr(FormatText(LoadString(kStrCliTrackRefusal), {std::u16string_view(LoadString(kStrAssignCaption)),
                                                    static_cast<int64_t>(t.track),
                                                    std::u16string_view(TrackAssignMessage(TRACK_ASSIGN_NO_TRACK))}));
        return kExitRefused;
      }
    } else {
      // A multichannel file without a channel named is ambiguous: both forms are shown.
      if (t.entry->format.channels >= 3 && !t.NamesChannels()) {
        PrintErr(ChannelsNotNamedMessage(t, t.entry->format.channels, state.audio.trackCount));
        return kExitRefused;
      }
      const TRACK_ASSIGN_RESULT r =
          t.NamesChannels() ? AssignChannels(*plan, stereo, state.audio, t.entry, slot,
                                             t.channel != 0 ? t.channel - 1 : 0, t.TrackCount())
                            : AssignTrack(*plan, stereo, state.audio, t.entry, slot);
      if (r.code != TRACK_ASSIGN_OK) {
        PrintErr(FormatText(LoadString(kStrCliTrackRefusal), {std::u16string_view(LoadString(kStrAssignCaption)),
                                                    static_cast<int64_t>(t.track), std::u16string_view(r.message)}));
        return kExitRefused;
      }
    }
    for (int s = slot; s < slot + t.TrackCount(); ++s) SetTrackSwitch(*plan, stereo, s, true);
  }

  uint32_t rangeIn[2];
  uint32_t rangeOut[2];
  if (int status = EnterCommandRange(state.timecode, opt.in, opt.out, RangeEntryKind::Rewrap, rangeIn, rangeOut);
      status >= 0) {
    return status;
  }
  for (int i = 0; i < 2; ++i) {
    plan->wrapIn[i] = rangeIn[i];
    plan->wrapOut[i] = rangeOut[i];
  }

  bool anyOn = false;
  for (int s = 0; s < state.audio.trackCount && s < kTrackSlots; ++s) anyOn |= plan->trackSwitch[s] == TRACK_ON;
  if (!anyOn) {
    PrintErr(LoadString(kStrCliAllTracksOff));
    return kExitRefused;
  }
  facts.plan = DescribeRewrapPlan(state, *plan, stereo);
  facts.planKnown = true;
  // With --json the plan is part of the one object, printed at the end.
  if (!opt.json) {
    for (const std::u16string& line : facts.plan.lines) PrintInfo(line);
  }
  if (int refused = CheckBeforeRewrap(opt.path, *plan, state.base, opt.undo); refused >= 0) return refused;
  // The log is created (and held) before the file changes, so that a log
  // that cannot be written stops the job first.
  plat::File log;
  std::u16string createdLog;  // removed again when the rewrap does not happen
  if (!opt.logPath.empty()) {
    plat::SysError err = 0;
    const bool existed = plat::PathExists(opt.logPath);
    log = plat::File::Open(opt.logPath, plat::Access::Write, plat::Share::Exclusive, &err);
    if (!log.valid()) {
      PrintErr(FormatText(LoadString(kStrLogNotCreated), {std::u16string_view(opt.logPath), static_cast<int64_t>(err)}));
      facts.cause = FailureCause{opt.logPath, err};
      return kExitRefused;
    }
    if (!existed) createdLog = opt.logPath;
  }
  if (!opt.yes && !AskBackupQuestion()) {
    log.Close();
    if (!createdLog.empty()) plat::RemoveFile(createdLog);
    return kExitRefused;
  }
  UndoSettings() = opt.undo;
  plan->heldMxf = &mxf;

  APP_CONTEXT ctx;
  ctx.baseInfo = &state.base;
  ctx.trackPlan = plan.get();
  ctx.jobMode = JOB_REWRAP;
  ctx.mxfPath = opt.path;
  ctx.ioMethod = static_cast<uint8_t>(opt.ioMethod);

  const uint32_t sel = RangeSelector(state.timecode);
  const bool showProgress = ProgressWanted();
  // One progress step; after the job, the last one (every frame done), which
  // a short job reaches before the first poll.
  auto report = [&](uint32_t done) {
    // Shown as the user entered it: a clip starting in hour 23 counts an hour later.
    const int32_t reached = EnteredFormFrame(state.timecode, sel, static_cast<int32_t>(plan->wrapIn[sel] + done));
    // The range is checked first (nothing written yet), then written.
    const bool checking = plan->jobPhase.load() == JOB_PHASE_CHECK;
    ReportProgress(done, plan->frameCount, ReachedLabel(state.timecode, plan->wrapIn[0], done),
                   LoadString(checking ? kStrCliChecking : kStrCliWriting) + u" " + FormatProgressTimecode(state.timecode, static_cast<int32_t>(plan->wrapIn[0])) + u" - " +
                       FormatProgressTimecode(state.timecode, static_cast<int32_t>(plan->wrapOut[0])) + u"  " +
                       FormatReachedTimecode(state.timecode, reached));
  };
#if VELMORA_HAVE_LOUDNESS
  // The samples pass through memory as they are written: measured there.
  RewrapLevelsTap levelsTap;
  if (opt.measure) InstalledSoundTap() = &levelsTap;
#endif
  JobHooks hooks;
  hooks.cancel = [&plan] { plan->cancelRequest = 1; };
  if (showProgress) hooks.poll = [&] { report(plan->currentFrame); };
  const Stopwatch job;
  const JobOutcome outcome = RunJob(ctx, hooks);
  facts.rewrapSeconds = job.Seconds();
  facts.jobRan = outcome.final.has_value();
  InstalledSoundTap() = nullptr;
  if (showProgress && outcome.final && outcome.final->message == WM_JOB_DONE) report(plan->frameCount);
  EndProgress();
  if (!outcome.final || outcome.final->message != WM_JOB_DONE) {
    log.Close();
    if (!createdLog.empty()) plat::RemoveFile(createdLog);
  }
  if (!outcome.final) return kExitRefused;
  const JobMessage& m = *outcome.final;
  const UNDO_REPORT& undo = LastUndoReport();
  if (m.message != WM_JOB_DONE) {
    facts.code = m.code;
    PrintErr(m.text);
    if (m.code != kResultCancelled) {
      facts.cause = JobFailureCause(m, opt.path);
      PrintErr(FailureLine(facts.cause, m.code));
    }
    if (undo.mismatchFrame >= 0) {
      PrintErr(FormatText(LoadString(kStrCliReadBackMismatch), {static_cast<int64_t>(undo.mismatchSlot + 1),
                  std::u16string_view(FormatProgressTimecode(state.timecode,
                      static_cast<int32_t>(plan->wrapIn[0] + undo.mismatchFrame)))}));
    }
    return m.code == kResultCancelled ? kExitCancelled : kExitRefused;
  }
  facts.doneText = m.text;
  // The file rewritten is the result (standard output, or the JSON object);
  // the outcome text is a status line.
  PrintInfo(m.text);
  if (!opt.json) {
    PrintOut(opt.path);
    PrintInfo(ComposeUndoSummary(undo, opt.undo));
    for (const SOUND_LEVEL& level : LastSoundLevels().rows) PrintInfo(ComposeLevelLine(level, CurrentTextLanguage()));
  }
  if (!opt.logPath.empty()) {
    plat::SysError err = 0;
    if (!WriteRewrapLog(log, opt.path, opt.ioMethod, state.base, state.indexEntries, *plan,
                        opt.logEncoding.empty() ? nullptr : opt.logEncoding.c_str(), plat::LocalNow(), &err)) {
      PrintErr(ComposeRewrapLogCreateFailed(opt.path, err));
      facts.cause = FailureCause{opt.logPath, err};
      return kExitRefused;
    }
    PrintInfo(ComposeRewrapLogCreated(opt.path, opt.logPath));
  }
  return kExitOk;
}

}  // namespace

}  // namespace cli
