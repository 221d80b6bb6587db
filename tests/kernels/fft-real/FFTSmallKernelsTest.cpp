// Kernels of orders 0 to 3 and the spectra the entry operations give for the cases that
// fix the layouts and the sign convention.
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-real/FFTEngine64.h"

using namespace kernels::fft_real;

namespace {

constexpr double kC = 0.7071067811865476;

TEST(FFTSmallKernels, RealForward8OfASecondSampleImpulse) {
  const double x[8] = {0, 1, 0, 0, 0, 0, 0, 0};
  double y[8];
  ownsFFTFwd8_64f(x, y);
  const double expected[8] = {1, -1, kC, -kC, 0, -1, -kC, -kC};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(y[i], expected[i]) << i;
  double back[8];
  ownsFFTInv8_64f(y, back);
  for (int i = 0; i < 8; ++i)
    EXPECT_NEAR(back[i], i == 1 ? 8.0 : 0.0, 1e-15) << i;
}

TEST(FFTSmallKernels, RealForward4OfOneToFour) {
  const double x[4] = {1, 2, 3, 4};
  double y[4];
  ownsFFTFwd4_64f(x, y);
  EXPECT_EQ(std::vector<double>(y, y + 4), (std::vector<double>{10, -2, -2, 2}));
}

TEST(FFTSmallKernels, Complex8ForwardThenInverseGivesEightTimesTheSource) {
  double x[16], y[16], z[16], w[16];
  for (int i = 0; i < 16; ++i)
    x[i] = std::cos(1.7 * i) + 0.25 * i;
  ownsFFTFwd8_64fc(x, y);
  ownsFFTInv8_64fc(y, z);
  ownsFFTInv8Scale_64fc(y, w, 0.125);
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(z[i], 8 * x[i], 1e-14);
    EXPECT_NEAR(w[i], x[i], 2e-15);
  }
}

using Plain = void (*)(const double *, double *);
using Scaled = void (*)(const double *, double *, double);
struct KernelCase {
  const char *name;
  Plain plain;
  Scaled scaled;
  int doubles;
};

const KernelCase kKernels[] = {
    {"Copy_64fc", ownsFFTCopy_64fc, ownsFFTCopyScale_64fc, 2},
    {"FFT2_64fc", ownsFFT2_64fc, ownsFFT2Scale_64fc, 4},
    {"Fwd4_64fc", ownsFFTFwd4_64fc, ownsFFTFwd4Scale_64fc, 8},
    {"Inv4_64fc", ownsFFTInv4_64fc, ownsFFTInv4Scale_64fc, 8},
    {"Fwd8_64fc", ownsFFTFwd8_64fc, ownsFFTFwd8Scale_64fc, 16},
    {"Inv8_64fc", ownsFFTInv8_64fc, ownsFFTInv8Scale_64fc, 16},
    {"Copy_64f", ownsFFTCopy_64f, ownsFFTCopyScale_64f, 1},
    {"FFT2_64f", ownsFFT2_64f, ownsFFT2Scale_64f, 2},
    {"Fwd4_64f", ownsFFTFwd4_64f, ownsFFTFwd4Scale_64f, 4},
    {"Inv4_64f", ownsFFTInv4_64f, ownsFFTInv4Scale_64f, 4},
    {"Fwd8_64f", ownsFFTFwd8_64f, ownsFFTFwd8Scale_64f, 8},
    {"Inv8_64f", ownsFFTInv8_64f, ownsFFTInv8Scale_64f, 8},
};

TEST(FFTSmallKernels, EveryKernelGivesTheSameResultInPlace) {
  for (const KernelCase &k : kKernels) {
    std::vector<double> x(k.doubles);
    for (int i = 0; i < k.doubles; ++i)
      x[i] = std::sin(3.1 * i + 0.4);
    std::vector<double> out(k.doubles), in = x;
    k.plain(x.data(), out.data());
    k.plain(in.data(), in.data());
    EXPECT_EQ(out, in) << k.name;
    in = x;
    k.scaled(x.data(), out.data(), 0.3);
    k.scaled(in.data(), in.data(), 0.3);
    EXPECT_EQ(out, in) << k.name << " scaled";
  }
}

TEST(FFTSmallKernels, ScaledKernelsAreTheUnscaledTimesTheFactor) {
  for (const KernelCase &k : kKernels) {
    std::vector<double> x(k.doubles), a(k.doubles), b(k.doubles);
    for (int i = 0; i < k.doubles; ++i)
      x[i] = std::cos(2.3 * i + 0.1);
    k.plain(x.data(), a.data());
    k.scaled(x.data(), b.data(), 0.125); // a power of two: scaling early or late is exact
    for (int i = 0; i < k.doubles; ++i)
      EXPECT_EQ(b[i], a[i] * 0.125) << k.name << " " << i;
  }
}

using SplitPlain = void (*)(const double *, const double *, double *, double *);
using SplitScaled = void (*)(const double *, const double *, double *, double *, double);
struct SplitCase {
  Plain plain;
  Scaled scaled;
  SplitPlain splitPlain;
  SplitScaled splitScaled;
  int n;
};

TEST(FFTSmallKernels, SplitTwinsMatchTheInterleavedKernelsBitForBit) {
  const SplitCase cases[] = {
      {ownsFFTCopy_64fc, ownsFFTCopyScale_64fc, ownsFFTCopy_64fc_Split, ownsFFTCopyScale_64fc_Split,
       1},
      {ownsFFT2_64fc, ownsFFT2Scale_64fc, ownsFFT2_64fc_Split, ownsFFT2Scale_64fc_Split, 2},
      {ownsFFTFwd4_64fc, ownsFFTFwd4Scale_64fc, ownsFFTFwd4_64fc_Split, ownsFFTFwd4Scale_64fc_Split,
       4},
      {ownsFFTInv4_64fc, ownsFFTInv4Scale_64fc, ownsFFTInv4_64fc_Split, ownsFFTInv4Scale_64fc_Split,
       4},
      {ownsFFTFwd8_64fc, ownsFFTFwd8Scale_64fc, ownsFFTFwd8_64fc_Split, ownsFFTFwd8Scale_64fc_Split,
       8},
      {ownsFFTInv8_64fc, ownsFFTInv8Scale_64fc, ownsFFTInv8_64fc_Split, ownsFFTInv8Scale_64fc_Split,
       8},
  };
  for (const SplitCase &c : cases) {
    std::vector<double> x(2 * c.n), y(2 * c.n), ys(2 * c.n), re(c.n), im(c.n), dRe(c.n), dIm(c.n);
    for (int i = 0; i < c.n; ++i) {
      re[i] = x[2 * i] = std::sin(1.3 * i + 0.2);
      im[i] = x[2 * i + 1] = std::cos(0.7 * i);
    }
    for (bool scaled : {false, true}) {
      if (scaled) {
        c.scaled(x.data(), y.data(), 0.3);
        c.splitScaled(re.data(), im.data(), dRe.data(), dIm.data(), 0.3);
      } else {
        c.plain(x.data(), y.data());
        c.splitPlain(re.data(), im.data(), dRe.data(), dIm.data());
      }
      for (int i = 0; i < c.n; ++i) {
        EXPECT_EQ(dRe[i], y[2 * i]) << c.n << " " << i;
        EXPECT_EQ(dIm[i], y[2 * i + 1]) << c.n << " " << i;
      }
      // In place on the split arrays.
      std::vector<double> r2 = re, i2 = im;
      if (scaled)
        c.splitScaled(r2.data(), i2.data(), r2.data(), i2.data(), 0.3);
      else
        c.splitPlain(r2.data(), i2.data(), r2.data(), i2.data());
      EXPECT_EQ(r2, dRe);
      EXPECT_EQ(i2, dIm);
    }
  }
}

// ---- Entry operations ------------------------------------------------------------------

struct RealSpec {
  FFTSpec_R_64f *p = nullptr;
  RealSpec(int order, int flag) { EXPECT_EQ(ippsFFTInitAlloc_R_64f(&p, order, flag, 0), 0); }
  ~RealSpec() { ippsFFTFree_R_64f(p); }
};

TEST(FFTRealLayouts, OneToFourInPermAndPackAndBack) {
  const double x[4] = {1, 2, 3, 4};
  for (int flag : {8, 2}) {
    RealSpec s(2, flag);
    double perm[4], pack[4], back[4];
    ASSERT_EQ(ippsFFTFwd_RToPerm_64f(x, perm, s.p, nullptr), 0);
    ASSERT_EQ(ippsFFTFwd_RToPack_64f(x, pack, s.p, nullptr), 0);
    EXPECT_EQ(std::vector<double>(perm, perm + 4), (std::vector<double>{10, -2, -2, 2}));
    EXPECT_EQ(std::vector<double>(pack, pack + 4), (std::vector<double>{10, -2, 2, -2}));
    const std::vector<double> expected =
        flag == 8 ? std::vector<double>{4, 8, 12, 16} : std::vector<double>{1, 2, 3, 4};
    ASSERT_EQ(ippsFFTInv_PermToR_64f(perm, back, s.p, nullptr), 0);
    EXPECT_EQ(std::vector<double>(back, back + 4), expected);
    ASSERT_EQ(ippsFFTInv_PackToR_64f(pack, back, s.p, nullptr), 0);
    EXPECT_EQ(std::vector<double>(back, back + 4), expected);
  }
}

TEST(FFTRealLayouts, ImpulseOfSixteenPoints) {
  RealSpec s(4, 8);
  std::vector<double> x(16, 0.0), perm(16), pack(16);
  x[0] = 1;
  ASSERT_EQ(ippsFFTFwd_RToPerm_64f(x.data(), perm.data(), s.p, nullptr), 0);
  ASSERT_EQ(ippsFFTFwd_RToPack_64f(x.data(), pack.data(), s.p, nullptr), 0);
  std::vector<double> ePerm(16, 0.0), ePack(16, 0.0);
  ePerm[0] = ePerm[1] = 1;
  ePack[0] = ePack[15] = 1;
  for (int k = 1; k < 8; ++k) {
    ePerm[2 * k] = 1;
    ePack[2 * k - 1] = 1;
  }
  EXPECT_EQ(perm, ePerm);
  EXPECT_EQ(pack, ePack);
}

TEST(FFTRealLayouts, OneAndTwoPointsGiveTheSameSpectrumInBothLayouts) {
  for (int order : {0, 1}) {
    for (int flag : {1, 2, 4, 8}) {
      RealSpec s(order, flag);
      const double x[2] = {3, 5};
      double perm[2] = {0, 0}, pack[2] = {0, 0};
      ASSERT_EQ(ippsFFTFwd_RToPerm_64f(x, perm, s.p, nullptr), 0);
      ASSERT_EQ(ippsFFTFwd_RToPack_64f(x, pack, s.p, nullptr), 0);
      EXPECT_EQ(perm[0], pack[0]);
      EXPECT_EQ(perm[1], pack[1]);
      const double f = s.p->fwdScaleFlag ? s.p->scaleFactor : 1.0;
      EXPECT_EQ(perm[0], order == 0 ? 3 * f : f * 8);
      if (order == 1) {
        EXPECT_EQ(perm[1], f * -2);
      }
    }
  }
}

struct ComplexSpec {
  FFTSpec_C_64fc *p = nullptr;
  ComplexSpec(int order, int flag) { EXPECT_EQ(ippsFFTInitAlloc_C_64fc(&p, order, flag, 0), 0); }
  ~ComplexSpec() { ippsFFTFree_C_64fc(p); }
};

class FFTComplexOrders : public ::testing::TestWithParam<int> {};

TEST_P(FFTComplexOrders, AnImpulseGivesExactOnesAndScalesOnce) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  for (int flag : {8, 1}) {
    ComplexSpec s(order, flag);
    std::vector<Ipp64fc> x(N, Ipp64fc{0, 0}), y(N);
    x[0] = {1, 0};
    ASSERT_EQ(ippsFFTFwd_CToC_64fc(x.data(), y.data(), s.p, nullptr), 0);
    const double expected = flag == 1 ? 1.0 / N : 1.0;
    for (std::int64_t i = 0; i < N; ++i) {
      ASSERT_EQ(y[i].re, expected) << i;
      ASSERT_EQ(y[i].im, 0.0) << i;
    }
  }
}

TEST_P(FFTComplexOrders, ARisingPhaseLandsInBinOne) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  ComplexSpec s(order, 8);
  std::vector<Ipp64fc> x(N), y(N);
  for (std::int64_t j = 0; j < N; ++j) {
    const long double a = 6.283185307179586476925286766559L * j / N;
    x[j] = {static_cast<double>(std::cos(a)), static_cast<double>(std::sin(a))};
  }
  ASSERT_EQ(ippsFFTFwd_CToC_64fc(x.data(), y.data(), s.p, nullptr), 0);
  const double tol = 1e-13 * N;
  for (std::int64_t k = 0; k < N; ++k) {
    EXPECT_NEAR(y[k].re, k == 1 % N ? double(N) : 0.0, tol) << k;
    EXPECT_NEAR(y[k].im, 0.0, tol) << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTComplexOrders,
                         ::testing::Values(0, 1, 2, 3, 4, 5, 9, 10, 11, 12, 19, 20, 21));

} // namespace
