#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scope/SLDataView.h"

namespace {

// The control and axes as the data view sees them; the Y tick walk calls the
// grid routine at the ticks a test sets.
struct TDataViewHost : ISLDataViewHost {
  struct TTick {
    bool IsZero, IsMinor;
    int32_t Position;
  };
  void Invalidate() override { ++Repaints; }
  void InvalidateRecalc() override { ++Recalcs; }
  void SetRecalcRects() override {}
  void InvalidateViewRect(const TRect &) override { ++ViewRepaints; }
  TColor GetColor() override { return clBlack; }
  TSLDisplayZoom *GetZooming() override { return &Zooming; }
  void GetXScaleZoomedRange(double &Min, double &Max) override {
    Min = XScale[0];
    Max = XScale[1];
  }
  double GetXStep() override { return XStep; }
  void GetXDataZoomedRange(double &Min, double &Max) override {
    Min = XData[0];
    Max = XData[1];
  }
  void InvalidateXAxisView() override { Log += "x"; }
  TFont *GetYAxisFont() override { return &Font; }
  bool GetYAxisReversed() override { return Reversed; }
  bool GetYAxisLogarithmic() override { return Logarithmic; }
  void GetYScaleZoomedRange(double &Min, double &Max) override {
    Min = YData[0];
    Max = YData[1];
  }
  void GetYDataZoomedRange(double &Min, double &Max) override {
    Min = YData[0];
    Max = YData[1];
  }
  void InvalidateYAxisView() override { Log += "y"; }
  void Walk(const char *Name, const TSLTickLineProc &Proc, TCanvas *Canvas) {
    Log += Name;
    for (const TTick &T : Ticks)
      Proc(Canvas, T.IsZero, 5, T.IsMinor, 0, T.Position);
  }
  void YUpTickLines(const TSLTickLineProc &Proc, bool, TCanvas *Canvas, int32_t, bool, double,
                    double, int32_t, double) override {
    Walk("up", Proc, Canvas);
  }
  void YDownTickLines(const TSLTickLineProc &Proc, bool, TCanvas *Canvas, int32_t, bool, double,
                      double, int32_t, double) override {
    Walk("down", Proc, Canvas);
  }
  void YRightTickLines(const TSLTickLineProc &Proc, bool, TCanvas *Canvas, int32_t, bool, double,
                       double, double, double, int32_t, double) override {
    Walk("right", Proc, Canvas);
  }
  bool GetIsVertical() override { return Vertical; }
  TPoint GetMouseClientPos() override { return {7, 8}; }
  void ZoomTo(double XMin, double XMax, double YMin, double YMax) override {
    Zoom = {XMin, XMax, YMin, YMax};
  }
  void SetHold(bool Value) override { Hold = Value; }
  void ZoomChangedByRectangle() override { ++ZoomChanges; }

  TSLDisplayZoom Zooming{nullptr};
  TFont Font;
  double XScale[2] = {0, 1024}, XData[2] = {0, 1024}, YData[2] = {-32768, 32768};
  double XStep = 100;
  bool Reversed = false, Logarithmic = false, Vertical = false, Hold = false;
  std::vector<TTick> Ticks;
  std::vector<double> Zoom;
  std::string Log;
  int Repaints = 0, Recalcs = 0, ViewRepaints = 0, ZoomChanges = 0;
};

class DataView : public ::testing::Test {
protected:
  void SetUp() override {
    View->SetRect({0, 0, 101, 101});
    Canvas.SetImage(&Image);
    Canvas.SetTextRenderer(&Text);
  }
  void Drag(TPoint From, TPoint To, TMouseButton Button = mbLeft) {
    View->MouseDown(Button, 0, From.X, From.Y, true);
    View->MouseMove(0, To.X, To.Y);
    View->MouseUp(Button, 0, To.X, To.Y, true);
  }
  TDataViewHost Host;
  TOwnedPtr<TSLScopeDataView> View{CreateObject<TSLScopeDataView>(&Host)};
  QImage Image{505, 304, QImage::Format_RGB32};
  TFixedTextRenderer Text{6, 10, 3};
  TCanvas Canvas;
};

// Frame and grid of the recorder's picture size: the frame in the grid
// colour, Y grid lines at the axis's major ticks (the zero tick white, minor
// ticks none), X grid lines at the X step over the full height.
TEST_F(DataView, FrameAndGrid) {
  Image.fill(0);
  View->SetRect({0, 0, 505, 304});
  Host.Ticks = {{false, false, 40}, {false, true, 100}, {true, false, 152}};
  View->Draw(ddpFeatures, &Canvas, false, false, -32768, 32768, 151, 0.01);
  Canvas.Flush();
  QImage Expected(505, 304, QImage::Format_RGB32);
  Expected.fill(0);
  auto Line = [&](int L, int T, int R, int B, TColor C) {
    for (int Y = T; Y < B; ++Y)
      for (int X = L; X < R; ++X)
        Expected.setPixel(X, Y, ColorToQRgb(C));
  };
  Line(0, 0, 505, 1, clGreen);
  Line(0, 303, 505, 304, clGreen);
  Line(0, 0, 1, 304, clGreen);
  Line(504, 0, 505, 304, clGreen);
  Line(0, 40, 504, 41, clGreen);
  Line(0, 152, 504, 153, clWhite);
  for (int V = 0; V <= 1000; V += 100) {
    const int X = static_cast<int>(std::nearbyint(504.0 * V / 1024));
    Line(X, 0, X + 1, 304, clGreen);
  }
  int Differing = 0;
  for (int Y = 0; Y < 304; ++Y)
    for (int X = 0; X < 505; ++X)
      if ((Image.pixel(X, Y) & 0xFFFFFF) != (Expected.pixel(X, Y) & 0xFFFFFF) && ++Differing < 4)
        ADD_FAILURE() << "pixel " << X << "," << Y;
  EXPECT_EQ(Differing, 0);
  EXPECT_EQ(Host.Log, "up");
}

TEST_F(DataView, YGridWalkFollowsOrientationAndReversal) {
  struct Case {
    bool Vertical, Reversed;
    const char *Walk;
  };
  for (const Case C : {Case{false, false, "up"}, Case{false, true, "down"}, Case{true, false, "up"},
                       Case{true, true, "right"}}) {
    Host.Log.clear();
    Host.Reversed = C.Reversed;
    View->Draw(ddpFeatures, &Canvas, C.Vertical, false, 0, 1, 0, 1);
    EXPECT_EQ(Host.Log, C.Walk);
  }
}

// At most 400 X grid lines: a 1000-pixel plot over 0..1000 with step 1 has
// lines in columns 0..399 only. A step of 0 counts as 1; a non-finite range
// draws no X lines.
TEST_F(DataView, XGridIsBounded) {
  QImage Wide(1001, 20, QImage::Format_RGB32);
  Wide.fill(0);
  Canvas.SetImage(&Wide);
  View->SetRect({0, 0, 1001, 20});
  Host.XScale[1] = 1000;
  Host.XStep = 0;
  View->Draw(ddpFeatures, &Canvas, false, false, 0, 1, 0, 1);
  Canvas.Flush();
  int Lines = 0;
  for (int X = 1; X < 1000; ++X)
    Lines += (Wide.pixel(X, 10) & 0xFFFFFF) == ColorToQRgb(clGreen);
  EXPECT_EQ(Lines, 399); // columns 1..399 (column 0 is the frame)
  EXPECT_EQ(Wide.pixel(400, 10) & 0xFFFFFF, 0u);

  Wide.fill(0);
  Host.XScale[1] = std::numeric_limits<double>::quiet_NaN();
  View->Draw(ddpFeatures, &Canvas, false, false, 0, 1, 0, 1);
  Canvas.Flush();
  EXPECT_EQ(Wide.pixel(500, 10) & 0xFFFFFF, 0u);
}

// Rectangle zooms on a 101-pixel view (height 100) over X 0..101 and the
// given Y range: the new ranges, the hold and one notification.
TEST_F(DataView, RectangleZoomRanges) {
  struct Case {
    const char *Name;
    bool Vertical, Reversed, Logarithmic;
    double YMin, YMax;
    TPoint From, To;
    std::vector<double> Zoom; // XMin, XMax, YMin, YMax
  };
  const Case Cases[] = {
      {"linear", false, false, false, 0, 101, {50, 60}, {10, 20}, {10, 51, 39, 81}},
      {"reversed", false, true, false, 0, 101, {10, 20}, {50, 60}, {10, 51, 60, 20}},
      {"vertical", true, false, false, 0, 101, {20, 10}, {60, 50}, {10, 51, 39, 81}},
      // The whole plot of a symmetric log range gives the same range.
      {"log, whole plot", false, false, true, -999, 999, {0, 0}, {100, 99}, {0, 101, -999, 999}},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Name);
    Host.Vertical = C.Vertical;
    Host.Reversed = C.Reversed;
    Host.Logarithmic = C.Logarithmic;
    Host.XData[0] = 0;
    Host.XData[1] = 101;
    Host.YData[0] = C.YMin;
    Host.YData[1] = C.YMax;
    Host.Zoom.clear();
    Host.ZoomChanges = 0;
    Host.Hold = false;
    Drag(C.From, C.To);
    ASSERT_EQ(Host.Zoom.size(), 4u);
    for (int I = 0; I < 4; ++I)
      EXPECT_NEAR(Host.Zoom[I], C.Zoom[I], 1e-9) << I;
    EXPECT_TRUE(Host.Hold);
    EXPECT_EQ(Host.ZoomChanges, 1);
  }
}

TEST_F(DataView, DragsThatDoNotZoom) {
  // Less than 5 pixels both ways: a new layout and a repaint only.
  Drag({10, 10}, {14, 14});
  EXPECT_TRUE(Host.Zoom.empty());
  EXPECT_EQ(Host.Recalcs, 1);
  // A log range with 0 at an end cannot be mapped.
  Host.Logarithmic = true;
  Host.YData[0] = 0;
  Host.YData[1] = 1000;
  Drag({10, 10}, {50, 50});
  EXPECT_TRUE(Host.Zoom.empty());
  EXPECT_FALSE(Host.Hold);
  // The right button, mouse zoom off, a press outside the view.
  Host.Logarithmic = false;
  Drag({10, 10}, {50, 50}, mbRight);
  Host.Zooming.MouseZoom = false;
  Drag({10, 10}, {50, 50});
  Host.Zooming.MouseZoom = true;
  View->MouseDown(mbLeft, 0, 10, 10, false);
  View->MouseUp(mbLeft, 0, 50, 50, false);
  EXPECT_TRUE(Host.Zoom.empty());
  EXPECT_EQ(Host.ZoomChanges, 0);
  // Without HoldOnZoom the zoom leaves the hold alone.
  Host.Zooming.HoldOnZoom = false;
  Drag({10, 10}, {50, 50});
  EXPECT_EQ(Host.Zoom.size(), 4u);
  EXPECT_FALSE(Host.Hold);
}

// While dragging, the selection is framed in the selection colour from the
// press to the mouse, both included.
TEST_F(DataView, SelectionFrameWhileDragging) {
  Image.fill(0);
  View->DrawMouseSelction(&Canvas);
  View->MouseDown(mbLeft, 0, 30, 40, true);
  EXPECT_TRUE(View->InMouseZooming());
  View->MouseMove(0, 20, 50);
  EXPECT_GE(Host.Repaints, 1);
  Host.Zooming.SelectionColor = clLime;
  View->DrawMouseSelction(&Canvas);
  Canvas.Flush();
  const uint32_t Lime = ColorToQRgb(clLime);
  EXPECT_EQ(Image.pixel(20, 40) & 0xFFFFFF, Lime);
  EXPECT_EQ(Image.pixel(30, 50) & 0xFFFFFF, Lime);
  EXPECT_EQ(Image.pixel(25, 45) & 0xFFFFFF, 0u);
  EXPECT_EQ(Image.pixel(31, 50) & 0xFFFFFF, 0u);
  Host.Zooming.MouseZoom = false;
  EXPECT_FALSE(View->InMouseZooming());
}

TEST_F(DataView, MouseTrackingAndColours) {
  View->MouseMove(0, 5, 5);
  View->MouseMove(0, 6, 5);
  View->MouseMove(0, 6, 9);
  EXPECT_EQ(Host.Log, "xyxy");
  Host.Vertical = true;
  Host.Log.clear();
  View->MouseMove(0, 7, 9);
  EXPECT_EQ(Host.Log, "y");
  View->MouseLeave();
  EXPECT_EQ(View->GetMousePoint().X, -1000);
  View->MouseEnter();
  EXPECT_EQ(View->GetMousePoint(), (TPoint{7, 8}));
  EXPECT_EQ(View->GetGridColor(), clGreen);
  EXPECT_EQ(View->GetZeroGridColor(), clWhite);
  View->SetGridColor(clGreen);
  EXPECT_EQ(Host.ViewRepaints, 0);
  View->SetZeroGridColor(clRed);
  EXPECT_EQ(Host.ViewRepaints, 1);
  EXPECT_EQ(View->GetAlign(), alClient);
  EXPECT_EQ(View->GetDefaultSize(), (TPoint{-1, -1}));
}

} // namespace
