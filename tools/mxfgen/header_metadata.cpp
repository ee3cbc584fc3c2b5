#include "tools/mxfgen/header_metadata.h"

#include <map>

#include "tools/mxfgen/klv_writer.h"
#include "tools/mxfgen/labels.h"

namespace mxfgen {
namespace {

// Metadata dictionary ULs of the items written (SMPTE RP 210).
constexpr UL Md(uint8_t v, uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e, uint8_t f = 0, uint8_t g = 0) {
  return {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, v, a, b, c, d, e, f, g, 0x00};
}

struct Item {
  uint16_t tag;  // static local tag; 0 for items with dynamic tags
  UL ul;
};

constexpr Item kInstanceUID{0x3C0A, Md(0x01, 0x01, 0x01, 0x15, 0x02, 0x00)};
constexpr Item kLastModifiedDate{0x3B02, Md(0x02, 0x07, 0x02, 0x01, 0x10, 0x02, 0x04)};
constexpr Item kVersion{0x3B05, Md(0x02, 0x03, 0x01, 0x02, 0x01, 0x05)};
constexpr Item kObjectModelVersion{0x3B07, Md(0x02, 0x03, 0x01, 0x02, 0x01, 0x04)};
constexpr Item kIdentifications{0x3B06, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x06, 0x04)};
constexpr Item kContentStorageRef{0x3B03, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x02, 0x01)};
constexpr Item kOperationalPattern{0x3B09, Md(0x05, 0x01, 0x02, 0x02, 0x03, 0x00)};
constexpr Item kEssenceContainers{0x3B0A, Md(0x05, 0x01, 0x02, 0x02, 0x10, 0x02, 0x01)};
constexpr Item kDMSchemes{0x3B0B, Md(0x05, 0x01, 0x02, 0x02, 0x10, 0x02, 0x02)};
constexpr Item kThisGenerationUID{0x3C09, Md(0x02, 0x05, 0x20, 0x07, 0x01, 0x01)};
constexpr Item kCompanyName{0x3C01, Md(0x02, 0x05, 0x20, 0x07, 0x01, 0x02, 0x01)};
constexpr Item kProductName{0x3C02, Md(0x02, 0x05, 0x20, 0x07, 0x01, 0x03, 0x01)};
constexpr Item kProductVersion{0x3C03, Md(0x02, 0x05, 0x20, 0x07, 0x01, 0x04)};
constexpr Item kVersionString{0x3C04, Md(0x02, 0x05, 0x20, 0x07, 0x01, 0x05, 0x01)};
constexpr Item kProductUID{0x3C05, Md(0x02, 0x05, 0x20, 0x07, 0x01, 0x07)};
constexpr Item kModificationDate{0x3C06, Md(0x02, 0x07, 0x02, 0x01, 0x10, 0x02, 0x03)};
constexpr Item kPlatform{0x3C08, Md(0x02, 0x05, 0x20, 0x07, 0x01, 0x06, 0x01)};
constexpr Item kPackages{0x1901, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x05, 0x01)};
constexpr Item kEssenceContainerDataRefs{0x1902, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x05, 0x02)};
constexpr Item kLinkedPackageUID{0x2701, Md(0x02, 0x06, 0x01, 0x01, 0x06, 0x01)};
constexpr Item kIndexSID{0x3F06, Md(0x04, 0x01, 0x03, 0x04, 0x05, 0x00)};
constexpr Item kBodySID{0x3F07, Md(0x04, 0x01, 0x03, 0x04, 0x04, 0x00)};
constexpr Item kPackageUID{0x4401, Md(0x01, 0x01, 0x01, 0x15, 0x10, 0x00)};
constexpr Item kPackageCreationDate{0x4405, Md(0x02, 0x07, 0x02, 0x01, 0x10, 0x01, 0x03)};
constexpr Item kPackageModifiedDate{0x4404, Md(0x02, 0x07, 0x02, 0x01, 0x10, 0x02, 0x05)};
constexpr Item kTracks{0x4403, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x06, 0x05)};
constexpr Item kDescriptorRef{0x4701, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x02, 0x03)};
constexpr Item kTrackID{0x4801, Md(0x02, 0x01, 0x07, 0x01, 0x01, 0x00)};
constexpr Item kTrackNumber{0x4804, Md(0x02, 0x01, 0x04, 0x01, 0x03, 0x00)};
constexpr Item kSequenceRef{0x4803, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x02, 0x04)};
constexpr Item kEditRate{0x4B01, Md(0x02, 0x05, 0x30, 0x04, 0x05, 0x00)};
constexpr Item kOrigin{0x4B02, Md(0x02, 0x07, 0x02, 0x01, 0x03, 0x01, 0x03)};
constexpr Item kDataDefinition{0x0201, Md(0x02, 0x04, 0x07, 0x01, 0x00, 0x00)};
constexpr Item kDuration{0x0202, Md(0x02, 0x07, 0x02, 0x02, 0x01, 0x01, 0x03)};
constexpr Item kStructuralComponents{0x1001, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x06, 0x09)};
constexpr Item kStartTimecode{0x1501, Md(0x02, 0x07, 0x02, 0x01, 0x03, 0x01, 0x05)};
constexpr Item kRoundedTimecodeBase{0x1502, Md(0x02, 0x04, 0x04, 0x01, 0x01, 0x02, 0x06)};
constexpr Item kDropFrame{0x1503, Md(0x01, 0x04, 0x04, 0x01, 0x01, 0x05, 0x00)};
constexpr Item kStartPosition{0x1201, Md(0x02, 0x07, 0x02, 0x01, 0x03, 0x01, 0x04)};
constexpr Item kSourcePackageID{0x1101, Md(0x02, 0x06, 0x01, 0x01, 0x03, 0x01, 0x00)};
constexpr Item kSourceTrackID{0x1102, Md(0x02, 0x06, 0x01, 0x01, 0x03, 0x02, 0x00)};
constexpr Item kSubDescriptorUIDs{0x3F01, Md(0x04, 0x06, 0x01, 0x01, 0x04, 0x06, 0x0B)};
constexpr Item kLinkedTrackID{0x3006, Md(0x05, 0x06, 0x01, 0x01, 0x03, 0x05, 0x00)};
constexpr Item kSampleRate{0x3001, Md(0x01, 0x04, 0x06, 0x01, 0x01, 0x00)};
constexpr Item kContainerDuration{0x3002, Md(0x01, 0x04, 0x06, 0x01, 0x02, 0x00)};
constexpr Item kEssenceContainer{0x3004, Md(0x02, 0x06, 0x01, 0x01, 0x04, 0x01, 0x02)};
constexpr Item kFrameLayout{0x320C, Md(0x01, 0x04, 0x01, 0x03, 0x01, 0x04, 0x00)};
constexpr Item kStoredWidth{0x3203, Md(0x01, 0x04, 0x01, 0x05, 0x02, 0x02, 0x00)};
constexpr Item kStoredHeight{0x3202, Md(0x01, 0x04, 0x01, 0x05, 0x02, 0x01, 0x00)};
constexpr Item kDisplayWidth{0x3209, Md(0x01, 0x04, 0x01, 0x05, 0x01, 0x0C, 0x00)};
constexpr Item kDisplayHeight{0x3208, Md(0x01, 0x04, 0x01, 0x05, 0x01, 0x0B, 0x00)};
constexpr Item kAspectRatio{0x320E, Md(0x01, 0x04, 0x01, 0x01, 0x01, 0x01, 0x00)};
constexpr Item kVideoLineMap{0x320D, Md(0x02, 0x04, 0x01, 0x03, 0x02, 0x05, 0x00)};
constexpr Item kPictureEssenceCoding{0x3201, Md(0x02, 0x04, 0x01, 0x06, 0x01, 0x00, 0x00)};
constexpr Item kComponentDepth{0x3301, Md(0x02, 0x04, 0x01, 0x05, 0x03, 0x0A, 0x00)};
constexpr Item kHorizontalSubsampling{0x3302, Md(0x01, 0x04, 0x01, 0x05, 0x01, 0x05, 0x00)};
constexpr Item kVerticalSubsampling{0x3308, Md(0x02, 0x04, 0x01, 0x05, 0x01, 0x10, 0x00)};
constexpr Item kAudioSamplingRate{0x3D03, Md(0x05, 0x04, 0x02, 0x03, 0x01, 0x01, 0x01)};
constexpr Item kLocked{0x3D02, Md(0x04, 0x04, 0x02, 0x03, 0x01, 0x04, 0x00)};
constexpr Item kChannelCount{0x3D07, Md(0x05, 0x04, 0x02, 0x01, 0x01, 0x04, 0x00)};
constexpr Item kQuantizationBits{0x3D01, Md(0x04, 0x04, 0x02, 0x03, 0x03, 0x04, 0x00)};
constexpr Item kBlockAlign{0x3D0A, Md(0x05, 0x04, 0x02, 0x03, 0x02, 0x01, 0x00)};
constexpr Item kAvgBps{0x3D09, Md(0x05, 0x04, 0x02, 0x03, 0x03, 0x05, 0x00)};

// Items with dynamic tags.
constexpr UL kSubDescriptors = Md(0x09, 0x06, 0x01, 0x01, 0x04, 0x06, 0x10);
constexpr UL Mpeg(uint8_t b) { return Md(0x05, 0x04, 0x01, 0x06, 0x02, 0x01, b); }
constexpr UL kSingleSequence = Mpeg(0x02);
constexpr UL kConstantBFrames = Mpeg(0x03);
constexpr UL kCodedContentType = Mpeg(0x04);
constexpr UL kLowDelay = Mpeg(0x05);
constexpr UL kClosedGOP = Mpeg(0x06);
constexpr UL kIdenticalGOP = Mpeg(0x07);
constexpr UL kMaxGOP = Mpeg(0x08);
constexpr UL kMaxBPictureCount = Mpeg(0x09);
constexpr UL kProfileAndLevel = Mpeg(0x0A);
constexpr UL kBitRate = Mpeg(0x0B);
constexpr UL Avc(uint8_t b) { return Md(0x0E, 0x04, 0x01, 0x06, 0x06, 0x01, b); }
constexpr UL kAvcDecodingDelay = Avc(0x0E);
constexpr UL kAvcConstantBPictureFlag = Avc(0x03);
constexpr UL kAvcCodedContentKind = Avc(0x04);
constexpr UL kAvcClosedGOPIndicator = Avc(0x06);
constexpr UL kAvcIdenticalGOPIndicator = Avc(0x07);
constexpr UL kAvcMaximumGOPSize = Avc(0x08);
constexpr UL kAvcMaximumBPictureCount = Avc(0x09);
constexpr UL kAvcMaximumBitrate = Avc(0x0B);
constexpr UL kAvcProfile = Avc(0x0A);
constexpr UL kAvcLevel = Avc(0x0D);

// Fixed dynamic tags by MXF minor version (see header_metadata.h).
struct MpegTags {
  uint16_t codedContentType, lowDelay, closedGop, identicalGop, bitRate;
  uint16_t singleSequence, constantBFrames, maxGop, maxBPictures, profileAndLevel;
};
constexpr MpegTags kMpegTagsV2{0x8008, 0x800C, 0x800D, 0x800E, 0x800F, 0x8009, 0x800A, 0x800B, 0x8010, 0x8011};
constexpr MpegTags kMpegTagsV3{0x8002, 0x8006, 0x8007, 0x8009, 0x8008, 0x8003, 0x8004, 0x8005, 0x800A, 0x800B};
constexpr uint16_t kSubDescriptorsTag = 0x8100;

// Local tag numbering and the primer's record of it.
class TagTable {
 public:
  explicit TagTable(DynamicTags mode) : mode_(mode) {}

  uint16_t Static(const Item& item) { return Note(item.tag, item.ul); }

  uint16_t Dynamic(const UL& ul, uint16_t fixedTag) {
    auto it = dynamic_.find(ul);
    if (it != dynamic_.end()) return it->second;
    const uint16_t tag = mode_ == DynamicTags::Fixed ? fixedTag : next_--;
    dynamic_[ul] = tag;
    return Note(tag, ul);
  }

  const std::vector<std::pair<uint16_t, UL>>& entries() const { return entries_; }

 private:
  uint16_t Note(uint16_t tag, const UL& ul) {
    if (seen_.insert({tag, ul}).second) entries_.push_back({tag, ul});
    return tag;
  }

  DynamicTags mode_;
  uint16_t next_ = 0xFFFF;
  std::map<UL, uint16_t> dynamic_;
  std::map<uint16_t, UL> seen_;
  std::vector<std::pair<uint16_t, UL>> entries_;
};

// Instance UIDs are deterministic: a fixed base and a running number.
UL Uid(uint32_t n) {
  UL u = {0x7E, 0x1D, 0x0A, 0x6C, 0x4D, 0x3B, 0x4F, 0x21, 0x8A, 0x55, 0x90, 0x00, 0, 0, 0, 0};
  u[12] = static_cast<uint8_t>(n >> 24);
  u[13] = static_cast<uint8_t>(n >> 16);
  u[14] = static_cast<uint8_t>(n >> 8);
  u[15] = static_cast<uint8_t>(n);
  return u;
}

using Umid = std::array<uint8_t, 32>;

Umid PackageUmid(uint8_t which) {
  Umid m = {0x06, 0x0A, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x05, 0x01, 0x01, 0x0D, 0x20, 0x13, 0x00, 0x00, 0x00,
            0x56, 0x45, 0x4C, 0x4D, 0x4F, 0x52, 0x41, 0x2D, 0x4D, 0x58, 0x46, 0x47, 0x45, 0x4E, 0x00, which};
  return m;
}

Bytes Timestamp(const Options& o) {
  Bytes b;
  PutU16(b, o.year);
  PutU8(b, o.month);
  PutU8(b, o.day);
  PutU8(b, o.hour);
  PutU8(b, o.minute);
  PutU8(b, o.second);
  PutU8(b, 0);
  return b;
}

struct TrackDef {
  uint32_t id = 0;
  uint32_t number = 0;
  UL dataDef{};
  bool timecode = false;
};

class Builder {
 public:
  Builder(const Options& o, const Resolved& r) : o_(o), r_(r), tags_(o.dynamicTags) {}

  HeaderMetadata Build();

 private:
  uint16_t S(const Item& i) { return tags_.Static(i); }
  uint16_t D(const UL& ul, uint16_t fixedTag) { return tags_.Dynamic(ul, fixedTag); }
  UL NewUid() { return Uid(++uidCounter_); }
  void Emit(const UL& key, const LocalSet& set) { PutKlv(sets_, key, set.body()); }

  void Preface(const UL& self, const UL& ident, const UL& storage);
  void Identification(const UL& self);
  void Package(bool material, const UL& self, const std::vector<TrackDef>& tracks, const UL* descriptor);
  void Descriptors(const UL& multiple, const UL& picture, const std::vector<UL>& sound, const UL& anc);
  void PictureDescriptor(const UL& self);
  void SoundDescriptor(const UL& self, uint32_t trackId);
  void FileDescriptorItems(LocalSet& s, const UL& self, uint32_t trackId, const UL& container);

  const Options& o_;
  const Resolved& r_;
  TagTable tags_;
  Bytes sets_;
  uint32_t uidCounter_ = 0;
};

void Builder::Preface(const UL& self, const UL& ident, const UL& storage) {
  LocalSet s;
  s.Ul(S(kInstanceUID), self);
  s.Raw(S(kLastModifiedDate), Timestamp(o_));
  s.U16(S(kVersion), static_cast<uint16_t>((o_.versionMajor << 8) | o_.versionMinor));
  s.U32(S(kObjectModelVersion), 1);
  std::vector<UL> idents;
  if (!o_.omit.identification) idents.push_back(ident);
  s.Batch(S(kIdentifications), idents);
  s.Ul(S(kContentStorageRef), storage);
  UL op = labels::kOp1a;
  op[14] = o_.opQualifier;
  s.Ul(S(kOperationalPattern), op);
  s.Batch(S(kEssenceContainers), EssenceContainerBatch(o_, r_));
  s.Batch(S(kDMSchemes), {});
  if (!o_.omit.preface) Emit(labels::kPreface, s);
}

void Builder::Identification(const UL& self) {
  LocalSet s;
  s.Ul(S(kInstanceUID), self);
  s.Ul(S(kThisGenerationUID), Uid(0xFFFF0001));
  s.Raw(S(kCompanyName), Utf16BE(o_.company));
  s.Raw(S(kProductName), Utf16BE(o_.product));
  Bytes version;
  for (uint16_t v : {1, 0, 0, 0, 0}) PutU16(version, v);
  s.Raw(S(kProductVersion), version);
  s.Raw(S(kVersionString), Utf16BE(o_.versionString));
  s.Ul(S(kProductUID), Uid(0xFFFF0002));
  s.Raw(S(kModificationDate), Timestamp(o_));
  s.Raw(S(kPlatform), Utf16BE(o_.platform));
  if (!o_.omit.identification) Emit(labels::kIdentification, s);
}

void Builder::Package(bool material, const UL& self, const std::vector<TrackDef>& tracks, const UL* descriptor) {
  const Umid mp = PackageUmid(1), fp = PackageUmid(2);
  const uint64_t frames = static_cast<uint64_t>(o_.frames);

  struct Planned {
    TrackDef def;
    UL track, sequence, component;
  };
  std::vector<Planned> planned;
  for (const TrackDef& t : tracks) planned.push_back({t, NewUid(), NewUid(), NewUid()});

  LocalSet p;
  p.Ul(S(kInstanceUID), self);
  p.Raw(S(kPackageUID), (material ? mp : fp).data(), 32);
  p.Raw(S(kPackageCreationDate), Timestamp(o_));
  p.Raw(S(kPackageModifiedDate), Timestamp(o_));
  std::vector<UL> refs;
  if (!o_.omit.timelineTracks)
    for (const Planned& t : planned) refs.push_back(t.track);
  p.Batch(S(kTracks), refs);
  if (descriptor) p.Ul(S(kDescriptorRef), *descriptor);
  const bool present = material || !o_.omit.filePackage;
  if (!present) return;
  Emit(material ? labels::kMaterialPackage : labels::kSourcePackage, p);

  for (const Planned& t : planned) {
    LocalSet tr;
    tr.Ul(S(kInstanceUID), t.track);
    tr.U32(S(kTrackID), t.def.id);
    tr.U32(S(kTrackNumber), t.def.number);
    tr.Rational(S(kEditRate), r_.editNum, r_.editDen);
    tr.U64(S(kOrigin), 0);
    tr.Ul(S(kSequenceRef), t.sequence);
    if (!o_.omit.timelineTracks) Emit(labels::kTrack, tr);

    LocalSet seq;
    seq.Ul(S(kInstanceUID), t.sequence);
    seq.Ul(S(kDataDefinition), t.def.dataDef);
    seq.U64(S(kDuration), frames);
    seq.Batch(S(kStructuralComponents), {t.component});
    Emit(labels::kSequence, seq);

    LocalSet c;
    c.Ul(S(kInstanceUID), t.component);
    c.Ul(S(kDataDefinition), t.def.dataDef);
    if (t.def.timecode) {
      c.U64(S(kDuration), o_.unknownDuration ? ~uint64_t{0} : frames);
      c.U64(S(kStartTimecode), static_cast<uint64_t>(r_.startFrame));
      c.U16(S(kRoundedTimecodeBase), static_cast<uint16_t>(r_.tcBase));
      c.U8(S(kDropFrame), o_.dropFrame ? 1 : 0);
      Emit(labels::kTimecodeComponent, c);
    } else {
      c.U64(S(kDuration), frames);
      c.U64(S(kStartPosition), 0);
      if (material) {
        c.Raw(S(kSourcePackageID), fp.data(), 32);
        c.U32(S(kSourceTrackID), t.def.id);
      } else {
        const Umid none{};
        c.Raw(S(kSourcePackageID), none.data(), 32);
        c.U32(S(kSourceTrackID), 0);
      }
      Emit(labels::kSourceClip, c);
    }
  }
}

void Builder::FileDescriptorItems(LocalSet& s, const UL& self, uint32_t trackId, const UL& container) {
  s.Ul(S(kInstanceUID), self);
  if (trackId) s.U32(S(kLinkedTrackID), trackId);
  s.Rational(S(kSampleRate), r_.editNum, r_.editDen);
  s.U64(S(kContainerDuration), static_cast<uint64_t>(o_.frames));
  s.Ul(S(kEssenceContainer), container);
}

void Builder::PictureDescriptor(const UL& self) {
  const bool interlaced = r_.codedContentType == 2;
  const uint32_t storedHeight = interlaced ? r_.height / 2 : r_.height;
  LocalSet s;
  FileDescriptorItems(s, self, 2, r_.pictureContainer);
  s.U8(S(kFrameLayout), interlaced ? 1 : 0);
  s.U32(S(kStoredWidth), r_.width);
  s.U32(S(kStoredHeight), storedHeight);
  s.U32(S(kDisplayWidth), r_.width);
  s.U32(S(kDisplayHeight), storedHeight);
  s.Rational(S(kAspectRatio), 16, 9);
  Bytes lineMap;
  PutU32(lineMap, 2);
  PutU32(lineMap, 4);
  PutU32(lineMap, interlaced ? 21 : 42);
  PutU32(lineMap, interlaced ? 584 : 0);
  s.Raw(S(kVideoLineMap), lineMap);
  s.Ul(S(kPictureEssenceCoding), r_.codingLabel);
  s.U32(S(kComponentDepth), r_.avc ? 10 : 8);
  s.U32(S(kHorizontalSubsampling), 2);
  s.U32(S(kVerticalSubsampling), 1);

  if (!r_.avc) {
    const MpegTags& t = o_.versionMinor == 2 ? kMpegTagsV2 : kMpegTagsV3;
    const bool longGop = o_.codecRow <= 1;
    uint8_t profileLevel = 0x44;                      // Main profile, High level
    if (o_.codecRow == 1 || o_.codecRow == 3) profileLevel = 0x82;  // 4:2:2 profile, High level
    if (o_.codecRow == 4) profileLevel = 0x46;        // Main profile, High-1440 level
    s.U8(D(kSingleSequence, t.singleSequence), 1);
    s.U8(D(kConstantBFrames, t.constantBFrames), longGop ? 1 : 0);
    s.U8(D(kCodedContentType, t.codedContentType), static_cast<uint8_t>(r_.codedContentType));
    s.U8(D(kLowDelay, t.lowDelay), 0);
    s.U8(D(kClosedGOP, t.closedGop), 1);
    s.U8(D(kIdenticalGOP, t.identicalGop), 1);
    s.U16(D(kMaxGOP, t.maxGop), longGop ? 15 : 1);
    s.U16(D(kMaxBPictureCount, t.maxBPictures), longGop ? 2 : 0);
    s.U32(D(kBitRate, t.bitRate), r_.bitRate);
    s.U8(D(kProfileAndLevel, t.profileAndLevel), profileLevel);
    if (!o_.omit.pictureDescriptor) Emit(labels::kMpegVideoDescriptor, s);
    return;
  }

  const UL sub = NewUid();
  if (!o_.omit.avcSubDescriptor) s.Batch(D(kSubDescriptors, kSubDescriptorsTag), {sub});
  if (!o_.omit.pictureDescriptor) Emit(labels::kCdciDescriptor, s);

  const bool intra = o_.codecRow == 5;
  LocalSet a;
  a.Ul(S(kInstanceUID), sub);
  a.U8(D(kAvcDecodingDelay, 0x8006), intra ? 0 : 0xFF);
  a.U8(D(kAvcConstantBPictureFlag, 0x8007), 0);
  a.U8(D(kAvcCodedContentKind, 0x8008), 1);
  a.U8(D(kAvcClosedGOPIndicator, 0x8009), 1);
  a.U8(D(kAvcIdenticalGOPIndicator, 0x800A), 1);
  a.U16(D(kAvcMaximumGOPSize, 0x800B), intra ? 1 : 30);
  a.U16(D(kAvcMaximumBPictureCount, 0x800C), intra ? 0 : 2);
  a.U32(D(kAvcMaximumBitrate, 0x800D), r_.bitRate);
  a.U8(D(kAvcProfile, 0x800E), 122);
  a.U8(D(kAvcLevel, 0x800F), 51);
  if (!o_.omit.avcSubDescriptor) Emit(labels::kAvcSubDescriptor, a);
}

void Builder::SoundDescriptor(const UL& self, uint32_t trackId) {
  LocalSet s;
  FileDescriptorItems(s, self, trackId, r_.soundContainer);
  s.Rational(S(kAudioSamplingRate), o_.audioSamplingRate, 1);
  s.U8(S(kLocked), 1);
  s.U32(S(kChannelCount), 1);
  s.U32(S(kQuantizationBits), static_cast<uint32_t>(r_.descriptorBits));
  s.U16(S(kBlockAlign), static_cast<uint16_t>(r_.bytesPerSample));
  s.U32(S(kAvgBps), o_.audioSamplingRate * static_cast<uint32_t>(r_.bytesPerSample));
  if (!o_.omit.audioDescriptors)
    Emit(o_.audio == AudioWrapping::Aes3 ? labels::kAes3Descriptor : labels::kWaveDescriptor, s);
}

void Builder::Descriptors(const UL& multiple, const UL& picture, const std::vector<UL>& sound, const UL& anc) {
  const int essenceTracks = 1 + o_.tracks + (o_.ancillary ? 1 : 0);
  if (essenceTracks > 1) {
    LocalSet m;
    FileDescriptorItems(m, multiple, 0, labels::kMultipleWrappings);
    std::vector<UL> subs{picture};
    subs.insert(subs.end(), sound.begin(), sound.end());
    if (o_.ancillary) subs.push_back(anc);
    m.Batch(S(kSubDescriptorUIDs), subs);
    Emit(labels::kMultipleDescriptor, m);
  }
  PictureDescriptor(picture);
  for (int t = 0; t < o_.tracks; ++t) SoundDescriptor(sound[static_cast<size_t>(t)], static_cast<uint32_t>(3 + t));
  if (o_.ancillary) {
    LocalSet a;
    FileDescriptorItems(a, anc, static_cast<uint32_t>(3 + o_.tracks), labels::kAncContainer);
    Emit(labels::kAncDataDescriptor, a);
  }
}

HeaderMetadata Builder::Build() {
  const UL preface = NewUid(), ident = NewUid(), storage = NewUid(), ecd = NewUid();
  const UL material = NewUid(), file = NewUid();
  const UL multiple = NewUid(), picture = NewUid();
  std::vector<UL> sound;
  for (int t = 0; t < o_.tracks; ++t) sound.push_back(NewUid());
  const UL anc = NewUid();

  Preface(preface, ident, storage);
  Identification(ident);

  LocalSet cs;
  cs.Ul(S(kInstanceUID), storage);
  std::vector<UL> packages{material};
  if (!o_.omit.filePackage) packages.push_back(file);
  cs.Batch(S(kPackages), packages);
  cs.Batch(S(kEssenceContainerDataRefs), {ecd});
  Emit(labels::kContentStorage, cs);

  LocalSet ec;
  ec.Ul(S(kInstanceUID), ecd);
  const Umid fp = PackageUmid(2);
  ec.Raw(S(kLinkedPackageUID), fp.data(), 32);
  ec.U32(S(kIndexSID), o_.omit.index ? 0 : 1);
  ec.U32(S(kBodySID), 1);
  Emit(labels::kEssenceContainerData, ec);

  std::vector<TrackDef> essence;
  essence.push_back({2, labels::kPictureTrackNumber, labels::kDataDefPicture, false});
  const uint8_t elementType = o_.audio == AudioWrapping::Aes3 ? labels::kAes3ElementType : labels::kBwfElementType;
  for (int t = 0; t < o_.tracks; ++t) {
    const uint32_t number = (0x16u << 24) | (static_cast<uint32_t>(o_.tracks) << 16) |
                            (uint32_t{elementType} << 8) | static_cast<uint32_t>(t + 1);
    essence.push_back({static_cast<uint32_t>(3 + t), number, labels::kDataDefSound, false});
  }
  if (o_.ancillary)
    essence.push_back({static_cast<uint32_t>(3 + o_.tracks), labels::kAncTrackNumber, labels::kDataDefData, false});

  std::vector<TrackDef> materialTracks;
  if (!o_.omit.timecodeComponent) materialTracks.push_back({1, 0, labels::kDataDefTimecode, true});
  for (TrackDef t : essence) {
    t.number = 0;
    materialTracks.push_back(t);
  }
  Package(true, material, materialTracks, nullptr);
  const int essenceTracks = 1 + o_.tracks + (o_.ancillary ? 1 : 0);
  Package(false, file, essence, essenceTracks > 1 ? &multiple : &picture);
  Descriptors(multiple, picture, sound, anc);

  // The primer must declare every tag used, so it is built last and placed first.
  HeaderMetadata hm;
  hm.primer = tags_.entries();
  Bytes primer;
  PutU32(primer, static_cast<uint32_t>(hm.primer.size()));
  PutU32(primer, 18);
  for (const auto& [tag, ul] : hm.primer) {
    PutU16(primer, tag);
    PutUL(primer, ul);
  }
  PutKlv(hm.bytes, labels::kPrimerPack, primer);
  hm.bytes.insert(hm.bytes.end(), sets_.begin(), sets_.end());
  return hm;
}

}  // namespace

std::vector<UL> EssenceContainerBatch(const Options& opt, const Resolved& res) {
  std::vector<UL> batch{res.pictureContainer};
  if (opt.tracks > 0) batch.push_back(res.soundContainer);
  if (opt.ancillary) batch.push_back(labels::kAncContainer);
  return batch;
}

HeaderMetadata BuildHeaderMetadata(const Options& opt, const Resolved& res) {
  Builder b(opt, res);
  return b.Build();
}

}  // namespace mxfgen
