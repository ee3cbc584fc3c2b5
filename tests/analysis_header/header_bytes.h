// Small hand-made MXF files for the header analysis tests: partition packs,
// fill, local sets, a random index pack, and a scratch file to open them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/analysis_steps.h"
#include "engine/mxf_records.h"
#include "engine/mxf_state.h"
#include "platform/file.h"
#include "tests/support/klv_bytes.h"

namespace hdrtest {

using namespace klvtest;

// Header metadata set keys (byte 14 chooses the set).
inline Bytes SetKey(uint8_t kind) {
  return {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01, 0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, kind, 0x00};
}
constexpr uint8_t kPreface = 0x2F, kTimecodeComponent = 0x14, kTimelineTrack = 0x3B,
                  kSourcePackage = 0x37, kIdentification = 0x30;

inline Bytes Set(uint8_t kind, const std::vector<Bytes>& items) { return LocalSet(SetKey(kind), items); }

inline Bytes Utf16Be(const std::u16string& s) {
  Bytes out;
  for (char16_t c : s) PutBE16(&out, uint16_t(c));
  return out;
}

inline Bytes U64(uint64_t v) {
  Bytes out;
  PutBE64(&out, v);
  return out;
}

constexpr uint8_t kHeaderKind = 0x02, kBodyKind = 0x03, kFooterKind = 0x04;
constexpr uint8_t kClosedComplete = 0x04, kOpenIncomplete = 0x01, kOpenComplete = 0x03;

struct PackFields {
  uint8_t kind = kHeaderKind;
  uint8_t status = kClosedComplete;
  uint16_t major = 1, minor = 2;
  uint32_t kag = 512;
  uint64_t thisPartition = 0;
  uint64_t headerByteCount = 0;
  uint64_t indexByteCount = 0;
  uint32_t indexSid = 0;
  uint64_t bodyOffset = 0;
  uint32_t bodySid = 0;
  uint8_t opQualifier = 0x09;
};

// Offset of ThisPartition inside a pack item with a 4-byte length.
constexpr size_t kThisPartitionAt = 20 + 8;

// A partition pack item (4-byte BER length, one essence container label).
inline Bytes PartitionPack(const PackFields& f, int berBytes = 4) {
  Bytes v;
  PutBE16(&v, f.major);
  PutBE16(&v, f.minor);
  PutBE32(&v, f.kag);
  PutBE64(&v, f.thisPartition);
  PutBE64(&v, 0);  // previous
  PutBE64(&v, 0);  // footer
  PutBE64(&v, f.headerByteCount);
  PutBE64(&v, f.indexByteCount);
  PutBE32(&v, f.indexSid);
  PutBE64(&v, f.bodyOffset);
  PutBE32(&v, f.bodySid);
  Put(&v, {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x01, f.opQualifier,
           0x00});
  PutBE32(&v, 1);
  PutBE32(&v, 16);
  Put(&v, {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x02, 0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01});
  return Klv({0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, f.kind, f.status, 0x00},
             v, berBytes);
}

// The random index pack over the given partition offsets.
inline Bytes RandomIndexPack(const std::vector<uint64_t>& offsets, int berBytes = 4) {
  Bytes v;
  for (uint64_t off : offsets) {
    PutBE32(&v, 1);
    PutBE64(&v, off);
  }
  const uint32_t overall = uint32_t(16 + (berBytes == 1 ? 1 : berBytes == 8 ? 9 : 4) + v.size() + 4);
  PutBE32(&v, overall);
  return Klv({0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01, 0x0D, 0x01, 0x02, 0x01, 0x01, 0x11, 0x01, 0x00}, v,
             berBytes);
}

// A whole file: header partition with the given header metadata, one body
// partition holding `essenceBytes` of essence, a footer and the random index
// pack. With KAG 512 every pack and the header metadata are padded to 512.
struct MiniFile {
  uint32_t kag = 512;
  Bytes headerMetadata;
  uint32_t essenceBytes = 1000;
  uint8_t headerStatus = kClosedComplete;
  uint8_t bodyStatus = kClosedComplete;
  uint8_t footerStatus = kClosedComplete;
  uint16_t packMajor = 1, packMinor = 2;
  bool footer = true;
  bool rip = true;
};

struct BuiltFile {
  Bytes bytes;
  std::vector<uint64_t> partitions;  // offsets in file order
  uint64_t headerMetadataStart = 0;
  uint64_t headerByteCount = 0;
  uint64_t bodyEssenceStart = 0;
};

inline void PadToKag(Bytes* out, uint32_t kag) {
  if (kag <= 1 || out->size() % kag == 0) return;
  size_t pad = kag - out->size() % kag;
  if (pad < 20) pad += kag;
  Put(out, Fill(pad));
}

inline BuiltFile Build(const MiniFile& m) {
  BuiltFile b;
  PackFields f;
  f.kag = m.kag;
  f.major = m.packMajor;
  f.minor = m.packMinor;

  // Header partition: pack, fill, header metadata padded to the KAG.
  f.kind = kHeaderKind;
  f.status = m.headerStatus;
  b.partitions.push_back(0);
  Put(&b.bytes, PartitionPack(f));
  PadToKag(&b.bytes, m.kag);
  b.headerMetadataStart = b.bytes.size();
  Put(&b.bytes, m.headerMetadata);
  PadToKag(&b.bytes, m.kag);
  b.headerByteCount = b.bytes.size() - b.headerMetadataStart;
  PatchBE64(&b.bytes, 20 + 32, b.headerByteCount);

  // Body partition with essence.
  f.kind = kBodyKind;
  f.status = m.bodyStatus;
  f.thisPartition = b.bytes.size();
  f.bodySid = 1;
  b.partitions.push_back(f.thisPartition);
  Put(&b.bytes, PartitionPack(f));
  PadToKag(&b.bytes, m.kag);
  b.bodyEssenceStart = b.bytes.size();
  Put(&b.bytes, Bytes(m.essenceBytes, 0x55));
  PadToKag(&b.bytes, m.kag);

  if (m.footer) {
    f.kind = kFooterKind;
    f.status = m.footerStatus;
    f.thisPartition = b.bytes.size();
    f.bodySid = 0;
    f.bodyOffset = 0;
    b.partitions.push_back(f.thisPartition);
    Put(&b.bytes, PartitionPack(f));
  }
  if (m.rip) Put(&b.bytes, RandomIndexPack(b.partitions));
  return b;
}

// A scratch file holding given bytes, opened for reading; removed at the end.

// The records of one analysis, linked as the application links them.
using Records = MxfState;

// A built file on disk with its partitions read, ready for a header step.
struct Loaded {
  BuiltFile built;
  ScratchMxf mxf;
  Records r;
  int partitionsResult = -1;

  explicit Loaded(const MiniFile& m) : built(Build(m)), mxf(built.bytes) {
    if (mxf.ok()) partitionsResult = ReadPartitions(mxf.file(), mxf.size(), &r.base);
  }
  explicit Loaded(const Bytes& headerMetadata, uint32_t kag = 512) : Loaded(WithMetadata(headerMetadata, kag)) {}

  static MiniFile WithMetadata(const Bytes& headerMetadata, uint32_t kag) {
    MiniFile m;
    m.kag = kag;
    m.headerMetadata = headerMetadata;
    return m;
  }
  bool ok() const { return partitionsResult == 0; }
  plat::File* file() { return mxf.file(); }
  MXF_BASE_INFO* base() { return &r.base; }
};

}  // namespace hdrtest
