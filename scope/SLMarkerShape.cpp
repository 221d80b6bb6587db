#include "scope/SLMarkerShape.h"

#include "platform/gui/Canvas.h"

void SLDrawMarkerShape(TCanvas *Canvas, TSLDisplayMarkerShape Shape, int32_t X, int32_t Y,
                       const TSLMarkerShapeStyle &Style) {
  const int32_t g = Style.Grow, h = Style.Size + g;
  const bool V = Style.Vertical;
  const int32_t L = X - h, T = Y - h, R = X + h + 1, B = Y + h + 1;
  auto Line = [Canvas](int32_t X0, int32_t Y0, int32_t X1, int32_t Y1) {
    Canvas->MoveTo(X0, Y0);
    Canvas->LineTo(X1, Y1);
  };
  // A triangle with its tip at the point (moved back by g) and its base 2h
  // away, along screen X (AlongX) or screen Y; Sign 1 puts the base on the
  // greater side.
  auto Triangle = [&](bool AlongX, int32_t Sign) {
    const int32_t Tip = -Sign * g, Base = Sign * (2 * h - g);
    if (AlongX)
      Canvas->Polygon({{X + Tip, Y}, {X + Base, Y - h}, {X + Base, Y + h}});
    else
      Canvas->Polygon({{X, Y + Tip}, {X - h, Y + Base}, {X + h, Y + Base}});
  };
  switch (Shape) {
  case msPoint:
    Canvas->SetPixel(X, Y, Canvas->Pen()->GetColor());
    break;
  case msCircle:
    Canvas->Ellipse(L, T, R, B);
    break;
  case msSquare:
    Canvas->Rectangle(L, T, R, B);
    break;
  case msDiamond:
    Canvas->Polygon({{X, T}, {L, Y}, {X, B - 1}, {R - 1, Y}});
    break;
  case msPlus:
  case msCross:
  case msStar:
    if (Shape != msCross) {
      Line(X, T, X, B);
      Line(L, Y, R, Y);
    }
    if (Shape != msPlus) {
      Line(L, T, R, B);
      Line(R - 1, T, L - 1, B);
    }
    break;
  case msTriangleUp:
    Triangle(V, 1);
    break;
  case msTriangleDown:
    Triangle(V, -1);
    break;
  case msTriangleLeft:
    Triangle(!V, V ? -1 : 1);
    break;
  case msTriangleRight:
    Triangle(!V, V ? 1 : -1);
    break;
  case msHLine:
  case msVLine:
    if (!Style.Lines)
      break;
    if ((Shape == msHLine) != V)
      Line(L, Y, R, Y);
    else
      Line(X, T, X, B);
    break;
  }
}
