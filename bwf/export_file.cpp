// BWF export through positioned reads of the MXF file.
//
// The range is read in blocks of B frames (the WAV buffer length setting,
// capped so that the read buffer stays within kReadBufferLimit): one read
// per frame covering the selected tracks' sound elements, then each track's
// value goes to its file. Before any file is created, every selected element
// of every frame of the range is checked against the index (key, length,
// inside the file), so that a file whose elements are not where the index
// says is refused with nothing written.
#include <algorithm>
#include <memory>
#include <new>

#include "bwf/export_engines.h"
#include "bwf/export_job.h"
#include "engine/buffer_lengths.h"

namespace {

using namespace bwf_export;

constexpr int kStep = kExportStepFile;

// A frame whose selected elements spread over more than this cannot be
// right: 24 elements of the largest frame take well under 200 KB.
constexpr uint64_t kMaxFrameReadBytes = uint64_t{64} << 20;

// The read buffer holds B frames but no more than this. Each frame is one
// read whatever the block length, so a longer block saves nothing; a buffer
// that stays small is reused while it is still in the processor's caches.
constexpr uint64_t kReadBufferLimit = kExportReadBufferLimit;

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
  if (plan != nullptr) {
    plan->cancelRequest = 0;
    plan->currentFrame = 0;
  }
  if (int r = PrepareExport(mxfPath, plan, base, &s); r != 0) return finish(kStep + r);
  completeSize = kBwfHeaderSize + s.dataSize;
  if (s.slots.empty()) return finish(0);  // nothing selected: nothing to write

  // The read buffer: B frames, each with room for the largest frame's span.
  uint64_t span = 1;
  for (uint32_t k = 0; k < s.frameCount; ++k) {
    const FILE_RANGE r = FrameReadRange(s, s.Entry(k), UINT64_MAX);
    span = std::max(span, r.end - r.begin);
  }
  if (span > kMaxFrameReadBytes) return finish(kStep + EXPORT_ELEMENT_MISMATCH);
  const int32_t b = WavBufferFrames(plan->wavBufferIndex, s.tc->tcBase, s.tc->dropFrame);
  const uint32_t blockFrames =
      std::min(CapBlockFrames(b > 0 ? static_cast<uint32_t>(b) : 1u, span, kReadBufferLimit), s.frameCount);
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[static_cast<size_t>(span) * blockFrames]);
  std::unique_ptr<uint64_t[]> begins(new (std::nothrow) uint64_t[blockFrames]);
  std::unique_ptr<size_t[]> sizes(new (std::nothrow) size_t[blockFrames]);
  if (!buffer || !begins || !sizes) return finish(kStep + EXPORT_NO_BUFFER);

  plat::SysError err = 0;
  // A failed system call on the MXF file: its cause goes with the code.
  auto osFailure = [&](int result) {
    NoteOsCause(plan, mxfPath, err);
    return finish(result);
  };
  plat::File mxf = plat::File::Open(mxfPath, plat::Access::Read, plat::Share::Shared, &err);
  if (!mxf.valid()) return osFailure(kExportFileOpenFailed);
  uint64_t fileSize = 0;
  if (!mxf.Size(&fileSize, &err)) return osFailure(kStep + EXPORT_READ_FAILED);

  if (int r = CheckRange(s, mxf, fileSize, plan, buffer.get(), span * blockFrames); r != 0) {
    if (r != kExportCancelled) return finish(kStep + r);
    plan->frameCount = 0;
    plan->cancelRequest = 0;
    return finish(kExportCancelled);
  }

  if (int r = outputs.Create(*plan, s, kExportFileCreateFailed); r != 0) return finish(r);

  SOUND_ELEMENT elements[kTrackSlots];
  for (uint32_t blockStart = 0; blockStart < s.frameCount; blockStart += blockFrames) {
    const uint32_t n = std::min(blockFrames, s.frameCount - blockStart);
    for (uint32_t j = 0; j < n; ++j) {
      const FILE_RANGE r = FrameReadRange(s, s.Entry(blockStart + j), fileSize);
      begins[j] = r.begin;
      sizes[j] = static_cast<size_t>(r.end - r.begin);
      uint8_t* at = buffer.get() + static_cast<size_t>(span) * j;
      if (mxf.ReadAt(r.begin, at, sizes[j], &err) != static_cast<int64_t>(sizes[j])) {
        NoteOsCause(plan, mxfPath, err);
        return finish(kStep + EXPORT_READ_FAILED);
      }
    }
    for (uint32_t j = 0; j < n; ++j) {
      const uint32_t k = blockStart + j;
      const uint8_t* at = buffer.get() + static_cast<size_t>(span) * j;
      if (CheckFrame(s, s.Entry(k), at, begins[j], sizes[j], fileSize, elements) != SOUND_CHECK_OK) {
        return finish(kStep + EXPORT_ELEMENT_MISMATCH);
      }
      for (size_t i = 0; i < s.slots.size(); ++i) {
        const uint8_t* value = at + (elements[i].valueOffset - begins[j]);
        if (!outputs.Append(i, value, static_cast<size_t>(elements[i].valueBytes))) {
          return finish(kStep + EXPORT_WRITE_FAILED);
        }
      }
      if (FrameDoneCancelRequested(plan, k)) {
        plan->frameCount = 0;
        plan->cancelRequest = 0;
        return finish(kExportCancelled);
      }
    }
  }
  if (!outputs.Finish()) return finish(kStep + EXPORT_WRITE_FAILED);
  return finish(0);
}

}  // namespace

int ExportBwfByFile(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base) {
  try {
    return Export(mxfPath, plan, base);
  } catch (...) {  // memory for names or write buffers ran out
    return kStep + EXPORT_NO_BUFFER;
  }
}
