// Complex power spectrum, magnitude and dot product against the generic. The spectrum is
// the double evaluation re * re + im * im (three roundings against the generic's one:
// within 2 ulp), the magnitude its correctly rounded root (within 1 ulp); both give the
// generic's bits where the double squares would overflow or fall below the normal range. The dot
// product is bounded by its summation order.
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "kernels/signal/SignalKernels.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace ks = kernels::signal::sse2;
namespace gen = Slbcbbasicdispatcher::generic;

using Spectrum = IppOpStatus (*)(const Ipp64fc *, double *, int);

std::vector<Ipp64fc> elements(std::size_t n, unsigned seed) {
  const std::vector<double> &edge = equivalence::EdgeDoubles();
  std::vector<Ipp64fc> v = test_support::RandomComplexVector<Ipp64fc>(n, seed);
  for (std::size_t i = 0; i < n; i += 3)
    v[i].re = edge[(i / 3 + seed) % edge.size()];
  for (std::size_t i = 1; i < n; i += 7)
    v[i] = {3e200 * (i % 2 ? 1 : -1), 1e-3};
  for (std::size_t i = 2; i < n; i += 11)
    v[i] = {4e-170, -3e-170};
  return v;
}

TEST(SignalComplexSpectrum, WithinTheStatedUlpsOfTheGenericAndGuardsIntact) {
  struct Case {
    const char *name;
    Spectrum kernel, generic;
    unsigned ulps;
  };
  const Case cases[] = {{"PowerSpectr", ks::ippsPowerSpectr_64fc, gen::ippsPowerSpectr_64fc, 2},
                        {"Magnitude", ks::ippsMagnitude_64fc, gen::ippsMagnitude_64fc, 1}};
  for (const Case &c : cases) {
    for (int len : {1, 2, 3, 4, 5, 8, 15, 16, 17, 33, 64, 65, 1000}) {
      const std::size_t n = static_cast<std::size_t>(len);
      const std::vector<Ipp64fc> x = elements(n, 7 + len);
      std::vector<double> want(n);
      ASSERT_EQ(c.generic(x.data(), want.data(), len), ippStsNoErr);
      for (std::size_t off : {std::size_t{0}, std::size_t{8}, std::size_t{3}}) {
        equivalence::Guarded<Ipp64fc> src(x, (off * 5) % 16);
        equivalence::Guarded<double> dst(n, off);
        ASSERT_EQ(c.kernel(src.get(), dst.get(), len), ippStsNoErr);
        for (std::size_t i = 0; i < n; ++i)
          ASSERT_LE(equivalence::Ulps(dst.at(i), want[i]), c.ulps)
              << c.name << " len " << len << " element " << i << " (" << x[i].re << ", " << x[i].im
              << ") " << dst.at(i) << " vs " << want[i];
        ASSERT_TRUE(dst.GuardsIntact()) << c.name << " len " << len;
      }
      // In place: the results packed over the source.
      std::vector<Ipp64fc> same = x;
      ASSERT_EQ(c.kernel(same.data(), reinterpret_cast<double *>(same.data()), len), ippStsNoErr);
      for (std::size_t i = 0; i < n; ++i)
        ASSERT_LE(equivalence::Ulps(reinterpret_cast<double *>(same.data())[i], want[i]), c.ulps)
            << c.name << " in place, element " << i;
    }
    double d[2] = {9, 9};
    const Ipp64fc s[2] = {{1, 1}, {2, 2}};
    EXPECT_EQ(c.kernel(nullptr, d, 2), ippStsNullPtrErr);
    EXPECT_EQ(c.kernel(s, nullptr, 2), ippStsNullPtrErr);
    EXPECT_EQ(c.kernel(s, d, 0), ippStsSizeErr);
    EXPECT_EQ(d[0], 9.0);
  }
  // Where the squares leave the double range the generic's bits: its sum is rounded to
  // double before the root, so (3e200, 4e200) overflows there too; squares near the
  // bottom of the range keep the generic's single rounding.
  const Ipp64fc edge[4] = {{3e200, 4e200}, {3e-200, -4e-200}, {1.1e-154, 2.3e-155}, {-2e-160, 0}};
  double m[4], g[4];
  ASSERT_EQ(ks::ippsMagnitude_64fc(edge, m, 4), ippStsNoErr);
  ASSERT_EQ(gen::ippsMagnitude_64fc(edge, g, 4), ippStsNoErr);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(m[i], g[i]) << i;
  ASSERT_EQ(ks::ippsPowerSpectr_64fc(edge, m, 4), ippStsNoErr);
  ASSERT_EQ(gen::ippsPowerSpectr_64fc(edge, g, 4), ippStsNoErr);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(m[i], g[i]) << i;
}

TEST(SignalComplexDotProd, WithinTheSummationBound) {
  for (int len : {1, 2, 3, 4, 5, 15, 16, 17, 100, 1001}) {
    const auto a = test_support::RandomComplexVector<Ipp64fc>(len, 20 + len);
    const auto b = test_support::RandomComplexVector<Ipp64fc>(len, 40 + len);
    Ipp64fc got{}, want{};
    ASSERT_EQ(ks::ippsDotProd_64fc(a.data(), b.data(), len, &got), ippStsNoErr);
    ASSERT_EQ(gen::ippsDotProd_64fc(a.data(), b.data(), len, &want), ippStsNoErr);
    long double re = 0, im = 0, abs = 0;
    for (int i = 0; i < len; ++i) {
      re +=
          static_cast<long double>(a[i].re) * b[i].re - static_cast<long double>(a[i].im) * b[i].im;
      im +=
          static_cast<long double>(a[i].re) * b[i].im + static_cast<long double>(a[i].im) * b[i].re;
      abs +=
          std::fabs(static_cast<long double>(a[i].re)) * (std::fabs(b[i].re) + std::fabs(b[i].im)) +
          std::fabs(static_cast<long double>(a[i].im)) * (std::fabs(b[i].re) + std::fabs(b[i].im));
    }
    const double bound = static_cast<double>((len + 2) * abs * 0x1p-53L);
    EXPECT_NEAR(got.re, static_cast<double>(re), bound) << len;
    EXPECT_NEAR(got.im, static_cast<double>(im), bound) << len;
    EXPECT_NEAR(got.re, want.re, 2 * bound) << len;
  }
  // Partial sums beyond the double range: the generic's result.
  const Ipp64fc big[3] = {{1e300, 0}, {-1e300, 0}, {2, 3}};
  const Ipp64fc ten[3] = {{1e10, 1e10}, {1e10, 1e10}, {1, 1}};
  Ipp64fc got{}, want{};
  ASSERT_EQ(ks::ippsDotProd_64fc(big, ten, 3, &got), ippStsNoErr);
  gen::ippsDotProd_64fc(big, ten, 3, &want);
  EXPECT_EQ(got.re, want.re);
  EXPECT_EQ(got.im, want.im);
  const Ipp64fc withInf[2] = {{INFINITY, 0}, {1, 1}};
  ASSERT_EQ(ks::ippsDotProd_64fc(withInf, ten, 2, &got), ippStsNoErr);
  gen::ippsDotProd_64fc(withInf, ten, 2, &want);
  EXPECT_TRUE(equivalence::SameOrBothNaN(got.re, want.re));
  EXPECT_TRUE(equivalence::SameOrBothNaN(got.im, want.im));
  Ipp64fc r{9, 9};
  EXPECT_EQ(ks::ippsDotProd_64fc(nullptr, ten, 2, &r), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippsDotProd_64fc(big, ten, 2, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippsDotProd_64fc(big, ten, 0, &r), ippStsSizeErr);
  EXPECT_EQ(r.re, 9.0);
}

} // namespace
