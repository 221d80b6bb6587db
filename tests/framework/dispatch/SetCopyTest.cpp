// Fills, zero fills, copies and moves through their dispatch slots.
#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

TEST(SetCopy, CopyOfDoublesCopiesEveryElement)
{
    const std::array<double, 5> src{1.5, -0.0, 3.0, 4.25, -7.0};
    std::array<double, 5> dst{};
    EXPECT_EQ(Slbasicdispatcher::ippsCopy_64f(src.data(), dst.data(), 5), ippStsNoErr);
    EXPECT_EQ(std::memcmp(src.data(), dst.data(), sizeof src), 0);
}

}  // namespace
