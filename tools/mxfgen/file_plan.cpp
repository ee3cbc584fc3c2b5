#include "tools/mxfgen/file_plan.h"

#include <algorithm>

#include "tools/mxfgen/essence_writer.h"
#include "tools/mxfgen/klv_writer.h"
#include "tools/mxfgen/labels.h"

namespace mxfgen {
namespace {

uint32_t RoundUp(uint32_t v, uint32_t kag) { return kag <= 1 ? v : (v + kag - 1) / kag * kag; }

// Element of `size` bytes plus the fill that brings it to a KAG boundary.
uint32_t Slot(uint32_t size, uint32_t kag) { return size + FillToKag(size, kag); }

uint8_t StatusOf(const Options& opt, size_t index, int kind) {
  if (index < opt.statusByPartition.size() && opt.statusByPartition[index] != 0) return opt.statusByPartition[index];
  return kind == 0 ? opt.headerStatus : kind == 1 ? opt.bodyStatus : opt.footerStatus;
}

void Split(std::vector<PlannedSegment>& out, int64_t first, int64_t count, uint32_t cap) {
  while (count > 0) {
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, cap));
    out.push_back({first, n});
    first += n;
    count -= n;
  }
}

}  // namespace

bool MakePlan(const Options& opt, Plan* plan, std::string* error) {
  Plan& p = *plan;
  if (!Resolve(opt, &p.res, error)) return false;
  const Resolved& r = p.res;
  const uint32_t kag = opt.kag;
  const size_t frames = static_cast<size_t>(opt.frames);

  // Element sizes.
  p.systemSlot = Slot(kKlvHeader + kSystemItemValue, kag);
  p.pictureValue.resize(frames);
  p.pictureSlot.resize(frames);
  p.samples.resize(frames);
  p.firstSample.resize(frames);
  uint64_t sample = 0;
  p.maxSoundValue = 0;
  for (size_t f = 0; f < frames; ++f) {
    p.pictureValue[f] = opt.pictureSizes.empty() ? opt.pictureBytes : opt.pictureSizes[f % opt.pictureSizes.size()];
    p.pictureSlot[f] = Slot(kKlvHeader + p.pictureValue[f], kag);
    p.samples[f] = SamplesInFrame(opt, static_cast<int64_t>(f));
    p.firstSample[f] = sample;
    sample += p.samples[f];
    p.maxSoundValue = std::max(p.maxSoundValue, p.samples[f] * static_cast<uint32_t>(r.bytesPerSample));
  }
  p.soundSlot = RoundUp(kKlvHeader + p.maxSoundValue + kMinFill, kag);
  p.ancSlot = opt.ancillary ? Slot(kKlvHeader + opt.ancBytes, kag) : 0;
  const uint64_t constantPart = uint64_t{p.soundSlot} * static_cast<uint64_t>(opt.tracks) + p.ancSlot;

  // Delta entries: system item, picture (slice 0), sound elements and the
  // ancillary element (slice 1), then any extra entries asked for.
  IndexParams& ix = p.index;
  ix.editNum = r.editNum;
  ix.editDen = r.editDen;
  ix.deltas = {0, p.systemSlot};
  ix.deltaSlices = {0, 0};
  for (int t = 0; t < opt.tracks; ++t) {
    ix.deltas.push_back(p.soundSlot * static_cast<uint32_t>(t));
    ix.deltaSlices.push_back(1);
  }
  if (opt.ancillary) {
    ix.deltas.push_back(p.soundSlot * static_cast<uint32_t>(opt.tracks));
    ix.deltaSlices.push_back(1);
  }
  for (int e = 0; e < opt.extraDeltaEntries; ++e) {
    ix.deltas.push_back(static_cast<uint32_t>(constantPart) + static_cast<uint32_t>(e) * 16);
    ix.deltaSlices.push_back(1);
  }
  ix.sliceCount = ix.deltas.size() > 2 ? 1 : 0;

  p.streamOffset.resize(frames);
  p.sliceOffset.resize(frames);
  uint64_t stream = 0;
  for (size_t f = 0; f < frames; ++f) {
    p.streamOffset[f] = stream;
    p.sliceOffset[f] = p.systemSlot + p.pictureSlot[f];
    stream += p.sliceOffset[f] + constantPart;
  }

  p.header = BuildHeaderMetadata(opt, r);
  const std::vector<UL> batch = EssenceContainerBatch(opt, r);
  UL op = labels::kOp1a;
  op[14] = opt.opQualifier;
  const uint32_t cap =
      opt.maxSegmentEntries ? std::min(opt.maxSegmentEntries, kMaxEntriesPerSegment) : kMaxEntriesPerSegment;
  const bool footerIndex = opt.indexLayout == IndexLayout::Footer || opt.indexLayout == IndexLayout::FooterSplit ||
                           opt.indexLayout == IndexLayout::Repeated;
  const bool indexBefore = opt.indexLayout == IndexLayout::BodyBefore || opt.indexLayout == IndexLayout::Repeated;
  const bool withIndex = !opt.omit.index;

  // Partitions in file order.
  auto add = [&](int kind) -> PlannedPartition& {
    PlannedPartition part;
    part.pack.kind = kind;
    part.pack.majorVersion = static_cast<uint16_t>(opt.partitionMajor >= 0 ? opt.partitionMajor : opt.versionMajor);
    part.pack.minorVersion = static_cast<uint16_t>(opt.partitionMinor >= 0 ? opt.partitionMinor : opt.versionMinor);
    part.pack.kag = kag;
    part.pack.operationalPattern = op;
    part.pack.essenceContainers = batch;
    part.pack.status = StatusOf(opt, p.partitions.size(), kind);
    p.partitions.push_back(part);
    return p.partitions.back();
  };
  add(0).holdsHeaderMetadata = true;
  // With essence in the header partition, it takes the first share of the
  // frames as one more essence partition.
  const int chunks = opt.essencePartitions + (opt.essenceInHeader ? 1 : 0);
  for (int k = 0; k < chunks; ++k) {
    const int64_t first = opt.frames * k / chunks;
    const int64_t count = opt.frames * (k + 1) / chunks - first;
    PlannedPartition& body = opt.essenceInHeader && k == 0 ? p.partitions.front() : add(1);
    body.pack.bodySid = 1;
    body.pack.bodyOffset = p.streamOffset[static_cast<size_t>(first)];
    body.firstFrame = first;
    body.frameCount = count;
    if (withIndex && indexBefore) {
      body.pack.indexSid = 1;
      Split(body.segments, first, count, cap);
    }
    if (withIndex && opt.indexLayout == IndexLayout::BodyAfter) {
      PlannedPartition& index = add(1);
      index.pack.indexSid = 1;
      Split(index.segments, first, count, cap);
    }
  }
  PlannedPartition& footer = add(2);
  if (withIndex && footerIndex) {
    footer.pack.indexSid = 1;
    Split(footer.segments, 0, opt.frames, cap);
  }

  // Sizes, then offsets.
  uint64_t offset = 0;
  const uint32_t packSize = PartitionPackSize(batch.size());
  for (PlannedPartition& part : p.partitions) {
    part.pack.thisPartition = offset;
    part.packFill = FillToKag(packSize, kag);
    if (part.holdsHeaderMetadata) {
      const uint32_t hm = static_cast<uint32_t>(p.header.bytes.size());
      if (opt.headerReserve) {
        part.headerFill = std::max(opt.headerReserve, kMinFill);
        if (kag > 1) part.headerFill += (kag - (hm + part.headerFill) % kag) % kag;
      } else {
        part.headerFill = FillToKag(hm, kag);
      }
      part.pack.headerByteCount = hm + part.headerFill;
    }
    part.indexBytes = 0;
    for (const PlannedSegment& s : part.segments) part.indexBytes += IndexSegmentSize(ix, s.count);
    part.indexFill = part.indexBytes ? FillToKag(part.indexBytes, kag) : 0;
    part.pack.indexByteCount = part.indexBytes + part.indexFill;
    part.essenceBytes = 0;
    if (part.frameCount) {
      const size_t last = static_cast<size_t>(part.firstFrame + part.frameCount - 1);
      part.essenceBytes = p.streamOffset[last] + p.sliceOffset[last] + constantPart -
                          p.streamOffset[static_cast<size_t>(part.firstFrame)];
    }
    offset += packSize + part.packFill + part.pack.headerByteCount + part.pack.indexByteCount + part.essenceBytes;
  }
  const uint64_t footerOffset = p.partitions.back().pack.thisPartition;
  for (size_t i = 0; i < p.partitions.size(); ++i) {
    p.partitions[i].pack.previousPartition = i ? p.partitions[i - 1].pack.thisPartition : 0;
    p.partitions[i].pack.footerPartition = footerOffset;
  }

  p.rip.clear();
  for (const PlannedPartition& part : p.partitions) {
    if (part.pack.kind == 2 && opt.omit.ripFooterEntry) continue;
    p.rip.push_back({part.pack.bodySid, part.pack.thisPartition});
  }
  p.ripOffset = opt.omit.rip ? 0 : offset;
  p.fileSize = offset + (opt.omit.rip ? 0 : kKlvHeader + 12 * p.rip.size() + 4);
  return true;
}

void DescribePlan(const Options& opt, const Plan& p, Layout* out) {
  Layout& l = *out;
  l = Layout{};
  l.fileSize = p.fileSize;
  l.ripOffset = p.ripOffset;
  l.tracks = opt.tracks;
  l.systemItemSize = p.systemSlot;
  l.soundElementSize = p.soundSlot;
  l.ancElementSize = p.ancSlot;
  l.elementDeltas = p.index.deltas;
  l.deltaSlices = p.index.deltaSlices;
  l.primer = p.header.primer;
  l.frames.resize(static_cast<size_t>(opt.frames));
  l.sound.resize(static_cast<size_t>(opt.frames) * static_cast<size_t>(opt.tracks));

  const uint32_t packSize = PartitionPackSize(p.partitions.front().pack.essenceContainers.size());
  for (size_t i = 0; i < p.partitions.size(); ++i) {
    const PlannedPartition& part = p.partitions[i];
    PartitionLayout pl;
    pl.offset = part.pack.thisPartition;
    pl.kind = part.pack.kind;
    pl.status = part.pack.status;
    pl.packLength = packSize - kKlvHeader;
    pl.contentOffset = pl.offset + packSize + part.packFill;
    pl.headerByteCount = part.pack.headerByteCount;
    pl.indexByteCount = part.pack.indexByteCount;
    pl.indexSid = part.pack.indexSid;
    pl.bodySid = part.pack.bodySid;
    pl.bodyOffset = part.pack.bodyOffset;
    pl.essenceOffset = pl.contentOffset + pl.headerByteCount + pl.indexByteCount;
    pl.essenceBytes = part.essenceBytes;
    pl.firstFrame = part.firstFrame;
    pl.frameCount = part.frameCount;
    if (part.holdsHeaderMetadata) l.headerMetadataOffset = pl.contentOffset;
    uint64_t segmentOffset = pl.contentOffset + pl.headerByteCount;
    for (const PlannedSegment& s : part.segments) {
      l.segments.push_back({segmentOffset, static_cast<int>(i), s.start, s.count});
      segmentOffset += IndexSegmentSize(p.index, s.count);
    }
    l.partitions.push_back(pl);

    for (int64_t k = 0; k < part.frameCount; ++k) {
      const size_t f = static_cast<size_t>(part.firstFrame + k);
      FrameLayout& fl = l.frames[f];
      fl.partition = static_cast<int>(i);
      fl.streamOffset = p.streamOffset[f];
      fl.sliceOffset = p.sliceOffset[f];
      fl.packageOffset = pl.essenceOffset + (p.streamOffset[f] - part.pack.bodyOffset);
      fl.packageSize = p.sliceOffset[f] + uint64_t{p.soundSlot} * static_cast<uint64_t>(opt.tracks) + p.ancSlot;
      fl.pictureKeyOffset = fl.packageOffset + p.systemSlot;
      fl.pictureValueOffset = fl.pictureKeyOffset + kKlvHeader;
      fl.pictureValueSize = p.pictureValue[f];
      fl.samples = p.samples[f];
      const FrameTimecode tc = TimecodeForFrame(opt, p.res, static_cast<int64_t>(f));
      fl.timecodeWord = tc.word;
      fl.timecodeFrames = tc.frames;
      const uint64_t slice = fl.packageOffset + fl.sliceOffset;
      const uint32_t value = p.samples[f] * static_cast<uint32_t>(p.res.bytesPerSample);
      for (int t = 0; t < opt.tracks; ++t) {
        SoundElementLayout& s = l.sound[f * static_cast<size_t>(opt.tracks) + static_cast<size_t>(t)];
        s.keyOffset = slice + uint64_t{p.soundSlot} * static_cast<uint64_t>(t);
        s.valueOffset = s.keyOffset + kKlvHeader;
        s.valueSize = value;
        s.samples = p.samples[f];
        s.firstSample = p.firstSample[f];
        s.fillOffset = s.valueOffset + value;
        s.fillSize = p.soundSlot - kKlvHeader - value;
      }
      if (opt.ancillary) {
        fl.ancKeyOffset = slice + uint64_t{p.soundSlot} * static_cast<uint64_t>(opt.tracks);
        fl.ancValueOffset = fl.ancKeyOffset + kKlvHeader;
        fl.ancValueSize = opt.ancBytes;
      }
    }
  }
}

}  // namespace mxfgen
