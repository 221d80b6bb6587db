#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/sys/Sync.h"
#include "tests/support/Wait.h"

using namespace std::chrono_literals;

TEST(TEvent, AutoResetReleasesOneWaitThenClears) {
  sys::TEvent e(sys::TEventReset::Auto);
  e.Set();
  EXPECT_TRUE(e.Wait(0ms));
  EXPECT_FALSE(e.Wait(0ms));
}

TEST(TEvent, ManualResetStaysSetUntilReset) {
  sys::TEvent e(sys::TEventReset::Manual);
  e.Set();
  EXPECT_TRUE(e.Wait(0ms));
  EXPECT_TRUE(e.Wait(0ms));
  e.Reset();
  EXPECT_FALSE(e.Wait(0ms));
}

TEST(TEvent, WakesAWaiterOnAnotherThread) {
  sys::TEvent e(sys::TEventReset::Auto);
  std::thread t([&] { e.Set(); });
  EXPECT_TRUE(e.Wait(5s));
  t.join();
}

TEST(TCriticalSection, TheOwnerMayEnterAgain) {
  sys::TCriticalSection cs;
  cs.Enter();
  EXPECT_TRUE(cs.TryEnter());
  bool otherEntered = true;
  std::thread([&] { otherEntered = cs.TryEnter(); }).join();
  EXPECT_FALSE(otherEntered);
  cs.Leave();
  cs.Leave();
  std::thread([&] {
    otherEntered = cs.TryEnter();
    if (otherEntered)
      cs.Leave();
  }).join();
  EXPECT_TRUE(otherEntered);
}

TEST(TEvent, AutoResetWakeUpsCoalesce) {
  sys::TEvent e(sys::TEventReset::Auto);
  for (int i = 0; i < 10; ++i)
    e.Set();
  EXPECT_TRUE(e.Wait(0ms));
  EXPECT_FALSE(e.Wait(0ms));
}

TEST(TSemaphore, CountsReleasesUpToTheMaximum) {
  sys::TSemaphore s(0, 3);
  EXPECT_FALSE(s.TryWait());
  EXPECT_TRUE(s.Release());
  EXPECT_TRUE(s.Release(2));
  EXPECT_EQ(s.Count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(s.TryWait());
  EXPECT_FALSE(s.TryWait());
}

struct ReleaseCase {
  int32_t initial, maximum, release;
  bool ok;
  int32_t after;
};

class TSemaphoreRelease : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(TSemaphoreRelease, APastTheMaximumFailsAndChangesNothing) {
  const ReleaseCase c = GetParam();
  sys::TSemaphore s(c.initial, c.maximum);
  EXPECT_EQ(s.Release(c.release), c.ok);
  EXPECT_EQ(s.Count(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TSemaphoreRelease,
    ::testing::Values(ReleaseCase{0, 1, 1, true, 1},        // up to the maximum
                      ReleaseCase{1, 1, 1, false, 1},       // one past it
                      ReleaseCase{399, 400, 2, false, 399}, // a batch that would pass it
                      ReleaseCase{400, 400, 1, false, 400}, // a full slot semaphore
                      ReleaseCase{5, 10, 0, false, 5}));    // nothing to release

TEST(TSemaphore, AReleaseWakesAWaiterOnAnotherThread) {
  sys::TSemaphore s(0, 10);
  std::atomic<bool> got{false};
  std::thread t([&] { got = s.Wait(5s); });
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_TRUE(s.Release());
  t.join();
  EXPECT_TRUE(got);
  EXPECT_EQ(s.Count(), 0);
}

TEST(TSemaphore, CloseSendsAWaiterHomeAndFailsLaterWaits) {
  sys::TSemaphore s(0, 10);
  std::atomic<int> result{-1};
  std::thread t([&] { result = s.Wait() ? 1 : 0; });
  std::this_thread::sleep_for(BlockedFor);
  s.Close();
  t.join();
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(s.Release());
  EXPECT_FALSE(s.Wait(0ms));
}

TEST(TSemaphore, WaitTimesOut) {
  sys::TSemaphore s(0, 1);
  EXPECT_FALSE(s.Wait(5ms));
}
