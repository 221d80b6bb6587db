// Maximum and minimum of the processor classes equal the generic's bit for bit (NaN never
// wins after the first element, the first of equal zeros stays); the packed sum stays
// within the rounding bound of a double summation of the generic's extended sum.
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

using Reduction = IppOpStatus (*)(const double *, int, double *);

struct ExtremeRow {
  const char *name;
  Reduction kernel;
  Reduction generic;
};

const ExtremeRow kExtremeRows[] = {{"Max", kb::ippsMax_64f, gen::ippsMax_64f},
                                   {"Min", kb::ippsMin_64f, gen::ippsMin_64f}};

// Vectors that put NaNs, signed zeros and infinities at the start, in the middle, in
// every lane and at the end, beside random ones.
std::vector<std::vector<double>> extremeCases() {
  const double nan = NAN;
  std::vector<std::vector<double>> cases = {
      {1, nan, 3},       {nan, 5},           {-0.0, 0.0},     {0.0, -0.0},
      {1, 3, nan},       {nan, 5, 7},        {-1, -0.0, 0.0}, {-1, 0.0, -0.0, -0.0},
      {INFINITY, nan},   {-INFINITY, 2, -3}, {nan, nan, nan}, {0.0, 0.0, -0.0, -0.0, 0.0},
      {2, 2, 2, 2, 2, 2}};
  const std::vector<double> r = test_support::RandomVector<double>(200, 7, -100, 100);
  for (int len : {1, 2, 3, 7, 8, 9, 15, 16, 17, 63, 64, 65, 200}) {
    std::vector<double> v(r.begin(), r.begin() + len);
    cases.push_back(v);
    // A NaN and a pair of zeros of both signs at positions that hit each lane and block.
    for (int at : {0, 1, 2, 5, len / 2, len - 1}) {
      if (at < 0 || at >= len)
        continue;
      std::vector<double> w(static_cast<std::size_t>(len), -5.0);
      w[static_cast<std::size_t>(at)] = at % 2 ? -0.0 : 0.0;
      w[static_cast<std::size_t>((at + 3) % len)] = at % 2 ? 0.0 : -0.0;
      cases.push_back(w);
      std::vector<double> x = v;
      x[static_cast<std::size_t>(at)] = nan;
      cases.push_back(x);
      std::vector<double> y(static_cast<std::size_t>(len), 5.0);
      y[static_cast<std::size_t>(at)] = at % 2 ? 0.0 : -0.0;
      y[static_cast<std::size_t>((at * 7 + 1) % len)] = at % 2 ? -0.0 : 0.0;
      cases.push_back(y);
    }
  }
  return cases;
}

class Extreme : public ::testing::TestWithParam<ExtremeRow> {};

TEST_P(Extreme, EqualsTheGenericBitForBitAtEveryAddress) {
  const ExtremeRow &r = GetParam();
  for (const std::vector<double> &c : extremeCases()) {
    const int len = static_cast<int>(c.size());
    double want = 0;
    ASSERT_EQ(r.generic(c.data(), len, &want), ippStsNoErr);
    for (std::size_t off : equivalence::Offsets()) {
      Guarded<double> src(c, off);
      double got = 42;
      ASSERT_EQ(r.kernel(src.get(), len, &got), ippStsNoErr);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want))
          << r.name << " len " << len << " got " << got << " want " << want;
    }
  }
}

TEST_P(Extreme, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const ExtremeRow &r = GetParam();
  const double v[2] = {1, 2};
  for (int len : {2, 0, -1}) {
    for (int nul = 0; nul < 3; ++nul) {
      if (nul == 0 && len > 0)
        continue;
      double out = 7, g = 7;
      const double *src = nul == 1 ? nullptr : v;
      const IppOpStatus want = r.generic(src, len, nul == 2 ? nullptr : &g);
      EXPECT_EQ(r.kernel(src, len, nul == 2 ? nullptr : &out), want) << r.name;
      EXPECT_EQ(out, 7.0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stats, Extreme, ::testing::ValuesIn(kExtremeRows),
                         [](const auto &info) { return std::string(info.param.name); });

// Bound: a double summation of n terms in any order is within (n - 1) 2^-53 sum |x| of
// the exact sum; the generic's extended sum is within 2^-53 |sum| + n 2^-64 sum |x|.
TEST(Sum, WithinTheDoubleSummationBoundOfTheGeneric) {
  const std::vector<double> r = test_support::RandomVector<double>(5000, 9, -1e3, 1e3);
  for (int len : {1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 63, 64, 65, 4410, 4800, 5000}) {
    double want = 0;
    ASSERT_EQ(gen::ippsSum_64f(r.data(), len, &want), ippStsNoErr);
    long double abs = 0;
    for (int i = 0; i < len; ++i)
      abs += std::fabs(r[static_cast<std::size_t>(i)]);
    for (std::size_t off : equivalence::Offsets()) {
      Guarded<double> src(std::vector<double>(r.begin(), r.begin() + len), off);
      double got = 0;
      ASSERT_EQ(kb::ippsSum_64f(src.get(), len, &got), ippStsNoErr);
      EXPECT_LE(std::fabs(static_cast<long double>(got) - want),
                (len + 1) * 0x1p-53L * abs + 0x1p-53L * std::fabs(want))
          << "len " << len;
      if (len == 1) {
        EXPECT_EQ(got, r[0]);
      }
    }
  }
  // Cancelling values: exact in both, and infinities and NaNs as the generic.
  const std::vector<std::vector<double>> exact = {
      {0x1p60, 1, -0x1p60, 1}, {1, 2, 3, 4, 5}, {INFINITY, 1, 2}, {INFINITY, -INFINITY, 1}, {NAN}};
  for (const auto &v : exact) {
    double got, want;
    kb::ippsSum_64f(v.data(), static_cast<int>(v.size()), &got);
    gen::ippsSum_64f(v.data(), static_cast<int>(v.size()), &want);
    EXPECT_TRUE(equivalence::SameOrBothNaN(got, want)) << got << " " << want;
  }
}

TEST(Sum, BadArgumentsGiveTheGenericStatus) {
  const double v[1] = {1};
  double out = 3;
  EXPECT_EQ(kb::ippsSum_64f(nullptr, 0, &out), ippStsNullPtrErr);
  EXPECT_EQ(kb::ippsSum_64f(v, 1, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(kb::ippsSum_64f(v, 0, &out), ippStsSizeErr);
  EXPECT_EQ(out, 3.0);
}

} // namespace
