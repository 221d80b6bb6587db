#include <QFont>
#include <QFontInfo>
#include <functional>

#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormStream.h"
#include "platform/gui/Application.h"
#include "platform/gui/Canvas.h"
#include "tests/support/Pictures.h"

namespace {

constexpr TColor Bg = clBlack;

class TCanvasTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    Bitmap.SetSize(16, 12);
    C = Bitmap.Canvas();
    C->Brush()->SetColor(Bg);
    C->FillRect({0, 0, 16, 12});
  }
  TExpectedPicture Expected() const { return TExpectedPicture(16, 12, Bg); }

  TBitmap Bitmap;
  TCanvas *C = nullptr;
};

TEST_F(TCanvasTest, LinesLeaveOutTheirEndPointInEveryDirection) {
  C->Pen()->SetColor(clRed);
  C->MoveTo(2, 1);
  C->LineTo(7, 1); // rightwards
  C->MoveTo(7, 3);
  C->LineTo(2, 3); // leftwards
  C->MoveTo(1, 2);
  C->LineTo(1, 8); // downwards
  C->MoveTo(14, 10);
  C->LineTo(14, 5); // upwards
  C->MoveTo(3, 5);
  C->LineTo(7, 9); // diagonal
  C->MoveTo(9, 9);
  C->LineTo(9, 9); // no length: nothing
  TExpectedPicture E = Expected();
  E.HLine(2, 6, 1, clRed);
  E.HLine(3, 7, 3, clRed);
  E.VLine(1, 2, 7, clRed);
  E.VLine(14, 6, 10, clRed);
  for (int I = 0; I < 4; ++I)
    E.Pixel(3 + I, 5 + I, clRed);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-lines"));
  EXPECT_EQ(C->GetPenPos(), (TPoint{9, 9}));
}

TEST_F(TCanvasTest, DottedAndFarReachingLines) {
  C->Pen()->SetColor(clWhite);
  C->Pen()->SetStyle(psDot); // three on, three off, carried across segments
  C->Polyline({{0, 1}, {4, 1}, {15, 1}});
  C->Pen()->SetStyle(psSolid);
  C->MoveTo(-2000000000, 4); // only what lies in the picture is stepped
  C->LineTo(5, 4);
  C->MoveTo(3, 2000000000);
  C->LineTo(3, 6);
  TExpectedPicture E = Expected();
  E.HLine(0, 2, 1, clWhite);
  E.HLine(6, 8, 1, clWhite);
  E.HLine(12, 14, 1, clWhite);
  E.HLine(0, 4, 4, clWhite);
  E.VLine(3, 7, 11, clWhite);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-dots"));
}

TEST_F(TCanvasTest, LongCurvesOfSteepSegmentsAreDrawnWhole) {
  // 40000 segments up and down one column, then across the top: several
  // hundred thousand pixels, drawn in batches.
  std::vector<TPoint> Curve;
  for (int I = 0; I < 40000; ++I)
    Curve.push_back({5, I % 2 == 0 ? 11 : 0});
  Curve.push_back({15, 0});
  C->Pen()->SetColor(clLime);
  C->Polyline(Curve);
  TExpectedPicture E = Expected();
  E.VLine(5, 0, 11, clLime);
  E.HLine(5, 14, 0, clLime);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-long-curve"));
}

// One-pixel lines in copy mode are stored straight into the picture; in any
// other mode they go through the painter. On black, a white pen under xor
// paints what copy paints, so both routes must give the same pixels, whatever
// the clip.
TEST_F(TCanvasTest, CopiedLinesMatchPaintedOnesUnderEveryClip) {
  struct TCase {
    const char *Name;
    std::function<void(TCanvas *)> Clip;
  };
  const TCase Cases[] = {
      {"none", [](TCanvas *) {}},
      {"one rectangle", [](TCanvas *Cv) { Cv->IntersectClipRect(2, 1, 13, 10); }},
      {"two rectangles", [](TCanvas *Cv) { Cv->ExcludeClipRect(6, 0, 9, 12); }},
      {"empty", [](TCanvas *Cv) { Cv->IntersectClipRect(4, 4, 4, 8); }},
  };
  // Lines that share no pixel, in every direction, some running out of the
  // picture, one dashed.
  auto Draw = [](TCanvas *Cv, TPenMode Mode) {
    Cv->Pen()->SetColor(clWhite);
    Cv->Pen()->SetMode(Mode);
    Cv->Polyline({{0, 0}, {12, 2}, {-3, 11}});
    Cv->MoveTo(14, 9);
    Cv->LineTo(14, 3);
    Cv->MoveTo(-2000000000, 11);
    Cv->LineTo(3, 11);
    Cv->Pen()->SetStyle(psDot);
    Cv->MoveTo(30, 10);
    Cv->LineTo(8, 10);
    Cv->Pen()->SetStyle(psSolid);
  };
  for (const TCase &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    QImage Copied(16, 12, QImage::Format_RGB32), Painted(16, 12, QImage::Format_RGB32);
    for (QImage *Image : {&Copied, &Painted})
      Image->fill(0xFF000000u);
    TCanvas CopyCanvas(&Copied), XorCanvas(&Painted);
    Case.Clip(&CopyCanvas);
    Case.Clip(&XorCanvas);
    Draw(&CopyCanvas, pmCopy);
    Draw(&XorCanvas, pmXor);
    CopyCanvas.Flush();
    XorCanvas.Flush();
    EXPECT_TRUE(PicturesEqual(Copied, Painted, "canvas-copied-lines"));
  }
}

// Where the line passes exactly halfway between two rows, the pixel goes to
// the row away from where the line started, in both directions.
TEST_F(TCanvasTest, HalfwayPixelsRoundAwayFromTheStart) {
  C->Pen()->SetColor(clRed);
  C->MoveTo(0, 0);
  C->LineTo(12, 2);
  C->Pen()->SetColor(clLime);
  C->MoveTo(12, 10);
  C->LineTo(0, 8);
  TExpectedPicture E = Expected();
  E.HLine(0, 2, 0, clRed); // x = 3 lies halfway: row 1
  E.HLine(3, 8, 1, clRed);
  E.HLine(9, 11, 2, clRed);
  E.HLine(10, 12, 10, clLime); // x = 9 lies halfway: row 9
  E.HLine(4, 9, 9, clLime);
  E.HLine(1, 3, 8, clLime);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-halfway"));
}

TEST_F(TCanvasTest, ChainedLinesUnderXorPaintEachPixelOnce) {
  C->Pen()->SetColor(clWhite);
  C->Pen()->SetMode(pmXor);
  C->MoveTo(2, 2);
  C->LineTo(8, 2);
  C->LineTo(8, 6);
  C->LineTo(2, 6);
  C->LineTo(2, 2);
  TExpectedPicture E = Expected();
  E.Frame(2, 2, 9, 7, clWhite);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-xor-chain"));
  // The same path again restores the picture.
  C->MoveTo(2, 2);
  C->LineTo(8, 2);
  C->LineTo(8, 6);
  C->LineTo(2, 6);
  C->LineTo(2, 2);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), Expected().Image(), "canvas-xor-chain-undone"));
}

TEST_F(TCanvasTest, RectanglesExcludeRightAndBottomAndAreNormalised) {
  struct TCase {
    const char *Name;
    TRect R;
    TPenStyle Pen;
    TBrushStyle Brush;
  };
  const TCase Cases[] = {
      {"outline-and-fill", {2, 3, 9, 8}, psSolid, bsSolid},
      {"inverted", {9, 8, 2, 3}, psSolid, bsSolid},
      {"top-above-bottom", {2, 8, 9, 3}, psSolid, bsSolid},
      {"clear-brush", {2, 3, 9, 8}, psSolid, bsClear},
      {"clear-pen", {2, 3, 9, 8}, psClear, bsSolid},
      {"one-pixel-wide", {4, 2, 5, 9}, psSolid, bsSolid},
      {"one-pixel-high", {2, 5, 10, 6}, psSolid, bsSolid},
  };
  for (const TCase &K : Cases) {
    SCOPED_TRACE(K.Name);
    C->Brush()->SetColor(Bg);
    C->FillRect({0, 0, 16, 12});
    C->Pen()->SetColor(clRed);
    C->Pen()->SetStyle(K.Pen);
    C->Brush()->SetColor(clBlue);
    C->Brush()->SetStyle(K.Brush);
    C->Rectangle(K.R);
    TExpectedPicture E = Expected();
    if (K.Pen == psClear) {
      E.Fill(2, 3, 8, 7, clBlue); // one pixel less, where the outline would be
    } else if (K.R.Width() == 1 || K.R.Height() == 1) {
      E.Fill(K.R.Left, K.R.Top, K.R.Right, K.R.Bottom, clRed); // all outline, no inside
    } else {
      if (K.Brush == bsSolid)
        E.Fill(3, 4, 8, 7, clBlue);
      E.Frame(2, 3, 9, 8, clRed);
    }
    EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), std::string("canvas-rect-") + K.Name));
  }
}

TEST_F(TCanvasTest, FillRectUsesTheBrushOnlyAndSkipsClearOrEmptyRectangles) {
  C->Pen()->SetColor(clRed);
  C->Brush()->SetColor(clLime);
  C->FillRect({10, 9, 4, 2}); // inverted
  C->FillRect({1, 1, 1, 5});  // empty
  C->Brush()->SetStyle(bsClear);
  C->FillRect({0, 0, 16, 12});
  TExpectedPicture E = Expected();
  E.Fill(4, 2, 10, 9, clLime);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-fillrect"));
}

TEST_F(TCanvasTest, EllipseStaysInsideItsBoundsLessRightAndBottom) {
  C->Pen()->SetColor(clWhite);
  C->Brush()->SetColor(clBlue);
  C->Ellipse(2, 1, 14, 11);
  const QImage &I = Bitmap.Image();
  int MinX = 99, MinY = 99, MaxX = -1, MaxY = -1;
  for (int Y = 0; Y < I.height(); ++Y)
    for (int X = 0; X < I.width(); ++X)
      if ((I.pixel(X, Y) & 0xFFFFFF) != 0) {
        MinX = std::min(MinX, X);
        MaxX = std::max(MaxX, X);
        MinY = std::min(MinY, Y);
        MaxY = std::max(MaxY, Y);
      }
  EXPECT_EQ(MinX, 2);
  EXPECT_EQ(MaxX, 13);
  EXPECT_EQ(MinY, 1);
  EXPECT_EQ(MaxY, 10);
  // Outlined in the pen colour, filled with the brush.
  EXPECT_EQ(C->GetPixel(8, 1), clWhite);
  EXPECT_EQ(C->GetPixel(8, 6), clBlue);
}

TEST_F(TCanvasTest, ColoursAreBlueGreenRedAndPixelsReadBackTheSame) {
  const TColor Odd = RGBColor(0x12, 0x34, 0x56);
  EXPECT_EQ(Odd, 0x563412);
  C->SetPixel(1, 1, Odd);
  EXPECT_EQ(Bitmap.Image().pixel(1, 1) & 0xFFFFFFu, 0x123456u); // QImage is 0xRRGGBB
  EXPECT_EQ(C->GetPixel(1, 1), Odd);
  C->Pen()->SetColor(clRed);
  C->MoveTo(0, 5);
  C->LineTo(3, 5);
  EXPECT_EQ(Bitmap.Image().pixel(0, 5) & 0xFFFFFFu, 0xFF0000u);
  // Outside the picture: nothing written, -1 read.
  C->SetPixel(-1, 0, clWhite);
  C->SetPixel(16, 0, clWhite);
  EXPECT_EQ(C->GetPixel(16, 0), -1);
  EXPECT_EQ(C->GetPixel(0, -1), -1);
  // System colours are resolved when drawn.
  C->SetPixel(2, 2, clWindow);
  EXPECT_EQ(C->GetPixel(2, 2), clWhite);
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xF0F0F0);
  EXPECT_EQ(ColorToRGB(clHighlight), RGBColor(0, 120, 215));
  C->SetPixel(3, 3, clHighlight);
  EXPECT_EQ(Bitmap.Image().pixel(3, 3) & 0xFFFFFFu, 0x0078D7u);
}

TEST_F(TCanvasTest, PenBrushAndFontKeepTheirSettingsBetweenCalls) {
  C->Pen()->SetColor(clYellow);
  C->MoveTo(0, 0);
  C->LineTo(4, 0);
  C->MoveTo(0, 2);
  C->LineTo(4, 2);
  EXPECT_EQ(C->GetPixel(3, 0), clYellow);
  EXPECT_EQ(C->GetPixel(3, 2), clYellow);
  // Choosing a colour makes a clear brush solid again.
  C->Brush()->SetStyle(bsClear);
  C->Brush()->SetColor(clRed);
  EXPECT_EQ(C->Brush()->GetStyle(), bsSolid);
  // SetFont copies the settings; the given font stays the caller's.
  TFont F;
  F.SetHeight(-13);
  F.SetStyle(FontStyle(fsBold));
  C->SetFont(&F);
  F.SetHeight(-30);
  EXPECT_EQ(C->Font()->GetHeight(), -13);
  EXPECT_TRUE(C->Font()->HasStyle(fsBold));
}

TEST_F(TCanvasTest, PenModesCombineWithThePicture) {
  struct TCase {
    TPenMode Mode;
    TColor Pen;
    TColor Before;
    TColor After;
  };
  const TCase Cases[] = {
      {pmCopy, 0x123456, 0x0000FF, 0x123456},  {pmXor, 0x00FF00, 0x00FFFF, 0x0000FF},
      {pmNot, 0x000000, 0x0F0F0F, 0xF0F0F0},   {pmNotXor, 0x00FF00, 0x00FFFF, 0xFFFF00},
      {pmMerge, 0x0000F0, 0x00000F, 0x0000FF}, {pmMask, 0x0000F0, 0x0000FF, 0x0000F0},
      {pmBlack, 0xFFFFFF, 0x123456, 0x000000}, {pmWhite, 0x000000, 0x123456, 0xFFFFFF},
      {pmNop, 0xFFFFFF, 0x123456, 0x123456},   {pmNotCopy, 0x0F0F0F, 0x123456, 0xF0F0F0},
  };
  for (const TCase &K : Cases) {
    C->SetPixel(5, 5, K.Before);
    C->Pen()->SetMode(K.Mode);
    C->Pen()->SetColor(K.Pen);
    C->MoveTo(5, 5);
    C->LineTo(6, 5);
    EXPECT_EQ(C->GetPixel(5, 5), K.After) << int(K.Mode);
  }
}

// Wide pens are centred on the line and round-ended, so their ends are
// compared with a tolerance: across the line exactly Width / 2 rows on
// either side; along it nothing more than Width / 2 + 1 past an end, and
// everything from the start up to (not including) the end point.
TEST(CanvasWidePenTest, WidePensCoverTheirWidthAroundTheLine) {
  gui::Application();
  for (int W : {3, 5}) {
    TBitmap B(40, 20);
    TCanvas *C = B.Canvas();
    C->Brush()->SetColor(Bg);
    C->FillRect({0, 0, 40, 20});
    C->Pen()->SetColor(clRed);
    C->Pen()->SetWidth(W);
    C->MoveTo(10, 10);
    C->LineTo(30, 10);
    int Half = W / 2;
    for (int Y = 0; Y < 20; ++Y)
      for (int X = 0; X < 40; ++X) {
        bool On = C->GetPixel(X, Y) == clRed;
        int DX = X < 10 ? 10 - X : (X > 30 ? X - 30 : 0);
        int DY = std::abs(Y - 10);
        bool MustBeOff = DX > Half + 1 || DY > Half;
        bool MustBeOn = X >= 10 && X < 30 && DY <= Half;
        EXPECT_FALSE(MustBeOff && On) << W << ": " << X << "," << Y;
        EXPECT_FALSE(MustBeOn && !On) << W << ": " << X << "," << Y;
      }
    // Under XOR a wide polyline still paints each pixel once.
    C->Pen()->SetMode(pmXor);
    C->Pen()->SetColor(clWhite);
    C->Polyline({{5, 3}, {20, 3}, {20, 8}});
    EXPECT_EQ(C->GetPixel(20, 3), clWhite);
    EXPECT_EQ(C->GetPixel(12, 3), clWhite);
  }
}

TEST_F(TCanvasTest, PenStylesAreDashPatterns) {
  // Pixels on and off along one long line, from its start.
  struct TCase {
    TPenStyle Style;
    std::string Pattern;
  };
  const TCase Cases[] = {
      {psSolid, "1111111111111111"},       {psDot, "1110001110001110"},
      {psDash, "1111111111111111"},        {psDashDot, "1111111110000001"},
      {psDashDotDot, "1111111110001110"},  {psClear, "0000000000000000"},
      {psInsideFrame, "1111111111111111"},
  };
  for (const TCase &K : Cases) {
    C->Brush()->SetColor(Bg);
    C->FillRect({0, 0, 16, 12});
    C->Pen()->SetStyle(K.Style);
    C->Pen()->SetColor(clWhite);
    C->MoveTo(0, 4);
    C->LineTo(16, 4);
    std::string Got;
    for (int X = 0; X < 16; ++X)
      Got += C->GetPixel(X, 4) == clWhite ? '1' : '0';
    EXPECT_EQ(Got, K.Pattern) << int(K.Style);
  }
}

TEST_F(TCanvasTest, HatchedBrushesLeaveTheGapsAsTheyWere) {
  // Which of the 8 x 8 hatch cell's pixels a brush paints.
  struct TCase {
    TBrushStyle Style;
    std::function<bool(int X, int Y)> On;
  };
  const TCase Cases[] = {
      {bsSolid, [](int, int) { return true; }},
      {bsClear, [](int, int) { return false; }},
      {bsHorizontal, [](int, int Y) { return Y % 8 == 0; }},
      {bsVertical, [](int X, int) { return X % 8 == 0; }},
      {bsCross, [](int X, int Y) { return X % 8 == 0 || Y % 8 == 0; }},
  };
  for (const TCase &K : Cases) {
    C->Brush()->SetColor(Bg);
    C->FillRect({0, 0, 16, 12});
    C->Brush()->SetColor(clLime);
    C->Brush()->SetStyle(K.Style);
    C->FillRect({0, 0, 16, 12});
    int Painted = 0, Wrong = 0;
    for (int Y = 0; Y < 12; ++Y)
      for (int X = 0; X < 16; ++X) {
        bool On = C->GetPixel(X, Y) == clLime;
        Painted += On;
        Wrong += On != K.On(X, Y) && K.Style != bsHorizontal && K.Style != bsVertical &&
                 K.Style != bsCross;
      }
    EXPECT_EQ(Wrong, 0) << int(K.Style);
    // Whole rows or columns, one in eight.
    const int Want = K.Style == bsHorizontal ? 2 * 16
                     : K.Style == bsVertical ? 2 * 12
                     : K.Style == bsCross    ? 2 * 16 + 2 * 12 - 4
                     : K.Style == bsSolid    ? 16 * 12
                                             : 0;
    EXPECT_EQ(Painted, Want) << int(K.Style);
  }
  // The diagonals: one pixel in every row of a cell; the forward hatch runs
  // downwards from left to right, the backward one upwards.
  for (TBrushStyle S : {bsFDiagonal, bsBDiagonal, bsDiagCross}) {
    C->Brush()->SetColor(Bg);
    C->FillRect({0, 0, 16, 12});
    C->Brush()->SetColor(clLime);
    C->Brush()->SetStyle(S);
    C->FillRect({0, 0, 16, 12});
    int Row = 0;
    for (int X = 0; X < 8; ++X) {
      Row += C->GetPixel(X, 4) == clLime;
      if (C->GetPixel(X, 4) == clLime && S != bsDiagCross) {
        int Step = S == bsFDiagonal ? 1 : -1; // the next row down moves this way
        EXPECT_EQ(C->GetPixel((X + 8 + Step) % 8, 5), clLime) << int(S);
      }
    }
    EXPECT_EQ(Row, S == bsDiagCross ? 2 : 1) << int(S);
  }
}

TEST_F(TCanvasTest, PolygonsFillWithTheBrushAndNopDrawsNothing) {
  C->Pen()->SetColor(clWhite);
  C->Brush()->SetColor(clBlue);
  C->Polygon({{2, 2}, {12, 2}, {12, 10}, {2, 10}});
  EXPECT_EQ(C->GetPixel(2, 2), clWhite); // outlined
  EXPECT_EQ(C->GetPixel(7, 6), clBlue);  // filled
  EXPECT_EQ(C->GetPixel(13, 11), Bg);    // nothing outside
  // pmNop leaves out lines, outlines and fills alike.
  QImage Before = Bitmap.Image().copy();
  C->Pen()->SetMode(pmNop);
  C->Brush()->SetColor(clRed);
  C->Polygon({{0, 0}, {15, 0}, {15, 11}});
  C->Rectangle(0, 0, 16, 12);
  C->Ellipse(0, 0, 16, 12);
  C->MoveTo(0, 0);
  C->LineTo(15, 11);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), Before, "canvas-nop"));
  // The pen mode combines fills too.
  C->Pen()->SetMode(pmXor);
  C->Pen()->SetStyle(psClear);
  C->Brush()->SetColor(clWhite);
  C->Rectangle(3, 3, 6, 6);
  EXPECT_EQ(C->GetPixel(4, 4), ColorToRGB(clBlue) ^ 0xFFFFFF);
}

TEST_F(TCanvasTest, ASaverPutsBackPenBrushAndFont) {
  C->Pen()->SetColor(clRed);
  C->Pen()->SetWidth(3);
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetHeight(-13);
  {
    TCanvasSaver Saved(C);
    C->Pen()->SetColor(clLime);
    C->Pen()->SetWidth(1);
    C->Pen()->SetMode(pmXor);
    C->Brush()->SetColor(clBlue);
    C->Font()->SetHeight(-20);
    C->Font()->SetStyle(FontStyle(fsBold));
  }
  EXPECT_EQ(C->Pen()->GetColor(), clRed);
  EXPECT_EQ(C->Pen()->GetWidth(), 3);
  EXPECT_EQ(C->Pen()->GetMode(), pmCopy);
  EXPECT_EQ(C->Brush()->GetStyle(), bsClear);
  EXPECT_EQ(C->Font()->GetHeight(), -13);
  EXPECT_EQ(C->Font()->GetStyle(), 0);
}

TEST_F(TCanvasTest, FocusRectInvertsEveryOtherFramePixelAndUndoesItself) {
  C->Brush()->SetColor(clGreen);
  C->FillRect({4, 4, 8, 8});
  C->DrawFocusRect({1, 1, 11, 9});
  TExpectedPicture E = Expected();
  E.Fill(4, 4, 8, 8, clGreen);
  auto Dot = [&](int X, int Y) {
    if ((X + Y) % 2 == 0)
      E.Pixel(X, Y, clWhite);
  };
  for (int X = 1; X <= 10; ++X) {
    Dot(X, 1);
    Dot(X, 8);
  }
  for (int Y = 2; Y <= 7; ++Y) {
    Dot(1, Y);
    Dot(10, Y);
  }
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-focus"));
  C->DrawFocusRect({1, 1, 11, 9});
  TExpectedPicture Back = Expected();
  Back.Fill(4, 4, 8, 8, clGreen);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), Back.Image(), "canvas-focus-undone"));
}

TEST_F(TCanvasTest, ClipRegionsLimitEveryOperation) {
  TRegion R = TRegion::CreateRectRgn(0, 0, 10, 8);
  C->SelectClipRgn(&R);
  C->ExcludeClipRect(0, 0, 10, 2);
  C->ExcludeClipRect(0, 0, 3, 8);
  EXPECT_TRUE(C->GetClipRgn().RectInRegion({3, 2, 4, 3}));
  EXPECT_FALSE(C->GetClipRgn().RectInRegion({0, 0, 3, 2}));
  C->Brush()->SetColor(clBlue);
  C->FillRect({0, 0, 16, 12});
  C->Pen()->SetColor(clRed);
  C->MoveTo(0, 5);
  C->LineTo(16, 5);
  C->SetPixel(12, 10, clWhite); // outside: nothing
  C->DrawFocusRect({0, 0, 16, 12});
  TExpectedPicture E = Expected();
  E.Fill(3, 2, 10, 8, clBlue);
  E.HLine(3, 9, 5, clRed);
  // The focus frame runs along the picture's edges, all outside the region.
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-clip"));
  // Removing the clip region lets everything through again.
  C->SelectClipRgn(nullptr);
  C->SetPixel(12, 10, clWhite);
  EXPECT_EQ(C->GetPixel(12, 10), clWhite);
  C->IntersectClipRect(0, 0, 2, 2);
  C->FillRect({0, 0, 16, 12});
  EXPECT_EQ(C->GetPixel(1, 1), clBlue);
  EXPECT_EQ(C->GetPixel(2, 2), Bg);
}

TEST_F(TCanvasTest, FixedMetricsTextSitsAtTheCellTopLeftOpaqueUnlessTheBrushIsClear) {
  TFixedTextRenderer Fixed(3, 4, 1); // cells 3 wide per character, 5 high
  C->SetTextRenderer(&Fixed);
  EXPECT_EQ(C->TextExtent("ab"), (TSize{6, 5}));
  EXPECT_EQ(C->TextHeight("Xg"), 5);
  C->Font()->SetColor(clWhite);
  C->Brush()->SetColor(clBlue);
  C->TextOut(1, 2, "ab");
  C->Brush()->SetStyle(bsClear);
  C->TextOut(9, 2, "a");
  TExpectedPicture E = Expected();
  E.Fill(1, 2, 7, 7, clBlue);
  E.Frame(1, 2, 7, 7, clWhite);
  E.Frame(9, 2, 12, 7, clWhite);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-text"));
}

TEST_F(TCanvasTest, TurnedTextRunsUpwardsFromItsPointWithTheCellToTheRight) {
  TFixedTextRenderer Fixed(3, 4, 1);
  C->SetTextRenderer(&Fixed);
  C->Font()->SetColor(clWhite);
  C->Font()->SetOrientation(900);
  C->Brush()->SetStyle(bsClear);
  C->TextOut(2, 10, "ab"); // 6 long, 5 high
  TExpectedPicture E = Expected();
  E.Frame(2, 4, 7, 10, clWhite);
  EXPECT_TRUE(PicturesEqual(Bitmap.Image(), E.Image(), "canvas-text-turned"));
}

TEST(CanvasFontTest, SizesAreWholePointsAt96DotsPerInch) {
  struct TCase {
    int32_t Size;
    int32_t Height;
  };
  const TCase Cases[] = {{8, -11}, {10, -13}, {16, -21}, {12, -16}, {0, 0}};
  for (const TCase &K : Cases) {
    TFont F;
    F.SetSize(K.Size);
    EXPECT_EQ(F.GetHeight(), K.Height) << K.Size;
    EXPECT_EQ(F.GetSize(), K.Size) << K.Size;
  }
  TFont F;
  EXPECT_EQ(F.GetSize(), DefaultFontSize);
  EXPECT_EQ(F.GetName(), "Arial");
}

TEST(CanvasFontTest, ChangesNotifyOnceAndAssignCopiesEverySetting) {
  TFont Source;
  Source.SetName("Courier New");
  Source.SetHeight(-13);
  Source.SetColor(clLime);
  Source.SetStyle(FontStyle(fsBold) | FontStyle(fsItalic));
  Source.SetOrientation(900);
  TFont Target;
  int Changes = 0;
  Target.OnChange = [&](TObject *Sender) {
    EXPECT_EQ(Sender, &Target);
    ++Changes;
  };
  Target.Assign(&Source);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Target.GetName(), "Courier New");
  EXPECT_EQ(Target.GetHeight(), -13);
  EXPECT_EQ(Target.GetColor(), clLime);
  EXPECT_EQ(Target.GetStyle(), FontStyle(fsBold) | FontStyle(fsItalic));
  EXPECT_EQ(Target.GetOrientation(), 900);
  Target.SetHeight(-13);
  EXPECT_EQ(Changes, 1); // same value: no notification
  Target.SetHeight(-14);
  EXPECT_EQ(Changes, 2);
  TPen Pen;
  EXPECT_THROW(Target.Assign(&Pen), EConvertError);
}

TEST(CanvasFontTest, ArialResolvesToAFaceOfTheSameMetrics) {
  gui::Application();
  TBitmap B(40, 20);
  TCanvas *C = B.Canvas();
  C->Font()->SetName("Arial");
  C->Font()->SetHeight(-11);
  QFont Q("Arial");
  QFontInfo Info(Q);
  EXPECT_EQ(Info.family().toStdString(), "Liberation Sans");
  TTextMetric M = C->TextRenderer().Metric(*C->Font());
  EXPECT_EQ(C->TextHeight("Xg"), M.Ascent + M.Descent);
  EXPECT_EQ(C->TextWidth("1024"), 24); // Arial's digits: 6 pixels at an 11-pixel em
  EXPECT_EQ(C->TextWidth("1024"), 4 * C->TextWidth("0"));
  // The text lies inside its cell in the font colour.
  C->Brush()->SetColor(clBlack);
  C->FillRect({0, 0, 40, 20});
  C->Font()->SetColor(clWhite);
  C->Brush()->SetStyle(bsClear);
  C->TextOut(2, 3, "Xg");
  TSize E = C->TextExtent("Xg");
  int Lit = 0;
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < 40; ++X) {
      TColor P = C->GetPixel(X, Y);
      if (P != clBlack) {
        ++Lit;
        EXPECT_EQ(P, clWhite) << X << "," << Y; // no grey edges
        EXPECT_TRUE(X >= 2 && X < 2 + E.cx && Y >= 3 && Y < 3 + E.cy) << X << "," << Y;
      }
    }
  EXPECT_GT(Lit, 10);
}

// Measurements are remembered per font: each change of face, size or style
// measures anew, and going back gives the first answers again.
TEST(CanvasFontTest, MeasurementsFollowEveryChangeOfTheFont) {
  gui::Application();
  TBitmap B(40, 20);
  TCanvas *C = B.Canvas();
  C->Font()->SetName("Arial");
  C->Font()->SetHeight(-11);
  const TSize Small = C->TextExtent("1024");
  EXPECT_EQ(Small.cx, 24);
  C->Font()->SetHeight(-22);
  const TSize Large = C->TextExtent("1024");
  EXPECT_GE(Large.cx, 2 * Small.cx - 2);
  EXPECT_GT(Large.cy, Small.cy);
  const int32_t Plain = C->TextWidth("mmmm");
  C->Font()->SetStyle(FontStyle(fsBold));
  EXPECT_GT(C->TextWidth("mmmm"), Plain);
  C->Font()->SetStyle(0);
  EXPECT_EQ(C->TextWidth("mmmm"), Plain);
  C->Font()->SetName("Courier New");
  EXPECT_EQ(C->TextWidth("iiii"), C->TextWidth("WWWW")); // a fixed pitch now
  C->Font()->SetName("Arial");
  C->Font()->SetHeight(-11);
  EXPECT_EQ(C->TextExtent("1024"), Small);
  EXPECT_LT(C->TextWidth("iiii"), C->TextWidth("WWWW"));
}

// A component publishing a font, a pen and a brush as controls do.
class TPaintHost : public TComponent {
  CLASSLIB_CLASS(TPaintHost)

public:
  explicit TPaintHost(TComponent *Owner) : TComponent(Owner) {}
  TFont *GetFont() { return &Font; }
  TPen *GetPen() { return &Pen; }
  TBrush *GetBrush() { return &Brush; }
  TFont Font;
  TPen Pen;
  TBrush Brush;
};

} // namespace

const TClassInfo &TPaintHost::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TPaintHost>(
      "TPaintHost", &TComponent::StaticClassInfo(), [](TClassBuilder<TPaintHost> &c) {
        c.Object("Font", &TPaintHost::GetFont);
        c.Object("Pen", &TPaintHost::GetPen);
        c.Object("Brush", &TPaintHost::GetBrush);
      });
  return info;
}

namespace {

TEST(CanvasFormTest, ColoursReadAndWriteByNameOrNumber) {
  TPaintHost *Host = CreateObject<TPaintHost>(nullptr);
  LoadFormText(Host, "object Host: TPaintHost\n"
                     "  Font.Color = clWhite\n"
                     "  Font.Height = -13\n"
                     "  Font.Name = 'Arial'\n"
                     "  Font.Style = [fsBold]\n"
                     "  Pen.Color = 4210752\n"
                     "  Pen.Mode = pmXor\n"
                     "  Brush.Style = bsClear\n"
                     "  Brush.Color = clBtnFace\n"
                     "end\n");
  EXPECT_EQ(Host->Font.GetColor(), clWhite);
  EXPECT_EQ(Host->Font.GetHeight(), -13);
  EXPECT_TRUE(Host->Font.HasStyle(fsBold));
  EXPECT_EQ(Host->Pen.GetColor(), 0x404040);
  EXPECT_EQ(Host->Pen.GetMode(), pmXor);
  EXPECT_EQ(Host->Brush.GetColor(), clBtnFace);
  EXPECT_EQ(Host->Brush.GetStyle(), bsClear); // a stored colour keeps a stored style
  Host->SetName("Host");
  std::string Text = WriteFormText(Host);
  EXPECT_NE(Text.find("Font.Color = clWhite"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Pen.Color = 4210752"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Brush.Color = clBtnFace"), std::string::npos) << Text;
  EXPECT_THROW(LoadFormText(Host, "object Host: TPaintHost\n  Font.Color = clPlaid\nend\n"),
               EReadError);
  FreeObject(Host);
}

TEST(CanvasBitmapTest, EmptyBitmapsDrawNothingAndResizingStartsAfresh) {
  gui::Application();
  TBitmap B(0, 0);
  TCanvas *C = B.Canvas();
  C->Pen()->SetColor(clRed);
  C->MoveTo(0, 0);
  C->LineTo(5, 5);
  C->Rectangle(0, 0, 4, 4);
  C->TextOut(0, 0, "x");
  C->DrawFocusRect({0, 0, 3, 3});
  EXPECT_EQ(C->GetPixel(0, 0), -1);
  B.SetSize(-5, 3);
  EXPECT_EQ(B.GetWidth(), 0);
  B.SetSize(6, 4);
  EXPECT_EQ(B.GetWidth(), 6);
  EXPECT_EQ(B.GetHeight(), 4);
  C->Brush()->SetColor(clBlue);
  C->FillRect({0, 0, 6, 4});
  EXPECT_EQ(C->GetPixel(5, 3), clBlue);
  // Another picture copied in, clipped to this one.
  TBitmap Small(3, 3);
  Small.Canvas()->Brush()->SetColor(clRed);
  Small.Canvas()->FillRect({0, 0, 3, 3});
  C->Draw(4, 2, Small.Image());
  EXPECT_EQ(C->GetPixel(4, 2), clRed);
  EXPECT_EQ(C->GetPixel(5, 3), clRed);
  EXPECT_EQ(C->GetPixel(3, 2), clBlue);
}

} // namespace
