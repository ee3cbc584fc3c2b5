#include "rewrap/undo_journal.h"

#include <cstring>

#include "rewrap/checksum64.h"

namespace {

constexpr char kMagic[16] = {'V', 'E', 'L', 'M', 'O', 'R', 'A', '-', 'U', 'N', 'D', 'O', '\r', '\n', '\x1a', '\n'};
constexpr char kDoneMagic[8] = {'V', 'E', 'L', 'M', 'D', 'O', 'N', 'E'};
constexpr uint64_t kMaxDescriptionBytes = 1 << 20;
constexpr uint32_t kMaxRunLength = 1 << 20;
constexpr uint32_t kMaxPathUnits = 32768;
constexpr uint32_t kMaxTracks = 24;

class Writer {
 public:
  void U16(uint16_t v) { Bytes(&v, 2); }
  void U32(uint32_t v) { Bytes(&v, 4); }
  void U64(uint64_t v) { Bytes(&v, 8); }
  void Text(const std::u16string& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char16_t c : s) U16(static_cast<uint16_t>(c));
  }
  void Bytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  }
  // Appends the checksum of everything written so far from `from`.
  void Seal(size_t from = 0) { U64(Checksum64(out.data() + from, out.size() - from)); }
  std::vector<uint8_t> out;
};

// Bounds-checked reads from a buffer; once a read fails every later one does.
class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  bool ok() const { return ok_; }
  bool done() const { return ok_ && at_ == n_; }
  uint16_t U16() { uint16_t v = 0; Bytes(&v, 2); return v; }
  uint32_t U32() { uint32_t v = 0; Bytes(&v, 4); return v; }
  uint64_t U64() { uint64_t v = 0; Bytes(&v, 8); return v; }
  std::u16string Text() {
    const uint32_t units = U32();
    if (units > kMaxPathUnits || units * 2ull > n_ - at_) ok_ = false;
    std::u16string s;
    for (uint32_t i = 0; ok_ && i < units; ++i) s.push_back(static_cast<char16_t>(U16()));
    return s;
  }
  void Bytes(void* dst, size_t n) {
    if (!ok_ || n > n_ - at_) {
      ok_ = false;
      std::memset(dst, 0, n);
      return;
    }
    std::memcpy(dst, p_ + at_, n);
    at_ += n;
  }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t at_ = 0;
  bool ok_ = true;
};

uint64_t HeaderSum(const uint8_t* h) {
  uint8_t copy[56];
  std::memcpy(copy, h, 56);
  std::memset(copy + kUndoStateOffset, 0, 4);  // the state word is rewritten in place
  return Checksum64(copy, sizeof copy);
}

bool ValidState(uint32_t s) { return s >= UNDO_STATE_WRITING && s <= UNDO_STATE_UNDOING; }

// Reads `n` bytes at `at` whose last 8 are the checksum of the rest.
int ReadSealed(const plat::File& f, uint64_t at, uint64_t n, std::vector<uint8_t>* out, std::string* why,
               const char* what) {
  out->resize(static_cast<size_t>(n));
  const int64_t got = f.ReadAt(at, out->data(), out->size());
  if (got < 0) {
    *why = std::string("cannot read the ") + what;
    return UNDO_READ_OPEN;
  }
  if (static_cast<uint64_t>(got) != n) {
    *why = std::string("the ") + what + " is cut short";
    return UNDO_READ_TRUNCATED;
  }
  uint64_t sum = 0;
  std::memcpy(&sum, out->data() + n - 8, 8);
  if (Checksum64(out->data(), static_cast<size_t>(n - 8)) != sum) {
    *why = std::string("the checksum of the ") + what + " does not match";
    return UNDO_READ_DAMAGED;
  }
  out->resize(static_cast<size_t>(n - 8));
  return UNDO_READ_OK;
}

bool ParseDescription(const std::vector<uint8_t>& b, UNDO_DESCRIPTION* d) {
  Reader r(b.data(), b.size());
  d->createdNanos = static_cast<int64_t>(r.U64());
  d->ioMethod = r.U32();
  d->mxfPath = r.Text();
  d->mxfSize = r.U64();
  d->headerPartitionBytes = r.U64();
  d->headerPartitionSum = r.U64();
  d->elementHeaderSum = r.U64();
  for (int i = 0; i < 2; ++i) d->wrapIn[i] = r.U32();
  for (int i = 0; i < 2; ++i) d->wrapOut[i] = r.U32();
  d->firstEntry = r.U32();
  d->frameCount = r.U32();
  d->tcBase = static_cast<int32_t>(r.U32());
  d->dropFrame = static_cast<int32_t>(r.U32());
  const uint32_t tracks = r.U32();
  if (tracks == 0 || tracks > kMaxTracks) return false;
  d->tracks.clear();
  for (uint32_t i = 0; r.ok() && i < tracks; ++i) {
    UNDO_TRACK t;
    t.slot = r.U32();
    t.source = static_cast<int32_t>(r.U32());
    t.wavPath = r.Text();
    if (t.slot >= kMaxTracks || t.source < -1 || t.source >= static_cast<int32_t>(kMaxTracks)) return false;
    d->tracks.push_back(std::move(t));
  }
  return r.done() && d->ioMethod <= 1 && !d->mxfPath.empty() && d->frameCount > 0 &&
         d->headerPartitionBytes <= d->mxfSize;
}

}  // namespace

std::vector<uint8_t> EncodeUndoHeader(uint32_t state, uint64_t descriptionBytes, uint64_t runCount,
                                      uint64_t dataBytes) {
  Writer w;
  w.Bytes(kMagic, sizeof kMagic);
  w.U32(kUndoJournalVersion);
  w.U32(state);
  w.U64(descriptionBytes);
  w.U64(runCount);
  w.U64(dataBytes);
  w.U64(0);
  w.U64(HeaderSum(w.out.data()));
  return w.out;
}

std::vector<uint8_t> EncodeUndoRuns(const std::vector<UNDO_RUN>& runs) {
  Writer w;
  w.out.reserve(runs.size() * kUndoRunBytes + 8);
  for (const UNDO_RUN& r : runs) {
    w.U64(r.offset);
    w.U32(r.length);
    w.U32(r.frame);
    w.U16(r.slot);
    w.U16(r.headerBytes);
    w.U32(0);
    w.U64(r.oldSum);
  }
  w.Seal();
  return w.out;
}

std::vector<uint8_t> EncodeUndoDescription(const UNDO_DESCRIPTION& d) {
  Writer w;
  w.U64(static_cast<uint64_t>(d.createdNanos));
  w.U32(d.ioMethod);
  w.Text(d.mxfPath);
  w.U64(d.mxfSize);
  w.U64(d.headerPartitionBytes);
  w.U64(d.headerPartitionSum);
  w.U64(d.elementHeaderSum);
  for (int i = 0; i < 2; ++i) w.U32(d.wrapIn[i]);
  for (int i = 0; i < 2; ++i) w.U32(d.wrapOut[i]);
  w.U32(d.firstEntry);
  w.U32(d.frameCount);
  w.U32(static_cast<uint32_t>(d.tcBase));
  w.U32(static_cast<uint32_t>(d.dropFrame));
  w.U32(static_cast<uint32_t>(d.tracks.size()));
  for (const UNDO_TRACK& t : d.tracks) {
    w.U32(t.slot);
    w.U32(static_cast<uint32_t>(t.source));
    w.Text(t.wavPath);
  }
  w.Seal();
  return w.out;
}

std::vector<uint8_t> EncodeUndoCompletion(const std::vector<UNDO_RUN>& runs, uint64_t bytesVerified) {
  Writer w;
  w.out.reserve(runs.size() * 8 + 24);
  w.Bytes(kDoneMagic, sizeof kDoneMagic);
  w.U64(bytesVerified);
  for (const UNDO_RUN& r : runs) w.U64(r.newSum);
  w.Seal();
  return w.out;
}

bool SetUndoJournalState(plat::File& file, uint32_t state, plat::SysError* err) {
  return file.WriteAt(kUndoStateOffset, &state, 4, err) == 4 && file.Sync(err);
}

int ReadUndoJournal(const std::u16string& path, UNDO_JOURNAL* out, std::string* why) {
  plat::SysError err = 0;
  const plat::File f = plat::File::Open(path, plat::Access::Read, plat::Share::Shared, &err);
  if (!f.valid()) {
    *why = "cannot open the journal: " + plat::DescribeError(err);
    return UNDO_READ_OPEN;
  }
  return ReadUndoJournal(f, out, why);
}

uint32_t PeekUndoJournalState(const std::u16string& path) {
  const plat::File f = plat::File::Open(path, plat::Access::Read, plat::Share::Shared);
  uint8_t h[kUndoStateOffset + 4] = {};
  if (!f.valid() || f.ReadAt(0, h, sizeof h) != static_cast<int64_t>(sizeof h) || std::memcmp(h, kMagic, 16) != 0) {
    return 0;
  }
  uint32_t state = 0;
  std::memcpy(&state, h + kUndoStateOffset, 4);
  return state;
}

int ReadUndoJournal(const plat::File& f, UNDO_JOURNAL* out, std::string* why) {
  uint64_t size = 0;
  if (!f.Size(&size)) {
    *why = "cannot take the journal's size";
    return UNDO_READ_OPEN;
  }
  uint8_t h[kUndoHeaderBytes] = {};
  const int64_t got = f.ReadAt(0, h, sizeof h);
  if (got < 0) {
    *why = "cannot read the journal";
    return UNDO_READ_OPEN;
  }
  if (got < 16 || std::memcmp(h, kMagic, 16) != 0) {
    *why = got < 16 && std::memcmp(h, kMagic, static_cast<size_t>(got)) == 0 ? "the journal is cut short in its header"
                                                                             : "not an undo journal";
    return got < 16 && std::memcmp(h, kMagic, static_cast<size_t>(got)) == 0 ? UNDO_READ_TRUNCATED
                                                                             : UNDO_READ_NOT_JOURNAL;
  }
  if (got < static_cast<int64_t>(kUndoHeaderBytes)) {
    *why = "the journal is cut short in its header";
    return UNDO_READ_TRUNCATED;
  }
  Reader r(h, sizeof h);
  uint8_t magic[16];
  r.Bytes(magic, 16);
  UNDO_JOURNAL j;
  j.version = r.U32();
  j.state = r.U32();
  const uint64_t descriptionBytes = r.U64();
  const uint64_t runCount = r.U64();
  j.dataBytes = r.U64();
  r.U64();
  const uint64_t sum = r.U64();
  if (j.version != kUndoJournalVersion) {
    *why = "journal version " + std::to_string(j.version) + " is not the version this program reads (" +
           std::to_string(kUndoJournalVersion) + ")";
    return UNDO_READ_VERSION;
  }
  if (j.state == UNDO_STATE_WRITING) {
    *why = "the journal was never finished; the MXF file was not touched";
    return UNDO_READ_UNFINISHED;
  }
  if (HeaderSum(h) != sum || !ValidState(j.state) || descriptionBytes > kMaxDescriptionBytes || runCount == 0 ||
      runCount > size / kUndoRunBytes || j.dataBytes > size) {
    *why = "the journal's header is damaged";
    return UNDO_READ_DAMAGED;
  }
  const uint64_t runsAt = kUndoHeaderBytes + j.dataBytes;
  const uint64_t runBytes = runCount * kUndoRunBytes + 8;
  const uint64_t descriptionAt = runsAt + runBytes;
  const uint64_t completionAt = descriptionAt + descriptionBytes + 8;
  if (size < completionAt) {
    *why = "the journal is cut short (" + std::to_string(size) + " of " + std::to_string(completionAt) + " bytes)";
    return UNDO_READ_TRUNCATED;
  }

  std::vector<uint8_t> b;
  if (int rc = ReadSealed(f, descriptionAt, descriptionBytes + 8, &b, why, "description"); rc != UNDO_READ_OK) {
    return rc;
  }
  if (!ParseDescription(b, &j.description)) {
    *why = "the journal's description is damaged";
    return UNDO_READ_DAMAGED;
  }
  if (int rc = ReadSealed(f, runsAt, runBytes, &b, why, "run table"); rc != UNDO_READ_OK) return rc;
  Reader rr(b.data(), b.size());
  j.runs.resize(static_cast<size_t>(runCount));
  uint64_t total = 0;
  const UNDO_DESCRIPTION& d = j.description;
  for (UNDO_RUN& run : j.runs) {
    run.offset = rr.U64();
    run.length = rr.U32();
    run.frame = rr.U32();
    run.slot = rr.U16();
    run.headerBytes = rr.U16();
    rr.U32();
    run.oldSum = rr.U64();
    total += run.length;
    if (run.length == 0 || run.length > kMaxRunLength || run.frame >= d.frameCount || run.slot >= kMaxTracks ||
        (run.headerBytes != 20 && run.headerBytes != 24) || run.offset < run.headerBytes ||
        run.offset > d.mxfSize || run.length > d.mxfSize - run.offset) {
      *why = "the journal's run table is damaged";
      return UNDO_READ_DAMAGED;
    }
  }
  if (total != j.dataBytes) {
    *why = "the journal's run table does not add up to its data";
    return UNDO_READ_DAMAGED;
  }

  const uint64_t completionBytes = 8 + 8 + runCount * 8 + 8;
  if (j.state == UNDO_STATE_COMPLETE) {
    if (size != completionAt + completionBytes) {
      *why = size < completionAt + completionBytes ? "the journal's completion is cut short"
                                                   : "the journal has bytes after its end";
      return size < completionAt + completionBytes ? UNDO_READ_TRUNCATED : UNDO_READ_DAMAGED;
    }
    if (int rc = ReadSealed(f, completionAt, completionBytes, &b, why, "completion"); rc != UNDO_READ_OK) return rc;
    Reader cr(b.data(), b.size());
    uint8_t done[8];
    cr.Bytes(done, 8);
    j.bytesVerified = cr.U64();
    for (UNDO_RUN& run : j.runs) run.newSum = cr.U64();
    if (std::memcmp(done, kDoneMagic, 8) != 0 || !cr.done() || j.bytesVerified > j.dataBytes) {
      *why = "the journal's completion is damaged";
      return UNDO_READ_DAMAGED;
    }
    j.hasNewSums = true;
  }
  *out = std::move(j);
  return UNDO_READ_OK;
}
