#pragma once
// The marker shapes composed from their geometry, pixel by pixel or through
// the canvas's own ellipse and polygon: what the marker and channel-link
// picture tests compare the drawn shapes with.

#include <vector>

#include "platform/gui/Canvas.h"
#include "scope/SLMarkerShape.h"
#include "tests/support/Pictures.h"

// Pixels of a one-pixel line from (X0, Y0) towards (X1, Y1), the end left
// out: horizontal, vertical or at 45 degrees, as the shapes use.
inline void ShapeLine(TExpectedPicture &E, int X0, int Y0, int X1, int Y1, TColor C) {
  const int DX = (X1 > X0) - (X1 < X0), DY = (Y1 > Y0) - (Y1 < Y0);
  for (int X = X0, Y = Y0; X != X1 || Y != Y1; X += DX, Y += DY)
    E.Pixel(X, Y, C);
}

// One shape at the screen point (X, Y), h pixels from its centre to its
// edge, its tip moved back by g, as the shape table gives it. Filled shapes
// go through the canvas's own ellipse and polygon at the table's corners.
inline void ComposeShape(TExpectedPicture &E, TSLDisplayMarkerShape S, bool V, int X, int Y, int h,
                         int g, TColor Pen, TColor Brush) {
  const int L = X - h, T = Y - h, R = X + h + 1, B = Y + h + 1;
  TCanvas C(&E.Image());
  C.Pen()->SetColor(Pen);
  C.Brush()->SetColor(Brush);
  auto Poly = [&](std::vector<TPoint> P) {
    C.Polygon(P);
    C.Flush();
  };
  switch (S) {
  case msPoint:
    E.Pixel(X, Y, Pen);
    break;
  case msCircle:
    C.Ellipse(L, T, R, B);
    C.Flush();
    break;
  case msSquare:
    E.Fill(L, T, R, B, Brush);
    E.Frame(L, T, R, B, Pen);
    break;
  case msDiamond:
    Poly({{X, T}, {L, Y}, {X, B - 1}, {R - 1, Y}});
    break;
  case msPlus:
  case msCross:
  case msStar:
    if (S != msCross) {
      ShapeLine(E, X, T, X, B, Pen);
      ShapeLine(E, L, Y, R, Y, Pen);
    }
    if (S != msPlus) {
      ShapeLine(E, L, T, R, B, Pen);
      ShapeLine(E, R - 1, T, L - 1, B, Pen);
    }
    break;
  case msTriangleUp:
    if (!V)
      Poly({{X, Y - g}, {X - h, Y + 2 * h - g}, {X + h, Y + 2 * h - g}});
    else
      Poly({{X - g, Y}, {X + 2 * h - g, Y - h}, {X + 2 * h - g, Y + h}});
    break;
  case msTriangleDown:
    if (!V)
      Poly({{X, Y + g}, {X - h, Y - 2 * h + g}, {X + h, Y - 2 * h + g}});
    else
      Poly({{X + g, Y}, {X - 2 * h + g, Y - h}, {X - 2 * h + g, Y + h}});
    break;
  case msTriangleLeft:
    if (!V)
      Poly({{X - g, Y}, {X + 2 * h - g, Y - h}, {X + 2 * h - g, Y + h}});
    else
      Poly({{X, Y + g}, {X - h, Y - 2 * h + g}, {X + h, Y - 2 * h + g}});
    break;
  case msTriangleRight:
    if (!V)
      Poly({{X + g, Y}, {X - 2 * h + g, Y - h}, {X - 2 * h + g, Y + h}});
    else
      Poly({{X, Y - g}, {X - h, Y + 2 * h - g}, {X + h, Y + 2 * h - g}});
    break;
  case msHLine:
    if (!V)
      ShapeLine(E, L, Y, R, Y, Pen);
    else
      ShapeLine(E, X, T, X, B, Pen);
    break;
  case msVLine:
    if (!V)
      ShapeLine(E, X, T, X, B, Pen);
    else
      ShapeLine(E, L, Y, R, Y, Pen);
    break;
  }
}
