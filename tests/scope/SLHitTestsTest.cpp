// Channel hit tests on the pixels of the last paint, the plane geometry
// under them, and the crossings of a curve with horizontal and vertical
// lines.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "scope/SLHitTests.h"
#include "tests/scope/ScopeHostSupport.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

TEST(PlaneGeometry, PointToSegmentDistance) {
  struct Case {
    TPoint P, A, B;
    double Distance;
    TPoint Nearest;
    double Fraction;
  };
  const Case Cases[] = {
      {{5, 5}, {0, 0}, {10, 0}, 5, {5, 0}, 0.5},
      {{-3, 4}, {0, 0}, {10, 0}, 5, {0, 0}, 0},            // before A
      {{13, 4}, {0, 0}, {10, 0}, 5, {10, 0}, 1},           // past B
      {{3, 3}, {2, 2}, {2, 2}, std::sqrt(2.0), {2, 2}, 0}, // a point segment
      // Fraction 0.25 of (10, 10) is (2.5, 2.5): halves go to the even pixel.
      {{6, 1}, {1, 1}, {11, 11}, std::sqrt(13.0), {3, 3}, 0.25},
      {{1, 0}, {0, 0}, {2, 2}, 1, {0, 0}, 0.25},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(::testing::Message() << "P " << C.P.X << "," << C.P.Y);
    TPoint Nearest{-99, -99};
    double Fraction = -1;
    EXPECT_DOUBLE_EQ(SLPointToSegmentDistance(C.P, C.A, C.B, Nearest, Fraction), C.Distance);
    EXPECT_EQ(Nearest, C.Nearest);
    EXPECT_DOUBLE_EQ(Fraction, C.Fraction);
  }
  EXPECT_DOUBLE_EQ(SLDotProduct({3, 4}, {2, -1}), 2);
  EXPECT_DOUBLE_EQ(SLVectorLength({3, 4}), 5);
  // Far pixels: the difference does not fit 32 bits, the distance does.
  EXPECT_DOUBLE_EQ(SLPointDistance({INT32_MIN, 0}, {INT32_MAX, 0}), 4294967295.0);
}

// Samples along X and Y as the last paint left them.
struct Pixels {
  std::vector<int32_t> X, Y;
};

TSLChannelHitInput Input(const Pixels &P, TSLScopeChannelMode Mode = cmLine, int32_t Width = 1) {
  TSLChannelHitInput In;
  In.PixelX = P.X;
  In.PixelY = P.Y;
  In.Mode = Mode;
  In.Width = Width;
  return In;
}

constexpr TSLChannelHit Untouched{{-7, -7}, -7, -7, -7};

struct HitCase {
  const char *What;
  int32_t X, Y;
  double Distance; // SLNoHitDistance: missed, Hit untouched
  TSLChannelHit Hit;
};

void Check(const TSLChannelHitInput &In, const std::vector<HitCase> &Cases) {
  for (const HitCase &C : Cases) {
    SCOPED_TRACE(C.What);
    TSLChannelHit Hit = Untouched;
    EXPECT_DOUBLE_EQ(SLChannelHitTest(In, C.X, C.Y, Hit), C.Distance);
    const TSLChannelHit &E = C.Distance == SLNoHitDistance ? Untouched : C.Hit;
    EXPECT_EQ(Hit.HitPoint, E.HitPoint);
    EXPECT_DOUBLE_EQ(Hit.Fraction, E.Fraction);
    EXPECT_EQ(Hit.BeginIndex, E.BeginIndex);
    EXPECT_EQ(Hit.EndIndex, E.EndIndex);
  }
}

const Pixels Level{{10, 20}, {10, 10}}; // (10, 10) to (20, 10)

TEST(ChannelHitTest, Lines) {
  // One and two pixels wide: distances below 2, reported from the edge.
  for (int32_t Width : {1, 2})
    Check(Input(Level, cmLine, Width), {{"one below", 15, 11, 0, {{15, 10}, 0.5, 0, 1}},
                                        {"on it", 15, 10, 0, {{15, 10}, 0.5, 0, 1}},
                                        {"two below", 15, 12, SLNoHitDistance, {}},
                                        {"left of it", 9, 10, 0, {{10, 10}, 0, 0, 1}},
                                        {"far away", 15, 40, SLNoHitDistance, {}}});
  // Three and four pixels: below 1.
  Check(Input(Level, cmLine, 3),
        {{"on it", 12, 10, 0, {{12, 10}, 0.2, 0, 1}}, {"one below", 12, 11, SLNoHitDistance, {}}});
  // Five pixels and more: only symbols are ever hit.
  TSLChannelHitInput Wide = Input(Level, cmLine, 5);
  Check(Wide, {{"on it", 15, 10, SLNoHitDistance, {}}});
  Wide.PointsVisible = true;
  Wide.PointsSize = 3;
  Check(Wide, {{"on a symbol", 21, 12, 0, {{20, 10}, 0, 1, 1}},
               {"between", 15, 10, SLNoHitDistance, {}}});
  // Of two segments at the same distance the first stays.
  Check(Input({{0, 10, 20}, {10, 10, 10}}), {{"at the joint", 10, 11, 0, {{10, 10}, 1, 0, 1}}});
}

TEST(ChannelHitTest, Symbols) {
  // Points mode: a 4-pixel square (s - 2 .. s + 1) around each sample, the
  // first sample whose square holds the mouse.
  const Pixels Close{{10, 12, 30}, {10, 10, 10}};
  Check(Input(Close, cmPoint), {{"top left of the first", 8, 8, 0, {{10, 10}, 0, 0, 0}},
                                {"in both squares", 11, 10, 0, {{10, 10}, 0, 0, 0}},
                                {"only the second's", 12, 11, 0, {{12, 10}, 0, 1, 1}},
                                {"right of the second", 14, 10, SLNoHitDistance, {}},
                                {"below the squares", 30, 12, SLNoHitDistance, {}}});
  // Visible points widen the square to their size.
  TSLChannelHitInput In = Input(Close, cmPoint);
  In.PointsVisible = true;
  In.PointsSize = 5;
  Check(In, {{"five from the third", 25, 14, 0, {{30, 10}, 0, 2, 2}}});
  // In vertical display sample i is on the screen at (Y[i], X[i]).
  In.Vertical = true;
  Check(In, {{"turned", 10, 30, 0, {{10, 30}, 0, 2, 2}}});
}

TEST(ChannelHitTest, BarsAndTheirFractions) {
  // The data view (0, 0, 100, 100) with the zero line 50 from the bottom;
  // bars 5 wide (x - 2 .. x + 2).
  const Pixels Bars{{20, 40}, {30, 70}}; // one up to row 30, one down to 69
  TSLChannelHitInput In = Input(Bars, cmBar, 5);
  In.Rect = {0, 0, 100, 100};
  In.YOffset = 50;
  Check(In, {{"middle of the upper bar", 20, 40, 0, {{20, 40}, 0.5, 0, 0}},
             {"its value end", 22, 30, 0, {{20, 30}, 0, 0, 0}},
             {"its zero end", 18, 50, 0, {{20, 50}, 1, 0, 0}},
             {"right of it", 23, 40, SLNoHitDistance, {}},
             {"above it", 20, 29, SLNoHitDistance, {}},
             {"middle of the lower bar", 40, 60, 0, {{40, 60}, 0.5, 1, 1}},
             {"its value end", 40, 70, 0, {{40, 70}, 0, 1, 1}}});
  // From the top: the bars hang from the view's top to the value; the
  // fraction still counts towards the zero line.
  In.ShadeMode = csmTop;
  Check(In, {{"above the value", 20, 0, 0, {{20, 0}, -1.5, 0, 0}},
             {"at the value", 20, 30, SLNoHitDistance, {}}});
  // Vertical: bars run along screen X from the zero column 49 (100 - 50 -
  // 1); the fraction counts from the value to that column.
  In.ShadeMode = csmZero;
  In.Vertical = true;
  Check(In, {{"turned upper bar", 40, 20, 0, {{40, 20}, 10.0 / 19, 0, 0}},
             {"turned lower bar", 69, 40, 0, {{69, 40}, 1.0 / 21, 1, 1}},
             {"beside it", 40, 23, SLNoHitDistance, {}}});
}

TEST(ChannelHitTest, NothingDrawnIsNeverHit) {
  Check(Input({{}, {}}), {{"no pixels", 0, 0, SLNoHitDistance, {}}});
  Check(Input({{}, {}}, cmBar), {{"no bars", 0, 0, SLNoHitDistance, {}}});
  // Pixel arrays of different lengths: only their common part counts.
  Check(Input({{10, 20, 30}, {10, 10}}), {{"past the shorter", 25, 10, SLNoHitDistance, {}}});
}

// Crossings on a channel drawn into (0, 0, 101, 100) with the zero line on
// row 51 and 10 pixels per unit: value v on row 51 - 10 v.
class Crossings : public ::testing::Test {
protected:
  void SetUp() override {
    Host.reset(CreateObject<TTestScopeHost>());
    Channel = Host->MakeChannels()->Add();
  }
  void Draw(const std::vector<double> &X, const std::vector<double> &Y) {
    Channel->GetVC_Data()->SetXYData(X.data(), Y.data(), static_cast<uint32_t>(Y.size()));
    Host->Refresh();
    QImage Image(101, 101, QImage::Format_RGB32);
    TCanvas Canvas(&Image);
    Channel->Draw(&Canvas, {0, 0, 101, 100}, *std::min_element(X.begin(), X.end()),
                  *std::max_element(X.begin(), X.end()), 0, 0, false, 49, 10);
  }
  struct Crossing {
    int32_t SX, SY;
    double X, Y;
    bool operator==(const Crossing &) const = default;
  };
  std::vector<Crossing> H(double Value) {
    std::vector<Crossing> Found;
    Channel->CalcHIntersections(
        [](void *D, int32_t SX, int32_t SY, double X, double Y) {
          static_cast<std::vector<Crossing> *>(D)->push_back({SX, SY, X, Y});
        },
        &Found, Value);
    return Found;
  }

  TOwnedPtr<TTestScopeHost> Host;
  TSLScopeChannel *Channel = nullptr;
};

TEST_F(Crossings, HorizontalLine) {
  Draw({0, 1, 2}, {0, 2, 0}); // columns 0, 50, 100; rows 51, 31, 51
  // Half way up and half way down, drawn a row above the curve.
  EXPECT_EQ(H(1), (std::vector<Crossing>{{25, 40, 0.5, 1}, {75, 40, 1.5, 1}}));
  EXPECT_EQ(Channel->GetXPointsAtValue(1), (TSLScopeRealPoints{0.5, 1.5}));
  // A sample on the line counts once, also where the curve only touches it.
  EXPECT_EQ(H(2), (std::vector<Crossing>{{50, 31, 1, 2}}));
  EXPECT_TRUE(H(3).empty());
  // The curve ends on the line: its last sample is a crossing as well.
  EXPECT_EQ(Channel->GetXPointsAtValue(0), (TSLScopeRealPoints{0, 2}));
  // In vertical display the screen points turn.
  Host->Vertical = true;
  Draw({0, 1, 2}, {0, 2, 0});
  EXPECT_EQ(H(2), (std::vector<Crossing>{{31, 50, 1, 2}}));
}

TEST_F(Crossings, VerticalLine) {
  Draw({0, 1}, {4, 2});
  EXPECT_EQ(Channel->GetYPointsAtValue(0.25), (TSLScopeRealPoints{3.5}));
  EXPECT_EQ(Channel->GetYPointsAtValue(1), (TSLScopeRealPoints{2})); // the last sample
  EXPECT_TRUE(Channel->GetYPointsAtValue(1.5).empty());
  // Descending X, on a channel of its own.
  Channel = Host->Channels->Add();
  Draw({1, 0}, {4, 2});
  EXPECT_EQ(Channel->GetYPointsAtValue(0.25), (TSLScopeRealPoints{2.5}));

  // The holder form for callers that cannot take the array.
  TSLScopeRealPoints *Holder = Channel->NET_GetYPointsAtValue(0.25);
  ASSERT_EQ(TSLDisplayChannel::NET_GetArrayLength(Holder), 1);
  double Copy[1] = {0};
  TSLDisplayChannel::NET_PopulateArray(Holder, Copy);
  EXPECT_EQ(Copy[0], 2.5);
  EXPECT_EQ(TSLDisplayChannel::NET_GetArray(Holder)[0], 2.5);
  TSLDisplayChannel::NET_DestroyArray(Holder);
}

TEST_F(Crossings, FewerThanTwoSamplesCrossNothing) {
  EXPECT_TRUE(H(0).empty()); // never drawn
  Draw({0}, {1});
  EXPECT_TRUE(H(1).empty());
  EXPECT_TRUE(Channel->GetYPointsAtValue(0).empty());
}

} // namespace
