// Real convolution and correlations against long double direct sums, on both sides of
// every path threshold. Which path ran shows through allocation: the direct paths take
// no memory, so with the next allocation armed to fail they still succeed, while a
// transform path reports -9 and leaves the destination untouched.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/GenericAlloc.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "tests/framework/dispatch/GenericLiveBlocks.h"

namespace {

namespace S = Slbcbbasicdispatcher;
using dispatch_filters::blockFailAfter;
using dispatch_filters::blockLiveCount;

std::vector<long double> convRef(const std::vector<double> &x, const std::vector<double> &y) {
  std::vector<long double> r(x.size() + y.size() - 1, 0.0L);
  for (size_t i = 0; i < x.size(); ++i)
    for (size_t j = 0; j < y.size(); ++j)
      r[i + j] += static_cast<long double>(x[i]) * y[j];
  return r;
}

long double crossRef(const std::vector<double> &x1, const std::vector<double> &x2, long long k) {
  long double s = 0;
  for (long long i = 0; i < static_cast<long long>(x1.size()); ++i)
    if (i + k >= 0 && i + k < static_cast<long long>(x2.size()))
      s += static_cast<long double>(x1[i]) * x2[i + k];
  return s;
}

// Transform results: within 1e-12 of the largest reference value.
void expectClose(const std::vector<double> &got, const std::vector<long double> &ref,
                 const char *what) {
  ASSERT_EQ(got.size(), ref.size());
  long double scale = 1e-300L;
  for (long double v : ref)
    scale = std::max(scale, std::fabs(v));
  for (size_t i = 0; i < ref.size(); ++i)
    ASSERT_NEAR(got[i], static_cast<double>(ref[i]), static_cast<double>(1e-12L * scale))
        << what << " at " << i;
}

using CorrConv = LiveBlocks;

constexpr double kSentinel = -12345.5;

} // namespace

TEST_F(CorrConv, SmallExamples) {
  const double a[2] = {1, 2}, b[3] = {1, 1, 1};
  double c[4];
  ASSERT_EQ(S::ippsConv_64f(a, 2, b, 3, c), 0);
  EXPECT_EQ(std::vector<double>(c, c + 4), (std::vector<double>{1, 3, 3, 2}));

  const double x[3] = {1, 2, 3};
  double r[5];
  ASSERT_EQ(S::ippsAutoCorr_64f(x, 3, r, 5), 0);
  EXPECT_EQ(std::vector<double>(r, r + 5), (std::vector<double>{14, 8, 3, 0, 0}));
  ASSERT_EQ(S::ippsAutoCorr_NormA_64f(x, 3, r, 5), 0);
  EXPECT_EQ(std::vector<double>(r, r + 5),
            (std::vector<double>{14.0 * (1.0 / 3), 8.0 * (1.0 / 3), 1, 0, 0}));
  ASSERT_EQ(S::ippsAutoCorr_NormB_64f(x, 3, r, 5), 0);
  EXPECT_EQ(std::vector<double>(r, r + 5), (std::vector<double>{14.0 / 3, 4, 3, 0, 0}));
  ASSERT_EQ(S::ippsAutoCorr_64f(x, 3, r, 1), 0);
  EXPECT_EQ(r[0], 14);

  const double y[3] = {3, 4, 5};
  double cc[6];
  ASSERT_EQ(S::ippsCrossCorr_64f(a, 2, y, 3, cc, 6, -2), 0);
  EXPECT_EQ(std::vector<double>(cc, cc + 6), (std::vector<double>{0, 6, 11, 14, 5, 0}));
  ASSERT_EQ(S::ippsCrossCorr_64f(a, 2, y, 3, cc, 1, 0), 0);
  EXPECT_EQ(cc[0], 11);
}

TEST_F(CorrConv, Statuses) {
  const double x[3] = {1, 2, 3};
  double d[8];
  EXPECT_EQ(S::ippsConv_64f(nullptr, 0, x, 3, d), -8);
  EXPECT_EQ(S::ippsConv_64f(x, 3, x, 3, nullptr), -8);
  EXPECT_EQ(S::ippsConv_64f(x, 0, x, 3, d), -6);
  EXPECT_EQ(S::ippsAutoCorr_64f(nullptr, 3, d, 3), -8);
  EXPECT_EQ(S::ippsAutoCorr_NormA_64f(x, 3, d, 0), -6);
  EXPECT_EQ(S::ippsAutoCorr_NormB_64f(x, -1, d, 3), -6);
  EXPECT_EQ(S::ippsCrossCorr_64f(x, 3, nullptr, 3, d, 3, 0), -8);
  EXPECT_EQ(S::ippsCrossCorr_64f(x, 3, x, 3, d, 0, 0), -6);
}

struct ConvCase {
  int len1, len2;
  bool transform;
};

std::ostream &operator<<(std::ostream &os, const ConvCase &c) {
  return os << c.len1 << "x" << c.len2 << (c.transform ? " transform" : " direct");
}

class ConvPaths : public CorrConv, public ::testing::WithParamInterface<ConvCase> {};

TEST_P(ConvPaths, MatchDirectSumOnEachSideOfTheThresholds) {
  const auto &c = GetParam();
  const auto x = test_support::RandomVector<double>(c.len1, c.len1),
             y = test_support::RandomVector<double>(c.len2, c.len2 + 7);
  const size_t outLen = c.len1 + c.len2 - 1;
  std::vector<double> got(outLen), swapped(outLen);
  ASSERT_EQ(S::ippsConv_64f(x.data(), c.len1, y.data(), c.len2, got.data()), 0);
  ASSERT_EQ(S::ippsConv_64f(y.data(), c.len2, x.data(), c.len1, swapped.data()), 0);
  expectClose(got, convRef(x, y), "conv");
  if (c.len1 != c.len2) {
    EXPECT_EQ(got, swapped); // the roles follow the lengths
  }

  std::vector<double> probe(outLen, kSentinel);
  blockFailAfter(0);
  const int st = S::ippsConv_64f(x.data(), c.len1, y.data(), c.len2, probe.data());
  blockFailAfter(-1);
  if (c.transform) {
    EXPECT_EQ(st, -9);
    EXPECT_EQ(probe, std::vector<double>(outLen, kSentinel));
  } else {
    EXPECT_EQ(st, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, ConvPaths,
    ::testing::Values(ConvCase{59, 91, false},    // 149 outputs
                      ConvCase{60, 91, true},     // 150 outputs, one transform of 256
                      ConvCase{200, 31, false},   // kernel of 31
                      ConvCase{200, 32, true},    // kernel of 32, blocks
                      ConvCase{149, 50, true},    // ratio just below 3: one transform
                      ConvCase{150, 50, true},    // ratio 3: blocks
                      ConvCase{150, 33, true},    // blocks whose result fits the first block
                      ConvCase{1000, 100, true},  // three blocks of 512
                      ConvCase{2000, 1000, true}, // one transform
                      ConvCase{31, 31, false}, ConvCase{1, 1, false},
                      ConvCase{9000, 31, false},  // direct, in pieces of 4096
                      ConvCase{9000, 40, true})); // many blocks

struct AutoCase {
  int srcLen, dstLen;
  bool transform;
};

std::ostream &operator<<(std::ostream &os, const AutoCase &c) {
  return os << c.srcLen << " -> " << c.dstLen << (c.transform ? " transform" : " direct");
}

class AutoCorrPaths : public CorrConv, public ::testing::WithParamInterface<AutoCase> {};

TEST_P(AutoCorrPaths, AllThreeNormsMatchDirectSums) {
  const auto &c = GetParam();
  const auto x = test_support::RandomVector<double>(c.srcLen, c.srcLen);
  std::vector<long double> ref(c.dstLen, 0.0L);
  for (int k = 0; k < std::min(c.srcLen, c.dstLen); ++k)
    ref[k] = crossRef(x, x, k);
  std::vector<long double> refA = ref, refB = ref;
  for (int k = 0; k < std::min(c.srcLen, c.dstLen); ++k) {
    refA[k] /= c.srcLen;
    refB[k] /= c.srcLen - k;
  }
  std::vector<double> got(c.dstLen, kSentinel);
  ASSERT_EQ(S::ippsAutoCorr_64f(x.data(), c.srcLen, got.data(), c.dstLen), 0);
  expectClose(got, ref, "plain");
  ASSERT_EQ(S::ippsAutoCorr_NormA_64f(x.data(), c.srcLen, got.data(), c.dstLen), 0);
  expectClose(got, refA, "NormA");
  ASSERT_EQ(S::ippsAutoCorr_NormB_64f(x.data(), c.srcLen, got.data(), c.dstLen), 0);
  // NormB's late lags have few terms, so compare each against its own size.
  for (int k = 0; k < c.dstLen; ++k)
    ASSERT_NEAR(got[k], static_cast<double>(refB[k]),
                1e-12 * c.srcLen / (c.srcLen - std::min(k, c.srcLen - 1)))
        << k;

  using Op = IppOpStatus (*)(const double *, int, double *, int);
  for (Op op :
       {Op(&S::ippsAutoCorr_64f), Op(&S::ippsAutoCorr_NormA_64f), Op(&S::ippsAutoCorr_NormB_64f)}) {
    std::vector<double> probe(c.dstLen, kSentinel);
    blockFailAfter(0);
    const int st = op(x.data(), c.srcLen, probe.data(), c.dstLen);
    blockFailAfter(-1);
    if (c.transform) {
      EXPECT_EQ(st, -9);
      EXPECT_EQ(probe, std::vector<double>(c.dstLen, kSentinel));
    } else {
      EXPECT_EQ(st, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Thresholds, AutoCorrPaths,
                         ::testing::Values(AutoCase{10000, 599, false}, AutoCase{10000, 600, true},
                                           AutoCase{600, 1000, true}, AutoCase{599, 1000, false},
                                           AutoCase{1, 3, false}, AutoCase{700, 650, true}));

struct CrossCase {
  int len1, len2, dstLen, lowLag;
  bool transform;
};

std::ostream &operator<<(std::ostream &os, const CrossCase &c) {
  return os << c.len1 << "," << c.len2 << " lags " << c.lowLag << "+" << c.dstLen
            << (c.transform ? " transform" : " direct");
}

class CrossCorrPaths : public CorrConv, public ::testing::WithParamInterface<CrossCase> {};

TEST_P(CrossCorrPaths, MatchDirectSumsAndWriteNothingOnFailure) {
  const auto &c = GetParam();
  const auto x1 = test_support::RandomVector<double>(c.len1, c.len1),
             x2 = test_support::RandomVector<double>(c.len2, c.len2 + 3);
  std::vector<long double> ref(c.dstLen);
  for (int j = 0; j < c.dstLen; ++j)
    ref[j] = crossRef(x1, x2, static_cast<long long>(c.lowLag) + j);
  std::vector<double> got(c.dstLen, kSentinel);
  ASSERT_EQ(
      S::ippsCrossCorr_64f(x1.data(), c.len1, x2.data(), c.len2, got.data(), c.dstLen, c.lowLag),
      0);
  expectClose(got, ref, "cross");

  // A failing transform path leaves even the zero lags around it unwritten.
  std::vector<double> probe(c.dstLen, kSentinel);
  blockFailAfter(0);
  const int st =
      S::ippsCrossCorr_64f(x1.data(), c.len1, x2.data(), c.len2, probe.data(), c.dstLen, c.lowLag);
  blockFailAfter(-1);
  if (c.transform) {
    EXPECT_EQ(st, -9);
    EXPECT_EQ(probe, std::vector<double>(c.dstLen, kSentinel));
  } else {
    EXPECT_EQ(st, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, CrossCorrPaths,
    ::testing::Values(CrossCase{257, 257, 513, -256, true},    // estimate 513
                      CrossCase{257, 257, 511, -256, false},   // estimate 511
                      CrossCase{300, 300, 512, -299, true},    // estimate exactly 512
                      CrossCase{300, 300, 511, -299, false},   // 511
                      CrossCase{600, 1200, 1024, -100, true},  // 1024 · 600 / 1200 = 512
                      CrossCase{600, 1200, 1023, -100, false}, // 511.5 truncates to 511
                      CrossCase{1200, 600, 1035, -1210, true}, // leading zero lags, then 1024 lags
                      CrossCase{5, 3, 20, -10, false},  // zeros on both sides, 7 lags computed
                      CrossCase{5, 3, 4, 3, false},     // entirely above the nonzero range
                      CrossCase{5, 3, 4, -20, false})); // entirely below it

TEST_F(CorrConv, CrossCorrelationEstimateJustBelow512OnLongInputs) {
  // lags · shorter is one less than 512 · longer: the direct path, exactly.
  const int len1 = 65601, len2 = 51913, dstLen = 647;
  const auto x1 = test_support::RandomVector<double>(len1, 1),
             x2 = test_support::RandomVector<double>(len2, 2);
  std::vector<double> got(dstLen);
  blockFailAfter(0);
  ASSERT_EQ(S::ippsCrossCorr_64f(x1.data(), len1, x2.data(), len2, got.data(), dstLen, 0), 0);
  blockFailAfter(-1);
  for (int j : {0, 1, 300, 646})
    EXPECT_NEAR(got[j], static_cast<double>(crossRef(x1, x2, j)), 1e-10) << j;
}

TEST_F(CorrConv, EveryTransformAllocationFailureReleasesEverything) {
  const auto x = test_support::RandomVector<double>(2000, 1),
             y = test_support::RandomVector<double>(1000, 2);
  std::vector<double> out(2999, kSentinel);
  for (int k = 0;; ++k) {
    kernels::fft_real::fftFailAfter(k);
    const int st = S::ippsConv_64f(x.data(), 2000, y.data(), 1000, out.data());
    kernels::fft_real::fftFailAfter(-1);
    if (st == 0)
      break;
    EXPECT_EQ(st, -9);
    EXPECT_EQ(out, std::vector<double>(2999, kSentinel)) << k;
    EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), engine_) << k;
    EXPECT_EQ(blockLiveCount(), ours_) << k;
    ASSERT_LT(k, 50);
  }
  for (int k = 0; k < 2; ++k) {
    std::vector<double> probe(2999, kSentinel);
    blockFailAfter(k);
    const int st = S::ippsConv_64f(x.data(), 2000, y.data(), 1000, probe.data());
    blockFailAfter(-1);
    if (st == 0)
      break;
    EXPECT_EQ(st, -9);
    EXPECT_EQ(probe, std::vector<double>(2999, kSentinel));
  }
}
