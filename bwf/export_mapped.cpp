// BWF export through read-only views of the MXF file.
//
// Frames are taken in runs that lie back to back in the file (each frame
// starting where the previous edit unit ended, within one index segment),
// one view per run, and a run is cut so that no view is longer than
// kMaxViewBytes. A view covers only what the run's selected sound elements
// need, from the first one's key to the last one's value end. As in the
// file-I/O engine, every selected element of the range is checked first (one
// read of the element headers per frame), before any file is created; then
// the sample bytes go from the views to the files.
#include <algorithm>
#include <memory>
#include <new>

#include "bwf/export_engines.h"
#include "bwf/export_job.h"
#include "platform/mapped_access.h"
#include "platform/mapping.h"

namespace {

using namespace bwf_export;

constexpr int kStep = kExportStepMapping;
constexpr uint64_t kMaxViewBytes = uint64_t{64} << 20;

// A run of frames read through one view: [begin, end) is what they need.
struct Run {
  uint32_t first = 0;
  uint32_t count = 0;
  uint64_t viewOffset = 0;  // begin rounded down to the allocation granularity
  uint64_t end = 0;
};

class RunPlanner {
 public:
  RunPlanner(const ExportSetup& s, const MXF_BASE_INFO& base, uint64_t fileSize, uint64_t soundElementSize)
      : s_(s), base_(base), fileSize_(fileSize), elementSize_(soundElementSize) {}

  // The run that starts at frame k; false when frame k's elements lie
  // outside the file.
  bool At(uint32_t k, Run* run) const {
    const FILE_RANGE r = FrameReadRange(s_, s_.Entry(k), fileSize_);
    if (r.begin == r.end) return false;
    const uint64_t g = plat::AllocationGranularity();
    run->first = k;
    run->count = 1;
    run->viewOffset = r.begin - r.begin % g;
    run->end = r.end;
    if (elementSize_ == 0) return true;  // no edit unit size: frame by frame
    for (uint32_t j = k + 1; j < s_.frameCount; ++j) {
      const INDEX_ENTRY_ARRAY& prev = s_.Entry(j - 1);
      const INDEX_ENTRY_ARRAY& e = s_.Entry(j);
      if (e.partition != prev.partition || e.segmentStart != prev.segmentStart) break;
      if (e.streamOffset != prev.streamOffset + EditUnitSize(prev, base_, elementSize_)) break;
      const FILE_RANGE next = FrameReadRange(s_, e, fileSize_);
      if (next.begin == next.end || next.begin < run->viewOffset) break;
      const uint64_t end = std::max(run->end, next.end);
      if (end - run->viewOffset > kMaxViewBytes) break;
      run->end = end;
      ++run->count;
    }
    return true;
  }

 private:
  const ExportSetup& s_;
  const MXF_BASE_INFO& base_;
  uint64_t fileSize_;
  uint64_t elementSize_;
};

int Export(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base) {
  ResetReport(kStep);
  BwfOutputs outputs(kStep);
  ExportSetup s;
  uint64_t completeSize = 0;
  auto finish = [&](int result) {
    if (result != 0) outputs.Abandon();
    if (result != 0 && result != kExportCancelled) NoteOsCause(plan, outputs.cause().path, outputs.cause().error);
    outputs.Publish(result, completeSize, s.timeReference);
    return result;
  };
  auto cancelled = [&] {
    plan->frameCount = 0;  // the request stays set until the next job clears it
    return finish(kExportCancelled);
  };
  if (plan != nullptr) {
    plan->cancelRequest = 0;
    plan->currentFrame = 0;
  }
  if (int r = PrepareExport(mxfPath, plan, base, &s); r != 0) return finish(kStep + r);
  completeSize = kBwfHeaderSize + s.dataSize;
  if (s.slots.empty()) return finish(0);  // nothing selected: nothing to write

  plat::SysError err = 0;
  // A failed system call on the MXF file: its cause goes with the code.
  auto osFailure = [&](int result) {
    NoteOsCause(plan, mxfPath, err);
    return finish(result);
  };
  plat::File mxf = plat::File::Open(mxfPath, plat::Access::Read, plat::Share::Shared, &err);
  if (!mxf.valid()) return osFailure(kExportMapOpenFailed);
  uint64_t fileSize = 0;
  if (!mxf.Size(&fileSize, &err)) return osFailure(kStep + EXPORT_READ_FAILED);
  plat::FileMapping mapping = plat::FileMapping::Create(mxf, false, "fmMXF_2", &err);
  if (!mapping.valid()) return osFailure(kExportMapMappingFailed);
  fileSize = std::min(fileSize, mapping.size());

  const RunPlanner planner(s, *base, fileSize, SoundElementSize(mxf, fileSize, s.Entry(0)));
  SOUND_ELEMENT elements[kTrackSlots];
  Run run;

  // Every selected element of the range, before any file exists.
  const uint64_t scratchSize = LargestHeaderRange(s);
  if (scratchSize == 0 || scratchSize > kMaxViewBytes) return finish(kStep + EXPORT_ELEMENT_MISMATCH);
  {
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[scratchSize]);
    if (!scratch) return finish(kStep + EXPORT_READ_FAILED);
    if (int r = CheckRange(s, mxf, fileSize, plan, scratch.get(), scratchSize); r != 0) {
      return r == kExportCancelled ? cancelled() : finish(kStep + r);
    }
  }

  if (int r = outputs.Create(*plan, s, kExportMapCreateFailed); r != 0) return finish(r);

  for (uint32_t k = 0; k < s.frameCount; k += run.count) {
    if (!planner.At(k, &run)) return finish(kStep + EXPORT_ELEMENT_MISMATCH);
    const plat::MappedView view =
        plat::MappedView::Map(mapping, run.viewOffset, static_cast<size_t>(run.end - run.viewOffset), &err);
    if (!view.valid()) return osFailure(kExportMapViewFailed);
    for (uint32_t j = run.first; j < run.first + run.count; ++j) {
      // A file cut short under the view (by another program) is a read
      // failure, not the end of the process. The copies into the outputs
      // count their bytes only once made.
      int column = 0;
      const bool read = plat::GuardMappedAccess([&] {
        if (CheckFrame(s, s.Entry(j), view.data(), run.viewOffset, view.size(), fileSize, elements) !=
            SOUND_CHECK_OK) {
          column = EXPORT_ELEMENT_MISMATCH;
          return;
        }
        for (size_t i = 0; i < s.slots.size() && column == 0; ++i) {
          const uint8_t* value = view.data() + (elements[i].valueOffset - run.viewOffset);
          if (!outputs.Append(i, value, static_cast<size_t>(elements[i].valueBytes))) column = EXPORT_WRITE_FAILED;
        }
      });
      if (!read) return finish(kStep + EXPORT_READ_FAILED);
      if (column != 0) return finish(kStep + column);
      if (FrameDoneCancelRequested(plan, j)) return cancelled();
    }
  }
  if (!outputs.Finish()) return finish(kStep + EXPORT_WRITE_FAILED);
  return finish(0);
}

}  // namespace

int ExportBwfByMapping(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base) {
  try {
    return Export(mxfPath, plan, base);
  } catch (...) {  // memory for names or write buffers ran out
    return kExportMapMappingFailed;
  }
}
