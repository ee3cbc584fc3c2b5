#include "ui/library_loudness.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "resources/string_table.h"
#if VELMORA_HAVE_LOUDNESS
#include "loudness/wav_loudness.h"
#endif

#if VELMORA_HAVE_LOUDNESS
struct LibraryMeter::Progress : LOUDNESS_PROGRESS {};
#else
struct LibraryMeter::Progress {
  std::atomic<uint32_t> cancelRequest{0};
};
#endif

LibraryMeter::LibraryMeter() : progress_(std::make_unique<Progress>()) {}
LibraryMeter::~LibraryMeter() = default;

bool LibraryMeter::Available() {
#if VELMORA_HAVE_LOUDNESS
  return true;
#else
  return false;
#endif
}

void LibraryMeter::Interrupt() { progress_->cancelRequest.store(1); }
void LibraryMeter::Resume() { progress_->cancelRequest.store(0); }

bool LibraryMeter::Measure(const std::u16string& path, LIBRARY_LOUDNESS* out) {
  out->path = path;
#if VELMORA_HAVE_LOUDNESS
  if (progress_->cancelRequest.load() != 0) return false;
  LOUDNESS_RESULT r;
  out->status = MeasureWavLoudness(path, progress_.get(), &r);
  if (out->status == LOUDNESS_CANCELLED) return false;
  out->integrated = r.integrated;
  out->truePeak = r.truePeak;
  return true;
#else
  return false;
#endif
}

namespace {

std::u16string Figure(const LIBRARY_LOUDNESS* m, double value, const char* unit) {
  if (!LibraryMeter::Available()) return {};
  if (m == nullptr) return LoadString(kStrLibraryMeasuring);
  if (m->status != 0) return LoadString(kStrLibraryNotMeasured);
  char text[32];
  if (std::isinf(value)) {
    std::snprintf(text, sizeof text, "-inf %s", unit);
  } else {
    // One decimal, as loudness meters show it; never "-0.0".
    const double shown = std::round(value * 10) / 10;
    std::snprintf(text, sizeof text, "%.1f %s", shown == 0 ? 0.0 : shown, unit);
  }
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace

std::u16string LoudnessCellText(const LIBRARY_LOUDNESS* m) {
  return Figure(m, m != nullptr ? m->integrated : 0, "LKFS");
}

std::u16string TruePeakCellText(const LIBRARY_LOUDNESS* m) { return Figure(m, m != nullptr ? m->truePeak : 0, "dBTP"); }

std::u16string LoudnessCellReason(const LIBRARY_LOUDNESS* m) {
#if VELMORA_HAVE_LOUDNESS
  if (m != nullptr && m->status != 0) return LoudnessStatusText(m->status);
#else
  (void)m;
#endif
  return {};
}
