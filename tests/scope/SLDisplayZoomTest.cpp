#include <gtest/gtest.h>

#include "scope/SLDisplayZoom.h"

namespace {

TEST(SLDisplayZoomList, EqualNewestStateIsPushedOnceButZoomedFlagCounts) {
  TSLDisplayZoomList L;
  L.Add(0, 10, -1, 1, true);
  L.Add(0, 10, -1, 1, true);
  EXPECT_EQ(L.Count(), 1u);
  L.Add(0, 10, -1, 1, false);
  EXPECT_EQ(L.Count(), 2u);
  // Only the newest is compared: an older equal state may come back.
  L.Add(0, 10, -1, 1, true);
  EXPECT_EQ(L.Count(), 3u);
}

TEST(SLDisplayZoomList, KeepsTheNewestHundredAndPopsNewestFirst) {
  TSLDisplayZoomList L;
  for (int I = 0; I <= 100; ++I)
    L.Add(I, I + 1, -I, I, I % 2 == 0);
  EXPECT_EQ(L.Count(), 100u);
  double XMin, XMax, YMin, YMax;
  bool Zoomed;
  ASSERT_TRUE(L.Get(XMin, XMax, YMin, YMax, Zoomed));
  EXPECT_EQ(XMin, 100);
  EXPECT_EQ(XMax, 101);
  EXPECT_EQ(YMin, -100);
  EXPECT_EQ(YMax, 100);
  EXPECT_TRUE(Zoomed);
  int Popped = 1;
  double Oldest = XMin;
  while (L.Get(XMin, XMax, YMin, YMax, Zoomed)) {
    ++Popped;
    Oldest = XMin;
  }
  EXPECT_EQ(Popped, 100);
  EXPECT_EQ(Oldest, 1) << "the first state added is the one forgotten";
  EXPECT_FALSE(L.HasItems());
}

TEST(SLDisplayZoomList, EmptyGetGivesZerosAndFalse) {
  TSLDisplayZoomList L;
  double XMin = 5, XMax = 5, YMin = 5, YMax = 5;
  bool Zoomed = true;
  EXPECT_FALSE(L.Get(XMin, XMax, YMin, YMax, Zoomed));
  EXPECT_EQ(XMin, 0);
  EXPECT_EQ(XMax, 0);
  EXPECT_EQ(YMin, 0);
  EXPECT_EQ(YMax, 0);
  EXPECT_FALSE(Zoomed);
  L.Add(1, 2, 3, 4, false);
  L.Clear();
  EXPECT_FALSE(L.HasItems());
}

struct FakeDisplay : ISLZoomedDisplay {
  bool GetIsZoomed() const override { return true; }
  double GerXMinZoom() const override { return 1; }
  double GerXMaxZoom() const override { return 2; }
  double GerYMinZoom() const override { return 3; }
  double GerYMaxZoom() const override { return 4; }
};

TEST(SLDisplayZoom, DefaultsAndForwardsToItsDisplay) {
  FakeDisplay D;
  TSLDisplayZoom Z(&D);
  EXPECT_TRUE(Z.MouseZoom && Z.KeyboardZoom && Z.MouseWheelEnabled && Z.HoldOnZoom);
  EXPECT_EQ(Z.SelectionColor, clWhite);
  EXPECT_TRUE(Z.GetIsZoomed());
  EXPECT_EQ(Z.GerXMin(), 1);
  EXPECT_EQ(Z.GerXMax(), 2);
  EXPECT_EQ(Z.GerYMin(), 3);
  EXPECT_EQ(Z.GerYMax(), 4);
  TSLDisplayZoom Other(nullptr);
  Other.HoldOnZoom = false;
  Other.SelectionColor = clRed;
  Z.Assign(Other);
  EXPECT_FALSE(Z.HoldOnZoom);
  EXPECT_EQ(Z.SelectionColor, clRed);
  EXPECT_TRUE(Z.GetIsZoomed()) << "Assign keeps the own display";
  EXPECT_FALSE(Other.GetIsZoomed());
}

} // namespace
