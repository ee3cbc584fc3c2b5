// Clearing what a previous analysis left behind. Several steps only write a
// field when they find its item, so without this a file lacking an item
// would show (and be processed with) the previous file's value.
#include <algorithm>
#include <iterator>

#include "engine/analysis_steps.h"
#include "timecode/timecode.h"

namespace {

template <class T, size_t N>
void Clear(T (&array)[N]) {
  std::fill(std::begin(array), std::end(array), T{});
}

}  // namespace

void ResetAnalysisRecords(MXF_BASE_INFO* base) {
  if (base == nullptr) return;

  base->fileSize = 0;
  Clear(base->creationDate);
  Clear(base->modifiedDate);
  base->versionMajor = 0;
  base->versionMinor = 0;
  Clear(base->companyName);
  Clear(base->productName);
  Clear(base->productVersion);
  Clear(base->platform);
  base->hasAncillaryData = 0;
  base->dataElementSize = 0;
  if (base->partitions != nullptr) base->partitions->clear();
  if (base->indexEntries != nullptr) base->indexEntries->clear();

  if (MXF_TIMECODE_INFO* tc = base->timecode) {
    // The verification's arrays and error list belong to whoever frees them;
    // ioMethod has just been set for this job. Both are left alone.
    tc->dropFrame = 0;
    tc->startFrame = 0;
    tc->startFrameShifted = 0;
    tc->endFrame = 0;
    tc->endFrameShifted = 0;
    tc->duration = 0;
    tc->tcBase = 0;
    tc->editRateNum = 0;
    tc->editRateDen = 0;
    tc->frameRateClass = FRC_UNSUPPORTED;
    tc->entryCount = 0;
    tc->ltcErrorCount = 0;
    tc->startHourIs23 = 0;
    tc->segmentMaxFrames = 0;
    tc->progressTotal = 0;
    tc->progressDone = 0;
    tc->cancelRequested = 0;
  }
  if (MXF_AUDIO_INFO* audio = base->audio) {
    *audio = MXF_AUDIO_INFO{};
    audio->samplePattern = FRC_UNSUPPORTED;
  }
  if (MXF_VIDEO_INFO* video = base->video) *video = MXF_VIDEO_INFO{};
}
