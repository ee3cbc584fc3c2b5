#include "bwf/export_job.h"

#include "platform/file_system.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/path.h"
#include "resources/string_table.h"

namespace {

// Each output collects this many bytes before it writes (a frame's part of
// one track is 1.6 to 6 KB).
constexpr size_t kOutputBufferBytes = size_t{1} << 20;

std::mutex g_reportMutex;
BWF_EXPORT_REPORT g_report;
std::atomic<BwfExportFrameHook> g_frameHook{nullptr};

std::u16string FieldText(const char16_t* field, size_t capacity) {
  size_t n = 0;
  while (n < capacity && field[n] != u'\0') ++n;
  return std::u16string(field, n);
}

}  // namespace

std::vector<std::u16string> BWF_EXPORT_REPORT::IncompleteFiles() const {
  std::vector<std::u16string> out;
  for (const BWF_EXPORT_FILE& f : files) {
    if (!f.complete) out.push_back(f.path);
  }
  return out;
}

BWF_EXPORT_REPORT LastBwfExportReport() {
  std::lock_guard<std::mutex> lock(g_reportMutex);
  return g_report;
}

std::u16string IncompleteFilesText(const BWF_EXPORT_REPORT& report) {
  const std::vector<std::u16string> incomplete = report.IncompleteFiles();
  if (incomplete.empty()) return {};
  std::u16string text = LoadString(kStrIncompleteFiles);
  for (const std::u16string& path : incomplete) {
    text += u'\n';
    text += path;
  }
  return text;
}

void SetBwfExportFrameHook(BwfExportFrameHook hook) { g_frameHook.store(hook); }

namespace bwf_export {

int PrepareExport(const std::u16string& mxfPath, AUDIOTRACK_IO_INFO* plan, MXF_BASE_INFO* base,
                  ExportSetup* out) {
  if (mxfPath.empty()) return EXPORT_NO_PATH;
  if (plan == nullptr) return EXPORT_NO_PLAN;
  if (base == nullptr || base->timecode == nullptr || base->audio == nullptr || base->indexEntries == nullptr) {
    return EXPORT_NO_BASE;
  }
  const MXF_TIMECODE_INFO& tc = *base->timecode;
  const MXF_AUDIO_INFO& audio = *base->audio;
  if (!FrameRateHasSampleCycle(tc.frameRateClass)) return EXPORT_BAD_RATE;
  if (audio.blockAlign == 0) return EXPORT_NO_BASE;

  const uint32_t sel = RangeSelector(tc);
  const int64_t in = plan->exportIn[sel];
  const int64_t outPoint = plan->exportOut[sel];
  const int64_t start = RangeStartFrame(tc);
  const int64_t end = RangeEndFrame(tc);
  if (in > outPoint || in < start || outPoint > end) return EXPORT_BAD_RANGE;
  const int64_t first = in - start;
  const int64_t count = outPoint - in + 1;
  // The timecode component may claim more frames than the index holds.
  if (first + count > static_cast<int64_t>(base->indexEntries->size())) return EXPORT_BAD_RANGE;
  plan->frameCount = static_cast<uint32_t>(count);

  out->mxfPath = mxfPath;
  out->tc = &tc;
  out->audio = &audio;
  out->entries = base->indexEntries;
  out->first = static_cast<size_t>(first);
  out->frameCount = static_cast<uint32_t>(count);
  out->blockAlign = audio.blockAlign;
  out->slots.clear();
  for (int s = 0; s < kTrackSlots && s < audio.trackCount; ++s) {
    if (plan->exportSwitch[s] == TRACK_ON) out->slots.push_back(s);
  }

  out->dataSize = ExportDataSize(*out->entries, out->first, out->frameCount, out->blockAlign);
  if (out->dataSize > kBwfMaxDataSize) return EXPORT_TOO_LONG;
  const int64_t timeReference = ExportTimeReference(tc, plan->exportIn);
  if (timeReference < 0) return EXPORT_BAD_RATE;

  BWF_HEADER_FIELDS fields;
  out->timeReference = static_cast<uint64_t>(timeReference);
  fields.timeReference = out->timeReference;
  fields.dataSize = static_cast<uint32_t>(out->dataSize);
  fields.sampleRate = audio.sampleRate;
  fields.avgBytesPerSec = audio.avgBytesPerSec;
  fields.blockAlign = audio.blockAlign;
  fields.bitsPerSample = static_cast<uint16_t>(audio.bitsPerSample);
  BuildBwfHeader(fields, out->header);
  return 0;
}

FILE_RANGE FrameReadRange(const ExportSetup& s, const INDEX_ENTRY_ARRAY& e, uint64_t fileSize) {
  FILE_RANGE r;
  bool any = false;
  uint64_t lo = 0;
  uint64_t hi = 0;
  for (int slot : s.slots) {
    if (!SoundElementIndexed(e, slot)) continue;
    const uint64_t at = SoundElementOffset(e, slot);
    lo = any ? std::min(lo, at) : at;
    hi = any ? std::max(hi, at) : at;
    any = true;
  }
  if (!any || lo >= fileSize) return r;
  const uint64_t valueEnd = hi + kSoundHeaderMaxBytes + SoundValueBytes(e, s.blockAlign);
  r.begin = lo;
  r.end = std::min(fileSize, std::max(valueEnd, hi));
  return r;
}

int CheckFrame(const ExportSetup& s, const INDEX_ENTRY_ARRAY& e, const uint8_t* bytes, uint64_t bytesOffset,
               size_t size, uint64_t fileSize, SOUND_ELEMENT* out) {
  return CheckFrameSoundElements(e, s.blockAlign, s.slots.data(), static_cast<int>(s.slots.size()), bytes,
                                 bytesOffset, size, fileSize, out);
}

uint64_t LargestHeaderRange(const ExportSetup& s) {
  uint64_t largest = 0;
  const int count = static_cast<int>(s.slots.size());
  for (uint32_t k = 0; k < s.frameCount; ++k) {
    const FILE_RANGE r = SoundHeaderRange(s.Entry(k), s.slots.data(), count, UINT64_MAX);
    largest = std::max(largest, r.end - r.begin);
  }
  return largest;
}

int CheckRange(const ExportSetup& s, const plat::File& file, uint64_t fileSize, AUDIOTRACK_IO_INFO* plan,
               uint8_t* scratch, uint64_t scratchSize) {
  const int count = static_cast<int>(s.slots.size());
  for (uint32_t k = 0; k < s.frameCount; ++k) {
    const INDEX_ENTRY_ARRAY& e = s.Entry(k);
    const FILE_RANGE r = SoundHeaderRange(e, s.slots.data(), count, fileSize);
    const uint64_t n = r.end - r.begin;
    if (n == 0 || n > scratchSize) return EXPORT_ELEMENT_MISMATCH;
    plat::SysError err = 0;
    if (file.ReadAt(r.begin, scratch, static_cast<size_t>(n), &err) != static_cast<int64_t>(n)) {
      NoteOsCause(plan, s.mxfPath, err);
      return EXPORT_READ_FAILED;
    }
    if (CheckFrame(s, e, scratch, r.begin, static_cast<size_t>(n), fileSize, nullptr) != SOUND_CHECK_OK) {
      return EXPORT_ELEMENT_MISMATCH;
    }
    if (plan->cancelRequest.load() == 1) return kExportCancelled;
  }
  return 0;
}

struct BwfOutputs::Output {
  plat::File file;
  std::u16string path;
  int32_t track = 0;
  bool replaced = false;
  bool complete = false;
  uint64_t written = 0;  // bytes on their way to the file (header included)
  std::vector<uint8_t> buffer;
  size_t used = 0;
};

BwfOutputs::BwfOutputs(int stepCode) : step_(stepCode) {}

BwfOutputs::~BwfOutputs() = default;

int BwfOutputs::Create(const AUDIOTRACK_IO_INFO& plan, const ExportSetup& setup, int createFailedCode) {
  const std::u16string folder = FieldText(plan.exportFolder, kExportFolderUnits);
  const std::u16string prefix = FieldText(plan.exportPrefix, kExportPrefixUnits);
  if (folder.empty()) return createFailedCode;
  // A prefix that names another folder would write outside the chosen one.
  if (!BwfPrefixIsPlain(prefix)) return createFailedCode;
  blockAlign_ = setup.blockAlign;

  // Every name before any file: a name the file system cannot take refuses
  // the job with nothing created.
  std::vector<Output> planned(setup.slots.size());
  for (size_t i = 0; i < setup.slots.size(); ++i) {
    const BWF_FILE_NAME name = FormBwfFileName(folder, prefix, setup.slots[i] + 1, plan.exportRunNumber);
    if (!BwfPathFits(name.path)) return createFailedCode;
    planned[i].path = name.path;
    planned[i].track = setup.slots[i] + 1;
  }

  outputs_.clear();
  outputs_.reserve(planned.size());
  for (Output& o : planned) {
    o.replaced = plat::PathExists(o.path);
    plat::SysError err = 0;
    o.file = plat::File::Open(o.path, plat::Access::Write, plat::Share::Exclusive, &err);
    if (!o.file.valid()) {
      NoteFailure(o.path, err);
      return createFailedCode;
    }
    outputs_.push_back(std::move(o));
    Output& added = outputs_.back();
    const int64_t w = added.file.WriteAt(0, setup.header, kBwfHeaderSize, &err);
    if (w > 0) added.written = static_cast<uint64_t>(w);
    if (w != static_cast<int64_t>(kBwfHeaderSize)) {
      NoteFailure(added.path, err);
      return step_ + EXPORT_WRITE_FAILED;
    }
  }
  for (Output& o : outputs_) {
    o.buffer.resize(kOutputBufferBytes);
  }
  plat::SyncFolder(folder);  // the new names survive a crash as well as their data
  return 0;
}

void BwfOutputs::NoteFailure(const std::u16string& path, plat::SysError err) {
  if (err != 0 && cause_.error == 0) cause_ = JOB_OS_CAUSE{path, err};
}

bool BwfOutputs::Drain(Output& o) {
  if (o.used == 0) return true;
  plat::SysError err = 0;
  const int64_t w = o.file.WriteAt(o.written, o.buffer.data(), o.used, &err);
  if (w > 0) o.written += static_cast<uint64_t>(w);
  const bool ok = w == static_cast<int64_t>(o.used);
  if (!ok) NoteFailure(o.path, err);
  o.used = 0;
  return ok;
}

bool BwfOutputs::Append(size_t i, const uint8_t* data, size_t n) {
  Output& o = outputs_[i];
  if (o.used + n > o.buffer.size()) {
    if (!Drain(o)) return false;
    if (n >= o.buffer.size()) {
      plat::SysError err = 0;
      const int64_t w = o.file.WriteAt(o.written, data, n, &err);
      if (w > 0) o.written += static_cast<uint64_t>(w);
      if (w != static_cast<int64_t>(n)) NoteFailure(o.path, err);
      return w == static_cast<int64_t>(n);
    }
  }
  std::memcpy(o.buffer.data() + o.used, data, n);
  o.used += n;
  return true;
}

bool BwfOutputs::Finish() {
  bool ok = true;
  for (Output& o : outputs_) {
    if (!Drain(o)) ok = false;
  }
  if (!ok) return false;
  for (Output& o : outputs_) {
    plat::SysError err = 0;
    if (!o.file.Sync(&err)) {
      NoteFailure(o.path, err);
      return false;
    }
    o.complete = true;
  }
  for (Output& o : outputs_) o.file.Close();
  return true;
}

void BwfOutputs::Abandon() {
  for (Output& o : outputs_) {
    Drain(o);
    ShortenToWritten(o);
    o.file.Close();
  }
}

void BwfOutputs::ShortenToWritten(Output& o) {
  // A file left behind is a valid shorter WAV: whole sample frames, and RIFF
  // and data sizes that say what it holds rather than the length planned.
  if (!o.file.valid() || o.written < kBwfHeaderSize || blockAlign_ == 0) return;
  const uint64_t data = (o.written - kBwfHeaderSize) / blockAlign_ * blockAlign_;
  if (!o.file.Truncate(kBwfHeaderSize + data)) return;
  o.written = kBwfHeaderSize + data;
  auto le32 = [](uint64_t v, uint8_t out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
  };
  uint8_t riff[4];
  uint8_t dataSize[4];
  le32(data + kBwfRiffOverhead, riff);
  le32(data, dataSize);
  o.file.WriteAt(kBwfRiffSizeOffset, riff, 4);
  o.file.WriteAt(kBwfDataSizeOffset, dataSize, 4);
  o.file.Sync();
}

void BwfOutputs::Publish(int result, uint64_t fileSize, uint64_t timeReference) const {
  std::lock_guard<std::mutex> lock(g_reportMutex);
  g_report.stepCode = step_;
  g_report.result = result;
  g_report.fileSize = fileSize;
  g_report.timeReference = timeReference;
  g_report.files.clear();
  for (const Output& o : outputs_) {
    BWF_EXPORT_FILE f;
    f.path = o.path;
    f.track = o.track;
    f.replacedExisting = o.replaced;
    f.bytesWritten = o.written;
    f.complete = o.complete;
    g_report.files.push_back(std::move(f));
  }
}

void ResetReport(int stepCode) {
  std::lock_guard<std::mutex> lock(g_reportMutex);
  g_report = BWF_EXPORT_REPORT();
  g_report.stepCode = stepCode;
}

bool FrameDoneCancelRequested(AUDIOTRACK_IO_INFO* plan, uint32_t k) {
  if (BwfExportFrameHook hook = g_frameHook.load()) hook(plan, k);
  if (plan->cancelRequest.load() == 1) return true;
  plan->currentFrame = k;
  return false;
}

}  // namespace bwf_export
