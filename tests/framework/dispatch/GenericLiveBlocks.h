// Fixture for the filter, transform and correlation tests: every block that the
// operations took from either allocator is back when a test ends, and a failure armed
// by a test never leaks into the next one.
#pragma once

#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/GenericAlloc.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "tests/support/RandomVectors.h"

class LiveBlocks : public ::testing::Test {
protected:
  void SetUp() override {
    ours_ = dispatch_filters::blockLiveCount();
    engine_ = kernels::fft_real::fftLiveBlocks();
  }
  void TearDown() override {
    dispatch_filters::blockFailAfter(-1);
    kernels::fft_real::fftFailAfter(-1);
    EXPECT_EQ(dispatch_filters::blockLiveCount(), ours_);
    EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), engine_);
  }
  long ours_ = 0;
  long engine_ = 0;
};
