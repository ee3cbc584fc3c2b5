// Rewrap through memory-mapped views.
//
// The range is walked in chunks: runs of frames that lie back to back in
// one index segment (each frame starting where the previous edit unit
// ended), bounded in frames and bytes so that memory does not grow with the
// file whatever its index looks like. Each chunk gets one view of the MXF
// file and one view per WAV file, and the samples are converted straight
// from the WAV view into the elements' values. The whole range is checked
// (through positioned reads) before the first chunk is written.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bwf/wav_library.h"
#include "engine/app_context.h"
#include "engine/sound_elements.h"
#include "platform/file.h"
#include "platform/mapped_access.h"
#include "platform/mapping.h"
#include "platform/space_guard.h"
#include "platform/time.h"
#include "platform/view_prefault.h"
#include "rewrap/frame_space.h"
#include "rewrap/range_check.h"
#include "rewrap/rewrap_engines.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/undo_recorder.h"

namespace {

constexpr int kStep = 2000;

// Bounds of one chunk.
constexpr uint32_t kChunkMaxFrames = 2000;
constexpr uint64_t kChunkMaxViewBytes = uint64_t{64} << 20;  // MXF view
constexpr uint64_t kChunkMaxWavBytes = uint64_t{32} << 20;   // all WAV views together

struct Chunk {
  uint32_t first = 0;      // offset from IN
  uint32_t count = 0;
  uint64_t viewBegin = 0;  // granularity-aligned
  uint64_t viewEnd = 0;    // limited to the file's size
  uint64_t samples = 0;    // audioSamples of its frames
};

struct Source {
  int slot = -1;
  const WAV_FORMAT_INFO* format = nullptr;
  plat::FileMapping mapping;
  plat::MappedView view;
  const uint8_t* data = nullptr;  // this chunk's samples
  uint64_t valid = 0;             // bytes at data
  uint64_t consumed = 0;          // bytes of the data chunk used so far
  uint64_t position = 0;          // offset at data of the current frame's samples
};

class ChunkWalker {
 public:
  ChunkWalker(const std::vector<INDEX_ENTRY_ARRAY>& entries, const REWRAP_RANGE& range, const MXF_BASE_INFO& base,
              uint64_t soundElementSize, const int* slots, int slotCount, uint64_t wavBytesPerSample,
              uint64_t fileSize)
      : entries_(entries),
        range_(range),
        base_(base),
        elementSize_(soundElementSize),
        slots_(slots),
        slotCount_(slotCount),
        wavBytesPerSample_(wavBytesPerSample),
        fileSize_(fileSize) {}

  // The chunk that starts at offset `first` from IN.
  Chunk At(uint32_t first) const {
    const uint64_t g = plat::AllocationGranularity();
    Chunk c;
    c.first = first;
    const INDEX_ENTRY_ARRAY& e0 = Entry(first);
    c.viewBegin = e0.streamOffset - e0.streamOffset % g;
    c.viewEnd = Extent(e0);
    c.samples = e0.audioSamples;
    c.count = 1;
    while (c.count < kChunkMaxFrames && first + c.count < range_.frameCount) {
      const INDEX_ENTRY_ARRAY& prev = Entry(first + c.count - 1);
      const INDEX_ENTRY_ARRAY& next = Entry(first + c.count);
      if (next.partition != e0.partition || next.segmentStart != e0.segmentStart ||
          next.segmentDuration != e0.segmentDuration) {
        break;
      }
      if (next.streamOffset != prev.streamOffset + EditUnitSize(prev, base_, elementSize_)) break;
      const uint64_t end = std::max(c.viewEnd, Extent(next));
      if (end - c.viewBegin > kChunkMaxViewBytes) break;
      if ((c.samples + next.audioSamples) * wavBytesPerSample_ > kChunkMaxWavBytes) break;
      c.viewEnd = end;
      c.samples += next.audioSamples;
      ++c.count;
    }
    return c;
  }

  const INDEX_ENTRY_ARRAY& Entry(uint32_t offset) const { return entries_[range_.firstEntry + offset]; }

 private:
  // Where frame e ends for the view: its edit unit, and every targeted
  // element whole even when the index is wrong about the edit unit.
  uint64_t Extent(const INDEX_ENTRY_ARRAY& e) const {
    uint64_t end = e.streamOffset + EditUnitSize(e, base_, elementSize_);
    const uint64_t value = SoundValueBytes(e, base_.audio->blockAlign);
    for (int i = 0; i < slotCount_; ++i) {
      if (SoundElementIndexed(e, slots_[i])) {
        end = std::max(end, SoundElementOffset(e, slots_[i]) + kSoundHeaderMaxBytes + value);
      }
    }
    return std::min(end, fileSize_);
  }

  const std::vector<INDEX_ENTRY_ARRAY>& entries_;
  const REWRAP_RANGE& range_;
  const MXF_BASE_INFO& base_;
  uint64_t elementSize_;
  const int* slots_;
  int slotCount_;
  uint64_t wavBytesPerSample_;
  uint64_t fileSize_;
};

plat::MappedView MapRange(const plat::FileMapping& mapping, uint64_t begin, uint64_t end, plat::SysError* err) {
  if (end <= begin) {
    if (err != nullptr) *err = plat::kErrOutOfRange;
    return plat::MappedView();
  }
  return plat::MappedView::Map(mapping, begin, static_cast<size_t>(end - begin), err);
}

}  // namespace

int RewrapByMapping(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base) {
  return RewrapByMapping(mxfPath, plan, base, REWRAP_OPTIONS{});
}

namespace {

int Rewrap(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
           const REWRAP_OPTIONS& options) {
  REWRAP_RANGE range;
  JobTap tap(options.tap != nullptr ? options.tap : InstalledSoundTap());
  if (int r = CheckRewrapJob(mxfPath, plan, base, &range); r != 0) return kStep + r;
  const MXF_AUDIO_INFO& audio = *base->audio;
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base->indexEntries;

  plat::SysError err = 0;
  // The caller may hold the file already, locked since before the analysis.
  plat::File opened;
  if (plan->heldMxf == nullptr) {
    opened = plat::File::Open(mxfPath, plat::Access::ReadWrite, plat::Share::Exclusive, &err);
  }
  plat::File& mxf = plan->heldMxf != nullptr ? *plan->heldMxf : opened;
  uint64_t fileSize = 0;
  // A failed system call: its cause goes with the code.
  auto osFailure = [&](const std::u16string& path, int result) {
    NoteOsCause(plan, path, err);
    return result;
  };
  if (!mxf.valid() || !mxf.Size(&fileSize, &err)) return osFailure(mxfPath, kStep + 6);
  plat::FileMapping mxfMapping = plat::FileMapping::Create(mxf, true, "fmMXF", &err);
  if (!mxfMapping.valid()) return osFailure(mxfPath, kStep + 7);

  std::array<REWRAP_TARGET, kTrackSlots> targets;
  const int targetCount = ListRewrapTargets(*plan, audio, targets);
  int targetSlots[kTrackSlots] = {};
  for (int i = 0; i < targetCount; ++i) targetSlots[i] = targets[static_cast<size_t>(i)].slot;

  // Only the files of switched-on tracks are opened.
  WavFiles wavs(*plan);
  std::vector<Source> sources;
  sources.reserve(kTrackSlots);
  int sourceIndex[kTrackSlots];
  std::fill(std::begin(sourceIndex), std::end(sourceIndex), -1);
  uint64_t wavBytesPerSample = 0;
  for (int i = 0; i < targetCount; ++i) {
    const int s = targets[static_cast<size_t>(i)].source;
    if (s < 0 || sourceIndex[s] >= 0) continue;
    if (!wavs.Open(s)) return kStep + 8;
    if (!wavs.DataPresent(s)) return kStep + REWRAP_WAV_READ_FAILED;
    Source src;
    src.slot = s;
    src.format = &plan->wavEntry[s]->format;
    char name[24];
    std::snprintf(name, sizeof name, "IDWAVTRK%02d", s + 1);
    src.mapping = plat::FileMapping::Create(wavs.File(s), false, name, &err);
    if (!src.mapping.valid()) return osFailure(plan->wavEntry[s]->fullPath, kStep + 9);
    wavBytesPerSample += src.format->blockAlign;
    sourceIndex[s] = static_cast<int>(sources.size());
    sources.push_back(std::move(src));
  }
  plan->frameCount = range.frameCount;

  const uint64_t elementSize = SoundElementSize(mxf, fileSize, entries[range.firstEntry]);
  if (elementSize == 0) return kStep + REWRAP_ELEMENT_MISMATCH;
  const ChunkWalker walker(entries, range, *base, elementSize, targetSlots, targetCount, wavBytesPerSample, fileSize);

  // Every targeted element of every frame, before the first write. The
  // check reads through the file rather than the views: a page touched
  // only to be read would be faulted in twice, once more when written.
  RangeCheck check;
  const int checked = check.Run(mxf, fileSize, entries, range, audio.blockAlign, targetSlots, targetCount, plan);
  // A stop asked for during the check, or before the first write, ends the
  // job with nothing written (the phase stays "check").
  if (checked == kRangeCheckCancelled || plan->cancelRequest.load() == 1) {
    plan->cancelRequest = 0;
    return 99;
  }
  if (checked != SOUND_CHECK_OK) return kStep + REWRAP_ELEMENT_MISMATCH;
  std::vector<BYTE_SPAN> spans;
  spans.reserve(kTrackSlots);

  UndoRecorder undo(options.undo != nullptr ? *options.undo : UndoSettings(),
                    options.undoReport != nullptr ? options.undoReport : &LastUndoReport());
  // A failed journal: the journal file's system cause goes with the code.
  auto undoFailure = [&](int column) {
    NoteOsCause(plan, undo.cause().path, undo.cause().error);
    return kStep + column;
  };
  if (int r = undo.Begin(mxf, mxfPath, fileSize, *base, *plan, range, check, targets.data(), targetCount,
                         IO_MAPPING);
      r != 0) {
    return undoFailure(r);
  }

  tap.Begin(*plan, audio, targets.data(), targetCount, range.maxSamples);
  plan->currentFrame = 0;
  plan->jobPhase = JOB_PHASE_WRITE;

  // What the views changed becomes the file's when they are unmapped; one
  // fsync of the file then puts all of it on the disk (cheaper than an
  // msync per view, which write-protects every page again on its own).
  auto finish = [&](int result) {
    NoteOsCause(plan, mxfPath, err);
    if (options.flush) mxf.Sync();  // keep what was written
    return result;
  };

  for (uint32_t k = 0; k < range.frameCount;) {
    const Chunk c = walker.At(k);
    uint64_t sizeNow = 0;
    if (!mxf.Size(&sizeNow, &err) || sizeNow != fileSize) return finish(kStep + REWRAP_WRITE_FAILED);

    // Writing a value that lies in a hole of a sparse file needs disk
    // blocks; they are allocated frame by frame before the frame is
    // written, so that a full disk fails the frame cleanly.
    const bool holes = HasHole(mxf, c.viewBegin, c.viewEnd);

    plat::MappedView view = MapRange(mxfMapping, c.viewBegin, c.viewEnd, &err);
    if (!view.valid()) return finish(kStep + 12);

    for (Source& s : sources) {
      const WAV_FORMAT_INFO& f = *s.format;
      const uint64_t needed = std::min<uint64_t>(c.samples * f.blockAlign, f.dataSize - s.consumed);
      s.view.Unmap();
      s.data = nullptr;
      s.valid = 0;
      s.position = 0;
      if (needed == 0) continue;
      const uint64_t g = plat::AllocationGranularity();
      const uint64_t at = f.dataOffset + s.consumed;
      const uint64_t begin = at - at % g;
      if (!wavs.DataPresent(s.slot)) return finish(kStep + REWRAP_WAV_READ_FAILED);
      s.view = MapRange(s.mapping, begin, at + needed, &err);
      if (!s.view.valid()) {
        NoteOsCause(plan, plan->wavEntry[s.slot]->fullPath, err);
        return finish(kStep + (err == plat::kErrOutOfRange ? REWRAP_WAV_READ_FAILED : 13));
      }
      s.data = s.view.data() + (at - begin);
      PrefaultForRead(s.data, static_cast<size_t>(needed));
      s.valid = needed;
      s.consumed += needed;
    }

    for (uint32_t f = c.first; f < c.first + c.count; ++f) {
      const INDEX_ENTRY_ARRAY& e = walker.Entry(f);
      const uint64_t valueBytes = SoundValueBytes(e, audio.blockAlign);
      TargetStretches(e, targetSlots, targetCount, valueBytes, c.viewEnd, spans);
      if (holes && !AssureFrameSpace(mxf, spans, &err)) {
        view.Unmap();
        return finish(kStep + REWRAP_WRITE_FAILED);
      }
      // The pages about to be written, made writable in one go.
      for (const BYTE_SPAN& sp : spans) {
        PrefaultForWrite(view.data() + (sp.begin - view.offset()), static_cast<size_t>(sp.end - sp.begin));
      }
      // A file cut short under the view (by another program) ends the job
      // here instead of the process.
      const bool written = plat::GuardMappedAccess([&] {
        for (int i = 0; i < targetCount; ++i) {
          const REWRAP_TARGET& t = targets[static_cast<size_t>(i)];
          const Source* s = t.source < 0 ? nullptr : &sources[static_cast<size_t>(sourceIndex[t.source])];
          const uint64_t avail = s != nullptr && s->valid > s->position ? s->valid - s->position : 0;
          uint8_t* value = view.data() + (check.ValueOffset(e, f, i) - view.offset());
          FillTargetValue(value, SoundValueBytes(e, audio.blockAlign), t, avail ? s->data + s->position : nullptr,
                          avail, e.audioSamples);
          undo.Wrote(f, i, value, SoundValueBytes(e, audio.blockAlign));
          tap.Wrote(i, value, e.audioSamples);
        }
      });
      if (!written) {
        view.Unmap();
        return finish(kStep + REWRAP_WRITE_FAILED);
      }
      for (Source& s : sources) s.position += uint64_t{e.audioSamples} * s.format->blockAlign;
      plan->currentFrame = f;
      if (plan->cancelRequest.load() == 1) {
        view.Unmap();
        plan->cancelRequest = 0;
        // Frames up to this one are new: the journal takes them back.
        if (options.flush && !mxf.Sync(&err)) return osFailure(mxfPath, kStep + REWRAP_WRITE_FAILED);
        if (int r = undo.Finish(mxf, f + 1); r != 0) return undoFailure(r);
        return 99;
      }
    }
    k += c.count;
  }

  for (Source& s : sources) s.view.Unmap();
  // A file cut short after its last chunk was written has lost frames.
  uint64_t sizeAtEnd = 0;
  if (!mxf.Size(&sizeAtEnd, &err) || sizeAtEnd != fileSize) return finish(kStep + REWRAP_WRITE_FAILED);
  if (options.flush && !mxf.Sync(&err)) return osFailure(mxfPath, kStep + REWRAP_WRITE_FAILED);
  if (int r = undo.Finish(mxf, range.frameCount); r != 0) return undoFailure(r);
  tap.Completed();
  // The time of completion, in whole seconds, as both access and write time.
  const int64_t second = 1000000000LL;
  const plat::FileTime now{plat::Now().unixNanos / second * second};
  mxf.SetTimes(&now, &now);  // a file whose times cannot be set is still rewritten
  return 0;
}

}  // namespace

int RewrapByMapping(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
                    const REWRAP_OPTIONS& options) {
  // Containers are filled before the first write only; running out of
  // memory there is the buffer failure.
  try {
    return Rewrap(mxfPath, plan, base, options);
  } catch (...) {
    return kStep + 11;
  }
}
