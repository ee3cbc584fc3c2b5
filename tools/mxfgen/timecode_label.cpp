#include "tools/mxfgen/timecode_label.h"

#include <cstdio>

namespace mxfgen {
namespace {

// Labels dropped at the start of every minute not divisible by ten.
int DroppedPerMinute(int base, bool dropFrame) {
  if (!dropFrame) return 0;
  if (base == 30) return 2;
  if (base == 60) return 4;
  return 0;
}

int Bcd(int v) { return ((v / 10) << 4) | (v % 10); }

}  // namespace

int64_t FramesPerDay(int base, bool dropFrame) {
  const int64_t d = DroppedPerMinute(base, dropFrame);
  return int64_t{base} * 86400 - d * (24 * 60 - 24 * 6);
}

Label FramesToLabel(int64_t frames, int base, bool dropFrame) {
  const int64_t day = FramesPerDay(base, dropFrame);
  frames %= day;
  if (frames < 0) frames += day;
  const int64_t d = DroppedPerMinute(base, dropFrame);
  int64_t labels = frames;
  if (d != 0) {
    const int64_t per10 = int64_t{base} * 600 - 9 * d;
    const int64_t perMinute = int64_t{base} * 60 - d;
    const int64_t tens = frames / per10;
    const int64_t rest = frames % per10;
    labels += 9 * d * tens;
    if (rest > d) labels += d * ((rest - d) / perMinute);
  }
  Label l;
  l.frames = static_cast<int>(labels % base);
  l.seconds = static_cast<int>((labels / base) % 60);
  l.minutes = static_cast<int>((labels / (int64_t{base} * 60)) % 60);
  l.hours = static_cast<int>((labels / (int64_t{base} * 3600)) % 24);
  return l;
}

int64_t LabelToFrames(const Label& label, int base, bool dropFrame) {
  const int64_t d = DroppedPerMinute(base, dropFrame);
  Label l = label;
  if (d != 0 && l.seconds == 0 && l.minutes % 10 != 0 && l.frames < d) l.frames = static_cast<int>(d);
  const int64_t minutes = int64_t{l.hours} * 60 + l.minutes;
  const int64_t labels = (minutes * 60 + l.seconds) * base + l.frames;
  return labels - d * (minutes - minutes / 10);
}

bool ParseLabel(const std::string& text, int base, Label* out) {
  int h = 0, m = 0, s = 0, f = 0;
  char c1 = 0, c2 = 0, c3 = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%2d%c%2d%c%2d%c%2d%n", &h, &c1, &m, &c2, &s, &c3, &f, &used) != 7) return false;
  if (static_cast<size_t>(used) != text.size()) return false;
  if (c1 != ':' || c2 != ':') return false;
  if (c3 != ':' && c3 != ';' && c3 != '.' && c3 != ',') return false;
  if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59 || f < 0 || f >= base) return false;
  *out = Label{h, m, s, f};
  return true;
}

std::string FormatLabel(const Label& label, bool dropFrame) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d%c%02d", label.hours, label.minutes, label.seconds,
                dropFrame ? ';' : ':', label.frames);
  return buf;
}

uint32_t SdtiWord(const Label& label, bool dropFrameFlag, bool secondFrame) {
  const uint32_t frames = static_cast<uint32_t>(Bcd(label.frames) | (dropFrameFlag ? 0x40 : 0));
  const uint32_t seconds = static_cast<uint32_t>(Bcd(label.seconds) | (secondFrame ? 0x80 : 0));
  const uint32_t minutes = static_cast<uint32_t>(Bcd(label.minutes));
  const uint32_t hours = static_cast<uint32_t>(Bcd(label.hours));
  return frames | (seconds << 8) | (minutes << 16) | (hours << 24);
}

}  // namespace mxfgen
