#include "engine/job_runner.h"

#include "engine/analysis_steps.h"
#include "engine/track_plan.h"
#include "platform/path.h"
#include "resources/string_table.h"

namespace {

void Send(APP_CONTEXT* ctx, JobMessage message) {
  if (ctx->windows != nullptr) ctx->windows->Notify(message);
}

void SendFailedWithCode(APP_CONTEXT* ctx, int code, std::u16string text) {
  JobMessage m;
  m.message = WM_JOB_FAILED;
  m.firstIsCode = true;
  m.code = code;
  m.hasText = true;
  m.text = std::move(text);
  Send(ctx, std::move(m));
}

// The checks of the job record that come before any step (row "N/A").
int CheckAnalysisJob(const APP_CONTEXT* ctx) {
  const MXF_BASE_INFO* base = ctx->baseInfo;
  if (ctx->mxfFile == nullptr) return 1;
  if (base == nullptr) return 2;
  if (base->partitions == nullptr) return 3;
  if (base->timecode == nullptr) return 4;
  if (base->indexEntries == nullptr) return 5;
  if (base->video == nullptr) return 6;
  if (base->audio == nullptr) return 7;
  return 0;
}

void RunAnalysis(APP_CONTEXT* ctx, const JOB_ENGINES& engines) {
  const std::u16string fileName = plat::FileNamePart(ctx->mxfPath);
  if (ctx->baseInfo != nullptr && ctx->baseInfo->timecode != nullptr) {
    ctx->baseInfo->timecode->ioMethod = ctx->ioMethod;
  }
  if (int code = CheckAnalysisJob(ctx); code != 0) {
    SendFailedWithCode(ctx, code, ComposeLoadFailure(fileName, 0, code, ctx->ioMethod));
    return;
  }
  MXF_BASE_INFO* base = ctx->baseInfo;
  plat::File* file = ctx->mxfFile;
  ResetAnalysisRecords(base);

  base->stepCode = 100;
  if (file->valid()) {
    uint64_t size = 0;
    if (file->Size(&size)) base->fileSize = size;
  }

  struct Step {
    int stepCode;
    int (*run)(plat::File*, MXF_BASE_INFO*);
    bool stopsLoad;
  };
  static const Step kSteps[] = {
      {300, ReadPreface, true},         {400, ReadTimecodeComponent, true},
      {500, ReadFilePackage, true},     {600, ReadIndexTable, true},
      {700, ReadAudioDescriptor, true}, {800, ReadVideoDescriptor, true},
      {900, ReadIdentification, false},
  };

  base->stepCode = 200;
  int result = ReadPartitions(file, base->fileSize, base);
  if (result > 0) {
    SendFailedWithCode(ctx, result, ComposeLoadFailure(fileName, 200, result, ctx->ioMethod));
    return;
  }
  for (const Step& step : kSteps) {
    base->stepCode = step.stepCode;
    result = step.run(file, base);
    if (step.stopsLoad && result > 0) {
      SendFailedWithCode(ctx, result, ComposeLoadFailure(fileName, step.stepCode, result, ctx->ioMethod));
      return;
    }
  }

  MXF_TIMECODE_INFO* tc = base->timecode;
  tc->progressTotal = tc->entryCount;
  JobMessage ready;
  ready.message = WM_ANALYSIS_READY;
  ready.firstIsCode = true;
  Send(ctx, ready);

  base->stepCode = 1000;
  result = engines.verify != nullptr ? engines.verify(file, base) : 0;
  if (result == 0) {
    JobMessage done;
    done.message = WM_JOB_DONE;
    Send(ctx, done);
  } else if (result == kResultCancelled) {
    SendFailedWithCode(ctx, result, ComposeVerifyCancelled(fileName));
  } else if (result >= 1001 && result <= 1012) {
    SendFailedWithCode(ctx, result, ComposeVerifyFailure(fileName, result));
  } else {
    SendFailedWithCode(ctx, result, std::u16string());
  }
}

void RunEngine(APP_CONTEXT* ctx, const JOB_ENGINES& engines) {
  const bool rewrap = ctx->jobMode == JOB_REWRAP;
  const bool mapping = ctx->ioMethod == IO_MAPPING;
  int stepCode;
  EngineFn engine;
  if (rewrap) {
    stepCode = mapping ? 2000 : 3000;
    engine = mapping ? engines.rewrapMapping : engines.rewrapFile;
  } else {
    stepCode = mapping ? 4000 : 5000;
    engine = mapping ? engines.exportMapping : engines.exportFile;
  }
  if (ctx->baseInfo != nullptr) ctx->baseInfo->stepCode = stepCode;

  if (ctx->trackPlan != nullptr) ctx->trackPlan->osCause = JOB_OS_CAUSE();
  // An engine this build lacks cannot find what it needs to run.
  int result = engine != nullptr ? engine(ctx->mxfPath, ctx->trackPlan, ctx->baseInfo) : stepCode + 2;

  const std::u16string fileName = plat::FileNamePart(ctx->mxfPath);
  JobMessage m;
  m.hasText = true;
  m.code = result;  // for callers that are not a dialog; the first parameter stays the text
  if (result == 0) {
    m.message = WM_JOB_DONE;
    m.first = u"MXF Corvane";
    m.text = ComposeJobDone(fileName, ctx->jobMode, ctx->ioMethod);
  } else {
    m.message = WM_JOB_FAILED;
    m.first = OperationName(ctx->jobMode);
    if (result != kResultCancelled && ctx->trackPlan != nullptr) {
      m.causePath = ctx->trackPlan->osCause.path;
      m.causeError = ctx->trackPlan->osCause.error;
    }
    m.text = result == kResultCancelled
                 ? ComposeJobCancelled(fileName, ctx->jobMode, ctx->ioMethod)
                 : ComposeJobFailure(fileName, ctx->jobMode, stepCode, result, ctx->ioMethod);
    // A rewrap stopped while its range was being checked wrote nothing.
    if (result == kResultCancelled && rewrap && ctx->trackPlan != nullptr &&
        ctx->trackPlan->jobPhase.load() == JOB_PHASE_CHECK) {
      m.text += u"\n\n" + LoadString(kStrCancelledInCheck);
    }
  }
  Send(ctx, std::move(m));
}

}  // namespace

int JobWorker(APP_CONTEXT* ctx, const JOB_ENGINES& engines) {
  if (ctx == nullptr) return 0;
  switch (ctx->jobMode) {
    case JOB_ANALYSIS: RunAnalysis(ctx, engines); break;
    case JOB_REWRAP:
    case JOB_EXPORT: RunEngine(ctx, engines); break;
    default: break;  // unknown mode: end without a message
  }
  return 0;
}
