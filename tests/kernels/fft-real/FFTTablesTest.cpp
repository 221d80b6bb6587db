// The tables of a record, value by value, and the sizes of the large-order block.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-real/FFTEngine64.h"

using namespace kernels::fft_real;

namespace {

std::vector<double> sineTable(int m) {
  std::vector<double> S((std::size_t{1} << m) / 4 + 1);
  ownsFFTInitSinTab_64f(m, S.data());
  return S;
}

TEST(FFTTables, SineTableOfOrder4TakesItsUpperHalfFromTheCosine) {
  const std::vector<double> S = sineTable(4);
  const double c = 6.283185307179586 / 16;
  ASSERT_EQ(S.size(), 5u);
  EXPECT_EQ(S[0], 0.0);
  EXPECT_EQ(S[1], std::sin(c));
  EXPECT_EQ(S[2], std::sin(2 * c));
  EXPECT_EQ(S[3], std::cos(1 * c));
  EXPECT_EQ(S[4], std::cos(0.0));
}

struct BitRevCase {
  int k;
  std::vector<std::int32_t> entries;
};

class FFTBitRevTable : public ::testing::TestWithParam<BitRevCase> {};

TEST_P(FFTBitRevTable, ListsPairsThenSelfReversedIndices) {
  const BitRevCase &c = GetParam();
  std::vector<std::int32_t> T(c.entries.size() + 8, -1);
  std::int32_t *end = ownsFFTInitBitRevTab(c.k, T.data());
  EXPECT_EQ(std::vector<std::int32_t>(T.begin(), T.begin() + c.entries.size()), c.entries);
  EXPECT_EQ((end - T.data()) % 4, 0);
  EXPECT_GE(end - T.data(), static_cast<std::ptrdiff_t>(c.entries.size()));
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTBitRevTable,
                         ::testing::Values(BitRevCase{2, {0, 0}}, BitRevCase{3, {0, 4, 0}},
                                           BitRevCase{4, {4, 8, 0, 12, 0}},
                                           BitRevCase{5, {4, 16, 12, 24, 0, 28, 20, 8, 0}}));

TEST(FFTTables, BitReversalOfEightValuesFollowsTheSelfReversedList) {
  std::vector<std::int32_t> T(8);
  ownsFFTInitBitRevTab(3, T.data());
  Ipp64fc src[8], dst[8], in[8];
  for (int i = 0; i < 8; ++i)
    src[i] = in[i] = {double(i), -double(i)};
  ownsBitRev_64fc(src, dst, 8, T.data());
  ownsBitRev_64fc_I(in, 8, T.data());
  const int expected[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(dst[i].re, expected[i]);
    EXPECT_EQ(in[i].re, expected[i]);
  }
}

TEST(FFTTables, TwiddleTableOfOrder3KeepsTheSignsOfItsZeros) {
  const std::vector<double> S = sineTable(4); // a real record of order 4: stride 2
  std::vector<Ipp64fc> W(9 + 4);
  Ipp64fc *end = ownsFFTInitTwiddleTab_64fc(3, S.data(), 4, W.data());
  EXPECT_EQ(end - W.data(), 9);
  for (int p = 0; p < 3; ++p) {
    EXPECT_EQ(W[p].re, 1.0);
    EXPECT_EQ(W[p].im, 0.0);
    EXPECT_TRUE(std::signbit(W[p].im));
  }
  const Ipp64fc *e2 = &W[6];
  EXPECT_EQ(e2[0].re, 0.0);
  EXPECT_FALSE(std::signbit(e2[0].re));
  EXPECT_EQ(e2[0].im, -1.0);
  EXPECT_EQ(e2[1].re, -1.0);
  EXPECT_TRUE(std::signbit(e2[1].im));
  EXPECT_EQ(e2[1].im, 0.0);
  EXPECT_TRUE(std::signbit(e2[2].re));
  EXPECT_EQ(e2[2].im, 1.0);
}

TEST(FFTTables, RecombinationTablesOfRealOrder4) {
  const std::vector<double> S = sineTable(4);
  Ipp64fc fwd[4], inv[4];
  ownsFFTInitRealFwdTab_64f(4, S.data(), fwd);
  ownsFFTInitRealInvTab_64f(4, S.data(), inv);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(fwd[i].re, 0.5 * S[4 - i]);
    EXPECT_EQ(fwd[i].im, 0.5 - 0.5 * S[i]);
    EXPECT_EQ(inv[i].re, S[4 - i]);
    EXPECT_EQ(inv[i].im, -S[i]);
  }
  EXPECT_EQ(fwd[0].re, 0.5);
  EXPECT_EQ(fwd[0].im, 0.5);
}

TEST(FFTTables, FoldedValuesMatchTheTrigonometricFunctions) {
  const int m = 10;
  const std::vector<double> S = sineTable(m);
  for (int j = 2; j <= m; ++j) {
    const std::int64_t L = std::int64_t{1} << j;
    for (std::int64_t p = 0; p < L; ++p) {
      const Ipp64fc w = ownsFFTFolded(S.data(), m, j, p);
      const long double a = 6.283185307179586476925286766559L * p / L;
      EXPECT_NEAR(w.re, static_cast<double>(std::cos(a)), 3e-16);
      EXPECT_NEAR(w.im, static_cast<double>(-std::sin(a)), 3e-16);
    }
  }
}

struct LargeSizeCase {
  int k;
  std::int64_t block;
  std::int64_t work;
};

class FFTLargeSizes : public ::testing::TestWithParam<LargeSizeCase> {};

TEST_P(FFTLargeSizes, BlockAndWorkBytes) {
  std::int64_t block = 0, work = -1;
  ownsFFTGetSizeLarge(GetParam().k, &block, &work);
  EXPECT_EQ(block, GetParam().block);
  EXPECT_EQ(work, GetParam().work);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, FFTLargeSizes,
    ::testing::Values(LargeSizeCase{10, 12304, 0}, LargeSizeCase{11, 16400, 0},
                      LargeSizeCase{12, 69920, 1024}, LargeSizeCase{13, 135712, 2048},
                      LargeSizeCase{18, 4210720, 32768}, LargeSizeCase{21, 33694256, 16384},
                      // Two levels over a leaf of order 8, 8 and 9; the block
                      // outgrows a signed 32-bit count from order 27 on.
                      LargeSizeCase{22, 67380272, 16384}, LargeSizeCase{26, 1075859504, 32768},
                      LargeSizeCase{27, 2151702576, 32768},
                      // Three levels (9, 8, 5) over a leaf of order 8.
                      LargeSizeCase{30, 17213571648, 32768}));

TEST(FFTTables, SplitExponentsByOrder) {
  const int expected[] = {0, 0, 4, 5, 6, 7, 7, 8, 9, 9, 9, 8, 8, 9, 9, 9, 9, 9, 9, 9, 9};
  for (int k = 10; k <= 30; ++k)
    EXPECT_EQ(ownsFFTOrderSplit(k), expected[k - 10]) << k;
}

} // namespace
