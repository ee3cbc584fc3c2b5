// A rewrap killed with SIGKILL part way. Whatever the engine had written is
// in the file (the page cache outlives the process); the frames before the
// one in flight must be wholly new, the frames after it wholly old, every
// element wholly old or new except at most the one element being written at
// the moment of the kill, and nothing outside the targeted values may have
// changed. A second rewrap of the same range then completes the file byte
// for byte.
#include <gtest/gtest.h>

#include <csignal>

#include "rewrap/rewrap_engines.h"
#include "tests/hardening/hardening_support.h"

namespace hardening {
namespace {

using rewrap_test::Engine;
using rewrap_test::RewrapCase;

constexpr int64_t kFrames = 1000;
constexpr int kSlots[] = {0, 1, 2};  // track 1 and 3 from files, track 2 silence

class KilledRewrap : public ::testing::TestWithParam<Engine> {};

INSTANTIATE_TEST_SUITE_P(Engines, KilledRewrap, ::testing::Values(Engine::Mapping, Engine::File),
                         [](const auto& info) { return std::string(rewrap_test::EngineName(info.param)); });

TEST_P(KilledRewrap, LeavesWholeFramesAndASecondRunCompletesTheFile) {
  RewrapCase c;
  ASSERT_TRUE(c.Make(rewrap_test::SmallClip(kFrames, 3)));
  WAV_LIBRARY_ENTRY* a = c.AddNoiseWav("a.wav", 1, 24, 1700000, 61);
  WAV_LIBRARY_ENTRY* b = c.AddNoiseWav("b.wav", 1, 16, 1700000, 62);
  ASSERT_TRUE(a && b);
  c.Assign(0, a);
  c.plan.trackSwitch[1] = TRACK_ON;
  c.Assign(2, b);
  c.SetRange(3, kFrames - 4);
  const std::vector<uint8_t> full = c.Expected();
  const Engine engine = GetParam();
  const std::string path = c.path;
  MXF_BASE_INFO* base = &c.state.base;

  int tornElements = 0;
  for (uint32_t killAfter : {40u, 450u, 800u}) {
    SCOPED_TRACE("killed after frame " + std::to_string(killAfter));
    c.Restore();
    SharedPlan shared;
    ASSERT_TRUE(shared.valid());
    shared.CopyFrom(c.plan);
    Child child(shared, [&](AUDIOTRACK_IO_INFO* plan) { return rewrap_test::RunEngine(engine, path, plan, base); });
    ASSERT_TRUE(child.forked());
    ASSERT_TRUE(WaitFor([&] { return (shared.plan().jobPhase.load() == JOB_PHASE_WRITE && shared.plan().currentFrame.load() >= killAfter) || shared.result() != -1; }));
    child.Kill();
    ASSERT_EQ(child.TermSignal(), SIGKILL);
    ASSERT_EQ(shared.result().load(), -1) << "the rewrap ended before the kill";
    const int64_t done = shared.plan().currentFrame.load();  // offset from IN of the last frame completed
    ASSERT_GE(done, killAfter);

    std::vector<uint8_t> got = ReadAll(path);
    ASSERT_EQ(got.size(), c.original.size());
    std::vector<uint8_t> outside = got;  // the file with every targeted value put back as it was
    int64_t inFlight = -1;
    for (int64_t k = 0; c.rangeFirst + k <= c.rangeLast; ++k) {
      const int64_t f = c.rangeFirst + k;
      bool anyNew = false;
      bool anyOld = false;
      for (int slot : kSlots) {
        const auto& el = c.layout.Sound(f, slot);
        const ElementState s = StateOf(got, c.original, full, el.valueOffset, el.valueSize);
        anyNew = anyNew || s != ElementState::Old;
        anyOld = anyOld || s != ElementState::New;
        if (s == ElementState::Mixed) {
          ++tornElements;
          EXPECT_EQ(k, done + 1) << "a torn element outside the frame in flight: frame " << f << " slot " << slot;
        }
        std::copy(c.original.begin() + static_cast<long>(el.valueOffset),
                  c.original.begin() + static_cast<long>(el.valueOffset + el.valueSize),
                  outside.begin() + static_cast<long>(el.valueOffset));
      }
      if (k <= done) {
        EXPECT_FALSE(anyOld) << "frame " << f << " completed before the kill is not wholly new";
      } else if (anyNew && anyOld) {
        EXPECT_EQ(inFlight, -1) << "a second partly written frame: " << f;
        inFlight = f;
        EXPECT_EQ(k, done + 1);
      } else if (k > done + 1) {
        EXPECT_FALSE(anyNew) << "frame " << f << " after the one in flight was written";
      }
    }
    EXPECT_TRUE(outside == c.original) << c.Describe(outside, c.original);
    // Keys, lengths, timecodes and index are as they were: the file loads.
    EXPECT_EQ(AnalyseFile(path, IO_FILE).code, 0);

    // The same job again completes the file. The killed job's lock went
    // with its process.
    c.plan.currentFrame = 0;
    ASSERT_EQ(rewrap_test::RunEngine(engine, path, &c.plan, base), 0);
    EXPECT_TRUE(FileHolds(path, full));
  }
  // At most the element in flight of each kill can be torn.
  EXPECT_LE(tornElements, 3);
  RecordProperty("torn_elements", tornElements);
}

}  // namespace
}  // namespace hardening
