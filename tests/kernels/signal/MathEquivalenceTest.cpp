// The exponential, logarithm and phase kernels (codes 6 and 5): seeded random elements
// within 1 ulp of the correctly rounded long double result (expl, logl, atan2l), and edge
// rows whose special elements (NaN payloads and signs, infinities, zeros, negatives,
// subnormals, the overflow and underflow ranges) give the generic's bits and warnings, at
// lengths on both sides of the exponential's four-element rule and of the register pairs.
// The x87 forms run in 53-bit precision whatever the caller's control word, and every
// kernel leaves the caller's x87 word and MXCSR controls as they were.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "kernels/signal/MathKernels.h"
#include "platform/cpu/FpuControl.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace gen = Slbcbbasicdispatcher::generic;
using equivalence::Ulps;

constexpr double kInf = std::numeric_limits<double>::infinity();

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }
double fromBits(std::uint64_t b) { return std::bit_cast<double>(b); }

using Op = IppOpStatus (*)(const double *, double *, int);
using OpI = IppOpStatus (*)(double *, int);

struct RealKernel {
  std::string name;
  Op op;
  OpI inPlace;
  Op generic;
  std::function<long double(long double)> reference;
};

std::vector<RealKernel> expKernels() {
  const auto ref = [](long double x) { return std::exp(x); };
  return {{"Exp_Sse2", kernels::signal::sse2::ippsExp_64f, kernels::signal::sse2::ippsExp_64f_I,
           gen::ippsExp_64f, ref},
          {"Exp_Sse", kernels::signal::sse::ippsExp_64f, kernels::signal::sse::ippsExp_64f_I,
           gen::ippsExp_64f, ref}};
}

std::vector<RealKernel> lnKernels() {
  const auto ref = [](long double x) { return std::log(x); };
  return {{"Ln_Sse2", kernels::signal::sse2::ippsLn_64f, kernels::signal::sse2::ippsLn_64f_I,
           gen::ippsLn_64f, ref},
          {"Ln_Sse", kernels::signal::sse::ippsLn_64f, kernels::signal::sse::ippsLn_64f_I,
           gen::ippsLn_64f, ref}};
}

// Runs k out of place and in place over xs; both must agree in status and bits.
IppOpStatus run(const RealKernel &k, const std::vector<double> &xs, std::vector<double> &out) {
  const int n = static_cast<int>(xs.size());
  out.assign(xs.size(), 99.0);
  const IppOpStatus st = k.op(xs.data(), out.data(), n);
  std::vector<double> in = xs;
  EXPECT_EQ(st, k.inPlace(in.data(), n)) << k.name;
  for (std::size_t i = 0; i < xs.size(); ++i)
    EXPECT_EQ(bits(out[i]), bits(in[i])) << k.name << " in place, element " << i;
  return st;
}

void expectWithinOneUlp(const RealKernel &k, const std::vector<double> &xs) {
  std::vector<double> out;
  ASSERT_EQ(ippStsNoErr, run(k, xs, out)) << k.name;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double ref = static_cast<double>(k.reference(xs[i]));
    ASSERT_LE(Ulps(out[i], ref), 1u) << k.name << " x = " << xs[i] << " len " << xs.size();
  }
}

// Spread over the magnitudes: 2^e * m with e uniform in [eLo, eHi), m in [1, 2).
std::vector<double> logUniform(std::size_t n, unsigned seed, int eLo, int eHi) {
  const std::vector<double> e = test_support::RandomVector<double>(n, seed, eLo, eHi);
  const std::vector<double> m = test_support::RandomVector<double>(n, seed + 1, 1.0, 2.0);
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i)
    v[i] = std::ldexp(m[i], static_cast<int>(std::floor(e[i])));
  return v;
}

TEST(SignalMathKernels, ExpWithinOneUlpOfTheLongDoubleExponential) {
  for (const RealKernel &k : expKernels()) {
    // Four or more elements: the normal range of results.
    expectWithinOneUlp(k, test_support::RandomVector<double>(4001, 19, -708.3, 709.78));
    expectWithinOneUlp(k, test_support::RandomVector<double>(1000, 20, -1.0, 1.0));
    expectWithinOneUlp(k, logUniform(1000, 21, -60, 0));
    // Below four elements the subnormal results and the top of the range too.
    for (const double x : test_support::RandomVector<double>(300, 22, -745.1, -700.0))
      expectWithinOneUlp(k, {x});
    for (const double x : test_support::RandomVector<double>(100, 23, 709.0, 709.78))
      expectWithinOneUlp(k, {x, -x, x / 3});
  }
}

TEST(SignalMathKernels, LnWithinOneUlpOfTheLongDoubleLogarithm) {
  for (const RealKernel &k : lnKernels()) {
    expectWithinOneUlp(k, logUniform(4001, 31, -1074, 1024)); // subnormals included
    expectWithinOneUlp(k, test_support::RandomVector<double>(2000, 32, 0.97, 1.03));
    expectWithinOneUlp(k, test_support::RandomVector<double>(2000, 33, 0.49, 2.01));
    expectWithinOneUlp(k, {1.0, 2.0, 0.5, std::nextafter(1.0, 2.0), std::nextafter(1.0, 0.0),
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::min(), std::exp(1.0)});
  }
}

// Special elements at every position of rows of several lengths, between ordinary
// elements: the generic's bits and status; ordinary ones within 1 ulp of the generic.
void expectGenericRows(const std::vector<RealKernel> &ks, const std::vector<double> &edges,
                       double filler) {
  for (const RealKernel &k : ks) {
    for (const std::size_t len : {1u, 2u, 3u, 4u, 5u, 7u, 16u, 17u}) {
      for (std::size_t e = 0; e < edges.size(); ++e) {
        for (std::size_t pos = 0; pos < len; ++pos) {
          std::vector<double> xs(len, filler);
          for (std::size_t i = pos; i < len; i += 3) // more than one special in longer rows
            xs[i] = edges[(e + i) % edges.size()];
          std::vector<double> out, want(len, 99.0);
          const IppOpStatus st = run(k, xs, out);
          ASSERT_EQ(k.generic(xs.data(), want.data(), static_cast<int>(len)), st)
              << k.name << " len " << len << " edge " << edges[e] << " at " << pos;
          for (std::size_t i = 0; i < len; ++i) {
            if (std::isfinite(want[i]) && want[i] != 0.0)
              ASSERT_LE(Ulps(out[i], want[i]), 1u) << k.name << " x = " << xs[i];
            else
              ASSERT_EQ(bits(want[i]), bits(out[i]))
                  << k.name << " x = " << xs[i] << " len " << len << " element " << i;
          }
        }
      }
    }
  }
}

const double kQuietNaN = fromBits(0x7FF8000000000123ull);
const double kSignallingNaN = fromBits(0x7FF0000000000ABCull);
const double kNegativeNaN = fromBits(0xFFF8000000000456ull);
const double kNegativeSignallingNaN = fromBits(0xFFF0000000000001ull);

TEST(SignalMathKernels, ExpSpecialElementsAreTheGenerics) {
  expectGenericRows(expKernels(),
                    {0.0,
                     -0.0,
                     kInf,
                     -kInf,
                     kQuietNaN,
                     kSignallingNaN,
                     kNegativeNaN,
                     kNegativeSignallingNaN,
                     -709.0,
                     -708.4,
                     -745.0,
                     -745.2,
                     -746.5,
                     -1000.0,
                     709.5,
                     709.78,
                     709.79,
                     709.7822265625,
                     709.9,
                     710.0,
                     1000.0,
                     4.9e-324,
                     -2.2250738585072014e-308},
                    0.25);
}

TEST(SignalMathKernels, LnSpecialElementsAndWarningsAreTheGenerics) {
  expectGenericRows(lnKernels(),
                    {0.0, -0.0, -1.0, -kInf, kInf, kQuietNaN, kSignallingNaN, kNegativeNaN,
                     kNegativeSignallingNaN, 4.9e-324, 2.2250738585072009e-308, 1.0,
                     std::numeric_limits<double>::max()},
                    3.5);
}

TEST(SignalMathKernels, ExpAndLnNamedValues) {
  for (const RealKernel &k : expKernels()) {
    std::vector<double> out;
    // One element: the subnormal e^-709 and the last finite results.
    run(k, {-709.0}, out);
    EXPECT_GT(out[0], 0.0) << k.name;
    EXPECT_LT(out[0], std::numeric_limits<double>::min()) << k.name;
    EXPECT_LE(Ulps(out[0], static_cast<double>(std::exp(-709.0L))), 1u) << k.name;
    run(k, {709.5, 0.0, 709.79, -kInf, -709.0}, out);
    EXPECT_LE(Ulps(out[0], 1.3549863193146328e308), 1u) << k.name;
    EXPECT_EQ(out[1], 1.0) << k.name;
    EXPECT_EQ(out[2], kInf) << k.name;
    EXPECT_EQ(bits(out[3]), 0u) << k.name;
    EXPECT_EQ(bits(out[4]), 0u) << k.name; // four or more elements: below the normal range
  }
  for (const RealKernel &k : lnKernels()) {
    std::vector<double> out;
    EXPECT_EQ(ippStsLnNegArg, run(k, {-1.0, 0.0}, out)) << k.name;
    EXPECT_EQ(bits(out[0]), ippDefaultNaNBits);
    EXPECT_EQ(out[1], -kInf);
    EXPECT_EQ(ippStsLnZeroArg, run(k, {2.0, 3.0, 4.0, 5.0, 6.0, 0.0, -1.0}, out)) << k.name;
    EXPECT_EQ(ippStsLnNegArg, run(k, {2.0, 3.0, 4.0, -0.0, 6.0, 0.0, -1.0}, out)) << k.name;
    EXPECT_EQ(bits(out[3]), ippDefaultNaNBits);
    EXPECT_EQ(ippStsNoErr, run(k, {1.0, kInf, 4.9e-324}, out)) << k.name;
    EXPECT_EQ(bits(out[0]), 0u) << k.name;
    EXPECT_EQ(out[1], kInf) << k.name;
    EXPECT_LE(Ulps(out[2], -744.44007192138126), 1u) << k.name;
  }
}

TEST(SignalMathKernels, BadArgumentsAsTheGeneric) {
  double v[2] = {1.0, 2.0};
  for (const auto &ks : {expKernels(), lnKernels()}) {
    for (const RealKernel &k : ks) {
      EXPECT_EQ(ippStsNullPtrErr, k.op(nullptr, v, 0)) << k.name;
      EXPECT_EQ(ippStsNullPtrErr, k.op(v, nullptr, 1)) << k.name;
      EXPECT_EQ(ippStsNullPtrErr, k.inPlace(nullptr, 1)) << k.name;
      EXPECT_EQ(ippStsSizeErr, k.op(v, v, 0)) << k.name;
      EXPECT_EQ(ippStsSizeErr, k.inPlace(v, -1)) << k.name;
      EXPECT_EQ(v[0], 1.0);
    }
  }
  EXPECT_EQ(ippStsNullPtrErr, kernels::signal::sse2::ippsPhase_64fc(nullptr, v, 0));
  EXPECT_EQ(ippStsSizeErr,
            kernels::signal::sse2::ippsPhase_64fc(reinterpret_cast<Ipp64fc *>(v), v, 0));
}

// ---- phase ---------------------------------------------------------------------------

double phaseReference(Ipp64fc x) {
  return static_cast<double>(
      std::atan2(static_cast<long double>(x.im), static_cast<long double>(x.re)));
}

TEST(SignalMathKernels, PhaseWithinOneUlpOfTheLongDoubleAngle) {
  std::vector<Ipp64fc> xs = test_support::RandomComplexVector<Ipp64fc>(6001, 41);
  // Magnitudes over many decades and ratios from 2^-60 to 2^60, every quadrant.
  const std::vector<double> re = logUniform(4000, 42, -790, 790);
  const std::vector<double> ratio = logUniform(4000, 43, -59, 59);
  const std::vector<double> sign = test_support::RandomVector<double>(4000, 44);
  for (std::size_t i = 0; i < re.size(); ++i) {
    const double r = sign[i] < 0 ? -re[i] : re[i];
    const double im = re[i] * ratio[i] * ((sign[i] > 0.5 || sign[i] < -0.5) ? -1 : 1);
    xs.push_back({r, im});
  }
  // Ratios near the table's steps and the diagonal.
  for (int i = 0; i <= 64; ++i) {
    const double t = i / 64.0;
    xs.push_back({1.0, t});
    xs.push_back({-3.0, std::nextafter(3 * t, 0.0)});
    xs.push_back({std::nextafter(t, 1.0), -1.0});
  }
  std::vector<double> out(xs.size(), 99.0);
  ASSERT_EQ(ippStsNoErr, kernels::signal::sse2::ippsPhase_64fc(xs.data(), out.data(),
                                                               static_cast<int>(xs.size())));
  for (std::size_t i = 0; i < xs.size(); ++i)
    ASSERT_LE(Ulps(out[i], phaseReference(xs[i])), 1u) << xs[i].re << ", " << xs[i].im;
  // One element at a time gives the same bits as inside the pairs.
  for (std::size_t i = 0; i < 200; ++i) {
    double single = 99.0;
    ASSERT_EQ(ippStsNoErr, kernels::signal::sse2::ippsPhase_64fc(&xs[i], &single, 1));
    ASSERT_EQ(bits(out[i]), bits(single)) << i;
  }
}

TEST(SignalMathKernels, PhaseSpecialElementsAreTheGenerics) {
  const double parts[] = {
      0.0,    -0.0,   1.0,       -1.0,         5.0,
      kInf,   -kInf,  kQuietNaN, kNegativeNaN, kSignallingNaN,
      1e-310, -1e300, 0x1p-900,  0x1p900,      std::numeric_limits<double>::max()};
  std::vector<Ipp64fc> xs;
  for (const double re : parts)
    for (const double im : parts)
      xs.push_back({re, im});
  for (const std::size_t len : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4},
                                std::size_t{5}, std::size_t{17}, xs.size()}) {
    for (std::size_t start = 0; start + len <= xs.size(); start += len) {
      std::vector<double> got(len, 99.0), want(len, 99.0);
      const int n = static_cast<int>(len);
      ASSERT_EQ(ippStsNoErr, kernels::signal::sse2::ippsPhase_64fc(&xs[start], got.data(), n));
      ASSERT_EQ(ippStsNoErr, gen::ippsPhase_64fc(&xs[start], want.data(), n));
      for (std::size_t i = 0; i < len; ++i) {
        const Ipp64fc x = xs[start + i];
        if (std::isfinite(want[i]) && want[i] != 0.0 && x.re != 0.0 && x.im != 0.0 &&
            std::isfinite(x.re) && std::isfinite(x.im))
          ASSERT_LE(Ulps(got[i], phaseReference(x)), 1u) << x.re << ", " << x.im;
        else
          ASSERT_EQ(bits(want[i]), bits(got[i])) << x.re << ", " << x.im;
      }
    }
  }
  const Ipp64fc named[] = {{-1, 0.0},  {-1, -0.0},  {0.0, 5},     {-0.0, 5},
                           {-0.0, -5}, {0.0, -0.0}, {-kInf, kInf}};
  const double angles[] = {M_PI, -M_PI, M_PI / 2, M_PI / 2, -M_PI / 2, -0.0, 3 * M_PI / 4};
  double got[7];
  ASSERT_EQ(ippStsNoErr, kernels::signal::sse2::ippsPhase_64fc(named, got, 7));
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(bits(angles[i]), bits(got[i])) << i;
}

// In place: the angles overwrite the front of the complex vector as they are formed.
TEST(SignalMathKernels, PhaseIntoItsOwnSource) {
  std::vector<Ipp64fc> xs = test_support::RandomComplexVector<Ipp64fc>(37, 45);
  xs[5] = {0.0, -1.0};
  std::vector<Ipp64fc> ys = xs;
  auto *got = reinterpret_cast<double *>(xs.data());
  auto *want = reinterpret_cast<double *>(ys.data());
  ASSERT_EQ(ippStsNoErr, kernels::signal::sse2::ippsPhase_64fc(xs.data(), got, 37));
  ASSERT_EQ(ippStsNoErr, gen::ippsPhase_64fc(ys.data(), want, 37));
  for (int i = 0; i < 37; ++i)
    EXPECT_LE(Ulps(got[i], want[i]), 1u) << i;
}

// ---- floating-point environment ---------------------------------------------------------

TEST(SignalMathKernels, LeaveTheControlWordsAndIgnoreTheCallersPrecision) {
  const std::vector<double> xs = test_support::RandomVector<double>(257, 51, -700.0, 700.0);
  std::vector<double> ls = xs;
  for (double &x : ls)
    x = std::fabs(x) + 1e-3;
  std::vector<double> expWant(xs.size()), lnWant(xs.size());
  kernels::signal::sse::ippsExp_64f(xs.data(), expWant.data(), 257);
  kernels::signal::sse::ippsLn_64f(ls.data(), lnWant.data(), 257);

  const std::uint32_t mxcsrBefore = cpu::GetMxcsr();
  const std::uint16_t x87Before = cpu::GetX87ControlWord();
  for (const std::uint16_t word : {std::uint16_t{0x037F}, std::uint16_t{0x007F}}) {
    cpu::LoadMxcsr(0x1F80u | 0x0040u); // denormals-are-zero set: kept as the caller's
    cpu::LoadX87ControlWord(word);     // 64-bit, then 24-bit precision
    std::vector<double> e(xs.size()), l(xs.size()), p(xs.size());
    kernels::signal::sse::ippsExp_64f(xs.data(), e.data(), 257);
    kernels::signal::sse::ippsLn_64f(ls.data(), l.data(), 257);
    kernels::signal::sse2::ippsExp_64f(xs.data(), p.data(), 257);
    kernels::signal::sse2::ippsLn_64f(ls.data(), p.data(), 257);
    kernels::signal::sse2::ippsPhase_64fc(reinterpret_cast<const Ipp64fc *>(xs.data()), p.data(),
                                          128);
    const std::uint32_t mxcsrAfter = cpu::GetMxcsr();
    const std::uint16_t x87After = cpu::GetX87ControlWord();
    cpu::LoadMxcsr(mxcsrBefore);
    cpu::LoadX87ControlWord(x87Before);
    EXPECT_EQ(mxcsrAfter & ~0x3Fu, 0x1F80u | 0x0040u);
    EXPECT_EQ(x87After, word);
    for (std::size_t i = 0; i < xs.size(); ++i) {
      ASSERT_EQ(bits(expWant[i]), bits(e[i])) << "x87 word " << word << " x = " << xs[i];
      ASSERT_EQ(bits(lnWant[i]), bits(l[i])) << "x87 word " << word << " x = " << ls[i];
    }
  }
}

} // namespace
