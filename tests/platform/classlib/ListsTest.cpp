#include <string>

#include <gtest/gtest.h>

#include "platform/classlib/Lists.h"

namespace {

struct TEntry {
  std::string name;
  int counter;
};

std::string Names(const TList<TEntry> &list) {
  std::string s;
  for (TEntry *e : list)
    s += e->name;
  return s;
}

// The class library's quicksort does not keep equal entries in order; the
// framework's delivery order depends on exactly how it moves them.
struct TSortCase {
  std::string before;
  std::string after;
};

class ListSort : public ::testing::TestWithParam<TSortCase> {};

TEST_P(ListSort, EqualKeysMoveAsTheClassLibrarySortMovesThem) {
  std::vector<TEntry> storage;
  for (char c : GetParam().before)
    storage.push_back({std::string(1, c), 0});
  TList<TEntry> list;
  for (auto &e : storage)
    list.Add(&e);
  list.Sort([](TEntry *a, TEntry *b) { return a->counter - b->counter; });
  EXPECT_EQ(Names(list), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, ListSort,
                         ::testing::Values(TSortCase{"ab", "ba"}, TSortCase{"abc", "cba"},
                                           TSortCase{"abcde", "decab"}, TSortCase{"decab", "abcde"},
                                           TSortCase{"a", "a"}, TSortCase{"", ""}));

TEST(ListTest, SortsByKey) {
  TEntry a{"a", 3}, b{"b", 1}, c{"c", 2}, d{"d", 0};
  TList<TEntry> list;
  for (TEntry *e : {&a, &b, &c, &d})
    list.Add(e);
  list.Sort([](TEntry *x, TEntry *y) { return x->counter - y->counter; });
  EXPECT_EQ(Names(list), "dbca");
}

TEST(ListTest, IndexErrorsNameTheIndex) {
  TEntry a{"a", 0}, b{"b", 0};
  TList<TEntry> list;
  list.Add(&a);
  list.Insert(0, &b);
  EXPECT_EQ(Names(list), "ba");
  try {
    list.Items(2);
    FAIL();
  } catch (const EListError &e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (2)");
  }
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.Insert(3, &a), EListError);
  EXPECT_THROW(list.Move(0, 2), EListError);
  list.Move(0, 1);
  EXPECT_EQ(Names(list), "ab");
  list.Exchange(0, 1);
  EXPECT_EQ(Names(list), "ba");
  EXPECT_EQ(list.Remove(&a), 1);
  EXPECT_EQ(list.Remove(&a), -1);
  EXPECT_EQ(list.Extract(&b), &b);
  EXPECT_EQ(list.Count(), 0);
}

struct TCounted {
  explicit TCounted(int *freed) : freed_(freed) {}
  ~TCounted() { ++*freed_; }
  int *freed_;
};

TEST(ObjectListTest, FreesWhatItDeletesButNotWhatIsExtracted) {
  int freed = 0;
  auto *kept = new TCounted(&freed);
  {
    TObjectList<TCounted> list;
    list.Add(new TCounted(&freed));
    list.Add(kept);
    list.Add(new TCounted(&freed));
    list.Delete(0);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list.Extract(kept), kept);
    EXPECT_EQ(freed, 1);
  }
  EXPECT_EQ(freed, 2); // the last one went with the list
  delete kept;
  TObjectList<TCounted> notOwning(false);
  TCounted local(&freed);
  notOwning.Add(&local);
  notOwning.Clear();
  EXPECT_EQ(freed, 3);
}

TEST(StringListTest, StringsWithObjects) {
  TObject o1, o2;
  TStringList list;
  list.AddObject("Pin [0]", &o1);
  list.Add("Left");
  list.Insert(0, "first", &o2);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(1), "Pin [0]");
  EXPECT_EQ(list.Objects(1), &o1);
  EXPECT_EQ(list.Objects(2), nullptr);
  EXPECT_EQ(list.IndexOf("Left"), 2);
  EXPECT_EQ(list.IndexOf("left"), -1);
  EXPECT_EQ(list.IndexOfObject(&o2), 0);
  list.Exchange(0, 2);
  EXPECT_EQ(list.Strings(0), "Left");
  list.Delete(0);
  EXPECT_EQ(list.Strings(0), "Pin [0]");
  EXPECT_THROW(list.Strings(2), EListError);
  EXPECT_THROW(list.SetObject(5, nullptr), EListError);
}

struct INotifier : public virtual IUnknown {
  virtual void Ping() = 0;
};

class TNotifier : public TInterfacedObject, public INotifier {
public:
  void Ping() override { ++pings; }
  int pings = 0;
};

TEST(InterfaceListTest, HoldsCountedReferences) {
  TInterfaceList<INotifier> list;
  com::TComPtr<TNotifier> n = com::MakeCom<TNotifier>();
  list.Add(n);
  list.Add(n);
  EXPECT_EQ(n->RefCount(), 3u);
  EXPECT_EQ(list.IndexOf(n.Get()), 0);
  list.Items(1)->Ping();
  EXPECT_EQ(n->pings, 1);
  EXPECT_EQ(list.Remove(n.Get()), 0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(list.Items(1), EListError);
  list.Clear();
  EXPECT_EQ(n->RefCount(), 1u);
  EXPECT_EQ(list.Remove(n.Get()), -1);
}

} // namespace
