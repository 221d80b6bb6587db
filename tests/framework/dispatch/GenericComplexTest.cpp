// Complex element operations and complex correlation, called by name through their slots.
#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "tests/framework/dispatch/GenericLiveBlocks.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace S = Slbcbbasicdispatcher;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectC(Ipp64fc got, double re, double im, double tol = 0) {
  if (tol == 0) {
    EXPECT_TRUE(sameBits(got.re, re)) << got.re << " vs " << re;
    EXPECT_TRUE(sameBits(got.im, im)) << got.im << " vs " << im;
  } else {
    EXPECT_NEAR(got.re, re, tol);
    EXPECT_NEAR(got.im, im, tol);
  }
}

} // namespace

TEST(NoCallerComplex, PartsAndBuild) {
  const Ipp64fc src[2] = {{1, 2}, {3, 4}};
  double re[2], im[2];
  EXPECT_EQ(S::ippsReal_64fc(src, re, 2), 0);
  EXPECT_EQ(S::ippsImag_64fc(src, im, 2), 0);
  EXPECT_EQ(re[1], 3);
  EXPECT_EQ(im[1], 4);

  Ipp64fc dst[2];
  EXPECT_EQ(S::ippsRealToCplx_64f(nullptr, nullptr, dst, 0), -6);
  EXPECT_EQ(S::ippsRealToCplx_64f(nullptr, nullptr, dst, 3), -8);
  EXPECT_EQ(S::ippsRealToCplx_64f(nullptr, im, dst, 2), 0);
  expectC(dst[0], 0.0, 2);
  expectC(dst[1], 0.0, 4);
  EXPECT_EQ(S::ippsRealToCplx_64f(re, nullptr, dst, 2), 0);
  expectC(dst[1], 3, 0.0);
}

TEST(NoCallerComplex, ConstantArithmetic) {
  Ipp64fc v[1] = {{1, 2}};
  EXPECT_EQ(S::ippsMulC_64fc_I({3, 4}, v, 1), 0);
  expectC(v[0], -5, 10);
  EXPECT_EQ(S::ippsDivC_64fc_I({3, 4}, v, 1), 0);
  expectC(v[0], 1, 2, 1e-15);

  Ipp64fc keep[1] = {{7, 8}};
  EXPECT_EQ(S::ippsDivC_64fc_I({0.0, -0.0}, keep, 1), -10);
  EXPECT_EQ(S::ippsDivC_64fc_I({std::nan(""), 1.0}, keep, 1), -10);
  expectC(keep[0], 7, 8);

  Ipp64fc w[1] = {{1, 2}};
  EXPECT_EQ(S::ippsAddC_64fc_I({1, 1}, w, 1), 0);
  EXPECT_EQ(S::ippsSubC_64fc_I({0.5, 4}, w, 1), 0);
  expectC(w[0], 1.5, -1);

  const Ipp64fc src[1] = {{1, 2}};
  Ipp64fc out[1];
  EXPECT_EQ(Slbasicdispatcher::ippsSubCRev_64fc(src, {5, 5}, out, 1), 0);
  expectC(out[0], 4, 3);
  EXPECT_EQ(Slbasicdispatcher::ippsMulC_64fc(src, {3, 4}, out, 1), 0);
  expectC(out[0], -5, 10);
  EXPECT_EQ(Slbasicdispatcher::ippsDivC_64fc(src, {0, 0}, out, 1), -10);
  // The two-vector add tests its length before its pointers.
  EXPECT_EQ(Slbasicdispatcher::ippsAdd_64fc(nullptr, src, out, 0), -6);
  EXPECT_EQ(Slbasicdispatcher::ippsAdd_64fc(nullptr, src, out, 1), -8);
}

TEST(NoCallerComplex, NormalizeDivisorLimit) {
  const Ipp64fc src[1] = {{3, 5}};
  Ipp64fc dst[1] = {{9, 9}};
  EXPECT_EQ(S::ippsNormalize_64fc(src, dst, 1, {1, 1}, -2.2250738585072014e-308), 0);
  EXPECT_EQ(S::ippsNormalize_64fc(src, dst, 1, {1, 1}, 2.2250738585072014e-308 / 2), -10);
  EXPECT_EQ(S::ippsNormalize_64fc(src, dst, 1, {1, 1}, std::nan("")), -10);
  EXPECT_EQ(S::ippsNormalize_64fc(src, dst, 1, {1, 1}, 2), 0);
  expectC(dst[0], 1, 2);
}

TEST(NoCallerComplex, DotProductWithoutConjugation) {
  const Ipp64fc a[1] = {{1, 2}}, b[1] = {{3, 4}};
  Ipp64fc dp;
  EXPECT_EQ(S::ippsDotProd_64fc(a, b, 1, &dp), 0);
  expectC(dp, -5, 10);
  EXPECT_EQ(S::ippsDotProd_64fc(a, b, 1, nullptr), -8);
}

TEST(NoCallerComplex, Thresholds) {
  Ipp64fc v[2] = {{3, 4}, {0.3, 0.4}};
  EXPECT_EQ(S::ippsThreshold_64fc_I(v, 2, 1.0, ippCmpGreater), 0);
  expectC(v[0], 0.6, 0.8, 1e-15);
  expectC(v[1], 0.3, 0.4);

  Ipp64fc w[2] = {{3, 4}, {0.0, -0.0}};
  EXPECT_EQ(S::ippsThreshold_64fc_I(w, 2, 10.0, ippCmpLess), 0);
  expectC(w[0], 6, 8, 1e-14);
  expectC(w[1], 10.0, -0.0);

  const Ipp64fc z[1] = {{0.0, -0.0}};
  Ipp64fc out[1];
  EXPECT_EQ(S::ippsThreshold_64fc(z, out, 1, 10.0, ippCmpLess), 0);
  expectC(out[0], 10.0, 0.0);

  EXPECT_EQ(S::ippsThreshold_64fc(z, out, 1, -0.0, ippCmpLess), 0);
  Ipp64fc keep[1] = {{1, 1}};
  EXPECT_EQ(S::ippsThreshold_64fc_I(keep, 1, -1e-300, ippCmpLess), -19);
  expectC(keep[0], 1, 1);
}

TEST(NoCallerComplex, SquaresRootsAndMagnitudes) {
  const Ipp64fc one[1] = {{1, 2}};
  Ipp64fc sq[1];
  EXPECT_EQ(S::ippsSqr_64fc(one, sq, 1), 0);
  expectC(sq[0], -3, 4);

  struct Row {
    Ipp64fc in;
    double re, im;
  };
  const Row rows[] = {{{3, 4}, 2, 1}, {{-3, 4}, 1, 2},     {{-3, -4}, 1, -2},    {{0, -8}, 2, -2},
                      {{0, 8}, 2, 2}, {{-4, 0.0}, 0.0, 2}, {{-4, -0.0}, -0.0, 2}};
  for (const Row &r : rows) {
    Ipp64fc out[1];
    EXPECT_EQ(S::ippsSqrt_64fc(&r.in, out, 1), 0);
    expectC(out[0], r.re, r.im);
    Ipp64fc inPlace[1] = {r.in};
    EXPECT_EQ(S::ippsSqrt_64fc_I(inPlace, 1), 0);
    expectC(inPlace[0], r.re, r.im);
  }

  const Ipp64fc v[2] = {{3, 4}, {-1, 0.0}};
  double mag[2], pow[2], ph[2];
  EXPECT_EQ(S::ippsMagnitude_64fc(v, mag, 2), 0);
  EXPECT_EQ(Vizazodizaro::ippsMagnitude_64fc(v, mag + 1, 1), 0);
  EXPECT_EQ(S::ippsPowerSpectr_64fc(v, pow, 2), 0);
  EXPECT_EQ(S::ippsPhase_64fc(v, ph, 2), 0);
  EXPECT_EQ(mag[0], 5);
  EXPECT_EQ(mag[1], 5);
  EXPECT_EQ(pow[0], 25);
  EXPECT_EQ(ph[1], M_PI);
  const Ipp64fc zero[1] = {{0.0, 0.0}};
  EXPECT_EQ(S::ippsPhase_64fc(zero, ph, 1), 0);
  EXPECT_EQ(ph[0], 0.0);
}

TEST(NoCallerComplex, ConjCcsCompletesTheMirrorHalf) {
  for (int len : {1, 2, 5, 6}) {
    auto v = test_support::RandomComplexVector<Ipp64fc>(len, len);
    const auto before = v;
    EXPECT_EQ(Vizazodizaro::ippsConjCcs_64fc_I(v.data(), len), 0);
    for (int i = 0; i <= len / 2; ++i)
      expectC(v[i], before[i].re, before[i].im);
    for (int i = len / 2 + 1; i < len; ++i)
      expectC(v[i], before[len - i].re, -before[len - i].im);
  }
}

// Complex correlation against a long double definition.
namespace {

std::complex<long double> cl(Ipp64fc z) { return {z.re, z.im}; }

std::complex<long double> crossRef(const std::vector<Ipp64fc> &x1, const std::vector<Ipp64fc> &x2,
                                   long long t) {
  std::complex<long double> s = 0;
  for (long long j = 0; j < static_cast<long long>(x1.size()); ++j)
    if (j + t >= 0 && j + t < static_cast<long long>(x2.size()))
      s += std::conj(cl(x1[j])) * cl(x2[j + t]);
  return s;
}

} // namespace

TEST(NoCallerComplex, AutoCorrelationAndNorms) {
  const Ipp64fc one[1] = {{1, 2}};
  Ipp64fc out[3];
  EXPECT_EQ(S::ippsAutoCorr_64fc(one, 1, out, 3), 0);
  expectC(out[0], 5, 0);
  expectC(out[2], 0, 0);
  EXPECT_EQ(S::ippsAutoCorr_NormB_64fc(one, 1, out, 3), 0);
  expectC(out[0], 5, 0);

  const Ipp64fc two[2] = {{1, 0}, {0, 1}};
  EXPECT_EQ(S::ippsAutoCorr_64fc(two, 2, out, 2), 0);
  expectC(out[0], 2, 0);
  expectC(out[1], 0, 1);

  const auto x = test_support::RandomComplexVector<Ipp64fc>(130, 3);
  std::vector<Ipp64fc> a(140), na(140), nb(140);
  EXPECT_EQ(S::ippsAutoCorr_64fc(x.data(), 130, a.data(), 140), 0);
  EXPECT_EQ(S::ippsAutoCorr_NormA_64fc(x.data(), 130, na.data(), 140), 0);
  EXPECT_EQ(S::ippsAutoCorr_NormB_64fc(x.data(), 130, nb.data(), 140), 0);
  for (int k = 0; k < 140; ++k) {
    const auto ref = k < 130 ? crossRef(x, x, k) : 0;
    expectC(a[k], static_cast<double>(ref.real()), static_cast<double>(ref.imag()), 1e-13);
    expectC(na[k], static_cast<double>(ref.real() / 130), static_cast<double>(ref.imag() / 130),
            1e-14);
    if (k < 130)
      expectC(nb[k], static_cast<double>(ref.real() / (130 - k)),
              static_cast<double>(ref.imag() / (130 - k)), 1e-13);
    else
      expectC(nb[k], 0, 0);
  }
}

TEST(NoCallerComplex, CrossCorrelation) {
  const Ipp64fc x1[1] = {{0, 1}};
  const Ipp64fc x2[2] = {{1, 0}, {2, 0}};
  Ipp64fc out[4];
  EXPECT_EQ(S::ippsCrossCorr_64fc(x1, 1, x2, 2, out, 4, -1), 0);
  expectC(out[0], 0, 0);
  expectC(out[1], 0, -1);
  expectC(out[2], 0, -2);
  expectC(out[3], 0, 0);

  const auto a = test_support::RandomComplexVector<Ipp64fc>(37, 5),
             b = test_support::RandomComplexVector<Ipp64fc>(23, 6);
  for (int lowLag : {-60, -36, -5, 0, 22, 23}) {
    std::vector<Ipp64fc> got(50);
    EXPECT_EQ(S::ippsCrossCorr_64fc(a.data(), 37, b.data(), 23, got.data(), 50, lowLag), 0);
    for (int i = 0; i < 50; ++i) {
      const auto ref = crossRef(a, b, lowLag + i);
      expectC(got[i], static_cast<double>(ref.real()), static_cast<double>(ref.imag()), 1e-14);
    }
  }
  // A vector with itself at lag t >= 0 is its autocorrelation.
  std::vector<Ipp64fc> cc(5), ac(5);
  EXPECT_EQ(S::ippsCrossCorr_64fc(a.data(), 37, a.data(), 37, cc.data(), 5, 0), 0);
  EXPECT_EQ(S::ippsAutoCorr_64fc(a.data(), 37, ac.data(), 5), 0);
  for (int k = 0; k < 5; ++k)
    expectC(cc[k], ac[k].re, ac[k].im, 1e-14);
  EXPECT_EQ(S::ippsCrossCorr_64fc(a.data(), 37, nullptr, 23, cc.data(), 5, 0), -8);
  EXPECT_EQ(S::ippsCrossCorr_64fc(a.data(), 37, b.data(), 23, cc.data(), 0, 0), -6);
}

// Both sides of the complex path thresholds: 95/96 autocorrelation lags, an estimated
// 511/512 for the cross-correlation. The direct paths take no memory, so with the next
// allocation armed to fail only the transform paths report -9, writing nothing.
namespace {

using ComplexPaths = LiveBlocks;

std::vector<Ipp64fc> probeFailure(bool &failed, const std::function<int(Ipp64fc *)> &op, int n) {
  std::vector<Ipp64fc> probe(n, Ipp64fc{-7.5, 7.5});
  dispatch_filters::blockFailAfter(0);
  const int st = op(probe.data());
  dispatch_filters::blockFailAfter(-1);
  failed = st == -9;
  EXPECT_TRUE(st == 0 || st == -9) << st;
  return probe;
}

} // namespace

TEST_F(ComplexPaths, AutoCorrelationThreshold) {
  const auto x = test_support::RandomComplexVector<Ipp64fc>(300, 11);
  for (int dstLen : {95, 96}) {
    std::vector<Ipp64fc> got(dstLen);
    ASSERT_EQ(S::ippsAutoCorr_64fc(x.data(), 300, got.data(), dstLen), 0);
    for (int k = 0; k < dstLen; ++k) {
      const auto ref = crossRef(x, x, k);
      expectC(got[k], static_cast<double>(ref.real()), static_cast<double>(ref.imag()), 1e-12);
    }
    bool failed = false;
    const auto probe = probeFailure(
        failed, [&](Ipp64fc *p) { return S::ippsAutoCorr_NormB_64fc(x.data(), 300, p, dstLen); },
        dstLen);
    EXPECT_EQ(failed, dstLen == 96);
    if (failed) {
      for (const auto &v : probe)
        expectC(v, -7.5, 7.5);
    }
  }
}

TEST_F(ComplexPaths, CrossCorrelationThreshold) {
  const auto a = test_support::RandomComplexVector<Ipp64fc>(300, 12),
             b = test_support::RandomComplexVector<Ipp64fc>(300, 13);
  for (int dstLen : {511, 512, 530}) {
    std::vector<Ipp64fc> got(dstLen);
    // From lag -299 up: with 300 + 300 samples every requested lag up to 299 overlaps.
    ASSERT_EQ(S::ippsCrossCorr_64fc(a.data(), 300, b.data(), 300, got.data(), dstLen, -299), 0);
    for (int j = 0; j < dstLen; ++j) {
      const auto ref = crossRef(a, b, j - 299);
      expectC(got[j], static_cast<double>(ref.real()), static_cast<double>(ref.imag()), 1e-12);
    }
    bool failed = false;
    const auto probe = probeFailure(
        failed,
        [&](Ipp64fc *p) {
          return S::ippsCrossCorr_64fc(a.data(), 300, b.data(), 300, p, dstLen, -299);
        },
        dstLen);
    EXPECT_EQ(failed, dstLen >= 512);
    if (failed) {
      for (const auto &v : probe)
        expectC(v, -7.5, 7.5);
    }
  }
  // Eleven zero lags lead 519 computed ones: a failing transform writes not even those.
  bool failed = false;
  const auto probe = probeFailure(
      failed,
      [&](Ipp64fc *p) { return S::ippsCrossCorr_64fc(a.data(), 300, b.data(), 300, p, 530, -310); },
      530);
  EXPECT_TRUE(failed);
  for (const auto &v : probe)
    expectC(v, -7.5, 7.5);
}
