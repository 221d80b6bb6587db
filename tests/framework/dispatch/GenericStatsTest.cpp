// Reductions, thresholds, normalisation and the Jaehne signal, called by name
// through the dispatch slots.

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Libcdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- maximum and minimum ------------------------------------------------------------

struct ExtremumCase {
  const char *name;
  std::vector<double> data;
  double max;
  int maxAt;
  double min;
  int minAt;
};

class StatsExtremes : public ::testing::TestWithParam<ExtremumCase> {};

TEST_P(StatsExtremes, ValueAndFirstIndex) {
  const auto &c = GetParam();
  const int n = static_cast<int>(c.data.size());
  double v = 0;
  int at = -1;
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsMaxIndx_64f(c.data.data(), n, &v, &at));
  EXPECT_EQ(c.max, v);
  EXPECT_EQ(c.maxAt, at);
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsMinIndx_64f(c.data.data(), n, &v, &at));
  EXPECT_EQ(c.min, v);
  EXPECT_EQ(c.minAt, at);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsMax_64f(c.data.data(), n, &v));
  EXPECT_EQ(c.max, v);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsMin_64f(c.data.data(), n, &v));
  EXPECT_EQ(c.min, v);
  // without an index pointer only the value is given
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsMinIndx_64f(c.data.data(), n, &v, nullptr));
  EXPECT_EQ(c.min, v);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatsExtremes,
    ::testing::Values(
        ExtremumCase{"FirstOccurrenceOfMax", {1, 3, 3, 2}, 3, 1, 1, 0},
        ExtremumCase{"FirstOccurrenceOfMin", {2, 1, 1}, 2, 0, 1, 1},
        ExtremumCase{"SingleElement", {-4}, -4, 0, -4, 0},
        // A NaN after the first element never wins, for the minimum as for the maximum.
        ExtremumCase{"NaNInTheMiddle", {1, kNaN, 3, 0.5}, 3, 2, 0.5, 3},
        ExtremumCase{"NaNAtTheEnd", {1, 2, kNaN}, 2, 1, 1, 0}),
    [](const auto &info) { return info.param.name; });

TEST(StatsExtremes, StatusesAndNoWriteOnError) {
  const double d[2] = {1, 2};
  double v = 9;
  int at = 9;
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsMaxIndx_64f(nullptr, 0, &v, &at));
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsMinIndx_64f(d, 2, nullptr, &at));
  EXPECT_EQ(ippStsSizeErr, Slbcbbasicdispatcher::ippsMinIndx_64f(d, 0, &v, &at));
  EXPECT_EQ(ippStsNullPtrErr, Slbasicdispatcher::ippsMax_64f(d, 2, nullptr));
  EXPECT_EQ(ippStsSizeErr, Slbasicdispatcher::ippsMin_64f(d, -1, &v));
  EXPECT_EQ(9.0, v);
  EXPECT_EQ(9, at);
}

// ---- sums, mean, standard deviation -------------------------------------------------

TEST(StatsSums, FloatSumPairsTheGroupsOfFour) {
  // first and third, second and fourth element are summed apart: 2^64 cancels
  // exactly, where a running sum would lose one of the ones
  const float v[4] = {0x1p64f, 1.0f, -0x1p64f, 1.0f};
  float s = 0;
  ASSERT_EQ(ippStsNoErr, Vizazodizaro::ippsSum_32f(v, 4, &s, 0));
  EXPECT_EQ(2.0f, s);
  const float one = 0.1f;
  ASSERT_EQ(ippStsNoErr, Vizazodizaro::ippsSum_32f(&one, 1, &s, 2));
  EXPECT_EQ(0.1f, s);
  const float seven[7] = {1, 2, 3, 4, 5, 6, 7.5f};
  ASSERT_EQ(ippStsNoErr, Vizazodizaro::ippsSum_32f(seven, 7, &s, 1));
  EXPECT_EQ(28.5f, s);
}

// The float sum in the fixed order at extended precision: the pairs of groups
// of four, the two partial sums added, then the rest, rounded once.
float referenceSum32f(const std::vector<float> &v) {
  long double even = 0, odd = 0;
  const std::size_t groups = v.size() / 4;
  for (std::size_t g = 0; g < groups; ++g) {
    even += v[4 * g];
    odd += v[4 * g + 1];
    even += v[4 * g + 2];
    odd += v[4 * g + 3];
  }
  long double total = odd + even;
  for (std::size_t i = 4 * groups; i < v.size(); ++i)
    total += v[i];
  return static_cast<float>(total);
}

// Blocks the meters sum (squares of 16-bit samples, long and short, loud and
// near silent) and blocks whose magnitudes span more than the extended sums
// hold exactly: the result keeps every bit of the fixed-order sum.
TEST(StatsSums, FloatSumKeepsTheFixedOrdersBitsOnEveryKindOfBlock) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  auto sample = [&](int bits) { return float(int(next() % (2u << bits)) - (1 << bits)); };
  struct TCase {
    const char *name;
    int len;
    std::function<float(int)> element;
  };
  const TCase cases[] = {
      {"loud squares", 1024,
       [&](int) {
         float x = sample(15);
         return x * x;
       }},
      {"squares with single steps", 1024,
       [&](int i) {
         float x = i % 3 == 0 ? 1.0f : sample(15);
         return x * x;
       }},
      {"long block of squares", 4800,
       [&](int i) {
         float x = i % 7 == 0 ? 1.0f : sample(15);
         return x * x;
       }},
      {"near silence", 1024, [&](int) { return sample(2) / 32768.0f; }},
      {"odd length", 1023, [&](int) { return sample(15) / 32768.0f; }},
      {"wide span", 64,
       [&](int i) { return std::ldexp(sample(20), int(next() % 80) - 40) * (i % 2 ? 1 : -1); }},
      {"subnormal", 32, [&](int) { return std::ldexp(sample(10), -140); }},
      {"signed zeros", 16, [&](int i) { return i % 2 ? -0.0f : 0.0f; }},
      {"an infinity", 16, [&](int i) { return i == 5 ? INFINITY : 1.0f; }},
  };
  for (const TCase &c : cases) {
    for (int round = 0; round < 20; ++round) {
      std::vector<float> v(static_cast<std::size_t>(c.len));
      for (int i = 0; i < c.len; ++i)
        v[static_cast<std::size_t>(i)] = c.element(i);
      float s = 0;
      ASSERT_EQ(ippStsNoErr, Vizazodizaro::ippsSum_32f(v.data(), c.len, &s, 0));
      const float expected = referenceSum32f(v);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(expected), std::bit_cast<std::uint32_t>(s))
          << c.name << " round " << round;
    }
  }
}

// A sum a double cannot hold: 2^10 + 2^-14 + 2^-49 lies just above the middle
// between two floats, and the 2^-49 decides which one it rounds to.
TEST(StatsSums, FloatSumRoundsOnceWhereADoubleWouldRoundTwice) {
  std::vector<float> v(16, 0.0f);
  v[0] = 0x1p10f;
  v[1] = 0x1p-14f;
  v[2] = 0x1p-26f + 0x1p-49f;
  v[3] = -0x1p-26f;
  float s = 0;
  ASSERT_EQ(ippStsNoErr, Vizazodizaro::ippsSum_32f(v.data(), 16, &s, 0));
  EXPECT_EQ(0x1p10f + 0x1p-13f, s);
  EXPECT_EQ(referenceSum32f(v), s);
}

// Where the extended sums round, their result stands: 2^41 + 1 + 2^-23 needs
// 65 bits, so the 2^-23 is rounded in the first sum and not the exact 1 + 2^-23
// comes back after -2^41.
TEST(StatsSums, FloatSumKeepsTheExtendedRoundingWhereItRounds) {
  std::vector<float> v(16, 0.0f);
  v[0] = 0x1p41f;
  v[2] = 1.0f + 0x1p-23f;
  v[4] = -0x1p41f;
  float s = 0;
  ASSERT_EQ(ippStsNoErr, Vizazodizaro::ippsSum_32f(v.data(), 16, &s, 0));
  EXPECT_NE(1.0f + 0x1p-23f, s);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(referenceSum32f(v)), std::bit_cast<std::uint32_t>(s));
}

TEST(StatsSums, MeanAndStandardDeviation) {
  const double d[5] = {1, 2, 3, 4, 5};
  double m = 0;
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsMean_64f(d, 5, &m));
  EXPECT_EQ(3.0, m);
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsStdDev_64f(d, 4, &m));
  EXPECT_EQ(1.2909944487358056, m);
  const double same[3] = {1, 1, 1};
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsStdDev_64f(same, 3, &m));
  EXPECT_EQ(0.0, m);
  // constant data whose squares do not sum exactly still gives 0, never a NaN
  const double tenth[9] = {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1};
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsStdDev_64f(tenth, 9, &m));
  EXPECT_FALSE(std::isnan(m));
  EXPECT_LT(m, 1e-9);
}

TEST(StatsSums, Statuses) {
  const double d[2] = {1, 2};
  double m = 7;
  float f = 7;
  EXPECT_EQ(ippStsSizeErr, Slbcbbasicdispatcher::ippsStdDev_64f(d, 1, &m));
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsStdDev_64f(nullptr, 1, &m));
  EXPECT_EQ(ippStsSizeErr, Slbcbbasicdispatcher::ippsMean_64f(d, 0, &m));
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsMean_64f(d, 2, nullptr));
  EXPECT_EQ(ippStsNullPtrErr, Vizazodizaro::ippsSum_32f(nullptr, 0, &f, 0));
  EXPECT_EQ(ippStsSizeErr, Vizazodizaro::ippsSum_32f(&f, 0, &f, 0));
  EXPECT_EQ(7.0, m);
  EXPECT_EQ(7.0f, f);
}

// ---- dot product and norms ----------------------------------------------------------

TEST(StatsNorms, DotProductAccumulatesAtExtendedPrecision) {
  const double a[3] = {1e16, 1, -1e16};
  const double ones[3] = {1, 1, 1};
  double r = 0;
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsDotProd_64f(a, ones, 3, &r));
  EXPECT_EQ(1.0, r); // a double accumulator would lose the 1
}

TEST(StatsNorms, OfADifference) {
  const double a[3] = {1, 2, 3};
  const double b[3] = {2, 0, 3};
  double r = 0;
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsNormDiff_L1_64f(a, b, 3, &r));
  EXPECT_EQ(3.0, r);
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsNormDiff_L2_64f(a, b, 3, &r));
  EXPECT_EQ(std::sqrt(5.0), r);
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsNormDiff_Inf_64f(a, b, 3, &r));
  EXPECT_EQ(2.0, r);
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsDotProd_64f(a, b, 3, &r));
  EXPECT_EQ(11.0, r);
}

TEST(StatsNorms, Statuses) {
  const double a[1] = {1};
  double r = 5;
  using Fn = IppOpStatus (*)(const double *, const double *, int, double *);
  for (Fn fn :
       {Fn{Slbcbbasicdispatcher::ippsDotProd_64f}, Fn{Slbcbbasicdispatcher::ippsNormDiff_L1_64f},
        Fn{Slbcbbasicdispatcher::ippsNormDiff_L2_64f},
        Fn{Slbcbbasicdispatcher::ippsNormDiff_Inf_64f}}) {
    EXPECT_EQ(ippStsNullPtrErr, fn(a, nullptr, 0, &r));
    EXPECT_EQ(ippStsNullPtrErr, fn(a, a, 1, nullptr));
    EXPECT_EQ(ippStsSizeErr, fn(a, a, 0, &r));
  }
  EXPECT_EQ(5.0, r);
}

// ---- thresholds -------------------------------------------------------------------

struct ThresholdCase {
  const char *name;
  IppCmpOp op;
  std::vector<double> expected;
};

class StatsThresholds : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(StatsThresholds, ClampAtTheLevel) {
  const auto &c = GetParam();
  const std::vector<double> src{-1, 0, 1, -0.5};
  std::vector<double> in = src, out(src.size());
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsThreshold_64f_I(in.data(), 4, 0.0, c.op));
  ASSERT_EQ(ippStsNoErr,
            Slbcbbasicdispatcher::ippsThreshold_64f(src.data(), out.data(), 4, 0.0, c.op));
  EXPECT_EQ(c.expected, in);
  EXPECT_EQ(c.expected, out);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, StatsThresholds,
    ::testing::Values(ThresholdCase{"LessIsALowerClamp", ippCmpLess, {0, 0, 1, 0}},
                      ThresholdCase{"GreaterIsAnUpperClamp", ippCmpGreater, {-1, 0, 0, -0.5}},
                      ThresholdCase{"EqualActsAsLess", ippCmpEq, {0, 0, 1, 0}},
                      ThresholdCase{"GreaterEqualActsAsLess", ippCmpGreaterEq, {0, 0, 1, 0}}),
    [](const auto &info) { return info.param.name; });

TEST(StatsThresholds, NaNElementsStayAndStatuses) {
  double d[2] = {kNaN, 5};
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsThreshold_64f_I(d, 2, 1.0, ippCmpGreater));
  EXPECT_TRUE(std::isnan(d[0]));
  EXPECT_EQ(1.0, d[1]);
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsThreshold_64f_I(nullptr, 0, 0, ippCmpLess));
  EXPECT_EQ(ippStsNullPtrErr,
            Slbcbbasicdispatcher::ippsThreshold_64f(d, nullptr, 2, 0, ippCmpLess));
  EXPECT_EQ(ippStsSizeErr, Slbcbbasicdispatcher::ippsThreshold_64f(d, d, 0, 0, ippCmpLess));
}

// ---- normalisation ----------------------------------------------------------------

TEST(StatsNormalize, SubtractsAndDividesByTheReciprocal) {
  const double src[9] = {1, 3, 5, -1, 7, 9, 11, 13, 2.5};
  double dst[9];
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsNormalize_64f(src, dst, 9, 1.0, 2.0));
  const double expected[9] = {0, 1, 2, -1, 3, 4, 5, 6, 0.75};
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(expected[i], dst[i]) << i;
  ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsNormalize_64f(src, dst, 9, 0.0, 3.0));
  for (int i = 0; i < 9; ++i)
    EXPECT_DOUBLE_EQ(src[i] / 3.0, dst[i]) << i;
}

TEST(StatsNormalize, DivisorsBelowTheSmallestNormalAreRefused) {
  const double src[2] = {1, 2};
  double dst[2] = {7, 7};
  const double tiny = std::numeric_limits<double>::min();
  for (double vDiv : {0.0, -0.0, tiny / 2, -tiny / 2, kNaN})
    EXPECT_EQ(ippStsDivByZeroErr, Slbcbbasicdispatcher::ippsNormalize_64f(src, dst, 2, 0.0, vDiv))
        << vDiv;
  EXPECT_EQ(7.0, dst[0]);
  EXPECT_EQ(7.0, dst[1]);
  EXPECT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsNormalize_64f(src, dst, 2, 0.0, -tiny));
  EXPECT_EQ(-1.0 / tiny, dst[0]);
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsNormalize_64f(nullptr, dst, 0, 0.0, 0.0));
  EXPECT_EQ(ippStsSizeErr, Slbcbbasicdispatcher::ippsNormalize_64f(src, dst, 0, 0.0, 0.0));
}

// ---- Jaehne signal ------------------------------------------------------------------

TEST(StatsJaehne, SineOfTheSquaredIndex) {
  double d[4];
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsVectorJaehne_64f(d, 4, 1.0));
  const double pi = std::numbers::pi;
  EXPECT_EQ(0.0, d[0]);
  EXPECT_DOUBLE_EQ(std::sin(pi / 8), d[1]);
  EXPECT_DOUBLE_EQ(1.0, d[2]);
  EXPECT_DOUBLE_EQ(std::sin(9 * pi / 8), d[3]);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsVectorJaehne_64f(d, 2, 3.0));
  EXPECT_EQ(0.0, d[0]);
  EXPECT_NEAR(3 * 0.70710678118654752, d[1], 1e-15);
  d[0] = 5;
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsVectorJaehne_64f(d, 1, 2.0));
  EXPECT_EQ(0.0, d[0]);
}

TEST(StatsJaehne, MagnitudeTimesTheLibrarySine) {
  // k = (pi/2) / len as a double; each element is magn times the double sine of i·i·k.
  constexpr int len = 1000;
  const double magn = 3.0;
  std::vector<double> d(len);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsVectorJaehne_64f(d.data(), len, magn));
  const double k = static_cast<double>((std::numbers::pi_v<long double> / 2) / len);
  for (int i = 0; i < len; ++i) {
    const double arg = static_cast<double>(static_cast<long double>(i) * i * k);
    const double expected =
        static_cast<double>(static_cast<long double>(magn) * Libcdispatcher::_sin(arg));
    ASSERT_EQ(std::bit_cast<std::uint64_t>(expected), std::bit_cast<std::uint64_t>(d[i]))
        << "i = " << i;
  }
}

TEST(StatsJaehne, LongVectorsStayBounded) {
  // i·i reaches beyond 32 bits here
  std::vector<double> d(70000);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsVectorJaehne_64f(d.data(), 70000, 2.0));
  const double k = (std::numbers::pi / 2) / 70000;
  for (int i : {1, 46341, 69999})
    EXPECT_NEAR(2.0 * std::sin(static_cast<double>(i) * i * k), d[i], 1e-9) << i;
}

TEST(StatsJaehne, Statuses) {
  double d = 7;
  EXPECT_EQ(ippStsJaehneErr, Slbasicdispatcher::ippsVectorJaehne_64f(&d, 1, -1.0));
  EXPECT_EQ(ippStsSizeErr, Slbasicdispatcher::ippsVectorJaehne_64f(&d, 0, -1.0));
  EXPECT_EQ(ippStsNullPtrErr, Slbasicdispatcher::ippsVectorJaehne_64f(nullptr, 0, -1.0));
  EXPECT_EQ(7.0, d);
}

} // namespace
