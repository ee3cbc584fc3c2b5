// The undo journal of one rewrap: what the rewrap overwrote, so that it can
// be restored byte for byte, and enough about the MXF file to refuse a
// journal that belongs to another file or to another state of this one.
// The layout is in docs/undo-journal.md; all numbers are little-endian.
//
//   fixed header (64 bytes): magic, version, state, section sizes, checksum
//   old bytes:   every run's original bytes, run after run
//   run table:   per run offset, length, frame, slot, header size, old sum
//   description: the MXF's identity, the range, the tracks
//   completion:  after the MXF was flushed: bytes verified, per run new sum
//
// The state word (offset 20) is the only field rewritten in place; it is
// outside the header checksum and only its defined values are accepted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"

inline constexpr uint32_t kUndoJournalVersion = 1;
inline constexpr uint64_t kUndoHeaderBytes = 64;
inline constexpr uint64_t kUndoStateOffset = 20;
inline constexpr uint64_t kUndoRunBytes = 32;

enum UNDO_JOURNAL_STATE : uint32_t {
  UNDO_STATE_WRITING = 1,      // the journal is being written; the MXF is not touched yet
  UNDO_STATE_IN_PROGRESS = 2,  // the journal is whole; the MXF is being rewritten
  UNDO_STATE_COMPLETE = 3,     // the rewrap is flushed and its new sums recorded
  UNDO_STATE_UNDOING = 4,      // the old bytes are being written back
};

// One run of bytes the rewrap overwrote: the value of one track's sound
// element in one frame.
struct UNDO_RUN {
  uint64_t offset = 0;       // file offset of the value
  uint32_t length = 0;
  uint32_t frame = 0;        // offset from IN
  uint16_t slot = 0;         // track slot
  uint16_t headerBytes = 0;  // key and length before the value (20 or 24)
  uint64_t oldSum = 0;
  uint64_t newSum = 0;       // valid when the completion section is
};

struct UNDO_TRACK {
  uint32_t slot = 0;
  int32_t source = -1;        // slot holding the file, -1 silence
  std::u16string wavPath;     // empty for silence
};

// What identifies the MXF file and the job.
struct UNDO_DESCRIPTION {
  int64_t createdNanos = 0;   // when the rewrap started (UTC)
  uint32_t ioMethod = 0;      // 0 mapping, 1 file I/O
  std::u16string mxfPath;     // absolute
  uint64_t mxfSize = 0;
  uint64_t headerPartitionBytes = 0;  // bytes [0, this) of the MXF ...
  uint64_t headerPartitionSum = 0;    // ... and their checksum
  uint64_t elementHeaderSum = 0;      // key and length of every run, chained
  uint32_t wrapIn[2] = {};
  uint32_t wrapOut[2] = {};
  uint32_t firstEntry = 0;
  uint32_t frameCount = 0;
  int32_t tcBase = 0;
  int32_t dropFrame = 0;
  std::vector<UNDO_TRACK> tracks;
};

struct UNDO_JOURNAL {
  uint32_t version = 0;
  uint32_t state = 0;
  UNDO_DESCRIPTION description;
  std::vector<UNDO_RUN> runs;
  uint64_t dataOffset = kUndoHeaderBytes;  // where the old bytes start
  uint64_t dataBytes = 0;
  bool hasNewSums = false;                 // completion section present and sound
  uint64_t bytesVerified = 0;
};

// Why a journal was refused.
enum UNDO_READ_RESULT : int {
  UNDO_READ_OK = 0,
  UNDO_READ_OPEN = 1,         // cannot be opened or read
  UNDO_READ_NOT_JOURNAL = 2,  // no journal magic
  UNDO_READ_VERSION = 3,      // written by a later version
  UNDO_READ_DAMAGED = 4,      // a checksum or a field is wrong
  UNDO_READ_TRUNCATED = 5,    // shorter than its sections say
  UNDO_READ_UNFINISHED = 6,   // still in the writing state: the MXF was never touched
};

// Reads and checks the header, description and run table (and the
// completion section when the state says complete). The old bytes are
// checked run by run by whoever restores them. `why` gets a short English
// reason on failure.
int ReadUndoJournal(const std::u16string& path, UNDO_JOURNAL* out, std::string* why);
// The same on an open file (the fuzz target's way in).
int ReadUndoJournal(const plat::File& file, UNDO_JOURNAL* out, std::string* why);

// The state word in the header of the journal at `path`, or 0 when the file
// cannot be read or is no journal. Reads the header only: whether the
// journal can be trusted is ReadUndoJournal()'s to say.
uint32_t PeekUndoJournalState(const std::u16string& path);

// Serialised sections, for the writer.
std::vector<uint8_t> EncodeUndoHeader(uint32_t state, uint64_t descriptionBytes, uint64_t runCount,
                                      uint64_t dataBytes);
std::vector<uint8_t> EncodeUndoRuns(const std::vector<UNDO_RUN>& runs);  // with its checksum
std::vector<uint8_t> EncodeUndoDescription(const UNDO_DESCRIPTION& d);  // with its checksum
std::vector<uint8_t> EncodeUndoCompletion(const std::vector<UNDO_RUN>& runs, uint64_t bytesVerified);

// Rewrites the state word and puts the journal on the disk.
bool SetUndoJournalState(plat::File& file, uint32_t state, plat::SysError* err);
