#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/FormStream.h"
#include "scope/SLScopeControl.h"
#include "tests/scope/ScopeMouseSupport.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

using Values = std::vector<double>;

struct TZoomEvent {
  TSLZoomOperation Operation;
  TSLRealRanges Ranges;
};

class ScopeControl : public ::testing::Test {
protected:
  void SetUp() override {
    Scope->SetHost(&Window);
    Scope->GetBitmap()->Canvas()->SetTextRenderer(&Text);
    // The recorder's main window: only the data view shows, Y over
    // [-32768, 32768] without auto-scaling, two channels red and lime.
    Scope->SetBounds(100, 97, 505, 304);
    Scope->GetTitle()->SetVisible(false);
    Scope->GetLegend()->SetVisible(false);
    Scope->GetXAxis()->SetVisible(false);
    Scope->GetYAxis()->SetVisible(false);
    Scope->GetHighlighting()->GetChannels()->SetHiglightLegendButton(false);
    Scope->GetHighlighting()->GetChannels()->SetHiglightFromLegend(false);
    Scope->GetHighlighting()->GetMouseHitPoint()->SetEnabled(false);
    Scope->GetYAxis()->SetMin(-32768);
    Scope->GetYAxis()->SetMax(32768);
    Scope->GetYAxis()->GetAutoScaling()->SetEnabled(false);
    Scope->GetZooming()->HoldOnZoom = false;
    Scope->GetChannels()->GetItem(0)->SetColor(clRed);
    Scope->GetChannels()->Add()->SetColor(clLime);
    for (int I = 0; I < 2; ++I) {
      Sources.emplace_back(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
      EXPECT_TRUE(Scope->GetChannels()->GetItem(I)->GetInputPin()->Connect(Sources.back().get()));
    }
    Scope->OnZoomChanged.Fn = [this](TObject *, TSLZoomOperation Op, const TSLRealRanges &R) {
      Zooms.push_back({Op, R});
    };
  }
  void TearDown() override {
    Scope->SetHost(nullptr);
    Scope.reset();
  }
  void Feed(int Channel, const Values &V) {
    Sources[size_t(Channel)]->SubmitBuffer(
        com::MakeCom<TSLRealBuffer>(V.data(), static_cast<uint32_t>(V.size())));
  }
  // The window's paint of the whole control.
  QImage Paint() { return PaintControl(Scope.get()); }
  static TColor At(const QImage &Image, int X, int Y) { return PixelColor(Image, X, Y); }
  // The shown X range (the zoom range within the full range).
  void ExpectXRange(double Min, double Max, double Tolerance = 1e-9) {
    EXPECT_NEAR(Scope->GetXAxis()->GetDataZoomedMinRead(), Min, Tolerance);
    EXPECT_NEAR(Scope->GetXAxis()->GetDataZoomedMaxRead(), Max, Tolerance);
  }
  // The X zoom range itself, which may reach past the data.
  void ExpectXZoom(double Min, double Max) {
    EXPECT_NEAR(Scope->GerXMinZoom(), Min, 1e-9);
    EXPECT_NEAR(Scope->GerXMaxZoom(), Max, 1e-9);
  }
  // What the axes show, and whether a zoom is in force.
  std::vector<double> State() {
    TSLScopeXAxis *X = Scope->GetXAxis();
    TSLScopeYAxis *Y = Scope->GetYAxis();
    return {X->GetDataZoomedMinRead(), X->GetDataZoomedMaxRead(), Y->GetDataZoomedMinRead(),
            Y->GetDataZoomedMaxRead(), Scope->IsZoomed() ? 1.0 : 0.0};
  }

  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TFixedTextRenderer Text{6, 10, 3};
  TFakeWindow Window;
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  std::vector<TOwnedPtr<TSLOWRealSourcePin>> Sources;
  std::vector<TZoomEvent> Zooms;
};

TEST(ScopeControlDefaults, NewScope) {
  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  EXPECT_EQ(Scope->GetWidth(), 450);
  EXPECT_EQ(Scope->GetHeight(), 280);
  EXPECT_TRUE(Scope->GetTabStop());
  EXPECT_EQ(Scope->GetChannels()->Count(), 1);
  EXPECT_EQ(Scope->GetInputPins()->GetCount(), 1);
  EXPECT_EQ(Scope->GetTitle()->GetText(), "Scope");
  EXPECT_EQ(Scope->GetRefreshInterval(), 100u);
  EXPECT_TRUE(Scope->GetRefreshTimer()->Enabled());
  // Views in layout order: title, legend, X axis, Y axis, data view.
  ASSERT_EQ(Scope->GetViews()->Count(), 5);
  EXPECT_EQ(Scope->GetViews()->GetItem(0), Scope->GetTitle());
  EXPECT_EQ(Scope->GetViews()->GetItem(1), Scope->GetLegend());
  EXPECT_EQ(Scope->GetViews()->GetItem(4), Scope->GetDataView());
  // No channel rate: the fallback rate.
  EXPECT_EQ(Scope->GetSampleRate(), 10000);
  Scope->SetRefreshInterval(250);
  EXPECT_EQ(Scope->GetRefreshInterval(), 250u);
}

// The channels' pins are published as the InputPins list, so saved forms
// name and link them through it.
TEST_F(ScopeControl, ChannelPinsAreNamedThroughInputPins) {
  TOWPinList *Pins = Scope->GetInputPins();
  ASSERT_EQ(Pins->GetCount(), 2);
  EXPECT_EQ(Pins->GetListName(), "InputPins");
  EXPECT_EQ(Pins->GetPin(1)->GetName(), "InputPins.Channel1");
}

// Label templates take their X and Y texts from the scope's own axes.
TEST_F(ScopeControl, FormatLabelTextUsesTheAxesTickTexts) {
  const std::string X = Scope->GetXAxis()->GetTickText(1.5);
  const std::string Y = Scope->GetYAxis()->GetTickText(2);
  ASSERT_FALSE(X.empty());
  ASSERT_FALSE(Y.empty());
  EXPECT_EQ(Scope->GetFormatLabelText(1.5, 2, 7, "", "%X : %Y"), X + " : " + Y);
  EXPECT_EQ(Scope->GetFormatLabelText(1.5, 2, 7, "Max %D!", "%Y"), "Max " + Y + "!");
}

// The recorder's picture: frame, zero line, both curves where the pixel
// transform puts them, black elsewhere.
TEST_F(ScopeControl, RecorderPictureFromInputPins) {
  Feed(0, Values(1024, 16384));
  Feed(1, Values(1024, -16384));
  Window.Repaints = 0;
  Scope->RefreshView();
  EXPECT_GT(Window.Repaints, 0);
  EXPECT_EQ(Scope->GetXAxis()->GetVC_Samples(), 1024);
  QImage Image = Paint();
  EXPECT_EQ(At(Image, 0, 10), clGreen);   // frame
  EXPECT_EQ(At(Image, 504, 10), clGreen); // frame
  EXPECT_EQ(At(Image, 3, 152), clWhite);  // zero line
  EXPECT_EQ(At(Image, 250, 76), clRed);   // 16384
  EXPECT_EQ(At(Image, 250, 228), clLime); // -16384
  EXPECT_EQ(At(Image, 250, 75), clBlack);
  EXPECT_EQ(At(Image, 250, 77), clBlack);
  EXPECT_EQ(At(Image, 250, 227), clBlack);
  EXPECT_EQ(At(Image, 250, 229), clBlack);
}

// Sample i of S lands in column rnd(i * 504 / (S - 1)), halves to even:
// with S = 17 sample 3 sits at 94.5, which ties-to-even puts on column 94.
TEST_F(ScopeControl, SampleColumnsRoundHalvesToEven) {
  Values Spike(17, 0);
  Spike[3] = 16384;
  Feed(0, Spike);
  Feed(1, Values(17, 0));
  Scope->RefreshView();
  QImage Image = Paint();
  EXPECT_EQ(At(Image, 94, 76), clRed);
  EXPECT_NE(At(Image, 95, 76), clRed);
  EXPECT_NE(At(Image, 93, 76), clRed);
}

// Hold keeps the picture; releasing it shows the newest data at once.
TEST_F(ScopeControl, HoldFreezesUntilReleased) {
  Feed(0, Values(64, 16384));
  Scope->RefreshView();
  Scope->SetHold(true);
  Feed(0, Values(64, -16384));
  EXPECT_FALSE(Scope->PopulateDrawBuffers());
  QImage Held = Paint();
  EXPECT_EQ(At(Held, 250, 76), clRed);
  Scope->SetHold(false);
  QImage Released = Paint();
  EXPECT_EQ(At(Released, 250, 228), clRed);
  EXPECT_EQ(At(Released, 250, 76), clBlack);
}

// A refresh interval of 0 stops the timer; the picture still follows the
// data whenever RefreshView runs.
TEST_F(ScopeControl, RefreshIntervalZeroStopsOnlyTheTimer) {
  Scope->SetRefreshInterval(0);
  EXPECT_EQ(Scope->GetRefreshInterval(), 0u);
  EXPECT_FALSE(Scope->GetRefreshTimer()->Running());
  Feed(0, Values(64, 16384));
  Scope->RefreshView();
  EXPECT_EQ(At(Paint(), 250, 76), clRed);
}

TEST_F(ScopeControl, LayoutGivesTheDataViewWhatTheOthersLeave) {
  Scope->RefreshView();
  Paint();
  EXPECT_EQ(Scope->GetDataView()->GetRect(), (TRect{0, 0, 505, 304}));
  Scope->GetXAxis()->SetVisible(true);
  Scope->GetYAxis()->SetVisible(true);
  Scope->GetTitle()->SetVisible(true);
  Paint();
  const TRect D = Scope->GetDataView()->GetRect();
  const TRect T = Scope->GetTitle()->GetRect();
  const TRect X = Scope->GetXAxis()->GetRect();
  const TRect Y = Scope->GetYAxis()->GetRect();
  EXPECT_EQ(T.Top, 0);
  EXPECT_EQ(Y.Top, T.Bottom);
  EXPECT_EQ(D.Top, std::max(T.Bottom, Scope->GetYAxis()->GetDefaultOffsetBegin()));
  EXPECT_EQ(X.Bottom, 304);
  EXPECT_EQ(D.Bottom, std::min(X.Top, 304 - Scope->GetYAxis()->GetDefaultOffsetEnd()));
  EXPECT_EQ(D.Left, std::max(Y.Right, Scope->GetXAxis()->GetDefaultOffsetBegin()));
  EXPECT_LT(D.Left, D.Right);
  EXPECT_LT(D.Top, D.Bottom);
}

// The wheel keeps the value under the mouse in place: at the right edge
// (r = 1) factor 1.1 takes [0, 100] to [-10, 100]; at the centre (r = 0)
// factor 0.9 gives [5, 95].
TEST_F(ScopeControl, WheelZoomAboutTheMouse) {
  struct TCase {
    int32_t Width, X;
    double F, Min, Max;
  } Cases[] = {{505, 505, 1.1, -10, 100}, {404, 202, 0.9, 5, 95}, {404, 0, 1.1, 0, 110}};
  for (const TCase &C : Cases) {
    Scope->SetWidth(C.Width);
    Paint();
    Scope->IntZoomTo(0, 100, -32768, 32768);
    Scope->MouseWheelZoom({C.X, 152}, C.F, C.F);
    ExpectXZoom(C.Min, C.Max);
    // The mouse is in the middle row: Y grows evenly about 0.
    EXPECT_NEAR(Scope->GetYAxis()->GetDataZoomedMaxRead(), 32768 * C.F, 1e-6);
    EXPECT_NEAR(Scope->GetYAxis()->GetDataZoomedMinRead(), -32768 * C.F, 1e-6);
  }
  ASSERT_FALSE(Zooms.empty());
  EXPECT_EQ(Zooms.back().Operation, zoMouseWheel);
  EXPECT_TRUE(Scope->IsZoomed());

  // Through the window: a notch towards the user zooms out about the mouse.
  Scope->IntZoomTo(0, 100, -32768, 32768);
  Scope->DispatchMouseWheel(0, -WHEEL_DELTA, {202, 152});
  ExpectXZoom(-5, 105);
  Scope->GetZooming()->MouseWheelEnabled = false;
  Scope->DispatchMouseWheel(0, -WHEEL_DELTA, {202, 152});
  ExpectXZoom(-5, 105);
}

TEST_F(ScopeControl, UndoAndRedoRuns) {
  Paint();
  const std::vector<double> Start = State();
  for (int I = 0; I < 10; ++I)
    Scope->DispatchMouseWheel(0, WHEEL_DELTA, {100, 100});
  EXPECT_NE(State(), Start);
  Scope->UndoZoom();
  EXPECT_EQ(State(), Start);
  EXPECT_EQ(Zooms.back().Operation, zoUndo);

  // A wheel step, a factor zoom, two undos: back before the wheel step; a
  // redo brings the wheel step again.
  Scope->ClearZoomUndo();
  Scope->DispatchMouseWheel(0, WHEEL_DELTA, {100, 100});
  const std::vector<double> Wheeled = State();
  Scope->ZoomBy(0.5);
  const std::vector<double> Halved = State();
  Scope->UndoZoom();
  EXPECT_EQ(State(), Wheeled);
  Scope->UndoZoom();
  EXPECT_EQ(State(), Start);
  Scope->RedoZoom();
  EXPECT_EQ(State(), Wheeled);
  EXPECT_EQ(Zooms.back().Operation, zoRedo);
  Scope->RedoZoom();
  EXPECT_EQ(State(), Halved);
  // A new zoom drops what could be redone.
  Scope->UndoZoom();
  EXPECT_TRUE(Scope->GetCanRedoZoom());
  Scope->ZoomOff();
  EXPECT_FALSE(Scope->GetCanRedoZoom());
  EXPECT_FALSE(Scope->IsZoomed());
  EXPECT_EQ(Zooms.back().Operation, zoZoomOff);
  // An empty undo stack changes nothing.
  Scope->ClearZoomUndo();
  const std::vector<double> Before = State();
  const size_t Events = Zooms.size();
  Scope->UndoZoom();
  EXPECT_EQ(State(), Before);
  EXPECT_EQ(Zooms.size(), Events);
}

TEST_F(ScopeControl, KeysZoomOnlyWhenKeyboardZoomIsOn) {
  Paint();
  Scope->IntZoomTo(0, 100, -100, 100);
  int Keys = 0;
  Scope->OnKeyPress.Fn = [&](TObject *, char &) { ++Keys; };
  Scope->DispatchKeyPress('+');
  ExpectXRange(25, 75);
  Scope->DispatchKeyPress('-');
  ExpectXRange(0, 100);
  Scope->GetZooming()->KeyboardZoom = false;
  Scope->DispatchKeyPress('+');
  ExpectXRange(0, 100);
  EXPECT_EQ(Keys, 3);
}

// A rectangle dragged over the data view zooms both axes and reports it
// once; with HoldOnZoom the display holds.
TEST_F(ScopeControl, RectangleZoomReportsOnce) {
  Scope->GetZooming()->HoldOnZoom = true;
  Feed(0, Values(505, 0));
  Scope->RefreshView();
  Paint();
  Scope->DispatchMouseMove(0, 100, 50);
  Scope->DispatchMouseDown(mbLeft, ssLeft, 100, 50);
  Scope->DispatchMouseMove(ssLeft, 200, 150);
  Scope->DispatchMouseUp(mbLeft, 0, 200, 150);
  ASSERT_EQ(Zooms.size(), 1u);
  EXPECT_EQ(Zooms[0].Operation, zoZoom);
  EXPECT_TRUE(Scope->IsZoomed());
  EXPECT_TRUE(Scope->GetVC_Hold());
  EXPECT_LT(Scope->GetXAxis()->GetDataZoomedMaxRead() - Scope->GetXAxis()->GetDataZoomedMinRead(),
            504);
  EXPECT_TRUE(Scope->GetCanUndoZoom());
}

// Dragging the zoomed X axis moves the range, and no further than the full
// range.
TEST_F(ScopeControl, XAxisDragStopsAtTheFullRange) {
  Scope->GetXAxis()->SetVisible(true);
  Feed(0, Values(1001, 0));
  Scope->RefreshView();
  Paint();
  const double FullMin = Scope->GetXAxis()->GetDataFullMinRead();
  const double FullMax = Scope->GetXAxis()->GetDataFullMaxRead();
  Scope->IntZoomTo(400, 600, -32768, 32768);
  Paint();
  const TRect X = Scope->GetXAxis()->GetDrawRect();
  ASSERT_FALSE(X.IsEmpty());
  const int32_t Y = (X.Top + X.Bottom) / 2;
  Scope->DispatchMouseMove(0, 250, Y);
  Scope->DispatchMouseDown(mbLeft, ssLeft, 250, Y);
  Scope->DispatchMouseMove(ssLeft, 260, Y);
  EXPECT_LT(Scope->GetXAxis()->GetDataZoomedMinRead(), 400);
  Scope->DispatchMouseMove(ssLeft, 100000, Y);
  EXPECT_DOUBLE_EQ(Scope->GetXAxis()->GetDataZoomedMinRead(), FullMin);
  EXPECT_DOUBLE_EQ(Scope->GetXAxis()->GetDataZoomedMaxRead(), FullMin + 200);
  Scope->DispatchMouseMove(ssLeft, -100000, Y);
  EXPECT_DOUBLE_EQ(Scope->GetXAxis()->GetDataZoomedMaxRead(), FullMax);
  Scope->DispatchMouseUp(mbLeft, 0, -100000, Y);
}

// Zooming in stops at the 0.0001 floor, zooming out at what a double holds:
// the ranges and the pixel transform stay finite.
TEST_F(ScopeControl, ZoomFloorAndOverflow) {
  Paint();
  for (int I = 0; I < 80; ++I)
    Scope->ZoomBy(0.5);
  TSLScopeXAxis *X = Scope->GetXAxis();
  TSLScopeYAxis *Y = Scope->GetYAxis();
  EXPECT_GE(X->GetDataZoomedMaxRead() - X->GetDataZoomedMinRead(), 0.0001 * (1 - 1e-9));
  EXPECT_GE(Y->GetDataZoomedMaxRead() - Y->GetDataZoomedMinRead(), 0.0001 * (1 - 1e-9));
  Paint();
  for (int I = 0; I < 4; ++I)
    Scope->ZoomBy(1e300);
  for (double V : {X->GetDataZoomedMinRead(), X->GetDataZoomedMaxRead(), Y->GetDataZoomedMinRead(),
                   Y->GetDataZoomedMaxRead()})
    EXPECT_TRUE(std::isfinite(V));
  int32_t Offset = 0;
  double Factor = 0;
  Y->GetScaleInfo(Offset, Factor, Y->GetDataZoomedMinRead(), Y->GetDataZoomedMaxRead());
  EXPECT_TRUE(std::isfinite(Factor));
  Paint();
}

// Degenerate sizes: nothing to paint at 0 x 0, a huge control lays out
// without overflow; neither crashes a paint or a wheel step.
TEST_F(ScopeControl, EmptyAndHugeControls) {
  Feed(0, Values(64, 16384));
  Scope->RefreshView();
  Scope->SetBounds(0, 0, 0, 0);
  QImage Empty = Paint();
  EXPECT_TRUE(Empty.isNull());
  Scope->MouseWheelZoom({0, 0}, 1.1, 1.1);
  for (double V : {Scope->GerXMinZoom(), Scope->GerXMaxZoom()})
    EXPECT_TRUE(std::isfinite(V));

  Scope->ZoomOff();
  Scope->SetBounds(0, 0, 1 << 30, 1 << 30);
  Scope->GetTitle()->SetVisible(true);
  Scope->GetXAxis()->SetVisible(true);
  Scope->GetYAxis()->SetVisible(true);
  Scope->RecalculateViewRects();
  const TRect D = Scope->GetDataView()->GetRect();
  EXPECT_GT(D.Right, D.Left);
  EXPECT_GT(D.Bottom, D.Top);
  EXPECT_LE(D.Right, 1 << 30);
  Scope->MouseWheelZoom({1 << 29, 1 << 29}, 0.9, 0.9);
  ExpectXRange(0 + 63 * 0.05, 63 - 63 * 0.05, 1e-5);
}

// Setters that change the picture ask for a repaint only when the value
// changes; Vertical also redoes the layout.
TEST_F(ScopeControl, SettersRepaintOnChange) {
  Paint();
  Window.Repaints = 0;
  Scope->SetColor(0);
  EXPECT_EQ(Window.Repaints, 0);
  Scope->SetColor(clNavy);
  EXPECT_EQ(Window.Repaints, 1);
  EXPECT_EQ(At(Paint(), 250, 100), clNavy);
  EXPECT_FALSE(Scope->GetRecalcRects());
  Scope->SetVertical(true);
  EXPECT_TRUE(Scope->GetRecalcRects());
  EXPECT_TRUE(Scope->GetIsVertical());
  EXPECT_EQ(Window.Repaints, 2);
  // A stored Y range [5, 5] becomes [-5, 5] when the form is loaded.
  Scope->GetYAxis()->SetMax(5);
  Scope->GetYAxis()->SetMin(5);
  Scope->Loaded();
  EXPECT_EQ(Scope->GetYAxis()->GetMin(), -5);
}

// A focused scope frames its plot with the focus dots; without the focus the
// frame is gone.
TEST_F(ScopeControl, FocusFrame) {
  // The data view's frame covers the plot's edge; the title leaves the top
  // row to the background.
  Scope->GetTitle()->SetVisible(true);
  Scope->SetColor(clNavy);
  const QImage Plain = Paint();
  Window.HasFocus = true;
  const QImage Framed = Paint();
  int Changed = 0;
  for (int X = 0; X < Plain.width(); ++X)
    Changed += Plain.pixel(X, 0) != Framed.pixel(X, 0);
  EXPECT_GT(Changed, 100);
  EXPECT_EQ(Plain.pixel(250, 100), Framed.pixel(250, 100));
  Window.HasFocus = false;
  EXPECT_EQ(Paint(), Plain);
}

// The X data range spans every channel's draw X data; without data in
// channel 0 it falls back to the sample range 0 .. S - 1.
TEST_F(ScopeControl, XDataRangeOverChannels) {
  Feed(0, Values(1024, 1));
  Feed(1, Values(2048, 1));
  Scope->RefreshView();
  EXPECT_EQ(Scope->GetMinXValue(), 0);
  EXPECT_EQ(Scope->GetMaxXValue(), 2047);
  Scope->GetChannels()->GetItem(0)->GetVC_Data()->Clear();
  Feed(1, Values(100, 1));
  Scope->RefreshView();
  EXPECT_EQ(Scope->GetMinXValue(), 0);
  EXPECT_EQ(Scope->GetMaxXValue(), Scope->GetXAxis()->GetVC_Samples() - 1);
}

// The recorder's scope settings come from its form text: bounds, hidden
// title and axes, the Y range, and two channels, each with its pin.
TEST(ScopeControlStream, TheRecordersSettingsLoadFromFormText) {
  TStillTimers Timers;
  THostedScope Hosted{Timers};
  TOwnedPtr<TSLScope> &Scope = Hosted.Scope;
  LoadFormText(Scope.get(), "object Scope: TSLScope\n"
                            "  Left = 100\n"
                            "  Top = 97\n"
                            "  Width = 505\n"
                            "  Height = 304\n"
                            "  TabStop = False\n"
                            "  RefreshInterval = 250\n"
                            "  YAxis.Visible = False\n"
                            "  YAxis.MinMax = (\n"
                            "    -32768\n"
                            "    32768)\n"
                            "  YAxis.AutoScaling.Enabled = False\n"
                            "  XAxis.Visible = False\n"
                            "  Title.Visible = False\n"
                            "  Channels = <\n"
                            "    item\n"
                            "      Color = 255\n"
                            "    end\n"
                            "    item\n"
                            "      Color = 65280\n"
                            "    end>\n"
                            "end\n");
  EXPECT_EQ(Scope->GetWidth(), 505);
  EXPECT_EQ(Scope->GetLeft(), 100);
  RegisterScopeClasses();
  EXPECT_EQ(FindClass("TSLScope"), &TSLScope::StaticClassInfo());
  EXPECT_FALSE(Scope->GetTabStop());
  EXPECT_EQ(Scope->GetRefreshInterval(), 250u);
  ASSERT_EQ(Scope->GetChannels()->Count(), 2);
  ASSERT_EQ(Scope->GetInputPins()->GetCount(), 2);
  std::vector<TOwnedPtr<TSLOWRealSourcePin>> Sources;
  const Values Levels[] = {Values(1024, 16384), Values(1024, -16384)};
  for (int I = 0; I < 2; ++I) {
    Sources.emplace_back(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
    ASSERT_TRUE(Scope->GetChannels()->GetItem(I)->GetInputPin()->Connect(Sources.back().get()));
    Sources.back()->SubmitBuffer(com::MakeCom<TSLRealBuffer>(Levels[I].data(), 1024u));
  }
  Scope->RefreshView();
  QImage Image(505, 304, QImage::Format_RGB32);
  TCanvas Canvas(&Image);
  Scope->PaintWindow(&Canvas, TRegion(Scope->GetClientRect()));
  Canvas.Flush();
  auto At = [&](int X, int Y) { return Image.pixel(X, Y) & 0xFFFFFFu; };
  EXPECT_EQ(At(0, 10), ColorToQRgb(clGreen) & 0xFFFFFFu);
  EXPECT_EQ(At(3, 152), ColorToQRgb(clWhite) & 0xFFFFFFu);
  EXPECT_EQ(At(300, 76), ColorToQRgb(clRed) & 0xFFFFFFu);
  EXPECT_EQ(At(300, 228), ColorToQRgb(clLime) & 0xFFFFFFu);
}

// The zoom settings load from form text, and the five stay at their defaults
// unless stored.
TEST(ScopeControlStream, ZoomingLoadsFromFormText) {
  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  LoadFormText(Scope.get(), "object Scope: TSLScope\n"
                            "  Zooming.MouseZoom = False\n"
                            "  Zooming.KeyboardZoom = False\n"
                            "  Zooming.SelectionColor = 255\n"
                            "  Zooming.MouseWheelEnabled = False\n"
                            "end\n");
  const TSLDisplayZoom *Z = Scope->GetZooming();
  EXPECT_FALSE(Z->MouseZoom);
  EXPECT_FALSE(Z->KeyboardZoom);
  EXPECT_EQ(Z->SelectionColor, clRed);
  EXPECT_FALSE(Z->MouseWheelEnabled);
  EXPECT_TRUE(Z->HoldOnZoom);
}

// Vertical: the X axis runs down the control, so a constant level is a
// column; the two levels lie on either side of the zero column at equal
// distances.
TEST_F(ScopeControl, VerticalDrawsLevelsAsColumns) {
  Feed(0, Values(64, 16384));
  Feed(1, Values(64, -16384));
  Scope->SetVertical(true);
  Scope->RefreshView();
  const QImage Image = Paint();
  auto ColumnOf = [&](int Y, TColor C) {
    for (int X = 0; X < Image.width(); ++X)
      if (At(Image, X, Y) == C)
        return X;
    return -1;
  };
  const int Red = ColumnOf(150, clRed), Lime = ColumnOf(150, clLime);
  ASSERT_GE(Red, 0);
  ASSERT_GE(Lime, 0);
  EXPECT_EQ(ColumnOf(50, clRed), Red);
  EXPECT_EQ(ColumnOf(250, clLime), Lime);
  EXPECT_NE(Red, Lime);
  EXPECT_NEAR(std::abs(Red - 252), std::abs(Lime - 252), 1);
  EXPECT_NEAR(std::abs(Red - Lime), 252, 2);
}

// The mouse-leave poll ends the mouse's stay once it is outside.
TEST_F(ScopeControl, MouseTimerNoticesLeaving) {
  Paint();
  Window.Mouse = {10, 10};
  Scope->DispatchMouseMove(0, 10, 10);
  EXPECT_TRUE(Scope->GetMouseInside());
  EXPECT_TRUE(Scope->GetMouseTimer()->Enabled());
  Scope->OnMouseTimer(nullptr);
  EXPECT_TRUE(Scope->GetMouseInside());
  Window.Mouse = {-5, 10};
  Scope->OnMouseTimer(nullptr);
  EXPECT_FALSE(Scope->GetMouseInside());
  EXPECT_FALSE(Scope->GetMouseTimer()->Enabled());
}

// Size limits cut the waiting data to its newest samples; the sample rate
// and the time range follow the channels.
TEST_F(ScopeControl, SizeLimitAndTimeRange) {
  Values Ramp(2048);
  for (size_t I = 0; I < Ramp.size(); ++I)
    Ramp[I] = double(I);
  Feed(0, Ramp);
  Scope->SetSizeLimit(1024);
  Scope->RefreshView();
  const ISLRealBufferPtr &Y = Scope->GetChannels()->GetItem(0)->GetDrawY();
  ASSERT_TRUE(Y);
  ASSERT_EQ(Y->GetSize(), 1024u);
  EXPECT_EQ(Y->Read()[0], 1024);
  Sources[0]->Notify(TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1024, 44100.0).Get());
  EXPECT_EQ(Scope->GetSampleRate(), 44100);
  EXPECT_NEAR(Scope->CalcMaxTime(), 1023.0 / 44100 * 1000, 1e-9);
  EXPECT_NEAR(Scope->CalcMaxFreq(), 22.05, 1e-12);
  // A NaN rate counts as none.
  Sources[0]->Notify(
      TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1024, std::nan("")).Get());
  EXPECT_EQ(Scope->GetSampleRate(), 10000);
}

} // namespace
