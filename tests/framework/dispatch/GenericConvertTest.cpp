// Conversions and rescaling, called by name through the dispatch slots.

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kFloatMax = std::numeric_limits<float>::max();

// ---- narrowing to floats --------------------------------------------------------

TEST(ConvertNarrowToFloat, SaturatesAndNeverStoresInfinity) {
  const std::vector<double> src{1e39,
                                -1e39,
                                std::nan(""),
                                kInf,
                                -kInf,
                                1.5,
                                static_cast<double>(kFloatMax),
                                -static_cast<double>(kFloatMax),
                                0.1};
  const std::vector<float> expected{kFloatMax, -kFloatMax, -kFloatMax, kFloatMax, -kFloatMax,
                                    1.5f,      kFloatMax,  -kFloatMax, 0.1f};
  std::vector<float> basic(src.size()), scope(src.size());
  const int n = static_cast<int>(src.size());
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsConvert_64f32f(src.data(), basic.data(), n));
  ASSERT_EQ(ippStsNoErr, Slscopedispatcher::ippsConvert_64f32f(src.data(), scope[0], n));
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(expected[i]), std::bit_cast<std::uint32_t>(basic[i]))
        << i;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(expected[i]), std::bit_cast<std::uint32_t>(scope[i]))
        << i;
  }
}

// ---- narrowing to 32-bit integers -------------------------------------------------

struct IntCase {
  double x;
  IppRoundMode rnd;
  int sf;
  int expected;
};

class ConvertNarrowToInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(ConvertNarrowToInt, ScalesRoundsAndSaturates) {
  const IntCase &c = GetParam();
  int basic = 7, scope = 7;
  EXPECT_EQ(ippStsNoErr, Slbasicdispatcher::ippsConvert_64f32s_Sfs(&c.x, &basic, 1, c.rnd, c.sf));
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsConvert_64f32s_Sfs(&c.x, scope, 1, c.rnd, c.sf));
  EXPECT_EQ(c.expected, basic);
  EXPECT_EQ(c.expected, scope);
  const auto f = static_cast<float>(c.x);
  if (static_cast<double>(f) == c.x ||
      std::isnan(c.x)) { // the float form where the value is a float
    int fromFloat = 7;
    EXPECT_EQ(ippStsNoErr,
              Slscopedispatcher::ippsConvert_32f32s_Sfs(&f, fromFloat, 1, c.rnd, c.sf));
    EXPECT_EQ(c.expected, fromFloat);
  }
}

const auto kNear = ippRndNear;
const auto kZero = ippRndZero;
const auto kOther = static_cast<IppRoundMode>(2);

INSTANTIATE_TEST_SUITE_P(
    Table, ConvertNarrowToInt,
    ::testing::Values(
        IntCase{2.5, kNear, 0, 2}, IntCase{3.5, kNear, 0, 4}, IntCase{-2.5, kNear, 0, -2},
        IntCase{-3.5, kNear, 0, -4}, IntCase{0.5, kNear, 0, 0}, IntCase{-0.5, kNear, 0, 0},
        IntCase{2.7, kNear, 0, 3}, IntCase{-2.7, kZero, 0, -2}, IntCase{2.7, kOther, 0, 2},
        IntCase{3e9, kNear, 0, INT_MAX}, IntCase{-3e9, kNear, 0, INT_MIN},
        IntCase{2147483647.0, kZero, 0, INT_MAX}, IntCase{-2147483648.0, kNear, 0, INT_MIN},
        IntCase{2147483646.5, kNear, 0, 2147483646}, IntCase{-2147483647.5, kNear, 0, -2147483648},
        IntCase{std::nan(""), kNear, 0, INT_MIN}, IntCase{kInf, kZero, 0, INT_MAX},
        IntCase{1.25, kNear, -2, 5}, IntCase{3, kNear, 1, 2}, IntCase{5, kNear, 1, 2},
        IntCase{7, kZero, 1, 3}, IntCase{1, kNear, INT_MIN, INT_MAX}, IntCase{0, kNear, INT_MIN, 0},
        IntCase{-1, kNear, -31, INT_MIN}, IntCase{1e300, kNear, INT_MAX, 0},
        IntCase{1e-300, kNear, -1100, INT_MAX},
        // Subnormal values scaled up and results far below one half.
        IntCase{std::ldexp(1.0, -1074), kNear, -1074, 1},
        IntCase{std::ldexp(3.0, -1074), kNear, -1073, 2},
        IntCase{std::ldexp(5.0, -1074), kNear, -1073, 2}, IntCase{-1.5, kNear, 1100, 0},
        IntCase{-0.3, kZero, 0, 0}));

TEST(ConvertNarrowToInt, StatusesAndTheReferenceForm) {
  const double src[3] = {1.4, 2.6, -1.5};
  int dst[4] = {9, 9, 9, 9};
  EXPECT_EQ(ippStsNullPtrErr, Slbasicdispatcher::ippsConvert_64f32s_Sfs(nullptr, dst, 0, kNear, 0));
  EXPECT_EQ(ippStsSizeErr, Slbasicdispatcher::ippsConvert_64f32s_Sfs(src, dst, 0, kNear, 0));
  EXPECT_EQ(ippStsSizeErr, Slscopedispatcher::ippsConvert_64f32s_Sfs(src, dst[0], -1, kNear, 0));
  EXPECT_EQ(ippStsNullPtrErr,
            Slscopedispatcher::ippsConvert_32f32s_Sfs(nullptr, dst[0], 1, kNear, 0));
  EXPECT_EQ(9, dst[0]);
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsConvert_64f32s_Sfs(src, dst[0], 3, kNear, 0));
  EXPECT_EQ(1, dst[0]);
  EXPECT_EQ(3, dst[1]);
  EXPECT_EQ(-2, dst[2]);
  EXPECT_EQ(9, dst[3]);
}

// ---- widening -------------------------------------------------------------------

TEST(ConvertWiden, FloatsAndIntegersExactly) {
  const float f[3] = {0.1f, -3.5f, kFloatMax};
  const int i[3] = {INT_MIN, 0, INT_MAX};
  double d[3];
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsConvert_32f64f(f, d, 3));
  EXPECT_EQ(static_cast<double>(0.1f), d[0]);
  EXPECT_EQ(-3.5, d[1]);
  EXPECT_EQ(static_cast<double>(kFloatMax), d[2]);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsConvert_32s64f(i, d, 3));
  EXPECT_EQ(-2147483648.0, d[0]);
  EXPECT_EQ(0.0, d[1]);
  EXPECT_EQ(2147483647.0, d[2]);
  EXPECT_EQ(ippStsNullPtrErr, Slbasicdispatcher::ippsConvert_32s64f(i, nullptr, 3));
  EXPECT_EQ(ippStsSizeErr, Slbasicdispatcher::ippsConvert_32f64f(f, d, 0));
}

struct Short64Case {
  short x;
  int sf;
  double expected;
};

class ConvertWiden16sScaled : public ::testing::TestWithParam<Short64Case> {};

TEST_P(ConvertWiden16sScaled, TimesTwoToTheMinusScale) {
  const auto &c = GetParam();
  double d = 0;
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsConvert_16s64f_Sfs(&c.x, &d, 1, c.sf));
  EXPECT_EQ(c.expected, d);
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertWiden16sScaled,
                         ::testing::Values(Short64Case{-32768, 15, -1.0},
                                           Short64Case{16384, 15, 0.5}, Short64Case{-7, 0, -7.0},
                                           Short64Case{3, -4, 48.0},
                                           Short64Case{1, 5000, std::ldexp(1.0, -1022)},
                                           Short64Case{1, INT_MAX, std::ldexp(1.0, -1022)},
                                           Short64Case{1, -5000, std::ldexp(1.0, 1008)},
                                           Short64Case{-1, INT_MIN, -std::ldexp(1.0, 1008)}));

TEST(ConvertWiden16sScaled, Statuses) {
  short s = 1;
  double d = 5;
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsConvert_16s64f_Sfs(nullptr, &d, 0, 0));
  EXPECT_EQ(ippStsSizeErr, Slbcbbasicdispatcher::ippsConvert_16s64f_Sfs(&s, &d, 0, 3));
  EXPECT_EQ(5.0, d);
}

// ---- region conversions ------------------------------------------------------------

TEST(ConvertRegionConvert, SixteenBitToFloatWalksRowsByStep) {
  // three rows of two values in rows of three shorts; the third short of each row is skipped
  const std::vector<short> src{-32768, 1, 99, 32767, -2, 99, 0, 5, 99};
  std::vector<float> dst(3 * 4, -1.0f); // rows of four floats
  ASSERT_EQ(ippStsNoErr,
            Vizazodizaro::ippiConvert_16s32f_C1R(src.data(), 6, dst.data(), 16, tagSIZE{2, 3}));
  const std::vector<float> expected{-32768, 1, -1, -1, 32767, -2, -1, -1, 0, 5, -1, -1};
  EXPECT_EQ(expected, dst);
}

TEST(ConvertRegionConvert, BytesToFloatFromAnOddStep) {
  const std::vector<unsigned char> src{0, 7, 7, 128, 7, 7, 255};
  std::vector<float> dst(3);
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiConvert_8u32f_C1R(src.data(), 3, dst.data(), 4, tagSIZE{1, 3}));
  EXPECT_EQ((std::vector<float>{0, 128, 255}), dst);
}

TEST(ConvertRegionScale, BytesToSixteenAndThirtyTwoBits) {
  const std::vector<unsigned char> src{0, 1, 127, 128, 255};
  std::vector<short> s16(5);
  std::vector<int> s32(5);
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiScale_8u16s_C1R(src.data(), 5, s16.data(), 10, tagSIZE{5, 1}));
  EXPECT_EQ((std::vector<short>{-32768, -32511, -129, 128, 32767}), s16);
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiScale_8u32s_C1R(src.data(), 5, s32.data(), 20, tagSIZE{5, 1}));
  EXPECT_EQ((std::vector<int>{INT_MIN, INT_MIN + 16843009, -8421505, 8421504, INT_MAX}), s32);
}

struct ToByteCase {
  const char *name;
  int hint;
  std::vector<short> s16;
  std::vector<unsigned char> from16;
  std::vector<int> s32;
  std::vector<unsigned char> from32;
};

class ConvertRegionScaleToBytes : public ::testing::TestWithParam<ToByteCase> {};

TEST_P(ConvertRegionScaleToBytes, MapsTheFullRange) {
  const auto &c = GetParam();
  std::vector<unsigned char> a(c.s16.size()), b(c.s32.size());
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiScale_16s8u_C1R(c.s16.data(), 2, a.data(), 1,
                                                   tagSIZE{1, static_cast<int>(a.size())}, c.hint));
  EXPECT_EQ(c.from16, a);
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiScale_32s8u_C1R(c.s32.data(), 4, b.data(), 1,
                                                   tagSIZE{1, static_cast<int>(b.size())}, c.hint));
  EXPECT_EQ(c.from32, b);
}

INSTANTIATE_TEST_SUITE_P(Hints, ConvertRegionScaleToBytes,
                         ::testing::Values(ToByteCase{"Accurate",
                                                      2,
                                                      {-32768, -1, 0, 1, 128, 32767},
                                                      {0, 127, 128, 128, 128, 255},
                                                      {INT_MIN, -1, 0, 1 << 23, INT_MAX},
                                                      {0, 127, 128, 128, 255}},
                                           ToByteCase{"Fast",
                                                      0,
                                                      {-32768, -1, 0, 1, 128, 32767},
                                                      {0, 128, 128, 128, 128, 255},
                                                      {INT_MIN, -1, 0, 1 << 23, INT_MAX},
                                                      {0, 128, 128, 128, 255}},
                                           ToByteCase{"AnyOtherHintIsFast",
                                                      1,
                                                      {-32768, -1, 32767},
                                                      {0, 128, 255},
                                                      {INT_MIN, -1, INT_MAX},
                                                      {0, 128, 255}}),
                         [](const auto &info) { return info.param.name; });

TEST(ConvertRegionScaleToBytes, RoundTripFromBytesIsTheIdentity) {
  std::vector<unsigned char> bytes(256), back16(256), back32(256);
  for (int i = 0; i < 256; ++i)
    bytes[i] = static_cast<unsigned char>(i);
  std::vector<short> s16(256);
  std::vector<int> s32(256);
  const tagSIZE roi{16, 16};
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiScale_8u16s_C1R(bytes.data(), 16, s16.data(), 32, roi));
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiScale_8u32s_C1R(bytes.data(), 16, s32.data(), 64, roi));
  for (int hint : {0, 2}) {
    ASSERT_EQ(ippStsNoErr,
              Albasicdispatcher::ippiScale_16s8u_C1R(s16.data(), 32, back16.data(), 16, roi, hint));
    ASSERT_EQ(ippStsNoErr,
              Albasicdispatcher::ippiScale_32s8u_C1R(s32.data(), 64, back32.data(), 16, roi, hint));
    EXPECT_EQ(bytes, back16) << "hint " << hint;
    EXPECT_EQ(bytes, back32) << "hint " << hint;
  }
}

// Every region operation of the group, run on one shared buffer big enough for all.
struct RegionStatusCase {
  const char *name;
  IppOpStatus (*call)(void *src, int srcStep, void *dst, int dstStep, tagSIZE roi);
};

#define REGION(unit, op, TS, TD, ...)                                                              \
  RegionStatusCase {                                                                               \
#op, [](void* s, int ss, void* d, int ds, tagSIZE roi) {                               \
                         return unit::op(static_cast<const TS*>(s), ss, static_cast<TD*>(d), ds, roi __VA_ARGS__); \
                     }           \
  }

class ConvertRegionStatuses : public ::testing::TestWithParam<RegionStatusCase> {};

TEST_P(ConvertRegionStatuses, NullThenSizeThenStep) {
  const auto &c = GetParam();
  alignas(8) unsigned char src[64] = {};
  alignas(8) unsigned char dst[64];
  std::memset(dst, 0xA5, sizeof dst);
  EXPECT_EQ(ippStsNullPtrErr, c.call(nullptr, 0, dst, 0, tagSIZE{0, 0}));
  EXPECT_EQ(ippStsNullPtrErr, c.call(src, 8, nullptr, 8, tagSIZE{1, 1}));
  EXPECT_EQ(ippStsSizeErr, c.call(src, 0, dst, 0, tagSIZE{0, 1}));
  EXPECT_EQ(ippStsSizeErr, c.call(src, 8, dst, 8, tagSIZE{1, -2}));
  EXPECT_EQ(ippStsStepErr, c.call(src, 0, dst, 8, tagSIZE{1, 1}));
  EXPECT_EQ(ippStsStepErr, c.call(src, 8, dst, -8, tagSIZE{1, 1}));
  for (unsigned char b : dst)
    ASSERT_EQ(0xA5, b);
  EXPECT_EQ(ippStsNoErr, c.call(src, 16, dst, 16, tagSIZE{2, 2}));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ConvertRegionStatuses,
    ::testing::Values(REGION(Vizazodizaro, ippiConvert_16s32f_C1R, short, float),
                      REGION(Albasicdispatcher, ippiConvert_8u32f_C1R, unsigned char, float),
                      REGION(Albasicdispatcher, ippiScale_8u16s_C1R, unsigned char, short),
                      REGION(Albasicdispatcher, ippiScale_8u32s_C1R, unsigned char, int),
                      REGION(Albasicdispatcher, ippiScale_16s8u_C1R, short, unsigned char, , 2),
                      REGION(Albasicdispatcher, ippiScale_32s8u_C1R, int, unsigned char, , 0)),
    [](const auto &info) { return info.param.name; });

} // namespace
