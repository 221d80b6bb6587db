#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Exceptions.h"
#include "scope/SLCollections.h"

namespace {

struct TCountingDisplay : ISLDisplayHost {
  void Invalidate() override { ++Repaints; }
  void InvalidateRecalc() override { ++Recalcs; }
  void SetRecalcRects() override { ++RecalcFlags; }
  int Repaints = 0, Recalcs = 0, RecalcFlags = 0;
};

// An item with a colour, as cursors and marker groups have.
class TColourItem : public TSLOptionalDisplayCollectionItem {
  CLASSLIB_SIMPLE_CLASS(TColourItem, TSLOptionalDisplayCollectionItem)
public:
  using TSLOptionalDisplayCollectionItem::TSLOptionalDisplayCollectionItem;
  TColor Color = clBlack; // outside the palette, like a new item's default
};

// The pattern of the concrete collections: repaint on Update, least-used
// colour for a new item, then a relayout.
class TColourItems : public TSLOptionalDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TColourItems, TSLOptionalDisplayCollection)
public:
  explicit TColourItems(TCountingDisplay *Display)
      : TSLOptionalDisplayCollection(nullptr, &TColourItem::StaticClassInfo(), Display),
        Display_(Display) {}
  void Update(TCollectionItem *Item) override {
    TSLOptionalDisplayCollection::Update(Item);
    ++Updates;
  }
  void NewItemCreated(TCollectionItem *Item) override {
    TSLOptionalDisplayCollection::NewItemCreated(Item);
    static_cast<TColourItem *>(Item)->Color =
        SLLeastUsedColor(SLDisplayItemColors, [this](TColor C) {
          int N = 0;
          for (int I = 0; I < Count(); ++I)
            N += static_cast<TColourItem *>(Items(I))->Color == C;
          return N;
        });
    Display_->InvalidateRecalc();
  }
  TColourItem *AddItem() { return static_cast<TColourItem *>(Add()); }
  int Updates = 0;

private:
  TCountingDisplay *Display_;
};

class DisplayCollections : public ::testing::Test {
protected:
  TCountingDisplay Display;
  TOwnedPtr<TColourItems> Items{CreateObject<TColourItems>(&Display)};
};

// The default colour counts while the new item picks: the twelfth item is
// teal and the thirteenth navy, as aqua is taken before its second entry.
TEST_F(DisplayCollections, NewItemsTakeTheLeastUsedColour) {
  const TColor Expected[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00,
                             0xF0FBFF, 0x008080, 0xFFFFFF, 0xC0C0C0, 0x800080,
                             0xFF00FF, 0x808000, 0x800000, 0x0000FF, 0x00FF00};
  for (size_t I = 0; I < std::size(Expected); ++I) {
    SCOPED_TRACE(I);
    EXPECT_EQ(Items->AddItem()->Color, Expected[I]);
  }
  EXPECT_EQ(Display.Recalcs, static_cast<int>(std::size(Expected)));
}

TEST_F(DisplayCollections, LeastUsedColourRule) {
  EXPECT_EQ(SLLeastUsedColor({}, [](TColor) { return 0; }), clRed);
  // Every colour used 22000 times or more: red, whatever the palette.
  const TColor Palette[] = {clLime, clAqua};
  EXPECT_EQ(SLLeastUsedColor(Palette, [](TColor) { return 22000; }), clRed);
  EXPECT_EQ(SLLeastUsedColor(Palette, [](TColor C) { return C == clLime ? 3 : 2; }), clAqua);
  EXPECT_EQ(SLLeastUsedColor(Palette, [](TColor) { return 2; }), clLime);
}

TEST_F(DisplayCollections, SettersRepaintOnlyOnChange) {
  TColourItem *Item = Items->AddItem();
  EXPECT_TRUE(Item->GetVisible());
  EXPECT_TRUE(Item->IsVisible());
  EXPECT_EQ(Item->GetDisplay(), &Display);
  Display.Repaints = 0;
  Item->SetVisible(true);
  Item->SetName("");
  EXPECT_EQ(Display.Repaints, 0);
  Item->SetVisible(false);
  EXPECT_FALSE(Item->IsVisible());
  Item->SetName("Cursor1");
  Item->SetName("Cursor1");
  EXPECT_EQ(Display.Repaints, 2);
  EXPECT_EQ(Item->GetName(), "Cursor1");
  EXPECT_EQ(Item->GetLegendPenColor(), clRed);
  EXPECT_EQ(Item->GetLegendBrushColor(), clRed);
}

TEST_F(DisplayCollections, ItemAccessAndIndexOf) {
  TColourItem *A = Items->AddItem();
  TColourItem *B = Items->AddItem();
  EXPECT_EQ(Items->GetItem(1), B);
  EXPECT_THROW(Items->GetItem(2), EListError);
  EXPECT_THROW(Items->GetItem(-1), EListError);
  EXPECT_EQ(Items->IndexOf(B), 1);
  EXPECT_EQ(Items->IndexOf(nullptr), -1);
  TOwnedPtr<TColourItems> Other(CreateObject<TColourItems>(&Display));
  EXPECT_EQ(Items->IndexOf(Other->AddItem()), -1);
  // Update runs on every add, removal and move, never inside a bracket.
  Items->Updates = 0;
  B->SetIndex(0);
  EXPECT_EQ(Items->IndexOf(A), 1);
  B->SetIndex(0);
  EXPECT_EQ(Items->Updates, 1);
  FreeObject(A);
  EXPECT_EQ(Items->Updates, 2);
  EXPECT_EQ(Display.RecalcFlags, 1);
  Items->BeginUpdate();
  Items->AddItem();
  Items->EndUpdate();
  EXPECT_EQ(Items->Updates, 2);
}

} // namespace
