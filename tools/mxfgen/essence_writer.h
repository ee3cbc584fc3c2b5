// Content packages: system item with the frame's SMPTE 12M timecode, picture
// element, sound elements with the sample pattern and their fills, the
// optional ancillary data element.
#pragma once

#include <vector>

#include "tools/mxfgen/file_plan.h"
#include "tools/mxfgen/file_sink.h"

namespace mxfgen {

// The timecode the system item of `frame` carries, after the faults.
// `frames` is the label's actual frame count (-1 for an invalid label).
// Timecode bases above 30 count labels at half the base, two frames per
// label; the second frame of a pair has bit 7 of the seconds byte set.
struct FrameTimecode {
  uint32_t word = 0;
  int64_t frames = 0;
};
FrameTimecode TimecodeForFrame(const Options& opt, const Resolved& res, int64_t frame);

class EssenceWriter {
 public:
  EssenceWriter(const Options& opt, const Plan& plan);
  void WriteFrame(FileSink& sink, int64_t frame);

 private:
  void Fill(FileSink& sink, uint32_t totalSize);

  const Options& opt_;
  const Plan& plan_;
  std::vector<UL> soundKeys_;
  std::vector<std::vector<uint8_t>> patterns_;  // per track: period + largest frame of samples
  uint32_t period_ = 0;
  std::vector<uint8_t> scratch_;
};

}  // namespace mxfgen
