#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/com/Unknown.h"

namespace {

class TCounted : public TInterfacedObject {
public:
  explicit TCounted(std::atomic<int> *destroyed) : destroyed_(destroyed) {}
  ~TCounted() override { destroyed_->fetch_add(1); }

private:
  std::atomic<int> *destroyed_;
};

TEST(RefCountThreadsTest, ConcurrentCopiesFreeTheObjectExactlyOnce) {
  std::atomic<int> destroyed{0};
  for (int round = 0; round < 20; ++round) {
    com::TComPtr<TCounted> shared = com::MakeCom<TCounted>(&destroyed);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([copy = shared] {
        for (int i = 0; i < 1000; ++i) {
          com::TComPtr<TCounted> local = copy;
          com::TComPtr<IUnknown> unknown = local;
        }
      });
    shared.Reset(); // the last reference goes on whichever thread ends last
    for (auto &t : threads)
      t.join();
    EXPECT_EQ(destroyed.load(), round + 1);
  }
}

} // namespace
