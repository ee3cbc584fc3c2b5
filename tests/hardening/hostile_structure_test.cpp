// Files built to mislead the reader: lengths, counts and offsets that point
// past the end of the file or of their set, packs that point at themselves,
// a zero block align, degenerate files and a folder in place of a file. The
// whole analysis job runs over each by both I/O methods and must end with
// one refusal of the expected code (no crash, no hang, same code by both
// methods). Then the rewrap and export engines meet an index damaged after
// the file was loaded, and must refuse with nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "bwf/export_engines.h"
#include "rewrap/rewrap_engines.h"
#include "tests/hardening/hardening_support.h"
#include "tools/mxfgen/labels.h"

namespace hardening {
namespace {

using Bytes = std::vector<uint8_t>;
using rewrap_test::RewrapCase;
using rewrap_test::Scratch;

void PutBE32(Bytes& b, uint64_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<uint64_t>(i)] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
void PutBE64(Bytes& b, uint64_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) b[at + static_cast<uint64_t>(i)] = static_cast<uint8_t>(v >> (56 - 8 * i));
}
uint32_t GetBE32(const Bytes& b, uint64_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// Every KLV of mxfgen carries a 4-byte BER length (83 xx xx xx).
void SetKlvLength(Bytes& b, uint64_t keyOffset, uint32_t length) {
  b[keyOffset + 16] = 0x83;
  b[keyOffset + 17] = static_cast<uint8_t>(length >> 16);
  b[keyOffset + 18] = static_cast<uint8_t>(length >> 8);
  b[keyOffset + 19] = static_cast<uint8_t>(length);
}

uint64_t FindKey(const Bytes& b, const mxfgen::UL& key) {
  const auto it = std::search(b.begin(), b.end(), key.begin(), key.end());
  return it == b.end() ? UINT64_MAX : static_cast<uint64_t>(it - b.begin());
}

// Offset of the value of local item `tag` in the set whose key is at `set`.
uint64_t FindItem(const Bytes& b, uint64_t set, uint16_t tag) {
  const uint64_t end = set + 20 + (GetBE32(b, set + 16) & 0xFFFFFF);
  for (uint64_t at = set + 20; at + 4 <= end;) {
    const uint16_t t = static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
    const uint16_t len = static_cast<uint16_t>(b[at + 2] << 8 | b[at + 3]);
    if (t == tag) return at + 4;
    at += 4u + len;
  }
  return UINT64_MAX;
}

// Random index pack entry i: BodySID (4), ByteOffset (8).
uint64_t RipEntryOffset(const mxfgen::Layout& l, int i) { return l.ripOffset + 20 + 12 * static_cast<uint64_t>(i) + 4; }

// The footer index segment's index entry array: count, entry size, entries.
struct EntryArray {
  uint64_t at = 0;  // count field
  uint32_t entrySize = 0;
};
EntryArray IndexEntries(const Bytes& b, const mxfgen::Layout& l) {
  EntryArray a;
  a.at = FindItem(b, l.segments.back().offset, 0x3F0A);
  a.entrySize = GetBE32(b, a.at + 4);
  return a;
}
// StreamOffset of entry k (after TemporalOffset, KeyFrameOffset, Flags).
uint64_t StreamOffsetField(const EntryArray& a, int k) { return a.at + 8 + uint64_t{a.entrySize} * k + 3; }

struct HostileCase {
  const char* name;
  std::function<void(Bytes&, const mxfgen::Layout&)> damage;
  int code;  // of the job's final message (0: loads)
};

class HostileStructure : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Scratch s;
    mxfgen::Options o = rewrap_test::SmallClip(12, 2);
    std::string error;
    const std::string path = s.Path("base.mxf");
    ASSERT_TRUE(mxfgen::WriteMxf(path, o, &layout_, &error)) << error;
    base_ = ReadAll(path);
  }
  static mxfgen::Layout layout_;
  static Bytes base_;
  Scratch scratch_;
};
mxfgen::Layout HostileStructure::layout_;
Bytes HostileStructure::base_;

TEST_F(HostileStructure, EveryDamagedFileIsRefusedWithItsCodeByBothMethods) {
  using L = const mxfgen::Layout&;
  const std::vector<HostileCase> cases = {
      {"empty file", [](Bytes& b, L) { b.clear(); }, 204},
      {"one byte", [](Bytes& b, L) { b.resize(1); }, 204},
      {"cut inside the last frame", [](Bytes& b, L l) { b.resize(l.Sound(11, 1).valueOffset + 7); }, 204},
      {"pack's overall length beyond the start of the file",
       [](Bytes& b, L) { PutBE32(b, b.size() - 4, 0xFFFFFF00u); }, 204},
      {"pack's overall length claims entries past its value",
       [](Bytes& b, L) { PutBE32(b, b.size() - 4, GetBE32(b, b.size() - 4) + 12000); }, 204},
      // The entries lie inside the file and inside the overall length.
      {"pack's own length past the end of the file",
       [](Bytes& b, L l) { SetKlvLength(b, l.ripOffset, 0xFFFFFF); }, 0},
      {"partition entry past the end of the file",
       [](Bytes& b, L l) { PutBE64(b, RipEntryOffset(l, 1), b.size() + 4096); }, 210},
      {"partition entry at the top of the offset range",
       [](Bytes& b, L l) { PutBE64(b, RipEntryOffset(l, 0), UINT64_MAX - 3); }, 210},
      {"partition entry pointing into the pack itself",
       [](Bytes& b, L l) { PutBE64(b, RipEntryOffset(l, 1), l.ripOffset); }, 210},
      {"partition entry pointing at the last 17 bytes",
       [](Bytes& b, L l) { PutBE64(b, RipEntryOffset(l, 1), b.size() - 17); }, 210},
      {"partition pack in the last bytes, value past the end",
       [](Bytes& b, L l) {
         // The footer pack's key and length moved to the end of the file,
         // followed only by a new pack that lists it.
         const uint64_t footer = l.partitions.back().offset;
         Bytes rip(b.begin() + static_cast<long>(l.ripOffset), b.end());
         const Bytes head(b.begin() + static_cast<long>(footer), b.begin() + static_cast<long>(footer + 20));
         b.resize(l.ripOffset);
         const uint64_t moved = b.size();
         b.insert(b.end(), head.begin(), head.end());
         PutBE64(rip, 20 + 12 * (l.partitions.size() - 1) + 4, moved);
         b.insert(b.end(), rip.begin(), rip.end());
       },
       210},
      {"partition pack length past the end of the file",
       [](Bytes& b, L l) { SetKlvLength(b, l.partitions.back().offset, 0xFFFFFF); }, 210},
      {"primer pack length past the end of the file",
       [](Bytes& b, L) { SetKlvLength(b, FindKey(b, mxfgen::labels::kPrimerPack), 0xFFFFFF); }, 304},
      {"preface length past the end of the file",
       [](Bytes& b, L) { SetKlvLength(b, FindKey(b, mxfgen::labels::kPreface), 0xFFFFFF); }, 405},
      // The walk stops at the item; the items checked are not reached, and
      // the rest of the header is intact.
      {"preface item length past the set",
       [](Bytes& b, L) {
         const uint64_t set = FindKey(b, mxfgen::labels::kPreface);
         b[set + 22] = 0xFF;  // the first item's length
         b[set + 23] = 0xFF;
       },
       0},
      // The search for the next set goes on after the claimed value.
      {"timecode component length past the end of the file",
       [](Bytes& b, L) { SetKlvLength(b, FindKey(b, mxfgen::labels::kTimecodeComponent), 0xFFFFFF); }, 504},
      // What the segment holds inside the file is used.
      {"index segment length past the end of the file",
       [](Bytes& b, L l) { SetKlvLength(b, l.segments.back().offset, 0xFFFFFF); }, 0},
      {"index entry count past the set",
       [](Bytes& b, L l) { PutBE32(b, IndexEntries(b, l).at, 0xFFFFFFFFu); }, 0},
      {"delta entry count past the set",
       [](Bytes& b, L l) { PutBE32(b, FindItem(b, l.segments.back().offset, 0x3F09), 0xFFFFFFFFu); }, 0},
      // The frames' timecodes cannot be read there: timecode errors.
      {"index entry past the end of the file",
       [](Bytes& b, L l) { PutBE64(b, StreamOffsetField(IndexEntries(b, l), 5), b.size() + 1); }, 1009},
      {"index entry at the top of the offset range",
       [](Bytes& b, L l) { PutBE64(b, StreamOffsetField(IndexEntries(b, l), 11), UINT64_MAX - 40); }, 1009},
      // No first frame to find a system item in: refused before any
      // timecode is read.
      {"every index entry past the end of the file",
       [](Bytes& b, L l) {
         const EntryArray a = IndexEntries(b, l);
         for (int k = 0; k < 12; ++k) PutBE64(b, StreamOffsetField(a, k), b.size() + 1000u * k);
       },
       1011},
      {"zero block align",
       [](Bytes& b, L) {
         const uint8_t item[6] = {0x3D, 0x0A, 0x00, 0x02, 0x00, 0x03};
         for (auto it = b.begin(); (it = std::search(it, b.end(), item, item + 6)) != b.end(); it += 6) {
           it[4] = 0;
           it[5] = 0;
         }
       },
       706},
      {"first sound element length past the end of the file",
       [](Bytes& b, L l) { SetKlvLength(b, l.Sound(0, 0).keyOffset, 0xFFFFFF); }, 708},
      // Only the first frame's element is measured by the analysis; the
      // engines check every element they touch (below).
      {"last sound element length past the end of the file",
       [](Bytes& b, L l) { SetKlvLength(b, l.Sound(11, 1).keyOffset, 0xFFFFFF); }, 0},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = base_;
    c.damage(bytes, layout_);
    const std::string path = scratch_.Path("hostile.mxf");
    WriteAll(path, bytes);
    const AnalysisOutcome byMapping = AnalyseFile(path, IO_MAPPING);
    const AnalysisOutcome byFile = AnalyseFile(path, IO_FILE);
    EXPECT_EQ(byMapping.finalCount, 1);
    EXPECT_EQ(byMapping.code, c.code);
    EXPECT_EQ(byFile.code, c.code);
    EXPECT_EQ(byMapping.message, c.code == 0 ? WM_JOB_DONE : WM_JOB_FAILED);
    // The message names the code the user reports.
    if (c.code != 0) {
      EXPECT_NE(byMapping.text.find(plat::Utf8ToUtf16("ERR: " + std::to_string(c.code))), std::u16string::npos);
    }
  }
}

TEST_F(HostileStructure, AFolderInPlaceOfTheFile) {
  // The open fails; the job then meets an invalid file.
  for (uint8_t method : {IO_MAPPING, IO_FILE}) {
    const AnalysisOutcome out = AnalyseFile(scratch_.dir(), method);
    EXPECT_EQ(out.message, WM_JOB_FAILED);
    EXPECT_EQ(out.code, 201);
  }
  // The engines refuse to open it.
  RewrapCase c;
  ASSERT_TRUE(c.Make(rewrap_test::SmallClip(12, 2)));
  c.plan.trackSwitch[0] = TRACK_ON;
  c.SetRange(0, 11);
  c.path = scratch_.dir();
  EXPECT_EQ(rewrap_test::RunEngine(rewrap_test::Engine::Mapping, c.path, &c.plan, &c.state.base), 2006);
  EXPECT_EQ(rewrap_test::RunEngine(rewrap_test::Engine::File, c.path, &c.plan, &c.state.base), 3007);
}


// The index of a loaded file damaged afterwards (in memory, or the file's
// bytes changed under it): every engine checks the elements it is going to
// touch and refuses before the first byte is written or the first BWF file
// is made.
struct IndexDamage {
  const char* name;
  std::function<void(RewrapCase&)> damage;
};


TEST(HostileIndexAfterLoading, EnginesRefuseWithNothingWritten) {
  auto entry = [](RewrapCase& c, int k) -> INDEX_ENTRY_ARRAY& { return c.state.indexEntries[static_cast<size_t>(k)]; };
  const std::vector<IndexDamage> cases = {
      {"stream offset past the end of the file",
       [&](RewrapCase& c) { entry(c, 6).streamOffset = c.original.size() + 100; }},
      {"stream offset at the top of the offset range",
       [&](RewrapCase& c) { entry(c, 6).streamOffset = UINT64_MAX - 8; }},
      {"slice offset past the end of the file", [&](RewrapCase& c) { entry(c, 9).sliceOffset = 0xFFFFFFF0u; }},
      {"element delta past the end of the file",
       [&](RewrapCase& c) { entry(c, 3).deltas[3].elementDelta = 0xFFFFFFF0u; }},
      {"no delta entries for the sound elements", [&](RewrapCase& c) { entry(c, 10).deltaCount = 2; }},
      {"sample count far beyond the element", [&](RewrapCase& c) { entry(c, 4).audioSamples = 0x7FFFFFF; }},
      {"last element's length past the end of the file",
       [&](RewrapCase& c) {
         Bytes b = c.original;
         SetKlvLength(b, c.layout.Sound(11, 1).keyOffset, 0xFFFFFF);
         WriteAll(c.path, b);
         c.original = b;
       }},
  };
  using Run = int (*)(const std::u16string&, AUDIOTRACK_IO_INFO*, MXF_BASE_INFO*);
  const struct {
    const char* name;
    Run run;
    int step;
    bool rewrap;
  } engines[] = {
      {"rewrap by mapping", RewrapByMapping, 2000, true},
      {"rewrap by file", RewrapByFile, 3000, true},
      {"export by mapping", ExportBwfByMapping, 4000, false},
      {"export by file", ExportBwfByFile, 5000, false},
  };
  for (const IndexDamage& d : cases) {
    for (const auto& e : engines) {
      SCOPED_TRACE(std::string(d.name) + ", " + e.name);
      RewrapCase c;
      ASSERT_TRUE(c.Make(rewrap_test::SmallClip(12, 2)));
      c.plan.trackSwitch[0] = TRACK_ON;  // silence
      c.plan.trackSwitch[1] = TRACK_ON;
      c.SetRange(0, 11);
      const std::string out = c.scratch.Path("out");
      std::filesystem::create_directories(out);
      SelectExport(c, out, {0, 1}, u"T-");
      d.damage(c);
      EXPECT_EQ(e.run(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base), e.step + 14);
      EXPECT_TRUE(c.FileIs(c.original));
      EXPECT_TRUE(std::filesystem::is_empty(out));
    }
  }
}

// Index entries out of file order (frame 5's entry where frame 0's belongs
// and the other way round): each entry still points at a sound element, so
// both engines must write each frame's samples where its entry points, the
// same bytes, never outside what they mapped or checked.
TEST(HostileIndexAfterLoading, EntriesOutOfFileOrderGiveTheSameBytesFromBothEngines) {
  std::vector<uint8_t> results[2];
  int codes[2] = {-1, -1};
  using rewrap_test::Engine;
  const Engine engines[2] = {Engine::Mapping, Engine::File};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(rewrap_test::EngineName(engines[i]));
    RewrapCase c;
    ASSERT_TRUE(c.Make(rewrap_test::SmallClip(12, 2)));
    WAV_LIBRARY_ENTRY* wav = c.AddNoiseWav("n.wav", 1, 24, 40000, 5);
    ASSERT_NE(wav, nullptr);
    c.Assign(0, wav);
    c.plan.trackSwitch[1] = TRACK_ON;  // silence
    c.SetRange(0, 11);
    std::swap(c.state.indexEntries[0], c.state.indexEntries[5]);
    codes[i] = rewrap_test::RunEngine(engines[i], c.path, &c.plan, &c.state.base);
    results[i] = rewrap_test::ReadAll(c.path);
    if (codes[i] != 0) {
      EXPECT_TRUE(c.FileIs(c.original));
    }
  }
  EXPECT_EQ(codes[0] % 1000, codes[1] % 1000);
  EXPECT_TRUE(results[0] == results[1]);
}

}  // namespace
}  // namespace hardening
