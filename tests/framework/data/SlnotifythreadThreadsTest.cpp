#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "framework/data/SLClockGen.h"
#include "framework/data/Slnotifythread.h"
#include "framework/data/Slwriteprotect.h"
#include "tests/support/Wait.h"

using namespace std::chrono_literals;

namespace {

// A callback that can be held inside its run until the test lets it go, so
// wake-ups can be made "while the callback runs" without timing.
struct TGate {
  sys::TEvent entered{sys::TEventReset::Auto};
  sys::TEvent release{sys::TEventReset::Auto};
  std::atomic<int> runs{0};
  std::atomic<bool> hold{true};
  std::atomic<sys::TThread *> sender{nullptr};
  sys::TSemaphore done{0, 1000000};

  TSLCallbackThread::TCallback Callback() {
    return [this](sys::TThread *s) {
      sender = s;
      ++runs;
      if (hold) {
        entered.Set();
        release.Wait(10s);
      }
      done.Release();
    };
  }
};

} // namespace

// The two coalescing threads behave alike: ten wakes during a run give one more run.
template <class T> class CoalescingThread : public ::testing::Test {};
using CoalescingThreads = ::testing::Types<TSLNotifyThread, TSLEventClockThread>;
TYPED_TEST_SUITE(CoalescingThread, CoalescingThreads);

template <class T> void WakeUp(T &t);
template <> void WakeUp(TSLNotifyThread &t) { t.Notify(); }
template <> void WakeUp(TSLEventClockThread &t) { t.Clock(); }
template <> void WakeUp(TSLClockThread &t) { t.Clock(); }

// Every callback thread, counting or coalescing, ends only after the running
// callback has returned.
template <class T> class CallbackThread : public ::testing::Test {};
using CallbackThreads = ::testing::Types<TSLNotifyThread, TSLEventClockThread, TSLClockThread>;
TYPED_TEST_SUITE(CallbackThread, CallbackThreads);

TYPED_TEST(CoalescingThread, TenWakesDuringARunGiveOneFurtherRun) {
  TGate gate;
  TypeParam thread(gate.Callback());
  WakeUp(thread);
  ASSERT_TRUE(gate.entered.Wait(10s));
  for (int i = 0; i < 10; ++i)
    WakeUp(thread);
  gate.hold = false;
  gate.release.Set();
  ASSERT_TRUE(gate.done.Wait(10s)); // the first run
  ASSERT_TRUE(gate.done.Wait(10s)); // the one merged run
  EXPECT_FALSE(gate.done.Wait(50ms));
  EXPECT_EQ(gate.runs.load(), 2);
  EXPECT_EQ(gate.sender.load(), &thread);
}

TYPED_TEST(CallbackThread, DestroyingAnIdleThreadReturnsPromptly) {
  TGate gate;
  { TypeParam thread(gate.Callback()); }
  EXPECT_EQ(gate.runs.load(), 0);
}

TYPED_TEST(CallbackThread, DestroyingDuringACallbackWaitsForItToReturn) {
  TGate gate;
  std::atomic<bool> destroyed{false};
  auto thread = std::make_unique<TypeParam>(gate.Callback());
  WakeUp(*thread);
  ASSERT_TRUE(gate.entered.Wait(10s));
  std::thread destroyer([&] {
    thread.reset();
    destroyed = true;
  });
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_FALSE(destroyed.load());
  gate.release.Set();
  destroyer.join();
  EXPECT_TRUE(destroyed.load());
  EXPECT_EQ(gate.runs.load(), 1);
}

TEST(TSLNotifyThread, AThrowingCallbackDoesNotEndTheThread) {
  sys::TSemaphore runs(0, 100);
  TSLNotifyThread thread([&](sys::TThread *) {
    runs.Release();
    throw std::runtime_error("capture failed");
  });
  thread.Notify();
  ASSERT_TRUE(runs.Wait(10s));
  thread.Notify();
  EXPECT_TRUE(runs.Wait(10s)) << "a later notify was lost";
  EXPECT_FALSE(thread.FatalException());
}

TEST(TSLNotifyThread, NotifyAfterTerminateHasNoEffect) {
  std::atomic<int> runs{0};
  TSLNotifyThread thread([&](sys::TThread *) { ++runs; });
  thread.Terminate();
  EXPECT_TRUE(thread.Finished());
  thread.Notify();
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(runs.load(), 0);
}

TEST(TSLClockThread, EveryClockDuringARunGivesOneMoreRun) {
  TGate gate;
  TSLClockThread thread(gate.Callback());
  thread.Clock();
  ASSERT_TRUE(gate.entered.Wait(10s));
  for (int i = 0; i < 5; ++i)
    thread.Clock();
  gate.hold = false;
  gate.release.Set();
  for (int i = 0; i < 6; ++i)
    ASSERT_TRUE(gate.done.Wait(10s)) << "run " << i;
  EXPECT_FALSE(gate.done.Wait(50ms));
  EXPECT_EQ(gate.runs.load(), 6);
}

TEST(TSLClockThread, ClocksPastTheMaximumAreLost) {
  TGate gate;
  TSLClockThread thread(gate.Callback());
  thread.Clock();
  ASSERT_TRUE(gate.entered.Wait(10s));
  for (int i = 0; i < TSLClockThread::MaxPendingTicks + 5; ++i)
    thread.Clock();
  gate.hold = false;
  gate.release.Set();
  const int expected = 1 + TSLClockThread::MaxPendingTicks;
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (gate.runs.load() < expected && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(gate.runs.load(), expected);
}

TEST(TSLClockThread, DestructionEndsTheThreadEvenWithAFullSemaphore) {
  TGate gate;
  auto thread = std::make_unique<TSLClockThread>(gate.Callback());
  thread->Clock();
  ASSERT_TRUE(gate.entered.Wait(10s));
  for (int i = 0; i < TSLClockThread::MaxPendingTicks; ++i)
    thread->Clock();
  gate.hold = false;
  std::thread destroyer([&] { thread.reset(); });
  gate.release.Set();
  destroyer.join();
  EXPECT_FALSE(thread);
}

TEST(TSLClockThread, AnUnassignedCallbackIsSkippedAndTheThreadEndsCleanly) {
  TSLClockThread thread(nullptr);
  thread.Clock();
  thread.Clock();
  thread.Terminate();
  EXPECT_TRUE(thread.Finished());
  EXPECT_FALSE(thread.FatalException());
}

TEST(TSLWriteProtect, AReadWaitsForAnotherThreadsWrite) {
  TSLWriteProtect protect;
  protect.EnterWrite();
  protect.EnterRead(); // the holder may enter again
  protect.LeaveRead();
  std::atomic<bool> read{false};
  std::thread reader([&] {
    protect.EnterRead();
    read = true;
    protect.LeaveRead();
  });
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_FALSE(read.load());
  protect.LeaveWrite();
  reader.join();
  EXPECT_TRUE(read.load());
}
