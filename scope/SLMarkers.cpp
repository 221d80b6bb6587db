#include "scope/SLMarkers.h"

#include <algorithm>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Exceptions.h"
#include "scope/SLChannels.h"
#include "scope/SLDataView.h"
#include "scope/SLHighlighting.h"

// Marker groups ------------------------------------------------------------------------

const TClassInfo &TSLDisplayMarkerGroup::StaticClassInfo() {
  using C = TSLDisplayMarkerGroup;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayMarkerGroup", &TSLOptionalDisplayCollectionItem::StaticClassInfo(),
      [](TClassBuilder<C> &c) {
        c.Object("Brush", &C::GetBrush, &C::SetBrush);
        c.Object("Pen", &C::GetPen, &C::SetPen);
        c.Enumeration("Shape", &C::GetShape, &C::SetShape, SLDisplayMarkerShapeNames(), msPlus);
        c.Integer("Size", &C::GetSize, &C::SetSize, 3);
        c.Object("Labels", &C::GetLabels, &C::SetLabels);
      });
  return info;
}

TSLDisplayMarkerGroup::TSLDisplayMarkerGroup(TCollection *Collection)
    : TSLOptionalDisplayCollectionItem(Collection) {
  FBrush.OnChange = [this](TObject *) { Invalidate(); };
  FPen.OnChange = [this](TObject *) { Invalidate(); };
  FLabels.OnChange = [this](TObject *) { Invalidate(); };
}

void TSLDisplayMarkerGroup::AfterConstruction() {
  TSLOptionalDisplayCollectionItem::AfterConstruction();
  SetName("MarkerGroup" + std::to_string(Collection() ? Collection()->Count() : 0));
}

void TSLDisplayMarkerGroup::Assign(TPersistent *Source) {
  auto *Other = dynamic_cast<TSLDisplayMarkerGroup *>(Source);
  if (!Other) {
    TSLOptionalDisplayCollectionItem::Assign(Source);
    return;
  }
  if (Other == this)
    return;
  SetName(Other->FName);
  SetVisible(Other->FVisible);
  FBrush.Assign(&Other->FBrush);
  FPen.Assign(&Other->FPen);
  SetShape(Other->FShape);
  SetSize(Other->FSize);
  SetLabels(&Other->FLabels);
}

void TSLDisplayMarkerGroup::SetLabels(TSLMeasurementLabel *Value) {
  FLabels.Assign(Value);
  Invalidate();
}

void TSLDisplayMarkerGroup::SetShape(TSLDisplayMarkerShape Value) {
  if (Value == FShape)
    return;
  FShape = Value;
  Invalidate();
}

void TSLDisplayMarkerGroup::SetSize(uint32_t Value) {
  if (Value == FSize)
    return;
  FSize = Value;
  Invalidate();
}

void TSLDisplayMarkerGroup::Invalidate() {
  if (FDisplay)
    FDisplay->Invalidate();
}

void TSLDisplayMarkerGroup::InvalidateRecalc() {
  if (FDisplay)
    FDisplay->InvalidateRecalc();
}

bool TSLDisplayMarkerGroup::GetHighlighted() {
  TSLScopeDataView *View = FScope ? FScope->GetPlotView() : nullptr;
  TSLDisplayHighlighting *H = FScope ? FScope->GetHighlighting() : nullptr;
  return View && H &&
         (View->GetHotItem() == this || View->GetLegendHighlighted(ikMarkerGroups) == this) &&
         H->GetMarkers()->GetHiglightLegendButton();
}

void TSLDisplayMarkerGroup::SetHighlighted(bool Value) {
  TSLScopeDataView *View = FScope ? FScope->GetPlotView() : nullptr;
  TSLDisplayHighlighting *H = FScope ? FScope->GetHighlighting() : nullptr;
  if (!View || !H)
    return;
  if (!Value)
    View->SetLegendHighlighted(ikMarkerGroups, nullptr);
  else if (H->GetMarkers()->GetHiglightFromLegend())
    View->SetLegendHighlighted(ikMarkerGroups, this);
}

const TClassInfo &TSLScopeMarkerGroup::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TSLScopeMarkerGroup>(
      "TSLScopeMarkerGroup", &TSLDisplayMarkerGroup::StaticClassInfo());
  return info;
}

namespace {
ISLScopeHost *GroupScopeOf(TCollection *Collection) {
  auto *Groups = dynamic_cast<TSLScopeMarkerGroups *>(Collection);
  if (!Groups || !Groups->GetScope())
    throw EInvalidOperation("A scope marker group belongs to the marker groups of a scope");
  return Groups->GetScope();
}
} // namespace

TSLScopeMarkerGroup::TSLScopeMarkerGroup(TCollection *Collection)
    : TSLDisplayMarkerGroup(Collection) {
  FScope = GroupScopeOf(Collection);
}

void TSLScopeMarkerGroup::BeforeDestruction() {
  Clear();
  TSLDisplayMarkerGroup::BeforeDestruction();
}

void TSLScopeMarkerGroup::AddMarker(TSLDisplayMarker *Marker) {
  if (Marker && std::find(FMarkers.begin(), FMarkers.end(), Marker) == FMarkers.end())
    FMarkers.push_back(Marker);
}

void TSLScopeMarkerGroup::RemoveMarker(TSLDisplayMarker *Marker) { std::erase(FMarkers, Marker); }

void TSLScopeMarkerGroup::Clear() {
  // Taken out first: each marker that goes would otherwise leave the list
  // while it is walked.
  std::vector<TSLDisplayMarker *> Markers;
  Markers.swap(FMarkers);
  for (TSLDisplayMarker *Marker : Markers) {
    Marker->FGroup = nullptr;
    FreeObject(Marker);
  }
}

bool TSLScopeMarkerGroup::HitTest(int32_t X, int32_t Y, TSLDisplayMarker *&Marker) {
  for (TSLDisplayMarker *M : FMarkers)
    if (M->HitTest(X, Y)) {
      Marker = M;
      return true;
    }
  return false;
}

bool TSLScopeMarkerGroup::PlotHitTest(const TSLPlotArea &, int32_t X, int32_t Y, TSLHitParts &,
                                      TSLDisplayCollectionItem *&Marker) {
  TSLDisplayMarker *M = nullptr;
  if (!FVisible || !HitTest(X, Y, M))
    return false;
  Marker = M;
  return true;
}

TSLScopeMarkerGroups::TSLScopeMarkerGroups(ISLScopeHost *Scope)
    : TSLOptionalDisplayCollection(Scope ? Scope->GetScopeComponent() : nullptr,
                                   &TSLScopeMarkerGroup::StaticClassInfo(), Scope),
      FScope(Scope) {}

TSLScopeMarkerGroup *TSLScopeMarkerGroups::GetItem(int32_t Index) const {
  return static_cast<TSLScopeMarkerGroup *>(Items(Index));
}

TSLScopeMarkerGroup *TSLScopeMarkerGroups::Add() {
  return static_cast<TSLScopeMarkerGroup *>(TCollection::Add());
}

int32_t TSLScopeMarkerGroups::GetCountOfColor(TColor Color) const {
  int32_t N = 0;
  for (int32_t I = 0; I < Count(); ++I)
    if (GetItem(I)->GetBrush()->GetColor() == Color)
      ++N;
  return N;
}

void TSLScopeMarkerGroups::Update(TCollectionItem *Item) {
  TSLOptionalDisplayCollection::Update(Item);
  if (FScope)
    FScope->Invalidate();
}

void TSLScopeMarkerGroups::NewItemCreated(TCollectionItem *Item) {
  TSLOptionalDisplayCollection::NewItemCreated(Item);
  if (auto *Group = dynamic_cast<TSLScopeMarkerGroup *>(Item)) {
    // The new group is counted too, with the colour it was made with.
    const TColor Color =
        SLLeastUsedColor(SLDisplayItemColors, [this](TColor C) { return GetCountOfColor(C); });
    Group->GetPen()->SetColor(Color);
    Group->GetBrush()->SetColor(Color);
  }
  if (FScope)
    FScope->InvalidateRecalc();
}

// Markers ----------------------------------------------------------------------------------

const TClassInfo &TSLDisplayMarker::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TSLDisplayMarker>(
      "TSLDisplayMarker", &TSLDisplayCollectionItem::StaticClassInfo());
  return info;
}

TSLDisplayMarker::TSLDisplayMarker(TCollection *Collection) : TSLDisplayCollectionItem(Collection) {
  if (auto *Markers = dynamic_cast<TSLScopeChannelMarkers *>(Collection))
    FScope = Markers->GetScope();
}

void TSLDisplayMarker::AfterConstruction() {
  TSLDisplayCollectionItem::AfterConstruction();
  SetName("Marker" + std::to_string(Collection() ? Collection()->Count() : 0));
}

void TSLDisplayMarker::BeforeDestruction() {
  if (FGroup) {
    FGroup->RemoveMarker(this);
    FGroup = nullptr;
  }
  TSLDisplayCollectionItem::BeforeDestruction();
}

void TSLDisplayMarker::SetGroup(TSLScopeMarkerGroup *Value) {
  if (Value == FGroup)
    return;
  if (FGroup)
    FGroup->RemoveMarker(this);
  FGroup = Value;
  if (FGroup)
    FGroup->AddMarker(this);
}

int32_t TSLDisplayMarker::GetGroupIndex() const { return FGroup ? FGroup->Index() : -1; }

void TSLDisplayMarker::SetGroupIndex(int32_t Value) {
  TSLScopeMarkerGroups *Groups = FScope ? FScope->GetMarkerGroups() : nullptr;
  if (!Groups)
    return;
  if (Value >= Groups->Count())
    Value = Groups->Count() - 1;
  if (Value >= 0)
    SetGroup(Groups->GetItem(Value));
}

void TSLDisplayMarker::InvalidateItem() {
  if (FGroup)
    FGroup->InvalidateRecalc();
}

void TSLDisplayMarker::Draw(TCanvas *Canvas, int32_t XPixel, int32_t YPixel, double XValue,
                            double YValue) {
  if (!FGroup)
    return;
  TSLScopeDataView *View = FScope ? FScope->GetPlotView() : nullptr;
  TSLDisplayHighlighting *H = FScope ? FScope->GetHighlighting() : nullptr;
  if (View && H &&
      (View->GetLegendHighlighted(ikMarkerGroups) == FGroup || View->GetHotMarker() == this)) {
    const TColor Color = H->GetMarkers()->GetColor();
    Canvas->Brush()->SetColor(Color);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Pen()->SetColor(Color);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(FGroup->GetPen()->GetWidth());
    DrawSize(Canvas, XPixel, YPixel, XValue, YValue, 1);
  }
  Canvas->Brush()->Assign(FGroup->GetBrush());
  Canvas->Pen()->Assign(FGroup->GetPen());
  FLastX = XPixel;
  FLastY = YPixel;
  DrawSize(Canvas, XPixel, YPixel, XValue, YValue, 0);
}

void TSLDisplayMarker::DrawSize(TCanvas *Canvas, int32_t XPixel, int32_t YPixel, double XValue,
                                double YValue, int32_t Grow) {
  if (!FGroup)
    return;
  const bool V = FScope && FScope->GetIsVertical();
  const int32_t X = V ? YPixel : XPixel, Y = V ? XPixel : YPixel;
  TSLMarkerShapeStyle Style;
  Style.Size = static_cast<int32_t>(std::min<uint32_t>(FGroup->GetSize(), 1u << 20));
  Style.Grow = Grow;
  Style.Vertical = V;
  SLDrawMarkerShape(Canvas, FGroup->GetShape(), X, Y, Style);
  TSLMeasurementLabel *Label = FGroup->GetLabels();
  if (Grow != 0 || !Label->GetVisible() || !FScope)
    return;
  const std::string Text = FScope->FormatLabelText(XValue, YValue, Label->GetText(), "");
  if (Text.empty())
    return;
  Canvas->SetFont(Label->GetFont());
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(X + 4, Y - Canvas->TextHeight("Xg"), Text);
}

bool TSLDisplayMarker::HitTest(int32_t X, int32_t Y) {
  if (FLastX < 0 || !FGroup)
    return false;
  const bool V = FScope && FScope->GetIsVertical();
  if (V)
    std::swap(X, Y);
  // In 64 bits: a large Size must not wrap the box.
  const int64_t x = FLastX, y = FLastY;
  const int64_t a = std::max<int64_t>(FGroup->GetSize(), 3);
  int64_t Left = x - 3, Top = y - 3, Right = x + 3, Bottom = y + 3;
  switch (FGroup->GetShape()) {
  case msCircle:
  case msSquare:
  case msDiamond:
  case msStar:
    Left = x - a, Top = y - a, Right = x + a, Bottom = y + a;
    break;
  case msPoint:
  case msPlus:
  case msCross:
    break;
  case msTriangleUp:
    Left = x - a, Top = y, Right = x + a, Bottom = y + 2 * a;
    break;
  case msTriangleDown:
    Left = x - a, Top = y - 2 * a, Right = x + a, Bottom = y;
    break;
  // Vertical display draws left and right turned the other way along the
  // sample axis; the box follows the shape, so the mouse finds the marker
  // where it is drawn.
  case msTriangleLeft:
  case msTriangleRight:
    if ((FGroup->GetShape() == msTriangleLeft) != V)
      Left = x, Top = y - a, Right = x + 2 * a, Bottom = y + a;
    else
      Left = x - 2 * a, Top = y - a, Right = x, Bottom = y + a;
    break;
  case msHLine:
    Left = x - a, Right = x + a;
    break;
  case msVLine:
    Top = y - a, Bottom = y + a;
    break;
  }
  return X >= Left && X < Right + 1 && Y >= Top && Y < Bottom + 1;
}

const TClassInfo &TSLScopeChannelMarker::StaticClassInfo() {
  using C = TSLScopeChannelMarker;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeChannelMarker", &TSLDisplayMarker::StaticClassInfo(),
      [](TClassBuilder<C> &c) { c.Integer("Position", &C::GetPosition, &C::SetPosition); });
  return info;
}

namespace {
void CheckMarkersCollection(TCollection *Collection) {
  auto *Markers = dynamic_cast<TSLScopeChannelMarkers *>(Collection);
  if (!Markers || !Markers->GetScope())
    throw EInvalidOperation("A channel marker belongs to the markers of a scope channel");
}
} // namespace

TSLScopeChannelMarker::TSLScopeChannelMarker(TCollection *Collection)
    : TSLDisplayMarker(Collection) {
  CheckMarkersCollection(Collection);
}

void TSLScopeChannelMarker::AfterConstruction() {
  TSLDisplayMarker::AfterConstruction();
  SetGroup(FScope->GetLastMarerGroup());
}

void TSLScopeChannelMarker::SetPosition(int32_t Value) {
  FPosition = Value;
  if (FDisplay)
    FDisplay->Invalidate();
}

void TSLScopeChannelMarker::Assign(TPersistent *Source) {
  auto *Other = dynamic_cast<TSLScopeChannelMarker *>(Source);
  if (!Other) {
    TSLDisplayMarker::Assign(Source);
    return;
  }
  if (Other == this)
    return;
  SetName(Other->FName);
  SetPosition(Other->FPosition);
  SetGroupIndex(Other->GetGroupIndex());
}

void TSLScopeChannelMarker::DefineProperties(TFiler *Filer) {
  TSLDisplayMarker::DefineProperties(Filer);
  Filer->DefineProperty(
      "MarkerGroupIndex", [this](TReader *R) { SetGroupIndex(R->ReadInteger()); },
      [this](TWriter *W) { W->WriteInteger(GetGroupIndex()); }, true);
  Filer->DefineProperty(
      "MarkerGroup", [](TReader *R) { R->SkipValue(); }, [](TWriter *) {}, false);
}

TSLScopeChannelMarkers::TSLScopeChannelMarkers(TSLScopeChannel *Channel, ISLScopeHost *Scope)
    : TSLDisplayCollection(Scope ? Scope->GetScopeComponent() : nullptr,
                           &TSLScopeChannelMarker::StaticClassInfo(), Scope),
      FChannel(Channel), FScope(Scope) {}

TSLScopeChannelMarker *TSLScopeChannelMarkers::GetItem(int32_t Index) const {
  return static_cast<TSLScopeChannelMarker *>(Items(Index));
}

TSLScopeChannelMarker *TSLScopeChannelMarkers::Add() {
  return static_cast<TSLScopeChannelMarker *>(TCollection::Add());
}

TSLScopeChannelMarker *TSLScopeChannelMarkers::AddMarkerAt(int32_t GroupIndex, int32_t Position) {
  TSLScopeMarkerGroups *Groups = FScope ? FScope->GetMarkerGroups() : nullptr;
  if (!Groups || GroupIndex < 0 || GroupIndex >= Groups->Count())
    throw EListError("Index out of range : " + std::to_string(GroupIndex));
  TSLScopeChannelMarker *Marker = Add();
  Marker->SetGroup(Groups->GetItem(GroupIndex));
  Marker->SetPosition(Position);
  return Marker;
}

void TSLScopeChannelMarkers::Update(TCollectionItem *Item) {
  TSLDisplayCollection::Update(Item);
  if (FScope)
    FScope->Invalidate();
}
