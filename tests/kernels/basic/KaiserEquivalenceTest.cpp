// Kaiser window of the 16-byte-register classes against the generic: the same checks,
// statuses (-8, -6, -39) and middle sample, and each weighted sample within
//   |got - generic| <= |generic| (64 + 4a) 2^-53,   a = |alpha| sqrt(n (N-1-n)),
// the rounding of the polynomial in double precision plus that of the exponential's
// argument, which the exponential multiplies by a.
#include <cmath>
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

TEST(Kaiser, WithinTheBoundOfTheGenericInAndOutOfPlace) {
  const std::vector<double> all = test_support::RandomVector<double>(4801, 51, -3, 3);
  for (float alpha : {0.0f, 1.0f, -2.5f, 5.0f, 12.0f, 0.13f}) {
    for (int len : {1, 2, 3, 4, 5, 6, 7, 9, 16, 17, 65, 1024, 4801}) {
      if (0.5 * std::fabs(alpha) * (len - 1) > 308.0)
        continue;
      const std::size_t n = static_cast<std::size_t>(len);
      const std::vector<double> src(all.begin(), all.begin() + len);
      std::vector<double> g(n);
      ASSERT_EQ(gen::ippsWinKaiser_64f(src.data(), g.data(), len, alpha), ippStsNoErr);
      for (std::size_t off : {0, 5, 8}) {
        for (bool inPlace : {false, true}) {
          Guarded<double> s(src, off), d(n, (off + 3) % 16);
          double *out = inPlace ? s.get() : d.get();
          ASSERT_EQ(inPlace ? kb::ippsWinKaiser_64f_I(out, len, alpha)
                            : kb::ippsWinKaiser_64f(s.get(), out, len, alpha),
                    ippStsNoErr);
          ASSERT_TRUE(s.GuardsIntact() && d.GuardsIntact());
          for (std::size_t i = 0; i < n; ++i) {
            const double got = inPlace ? s.at(i) : d.at(i);
            const double k = static_cast<double>(std::min(i, n - 1 - i));
            const double a = std::fabs(alpha) * std::sqrt(k * (static_cast<double>(len) - 1 - k));
            if (n % 2 == 1 && i == n / 2) {
              ASSERT_EQ(got, src[i]); // the middle: weight 1, copied or untouched
              continue;
            }
            ASSERT_LE(std::fabs(got - g[i]), std::fabs(g[i]) * (64 + 4 * a) * 0x1p-53)
                << "alpha " << alpha << " len " << len << " i " << i;
          }
        }
      }
    }
  }
}

TEST(Kaiser, StatusesAndSpecialAlphasAsTheGeneric) {
  double v[5] = {1, 2, 3, 4, 5}, g[5] = {1, 2, 3, 4, 5};
  // 0.5 x 154 x 4 = 308 is accepted, 154.1 is too wide and writes nothing.
  EXPECT_EQ(kb::ippsWinKaiser_64f_I(v, 5, 154.1f), ippStsHugeWinErr);
  EXPECT_EQ(v[0], 1.0);
  EXPECT_EQ(kb::ippsWinKaiser_64f_I(v, 5, 154.0f), gen::ippsWinKaiser_64f_I(g, 5, 154.0f));
  for (int i = 0; i < 5; ++i)
    EXPECT_LE(std::fabs(v[i] - g[i]), std::fabs(g[i]) * 1400 * 0x1p-53) << i;
  double w[3] = {1, 2, 3};
  ASSERT_EQ(kb::ippsWinKaiser_64f_I(w, 3, NAN), ippStsNoErr);
  EXPECT_TRUE(std::isnan(w[0]) && std::isnan(w[2]));
  EXPECT_EQ(w[1], 2.0);
  double one[1] = {7}, out[1] = {0};
  EXPECT_EQ(kb::ippsWinKaiser_64f(one, out, 1, 3.0f), ippStsNoErr);
  EXPECT_EQ(out[0], 7.0);
  EXPECT_EQ(kb::ippsWinKaiser_64f(nullptr, out, 0, 1.0f), ippStsNullPtrErr);
  EXPECT_EQ(kb::ippsWinKaiser_64f(one, nullptr, 1, 1.0f), ippStsNullPtrErr);
  EXPECT_EQ(kb::ippsWinKaiser_64f_I(nullptr, 0, 1.0f), ippStsNullPtrErr);
  EXPECT_EQ(kb::ippsWinKaiser_64f_I(one, 0, 1.0f), ippStsSizeErr);
  EXPECT_EQ(kb::ippsWinKaiser_64f(one, out, -1, 1.0f), ippStsSizeErr);
  // A negative alpha gives the window of its magnitude.
  std::vector<double> a(9, 1.0), b(9, 1.0);
  kb::ippsWinKaiser_64f_I(a.data(), 9, -6.0f);
  kb::ippsWinKaiser_64f_I(b.data(), 9, 6.0f);
  EXPECT_EQ(a, b);
}

} // namespace
