#include "scope/SLCursors.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/classlib/ClassBuilder.h"
#include "scope/SLChannelLinks.h"
#include "scope/SLChannels.h"
#include "scope/SLCursorLinks.h"
#include "scope/SLHighlighting.h"
#include "scope/SLOptionalAxis.h"

namespace {

const std::vector<std::string> CursorKindNames = {"ckVertical", "ckHorizontal", "ckBoth"};

constexpr TColor HotColor = 0x008000;
constexpr TColor PressedColor = 0x008080;

// A pixel far outside the plot is drawn just outside it: the clip hides it
// either way, and the canvas never walks a line billions of pixels long.
int32_t Drawable(int32_t P, int32_t Lo, int32_t Hi) { return std::clamp(P, Lo - 16, Hi + 16); }

// Within 3 pixels either side of a line at P.
bool Near(int32_t P, int32_t Mouse) { return int64_t(P) - 3 < Mouse && Mouse < int64_t(P) + 3; }

} // namespace

// ---------------------------------------------------------------------------
// Geometry

double TSLCursorGeometry::XRange() const {
  const double R = XMax - XMin;
  return R == 0 ? 0.00001 : R;
}

double TSLCursorGeometry::YRange() const {
  const double R = YMax - YMin;
  return R == 0 ? 0.00001 : R;
}

int32_t TSLCursorGeometry::XPixel(double X) const {
  const int32_t Lo = Vertical ? Rect.Top : Rect.Left;
  const int32_t E = (Vertical ? Rect.Bottom - Rect.Top : Rect.Right - Rect.Left) - 1;
  return Lo + SLRoundPixel((X - XMin) * E / XRange());
}

double TSLCursorGeometry::XValue(int32_t Mouse) const {
  const int32_t Lo = Vertical ? Rect.Top : Rect.Left;
  const int32_t E = std::max((Vertical ? Rect.Bottom - Rect.Top : Rect.Right - Rect.Left) - 1, 1);
  return XMin + XRange() * (Mouse - Lo) / E;
}

int32_t TSLCursorGeometry::YPixel(double Y) const {
  const int32_t Lo = Vertical ? Rect.Left : Rect.Top;
  const int32_t E = Vertical ? Rect.Right - Rect.Left : Rect.Bottom - Rect.Top;
  return Lo + SLRoundPixel((Reversed ? Y - YMin : YMax - Y) * E / YRange());
}

double TSLCursorGeometry::YValue(int32_t Mouse) const {
  const int32_t Lo = Vertical ? Rect.Left : Rect.Top;
  const int32_t E = std::max(Vertical ? Rect.Right - Rect.Left : Rect.Bottom - Rect.Top, 1);
  const double D = Reversed ? double(Lo) + E - Mouse : double(Mouse) - Lo;
  return YMax - D * YRange() / E;
}

TSLCursorGeometry SLCursorGeometry(ISLCursorChart *Chart, const TRect &Rect, double XMin,
                                   double XMax, double YMin, double YMax) {
  TSLCursorGeometry G;
  G.Rect = Rect;
  G.XMin = XMin;
  G.XMax = XMax;
  G.YMin = YMin;
  G.YMax = YMax;
  if (Chart) {
    G.Vertical = Chart->CursorVertical();
    G.Reversed = Chart->CursorYReversed();
  }
  return G;
}

double SLWithinXRange(ISLCursorChart *Chart, double Value) {
  if (Chart == nullptr)
    return Value;
  double Min = 0, Max = 0;
  Chart->CursorXDataRange(Min, Max);
  if (Value > Max)
    Value = Max;
  if (Value < Min)
    Value = Min;
  return Value;
}

// ---------------------------------------------------------------------------
// Link list

void TSLDisplayCursorLinkList::Remove(TSLDisplayCursorLink *Link) {
  auto It = std::find(FItems.begin(), FItems.end(), Link);
  if (It != FItems.end())
    FItems.erase(It);
}

// ---------------------------------------------------------------------------
// Position

const TClassInfo &TSLDisplayCursorPosition::StaticClassInfo() {
  using C = TSLDisplayCursorPosition;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayCursorPosition", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Float("X", &C::GetX, &C::SetX);
        c.Float("Y", &C::GetY, &C::SetY);
      });
  return info;
}

ISLCursorChart *TSLDisplayCursorPosition::Chart() const {
  return FCursor ? FCursor->GetChart() : nullptr;
}

double TSLDisplayCursorPosition::GetX() { return SLWithinXRange(Chart(), FX); }

void TSLDisplayCursorPosition::SetX(double Value) {
  if (std::isnan(Value))
    return;
  // The lower limit is the data's own: X ranges may start below 0.
  if (ISLCursorChart *C = Chart())
    Value = C->CursorAlignX(SLWithinXRange(C, Value));
  if (Value == FX || std::isnan(Value))
    return;
  FX = Value;
  if (FCursor)
    FCursor->InvalidateItem();
}

void TSLDisplayCursorPosition::SetY(double Value) {
  if (!std::isfinite(Value))
    return;
  if (ISLCursorChart *C = Chart())
    Value = C->CursorAlignY(Value);
  if (Value == FY || !std::isfinite(Value))
    return;
  FY = Value;
  if (FCursor)
    FCursor->InvalidateItem();
}

void TSLDisplayCursorPosition::Assign(TPersistent *Source) {
  if (auto *P = dynamic_cast<TSLDisplayCursorPosition *>(Source)) {
    SetX(P->FX);
    SetY(P->FY);
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// Cursor

const TClassInfo &TSLDisplayCursor::StaticClassInfo() {
  using C = TSLDisplayCursor;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLDisplayCursor", &TSLOptionalDisplayCollectionItem::StaticClassInfo(),
                       [](TClassBuilder<C> &c) {
                         c.Object("Position", &C::GetPosition, &C::SetPosition);
                         c.Integer("Color", &C::GetColor, &C::SetColor);
                         c.Object("Channels", &C::GetChannels, &C::SetChannels);
                         c.Enumeration("Kind", &C::GetKind, &C::SetKind, CursorKindNames);
                         c.Event("OnClick", &C::OnClick);
                         c.Event("OnMouseDown", &C::OnMouseDown);
                         c.Event("OnMouseUp", &C::OnMouseUp);
                       });
  return info;
}

namespace {
ISLCursorChart *ChartOf(TCollection *Collection) {
  auto *Cursors = dynamic_cast<TSLDisplayCursors *>(Collection);
  return Cursors ? Cursors->GetChart() : nullptr;
}
} // namespace

TSLDisplayCursor::TSLDisplayCursor(TCollection *Collection)
    : TSLOptionalDisplayCollectionItem(Collection), FChart(ChartOf(Collection)),
      FChannels(CreateObject<TSLDisplayChannelLinks>(this, FChart)) {}

void TSLDisplayCursor::AfterConstruction() {
  TSLOptionalDisplayCollectionItem::AfterConstruction();
  FName = "Cursor" + std::to_string(Collection() ? Collection()->Count() : 0);
}

TSLDisplayCursor::~TSLDisplayCursor() { ReleaseLinks(); }

void TSLDisplayCursor::ReleaseLinks() {
  while (FCursorLinks.GetCount() > 0) {
    TSLDisplayCursorLink *Link = FCursorLinks.GetItem(0);
    const int32_t Before = FCursorLinks.GetCount();
    Link->RemoveCursor(this);
    if (FCursorLinks.GetCount() == Before)
      FCursorLinks.Remove(Link);
  }
}

void TSLDisplayCursor::SetPosition(TSLDisplayCursorPosition *Value) {
  if (Value != nullptr)
    FPosition.Assign(Value);
}

void TSLDisplayCursor::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  InvalidateItem();
}

void TSLDisplayCursor::SetKind(TSLDisplayCursorKind Value) {
  if (Value == FKind)
    return;
  FKind = Value;
  InvalidateItem();
}

void TSLDisplayCursor::SetChannels(TSLDisplayChannelLinks *Value) {
  if (Value != nullptr && Value != FChannels.get())
    FChannels->Assign(Value);
}

void TSLDisplayCursor::PopulateLinks() {
  for (int32_t I = 0; I < FCursorLinks.GetCount(); ++I)
    FCursorLinks.GetItem(I)->PopulateLink();
}

bool TSLDisplayCursor::IsHot() {
  if (FChart == nullptr)
    return false;
  TSLDisplayCollectionItem *Legend = FChart->CursorLegendItem(ikCursors);
  return (Legend ? Legend : FChart->CursorHotItem()) == this;
}

bool TSLDisplayCursor::IsPressed() {
  return FChart != nullptr && FChart->CursorPressed(ikCursors) == this;
}

bool TSLDisplayCursor::GetHighlighted() {
  if (FChart == nullptr)
    return false;
  TSLDisplayHighlighting *H = FChart->CursorHighlighting();
  return H != nullptr && H->GetCursors()->GetHiglightLegendButton() &&
         (FChart->CursorHotItem() == this || IsPressed());
}

void TSLDisplayCursor::SetHighlighted(bool Value) {
  if (FChart == nullptr)
    return;
  TSLDisplayHighlighting *H = FChart->CursorHighlighting();
  if (!Value)
    FChart->SetCursorLegendItem(ikCursors, nullptr);
  else if (H != nullptr && H->GetCursors()->GetHiglightFromLegend())
    FChart->SetCursorLegendItem(ikCursors, this);
}

bool TSLDisplayCursor::GetMouseDown() { return IsPressed(); }

void TSLDisplayCursor::InvalidateItem() {
  if (FDisplay)
    FDisplay->InvalidateRecalc();
}

void TSLDisplayCursor::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                                 bool) {
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
  if (OnClick)
    OnClick(this);
}

void TSLDisplayCursor::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool) {
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

TSLCursorGeometry TSLDisplayCursor::Geometry(const TRect &Rect, double XMin, double XMax,
                                             double YMin, double YMax) {
  return SLCursorGeometry(FChart, Rect, XMin, XMax, YMin, YMax);
}

double TSLDisplayCursor::DragX(const TSLCursorGeometry &G, int32_t Mouse) {
  const double V = SLWithinXRange(FChart, G.XValue(Mouse));
  return FChart ? FChart->CursorAlignX(V) : V;
}

double TSLDisplayCursor::DragY(const TSLCursorGeometry &G, int32_t Mouse) {
  const double V = G.YValue(Mouse);
  return FChart ? FChart->CursorAlignY(V) : V;
}

void TSLDisplayCursor::DrawHighlight(TCanvas *Canvas, const TSLCursorGeometry &G, bool VLine,
                                     TSLHitParts Hits) {
  if (VLine ? !HasVLine() : !HasHLine())
    return;
  const bool Pressed = IsPressed();
  if (!Pressed && !IsHot())
    return;
  const TRect &R = G.Rect;
  TSLDisplayHighlighting *H = FChart->CursorHighlighting();
  const bool LineHit = VLine ? Hits.First : Hits.Second;
  TColor Colour = Pressed ? PressedColor : HotColor;
  if (LineHit && H != nullptr)
    Colour = H->GetCursors()->GetColor();
  Canvas->Pen()->SetWidth(3);
  Canvas->Pen()->SetColor(Colour);
  if (VLine) {
    const int32_t P = G.XPixel(FPosition.GetX());
    if (G.Vertical) {
      const int32_t Y = Drawable(P, R.Top, R.Bottom);
      Canvas->MoveTo(R.Left + 1, Y);
      Canvas->LineTo(R.Right, Y);
    } else {
      const int32_t X = Drawable(P, R.Left, R.Right);
      Canvas->MoveTo(X, R.Top + 1);
      Canvas->LineTo(X, R.Bottom);
    }
  } else {
    const int32_t P = G.YPixel(FPosition.GetY());
    if (G.Vertical) {
      const int32_t X = Drawable(P, R.Left, R.Right);
      Canvas->MoveTo(X, R.Top - 1);
      Canvas->LineTo(X, R.Bottom + 1);
    } else {
      const int32_t Y = Drawable(P, R.Top, R.Bottom);
      Canvas->MoveTo(R.Left - 1, Y);
      Canvas->LineTo(R.Right + 1, Y);
    }
  }
  Canvas->Pen()->SetWidth(1);
}

void TSLDisplayCursor::Draw(TCanvas *Canvas, const TRect &Rect, double XMin, double XMax,
                            double YMin, double YMax) {
  if (!IsVisible())
    return;
  const TSLCursorGeometry G = Geometry(Rect, XMin, XMax, YMin, YMax);
  // A cursor lit from the legend shows as if the mouse were on both lines.
  TSLHitParts Hits;
  if (FChart != nullptr)
    Hits = FChart->CursorLegendItem(ikCursors) != nullptr ? TSLHitParts{true, true}
                                                          : FChart->CursorHitParts(ikCursors);
  // The hit line's highlight goes on top.
  if (FChart != nullptr) {
    DrawHighlight(Canvas, G, !Hits.First, Hits);
    DrawHighlight(Canvas, G, Hits.First, Hits);
  }
  Canvas->Pen()->SetStyle(psSolid);
  if (HasVLine())
    DrawLine(Canvas, G, true, Hits);
  if (HasHLine())
    DrawLine(Canvas, G, false, Hits);
}

void TSLDisplayCursor::DrawCrossings(TCanvas *Canvas, bool VLine, double Value, bool Trail) {
  if (FChart == nullptr)
    return;
  for (int32_t I = 0; I < FChannels->Count(); ++I) {
    TSLDisplayChannelLink *Link = FChannels->GetItem(I);
    auto *Channel = dynamic_cast<TSLScopeChannel *>(Link->GetChannel());
    if (Channel == nullptr || !Channel->IsVisible())
      continue;
    const TSLCrossingProc Each = [&](int32_t SX, int32_t SY, double XV, double YV) {
      Link->Draw(Canvas, Trail, XV, YV, SX, SY, VLine ? "%Y" : "%X");
    };
    if (VLine)
      SLCalcVIntersections(Channel, Value, Each);
    else
      SLCalcHIntersections(
          Channel, Value, [this](double P) { return FChart->CursorSampleToScale(P); }, Each);
  }
}

namespace {

// A line across the plot at P along one direction: X pixels give vertical
// lines in normal display, Y pixels horizontal ones.
void LineAt(TCanvas *Canvas, bool Across, int32_t P, int32_t From, int32_t To) {
  if (Across) {
    Canvas->MoveTo(P, From);
    Canvas->LineTo(P, To);
  } else {
    Canvas->MoveTo(From, P);
    Canvas->LineTo(To, P);
  }
}

} // namespace

void TSLDisplayCursor::DrawLine(TCanvas *Canvas, const TSLCursorGeometry &G, bool VLine,
                                TSLHitParts Hits) {
  const TRect &R = G.Rect;
  const bool V = G.Vertical;
  // The line runs down the screen (Across) for the vertical line in normal
  // display and for the horizontal one in vertical display. Vertical lines
  // in normal display run T+1..B and horizontal ones L+1..R-1; in vertical
  // display the X line runs across L+1..R and the Y line down T+1..B.
  const bool Across = VLine != V;
  const int32_t Lo = Across ? R.Left : R.Top, Hi = Across ? R.Right : R.Bottom;
  const int32_t From = Across ? R.Top + 1 : R.Left + 1;
  const int32_t To = Across ? R.Bottom : (VLine ? R.Right : R.Right - 1);
  auto Pixel = [&](double Value) {
    return Drawable(VLine ? G.XPixel(Value) : G.YPixel(Value), Lo, Hi);
  };
  Canvas->Pen()->SetColor(FColor);
  Canvas->Pen()->SetWidth(1);
  const double Value = VLine ? FPosition.GetX() : FPosition.GetY();
  const int32_t P = Pixel(Value);
  LineAt(Canvas, Across, P, From, To);
  DrawCrossings(Canvas, VLine, Value, false);

  if (!(IsPressed() && (VLine ? Hits.First : Hits.Second)) || FChart == nullptr)
    return;
  // The trail: where the drag would put the line, the connector from the
  // line at the mouse, and the difference.
  const TPoint M = FChart->CursorMouse();
  const int32_t Mouse = Across ? M.X : M.Y;
  const double Value2 = VLine ? DragX(G, Mouse) : DragY(G, Mouse);
  TSLDisplayTrails *Trails = FChart->CursorTrails();
  Canvas->Pen()->SetStyle(psDot);
  if (Trails)
    Canvas->Pen()->SetColor(Trails->GetColor());
  const int32_t P2 = Pixel(Value2);
  LineAt(Canvas, Across, P2, From, To);
  DrawCrossings(Canvas, VLine, Value2, true);
  if (Value2 != Value) {
    if (!(Hits.First && Hits.Second))
      LineAt(Canvas, !Across, Across ? M.Y : M.X, P, P2);
    const std::string Text =
        VLine ? FChart->CursorXTickText(Value2 - Value) : FChart->CursorYTickText(Value2 - Value);
    if (Trails)
      Canvas->SetFont(Trails->GetFont());
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FChart->CursorBackColor());
    const int32_t Mid = (P + P2) / 2;
    if (Across)
      Canvas->TextOut(Mid - Canvas->TextWidth(Text) / 2, M.Y - Canvas->TextHeight(Text), Text);
    else
      Canvas->TextOut(M.X + 5, Mid - Canvas->TextHeight("Xg") / 2, Text);
  }
  Canvas->Pen()->SetStyle(psSolid);
}

bool TSLDisplayCursor::HitTest(bool &VHit, bool &HHit, int32_t X, int32_t Y, const TRect &Rect,
                               double XMin, double XMax, double YMin, double YMax) {
  VHit = HHit = false;
  if (!IsVisible())
    return false;
  const TSLCursorGeometry G = Geometry(Rect, XMin, XMax, YMin, YMax);
  // Along the X direction and along the Y direction.
  const int32_t AlongX = G.Vertical ? Y : X, AlongY = G.Vertical ? X : Y;
  if (HasVLine())
    VHit = Near(G.XPixel(FPosition.GetX()), AlongX);
  if (HasHLine())
    HHit = Near(G.YPixel(FPosition.GetY()), AlongY);
  return VHit || HHit;
}

void TSLDisplayCursor::MoveTo(bool MoveY, bool MoveX, int32_t X, int32_t Y, const TRect &Rect,
                              double XMin, double XMax, double YMin, double YMax) {
  const TSLCursorGeometry G = Geometry(Rect, XMin, XMax, YMin, YMax);
  const int32_t AlongX = G.Vertical ? Y : X, AlongY = G.Vertical ? X : Y;
  const TSLRealPoint Old{FPosition.GetX(), FPosition.GetY()};
  TSLRealPoint New = Old;
  // A line dropped on the pixel it already has keeps its value: a click
  // without a drag must not nudge it to whatever that pixel stands for.
  if (MoveX && G.XPixel(Old.X) != AlongX)
    New.X = G.XValue(AlongX);
  if (MoveY && G.YPixel(Old.Y) != AlongY)
    New.Y = G.YValue(AlongY);
  if (New.X == Old.X && New.Y == Old.Y)
    return;
  FPosition.SetX(New.X);
  FPosition.SetY(New.Y);
  auto *Cursors = dynamic_cast<TSLDisplayCursors *>(Collection());
  if (Cursors && Cursors->OnPositionChange)
    Cursors->OnPositionChange(FChart ? FChart->CursorSender() : nullptr, Index(), Old, New);
}

bool TSLDisplayCursor::PlotHitTest(const TSLPlotArea &Area, int32_t X, int32_t Y,
                                   TSLHitParts &Parts, TSLDisplayCollectionItem *&) {
  return HitTest(Parts.First, Parts.Second, X, Y, Area.Rect, Area.XMin, Area.XMax, Area.YMin,
                 Area.YMax);
}

void TSLDisplayCursor::PlotMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                                     bool InView) {
  MouseDown(Button, Shift, X, Y, InView);
}

void TSLDisplayCursor::PlotMoveTo(const TSLHitParts &Parts, const TSLPlotArea &Area, int32_t X,
                                  int32_t Y) {
  MoveTo(Parts.Second, Parts.First, X, Y, Area.Rect, Area.XMin, Area.XMax, Area.YMin, Area.YMax);
}

// ---------------------------------------------------------------------------
// Collection

TSLDisplayCursors::TSLDisplayCursors(TPersistent *Owner, ISLCursorChart *Chart)
    : TSLOptionalDisplayCollection(Owner, &TSLDisplayCursor::StaticClassInfo(),
                                   Chart ? Chart->CursorDisplay() : nullptr),
      FChart(Chart) {}

TSLDisplayCursor *TSLDisplayCursors::GetItem(int32_t Index) const {
  return static_cast<TSLDisplayCursor *>(Items(Index));
}

void TSLDisplayCursors::SetItem(int32_t Index, TSLDisplayCursor *Item) {
  Items(Index)->Assign(Item);
}

TSLDisplayCursor *TSLDisplayCursors::Add() {
  return static_cast<TSLDisplayCursor *>(TSLOptionalDisplayCollection::Add());
}

void TSLDisplayCursors::Notify(TCollectionItem *Item, TCollectionNotification Action) {
  if (Action != cnAdded)
    static_cast<TSLDisplayCursor *>(Item)->ReleaseLinks();
  TSLOptionalDisplayCollection::Notify(Item, Action);
}

void TSLDisplayCursors::Update(TCollectionItem *) {
  if (GetDisplay())
    GetDisplay()->Invalidate();
}

void TSLDisplayCursors::NewItemCreated(TCollectionItem *Item) {
  TSLOptionalDisplayCollection::NewItemCreated(Item);
  auto *Cursor = static_cast<TSLDisplayCursor *>(Item);
  Cursor->SetColor(GetNewColor(SLDisplayItemColors));
  if (GetDisplay())
    GetDisplay()->InvalidateRecalc();
}

TColor TSLDisplayCursors::GetNewColor(std::span<const TColor> Palette) const {
  return SLLeastUsedColor(Palette, [this](TColor C) { return GetCountOfColor(C); });
}

int32_t TSLDisplayCursors::GetCountOfColor(TColor Color) const {
  int32_t N = 0;
  for (int32_t I = 0; I < Count(); ++I)
    if (GetItem(I)->GetColor() == Color)
      ++N;
  return N;
}
