// Fixture for the filter, transform and correlation tests: every block that the
// operations took from either allocator is back when a test ends, and a failure armed
// by a test never leaks into the next one.
#pragma once

#include "framework/dispatch/generic_nocaller_alloc.h"
#include "kernels/fft-real/FFTAlloc.h"

#include <gtest/gtest.h>

class LiveBlocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ours_ = dispatch_filters::blockLiveCount();
        engine_ = Slbcbbasicdispatcher::fftLiveBlocks();
    }
    void TearDown() override
    {
        dispatch_filters::blockFailAfter(-1);
        Slbcbbasicdispatcher::fftFailAfter(-1);
        EXPECT_EQ(dispatch_filters::blockLiveCount(), ours_);
        EXPECT_EQ(Slbcbbasicdispatcher::fftLiveBlocks(), engine_);
    }
    long ours_ = 0;
    long engine_ = 0;
};
