#include "cli/load_file.h"

#include "cli/json_envelope.h"
#include "cli/terminal.h"
#include "engine/text_format.h"
#include "platform/path.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"

namespace cli {

int ParseIoMethod(const std::string& text) {
  if (text == "mmap") return IO_MAPPING;
  if (text == "file") return IO_FILE;
  return -1;
}

namespace {

std::u16string CannotLoad(const std::u16string& path, plat::SysError err) {
  return FormatText(
      LoadString(kStrCliOpenFailed),
      {std::u16string_view(plat::FileNamePart(path)), static_cast<int64_t>(err)});
}

LoadResult OpenFailure(const std::u16string& path, plat::SysError err) {
  LoadResult result;
  result.exitCode = kExitRefused;
  result.resultCode = kOpenFailedCode;
  result.cause = FailureCause{path, err};
  result.message = CannotLoad(path, err);
  return result;
}

// One step of the verification's progress: `done` of the indexed frames.
void ReportVerification(const MxfState& state, int done) {
  const int total = state.timecode.progressTotal;
  if (total <= 0 || done < 0) return;
  // The last frame verified, counted from the file's start timecode.
  const std::u16string label = FormatTimecode(state.timecode.tcBase, state.timecode.dropFrame,
                                              state.timecode.startFrame + (done > 0 ? done - 1 : 0), 0);
  ReportProgress(static_cast<uint32_t>(done), static_cast<uint32_t>(total), label,
                 FormatText(LoadString(kStrCliFramesLeft),
                            {static_cast<int64_t>(total - done), static_cast<int64_t>(total)}));
}

}  // namespace

void PrintLoadFailure(const LoadResult& result, const std::u16string& path) {
  NotedRefusal().code = result.resultCode;
  NotedRefusal().cause = result.cause;
  if (!result.message.empty()) PrintErr(result.message);
  PrintErr(FailureLine(result.cause.known() ? result.cause : FailureCause{path, 0}, result.resultCode));
}

plat::File OpenMxfForRewrap(const std::u16string& path, LoadResult* failure) {
  plat::SysError err = 0;
  plat::File file = plat::File::Open(path, plat::Access::ReadWrite, plat::Share::Exclusive, &err);
  if (!file.valid()) *failure = OpenFailure(path, err);
  return file;
}

LoadResult LoadMxf(const std::u16string& path, int ioMethod, MxfState& state, bool showProgress,
                   plat::File* held) {
  LoadResult result;
  plat::SysError err = 0;
  // A shared lock: no job of ours may rewrite the file while it is analysed,
  // but another analysis may read it too.
  plat::File opened;
  if (held == nullptr) opened = plat::File::Open(path, plat::Access::Read, plat::Share::Shared, &err);
  plat::File& file = held != nullptr ? *held : opened;
  if (!file.valid()) return OpenFailure(path, err);
  result.opened = true;

  APP_CONTEXT ctx;
  ctx.baseInfo = &state.base;
  ctx.jobMode = JOB_ANALYSIS;
  ctx.mxfFile = &file;
  ctx.mxfPath = path;
  ctx.ioMethod = static_cast<uint8_t>(ioMethod);
  state.timecode.progressTotal = 0;
  state.timecode.progressDone = 0;

  JobHooks hooks;
  hooks.cancel = [&state] { state.timecode.cancelRequested = 1; };
  if (showProgress) {
    hooks.poll = [&state, &result] {
      if (state.base.stepCode != 1000) return;
      ReportVerification(state, state.timecode.progressDone);
      result.progressShown = true;
    };
  }
  JobOutcome outcome = RunJob(ctx, hooks);
  // Every frame verified: the last step, which a short job reaches first.
  if (showProgress && outcome.final && outcome.final->message == WM_JOB_DONE) {
    ReportVerification(state, state.timecode.progressTotal);
    result.progressShown = true;
  }
  if (result.progressShown) EndProgress();

  if (!outcome.final) {
    result.exitCode = kExitRefused;
    return result;
  }
  const JobMessage& m = *outcome.final;
  result.message = m.text;
  result.stepCode = state.base.stepCode;
  if (m.message == WM_JOB_DONE) {
    result.loadable = true;
    result.exitCode = kExitOk;
    return result;
  }
  result.resultCode = m.code;
  if (m.code == kResultCancelled) {
    result.exitCode = kExitCancelled;
  } else if (m.code == 1009) {
    result.exitCode = kExitTimecodeErrors;
  } else {
    result.exitCode = kExitRefused;
  }
  return result;
}

}  // namespace cli
