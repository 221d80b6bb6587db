#include <vector>

#include <gtest/gtest.h>

#include "app/ProgressPacer.h"
#include "platform/gui/Application.h"
#include "platform/gui/Timers.h"
#include "platform/sys/MMTimer.h"

namespace {

class TProgressPacerTest : public ::testing::Test {
protected:
  void SetUp() override { gui::Application(); }

  // Offers the position Value; Shown collects what was applied.
  void Report(int Value) {
    Pacer.Offer([this, Value] { Shown.push_back(Value); });
  }
  // Ends the running period, if any; false when none runs.
  bool EndPeriod() {
    const std::vector<sys::TTimerId> Running = Timers.Running();
    if (Running.empty())
      return false;
    EXPECT_EQ(Timers.Period(Running.front()), 100u);
    return Timers.Fire(Running.front());
  }

  sys::TManualTimerService Timers;
  gui::TScopedWindowTimerService Scoped{Timers};
  TProgressPacer Pacer;
  std::vector<int> Shown;
};

TEST_F(TProgressPacerTest, TheFirstReportShowsAtOnceTheLatestAtTheEndOfEachPeriod) {
  Report(1);
  EXPECT_EQ(Shown, (std::vector<int>{1}));
  for (int V = 2; V <= 5; ++V) // one period's buffers
    Report(V);
  EXPECT_EQ(Shown, (std::vector<int>{1}));
  ASSERT_TRUE(EndPeriod());
  EXPECT_EQ(Shown, (std::vector<int>{1, 5}));
  Report(6);
  Report(7);
  ASSERT_TRUE(EndPeriod());
  EXPECT_EQ(Shown, (std::vector<int>{1, 5, 7}));
}

TEST_F(TProgressPacerTest, TheLastReportBeforeAStopIsShownAndAQuietPeriodEndsThePacing) {
  Report(1);
  Report(2); // the last buffer before a stop or a pause
  ASSERT_TRUE(EndPeriod());
  EXPECT_EQ(Shown, (std::vector<int>{1, 2}));
  ASSERT_TRUE(EndPeriod()); // nothing came during this period
  EXPECT_TRUE(Timers.Running().empty()) << "an idle window keeps no timer";
  EXPECT_EQ(Shown, (std::vector<int>{1, 2}));
  Report(3); // after the pause: at once again
  EXPECT_EQ(Shown, (std::vector<int>{1, 2, 3}));
}

} // namespace
