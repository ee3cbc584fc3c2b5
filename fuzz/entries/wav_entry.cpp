// Body of fuzz_wav.
#include "bwf/wav_library.h"
#include "bwf/wav_reader.h"
#include "fuzz/entries/fuzz_entries.h"
#include "fuzz/entries/scratch_file.h"
#include "timecode/timecode.h"

namespace fuzz {

namespace {

// The loaded MXF file's timecode record as byte `b` describes it: bits 0-2
// the rate class, bit 3 drop frame, bit 4 a start in hour 23, bits 5-6 the
// timecode base (3: the base of the rate class; 0-2: another base, which
// a damaged file could give), bit 7 an unsupported rate class.
void DescribeTimecode(uint8_t b, MXF_TIMECODE_INFO* tc) {
  static const int32_t kBaseOfClass[8] = {TC_BASE_24, TC_BASE_25, TC_BASE_30, TC_BASE_60,
                                          TC_BASE_24, TC_BASE_25, TC_BASE_30, TC_BASE_60};
  static const int32_t kNum[8] = {24000, 25000, 30000, 60000, 24000, 25000, 30000, 60000};
  static const int32_t kDen[8] = {1000, 1000, 1000, 1000, 1001, 1001, 1001, 1001};
  const int cls = b & 7;
  tc->frameRateClass = (b & 0x80) ? FRC_UNSUPPORTED : cls;
  tc->dropFrame = (b >> 3) & 1;
  tc->startHourIs23 = (b >> 4) & 1;
  const int baseSel = (b >> 5) & 3;
  tc->tcBase = baseSel == 3 ? kBaseOfClass[cls] : baseSel;
  tc->editRateNum = kNum[cls];
  tc->editRateDen = kDen[cls];
}

}  // namespace

int RunWavInput(const uint8_t* data, size_t size) {
  if (size < 1) return -1;
  MXF_TIMECODE_INFO tc;
  DescribeTimecode(data[0], &tc);
  const uint8_t* file = data + 1;
  const size_t fileSize = size - 1;

  ScratchFile& scratch = ScratchFile::Get();
  if (!scratch.Write(file, fileSize)) return -1;
  const std::u16string path = scratch.widePath();

  WAV_FORMAT_INFO info;
  const int read = ReadWavFile(path, &info, &tc);
  FUZZ_CHECK(read >= WAV_READ_OK && read <= WAV_READ_BAD_FORMAT);
  if (read == WAV_READ_OK) {
    FUZZ_CHECK(info.sampleRate == 48000);
    FUZZ_CHECK(info.bitsPerSample == 16 || info.bitsPerSample == 24);
    FUZZ_CHECK(info.blockAlign != 0 && info.blockAlign == info.channels * (info.bitsPerSample / 8));
    // The samples the engines will read lie inside the file.
    FUZZ_CHECK(info.dataOffset <= fileSize);
    FUZZ_CHECK(info.dataSize <= fileSize - info.dataOffset);
  }

  // The same file through the library, twice (the second is a duplicate).
  WAV_LIBRARY_ENTRY head;
  const int added = WavLibraryAdd(path, &head, &tc);
  FUZZ_CHECK(added == (read == WAV_READ_OK ? WAV_ADD_OK : read + 2));
  if (added == WAV_ADD_OK) {
    FUZZ_CHECK(head.count.load() == 1);
    FUZZ_CHECK(WavLibraryAdd(path, &head, &tc) == WAV_ADD_DUPLICATE);
    std::vector<WAV_LIBRARY_ENTRY*> view;
    FUZZ_CHECK(WavLibraryIndex(&head, view));
    FUZZ_CHECK(view.size() == 1);
    bool ascending = (data[0] & 1) != 0;
    for (int key = WAV_SORT_FILE_NAME; key <= WAV_SORT_SIZE; ++key) {
      FUZZ_CHECK(WavLibrarySort(view, key, ascending));
    }
    // Every column text is terminated inside its field.
    for (int c = 0; c < kWavColumnCount; ++c) {
      bool terminated = false;
      for (size_t i = 0; i < kWavColumnUnits && !terminated; ++i) terminated = head.next->columnText[c][i] == 0;
      FUZZ_CHECK(terminated);
    }
  } else {
    FUZZ_CHECK(head.count.load() == 0 && head.next == nullptr);
  }
  WavLibraryClear(&head);
  FUZZ_CHECK(head.next == nullptr && head.count.load() == 0);
  return read;
}

}  // namespace fuzz
