#include "scope/SLDataView.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "platform/classlib/ClassBuilder.h"
#include "scope/SLChannels.h"
#include "scope/SLHighlighting.h"

const TClassInfo &TSLScopeDataView::StaticClassInfo() {
  using C = TSLScopeDataView;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeDataView", &TSLDisplayView::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Integer("GridColor", &C::GetGridColor, &C::SetGridColor, 0x008000);
        c.Integer("ZeroGridColor", &C::GetZeroGridColor, &C::SetZeroGridColor, 0xFFFFFF);
      });
  return info;
}

TSLScopeDataView::TSLScopeDataView(ISLDataViewHost *Chart) : TSLDisplayView(Chart), FChart(Chart) {}

void TSLScopeDataView::SetGridColor(TColor Value) {
  if (Value == FGridColor)
    return;
  FGridColor = Value;
  InvalidateView();
}

void TSLScopeDataView::SetZeroGridColor(TColor Value) {
  if (Value == FZeroGridColor)
    return;
  FZeroGridColor = Value;
  InvalidateView();
}

bool TSLScopeDataView::InMouseZooming() { return FZoomDragging && FChart->GetZooming()->MouseZoom; }

void TSLScopeDataView::DrawUpLines(TCanvas *Canvas, bool IsZero, int32_t, bool IsMinor, double,
                                   int32_t Position) {
  if (IsMinor)
    return;
  Canvas->Pen()->SetColor(IsZero ? FZeroGridColor : FGridColor);
  Canvas->MoveTo(FRect.Left, Position);
  Canvas->LineTo(FRect.Right - 1, Position);
}

void TSLScopeDataView::DrawLeftLines(TCanvas *Canvas, bool IsZero, int32_t, bool IsMinor, double,
                                     int32_t Position) {
  if (IsMinor)
    return;
  Canvas->Pen()->SetColor(IsZero ? FZeroGridColor : FGridColor);
  Canvas->MoveTo(Position, FRect.Top);
  Canvas->LineTo(Position, FRect.Bottom - 1);
}

void TSLScopeDataView::Draw(TSLDisplayDrawPart, TCanvas *Canvas, bool Vertical, bool, double YMin,
                            double YMax, int32_t YOffset, double YFactor) {
  // The frame.
  Canvas->Brush()->SetColor(FChart->GetColor());
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Pen()->SetColor(FGridColor);
  Canvas->Rectangle(FRect);
  Canvas->Brush()->SetStyle(bsSolid);

  double ZMin = 0, ZMax = 0;
  FChart->GetXScaleZoomedRange(ZMin, ZMax);
  double Step = FChart->GetXStep();
  if (Step == 0)
    Step = 1.0;

  Canvas->SetFont(FChart->GetYAxisFont());
  const int32_t H = Canvas->TextHeight("Xg");

  // The Y grid at the Y axis's ticks.
  using namespace std::placeholders;
  if (Vertical) {
    const TSLTickLineProc Proc =
        std::bind(&TSLScopeDataView::DrawLeftLines, this, _1, _2, _3, _4, _5, _6);
    if (FChart->GetYAxisReversed()) {
      double SMin = 0, SMax = 0;
      FChart->GetYScaleZoomedRange(SMin, SMax);
      FChart->YRightTickLines(Proc, true, Canvas, H, true, SMin, SMax, SMin, SMax, YOffset,
                              YFactor);
    } else {
      FChart->YUpTickLines(Proc, true, Canvas, H, true, YMin, YMax, YOffset, YFactor);
    }
  } else {
    const TSLTickLineProc Proc =
        std::bind(&TSLScopeDataView::DrawUpLines, this, _1, _2, _3, _4, _5, _6);
    if (FChart->GetYAxisReversed())
      FChart->YDownTickLines(Proc, true, Canvas, H, true, YMin, YMax, YOffset, YFactor);
    else
      FChart->YUpTickLines(Proc, true, Canvas, H, true, YMin, YMax, YOffset, YFactor);
  }

  // The X grid at the X axis's step: no minor lines, no zero colour, and
  // never more than 400 lines, whatever the range and step.
  Canvas->Pen()->SetColor(FGridColor);
  double Span = ZMax - ZMin;
  if (Span == 0)
    Span = 0.00001;
  double V = std::nearbyint(ZMin / Step) * Step;
  for (int Lines = 0; Lines < 400 && V <= ZMax; ++Lines, V += Step) {
    if (V < ZMin)
      continue;
    if (Vertical) {
      const int32_t Y = SLRoundPixel(GetHeight() * (V - ZMin) / Span) + FRect.Top;
      Canvas->MoveTo(FRect.Left, Y);
      Canvas->LineTo(FRect.Right, Y);
    } else {
      const int32_t X = SLRoundPixel(GetWidth() * (V - ZMin) / Span) + FRect.Left;
      Canvas->MoveTo(X, FRect.Top);
      Canvas->LineTo(X, FRect.Bottom);
    }
  }
}

void TSLScopeDataView::DrawMouseSelction(TCanvas *Canvas) {
  if (!InMouseZooming())
    return;
  Canvas->Pen()->SetColor(FChart->GetZooming()->SelectionColor);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Rectangle(std::min(FDownPoint.X, FMousePoint.X), std::min(FDownPoint.Y, FMousePoint.Y),
                    std::max(FDownPoint.X, FMousePoint.X) + 1,
                    std::max(FDownPoint.Y, FMousePoint.Y) + 1);
}

void TSLScopeDataView::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TSLDisplayView::MouseMove(Shift, X, Y);
  // The axes' track marks follow the mouse.
  const bool XMoved = X != FMousePoint.X, YMoved = Y != FMousePoint.Y;
  if (FChart->GetIsVertical()) {
    if (YMoved)
      FChart->InvalidateXAxisView();
    if (XMoved)
      FChart->InvalidateYAxisView();
  } else {
    if (XMoved)
      FChart->InvalidateXAxisView();
    if (YMoved)
      FChart->InvalidateYAxisView();
  }
  FMousePoint = {X, Y};
  if (FZoomDragging || FItemDragging)
    Invalidate();
  HitTests();
}

TSLPlotArea TSLScopeDataView::GetPlotArea() {
  TSLPlotArea A;
  // The rectangle the items are drawn in: hits and drops then fall on the
  // pixels the paint used.
  A.Rect = GetDrawRect();
  A.Rect.Bottom -= 1;
  FChart->GetXDataZoomedRange(A.XMin, A.XMax);
  FChart->GetYDataZoomedRange(A.YMin, A.YMax);
  return A;
}

TSLDisplayChannel *TSLScopeDataView::GetHotChannel() const {
  return dynamic_cast<TSLDisplayChannel *>(FHotItem);
}

TSLDisplayCollectionItem *TSLScopeDataView::GetLegendHighlighted(TSLItemKind Kind) const {
  return Kind >= ikChannels && Kind <= ikCursorLinks ? FLegendHighlighted[Kind] : nullptr;
}

void TSLScopeDataView::SetLegendHighlighted(TSLItemKind Kind, TSLDisplayCollectionItem *Item) {
  if (Kind < ikChannels || Kind > ikCursorLinks || FLegendHighlighted[Kind] == Item)
    return;
  FLegendHighlighted[Kind] = Item;
  InvalidateView();
}

void TSLScopeDataView::ItemDestroyed(TSLDisplayCollectionItem *Item) {
  if (Item == nullptr)
    return;
  if (FHotItem == Item) {
    // The item is going; so is what was found on it.
    FHotItem = nullptr;
    FHotMarker = nullptr;
  }
  if (FHotMarker == Item)
    FHotMarker = nullptr;
  if (FPressedCursor == Item || FPressedCursorLink == Item) {
    FPressedCursor = FPressedCursor == Item ? nullptr : FPressedCursor;
    FPressedCursorLink = FPressedCursorLink == Item ? nullptr : FPressedCursorLink;
    FItemDragging = FPressedCursor != nullptr || FPressedCursorLink != nullptr;
  }
  for (TSLDisplayCollectionItem *&L : FLegendHighlighted)
    if (L == Item)
      L = nullptr;
}

void TSLScopeDataView::HitTests() {
  TSLDisplayCollectionItem *OldItem = FHotItem, *OldMarker = FHotMarker;
  IntHitTests();
  if (FHotItem != OldItem || FHotMarker != OldMarker)
    Invalidate();
}

TSLDisplayCollectionItem *TSLScopeDataView::HitItem(TSLItemKind Kind, const TSLPlotArea &Area,
                                                    int32_t X, int32_t Y, TSLHitParts &Parts,
                                                    TSLDisplayCollectionItem *&Marker) {
  TSLDisplayCollection *Items = FDisplay->GetItems(Kind);
  if (Items == nullptr)
    return nullptr;
  // The last created is drawn on top and wins.
  for (int32_t I = Items->Count() - 1; I >= 0; --I) {
    TSLDisplayCollectionItem *Item = Items->GetItem(I);
    Marker = nullptr;
    if (Item->PlotHitTest(Area, X, Y, Parts, Marker))
      return Item;
  }
  Marker = nullptr;
  return nullptr;
}

bool TSLScopeDataView::ChannelHit(int32_t X, int32_t Y, int32_t &ChannelIndex, TPoint &HitPoint,
                                  int32_t &BeginIndex, int32_t &EndIndex, TSLRealPoint &Value) {
  TSLDisplayChannels *Channels = FChart->GetHitChannels();
  if (Channels == nullptr)
    return false;
  double Fraction = 0;
  if (!Channels->HitTest(X, Y, ChannelIndex, HitPoint, Fraction, BeginIndex, EndIndex))
    return false;
  TSLDisplayChannel *Channel = Channels->GetItem(ChannelIndex);
  // The pixels are the last paint's; new data may have come since with
  // fewer samples, and a hit past the data has no value.
  const ISLRealBufferPtr &DY = Channel->GetDrawY();
  const ISLRealBufferPtr &DX = Channel->GetDrawX();
  const uint32_t NY = DY->GetSize(), NX = DX->GetSize();
  if (BeginIndex < 0 || EndIndex < 0 || uint32_t(BeginIndex) >= NY || uint32_t(EndIndex) >= NY)
    return false;
  auto XAt = [&](int32_t I) { return uint32_t(I) < NX ? DX->Read()[I] : double(I); };
  const double *Y0 = DY->Read();
  if (BeginIndex == EndIndex) {
    Value = {XAt(BeginIndex), Y0[BeginIndex]};
  } else {
    const double XA = XAt(BeginIndex), XB = XAt(EndIndex);
    Value = {XA + (XB - XA) * Fraction,
             Y0[BeginIndex] + (Y0[EndIndex] - Y0[BeginIndex]) * Fraction};
  }
  return true;
}

void TSLScopeDataView::IntHitTests() {
  if (FItemDragging) {
    FHotItem = nullptr;
    FHotMarker = nullptr;
    return;
  }
  TSLDisplayCollectionItem *Old = FHotItem;
  const bool WasChannel = GetHotChannel() != nullptr;
  FHotItem = nullptr;
  FHotMarker = nullptr;
  TSLDisplayHighlighting *H = FChart->GetHighlighting();
  const int32_t X = FMousePoint.X, Y = FMousePoint.Y;
  if (H != nullptr && PtInRect(GetDrawRect(), {X, Y}) && !FZoomDragging) {
    const TSLPlotArea Area = GetPlotArea();
    TSLDisplayCollectionItem *Marker = nullptr;
    TSLHitParts Parts;
    if (H->GetCursors()->GetMouseHighlighting())
      if ((FHotItem = HitItem(ikCursors, Area, X, Y, Parts, Marker)) != nullptr)
        FCursorHitParts = Parts;
    if (FHotItem == nullptr && H->GetCursorLinks()->GetMouseHighlighting())
      if ((FHotItem = HitItem(ikCursorLinks, Area, X, Y, Parts, Marker)) != nullptr)
        FLinkHitParts = Parts;
    if (FHotItem == nullptr && H->GetMarkers()->GetMouseHighlighting())
      if ((FHotItem = HitItem(ikMarkerGroups, Area, X, Y, Parts, Marker)) != nullptr &&
          H->GetMarkers()->GetHiglightFromMouse())
        FHotMarker = Marker;
    int32_t ChannelIndex = 0, BeginIndex = 0, EndIndex = 0;
    TPoint HitPoint;
    TSLRealPoint Value;
    if (FHotItem == nullptr &&
        (H->GetChannels()->GetMouseHighlighting() || H->GetMouseHitPoint()->GetEnabled()) &&
        ChannelHit(X, Y, ChannelIndex, HitPoint, BeginIndex, EndIndex, Value)) {
      FHitPoint = HitPoint;
      FHitValue = Value;
      FHotItem = FChart->GetHitChannels()->GetItem(ChannelIndex);
      // A leave always follows an over: another channel's first.
      if (WasChannel && Old != FHotItem)
        FChart->DoLeaveChannel();
      FChart->DoOverChannel(ChannelIndex, BeginIndex, EndIndex, Value);
      if (H->GetMouseHitPoint()->GetEnabled())
        InvalidateView();
      return;
    }
  }
  if (WasChannel)
    FChart->DoLeaveChannel();
}

void TSLScopeDataView::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                                 bool InView) {
  if (Button != mbLeft || !InView)
    return;
  FDownPoint = {X, Y};
  FMousePoint = {X, Y};
  const TSLPlotArea Area = GetPlotArea();
  TSLDisplayCollectionItem *Marker = nullptr;
  TSLHitParts Parts;
  if ((FPressedCursor = HitItem(ikCursors, Area, X, Y, Parts, Marker)) != nullptr) {
    FCursorHitParts = Parts;
    FPressedCursor->PlotMouseDown(Button, Shift, X, Y, InView);
    FItemDragging = true;
    Invalidate();
    return;
  }
  if ((FPressedCursorLink = HitItem(ikCursorLinks, Area, X, Y, Parts, Marker)) != nullptr) {
    FLinkHitParts = Parts;
    FPressedCursorLink->PlotMouseDown(Button, Shift, X, Y, InView);
    FItemDragging = true;
    Invalidate();
    return;
  }
  bool Handled = false;
  TSLDisplayChannels *Channels = FChart->GetHitChannels();
  int32_t ChannelIndex = 0, BeginIndex = 0, EndIndex = 0;
  TPoint HitPoint;
  TSLRealPoint Value;
  if (Channels != nullptr && Channels->OnClick &&
      ChannelHit(X, Y, ChannelIndex, HitPoint, BeginIndex, EndIndex, Value))
    Channels->OnClick(FChart->GetChartObject(), ChannelIndex, BeginIndex, EndIndex, Value, Handled);
  if (!Handled)
    FZoomDragging = true;
}

void TSLScopeDataView::MouseUp(TMouseButton Button, TShiftState, int32_t X, int32_t Y, bool) {
  if (Button != mbLeft)
    return;
  if (FItemDragging) {
    FItemDragging = false;
    Invalidate();
    const TSLPlotArea Area = GetPlotArea();
    // Released before moving: an item the move deletes is not touched again.
    if (TSLDisplayCollectionItem *Cursor = FPressedCursor) {
      FPressedCursor = nullptr;
      Cursor->PlotMoveTo(FCursorHitParts, Area, X, Y);
      Invalidate();
    } else if (TSLDisplayCollectionItem *Link = FPressedCursorLink) {
      FPressedCursorLink = nullptr;
      Link->PlotMoveTo(FLinkHitParts, Area, X, Y);
      Invalidate();
    }
    return;
  }
  if (!FZoomDragging)
    return;
  FZoomDragging = false;
  FMousePoint = {X, Y};
  if (!FChart->GetZooming()->MouseZoom)
    return;
  if (std::abs(FDownPoint.X - FMousePoint.X) < 5 && std::abs(FDownPoint.Y - FMousePoint.Y) < 5) {
    InvalidateRecalc();
    return;
  }
  ApplyRectangleZoom();
}

void TSLScopeDataView::ApplyRectangleZoom() {
  const TRect R = GetDrawRect();
  const bool Vertical = FChart->GetIsVertical();
  // Along X and along Y: the smaller and larger mouse coordinates and the
  // view's ends in that direction.
  int32_t A0 = std::min(FDownPoint.X, FMousePoint.X), A1 = std::max(FDownPoint.X, FMousePoint.X);
  int32_t B0 = std::min(FDownPoint.Y, FMousePoint.Y), B1 = std::max(FDownPoint.Y, FMousePoint.Y);
  int32_t XLo = R.Left, XHi = R.Right, YLo = R.Top, YHi = R.Bottom;
  int32_t Extent = GetHeight();
  if (Vertical) {
    std::swap(A0, B0);
    std::swap(A1, B1);
    std::swap(XLo, YLo);
    std::swap(XHi, YHi);
    Extent = GetWidth();
  }
  if (XHi == XLo || YHi == YLo)
    return;

  double XMin = 0, XMax = 0, YMin = 0, YMax = 0;
  FChart->GetXDataZoomedRange(XMin, XMax);
  FChart->GetYDataZoomedRange(YMin, YMax);
  const double HX = (XMax - XMin) / (XHi - XLo);
  const double NewXMin = XMin + (A0 - XLo) * HX;
  const double NewXMax = XMax + (A1 - XHi + 1) * HX;

  double NewYMin = 0, NewYMax = 0;
  const bool Reversed = FChart->GetYAxisReversed();
  if (!FChart->GetYAxisLogarithmic()) {
    const double V = (YMax - YMin) / (YHi - YLo);
    if (!Reversed) {
      NewYMax = YMax - (B0 - YLo) * V;
      NewYMin = YMin - (B1 - YLo - Extent + 1) * V;
    } else {
      NewYMax = YMax - (YHi - B0) * V;
      NewYMin = YMin - (YLo - B1) * V;
    }
  } else {
    const double A = SLLog10a(YMin), B = SLLog10a(YMax);
    // The pixel distance of value 0 from the top: at either end the
    // rectangle cannot be mapped, and nothing happens.
    const int32_t O = SLRoundPixel(Extent * B / (B - A));
    if (O == 0 || O == Extent)
      return;
    if (!Reversed) {
      NewYMax = SLPow10a(B * (O + YLo - B0) / O);
      NewYMin = SLPow10a((B1 - O - YLo + 1) * A / (Extent - O));
    } else {
      NewYMax = SLPow10a(B * (O + B0 - YHi) / O);
      NewYMin = SLPow10a((YHi - B1 - O + 1) * A / (Extent - O));
    }
  }
  FChart->ZoomTo(NewXMin, NewXMax, NewYMin, NewYMax);
  if (FChart->GetZooming()->HoldOnZoom)
    FChart->SetHold(true);
  FChart->ZoomChangedByRectangle();
}

void TSLScopeDataView::MouseLeave() {
  TSLDisplayView::MouseLeave();
  const bool WasChannel = GetHotChannel() != nullptr;
  const bool Changed = FHotItem != nullptr || FHotMarker != nullptr ||
                       FLegendHighlighted[ikChannels] || FLegendHighlighted[ikCursors] ||
                       FLegendHighlighted[ikCursorLinks];
  // The marker group keeps its legend light.
  FLegendHighlighted[ikChannels] = nullptr;
  FLegendHighlighted[ikCursors] = nullptr;
  FLegendHighlighted[ikCursorLinks] = nullptr;
  FHotItem = nullptr;
  FHotMarker = nullptr;
  FMousePoint.X = -1000;
  // An over is always closed by a leave, also when the mouse leaves the
  // control from a curve.
  if (WasChannel)
    FChart->DoLeaveChannel();
  if (Changed)
    Invalidate();
}

void TSLScopeDataView::MouseEnter() {
  TSLDisplayView::MouseEnter();
  FMousePoint = FChart->GetMouseClientPos();
}
