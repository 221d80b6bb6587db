#include <QCoreApplication>
#include <chrono>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "platform/gui/Application.h"
#include "platform/gui/Timers.h"

namespace {

using namespace gui;

class TPollForm : public TComponent {
  CLASSLIB_CLASS(TPollForm)

public:
  explicit TPollForm(TComponent *owner) : TComponent(owner) {}
  void Timer1Timer(TObject *) { ++Polls; }
  int Polls = 0;
};

const TClassInfo &TPollForm::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TPollForm>(
      "TPollForm", &TComponent::StaticClassInfo(), [](TClassBuilder<TPollForm> &c) {
        c.Method<void(TObject *)>("Timer1Timer", &TPollForm::Timer1Timer);
      });
  return info;
}

class TWindowTimerTest : public ::testing::Test {
protected:
  sys::TManualTimerService service;
  TScopedWindowTimerService scoped{service};
};

TEST_F(TWindowTimerTest, ATimerRunsOnlyWhileEnabledWithAnIntervalAndAHandler) {
  TOwnedPtr<TTimer> timer(CreateObject<TTimer>(nullptr));
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 1000u);
  EXPECT_TRUE(service.Running().empty()) << "no handler yet";

  int fired = 0;
  TNotifyEvent handler;
  handler.Fn = [&](TObject *sender) {
    EXPECT_EQ(sender, timer.get());
    ++fired;
  };
  timer->SetOnTimer(handler);
  ASSERT_EQ(service.Running().size(), 1u);
  EXPECT_EQ(service.FirePeriod(1000), 1);
  EXPECT_EQ(fired, 1);

  timer->SetInterval(5000);
  EXPECT_EQ(service.FirePeriod(1000), 0);
  EXPECT_EQ(service.FirePeriod(5000), 1);
  timer->SetInterval(0);
  EXPECT_TRUE(service.Running().empty());
  timer->SetInterval(5000);
  timer->SetEnabled(false);
  EXPECT_TRUE(service.Running().empty());
  EXPECT_EQ(fired, 2);
}

TEST_F(TWindowTimerTest, ReEnablingRestartsTheCount) {
  TOwnedPtr<TTimer> watchdog(CreateObject<TTimer>(nullptr));
  watchdog->SetInterval(5000);
  int fired = 0;
  TNotifyEvent handler;
  handler.Fn = [&](TObject *) { ++fired; };
  watchdog->SetOnTimer(handler);
  sys::TTimerId first = service.Running().at(0);
  watchdog->SetEnabled(false);
  watchdog->SetEnabled(true);
  ASSERT_EQ(service.Running().size(), 1u);
  EXPECT_NE(service.Running()[0], first) << "a fresh period, not the old one";
  EXPECT_FALSE(service.Fire(first));
}

TEST_F(TWindowTimerTest, AHandlerMayStopOrFreeItsOwnTimer) {
  TTimer *timer = CreateObject<TTimer>(nullptr);
  TNotifyEvent handler;
  handler.Fn = [&](TObject *) { FreeObject(timer); };
  timer->SetOnTimer(handler);
  EXPECT_EQ(service.FirePeriod(1000), 1);
  EXPECT_TRUE(service.Running().empty());
}

TEST_F(TWindowTimerTest, AFormLoadedTimerStartsOnceItsHandlerIsBound) {
  RegisterTimerClasses();
  TOwnedPtr<TPollForm> form(CreateObject<TPollForm>(nullptr));
  LoadFormText(form.get(), R"(object MainForm: TPollForm
  object Timer1: TTimer
    OnTimer = Timer1Timer
  end
  object WatchdogTimer: TTimer
    Enabled = False
    Interval = 5000
    OnTimer = Timer1Timer
  end
end
)");
  auto *watchdog = static_cast<TTimer *>(form->FindComponent("WatchdogTimer"));
  ASSERT_NE(watchdog, nullptr);
  EXPECT_FALSE(watchdog->Running());
  ASSERT_EQ(service.Running().size(), 1u);
  EXPECT_EQ(service.FirePeriod(1000), 1);
  EXPECT_EQ(form->Polls, 1);
  watchdog->SetEnabled(true);
  EXPECT_EQ(service.FirePeriod(5000), 1);
  EXPECT_EQ(form->Polls, 2);
}

TEST_F(TWindowTimerTest, TimerWindowDeliversWmTimerWithTheIdentifier) {
  std::vector<uint64_t> got;
  TTimerWindow window([&](const mainloop::TMessage &m) {
    EXPECT_EQ(m.Msg, WM_TIMER);
    got.push_back(m.WParam);
  });
  ASSERT_TRUE(window.SetTimer(7, 500));
  ASSERT_TRUE(window.SetTimer(9, 20));
  EXPECT_EQ(service.FirePeriod(500), 1);
  EXPECT_EQ(service.FirePeriod(20), 1);
  EXPECT_EQ(got, (std::vector<uint64_t>{7, 9}));

  ASSERT_TRUE(window.SetTimer(7, 250)); // the same identifier replaces its timer
  EXPECT_EQ(window.TimerCount(), 2u);
  EXPECT_EQ(service.FirePeriod(500), 0);
  EXPECT_TRUE(window.KillTimer(7));
  EXPECT_FALSE(window.KillTimer(7));
  ASSERT_TRUE(window.SetTimer(1, 0));
  EXPECT_EQ(service.Period(service.Running().back()), USER_TIMER_MINIMUM);
}

TEST_F(TWindowTimerTest, DestroyingATimerWindowKillsItsTimers) {
  {
    TTimerWindow window([](const mainloop::TMessage &) {});
    window.SetTimer(1, 100);
    window.SetTimer(2, 100);
    EXPECT_EQ(service.Running().size(), 2u);
  }
  EXPECT_TRUE(service.Running().empty());
}

TEST(QtTimerServiceTest, FiresOnTheMainThreadsLoopUntilKilled) {
  Application();
  int fired = 0;
  TQtTimerService service;
  sys::TTimerId id = service.Start(10, [&] { ++fired; });
  ASSERT_NE(id, 0u);
  EXPECT_EQ(service.Start(0, [] {}), 0u);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (fired < 2 && std::chrono::steady_clock::now() < deadline)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_GE(fired, 2);
  EXPECT_TRUE(service.Kill(id));
  EXPECT_FALSE(service.Kill(id));
}

} // namespace
