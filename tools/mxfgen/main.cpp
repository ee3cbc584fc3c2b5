// mxfgen: writes an MXF test file from command-line parameters.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/console.h"
#include "tools/mxfgen/mxfgen.h"

namespace {

const char kUsage[] =
    "usage: mxfgen OUT.mxf [options]\n"
    "  --rate CLASS|NUM/DEN     frame rate class 0..7 (24 25 30 60 23.98 25/1.001 29.97 59.94)\n"
    "                           or an edit rate such as 25/1 or 30000/1001 (default class 6)\n"
    "  --frames N               frame count (default 100)\n"
    "  --start HH:MM:SS:FF|N    start timecode, label or frame count\n"
    "  --df                     drop-frame timecode\n"
    "  --tc-base N              rounded timecode base (24 25 30 60; default from the rate)\n"
    "  --tracks N               audio tracks 0..26 (default 8)\n"
    "  --bits 16|24             bits per sample (default 24)\n"
    "  --bwf                    BWF element keys and Wave descriptors (default AES3)\n"
    "  --codec ROW              codec table row 0..6 (0-4 MPEG-2, 5-6 XAVC); 7 = label in no table\n"
    "  --size WxH               picture size (frame height)\n"
    "  --interlaced | --progressive\n"
    "  --bit-rate N             bits per second in the picture descriptor\n"
    "  --picture-bytes N        picture element size (default 4096)\n"
    "  --sparse                 leave picture data as holes in the file\n"
    "  --kag 1|512              KLV alignment grid (default 512)\n"
    "  --index footer|body-after|body-before|split:N|repeated\n"
    "  --partitions N           body partitions holding essence (default 1)\n"
    "  --essence-in-header      the header partition holds the first frames too\n"
    "  --anc                    ancillary data element in every frame\n"
    "  --version MAJ.MIN        MXF version (default 1.2)\n"
    "  --dynamic-tags fixed|downward\n"
    "  --open header|body|footer|INDEX   mark a partition open (repeatable)\n"
    "  --tc-error FRAME:jump|back|still|invalid   (repeatable)\n"
    "  --omit preface|identification|timecode|tracks|file-package|audio-descriptors|\n"
    "         picture-descriptor|avc-sub-descriptor|index|rip|rip-footer   (repeatable)\n"
    "  --op-qualifier N         operational pattern qualifier byte (default 9)\n"
    "  --clip-wrapped           clip-wrapping picture container label\n"
    "  --sample-rate N          audio sampling rate in the descriptors (default 48000)\n"
    "  --quant-bits N           quantization bits in the descriptors (default = --bits)\n"
    "  --extra-deltas N         extra delta entries in the index\n"
    "  --samples N              samples in every sound element\n"
    "  --cycle-phase N          five-frame cycle position of the first frame\n"
    "  --unknown-duration       timecode component duration all 0xFF\n"
    "  --fill-version 1|2       version byte of the fill key (default 2)\n"
    "  --header-reserve N       fill bytes reserved after the header metadata (default 1024)\n";

bool ToInt(const std::string& s, long long* v) {
  char* end = nullptr;
  *v = std::strtoll(s.c_str(), &end, 0);
  return !s.empty() && end && *end == 0;
}

int ClassOfRate(unsigned long long num, unsigned long long den) {
  const unsigned long long rates[4] = {24, 25, 30, 60};
  for (int i = 0; i < 4; ++i) {
    if (num == rates[i] * den) return i;
    if (num * 1001 == rates[i] * 1000 * den) return i + 4;
  }
  return -1;
}

const char* IndexName(mxfgen::IndexLayout l) {
  switch (l) {
    case mxfgen::IndexLayout::Footer: return "footer";
    case mxfgen::IndexLayout::FooterSplit: return "split";
    case mxfgen::IndexLayout::BodyBefore: return "body-before";
    case mxfgen::IndexLayout::BodyAfter: return "body-after";
    case mxfgen::IndexLayout::Repeated: return "repeated";
  }
  return "?";
}

int Usage(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "mxfgen: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace mxfgen;
  // The arguments in UTF-8 (on Windows from the wide command line).
  std::vector<std::string> utf8 = plat::CommandLineArguments(argc, argv);
  utf8.insert(utf8.begin(), argc > 0 ? argv[0] : "mxfgen");
  std::vector<char*> utf8Argv;
  for (auto& a : utf8) utf8Argv.push_back(a.data());
  argc = static_cast<int>(utf8Argv.size());
  argv = utf8Argv.data();
  if (argc < 2) return Usage("");
  Options o;
  std::string out, start;
  std::vector<std::string> opens;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string* v) {
      if (i + 1 >= argc) return false;
      *v = argv[++i];
      return true;
    };
    auto number = [&](long long* n) {
      std::string v;
      return value(&v) && ToInt(v, n);
    };
    long long n = 0;
    std::string v;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--rate") {
      if (!value(&v)) return Usage("--rate needs a value");
      const size_t slash = v.find('/');
      if (slash == std::string::npos) {
        if (!ToInt(v, &n) || n < 0 || n > 7) return Usage("bad --rate");
        o.frameRateClass = static_cast<int>(n);
      } else {
        long long num = 0, den = 0;
        if (!ToInt(v.substr(0, slash), &num) || !ToInt(v.substr(slash + 1), &den) || num <= 0 || den <= 0)
          return Usage("bad --rate");
        const int cls = ClassOfRate(static_cast<unsigned long long>(num), static_cast<unsigned long long>(den));
        if (cls < 0) return Usage("--rate " + v + " is none of the eight frame rates");
        o.frameRateClass = cls;
        o.editRateNum = static_cast<uint32_t>(num);
        o.editRateDen = static_cast<uint32_t>(den);
      }
    } else if (a == "--frames") {
      if (!number(&n) || n < 1) return Usage("bad --frames");
      o.frames = n;
    } else if (a == "--start") {
      if (!value(&start)) return Usage("--start needs a value");
    } else if (a == "--df") {
      o.dropFrame = true;
    } else if (a == "--tc-base") {
      if (!number(&n)) return Usage("bad --tc-base");
      o.timecodeBase = static_cast<int>(n);
    } else if (a == "--tracks") {
      if (!number(&n)) return Usage("bad --tracks");
      o.tracks = static_cast<int>(n);
    } else if (a == "--bits") {
      if (!number(&n)) return Usage("bad --bits");
      o.bits = static_cast<int>(n);
    } else if (a == "--bwf") {
      o.audio = AudioWrapping::Bwf;
    } else if (a == "--codec") {
      if (!number(&n)) return Usage("bad --codec");
      o.codecRow = static_cast<int>(n);
    } else if (a == "--size") {
      unsigned w = 0, h = 0;
      if (!value(&v) || std::sscanf(v.c_str(), "%ux%u", &w, &h) != 2) return Usage("bad --size");
      o.width = w;
      o.height = h;
    } else if (a == "--interlaced") {
      o.codedContentType = 2;
    } else if (a == "--progressive") {
      o.codedContentType = 1;
    } else if (a == "--bit-rate") {
      if (!number(&n) || n < 0) return Usage("bad --bit-rate");
      o.bitRate = static_cast<uint32_t>(n);
    } else if (a == "--picture-bytes") {
      if (!number(&n) || n < 0) return Usage("bad --picture-bytes");
      o.pictureBytes = static_cast<uint32_t>(n);
    } else if (a == "--sparse") {
      o.sparsePicture = true;
    } else if (a == "--kag") {
      if (!number(&n) || n < 1) return Usage("bad --kag");
      o.kag = static_cast<uint32_t>(n);
    } else if (a == "--index") {
      if (!value(&v)) return Usage("--index needs a value");
      if (v == "footer") {
        o.indexLayout = IndexLayout::Footer;
      } else if (v == "body-after") {
        o.indexLayout = IndexLayout::BodyAfter;
      } else if (v == "body-before" || v == "body") {
        o.indexLayout = IndexLayout::BodyBefore;
      } else if (v == "repeated") {
        o.indexLayout = IndexLayout::Repeated;
      } else if (v.rfind("split:", 0) == 0 && ToInt(v.substr(6), &n) && n > 0) {
        o.indexLayout = IndexLayout::FooterSplit;
        o.maxSegmentEntries = static_cast<uint32_t>(n);
      } else {
        return Usage("bad --index");
      }
    } else if (a == "--partitions") {
      if (!number(&n)) return Usage("bad --partitions");
      o.essencePartitions = static_cast<int>(n);
    } else if (a == "--essence-in-header") {
      o.essenceInHeader = true;
    } else if (a == "--anc") {
      o.ancillary = true;
    } else if (a == "--version") {
      int major = 0, minor = 0;
      if (!value(&v) || std::sscanf(v.c_str(), "%d.%d", &major, &minor) != 2) return Usage("bad --version");
      o.versionMajor = major;
      o.versionMinor = minor;
    } else if (a == "--dynamic-tags") {
      if (!value(&v) || (v != "fixed" && v != "downward")) return Usage("bad --dynamic-tags");
      o.dynamicTags = v == "fixed" ? DynamicTags::Fixed : DynamicTags::Downward;
    } else if (a == "--open") {
      if (!value(&v)) return Usage("--open needs a value");
      opens.push_back(v);
    } else if (a == "--tc-error") {
      long long frame = 0;
      const size_t colon = value(&v) ? v.find(':') : std::string::npos;
      if (colon == std::string::npos || !ToInt(v.substr(0, colon), &frame)) return Usage("bad --tc-error");
      const std::string kind = v.substr(colon + 1);
      TimecodeFault f;
      f.frame = frame;
      if (kind == "jump") f.kind = TimecodeFaultKind::Jump;
      else if (kind == "back") f.kind = TimecodeFaultKind::Back;
      else if (kind == "still") f.kind = TimecodeFaultKind::Still;
      else if (kind == "invalid") f.kind = TimecodeFaultKind::Invalid;
      else return Usage("bad --tc-error kind");
      o.timecodeFaults.push_back(f);
    } else if (a == "--omit") {
      if (!value(&v)) return Usage("--omit needs a value");
      Omissions& m = o.omit;
      if (v == "preface") m.preface = true;
      else if (v == "identification") m.identification = true;
      else if (v == "timecode") m.timecodeComponent = true;
      else if (v == "tracks") m.timelineTracks = true;
      else if (v == "file-package") m.filePackage = true;
      else if (v == "audio-descriptors") m.audioDescriptors = true;
      else if (v == "picture-descriptor") m.pictureDescriptor = true;
      else if (v == "avc-sub-descriptor") m.avcSubDescriptor = true;
      else if (v == "index") m.index = true;
      else if (v == "rip") m.rip = true;
      else if (v == "rip-footer") m.ripFooterEntry = true;
      else return Usage("bad --omit");
    } else if (a == "--op-qualifier") {
      if (!number(&n) || n < 0 || n > 255) return Usage("bad --op-qualifier");
      o.opQualifier = static_cast<uint8_t>(n);
    } else if (a == "--clip-wrapped") {
      o.clipWrapped = true;
    } else if (a == "--sample-rate") {
      if (!number(&n) || n <= 0) return Usage("bad --sample-rate");
      o.audioSamplingRate = static_cast<uint32_t>(n);
    } else if (a == "--quant-bits") {
      if (!number(&n)) return Usage("bad --quant-bits");
      o.quantizationBits = static_cast<int>(n);
    } else if (a == "--extra-deltas") {
      if (!number(&n)) return Usage("bad --extra-deltas");
      o.extraDeltaEntries = static_cast<int>(n);
    } else if (a == "--samples") {
      if (!number(&n) || n < 0) return Usage("bad --samples");
      o.samplesPerFrame = static_cast<uint32_t>(n);
    } else if (a == "--cycle-phase") {
      if (!number(&n)) return Usage("bad --cycle-phase");
      o.cyclePhase = static_cast<int>(n);
    } else if (a == "--unknown-duration") {
      o.unknownDuration = true;
    } else if (a == "--fill-version") {
      if (!number(&n) || (n != 1 && n != 2)) return Usage("bad --fill-version");
      o.fillKeyVersion = static_cast<uint8_t>(n);
    } else if (a == "--header-reserve") {
      if (!number(&n) || n < 0) return Usage("bad --header-reserve");
      o.headerReserve = static_cast<uint32_t>(n);
    } else if (!a.empty() && a[0] == '-') {
      return Usage("unknown option " + a);
    } else if (out.empty()) {
      out = a;
    } else {
      return Usage("more than one output file");
    }
  }
  if (out.empty()) return Usage("no output file");

  Resolved res;
  std::string error;
  if (!Resolve(o, &res, &error)) return Usage(error);
  if (!start.empty()) {
    long long frames = 0;
    if (ToInt(start, &frames))
      o.startFrame = frames;
    else
      o.startTimecode = start;
    if (!Resolve(o, &res, &error)) return Usage(error);
  }
  for (const std::string& which : opens) {
    long long index = 0;
    if (which == "header") o.headerStatus = kOpenComplete;
    else if (which == "body") o.bodyStatus = kOpenComplete;
    else if (which == "footer") o.footerStatus = kOpenComplete;
    else if (ToInt(which, &index) && index >= 0 && index < 1000) {
      if (o.statusByPartition.size() <= static_cast<size_t>(index)) o.statusByPartition.resize(static_cast<size_t>(index) + 1, 0);
      o.statusByPartition[static_cast<size_t>(index)] = kOpenComplete;
    } else {
      return Usage("bad --open " + which);
    }
  }

  const auto t0 = std::chrono::steady_clock::now();
  if (!WriteMxf(out, o, nullptr, &error)) {
    std::fprintf(stderr, "mxfgen: %s\n", error.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const Label first = FramesToLabel(res.startFrame, res.tcBase, o.dropFrame);
  std::printf("mxfgen: %s  %lld frames at %u/%u from %s, %d x %d-bit %s, codec row %d, KAG %u, index %s, "
              "%d essence partitions, %llu bytes, %.2f s\n",
              out.c_str(), static_cast<long long>(o.frames), res.editNum, res.editDen,
              FormatLabel(first, o.dropFrame).c_str(), o.tracks, o.bits,
              o.audio == AudioWrapping::Aes3 ? "AES3" : "BWF", o.codecRow, o.kag, IndexName(o.indexLayout),
              o.essencePartitions, static_cast<unsigned long long>(std::filesystem::file_size(out)), seconds);
  return 0;
}
