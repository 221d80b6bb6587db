#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sys/MMTimer.h"
#include "platform/sys/Sync.h"
#include "tests/support/Wait.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(TTimerFdService, RefusesAPeriodOfZeroAndAnEmptyCallback) {
  sys::TTimerFdService service;
  EXPECT_EQ(service.Start(0, [] {}), 0u);
  EXPECT_EQ(service.Start(5, nullptr), 0u);
  EXPECT_FALSE(service.Kill(12345));
}

TEST(TTimerFdService, TicksPeriodicallyAndStopsSynchronously) {
  sys::TTimerFdService service;
  std::atomic<int> ticks{0};
  sys::TSemaphore counted(0, 100000);
  sys::TTimerId id = service.Start(2, [&] {
    ++ticks;
    counted.Release();
  });
  ASSERT_NE(id, 0u);
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(counted.Wait(5s));
  EXPECT_TRUE(service.Kill(id));
  const int atKill = ticks.load();
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(ticks.load(), atKill);
  EXPECT_FALSE(service.Kill(id));
}

TEST(TTimerFdService, MissedPeriodsAreCalledBackToBack) {
  // The first callback stalls the timer thread for 50 periods. Were missed
  // periods dropped, each later call would need a fresh expiration, so no
  // more than 21 calls could follow within 20 periods of the stall's end;
  // delivered back to back, the 50 waiting ones all come at once. The margin
  // is wide so a busy machine does not fail a sound timer.
  constexpr uint32_t period = 2;
  constexpr size_t wanted = 60;
  sys::TTimerFdService service;
  std::mutex m;
  std::vector<Clock::time_point> calls;
  Clock::time_point stallEnd;
  sys::TSemaphore enough(0, 1);
  sys::TTimerId id = service.Start(period, [&] {
    std::lock_guard<std::mutex> lock(m);
    if (calls.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50 * period));
      stallEnd = Clock::now();
    }
    calls.push_back(Clock::now());
    if (calls.size() == wanted)
      enough.Release();
  });
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(enough.Wait(10s));
  service.Kill(id);
  std::lock_guard<std::mutex> lock(m);
  int soon = 0;
  for (size_t i = 1; i < calls.size(); ++i)
    if (calls[i] - stallEnd < std::chrono::milliseconds(20 * period))
      ++soon;
  EXPECT_GE(soon, 30) << "ticks missed during the stall were dropped";
}

TEST(TTimerFdService, ACallbackMayKillItsOwnTimer) {
  sys::TTimerFdService service;
  std::atomic<sys::TTimerId> id{0};
  std::atomic<int> ticks{0};
  sys::TEvent killed(sys::TEventReset::Manual);
  sys::TTimerId started = service.Start(1, [&] {
    while (id.load() == 0)
      std::this_thread::yield();
    if (++ticks == 1) {
      service.Kill(id.load());
      killed.Set();
    }
  });
  id = started;
  ASSERT_TRUE(killed.Wait(5s));
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(ticks.load(), 1);
}

TEST(TManualTimerService, FiresOnlyWhenToldAndOnlyRunningTimers) {
  sys::TManualTimerService manual;
  sys::TScopedTimerService installed(manual);
  int a = 0, b = 0;
  sys::TTimerId ta = sys::TimeSetEvent(20, [&] { ++a; });
  sys::TTimerId tb = sys::TimeSetEvent(21, [&] { ++b; });
  EXPECT_EQ(sys::TimeSetEvent(0, [] {}), 0u);
  EXPECT_EQ(manual.Running().size(), 2u);
  EXPECT_EQ(manual.Period(ta), 20u);
  EXPECT_TRUE(manual.Fire(ta, 3));
  EXPECT_EQ(manual.FirePeriod(21), 1);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, 1);
  EXPECT_TRUE(sys::TimeKillEvent(ta));
  EXPECT_FALSE(manual.Fire(ta));
  EXPECT_FALSE(sys::TimeKillEvent(ta));
  EXPECT_EQ(a, 3);
  EXPECT_TRUE(sys::TimeKillEvent(tb));
}

TEST(TManualTimerService, TheScopeRestoresTheRealService) {
  sys::ITimerService *real = &sys::TimerService();
  {
    sys::TManualTimerService manual;
    sys::TScopedTimerService installed(manual);
    EXPECT_EQ(&sys::TimerService(), &manual);
  }
  EXPECT_EQ(&sys::TimerService(), real);
}
