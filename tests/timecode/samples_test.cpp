// Frames and 48 kHz sample positions with the five-frame cycles.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "timecode/timecode.h"

namespace {

struct Position {
  bool resolved = false;
  int32_t frame = -7, subframe = -7, fract = -7;
};

Position Resolve(uint64_t position, int32_t cls, bool isEnd) {
  Position p;
  p.resolved = SampleToFramePosition(position, cls, isEnd, p.frame, p.subframe, p.fract);
  return p;
}

// The position finder written as a plain walk over frame boundaries from a
// known boundary (j, sum): the reference for the closed form.
class Walker {
 public:
  Walker(int32_t cls, int64_t j, uint64_t sum) : cls_(cls), j_(j), sum_(sum) {}

  // Positions must be visited in increasing order.
  Position At(uint64_t position, bool isEnd) {
    while (sum_ < position && j_ <= kSamplePositionFrameLimit) {
      sum_ += static_cast<uint64_t>(SAMPLES_PER_FRAME[cls_][j_ % 5]);
      ++j_;
    }
    Position p;
    if (sum_ < position || j_ > kSamplePositionFrameLimit) return p;
    p.resolved = true;
    int64_t frame = j_;
    int64_t offset = 0;
    if (sum_ != position) {
      const int64_t shortBy = static_cast<int64_t>(sum_ - position);
      frame = j_ - 1;
      offset = SAMPLES_PER_FRAME[cls_][j_ % 5] - shortBy;
      const bool boundary =
          (cls_ == FRC_29_97 && (offset == 1601 || offset == 1602 || (offset == 1600 && shortBy == 1))) ||
          (cls_ == FRC_59_94 && (offset == 801 || (offset == 800 && shortBy == 1)));
      if (isEnd && boundary) {
        frame = j_;
        offset = 0;
      }
    }
    p.frame = static_cast<int32_t>(frame);
    p.subframe = static_cast<int32_t>(offset / SUBFRAME_DIVISOR[cls_]);
    p.fract = static_cast<int32_t>(offset % SUBFRAME_DIVISOR[cls_]);
    return p;
  }

 private:
  int32_t cls_;
  int64_t j_;
  uint64_t sum_;
};

bool Same(const Position& a, const Position& b) {
  return a.resolved == b.resolved && a.frame == b.frame && a.subframe == b.subframe &&
         a.fract == b.fract;
}

TEST(TimecodeSamples, FramesToSamplesMatchesTheSumOfTheCycle) {
  EXPECT_EQ(FramesToSamples(5, FRC_29_97), 8008);
  EXPECT_EQ(FramesToSamples(3, FRC_59_94), 2402);
  EXPECT_EQ(FramesToSamples(30000, FRC_29_97), 48048000);  // 1001 seconds
  for (int32_t cls = 0; cls < kFrameRateClassCount; ++cls) {
    EXPECT_EQ(FramesToSamples(0, cls), 0);
    EXPECT_EQ(FramesToSamples(-5, cls), 0);
    int64_t naive = 0;
    for (int32_t n = 0; n <= 100000; ++n) {
      if (FramesToSamples(n, cls) != naive) FAIL() << "class " << cls << " n " << n;
      naive += SAMPLES_PER_FRAME[cls][n % 5];
      ASSERT_EQ(SamplesPerFrameAt(cls, n), SAMPLES_PER_FRAME[cls][n % 5]);
    }
    // Far out, five more frames always add one cycle.
    const int32_t big = std::numeric_limits<int32_t>::max() - 5;
    EXPECT_EQ(FramesToSamples(big + 5, cls) - FramesToSamples(big, cls), FramesToSamples(5, cls));
    EXPECT_GE(FramesToSamples(big, cls), int64_t{big} * 800);
    EXPECT_LE(FramesToSamples(big, cls), int64_t{big} * 2002);
  }
  EXPECT_EQ(SamplesPerFrameAt(FRC_29_97, -1), 1602);  // frame -1 sits at cycle position 4
  EXPECT_EQ(FramesToSamples(10, FRC_UNSUPPORTED), -1);
  EXPECT_EQ(FramesToSamples(10, -1), -1);
  EXPECT_EQ(SamplesPerFrameAt(9, 0), 0);
}

// Every frame boundary of the position range resolves to its frame.
TEST(TimecodeSamples, EveryFrameBoundaryResolvesToItsFrame) {
  for (int32_t cls = 0; cls < kFrameRateClassCount; ++cls) {
    uint64_t sum = 0;
    for (int32_t n = 0; n <= kSamplePositionFrameLimit; ++n) {
      int32_t frame = -1, subframe = -1, fract = -1;
      const bool ok = SampleToFramePosition(sum, cls, false, frame, subframe, fract);
      if (!ok || frame != n || subframe != 0 || fract != 0) {
        FAIL() << "class " << cls << " frame " << n << " got " << frame;
      }
      sum += static_cast<uint64_t>(SAMPLES_PER_FRAME[cls][n % 5]);
    }
    EXPECT_EQ(static_cast<int64_t>(sum) - SAMPLES_PER_FRAME[cls][kSamplePositionFrameLimit % 5],
              FramesToSamples(kSamplePositionFrameLimit, cls));
  }
}

TEST(TimecodeSamples, EveryPositionMatchesTheWalk) {
  for (int32_t cls = 0; cls < kFrameRateClassCount; ++cls) {
    for (bool isEnd : {false, true}) {
      // The first cycles from midnight, every position.
      Walker walk(cls, 0, 0);
      const uint64_t early = static_cast<uint64_t>(FramesToSamples(40, cls));
      for (uint64_t pos = 0; pos <= early; ++pos) {
        if (!Same(Resolve(pos, cls, isEnd), walk.At(pos, isEnd))) {
          FAIL() << "class " << cls << " end " << isEnd << " position " << pos;
        }
      }
      // The last frames before the limit and just past it.
      const int32_t from = kSamplePositionFrameLimit - 12;
      Walker late(cls, from, static_cast<uint64_t>(FramesToSamples(from, cls)));
      const uint64_t last = static_cast<uint64_t>(FramesToSamples(kSamplePositionFrameLimit, cls));
      for (uint64_t pos = static_cast<uint64_t>(FramesToSamples(from, cls)); pos <= last + 3000;
           ++pos) {
        if (!Same(Resolve(pos, cls, isEnd), late.At(pos, isEnd))) {
          FAIL() << "class " << cls << " end " << isEnd << " position " << pos;
        }
      }
    }
  }
}

TEST(TimecodeSamples, PositionExamples) {
  Position p = Resolve(0, FRC_24, false);
  EXPECT_TRUE(p.resolved && p.frame == 0 && p.subframe == 0 && p.fract == 0);
  p = Resolve(2001, FRC_24, false);
  EXPECT_TRUE(p.resolved && p.frame == 1 && p.subframe == 0 && p.fract == 1);
  p = Resolve(2000 + 20 * 7 + 3, FRC_24, false);
  EXPECT_TRUE(p.frame == 1 && p.subframe == 7 && p.fract == 3);

  // 29.97: one sample short of the end of frame 0 is the boundary only for an end.
  p = Resolve(1601, FRC_29_97, true);
  EXPECT_TRUE(p.resolved && p.frame == 1 && p.subframe == 0 && p.fract == 0);
  p = Resolve(1601, FRC_29_97, false);
  EXPECT_TRUE(p.frame == 0 && p.subframe == 100 && p.fract == 0);
  // Offsets are measured with the cycle entry of the following frame.
  p = Resolve(1603, FRC_29_97, false);
  EXPECT_TRUE(p.frame == 1 && p.subframe == 0 && p.fract == 2);
  // 59.94: frame 2 holds 800 samples.
  p = Resolve(801 + 801 + 799, FRC_59_94, true);
  EXPECT_TRUE(p.frame == 3 && p.subframe == 0 && p.fract == 0);
  p = Resolve(801 + 801 + 799, FRC_59_94, false);
  EXPECT_TRUE(p.frame == 2 && p.subframe == 100 && p.fract == 0);
  // Other classes are never adjusted.
  p = Resolve(1999, FRC_24, true);
  EXPECT_TRUE(p.frame == 0 && p.subframe == 99 && p.fract == 19);
}

TEST(TimecodeSamples, UnresolvedPositionsLeaveTheOutputs) {
  for (int32_t cls = 0; cls < kFrameRateClassCount; ++cls) {
    const uint64_t last = static_cast<uint64_t>(FramesToSamples(kSamplePositionFrameLimit, cls));
    EXPECT_EQ(Resolve(last, cls, false).frame, kSamplePositionFrameLimit);
    for (uint64_t pos : {last + 1, std::numeric_limits<uint64_t>::max()}) {
      const Position p = Resolve(pos, cls, true);
      EXPECT_FALSE(p.resolved);
      EXPECT_TRUE(p.frame == -7 && p.subframe == -7 && p.fract == -7);
    }
  }
  EXPECT_FALSE(Resolve(0, FRC_UNSUPPORTED, false).resolved);
  EXPECT_FALSE(Resolve(0, -3, false).resolved);
  EXPECT_EQ(Resolve(0, 100, false).frame, -7);
}

}  // namespace
