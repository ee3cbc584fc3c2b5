// velmora-cli analyze: load an MXF file as the desktop application would and
// print its facts (as text or one JSON object).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/json_envelope.h"
#include "cli/json_writer.h"
#include "cli/undo_options.h"
#include "cli/load_file.h"
#include "cli/terminal.h"
#include "cli/timecode_errors.h"
#include "engine/file_facts.h"
#include "engine/job_runner.h"
#include "engine/text_format.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"

namespace cli {

namespace {

struct AnalyzeOptions {
  std::u16string path;
  int ioMethod = IO_MAPPING;
  bool json = false;
  std::u16string errorLogPath;
  std::string logEncoding;
};

int UsageError(const char* what) { return cli::UsageError("analyze", what); }

// Returns -1 on success, else the exit status of a usage error.
int ParseArgs(const std::vector<std::string>& args, AnalyzeOptions* opt) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* name) -> const std::string* {
      if (i + 1 >= args.size()) {
        UsageError(UsageText(kStrUsageNeedsValue, std::string(name)).c_str());
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "--json") {
      opt->json = true;
    } else if (a == "--io") {
      const std::string* v = value("--io");
      if (!v) return kExitUsage;
      opt->ioMethod = ParseIoMethod(*v);
      if (opt->ioMethod < 0) return UsageError(UsageText(kStrUsageIo).c_str());
    } else if (a == "--error-log") {
      const std::string* v = value("--error-log");
      if (!v) return kExitUsage;
      opt->errorLogPath = plat::AbsolutePath(plat::Utf8ToUtf16(*v));
    } else if (a == "--log-encoding") {
      const std::string* v = value("--log-encoding");
      if (!v) return kExitUsage;
      opt->logEncoding = *v;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError(UsageText(kStrUsageUnknownOption, a).c_str());
    } else if (opt->path.empty()) {
      opt->path = plat::AbsolutePath(plat::Utf8ToUtf16(a));
      NotedRefusal().path = opt->path;
    } else {
      return UsageError(UsageText(kStrUsageOneFile).c_str());
    }
  }
  if (opt->path.empty()) return UsageError(UsageText(kStrUsageNoFile).c_str());
  return -1;
}

void PrintFacts(const AnalyzeOptions& opt, const MxfState& s) {
  const MXF_BASE_INFO& b = s.base;
  const std::u16string size = FormatByteSize(static_cast<uint32_t>(b.fileSize), static_cast<uint32_t>(b.fileSize >> 32));
  PrintOut(u"File         : " + plat::FileNamePart(opt.path));
  PrintOut(u"Folder       : " + plat::FolderPart(opt.path));
  PrintOut(FormatText(u"Size         : %s (%d bytes)", {std::u16string_view(size), static_cast<int64_t>(b.fileSize)}));
  PrintOut(FormatText(u"MXF version  : %d.%d", {static_cast<int64_t>(b.versionMajor), static_cast<int64_t>(b.versionMinor)}));
  PrintOut(u"Video codec  : " + CodecText(s.video));
  PrintOut(u"Size         : " + PictureSizeText(s.video));
  PrintOut(u"Bit rate     : " + VideoBitRateText(s.video));
  PrintOut(u"FPS          : " + FpsText(s.timecode, s.video));
  PrintOut(u"Rate         : " + RateText(s.timecode));
  PrintOut(u"Audio        : " + AudioFormatText());
  PrintOut(u"Tracks       : " + TrackCountText(s.audio));
  PrintOut(u"Bits         : " + BitsText(s.audio));
  PrintOut(u"Fs rate      : " + SampleRateText(s.audio));
  PrintOut(u"Head         : " + HeadText(s.timecode));
  PrintOut(u"Tail         : " + TailText(s.timecode));
  PrintOut(u"Dur          : " + DurationText(s.timecode));
  PrintOut(FormatText(u"Frames       : %d indexed, %d declared",
                      {static_cast<int64_t>(s.timecode.entryCount), static_cast<int64_t>(s.timecode.duration)}));
  PrintOut(LoadString(kStrCliLabelCreated) + std::u16string(b.creationDate));
  PrintOut(LoadString(kStrCliLabelModified) + std::u16string(b.modifiedDate));
  PrintOut(LoadString(kStrCliLabelProduct) + std::u16string(b.productName) + u" " + std::u16string(b.productVersion));
  PrintOut(u"OS           : " + std::u16string(b.platform));
  PrintOut(LoadString(kStrCliLabelCompany) + std::u16string(b.companyName));
}

// The file's facts; written only when every analysis step ran (loaded, or
// stopped by the verification), so that no field holds a default.
void WriteFacts(JsonWriter& j, const MxfState& s) {
  const MXF_BASE_INFO& b = s.base;
  const MXF_TIMECODE_INFO& tc = s.timecode;
  j.BeginArray("mxf_version").Number("", b.versionMajor).Number("", b.versionMinor).EndArray();
  j.Bool("has_ancillary_data", b.hasAncillaryData != 0);
  j.Number("data_element_size", b.dataElementSize);

  j.BeginObject("timecode");
  j.String("start", HeadText(tc));
  j.String("end", TailText(tc));
  j.String("duration", DurationText(tc));
  j.Number("start_frame", tc.startFrame);
  j.Number("end_frame", tc.endFrame);
  j.Number("duration_frames", DurationFrames(tc));
  j.Bool("start_hour_is_23", tc.startHourIs23 != 0);
  j.Bool("drop_frame", tc.dropFrame != 0);
  const TC_BASE_UNITS* units = TcBaseUnits(tc.tcBase);
  if (units != nullptr) j.Number("tc_base", units->framesPerSecond);
  j.BeginArray("edit_rate").Number("", tc.editRateNum).Number("", tc.editRateDen).EndArray();
  j.Number("frame_rate_class", tc.frameRateClass);
  if (const char16_t* label = FrameRateLabel(tc.frameRateClass)) j.String("frame_rate", std::u16string_view(label));
  j.Number("component_duration", tc.duration);
  j.EndObject();

  j.BeginObject("index");
  j.Number("entry_count", tc.entryCount);
  j.Number("delta_count", s.indexEntries.empty() ? 0 : s.indexEntries.front().deltaCount);
  j.Number("segment_max_frames", tc.segmentMaxFrames);
  j.EndObject();

  j.BeginObject("audio");
  j.Number("tracks", s.audio.trackCount);
  j.Number("bits_per_sample", s.audio.bitsPerSample);
  j.Number("sample_rate", s.audio.sampleRate);
  j.Number("block_align", s.audio.blockAlign);
  j.Number("avg_bytes_per_sec", s.audio.avgBytesPerSec);
  j.Number("sample_pattern", s.audio.samplePattern);
  j.Number("element_size", s.audio.audioElementSize);
  j.EndObject();

  j.BeginObject("video");
  j.String("codec", CodecText(s.video));
  j.Number("codec_index", s.video.codecIndex);
  j.Number("width", s.video.displayWidth);
  j.Number("height", s.video.displayHeight);
  j.BeginArray("aspect").Number("", s.video.aspectNum).Number("", s.video.aspectDen).EndArray();
  j.Number("bit_rate", s.video.bitRate);
  j.Number("coded_content_type", s.video.codedContentType);
  j.EndObject();

  j.BeginObject("package");
  j.String("creation_date", std::u16string_view(b.creationDate));
  j.String("modified_date", std::u16string_view(b.modifiedDate));
  j.EndObject();

  j.BeginObject("identification");
  j.String("company", std::u16string_view(b.companyName));
  j.String("product", std::u16string_view(b.productName));
  j.String("version", std::u16string_view(b.productVersion));
  j.String("platform", std::u16string_view(b.platform));
  j.EndObject();

  j.BeginArray("timecode_errors");
  for (const TimecodeErrorRow& row : TimecodeErrorRows(s)) {
    j.BeginObject();
    j.Number("index", row.frameIndex);
    j.String("occurrence", row.occurrence);
    j.String("resume", row.resume);
    j.String("kind", row.kind);
    j.EndObject();
  }
  j.EndArray();
}

void WriteJson(const AnalyzeOptions& opt, const MxfState& s, const LoadResult& r, int exitStatus) {
  JsonWriter j;
  BeginJsonEnvelope(j, "analyze");
  WriteJsonFile(j, opt.path);
  if (r.opened) j.Number("size", static_cast<int64_t>(s.base.fileSize));
  j.Bool("loadable", r.loadable);
  if (r.loadable || r.stepCode == 1000) WriteFacts(j, s);
  JsonResult result;
  result.code = r.resultCode;
  result.exitStatus = exitStatus;
  result.message = r.message;
  result.cause = r.cause;
  // The section that refused the file, as the runner's message names it.
  if (r.resultCode != 0) result.section = SectionName(r.opened ? r.stepCode : 0);
  WriteJsonResult(j, result);
  PrintJsonEnvelope(j);
}

}  // namespace

int RunAnalyze(const std::vector<std::string>& args) {
  AnalyzeOptions opt;
  if (int usage = ParseArgs(args, &opt); usage >= 0) return usage;
  if (plat::IsDirectory(opt.path)) {
    PrintErr(u"velmora-cli analyze: " + FormatText(LoadString(kStrCliIsFolder), {std::u16string_view(opt.path)}));
    return kExitRefused;
  }

  MxfState state;
  const LoadResult r = LoadMxf(opt.path, opt.ioMethod, state, ProgressWanted());

  int status = r.exitCode;
  if (r.exitCode == kExitTimecodeErrors && !opt.errorLogPath.empty()) {
    std::u16string failure;
    if (!WriteErrorLog(opt.errorLogPath, opt.path, state, opt.logEncoding, &failure)) {
      PrintErr(failure);
      status = kExitRefused;
    }
  }
  if (opt.json) {
    WriteJson(opt, state, r, status);
  } else {
    PrintFacts(opt, state);
    if (r.exitCode == kExitTimecodeErrors) {
      for (const TimecodeErrorRow& row : TimecodeErrorRows(state)) {
        PrintOut(FormatText(u"%6d  %s  %s  %s", {static_cast<int64_t>(row.frameIndex), std::u16string_view(row.occurrence),
                                                 std::u16string_view(row.resume), std::u16string_view(row.kind)}));
      }
    }
  }
  if (r.exitCode != kExitOk) PrintLoadFailure(r, opt.path);
  TellInterruptedRewrap(opt.path, UndoSettings());  // analysing writes nothing: told, not refused
  FreeTimecodeErrors(state);
  return status;
}

}  // namespace cli
