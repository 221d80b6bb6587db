#include <gtest/gtest.h>

#include "platform/classlib/Collection.h"
#include "tests/platform/classlib/TestClasses.h"

using namespace classlib_test;

namespace {

TTestItem *AddNamed(TTestItems &items, const char *name) {
  auto *item = dynamic_cast<TTestItem *>(items.Add());
  item->Name = name;
  return item;
}

class CollectionTest : public ::testing::Test {
protected:
  void SetUp() override { Log().clear(); }
  TTestItems items_;
};

TEST_F(CollectionTest, AddAnnouncesTheWholeItemAfterItJoined) {
  TCollectionItem *item = items_.Add();
  ASSERT_NE(dynamic_cast<TTestItem *>(item), nullptr); // the item class's factory made it
  EXPECT_EQ(item->Collection(), &items_);
  EXPECT_EQ(item->GetOwner(), &items_);
  EXPECT_EQ(Log(), std::vector<std::string>{"added  at 0"});
  EXPECT_EQ(items_.Count(), 1);
  EXPECT_EQ(item->Index(), 0);
}

TEST_F(CollectionTest, EachRemovalIsAnnouncedOnceWhileTheItemIsStillThere) {
  AddNamed(items_, "a");
  TTestItem *b = AddNamed(items_, "b");
  AddNamed(items_, "c");
  Log().clear();
  items_.Delete(0);
  FreeObject(b);
  EXPECT_EQ(Log(), (std::vector<std::string>{"deleting a at 0", "extracting b at 0"}));
  ASSERT_EQ(items_.Count(), 1);
  EXPECT_EQ(dynamic_cast<TTestItem *>(items_.Items(0))->Name, "c");
  EXPECT_THROW(items_.Delete(1), EListError);
}

TEST_F(CollectionTest, ClearFreesLastFirst) {
  AddNamed(items_, "a");
  AddNamed(items_, "b");
  Log().clear();
  items_.Clear();
  EXPECT_EQ(Log(), (std::vector<std::string>{"extracting b at 1", "extracting a at 0"}));
  EXPECT_EQ(items_.Count(), 0);
}

TEST_F(CollectionTest, ItemsMoveBetweenCollectionsAndWithin) {
  TTestItem *a = AddNamed(items_, "a");
  TTestItem *b = AddNamed(items_, "b");
  TTestItems other;
  Log().clear();
  a->SetCollection(&other);
  EXPECT_EQ(Log(), (std::vector<std::string>{"extracting a at 0", "added a at 0"}));
  EXPECT_EQ(a->Collection(), &other);
  EXPECT_EQ(b->Index(), 0);
  TTestItem *c = AddNamed(items_, "c");
  c->SetIndex(0);
  EXPECT_EQ(items_.Items(0), c);
  EXPECT_THROW(c->SetIndex(5), EListError);
  EXPECT_EQ(items_.FindItemID(c->ID()), c);
  EXPECT_NE(b->ID(), c->ID());
  TOwnedPtr<TTestItem> loose(CreateObject<TTestItem>(nullptr));
  EXPECT_EQ(loose->Index(), -1);
}

TEST_F(CollectionTest, InsertPlacesTheNewItem) {
  AddNamed(items_, "a");
  TCollectionItem *first = items_.Insert(0);
  EXPECT_EQ(items_.Items(0), first);
  TCollectionItem *last = items_.Insert(items_.Count());
  ASSERT_EQ(items_.Count(), 3);
  EXPECT_EQ(items_.Items(2), last) << "inserting at the count appends";
  EXPECT_THROW(items_.Insert(5), EListError);
}

TEST_F(CollectionTest, AssignCopiesItemsThroughTheirAssign) {
  AddNamed(items_, "a");
  TTestItems copy;
  // TTestItem has no Assign of its own: the base rule refuses.
  EXPECT_THROW(copy.Assign(&items_), EConvertError);
  EXPECT_EQ(copy.UpdateCount(), 0);
}

TEST_F(CollectionTest, ACollectionWithoutCreatableItemsRefusesAdd) {
  TCollection plain(&TCollectionItem::StaticClassInfo());
  EXPECT_EQ(plain.Add()->ClassName(), "TCollectionItem");
  TCollection none(nullptr);
  EXPECT_THROW(none.Add(), EInvalidOperation);
  TCollection notItems(&TAudioFormat::StaticClassInfo());
  EXPECT_THROW(notItems.Add(), EInvalidOperation);
}

} // namespace
