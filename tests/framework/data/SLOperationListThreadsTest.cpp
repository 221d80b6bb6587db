#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "framework/data/SLVariantStorages.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/Wait.h"

TEST(TSLOperationList, HoldingTheOwnersWriteLockExcludesTheList) {
  TOWObject owner;
  TSLOperationList list(&owner);
  std::atomic<int> pushed{0};
  owner.BeginWrite();
  std::thread producer(
      [&] { pushed = list.Push(TOWNotifyOperation::Make<TOWStopOperation>(), false); });
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(pushed.load(), 0) << "the push did not wait for the owner's lock";
  owner.EndWrite();
  producer.join();
  EXPECT_EQ(pushed.load(), 1);
}

TEST(TSLOperationList, OneThreadPushesWhileAnotherPopsAndNothingIsLost) {
  TSLOperationList list;
  constexpr int count = 2000;
  std::thread producer([&] {
    for (int i = 0; i < count; ++i)
      list.Push(TOWNotifyOperation::Make<TOWStopOperation>(), false);
  });
  int popped = 0;
  int64_t lastId = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (popped < count && std::chrono::steady_clock::now() < deadline) {
    IOWNotifyOperationPtr op = list.Pop();
    if (!op) {
      std::this_thread::yield();
      continue;
    }
    EXPECT_GT(op->Instance()->GetOperationID(), lastId);
    lastId = op->Instance()->GetOperationID();
    ++popped;
  }
  producer.join();
  EXPECT_EQ(popped, count);
}
