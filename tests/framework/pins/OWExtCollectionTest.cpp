// Extended collection: owner, new-item hook and collection notifiers.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/pins/OWExtCollection.h"

namespace {

using Log = std::vector<std::string>;

class TTestItem : public TOWExtCollectionItem {
  CLASSLIB_SIMPLE_CLASS(TTestItem, TOWExtCollectionItem)

public:
  using TOWExtCollectionItem::TOWExtCollectionItem;
};

// Records the hook with what the item looks like at that moment.
class TTestCollection : public TOWExtCollection {
public:
  TTestCollection(TPersistent *owner, Log &log)
      : TOWExtCollection(owner, &TTestItem::StaticClassInfo()), log_(log) {}
  void NewItemCreated(TCollectionItem *item) override {
    log_.push_back("hook index " + std::to_string(item->Index()));
  }

private:
  Log &log_;
};

class TRecordingNotifier : public TInterfacedObject, public IOWCollectionNotifier {
public:
  // How a notifier fails: not at all, with a class-library exception, or with
  // something that is no exception class at all.
  enum class TRaises { No, LibraryError, Other };
  TRecordingNotifier(std::string name, Log &log, TRaises raises = TRaises::No)
      : name_(std::move(name)), log_(log), raises_(raises) {}
  void ItemCreated(TOWExtCollection *c, TCollectionItem *item) override {
    log_.push_back(name_ + " created index " + std::to_string(item->Index()) + " of " +
                   std::to_string(c->Count()));
    Raise();
  }
  void ItemDestroyed(TOWExtCollection *c, TCollectionItem *item) override {
    log_.push_back(name_ + " destroyed index " + std::to_string(item->Index()) + " of " +
                   std::to_string(c->Count()));
    Raise();
  }

private:
  void Raise() {
    if (raises_ == TRaises::LibraryError)
      throw EInvalidOperation("notifier failed");
    if (raises_ == TRaises::Other)
      throw 42;
  }
  std::string name_;
  Log &log_;
  TRaises raises_;
};
using TRaises = TRecordingNotifier::TRaises;

class TOwner : public TPersistent {};

class OWExtCollectionTest : public ::testing::Test {
protected:
  com::TComPtr<IOWCollectionNotifier> Notifier(const std::string &name,
                                               TRaises raises = TRaises::No) {
    return com::MakeCom<TRecordingNotifier>(name, log, raises);
  }

  Log log;
  TOwner owner;
};

TEST_F(OWExtCollectionTest, GetOwnerAnswersTheConstructorsOwner) {
  TOWExtCollection plain(&owner, &TTestItem::StaticClassInfo());
  EXPECT_EQ(plain.GetOwner(), &owner);
  TOWExtCollection none(nullptr, &TTestItem::StaticClassInfo());
  EXPECT_EQ(none.GetOwner(), nullptr);
}

TEST_F(OWExtCollectionTest, AddingCallsTheHookBeforeEachNotifierInOrder) {
  TTestCollection c(&owner, log);
  OWAddCollectionNotifier(&c, Notifier("a"));
  OWAddCollectionNotifier(&c, Notifier("b"));
  TCollectionItem *item = c.Add();
  EXPECT_EQ(item->Collection(), &c);
  EXPECT_EQ(log, (Log{"hook index 0", "a created index 0 of 1", "b created index 0 of 1"}));
}

TEST_F(OWExtCollectionTest, AnItemAddedByCreationAlsoReachesTheHook) {
  TTestCollection c(&owner, log);
  TTestItem *item = CreateObject<TTestItem>(&c);
  EXPECT_EQ(log, (Log{"hook index 0"}));
  FreeObject(item);
}

TEST_F(OWExtCollectionTest, NotifiersHearOfEveryLeavingItemWhileItIsStillThere) {
  TTestCollection c(&owner, log);
  c.Add();
  TCollectionItem *second = c.Add();
  TCollectionItem *third = c.Add();
  OWAddCollectionNotifier(&c, Notifier("a"));
  log.clear();

  c.Delete(0);                    // deleted
  FreeObject(third);              // extracted by freeing
  second->SetCollection(nullptr); // extracted, still alive
  EXPECT_EQ(log, (Log{"a destroyed index 0 of 3", "a destroyed index 1 of 2",
                      "a destroyed index 0 of 1"}));
  EXPECT_EQ(c.Count(), 0);
  FreeObject(second);
}

TEST_F(OWExtCollectionTest, ARaisingNotifierDoesNotStopTheNextOne) {
  for (TRaises raises : {TRaises::LibraryError, TRaises::Other}) {
    SCOPED_TRACE(static_cast<int>(raises));
    log.clear();
    TTestCollection c(&owner, log);
    OWAddCollectionNotifier(&c, Notifier("bad", raises));
    OWAddCollectionNotifier(&c, Notifier("good"));
    ASSERT_NO_THROW(c.Add());
    ASSERT_NO_THROW(c.Delete(0));
    EXPECT_EQ(log, (Log{"hook index 0", "bad created index 0 of 1", "good created index 0 of 1",
                        "bad destroyed index 0 of 1", "good destroyed index 0 of 1"}));
  }
}

TEST_F(OWExtCollectionTest, DestroyingTheCollectionReachesNoNotifierAndReleasesThem) {
  com::TComPtr<TRecordingNotifier> kept = com::MakeCom<TRecordingNotifier>("a", log);
  TRecordingNotifier *raw = kept.Get();
  {
    TTestCollection c(&owner, log);
    c.Add();
    c.Add();
    OWAddCollectionNotifier(&c, com::TComPtr<IOWCollectionNotifier>(kept));
    EXPECT_EQ(raw->RefCount(), 2u);
    log.clear();
  }
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(raw->RefCount(), 1u);
}

TEST_F(OWExtCollectionTest, RemovedNotifiersAreNoLongerCalled) {
  TTestCollection c(&owner, log);
  auto a = Notifier("a");
  auto b = Notifier("b");
  OWRemoveCollectionNotifier(&c, a.Get()); // absent: nothing changes
  OWAddCollectionNotifier(&c, a);
  OWAddCollectionNotifier(&c, b);
  OWRemoveCollectionNotifier(&c, a.Get());
  c.Add();
  EXPECT_EQ(log, (Log{"hook index 0", "b created index 0 of 1"}));
}

TEST_F(OWExtCollectionTest, NullCollectionIsIgnored) {
  EXPECT_NO_THROW(OWAddCollectionNotifier(nullptr, Notifier("a")));
  EXPECT_NO_THROW(OWRemoveCollectionNotifier(nullptr, nullptr));
}

TEST_F(OWExtCollectionTest, FreeingAnItemClearsTheRegisteredVariable) {
  TTestCollection c(&owner, log);
  TTestItem *held = static_cast<TTestItem *>(c.Add());
  TTestItem *other = static_cast<TTestItem *>(c.Add());
  held->SetReferenceVariable(&held);
  TTestItem *forgotten = other;
  other->SetReferenceVariable(&forgotten);
  other->SetReferenceVariable<TTestItem>(nullptr);

  c.Delete(0);
  EXPECT_EQ(held, nullptr);
  c.Delete(0);
  EXPECT_EQ(forgotten, other); // unregistered: left alone
}

} // namespace
