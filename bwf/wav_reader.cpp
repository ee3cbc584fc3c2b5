// The WAV/BWF reader: a walk over the RIFF chunks by their sizes.
#include "bwf/wav_reader.h"

#include <cstring>

#include "platform/file.h"
#include "timecode/timecode.h"

namespace {

constexpr uint64_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
constexpr uint64_t kChunkHeaderSize = 8;  // id, size
constexpr uint32_t kMinFmtSize = 16;
constexpr uint32_t kMinBextSize = 346;
constexpr uint64_t kBextTimeReferenceOffset = 338;
constexpr uint32_t kRequiredSampleRate = 48000;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t Le64(const uint8_t* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

bool IdIs(const uint8_t* id, const char* tag) { return std::memcmp(id, tag, 4) == 0; }

// A chunk id as writers make them: four printable ASCII characters.
bool LooksLikeChunkId(const uint8_t* id) {
  for (int i = 0; i < 4; ++i) {
    if (id[i] < 0x20 || id[i] > 0x7E) return false;
  }
  return true;
}

bool ValidTimeline(const MXF_TIMECODE_INFO* timecode) {
  return timecode != nullptr && timecode->frameRateClass >= 0 &&
         timecode->frameRateClass < kFrameRateClassCount && TcBaseUnits(timecode->tcBase) != nullptr;
}

// Reads exactly n bytes at offset; false on a short read or an error.
bool ReadExact(const plat::File& file, uint64_t offset, void* buf, size_t n) {
  return file.ReadAt(offset, buf, n) == static_cast<int64_t>(n);
}

struct ChunkHeader {
  uint8_t id[4] = {};
  uint32_t size = 0;
};

bool ReadChunkHeader(const plat::File& file, uint64_t offset, uint64_t fileSize, ChunkHeader* out) {
  if (offset > fileSize || fileSize - offset < kChunkHeaderSize) return false;
  uint8_t raw[kChunkHeaderSize];
  if (!ReadExact(file, offset, raw, sizeof raw)) return false;
  std::memcpy(out->id, raw, 4);
  out->size = Le32(raw + 4);
  return true;
}

// A header that can start the next chunk: a printable id, and a body that
// fits in the file (the data chunk may claim more than the file holds).
bool PlausibleChunkAt(const plat::File& file, uint64_t offset, uint64_t fileSize, ChunkHeader* out) {
  if (!ReadChunkHeader(file, offset, fileSize, out) || !LooksLikeChunkId(out->id)) return false;
  return IdIs(out->id, "data") || out->size <= fileSize - offset - kChunkHeaderSize;
}

bool KnownChunkId(const uint8_t* id) {
  static const char* const kKnown[] = {"fmt ", "data", "bext", "LIST", "JUNK", "junk", "fact", "cue ", "iXML",
                                       "axml", "PAD ", "FLLR", "smpl", "inst", "chna", "cart", "PEAK", "levl",
                                       "umid", "id3 ", "ID3 ", "_PMX", "acid", "plst", "labl", "note"};
  for (const char* k : kKnown) {
    if (IdIs(id, k)) return true;
  }
  return false;
}

// Offset of the chunk after the one at `offset` with body size `size`: an
// odd body is followed by a pad byte (zero). Some writers leave the pad out,
// so a non-zero byte where the pad should be is looked at more closely: the
// position that holds a plausible chunk header is taken, and when both do,
// the one with a chunk id in common use.
uint64_t NextChunkOffset(const plat::File& file, uint64_t offset, uint32_t size, uint64_t fileSize) {
  const uint64_t unpadded = offset + kChunkHeaderSize + size;
  if ((size & 1u) == 0) return unpadded;
  const uint64_t padded = unpadded + 1;
  uint8_t pad = 0;
  if (unpadded >= fileSize || !ReadExact(file, unpadded, &pad, 1) || pad == 0) return padded;
  ChunkHeader a, b;
  const bool paddedOk = PlausibleChunkAt(file, padded, fileSize, &a);
  const bool unpaddedOk = PlausibleChunkAt(file, unpadded, fileSize, &b);
  if (paddedOk && unpaddedOk) return KnownChunkId(b.id) && !KnownChunkId(a.id) ? unpadded : padded;
  return unpaddedOk ? unpadded : padded;
}

// The checks on a fmt body (at least 16 bytes). Returns 0 or WAV_READ_BAD_FORMAT.
int TakeFormat(const uint8_t* body, WAV_FORMAT_INFO* info) {
  info->formatTag = static_cast<int16_t>(Le16(body + 0));
  info->channels = Le16(body + 2);
  info->sampleRate = Le32(body + 4);
  info->avgBytesPerSec = Le32(body + 8);
  info->blockAlign = Le16(body + 12);
  info->bitsPerSample = Le16(body + 14);
  info->bytesPerSample = static_cast<int16_t>(info->channels >= 2 ? info->blockAlign / info->channels : info->blockAlign);
  if (info->sampleRate != kRequiredSampleRate) return WAV_READ_BAD_FORMAT;
  if (info->bitsPerSample != 16 && info->bitsPerSample != 24) return WAV_READ_BAD_FORMAT;
  // The engines step through the samples by blockAlign and read each channel
  // as bitsPerSample / 8 bytes; a block align that disagrees would shift them.
  const uint32_t expectedAlign = static_cast<uint32_t>(info->channels) * (info->bitsPerSample / 8u);
  if (info->blockAlign == 0 || info->blockAlign != expectedAlign) return WAV_READ_BAD_FORMAT;
  return WAV_READ_OK;
}

struct WalkState {
  bool fmtSeen = false;
  bool dataSeen = false;
};

// Walks the chunks after the RIFF header. Returns 0 to go on to the final
// check, or a code that ends the read at once.
int WalkChunks(const plat::File& file, uint64_t fileSize, WAV_FORMAT_INFO* info, WalkState* state) {
  uint64_t offset = kRiffHeaderSize;
  ChunkHeader chunk;
  while (ReadChunkHeader(file, offset, fileSize, &chunk)) {
    const uint64_t bodyOffset = offset + kChunkHeaderSize;
    const uint64_t available = fileSize - bodyOffset;
    const bool bodyInFile = chunk.size <= available;

    if (IdIs(chunk.id, "data")) {
      info->dataOffset = bodyOffset;
      uint64_t size = chunk.size;
      if (chunk.size == 0xFFFFFFFFu || !bodyInFile) {
        // Take what the file holds, in whole sample frames.
        size = available < 0xFFFFFFFFu ? available : 0xFFFFFFFFu;
        if (state->fmtSeen) size -= size % info->blockAlign;
      }
      info->dataSize = static_cast<uint32_t>(size);
      state->dataSeen = true;
      return WAV_READ_OK;  // the sample data is never examined
    }
    if (IdIs(chunk.id, "fmt ") && chunk.size >= kMinFmtSize) {
      if (!bodyInFile) return WAV_READ_NOT_WAVE;
      uint8_t body[kMinFmtSize];
      if (!ReadExact(file, bodyOffset, body, sizeof body)) return WAV_READ_NOT_WAVE;
      const int r = TakeFormat(body, info);
      if (r != WAV_READ_OK) return r;
      state->fmtSeen = true;
    } else if (IdIs(chunk.id, "bext") && chunk.size >= kMinBextSize && bodyInFile) {
      uint8_t ref[8];
      if (ReadExact(file, bodyOffset + kBextTimeReferenceOffset, ref, sizeof ref)) {
        info->startSample = Le64(ref);
        info->hasTimeReference = 1;
      }
    }
    if (!bodyInFile) break;  // nothing can follow a chunk that runs past the end
    offset = NextChunkOffset(file, offset, chunk.size, fileSize);
  }
  return WAV_READ_OK;
}

}  // namespace

int ReadWavFile(const std::u16string& path, WAV_FORMAT_INFO* info, const MXF_TIMECODE_INFO* timecode) {
  if (path.empty()) return WAV_READ_NO_PATH;
  if (info == nullptr) return WAV_READ_NO_RECORD;
  if (!ValidTimeline(timecode)) return WAV_READ_BAD_FRAME_RATE;
  *info = WAV_FORMAT_INFO{};

  // Shared: another reader (a player, a second job of ours) does not refuse it.
  plat::File file = plat::File::Open(path, plat::Access::Read, plat::Share::Shared);
  if (!file.valid()) return WAV_READ_OPEN_FAILED;
  uint64_t fileSize = 0;
  if (!file.Size(&fileSize)) return WAV_READ_OPEN_FAILED;

  uint8_t riff[kRiffHeaderSize];
  if (fileSize < kRiffHeaderSize || !ReadExact(file, 0, riff, sizeof riff)) return WAV_READ_NOT_WAVE;
  // The RIFF size field is not used: streaming writers leave it unset, and
  // the file's own size bounds the walk.
  if (!IdIs(riff, "RIFF") || !IdIs(riff + 8, "WAVE")) return WAV_READ_NOT_WAVE;

  WalkState state;
  const int walked = WalkChunks(file, fileSize, info, &state);
  file.Close();
  if (walked != WAV_READ_OK) return walked;

  ComputeWavPositions(info, timecode);
  return state.fmtSeen && state.dataSeen ? WAV_READ_OK : WAV_READ_NOT_WAVE;
}

int ComputeWavPositions(WAV_FORMAT_INFO* info, const MXF_TIMECODE_INFO* timecode) {
  if (info == nullptr) return 1;
  if (!ValidTimeline(timecode)) return 3;
  const int32_t base = timecode->tcBase;
  const int32_t dropFrame = timecode->dropFrame;
  const int32_t rateClass = timecode->frameRateClass;

  const uint64_t samples = info->blockAlign != 0 ? info->dataSize / info->blockAlign : 0;
  info->endSample = info->startSample + samples;

  TC_CALC day{};
  day.base = base;
  day.dropFrame = dropFrame;
  day.b.hours = 24;

  // Places one side; false when the position cannot be resolved. *hours gets
  // the hour of the frame before the one-day wrap.
  auto place = [&](uint64_t position, bool isEnd, uint32_t* frameOut, uint32_t* subOut, uint32_t* fractOut,
                   int32_t* hours) {
    int32_t frame = 0, subframe = 0, fract = 0;
    if (!SampleToFramePosition(position, rateClass, isEnd, frame, subframe, fract)) return false;
    TIMECODE_HMSF label;
    FramesToTimecode(base, dropFrame, frame, label);
    *hours = label.hours;
    if (label.hours > 23) {
      TC_CALC calc = day;
      calc.a = label;
      if (TimecodeCalc(calc, '-')) frame = calc.result;
    }
    *frameOut = static_cast<uint32_t>(frame);
    *subOut = static_cast<uint32_t>(subframe);
    *fractOut = static_cast<uint32_t>(fract);
    return true;
  };

  int32_t startHours = 0, endHours = 0;
  if (place(info->startSample, false, &info->startFrame, &info->startSubframe, &info->startFract, &startHours)) {
    info->startsInHour23 = startHours == 23 ? 1 : 0;
  }
  place(info->endSample, true, &info->endFrame, &info->endSubframe, &info->endFract, &endHours);

  const int32_t startFrame = static_cast<int32_t>(info->startFrame);
  const int32_t endFrame = static_cast<int32_t>(info->endFrame);
  if (info->startsInHour23 == 1) {
    const int32_t shiftedStart = ShiftFramesByHours(base, dropFrame, startFrame, 1, '+');
    const int32_t shiftedEnd = ShiftFramesByHours(base, dropFrame, endFrame, 1, '+');
    info->durationFrames = static_cast<uint32_t>(shiftedEnd - shiftedStart);
  } else if (endFrame >= startFrame) {
    info->durationFrames = static_cast<uint32_t>(endFrame - startFrame);
  } else {
    // The end wrapped past midnight: count across it.
    TIMECODE_HMSF dayLabel{24, 0, 0, 0};
    const int32_t framesPerDay = TimecodeToFrames(base, dropFrame, dayLabel);
    info->durationFrames = static_cast<uint32_t>(endFrame + framesPerDay - startFrame);
  }
  return 0;
}
