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
#include "cli/terminal.h"
#include "cli/timecode_errors.h"
#include "cli/undo_options.h"
#include "engine/text_format.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/progress_texts.h"
#include "rewrap/range_entry.h"
#include "rewrap/rewrap_log.h"
#include "rewrap/track_assign.h"
#include "rewrap/track_plan.h"
#include "rewrap/undo_settings.h"
#include "rewrap/undo_texts.h"

namespace cli {

namespace {

struct TrackFile {
  int track = 0;  // 1-based
  std::u16string path;
};

struct RewrapOptions {
  std::u16string path;
  std::string in, out;
  std::vector<TrackFile> files;
  std::vector<int> silent;
  int ioMethod = IO_MAPPING;
  int buffer = static_cast<int>(kDefaultWavBufferIndex);
  std::u16string logPath;
  std::string logEncoding;
  bool yes = false;
  bool json = false;
  UNDO_SETTINGS undo;
};

int UsageError(const std::string& what) { return cli::UsageError("rewrap", what); }

bool ParseTrackNumber(const std::string& text, int* track) {
  if (text.empty() || text.size() > 2) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *track = std::atoi(text.c_str());
  return *track >= 1 && *track <= kTrackSlots;
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
    } else if (a == "--in" || a == "--out" || a == "--track" || a == "--silence" || a == "--io" ||
               a == "--buffer" || a == "--log" || a == "--log-encoding") {
      if (!value(&v)) return UsageError(a + " needs a value");
      if (a == "--in") {
        opt->in = v;
      } else if (a == "--out") {
        opt->out = v;
      } else if (a == "--track") {
        const size_t eq = v.find('=');
        TrackFile f;
        if (eq == std::string::npos || !ParseTrackNumber(v.substr(0, eq), &f.track) || eq + 1 >= v.size()) {
          return UsageError("--track takes N=WAV with N from 1 to 24");
        }
        f.path = plat::AbsolutePath(plat::Utf8ToUtf16(v.substr(eq + 1)));
        opt->files.push_back(f);
      } else if (a == "--silence") {
        int track = 0;
        if (!ParseTrackNumber(v, &track)) return UsageError("--silence takes a track number from 1 to 24");
        opt->silent.push_back(track);
      } else if (a == "--io") {
        opt->ioMethod = ParseIoMethod(v);
        if (opt->ioMethod < 0) return UsageError("--io takes mmap or file");
      } else if (a == "--buffer") {
        char* end = nullptr;
        const long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != 0 || n < 0 || n >= static_cast<long>(kWavBufferIndexCount)) {
          return UsageError("--buffer takes 0 to 13");
        }
        opt->buffer = static_cast<int>(n);
      } else if (a == "--log") {
        opt->logPath = plat::AbsolutePath(plat::Utf8ToUtf16(v));
      } else {
        opt->logEncoding = v;
      }
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("unknown option " + a);
    } else if (opt->path.empty()) {
      opt->path = plat::AbsolutePath(plat::Utf8ToUtf16(a));
    } else {
      return UsageError("only one FILE may be given");
    }
  }
  if (opt->path.empty()) return UsageError("FILE is missing");
  if (opt->in.empty() || opt->out.empty()) return UsageError("--in and --out are required");
  return -1;
}

// The library the command line builds: one entry per distinct WAV path.
class CommandLibrary {
 public:
  ~CommandLibrary() { WavLibraryClear(&head_); }
  WAV_LIBRARY_ENTRY* head() { return &head_; }
  // Adds the file (or finds it when it is already there); null with the
  // refusal text on failure.
  WAV_LIBRARY_ENTRY* Add(const std::u16string& path, const MXF_TIMECODE_INFO& tc, std::u16string* failure) {
    for (WAV_LIBRARY_ENTRY* e = head_.next; e != nullptr; e = e->next) {
      if (path == e->fullPath) return e;
    }
    const int code = WavLibraryAdd(path, &head_, &tc);
    if (code != WAV_ADD_OK) {
      *failure = WavAddFailureMessage(code, path, false);
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

int RunRewrap(const std::vector<std::string>& args) {
  RewrapOptions opt;
  if (int usage = ParseArgs(args, &opt); usage >= 0) return usage;
  if (!opt.yes && !StdinIsTerminal()) {
    return UsageError("no terminal to confirm the backup question: pass --yes to rewrite the file");
  }

  MxfState state;
  const LoadResult loaded = LoadMxf(opt.path, opt.ioMethod, state, ProgressWanted());
  FreeTimecodeErrors(state);
  if (!loaded.loadable) {
    PrintLoadFailure(loaded, opt.path);
    return loaded.exitCode == kExitCancelled ? kExitCancelled : kExitRefused;
  }

  auto plan = std::make_unique<AUDIOTRACK_IO_INFO>();
  InitTrackPlan(*plan);
  SetTracksLoaded(*plan, state.audio.trackCount);
  plan->wavBufferIndex = static_cast<uint32_t>(opt.buffer);
  TRACK_STEREO_FLAGS stereo = {};
  CommandLibrary library;

  for (const TrackFile& f : opt.files) {
    std::u16string failure;
    WAV_LIBRARY_ENTRY* entry = library.Add(f.path, state.timecode, &failure);
    if (entry == nullptr) {
      PrintErr(failure);
      return kExitRefused;
    }
    const TRACK_ASSIGN_RESULT r = AssignTrack(*plan, stereo, state.audio, entry, f.track - 1);
    if (r.code != TRACK_ASSIGN_OK) {
      PrintErr(FormatText(u"%s (track %d): %s", {std::u16string_view(LoadString(kStrAssignCaption)),
                                                  static_cast<int64_t>(f.track), std::u16string_view(r.message)}));
      return kExitRefused;
    }
    SetTrackSwitch(*plan, stereo, f.track - 1, true);
  }
  for (int track : opt.silent) {
    const int slot = track - 1;
    if (slot >= state.audio.trackCount) {
      PrintErr(FormatText(u"%s (track %d): %s", {std::u16string_view(LoadString(kStrAssignCaption)),
                                                  static_cast<int64_t>(track),
                                                  std::u16string_view(TrackAssignMessage(TRACK_ASSIGN_NO_TRACK))}));
      return kExitRefused;
    }
    if (plan->wavEntry[slot] != nullptr) {
      PrintErr(FormatText(LoadString(kStrCliFileAndSilence), {static_cast<int64_t>(track)}));
      return kExitUsage;
    }
    SetTrackSwitch(*plan, stereo, slot, true);
  }

  // IN and OUT as the main window's entry checks them.
  uint32_t rangeIn[2];
  uint32_t rangeOut[2];
  if (!EnterCommandRange(state.timecode, opt.in, opt.out, RangeEntryKind::Rewrap, rangeIn, rangeOut)) {
    return kExitRefused;
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
  if (int refused = CheckBeforeRewrap(opt.path, *plan, state.base, opt.undo); refused >= 0) return refused;
  if (!opt.yes && !AskBackupQuestion()) return kExitRefused;
  UndoSettings() = opt.undo;

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
    const int32_t reached = static_cast<int32_t>(plan->wrapIn[sel] + done);
    ReportProgress(done, plan->frameCount, ReachedLabel(state.timecode, plan->wrapIn[0], done),
                   FormatProgressTimecode(state.timecode, static_cast<int32_t>(plan->wrapIn[0])) + u" - " +
                       FormatProgressTimecode(state.timecode, static_cast<int32_t>(plan->wrapOut[0])) + u"  " +
                       FormatReachedTimecode(state.timecode, reached));
  };
  JobHooks hooks;
  hooks.cancel = [&plan] { plan->cancelRequest = 1; };
  if (showProgress) hooks.poll = [&] { report(plan->currentFrame); };
  const JobOutcome outcome = RunJob(ctx, hooks);
  if (showProgress && outcome.final && outcome.final->message == WM_JOB_DONE) report(plan->frameCount);
  EndProgress();
  if (!outcome.final) return kExitRefused;
  const JobMessage& m = *outcome.final;
  const UNDO_REPORT& undo = LastUndoReport();
  if (opt.json) {
    JsonWriter j;
    BeginJsonEnvelope(j, "rewrap");
    j.String("file", opt.path);
    WriteUndoJsonFields(j, undo, opt.undo);
    JsonResult result;
    result.code = m.message == WM_JOB_DONE ? 0 : m.code;
    result.exitStatus = m.message == WM_JOB_DONE ? kExitOk : m.code == kResultCancelled ? kExitCancelled : kExitRefused;
    result.message = m.text;
    WriteJsonResult(j, result);
    PrintJsonEnvelope(j);
  }
  if (m.message != WM_JOB_DONE) {
    PrintErr(m.text);
    if (undo.mismatchFrame >= 0) {
      PrintErr(FormatText(u"読み返し不一致: トラック %d, %s", {static_cast<int64_t>(undo.mismatchSlot + 1),
                  std::u16string_view(FormatProgressTimecode(state.timecode,
                      static_cast<int32_t>(plan->wrapIn[0] + undo.mismatchFrame)))}));
    }
    return m.code == kResultCancelled ? kExitCancelled : kExitRefused;
  }
  // The file rewritten is the result (standard output), as the files
  // written are export's; the outcome text is a status line.
  if (!opt.json) {
    PrintInfo(m.text);
    PrintOut(opt.path);
    PrintInfo(ComposeUndoSummary(undo, opt.undo));
  }
  if (!opt.logPath.empty()) {
    plat::SysError err = 0;
    if (!WriteRewrapLog(opt.logPath, opt.path, opt.ioMethod, state.base, state.indexEntries, *plan,
                        opt.logEncoding.empty() ? nullptr : opt.logEncoding.c_str(), plat::LocalNow(), &err)) {
      PrintErr(ComposeRewrapLogCreateFailed(opt.path, err));
      return kExitRefused;
    }
    PrintInfo(ComposeRewrapLogCreated(opt.path, opt.logPath));
  }
  return kExitOk;
}

}  // namespace cli
