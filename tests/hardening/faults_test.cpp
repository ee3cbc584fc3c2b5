// The MXF file shrinking or disappearing while a rewrap or an export runs.
// Each job runs in a child process, so that a crash (SIGBUS from a mapped
// page past the new end of the file) fails the test instead of ending it;
// the test stops the child part way (rewrap) or acts from the export's frame
// hook, changes the file, and lets the job go on. The job must end with a
// failure code and an honest message (or, where nothing was lost, complete
// correctly), and the next job on a good file must work.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "bwf/bwf_header.h"
#include "bwf/export_engines.h"
#include "rewrap/rewrap_engines.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/undo_restore.h"
#include "tests/hardening/hardening_support.h"

namespace hardening {
namespace {

#if !defined(_WIN32)

using rewrap_test::Engine;
using rewrap_test::EngineName;
using rewrap_test::RewrapCase;
using rewrap_test::StepOf;

constexpr int64_t kFrames = 2000;
constexpr uint32_t kStopAt = 100;  // the job is stopped (rewrap) or the file damaged (export) after this frame

enum class Fault { Shrink, Unlink };

struct FaultCase {
  Engine engine;
  Fault fault;
};

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& info) {
  return std::string(EngineName(info.param.engine)) + (info.param.fault == Fault::Shrink ? "Shrink" : "Unlink");
}

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << EngineName(c.engine) << (c.fault == Fault::Shrink ? ", file cut short" : ", file deleted");
}

// True when the child's engine returned; a crash (a signal, or the
// sanitizers' report and exit) is a failure.
bool ExpectReturned(Child& child, SharedPlan& shared) {
  const int signal = child.TermSignal();
  EXPECT_EQ(signal, 0) << "the job died of signal " << signal << " (SIGBUS: a mapped page past the end of the file)";
  EXPECT_NE(shared.result().load(), -1) << "the job did not return";
  return signal == 0 && shared.result().load() != -1;
}

class RewrapFault : public ::testing::TestWithParam<FaultCase> {};

INSTANTIATE_TEST_SUITE_P(Both, RewrapFault,
                         ::testing::Values(FaultCase{Engine::Mapping, Fault::Shrink},
                                           FaultCase{Engine::File, Fault::Shrink},
                                           FaultCase{Engine::Mapping, Fault::Unlink},
                                           FaultCase{Engine::File, Fault::Unlink}),
                         CaseName);

TEST_P(RewrapFault, EndsInAFailureAndTheNextRunWorks) {
  const Engine engine = GetParam().engine;
  RewrapCase c;
  ASSERT_TRUE(c.Make(rewrap_test::SmallClip(kFrames, 2)));
  c.plan.trackSwitch[0] = TRACK_ON;  // silence on both tracks: the range is one block of the file engine
  c.plan.trackSwitch[1] = TRACK_ON;
  c.SetRange(0, kFrames - 1);

  SharedPlan shared;
  ASSERT_TRUE(shared.valid());
  shared.CopyFrom(c.plan);
  const std::string path = c.path;
  MXF_BASE_INFO* base = &c.state.base;
  Child child(shared, [&](AUDIOTRACK_IO_INFO* plan) { return rewrap_test::RunEngine(engine, path, plan, base); });
  ASSERT_TRUE(child.forked());
  AUDIOTRACK_IO_INFO& plan = shared.plan();
  ASSERT_TRUE(WaitFor([&] { return (plan.jobPhase.load() == JOB_PHASE_WRITE && plan.currentFrame.load() >= kStopAt) || shared.result() != -1; }));
  ASSERT_TRUE(child.Stop());
  const uint32_t stoppedAt = plan.currentFrame.load();
  ASSERT_EQ(shared.result().load(), -1) << "the job ended before it could be stopped";
  // The file is cut halfway between the frame reached and the end.
  ASSERT_LT(stoppedAt, kFrames - 20);
  const int64_t cutAt = (stoppedAt + kFrames) / 2;
  if (GetParam().fault == Fault::Shrink) {
    std::filesystem::resize_file(path, c.layout.frames[static_cast<size_t>(cutAt)].packageOffset);
  } else {
    std::filesystem::remove(path);
  }
  child.Continue();
  if (ExpectReturned(child, shared)) {
    const int result = shared.result().load();
    EXPECT_EQ(result, StepOf(engine) + REWRAP_WRITE_FAILED)
        << "the job was stopped at frame " << stoppedAt << " and the file then "
        << (GetParam().fault == Fault::Shrink ? "cut at frame " + std::to_string(cutAt) : "deleted");
    // The message of that code says the write failed, also for a file
    // deleted or cut short meanwhile.
    const std::u16string text =
        ComposeJobFailure(u"clip.mxf", JOB_REWRAP, StepOf(engine), StepOf(engine) + REWRAP_WRITE_FAILED, 0);
    EXPECT_NE(text.find(u"書込みに失敗"), std::u16string::npos);
    EXPECT_NE(text.find(u"削除されたか短くなった"), std::u16string::npos);
  }

  // The frames up to the one the child had reached are rewritten.
  if (GetParam().fault == Fault::Shrink) {
    const std::vector<uint8_t> got = ReadAll(path);
    const std::vector<uint8_t> want = c.Expected(stoppedAt);
    for (int64_t f = 0; f <= stoppedAt; ++f) {
      for (int slot = 0; slot < 2; ++slot) {
        const auto& el = c.layout.Sound(f, slot);
        ASSERT_GE(got.size(), el.valueOffset + el.valueSize);
        EXPECT_EQ(StateOf(got, c.original, want, el.valueOffset, el.valueSize), ElementState::New)
            << "frame " << f << " slot " << slot;
      }
    }
  }

  // The next job on a good copy of the file, once the failed job's journal
  // ("in progress") is settled: until then it is refused untouched.
  c.Restore();
  c.plan.currentFrame = 0;
  EXPECT_EQ(rewrap_test::RunEngine(engine, path, &c.plan, &c.state.base), StepOf(engine) + REWRAP_RECOVERY_PENDING);
  EXPECT_TRUE(FileHolds(c.path, c.original));
  UNDO_OUTCOME left;
  EXPECT_EQ(LeaveInterrupted(plat::Utf8ToUtf16(path), UNDO_SETTINGS{}, &left), UNDO_OK) << left.why;
  EXPECT_EQ(rewrap_test::RunEngine(engine, path, &c.plan, &c.state.base), 0);
  EXPECT_TRUE(FileHolds(c.path, c.Expected()));
}

// --- Export -----------------------------------------------------------------

std::string g_mxfPath;
uint64_t g_cutTo = 0;
Fault g_fault = Fault::Shrink;
void DamageAtFrame(AUDIOTRACK_IO_INFO*, uint32_t frame) {
  if (frame != kStopAt) return;
  if (g_fault == Fault::Shrink) {
    std::filesystem::resize_file(g_mxfPath, g_cutTo);
  } else {
    std::filesystem::remove(g_mxfPath);
  }
}

struct ExportEngine {
  const char* name;
  int (*run)(const std::u16string&, AUDIOTRACK_IO_INFO*, MXF_BASE_INFO*);
  int step;
};

void PrintTo(const ExportEngine& e, std::ostream* os) { *os << e.name; }

class ExportFault : public ::testing::TestWithParam<ExportEngine> {};

INSTANTIATE_TEST_SUITE_P(Both, ExportFault,
                         ::testing::Values(ExportEngine{"Mapping", ExportBwfByMapping, 4000},
                                           ExportEngine{"File", ExportBwfByFile, 5000}),
                         [](const auto& info) { return std::string(info.param.name); });

// Sample bytes of one track over frames [0, frames) from mxfgen's pattern.
std::vector<uint8_t> PatternBytes(const mxfgen::Layout& l, int slot, int64_t frames) {
  std::vector<uint8_t> out;
  for (int64_t f = 0; f < frames; ++f) {
    const auto& el = l.Sound(f, slot);
    for (uint32_t i = 0; i < el.samples; ++i) {
      const uint32_t v = mxfgen::PatternSample(slot, el.firstSample + i, 24);
      for (int b = 0; b < 3; ++b) out.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
  }
  return out;
}


// The file is cut short inside the part the engine is reading (the mapped
// view, or a block not yet read): a read failure (or the element check, or
// the view), never a crash, and the files are reported incomplete.
TEST_P(ExportFault, FileCutShortInsideTheRunBeingRead) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(rewrap_test::SmallClip(kFrames, 2)));
  c.SetRange(0, kFrames - 1);
  const std::string out = c.scratch.Path("out");
  std::filesystem::create_directories(out);
  SelectExport(c, out, {0, 1});
  // Blocks of one minute: the file engine reads the frames after the first
  // 1800 after the cut.
  c.plan.wavBufferIndex = 0;

  SharedPlan shared;
  ASSERT_TRUE(shared.valid());
  shared.CopyFrom(c.plan);
  g_mxfPath = c.path;
  g_cutTo = c.layout.frames[kStopAt + 50].packageOffset;
  g_fault = Fault::Shrink;
  MXF_BASE_INFO* base = &c.state.base;
  const ExportEngine e = GetParam();
  const std::u16string wide = plat::Utf8ToUtf16(c.path);
  Child child(shared, [&](AUDIOTRACK_IO_INFO* plan) {
    SetBwfExportFrameHook(DamageAtFrame);
    const int r = e.run(wide, plan, base);
    // The report must name both files as incomplete.
    return LastBwfExportReport().IncompleteFiles().size() == 2 ? r : -2;
  });
  ASSERT_TRUE(child.forked());
  if (ExpectReturned(child, shared)) {
    const int result = shared.result().load();
    EXPECT_TRUE(result == e.step + EXPORT_READ_FAILED || result == e.step + EXPORT_ELEMENT_MISMATCH ||
                result == kExportMapViewFailed)
        << result;
    for (int slot = 0; slot < 2; ++slot) {
      const std::vector<uint8_t> file = ReadAll(out + "/T" + std::to_string(slot + 1) + ".wav");
      EXPECT_LT(file.size(), kBwfHeaderSize + PatternBytes(c.layout, slot, kFrames).size());
    }
  }

  // The next export of a good file.
  c.Restore();
  std::filesystem::remove_all(out);
  std::filesystem::create_directories(out);
  EXPECT_EQ(e.run(wide, &c.plan, &c.state.base), 0);
  for (int slot = 0; slot < 2; ++slot) {
    const std::vector<uint8_t> file = ReadAll(out + "/T" + std::to_string(slot + 1) + ".wav");
    ASSERT_GT(file.size(), kBwfHeaderSize);
    EXPECT_TRUE(std::equal(file.begin() + kBwfHeaderSize, file.end(), PatternBytes(c.layout, slot, kFrames).begin()));
  }
}

// The file is unlinked part way: the export goes on reading the file it
// opened, which is whole, and writes complete files.
TEST_P(ExportFault, FileUnlinkedPartWayIsReadToTheEnd) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(rewrap_test::SmallClip(kFrames, 2)));
  c.SetRange(0, kFrames - 1);
  const std::string out = c.scratch.Path("out");
  std::filesystem::create_directories(out);
  SelectExport(c, out, {0, 1});
  g_mxfPath = c.path;
  g_fault = Fault::Unlink;
  SetBwfExportFrameHook(DamageAtFrame);
  const int result = GetParam().run(plat::Utf8ToUtf16(c.path), &c.plan, &c.state.base);
  SetBwfExportFrameHook(nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(std::filesystem::exists(c.path));
  for (int slot = 0; slot < 2; ++slot) {
    const std::vector<uint8_t> file = ReadAll(out + "/T" + std::to_string(slot + 1) + ".wav");
    const std::vector<uint8_t> want = PatternBytes(c.layout, slot, kFrames);
    ASSERT_EQ(file.size(), kBwfHeaderSize + want.size());
    EXPECT_TRUE(std::equal(file.begin() + kBwfHeaderSize, file.end(), want.begin()));
  }
}

#else
TEST(EngineFaults, NotOnWindows) { GTEST_SKIP() << WINDOWS_HAS_NO_FORK; }
#endif  // !_WIN32

}  // namespace
}  // namespace hardening
