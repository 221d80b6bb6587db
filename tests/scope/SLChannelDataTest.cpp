#include <vector>

#include <gtest/gtest.h>

#include "scope/SLChannelData.h"
#include "tests/support/ScopeChannelHost.h"

namespace {

using V = std::vector<double>;

class ChannelDataTest : public ::testing::Test {
protected:
  TFakeChannelHost Host;
  TSLChannelData Data{&Host};

  V X() {
    V R(Data.GetSize());
    Data.GetXData(R.data());
    return R;
  }
  V Y() {
    V R(Data.GetSize());
    Data.GetYData(R.data());
    return R;
  }
  V DrawY() {
    V R(Data.GetDrawSize());
    Data.GetDrawYData(R.data());
    return R;
  }
};

TEST_F(ChannelDataTest, ArrayLoadsConvertAndKeepTheNewestUnderTheLimit) {
  const int32_t Ints[] = {5, 6, 7};
  Data.SetYData(Ints, 3);
  EXPECT_EQ(Y(), (V{5, 6, 7}));
  EXPECT_EQ(X(), (V{0, 1, 2}));
  EXPECT_TRUE(Host.NewData && Host.RecalcRects);

  const float Floats[] = {1.5f, 2.5f};
  Data.SetYData(Floats, 2);
  EXPECT_EQ(Y(), (V{1.5, 2.5}));

  Host.Limit = 4;
  const double Ten[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  Data.SetYData(Ten, 10);
  EXPECT_EQ(Y(), (V{7, 8, 9, 10}));
  EXPECT_EQ(X(), (V{0, 1, 2, 3}));

  const double TenX[] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
  Data.SetXYData(TenX, Ten, 10);
  EXPECT_EQ(X(), (V{16, 17, 18, 19}));
  EXPECT_EQ(Y(), (V{7, 8, 9, 10}));
  const int32_t IX[] = {1, 2}, IY[] = {-3, 4};
  Data.SetXYData(IX, IY, 2);
  EXPECT_EQ(X(), (V{1, 2}));
  EXPECT_EQ(Y(), (V{-3, 4}));
}

TEST_F(ChannelDataTest, AppendedPointsCountOnAndShiftAtTheLimit) {
  Data.AddYPoint(4);
  EXPECT_EQ(X(), (V{0}));
  EXPECT_EQ(Y(), (V{4}));
  Data.AddYPoint(5);
  EXPECT_EQ(X(), (V{0, 1}));

  Host.Limit = 3;
  const double ABC[] = {10, 20, 30};
  Data.SetYData(ABC, 3);
  Data.AddYPoint(40);
  EXPECT_EQ(X(), (V{1, 2, 3}));
  EXPECT_EQ(Y(), (V{20, 30, 40}));
  Data.AddYPoint(50);
  EXPECT_EQ(X(), (V{2, 3, 4}));
  EXPECT_EQ(Y(), (V{30, 40, 50}));

  Data.Clear();
  Data.AddXYPoint(2.5, 7);
  EXPECT_EQ(X(), (V{2.5}));
  EXPECT_EQ(Y(), (V{7}));
}

TEST_F(ChannelDataTest, ALowerLimitTrimsAFullerBufferOnTheNextAppend) {
  const double Five[] = {1, 2, 3, 4, 5};
  Data.SetYData(Five, 5);
  Host.Limit = 3;
  Data.AddYPoint(6);
  EXPECT_EQ(Y(), (V{4, 5, 6})) << "the newest points are kept";
  Data.AddYPoint(7);
  EXPECT_EQ(Y(), (V{5, 6, 7})) << "the buffer holds the limit from then on";
  EXPECT_EQ(X(), (V{4, 5, 6}));
}

TEST_F(ChannelDataTest, DrawDataChangesOnlyAtRefreshAndIsNotDisturbedByAppends) {
  const double Three[] = {1, 2, 3};
  Data.SetYData(Three, 3);
  EXPECT_EQ(Data.GetDrawSize(), 0u);
  ASSERT_TRUE(Host.Refresh());
  EXPECT_EQ(DrawY(), (V{1, 2, 3}));
  Host.Limit = 3;
  Data.AddYPoint(4);
  Data.AddYPoint(5);
  EXPECT_EQ(DrawY(), (V{1, 2, 3})) << "the shift writes a fresh store, not the shared one";
  EXPECT_EQ(Y(), (V{3, 4, 5}));
  Host.Limit = 0;
  Data.AddYPoint(6);
  EXPECT_EQ(DrawY(), (V{1, 2, 3}));

  Host.Invalidations = 0;
  Data.Clear();
  EXPECT_EQ(Data.GetSize(), 0u);
  EXPECT_EQ(Host.Invalidations, 1);
  ASSERT_TRUE(Host.Refresh());
  EXPECT_EQ(Data.GetDrawSize(), 0u);
  V Out(2, -1);
  Data.GetDrawXYData(Out.data(), Out.data());
  EXPECT_EQ(Out, (V{-1, -1})) << "an empty channel copies nothing";
}

TEST_F(ChannelDataTest, BoundedGettersAndSampleRate) {
  const double Four[] = {1, 2, 3, 4};
  Data.SetYData(Four, 4);
  V Out(2);
  EXPECT_EQ(Data.GetYData(Out.data(), 2), 2u);
  EXPECT_EQ(Out, (V{1, 2}));
  V Xs(4), Ys(4);
  Data.GetXYData(Xs.data(), Ys.data());
  EXPECT_EQ(Xs, (V{0, 1, 2, 3}));
  EXPECT_EQ(Ys, (V{1, 2, 3, 4}));

  Data.SetSampleRate(48000);
  EXPECT_EQ(Data.GetSampleRate(), 48000);
  EXPECT_EQ(Host.FreqInvalidations, 1);
}

// A window clears its channels at every idle pass: clearing a channel that
// is already empty must ask for no refresh and no repaint, or the window
// would repaint for ever.
TEST_F(ChannelDataTest, ClearingAnEmptyChannelAsksForNothing) {
  Data.Clear();
  EXPECT_FALSE(Host.NewData);
  EXPECT_EQ(Host.Invalidations, 0);

  const double Two[] = {1, 2};
  Data.SetYData(Two, 2);
  ASSERT_TRUE(Host.Refresh());
  Host.Invalidations = 0;
  Data.Clear();
  EXPECT_EQ(Host.Invalidations, 1);
  ASSERT_TRUE(Host.Refresh());
  EXPECT_EQ(Data.GetDrawSize(), 0u) << "the cleared channel draws nothing";
  Data.Clear();
  EXPECT_FALSE(Host.Refresh()) << "a second clear leaves nothing to hand over";
  EXPECT_EQ(Host.Invalidations, 1);
}

} // namespace
