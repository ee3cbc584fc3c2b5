// Byte-level builders of WAV/BWF test files, written independently of the
// reader: RIFF chunks with or without their pad byte, fmt and bext bodies,
// sample data with a recognisable pattern.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace wavtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
inline void Put64(Bytes& b, uint64_t v) {
  Put32(b, static_cast<uint32_t>(v));
  Put32(b, static_cast<uint32_t>(v >> 32));
}
inline void PutText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A chunk: id, size (the body's, unless sizeField is given), body, and the
// pad byte after an odd body unless pad is false.
inline Bytes Chunk(const char* id, const Bytes& body, bool pad = true, int64_t sizeField = -1) {
  Bytes b;
  PutText(b, std::string(id, 4));
  Put32(b, sizeField >= 0 ? static_cast<uint32_t>(sizeField) : static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (pad && (body.size() & 1)) b.push_back(0);
  return b;
}

// "RIFF" <size> "WAVE" followed by the chunks.
inline Bytes Riff(const Bytes& chunks, const char* form = "WAVE", const char* magic = "RIFF") {
  Bytes b;
  PutText(b, std::string(magic, 4));
  Put32(b, static_cast<uint32_t>(chunks.size() + 4));
  PutText(b, std::string(form, 4));
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}

struct Fmt {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 48000;
  uint16_t bits = 16;
  int32_t blockAlign = -1;  // -1: channels x bits / 8
};

inline uint16_t AlignOf(const Fmt& f) {
  return f.blockAlign >= 0 ? static_cast<uint16_t>(f.blockAlign)
                           : static_cast<uint16_t>(f.channels * ((f.bits + 7) / 8));
}

// The 16-byte PCM fmt body.
inline Bytes FmtBody(const Fmt& f) {
  Bytes b;
  const uint16_t align = AlignOf(f);
  Put16(b, f.tag);
  Put16(b, f.channels);
  Put32(b, f.rate);
  Put32(b, f.rate * align);
  Put16(b, align);
  Put16(b, f.bits);
  return b;
}

// The 40-byte WAVE_FORMAT_EXTENSIBLE body (PCM sub-format).
inline Bytes ExtensibleFmtBody(uint16_t channels, uint16_t bits, uint16_t validBits) {
  Fmt f;
  f.tag = 0xFFFE;
  f.channels = channels;
  f.bits = bits;
  Bytes b = FmtBody(f);
  Put16(b, 22);
  Put16(b, validBits);
  Put32(b, channels == 2 ? 0x3u : 0x4u);
  const uint8_t pcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                               0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  b.insert(b.end(), pcmGuid, pcmGuid + 16);
  return b;
}

// A bext body of the usual 602 bytes; `description` goes to the start of the
// 256-byte description field.
inline Bytes BextBody(uint64_t timeReference, const std::string& description = "", size_t size = 602) {
  Bytes b(size, 0);
  for (size_t i = 0; i < description.size() && i < 256; ++i) b[i] = static_cast<uint8_t>(description[i]);
  if (size >= 346) {
    for (int i = 0; i < 8; ++i) b[338 + i] = static_cast<uint8_t>(timeReference >> (8 * i));
  }
  return b;
}

// Sample data: frame i, channel c, byte k holds (i * 7 + c * 3 + k + seed) & 0xFF.
inline Bytes Samples(uint32_t frames, uint16_t channels, uint16_t bytesPerSample, uint8_t seed = 0) {
  Bytes b;
  b.reserve(static_cast<size_t>(frames) * channels * bytesPerSample);
  for (uint32_t i = 0; i < frames; ++i)
    for (uint16_t c = 0; c < channels; ++c)
      for (uint16_t k = 0; k < bytesPerSample; ++k) b.push_back(static_cast<uint8_t>(i * 7 + c * 3 + k + seed));
  return b;
}

// A plain WAV (fmt, optional bext, data) with `frames` sample frames.
inline Bytes SimpleWav(const Fmt& f, uint32_t frames, bool withBext = false, uint64_t timeReference = 0) {
  Bytes chunks = Chunk("fmt ", FmtBody(f));
  if (withBext) chunks = Cat({chunks, Chunk("bext", BextBody(timeReference))});
  chunks = Cat({chunks, Chunk("data", Samples(frames, f.channels, static_cast<uint16_t>((f.bits + 7) / 8)))});
  return Riff(chunks);
}

inline bool WriteBytes(const std::string& path, const Bytes& bytes) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
  return std::fclose(fp) == 0 && ok;
}

// Writes the header bytes and then extends the file with zeros (a sparse
// tail) to header.size() + tailBytes: long files without writing them.
inline bool WriteWithZeroTail(const std::string& path, const Bytes& header, uint64_t tailBytes) {
  if (!WriteBytes(path, header)) return false;
  std::error_code ec;
  std::filesystem::resize_file(path, header.size() + tailBytes, ec);
  return !ec;
}

// A WAV whose data chunk header is last in `header`, its body of dataBytes
// zero bytes (not built in memory).
inline Bytes WavHeaderOnly(const Fmt& f, uint32_t dataBytes, bool withBext, uint64_t timeReference) {
  Bytes chunks = Chunk("fmt ", FmtBody(f));
  if (withBext) chunks = Cat({chunks, Chunk("bext", BextBody(timeReference))});
  Bytes dataHeader;
  PutText(dataHeader, "data");
  Put32(dataHeader, dataBytes);
  chunks = Cat({chunks, dataHeader});
  Bytes b;
  PutText(b, "RIFF");
  Put32(b, static_cast<uint32_t>(chunks.size() + 4 + dataBytes));
  PutText(b, "WAVE");
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}

}  // namespace wavtest
