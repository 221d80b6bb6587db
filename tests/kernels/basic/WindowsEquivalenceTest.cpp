// Windows of the 16-byte-register classes against the generic: same statuses and checks,
// the same exact ends and middles, and every other sample within the stated bound.
//
// Bound: the kernels step cos(k theta) by a double rotation, the generic by an extended
// one; each step adds a few units of 2^-53 to the cosine, so for pair k
//   |got - generic| <= |x| (1 + 2|alpha|) (8 + k/2) 2^-53   (alpha 0 but for Blackman),
// and Bartlett's k x 2/(N-1) against the generic's running sum: |x| (4 + k/4096) 2^-53.
#include <cmath>
#include <functional>
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

using OutOfPlace = std::function<IppOpStatus(const double *, double *, int)>;
using InPlace = std::function<IppOpStatus(double *, int)>;

struct Row {
  std::string name;
  OutOfPlace kernel, generic;
  InPlace kernelI, genericI;
  double alpha;  // for the bound
  bool bartlett; // Bartlett's bound
};

std::vector<Row> rows() {
  std::vector<Row> r = {{"Bartlett", kb::ippsWinBartlett_64f, gen::ippsWinBartlett_64f,
                         kb::ippsWinBartlett_64f_I, gen::ippsWinBartlett_64f_I, 0, true},
                        {"Hann", kb::ippsWinHann_64f, gen::ippsWinHann_64f, kb::ippsWinHann_64f_I,
                         gen::ippsWinHann_64f_I, 0, false},
                        {"Hamming", kb::ippsWinHamming_64f, gen::ippsWinHamming_64f,
                         kb::ippsWinHamming_64f_I, gen::ippsWinHamming_64f_I, 0, false}};
  for (double alpha : {0.16, 0.0, -3.5, 40.0}) {
    r.push_back({"Blackman" + std::to_string(static_cast<int>(std::fabs(alpha) * 100)) +
                     (alpha < 0 ? "neg" : ""),
                 [alpha](const double *s, double *d, int n) {
                   return kb::ippsWinBlackman_64f(s, d, n, alpha);
                 },
                 [alpha](const double *s, double *d, int n) {
                   return gen::ippsWinBlackman_64f(s, d, n, alpha);
                 },
                 [alpha](double *v, int n) { return kb::ippsWinBlackman_64f_I(v, n, alpha); },
                 [alpha](double *v, int n) { return gen::ippsWinBlackman_64f_I(v, n, alpha); },
                 alpha, false});
  }
  return r;
}

double bound(const Row &r, double x, std::size_t k) {
  const double kk = static_cast<double>(k);
  if (r.bartlett)
    return std::fabs(x) * (4 + kk / 4096) * 0x1p-53;
  return std::fabs(x) * (1 + 2 * std::fabs(r.alpha)) * (8 + kk / 2) * 0x1p-53;
}

class Window : public ::testing::TestWithParam<Row> {};

TEST_P(Window, WithinTheBoundOfTheGenericWithItsEndsAndMiddle) {
  const Row &r = GetParam();
  const std::vector<double> all = test_support::RandomVector<double>(4801, 41, -2, 2);
  for (int len : {3, 4, 5, 6, 7, 8, 9, 11, 16, 17, 64, 65, 1023, 4410, 4800, 4801}) {
    const std::size_t n = static_cast<std::size_t>(len);
    std::vector<double> src(all.begin(), all.begin() + len);
    src[0] = INFINITY; // ends: Bartlett stores 0 there, the others multiply
    src[n - 1] = NAN;
    std::vector<double> g(n);
    ASSERT_EQ(r.generic(src.data(), g.data(), len), ippStsNoErr);
    for (std::size_t off : {0, 3, 8}) {
      for (bool inPlace : {false, true}) {
        Guarded<double> s(src, off), d(n, (off + 5) % 16);
        double *out = inPlace ? s.get() : d.get();
        ASSERT_EQ(inPlace ? r.kernelI(out, len) : r.kernel(s.get(), out, len), ippStsNoErr);
        ASSERT_TRUE(s.GuardsIntact() && d.GuardsIntact()) << r.name;
        for (std::size_t i = 0; i < n; ++i) {
          const double got = inPlace ? s.at(i) : d.at(i);
          const std::size_t k = std::min(i, n - 1 - i);
          if (i == 0 || i == n - 1 || (n % 2 == 1 && i == n / 2)) {
            ASSERT_TRUE(equivalence::SameOrBothNaN(got, g[i]))
                << r.name << " len " << len << " i " << i;
            continue;
          }
          ASSERT_LE(std::fabs(got - g[i]), bound(r, src[i], k))
              << r.name << " len " << len << " i " << i << " got " << got << " want " << g[i];
        }
        if (!inPlace) { // the source is never written
          for (std::size_t i = 0; i < n; ++i) {
            ASSERT_TRUE(equivalence::SameOrBothNaN(s.at(i), src[i]));
          }
        }
      }
    }
  }
}

TEST_P(Window, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const Row &r = GetParam();
  for (int len : {3, 2, 1, 0, -5}) {
    for (int nul = 0; nul < 3; ++nul) {
      if (nul == 0 && len >= 3)
        continue;
      double s[3] = {1, 2, 3}, d[3] = {4, 4, 4}, g[3] = {4, 4, 4};
      const double *src = nul == 1 ? nullptr : s;
      EXPECT_EQ(r.kernel(src, nul == 2 ? nullptr : d, len),
                r.generic(src, nul == 2 ? nullptr : g, len))
          << r.name;
      EXPECT_EQ(r.kernelI(nul ? nullptr : d, len), r.genericI(nul ? nullptr : g, len));
      EXPECT_EQ(d[0], 4.0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Basic, Window, ::testing::ValuesIn(rows()),
                         [](const auto &info) { return info.param.name; });

TEST(Window, WorkedCases) {
  double v[4] = {1, 1, 1, 1};
  ASSERT_EQ(kb::ippsWinBartlett_64f_I(v, 4), ippStsNoErr);
  EXPECT_EQ(v[0], 0.0);
  EXPECT_DOUBLE_EQ(v[1], 2.0 / 3);
  EXPECT_DOUBLE_EQ(v[2], 2.0 / 3);
  EXPECT_EQ(v[3], 0.0);
  double b[3] = {NAN, 7, INFINITY};
  ASSERT_EQ(kb::ippsWinBlackman_64f_I(b, 3, 0.16), ippStsNoErr);
  EXPECT_EQ(b[0], 0.0);
  EXPECT_EQ(b[1], 7.0);
  EXPECT_EQ(b[2], 0.0);
  double h[3] = {1, 5, 1};
  ASSERT_EQ(kb::ippsWinHamming_64f_I(h, 3), ippStsNoErr);
  EXPECT_NEAR(h[0], 0.08, 1e-16);
  EXPECT_EQ(h[1], 5.0);
  // Blackman with alpha 0 is the Hann window.
  std::vector<double> x = test_support::RandomVector<double>(33, 2, -1, 1), y = x;
  ASSERT_EQ(kb::ippsWinBlackman_64f_I(x.data(), 33, 0.0), ippStsNoErr);
  ASSERT_EQ(kb::ippsWinHann_64f_I(y.data(), 33), ippStsNoErr);
  for (std::size_t i = 0; i < x.size(); ++i)
    EXPECT_NEAR(x[i], y[i], 1e-15);
}

} // namespace
