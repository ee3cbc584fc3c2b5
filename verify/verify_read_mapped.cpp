// The timecode words through memory-mapped views of the file.
//
// Frames are read in runs: from the current frame to the end of its index
// segment. A run is walked frame by frame by the computed edit-unit lengths,
// inside one view that starts at the run's first frame (rounded down to the
// allocation granularity) and spans the lengths of its frames, so a long file
// costs one mapping call per segment and not one system call per frame. A
// view never grows past kDefaultMaxViewBytes (VERIFY_OPTIONS) nor past the
// end of the file: a longer run continues in the next view. On a well-formed
// file the walk meets every frame at its indexed address. Where it does not
// (a partition pack between two frames of one segment), the indexed address
// wins and a new view starts there, so both I/O methods read the same bytes.
#include <algorithm>

#include "platform/mapped_access.h"
#include "platform/mapping.h"
#include "verify/verify_internal.h"

namespace verify_internal {

namespace {

// The frames [first, end) that one view covers and the view's extent.
struct ViewPlan {
  int32_t end = 0;
  uint64_t viewStart = 0;
  uint64_t viewEnd = 0;  // exclusive, already clipped to the file
};

ViewPlan PlanView(const ReadJob& job, int32_t first, int32_t runEnd, uint64_t fileSize,
                  uint64_t granularity, uint64_t maxView) {
  ViewPlan plan;
  const uint64_t start = job.entries[first].streamOffset;
  plan.viewStart = start - start % granularity;
  const uint64_t limit = SatAdd(plan.viewStart, maxView);
  uint64_t walk = start;
  plan.end = first;
  for (int32_t k = first; k < runEnd; ++k) {
    if (k > first && job.entries[k].streamOffset != walk) break;
    const uint64_t length = EditUnitLength(job.entries[k], *job.base);
    // The view must at least hold the frame's timecode bytes.
    const uint64_t frameEnd = std::max(SatAdd(walk, length), SatAdd(walk, kSystemItemTimecodeOffset + 4));
    if (k > first && frameEnd > limit) break;
    plan.viewEnd = k == first ? std::min(frameEnd, std::max(limit, SatAdd(start, kSystemItemTimecodeOffset + 4)))
                              : frameEnd;
    walk = SatAdd(walk, length);
    plan.end = k + 1;
  }
  plan.viewEnd = std::min(plan.viewEnd, fileSize);
  return plan;
}

}  // namespace

int ReadWordsByMapping(const ReadJob& job) {
  plat::FileMapping mapping = plat::FileMapping::Create(*job.file, false, "fmMXF");
  if (!mapping.valid()) return kVerifyNoMapping;
  const uint64_t fileSize = mapping.size();
  const uint64_t granularity = plat::AllocationGranularity();
  const uint64_t maxView = std::max(job.options->maxViewBytes, granularity);

  int32_t i = 0;
  while (i < job.n) {
    // The frames from i to the end of its index segment (at least frame i,
    // whatever the segment claims).
    const INDEX_ENTRY_ARRAY& head = job.entries[i];
    const uint64_t segmentEnd = SatAdd(head.segmentStart, head.segmentDuration);
    const int32_t runEnd = segmentEnd > static_cast<uint64_t>(i)
                               ? static_cast<int32_t>(std::min<uint64_t>(segmentEnd, static_cast<uint64_t>(job.n)))
                               : i + 1;
    while (i < runEnd) {
      const ViewPlan plan = PlanView(job, i, runEnd, fileSize, granularity, maxView);
      plat::MappedView view;
      if (plan.viewStart < plan.viewEnd) {
        view = plat::MappedView::Map(mapping, plan.viewStart, static_cast<size_t>(plan.viewEnd - plan.viewStart));
        if (!view.valid()) return kVerifyNoView;
        view.AdviseRandom();
        if (job.options->onView) job.options->onView(view.offset(), view.size());
      }
      for (; i < plan.end; ++i) {
        if (job.tc->cancelRequested.load() == 1) {
          // The request has been served: the flag goes back to 0 here.
          job.tc->cancelRequested.store(0);
          return kVerifyCancelled;
        }
        const uint64_t at = SatAdd(job.entries[i].streamOffset, kSystemItemTimecodeOffset);
        const bool inside = view.valid() && plan.viewEnd >= 4 && at >= plan.viewStart &&
                            at <= plan.viewEnd - 4;
        uint32_t word = kUnreadableTimecodeWord;
        if (inside) {
          // A page the file no longer reaches (cut short by another
          // program) reads as unreadable instead of ending the process.
          const uint8_t* p = view.data() + (at - plan.viewStart);
          plat::GuardMappedAccess([&] { word = LoadWordLE(p) & ~kDropFrameFlagBit; });
        }
        job.words[i] = word;
        job.tc->progressDone.store(i);
        if (job.options->onFrame) job.options->onFrame(i);
      }
    }
  }
  return 0;
}

}  // namespace verify_internal
