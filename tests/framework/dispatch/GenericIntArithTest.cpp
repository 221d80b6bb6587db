// Integer element arithmetic with scale factors, called by name through the
// dispatch slots, checked against a long double reference of the common rule.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"

namespace {

// The rule the operations follow: r · 2^-sf, nearest with ties to even, saturated.
// |r| < 2^63 is exact in long double, and so is the power-of-two scaling.
template <class T> T reference(long double r, int sf) {
  const long double q = std::nearbyint(std::ldexp(r, -std::clamp(sf, -200, 200)));
  if (q < std::numeric_limits<T>::min())
    return std::numeric_limits<T>::min();
  if (q > std::numeric_limits<T>::max())
    return std::numeric_limits<T>::max();
  return static_cast<T>(q);
}

// ---- worked cases: rounding ties, saturation and zero divisors by hand ----------------

struct Case8u {
  const char *name;
  IppOpStatus (*op)(const unsigned char *, unsigned char *, int, int);
  unsigned char x, src;
  int sf;
  unsigned char expected;
};

class IntArithVector8u : public ::testing::TestWithParam<Case8u> {};

TEST_P(IntArithVector8u, ScalesRoundsAndSaturates) {
  const Case8u &c = GetParam();
  unsigned char x = c.x;
  EXPECT_EQ(ippStsNoErr, c.op(&c.src, &x, 1, c.sf));
  EXPECT_EQ(c.expected, x);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IntArithVector8u,
    ::testing::Values(
        Case8u{"AddSaturates", Slbasicdispatcher::ippsAdd_8u_ISfs, 200, 100, 0, 255},
        Case8u{"AddHalves", Slbasicdispatcher::ippsAdd_8u_ISfs, 200, 100, 1, 150},
        Case8u{"AddScaledUpSaturates", Slbasicdispatcher::ippsAdd_8u_ISfs, 200, 100, -8, 255},
        Case8u{"ZeroScaledUpStaysZero", Slbasicdispatcher::ippsAdd_8u_ISfs, 0, 0, -8, 0},
        Case8u{"TieToEvenDown", Slbasicdispatcher::ippsAdd_8u_ISfs, 2, 3, 1, 2},
        Case8u{"TieToEvenUp", Slbasicdispatcher::ippsAdd_8u_ISfs, 1, 2, 1, 2},
        Case8u{"SubBelowZeroGivesZero", Slbasicdispatcher::ippsSub_8u_ISfs, 10, 20, 0, 0},
        Case8u{"MulHugeScaleGivesZero", Slbasicdispatcher::ippsMul_8u_ISfs, 255, 255, 17, 0},
        Case8u{"MulScaled", Slbasicdispatcher::ippsMul_8u_ISfs, 255, 255, 8, 254},
        Case8u{"MostNegativeScale", Slbasicdispatcher::ippsMul_8u_ISfs, 1, 1, INT_MIN, 255},
        Case8u{"MostPositiveScale", Slbasicdispatcher::ippsMul_8u_ISfs, 255, 255, INT_MAX, 0}),
    [](const auto &info) { return info.param.name; });

TEST(IntArithScopeConstants, AddCAndSubCRevOnTheFirstElement) {
  int x[2] = {INT_MAX, 5};
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsAddC_32s_ISfs(1, x[0], 1, 0));
  EXPECT_EQ(INT_MAX, x[0]);
  EXPECT_EQ(5, x[1]);
  x[0] = INT_MAX;
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsAddC_32s_ISfs(1, x[0], 1, 1));
  EXPECT_EQ(1073741824, x[0]);
  int y[3] = {INT_MIN, 10, -7};
  EXPECT_EQ(ippStsNoErr, Slscopedispatcher::ippsSubCRev_32s_ISfs(0, y[0], 3, 0));
  EXPECT_EQ(INT_MAX, y[0]);
  EXPECT_EQ(-10, y[1]);
  EXPECT_EQ(7, y[2]);
  EXPECT_EQ(ippStsSizeErr, Slscopedispatcher::ippsSubCRev_32s_ISfs(0, y[0], 0, 0));
}

TEST(IntArithConstants16s, MulCRoundsHalvesToEven) {
  short x[2] = {3, 3};
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsMulC_16s_ISfs(5, &x[0], 1, 1));
  EXPECT_EQ(8, x[0]); // 7.5
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsMulC_16s_ISfs(3, &x[1], 1, 1));
  EXPECT_EQ(4, x[1]); // 4.5
}

TEST(IntArithConstants16s, MulCByZeroStoresZerosWhateverTheScale) {
  for (int sf : {INT_MIN, -20, 0, 3, INT_MAX}) {
    short x[3] = {-32768, 1, 32767};
    EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsMulC_16s_ISfs(0, x, 3, sf));
    EXPECT_EQ(0, x[0] | x[1] | x[2]) << "sf " << sf;
  }
}

// ---- the common rule against the reference -----------------------------------

TEST(IntArithScaleRule, EightBitVectorsExhaustively) {
  std::vector<unsigned char> all(256);
  for (int i = 0; i < 256; ++i)
    all[i] = static_cast<unsigned char>(i);
  for (int sf = -10; sf <= 18; ++sf) {
    for (int x = 0; x < 256; ++x) {
      std::vector<unsigned char> add(256, static_cast<unsigned char>(x)), sub = add, mul = add;
      ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsAdd_8u_ISfs(all.data(), add.data(), 256, sf));
      ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsSub_8u_ISfs(all.data(), sub.data(), 256, sf));
      ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsMul_8u_ISfs(all.data(), mul.data(), 256, sf));
      for (int s = 0; s < 256; ++s) {
        ASSERT_EQ(reference<unsigned char>(x + s, sf), add[s]) << x << "+" << s << " sf " << sf;
        ASSERT_EQ(reference<unsigned char>(x - s, sf), sub[s]) << x << "-" << s << " sf " << sf;
        ASSERT_EQ(reference<unsigned char>(x * s, sf), mul[s]) << x << "*" << s << " sf " << sf;
      }
    }
  }
}

TEST(IntArithScaleRule, EightBitConstantsExhaustively) {
  for (int sf = -9; sf <= 10; ++sf) {
    for (int val = 0; val < 256; val += 5) {
      std::vector<unsigned char> add(256), sub(256);
      for (int i = 0; i < 256; ++i)
        add[i] = sub[i] = static_cast<unsigned char>(i);
      const auto v = static_cast<unsigned char>(val);
      ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippsAddC_8u_ISfs(v, add.data(), 256, sf));
      ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippsSubC_8u_ISfs(v, sub.data(), 256, sf));
      for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(reference<unsigned char>(i + val, sf), add[i]) << i << "+" << val << " sf " << sf;
        ASSERT_EQ(reference<unsigned char>(i - val, sf), sub[i]) << i << "-" << val << " sf " << sf;
      }
    }
  }
}

class IntArithScaleFactors : public ::testing::TestWithParam<int> {};

TEST_P(IntArithScaleFactors, ThirtyTwoBitVectorsAgainstTheReference) {
  const int sf = GetParam();
  std::mt19937 rng(1234u + static_cast<unsigned>(sf));
  std::uniform_int_distribution<int> any(INT_MIN, INT_MAX);
  std::uniform_int_distribution<int> small(-70000, 70000);
  const int n = 512;
  std::vector<int> src(n), x(n);
  for (int i = 0; i < n; ++i) {
    src[i] = i % 2 ? any(rng) : small(rng);
    x[i] = i % 3 ? any(rng) : small(rng);
  }
  src[0] = INT_MIN;
  x[0] = INT_MIN; // (-2^31)² = 2^62, the largest exact product
  std::vector<int> add = x, sub = x, mul = x;
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsAdd_32s_ISfs(src.data(), add.data(), n, sf));
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsSub_32s_ISfs(src.data(), sub.data(), n, sf));
  ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsMul_32s_ISfs(src.data(), mul.data(), n, sf));
  for (int i = 0; i < n; ++i) {
    const long double a = x[i], b = src[i];
    ASSERT_EQ(reference<int>(a + b, sf), add[i]) << x[i] << " + " << src[i];
    ASSERT_EQ(reference<int>(a - b, sf), sub[i]) << x[i] << " - " << src[i];
    ASSERT_EQ(reference<int>(a * b, sf), mul[i]) << x[i] << " * " << src[i];
  }
}

TEST_P(IntArithScaleFactors, SixteenBitRegionsAndConstantsAgainstTheReference) {
  const int sf = GetParam();
  std::mt19937 rng(99u + static_cast<unsigned>(sf));
  std::uniform_int_distribution<int> any(SHRT_MIN, SHRT_MAX);
  const tagSIZE roi{5, 8};
  const int step = 6 * sizeof(short); // one spare element per row stays untouched
  std::vector<short> src(6 * 8), x(6 * 8);
  for (auto &v : src)
    v = static_cast<short>(any(rng));
  for (auto &v : x)
    v = static_cast<short>(any(rng));
  const short val = static_cast<short>(any(rng));
  std::vector<short> add = x, sub = x, mul = x, addC = x, subC = x, mulC = x;
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiAdd_16s_C1IRSfs(src.data(), step, add.data(), step, roi, sf));
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiSub_16s_C1IRSfs(src.data(), step, sub.data(), step, roi, sf));
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiMul_16s_C1IRSfs(src.data(), step, mul.data(), step, roi, sf));
  ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippiAddC_16s_C1IRSfs(val, addC.data(), step, roi, sf));
  ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippiSubC_16s_C1IRSfs(val, subC.data(), step, roi, sf));
  ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippiMulC_16s_C1IRSfs(val, mulC.data(), step, roi, sf));
  for (int i = 0; i < 48; ++i) {
    if (i % 6 == 5) {
      EXPECT_EQ(x[i], add[i]);
      EXPECT_EQ(x[i], mulC[i]);
      continue;
    }
    ASSERT_EQ(reference<short>(x[i] + src[i], sf), add[i]);
    ASSERT_EQ(reference<short>(x[i] - src[i], sf), sub[i]);
    ASSERT_EQ(reference<short>(x[i] * src[i], sf), mul[i]);
    ASSERT_EQ(reference<short>(x[i] + val, sf), addC[i]);
    ASSERT_EQ(reference<short>(x[i] - val, sf), subC[i]);
    ASSERT_EQ(reference<short>(x[i] * val, sf), mulC[i]);
  }
  std::vector<short> vAdd(x.begin(), x.begin() + 8), vSub = vAdd, vMul = vAdd;
  ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippsAddC_16s_ISfs(val, vAdd.data(), 8, sf));
  ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippsSubC_16s_ISfs(val, vSub.data(), 8, sf));
  ASSERT_EQ(ippStsNoErr, Albasicdispatcher::ippsMulC_16s_ISfs(val, vMul.data(), 8, sf));
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(reference<short>(x[i] + val, sf), vAdd[i]);
    ASSERT_EQ(reference<short>(x[i] - val, sf), vSub[i]);
    ASSERT_EQ(reference<short>(x[i] * val, sf), vMul[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Range, IntArithScaleFactors,
                         ::testing::Values(INT_MIN, -64, -63, -62, -33, -31, -16, -15, -8, -1, 0, 1,
                                           2, 15, 16, 17, 30, 31, 32, 33, 62, 63, 64, INT_MAX));

// ---- division ------------------------------------------------------------------

TEST(IntArithDivision32s, RoundsHalvesToEvenAndSaturates) {
  const std::vector<int> src{2, 2, 2, -1, 3, 7};
  std::vector<int> x{7, 5, -7, INT_MIN, -1, 21};
  EXPECT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_32s_ISfs(src.data(), x.data(), 6, 0));
  EXPECT_EQ((std::vector<int>{4, 2, -4, INT_MAX, 0, 3}), x);
}

TEST(IntArithDivision32s, ZeroDivisorGivesTheExtremeOfTheSignAndWarns) {
  const std::vector<int> src{0, 0, 0, 4};
  std::vector<int> x{7, -7, 0, 10};
  EXPECT_EQ(ippStsDivByZero, Slbasicdispatcher::ippsDiv_32s_ISfs(src.data(), x.data(), 4, 1));
  EXPECT_EQ((std::vector<int>{INT_MAX, INT_MIN, 0, 1}), x); // 10/4/2 = 1.25
}

TEST(IntArithDivision32s, ScaleFactorExtremes) {
  const std::vector<int> src{1, -1, 3, 1};
  std::vector<int> x{INT_MAX, INT_MAX, -5, 0};
  EXPECT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_32s_ISfs(src.data(), x.data(), 4, 33));
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), x);
  x = {1, 1, -5, 0};
  EXPECT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_32s_ISfs(src.data(), x.data(), 4, -63));
  EXPECT_EQ((std::vector<int>{INT_MAX, INT_MIN, INT_MIN, 0}), x);
  x = {1, 3, -5, 7};
  EXPECT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_32s_ISfs(src.data(), x.data(), 4, -2));
  EXPECT_EQ((std::vector<int>{4, -12, -7, 28}), x); // -20/3 = -6.67
  x = {INT_MAX, 1, 1, 3};
  EXPECT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_32s_ISfs(src.data(), x.data(), 4, 32));
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), x); // 2^31 - 1 over 2^32 is just below a half
}

TEST(IntArithDivision32s, ScaleFactorsBeyondThirtyOneBits) {
  struct Row {
    int x, d, sf, expected;
  };
  const Row rows[] = {
      {1, 1073741824, -32, 4},                 // 2^32 / 2^30
      {-3, INT_MAX, -32, -6},                  // -6.0000000028
      {1, 3, -40, INT_MAX},                    // 2^40 / 3
      {-1, 3, -62, INT_MIN},                   // scaled up to the limit
      {INT_MIN, -1, 31, 1},                    // 2^31 / 2^31
      {INT_MIN, -1, 32, 0},                    // a half goes to the even 0
      {INT_MIN, 1, 32, 0},      {3, 1, 33, 0}, // 3 / 2^33
      {INT_MAX, 1, 35, 0},                     // 1/16
      {INT_MIN, 1, 30, -2},                    // -2^31 / 2^30
      {1610612736, 1, 32, 0},                  // 0.375
      {-1610612736, -1, 31, 1},                // 0.75
  };
  for (const Row &r : rows) {
    int x = r.x;
    ASSERT_EQ(ippStsNoErr, Slbasicdispatcher::ippsDiv_32s_ISfs(&r.d, &x, 1, r.sf));
    EXPECT_EQ(r.expected, x) << r.x << " / " << r.d << " sf " << r.sf;
  }
}

TEST(IntArithDivision16s, RegionZeroDivisorAndSaturation) {
  const std::vector<short> src{0, 0, 0, -1, 2, 4};
  std::vector<short> x{7, -7, 0, -32768, 5, 10};
  EXPECT_EQ(ippStsDivByZero,
            Albasicdispatcher::ippiDiv_16s_C1IRSfs(src.data(), 6, x.data(), 6, tagSIZE{3, 2}, 0));
  EXPECT_EQ((std::vector<short>{32767, -32768, 0, 32767, 2, 2}), x); // 5/2 → 2, 10/4 → 2
}

TEST(IntArithDivision16s, RegionScaledQuotients) {
  const std::vector<short> src{3, -3, 7, 1};
  std::vector<short> x{1, 1, -32768, 1};
  EXPECT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiDiv_16s_C1IRSfs(src.data(), 8, x.data(), 8, tagSIZE{4, 1}, -4));
  EXPECT_EQ((std::vector<short>{5, -5, -32768, 16}), x); // 16/3 = 5.33
}

TEST(IntArithDivision16s, ConstantDivision) {
  std::vector<short> x{7, 5, 9, 15, -32768, 100};
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsDivC_16s_ISfs(2, x.data(), 2, 0));
  EXPECT_EQ(4, x[0]); // 3.5
  EXPECT_EQ(2, x[1]); // 2.5
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsDivC_16s_ISfs(6, &x[2], 2, 0));
  EXPECT_EQ(2, x[2]);
  EXPECT_EQ(2, x[3]);
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsDivC_16s_ISfs(-1, &x[4], 1, 0));
  EXPECT_EQ(32767, x[4]);
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsDivC_16s_ISfs(3, &x[5], 1, -1));
  EXPECT_EQ(67, x[5]); // 200/3 = 66.67
}

TEST(IntArithDivision16s, ConstantDivisionKeepsExactHalvesOnTheEvenSide) {
  // The factor 1/val is rounded, so m·x can land a few units of the last place off
  // an exact half (for val 30 a plain nearest rounding of m·x misses hundreds);
  // rounding at the scale of 32768 absorbs that.
  for (short val : {6, 10, 30, -30, 34, 250}) {
    std::vector<short> x;
    std::vector<short> expected;
    for (int v = -32768; v <= 32767; ++v) {
      if ((2 * v) % val != 0 || ((2 * v / val) & 1) == 0)
        continue; // only exact halves
      x.push_back(static_cast<short>(v));
      const int down = static_cast<int>(std::floor(static_cast<double>(v) / val));
      expected.push_back(static_cast<short>(down % 2 == 0 ? down : down + 1));
    }
    ASSERT_FALSE(x.empty());
    ASSERT_EQ(ippStsNoErr,
              Albasicdispatcher::ippsDivC_16s_ISfs(val, x.data(), static_cast<int>(x.size()), 0));
    EXPECT_EQ(expected, x) << "val " << val;
  }
}

TEST(IntArithDivision16s, ConstantDivisionScaleExtremes) {
  std::vector<short> x{1, -1, 0, 32767};
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsDivC_16s_ISfs(7, x.data(), 4, INT_MIN));
  EXPECT_EQ((std::vector<short>{32767, -32768, 0, 32767}), x);
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippsDivC_16s_ISfs(1, x.data(), 4, INT_MAX));
  EXPECT_EQ((std::vector<short>{0, 0, 0, 0}), x);
}

TEST(IntArithDivision16s, ConstantZeroIsAnErrorAndWritesNothing) {
  std::vector<short> x{1, 2, 3};
  EXPECT_EQ(ippStsDivByZeroErr, Albasicdispatcher::ippsDivC_16s_ISfs(0, x.data(), 3, 0));
  EXPECT_EQ(ippStsDivByZeroErr,
            Albasicdispatcher::ippiDivC_16s_C1IRSfs(0, x.data(), 2, tagSIZE{1, 3}, 0));
  EXPECT_EQ((std::vector<short>{1, 2, 3}), x);
}

TEST(IntArithDivision16s, RegionConstantDivisionWalksTheRows) {
  std::vector<short> x{10, 11, 20, 21}; // two rows of one element: the left channel of stereo
  EXPECT_EQ(ippStsNoErr, Albasicdispatcher::ippiDivC_16s_C1IRSfs(4, x.data(), 4, tagSIZE{1, 2}, 0));
  EXPECT_EQ((std::vector<short>{2, 11, 5, 21}), x); // 2.5 → 2
}

// ---- regions and statuses ------------------------------------------------------------

TEST(IntArithRegions, WidthOneWalksInterleavedFrames) {
  const std::vector<short> src{100, -1, 200, -1};
  std::vector<short> x{1, 50, 2, 60};
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiAdd_16s_C1IRSfs(src.data(), 4, x.data(), 4, tagSIZE{1, 2}, 0));
  EXPECT_EQ((std::vector<short>{101, 50, 202, 60}), x);
  std::vector<unsigned char> bytes{250, 1, 10, 1, 0, 1};
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiAddC_8u_C1IRSfs(10, bytes.data(), 2, tagSIZE{1, 3}, 0));
  ASSERT_EQ(ippStsNoErr,
            Albasicdispatcher::ippiSubC_8u_C1IRSfs(20, bytes.data() + 1, 2, tagSIZE{1, 3}, 0));
  EXPECT_EQ((std::vector<unsigned char>{255, 0, 20, 0, 10, 0}), bytes);
}

struct RegionStatusCase {
  const char *name;
  IppOpStatus (*call)(short *p, int step, tagSIZE roi);
};

#define REGION2(op)                                                                                \
  RegionStatusCase {                                                                               \
#op, [](short *p, int step,                                                                    \
            tagSIZE roi) { return Albasicdispatcher::op(p, step, p, step, roi, 0); }               \
  }
#define REGION1(op)                                                                                \
  RegionStatusCase {                                                                               \
#op, [](short *p, int step, tagSIZE roi) { return Albasicdispatcher::op(3, p, step, roi, 0); } \
  }

class IntArithRegionStatuses : public ::testing::TestWithParam<RegionStatusCase> {};

// Steps below 1 are refused for every in-place region operation: with a step of 0
// an in-place operation would work the same row over and over.
TEST_P(IntArithRegionStatuses, NullThenSizeThenStep) {
  const auto &c = GetParam();
  std::vector<short> x{1, 2, 3, 4};
  const std::vector<short> before = x;
  EXPECT_EQ(ippStsNullPtrErr, c.call(nullptr, 0, tagSIZE{0, 0}));
  EXPECT_EQ(ippStsSizeErr, c.call(x.data(), 0, tagSIZE{0, 2}));
  EXPECT_EQ(ippStsSizeErr, c.call(x.data(), 4, tagSIZE{2, -1}));
  EXPECT_EQ(ippStsStepErr, c.call(x.data(), 0, tagSIZE{2, 2}));
  EXPECT_EQ(ippStsStepErr, c.call(x.data(), -4, tagSIZE{2, 2}));
  EXPECT_EQ(before, x);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, IntArithRegionStatuses,
    ::testing::Values(REGION2(ippiAdd_16s_C1IRSfs), REGION2(ippiSub_16s_C1IRSfs),
                      REGION2(ippiMul_16s_C1IRSfs), REGION2(ippiDiv_16s_C1IRSfs),
                      REGION1(ippiAddC_16s_C1IRSfs), REGION1(ippiSubC_16s_C1IRSfs),
                      REGION1(ippiMulC_16s_C1IRSfs), REGION1(ippiDivC_16s_C1IRSfs)),
    [](const auto &info) { return info.param.name; });

TEST(IntArithRegionStatuses, StepIsTestedBeforeAZeroConstant) {
  short x = 1;
  EXPECT_EQ(ippStsStepErr, Albasicdispatcher::ippiDivC_16s_C1IRSfs(0, &x, 0, tagSIZE{1, 1}, 0));
  unsigned char b = 1;
  EXPECT_EQ(ippStsStepErr, Albasicdispatcher::ippiAddC_8u_C1IRSfs(1, &b, 0, tagSIZE{1, 1}, 0));
  EXPECT_EQ(ippStsStepErr, Albasicdispatcher::ippiSubC_8u_C1IRSfs(1, &b, -1, tagSIZE{1, 1}, 0));
  EXPECT_EQ(ippStsStepErr, Albasicdispatcher::ippiAdd_16s_C1IRSfs(&x, 0, &x, 2, tagSIZE{1, 1}, 0));
  EXPECT_EQ(1, x);
  EXPECT_EQ(1, b);
}

TEST(IntArithVectorStatuses, NullBeforeLength) {
  int i = 1;
  short s = 1;
  unsigned char b = 1;
  EXPECT_EQ(ippStsNullPtrErr, Slbasicdispatcher::ippsAdd_32s_ISfs(nullptr, &i, 0, 0));
  EXPECT_EQ(ippStsNullPtrErr, Slbasicdispatcher::ippsDiv_32s_ISfs(&i, nullptr, 1, 0));
  EXPECT_EQ(ippStsSizeErr, Slbasicdispatcher::ippsDiv_32s_ISfs(&i, &i, 0, 0));
  EXPECT_EQ(ippStsSizeErr, Slbasicdispatcher::ippsMul_8u_ISfs(&b, &b, -3, 0));
  EXPECT_EQ(ippStsNullPtrErr, Albasicdispatcher::ippsAddC_16s_ISfs(1, nullptr, 0, 0));
  EXPECT_EQ(ippStsNullPtrErr, Albasicdispatcher::ippsDivC_16s_ISfs(0, nullptr, 1, 0));
  EXPECT_EQ(ippStsSizeErr, Albasicdispatcher::ippsDivC_16s_ISfs(0, &s, 0, 0));
  EXPECT_EQ(ippStsSizeErr, Albasicdispatcher::ippsSubC_8u_ISfs(1, &b, 0, 0));
  EXPECT_EQ(1, i);
  EXPECT_EQ(1, s);
  EXPECT_EQ(1, b);
}

} // namespace
