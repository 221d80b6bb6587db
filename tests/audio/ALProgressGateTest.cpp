#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "audio/ALProgressGate.h"

namespace {

using namespace std::chrono_literals;

// Posts are counted, and handled when the test says.
class ALProgressGateTest : public testing::Test {
protected:
  int Posted = 0;
  bool Accepts = true;
  bool LastWasLater = false;
  TALProgressGate Gate{[this](bool Later) {
                         Posted += Accepts;
                         LastWasLater = Later;
                         return Accepts;
                       },
                       50ms};
};

TEST_F(ALProgressGateTest, APostInFlightCoversEveryChangeUntilItsHandlerRuns) {
  Gate.Changed();
  EXPECT_EQ(Posted, 1);
  EXPECT_TRUE(LastWasLater) << "a moving position only feeds a display";
  for (int k = 0; k < 10; ++k)
    Gate.Changed();
  Gate.Close(); // the post on its way reads the newest values
  EXPECT_EQ(Posted, 1);
}

TEST_F(ALProgressGateTest, ChangesWithinAPeriodWaitForTheCloseAndAreThenPostedOnce) {
  Gate.Changed();
  Gate.Arrived();
  Gate.Changed();
  Gate.Changed();
  EXPECT_EQ(Posted, 1);
  Gate.Close();
  EXPECT_EQ(Posted, 2);
  EXPECT_FALSE(LastWasLater) << "the final position goes at once";
  Gate.Arrived();
  Gate.Close();
  EXPECT_EQ(Posted, 2) << "nothing changed since";
}

TEST_F(ALProgressGateTest, AChangeAPeriodAfterThePostIsPostedAtOnce) {
  Gate.Changed();
  Gate.Arrived();
  Gate.Changed(); // waits
  std::this_thread::sleep_for(60ms);
  Gate.Changed();
  EXPECT_EQ(Posted, 2);
  Gate.Arrived();
  Gate.Close();
  EXPECT_EQ(Posted, 2) << "the waiting change went with that post";
}

TEST_F(ALProgressGateTest, APostThatCouldNotBeMadeLeavesNothingInFlight) {
  Accepts = false;
  Gate.Changed();
  Accepts = true;
  std::this_thread::sleep_for(60ms);
  Gate.Changed();
  EXPECT_EQ(Posted, 1);
}

} // namespace
