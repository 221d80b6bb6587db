#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/FormStream.h"
#include "scope/SLChannelLinks.h"
#include "scope/SLCursorLinks.h"
#include "scope/SLCursors.h"
#include "scope/SLHighlighting.h"
#include "tests/scope/ScopeHostSupport.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// A chart without axes or view: the X data range, the snapping and the data
// view's mouse state are plain fields a test sets.
struct TFakeChart : ISLCursorChart, ISLDisplayHost {
  void Invalidate() override { ++Repaints; }
  void InvalidateRecalc() override { ++Repaints; }
  void SetRecalcRects() override {}
  ISLDisplayHost *CursorDisplay() override { return this; }
  TObject *CursorSender() override { return nullptr; }
  bool CursorVertical() override { return Vertical; }
  bool CursorYReversed() override { return Reversed; }
  void CursorXDataRange(double &Min, double &Max) override {
    Min = XLo;
    Max = XHi;
  }
  double CursorAlignX(double V) override { return SnapX ? std::round(V) : V; }
  double CursorAlignY(double V) override { return V; }
  std::string CursorXTickText(double V) override { return std::to_string(V); }
  std::string CursorYTickText(double V) override { return std::to_string(V); }
  double CursorSampleToScale(double P) override { return P; }
  TSLDisplayCollectionItem *CursorHotItem() override { return nullptr; }
  TSLDisplayCollectionItem *CursorPressed(TSLItemKind) override { return nullptr; }
  TSLDisplayCollectionItem *CursorLegendItem(TSLItemKind) override { return nullptr; }
  void SetCursorLegendItem(TSLItemKind, TSLDisplayCollectionItem *) override {}
  TSLHitParts CursorHitParts(TSLItemKind) override { return {}; }
  TPoint CursorMouse() override { return {-1000, 0}; }
  TSLDisplayHighlighting *CursorHighlighting() override { return nullptr; }
  TSLDisplayTrails *CursorTrails() override { return nullptr; }
  TColor CursorBackColor() override { return clBlack; }
  TSLDisplayChannels *CursorChannels() override { return Host->Channels; }
  TSLDisplayCursors *CursorItems() override { return Cursors.get(); }
  std::string CursorLabelText(double, double, const std::string &Format,
                              const std::string &Default) override {
    return Format.empty() ? Default : Format;
  }

  int Repaints = 0;
  bool Vertical = false, Reversed = false, SnapX = false;
  double XLo = 0, XHi = 100;
  TOwnedPtr<TTestScopeHost> Host{CreateObject<TTestScopeHost>(nullptr)};
  TOwnedPtr<TSLDisplayCursors> Cursors{
      CreateObject<TSLDisplayCursors>(nullptr, static_cast<ISLCursorChart *>(this))};
  TOwnedPtr<TSLDisplayCursorLinks> Links{
      CreateObject<TSLDisplayCursorLinks>(nullptr, static_cast<ISLCursorChart *>(this))};
};

struct TMove {
  int32_t Index;
  TSLRealPoint Old, New;
};

// Every mouse coordinate over the plot stands for a value that is drawn
// back on that same coordinate, in every orientation: so a cursor dropped
// where its trail was shown lands on the trail's pixel.
TEST(CursorGeometry, DropsLandOnTheirPixel) {
  struct Case {
    bool Vertical, Reversed;
  };
  for (const Case C :
       {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
    TSLCursorGeometry G;
    G.Rect = {10, 20, 117, 70};
    G.XMin = -3;
    G.XMax = 250;
    G.YMin = -1;
    G.YMax = 0.7;
    G.Vertical = C.Vertical;
    G.Reversed = C.Reversed;
    const int32_t XLo = C.Vertical ? 20 : 10, XHi = C.Vertical ? 69 : 116;
    const int32_t YLo = C.Vertical ? 10 : 20, YHi = C.Vertical ? 117 : 70;
    for (int32_t M = XLo; M <= XHi; ++M)
      EXPECT_EQ(G.XPixel(G.XValue(M)), M) << C.Vertical << C.Reversed << " x " << M;
    for (int32_t M = YLo; M <= YHi; ++M)
      EXPECT_EQ(G.YPixel(G.YValue(M)), M) << C.Vertical << C.Reversed << " y " << M;
    // The ends of the ranges sit on the ends of the plot.
    EXPECT_EQ(G.XPixel(-3), XLo);
    EXPECT_EQ(G.XPixel(250), XHi);
    EXPECT_EQ(G.YPixel(C.Reversed ? -1 : 0.7), YLo);
    EXPECT_EQ(G.YPixel(C.Reversed ? 0.7 : -1), YHi);
  }
}

TEST(CursorGeometry, EmptyRangeDrawsAtTheStart) {
  TSLCursorGeometry G;
  G.Rect = {10, 20, 110, 70};
  G.XMin = G.XMax = 5;
  G.YMin = G.YMax = 2;
  EXPECT_EQ(G.XPixel(5), 10);
  EXPECT_EQ(G.YPixel(2), 20);
  EXPECT_TRUE(std::isfinite(G.XValue(40)));
  EXPECT_TRUE(std::isfinite(G.YValue(40)));
}

TEST(CursorPosition, LimitsOfTheDataRangeAndBadValues) {
  TFakeChart Chart;
  Chart.XLo = -10;
  Chart.XHi = 10;
  TSLDisplayCursor *C = Chart.Cursors->Add();
  TSLDisplayCursorPosition *P = C->GetPosition();
  struct Case {
    double Set, Expected;
  };
  // Negative ranges are reachable: the lower limit is the data's.
  const Case Cases[] = {{-5, -5},    {-50, -10}, {50, 10},    {3.25, 3.25},
                        {NaN, 3.25}, {Inf, 10},  {-Inf, -10}, {1e300, 10}};
  for (const Case &K : Cases) {
    P->SetX(K.Set);
    EXPECT_EQ(P->GetX(), K.Expected) << K.Set;
  }
  P->SetY(7);
  for (double Bad : {NaN, Inf, -Inf}) {
    P->SetY(Bad);
    EXPECT_EQ(P->GetY(), 7) << Bad;
  }
  P->SetY(1e300);
  EXPECT_EQ(P->GetY(), 1e300);

  // A range that shrinks later limits what is read, not what is stored.
  P->SetX(8);
  Chart.XHi = 4;
  EXPECT_EQ(P->GetX(), 4);
  EXPECT_EQ(P->GetStoredX(), 8);

  // Only a change repaints; snapping applies before the comparison.
  Chart.SnapX = true;
  Chart.XHi = 10;
  P->SetX(2.2);
  const int Before = Chart.Repaints;
  P->SetX(1.9);
  EXPECT_EQ(P->GetX(), 2);
  EXPECT_EQ(Chart.Repaints, Before);
}

// Plot rectangle (0, 0)-(201, 100), X 0..100 (2 pixels a unit), Y -100..100
// (2 units a pixel down from row 0).
class CursorItems : public ::testing::Test {
protected:
  TSLDisplayCursor *Cursor(TSLDisplayCursorKind Kind, double X, double Y) {
    TSLDisplayCursor *C = Chart.Cursors->Add();
    C->SetKind(Kind);
    C->GetPosition()->SetX(X);
    C->GetPosition()->SetY(Y);
    return C;
  }
  bool Hit(TSLDisplayCursor *C, int32_t X, int32_t Y, bool &V, bool &H) {
    return C->HitTest(V, H, X, Y, Plot, 0, 100, -100, 100);
  }
  void Move(TSLDisplayCursor *C, bool MoveY, bool MoveX, int32_t X, int32_t Y) {
    C->MoveTo(MoveY, MoveX, X, Y, Plot, 0, 100, -100, 100);
  }
  void Record() {
    Chart.Cursors->OnPositionChange.Fn = [this](TObject *, int32_t I, const TSLRealPoint &O,
                                                const TSLRealPoint &N) {
      Moves.push_back({I, O, N});
    };
  }

  TFakeChart Chart;
  const TRect Plot{0, 0, 201, 100};
  std::vector<TMove> Moves;
};

TEST_F(CursorItems, HitTestsByKindAndOrientation) {
  // A cursor at X 25 (column 50 across, row 25 down in vertical display)
  // and Y 50 (row 25 across, column 50 down).
  struct Case {
    TSLDisplayCursorKind Kind;
    bool Vertical;
    int32_t X, Y;
    bool V, H;
  };
  const Case Cases[] = {
      {ckVertical, false, 52, 90, true, false},    {ckVertical, false, 53, 25, false, false},
      {ckVertical, false, 47, 25, false, false},   {ckHorizontal, false, 150, 27, false, true},
      {ckHorizontal, false, 50, 28, false, false}, {ckBoth, false, 50, 25, true, true},
      {ckBoth, false, 49, 80, true, false},        {ckVertical, true, 150, 27, true, false},
      {ckHorizontal, true, 48, 5, false, true},    {ckBoth, true, 50, 25, true, true},
  };
  TSLDisplayCursor *C = Cursor(ckVertical, 25, 50);
  for (const Case &K : Cases) {
    C->SetKind(K.Kind);
    Chart.Vertical = K.Vertical;
    bool V = !K.V, H = !K.H;
    EXPECT_EQ(Hit(C, K.X, K.Y, V, H), K.V || K.H) << K.Kind << K.Vertical << K.X << "," << K.Y;
    EXPECT_EQ(V, K.V) << K.Kind << K.Vertical << K.X << "," << K.Y;
    EXPECT_EQ(H, K.H) << K.Kind << K.Vertical << K.X << "," << K.Y;
  }
  C->SetVisible(false);
  bool V = true, H = true;
  EXPECT_FALSE(Hit(C, 50, 25, V, H));
  EXPECT_FALSE(V || H);
}

TEST_F(CursorItems, MovesRaiseOneEventWithOldAndNew) {
  Record();
  TSLDisplayCursor *C = Cursor(ckBoth, 25, 50);
  Cursor(ckVertical, 0, 0);
  // Dropped on both lines: X and Y move together.
  Move(C, true, true, 120, 75);
  ASSERT_EQ(Moves.size(), 1u);
  EXPECT_EQ(Moves[0].Index, 0);
  EXPECT_EQ(Moves[0].Old.X, 25);
  EXPECT_EQ(Moves[0].Old.Y, 50);
  EXPECT_EQ(Moves[0].New.X, 60);
  EXPECT_EQ(Moves[0].New.Y, -50);
  EXPECT_EQ(C->GetPosition()->GetX(), 60);
  EXPECT_EQ(C->GetPosition()->GetY(), -50);
  // Dropped where it is: nothing.
  Move(C, true, true, 120, 75);
  EXPECT_EQ(Moves.size(), 1u);
  // Only the hit line moves.
  Move(C, false, true, 100, 10);
  ASSERT_EQ(Moves.size(), 2u);
  EXPECT_EQ(C->GetPosition()->GetX(), 50);
  EXPECT_EQ(C->GetPosition()->GetY(), -50);
}

// A press and release without moving keeps a value that no pixel stands
// for exactly.
TEST_F(CursorItems, ClickWithoutDragKeepsTheValue) {
  Record();
  TSLDisplayCursor *C = Cursor(ckBoth, 25.1, 33.3);
  Move(C, true, true, 50, 33);
  EXPECT_TRUE(Moves.empty());
  EXPECT_EQ(C->GetPosition()->GetX(), 25.1);
  EXPECT_EQ(C->GetPosition()->GetY(), 33.3);
}

TEST_F(CursorItems, NewLinksTakeTheLeastLinkedPair) {
  // Fewer than two cursors: no pair.
  Cursor(ckVertical, 0, 0);
  TSLDisplayCursorLink *Lonely = Chart.Links->Add();
  EXPECT_EQ(Lonely->GetBeginCursor(), nullptr);
  EXPECT_EQ(Lonely->GetEndCursor(), nullptr);
  EXPECT_FALSE(Lonely->IsVisible());
  Chart.Cursors->Delete(0);
  TSLDisplayCursor *A = Cursor(ckVertical, 1, 0), *B = Cursor(ckVertical, 2, 0),
                   *C = Cursor(ckVertical, 3, 0);
  Chart.Links->Delete(0);
  const std::pair<TSLDisplayCursor *, TSLDisplayCursor *> Expected[] = {
      {A, B}, {A, C}, {B, C}, {A, B}};
  for (const auto &[Begin, End] : Expected) {
    TSLDisplayCursorLink *L = Chart.Links->Add();
    EXPECT_EQ(L->GetBeginCursor(), Begin);
    EXPECT_EQ(L->GetEndCursor(), End);
  }
  EXPECT_EQ(Chart.Links->GetCountOfLinks(B, A), 2);
  EXPECT_EQ(A->GetVC_CursorLinks()->GetCount(), 3);
}

TEST_F(CursorItems, DeletedCursorsHandTheirLinksOn) {
  TSLDisplayCursor *C[4];
  for (int I = 0; I < 4; ++I)
    C[I] = Cursor(ckVertical, I * 10, 0);
  TSLDisplayCursorLink *L1 = Chart.Links->Add();
  TSLDisplayCursorLink *L2 = Chart.Links->Add();
  L1->SetBeginCursor(C[1]);
  L1->SetEndCursor(C[3]);
  L2->SetBeginCursor(C[3]);
  L2->SetEndCursor(C[0]);
  // C1 goes: L1 takes the next cursor after it that is not its end (C2).
  Chart.Cursors->Delete(1);
  EXPECT_EQ(L1->GetBeginCursor(), C[2]);
  EXPECT_EQ(L1->GetEndCursor(), C[3]);
  // C3 (last) goes: both links wrap to the first cursor that is not their
  // other end.
  Chart.Cursors->Delete(2);
  EXPECT_EQ(L1->GetBeginCursor(), C[2]);
  EXPECT_EQ(L1->GetEndCursor(), C[0]);
  EXPECT_EQ(L2->GetBeginCursor(), C[2]);
  EXPECT_EQ(L2->GetEndCursor(), C[0]);
  EXPECT_EQ(C[0]->GetVC_CursorLinks()->GetCount(), 2);
  EXPECT_EQ(C[2]->GetVC_CursorLinks()->GetCount(), 2);
  // With one cursor left a link keeps it at one end only; with none, the
  // link stays, without cursors, not drawn.
  Chart.Cursors->Delete(0);
  EXPECT_EQ(L1->GetBeginCursor(), C[2]);
  EXPECT_EQ(L1->GetEndCursor(), nullptr);
  Chart.Cursors->Clear();
  EXPECT_EQ(Chart.Links->Count(), 2);
  EXPECT_EQ(L1->GetBeginCursor(), nullptr);
  EXPECT_FALSE(L1->IsVisible());
  EXPECT_EQ(L1->GetBeginCursorIndex(), -1);
}

// A link's list entries go with it, and a cursor's link list is what the
// links say.
TEST_F(CursorItems, DeletedLinksLeaveTheirCursors) {
  TSLDisplayCursor *A = Cursor(ckVertical, 1, 0), *B = Cursor(ckVertical, 2, 0);
  Chart.Links->Add();
  Chart.Links->Add();
  EXPECT_EQ(A->GetVC_CursorLinks()->GetCount(), 2);
  Chart.Links->Delete(0);
  EXPECT_EQ(A->GetVC_CursorLinks()->GetCount(), 1);
  EXPECT_EQ(B->GetVC_CursorLinks()->GetCount(), 1);
  EXPECT_EQ(A->GetVC_CursorLinks()->GetItem(0), Chart.Links->GetItem(0));
}

TEST_F(CursorItems, MeasurementLineDragIsHeldToTheRange) {
  TSLDisplayCursorLink *L = nullptr;
  Cursor(ckVertical, 20, 0);
  Cursor(ckVertical, 80, 0);
  L = Chart.Links->Add();
  std::vector<TMove> LinkMoves;
  Chart.Links->OnPositionChange.Fn = [&](TObject *, int32_t I, const TSLRealPoint &O,
                                         const TSLRealPoint &N) {
    LinkMoves.push_back({I, O, N});
  };
  // The horizontal measurement line stands at Y 0, row 50.
  bool V = false, H = false;
  EXPECT_TRUE(L->HitTest(V, H, 100, 51, Plot, 0, 100, -100, 100));
  EXPECT_TRUE(H);
  EXPECT_FALSE(L->HitTest(V, H, 30, 50, Plot, 0, 100, -100, 100)) << "outside the two cursors";
  // Dropped 50 rows above the plot: held at 100, reported as dropped.
  L->MoveTo(true, false, 100, -50, Plot, 0, 100, -100, 100);
  EXPECT_EQ(L->GetMeasurementLine()->GetY(), 100);
  ASSERT_EQ(LinkMoves.size(), 1u);
  EXPECT_EQ(LinkMoves[0].Old.Y, 0);
  EXPECT_EQ(LinkMoves[0].New.Y, 200);
  // Dropped on row 25: Y 50, and the line is found there again.
  L->MoveTo(true, false, 100, 25, Plot, 0, 100, -100, 100);
  EXPECT_EQ(L->GetMeasurementLine()->GetY(), 50);
  EXPECT_TRUE(L->HitTest(V, H, 100, 25, Plot, 0, 100, -100, 100));
  L->GetMeasurementLine()->SetX(-1000);
  EXPECT_EQ(L->GetMeasurementLine()->GetX(), -100);
  L->GetMeasurementLine()->SetX(NaN);
  EXPECT_EQ(L->GetMeasurementLine()->GetX(), -100);
}

TEST_F(CursorItems, ChannelLinksChooseAndFollowTheirChannels) {
  TSLDisplayCursor *C = Cursor(ckVertical, 1, 0);
  TSLDisplayChannelLinks *Links = C->GetChannels();
  EXPECT_EQ(Links->Add(), nullptr) << "no channels yet";
  Chart.Host->MakeChannels();
  TSLScopeChannel *Ch0 = Chart.Host->Channels->Add();
  TSLScopeChannel *Ch1 = Chart.Host->Channels->Add();
  Links->AddChannel(Ch0);
  Links->AddChannel(Ch0);
  EXPECT_EQ(Links->Count(), 1);
  EXPECT_EQ(Links->Add()->GetChannel(), Ch1) << "the channel with fewer links";
  EXPECT_EQ(Links->Add()->GetChannel(), Ch0) << "the first on ties";
  EXPECT_EQ(Links->GetItem(1)->GetDisplayName(), Ch1->GetName());
  Links->RemoveChannel(Ch0);
  ASSERT_EQ(Links->Count(), 1);
  EXPECT_EQ(Links->GetItem(0)->GetChannelIndex(), 1);
  EXPECT_THROW(Links->GetItem(0)->SetChannelIndex(5), EListError);
  // A channel that goes takes its links with it.
  Links->Add();
  EXPECT_EQ(Links->Count(), 2);
  Chart.Host->Channels->Delete(1);
  EXPECT_EQ(Links->Count(), 1);
  EXPECT_EQ(Links->GetItem(0)->GetChannel(), Ch0);
}

} // namespace
