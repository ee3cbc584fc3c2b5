// Test scaffolding for the rewrap engines: mxfgen files analysed by the real
// analysis steps, WAV files written byte by byte, a track plan, and the
// expected file built independently of the engines from mxfgen's layout (it
// reports every sound element's value offset and size) and the WAV bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/scratch.h"
#include "bwf/wav_library.h"
#include "engine/analysis_steps.h"
#include "engine/mxf_state.h"
#include "engine/track_plan.h"
#include "platform/file.h"
#include "platform/text.h"
#include "rewrap/rewrap_engines.h"
#include "tools/mxfgen/mxfgen.h"

namespace rewrap_test {

enum class Engine { Mapping, File };

inline const char* EngineName(Engine e) { return e == Engine::Mapping ? "Mapping" : "File"; }
inline int StepOf(Engine e) { return e == Engine::Mapping ? 2000 : 3000; }

inline int RunEngine(Engine e, const std::string& path, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base) {
  const std::u16string p = plat::Utf8ToUtf16(path);
  return e == Engine::Mapping ? RewrapByMapping(p, plan, base) : RewrapByFile(p, plan, base);
}

inline std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A scratch folder per object, removed afterwards.
class Scratch {
 public:
  Scratch() {
    dir_ = testsupport::MakeScratchFolder("velmora-rewrap");
  }
  ~Scratch() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::string& dir() const { return dir_; }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

// Deterministic sample bytes: never a run of zeros, so silence and
// untouched bytes are told apart.
inline std::vector<uint8_t> NoiseBytes(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed * 2654435761u + 12345u;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    v[i] = static_cast<uint8_t>((x >> 24) | 1);
  }
  return v;
}

// A WAV file's bytes: RIFF/WAVE, fmt, optionally a LIST chunk, data, and
// optionally a chunk after the data.
struct WavContent {
  int channels = 1;
  int bits = 24;
  std::vector<uint8_t> data;      // the data chunk's body
  bool trailingChunk = false;     // a chunk after the data (its bytes must never be taken)
};

inline void WriteWav(const std::string& path, const WavContent& wav) {
  std::vector<uint8_t> b;
  b.reserve(64 + wav.data.size() + 80);
  auto u32 = [&b](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&b](uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&b](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(t[i]));
  };
  const uint16_t blockAlign = static_cast<uint16_t>(wav.channels * wav.bits / 8);
  tag("RIFF");
  u32(0);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(static_cast<uint16_t>(wav.channels));
  u32(48000);
  u32(48000u * blockAlign);
  u16(blockAlign);
  u16(static_cast<uint16_t>(wav.bits));
  tag("data");
  u32(static_cast<uint32_t>(wav.data.size()));
  b.insert(b.end(), wav.data.begin(), wav.data.end());
  if (wav.data.size() % 2) b.push_back(0);
  if (wav.trailingChunk) {
    tag("junk");
    u32(64);
    for (int i = 0; i < 64; ++i) b.push_back(0xEE);
  }
  const uint32_t riff = static_cast<uint32_t>(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(riff >> (8 * i));
  WriteAll(path, b);
}

// One mxfgen file, analysed, with a WAV library and a track plan.
class RewrapCase {
 public:
  RewrapCase() {
    InitTrackPlan(plan);
    library.head = &library;
  }
  ~RewrapCase() { WavLibraryClear(&library); }
  RewrapCase(const RewrapCase&) = delete;
  RewrapCase& operator=(const RewrapCase&) = delete;

  // Writes the MXF file and analyses it as a load would.
  ::testing::AssertionResult Make(const mxfgen::Options& o, const std::string& name = "clip.mxf") {
    opt = o;
    if (scratch.dir().empty()) return ::testing::AssertionFailure() << "no scratch folder";
    path = scratch.Path(name);
    std::string error;
    if (!mxfgen::WriteMxf(path, opt, &layout, &error)) return ::testing::AssertionFailure() << error;
    if (int r = Analyse(); r != 0) return ::testing::AssertionFailure() << "analysis failed: " << r;
    original = ReadAll(path);
    SetTracksLoaded(plan, state.audio.trackCount);
    return ::testing::AssertionSuccess();
  }

  int Analyse() {
    plat::File file = plat::File::Open(plat::Utf8ToUtf16(path), plat::Access::Read, plat::Share::Shared);
    if (!file.valid()) return -1;
    ResetAnalysisRecords(&state.base);
    uint64_t size = 0;
    file.Size(&size);
    state.base.fileSize = size;
    if (int r = ReadPartitions(&file, size, &state.base); r != 0) return r;
    int (*const steps[])(plat::File*, MXF_BASE_INFO*) = {ReadPreface,         ReadTimecodeComponent,
                                                           ReadFilePackage,     ReadIndexTable,
                                                           ReadAudioDescriptor, ReadVideoDescriptor};
    for (auto step : steps) {
      if (int r = step(&file, &state.base); r != 0) return r;
    }
    return 0;
  }

  // Writes a WAV file and adds it to the library.
  WAV_LIBRARY_ENTRY* AddWav(const std::string& name, const WavContent& wav) {
    const std::string p = scratch.Path(name);
    WriteWav(p, wav);
    const int r = WavLibraryAdd(plat::Utf8ToUtf16(p), &library, &state.timecode);
    EXPECT_EQ(r, 0) << name;
    if (r != 0) return nullptr;
    wavData.push_back({library.prev, wav});
    return library.prev;
  }

  // A file of `channels` channels and `samples` sample frames of noise.
  WAV_LIBRARY_ENTRY* AddNoiseWav(const std::string& name, int channels, int bits, size_t samples, uint32_t seed) {
    WavContent wav;
    wav.channels = channels;
    wav.bits = bits;
    wav.data = NoiseBytes(samples * static_cast<size_t>(channels * bits / 8), seed);
    return AddWav(name, wav);
  }

  // Assigns a file to a slot (a stereo file to the pair) and switches it.
  void Assign(int slot, WAV_LIBRARY_ENTRY* entry, bool on = true) {
    plan.wavEntry[slot] = entry;
    plan.trackSwitch[slot] = on ? TRACK_ON : TRACK_OFF;
    if (entry != nullptr && entry->format.channels == 2) {
      plan.wavEntry[slot + 1] = entry;
      plan.trackSwitch[slot + 1] = plan.trackSwitch[slot];
    }
  }

  // One channel (0-based) of a file of three or more channels into a slot.
  void AssignChannel(int slot, WAV_LIBRARY_ENTRY* entry, int channel, bool on = true) {
    plan.wavEntry[slot] = entry;
    plan.wavChannel[slot] = static_cast<uint16_t>(channel);
    plan.trackSwitch[slot] = on ? TRACK_ON : TRACK_OFF;
  }

  // Range as offsets of the file's frames (first frame = 0), both forms.
  void SetRange(int64_t first, int64_t last) {
    const MXF_TIMECODE_INFO& tc = state.timecode;
    const int64_t day = static_cast<int64_t>(TcBaseUnits(tc.tcBase)->framesPerHour) * 24;
    plan.wrapIn[0] = static_cast<uint32_t>((tc.startFrame + first) % day);
    plan.wrapOut[0] = static_cast<uint32_t>((tc.startFrame + last) % day);
    plan.wrapIn[1] = static_cast<uint32_t>((tc.startHourIs23 ? tc.startFrameShifted : tc.startFrame) + first);
    plan.wrapOut[1] = static_cast<uint32_t>((tc.startHourIs23 ? tc.startFrameShifted : tc.startFrame) + last);
    if (!tc.startHourIs23) {
      plan.wrapIn[1] = plan.wrapIn[0];
      plan.wrapOut[1] = plan.wrapOut[0];
    }
    rangeFirst = first;
    rangeLast = last;
  }

  // The file as it must be after a rewrap of the range's frames up to the
  // offset `lastDone` from IN (-1: nothing written), built from the layout
  // and the WAV bytes, not from the engines' code.
  std::vector<uint8_t> Expected(int64_t lastDoneOffset = INT64_MAX) const {
    std::vector<uint8_t> out = original;
    int64_t lastDone = lastDoneOffset >= rangeLast - rangeFirst ? rangeLast : rangeFirst + lastDoneOffset;
    const int mxfBytes = opt.bits / 8;
    for (int slot = 0; slot < layout.tracks; ++slot) {
      if (plan.trackSwitch[slot] != TRACK_ON) continue;
      const WAV_LIBRARY_ENTRY* e = plan.wavEntry[slot];
      const WavContent* wav = nullptr;
      int channel = 0;
      if (e != nullptr) {
        for (const auto& [entry, s] : wavData) {
          if (entry == e) wav = &s;
        }
        if (wav == nullptr) continue;
        if (wav->bits > opt.bits) continue;  // the element stays as it is
        if (wav->channels == 2 && slot % 2 == 1) channel = 1;
        if (wav->channels >= 3) channel = plan.wavChannel[slot];
      }
      uint64_t sampleIndex = 0;  // samples since IN
      for (int64_t f = rangeFirst; f <= lastDone; ++f) {
        const mxfgen::SoundElementLayout& el = layout.Sound(f, slot);
        for (uint32_t n = 0; n < el.samples; ++n) {
          uint8_t* dst = out.data() + el.valueOffset + static_cast<size_t>(n) * mxfBytes;
          for (int b = 0; b < mxfBytes; ++b) dst[b] = 0;
          if (wav == nullptr) continue;
          const int srcBytes = wav->bits / 8;
          const int shift = mxfBytes - srcBytes;
          const uint64_t at = (sampleIndex + n) * static_cast<uint64_t>(wav->channels * srcBytes) +
                              static_cast<uint64_t>(channel * srcBytes);
          for (int b = 0; b < srcBytes; ++b) {
            if (at + b < wav->data.size()) dst[shift + b] = wav->data[at + b];
          }
        }
        sampleIndex += el.samples;
      }
    }
    return out;
  }

  // Where two files first differ, for messages.
  std::string Describe(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want) const {
    if (got.size() != want.size()) return "size " + std::to_string(got.size()) + " vs " + std::to_string(want.size());
    for (size_t i = 0; i < got.size(); ++i) {
      if (got[i] == want[i]) continue;
      std::string where = "byte " + std::to_string(i);
      for (size_t k = 0; k < layout.sound.size(); ++k) {
        const auto& el = layout.sound[k];
        if (i >= el.keyOffset && i < el.valueOffset + el.valueSize) {
          where += " in frame " + std::to_string(k / static_cast<size_t>(layout.tracks)) + " track slot " +
                   std::to_string(k % static_cast<size_t>(layout.tracks)) + " (value byte " +
                   std::to_string(static_cast<int64_t>(i) - static_cast<int64_t>(el.valueOffset)) + ")";
        }
      }
      return where + ": got " + std::to_string(got[i]) + " want " + std::to_string(want[i]);
    }
    return "equal";
  }

  ::testing::AssertionResult FileIs(const std::vector<uint8_t>& want) const {
    const std::vector<uint8_t> got = ReadAll(path);
    if (got == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(got, want);
  }

  // Puts the original bytes back (between two engine runs).
  void Restore() { WriteAll(path, original); }

  Scratch scratch;
  mxfgen::Options opt;
  mxfgen::Layout layout;
  MxfState state;
  AUDIOTRACK_IO_INFO plan;
  WAV_LIBRARY_ENTRY library;
  std::string path;
  std::vector<uint8_t> original;
  std::vector<std::pair<const WAV_LIBRARY_ENTRY*, WavContent>> wavData;
  int64_t rangeFirst = 0;
  int64_t rangeLast = -1;
};

// Small pictures keep the files small.
inline mxfgen::Options SmallClip(int64_t frames, int tracks = 8, int bits = 24) {
  mxfgen::Options o;
  o.frames = frames;
  o.tracks = tracks;
  o.bits = bits;
  o.pictureBytes = 1500;
  return o;
}

}  // namespace rewrap_test
