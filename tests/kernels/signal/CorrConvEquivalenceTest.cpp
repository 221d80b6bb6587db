// The code 5 and code 6 convolution and correlations against a long double direct sum, on
// both sides of each class's own path thresholds. Which path ran shows through an armed
// allocation failure: the direct sums take no memory, so with every allocation failing
// they still succeed, while a transform path returns -9, leaves the destination as it was
// and keeps nothing.
//
// Bound: a result sample may differ from the exact sum by
//   (terms + 8·log2 N) · 2^-53 · ||x||·||y||,
// which covers both the direct sums (each product and addition rounded once, at most
// once per term) and the transforms (about log2 N roundings per butterfly level, relative
// to the norms of the inputs); ||x||·||y|| bounds the sum of |terms| of every lag.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/GenericCorrConv.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/signal/SignalCorrConv.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace ks = kernels::signal;

using ConvFn = IppOpStatus (*)(const double *, int, const double *, int, double *);
using AutoFn = IppOpStatus (*)(const double *, int, double *, int);
using AutoCFn = IppOpStatus (*)(const Ipp64fc *, int, Ipp64fc *, int);
using CrossFn = IppOpStatus (*)(const double *, int, const double *, int, double *, int, int);
using CrossCFn = IppOpStatus (*)(const Ipp64fc *, int, const Ipp64fc *, int, Ipp64fc *, int, int);

struct Variant {
  const char *name;
  ConvFn conv;
  AutoFn autoCorr, autoA, autoB;
  CrossFn cross;
  AutoCFn autoC, autoCA, autoCB;
  CrossCFn crossC;
};

const Variant kSse{"sse",
                   ks::sse::ippsConv_64f,
                   ks::sse::ippsAutoCorr_64f,
                   ks::sse::ippsAutoCorr_NormA_64f,
                   ks::sse::ippsAutoCorr_NormB_64f,
                   ks::sse::ippsCrossCorr_64f,
                   ks::sse::ippsAutoCorr_64fc,
                   ks::sse::ippsAutoCorr_NormA_64fc,
                   ks::sse::ippsAutoCorr_NormB_64fc,
                   ks::sse::ippsCrossCorr_64fc};
const Variant kSse2{"sse2",
                    ks::sse2::ippsConv_64f,
                    ks::sse2::ippsAutoCorr_64f,
                    ks::sse2::ippsAutoCorr_NormA_64f,
                    ks::sse2::ippsAutoCorr_NormB_64f,
                    ks::sse2::ippsCrossCorr_64f,
                    ks::sse2::ippsAutoCorr_64fc,
                    ks::sse2::ippsAutoCorr_NormA_64fc,
                    ks::sse2::ippsAutoCorr_NormB_64fc,
                    ks::sse2::ippsCrossCorr_64fc};

void PrintTo(const Variant &v, std::ostream *os) { *os << v.name; }

std::vector<double> randomReal(int n, unsigned seed) {
  return test_support::RandomVector<double>(n, seed, -1.0, 1.0);
}

std::vector<Ipp64fc> randomComplex(int n, unsigned seed) {
  const auto v = test_support::RandomVector<double>(2 * n, seed, -1.0, 1.0);
  std::vector<Ipp64fc> c(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    c[static_cast<std::size_t>(i)] = {v[2 * static_cast<std::size_t>(i)],
                                      v[2 * static_cast<std::size_t>(i) + 1]};
  return c;
}

long double norm(const std::vector<double> &v) {
  long double s = 0;
  for (double x : v)
    s += static_cast<long double>(x) * x;
  return std::sqrt(s);
}
long double norm(const std::vector<Ipp64fc> &v) {
  long double s = 0;
  for (const Ipp64fc &x : v)
    s += static_cast<long double>(x.re) * x.re + static_cast<long double>(x.im) * x.im;
  return std::sqrt(s);
}

double bound(long long terms, long long points, long double normProduct) {
  return static_cast<double>((terms + 8 * std::log2(static_cast<double>(points) + 2)) *
                             std::ldexp(1.0L, -53) * normProduct);
}

// Every allocation of the signal kernels and of the transforms fails while armed.
class FailAll {
public:
  FailAll() {
    ks::SignalBlocksFailAfter(0);
    kernels::fft_real::fftFailAfter(0);
  }
  ~FailAll() { disarm(); }
  static void disarm() {
    ks::SignalBlocksFailAfter(-1);
    kernels::fft_real::fftFailAfter(-1);
  }
};

class CorrConv : public ::testing::TestWithParam<Variant> {
protected:
  void SetUp() override {
    signal_ = ks::SignalBlocksLive();
    engine_ = kernels::fft_real::fftLiveBlocks();
  }
  void TearDown() override {
    FailAll::disarm();
    EXPECT_EQ(ks::SignalBlocksLive(), signal_);
    EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), engine_);
  }
  long signal_ = 0, engine_ = 0;
};

// --- convolution ---------------------------------------------------------------------

std::vector<long double> convExact(const std::vector<double> &a, const std::vector<double> &b) {
  std::vector<long double> r(a.size() + b.size() - 1, 0.0L);
  for (std::size_t i = 0; i < b.size(); ++i)
    for (std::size_t j = 0; j < a.size(); ++j)
      r[i + j] += static_cast<long double>(a[j]) * b[i];
  return r;
}

struct ConvCase {
  int len1, len2;
  bool direct[2]; // sse, sse2
};

// Each class's own limits: direct below 256 results or 32 taps (code 5), below 512
// results or 64 taps (code 6); one transform while the signal is below three kernels,
// blocks from there; signals of 4096 samples and more in pieces.
const ConvCase kConvCases[] = {
    {1, 1, {true, true}},       {176, 80, {true, true}},      // 255 results
    {177, 80, {false, true}},   {80, 177, {false, true}},     // 256, either order
    {1000, 31, {true, true}},   {1000, 32, {false, true}},    // 32 taps
    {1000, 63, {false, true}},  {1000, 64, {false, false}},   // 64 taps
    {412, 100, {false, true}},  {413, 100, {false, false}},   // 511 / 512 results
    {299, 100, {false, true}},  {300, 100, {false, true}},    // ratio 3, code 5
    {599, 200, {false, false}}, {600, 200, {false, false}},   // ratio 3, code 6
    {10000, 31, {true, true}},  {9000, 63, {false, true}},    // pieces of 4096
    {150, 33, {true, true}},    {20000, 300, {false, false}}, // many blocks
};

TEST_P(CorrConv, ConvolutionIsWithinTheBoundOnBothSidesOfItsThresholds) {
  const Variant &v = GetParam();
  const bool sse2 = v.conv == kSse2.conv;
  for (const ConvCase &c : kConvCases) {
    const auto x = randomReal(c.len1, 10u + static_cast<unsigned>(c.len1));
    const auto y = randomReal(c.len2, 20u + static_cast<unsigned>(c.len2));
    const auto &a = c.len1 >= c.len2 ? x : y;
    const auto &b = c.len1 >= c.len2 ? y : x;
    const auto exact = convExact(a, b);
    const std::string where =
        std::string(v.name) + " " + std::to_string(c.len1) + "x" + std::to_string(c.len2);
    std::vector<double> got(exact.size(), 7.0);
    ASSERT_EQ(v.conv(x.data(), c.len1, y.data(), c.len2, got.data()), ippStsNoErr) << where;
    const double tol = bound(static_cast<long long>(b.size()),
                             static_cast<long long>(exact.size()) * 2, norm(a) * norm(b));
    for (std::size_t k = 0; k < exact.size(); ++k)
      ASSERT_NEAR(got[k], static_cast<double>(exact[k]), tol) << where << " at " << k;

    // Swapped inputs of different lengths take the same roles: the same bits.
    if (c.len1 != c.len2) {
      std::vector<double> swapped(exact.size());
      ASSERT_EQ(v.conv(y.data(), c.len2, x.data(), c.len1, swapped.data()), ippStsNoErr);
      EXPECT_EQ(std::memcmp(swapped.data(), got.data(), got.size() * 8), 0) << where;
    }

    // The path, shown by failing every allocation.
    std::vector<double> armed(exact.size(), 7.0);
    IppOpStatus st;
    {
      FailAll fail;
      st = v.conv(x.data(), c.len1, y.data(), c.len2, armed.data());
    }
    if (c.direct[sse2 ? 1 : 0]) {
      EXPECT_EQ(st, ippStsNoErr) << where << " should sum directly";
      EXPECT_EQ(std::memcmp(armed.data(), got.data(), got.size() * 8), 0) << where;
    } else {
      EXPECT_EQ(st, ippStsMemAllocErr) << where << " should transform";
      for (double d : armed)
        ASSERT_EQ(d, 7.0) << where << ": a failed call wrote";
    }
  }
}

TEST_P(CorrConv, ConvolutionFailingAnyAllocationReturnsMinus9AndKeepsNothing) {
  const Variant &v = GetParam();
  for (const ConvCase &c : {ConvCase{700, 300, {}}, ConvCase{5000, 100, {}}}) {
    const auto x = randomReal(c.len1, 1), y = randomReal(c.len2, 2);
    const std::size_t outLen = static_cast<std::size_t>(c.len1 + c.len2 - 1);
    for (int k = 0;; ++k) {
      std::vector<double> out(outLen, 7.0);
      ks::SignalBlocksFailAfter(k);
      const IppOpStatus st = v.conv(x.data(), c.len1, y.data(), c.len2, out.data());
      ks::SignalBlocksFailAfter(-1);
      if (st == ippStsNoErr)
        break;
      ASSERT_EQ(st, ippStsMemAllocErr) << v.name << " k " << k;
      for (double d : out)
        ASSERT_EQ(d, 7.0);
      ASSERT_LT(k, 8);
    }
    for (int k = 0;; ++k) {
      std::vector<double> out(outLen, 7.0);
      kernels::fft_real::fftFailAfter(k);
      const IppOpStatus st = v.conv(x.data(), c.len1, y.data(), c.len2, out.data());
      kernels::fft_real::fftFailAfter(-1);
      if (st == ippStsNoErr)
        break;
      ASSERT_EQ(st, ippStsMemAllocErr) << v.name << " engine k " << k;
      for (double d : out)
        ASSERT_EQ(d, 7.0);
      ASSERT_LT(k, 16);
    }
  }
}

TEST_P(CorrConv, ConvolutionArgumentsAreTestedInTheGenericOrder) {
  const Variant &v = GetParam();
  double a[2] = {1, 2}, out[3] = {7, 7, 7};
  EXPECT_EQ(v.conv(nullptr, 0, a, 2, out), ippStsNullPtrErr);
  EXPECT_EQ(v.conv(a, 2, nullptr, 2, out), ippStsNullPtrErr);
  EXPECT_EQ(v.conv(a, 2, a, 2, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(v.conv(a, 0, a, 2, out), ippStsSizeErr);
  EXPECT_EQ(v.conv(a, 2, a, -1, out), ippStsSizeErr);
  EXPECT_EQ(out[0], 7.0);
  ASSERT_EQ(v.conv(a, 2, a, 2, out), ippStsNoErr);
  EXPECT_EQ(out[0], 1.0);
  EXPECT_EQ(out[1], 4.0);
  EXPECT_EQ(out[2], 4.0);
}

// An infinite tap reaches only the results it has a sample for: the direct loops leave
// missing terms out instead of multiplying by zero.
TEST_P(CorrConv, DirectConvolutionKeepsInfinitiesWhereTheGenericHasThem) {
  const Variant &v = GetParam();
  const std::vector<double> a = {1, -2, 3, 0.5, 4, -1, 2, 8, 9, 1, 2};
  std::vector<double> b = {INFINITY, 1, 2, 3, 4, 5, -1};
  std::vector<double> got(a.size() + b.size() - 1), want(got.size());
  ASSERT_EQ(v.conv(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                   got.data()),
            ippStsNoErr);
  ASSERT_EQ(Slbcbbasicdispatcher::generic::ippsConv_64f(a.data(), static_cast<int>(a.size()),
                                                        b.data(), static_cast<int>(b.size()),
                                                        want.data()),
            ippStsNoErr);
  for (std::size_t k = 0; k < got.size(); ++k) {
    EXPECT_EQ(std::isnan(got[k]), std::isnan(want[k])) << k;
    EXPECT_EQ(std::isinf(got[k]), std::isinf(want[k])) << k;
    if (std::isfinite(want[k])) {
      EXPECT_NEAR(got[k], want[k], 1e-12) << k;
    }
  }
}

// --- autocorrelation -----------------------------------------------------------------

template <class T>
std::vector<T> crossExact(const std::vector<T> &x1, const std::vector<T> &x2, int lowLag,
                          int dstLen) {
  std::vector<T> r(static_cast<std::size_t>(dstLen));
  const long long len1 = static_cast<long long>(x1.size()),
                  len2 = static_cast<long long>(x2.size());
  for (int j = 0; j < dstLen; ++j) {
    const long long k = static_cast<long long>(lowLag) + j;
    long double re = 0, im = 0;
    for (long long i = std::max(0LL, -k); i < std::min(len1, len2 - k); ++i) {
      if constexpr (std::is_same_v<T, double>) {
        re += static_cast<long double>(x1[static_cast<std::size_t>(i)]) *
              x2[static_cast<std::size_t>(i + k)];
      } else {
        const Ipp64fc a = x1[static_cast<std::size_t>(i)], b = x2[static_cast<std::size_t>(i + k)];
        re += static_cast<long double>(a.re) * b.re + static_cast<long double>(a.im) * b.im;
        im += static_cast<long double>(a.re) * b.im - static_cast<long double>(a.im) * b.re;
      }
    }
    if constexpr (std::is_same_v<T, double>)
      r[static_cast<std::size_t>(j)] = static_cast<double>(re);
    else
      r[static_cast<std::size_t>(j)] = {static_cast<double>(re), static_cast<double>(im)};
  }
  return r;
}

void expectNear(double got, double want, double tol, const std::string &where) {
  ASSERT_NEAR(got, want, tol) << where;
}
void expectNear(const Ipp64fc &got, const Ipp64fc &want, double tol, const std::string &where) {
  ASSERT_NEAR(got.re, want.re, tol) << where;
  ASSERT_NEAR(got.im, want.im, tol) << where;
}
bool untouched(double v) { return v == 7.0; }
bool untouched(const Ipp64fc &v) { return v.re == 7.0 && v.im == 7.0; }

struct AutoCase {
  int srcLen, dstLen;
  bool direct[2]; // sse, sse2
};

template <class T, class Fn>
void checkAutoCorr(const char *name, Fn fn, const AutoCase &c, std::vector<T> x) {
  const auto want = crossExact(x, x, 0, c.dstLen);
  const std::string where =
      std::string(name) + " src " + std::to_string(c.srcLen) + " dst " + std::to_string(c.dstLen);
  std::vector<T> got(static_cast<std::size_t>(c.dstLen));
  ASSERT_EQ(fn(x.data(), c.srcLen, got.data(), c.dstLen), ippStsNoErr) << where;
  const double tol = bound(c.srcLen, 4LL * c.srcLen, norm(x) * norm(x));
  for (std::size_t k = 0; k < got.size(); ++k)
    expectNear(got[k], want[k], k < static_cast<std::size_t>(c.srcLen) ? tol : 0.0,
               where + " lag " + std::to_string(k));
}

TEST_P(CorrConv, AutoCorrelationIsWithinTheBoundOnBothSidesOfItsThresholds) {
  const Variant &v = GetParam();
  const bool sse2 = v.conv == kSse2.conv;
  // Code 5 sums directly below 700 real lags and 96 complex ones, code 6 below 856 and 368.
  const AutoCase real[] = {{1, 3, {true, true}},        {699, 699, {true, true}},
                           {700, 700, {false, true}},   {2000, 855, {false, true}},
                           {2000, 856, {false, false}}, {900, 1200, {false, false}}};
  const AutoCase complex[] = {{1, 3, {true, true}},       {95, 95, {true, true}},
                              {96, 96, {false, true}},    {500, 367, {false, true}},
                              {500, 368, {false, false}}, {400, 600, {false, false}}};
  for (const AutoCase &c : real) {
    const auto x = randomReal(c.srcLen, 30u + static_cast<unsigned>(c.srcLen));
    checkAutoCorr<double>(v.name, v.autoCorr, c, x);
    std::vector<double> armed(static_cast<std::size_t>(c.dstLen), 7.0);
    IppOpStatus st;
    {
      FailAll fail;
      st = v.autoCorr(x.data(), c.srcLen, armed.data(), c.dstLen);
    }
    EXPECT_EQ(st, c.direct[sse2] ? ippStsNoErr : ippStsMemAllocErr) << c.srcLen << " " << c.dstLen;
    if (st != ippStsNoErr) {
      for (double d : armed)
        ASSERT_TRUE(untouched(d));
    }
  }
  for (const AutoCase &c : complex) {
    const auto x = randomComplex(c.srcLen, 40u + static_cast<unsigned>(c.srcLen));
    checkAutoCorr<Ipp64fc>(v.name, v.autoC, c, x);
    std::vector<Ipp64fc> armed(static_cast<std::size_t>(c.dstLen), Ipp64fc{7.0, 7.0});
    IppOpStatus st;
    {
      FailAll fail;
      st = v.autoC(x.data(), c.srcLen, armed.data(), c.dstLen);
    }
    EXPECT_EQ(st, c.direct[sse2] ? ippStsNoErr : ippStsMemAllocErr) << c.srcLen << " " << c.dstLen;
    if (st != ippStsNoErr) {
      for (const Ipp64fc &d : armed)
        ASSERT_TRUE(untouched(d));
    }
  }
}

// NormA scales by the double nearest 1/srcLen (with srcLen 3 a factor rounded to single
// precision would make lag 0 of three ones 1.0000000298); NormB divides lag k by
// srcLen - k and leaves the zero lags alone.
TEST_P(CorrConv, NormalisedAutoCorrelationsScaleTheirLags) {
  const Variant &v = GetParam();
  const double ones[3] = {1, 1, 1};
  double a[5];
  ASSERT_EQ(v.autoA(ones, 3, a, 5), ippStsNoErr);
  EXPECT_EQ(a[0], 1.0);
  EXPECT_EQ(a[1], 2.0 * (1.0 / 3.0));
  EXPECT_EQ(a[3], 0.0);
  double b[5];
  ASSERT_EQ(v.autoB(ones, 3, b, 5), ippStsNoErr);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(b[k], 1.0) << k;
  EXPECT_EQ(b[3], 0.0);
  EXPECT_EQ(b[4], 0.0);

  for (int srcLen : {50, 1000}) {
    const auto x = randomReal(srcLen, 50);
    std::vector<double> plain(900), na(900), nb(900);
    ASSERT_EQ(v.autoCorr(x.data(), srcLen, plain.data(), 900), ippStsNoErr);
    ASSERT_EQ(v.autoA(x.data(), srcLen, na.data(), 900), ippStsNoErr);
    ASSERT_EQ(v.autoB(x.data(), srcLen, nb.data(), 900), ippStsNoErr);
    const double f = 1.0 / srcLen;
    for (int k = 0; k < 900; ++k) {
      ASSERT_EQ(na[static_cast<std::size_t>(k)], plain[static_cast<std::size_t>(k)] * f) << k;
      const double d = k < srcLen ? srcLen - k : 1.0;
      ASSERT_EQ(nb[static_cast<std::size_t>(k)], plain[static_cast<std::size_t>(k)] / d) << k;
    }
    const auto xc = randomComplex(srcLen, 51);
    std::vector<Ipp64fc> pc(400), ac(400), bc(400);
    ASSERT_EQ(v.autoC(xc.data(), srcLen, pc.data(), 400), ippStsNoErr);
    ASSERT_EQ(v.autoCA(xc.data(), srcLen, ac.data(), 400), ippStsNoErr);
    ASSERT_EQ(v.autoCB(xc.data(), srcLen, bc.data(), 400), ippStsNoErr);
    for (int k = 0; k < 400; ++k) {
      const std::size_t i = static_cast<std::size_t>(k);
      ASSERT_EQ(ac[i].re, pc[i].re * f);
      ASSERT_EQ(ac[i].im, pc[i].im * f);
      const double d = k < srcLen ? srcLen - k : 1.0;
      ASSERT_EQ(bc[i].re, pc[i].re / d);
      ASSERT_EQ(bc[i].im, pc[i].im / d);
    }
  }
  // A failing autocorrelation is passed on before any scaling.
  std::vector<double> out(1000, 7.0);
  const auto x = randomReal(1000, 52);
  FailAll fail;
  EXPECT_EQ(v.autoA(x.data(), 1000, out.data(), 1000), ippStsMemAllocErr);
  EXPECT_EQ(v.autoB(x.data(), 1000, out.data(), 1000), ippStsMemAllocErr);
  EXPECT_EQ(out[0], 7.0);
}

// --- cross-correlation ---------------------------------------------------------------

struct CrossCase {
  int len1, len2, lowLag, dstLen;
  bool transform; // by the single-precision estimate (both classes)
};

const CrossCase kCrossCases[] = {
    {5, 3, -10, 20, false}, // lags -10..-5 and 3..9 zero, -4..2 direct
    {3, 5, -10, 20, false},        {1, 1, 0, 1, false},
    {4, 4, 10, 3, false},         // every lag above the nonzero range
    {4, 4, -20, 3, false},        // every lag below it
    {257, 257, -256, 511, false}, // estimate 511
    {257, 257, -256, 513, true},  // estimate 513
    {600, 1000, -599, 1599, true}, {1000, 600, -999, 1599, true},
    {700, 600, -100, 900, true},   {50, 2000, -49, 600, false},
};

TEST_P(CorrConv, CrossCorrelationIsWithinTheBoundOnBothSidesOfTheEstimate) {
  const Variant &v = GetParam();
  for (const CrossCase &c : kCrossCases) {
    const std::string where = std::string(v.name) + " " + std::to_string(c.len1) + "/" +
                              std::to_string(c.len2) + " low " + std::to_string(c.lowLag) + " n " +
                              std::to_string(c.dstLen);
    const long long points = c.len1 + c.len2;
    {
      const auto x1 = randomReal(c.len1, 60u + static_cast<unsigned>(c.len1));
      const auto x2 = randomReal(c.len2, 70u + static_cast<unsigned>(c.len2));
      const auto want = crossExact(x1, x2, c.lowLag, c.dstLen);
      std::vector<double> got(static_cast<std::size_t>(c.dstLen), 7.0);
      ASSERT_EQ(v.cross(x1.data(), c.len1, x2.data(), c.len2, got.data(), c.dstLen, c.lowLag),
                ippStsNoErr)
          << where;
      const double tol = bound(std::min(c.len1, c.len2), points, norm(x1) * norm(x2));
      for (std::size_t k = 0; k < got.size(); ++k)
        expectNear(got[k], want[k], tol, where + " at " + std::to_string(k));
      std::vector<double> armed(got.size(), 7.0);
      IppOpStatus st;
      {
        FailAll fail;
        st = v.cross(x1.data(), c.len1, x2.data(), c.len2, armed.data(), c.dstLen, c.lowLag);
      }
      EXPECT_EQ(st, c.transform ? ippStsMemAllocErr : ippStsNoErr) << where;
      if (c.transform) { // not even the zero lags are written before the memory is there
        for (double d : armed)
          ASSERT_TRUE(untouched(d)) << where;
      }
    }
    {
      const auto x1 = randomComplex(c.len1, 80u + static_cast<unsigned>(c.len1));
      const auto x2 = randomComplex(c.len2, 90u + static_cast<unsigned>(c.len2));
      const auto want = crossExact(x1, x2, c.lowLag, c.dstLen);
      std::vector<Ipp64fc> got(static_cast<std::size_t>(c.dstLen));
      ASSERT_EQ(v.crossC(x1.data(), c.len1, x2.data(), c.len2, got.data(), c.dstLen, c.lowLag),
                ippStsNoErr)
          << where;
      const double tol = 2 * bound(std::min(c.len1, c.len2), points, norm(x1) * norm(x2));
      for (std::size_t k = 0; k < got.size(); ++k)
        expectNear(got[k], want[k], tol, where + " complex at " + std::to_string(k));
      std::vector<Ipp64fc> armed(got.size(), Ipp64fc{7.0, 7.0});
      IppOpStatus st;
      {
        FailAll fail;
        st = v.crossC(x1.data(), c.len1, x2.data(), c.len2, armed.data(), c.dstLen, c.lowLag);
      }
      EXPECT_EQ(st, c.transform ? ippStsMemAllocErr : ippStsNoErr) << where;
      if (c.transform) {
        for (const Ipp64fc &d : armed)
          ASSERT_TRUE(untouched(d)) << where;
      }
    }
  }
}

TEST_P(CorrConv, CorrelationArgumentsAreTestedInTheGenericOrder) {
  const Variant &v = GetParam();
  double x[2] = {1, 2}, out[2] = {7, 7};
  Ipp64fc c[2] = {{1, 0}, {0, 1}}, cout[2] = {{7, 7}, {7, 7}};
  EXPECT_EQ(v.autoCorr(nullptr, 0, out, 2), ippStsNullPtrErr);
  EXPECT_EQ(v.autoCorr(x, 0, out, 2), ippStsSizeErr);
  EXPECT_EQ(v.autoCorr(x, 2, out, 0), ippStsSizeErr);
  EXPECT_EQ(v.cross(x, 2, x, 2, nullptr, 0, 0), ippStsNullPtrErr);
  EXPECT_EQ(v.cross(x, 2, x, 0, out, 2, 0), ippStsSizeErr);
  EXPECT_EQ(v.autoCB(c, 2, nullptr, 2), ippStsNullPtrErr);
  EXPECT_EQ(v.crossC(c, 2, c, 2, cout, 0, 0), ippStsSizeErr);
  EXPECT_EQ(out[0], 7.0);
  EXPECT_EQ(cout[0].re, 7.0);
  // (1, 0), (0, 1): lag 0 is 2, lag 1 is (0, 1)·conj(1, 0) = (0, 1).
  ASSERT_EQ(v.autoC(c, 2, cout, 2), ippStsNoErr);
  EXPECT_EQ(cout[0].re, 2.0);
  EXPECT_EQ(cout[0].im, 0.0);
  EXPECT_EQ(cout[1].re, 0.0);
  EXPECT_EQ(cout[1].im, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Classes, CorrConv, ::testing::Values(kSse, kSse2),
                         [](const auto &info) { return std::string(info.param.name); });

// Code 5 computes in extended precision with transforms that give the generic's bits, so
// wherever it takes the generic's path its results are the generic's, bit for bit.
TEST(CorrConvCode5, EqualsTheGenericWhereBothTakeTheSamePath) {
  namespace gen = Slbcbbasicdispatcher::generic;
  for (auto [l1, l2] : {std::pair{100, 20}, std::pair{40, 60}, std::pair{400, 100},
                        std::pair{250, 200}, std::pair{5000, 40}}) {
    const auto x = randomReal(l1, 5), y = randomReal(l2, 6);
    std::vector<double> a(static_cast<std::size_t>(l1 + l2 - 1)), b(a.size());
    ASSERT_EQ(ks::sse::ippsConv_64f(x.data(), l1, y.data(), l2, a.data()), ippStsNoErr);
    ASSERT_EQ(gen::ippsConv_64f(x.data(), l1, y.data(), l2, b.data()), ippStsNoErr);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * 8), 0) << l1 << "x" << l2;
  }
  for (auto [srcLen, dstLen] : {std::pair{300, 300}, std::pair{2000, 800}}) {
    const auto x = randomReal(srcLen, 7);
    std::vector<double> a(static_cast<std::size_t>(dstLen)), b(a.size());
    ASSERT_EQ(ks::sse::ippsAutoCorr_NormA_64f(x.data(), srcLen, a.data(), dstLen), ippStsNoErr);
    ASSERT_EQ(gen::ippsAutoCorr_NormA_64f(x.data(), srcLen, b.data(), dstLen), ippStsNoErr);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * 8), 0) << srcLen;
    const auto xc = randomComplex(srcLen, 8);
    std::vector<Ipp64fc> ac(static_cast<std::size_t>(dstLen)), bc(ac.size());
    ASSERT_EQ(ks::sse::ippsAutoCorr_NormB_64fc(xc.data(), srcLen, ac.data(), dstLen), ippStsNoErr);
    ASSERT_EQ(gen::ippsAutoCorr_NormB_64fc(xc.data(), srcLen, bc.data(), dstLen), ippStsNoErr);
    EXPECT_EQ(std::memcmp(ac.data(), bc.data(), ac.size() * 16), 0) << srcLen;
  }
  for (const CrossCase &c : kCrossCases) {
    const auto x1 = randomComplex(c.len1, 9), x2 = randomComplex(c.len2, 10);
    std::vector<Ipp64fc> a(static_cast<std::size_t>(c.dstLen)), b(a.size());
    ASSERT_EQ(ks::sse::ippsCrossCorr_64fc(x1.data(), c.len1, x2.data(), c.len2, a.data(), c.dstLen,
                                          c.lowLag),
              ippStsNoErr);
    ASSERT_EQ(
        gen::ippsCrossCorr_64fc(x1.data(), c.len1, x2.data(), c.len2, b.data(), c.dstLen, c.lowLag),
        ippStsNoErr);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * 16), 0) << c.len1 << "/" << c.len2;
  }
}

// The estimate lags · shorter / longer in single precision: 647 · 51913 = 33,587,711 is
// one below 512 · 65601, which the generic's exact test keeps direct; in single precision
// the product rounds up to 33,587,712 and the estimate reaches 512. Both paths give the
// result up to rounding.
TEST(CrossCorrEstimate, SinglePrecisionDecidesOnlyNearTheBoundaryOtherwise) {
  EXPECT_FALSE(dispatch_filters::crossCorrTakesTransform(647, 65601, 51913));
  EXPECT_TRUE(ks::CrossCorrTakesTransformSingle(647, 65601, 51913));
  EXPECT_FALSE(ks::CrossCorrTakesTransformSingle(511, 257, 257));
  EXPECT_TRUE(ks::CrossCorrTakesTransformSingle(512, 257, 257));
  EXPECT_FALSE(ks::CrossCorrTakesTransformSingle(1023, 100, 200));
  EXPECT_TRUE(ks::CrossCorrTakesTransformSingle(1024, 100, 200));
}

} // namespace
