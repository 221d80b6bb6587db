#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/mainloop/MainLoop.h"

using namespace std::chrono_literals;
using mainloop::TMainLoop;
using mainloop::TTargetId;

namespace {

// A loop of the test's own, pumped by hand on the test's thread.
class MainLoopTest : public ::testing::Test {
protected:
  TMainLoop loop;
  std::vector<int> ran;
  std::function<void()> Record(int n) {
    return [this, n] { ran.push_back(n); };
  }
};

} // namespace

TEST_F(MainLoopTest, PostsRunInPostingOrderOnlyWhenPumped) {
  TTargetId a = loop.AddTarget(), b = loop.AddTarget();
  EXPECT_TRUE(loop.Post(a, Record(1)));
  EXPECT_TRUE(loop.Post(b, Record(2)));
  EXPECT_TRUE(loop.Post(a, Record(3)));
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(loop.PendingCount(), 3u);
  EXPECT_EQ(loop.RunPending(), 3u);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(loop.RunPending(), 0u);
}

TEST_F(MainLoopTest, RunPendingMayStopAfterAGivenNumberOfCalls) {
  TTargetId a = loop.AddTarget();
  for (int i = 1; i <= 3; ++i)
    loop.Post(a, Record(i));
  EXPECT_EQ(loop.RunPending(1), 1u);
  EXPECT_EQ(ran, (std::vector<int>{1}));
  EXPECT_EQ(loop.RunPending(5), 2u);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST_F(MainLoopTest, ARemovedTargetsPostsAreDroppedAndOthersStillRun) {
  TTargetId a = loop.AddTarget(), b = loop.AddTarget();
  loop.Post(a, Record(1));
  loop.Post(b, Record(2));
  loop.Post(a, Record(3));
  loop.RemoveTarget(a);
  EXPECT_FALSE(loop.HasTarget(a));
  EXPECT_FALSE(loop.Post(a, Record(4)));
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(ran, (std::vector<int>{2}));
}

TEST_F(MainLoopTest, TargetIdsAreNeverReused) {
  TTargetId a = loop.AddTarget();
  loop.RemoveTarget(a);
  EXPECT_NE(loop.AddTarget(), a);
  EXPECT_FALSE(loop.Post(a, Record(1)));
}

TEST_F(MainLoopTest, ShutdownDiscardsTheQueueAndRefusesLaterPosts) {
  TTargetId a = loop.AddTarget();
  loop.Post(a, Record(1));
  loop.Shutdown();
  EXPECT_TRUE(loop.IsShutDown());
  EXPECT_EQ(loop.PendingCount(), 0u);
  EXPECT_FALSE(loop.Post(a, Record(2)));
  EXPECT_EQ(loop.RunPending(), 0u);
  EXPECT_TRUE(ran.empty());
}

TEST_F(MainLoopTest, CallsPostedWhileRunningWaitForTheNextRun) {
  TTargetId a = loop.AddTarget();
  std::function<void()> again;
  int runs = 0;
  again = [&] {
    ++runs;
    loop.Post(a, again);
  };
  loop.Post(a, again);
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(loop.PendingCount(), 1u);
  loop.RemoveTarget(a);
}

TEST_F(MainLoopTest, AThrowingCallPassesOutAndLeavesTheRestQueued) {
  TTargetId a = loop.AddTarget();
  loop.Post(a, [] { throw std::runtime_error("handler failed"); });
  loop.Post(a, Record(2));
  EXPECT_THROW(loop.RunPending(), std::runtime_error);
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(ran, (std::vector<int>{2}));
}

TEST_F(MainLoopTest, PostsFromManyThreadsKeepEachThreadsOrder) {
  TTargetId a = loop.AddTarget();
  constexpr int threads = 4, perThread = 500;
  std::vector<std::vector<int>> seen(threads);
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t)
    posters.emplace_back([&, t] {
      for (int i = 0; i < perThread; ++i)
        EXPECT_TRUE(loop.Post(a, [&seen, t, i] { seen[t].push_back(i); }));
    });
  size_t total = 0;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (total < threads * perThread && std::chrono::steady_clock::now() < deadline)
    total += loop.WaitAndRun(10ms);
  for (auto &p : posters)
    p.join();
  total += loop.RunPending();
  ASSERT_EQ(total, static_cast<size_t>(threads * perThread));
  for (int t = 0; t < threads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<size_t>(perThread));
    for (int i = 0; i < perThread; ++i)
      ASSERT_EQ(seen[t][i], i);
  }
}

TEST_F(MainLoopTest, WaitAndRunReturnsAfterTheTimeoutWhenNothingCame) {
  EXPECT_EQ(loop.WaitAndRun(1ms), 0u);
}

TEST_F(MainLoopTest, TheWakeHookHearsEveryPost) {
  TTargetId a = loop.AddTarget();
  std::atomic<int> wakes{0};
  loop.SetWakeHook([&] { ++wakes; });
  loop.Post(a, Record(1));
  std::thread([&] { loop.Post(a, Record(2)); }).join();
  loop.Post(a + 1000, Record(3)); // refused: no wake
  EXPECT_EQ(wakes.load(), 2);
  loop.RunPending();
}

TEST_F(MainLoopTest, TheConstructingThreadIsTheMainThreadUntilRebound) {
  EXPECT_TRUE(loop.IsMainThread());
  bool otherIsMain = true;
  std::thread([&] { otherIsMain = loop.IsMainThread(); }).join();
  EXPECT_FALSE(otherIsMain);
  std::thread([&] { loop.BindMainThread(); }).join();
  EXPECT_FALSE(loop.IsMainThread());
}

TEST_F(MainLoopTest, ALaterCallWaitsWithoutAWakeUpAndRunsInPostingOrder) {
  TTargetId a = loop.AddTarget();
  int wakes = 0;
  std::vector<TMainLoop::TClock::time_point> dues;
  loop.SetWakeHook([&] { ++wakes; });
  loop.SetDueHook([&](TMainLoop::TClock::time_point due) { dues.push_back(due); });

  const auto before = TMainLoop::TClock::now();
  EXPECT_TRUE(loop.PostLater(a, Record(1), 100ms));
  EXPECT_TRUE(loop.PostLater(a, Record(2), 500ms)); // due no earlier: nothing to tell
  EXPECT_TRUE(loop.Post(a, Record(3)));
  EXPECT_EQ(wakes, 1) << "only the ordinary post wakes the loop";
  ASSERT_EQ(dues.size(), 1u);
  EXPECT_GE(dues[0], before + 100ms);
  EXPECT_LE(dues[0], TMainLoop::TClock::now() + 100ms);

  EXPECT_TRUE(loop.PostLater(a, Record(4), 10ms)); // earlier than the standing due
  ASSERT_EQ(dues.size(), 2u);
  EXPECT_LT(dues[1], dues[0]);

  EXPECT_EQ(loop.RunPending(), 4u);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(dues.back(), TMainLoop::TClock::time_point::max()) << "nothing waits any more";
}

TEST_F(MainLoopTest, TheDueTimeGoesWithTheLastLaterCallHoweverItLeaves) {
  std::vector<TMainLoop::TClock::time_point> dues;
  loop.SetDueHook([&](TMainLoop::TClock::time_point due) { dues.push_back(due); });
  const auto none = TMainLoop::TClock::time_point::max();

  TTargetId a = loop.AddTarget(), b = loop.AddTarget();
  // A run that leaves a later call behind tells its time anew: the timer may
  // have fired for the one that ran.
  loop.PostLater(a, Record(0), 10ms);
  loop.PostLater(a, Record(0), 50ms);
  ASSERT_EQ(dues.size(), 1u);
  EXPECT_EQ(loop.RunPending(1), 1u);
  ASSERT_EQ(dues.size(), 2u);
  EXPECT_GT(dues[1], dues[0]);
  EXPECT_NE(dues[1], none);
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(dues.back(), none);

  loop.PostLater(a, Record(1), 50ms);
  loop.PostLater(b, Record(2), 50ms);
  loop.RemoveTarget(a);
  EXPECT_NE(dues.back(), none) << "b's call still waits";
  loop.RemoveTarget(b);
  EXPECT_EQ(dues.back(), none);

  TTargetId c = loop.AddTarget();
  loop.PostLater(c, Record(3), 50ms);
  loop.Shutdown();
  EXPECT_EQ(dues.back(), none);
  EXPECT_EQ(ran, (std::vector<int>{0, 0}));
}

TEST_F(MainLoopTest, WithoutADueHookALaterCallWakesTheLoopLikeAnyOther) {
  TTargetId a = loop.AddTarget();
  int wakes = 0;
  loop.SetWakeHook([&] { ++wakes; });
  loop.PostLater(a, Record(1), 1h);
  EXPECT_EQ(wakes, 1);

  // A due hook that goes away hands what waits to the wake hook.
  loop.SetDueHook([](TMainLoop::TClock::time_point) {});
  loop.PostLater(a, Record(2), 1h);
  EXPECT_EQ(wakes, 1);
  loop.SetDueHook(nullptr);
  EXPECT_EQ(wakes, 2);
  EXPECT_EQ(loop.RunPending(), 2u);
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}
