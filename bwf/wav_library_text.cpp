// Display texts and sort keys of library entries, and the messages about
// adding files.
#include <cstdio>

#include "bwf/wav_library.h"
#include "engine/text_format.h"
#include "platform/time.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"

namespace {

// 100 ns units between 1601-01-01 and 1970-01-01, the origin of file times
// in the sort keys.
constexpr int64_t kFileTimeEpochOffset = 116444736000000000LL;

// Writes ASCII text (as produced by snprintf) into a UTF-16 field.
void PutAscii(char16_t* dest, size_t capacity, const char* text) {
  size_t n = 0;
  for (; text[n] != '\0' && n + 1 < capacity; ++n) dest[n] = static_cast<char16_t>(static_cast<unsigned char>(text[n]));
  dest[n] = u'\0';
}

void PutNumber(char16_t* dest, long long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld", value);
  PutAscii(dest, kWavColumnUnits, buf);
}

void PutLocalTime(char16_t* dest, const plat::FileTime& t) {
  const plat::LocalTime lt = plat::ToLocalTime(t);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", lt.year, lt.month, lt.day, lt.hour, lt.minute,
                lt.second);
  PutAscii(dest, kWavColumnUnits, buf);
}

uint64_t FileTimeKey(const plat::FileTime& t) {
  return static_cast<uint64_t>(t.unixNanos / 100 + kFileTimeEpochOffset);
}

std::u16string Decimal(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", value);
  std::u16string out;
  for (const char* p = buf; *p != '\0'; ++p) out.push_back(static_cast<char16_t>(*p));
  return out;
}

}  // namespace

void FillWavEntryTexts(WAV_LIBRARY_ENTRY* entry, const MXF_TIMECODE_INFO* timecode) {
  if (entry == nullptr) return;
  const WAV_FORMAT_INFO& f = entry->format;
  const int32_t base = timecode ? timecode->tcBase : TC_BASE_24;
  const int32_t dropFrame = timecode ? timecode->dropFrame : 0;
  auto column = [entry](int i) { return entry->columnText[i]; };

  size_t n = 0;
  while (n + 1 < kWavColumnUnits && entry->fileName[n] != u'\0') {
    column(WAV_COL_FILE_NAME)[n] = entry->fileName[n];
    ++n;
  }
  column(WAV_COL_FILE_NAME)[n] = u'\0';
  PutNumber(column(WAV_COL_CHANNELS), f.channels);
  PutNumber(column(WAV_COL_BITS), f.bitsPerSample);
  PutNumber(column(WAV_COL_SAMPLE_RATE), f.sampleRate);
  FormatTimecodeSubframe(column(WAV_COL_START), kWavColumnUnits, base, dropFrame, static_cast<int32_t>(f.startFrame),
                         static_cast<int32_t>(f.startSubframe), static_cast<int32_t>(f.startFract));
  FormatTimecodeSubframe(column(WAV_COL_END), kWavColumnUnits, base, dropFrame, static_cast<int32_t>(f.endFrame),
                         static_cast<int32_t>(f.endSubframe), static_cast<int32_t>(f.endFract));
  FormatTimecode(column(WAV_COL_DURATION), kWavColumnUnits, base, dropFrame, static_cast<int32_t>(f.durationFrames),
                 0);
  PutLocalTime(column(WAV_COL_CREATED), entry->findData.times.creation);
  PutLocalTime(column(WAV_COL_MODIFIED), entry->findData.times.modification);
  const uint64_t size = entry->findData.size;
  FormatByteSize(static_cast<uint32_t>(size), static_cast<uint32_t>(size >> 32), column(WAV_COL_SIZE),
                 kWavColumnUnits);

  entry->sortChannels = f.channels;
  entry->sortBits = f.bitsPerSample;
  entry->sortSampleRate = f.sampleRate;
  entry->sortStartFrame = f.startFrame;
  entry->sortEndFrame = f.endFrame;
  entry->sortLength = f.durationFrames;
  entry->sortCreated = FileTimeKey(entry->findData.times.creation);
  entry->sortModified = FileTimeKey(entry->findData.times.modification);
  entry->sortSize = size;
}

std::u16string WavAddFailureMessage(int code, std::u16string_view path, bool dropped, plat::SysError sysErr) {
  const std::u16string err = dropped ? u"ERR: " + Decimal(code) : u"(ERR: " + Decimal(code) + u")";
  const std::u16string file(path);
  switch (code) {
    case WAV_ADD_OK:
      return {};
    case WAV_ADD_BAD_FRAME_RATE:
      return file + u"\nチャンクサイズが取得できないため追加できません。\n" + err;
    case WAV_ADD_NOT_WAVE:
      return file + u"\nWAVEファイルではないため追加できません。\n" + err;
    case WAV_ADD_BAD_FORMAT:
      if (dropped) break;
      return file + u"\n\n16/24bit/48kHzになっていないため追加できません。\n" + err;
    case WAV_ADD_MISSING:
      return FormatText(LoadString(kStrWavMissing), {path});
    case WAV_ADD_FOLDER:
      return FormatText(LoadString(kStrWavIsFolder), {path});
    case WAV_ADD_NOT_REGULAR:
      return FormatText(LoadString(kStrWavNotRegular), {path});
    case WAV_ADD_UNREADABLE:
      return FormatText(LoadString(kStrWavUnreadable), {path, static_cast<int64_t>(sysErr)});
    case WAV_ADD_DUPLICATE:
      return file + u"\nこのファイルは既に追加されています。)";
    default:
      break;
  }
  return u"ファイル処理でエラーが発生しました。\n" + err;
}
