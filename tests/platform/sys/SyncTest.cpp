#include "platform/sys/Sync.h"

#include <gtest/gtest.h>

#include <thread>

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
  std::thread([&] { otherEntered = cs.TryEnter(); if (otherEntered) cs.Leave(); }).join();
  EXPECT_TRUE(otherEntered);
}
