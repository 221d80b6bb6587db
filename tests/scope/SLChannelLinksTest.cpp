// The crossing points a cursor's channel links draw: each shape as its
// geometry gives it, the same in both display orientations (the point is a
// screen point already), and nothing for the two line shapes.
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "scope/SLChannelLinks.h"
#include "scope/SLCursors.h"
#include "tests/scope/MarkerShapePictures.h"
#include "tests/scope/ScopeMouseSupport.h"
#include "tests/support/Pictures.h"

namespace {

constexpr TColor PenColor = 0x00FFFF, BrushColor = 0xFF0000;

using LinkShapeCase = std::tuple<int, bool>; // shape, vertical display

class LinkPictures : public ScopeOnScreen, public ::testing::WithParamInterface<LinkShapeCase> {};

// A link of Size 4 drawing its crossing at the screen point (20, 18) with
// its own pen and brush.
TEST_P(LinkPictures, ShapeAsItStandsOnTheScreen) {
  const auto [ShapeIndex, Vertical] = GetParam();
  const auto Shape = static_cast<TSLDisplayMarkerShape>(ShapeIndex);
  Scope->SetVertical(Vertical);
  TSLDisplayChannelLink *Link = Scope->GetCursors()->Add()->GetChannels()->Add();
  ASSERT_NE(Link, nullptr);
  Link->SetShape(Shape);
  Link->SetSize(4);
  Link->SetUseChannelColor(false);
  Link->GetPen()->SetColor(PenColor);
  Link->GetBrush()->SetColor(BrushColor);
  Link->GetChannelLabel()->SetVisible(false);

  TExpectedPicture Actual(40, 40, 0), Expected(40, 40, 0);
  TCanvas Canvas(&Actual.Image());
  Link->Draw(&Canvas, false, 0, 0, 20, 18, "%Y");
  Canvas.Flush();
  if (Shape != msHLine && Shape != msVLine)
    ComposeShape(Expected, Shape, false, 20, 18, 4, 0, PenColor, BrushColor);
  EXPECT_TRUE(PicturesEqual(Actual.Image(), Expected.Image(),
                            "link-" + SLDisplayMarkerShapeNames()[size_t(ShapeIndex)] +
                                (Vertical ? "-vertical" : "")));
}

INSTANTIATE_TEST_SUITE_P(AllShapes, LinkPictures,
                         ::testing::Combine(::testing::Range(0, 13), ::testing::Bool()));

} // namespace
