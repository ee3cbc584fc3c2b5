// What mxfgen writes: every parameter of a generated file, with defaults that
// give a valid OP1a frame-wrapped file of the kind Velmora reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/mxfgen/bytes.h"

namespace mxfgen {

// Where the index table segments go.
enum class IndexLayout {
  Footer,       // complete index in the footer (split only where one segment cannot hold it)
  FooterSplit,  // complete index in the footer, segments of at most maxSegmentEntries
  BodyBefore,   // each essence partition carries its own segment ahead of its essence
  BodyAfter,    // after each essence partition an index-only body partition with its segment
  Repeated,     // each essence partition's own segment ahead of its essence, and again all in the footer
};

enum class AudioWrapping { Aes3, Bwf };

// Dynamic local tags of the picture descriptors.
enum class DynamicTags {
  Fixed,     // the per-version table (MXF 1.2 / 1.3 numbering), see header_metadata.h
  Downward,  // allocated downward from 0xFFFF in order of first use
};

enum class TimecodeFaultKind {
  Jump,     // from the frame on, one label is skipped
  Back,     // from the frame on, the labels restart one label below the previous frame's
  Still,    // from the frame on, the previous frame's label repeats
  Invalid,  // this frame alone carries minutes 60
};

struct TimecodeFault {
  int64_t frame = 0;
  TimecodeFaultKind kind = TimecodeFaultKind::Jump;
};

// Partition pack status byte (byte 14 of the pack key).
enum PartitionStatus : uint8_t {
  kOpenIncomplete = 1,
  kClosedIncomplete = 2,
  kOpenComplete = 3,
  kClosedComplete = 4,
};

// Sets left out of the file on purpose.
struct Omissions {
  bool preface = false;
  bool identification = false;
  bool timecodeComponent = false;  // no timecode track in the material package
  bool timelineTracks = false;     // no Track set at all (packages keep empty track lists)
  bool filePackage = false;
  bool audioDescriptors = false;
  bool pictureDescriptor = false;
  bool avcSubDescriptor = false;
  bool index = false;              // no index table segment anywhere
  bool rip = false;                // no random index pack at the end
  bool ripFooterEntry = false;     // the random index pack does not list the footer
};

struct Options {
  // Frame rate class 0..7: 24, 25, 30, 60, 23.98, 25000/1001, 29.97, 59.94.
  int frameRateClass = 6;
  // Edit rate written in the tracks and descriptors; 0/0 takes the class's
  // rate (24000/1000 ... 60000/1001). Integer ratios such as 25/1 are allowed.
  uint32_t editRateNum = 0;
  uint32_t editRateDen = 0;
  bool dropFrame = false;
  int timecodeBase = 0;     // RoundedTimecodeBase; 0 takes 24/25/30/60 from the class
  int64_t startFrame = 0;   // start timecode as an actual frame count at timecodeBase
  std::string startTimecode;  // "HH:MM:SS:FF" (';' for drop-frame); when set, replaces startFrame
  int64_t frames = 100;

  int tracks = 8;           // audio tracks 0..26
  int bits = 24;            // 16 or 24 (bytes per sample 2 or 3)
  AudioWrapping audio = AudioWrapping::Aes3;

  int versionMajor = 1;     // preface Version and partition pack versions
  int versionMinor = 2;
  int partitionMajor = -1;  // partition pack versions when they must differ (-1: as above)
  int partitionMinor = -1;

  // Video: codec table row 0..6 (0-4 MPEG-2 descriptor, 5-6 CDCI + AVC
  // sub-descriptor); 7 writes an MPEG-2 descriptor with a coding label that
  // is in no table. 0 for width, height, content type or bit rate takes the
  // row's default.
  int codecRow = 0;
  uint32_t width = 0;
  uint32_t height = 0;            // frame height; an interlaced picture stores half
  int codedContentType = 0;       // 1 progressive, 2 interlaced
  uint32_t bitRate = 0;
  uint32_t pictureBytes = 4096;   // picture element value size
  std::vector<uint32_t> pictureSizes;  // when not empty: per-frame sizes, cycled
  bool sparsePicture = false;     // seek over picture values instead of writing zeros

  uint32_t kag = 512;             // 512 or 1
  IndexLayout indexLayout = IndexLayout::Footer;
  int essencePartitions = 1;      // body partitions that hold essence
  bool essenceInHeader = false;   // the header partition holds the first frames too
  uint32_t maxSegmentEntries = 0; // FooterSplit (and any layout): cap per segment; 0 = none
  uint8_t headerStatus = kClosedComplete;
  uint8_t bodyStatus = kClosedComplete;
  uint8_t footerStatus = kClosedComplete;
  std::vector<uint8_t> statusByPartition;  // per partition in file order; 0 = the default above

  DynamicTags dynamicTags = DynamicTags::Fixed;
  bool ancillary = false;
  uint32_t ancBytes = 16;         // ancillary data element value size
  uint8_t fillKeyVersion = 0x02;  // byte 7 of the KLV fill key (0x01 legacy)
  // Fill reserved after the header metadata sets (counted in HeaderByteCount),
  // as writers leave room for later updates. With it, a reader that takes
  // [KAGSize, HeaderByteCount) as absolute offsets still sees every set.
  // 0: only the fill that reaches the next KAG boundary.
  uint32_t headerReserve = 1024;

  // Faults.
  std::vector<TimecodeFault> timecodeFaults;
  Omissions omit;
  uint8_t opQualifier = 0x09;     // byte 14 of the operational pattern label
  bool clipWrapped = false;       // picture container label of clip wrapping
  uint32_t audioSamplingRate = 48000;  // written in the descriptor only
  int quantizationBits = 0;       // written in the descriptor; 0 = bits
  int extraDeltaEntries = 0;      // appended to the delta entry array
  uint32_t samplesPerFrame = 0;   // nonzero: every sound element holds this many samples
  int cyclePhase = 0;             // first frame takes this position of the five-frame cycle
  bool unknownDuration = false;   // timecode component Duration all 0xFF

  // Identification and dates.
  std::string company = "Velmora";
  std::string product = "mxfgen";
  std::string versionString = "1.0";
  std::string platform = "Linux";
  uint16_t year = 2024;
  uint8_t month = 3, day = 15, hour = 10, minute = 30, second = 45;
};

// Parameters derived from Options: the values every writer part uses.
struct Resolved {
  uint32_t editNum = 0, editDen = 0;
  int tcBase = 30;
  int cpRate = 3;               // content package rate code of the system item
  bool rate1001 = false;
  int bytesPerSample = 3;
  int descriptorBits = 24;
  UL pictureContainer{};
  UL soundContainer{};
  UL codingLabel{};
  bool avc = false;
  uint32_t width = 0, height = 0, bitRate = 0;
  int codedContentType = 1;
  uint32_t framesPerDay = 0;    // timecode labels wrap here (actual frames)
  int64_t startFrame = 0;       // from startTimecode or startFrame
};

// Validates options and derives the parameters; false with a message when
// the combination cannot be written.
bool Resolve(const Options& opt, Resolved* out, std::string* error);

// 48 kHz samples in frame `frame` (counted from the first frame of the file).
uint32_t SamplesInFrame(const Options& opt, int64_t frame);

// The codec table rows: the PictureEssenceCoding label of row 0..6.
UL CodecLabel(int row);

}  // namespace mxfgen
