// Element-wise vector arithmetic and complex constant arithmetic of the 16-byte-register
// classes against the generic variants: the same statuses, checks and zero-divisor
// results; each result the IEEE double of its formula; real results within one unit in the
// last place of the generic, complex products and quotients within a few units of their
// largest term (bounds below); overflowing double intermediates give the generic result.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic::sse2;
namespace gen = Slbasicdispatcher::generic;
using equivalence::Guarded;
using equivalence::SameOrBothNaN;
using equivalence::Ulps;

// Every pair of edge values, then random values over a wide range.
void pairsOfValues(std::vector<double> &v, std::vector<double> &s) {
  const std::vector<double> &e = equivalence::EdgeDoubles();
  for (double a : e)
    for (double b : e) {
      v.push_back(a);
      s.push_back(b);
    }
  for (double x : test_support::RandomVector<double>(300, 11, -1e6, 1e6))
    v.push_back(x);
  for (double x : test_support::RandomVector<double>(300, 12, -1e3, 1e3))
    s.push_back(x);
}

// ---- real vectors ---------------------------------------------------------------------

using RealInPlace = IppOpStatus (*)(const double *, double *, int);

struct RealRow {
  const char *name;
  RealInPlace kernel;
  RealInPlace generic;
  double (*formula)(double v, double s); // IEEE double of the result
};

double zeroDivisorGeneric(double x) {
  return x > 0.0 ? INFINITY : x < 0.0 ? -INFINITY : x == 0.0 ? ippDefaultNaN : x;
}

const RealRow kRealRows[] = {
    {"Add_I", kb::ippsAdd_64f_I, gen::ippsAdd_64f_I, [](double v, double s) { return v + s; }},
    {"Sub_I", kb::ippsSub_64f_I, gen::ippsSub_64f_I, [](double v, double s) { return v - s; }},
    {"Mul_I", kb::ippsMul_64f_I, gen::ippsMul_64f_I, [](double v, double s) { return v * s; }},
    {"Div_I", kb::ippsDiv_64f_I, gen::ippsDiv_64f_I,
     [](double v, double s) { return s == 0.0 ? zeroDivisorGeneric(v) : v / s; }},
    // The out-of-place sum with the destination on its second source.
    {"Add", [](const double *s, double *v, int n) { return kb::ippsAdd_64f(s, v, v, n); },
     [](const double *s, double *v, int n) { return gen::ippsAdd_64f(s, v, v, n); },
     [](double v, double s) { return s + v; }},
};

class RealVector : public ::testing::TestWithParam<RealRow> {};

TEST_P(RealVector, FormulaBitsWithinOneUlpOfTheGenericAtEveryLengthAndAddress) {
  const RealRow &r = GetParam();
  std::vector<double> v, s;
  pairsOfValues(v, s);
  std::vector<int> lengths = equivalence::ShortLengths();
  lengths.push_back(static_cast<int>(v.size()));
  for (int len : lengths) {
    const std::size_t n = static_cast<std::size_t>(len);
    // Slide the window so the short lengths meet different edge pairs.
    for (std::size_t start : {std::size_t{0}, v.size() - n}) {
      const std::vector<double> vs(v.begin() + start, v.begin() + start + n);
      const std::vector<double> ss(s.begin() + start, s.begin() + start + n);
      std::vector<double> g = vs;
      const IppOpStatus gst = r.generic(ss.data(), g.data(), len);
      for (std::size_t off : equivalence::Offsets()) {
        Guarded<double> dst(vs, off), src(ss, (off * 5 + 2) % 16);
        ASSERT_EQ(r.kernel(src.get(), dst.get(), len), gst) << r.name << " len " << len;
        ASSERT_TRUE(dst.GuardsIntact() && src.GuardsIntact()) << r.name;
        for (std::size_t i = 0; i < n; ++i) {
          const double got = dst.at(i);
          ASSERT_TRUE(SameOrBothNaN(got, r.formula(vs[i], ss[i])))
              << r.name << " " << vs[i] << " " << ss[i] << " got " << got;
          ASSERT_LE(Ulps(got, g[i]), 1u) << r.name << " " << vs[i] << " " << ss[i];
          if (std::isnan(g[i]) || std::isinf(g[i])) {
            ASSERT_TRUE(SameOrBothNaN(got, g[i])) << r.name << " " << vs[i] << " " << ss[i];
          }
        }
      }
    }
  }
}

TEST_P(RealVector, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const RealRow &r = GetParam();
  double s[4] = {1, 2, 3, 4};
  for (int len : {4, 0, -3}) {
    for (int nul = 0; nul < 3; ++nul) {
      if (nul == 0 && len > 0)
        continue;
      double v[4] = {5, 5, 5, 5}, g[4] = {5, 5, 5, 5};
      const double *src = nul == 1 ? nullptr : s;
      const IppOpStatus want = r.generic(src, nul == 2 ? nullptr : g, len);
      EXPECT_EQ(r.kernel(src, nul == 2 ? nullptr : v, len), want) << r.name << " " << nul;
      for (double x : v)
        EXPECT_EQ(x, 5.0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Real, RealVector, ::testing::ValuesIn(kRealRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RealVector, ZeroDivisorsFollowTheGenericRuleWithTheWarning) {
  double v[] = {5, 0, -5, NAN, 3, 1, 1, 8};
  const double d[] = {0, 0, 0, 0, 2, -0.0, NAN, 4};
  ASSERT_EQ(kb::ippsDiv_64f_I(d, v, 8), ippStsDivByZero);
  EXPECT_EQ(v[0], INFINITY);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(v[1]), ippDefaultNaNBits);
  EXPECT_EQ(v[2], -INFINITY);
  EXPECT_TRUE(std::isnan(v[3]));
  EXPECT_EQ(v[4], 1.5);
  EXPECT_EQ(v[5], INFINITY); // the sign of a zero divisor is not used
  EXPECT_TRUE(std::isnan(v[6]));
  EXPECT_EQ(v[7], 2.0);
  double w[] = {1, 2};
  const double nanDivisor[] = {NAN, 1};
  EXPECT_EQ(kb::ippsDiv_64f_I(nanDivisor, w, 2), ippStsNoErr); // divided, no warning
}

// Source and destination sharing part of their storage: element order as the generic.
TEST(RealVector, PartlyOverlappingVectorsGiveTheGenericResult) {
  std::vector<double> a = test_support::RandomVector<double>(40, 5, -10, 10);
  std::vector<double> b = a;
  ASSERT_EQ(kb::ippsAdd_64f_I(a.data(), a.data() + 1, 39), ippStsNoErr);
  ASSERT_EQ(gen::ippsAdd_64f_I(b.data(), b.data() + 1, 39), ippStsNoErr);
  EXPECT_EQ(a, b);
  ASSERT_EQ(kb::ippsDiv_64f_I(a.data() + 2, a.data(), 30), ippStsNoErr);
  ASSERT_EQ(gen::ippsDiv_64f_I(b.data() + 2, b.data(), 30), ippStsNoErr);
  for (std::size_t i = 0; i < a.size(); ++i)
    EXPECT_LE(Ulps(a[i], b[i]), 1u);
}

// ---- complex vectors ------------------------------------------------------------------

using ComplexInPlace = IppOpStatus (*)(const Ipp64fc *, Ipp64fc *, int);

enum class Policy {
  SumOfParts, // each part the double sum or difference, within 1 ulp of the generic
  Product,    // double formula where finite, the generic's otherwise
  Quotient,   // double formula for moderate values, the generic's otherwise
};

struct ComplexRow {
  const char *name;
  ComplexInPlace kernel;
  ComplexInPlace generic;
  Policy policy;
  Ipp64fc (*formula)(Ipp64fc v, Ipp64fc s); // IEEE double evaluation
};

Ipp64fc mulFormula(Ipp64fc v, Ipp64fc s) {
  return {v.re * s.re - v.im * s.im, v.re * s.im + v.im * s.re};
}
Ipp64fc divFormula(Ipp64fc v, Ipp64fc s) {
  const double w = 1.0 / (s.re * s.re + s.im * s.im);
  return {(v.re * s.re + v.im * s.im) * w, (v.im * s.re - v.re * s.im) * w};
}

const ComplexRow kComplexRows[] = {
    {"Add_I", kb::ippsAdd_64fc_I, gen::ippsAdd_64fc_I, Policy::SumOfParts,
     [](Ipp64fc v, Ipp64fc s) {
       return Ipp64fc{v.re + s.re, v.im + s.im};
     }},
    {"Sub_I", kb::ippsSub_64fc_I, gen::ippsSub_64fc_I, Policy::SumOfParts,
     [](Ipp64fc v, Ipp64fc s) {
       return Ipp64fc{v.re - s.re, v.im - s.im};
     }},
    {"Add", [](const Ipp64fc *s, Ipp64fc *v, int n) { return kb::ippsAdd_64fc(v, s, v, n); },
     [](const Ipp64fc *s, Ipp64fc *v, int n) { return gen::ippsAdd_64fc(v, s, v, n); },
     Policy::SumOfParts,
     [](Ipp64fc v, Ipp64fc s) {
       return Ipp64fc{v.re + s.re, v.im + s.im};
     }},
    {"Mul_I", kb::ippsMul_64fc_I, gen::ippsMul_64fc_I, Policy::Product, mulFormula},
    {"Div_I", kb::ippsDiv_64fc_I, gen::ippsDiv_64fc_I, Policy::Quotient, divFormula},
};

bool moderate(double x) {
  return x == 0.0 || (std::fabs(x) >= 0x1p-250 && std::fabs(x) <= 0x1p250);
}

// A double product or quotient against the extended generic: each part within 8 units of
// 2^-53 of the largest term (term = the larger sum of |products|, times the reciprocal of
// the divisor's squared magnitude for quotients), plus the subnormal spacing.
void expectNear(const char *name, Ipp64fc got, Ipp64fc want, long double term) {
  const long double bound = 0x1p-50L * term + 0x1p-1070L;
  EXPECT_LE(std::fabs(static_cast<long double>(got.re) - want.re), bound) << name;
  EXPECT_LE(std::fabs(static_cast<long double>(got.im) - want.im), bound) << name;
}

void checkComplex(const ComplexRow &r, Ipp64fc v, Ipp64fc s, Ipp64fc got, Ipp64fc g) {
  const Ipp64fc f = r.formula(v, s);
  auto same = [](Ipp64fc a, Ipp64fc b) {
    return SameOrBothNaN(a.re, b.re) && SameOrBothNaN(a.im, b.im);
  };
  switch (r.policy) {
  case Policy::SumOfParts:
    ASSERT_TRUE(same(got, f)) << r.name;
    ASSERT_LE(Ulps(got.re, g.re), 1u) << r.name;
    ASSERT_LE(Ulps(got.im, g.im), 1u) << r.name;
    break;
  case Policy::Product:
    if (std::isfinite(f.re) && std::isfinite(f.im)) {
      ASSERT_TRUE(same(got, f)) << r.name << " " << v.re << "," << v.im;
      const long double m = std::fmax(std::fabs(static_cast<long double>(v.re) * s.re) +
                                          std::fabs(static_cast<long double>(v.im) * s.im),
                                      std::fabs(static_cast<long double>(v.re) * s.im) +
                                          std::fabs(static_cast<long double>(v.im) * s.re));
      expectNear(r.name, got, g, m);
    } else {
      ASSERT_TRUE(same(got, g)) << r.name << " " << v.re << "," << v.im;
    }
    break;
  case Policy::Quotient:
    if (moderate(v.re) && moderate(v.im) && moderate(s.re) && moderate(s.im) &&
        (s.re != 0 || s.im != 0)) {
      ASSERT_TRUE(same(got, f)) << r.name;
      const long double m =
          static_cast<long double>(s.re) * s.re + static_cast<long double>(s.im) * s.im;
      const long double t = std::fmax(std::fabs(static_cast<long double>(v.re) * s.re) +
                                          std::fabs(static_cast<long double>(v.im) * s.im),
                                      std::fabs(static_cast<long double>(v.im) * s.re) +
                                          std::fabs(static_cast<long double>(v.re) * s.im));
      expectNear(r.name, got, g, t / m);
    } else {
      ASSERT_TRUE(same(got, g)) << r.name << " " << v.re << "," << v.im << " / " << s.re << ","
                                << s.im;
    }
    break;
  }
}

std::vector<Ipp64fc> complexOf(const std::vector<double> &a, const std::vector<double> &b) {
  std::vector<Ipp64fc> c(a.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    c[i] = {a[i], b[i]};
  return c;
}

// Vectors whose elements meet every edge value in each part, and random ones.
void complexPairs(std::vector<Ipp64fc> &v, std::vector<Ipp64fc> &s) {
  std::vector<double> a, b;
  pairsOfValues(a, b);
  std::vector<double> a2(a.rbegin(), a.rend()), b2(b.begin() + 7, b.end());
  b2.insert(b2.end(), b.begin(), b.begin() + 7);
  v = complexOf(a, b2);
  s = complexOf(b, a2);
  // Products overflowing in double while the exact result does not, and tiny divisors.
  v.push_back({1e300, 1e300});
  s.push_back({1e10, -1e10});
  v.push_back({1e300, 1e300});
  s.push_back({1e10, 1e10});
  v.push_back({1.0, 2.0});
  s.push_back({1e-200, 0.0});
  v.push_back({4.0, 0.0});
  s.push_back({0.0, 2.0});
  v.push_back({1e-300, 3.0});
  s.push_back({1e200, 1e-310});
}

class ComplexVector : public ::testing::TestWithParam<ComplexRow> {};

TEST_P(ComplexVector, FormulaResultsAndTheGenericWhereDoublesOverflow) {
  const ComplexRow &r = GetParam();
  std::vector<Ipp64fc> v, s;
  complexPairs(v, s);
  std::vector<int> lengths = equivalence::ShortLengths();
  lengths.push_back(static_cast<int>(v.size()));
  for (int len : lengths) {
    const std::size_t n = static_cast<std::size_t>(len);
    const std::size_t start = v.size() - n;
    const std::vector<Ipp64fc> vs(v.begin() + start, v.end()), ss(s.begin() + start, s.end());
    std::vector<Ipp64fc> g = vs;
    const IppOpStatus gst = r.generic(ss.data(), g.data(), len);
    for (std::size_t off : equivalence::Offsets()) {
      Guarded<Ipp64fc> dst(vs, off), src(ss, (off * 3 + 5) % 16);
      ASSERT_EQ(r.kernel(src.get(), dst.get(), len), gst) << r.name << " len " << len;
      ASSERT_TRUE(dst.GuardsIntact() && src.GuardsIntact()) << r.name;
      for (std::size_t i = 0; i < n; ++i)
        checkComplex(r, vs[i], ss[i], dst.at(i), g[i]);
    }
  }
}

TEST_P(ComplexVector, BadArgumentsGiveTheGenericStatusInItsOrder) {
  const ComplexRow &r = GetParam();
  Ipp64fc s[2] = {{1, 2}, {3, 4}};
  for (int len : {2, 0, -1}) {
    for (int nul = 0; nul < 3; ++nul) {
      if (nul == 0 && len > 0)
        continue;
      Ipp64fc v[2] = {{5, 5}, {5, 5}}, g[2] = {{5, 5}, {5, 5}};
      const Ipp64fc *src = nul == 1 ? nullptr : s;
      const IppOpStatus want = r.generic(src, nul == 2 ? nullptr : g, len);
      EXPECT_EQ(r.kernel(src, nul == 2 ? nullptr : v, len), want) << r.name << " " << nul;
      EXPECT_EQ(v[0].re, 5.0);
      EXPECT_EQ(v[1].im, 5.0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Complex, ComplexVector, ::testing::ValuesIn(kComplexRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ComplexVector, WorkedCases) {
  Ipp64fc v[] = {{1, 2}, {4, 0}, {7, 7}};
  const Ipp64fc m[] = {{3, 4}, {1, 0}, {1, 0}};
  ASSERT_EQ(kb::ippsMul_64fc_I(m, v, 1), ippStsNoErr);
  EXPECT_EQ(v[0].re, -5.0);
  EXPECT_EQ(v[0].im, 10.0);
  const Ipp64fc d[] = {{1, 0}, {0, 2}, {0, 0}};
  ASSERT_EQ(kb::ippsDiv_64fc_I(d, v, 3), ippStsDivByZero);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(v[1].re), 0u); // +0.0
  EXPECT_EQ(v[1].im, -2.0);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(v[2].re), ippDefaultNaNBits);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(v[2].im), ippDefaultNaNBits);
}

// ---- complex constants ----------------------------------------------------------------

using ComplexConst = IppOpStatus (*)(const Ipp64fc *, Ipp64fc, Ipp64fc *, int);

struct ConstRow {
  const char *name;
  ComplexConst kernel;
  ComplexConst generic;
  bool exact; // bit-equal to the generic; otherwise a product with the bound above
};

const ConstRow kConstRows[] = {
    {"AddC", kb::ippsAddC_64fc, gen::ippsAddC_64fc, true},
    {"SubC", kb::ippsSubC_64fc, gen::ippsSubC_64fc, true},
    {"SubCRev", kb::ippsSubCRev_64fc, gen::ippsSubCRev_64fc, true},
    {"MulC", kb::ippsMulC_64fc, gen::ippsMulC_64fc, false},
    {"DivC", kb::ippsDivC_64fc, gen::ippsDivC_64fc, false},
};

class ComplexConstant : public ::testing::TestWithParam<ConstRow> {};

TEST_P(ComplexConstant, GenericStatusesAndResultsInAndOutOfPlace) {
  const ConstRow &r = GetParam();
  std::vector<Ipp64fc> v, unused;
  complexPairs(v, unused);
  const Ipp64fc constants[] = {{0, 0},      {-0.0, 0},      {1, 0},     {2, -3},
                               {1e-200, 0}, {1e200, 1e200}, {NAN, 1},   {INFINITY, 0},
                               {0, 1e-310}, {-7.5, 1e-3},   {1e154, 0}, {3e-160, 4e-160}};
  for (Ipp64fc c : constants) {
    for (int len : {1, 2, 3, 17, static_cast<int>(v.size())}) {
      const std::size_t n = static_cast<std::size_t>(len);
      const std::vector<Ipp64fc> vs(v.end() - len, v.end());
      std::vector<Ipp64fc> g(n);
      const IppOpStatus gst = r.generic(vs.data(), c, g.data(), len);
      for (std::size_t off : {std::size_t{0}, std::size_t{3}, std::size_t{8}}) {
        for (bool inPlace : {false, true}) {
          Guarded<Ipp64fc> src(vs, off), dst(n, (off + 1) % 16);
          Ipp64fc *out = inPlace ? src.get() : dst.get();
          ASSERT_EQ(r.kernel(src.get(), c, out, len), gst) << r.name << " " << c.re;
          ASSERT_TRUE(src.GuardsIntact() && dst.GuardsIntact());
          if (gst < 0) {
            for (std::size_t i = 0; i < n; ++i)
              ASSERT_TRUE(SameOrBothNaN(src.at(i).re, vs[i].re)); // untouched
            continue;
          }
          for (std::size_t i = 0; i < n; ++i) {
            const Ipp64fc got = inPlace ? src.at(i) : dst.at(i);
            if (r.exact || !std::isfinite(g[i].re) || !std::isfinite(g[i].im)) {
              ASSERT_TRUE(SameOrBothNaN(got.re, g[i].re) && SameOrBothNaN(got.im, g[i].im))
                  << r.name << " c " << c.re << "," << c.im << " x " << vs[i].re << "," << vs[i].im;
            } else {
              // Against the product with the generic's factor (the constant itself for MulC).
              const long double scale = r.kernel == kb::ippsDivC_64fc
                                            ? 1 / (static_cast<long double>(c.re) * c.re +
                                                   static_cast<long double>(c.im) * c.im)
                                            : 1;
              const long double t = (std::fabs(static_cast<long double>(vs[i].re)) +
                                     std::fabs(static_cast<long double>(vs[i].im))) *
                                    (std::fabs(static_cast<long double>(c.re)) +
                                     std::fabs(static_cast<long double>(c.im)));
              expectNear(r.name, got, g[i], t * scale);
            }
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Complex, ComplexConstant, ::testing::ValuesIn(kConstRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ComplexConstant, TinyAndHugeDivisorsStillDivide) {
  const Ipp64fc x[] = {{1, 2}};
  Ipp64fc out[1], g[1];
  for (Ipp64fc c : {Ipp64fc{1e-200, 0}, Ipp64fc{1e200, 1e200}, Ipp64fc{3e-170, 0}}) {
    ASSERT_EQ(kb::ippsDivC_64fc(x, c, out, 1), ippStsNoErr);
    ASSERT_EQ(gen::ippsDivC_64fc(x, c, g, 1), ippStsNoErr);
    EXPECT_NE(out[0].re, 0.0);
    EXPECT_LE(Ulps(out[0].re, g[0].re), 2u);
    EXPECT_LE(Ulps(out[0].im, g[0].im), 2u);
  }
  EXPECT_EQ(kb::ippsDivC_64fc(x, Ipp64fc{0, 0}, out, 1), ippStsDivByZeroErr);
  EXPECT_EQ(kb::ippsDivC_64fc(x, Ipp64fc{NAN, 0}, out, 1), ippStsDivByZeroErr);
}

} // namespace
