// The largest and smallest element with their index against the generic: the same value
// bits and index over lengths, offsets and placements of NaNs, signed zeros, infinities
// and ties (first element, inside a register pair, in the scalar tail).
#include <bit>
#include <cmath>
#include <cstdint>
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

using Extreme = IppOpStatus (*)(const double *, int, double *, int *);

struct Pair {
  const char *name;
  Extreme kernel, generic;
};

const Pair kPairs[] = {{"Max", ks::ippsMaxIndx_64f, gen::ippsMaxIndx_64f},
                       {"Min", ks::ippsMinIndx_64f, gen::ippsMinIndx_64f}};

// Vectors of small integers (many ties) with one special value planted at `at`.
std::vector<double> planted(std::size_t n, double special, std::size_t at, unsigned seed) {
  std::vector<double> v = test_support::RandomVector<double>(n, seed, -4.0, 4.0);
  for (double &x : v)
    x = std::round(x);
  if (at < n)
    v[at] = special;
  return v;
}

TEST(SignalExtremes, SameValueBitsAndIndexAsTheGeneric) {
  const std::vector<double> specials = {
      std::numeric_limits<double>::quiet_NaN(),
      std::bit_cast<double>(std::uint64_t{0xFFF8000000000123}),
      0.0,
      -0.0,
      INFINITY,
      -INFINITY,
      4.0,
      -4.0,
      std::numeric_limits<double>::denorm_min(),
  };
  for (const Pair &p : kPairs) {
    for (int len : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 64, 65}) {
      const std::size_t n = static_cast<std::size_t>(len);
      for (double special : specials) {
        for (std::size_t at : {std::size_t{0}, std::size_t{1}, n / 2, n - 1, n}) {
          for (unsigned seed : {1u, 2u}) {
            std::vector<double> v = planted(n, special, at, seed + len);
            if (seed == 2) // all zeros of mixed sign: the first one wins
              for (std::size_t i = 0; i < n; ++i)
                v[i] = (i % 3 == 1) ? -0.0 : 0.0;
            for (std::size_t off : {std::size_t{0}, std::size_t{8}, std::size_t{3}}) {
              equivalence::Guarded<double> g(v, off);
              double kv = 7, gv = 7;
              int ki = -7, gi = -7;
              const std::string where = std::string(p.name) + " len " + std::to_string(len) +
                                        " special at " + std::to_string(at) + " offset " +
                                        std::to_string(off) + " seed " + std::to_string(seed);
              ASSERT_EQ(p.kernel(g.get(), len, &kv, &ki), p.generic(v.data(), len, &gv, &gi))
                  << where;
              ASSERT_EQ(std::bit_cast<std::uint64_t>(kv), std::bit_cast<std::uint64_t>(gv))
                  << where;
              ASSERT_EQ(ki, gi) << where;
              // Without an index pointer only the value is written.
              double kv2 = 7;
              ASSERT_EQ(p.kernel(g.get(), len, &kv2, nullptr), ippStsNoErr);
              ASSERT_EQ(std::bit_cast<std::uint64_t>(kv2), std::bit_cast<std::uint64_t>(gv));
            }
          }
        }
      }
    }
  }
}

TEST(SignalExtremes, WorkedCasesAndBadArguments) {
  const double a[] = {1, 3, 3};
  double m;
  int i;
  ASSERT_EQ(ks::ippsMaxIndx_64f(a, 3, &m, &i), ippStsNoErr);
  EXPECT_EQ(m, 3.0);
  EXPECT_EQ(i, 1);
  const double b[] = {1, NAN, 2};
  ASSERT_EQ(ks::ippsMaxIndx_64f(b, 3, &m, &i), ippStsNoErr);
  EXPECT_EQ(m, 2.0);
  EXPECT_EQ(i, 2);
  const double c[] = {NAN, 5, -1};
  ASSERT_EQ(ks::ippsMinIndx_64f(c, 3, &m, &i), ippStsNoErr);
  EXPECT_TRUE(std::isnan(m));
  EXPECT_EQ(i, 0);
  for (const Pair &p : kPairs) {
    double v = 9;
    int k = 9;
    EXPECT_EQ(p.kernel(nullptr, 3, &v, &k), ippStsNullPtrErr);
    EXPECT_EQ(p.kernel(a, 3, nullptr, &k), ippStsNullPtrErr);
    EXPECT_EQ(p.kernel(nullptr, 0, &v, &k), ippStsNullPtrErr);
    EXPECT_EQ(p.kernel(a, 0, &v, &k), ippStsSizeErr);
    EXPECT_EQ(p.kernel(a, -3, &v, &k), ippStsSizeErr);
    EXPECT_EQ(v, 9.0);
    EXPECT_EQ(k, 9);
  }
}

} // namespace
