#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLClockGen.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/Wait.h"

using namespace std::chrono_literals;

namespace {

// Timers are fired by hand. Each test must leave no generator behind; the
// fixture checks that every generator thread has ended before the timer
// service goes.
class ClockGenTest : public ::testing::Test {
protected:
  void TearDown() override {
    EXPECT_EQ(SLClockGenCount(), 0);
    EXPECT_TRUE(Eventually([] { return SLClockGenLiveThreads() == 0; }));
    SLClockGenFinalization();
  }

  // Fires the generator's timer once and waits until the tick's callbacks
  // have reported through the semaphore (count reports expected).
  bool Tick(TSLClockGenItem *item, int reports = 1) {
    if (!timers.Fire(item->GetGenerator()->GetTimer()))
      return false;
    for (int i = 0; i < reports; ++i)
      if (!reported.Wait(10s))
        return false;
    return true;
  }

  sys::TManualTimerService timers;
  sys::TScopedTimerService installed{timers};
  sys::TSemaphore reported{0, 1000000};
  std::mutex m;
  std::vector<std::string> calls;

  TSLClockGenItem::TCallback Report(std::string name) {
    return [this, name] {
      {
        std::lock_guard<std::mutex> lock(m);
        calls.push_back(name);
      }
      reported.Release();
    };
  }
  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> lock(m);
    return calls;
  }
};

} // namespace

TEST_F(ClockGenTest, ClientsOfOnePeriodShareAGeneratorAndOthersGetTheirOwn) {
  TOWObject a, b, c;
  TSLClockGenItem *ia = SLGetClockGen(20, Report("a"), &a);
  TSLClockGenItem *ib = SLGetClockGen(20, Report("b"), &b);
  TSLClockGenItem *ic = SLGetClockGen(21, Report("c"), &c);
  EXPECT_EQ(ia->GetGenerator(), ib->GetGenerator());
  EXPECT_NE(ia->GetGenerator(), ic->GetGenerator());
  EXPECT_NE(ia->GetGenerator()->GetThread(), ic->GetGenerator()->GetThread());
  EXPECT_EQ(SLClockGenCount(), 2);
  EXPECT_EQ(SLClockGenLiveThreads(), 2);
  EXPECT_EQ(timers.Running().size(), 2u);
  EXPECT_EQ(timers.Period(ia->GetGenerator()->GetTimer()), 20u);

  ASSERT_TRUE(Tick(ia, 2));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"a", "b"}));
  ASSERT_TRUE(Tick(ic));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"a", "b", "c"}));

  EXPECT_FALSE(SLReleaseClockGen(ia, &a));
  EXPECT_FALSE(SLReleaseClockGen(ic, &c));
  EXPECT_TRUE(SLReleaseClockGen(ib, &b));
}

TEST_F(ClockGenTest, ReleasingOneOfTwoClientsKeepsTheGeneratorForTheOther) {
  TOWObject a, b;
  TSLClockGenItem *ia = SLGetClockGen(20, Report("a"), &a);
  TSLClockGenItem *ib = SLGetClockGen(20, Report("b"), &b);
  EXPECT_FALSE(SLReleaseClockGen(ia, &a));
  EXPECT_EQ(SLClockGenCount(), 1);
  ASSERT_TRUE(Tick(ib));
  ASSERT_TRUE(Tick(ib));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"b", "b"}));
  EXPECT_TRUE(SLReleaseClockGen(ib, &b));
}

TEST_F(ClockGenTest, TheLastReleaseEndsTheGeneratorAndItsThread) {
  TOWObject a;
  TSLClockGenItem *ia = SLGetClockGen(20, Report("a"), &a);
  const sys::TTimerId timer = ia->GetGenerator()->GetTimer();
  EXPECT_TRUE(SLReleaseClockGen(ia, &a));
  EXPECT_EQ(SLClockGenCount(), 0);
  // The tick the release pumped destroys the generator on its own thread.
  EXPECT_TRUE(Eventually([] { return SLClockGenLiveThreads() == 0; }));
  EXPECT_EQ(timers.Period(timer), 0u) << "the timer was not stopped";
  EXPECT_TRUE(Calls().empty());
}

TEST_F(ClockGenTest, TheClientJoinsTheGeneratorsLockGroupUntilReleased) {
  TOWObject a;
  TSLClockGenItem *ia = SLGetClockGen(20, Report("a"), &a);
  EXPECT_EQ(a.GetGroupLock()->Instance(), ia->GetGenerator()->GetGroupLock()->Instance());
  SLReleaseClockGen(ia, &a);
  TOWObject other;
  EXPECT_NE(a.GetGroupLock()->Instance(), other.GetGroupLock()->Instance());
}

TEST_F(ClockGenTest, AClientHoldingItsWriteLockExcludesTheTick) {
  TOWObject a;
  TSLClockGenItem *ia = SLGetClockGen(20, Report("a"), &a);
  {
    TOWWriteSection mine(&a);
    ASSERT_TRUE(timers.Fire(ia->GetGenerator()->GetTimer()));
    EXPECT_FALSE(reported.Wait(BlockedFor)) << "the tick ran under the client's lock";
  }
  EXPECT_TRUE(reported.Wait(10s));
  SLReleaseClockGen(ia, &a);
}

TEST_F(ClockGenTest, ANewClientAfterTheLastReleaseGetsANewGenerator) {
  TOWObject a, b;
  TSLClockGenItem *ia = SLGetClockGen(20, Report("a"), &a);
  const sys::TTimerId oldTimer = ia->GetGenerator()->GetTimer();
  TSLClockGenItem *ib;
  {
    // Holding the global write lock keeps the old generator's last tick from
    // running, so it is still finishing when the new client arrives.
    TOWGlobalWriteSection global;
    EXPECT_TRUE(SLReleaseClockGen(ia, &a));
    ib = SLGetClockGen(20, Report("b"), &b);
    EXPECT_NE(ib->GetGenerator()->GetTimer(), oldTimer);
    EXPECT_EQ(SLClockGenLiveThreads(), 2);
    EXPECT_EQ(SLClockGenCount(), 1);
  }
  EXPECT_TRUE(Eventually([] { return SLClockGenLiveThreads() == 1; }));
  ASSERT_TRUE(Tick(ib));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"b"}));
  EXPECT_TRUE(SLReleaseClockGen(ib, &b));
}

TEST_F(ClockGenTest, TicksAreCountedWhileACallbackIsSlow) {
  TOWObject a;
  sys::TEvent entered(sys::TEventReset::Auto), go(sys::TEventReset::Auto);
  std::atomic<int> runs{0};
  TSLClockGenItem *ia = SLGetClockGen(
      20,
      [&] {
        if (++runs == 1) {
          entered.Set();
          go.Wait(10s);
        }
        reported.Release();
      },
      &a);
  const sys::TTimerId timer = ia->GetGenerator()->GetTimer();
  timers.Fire(timer);
  ASSERT_TRUE(entered.Wait(10s));
  timers.Fire(timer, 5);
  go.Set();
  for (int i = 0; i < 6; ++i)
    ASSERT_TRUE(reported.Wait(10s)) << "tick " << i;
  EXPECT_FALSE(reported.Wait(20ms));
  EXPECT_EQ(runs.load(), 6);
  SLReleaseClockGen(ia, &a);
}

TEST_F(ClockGenTest, AThrowingClientStopsNeitherTheOthersNorLaterTicks) {
  TOWObject a, b;
  TSLClockGenItem *ia = SLGetClockGen(
      20, [] { throw std::runtime_error("player failed"); }, &a);
  TSLClockGenItem *ib = SLGetClockGen(20, Report("b"), &b);
  ASSERT_TRUE(Tick(ib));
  ASSERT_TRUE(Tick(ib));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"b", "b"}));
  SLReleaseClockGen(ia, &a);
  SLReleaseClockGen(ib, &b);
}

TEST_F(ClockGenTest, AClientMayReleaseItselfFromItsOwnCallback) {
  TOWObject a, b;
  TSLClockGenItem *ia = nullptr;
  std::atomic<int> aRuns{0};
  ia = SLGetClockGen(
      20,
      [&] {
        ++aRuns;
        SLReleaseClockGen(ia, &a);
      },
      &a);
  TSLClockGenItem *ib = SLGetClockGen(20, Report("b"), &b);
  ASSERT_TRUE(Tick(ib)); // a releases itself; b still runs in the same tick
  ASSERT_TRUE(Tick(ib));
  EXPECT_EQ(aRuns.load(), 1);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"b", "b"}));
  EXPECT_TRUE(SLReleaseClockGen(ib, &b));
}

TEST_F(ClockGenTest, TheLastClientReleasingItselfInItsCallbackEndsTheGenerator) {
  TOWObject a;
  TSLClockGenItem *ia = nullptr;
  std::atomic<bool> lastWasEmpty{false};
  ia = SLGetClockGen(
      20,
      [&] {
        lastWasEmpty = SLReleaseClockGen(ia, &a);
        reported.Release();
      },
      &a);
  ASSERT_TRUE(Tick(ia));
  EXPECT_TRUE(lastWasEmpty.load());
  EXPECT_TRUE(Eventually([] { return SLClockGenLiveThreads() == 0; }));
}

TEST_F(ClockGenTest, ThreadedPumpRunsOneMoreTickAtOnce) {
  TOWObject a;
  TSLClockGenItem *ia = SLGetClockGen(20, Report("a"), &a);
  ia->ThreadedPump();
  ASSERT_TRUE(reported.Wait(10s));
  ia->BeginWrite(); // the item's lock is the tick's lock
  ia->ThreadedPump();
  EXPECT_FALSE(reported.Wait(BlockedFor));
  ia->EndWrite();
  EXPECT_TRUE(reported.Wait(10s));
  SLReleaseClockGen(ia, &a);
}

TEST_F(ClockGenTest, FinalizationStopsAGeneratorThatIsStillInUse) {
  TOWObject a;
  SLGetClockGen(20, Report("a"), &a);
  SLClockGenFinalization();
  EXPECT_EQ(SLClockGenCount(), 0);
  EXPECT_EQ(SLClockGenLiveThreads(), 0);
  EXPECT_TRUE(timers.Running().empty());
}

// The real timer, once, with a loose window: a few ticks arrive and the
// generator still shuts down cleanly.
TEST(ClockGenRealTimer, TicksAndShutsDown) {
  TOWObject a;
  sys::TSemaphore ticks(0, 1000000);
  TSLClockGenItem *ia = SLGetClockGen(
      5, [&] { ticks.Release(); }, &a);
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(ticks.Wait(10s));
  EXPECT_TRUE(SLReleaseClockGen(ia, &a));
  EXPECT_TRUE(Eventually([] { return SLClockGenLiveThreads() == 0; }));
  SLClockGenFinalization();
}
