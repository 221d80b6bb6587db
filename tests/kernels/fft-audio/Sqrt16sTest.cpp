// The 16-bit integer square roots against exact integer rules: every non-negative input at
// every scale factor, through the estimate path and through the exact path that a zero
// lane selects, plus the complex roots and the tail's writes.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-audio/Sqrt16s.h"

namespace {

using kernels::fft_audio::ownsSqrtArray_16s_Sfs_Sse2;
using kernels::fft_audio::ownsSqrtArray_16sc_Sse2;

std::uint64_t isqrt(std::uint64_t x) {
  auto r = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(x)));
  while (r * r > x)
    --r;
  while ((r + 1) * (r + 1) <= x)
    ++r;
  return r;
}

// round(sqrt(x) * 2^-sf), ties to even, saturated to 32767; 0 for x <= 0.
std::int16_t exactRoot(int x, int sf) {
  if (x <= 0)
    return 0;
  std::uint64_t q;
  if (sf >= 0) {
    if (sf > 20)
      return 0;
    const std::uint64_t d = std::uint64_t{1} << sf;
    q = isqrt(static_cast<std::uint64_t>(x)) / d; // floor(sqrt(x) / d)
    const std::uint64_t edge = (2 * q + 1) * (2 * q + 1) * d * d;
    const std::uint64_t four = 4 * static_cast<std::uint64_t>(x);
    if (four > edge || (four == edge && (q & 1) != 0))
      ++q;
  } else {
    if (-2 * sf > 40)
      return INT16_MAX;
    const std::uint64_t big = static_cast<std::uint64_t>(x) << (-2 * sf);
    q = isqrt(big);
    if (big > q * q + q)
      ++q;
  }
  return static_cast<std::int16_t>(q > 32767 ? 32767 : q);
}

std::int64_t roundedRoot(std::int64_t p) {
  const auto q = static_cast<std::int64_t>(isqrt(static_cast<std::uint64_t>(p)));
  return p > q * q + q ? q + 1 : q;
}

// The complex root by the rule the block promises, in exact integers.
std::pair<std::int16_t, std::int16_t> exactComplexRoot(int a, int b) {
  std::int64_t p = std::int64_t{a} * a + std::int64_t{b} * b;
  if (p > INT32_MAX)
    p = INT32_MAX;
  const std::int64_t m = roundedRoot(p);
  const std::int64_t u = (m + a + 1) >> 1;
  const std::int64_t v = (m - a + 1) >> 1;
  const std::int64_t re = roundedRoot(u);
  const std::int64_t im = roundedRoot(v);
  return {static_cast<std::int16_t>(re), static_cast<std::int16_t>(b < 0 ? -im : im)};
}

TEST(Sqrt16s, EveryInputAtEveryScaleMatchesTheExactRoot) {
  // The first layout puts each value in its natural lane (only the first vector holds a
  // 0, so the others take the reciprocal estimate); the second puts a 0 in lane 0 of every
  // vector, which sends every value through the exact-root path.
  std::vector<std::int16_t> natural(32768);
  for (int x = 0; x < 32768; ++x)
    natural[static_cast<std::size_t>(x)] = static_cast<std::int16_t>(x);
  std::vector<std::int16_t> withZeros;
  for (int x = 1; x < 32768; ++x) {
    if (withZeros.size() % 8 == 0)
      withZeros.push_back(0);
    withZeros.push_back(static_cast<std::int16_t>(x));
  }
  for (int sf = -16; sf <= 10; ++sf) {
    for (const auto *src : {&natural, &withZeros}) {
      std::vector<std::int16_t> dst(src->size(), -1);
      ASSERT_EQ(
          ownsSqrtArray_16s_Sfs_Sse2(src->data(), dst.data(), static_cast<int>(dst.size()), sf),
          ippStsNoErr);
      int mismatches = 0;
      for (std::size_t i = 0; i < dst.size(); ++i) {
        const int x = (*src)[i];
        if (dst[i] != exactRoot(x, sf) && ++mismatches <= 3)
          ADD_FAILURE() << "scale " << sf << " x " << x << ": " << dst[i] << " expected "
                        << exactRoot(x, sf);
      }
      EXPECT_EQ(mismatches, 0) << "scale " << sf;
    }
  }
}

TEST(Sqrt16s, NamedCasesAndTies) {
  struct Case {
    std::int16_t x;
    int sf;
    std::int16_t root;
  };
  const Case cases[] = {
      {32767, 0, 181}, {32761, 0, 181}, {32580, 0, 180}, {32581, 0, 181}, // 180.5^2 = 32580.25
      {9, 1, 2},       {25, 1, 2},      {63, 1, 4},      {49, 1, 4},      // 3.5 -> 4
      {16384, 8, 0},   {16385, 8, 1},   {100, 2, 2},     {36, 2, 2},      // 1.5 -> 2
      {1, -14, 16384}, {2, -14, 23170}, {3, -15, 32767}, {0, -15, 0},     {32767, -8, 32767}};
  for (const auto &c : cases) {
    std::int16_t out = -1;
    EXPECT_EQ(ownsSqrtArray_16s_Sfs_Sse2(&c.x, &out, 1, c.sf), ippStsNoErr);
    EXPECT_EQ(out, c.root) << "x " << c.x << " scale " << c.sf;
  }
}

TEST(Sqrt16s, NegativeInputsGiveZeroAndAreReported) {
  for (int sf : {-20, -10, -5, -1, 0, 1, 4, 12}) {
    for (int len : {1, 7, 8, 13}) {
      std::vector<std::int16_t> src(static_cast<std::size_t>(len), 16);
      src.back() = -32768;
      std::vector<std::int16_t> dst(src.size(), 99);
      EXPECT_EQ(ownsSqrtArray_16s_Sfs_Sse2(src.data(), dst.data(), len, sf), ippStsSqrtNegArg)
          << sf << " " << len;
      EXPECT_EQ(dst.back(), 0);
      for (std::size_t i = 0; i + 1 < dst.size(); ++i)
        EXPECT_EQ(dst[i], exactRoot(16, sf));
    }
  }
}

TEST(Sqrt16s, TailWritesExactlyItsValuesAndInPlaceWorks) {
  for (int len = 1; len <= 17; ++len) {
    std::vector<std::int16_t> src(static_cast<std::size_t>(len));
    for (int i = 0; i < len; ++i)
      src[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(1000 * i + 7);
    std::vector<std::int16_t> dst(static_cast<std::size_t>(len) + 8, 0x5A5A);
    ASSERT_EQ(ownsSqrtArray_16s_Sfs_Sse2(src.data(), dst.data(), len, 0), ippStsNoErr);
    for (int i = 0; i < len; ++i)
      EXPECT_EQ(dst[static_cast<std::size_t>(i)], exactRoot(src[static_cast<std::size_t>(i)], 0));
    for (std::size_t i = static_cast<std::size_t>(len); i < dst.size(); ++i)
      EXPECT_EQ(dst[i], 0x5A5A) << "len " << len << " wrote past the end at " << i;
    ASSERT_EQ(ownsSqrtArray_16s_Sfs_Sse2(src.data(), src.data(), len, 0), ippStsNoErr);
    for (int i = 0; i < len; ++i)
      EXPECT_EQ(src[static_cast<std::size_t>(i)], dst[static_cast<std::size_t>(i)]);
  }
}

TEST(Sqrt16s, BadArguments) {
  std::int16_t v = 4;
  EXPECT_EQ(ownsSqrtArray_16s_Sfs_Sse2(nullptr, &v, 1, 0), ippStsNullPtrErr);
  EXPECT_EQ(ownsSqrtArray_16s_Sfs_Sse2(&v, nullptr, 1, 0), ippStsNullPtrErr);
  EXPECT_EQ(ownsSqrtArray_16s_Sfs_Sse2(&v, &v, 0, 0), ippStsSizeErr);
  EXPECT_EQ(ownsSqrtArray_16sc_Sse2(nullptr, &v, 1), ippStsNullPtrErr);
  EXPECT_EQ(ownsSqrtArray_16sc_Sse2(&v, &v, 0), ippStsSizeErr);
  EXPECT_EQ(v, 4);
}

TEST(Sqrt16sc, NamedExamples) {
  const std::int16_t src[] = {3, 4, -4, 0, 3, -4, 4, 0, 0, 0};
  std::int16_t dst[12];
  std::fill(std::begin(dst), std::end(dst), std::int16_t{0x5A5A});
  ASSERT_EQ(ownsSqrtArray_16sc_Sse2(src, dst, 5), ippStsNoErr);
  const std::int16_t expected[] = {2, 1, 0, 2, 2, -1, 2, 0, 0, 0};
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(dst[i], expected[i]) << i;
  EXPECT_EQ(dst[10], 0x5A5A);
  EXPECT_EQ(dst[11], 0x5A5A);
}

TEST(Sqrt16sc, MatchesTheExactRuleOnExtremesAndRandomValues) {
  std::vector<std::int16_t> src;
  const int edges[] = {-32768, -32767, -1, 0, 1, 2, 181, 32766, 32767};
  for (int a : edges)
    for (int b : edges) {
      src.push_back(static_cast<std::int16_t>(a));
      src.push_back(static_cast<std::int16_t>(b));
    }
  std::mt19937 gen(20);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> small(-300, 300);
  for (int i = 0; i < 200000; ++i) {
    auto &dist = i % 2 == 0 ? any : small;
    src.push_back(static_cast<std::int16_t>(dist(gen)));
    src.push_back(static_cast<std::int16_t>(dist(gen)));
  }
  const int n = static_cast<int>(src.size() / 2);
  std::vector<std::int16_t> dst(src.size());
  ASSERT_EQ(ownsSqrtArray_16sc_Sse2(src.data(), dst.data(), n), ippStsNoErr);
  int mismatches = 0;
  for (int i = 0; i < n; ++i) {
    const int a = src[2 * static_cast<std::size_t>(i)];
    const int b = src[2 * static_cast<std::size_t>(i) + 1];
    const auto [re, im] = exactComplexRoot(a, b);
    if ((dst[2 * static_cast<std::size_t>(i)] != re ||
         dst[2 * static_cast<std::size_t>(i) + 1] != im) &&
        ++mismatches <= 5)
      ADD_FAILURE() << a << "+" << b << "i -> " << dst[2 * static_cast<std::size_t>(i)] << ","
                    << dst[2 * static_cast<std::size_t>(i) + 1] << " expected " << re << "," << im;
  }
  EXPECT_EQ(mismatches, 0);
}

} // namespace
