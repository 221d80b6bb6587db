// Cursors and cursor links on a whole scope: pictures composed from the
// pixel geometry of the lines, bands and measurements, drags through the
// control's mouse input, the legend's buttons, form text, and items deleted
// while the mouse or the legend holds them.

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "scope/SLChannelLinks.h"
#include "scope/SLScopeControl.h"
#include "tests/scope/ScopeWindowSupport.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

// The legend's unhandled click, which would open the properties dialog.
class TRecordingScope : public TSLScope {
  CLASSLIB_SIMPLE_CLASS(TRecordingScope, TSLScope)

public:
  using TSLScope::TSLScope;
  void DoLegendClick(int32_t Page, int32_t Item) override { Clicks.push_back({Page, Item}); }
  std::vector<std::pair<int32_t, int32_t>> Clicks;
};

struct TMove {
  int32_t Index;
  TSLRealPoint Old, New;
};

constexpr TColor Back = clBlack;
constexpr TColor Band = 0x808080;

// A 201 x 101 scope that is all plot: the plot rectangle is (0, 0)-(201,
// 100), X runs 0..100 over 101 samples (X pixel 2x), Y -100..100 (row
// (100 - y) / 2). Channel 0 is red and flat at Y 50 (row 25).
class CursorScope : public ::testing::Test {
protected:
  void SetUp() override {
    Scope->SetHost(&Window);
    Scope->GetBitmap()->Canvas()->SetTextRenderer(&Text);
    Scope->SetBounds(0, 0, 201, 101);
    Scope->GetTitle()->SetVisible(false);
    Scope->GetToolBar()->SetVisible(false);
    Scope->GetLegend()->SetVisible(false);
    Scope->GetXAxis()->SetVisible(false);
    Scope->GetYAxis()->SetVisible(false);
    Scope->GetYAxis()->SetMin(-100);
    Scope->GetYAxis()->SetMax(100);
    Scope->GetYAxis()->GetAutoScaling()->SetEnabled(false);
    Scope->GetHighlighting()->GetMouseHitPoint()->SetEnabled(false);
    Scope->GetScopeDataView()->SetGridColor(0x004000);
    Scope->GetChannels()->GetItem(0)->SetColor(clRed);
    SetY(std::vector<double>(101, 50));
  }
  void TearDown() override {
    Scope->SetHost(nullptr);
    Scope.reset();
  }
  void SetY(const std::vector<double> &Y) {
    Scope->GetChannels()->GetItem(0)->GetVC_Data()->SetYData(Y.data(), uint32_t(Y.size()));
    Scope->RefreshView();
  }
  QImage Paint() { return PaintControl(Scope.get(), &Text); }
  static TColor At(const QImage &I, int X, int Y) { return PixelColor(I, X, Y); }
  static void Put(QImage &I, int X, int Y, TColor C) {
    if (X >= 0 && Y >= 0 && X < I.width() && Y < I.height())
      I.setPixel(X, Y, ColorToQRgb(C));
  }
  // Pixels that differ, outside the places Skip names (wide pens' ends).
  static int Differences(const QImage &A, const QImage &B,
                         const std::function<bool(int, int)> &Skip = {}) {
    int N = 0;
    for (int Y = 0; Y < A.height(); ++Y)
      for (int X = 0; X < A.width(); ++X)
        if ((!Skip || !Skip(X, Y)) && At(A, X, Y) != At(B, X, Y)) {
          if (N < 5)
            ADD_FAILURE() << "pixel " << X << "," << Y << ": " << std::hex << At(A, X, Y)
                          << " instead of " << At(B, X, Y);
          ++N;
        }
    return N;
  }
  TSLDisplayCursor *AddCursor(TSLDisplayCursorKind Kind, double X, double Y, TColor Color) {
    TSLDisplayCursor *C = Scope->GetCursors()->Add();
    C->SetKind(Kind);
    C->SetColor(Color);
    C->GetPosition()->SetX(X);
    C->GetPosition()->SetY(Y);
    return C;
  }
  void Drag(TPoint From, TPoint To) {
    Paint();
    Scope->DispatchMouseMove(0, From.X, From.Y);
    Scope->DispatchMouseDown(mbLeft, ssLeft, From.X, From.Y);
    Scope->DispatchMouseMove(ssLeft, To.X, To.Y);
    Scope->DispatchMouseUp(mbLeft, 0, To.X, To.Y);
  }
  void RecordMoves() {
    Scope->GetCursors()->OnPositionChange.Fn = [this](TObject *, int32_t I, const TSLRealPoint &O,
                                                      const TSLRealPoint &N) {
      Moves.push_back({I, O, N});
    };
  }

  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TFixedTextRenderer Text{6, 10, 3};
  TFakeWindow Window;
  TOwnedPtr<TRecordingScope> Scope{CreateObject<TRecordingScope>(nullptr)};
  std::vector<TMove> Moves;
};

TEST_F(CursorScope, LinesAndCrossingPoints) {
  TSLDisplayCursor *A = AddCursor(ckVertical, 25.5, 0, clFuchsia);
  TSLDisplayCursor *B = AddCursor(ckHorizontal, 0, -40, clAqua);
  TSLDisplayChannelLink *Link = A->GetChannels()->Add();
  ASSERT_NE(Link, nullptr);
  Link->SetShape(msSquare);
  Link->SetSize(2);
  Link->GetChannelLabel()->SetVisible(false);
  A->SetVisible(false);
  B->SetVisible(false);
  const QImage Base = Paint();
  ASSERT_EQ(At(Base, 60, 25), clRed) << "the curve's row";
  A->SetVisible(true);
  B->SetVisible(true);

  // A: column 51 from row 1 to 99; its crossing with the curve between
  // samples 25 and 26 is a red square of half size 2 round (51, 24), one
  // row above the curve; then B: row 70 from column 1 to 199.
  QImage Expected = Base;
  for (int Y = 1; Y < 100; ++Y)
    Put(Expected, 51, Y, clFuchsia);
  for (int I = 0; I < 5; ++I) {
    Put(Expected, 49 + I, 22, clRed);
    Put(Expected, 49 + I, 26, clRed);
    Put(Expected, 49, 22 + I, clRed);
    Put(Expected, 53, 22 + I, clRed);
  }
  for (int X = 1; X < 200; ++X)
    Put(Expected, X, 70, clAqua);
  EXPECT_EQ(Differences(Paint(), Expected), 0);

  // The mouse on A's line: a 3-pixel highlight in the highlighting colour
  // under the line (its ends within 2 pixels are not compared).
  Scope->DispatchMouseMove(0, 51, 60);
  ASSERT_EQ(Scope->GetScopeDataView()->GetHotItem(), A);
  const TColor Lit = Scope->GetHighlighting()->GetCursors()->GetColor();
  QImage Hot = Expected;
  for (int Y = 1; Y < 100; ++Y) {
    Put(Hot, 50, Y, Lit);
    Put(Hot, 52, Y, Lit);
  }
  for (int I = 0; I < 5; ++I) {
    Put(Hot, 49 + I, 22, clRed);
    Put(Hot, 49 + I, 26, clRed);
  }
  Put(Hot, 50, 70, clAqua);
  Put(Hot, 52, 70, clAqua);
  EXPECT_EQ(Differences(Paint(), Hot,
                        [](int X, int Y) { return X >= 49 && X <= 53 && (Y < 3 || Y > 97); }),
            0);
  EXPECT_TRUE(A->GetHighlighted()) << "the legend lights its button";
}

// In vertical display X runs down the plot (row round(x * 99 / 100)) and Y
// across it (column round((100 - y) * 201 / 200)).
TEST_F(CursorScope, LinesInVerticalDisplay) {
  Scope->SetVertical(true);
  TSLDisplayCursor *A = AddCursor(ckVertical, 50, 0, clFuchsia);
  TSLDisplayCursor *B = AddCursor(ckHorizontal, 0, -40, clAqua);
  A->SetVisible(false);
  B->SetVisible(false);
  const QImage Base = Paint();
  A->SetVisible(true);
  B->SetVisible(true);
  QImage Expected = Base;
  for (int X = 1; X < 201; ++X)
    Put(Expected, X, 50, clFuchsia);
  for (int Y = 1; Y < 100; ++Y)
    Put(Expected, 141, Y, clAqua);
  EXPECT_EQ(Differences(Paint(), Expected), 0);
  // And each is found where it is drawn.
  const TSLPlotArea Area = Scope->GetScopeDataView()->GetPlotArea();
  TSLHitParts Parts;
  TSLDisplayCollectionItem *Marker = nullptr;
  EXPECT_TRUE(A->PlotHitTest(Area, 20, 50, Parts, Marker));
  EXPECT_TRUE(Parts.First);
  EXPECT_TRUE(B->PlotHitTest(Area, 141, 80, Parts, Marker));
  EXPECT_TRUE(Parts.Second);
}

// The selection fills the plot's background between the two cursor lines
// (both included), behind the grid, the curve and the cursors.
TEST_F(CursorScope, SelectionBands) {
  struct Case {
    const char *Name;
    TSLDisplayCursorKind Kind;
    double X1, Y1, X2, Y2;
    bool Reversed;
    TRect Filled; // inclusive
  };
  const Case Cases[] = {
      {"X band", ckVertical, 70, 0, 20, 0, false, {40, 0, 140, 100}},
      {"Y band", ckHorizontal, 0, 60, 0, -20, false, {0, 20, 200, 60}},
      {"Y band, reversed axis", ckHorizontal, 0, 60, 0, -20, true, {0, 40, 200, 80}},
      {"box", ckBoth, 20, -20, 70, 60, false, {40, 20, 140, 60}},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Name);
    Scope->GetCursorLinks()->Clear();
    Scope->GetCursors()->Clear();
    Scope->GetYAxis()->SetReversed(C.Reversed);
    AddCursor(C.Kind, C.X1, C.Y1, clFuchsia);
    AddCursor(C.Kind, C.X2, C.Y2, clAqua);
    TSLDisplayCursorLink *L = Scope->GetCursorLinks()->Add();
    L->GetMeasurementLine()->SetVisible(false);
    const QImage Base = Paint();
    L->GetSelection()->SetVisible(true);
    QImage Expected = Base;
    for (int Y = C.Filled.Top; Y <= C.Filled.Bottom; ++Y)
      for (int X = C.Filled.Left; X <= C.Filled.Right; ++X)
        if (At(Base, X, Y) == Back)
          Put(Expected, X, Y, Band);
    EXPECT_EQ(Differences(Paint(), Expected), 0);
  }
}

// Equal cursor values draw neither a band nor a measurement.
TEST_F(CursorScope, EqualCursorsDrawNothingBetween) {
  AddCursor(ckVertical, 30, 0, clFuchsia);
  AddCursor(ckVertical, 30, 0, clAqua);
  const QImage Base = Paint();
  TSLDisplayCursorLink *L = Scope->GetCursorLinks()->Add();
  L->GetSelection()->SetVisible(true);
  EXPECT_EQ(Differences(Paint(), Base), 0);
}

// A measurement whose begin cursor lies left of the shown range starts at
// the plot's left edge.
TEST_F(CursorScope, MeasurementClippedAtTheLeft) {
  Scope->ZoomTo(20, 80, -100, 100);
  AddCursor(ckVertical, 10, 0, clFuchsia);
  AddCursor(ckVertical, 50, 0, clAqua);
  TSLDisplayCursorLink *L = Scope->GetCursorLinks()->Add();
  L->GetMeasurementLine()->SetVisible(false);
  const QImage Base = Paint();
  L->GetMeasurementLine()->SetVisible(true);
  L->GetMeasurementLine()->SetStyle(psSolid);
  L->GetMeasurementLine()->GetMeasurementLabel()->SetVisible(false);
  // X 50 is column 100 of the range 20..80; the line at Y 0 is row 50.
  QImage Expected = Base;
  ASSERT_EQ(At(Base, 100, 10), clAqua);
  for (int X = 0; X < 100; ++X)
    Put(Expected, X, 50, 0x00FFFF);
  EXPECT_EQ(Differences(Paint(), Expected), 0);
}

TEST_F(CursorScope, CursorsFollowDrags) {
  RecordMoves();
  TSLDisplayCursor *A = AddCursor(ckVertical, 25, 0, clFuchsia);
  TSLDisplayCursor *B = AddCursor(ckHorizontal, 0, 20, clAqua);
  // While A is dragged, the trail shows at the mouse.
  Paint();
  Scope->DispatchMouseMove(0, 50, 80);
  Scope->DispatchMouseDown(mbLeft, ssLeft, 50, 80);
  Scope->DispatchMouseMove(ssLeft, 90, 80);
  EXPECT_EQ(Scope->GetScopeDataView()->GetPressedCursor(), A);
  const QImage During = Paint();
  int Trail = 0;
  for (int Y = 1; Y < 100; ++Y)
    Trail += At(During, 90, Y) == Scope->GetTrails()->GetColor();
  EXPECT_GT(Trail, 10) << "a dotted line down column 90";
  Scope->DispatchMouseUp(mbLeft, 0, 90, 80);
  ASSERT_EQ(Moves.size(), 1u);
  EXPECT_EQ(Moves[0].Index, 0);
  EXPECT_EQ(Moves[0].Old.X, 25);
  EXPECT_EQ(Moves[0].New.X, 45);
  EXPECT_EQ(A->GetPosition()->GetX(), 45);

  // B from row 40 to every row of the plot's inside: it is drawn on the
  // row it was dropped on.
  int Row = 40;
  for (int To : {73, 1, 99, 50, 17}) {
    Drag({100, Row}, {100, To});
    EXPECT_EQ(At(Paint(), 150, To), clAqua) << "dropped on row " << To;
    Row = To;
  }
  EXPECT_EQ(B->GetPosition()->GetY(), 100 - 17 * 2);
  // A press and release without moving changes nothing.
  const size_t Count = Moves.size();
  Drag({90, 30}, {90, 30});
  EXPECT_EQ(Moves.size(), Count);
}

// While a cursor of a link is dragged, the link previews the measurement
// it would give, one text height (13 with the fixed metrics) and a pixel
// below its line; while the line itself is dragged, it previews the line at
// the mouse.
TEST_F(CursorScope, LinksPreviewDrags) {
  AddCursor(ckVertical, 20, 0, clFuchsia);
  AddCursor(ckVertical, 70, 0, clAqua);
  Scope->GetCursorLinks()->Add()->GetMeasurementLine()->GetMeasurementLabel()->SetVisible(false);
  const TColor Trail = Scope->GetTrails()->GetColor();
  auto Dotted = [&](const QImage &I, int Row, int From, int To) {
    int N = 0;
    for (int X = From; X < To; ++X)
      N += At(I, X, Row) == Trail;
    return N;
  };
  Paint();
  Scope->DispatchMouseMove(0, 140, 90);
  Scope->DispatchMouseDown(mbLeft, ssLeft, 140, 90);
  Scope->DispatchMouseMove(ssLeft, 180, 90);
  QImage During = Paint();
  EXPECT_GT(Dotted(During, 64, 42, 178), 30) << "columns 40 to 180 on row 64";
  EXPECT_EQ(Dotted(During, 64, 182, 200), 0);
  Scope->DispatchMouseUp(mbLeft, 0, 180, 90);
  EXPECT_EQ(Dotted(Paint(), 64, 42, 178), 0) << "gone after the drop";

  Scope->DispatchMouseMove(0, 100, 50);
  Scope->DispatchMouseDown(mbLeft, ssLeft, 100, 50);
  Scope->DispatchMouseMove(ssLeft, 100, 30);
  During = Paint();
  EXPECT_GT(Dotted(During, 30, 42, 178), 30) << "the line at the mouse, columns 40 to 180";
  Scope->DispatchMouseUp(mbLeft, 0, 100, 30);
}

TEST_F(CursorScope, TheLastCreatedOfOverlappingCursorsWins) {
  TSLDisplayCursor *First = AddCursor(ckVertical, 25, 0, clFuchsia);
  TSLDisplayCursor *Second = AddCursor(ckVertical, 25, 0, clAqua);
  Drag({50, 60}, {120, 60});
  EXPECT_EQ(First->GetPosition()->GetX(), 25);
  EXPECT_EQ(Second->GetPosition()->GetX(), 60);
}

TEST_F(CursorScope, MeasurementLineFollowsDrags) {
  AddCursor(ckVertical, 20, 0, clFuchsia);
  AddCursor(ckVertical, 70, 0, clAqua);
  TSLDisplayCursorLink *L = Scope->GetCursorLinks()->Add();
  std::vector<TMove> LinkMoves;
  Scope->GetCursorLinks()->OnPositionChange.Fn = [&](TObject *Sender, int32_t I,
                                                     const TSLRealPoint &O, const TSLRealPoint &N) {
    EXPECT_EQ(Sender, Scope.get());
    LinkMoves.push_back({I, O, N});
  };
  // The line at Y 0 is row 50, between columns 40 and 140.
  Drag({100, 50}, {100, 20});
  ASSERT_EQ(LinkMoves.size(), 1u);
  EXPECT_EQ(L->GetMeasurementLine()->GetY(), 60);
  EXPECT_EQ(LinkMoves[0].New.Y, 60);
  // And it is found on its new row.
  Drag({100, 20}, {100, 80});
  EXPECT_EQ(L->GetMeasurementLine()->GetY(), -60);
  EXPECT_EQ(LinkMoves.size(), 2u);
}

// Switching snapping on re-places the cursors at once; a position that
// already sits on a sample stays.
TEST_F(CursorScope, SnappingAppliesToPlacedCursors) {
  std::vector<double> Y(101);
  for (int I = 0; I <= 100; ++I)
    Y[size_t(I)] = I - 50;
  SetY(Y);
  TSLDisplayCursor *C = AddCursor(ckBoth, 25.3, 7.6, clFuchsia);
  const int Before = int(Moves.size());
  Scope->GetYAxis()->GetCursorSettings()->SetSnapToSample(true);
  EXPECT_EQ(C->GetPosition()->GetY(), 8);
  EXPECT_EQ(C->GetPosition()->GetX(), 25.3);
  Scope->GetXAxis()->GetCursorSettings()->SetSnapToSample(true);
  EXPECT_EQ(C->GetPosition()->GetX(), 25);
  EXPECT_EQ(int(Moves.size()), Before) << "no mouse, no position event";
}

TEST_F(CursorScope, LegendButtonsOfCursors) {
  Scope->GetLegend()->SetVisible(true);
  AddCursor(ckVertical, 10, 0, clFuchsia);
  AddCursor(ckVertical, 60, 0, clAqua);
  Paint();
  const TRect R = Scope->GetLegend()->GetDrawRect();
  ASSERT_FALSE(R.IsEmpty());
  TSLLegendGroup *Group = Scope->GetLegend()->GetCursors();
  TPoint Button{-1, -1};
  for (int Y = R.Top; Y < R.Bottom && Button.Y < 0; ++Y) {
    Scope->DispatchMouseMove(0, (R.Left + R.Right) / 2, Y);
    if (Group->GetHotIndex() == 1)
      Button = {(R.Left + R.Right) / 2, Y};
  }
  ASSERT_GE(Button.Y, 0) << "the second cursor has a button";
  // The hovered button lights its cursor in the plot: a 3-pixel highlight
  // in the highlighting colour round its line.
  const TRect D = Scope->GetScopeDataView()->GetDrawRect();
  const int Column = D.Left + int(std::nearbyint(60.0 * (D.Right - D.Left - 1) / 100));
  const QImage Lit = Paint();
  const TColor Light = Scope->GetHighlighting()->GetCursors()->GetColor();
  EXPECT_EQ(At(Lit, Column - 1, 50), Light);
  EXPECT_EQ(At(Lit, Column, 50), clAqua);
  EXPECT_EQ(At(Lit, Column + 1, 50), Light);
  std::vector<int32_t> Items;
  Group->OnItemClick.Fn = [&](TObject *, int32_t Item, bool &Handled) {
    Items.push_back(Item);
    Handled = true;
  };
  Scope->DispatchMouseDown(mbLeft, ssLeft, Button.X, Button.Y);
  Scope->DispatchMouseUp(mbLeft, 0, Button.X, Button.Y);
  EXPECT_EQ(Items, std::vector<int32_t>{1});
  EXPECT_TRUE(Scope->Clicks.empty());
  Group->OnItemClick.Clear();
  Scope->DispatchMouseDown(mbLeft, ssLeft, Button.X, Button.Y);
  Scope->DispatchMouseUp(mbLeft, 0, Button.X, Button.Y);
  ASSERT_EQ(Scope->Clicks.size(), 1u);
  EXPECT_EQ(Scope->Clicks[0], std::make_pair(int32_t(ikCursors), int32_t(1)));
}

// Deleting what the mouse or the legend holds leaves nothing pointing at
// it; painting and further mouse input go on.
TEST_F(CursorScope, ItemsDeletedWhileHeld) {
  AddCursor(ckVertical, 20, 0, clFuchsia);
  AddCursor(ckVertical, 70, 0, clAqua);
  Scope->GetCursorLinks()->Add();
  TSLScopeDataView *View = Scope->GetScopeDataView();
  Paint();
  Scope->DispatchMouseMove(0, 40, 80);
  ASSERT_EQ(View->GetHotItem(), Scope->GetCursors()->GetItem(0));
  Scope->GetCursors()->Delete(0);
  EXPECT_EQ(View->GetHotItem(), nullptr);
  Paint();

  AddCursor(ckVertical, 20, 0, clFuchsia);
  Scope->DispatchMouseMove(0, 140, 80);
  Scope->DispatchMouseDown(mbLeft, ssLeft, 140, 80);
  ASSERT_NE(View->GetPressedCursor(), nullptr);
  Scope->GetCursors()->Delete(0);
  EXPECT_EQ(View->GetPressedCursor(), nullptr);
  Scope->DispatchMouseMove(ssLeft, 150, 80);
  Paint();
  Scope->DispatchMouseUp(mbLeft, 0, 150, 80);
  Paint();

  AddCursor(ckVertical, 70, 0, clAqua);
  TSLDisplayCursorLink *L = Scope->GetCursorLinks()->GetItem(0);
  ASSERT_NE(L->GetEndCursor(), nullptr);
  L->SetHighlighted(true);
  Scope->GetCursors()->GetItem(0)->SetHighlighted(true);
  ASSERT_EQ(View->GetLegendHighlighted(ikCursorLinks), L);
  Paint();
  Scope->GetCursorLinks()->Delete(0);
  Scope->GetCursors()->Delete(0);
  EXPECT_EQ(View->GetLegendHighlighted(ikCursorLinks), nullptr);
  EXPECT_EQ(View->GetLegendHighlighted(ikCursors), nullptr);
  Paint();
  Scope->DispatchMouseMove(0, 10, 10);
}

TEST_F(CursorScope, CrossingsOfTheDrawnCurve) {
  struct Case {
    const char *Name;
    std::vector<double> X, Y;
    bool Vertical;
    double Value;
    std::vector<double> Expected; // X values of horizontal crossings, Y of vertical ones
  };
  const Case Cases[] = {
      {"rise and fall through Y 1", {}, {0, 2, 0}, false, 1, {0.5, 1.5}},
      {"ends on the line", {}, {0, 2, 0}, false, 0, {0, 2}},
      {"last sample only", {}, {0, 1, 2}, false, 2, {2}},
      {"ascending X", {0, 1}, {4, 2}, true, 0.25, {3.5}},
      {"descending X", {1, 0, -1}, {4, 2, 0}, true, 0.25, {2.5}},
      {"vertical line at the last sample", {}, {3, 5, 7}, true, 2, {7}},
      {"no crossing", {}, {0, 2, 0}, false, 5, {}},
  };
  auto *Channel = Scope->GetChannels()->GetItem(0);
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Name);
    if (C.X.empty())
      SetY(C.Y);
    else {
      Channel->GetVC_Data()->SetXYData(C.X.data(), C.Y.data(), uint32_t(C.Y.size()));
      Scope->RefreshView();
    }
    Paint();
    std::vector<double> Got;
    const TSLCrossingProc Each = [&](int32_t, int32_t, double X, double Y) {
      Got.push_back(C.Vertical ? Y : X);
    };
    if (C.Vertical)
      SLCalcVIntersections(Channel, C.Value, Each);
    else
      SLCalcHIntersections(
          Channel, C.Value, [&](double P) { return Scope->CursorSampleToScale(P); }, Each);
    EXPECT_EQ(Got, C.Expected);
  }
}

TEST(CursorScopeStream, FormTextRoundTrip) {
  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TOwnedPtr<TSLScope> Source{CreateObject<TSLScope>(nullptr)};
  Source->SetName("Scope");
  Source->GetChannels()->Add();
  for (int I = 0; I < 3; ++I)
    Source->GetCursors()->Add();
  Source->GetCursors()->GetItem(2)->SetKind(ckBoth);
  Source->GetCursors()->GetItem(2)->GetPosition()->SetY(12.5);
  Source->GetCursors()->GetItem(1)->GetChannels()->AddChannel(Source->GetChannels()->GetItem(1));
  TSLDisplayCursorLink *L = Source->GetCursorLinks()->Add();
  L->SetBeginCursor(Source->GetCursors()->GetItem(2));
  L->SetEndCursor(Source->GetCursors()->GetItem(0));
  L->GetMeasurementLine()->SetY(-40);
  L->GetSelection()->SetVisible(true);
  const std::string Text = WriteFormText(Source.get());
  EXPECT_NE(Text.find("CursorIndex_"), std::string::npos) << Text;
  EXPECT_NE(Text.find("ChannelIndex = 1"), std::string::npos) << Text;

  // The collections as the form stores them (the scope's own timers are
  // written without names and cannot be read back).
  auto Section = [&](const std::string &Name) {
    const size_t A = Text.find("\n  " + Name + " = <");
    const size_t B = Text.find("\n    end>\n", A);
    EXPECT_NE(B, std::string::npos) << Name;
    return Text.substr(A + 1, B + 10 - A);
  };
  TOwnedPtr<TSLScope> Copy{CreateObject<TSLScope>(nullptr)};
  LoadFormText(Copy.get(), "object Scope: TSLScope\n" + Section("Channels") + Section("Cursors") +
                               Section("CursorLinks") + "end\n");
  ASSERT_EQ(Copy->GetCursors()->Count(), 3);
  EXPECT_EQ(Copy->GetCursors()->GetItem(2)->GetKind(), ckBoth);
  EXPECT_EQ(Copy->GetCursors()->GetItem(2)->GetPosition()->GetY(), 12.5);
  EXPECT_EQ(Copy->GetCursors()->GetItem(2)->GetColor(),
            Source->GetCursors()->GetItem(2)->GetColor());
  TSLDisplayChannelLinks *Links = Copy->GetCursors()->GetItem(1)->GetChannels();
  ASSERT_EQ(Links->Count(), 1);
  EXPECT_EQ(Links->GetItem(0)->GetChannel(), Copy->GetChannels()->GetItem(1));
  ASSERT_EQ(Copy->GetCursorLinks()->Count(), 1);
  TSLDisplayCursorLink *CL = Copy->GetCursorLinks()->GetItem(0);
  EXPECT_EQ(CL->GetBeginCursorIndex(), 2);
  EXPECT_EQ(CL->GetEndCursorIndex(), 0);
  EXPECT_EQ(CL->GetMeasurementLine()->GetY(), -40);
  EXPECT_TRUE(CL->GetSelection()->GetVisible());
  EXPECT_EQ(WriteFormText(Copy.get()), Text);
}

// Cursor indexes read before their cursors exist wait for PopulateLink; a
// negative one stays unset; a link without cursors is written as (-1, -1);
// the older "Channel" of a channel link is read past.
TEST(CursorScopeStream, PendingIndexesAndOldForms) {
  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  LoadFormText(Scope.get(), "object Scope: TSLScope\n"
                            "  CursorLinks = <\n"
                            "    item\n"
                            "      CursorIndex_ = (\n"
                            "        -1\n"
                            "        1)\n"
                            "    end\n"
                            "    item\n"
                            "      CursorIndex_ = (\n"
                            "        0\n"
                            "        -1)\n"
                            "    end>\n"
                            "  Cursors = <\n"
                            "    item\n"
                            "      Kind = ckHorizontal\n"
                            "      Channels = <\n"
                            "        item\n"
                            "          Channel = 'Scope.Channel0'\n"
                            "          ChannelIndex = 0\n"
                            "        end>\n"
                            "    end>\n"
                            "end\n");
  TSLDisplayCursorLink *L = Scope->GetCursorLinks()->GetItem(0);
  EXPECT_EQ(L->GetBeginCursor(), nullptr);
  EXPECT_EQ(L->GetEndCursor(), nullptr) << "cursor 1 does not exist yet";
  EXPECT_EQ(L->GetPendingEndIndex(), 1);
  EXPECT_EQ(Scope->GetCursors()->GetItem(0)->GetChannels()->Count(), 1);
  // Read before the cursors, resolved once the form is loaded.
  EXPECT_EQ(Scope->GetCursorLinks()->GetItem(1)->GetBeginCursor(), Scope->GetCursors()->GetItem(0));
  Scope->GetCursors()->Add();
  L->PopulateLink();
  EXPECT_EQ(L->GetBeginCursor(), nullptr);
  EXPECT_EQ(L->GetEndCursor(), Scope->GetCursors()->GetItem(1));

  TOwnedPtr<TSLScope> Lone{CreateObject<TSLScope>(nullptr)};
  Lone->SetName("Lone");
  Lone->GetCursors()->Add();
  Lone->GetCursorLinks()->Add();
  const std::string Text = WriteFormText(Lone.get());
  std::string Flat;
  for (char C : Text)
    if (C != ' ' && C != '\n')
      Flat += C;
  EXPECT_NE(Flat.find("CursorIndex_=(-1-1)"), std::string::npos) << Text;
}

} // namespace
