#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "app/Simpletimer.h"

namespace {

class TSimpleTimerTest : public ::testing::Test {
protected:
  static TNotifyEvent Counter(std::vector<TObject *> &log) {
    TNotifyEvent e;
    e.Fn = [&log](TObject *sender) { log.push_back(sender); };
    return e;
  }
  sys::TManualTimerService service;
  gui::TScopedWindowTimerService scoped{service};
  std::vector<TObject *> fired;
};

TEST_F(TSimpleTimerTest, ATimerStartsDisabledAndFiresWithItselfAsSender) {
  TSimpleTimer timer(500, Counter(fired));
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(timer.Id(), reinterpret_cast<uint64_t>(&timer));
  EXPECT_EQ(GetSimpleTimerCount(), 1);
  EXPECT_EQ(GetSimpleTimerActiveCount(), 0);
  ASSERT_TRUE(timer.Start());
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(GetSimpleTimerActiveCount(), 1);
  EXPECT_EQ(service.FirePeriod(500), 1);
  EXPECT_EQ(fired, std::vector<TObject *>{&timer});
  EXPECT_TRUE(timer.Stop(true));
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(GetSimpleTimerActiveCount(), 0);
  EXPECT_FALSE(timer.Stop(true)) << "no window timer runs any more";
}

TEST_F(TSimpleTimerTest, IntervalZeroStopsWithoutClearingEnabledAndANewIntervalRestarts) {
  TSimpleTimer timer(500, Counter(fired));
  timer.SetEnabled(true);
  timer.SetInterval(0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_TRUE(service.Running().empty());
  EXPECT_EQ(GetSimpleTimerActiveCount(), 0);
  timer.SetInterval(250);
  ASSERT_EQ(service.Running().size(), 1u);
  EXPECT_EQ(service.Period(service.Running()[0]), 250u);
  EXPECT_EQ(GetSimpleTimerActiveCount(), 1);
  TSimpleTimer zero(0, Counter(fired));
  EXPECT_FALSE(zero.Start());
  EXPECT_FALSE(zero.Enabled());
}

TEST_F(TSimpleTimerTest, EnablingAnEnabledTimerRestartsItsPeriod) {
  TSimpleTimer timer(500, Counter(fired));
  timer.SetEnabled(true);
  sys::TTimerId first = service.Running().at(0);
  timer.SetEnabled(true);
  ASSERT_EQ(service.Running().size(), 1u);
  EXPECT_NE(service.Running()[0], first);
  EXPECT_EQ(GetSimpleTimerActiveCount(), 1);
}

TEST_F(TSimpleTimerTest, UnassigningTheEventStopsThePlatformTimer) {
  TSimpleTimer timer(500, Counter(fired));
  timer.SetEnabled(true);
  timer.SetOnTimer(TNotifyEvent{});
  EXPECT_TRUE(service.Running().empty());
  EXPECT_TRUE(timer.Enabled());
}

TEST_F(TSimpleTimerTest, DisableOnFireStopsTheTimerBeforeItsEvent) {
  TSimpleTimer timer(500, TNotifyEvent{});
  TNotifyEvent e;
  e.Fn = [&](TObject *) {
    EXPECT_FALSE(timer.Enabled());
    fired.push_back(&timer);
  };
  timer.SetOnTimer(e);
  timer.SetDisableOnFire(true);
  timer.Start();
  EXPECT_EQ(service.FirePeriod(500), 1);
  EXPECT_EQ(fired.size(), 1u);
  EXPECT_TRUE(service.Running().empty());
}

TEST_F(TSimpleTimerTest, TimersHaveTheirOwnIdentifiersAndTheSharedWindowGoesWithTheLast) {
  {
    auto a = std::make_unique<TSimpleTimer>(100, Counter(fired));
    auto b = std::make_unique<TSimpleTimer>(100, Counter(fired));
    EXPECT_NE(a->Id(), b->Id());
    a->Start();
    b->Start();
    EXPECT_EQ(GetSimpleTimerCount(), 2);
    EXPECT_EQ(GetSimpleTimerActiveCount(), 2);
    EXPECT_EQ(service.FirePeriod(100), 2);
    EXPECT_EQ(fired, (std::vector<TObject *>{a.get(), b.get()}));
    a.reset(); // an enabled timer stops on destruction
    EXPECT_EQ(service.Running().size(), 1u);
    EXPECT_TRUE(SimpleTimerHandlerExists());
  }
  EXPECT_FALSE(SimpleTimerHandlerExists());
  EXPECT_EQ(GetSimpleTimerCount(), 0);
  EXPECT_EQ(GetSimpleTimerActiveCount(), 0);
  EXPECT_TRUE(service.Running().empty());
}

} // namespace
