// The header metadata of a generated file: primer pack, preface,
// identification, content storage, essence container data, material and
// file packages with their tracks, sequences and components, descriptors.
//
// Set order (the first timecode component and the first Track in file order
// belong to the material package's timecode track, at the picture edit rate):
//   primer, preface, identification, content storage, essence container data,
//   material package, its tracks (timecode, picture, sound..., ancillary) each
//   followed by its sequence and component, file package, its tracks, then the
//   descriptors: multiple descriptor (more than one essence track), picture
//   descriptor (MPEG-2 video, or CDCI followed by its AVC sub-descriptor),
//   one AES3 or Wave descriptor per audio track, the ANC data descriptor.
//
// Dynamic local tags (always declared in the primer pack with their ULs):
//   DynamicTags::Fixed, MXF 1.2 files (minor version 2):
//     MPEG-2: CodedContentType 8008, LowDelay 800C, ClosedGOP 800D,
//             IdenticalGOP 800E, BitRate 800F, SingleSequence 8009,
//             ConstantBFrames 800A, MaxGOP 800B, MaxBPictureCount 8010,
//             ProfileAndLevel 8011
//   DynamicTags::Fixed, every other minor version:
//     MPEG-2: CodedContentType 8002, LowDelay 8006, ClosedGOP 8007,
//             IdenticalGOP 8009, BitRate 8008, SingleSequence 8003,
//             ConstantBFrames 8004, MaxGOP 8005, MaxBPictureCount 800A,
//             ProfileAndLevel 800B
//   AVC sub-descriptor (any version): DecodingDelay 8006, ConstantBPictureFlag
//     8007, CodedContentKind 8008, ClosedGOPIndicator 8009,
//     IdenticalGOPIndicator 800A, MaximumGOPSize 800B, MaximumBPictureCount
//     800C, MaximumBitrate 800D, Profile 800E, Level 800F; the CDCI
//     descriptor's SubDescriptors item 8100.
//   DynamicTags::Downward: FFFF, FFFE, ... in the order the items are written.
#pragma once

#include <utility>
#include <vector>

#include "tools/mxfgen/options.h"

namespace mxfgen {

struct HeaderMetadata {
  Bytes bytes;  // primer pack and all sets, no trailing fill
  std::vector<std::pair<uint16_t, UL>> primer;
};

HeaderMetadata BuildHeaderMetadata(const Options& opt, const Resolved& res);

// The essence container labels of the preface and the partition packs:
// picture, sound (with audio tracks), ancillary data (when on).
std::vector<UL> EssenceContainerBatch(const Options& opt, const Resolved& res);

}  // namespace mxfgen
