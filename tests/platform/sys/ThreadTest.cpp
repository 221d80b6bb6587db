#include <atomic>
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/sys/Sync.h"
#include "platform/sys/Thread.h"

using namespace std::chrono_literals;

namespace {

// Runs until terminated, counting loops; signals once it is inside Execute.
class TLoopThread : public sys::TThread {
public:
  ~TLoopThread() override {
    Terminate();
    WaitFor();
  }
  sys::TEvent running{sys::TEventReset::Manual};
  std::atomic<bool> wasCurrent{false};

protected:
  void Execute() override {
    wasCurrent = IsCurrentThread();
    running.Set();
    while (!Terminated())
      std::this_thread::sleep_for(1ms);
  }
};

class TThrowingThread : public sys::TThread {
public:
  ~TThrowingThread() override { WaitFor(); }

protected:
  void Execute() override { throw std::runtime_error("callback failed"); }
};

} // namespace

TEST(TThread, RunsUntilTerminatedAndWaitForJoins) {
  TLoopThread t;
  EXPECT_FALSE(t.Started());
  t.Start();
  ASSERT_TRUE(t.running.Wait(5s));
  EXPECT_TRUE(t.wasCurrent);
  EXPECT_FALSE(t.IsCurrentThread());
  EXPECT_FALSE(t.Finished());
  t.Terminate();
  EXPECT_TRUE(t.Terminated());
  t.WaitFor();
  EXPECT_TRUE(t.Finished());
  t.WaitFor(); // a second wait returns at once
}

TEST(TThread, WaitForOnAThreadNeverStartedReturns) {
  TLoopThread t;
  t.WaitFor();
  EXPECT_FALSE(t.Finished());
}

TEST(TThread, AnExceptionFromExecuteEndsOnlyTheThread) {
  TThrowingThread t;
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(t.Finished());
  ASSERT_TRUE(t.FatalException());
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::runtime_error);
}

TEST(TThread, HighestPriorityIsBestEffort) {
  // Without the right to raise priority the thread still runs, at normal priority.
  TLoopThread t;
  t.SetPriority(sys::TThreadPriority::Highest);
  EXPECT_EQ(t.Priority(), sys::TThreadPriority::Highest);
  t.Start();
  EXPECT_TRUE(t.running.Wait(5s));
}
