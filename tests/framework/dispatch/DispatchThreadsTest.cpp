// Concurrent first calls of one operation: every caller gets its own correct result and
// the slot ends holding the chosen variant. Clean under the thread sanitizer.
#include <chrono>
#include <future>
#include <latch>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/Slbasicdispatcher.h"

namespace {

TEST(DispatchThreads, ConcurrentFirstCallsAllSucceed) {
  constexpr int kThreads = 8;
  constexpr int kLen = 257;
  for (int round = 0; round < 20; ++round) {
    Ippglobalcpu::UnInitializeDispatch();
    dispatch::ResetSlotsForTesting();
    std::latch start(kThreads);
    std::vector<std::future<bool>> results;
    for (int t = 0; t < kThreads; ++t) {
      results.push_back(std::async(std::launch::async, [&start, t] {
        std::vector<double> buf(kLen, -1.0);
        start.arrive_and_wait();
        if (Slbasicdispatcher::ippsSet_64f(t + 0.5, buf.data(), kLen) != ippStsNoErr)
          return false;
        for (double v : buf) {
          if (v != t + 0.5)
            return false;
        }
        return true;
      }));
    }
    for (auto &r : results) {
      ASSERT_EQ(r.wait_for(std::chrono::seconds(30)), std::future_status::ready);
      EXPECT_TRUE(r.get());
    }
    EXPECT_EQ(Slbasicdispatcher::slots::ippsSet_64f.load(),
              &Slbasicdispatcher::generic::ippsSet_64f);
  }
  dispatch::ResetSlotsForTesting();
}

} // namespace
