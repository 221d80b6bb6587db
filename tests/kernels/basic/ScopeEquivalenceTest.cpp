// The scope unit's region fill, byte move, product with a constant and in-place scaled
// sums against its generic variants: the same bytes and statuses (the product within one
// unit in the last place where the generic rounds it through extended precision).
#include <climits>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slscopedispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic;
namespace gen = Slscopedispatcher::generic;

using SetRegion = IppOpStatus (*)(const unsigned char *, unsigned char *, int, tagSIZE);
using Move = IppOpStatus (*)(const unsigned char *, unsigned char *, int);

std::vector<unsigned char> bytes(std::size_t n, unsigned seed) {
  const std::vector<int> v = test_support::RandomVector<int>(n, seed, 0, 256);
  return std::vector<unsigned char>(v.begin(), v.end());
}

TEST(ScopeSet, SameBytesAsTheGenericIncludingOverlappingRowsAndStreamedFills) {
  const unsigned char pixel[4] = {0x11, 0x22, 0x33, 0x44};
  for (SetRegion kernel : {kb::sse2::scope::ippiSet_8u_C4R, kb::sse::scope::ippiSet_8u_C4R}) {
    for (int width : {1, 2, 3, 4, 5, 15, 16, 17, 100, 300}) {
      for (int height : {1, 2, 3, 300}) {
        if (height == 300 && width < 100)
          continue;
        for (int step : {4 * width, 4 * width + 1, 4 * width + 13, 3, 1}) {
          for (std::size_t start : {0, 1, 3}) {
            const std::size_t n = start + static_cast<std::size_t>(step) * height + 4 * width + 16;
            std::vector<unsigned char> a = bytes(n, 5), b = a;
            const tagSIZE roi{width, height};
            ASSERT_EQ(kernel(pixel, a.data() + start, step, roi),
                      gen::ippiSet_8u_C4R(pixel, b.data() + start, step, roi));
            ASSERT_EQ(a, b) << "width " << width << " height " << height << " step " << step;
          }
        }
      }
    }
    std::vector<unsigned char> a(64, 9);
    EXPECT_EQ(kernel(nullptr, a.data(), 16, tagSIZE{2, 2}), ippStsNullPtrErr);
    EXPECT_EQ(kernel(pixel, nullptr, 16, tagSIZE{2, 2}), ippStsNullPtrErr);
    EXPECT_EQ(kernel(pixel, a.data(), 16, tagSIZE{0, 2}), ippStsSizeErr);
    EXPECT_EQ(kernel(pixel, a.data(), 16, tagSIZE{2, 0}), ippStsSizeErr);
    EXPECT_EQ(kernel(pixel, a.data(), 0, tagSIZE{2, 2}), ippStsStepErr);
    EXPECT_EQ(a, std::vector<unsigned char>(64, 9));
  }
}

TEST(ScopeMove, SameBytesAsTheGenericForEveryOverlap) {
  for (Move kernel : {kb::sse2::scope::ippsMove_8u, kb::sse::scope::ippsMove_8u}) {
    for (int len : {1, 15, 16, 17, 63, 64, 65, 1000, 70000}) {
      for (int shift : {0, 1, -1, 7, -7, 16, -33, 200000}) {
        const std::size_t n = static_cast<std::size_t>(len) + 300100;
        std::vector<unsigned char> a = bytes(n, 8), b = a;
        const std::size_t from = 100000, to = static_cast<std::size_t>(100000 + shift);
        ASSERT_EQ(kernel(a.data() + from, a.data() + to, len),
                  gen::ippsMove_8u(b.data() + from, b.data() + to, len));
        ASSERT_EQ(a, b) << "len " << len << " shift " << shift;
      }
    }
    unsigned char x[2] = {1, 2};
    EXPECT_EQ(kernel(nullptr, x, 0), ippStsNullPtrErr);
    EXPECT_EQ(kernel(x, nullptr, 1), ippStsNullPtrErr);
    EXPECT_EQ(kernel(x, x + 1, 0), ippStsSizeErr);
    EXPECT_EQ(x[1], 2);
  }
}

TEST(ScopeMulC, ShortcutsBitExactProductsWithinOneUlp) {
  std::vector<double> src = equivalence::EdgeDoubles();
  for (double x : test_support::RandomVector<double>(101, 61, -1e5, 1e5))
    src.push_back(x);
  const int len = static_cast<int>(src.size());
  for (double c : {1.0, 0.0, -0.0, 2.5, -3.0, 1e-300, double(NAN), double(INFINITY)}) {
    std::vector<double> g(src.size());
    ASSERT_EQ(gen::ippsMulC_64f(src.data(), c, g[0], len), ippStsNoErr);
    for (bool inPlace : {false, true}) {
      std::vector<double> s = src, d(src.size(), 7.0);
      double &out = inPlace ? s[0] : d[0];
      ASSERT_EQ(kb::sse2::scope::ippsMulC_64f(s.data(), c, out, len), ippStsNoErr);
      const std::vector<double> &got = inPlace ? s : d;
      for (std::size_t i = 0; i < src.size(); ++i) {
        if (c == 1.0 || c == 0.0) {
          ASSERT_EQ(std::bit_cast<std::uint64_t>(got[i]), std::bit_cast<std::uint64_t>(g[i]))
              << c << " " << src[i];
        } else {
          ASSERT_TRUE(equivalence::SameOrBothNaN(got[i], src[i] * c)) << c << " " << src[i];
          ASSERT_LE(equivalence::Ulps(got[i], g[i]), 1u) << c << " " << src[i];
        }
      }
    }
  }
  double v[2] = {1, 2};
  EXPECT_EQ(kb::sse2::scope::ippsMulC_64f(nullptr, 2.0, v[0], 0), ippStsNullPtrErr);
  EXPECT_EQ(kb::sse2::scope::ippsMulC_64f(v, 2.0, v[0], 0), ippStsSizeErr);
  EXPECT_EQ(v[0], 1.0);
}

TEST(ScopeScaledConstant, SameResultsAsTheGenericInEveryScaleClass) {
  std::vector<int> base = {0, 1, -1, 3, -3, INT_MAX, INT_MIN, INT_MAX - 1, INT_MIN + 1};
  for (int x : test_support::RandomVector<int>(60, 62, INT_MIN, INT_MAX))
    base.push_back(x);
  const int len = static_cast<int>(base.size());
  using Fn = IppOpStatus (*)(int, int &, int, int);
  const std::pair<Fn, Fn> ops[] = {
      {kb::sse2::scope::ippsAddC_32s_ISfs, gen::ippsAddC_32s_ISfs},
      {kb::sse2::scope::ippsSubCRev_32s_ISfs, gen::ippsSubCRev_32s_ISfs}};
  for (const auto &[kernel, generic] : ops) {
    for (int val : {0, 1, -1, 1000, INT_MAX, INT_MIN}) {
      for (int sf : {INT_MIN, -40, -31, -30, -1, 0, 1, 2, 31, 32, 33, 40, INT_MAX}) {
        std::vector<int> a = base, b = base;
        ASSERT_EQ(kernel(val, a[0], len, sf), generic(val, b[0], len, sf));
        ASSERT_EQ(a, b) << "val " << val << " sf " << sf;
      }
    }
    int x = 5;
    EXPECT_EQ(kernel(1, x, 0, 0), ippStsSizeErr);
    EXPECT_EQ(x, 5);
  }
}

} // namespace
