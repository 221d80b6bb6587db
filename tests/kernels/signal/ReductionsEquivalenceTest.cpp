// Sums, moments and norms against a long double reference. The kernels sum in double
// with eight partial sums, so a result may differ from the exact sum by the rounding of
// every addition: the bound used is (len + 2) * 2^-53 * (sum of |terms|), plus the final
// operation's half ulp. Edge rows (infinities, NaNs) must give the generic's class of
// result; the maximum norm compares exactly (its rounding is monotone).
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "kernels/signal/SignalKernels.h"
#include "platform/cpu/FpuControl.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace ks = kernels::signal::sse2;
namespace gen = Slbcbbasicdispatcher::generic;

using Two = IppOpStatus (*)(const double *, const double *, int, double *);
using One = IppOpStatus (*)(const double *, int, double *);

const std::vector<int> kLengths = {1, 2, 3, 4, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100, 1001};

double bound(long double absSum, int len) {
  return static_cast<double>((len + 2) * absSum * std::ldexp(1.0L, -53));
}

TEST(SignalReductions, TwoVectorSumsAreWithinTheRoundingBound) {
  struct Case {
    const char *name;
    Two kernel, generic;
    long double (*term)(long double, long double);
    bool root;
  };
  const Case cases[] = {
      {"DotProd", ks::ippsDotProd_64f, gen::ippsDotProd_64f,
       [](long double x, long double y) { return x * y; }, false},
      {"L1", ks::ippsNormDiff_L1_64f, gen::ippsNormDiff_L1_64f,
       [](long double x, long double y) { return std::fabs(x - y); }, false},
      {"L2", ks::ippsNormDiff_L2_64f, gen::ippsNormDiff_L2_64f,
       [](long double x, long double y) { return (x - y) * (x - y); }, true},
  };
  for (const Case &c : cases) {
    for (int len : kLengths) {
      for (std::size_t off : {std::size_t{0}, std::size_t{8}, std::size_t{5}}) {
        const auto a = test_support::RandomVector<double>(len, 100 + len, -3.0, 3.0);
        const auto b = test_support::RandomVector<double>(len, 200 + len, -3.0, 3.0);
        equivalence::Guarded<double> ga(a, off), gb(b, (off * 3) % 16);
        double got = 0, gen = 0;
        ASSERT_EQ(c.kernel(ga.get(), gb.get(), len, &got), ippStsNoErr);
        ASSERT_EQ(c.generic(a.data(), b.data(), len, &gen), ippStsNoErr);
        long double exact = 0, absSum = 0;
        for (int i = 0; i < len; ++i) {
          exact += c.term(a[i], b[i]);
          absSum += std::fabs(c.term(a[i], b[i]));
        }
        const std::string where = std::string(c.name) + " len " + std::to_string(len);
        if (c.root) { // sqrt halves the relative error of the sum
          const double want = static_cast<double>(std::sqrt(exact));
          EXPECT_NEAR(got, want, want * (len + 4) * 0x1p-53 + 1e-300) << where;
        } else {
          EXPECT_NEAR(got, static_cast<double>(exact),
                      bound(absSum, len) + std::fabs(static_cast<double>(exact)) * 0x1p-53)
              << where;
        }
        EXPECT_NEAR(got, gen, std::fabs(gen) * 1e-12 + bound(absSum, len)) << where;
      }
    }
  }
}

TEST(SignalReductions, MeanAndStdDevAreWithinTheRoundingBound) {
  for (int len : kLengths) {
    const auto a = test_support::RandomVector<double>(len, 300 + len, 10.0, 12.0);
    double mean = 0, gmean = 0;
    ASSERT_EQ(ks::ippsMean_64f(a.data(), len, &mean), ippStsNoErr);
    ASSERT_EQ(gen::ippsMean_64f(a.data(), len, &gmean), ippStsNoErr);
    long double s = 0;
    for (double x : a)
      s += x;
    EXPECT_NEAR(mean, static_cast<double>(s / len), 12.0 * (len + 3) * 0x1p-53) << len;
    if (len < 2)
      continue;
    double sd = 0, gsd = 0;
    ASSERT_EQ(ks::ippsStdDev_64f(a.data(), len, &sd), ippStsNoErr);
    ASSERT_EQ(gen::ippsStdDev_64f(a.data(), len, &gsd), ippStsNoErr);
    // n * S2 - S1^2 cancels: the error is about 2 (len + 2) eps n * S2, relative to V.
    long double q = 0;
    for (double x : a)
      q += static_cast<long double>(x) * x;
    const long double v = len * q - s * s;
    const double err = static_cast<double>(4 * (len + 2) * 0x1p-53L * len * q / v);
    EXPECT_NEAR(sd, gsd, gsd * err + 1e-12) << len;
  }
  // Two elements: the smallest length; equal elements give 0.
  const double two[] = {1.0, 3.0};
  double sd = 0;
  ASSERT_EQ(ks::ippsStdDev_64f(two, 2, &sd), ippStsNoErr);
  EXPECT_DOUBLE_EQ(sd, std::sqrt(2.0));
  const double same[] = {0.1, 0.1, 0.1};
  ASSERT_EQ(ks::ippsStdDev_64f(same, 3, &sd), ippStsNoErr);
  EXPECT_EQ(sd, 0.0);
}

// Code 5 sums in extended precision in another order than the generic: a few ulp at most
// (the standard deviation's cancellation scales that by n S2 / V).
TEST(SignalReductions, CodeFiveMeanAndStdDevAreTheGenericsUpToOrder) {
  namespace k5 = kernels::signal::sse;
  for (int len : kLengths) {
    const auto a = test_support::RandomVector<double>(len, 600 + len, -2.0, 9.0);
    double m = 0, gm = 0;
    ASSERT_EQ(k5::ippsMean_64f(a.data(), len, &m), ippStsNoErr);
    ASSERT_EQ(gen::ippsMean_64f(a.data(), len, &gm), ippStsNoErr);
    EXPECT_LE(equivalence::Ulps(m, gm), 2u) << len;
    if (len < 2)
      continue;
    double sd = 0, gsd = 0;
    ASSERT_EQ(k5::ippsStdDev_64f(a.data(), len, &sd), ippStsNoErr);
    ASSERT_EQ(gen::ippsStdDev_64f(a.data(), len, &gsd), ippStsNoErr);
    EXPECT_NEAR(sd, gsd, gsd * 1e-15) << len;
  }
  const double same[] = {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1};
  double sd = 9;
  ASSERT_EQ(k5::ippsStdDev_64f(same, 9, &sd), ippStsNoErr);
  EXPECT_GE(sd, 0.0);
  EXPECT_LT(sd, 1e-9);
  const double nan[] = {1.0, NAN, 2.0};
  ASSERT_EQ(k5::ippsStdDev_64f(nan, 3, &sd), ippStsNoErr);
  EXPECT_EQ(sd, 0.0); // a NaN variance gives 0, as in the generic
  EXPECT_EQ(k5::ippsStdDev_64f(same, 1, &sd), ippStsSizeErr);
  EXPECT_EQ(k5::ippsMean_64f(nullptr, 3, &sd), ippStsNullPtrErr);
  EXPECT_EQ(k5::ippsMean_64f(same, 0, &sd), ippStsSizeErr);
}

TEST(SignalReductions, MaximumNormAndSpecialValuesFollowTheGeneric) {
  const std::vector<double> &edge = equivalence::EdgeDoubles();
  for (int len : kLengths) {
    for (std::size_t shift : {std::size_t{0}, std::size_t{3}, std::size_t{9}}) {
      std::vector<double> a = test_support::RandomVector<double>(len, 400 + len, -5.0, 5.0);
      std::vector<double> b = test_support::RandomVector<double>(len, 500 + len, -5.0, 5.0);
      for (int i = 0; i < len; i += 5)
        a[i] = edge[(i + shift) % edge.size()];
      const Two all[] = {ks::ippsNormDiff_Inf_64f, ks::ippsDotProd_64f, ks::ippsNormDiff_L1_64f,
                         ks::ippsNormDiff_L2_64f};
      const Two allGen[] = {gen::ippsNormDiff_Inf_64f, gen::ippsDotProd_64f,
                            gen::ippsNormDiff_L1_64f, gen::ippsNormDiff_L2_64f};
      for (int k = 0; k < 4; ++k) {
        double got = 0, want = 0;
        ASSERT_EQ(all[k](a.data(), b.data(), len, &got), ippStsNoErr);
        ASSERT_EQ(allGen[k](a.data(), b.data(), len, &want), ippStsNoErr);
        const std::string where = "op " + std::to_string(k) + " len " + std::to_string(len) +
                                  " shift " + std::to_string(shift);
        if (k == 0 || !std::isfinite(want)) {
          EXPECT_TRUE(equivalence::SameOrBothNaN(got, want)) << where << " " << got << " " << want;
        } else {
          EXPECT_TRUE(std::isfinite(got)) << where;
          EXPECT_NEAR(got, want, std::fabs(want) * 1e-9) << where;
        }
      }
    }
  }
}

// Where the double partial sums would leave the range (huge products that cancel, squares
// below the normal range), the result is still the generic's.
TEST(SignalReductions, SumsOutsideTheDoubleRangeKeepTheGenericResult) {
  const double big[] = {1e300, 1e300, -1e300, 3.0, 1e300, -1e300, 2.0, -1e300, 1.0};
  const double ten[] = {1e10, 1e10, 1e10, 1.0, 1e10, 1e10, 1.0, 1e10, 1.0};
  const double tiny[] = {1e-200, 3e-200, -2e-200, 5e-201, 1e-200};
  const double zero[] = {0, 0, 0, 0, 0};
  double got = 0, want = 0;
  ASSERT_EQ(ks::ippsDotProd_64f(big, ten, 9, &got), ippStsNoErr);
  gen::ippsDotProd_64f(big, ten, 9, &want);
  EXPECT_DOUBLE_EQ(got, want);
  ASSERT_EQ(ks::ippsMean_64f(big, 2, &got), ippStsNoErr);
  EXPECT_EQ(got, 1e300 * 1.0);
  const double huge[] = {1.5e308, 1.5e308, 1.5e308};
  ASSERT_EQ(ks::ippsMean_64f(huge, 3, &got), ippStsNoErr);
  EXPECT_EQ(got, 1.5e308);
  const double large[] = {1e308, 1e308}; // the norm is sqrt(2) * 1e308
  ASSERT_EQ(ks::ippsNormDiff_L2_64f(large, zero, 2, &got), ippStsNoErr);
  gen::ippsNormDiff_L2_64f(large, zero, 2, &want);
  EXPECT_TRUE(std::isfinite(got));
  EXPECT_DOUBLE_EQ(got, want);
  ASSERT_EQ(ks::ippsNormDiff_L2_64f(tiny, zero, 5, &got), ippStsNoErr);
  gen::ippsNormDiff_L2_64f(tiny, zero, 5, &want);
  EXPECT_GT(got, 0.0);
  EXPECT_DOUBLE_EQ(got, want);
  ASSERT_EQ(ks::ippsStdDev_64f(huge, 3, &got), ippStsNoErr);
  gen::ippsStdDev_64f(huge, 3, &want);
  EXPECT_EQ(got, want);
  const double spread[] = {1e200, -1e200, 1e200, -1e200};
  ASSERT_EQ(ks::ippsStdDev_64f(spread, 4, &got), ippStsNoErr);
  gen::ippsStdDev_64f(spread, 4, &want);
  EXPECT_DOUBLE_EQ(got, want);
  ASSERT_EQ(ks::ippsStdDev_64f(tiny, 5, &got), ippStsNoErr);
  gen::ippsStdDev_64f(tiny, 5, &want);
  EXPECT_GT(got, 0.0);
  EXPECT_NEAR(got, want, want * 1e-12);
}

TEST(SignalReductions, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const double a[3] = {1, 2, 3};
  const Two two[] = {ks::ippsDotProd_64f, ks::ippsNormDiff_L1_64f, ks::ippsNormDiff_L2_64f,
                     ks::ippsNormDiff_Inf_64f};
  for (Two f : two) {
    double r = 9;
    EXPECT_EQ(f(nullptr, a, 3, &r), ippStsNullPtrErr);
    EXPECT_EQ(f(a, nullptr, 0, &r), ippStsNullPtrErr);
    EXPECT_EQ(f(a, a, 3, nullptr), ippStsNullPtrErr);
    EXPECT_EQ(f(a, a, 0, &r), ippStsSizeErr);
    EXPECT_EQ(f(a, a, INT_MIN, &r), ippStsSizeErr);
    EXPECT_EQ(r, 9.0);
  }
  const One one[] = {ks::ippsMean_64f, ks::ippsStdDev_64f};
  for (One f : one) {
    double r = 9;
    EXPECT_EQ(f(nullptr, 3, &r), ippStsNullPtrErr);
    EXPECT_EQ(f(a, 3, nullptr), ippStsNullPtrErr);
    EXPECT_EQ(f(a, 0, &r), ippStsSizeErr);
    EXPECT_EQ(r, 9.0);
  }
  double r = 9;
  EXPECT_EQ(ks::ippsStdDev_64f(a, 1, &r), ippStsSizeErr);
  EXPECT_EQ(gen::ippsStdDev_64f(a, 1, &r), ippStsSizeErr);
  EXPECT_EQ(r, 9.0);
}

} // namespace
