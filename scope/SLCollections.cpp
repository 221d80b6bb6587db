#include "scope/SLCollections.h"

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Exceptions.h"

const TClassInfo &TSLDisplayCollectionItem::StaticClassInfo() {
  using C = TSLDisplayCollectionItem;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLDisplayCollectionItem", &TOWExtCollectionItem::StaticClassInfo(),
                       [](TClassBuilder<C> &c) { c.String("Name", &C::GetName, &C::SetName); });
  return info;
}

const TClassInfo &TSLOptionalDisplayCollectionItem::StaticClassInfo() {
  using C = TSLOptionalDisplayCollectionItem;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLOptionalDisplayCollectionItem", &TSLDisplayCollectionItem::StaticClassInfo(),
      [](TClassBuilder<C> &c) { c.Boolean("Visible", &C::GetVisible, &C::SetVisible, true); });
  return info;
}

TSLDisplayCollectionItem::TSLDisplayCollectionItem(TCollection *Collection)
    : TOWExtCollectionItem(Collection) {
  if (auto *Owner = dynamic_cast<TSLDisplayCollection *>(Collection))
    FDisplay = Owner->GetDisplay();
}

TSLDisplayCollectionItem::~TSLDisplayCollectionItem() {
  if (FDisplay) {
    FDisplay->ItemDestroyed(this);
    FDisplay->SetRecalcRects();
  }
}

void TSLDisplayCollectionItem::SetName(const std::string &Value) {
  if (Value == FName)
    return;
  FName = Value;
  InvalidateItem();
}

void TSLDisplayCollectionItem::SetIndex(int Value) {
  const int Old = Index();
  TOWExtCollectionItem::SetIndex(Value);
  auto *Owner = dynamic_cast<TSLDisplayCollection *>(Collection());
  if (Owner && Old != Index() && Owner->UpdateCount() == 0)
    Owner->Update(nullptr);
}

TColor TSLDisplayCollectionItem::GetLegendPenColor() { return clRed; }
TColor TSLDisplayCollectionItem::GetLegendBrushColor() { return GetLegendPenColor(); }
bool TSLDisplayCollectionItem::IsVisible() { return true; }
bool TSLDisplayCollectionItem::GetHighlighted() { return false; }
void TSLDisplayCollectionItem::SetHighlighted(bool) {}
bool TSLDisplayCollectionItem::GetMouseDown() { return false; }

bool TSLDisplayCollectionItem::PlotHitTest(const TSLPlotArea &, int32_t, int32_t, TSLHitParts &,
                                           TSLDisplayCollectionItem *&) {
  return false;
}
void TSLDisplayCollectionItem::PlotMouseDown(TMouseButton, TShiftState, int32_t, int32_t, bool) {}
void TSLDisplayCollectionItem::PlotMoveTo(const TSLHitParts &, const TSLPlotArea &, int32_t,
                                          int32_t) {}

void TSLDisplayCollectionItem::InvalidateItem() {
  if (FDisplay)
    FDisplay->Invalidate();
}

void TSLOptionalDisplayCollectionItem::SetVisible(bool Value) {
  if (Value == FVisible)
    return;
  FVisible = Value;
  InvalidateItem();
}

TSLDisplayCollection::TSLDisplayCollection(TPersistent *Owner, const TMetaClass *ItemClass,
                                           ISLDisplayHost *Display)
    : TOWExtCollection(Owner, ItemClass), FDisplay(Display) {}

TSLDisplayCollectionItem *TSLDisplayCollection::GetItem(int32_t Index) const {
  return static_cast<TSLDisplayCollectionItem *>(Items(Index));
}

void TSLDisplayCollection::SetItem(int32_t Index, TSLDisplayCollectionItem *Item) {
  Items(Index)->Assign(Item);
}

int32_t TSLDisplayCollection::IndexOf(const TCollectionItem *Item) const {
  if (Item == nullptr)
    return -1;
  for (int32_t I = 0; I < Count(); ++I)
    if (Items(I) == Item)
      return I;
  return -1;
}

void TSLDisplayCollection::Update(TCollectionItem *) {}

void TSLDisplayCollection::Notify(TCollectionItem *Item, TCollectionNotification Action) {
  TOWExtCollection::Notify(Item, Action);
  if (UpdateCount() == 0)
    Update(nullptr);
}

TSLOptionalDisplayCollectionItem *TSLOptionalDisplayCollection::GetItem(int32_t Index) const {
  return static_cast<TSLOptionalDisplayCollectionItem *>(Items(Index));
}

TColor SLLeastUsedColor(std::span<const TColor> Palette,
                        const std::function<int32_t(TColor)> &CountOfColor) {
  int32_t Best = 22000;
  TColor Result = clRed;
  for (TColor Color : Palette) {
    const int32_t Count = CountOfColor(Color);
    if (Count < Best) {
      Best = Count;
      Result = Color;
    }
  }
  return Result;
}
