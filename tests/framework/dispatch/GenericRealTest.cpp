// Real-vector constant arithmetic, sum and windows, called by name through their slots.
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

namespace B = Slbasicdispatcher;

struct WindowCase {
  const char *name;
  std::function<int(double *, int)> inPlace;
  std::function<int(const double *, double *, int)> outOfPlace;
  std::function<double(int n, int N)> weight;
};

std::ostream &operator<<(std::ostream &os, const WindowCase &c) { return os << c.name; }

double cosW(int n, int N) { return std::cos(2 * std::numbers::pi * n / (N - 1)); }

const WindowCase kWindows[] = {
    {"Bartlett", B::ippsWinBartlett_64f_I, B::ippsWinBartlett_64f,
     [](int n, int N) { return 1.0 - std::fabs(2.0 * n / (N - 1) - 1.0); }},
    {"Hann", B::ippsWinHann_64f_I, B::ippsWinHann_64f,
     [](int n, int N) { return 0.5 - 0.5 * cosW(n, N); }},
    {"Hamming", B::ippsWinHamming_64f_I, B::ippsWinHamming_64f,
     [](int n, int N) { return 0.54 - 0.46 * cosW(n, N); }},
    {"Blackman", [](double *p, int n) { return B::ippsWinBlackman_64f_I(p, n, -0.16); },
     [](const double *s, double *d, int n) { return B::ippsWinBlackman_64f(s, d, n, -0.16); },
     [](int n, int N) {
       return 0.42 - 0.5 * cosW(n, N) + 0.08 * std::cos(4 * std::numbers::pi * n / (N - 1));
     }},
};

class Windows : public ::testing::TestWithParam<WindowCase> {};

TEST_P(Windows, MatchClosedFormForOddAndEvenLengths) {
  const auto &c = GetParam();
  for (int N : {3, 4, 5, 16, 17, 1000}) {
    std::vector<double> src(N);
    for (int i = 0; i < N; ++i)
      src[i] = 1.0 + 0.01 * i;
    std::vector<double> dst(N, -1), inPlace = src;
    ASSERT_EQ(c.outOfPlace(src.data(), dst.data(), N), 0);
    ASSERT_EQ(c.inPlace(inPlace.data(), N), 0);
    for (int n = 0; n < N; ++n) {
      const double want = src[n] * c.weight(n, N);
      EXPECT_NEAR(dst[n], want, 1e-12) << "N " << N << " n " << n;
      EXPECT_EQ(dst[n], inPlace[n]) << "N " << N << " n " << n;
    }
    if (N % 2 == 1) {
      EXPECT_EQ(dst[N / 2], src[N / 2]); // the middle weight is exactly 1
    }
  }
}

TEST_P(Windows, StatusesAndNothingWritten) {
  const auto &c = GetParam();
  std::vector<double> v{1, 2};
  EXPECT_EQ(c.inPlace(nullptr, 5), -8);
  EXPECT_EQ(c.outOfPlace(v.data(), nullptr, 5), -8);
  EXPECT_EQ(c.inPlace(v.data(), 2), -6);
  EXPECT_EQ(v, (std::vector<double>{1, 2}));
}

INSTANTIATE_TEST_SUITE_P(All, Windows, ::testing::ValuesIn(kWindows));

// Kaiser through the series definition of I0.
double besselI0Series(double x) {
  double sum = 1, term = 1;
  for (int k = 1; k < 200; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
  }
  return sum;
}

} // namespace

TEST(NoCallerReal, KaiserWindow) {
  const int N = 21;
  const float alpha = 3.5f;
  std::vector<double> ones(N, 1.0), w(N);
  ASSERT_EQ(B::ippsWinKaiser_64f(ones.data(), w.data(), N, alpha), 0);
  const double norm = besselI0Series(0.5 * alpha * (N - 1));
  for (int n = 0; n < N; ++n) {
    const double want = besselI0Series(alpha * std::sqrt(double(n) * (N - 1 - n))) / norm;
    EXPECT_NEAR(w[n], want, 1e-5 * want) << n;
  }
  EXPECT_EQ(w[N / 2], 1.0);

  std::vector<double> five(5, 2.0);
  EXPECT_EQ(B::ippsWinKaiser_64f_I(five.data(), 5, 154.0f), 0); // 0.5 * 154 * 4 = 308 exactly
  std::vector<double> keep(5, 2.0);
  EXPECT_EQ(B::ippsWinKaiser_64f_I(keep.data(), 5, 154.1f), -39);
  EXPECT_EQ(keep, std::vector<double>(5, 2.0));

  double one = 7;
  EXPECT_EQ(B::ippsWinKaiser_64f_I(&one, 1, 2.0f), 0);
  EXPECT_EQ(one, 7);
  EXPECT_EQ(B::ippsWinKaiser_64f_I(&one, 0, 2.0f), -6);

  std::vector<double> neg(N), pos(N);
  ASSERT_EQ(B::ippsWinKaiser_64f(ones.data(), neg.data(), N, -alpha), 0);
  ASSERT_EQ(B::ippsWinKaiser_64f(ones.data(), pos.data(), N, alpha), 0);
  EXPECT_EQ(neg, pos);

  std::vector<double> nan(5, 1.0);
  EXPECT_EQ(B::ippsWinKaiser_64f_I(nan.data(), 5, std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_TRUE(std::isnan(nan[0]));
  EXPECT_EQ(nan[2], 1.0);

  // Far past 2^31 in n·(N-1-n), the weights stay finite.
  std::vector<double> longWin(100001, 1.0);
  ASSERT_EQ(B::ippsWinKaiser_64f_I(longWin.data(), 100001, 0.005f), 0);
  for (double v : longWin)
    ASSERT_TRUE(std::isfinite(v));
}

TEST(NoCallerReal, ConstantArithmetic) {
  const std::vector<double> src{1, -2, 4};
  std::vector<double> dst(3);
  EXPECT_EQ(B::ippsAddC_64f(src.data(), 0.5, dst.data(), 3), 0);
  EXPECT_EQ(dst, (std::vector<double>{1.5, -1.5, 4.5}));
  EXPECT_EQ(B::ippsSubC_64f(src.data(), 0.5, dst.data(), 3), 0);
  EXPECT_EQ(dst, (std::vector<double>{0.5, -2.5, 3.5}));
  EXPECT_EQ(B::ippsSubCRev_64f(src.data(), 0.5, dst.data(), 3), 0);
  EXPECT_EQ(dst, (std::vector<double>{-0.5, 2.5, -3.5}));
  EXPECT_EQ(B::ippsMulC_64f(src.data(), 3, dst.data(), 3), 0);
  EXPECT_EQ(dst, (std::vector<double>{3, -6, 12}));
  EXPECT_EQ(B::ippsDivC_64f(src.data(), 4, dst.data(), 3), 0);
  EXPECT_EQ(dst, (std::vector<double>{0.25, -0.5, 1}));
  EXPECT_EQ(B::ippsDivC_64f(src.data(), 0, dst.data(), 3), -10);
  EXPECT_EQ(dst, (std::vector<double>{0.25, -0.5, 1}));
  EXPECT_EQ(B::ippsAdd_64f(src.data(), src.data(), dst.data(), 3), 0);
  EXPECT_EQ(dst, (std::vector<double>{2, -4, 8}));
  EXPECT_EQ(B::ippsAdd_64f(src.data(), nullptr, dst.data(), 3), -8);
  EXPECT_EQ(B::ippsAddC_64f(src.data(), 1, dst.data(), 0), -6);
}

TEST(NoCallerReal, ZeroConstantCopiesAndDivisionMultipliesByTheRoundedReciprocal) {
  // Adding or subtracting a zero of either sign copies: -0.0 stays -0.0.
  const std::vector<double> src{-0.0, 1.5};
  for (double zero : {0.0, -0.0}) {
    std::vector<double> dst(2, 7.0);
    EXPECT_EQ(B::ippsAddC_64f(src.data(), zero, dst.data(), 2), 0);
    EXPECT_TRUE(std::signbit(dst[0])) << zero;
    EXPECT_EQ(dst[1], 1.5);
    dst.assign(2, 7.0);
    EXPECT_EQ(B::ippsSubC_64f(src.data(), zero, dst.data(), 2), 0);
    EXPECT_TRUE(std::signbit(dst[0])) << zero;
    EXPECT_EQ(dst[1], 1.5);
  }

  // 49 times the double nearest 1/49 is just below 1, not the quotient 1.
  const double fortyNine = 49.0;
  double q = 0;
  EXPECT_EQ(B::ippsDivC_64f(&fortyNine, 49.0, &q, 1), 0);
  EXPECT_EQ(q, 0.99999999999999989);
}

TEST(NoCallerReal, SumOverGroupsAndTail) {
  for (int len : {1, 3, 4, 7, 8, 1001}) {
    std::vector<double> v(len);
    long double ref = 0;
    for (int i = 0; i < len; ++i) {
      v[i] = 1.0 / (i + 1);
      ref += v[i];
    }
    double sum = 0;
    EXPECT_EQ(B::ippsSum_64f(v.data(), len, &sum), 0);
    EXPECT_NEAR(sum, static_cast<double>(ref), 1e-15 * len);
  }
  // Even-indexed elements and the tail go into one sum, odd-indexed ones into the other.
  const double big = std::ldexp(1.0, 70);
  const std::vector<double> cancel{big, 1, -big, 1, 1};
  double s;
  EXPECT_EQ(B::ippsSum_64f(cancel.data(), 5, &s), 0);
  EXPECT_EQ(s, 3.0);
  EXPECT_EQ(B::ippsSum_64f(nullptr, 3, &s), -8);
  const double one = 1;
  EXPECT_EQ(B::ippsSum_64f(&one, 0, &s), -6);
}

TEST(NoCallerReal, FloatConstantArithmetic) {
  const std::vector<float> src{1, -2, std::numeric_limits<float>::infinity()};
  std::vector<float> dst(3);
  EXPECT_EQ(Vizazodizaro::ippsMulC_32f(src.data(), 0.0f, dst.data(), 3), 0);
  EXPECT_EQ(dst, (std::vector<float>{0, 0, 0})); // a zero constant zeroes, infinity too
  EXPECT_EQ(Vizazodizaro::ippsMulC_32f(src.data(), 2.0f, dst.data(), 3), 0);
  EXPECT_EQ(dst[1], -4.0f);

  std::vector<float> v{3, 6};
  EXPECT_EQ(Vizazodizaro::ippsMulC_32f_I(1.0f, v.data(), 2), 0);
  EXPECT_EQ(v, (std::vector<float>{3, 6}));
  EXPECT_EQ(Vizazodizaro::ippsDivC_32f_I(3.0f, v.data(), 2), 0);
  EXPECT_EQ(v, (std::vector<float>{1, 2}));
  EXPECT_EQ(Vizazodizaro::ippsDivC_32f_I(0.0f, v.data(), 2), -10);
  EXPECT_EQ(v, (std::vector<float>{1, 2}));
  EXPECT_EQ(Vizazodizaro::ippsMulC_32f_I(1.0f, nullptr, 2), -8);
  EXPECT_EQ(Vizazodizaro::ippsMulC_32f_I(1.0f, v.data(), 0), -6);

  // Division multiplies by the float nearest 1/val; an infinite divisor zeroes.
  std::vector<float> fifths{5, 7};
  EXPECT_EQ(Vizazodizaro::ippsDivC_32f_I(3.0f, fifths.data(), 2), 0);
  EXPECT_EQ(fifths, (std::vector<float>{5 * (1.0f / 3.0f), 7 * (1.0f / 3.0f)}));
  std::vector<float> toZero{-2, std::numeric_limits<float>::infinity()};
  EXPECT_EQ(Vizazodizaro::ippsDivC_32f_I(std::numeric_limits<float>::infinity(), toZero.data(), 2),
            0);
  EXPECT_FALSE(std::signbit(toZero[0]));
  EXPECT_EQ(toZero, (std::vector<float>{0, 0}));

  // A constant of 1 copies bit for bit, signalling NaNs included.
  const float sNaN = std::numeric_limits<float>::signaling_NaN();
  float copied = 0;
  EXPECT_EQ(Vizazodizaro::ippsMulC_32f(&sNaN, 1.0f, &copied, 1), 0);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(copied), std::bit_cast<std::uint32_t>(sNaN));

  const std::vector<float> s{0.5f, 4};
  EXPECT_EQ(Vizazodizaro::ippsSub_32f_I(s.data(), v.data(), 2), 0);
  EXPECT_EQ(v, (std::vector<float>{0.5f, -2}));
}
