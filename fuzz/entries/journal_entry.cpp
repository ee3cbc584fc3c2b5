// Body of fuzz_journal.
#include <vector>

#include "fuzz/entries/fuzz_entries.h"
#include "fuzz/entries/scratch_file.h"
#include "platform/file.h"
#include "rewrap/undo_journal.h"
#include "rewrap/undo_restore.h"

namespace fuzz {

namespace {

// The stand-in MXF file: a fixed pattern, rewritten when an undo changed it.
const std::vector<uint8_t>& MxfBytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(64 * 1024);
    uint32_t x = 0x9E3779B9u;
    for (uint8_t& v : b) {
      x = x * 1664525u + 1013904223u;
      v = static_cast<uint8_t>(x >> 24);
    }
    return b;
  }();
  return bytes;
}

bool WriteFile(const std::u16string& path, const uint8_t* data, size_t size) {
  plat::File f = plat::File::Open(path, plat::Access::Write, plat::Share::Shared);
  return f.valid() && f.WriteAt(0, data, size) == static_cast<int64_t>(size);
}

std::vector<uint8_t> ReadFile(const std::u16string& path) {
  const plat::File f = plat::File::Open(path, plat::Access::Read, plat::Share::Shared);
  uint64_t size = 0;
  if (!f.valid() || !f.Size(&size)) return {};
  std::vector<uint8_t> b(static_cast<size_t>(size));
  return f.ReadAt(0, b.data(), b.size()) == static_cast<int64_t>(size) ? b : std::vector<uint8_t>{};
}

// The MXF may differ from the pattern only inside the journal's runs.
bool ChangedOnlyInRuns(const std::vector<uint8_t>& now, const UNDO_JOURNAL& j) {
  std::vector<uint8_t> masked = now;
  std::vector<uint8_t> want = MxfBytes();
  if (masked.size() != want.size()) return false;
  for (const UNDO_RUN& r : j.runs) {
    for (uint64_t i = r.offset; i < r.offset + r.length; ++i) masked[i] = want[i] = 0;
  }
  return masked == want;
}

}  // namespace

int RunJournalInput(const uint8_t* data, size_t size) {
  ScratchFile& scratch = ScratchFile::Get();
  const std::u16string mxf = scratch.widePath() + u".mxf";
  const UNDO_SETTINGS settings;
  const std::u16string journal = mxf + u".velmora-undo";
  const std::vector<uint8_t>& pattern = MxfBytes();
  if (!WriteFile(mxf, pattern.data(), pattern.size())) return -1;

  // The reader alone: what it accepts is consistent.
  if (!WriteFile(journal, data, size)) return -1;
  UNDO_JOURNAL j;
  std::string why;
  const int read = ReadUndoJournal(journal, &j, &why);
  FUZZ_CHECK(read >= UNDO_READ_OK && read <= UNDO_READ_UNFINISHED);
  FUZZ_CHECK((read == UNDO_READ_OK) == why.empty());
  if (read == UNDO_READ_OK) {
    uint64_t total = 0;
    for (const UNDO_RUN& r : j.runs) {
      FUZZ_CHECK(r.length > 0 && r.offset + r.length <= j.description.mxfSize);
      FUZZ_CHECK(r.frame < j.description.frameCount);
      total += r.length;
    }
    FUZZ_CHECK(total == j.dataBytes);
  }

  // Inspect, undo and roll back: a refusal leaves the MXF as it was.
  UNDO_OUTCOME o;
  const int inspected = InspectUndo(mxf, settings, &o);
  FUZZ_CHECK(inspected == UNDO_OK || inspected == UNDO_BAD_JOURNAL);
  FUZZ_CHECK(ReadFile(mxf) == pattern);
  for (int pass = 0; pass < 2; ++pass) {
    if (!WriteFile(journal, data, size)) return -1;
    o = UNDO_OUTCOME{};
    const int rc = pass == 0 ? UndoNewestRewrap(mxf, settings, &o) : RollBackInterrupted(mxf, settings, &o);
    FUZZ_CHECK(rc >= UNDO_OK && rc <= UNDO_IO);
    const std::vector<uint8_t> now = ReadFile(mxf);
    if (rc == UNDO_OK) {
      FUZZ_CHECK(read == UNDO_READ_OK && ChangedOnlyInRuns(now, j));
      WriteFile(mxf, pattern.data(), pattern.size());
    } else {
      FUZZ_CHECK(now == pattern);
    }
  }
  plat::RemoveFile(journal);
  return read;
}

}  // namespace fuzz
