// Body of fuzz_analysis.
#include <optional>

#include "engine/app_context.h"
#include "engine/job_runner.h"
#include "engine/mxf_state.h"
#include "fuzz/entries/fuzz_entries.h"
#include "fuzz/entries/scratch_file.h"
#include "platform/file.h"
#include "platform/time.h"
#include "verify/ltc_error.h"
#include "verify/mxf_info_block.h"
#include "verify/timecode_error_log.h"
#include "verify/verify_timecodes.h"

namespace fuzz {

namespace {

// Records the runner's notifications (they arrive on the calling thread).
class Recorder : public JobNotifier {
 public:
  void Notify(const JobMessage& message) override {
    if (message.message == WM_ANALYSIS_READY) {
      ++readyCount;
    } else {
      ++finalCount;
      last = message;
    }
  }
  int readyCount = 0;
  int finalCount = 0;
  std::optional<JobMessage> last;
};

// A fixed moment for the texts: the clock plays no part in what is tested.
plat::LocalTime FixedNow() {
  plat::LocalTime t;
  t.year = 2024;
  t.month = 3;
  t.day = 15;
  t.hour = 10;
  t.minute = 30;
  t.second = 45;
  return t;
}

// One analysis job over the scratch file (already written) by one method.
AnalysisOutcome AnalyseScratch(int ioMethod) {
  AnalysisOutcome out;
  out.ioMethod = ioMethod;
  const std::u16string path = ScratchFile::Get().widePath();
  // As the application opens a file for its analysis: read only, no sharing.
  plat::File file = plat::File::Open(path, plat::Access::Read, plat::Share::Exclusive);
  if (!file.valid()) return out;

  MxfState state;
  LTC_ERROR_ENTRY errorHead;
  state.timecode.ltcErrors = &errorHead;

  Recorder recorder;
  APP_CONTEXT ctx;
  ctx.windows = &recorder;
  ctx.baseInfo = &state.base;
  ctx.jobMode = JOB_ANALYSIS;
  ctx.mxfFile = &file;
  ctx.mxfPath = path;
  ctx.ioMethod = static_cast<uint8_t>(ioMethod);
  out.ran = true;

  JOB_ENGINES engines;
  engines.verify = VerifyStreamTimecodes;  // analysis runs only the verification
  FUZZ_CHECK(JobWorker(&ctx, engines) == 0);

  // Exactly one final notification, preceded by at most one "ready".
  FUZZ_CHECK(recorder.finalCount == 1);
  FUZZ_CHECK(recorder.readyCount <= 1);
  out.message = recorder.last->message;
  out.code = recorder.last->message == WM_JOB_DONE ? 0 : recorder.last->code;
  out.stepCode = state.base.stepCode.load();
  out.analysisReady = recorder.readyCount == 1;
  out.entryCount = state.timecode.entryCount;
  out.timecodeErrors = CountLtcErrors(&errorHead);
  FUZZ_CHECK(out.message == WM_JOB_DONE || out.message == WM_JOB_FAILED);
  if (out.message == WM_JOB_FAILED) FUZZ_CHECK(out.code != 0);

  // The verification leaves no work arrays behind, and its count is the
  // list's.
  FUZZ_CHECK(state.timecode.frameStatus == nullptr && state.timecode.frameTimecodes == nullptr);
  if (out.analysisReady) {
    FUZZ_CHECK(out.stepCode == 1000);
    FUZZ_CHECK(static_cast<size_t>(state.timecode.ltcErrorCount) == out.timecodeErrors);
    FUZZ_CHECK(state.timecode.entryCount >= 0);
    FUZZ_CHECK(static_cast<size_t>(state.timecode.entryCount) <= state.indexEntries.size());
    FUZZ_CHECK(!state.partitions.empty());
    for (const INDEX_ENTRY_ARRAY& e : state.indexEntries) FUZZ_CHECK(e.deltaCount <= kMaxDeltaEntries);
    // The texts that report a loaded file and its timecode errors.
    const plat::LocalTime now = FixedNow();
    (void)ComposeMxfInfoBlock(path, state.base, state.indexEntries, now);
    if (TimecodeErrorLogDue(state.base)) {
      (void)ComposeTimecodeErrorLog(path, state.base, state.indexEntries, now);
    }
  } else {
    FUZZ_CHECK(out.timecodeErrors == 0);
  }

  FreeLtcErrors(&errorHead);
  return out;
}

}  // namespace

AnalysisOutcome RunAnalysisInput(const uint8_t* data, size_t size) {
  if (size < 1) return AnalysisOutcome{};
  if (!ScratchFile::Get().Write(data + 1, size - 1)) return AnalysisOutcome{};
  const int method = data[0] & 1;
  const AnalysisOutcome out = AnalyseScratch(method);
  if ((data[0] & 2) != 0 && out.ran) {
    // Both methods read the same bytes and must come to the same result.
    const AnalysisOutcome other = AnalyseScratch(1 - method);
    FUZZ_CHECK(other.ran);
    FUZZ_CHECK(other.message == out.message && other.code == out.code && other.stepCode == out.stepCode);
    FUZZ_CHECK(other.entryCount == out.entryCount && other.timecodeErrors == out.timecodeErrors);
  }
  return out;
}

}  // namespace fuzz
