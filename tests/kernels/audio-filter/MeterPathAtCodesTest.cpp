// The meters' road through the dispatch slots at each processor code: 16-bit frames to
// floats, the order-2 filter made and run through the slots, squares and their sum. At
// every code the filter that the code selects runs on the state that the same code's
// set-up made, and the reading stays within the bounds of the variants against code 0.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

class MeterPathAtCode : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override { select(GetParam()); }
  void TearDown() override {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::UnInitializeDispatch();
  }
  static void select(int code) {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(code));
  }

  // The VU reading of one channel of stereo frames, in chunks of `chunk` frames.
  static double reading(const std::vector<short> &frames, int chunk) {
    const float c = static_cast<float>(1.0 - 40.0 * std::numbers::pi / 48000.0);
    const float taps[6] = {0.0f, -1.0f, 1.0f, -1.0f, c, 0.0f};
    IIRState_32f *state = nullptr;
    EXPECT_EQ(Vizazodizaro::ippsIIRInitAlloc_32f(&state, taps, 2, nullptr), ippStsNoErr);
    const int frameCount = static_cast<int>(frames.size() / 2);
    std::vector<float> f(static_cast<std::size_t>(chunk));
    double total = 0;
    for (int start = 0; start < frameCount; start += chunk) {
      const int n = std::min(chunk, frameCount - start);
      EXPECT_EQ(
          Vizazodizaro::ippiConvert_16s32f_C1R(frames.data() + 2 * start, 4, f.data(), 4, {1, n}),
          ippStsNoErr);
      EXPECT_EQ(Vizazodizaro::ippsIIR_32f_I(f.data(), n, state), ippStsNoErr);
      EXPECT_EQ(Vizazodizaro::ippsSqr_32f_I(f.data(), n), ippStsNoErr);
      float sum = 0;
      EXPECT_EQ(Vizazodizaro::ippsSum_32f(f.data(), n, &sum, 0), ippStsNoErr);
      total += sum;
    }
    EXPECT_EQ(Vizazodizaro::ippsIIRFree_32f(state), ippStsNoErr);
    return total;
  }
};

TEST_P(MeterPathAtCode, ReadingMatchesTheGenericPath) {
  std::vector<short> frames(2 * 4800);
  for (std::size_t i = 0; i < frames.size(); ++i)
    frames[i] = static_cast<short>(12000.0 * std::sin(0.05 * static_cast<double>(i / 2)) +
                                   static_cast<double>((i * 7919) % 2001) - 1000.0);
  const double atCode = reading(frames, 1024);
  select(0);
  const double generic = reading(frames, 1024);
  // Single-precision filtering and another summation order: well within 1e-4 relative.
  EXPECT_NEAR(atCode, generic, 1e-4 * generic);
  EXPECT_GT(generic, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Codes, MeterPathAtCode, ::testing::Values(0, 5, 6, 7, 16));

} // namespace
