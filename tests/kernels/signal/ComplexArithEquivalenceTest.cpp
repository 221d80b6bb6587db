// Complex products with a constant, quotients by a constant and squares against the
// generic. Each part is the double evaluation of the generic's formula, bit for bit
// against a scalar double reference, and within 2^-51 (|first term| + |second term|) of
// the generic's extended evaluation; overflowing intermediate values give the generic's
// result; bad arguments the generic's status with nothing written.
#include <cfloat>
#include <cmath>
#include <cstring>
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

std::vector<Ipp64fc> elements(std::size_t n, unsigned seed) {
  std::vector<Ipp64fc> v = test_support::RandomComplexVector<Ipp64fc>(n, seed);
  const std::vector<double> &edge = equivalence::EdgeDoubles();
  for (std::size_t i = 0; i < n; i += 4)
    v[i].im = edge[(i / 4 + seed) % edge.size()];
  if (n > 2)
    v[2] = {1.0 + 0x1p-30, 1.0}; // cancelling square
  return v;
}

void expectClose(Ipp64fc got, Ipp64fc want, double scaleRe, double scaleIm,
                 const std::string &where) {
  const auto close = [](double g, double w, double scale) {
    if (std::isnan(w) || std::isinf(w) || std::isnan(g) || std::isinf(g))
      return equivalence::SameOrBothNaN(g, w);
    return std::fabs(g - w) <= scale * 0x1p-51 + DBL_MIN;
  };
  EXPECT_TRUE(close(got.re, want.re, scaleRe)) << where << " re " << got.re << " vs " << want.re;
  EXPECT_TRUE(close(got.im, want.im, scaleIm)) << where << " im " << got.im << " vs " << want.im;
}

TEST(SignalComplexArith, MulCIsTheDoubleFormulaAndCloseToTheGeneric) {
  for (Ipp64fc v : std::vector<Ipp64fc>{{2.0, -3.0}, {0.7, 0.0}, {-0.0, 1e-3}, {1e150, 1e150}}) {
    for (int len : {1, 2, 3, 17, 64}) {
      const std::vector<Ipp64fc> x = elements(len, 3 + len);
      std::vector<Ipp64fc> got = x, want = x;
      ASSERT_EQ(ks::ippsMulC_64fc_I(v, got.data(), len), ippStsNoErr);
      ASSERT_EQ(gen::ippsMulC_64fc_I(v, want.data(), len), ippStsNoErr);
      for (int i = 0; i < len; ++i) {
        const std::string where = "v " + std::to_string(v.re) + " element " + std::to_string(i);
        const double re = x[i].re * v.re - x[i].im * v.im;
        const double im = x[i].im * v.re + x[i].re * v.im;
        if (std::isfinite(re) && std::isfinite(im)) {
          EXPECT_TRUE(equivalence::SameOrBothNaN(got[i].re, re)) << where;
          EXPECT_TRUE(equivalence::SameOrBothNaN(got[i].im, im)) << where;
        }
        expectClose(got[i], want[i], std::fabs(x[i].re * v.re) + std::fabs(x[i].im * v.im),
                    std::fabs(x[i].re * v.im) + std::fabs(x[i].im * v.re), where);
      }
    }
  }
  // Products beyond the double range that cancel: the generic's value.
  Ipp64fc x[1] = {{1e200, 1e200}}, g[1] = {{1e200, 1e200}};
  ASSERT_EQ(ks::ippsMulC_64fc_I({1e200, 1e200}, x, 1), ippStsNoErr);
  gen::ippsMulC_64fc_I({1e200, 1e200}, g, 1);
  EXPECT_EQ(x[0].re, g[0].re);
  EXPECT_TRUE(std::isinf(x[0].im));
}

TEST(SignalComplexArith, DivCUsesTheGenericFactor) {
  for (Ipp64fc v : std::vector<Ipp64fc>{{2.0, -3.0}, {1e-170, 1e-170}, {0.5, 0.0}}) {
    const std::vector<Ipp64fc> x = elements(33, 9);
    std::vector<Ipp64fc> got = x, want = x;
    ASSERT_EQ(ks::ippsDivC_64fc_I(v, got.data(), 33), ippStsNoErr);
    ASSERT_EQ(gen::ippsDivC_64fc_I(v, want.data(), 33), ippStsNoErr);
    // The factor's parts bound each term; |factor| = 1 / |v|.
    const double f = 1.0 / std::hypot(v.re, v.im);
    for (int i = 0; i < 33; ++i) {
      const double s = (std::fabs(x[i].re) + std::fabs(x[i].im)) * f;
      expectClose(got[i], want[i], s, s, "element " + std::to_string(i));
    }
  }
  // A constant whose squared magnitude underflows in double still divides (as the generic);
  // zero and NaN constants are refused before anything is written.
  Ipp64fc y[2] = {{1, 2}, {3, 4}};
  EXPECT_EQ(ks::ippsDivC_64fc_I({0.0, -0.0}, y, 2), ippStsDivByZeroErr);
  EXPECT_EQ(ks::ippsDivC_64fc_I({NAN, 1.0}, y, 2), ippStsDivByZeroErr);
  EXPECT_EQ(ks::ippsDivC_64fc_I({0.0, 0.0}, nullptr, 2), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippsDivC_64fc_I({0.0, 0.0}, y, 0), ippStsSizeErr);
  EXPECT_EQ(y[0].re, 1.0);
  EXPECT_EQ(y[1].im, 4.0);
}

TEST(SignalComplexArith, SquareIsTheGenericFormulaInDouble) {
  for (int len : {1, 2, 3, 4, 5, 16, 17, 100}) {
    const std::vector<Ipp64fc> x = elements(len, 30 + len);
    std::vector<Ipp64fc> out(len), want(len), in = x;
    ASSERT_EQ(ks::ippsSqr_64fc(x.data(), out.data(), len), ippStsNoErr);
    ASSERT_EQ(ks::ippsSqr_64fc_I(in.data(), len), ippStsNoErr);
    ASSERT_EQ(gen::ippsSqr_64fc(x.data(), want.data(), len), ippStsNoErr);
    for (int i = 0; i < len; ++i) {
      const std::string where = "len " + std::to_string(len) + " element " + std::to_string(i);
      const double re = (x[i].re - x[i].im) * (x[i].re + x[i].im);
      const double im = (x[i].re * x[i].im) * 2;
      if (std::isfinite(re) && std::isfinite(im)) {
        EXPECT_TRUE(equivalence::SameOrBothNaN(out[i].re, re)) << where;
        EXPECT_TRUE(equivalence::SameOrBothNaN(out[i].im, im)) << where;
      }
      EXPECT_EQ(std::memcmp(&out[i], &in[i], sizeof(Ipp64fc)), 0) << where;
      const double s =
          (std::fabs(x[i].re) + std::fabs(x[i].im)) * (std::fabs(x[i].re) + std::fabs(x[i].im));
      expectClose(out[i], want[i], s, s, where);
    }
  }
  // re + im overflows in double: 0 * inf would be NaN; the generic's extended value is 0.
  const Ipp64fc big[1] = {{1e308, 1e308}};
  Ipp64fc k[1], g[1];
  ASSERT_EQ(ks::ippsSqr_64fc(big, k, 1), ippStsNoErr);
  ASSERT_EQ(gen::ippsSqr_64fc(big, g, 1), ippStsNoErr);
  EXPECT_EQ(k[0].re, 0.0);
  EXPECT_EQ(k[0].re, g[0].re);
  EXPECT_EQ(k[0].im, g[0].im);
  Ipp64fc d[1] = {{9, 9}};
  EXPECT_EQ(ks::ippsSqr_64fc(nullptr, d, 1), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippsSqr_64fc(d, d, 0), ippStsSizeErr);
  EXPECT_EQ(ks::ippsSqr_64fc_I(nullptr, 3), ippStsNullPtrErr);
  EXPECT_EQ(d[0].re, 9.0);
}

} // namespace
