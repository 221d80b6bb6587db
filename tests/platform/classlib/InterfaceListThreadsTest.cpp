#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/Lists.h"

namespace {

struct IObserver : public virtual IUnknown {
  virtual void Hear() = 0;
};

std::atomic<int> heard{0};

class TObserver : public TInterfacedObject, public IObserver {
public:
  void Hear() override { heard.fetch_add(1); }
};

// The notifier loop of the framework: count once, then fetch each entry,
// while other threads register and unregister.
TEST(InterfaceListThreadsTest, RegisteringWhileAnotherThreadNotifies) {
  TInterfaceList<IObserver> list;
  com::TComPtr<TObserver> keep = com::MakeCom<TObserver>();
  list.Add(keep);
  std::atomic<bool> stop{false};
  std::vector<std::thread> writers;
  for (int t = 0; t < 2; ++t)
    writers.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        com::TComPtr<TObserver> o = com::MakeCom<TObserver>();
        list.Add(o);
        list.Remove(o.Get());
      }
    });
  // The notifier goes on until it has been heard at least once: on a loaded machine the
  // writers may finish before it first runs, and the kept observer is always there.
  std::thread notifier([&] {
    while (!stop.load() || heard.load() == 0) {
      int count = list.Count();
      for (int i = 0; i < count; ++i) {
        try {
          list.Items(i)->Hear();
        } catch (const EListError &) {
          // an entry removed since the count was taken
        }
      }
    }
  });
  for (auto &w : writers)
    w.join();
  stop.store(true);
  notifier.join();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_GT(heard.load(), 0);
  EXPECT_EQ(keep->RefCount(), 2u);
}

} // namespace
