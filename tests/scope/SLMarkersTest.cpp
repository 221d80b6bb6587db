// Markers and marker groups: the 13 shapes as pictures composed from their
// geometry, hit boxes, groups and their colours, form text, and markers
// through paint and mouse, including positions outside the data and items
// that go while the mouse or the legend holds them.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormStream.h"
#include "scope/SLMarkers.h"
#include "tests/scope/MarkerShapePictures.h"
#include "tests/scope/ScopeMouseSupport.h"
#include "tests/support/Pictures.h"

namespace {

constexpr TColor PenColor = 0x00FFFF, BrushColor = 0xFF0000, LitColor = 0x00FF00;

class Markers : public ScopeOnScreen {
protected:
  TSLScopeMarkerGroups *Groups() { return Scope->GetMarkerGroups(); }
  TSLScopeChannelMarkers *MarkersOf(int I = 0) { return Channel(I)->GetMarkers(); }
  TSLScopeDataView *View() { return Scope->GetScopeDataView(); }
};

using ShapeCase = std::tuple<int, bool, bool>; // shape, vertical, lit

class MarkerPictures : public Markers, public ::testing::WithParamInterface<ShapeCase> {};

// A marker of Size 4 at sample pixel (20, 18): on the screen at (20, 18),
// or (18, 20) in vertical display; lit from the legend it is first drawn a
// pixel larger in the highlight colour, pen and brush alike.
TEST_P(MarkerPictures, ShapeAsItsGeometry) {
  const auto [ShapeIndex, Vertical, Lit] = GetParam();
  const auto Shape = static_cast<TSLDisplayMarkerShape>(ShapeIndex);
  Scope->SetVertical(Vertical);
  TSLScopeChannelMarker *Marker = MarkersOf()->Add();
  TSLScopeMarkerGroup *Group = Marker->GetGroup();
  Group->SetShape(Shape);
  Group->SetSize(4);
  Group->GetPen()->SetColor(PenColor);
  Group->GetBrush()->SetColor(BrushColor);
  Group->SetHighlighted(Lit);
  ASSERT_EQ(View()->GetLegendHighlighted(ikMarkerGroups), Lit ? Group : nullptr);

  TExpectedPicture Actual(40, 40, 0), Expected(40, 40, 0);
  TCanvas Canvas(&Actual.Image());
  Marker->Draw(&Canvas, 20, 18, 0, 0);
  Canvas.Flush();
  const int X = Vertical ? 18 : 20, Y = Vertical ? 20 : 18;
  if (Lit)
    ComposeShape(Expected, Shape, Vertical, X, Y, 5, 1, LitColor, LitColor);
  ComposeShape(Expected, Shape, Vertical, X, Y, 4, 0, PenColor, BrushColor);
  EXPECT_TRUE(PicturesEqual(Actual.Image(), Expected.Image(),
                            "marker-" + SLDisplayMarkerShapeNames()[size_t(ShapeIndex)] +
                                (Vertical ? "-vertical" : "") + (Lit ? "-lit" : "")));
  EXPECT_EQ(Marker->GetLastPixel(), (TPoint{20, 18}));
}

INSTANTIATE_TEST_SUITE_P(AllShapes, MarkerPictures,
                         ::testing::Combine(::testing::Range(0, 13), ::testing::Bool(),
                                            ::testing::Bool()));

// The hit box of each shape around the last pixel (x, y), with a = max(Size,
// 3), right and bottom included; in vertical display the mouse's X and Y
// are exchanged first.
TEST_F(Markers, HitBoxesPerShape) {
  struct Box {
    TSLDisplayMarkerShape Shape;
    int L, T, R, B; // from (x, y), with a = 5
  };
  const Box Boxes[] = {
      {msCircle, -5, -5, 5, 5},         {msSquare, -5, -5, 5, 5},
      {msDiamond, -5, -5, 5, 5},        {msStar, -5, -5, 5, 5},
      {msPoint, -3, -3, 3, 3},          {msPlus, -3, -3, 3, 3},
      {msCross, -3, -3, 3, 3},          {msTriangleUp, -5, 0, 5, 10},
      {msTriangleDown, -5, -10, 5, 0},  {msTriangleLeft, 0, -5, 10, 5},
      {msTriangleRight, -10, -5, 0, 5}, {msHLine, -5, -3, 5, 3},
      {msVLine, -3, -5, 3, 5},
  };
  TSLScopeChannelMarker *Marker = MarkersOf()->Add();
  TSLScopeMarkerGroup *Group = Marker->GetGroup();
  Group->SetSize(5);
  TExpectedPicture Scratch(80, 80, 0);
  TCanvas Canvas(&Scratch.Image());
  for (const Box &B : Boxes)
    for (bool Vertical : {false, true}) {
      SCOPED_TRACE(SLDisplayMarkerShapeNames()[B.Shape] + (Vertical ? " vertical" : ""));
      Scope->SetVertical(Vertical);
      Group->SetShape(B.Shape);
      Marker->Draw(&Canvas, 30, 40, 0, 0);
      int L = B.L, R = B.R;
      // Vertical display turns left and right the other way along the
      // samples, and their boxes with them.
      if (Vertical && (B.Shape == msTriangleLeft || B.Shape == msTriangleRight)) {
        L = -B.R;
        R = -B.L;
      }
      for (int DY = -12; DY <= 12; ++DY)
        for (int DX = -12; DX <= 12; ++DX) {
          const bool Inside = DX >= L && DX <= R && DY >= B.T && DY <= B.B;
          const int MX = Vertical ? 40 + DY : 30 + DX, MY = Vertical ? 30 + DX : 40 + DY;
          ASSERT_EQ(Marker->HitTest(MX, MY), Inside) << "at offset " << DX << "," << DY;
        }
    }
  // Smaller groups keep a box of at least 3 around the pixel.
  Scope->SetVertical(false);
  Group->SetShape(msCircle);
  Group->SetSize(1);
  EXPECT_TRUE(Marker->HitTest(33, 43));
  EXPECT_FALSE(Marker->HitTest(34, 40));
}

// Wherever a triangle is drawn, in either display, the mouse finds it.
TEST_F(Markers, TrianglesAreHitWhereTheyAreDrawn) {
  TSLScopeChannelMarker *Marker = MarkersOf()->Add();
  TSLScopeMarkerGroup *Group = Marker->GetGroup();
  Group->SetSize(6);
  Group->GetPen()->SetColor(PenColor);
  for (auto Shape : {msTriangleUp, msTriangleDown, msTriangleLeft, msTriangleRight})
    for (bool Vertical : {false, true}) {
      SCOPED_TRACE(SLDisplayMarkerShapeNames()[Shape] + (Vertical ? " vertical" : ""));
      Scope->SetVertical(Vertical);
      Group->SetShape(Shape);
      TExpectedPicture Picture(60, 60, 0);
      TCanvas Canvas(&Picture.Image());
      Marker->Draw(&Canvas, 30, 30, 0, 0);
      Canvas.Flush();
      int Painted = 0;
      for (int Y = 0; Y < 60; ++Y)
        for (int X = 0; X < 60; ++X)
          if ((Picture.Image().pixel(X, Y) & 0xFFFFFF) != 0) {
            ++Painted;
            ASSERT_TRUE(Marker->HitTest(X, Y)) << X << "," << Y;
          }
      EXPECT_GT(Painted, 20);
    }
}

TEST_F(Markers, OnlyMarkersDrawnInTheLastPaintAreHit) {
  TSLScopeChannelMarker *Marker = MarkersOf()->Add();
  EXPECT_FALSE(Marker->HitTest(0, 0)); // never drawn
  TExpectedPicture Scratch(20, 20, 0);
  TCanvas Canvas(&Scratch.Image());
  Marker->Draw(&Canvas, 10, 10, 0, 0);
  EXPECT_TRUE(Marker->HitTest(10, 10));
  Marker->ClearDrawData();
  EXPECT_EQ(Marker->GetLastPixel().X, TSLDisplayMarker::NotDrawn);
  EXPECT_FALSE(Marker->HitTest(10, 10));
  // Left of the picture is not on it.
  Marker->Draw(&Canvas, -2, 10, 0, 0);
  EXPECT_FALSE(Marker->HitTest(-2, 10));
}

TEST_F(Markers, FirstMarkerMakesAGroupAndNewMarkersJoinTheLast) {
  ASSERT_EQ(Groups()->Count(), 0);
  TSLScopeChannelMarker *First = MarkersOf()->Add();
  ASSERT_EQ(Groups()->Count(), 1);
  TSLScopeMarkerGroup *Group1 = Groups()->GetItem(0);
  EXPECT_EQ(Group1->GetName(), "MarkerGroup1");
  EXPECT_EQ(First->GetName(), "Marker1");
  EXPECT_EQ(First->GetGroup(), Group1);
  EXPECT_EQ(Group1->GetMarkerCount(), 1);
  EXPECT_EQ(Scope->GetLastMarerGroup(), Group1);

  TSLScopeMarkerGroup *Group2 = Groups()->Add();
  EXPECT_EQ(Group2->GetName(), "MarkerGroup2");
  TSLScopeChannelMarker *Second = MarkersOf()->Add();
  EXPECT_EQ(Second->GetName(), "Marker2");
  EXPECT_EQ(Second->GetGroup(), Group2);
  EXPECT_EQ(Group2->GetShape(), msPlus);
  EXPECT_EQ(Group2->GetSize(), 3u);

  // Moving a marker between groups moves it between their lists.
  Second->SetGroupIndex(0);
  EXPECT_EQ(Group1->GetMarkerCount(), 2);
  EXPECT_EQ(Group2->GetMarkerCount(), 0);
  Second->SetGroupIndex(99); // past the groups: the last
  EXPECT_EQ(Second->GetGroup(), Group2);
  Second->SetGroupIndex(-2); // nothing
  EXPECT_EQ(Second->GetGroup(), Group2);
  EXPECT_EQ(Second->GetGroupIndex(), 1);

  // A marker that goes leaves its group's list.
  FreeObject(Second);
  EXPECT_EQ(Group2->GetMarkerCount(), 0);
  EXPECT_EQ(MarkersOf()->Count(), 1);
}

TEST_F(Markers, AddMarkerAtNamesTheGroupOrFailsWithItsIndex) {
  Groups()->Add();
  Groups()->Add();
  TSLScopeChannelMarker *M = MarkersOf()->AddMarkerAt(0, 7);
  EXPECT_EQ(M->GetGroupIndex(), 0);
  EXPECT_EQ(M->GetPosition(), 7);
  for (int Bad : {2, -1})
    try {
      MarkersOf()->AddMarkerAt(Bad, 0);
      ADD_FAILURE() << Bad << " was accepted";
    } catch (const EListError &E) {
      EXPECT_EQ(E.Message(), "Index out of range : " + std::to_string(Bad));
    }
  EXPECT_EQ(MarkersOf()->Count(), 1);
}

// Groups pick the palette colour the fewest groups' brushes have, for pen
// and brush alike.
TEST_F(Markers, NewGroupsTakeTheLeastUsedColour) {
  TSLScopeMarkerGroup *A = Groups()->Add();
  TSLScopeMarkerGroup *B = Groups()->Add();
  TSLScopeMarkerGroup *C = Groups()->Add();
  EXPECT_EQ(A->GetBrush()->GetColor(), SLDisplayItemColors[0]);
  EXPECT_EQ(B->GetBrush()->GetColor(), SLDisplayItemColors[1]);
  EXPECT_EQ(C->GetBrush()->GetColor(), SLDisplayItemColors[2]);
  EXPECT_EQ(C->GetPen()->GetColor(), SLDisplayItemColors[2]);
  // Counted by the brush: with B's brush red and its pen still lime, lime
  // is free again.
  B->GetBrush()->SetColor(SLDisplayItemColors[0]);
  TSLScopeMarkerGroup *D = Groups()->Add();
  EXPECT_EQ(D->GetBrush()->GetColor(), SLDisplayItemColors[1]);
  EXPECT_EQ(D->GetLegendPenColor(), SLDisplayItemColors[1]);
}

TEST_F(Markers, DeletingAGroupDeletesItsMarkersInEveryChannel) {
  Scope->GetChannels()->Add();
  Groups()->Add();
  Groups()->Add();
  MarkersOf(0)->AddMarkerAt(0, 1);
  MarkersOf(0)->AddMarkerAt(1, 2);
  MarkersOf(1)->AddMarkerAt(0, 3);
  Groups()->Delete(0);
  ASSERT_EQ(MarkersOf(0)->Count(), 1);
  EXPECT_EQ(MarkersOf(0)->GetItem(0)->GetPosition(), 2);
  EXPECT_EQ(MarkersOf(1)->Count(), 0);
  // And a channel that goes takes its markers out of their groups.
  Scope->GetChannels()->Delete(0);
  EXPECT_EQ(Groups()->GetItem(0)->GetMarkerCount(), 0);
}

TEST_F(Markers, FormTextNamesGroupsByIndex) {
  RegisterScopeClasses();
  LoadFormText(Scope.get(), "object Scope: TSLScope\n"
                            "  MarkerGroups = <\n"
                            "    item\n"
                            "      Shape = msCircle\n"
                            "    end\n"
                            "    item\n"
                            "    end\n"
                            "    item\n"
                            "      Size = 6\n"
                            "    end>\n"
                            "  Channels = <\n"
                            "    item\n"
                            "      Markers = <\n"
                            "        item\n"
                            "          Position = 4\n"
                            "          MarkerGroupIndex = 7\n"
                            "        end\n"
                            "        item\n"
                            "          MarkerGroup = MarkerGroup1\n"
                            "          Position = 2\n"
                            "          MarkerGroupIndex = 0\n"
                            "        end>\n"
                            "    end>\n"
                            "end\n");
  ASSERT_EQ(Groups()->Count(), 3);
  ASSERT_EQ(MarkersOf()->Count(), 2);
  EXPECT_EQ(MarkersOf()->GetItem(0)->GetGroupIndex(), 2); // 7 of 3: the last
  EXPECT_EQ(MarkersOf()->GetItem(0)->GetPosition(), 4);
  EXPECT_EQ(MarkersOf()->GetItem(1)->GetGroupIndex(), 0); // the old form skipped
  EXPECT_EQ(Groups()->GetItem(0)->GetShape(), msCircle);

  // What is written reads back the same (the scope on a form of its own,
  // as the recorder's window holds it).
  TOwnedPtr<TComponent> Form{CreateObject<TComponent>(nullptr)};
  Form->SetName("Form1");
  TSLScope *Original = CreateObject<TSLScope>(Form.get());
  Original->SetName("Scope1");
  for (int I = 0; I < 3; ++I)
    Original->GetMarkerGroups()->Add();
  Original->GetMarkerGroups()->GetItem(2)->SetSize(6);
  Original->GetMarkerGroups()->GetItem(0)->SetShape(msCircle);
  Original->GetChannels()->GetItem(0)->GetMarkers()->AddMarkerAt(2, 4);
  Original->GetChannels()->GetItem(0)->GetMarkers()->AddMarkerAt(0, 2);
  const std::string Text = WriteFormText(Form.get());
  EXPECT_NE(Text.find("MarkerGroupIndex = 2"), std::string::npos) << Text;
  TOwnedPtr<TComponent> CopyForm{CreateObject<TComponent>(nullptr)};
  LoadFormText(CopyForm.get(), Text);
  ASSERT_EQ(CopyForm->ComponentCount(), 1);
  auto *Copy = dynamic_cast<TSLScope *>(CopyForm->Components(0));
  ASSERT_NE(Copy, nullptr);
  TSLScopeChannelMarkers *M = Copy->GetChannels()->GetItem(0)->GetMarkers();
  ASSERT_EQ(M->Count(), 2);
  EXPECT_EQ(M->GetItem(0)->GetGroupIndex(), 2);
  EXPECT_EQ(M->GetItem(1)->GetGroupIndex(), 0);
  EXPECT_EQ(M->GetItem(1)->GetPosition(), 2);
  EXPECT_EQ(Copy->GetMarkerGroups()->GetItem(2)->GetSize(), 6u);
  EXPECT_EQ(Copy->GetMarkerGroups()->GetItem(0)->GetShape(), msCircle);
}

// Setting a scope's marker groups and a channel's markers copies them.
TEST_F(Markers, GroupsAndMarkersCopyIntoAnotherScope) {
  TSLScopeMarkerGroup *G = Groups()->Add();
  G->SetName("Peaks");
  G->SetShape(msDiamond);
  G->SetSize(7);
  G->GetPen()->SetWidth(2);
  G->GetLabels()->SetText("%Y");
  Groups()->Add()->SetVisible(false);
  MarkersOf()->AddMarkerAt(1, 9);
  MarkersOf()->AddMarkerAt(0, 3);

  TOwnedPtr<TSLScope> Other{CreateObject<TSLScope>(nullptr)};
  Other->SetMarkerGroups(Groups());
  Other->GetChannels()->GetItem(0)->SetMarkers(MarkersOf());
  TSLScopeMarkerGroups *Copied = Other->GetMarkerGroups();
  ASSERT_EQ(Copied->Count(), 2);
  TSLScopeMarkerGroup *C = Copied->GetItem(0);
  EXPECT_EQ(C->GetName(), "Peaks");
  EXPECT_EQ(C->GetShape(), msDiamond);
  EXPECT_EQ(C->GetSize(), 7u);
  EXPECT_EQ(C->GetPen()->GetWidth(), 2);
  EXPECT_EQ(C->GetBrush()->GetColor(), G->GetBrush()->GetColor());
  EXPECT_EQ(C->GetLabels()->GetText(), "%Y");
  EXPECT_FALSE(Copied->GetItem(1)->GetVisible());
  TSLScopeChannelMarkers *M = Other->GetChannels()->GetItem(0)->GetMarkers();
  ASSERT_EQ(M->Count(), 2);
  EXPECT_EQ(M->GetItem(0)->GetGroup(), Copied->GetItem(1));
  EXPECT_EQ(M->GetItem(0)->GetPosition(), 9);
  EXPECT_EQ(M->GetItem(1)->GetGroup(), C);
  EXPECT_EQ(C->GetMarkerCount(), 1);
}

// Five samples 0, 16384, -16384, 0, 8192: columns 0, 126, 252, 378, 504 and
// rows 152, 76, 228, 152, 114.
const std::vector<double> Five = {0, 16384, -16384, 0, 8192};

// Positions before the first sample or past the last are not drawn and not
// hit; a hidden group's markers neither; the rest land on their sample.
TEST_F(Markers, PaintPutsMarkersOnTheirSamples) {
  Feed(Five);
  TSLScopeChannelMarker *Before = MarkersOf()->Add();
  Before->SetPosition(-1);
  TSLScopeChannelMarker *Past = MarkersOf()->Add();
  Past->SetPosition(5);
  TSLScopeChannelMarker *OnTwo = MarkersOf()->Add();
  OnTwo->SetPosition(2);
  TSLScopeMarkerGroup *Group = OnTwo->GetGroup();
  Group->GetPen()->SetColor(PenColor);
  QImage Image = Paint();
  EXPECT_EQ(OnTwo->GetLastPixel(), (TPoint{252, 228}));
  EXPECT_EQ(Before->GetLastPixel().X, TSLDisplayMarker::NotDrawn);
  EXPECT_EQ(Past->GetLastPixel().X, TSLDisplayMarker::NotDrawn);
  for (TPoint P : {TPoint{249, 228}, TPoint{255, 228}, TPoint{252, 225}, TPoint{252, 231}})
    EXPECT_EQ(At(Image, P.X, P.Y), PenColor) << P.X << "," << P.Y;
  // Nothing of a marker at the picture's left edge (position -1 read as
  // sample 0 would put one there).
  EXPECT_NE(At(Image, 0, 149), PenColor);

  Group->SetVisible(false);
  Image = Paint();
  EXPECT_NE(At(Image, 249, 228), PenColor);
  EXPECT_EQ(OnTwo->GetLastPixel().X, TSLDisplayMarker::NotDrawn);
  Group->SetVisible(true);
  Paint();
  // A channel without data leaves its markers undrawn.
  Feed({});
  Paint();
  EXPECT_EQ(OnTwo->GetLastPixel().X, TSLDisplayMarker::NotDrawn);
}

TEST_F(Markers, LabelShowsTheSampleValues) {
  Feed(Five);
  MarkersOf()->Add()->SetPosition(1);
  TSLScopeMarkerGroup *Group = Groups()->GetItem(0);
  Group->GetLabels()->GetFont()->SetColor(clWhite);
  // Without a text nothing is written.
  EXPECT_NE(At(Paint(), 126 + 4, 76 - 13), clWhite);
  Group->GetLabels()->SetText("%Y");
  const std::string Text = Scope->GetFormatLabelText(1, 16384, 0, "%Y", "");
  ASSERT_FALSE(Text.empty());
  QImage Image = Paint();
  // Fixed cells: the first cell's frame starts at (X + 4, Y - 13).
  EXPECT_EQ(At(Image, 126 + 4, 76 - 13), clWhite);
  EXPECT_EQ(At(Image, 126 + 4 + 6 * int(Text.size()) - 1, 76 - 1), clWhite);
  EXPECT_NE(At(Image, 126 + 4 + 6 * int(Text.size()), 76 - 13), clWhite);
}

TEST_F(Markers, MouseOverAMarkerLightsItAndItsGroup) {
  Feed(Five);
  TSLScopeChannelMarker *M = MarkersOf()->Add();
  M->SetPosition(2);
  TSLScopeMarkerGroup *Group = M->GetGroup();
  Group->GetPen()->SetColor(PenColor);
  Paint();
  MoveTo(254, 229);
  EXPECT_EQ(View()->GetHotItem(), Group);
  EXPECT_EQ(View()->GetHotMarker(), M);
  EXPECT_TRUE(Group->GetHighlighted());
  // Lit: the plus one pixel longer in the highlight colour.
  QImage Image = Paint();
  EXPECT_EQ(At(Image, 248, 228), LitColor);
  EXPECT_EQ(At(Image, 249, 228), PenColor);
  // Without the mouse light the group is found but not its marker.
  Scope->GetHighlighting()->GetMarkers()->SetHiglightFromMouse(false);
  MoveTo(0, 0);
  MoveTo(254, 229);
  EXPECT_EQ(View()->GetHotItem(), Group);
  EXPECT_EQ(View()->GetHotMarker(), nullptr);
  EXPECT_NE(At(Paint(), 248, 228), LitColor);
  // A hidden group is not under the mouse.
  Group->SetVisible(false);
  MoveTo(0, 0);
  MoveTo(254, 229);
  EXPECT_EQ(View()->GetHotItem(), nullptr);
}

// The data view forgets a marker or a group that goes while it is under
// the mouse or lit from the legend; the next paint and hit test do not
// touch it (clean under the address sanitizer).
TEST_F(Markers, ItemsThatGoWhileHotOrLitAreForgotten) {
  Feed(Five);
  TSLScopeChannelMarker *M = MarkersOf()->Add();
  M->SetPosition(2);
  Paint();
  MoveTo(252, 228);
  ASSERT_EQ(View()->GetHotMarker(), M);
  FreeObject(M);
  EXPECT_EQ(View()->GetHotMarker(), nullptr);
  Paint();
  MoveTo(253, 228);

  M = MarkersOf()->Add();
  M->SetPosition(2);
  Paint();
  MoveTo(252, 228);
  TSLScopeMarkerGroup *Group = Groups()->GetItem(0);
  Group->SetHighlighted(true);
  ASSERT_EQ(View()->GetHotItem(), Group);
  ASSERT_EQ(View()->GetLegendHighlighted(ikMarkerGroups), Group);
  Groups()->Delete(0);
  EXPECT_EQ(View()->GetHotItem(), nullptr);
  EXPECT_EQ(View()->GetHotMarker(), nullptr);
  EXPECT_EQ(View()->GetLegendHighlighted(ikMarkerGroups), nullptr);
  EXPECT_EQ(MarkersOf()->Count(), 0);
  Paint();
  MoveTo(252, 229);
  EXPECT_EQ(View()->GetHotItem(), Channel()); // only the curve is left there
  EXPECT_EQ(View()->GetHotMarker(), nullptr);
}

} // namespace
