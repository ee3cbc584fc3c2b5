#include "ui/app_state.h"

#include <algorithm>
#include <iterator>

#include "engine/analysis_steps.h"
#include "resources/string_table.h"

namespace {

constexpr char16_t kDefaultPrefix[] = u"Track-";

template <class T>
void Release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

}  // namespace

AppState::AppState() {
  ctx.baseInfo = &mxf.base;
  ctx.trackPlan = &plan;
  ctx.library = &libraryHead;
  ctx.mxfFile = nullptr;
  ctx.menuEvent = &menuEvent;
  ctx.listEvent = &listEvent;
  mxf.timecode.ltcErrors = &errorHead;
}

AppState::~AppState() {
  ShutdownReset();
  FreeLtcErrors(&errorHead);
}

void AppState::SetCreationDefaults(const std::u16string& desktopPath) {
  InitTrackPlan(plan);
  std::fill(std::begin(ctx.trackSelected), std::end(ctx.trackSelected), uint8_t{0});
  ctx.trackSelected[0] = 1;
  std::fill(std::begin(ctx.trackStereo), std::end(ctx.trackStereo), uint8_t{0});
  ctx.currentTrack = 0;
  ctx.viewMode = VIEW_TRACKS;
  ctx.ioMethod = IO_MAPPING;
  ctx.inSet = 0;
  ctx.outSet = 0;
  ctx.libraryView.clear();
  ctx.selectedCount = 0;
  ctx.currentListIndex = 0;
  ctx.desktopPath = desktopPath;
  ctx.defaultPrefix = kDefaultPrefix;
  ctx.noRewriteText = LoadString(kStrNoRewrite);
  ctx.silenceText = LoadString(kStrSilenceWritten);
  ctx.noTrackText = LoadString(kStrNoTrack);
}

bool AppState::OpenMxf(const std::u16string& path, plat::SysError* err) {
  mxfFile = plat::File::Open(path, plat::Access::Read, plat::Share::Exclusive, err);
  if (!mxfFile.valid()) {
    ctx.mxfFile = nullptr;
    return false;
  }
  ctx.mxfFile = &mxfFile;
  return true;
}

void AppState::CloseMxf() {
  mxfFile.Close();
  ctx.mxfFile = nullptr;
}

void AppState::PrepareAnalysis(const std::u16string& path) {
  mxf.timecode.progressTotal = 0;
  mxf.timecode.progressDone = 0;
  ctx.analysisOk = 0;
  ctx.mxfPath = path;
}

void AppState::AcceptLoadedFile() {
  ctx.trackSelected[0] = 1;
  const int tracks = std::min<int>(mxf.audio.trackCount, kTrackSlots);
  SetTracksLoaded(plan, tracks);
  ctx.audioTrackCount = tracks;
  ctx.fileLoaded = 1;
  CloseMxf();
}

void AppState::UnloadReset() {
  WavLibraryClear(&libraryHead);
  ctx.inSet = 0;
  ctx.outSet = 0;
  ctx.exportInSet = 0;
  ctx.exportOutSet = 0;
  ctx.mxfPath.clear();
  ctx.fileLoaded = 0;
  ctx.ioMethod = IO_MAPPING;
  ctx.analysisOk = 0;
  ctx.audioTrackCount = 0;
  ctx.selectedCount = 0;
  ctx.currentListIndex = 0;
  ctx.firstVisibleTrack = 0;
  ctx.visibleTrackCount = 0;
  ctx.currentTrack = 0;
  ClearTrackPlanForUnload(plan);
  for (int s = 0; s < kUiTrackSlots; ++s) {
    ctx.trackStereo[s] = 0;
    ctx.trackSelected[s] = s == 0 ? 1 : 0;
  }
  ctx.upArrowState = 2;
  ctx.downArrowState = 2;
  Release(ctx.libraryView);
  // The file's records and per-frame arrays.
  ResetAnalysisRecords(&mxf.base);
  Release(mxf.partitions);
  Release(mxf.indexEntries);
  FreeLtcErrors(&errorHead);
  mxf.timecode.ltcErrorCount = 0;
}

void AppState::ShutdownReset() {
  ctx.fileLoaded = 0;
  ctx.inSet = 0;
  ctx.outSet = 0;
  ctx.mxfPath.clear();
  Release(ctx.libraryView);
  Release(mxf.partitions);
  Release(mxf.indexEntries);
  WavLibraryClear(&libraryHead);
  CloseMxf();
}
