// The mouse over a scope with data: the curve's point under it with its
// value label, the channel events, a click a handler takes, the legend's
// buttons lighting items in the plot, and items that go while the mouse,
// a drag or the legend holds them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/scope/ScopeMouseSupport.h"
#include "tests/support/Pictures.h"

namespace {

struct TOver {
  int32_t Channel, Begin, End;
  double X, Y;
  bool operator==(const TOver &) const = default;
};

// Samples 0, 0, 16384, 16384, 0: columns 0, 126, 252, 378, 504 on rows
// 152, 152, 76, 76, 152; the first segment lies flat on row 152.
const std::vector<double> Steps = {0, 0, 16384, 16384, 0};

class ScopeHover : public ScopeOnScreen {
protected:
  void SetUp() override {
    ScopeOnScreen::SetUp();
    Scope->OnOverChannel.Fn = [this](TObject *, int32_t C, int32_t B, int32_t E,
                                     const TSLRealPoint &V) {
      Overs.push_back({C, B, E, V.X, V.Y});
    };
    Scope->OnLeaveChannel.Fn = [this](TObject *) { ++Leaves; };
    Scope->OnZoomChanged.Fn = [this](TObject *, TSLZoomOperation, const TSLRealRanges &) {
      ++Zooms;
    };
    Feed(Steps);
    Paint();
  }
  TSLScopeDataView *View() { return Scope->GetScopeDataView(); }

  std::vector<TOver> Overs;
  int Leaves = 0;
  int Zooms = 0;
};

TEST_F(ScopeHover, HitPointAndItsLabelFollowTheCurve) {
  MoveTo(63, 153);
  ASSERT_EQ(View()->GetHotItem(), Channel());
  EXPECT_EQ(View()->GetHitPoint(), (TPoint{63, 152}));
  EXPECT_EQ(Overs, (std::vector<TOver>{{0, 0, 1, 0.5, 0}}));

  // A 5-pixel square in the channel's colour over the background, and the
  // "%X : %Y" label in a box 13 pixels above and 4 to the right of it.
  const std::string Label = Scope->GetFormatLabelText(0.5, 0, 0, "", "%X : %Y");
  const int Width = 6 * int(Label.size());
  QImage Image = Paint();
  for (int Y = 150; Y < 155; ++Y)
    for (int X = 61; X < 66; ++X) {
      const bool Edge = X == 61 || X == 65 || Y == 150 || Y == 154;
      EXPECT_EQ(At(Image, X, Y), Edge ? clRed : clBlack) << X << "," << Y;
    }
  for (int X = 67; X < 67 + Width + 4; ++X) {
    EXPECT_EQ(At(Image, X, 139), clRed) << X;
    EXPECT_EQ(At(Image, X, 153), clRed) << X;
  }
  for (int Y = 139; Y < 154; ++Y) {
    EXPECT_EQ(At(Image, 67, Y), clRed) << Y;
    EXPECT_EQ(At(Image, 67 + Width + 3, Y), clRed) << Y;
  }
  // The text's fixed cells: one white frame from (69, 140), on the black
  // box.
  EXPECT_EQ(At(Image, 69, 140), clWhite);
  EXPECT_EQ(At(Image, 69 + Width - 1, 152), clWhite);
  EXPECT_EQ(At(Image, 70, 141), clBlack);

  // Along the curve the events follow (each hit test that finds the curve
  // reports it); off it the channel is left once.
  MoveTo(189, 114);
  EXPECT_EQ(Overs.back().Begin, 1);
  EXPECT_EQ(Overs.back().End, 2);
  EXPECT_EQ(Leaves, 0);
  MoveTo(189, 20);
  EXPECT_EQ(View()->GetHotItem(), nullptr);
  EXPECT_EQ(Leaves, 1);
  MoveTo(189, 21);
  EXPECT_EQ(Leaves, 1);
  // Leaving the control from the curve closes the over as well.
  MoveTo(63, 152);
  Scope->DispatchMouseLeave();
  EXPECT_EQ(Leaves, 2);
  EXPECT_EQ(View()->GetHotItem(), nullptr);
  // No hit point without the setting.
  Scope->GetHighlighting()->GetMouseHitPoint()->SetEnabled(false);
  MoveTo(63, 153);
  EXPECT_NE(At(Paint(), 61, 150), clRed);
}

TEST_F(ScopeHover, TheLaterChannelWinsWhereTwoMeet) {
  TSLScopeChannel *Second = Scope->GetChannels()->Add();
  TOwnedPtr<TSLOWRealSourcePin> Source2{
      CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent())};
  ASSERT_TRUE(Second->GetInputPin()->Connect(Source2.get()));
  Source2->SubmitBuffer(com::MakeCom<TSLRealBuffer>(Steps.data(), uint32_t(Steps.size())));
  Scope->RefreshView();
  Paint();
  MoveTo(63, 153);
  EXPECT_EQ(View()->GetHotItem(), Second);
  ASSERT_FALSE(Overs.empty());
  EXPECT_EQ(Overs.back().Channel, 1);
}

// A click on the curve goes to the channels' OnClick; a handler that sets
// Handled keeps the zoom rectangle from starting.
TEST_F(ScopeHover, ChannelClickThatIsHandledStopsTheZoom) {
  std::vector<TOver> Clicks;
  bool Handle = true;
  Scope->GetChannels()->OnClick.Fn = [&](TObject *, int32_t C, int32_t B, int32_t E,
                                         const TSLRealPoint &V, bool &Handled) {
    Clicks.push_back({C, B, E, V.X, V.Y});
    Handled = Handle;
  };
  auto Drag = [&](TPoint From, TPoint To) {
    MoveTo(From.X, From.Y);
    Scope->DispatchMouseDown(mbLeft, ssLeft, From.X, From.Y);
    Scope->DispatchMouseMove(ssLeft, To.X, To.Y);
    Scope->DispatchMouseUp(mbLeft, ssLeft, To.X, To.Y);
  };
  Drag({63, 152}, {300, 250});
  EXPECT_EQ(Clicks, (std::vector<TOver>{{0, 0, 1, 0.5, 0}}));
  EXPECT_EQ(Zooms, 0);
  EXPECT_FALSE(Scope->IsZoomed());
  Handle = false;
  Drag({63, 152}, {300, 250});
  EXPECT_EQ(Clicks.size(), 2u);
  EXPECT_EQ(Zooms, 1);
  // Off the curve no click is reported, and the rectangle zooms.
  Drag({200, 20}, {300, 250});
  EXPECT_EQ(Clicks.size(), 2u);
  EXPECT_EQ(Zooms, 2);
}

// Channels, markers and groups that go while under the mouse or lit from
// the legend are forgotten (clean under the address sanitizer).
TEST_F(ScopeHover, ChannelsThatGoWhileHotOrLitAreForgotten) {
  TSLScopeChannel *Second = Scope->GetChannels()->Add();
  MoveTo(63, 153);
  ASSERT_EQ(View()->GetHotItem(), Channel(0));
  Second->SetHighlighted(true);
  ASSERT_EQ(View()->GetLegendHighlighted(ikChannels), Second);
  Scope->GetChannels()->Delete(1);
  EXPECT_EQ(View()->GetLegendHighlighted(ikChannels), nullptr);
  Scope->GetChannels()->Delete(0);
  EXPECT_EQ(View()->GetHotItem(), nullptr);
  Paint();
  MoveTo(63, 152);
  Scope->DispatchMouseLeave();
  EXPECT_EQ(Leaves, 0); // the over went with its channel
}

// Legend rows: the legend alone at the right edge, 6-pixel fixed cells 13
// high: row height 14, a section's caption row, then one button per item.
class LegendRows : public ScopeHover {
protected:
  void SetUp() override {
    ScopeHover::SetUp();
    Scope->GetLegend()->SetVisible(true);
    Scope->GetMarkerGroups()->Add()->SetName("MG");
    Channel()->SetName("Ch");
    Paint();
    R = Scope->GetLegend()->GetDrawRect();
  }
  TRect R;
};

// Section rows start 17 pixels below the legend's top (the caption row
// before them); a row's button spans 6 above to 8 below its centre line.
TEST_F(LegendRows, HoverLightsTheButtonAndTheItem) {
  const int Row0 = R.Top + 17;
  MoveTo(R.Left + 10, Row0);
  EXPECT_EQ(Scope->GetLegend()->GetChannels()->GetHotIndex(), 0);
  EXPECT_EQ(View()->GetLegendHighlighted(ikChannels), Channel());
  EXPECT_EQ(Window.Shown, crHandPoint);
  QImage Image = Paint();

  // The row as drawn: the hovered button filled and framed with its
  // corners cut, the swatch 14 x 3 in the item's colours, the name's cells.
  const int Lv = R.Left, Rv = R.Right, Top = Row0 - 7, Bottom = Row0 + 7;
  TExpectedPicture E(Rv - Lv, 16, 0);
  auto P = [&](int X, int Y, TColor C) { E.Pixel(X - Lv, Y - Top, C); };
  for (int Y = Top; Y < Bottom; ++Y)
    for (int X = Lv + 5; X < Rv - 5; ++X)
      P(X, Y, 0x008000);
  for (int X = Lv + 5; X < Rv - 5; ++X) {
    P(X, Top, 0x00FF00);
    P(X, Bottom, 0x00FF00);
  }
  for (int Y = Top + 1; Y < Bottom; ++Y) {
    P(Lv + 4, Y, 0x00FF00);
    P(Rv - 5, Y, 0x00FF00);
  }
  P(Lv + 5, Top + 1, 0x00FF00);
  P(Rv - 6, Top + 1, 0x00FF00);
  P(Lv + 5, Bottom - 1, 0x00FF00);
  P(Rv - 6, Bottom - 1, 0x00FF00);
  for (int X = Lv + 6; X < Lv + 20; ++X)
    for (int Y = Row0; Y < Row0 + 3; ++Y)
      P(X, Y, clRed); // pen and brush both the channel's colour
  // "Ch": one frame of two 6-pixel cells, 13 high.
  for (int X = Lv + 23; X < Lv + 35; ++X) {
    P(X, Row0 - 6, clWhite);
    P(X, Row0 + 6, clWhite);
  }
  for (int Y = Row0 - 6; Y <= Row0 + 6; ++Y) {
    P(Lv + 23, Y, clWhite);
    P(Lv + 34, Y, clWhite);
  }
  QImage Actual = Image.copy(Lv, Top, Rv - Lv, 16);
  EXPECT_TRUE(PicturesEqual(Actual, E.Image(), "legend-hovered-row"));

  // The item is lit in the plot: the curve three pixels wide in the
  // highlight colour under its own line.
  EXPECT_EQ(At(Image, 63, 151), 0x00FF00);
  EXPECT_EQ(At(Image, 63, 152), clRed);

  // The marker group's row comes after the channels' empty row and the
  // next caption row: 2 rows + 1 caption row further.
  MoveTo(R.Left + 10, Row0 + 14 + 14 + 8 + 6);
  EXPECT_EQ(Scope->GetLegend()->GetChannels()->GetHotIndex(), -1);
  EXPECT_EQ(Scope->GetLegend()->GetMarkerGroups()->GetHotIndex(), 0);
  EXPECT_EQ(View()->GetLegendHighlighted(ikChannels), nullptr);
  EXPECT_EQ(View()->GetLegendHighlighted(ikMarkerGroups), Scope->GetMarkerGroups()->GetItem(0));

  // Leaving the legend: no hot row, the control's own cursor back.
  Scope->DispatchMouseLeave();
  EXPECT_EQ(Scope->GetLegend()->GetMarkerGroups()->GetHotIndex(), -1);
  EXPECT_EQ(Window.Shown, crDefault);
}

// A click on a row goes to its section's OnItemClick; unhandled, to the
// control's legend click with the section and the item.
TEST_F(LegendRows, ClickReachesTheSectionOrTheDialog) {
  std::vector<int32_t> Clicked;
  bool Handle = true;
  Scope->GetLegend()->GetChannels()->OnItemClick.Fn = [&](TObject *Sender, int32_t Index,
                                                          bool &Handled) {
    EXPECT_EQ(Sender, Scope->GetLegend()->GetChannels());
    Clicked.push_back(Index);
    Handled = Handle;
  };
  MoveTo(R.Left + 10, R.Top + 17);
  Scope->DispatchMouseDown(mbLeft, ssLeft, R.Left + 10, R.Top + 17);
  Scope->DispatchMouseUp(mbLeft, ssLeft, R.Left + 10, R.Top + 17);
  EXPECT_EQ(Clicked, (std::vector<int32_t>{0}));
  EXPECT_EQ(Scope->GetLegend()->GetChannels()->GetPressedIndex(), -1);
  // Buttons switched off: no row is hot, nothing is clicked.
  Scope->GetLegend()->SetButtonsEnabled(false);
  MoveTo(R.Left + 11, R.Top + 17);
  Scope->DispatchMouseDown(mbLeft, ssLeft, R.Left + 11, R.Top + 17);
  EXPECT_EQ(Clicked.size(), 1u);
}

// The legend is as wide as its widest caption + 23 or item name + 30; a
// section without items or hidden takes no width.
TEST_F(LegendRows, WidthFollowsCaptionsAndNames) {
  TSLScopeLegendView *Legend = Scope->GetLegend();
  EXPECT_EQ(Legend->GetDefaultSize().X, 6 * 13 + 23); // "Marker Groups"
  Scope->GetMarkerGroups()->Clear();
  EXPECT_EQ(Legend->GetDefaultSize().X, 6 * 8 + 23); // "Channels"
  Channel()->SetName(std::string(20, 'n'));
  EXPECT_EQ(Legend->GetDefaultSize().X, 6 * 20 + 30);
  Channel()->SetVisible(false); // hidden items are not listed
  EXPECT_EQ(Legend->GetDefaultSize().X, 6 * 8 + 23);
  Legend->GetChannels()->SetVisible(false);
  EXPECT_EQ(Legend->GetDefaultSize().X, 0);
}

// Rows are found in the legend's own font, whatever font the control's
// canvas was left with: here a canvas font twice as tall would put the
// second row where the first is.
class TallFontText final : public ITextRenderer {
public:
  TTextMetric Metric(const TFont &Font) override { return {std::abs(Font.GetHeight()), 2}; }
  int32_t TextWidth(const TFont &, const std::string &Text) override {
    return 6 * int32_t(Text.size());
  }
  void Draw(QPainter &, const TFont &, const std::string &) override {}
};

TEST_F(LegendRows, RowsAreMeasuredInTheLegendsFont) {
  TallFontText Tall;
  Scope->GetBitmap()->Canvas()->SetTextRenderer(&Tall);
  Scope->GetChannels()->Add()->SetName("Two");
  Scope->GetLegend()->GetFont()->SetHeight(-11); // rows 14 high
  Scope->GetLegend()->GetChannels()->GetCaption()->SetVisible(false);
  Paint();
  R = Scope->GetLegend()->GetDrawRect();
  TFont Big;
  Big.SetHeight(-40);
  Scope->GetBitmap()->Canvas()->SetFont(&Big);
  // Row centres at Top + 8 and Top + 22.
  MoveTo(R.Left + 10, R.Top + 22);
  EXPECT_EQ(Scope->GetLegend()->GetChannels()->GetHotIndex(), 1);
  MoveTo(R.Left + 10, R.Top + 8);
  EXPECT_EQ(Scope->GetLegend()->GetChannels()->GetHotIndex(), 0);
  Scope->GetBitmap()->Canvas()->SetTextRenderer(&Text);
}

// A control shrunk to nothing has no plot to point at: the mouse finds no
// curve where the last picture had one.
TEST_F(ScopeHover, NothingIsFoundOnAControlWithoutSize) {
  Scope->SetBounds(0, 0, 0, 0);
  Paint();
  for (TPoint P : {TPoint{63, 152}, TPoint{0, 0}, TPoint{-1, -1}}) {
    MoveTo(P.X, P.Y);
    EXPECT_EQ(Scope->GetScopeDataView()->GetHotItem(), nullptr);
  }
  EXPECT_TRUE(Overs.empty());
}

} // namespace
