#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>

#include "scope/SLOptionalAxis.h"

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// With distance 1 over a range as wide as the axis, x is the range itself;
// labels of height 0 never push to a further candidate.
TSLValueStepQuery Query(double X, int32_t Text = -2) {
  TSLValueStepQuery Q;
  Q.Width = 100;
  Q.DimentionLength = 100;
  Q.RangeWidth = X * 100;
  Q.RangeWidthLog = Q.RangeWidth;
  Q.MinScaleLineDistance = 1;
  Q.MaxTextLength = Text;
  return Q;
}

struct StepCase {
  double X;
  double Step;
};

class ValueStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(ValueStepTest, FirstCandidateFromTheSmallestStep) {
  TSLValueStepCache Cache;
  EXPECT_NEAR(ComputeValueStep(Query(GetParam().X), Cache), GetParam().Step,
              1e-12 * std::fabs(GetParam().Step));
  EXPECT_TRUE(Cache.IsValidStep(Query(GetParam().X)));
}

INSTANTIATE_TEST_SUITE_P(Table, ValueStepTest,
                         ::testing::Values(StepCase{0.15, 0.2}, StepCase{0.22, 0.25},
                                           StepCase{0.3, 0.5}, StepCase{0.6, 1},
                                           StepCase{66.7, 100}, StepCase{-0.3, -0.5},
                                           StepCase{1e-7, 1e-7}, StepCase{3e5, 5e5}));

TEST(ValueStep, LabelsPushToLargerCandidates) {
  TSLValueStepCache Cache;
  // 100 pixels for a range of 10: a step of 1 is 10 pixels, too close for a
  // label of 12 pixels plus 2; the next candidates are 2, 2.5, 5 and 10.
  struct {
    int32_t Text;
    double Step;
  } const Cases[] = {{7, 1}, {12, 2}, {22, 2.5}, {47, 5}, {49, 10}, {480, 50}};
  for (const auto &C : Cases)
    EXPECT_NEAR(ComputeValueStep(Query(0.1, C.Text), Cache), C.Step, 1e-12) << C.Text;
}

TEST(ValueStep, DegenerateAxesAndRangesGiveOne) {
  TSLValueStepCache Cache;
  TSLValueStepQuery Q = Query(1);
  Q.Width = 0;
  EXPECT_EQ(ComputeValueStep(Q, Cache), 1.0);
  EXPECT_FALSE(Cache.Valid) << "a zero-width axis caches nothing";
  for (double R : {0.0, Inf, -Inf, NaN}) {
    Q = Query(1);
    Q.RangeWidth = R;
    EXPECT_EQ(ComputeValueStep(Q, Cache), 1.0) << R;
  }
  // A range whose labels could never fit ends the search instead of looping.
  Q = Query(-1, 10);
  Q.Logarithmic = true;
  Q.RangeWidthLog = 100;
  EXPECT_EQ(ComputeValueStep(Q, Cache), 1.0);
  // The cache notices a changed length.
  Q = Query(1);
  ComputeValueStep(Q, Cache);
  Q.DimentionLength = 99;
  EXPECT_FALSE(Cache.IsValidStep(Q));
}

struct Tick {
  bool IsZero;
  int32_t Half;
  bool IsMinor;
  double Value;
  int32_t Position;
};

struct Recorder {
  std::vector<Tick> Ticks;
  TSLTickWalk Walk(double Min, double Max, double Step) {
    TSLTickWalk W;
    W.Proc = [this](TCanvas *, bool Z, int32_t H, bool M, double V, int32_t P) {
      Ticks.push_back({Z, H, M, V, P});
    };
    W.Min = Min;
    W.Max = Max;
    W.Step = Step;
    W.TextHeight = 10;
    return W;
  }
  std::vector<int32_t> Majors() const {
    std::vector<int32_t> P;
    for (const auto &T : Ticks)
      if (!T.IsMinor)
        P.push_back(T.Position);
    return P;
  }
};

TEST(TickWalks, UpwardWalkStartsBothPassesAtZero) {
  // Range [-100, 100] on pixels 0 .. 199, zero at pixel 100, 1 pixel per unit.
  Recorder R;
  UpTickLines(R.Walk(-100, 100, 50), false, 0, 200, 100, 1.0);
  // Down pass 0, -50 (-100 lands on 200, outside); up pass 0, 50, 100.
  EXPECT_EQ(R.Majors(), (std::vector<int32_t>{100, 150, 100, 50, 0}));
  ASSERT_EQ(R.Ticks.size(), 5u);
  EXPECT_TRUE(R.Ticks[0].IsZero);
  EXPECT_FALSE(R.Ticks[1].IsZero);
  EXPECT_EQ(R.Ticks[1].Half, 5);
  EXPECT_EQ(R.Ticks[1].Value, -50);

  Recorder Ends;
  UpTickLines(Ends.Walk(-100, 100, 50), true, 0, 200, 100, 1.0);
  EXPECT_EQ(Ends.Majors(), (std::vector<int32_t>{99, 149, 199, 99, 49})) << "counted from the end";
}

TEST(TickWalks, MinorTicksDivideThePixelsAndAllFalseStopsEachPass) {
  Recorder R;
  auto W = R.Walk(-100, 100, 50);
  W.MinorCount = 4;
  UpTickLines(W, false, 0, 200, 100, 1.0);
  std::vector<int32_t> Minors;
  for (const auto &T : R.Ticks)
    if (T.IsMinor && T.Value == 50) {
      Minors.push_back(T.Position);
      EXPECT_EQ(T.Half, 0);
    }
  EXPECT_EQ(Minors, (std::vector<int32_t>{90, 80, 70, 60}));

  Recorder First;
  W = First.Walk(-100, 100, 50);
  W.All = false;
  UpTickLines(W, false, 0, 200, 100, 1.0);
  EXPECT_EQ(First.Majors(), (std::vector<int32_t>{100, 100}));
}

TEST(TickWalks, UpwardWalkSkipsLabelsCloserThanTheirHeight) {
  Recorder R;
  // 8 pixels per step, labels 10 high: every other tick is drawn.
  UpTickLines(R.Walk(0, 6, 1), false, 0, 400, 350, 8.0);
  EXPECT_EQ(R.Majors(), (std::vector<int32_t>{350, 334, 318, 302}));
}

TEST(TickWalks, RightwardAndReversedWalksDrawEveryTick) {
  Recorder Right;
  RightTickLines(Right.Walk(0, 10, 2), 0, 101);
  EXPECT_EQ(Right.Majors(), (std::vector<int32_t>{0, 20, 40, 60, 80, 100}));
  EXPECT_TRUE(Right.Ticks[0].IsZero);
  // A tick falling exactly on the right edge is drawn.
  Recorder Edge;
  RightTickLines(Edge.Walk(0, 99, 1), 0, 100);
  std::vector<int32_t> EveryPixel(101);
  std::iota(EveryPixel.begin(), EveryPixel.end(), 0);
  EXPECT_EQ(Edge.Majors(), EveryPixel) << "101 ticks, the last at pixel 100";

  Recorder Down;
  DownTickLines(Down.Walk(0, 10, 2), 0, 100);
  EXPECT_EQ(Down.Majors(), (std::vector<int32_t>{0, 20, 40, 60, 80}));
}

TEST(TickWalks, TinyStepsOnWideRangesStayBounded) {
  Recorder Up, Right, Down;
  UpTickLines(Up.Walk(-1e9, 1e9, 1e-3), false, 0, 100, 50, 1e-7);
  RightTickLines(Right.Walk(-1e9, 1e9, 1e-3), 0, 100);
  DownTickLines(Down.Walk(-1e9, 1e9, 1e-3), 0, 100);
  EXPECT_LE(Up.Ticks.size(), 2 * 121u);
  EXPECT_LE(Right.Ticks.size(), 300u);
  EXPECT_LE(Down.Ticks.size(), 121u);
  Recorder Nan;
  RightTickLines(Nan.Walk(NaN, 1, 1), 0, 100);
  UpTickLines(Nan.Walk(NaN, Inf, 1), false, 0, 100, 50, 1);
  DownTickLines(Nan.Walk(0, 0, 0), 0, 100);
  EXPECT_TRUE(Nan.Ticks.empty()) << "nothing lands on the axis, without hang or overflow";
}

} // namespace
