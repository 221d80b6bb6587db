// Floating-point element arithmetic, called by name through the dispatch slots.

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Libcdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kQuietNaN = std::bit_cast<double>(std::uint64_t{0x7FF8000000000000ull});
const double kPayloadNaN = std::bit_cast<double>(std::uint64_t{0x7FF8000000000123ull});
const double kNegativeNaN = std::bit_cast<double>(std::uint64_t{0xFFF8000000000456ull});

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Element-wise bit equality, so that NaN patterns and signed zeros count.
void expectBits(const std::vector<double> &expected, const std::vector<double> &actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(bits(expected[i]), bits(actual[i]))
        << "element " << i << ": expected " << expected[i] << ", got " << actual[i];
}

// ---- constants ---------------------------------------------------------------

using ConstOp = IppOpStatus (*)(double, double *, int);

struct ConstCase {
  const char *name;
  ConstOp op;
  double val;
  std::vector<double> data;
  std::vector<double> expected;
  IppOpStatus status;
};

class ArithConstantOps : public ::testing::TestWithParam<ConstCase> {};

TEST_P(ArithConstantOps, GiveTheTabledResult) {
  const ConstCase &c = GetParam();
  std::vector<double> data = c.data;
  EXPECT_EQ(c.status, c.op(c.val, data.data(), static_cast<int>(data.size())));
  expectBits(c.expected, data);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArithConstantOps,
    ::testing::Values(
        ConstCase{
            "AddCAdds", Slbasicdispatcher::ippsAddC_64f_I, 1.5, {1, -2}, {2.5, -0.5}, ippStsNoErr},
        ConstCase{"AddCZeroKeepsNegativeZeroAndNaN",
                  Slbasicdispatcher::ippsAddC_64f_I,
                  0.0,
                  {-0.0, kPayloadNaN},
                  {-0.0, kPayloadNaN},
                  ippStsNoErr},
        ConstCase{"SubCSubtracts",
                  Slbasicdispatcher::ippsSubC_64f_I,
                  0.25,
                  {1, -2},
                  {0.75, -2.25},
                  ippStsNoErr},
        ConstCase{"SubCZeroLeavesData",
                  Slbasicdispatcher::ippsSubC_64f_I,
                  0.0,
                  {-0.0, kPayloadNaN},
                  {-0.0, kPayloadNaN},
                  ippStsNoErr},
        ConstCase{"MulCMultiplies",
                  Slbasicdispatcher::ippsMulC_64f_I,
                  -2.0,
                  {1.5, -0.0},
                  {-3.0, 0.0},
                  ippStsNoErr},
        ConstCase{"MulCZeroStoresPositiveZeros",
                  Slbasicdispatcher::ippsMulC_64f_I,
                  0.0,
                  {-3, kQuietNaN},
                  {0.0, 0.0},
                  ippStsNoErr},
        ConstCase{"MulCOneLeavesData",
                  Slbasicdispatcher::ippsMulC_64f_I,
                  1.0,
                  {-0.0, kPayloadNaN},
                  {-0.0, kPayloadNaN},
                  ippStsNoErr},
        ConstCase{"DivCZeroIsAnError",
                  Slbasicdispatcher::ippsDivC_64f_I,
                  0.0,
                  {1, 2},
                  {1, 2},
                  ippStsDivByZeroErr},
        ConstCase{"DivCByReciprocal",
                  Slbasicdispatcher::ippsDivC_64f_I,
                  0.5,
                  {1, -3},
                  {2, -6},
                  ippStsNoErr},
        // The rounded reciprocal of 49 times 49 falls one unit short of 1.
        ConstCase{"DivCMultipliesByRoundedReciprocal",
                  Slbasicdispatcher::ippsDivC_64f_I,
                  49.0,
                  {49},
                  {0.9999999999999999},
                  ippStsNoErr},
        ConstCase{"DivCOneTakesTheCopyShortcut",
                  Slbasicdispatcher::ippsDivC_64f_I,
                  1.0,
                  {kPayloadNaN},
                  {kPayloadNaN},
                  ippStsNoErr}),
    [](const auto &info) { return info.param.name; });

TEST(ArithScopeMulC, CopiesZeroesOrMultipliesIntoTheDestination) {
  const std::vector<double> src{1.5, kPayloadNaN, -0.0};
  std::vector<double> dst(3, 7.0);
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsMulC_64f(src.data(), 1.0, dst[0], 3));
  expectBits(src, dst);
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsMulC_64f(src.data(), 0.0, dst[0], 3));
  expectBits({0.0, 0.0, 0.0}, dst);
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsMulC_64f(src.data(), 2.0, dst[0], 2));
  EXPECT_EQ(3.0, dst[0]);
  EXPECT_TRUE(std::isnan(dst[1]));
  EXPECT_EQ(0.0, dst[2]); // beyond len: untouched
  EXPECT_EQ(ippStsNullPtrErr, Slscopedispatcher::ippsMulC_64f(nullptr, 2.0, dst[0], 2));
  EXPECT_EQ(ippStsSizeErr, Slscopedispatcher::ippsMulC_64f(src.data(), 2.0, dst[0], 0));
}

// ---- vector operations -------------------------------------------------------

TEST(ArithRealVectorOps, CombineElementByElement) {
  const std::vector<double> src{2, -4, 0.5};
  std::vector<double> x{6, 1, 3};
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsAdd_64f_I(src.data(), x.data(), 3));
  expectBits({8, -3, 3.5}, x);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsSub_64f_I(src.data(), x.data(), 3));
  expectBits({6, 1, 3}, x);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsMul_64f_I(src.data(), x.data(), 3));
  expectBits({12, -4, 1.5}, x);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_64f_I(src.data(), x.data(), 3));
  expectBits({6, 1, 3}, x);
}

TEST(ArithRealVectorOps, DivisionByZeroGivesSignedInfinityOrTheDefaultNaN) {
  const std::vector<double> divisors{1, 0, 0, 0, -0.0};
  std::vector<double> x{4, 2, -2, 0, 5};
  EXPECT_EQ(ippStsDivByZero, Slbasicdispatcher::ippsDiv_64f_I(divisors.data(), x.data(), 5));
  expectBits({4, kInf, -kInf, ippDefaultNaN, kInf}, x);
}

TEST(ArithRealVectorOps, DivisionByZeroKeepsANaNDividendANaN) {
  const std::vector<double> divisors{0};
  std::vector<double> x{kQuietNaN};
  EXPECT_EQ(ippStsDivByZero, Slbasicdispatcher::ippsDiv_64f_I(divisors.data(), x.data(), 1));
  EXPECT_TRUE(std::isnan(x[0]));
}

TEST(ArithComplexVectorOps, ProductAndQuotient) {
  const std::vector<Ipp64fc> src{{3, 4}, {0, 1}};
  std::vector<Ipp64fc> x{{1, 2}, {5, -7}};
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsMul_64fc_I(src.data(), x.data(), 2));
  EXPECT_EQ(-5.0, x[0].re);
  EXPECT_EQ(10.0, x[0].im);
  EXPECT_EQ(7.0, x[1].re);
  EXPECT_EQ(5.0, x[1].im);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_64fc_I(src.data(), x.data(), 2));
  EXPECT_DOUBLE_EQ(1.0, x[0].re);
  EXPECT_DOUBLE_EQ(2.0, x[0].im);
  EXPECT_DOUBLE_EQ(5.0, x[1].re);
  EXPECT_DOUBLE_EQ(-7.0, x[1].im);
}

TEST(ArithComplexVectorOps, ProductIsRoundedOnceFromExtendedPrecision) {
  // (1 + 2^-30)² - 1 loses 2^-60 when a·c is rounded to a double first.
  const double a = 1.0 + std::ldexp(1.0, -30);
  const std::vector<Ipp64fc> src{{a, 1.0}};
  std::vector<Ipp64fc> x{{a, 1.0}};
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsMul_64fc_I(src.data(), x.data(), 1));
  EXPECT_EQ(std::ldexp(1.0, -29) + std::ldexp(1.0, -60), x[0].re);
}

TEST(ArithComplexVectorOps, ZeroDivisorGivesDefaultNaNsAndWritesTheRest) {
  const std::vector<Ipp64fc> src{{0, 0}, {2, 0}};
  std::vector<Ipp64fc> x{{1, 1}, {4, 6}};
  EXPECT_EQ(ippStsDivByZero, Slbasicdispatcher::ippsDiv_64fc_I(src.data(), x.data(), 2));
  EXPECT_EQ(ippDefaultNaNBits, bits(x[0].re));
  EXPECT_EQ(ippDefaultNaNBits, bits(x[0].im));
  EXPECT_EQ(2.0, x[1].re);
  EXPECT_EQ(3.0, x[1].im);
}

TEST(ArithComplexVectorOps, SumAndDifferenceWorkOnBothParts) {
  const std::vector<Ipp64fc> src{{1, -2}};
  std::vector<Ipp64fc> x{{10, 20}};
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsAdd_64fc_I(src.data(), x.data(), 1));
  EXPECT_EQ(11.0, x[0].re);
  EXPECT_EQ(18.0, x[0].im);
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsSub_64fc_I(src.data(), x.data(), 1));
  EXPECT_EQ(10.0, x[0].re);
  EXPECT_EQ(20.0, x[0].im);
}

// ---- statuses of every operation ---------------------------------------------

struct StatusCase {
  const char *name;
  IppOpStatus (*call)(double *p, int len); // p may be null
  IppOpStatus nullWithZeroLength;
};

class ArithStatusOrder : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ArithStatusOrder, NullPointerAndShortLength) {
  const StatusCase &c = GetParam();
  std::vector<double> data{1, 2, 3, 4};
  const std::vector<double> before = data;
  EXPECT_EQ(c.nullWithZeroLength, c.call(nullptr, 0));
  EXPECT_EQ(ippStsNullPtrErr, c.call(nullptr, 4));
  EXPECT_EQ(ippStsSizeErr, c.call(data.data(), 0));
  EXPECT_EQ(ippStsSizeErr, c.call(data.data(), -1));
  expectBits(before, data);
}

// Each row runs the operation on p for every array it takes.
#define ROW_I(unit, op)                                                                            \
  StatusCase {                                                                                     \
#op, [](double *p, int n) { return unit::op(p, n); }, ippStsNullPtrErr                         \
  }
#define ROW_SD(unit, op)                                                                           \
  StatusCase {                                                                                     \
#op, [](double *p, int n) { return unit::op(p, p, n); }, ippStsNullPtrErr                      \
  }
#define ROW_C(unit, op)                                                                            \
  StatusCase {                                                                                     \
#op, [](double *p, int n) { return unit::op(2.0, p, n); }, ippStsNullPtrErr                    \
  }
#define ROW_CPLX(unit, op, first)                                                                  \
  StatusCase {                                                                                     \
#op,                                                                           \
               [](double* p, int n) {                                                         \
                   auto* c = reinterpret_cast<Ipp64fc*>(p);                                   \
                   return unit::op(c, c, n);                                                  \
               },                                                                             \
               first                   \
  }

INSTANTIATE_TEST_SUITE_P(
    Operations, ArithStatusOrder,
    ::testing::Values(
        ROW_C(Slbasicdispatcher, ippsAddC_64f_I), ROW_C(Slbasicdispatcher, ippsSubC_64f_I),
        ROW_C(Slbasicdispatcher, ippsMulC_64f_I), ROW_C(Slbasicdispatcher, ippsDivC_64f_I),
        ROW_SD(Slbasicdispatcher, ippsAdd_64f_I), ROW_SD(Slbasicdispatcher, ippsSub_64f_I),
        ROW_SD(Slbasicdispatcher, ippsMul_64f_I), ROW_SD(Slbasicdispatcher, ippsDiv_64f_I),
        // sum and difference of complex vectors test the length first
        ROW_CPLX(Slbasicdispatcher, ippsAdd_64fc_I, ippStsSizeErr),
        ROW_CPLX(Slbasicdispatcher, ippsSub_64fc_I, ippStsSizeErr),
        ROW_CPLX(Slbasicdispatcher, ippsMul_64fc_I, ippStsNullPtrErr),
        ROW_CPLX(Slbasicdispatcher, ippsDiv_64fc_I, ippStsNullPtrErr),
        ROW_I(Slbcbbasicdispatcher, ippsAbs_64f_I), ROW_SD(Slbcbbasicdispatcher, ippsAbs_64f),
        ROW_I(Slbcbbasicdispatcher, ippsSqr_64f_I), ROW_SD(Slbcbbasicdispatcher, ippsSqr_64f),
        ROW_I(Slbcbbasicdispatcher, ippsSqrt_64f_I), ROW_SD(Slbcbbasicdispatcher, ippsSqrt_64f),
        ROW_I(Slbcbbasicdispatcher, ippsExp_64f_I), ROW_SD(Slbcbbasicdispatcher, ippsExp_64f),
        ROW_I(Slbcbbasicdispatcher, ippsLn_64f_I), ROW_SD(Slbcbbasicdispatcher, ippsLn_64f)),
    [](const auto &info) { return info.param.name; });

TEST(ArithStatusOrder, OutOfPlaceFunctionsCheckBothPointers) {
  double v = 1.0;
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsSqrt_64f(&v, nullptr, 1));
  EXPECT_EQ(ippStsNullPtrErr, Slbcbbasicdispatcher::ippsLn_64f(nullptr, &v, 1));
  EXPECT_EQ(ippStsNullPtrErr, Slbasicdispatcher::ippsAdd_64f_I(nullptr, &v, 1));
  float f = 1.0f;
  EXPECT_EQ(ippStsNullPtrErr, Vizazodizaro::ippsSqr_32f_I(nullptr, 0));
  EXPECT_EQ(ippStsSizeErr, Vizazodizaro::ippsSqr_32f_I(&f, 0));
}

// ---- one-argument functions --------------------------------------------------

using UnaryOp = IppOpStatus (*)(const double *, double *, int);

struct UnaryCase {
  const char *name;
  UnaryOp op;
  UnaryOp inPlace; // the same function in place, run on a copy
  std::vector<double> input;
  std::vector<double> expected;
  IppOpStatus status;
};

IppOpStatus inPlaceOf(IppOpStatus (*op)(double *, int), const double *src, double *dst, int len) {
  for (int i = 0; i < len; ++i)
    dst[i] = src[i];
  return op(dst, len);
}

#define IN_PLACE(op)                                                                               \
  [](const double *s, double *d, int n) { return inPlaceOf(Slbcbbasicdispatcher::op, s, d, n); }

class ArithUnaryFunctions : public ::testing::TestWithParam<UnaryCase> {};

TEST_P(ArithUnaryFunctions, InPlaceAndOutOfPlaceAgree) {
  const UnaryCase &c = GetParam();
  const int n = static_cast<int>(c.input.size());
  std::vector<double> out(c.input.size(), 99.0);
  EXPECT_EQ(c.status, c.op(c.input.data(), out.data(), n));
  expectBits(c.expected, out);
  std::vector<double> in(c.input.size(), 99.0);
  EXPECT_EQ(c.status, c.inPlace(c.input.data(), in.data(), n));
  expectBits(c.expected, in);
}

const double kPositiveDefaultNaN =
    std::bit_cast<double>(ippDefaultNaNBits & ~(std::uint64_t{1} << 63));

INSTANTIATE_TEST_SUITE_P(
    Table, ArithUnaryFunctions,
    ::testing::Values(
        UnaryCase{"AbsClearsTheSignBit",
                  Slbcbbasicdispatcher::ippsAbs_64f,
                  IN_PLACE(ippsAbs_64f_I),
                  {-2.5, -0.0, kNegativeNaN, 3},
                  {2.5, 0.0, std::bit_cast<double>(std::uint64_t{0x7FF8000000000456ull}), 3},
                  ippStsNoErr},
        UnaryCase{"SqrSquares",
                  Slbcbbasicdispatcher::ippsSqr_64f,
                  IN_PLACE(ippsSqr_64f_I),
                  {-3, 0.5, 1e200},
                  {9, 0.25, kInf},
                  ippStsNoErr},
        UnaryCase{"SqrtOfANegativeIsTheDefaultNaN",
                  Slbcbbasicdispatcher::ippsSqrt_64f,
                  IN_PLACE(ippsSqrt_64f_I),
                  {4, -4, 0, -0.0, 2},
                  {2, ippDefaultNaN, 0, -0.0, std::sqrt(2.0)},
                  ippStsSqrtNegArg},
        UnaryCase{"LnFirstWarningIsZero",
                  Slbcbbasicdispatcher::ippsLn_64f,
                  IN_PLACE(ippsLn_64f_I),
                  {1, 0, -1},
                  {0, -kInf, ippDefaultNaN},
                  ippStsLnZeroArg},
        UnaryCase{"LnFirstWarningIsNegative",
                  Slbcbbasicdispatcher::ippsLn_64f,
                  IN_PLACE(ippsLn_64f_I),
                  {-1, 0},
                  {ippDefaultNaN, -kInf},
                  ippStsLnNegArg},
        UnaryCase{"LnOfNegativeZeroAndNegativeNaN",
                  Slbcbbasicdispatcher::ippsLn_64f,
                  IN_PLACE(ippsLn_64f_I),
                  {-0.0, kNegativeNaN},
                  {ippDefaultNaN, ippDefaultNaN},
                  ippStsLnNegArg},
        UnaryCase{"LnOfPositiveNaNAndInfinity",
                  Slbcbbasicdispatcher::ippsLn_64f,
                  IN_PLACE(ippsLn_64f_I),
                  {kPayloadNaN, kInf, 1},
                  {kPositiveDefaultNaN, kInf, 0},
                  ippStsNoErr},
        // A signalling NaN is not a quiet one: the logarithm quietens it and keeps its payload.
        UnaryCase{"LnOfPositiveSignallingNaN",
                  Slbcbbasicdispatcher::ippsLn_64f,
                  IN_PLACE(ippsLn_64f_I),
                  {std::bit_cast<double>(std::uint64_t{0x7FF0000000000123ull})},
                  {std::bit_cast<double>(std::uint64_t{0x7FF8000000000123ull})},
                  ippStsNoErr},
        UnaryCase{"LnOfE",
                  Slbcbbasicdispatcher::ippsLn_64f,
                  IN_PLACE(ippsLn_64f_I),
                  {std::exp(1.0)},
                  {1.0},
                  ippStsNoErr},
        UnaryCase{"ExpLongVectorThresholds",
                  Slbcbbasicdispatcher::ippsExp_64f,
                  IN_PLACE(ippsExp_64f_I),
                  {-1000, -720, 0, 1000},
                  {0.0, 0.0, 1, kInf},
                  ippStsNoErr},
        UnaryCase{"ExpShortVector",
                  Slbcbbasicdispatcher::ippsExp_64f,
                  IN_PLACE(ippsExp_64f_I),
                  {0, 1},
                  {1, std::exp(1.0)},
                  ippStsNoErr},
        // Below four elements the result may be subnormal; from four on it is flushed to +0.
        UnaryCase{"ExpShortVectorKeepsSubnormals",
                  Slbcbbasicdispatcher::ippsExp_64f,
                  IN_PLACE(ippsExp_64f_I),
                  {-720},
                  {std::exp(-720.0)},
                  ippStsNoErr},
        UnaryCase{"ExpLongVectorNaNsAndInfinities",
                  Slbcbbasicdispatcher::ippsExp_64f,
                  IN_PLACE(ippsExp_64f_I),
                  {kPayloadNaN, kNegativeNaN, -kInf, kInf, 709.8},
                  {kPayloadNaN, ippDefaultNaN, 0.0, kInf, kInf},
                  ippStsNoErr}),
    [](const auto &info) { return info.param.name; });

// Below four elements every element goes through the library exponential, last bit
// included; at these arguments it differs from the correctly rounded e^x.
TEST(ArithUnaryFunctions, ShortVectorsTakeTheLibraryExponential) {
  const std::vector<double> xs{-656.92999999999972, -630.89999999999964, -513.07999999999925};
  for (int len = 1; len <= 3; ++len) {
    std::vector<double> out(3, 99.0);
    ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsExp_64f(xs.data(), out.data(), len));
    for (int i = 0; i < len; ++i)
      EXPECT_EQ(bits(Libcdispatcher::_exp(xs[i])), bits(out[i]))
          << "len " << len << " x = " << xs[i];
  }
}

TEST(ArithUnaryFunctions, ExpIsWithinOneUlpOnBothPaths) {
  std::vector<double> xs;
  for (double x = -708.0; x < 709.7; x += 3.37)
    xs.push_back(x);
  xs.push_back(709.78); // above the fast threshold, still finite
  std::vector<double> out(xs.size());
  ASSERT_EQ(ippStsNoErr,
            Slbcbbasicdispatcher::ippsExp_64f(xs.data(), out.data(), static_cast<int>(xs.size())));
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double ref = static_cast<double>(std::exp(static_cast<long double>(xs[i])));
    ASSERT_TRUE(std::isfinite(out[i])) << xs[i];
    const auto diff =
        static_cast<std::int64_t>(bits(out[i])) - static_cast<std::int64_t>(bits(ref));
    EXPECT_LE(std::llabs(diff), 1) << "x = " << xs[i];
    double single = 0;
    ASSERT_EQ(ippStsNoErr, Slbcbbasicdispatcher::ippsExp_64f(&xs[i], &single, 1));
    EXPECT_LE(
        std::llabs(static_cast<std::int64_t>(bits(single)) - static_cast<std::int64_t>(bits(ref))),
        1);
  }
}

TEST(ArithUnaryFunctions, FloatSquareInPlace) {
  std::vector<float> v{1.5f, -3.0f, 0.1f};
  ASSERT_EQ(ippStsNoErr, Vizazodizaro::ippsSqr_32f_I(v.data(), 3));
  EXPECT_EQ(2.25f, v[0]);
  EXPECT_EQ(9.0f, v[1]);
  EXPECT_EQ(static_cast<float>(static_cast<double>(0.1f) * 0.1f), v[2]);
}

TEST(ArithUnaryFunctions, LongVectorsGiveTheSameResultsAsOneAtATime) {
  // Lengths across the groups of four and their tails.
  for (int len = 1; len <= 9; ++len) {
    std::vector<double> src;
    for (int i = 0; i < len; ++i)
      src.push_back(i % 3 == 0 ? -1.25 * i : 0.75 * i + 0.5);
    std::vector<double> all(src.size());
    // element 0 is -0.0, which is not negative; element 3 is the first negative one
    const IppOpStatus expected = len >= 4 ? ippStsSqrtNegArg : ippStsNoErr;
    ASSERT_EQ(expected, Slbcbbasicdispatcher::ippsSqrt_64f(src.data(), all.data(), len));
    for (int i = 0; i < len; ++i) {
      double one = 0;
      Slbcbbasicdispatcher::ippsSqrt_64f(&src[i], &one, 1);
      EXPECT_EQ(bits(one), bits(all[i])) << "len " << len << " element " << i;
    }
  }
}

} // namespace
