// Rewrap through positioned file I/O.
//
// The WAV files are read in large sequential blocks (B frames of audio per
// file, the user's buffer length, within a memory bound) so that the only
// scattered I/O is one write per run of adjacent targeted elements of a
// frame (one per element where a frame is laid out unlike the others).
// Before anything is written, each frame's sound elements are read back
// (one read per frame, from the first targeted element's key to the last
// one's length) and checked.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "engine/buffer_lengths.h"
#include "engine/sound_elements.h"
#include "platform/file.h"
#include "rewrap/frame_space.h"
#include "rewrap/range_check.h"
#include "rewrap/rewrap_engines.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/undo_recorder.h"

namespace {

constexpr int kStep = 3000;
// How often the file's size is looked at between blocks (a system call).
constexpr uint32_t kFramesPerSizeCheck = 256;

// A zero-filled heap block that reports a failed allocation instead of throwing.
class ZeroBlock {
 public:
  ZeroBlock() = default;
  ~ZeroBlock() { std::free(data_); }
  ZeroBlock(const ZeroBlock&) = delete;
  ZeroBlock& operator=(const ZeroBlock&) = delete;
  bool Allocate(size_t bytes) {
    std::free(data_);
    data_ = static_cast<uint8_t*>(std::calloc(bytes > 0 ? bytes : 1, 1));
    return data_ != nullptr;
  }
  uint8_t* data() const { return data_; }

 private:
  uint8_t* data_ = nullptr;
};

// Read state of one WAV file that feeds the job.
struct Source {
  int slot = -1;
  const WAV_FORMAT_INFO* format = nullptr;
  uint8_t* region = nullptr;  // this block's samples
  uint64_t valid = 0;         // bytes of region read from the file this block
  uint64_t consumed = 0;      // bytes of the data chunk read so far
  uint64_t position = 0;      // offset in region of the current frame's samples
};

}  // namespace

int RewrapByFile(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base) {
  return RewrapByFile(mxfPath, plan, base, REWRAP_OPTIONS{});
}

namespace {

int Rewrap(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
           const REWRAP_OPTIONS& options) {
  REWRAP_RANGE range;
  JobTap tap(options.tap != nullptr ? options.tap : InstalledSoundTap());
  if (int r = CheckRewrapJob(mxfPath, plan, base, &range); r != 0) return kStep + r;
  const MXF_TIMECODE_INFO& tc = *base->timecode;
  const MXF_AUDIO_INFO& audio = *base->audio;
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base->indexEntries;
  plan->frameCount = range.frameCount;

  std::array<REWRAP_TARGET, kTrackSlots> targets;
  const int targetCount = ListRewrapTargets(*plan, audio, targets);
  int targetSlots[kTrackSlots] = {};
  for (int i = 0; i < targetCount; ++i) targetSlots[i] = targets[static_cast<size_t>(i)].slot;

  // The files read: one per source slot of the targets, in slot order.
  std::vector<Source> sources;
  int sourceIndex[kTrackSlots];
  std::fill(std::begin(sourceIndex), std::end(sourceIndex), -1);
  for (int i = 0; i < targetCount; ++i) {
    const int s = targets[static_cast<size_t>(i)].source;
    if (s < 0 || sourceIndex[s] >= 0) continue;
    sourceIndex[s] = static_cast<int>(sources.size());
    Source src;
    src.slot = s;
    src.format = &plan->wavEntry[s]->format;
    sources.push_back(src);
  }

  // Block length: the user's setting, lowered so that the read buffer stays
  // bounded (same file either way).
  const int32_t settingFrames = WavBufferFrames(plan->wavBufferIndex, tc.tcBase, tc.dropFrame);
  if (settingFrames <= 0) return kStep + REWRAP_FRAME_RATE;
  uint64_t readBytesPerFrame = 0;
  for (const Source& s : sources) readBytesPerFrame += uint64_t{range.maxSamples} * s.format->blockAlign;
  // A range shorter than a block is read as one block of its own length.
  const uint32_t blockFrames =
      std::min(CapBlockFrames(static_cast<uint32_t>(settingFrames), readBytesPerFrame), range.frameCount);

  // Buffers: one region per file read (the block's samples at the file's
  // block align) and one element buffer; the buffer of a packed frame
  // follows the check.
  const uint64_t elementBytes = uint64_t{range.maxSamples} * audio.blockAlign;
  ZeroBlock wavBuffer, elementBuffer;
  if (!wavBuffer.Allocate(static_cast<size_t>(readBytesPerFrame * blockFrames)) ||
      !elementBuffer.Allocate(static_cast<size_t>(elementBytes))) {
    return kStep + 6;
  }
  {
    uint8_t* at = wavBuffer.data();
    for (Source& s : sources) {
      s.region = at;
      at += uint64_t{blockFrames} * range.maxSamples * s.format->blockAlign;
    }
  }

  plat::SysError err = 0;
  // The caller may hold the file already, locked since before the analysis.
  plat::File opened;
  if (plan->heldMxf == nullptr) {
    opened = plat::File::Open(mxfPath, plat::Access::ReadWrite, plat::Share::Exclusive, &err);
  }
  plat::File& mxf = plan->heldMxf != nullptr ? *plan->heldMxf : opened;
  uint64_t fileSize = 0;
  if (!mxf.valid() || !mxf.Size(&fileSize, &err)) {
    NoteOsCause(plan, mxfPath, err);
    return kStep + 7;
  }

  // Every assigned file must open, whether its track is switched on or not.
  WavFiles wavs(*plan);
  const int tracks = std::min<int>(audio.trackCount, kTrackSlots);
  for (int s = 0; s < tracks; ++s) {
    if (plan->wavEntry[s] == nullptr || SourceSlot(*plan, s) != s) continue;
    if (!wavs.Open(s)) return kStep + 8;
  }
  for (const Source& s : sources) {
    if (!wavs.DataPresent(s.slot)) return kStep + REWRAP_WAV_READ_FAILED;
  }

  // Every targeted element of every frame, before the first write.
  RangeCheck check;
  const int checked = check.Run(mxf, fileSize, entries, range, audio.blockAlign, targetSlots, targetCount, plan);
  // A stop asked for during the check, or before the first write, ends the
  // job with nothing written (the phase stays "check").
  if (checked == kRangeCheckCancelled || plan->cancelRequest.load() == 1) {
    plan->cancelRequest = 0;
    return 99;
  }
  if (checked != SOUND_CHECK_OK) return kStep + REWRAP_ELEMENT_MISMATCH;
  ZeroBlock frameBuffer;
  if (!frameBuffer.Allocate(static_cast<size_t>(check.MaxRunBytes()))) return kStep + 6;

  UndoRecorder undo(options.undo != nullptr ? *options.undo : UndoSettings(),
                    options.undoReport != nullptr ? options.undoReport : &LastUndoReport());
  // A failed journal: the journal file's system cause goes with the code.
  auto undoFailure = [&](int column) {
    NoteOsCause(plan, undo.cause().path, undo.cause().error);
    return kStep + column;
  };
  if (int r = undo.Begin(mxf, mxfPath, fileSize, *base, *plan, range, check, targets.data(), targetCount, IO_FILE);
      r != 0) {
    return undoFailure(r);
  }

  tap.Begin(*plan, audio, targets.data(), targetCount, range.maxSamples);
  plan->currentFrame = 0;
  plan->jobPhase = JOB_PHASE_WRITE;

  auto fail = [&](int column) {
    NoteOsCause(plan, mxfPath, err);
    if (options.flush) mxf.Sync();  // keep what was written
    return kStep + column;
  };
  // A failed read of a WAV file: its cause goes with the code.
  auto wavFailure = [&](int slot) {
    NoteOsCause(plan, plan->wavEntry[slot]->fullPath, err);
    return fail(REWRAP_WAV_READ_FAILED);
  };
  // The file's size changed without a failed call: no system cause.
  auto sizeChanged = [&] {
    err = 0;
    return fail(REWRAP_WRITE_FAILED);
  };

  // The file must still be the one checked: a write past the end of a file
  // that another program cut short would lengthen it again with a hole.
  auto sizeUnchanged = [&] {
    uint64_t sizeNow = 0;
    return mxf.Size(&sizeNow, &err) && sizeNow == fileSize;
  };

  std::vector<BYTE_SPAN> spans;
  spans.reserve(kTrackSlots);
  for (uint32_t blockStart = 0; blockStart < range.frameCount; blockStart += blockFrames) {
    const uint32_t n = std::min(blockFrames, range.frameCount - blockStart);
    if (!sizeUnchanged()) return sizeChanged();
    // Writing into a hole of a sparse file needs disk blocks: when the
    // block's part of the file has holes, each frame's space is allocated
    // before its first write, so a full disk fails a frame that is still
    // wholly as it was.
    const bool holes = HasHole(mxf, entries[range.firstEntry + blockStart].streamOffset, fileSize);

    uint64_t blockSamples = 0;
    for (uint32_t k = 0; k < n; ++k) blockSamples += entries[range.firstEntry + blockStart + k].audioSamples;
    for (Source& s : sources) {
      const WAV_FORMAT_INFO& f = *s.format;
      const uint64_t want = std::min<uint64_t>(blockSamples * f.blockAlign, f.dataSize - s.consumed);
      s.valid = 0;
      s.position = 0;
      if (want == 0) continue;
      const int64_t got =
          wavs.File(s.slot).ReadAt(f.dataOffset + s.consumed, s.region, static_cast<size_t>(want), &err);
      if (got < 0 || static_cast<uint64_t>(got) != want) return wavFailure(s.slot);
      s.valid = want;
      s.consumed += want;
    }

    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t frame = blockStart + k;
      if (k % kFramesPerSizeCheck == kFramesPerSizeCheck - 1 && !sizeUnchanged()) return sizeChanged();
      const INDEX_ENTRY_ARRAY& e = entries[range.firstEntry + frame];
      const uint64_t valueBytes = SoundValueBytes(e, audio.blockAlign);
      if (holes) {
        TargetStretches(e, targetSlots, targetCount, valueBytes, fileSize, spans);
        if (!AssureFrameSpace(mxf, spans, &err)) return fail(REWRAP_WRITE_FAILED);
      }
      // Target i's samples of this frame into `out`.
      auto fill = [&](int i, uint8_t* out) {
        const REWRAP_TARGET& t = targets[static_cast<size_t>(i)];
        const Source* s = t.source < 0 ? nullptr : &sources[static_cast<size_t>(sourceIndex[t.source])];
        const uint64_t avail = s != nullptr && s->valid > s->position ? s->valid - s->position : 0;
        FillTargetValue(out, valueBytes, t, avail ? s->region + s->position : nullptr, avail, e.audioSamples);
        undo.Wrote(frame, i, out, valueBytes);
        tap.Wrote(i, out, e.audioSamples);
      };
      if (const FRAME_PACKING* pack = check.Packing(frame, e.audioSamples); pack != nullptr) {
        // One write per run of values, with the bytes between them as the
        // check read them.
        uint8_t* out = frameBuffer.data();
        const uint8_t* gap = pack->gaps.data();
        uint64_t runAt = check.ValueOffset(e, frame, pack->order[0]);
        for (int j = 0; j < pack->count; ++j) {
          fill(pack->order[j], out);
          out += valueBytes;
          if (!pack->runEnds[j]) {
            std::memcpy(out, gap, pack->gapBytes[j]);
            out += pack->gapBytes[j];
            gap += pack->gapBytes[j];
            continue;
          }
          const size_t runBytes = static_cast<size_t>(out - frameBuffer.data());
          if (mxf.WriteAt(runAt, frameBuffer.data(), runBytes, &err) != static_cast<int64_t>(runBytes)) {
            return fail(REWRAP_WRITE_FAILED);
          }
          out = frameBuffer.data();
          if (j + 1 < pack->count) runAt = check.ValueOffset(e, frame, pack->order[j + 1]);
        }
      } else {
        for (int i = 0; i < targetCount; ++i) {
          fill(i, elementBuffer.data());
          if (mxf.WriteAt(check.ValueOffset(e, frame, i), elementBuffer.data(), static_cast<size_t>(valueBytes),
                          &err) != static_cast<int64_t>(valueBytes)) {
            return fail(REWRAP_WRITE_FAILED);
          }
        }
      }
      for (Source& s : sources) s.position += uint64_t{e.audioSamples} * s.format->blockAlign;
      plan->currentFrame = frame;
      if (plan->cancelRequest.load() == 1) {
        plan->cancelRequest = 0;
        // Frames up to this one are new: the journal takes them back.
        if (options.flush && !mxf.Sync(&err)) return fail(REWRAP_WRITE_FAILED);
        if (int r = undo.Finish(mxf, frame + 1); r != 0) return undoFailure(r);
        return 99;
      }
    }
  }

  if (!sizeUnchanged()) return sizeChanged();
  if (options.flush && !mxf.Sync(&err)) return fail(REWRAP_WRITE_FAILED);
  if (int r = undo.Finish(mxf, range.frameCount); r != 0) return undoFailure(r);
  tap.Completed();
  return 0;
}

}  // namespace

int RewrapByFile(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
                 const REWRAP_OPTIONS& options) {
  // Containers are filled before the first write only; running out of
  // memory there is the buffer failure.
  try {
    return Rewrap(mxfPath, plan, base, options);
  } catch (...) {
    return kStep + 6;
  }
}
