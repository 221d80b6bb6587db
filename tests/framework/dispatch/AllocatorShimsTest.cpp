// The aligned allocator and the numeric shims of the generic variants.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

#include "framework/dispatch/IppMalloc.h"
#include "framework/dispatch/Libcdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"

namespace {

using namespace Libcdispatcher;

TEST(AlignedAllocator, RefusesSizesBelowOne) {
  EXPECT_EQ(dispatch::_ippMalloc(0), nullptr);
  EXPECT_EQ(dispatch::_ippMalloc(-5), nullptr);
}

TEST(AlignedAllocator, BlocksAreAlignedAndUsable) {
  for (int n : {1, 3, 31, 32, 33, 4096, 100000}) {
    auto *p = static_cast<unsigned char *>(dispatch::_ippMalloc(n));
    ASSERT_NE(p, nullptr) << n;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 32, 0u) << n;
    std::memset(p, 0xA5, static_cast<std::size_t>(n)); // every byte is ours (ASan checks)
    dispatch::_ippFree(p);
  }
}

TEST(AlignedAllocator, FreeOfNullDoesNothing) {
  // A free that looked for the raw address before a null pointer would crash the process.
  EXPECT_EXIT(
      {
        dispatch::_ippFree(nullptr);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(AlignedAllocator, TheUnitsExportTheSameAllocator) {
  void *p = Slbasicdispatcher::_ippMalloc(64);
  ASSERT_NE(p, nullptr);
  Slbasicdispatcher::_ippFree(p);
}

TEST(NumericShims, SineAndCosine) {
  EXPECT_EQ(_sin(std::ldexp(1.0, 64)), 0.0);
  EXPECT_EQ(_cos(std::ldexp(1.0, 63)), 0.0);
  EXPECT_EQ(_sin(std::numbers::pi / 2), 1.0);
  EXPECT_EQ(_cos(0.0), 1.0);
  EXPECT_NE(_sin(std::ldexp(1.0, 62)), 0.0);
  EXPECT_TRUE(std::isnan(_sin(std::numeric_limits<double>::infinity())));
}

TEST(NumericShims, Logarithm) {
  EXPECT_EQ(_log(std::numbers::e), 1.0);
  EXPECT_EQ(_log(1.0), 0.0);
  EXPECT_EQ(_log(0.0), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(std::bit_cast<std::uint64_t>(_log(-1.0)), 0xFFF8000000000000ull);
}

TEST(NumericShims, Exponential) {
  EXPECT_EQ(_exp(0.0), 1.0);
  EXPECT_EQ(_exp(1.0), std::numbers::e);
  EXPECT_EQ(_exp(-1000.0), 0.0);
  EXPECT_EQ(_exp(1000.0), std::numeric_limits<double>::infinity());
  EXPECT_EQ(_exp(1e300), std::numeric_limits<double>::infinity());
  EXPECT_EQ(_exp(-1e300), 0.0);
  EXPECT_EQ(_exp(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
  EXPECT_EQ(_exp(-std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_TRUE(std::isnan(_exp(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_DOUBLE_EQ(_exp(std::log(2.0) * 10), 1024.0);
  // subnormal results keep their value
  EXPECT_EQ(_exp(-740.0), std::exp(-740.0));
}

TEST(NumericShims, FloorAndCeilBeyondThe32BitRange) {
  EXPECT_EQ(_floor(-2.5), -3.0);
  EXPECT_EQ(_ceil(-2.5), -2.0);
  EXPECT_EQ(_floor(2.5), 2.0);
  EXPECT_EQ(_ceil(2.5), 3.0);
  EXPECT_EQ(_floor(-0.5), -1.0);
  EXPECT_EQ(_ceil(0.25), 1.0);
  EXPECT_EQ(_floor(3e9 + 0.5), 3e9);
  EXPECT_EQ(_ceil(-3e9 - 0.5), -3e9);
  EXPECT_EQ(_floor(1e300), 1e300);
  EXPECT_EQ(_ceil(-4294967296.5), -4294967296.0);
}

TEST(NumericShims, PowerSquareRootAndAngle) {
  EXPECT_EQ(_pow(2.0, 10.0), 1024.0);
  EXPECT_EQ(_sqrt(2.25), 1.5);
  EXPECT_DOUBLE_EQ(_atan2(1.0, -1.0), 3 * std::numbers::pi / 4);
  EXPECT_EQ(_atan2(0.0, -1.0), std::numbers::pi);
}

TEST(NumericShims, MemmoveHandlesOverlap) {
  unsigned char buf[16];
  for (int i = 0; i < 16; ++i)
    buf[i] = static_cast<unsigned char>(i);
  EXPECT_EQ(_memmove(buf + 2, buf, 8), buf + 2);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(buf[2 + i], i);
  for (int i = 0; i < 16; ++i)
    buf[i] = static_cast<unsigned char>(i);
  _memmove(buf, buf + 2, 8);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(buf[i], i + 2);
  _memmove(buf, buf + 4, 0);
  _memmove(buf, buf + 4, -3);
  EXPECT_EQ(buf[0], 2);
}

} // namespace
