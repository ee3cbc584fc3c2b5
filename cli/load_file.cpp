#include "cli/load_file.h"

#include "cli/terminal.h"
#include "engine/text_format.h"
#include "platform/path.h"

namespace cli {

int ParseIoMethod(const std::string& text) {
  if (text == "mmap") return IO_MAPPING;
  if (text == "file") return IO_FILE;
  return -1;
}

void PrintLoadFailure(const LoadResult& result, const std::u16string& path) {
  if (!result.message.empty()) PrintErr(result.message);
  PrintErr(FailureLine(result.cause.known() ? result.cause : FailureCause{path, 0}, result.resultCode));
}

LoadResult LoadMxf(const std::u16string& path, int ioMethod, MxfState& state, bool showProgress) {
  LoadResult result;
  plat::SysError err = 0;
  // Opened for reading with no sharing: no other job of ours may rewrite the
  // file while it is analysed.
  plat::File file = plat::File::Open(path, plat::Access::Read, plat::Share::Exclusive, &err);
  if (!file.valid()) {
    result.exitCode = kExitRefused;
    result.resultCode = kOpenFailedCode;
    result.cause = FailureCause{path, err};
    result.message = FormatText(
        u"%s\n\nMXFファイルをロードできません。\n接続デバイス、他のアプリで使用していないか確認して下さい。\nERR: %X",
        {std::u16string_view(plat::FileNamePart(path)), static_cast<int64_t>(err)});
    return result;
  }
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
      const int total = state.timecode.progressTotal;
      const int done = state.timecode.progressDone;
      const int percent = total > 0 ? static_cast<int>(static_cast<int64_t>(done) * 100 / total) : 0;
      DrawProgress(percent, FormatText(u"残り %dフレーム(%dフレーム中)",
                                       {static_cast<int64_t>(total - done), static_cast<int64_t>(total)}));
      result.progressShown = true;
    };
  }
  JobOutcome outcome = RunJob(ctx, hooks);
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
