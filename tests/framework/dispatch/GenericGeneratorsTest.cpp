// Noise, tone and triangle generators, called by name through their slots.
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Vizazodizaro.h"

namespace {

namespace V = Vizazodizaro;

std::vector<short> uniform(int n, short low, short high, unsigned int &seed) {
  std::vector<short> v(n);
  EXPECT_EQ(V::ippsRandUniform_Direct_16s(v.data(), n, low, high, seed), 0);
  return v;
}

} // namespace

TEST(NoCallerGenerators, UniformDependsOnTheSeedAlone) {
  unsigned int s1 = 12345, s2 = 12345;
  const auto a = uniform(100, -1000, 1000, s1);
  const auto b = uniform(100, -1000, 1000, s2);
  EXPECT_EQ(a, b);
  EXPECT_EQ(s1, s2);
  EXPECT_NE(s1, 12345u);
  for (short v : a) {
    EXPECT_GE(v, -1000);
    EXPECT_LE(v, 999);
  }
  // The congruential part restarts per call, so two halves differ from one whole.
  unsigned int s3 = 777, s4 = 777;
  auto first = uniform(50, -1000, 1000, s3);
  const auto second = uniform(50, -1000, 1000, s3);
  first.insert(first.end(), second.begin(), second.end());
  EXPECT_NE(first, uniform(100, -1000, 1000, s4));

  unsigned int s5 = 1;
  for (short v : uniform(20, 42, 42, s5))
    EXPECT_EQ(v, 42);
}

TEST(NoCallerGenerators, UniformSpreadsOverTheRange) {
  unsigned int seed = 99;
  const auto v = uniform(40000, -1000, 1000, seed);
  double mean = 0;
  int lowHalf = 0;
  for (short x : v) {
    mean += x;
    lowHalf += x < 0;
  }
  mean /= v.size();
  EXPECT_NEAR(mean, 0.0, 15.0);
  EXPECT_NEAR(lowHalf / 40000.0, 0.5, 0.02);
}

TEST(NoCallerGenerators, GaussMomentsAndEdgeCases) {
  unsigned int seed = 4242;
  std::vector<short> v(40001);
  EXPECT_EQ(V::ippsRandGauss_Direct_16s(v.data(), 40001, 100, 1000, seed), 0);
  double mean = 0, sq = 0;
  for (short x : v)
    mean += x;
  mean /= v.size();
  for (short x : v)
    sq += (x - mean) * (x - mean);
  EXPECT_NEAR(mean, 100.0, 20.0);
  EXPECT_NEAR(std::sqrt(sq / v.size()), 1000.0, 20.0);

  std::vector<short> flat(7);
  unsigned int s = 5;
  EXPECT_EQ(V::ippsRandGauss_Direct_16s(flat.data(), 7, -300, 0, s), 0);
  EXPECT_EQ(flat, std::vector<short>(7, -300));

  // Beyond the 16-bit range the values saturate by their sign.
  std::vector<short> wide(2000);
  EXPECT_EQ(V::ippsRandGauss_Direct_16s(wide.data(), 2000, 0, 32767, s), 0);
  bool top = false, bottom = false;
  for (short x : wide) {
    top |= x == 32767;
    bottom |= x == -32768;
  }
  EXPECT_TRUE(top);
  EXPECT_TRUE(bottom);

  // One sample is the first of the first pair; the seed then still moves on.
  unsigned int a = 31, b = 31;
  short one = 0;
  std::vector<short> two(2);
  EXPECT_EQ(V::ippsRandGauss_Direct_16s(&one, 1, 0, 1000, a), 0);
  EXPECT_EQ(V::ippsRandGauss_Direct_16s(two.data(), 2, 0, 1000, b), 0);
  EXPECT_EQ(one, two[0]);
}

TEST(NoCallerGenerators, NoiseStatusesLeaveSeedAlone) {
  short buf[2] = {7, 7};
  unsigned int seed = 3;
  EXPECT_EQ(V::ippsRandUniform_Direct_16s(nullptr, 2, 0, 1, seed), -8);
  EXPECT_EQ(V::ippsRandUniform_Direct_16s(buf, 0, 0, 1, seed), -6);
  EXPECT_EQ(V::ippsRandGauss_Direct_16s(nullptr, 2, 0, 1, seed), -8);
  EXPECT_EQ(V::ippsRandGauss_Direct_16s(buf, -1, 0, 1, seed), -6);
  EXPECT_EQ(seed, 3u);
  EXPECT_EQ(buf[0], 7);
}

TEST(NoCallerGenerators, ToneFollowsTheCosine) {
  const float rFreq = 0.01f;
  float phase = 0.5f;
  std::vector<short> v(1000);
  ASSERT_EQ(V::ippsTone_Direct_16s(v.data(), 1000, 10000, rFreq, phase, 0), 0);
  for (int n = 0; n < 1000; ++n) {
    const double want = 10000 * std::cos(0.5 + 2 * std::numbers::pi * rFreq * n);
    EXPECT_NEAR(v[n], want, 1.01) << n;
  }
  const double next = std::fmod(0.5 + 2 * std::numbers::pi * static_cast<double>(rFreq) * 1000,
                                2 * std::numbers::pi);
  EXPECT_NEAR(phase, next, 1e-5);

  // A second call with the returned phase continues the waveform.
  std::vector<short> w(3);
  ASSERT_EQ(V::ippsTone_Direct_16s(w.data(), 3, 10000, rFreq, phase, 0), 0);
  EXPECT_NEAR(w[0], 10000 * std::cos(0.5 + 2 * std::numbers::pi * rFreq * 1000), 2);
}

TEST(NoCallerGenerators, ToneEdgeCases) {
  float phase = 1.0f;
  std::vector<short> v(5);
  ASSERT_EQ(V::ippsTone_Direct_16s(v.data(), 5, 1000, 0.0f, phase, 0), 0);
  EXPECT_EQ(v, std::vector<short>(5, static_cast<short>(1000 * std::cos(1.0))));
  EXPECT_EQ(phase, 1.0f);

  for (int len : {1, 2, 3}) {
    std::vector<short> s(4, 11);
    float p = 0.0f;
    ASSERT_EQ(V::ippsTone_Direct_16s(s.data(), len, 100, 0.25f, p, 0), 0);
    // cos(0) = 1, cos(π/2) ≈ 0, cos(π) = -1: only len samples are written.
    const std::vector<short> want{100, 0, -100};
    for (int i = 0; i < len; ++i)
      EXPECT_EQ(s[i], want[i]) << len;
    EXPECT_EQ(s[len], 11);
  }

  float big = static_cast<float>(2 * std::numbers::pi); // the float above the double 2π
  std::vector<short> keep(2, 5);
  EXPECT_EQ(V::ippsTone_Direct_16s(keep.data(), 2, 100, 0.1f, big, 0), -44);
  float p = 0.0f;
  EXPECT_EQ(V::ippsTone_Direct_16s(keep.data(), 2, 0, 0.1f, p, 0), -46);
  EXPECT_EQ(V::ippsTone_Direct_16s(keep.data(), 2, 100, 0.5f, p, 0), -45);
  EXPECT_EQ(V::ippsTone_Direct_16s(keep.data(), 2, 100, -0.1f, p, 0), -45);
  float neg = -0.1f;
  EXPECT_EQ(V::ippsTone_Direct_16s(keep.data(), 2, 100, 0.1f, neg, 0), -44);
  EXPECT_EQ(V::ippsTone_Direct_16s(nullptr, 2, 100, 0.1f, p, 0), -8);
  EXPECT_EQ(V::ippsTone_Direct_16s(keep.data(), 0, 100, 0.1f, p, 0), -6);
  // Magnitude is tested before the array.
  EXPECT_EQ(V::ippsTone_Direct_16s(nullptr, 0, 0, 0.1f, p, 0), -46);
  EXPECT_EQ(keep, std::vector<short>(2, 5));
  EXPECT_EQ(p, 0.0f);
  EXPECT_EQ(neg, -0.1f);
}

TEST(NoCallerGenerators, Triangle) {
  float phase = 0.0f;
  std::vector<short> v(9);
  ASSERT_EQ(V::ippsTriangle_Direct_16s(v.data(), 9, 16384, 0.25f, 0.0f, phase), 0);
  EXPECT_EQ(v, (std::vector<short>{16384, 0, -16384, 0, 16384, 0, -16384, 0, 16384}));
  EXPECT_NEAR(phase, std::fmod(9 * std::numbers::pi / 2, 2 * std::numbers::pi), 1e-6);

  float p4 = 0.0f;
  std::vector<short> four(4);
  ASSERT_EQ(V::ippsTriangle_Direct_16s(four.data(), 4, 16384, 0.25f, 0.0f, p4), 0);
  EXPECT_EQ(p4, 0.0f);

  // Asymmetric: falls over π + asym, rises over π - asym, always within ±magn.
  float pa = 1.0f;
  std::vector<short> a(500);
  ASSERT_EQ(V::ippsTriangle_Direct_16s(a.data(), 500, 1000, 0.03f, 1.0f, pa), 0);
  for (int n = 0; n < 500; ++n) {
    const double ph = std::fmod(1.0 + 2 * std::numbers::pi * 0.03 * n, 2 * std::numbers::pi);
    const double h1 = std::numbers::pi + 1.0, h2 = std::numbers::pi - 1.0;
    const double want = ph < h1 ? 1000 * (1 - 2 * ph / h1) : 1000 * (2 * (ph - h1) / h2 - 1);
    EXPECT_NEAR(a[n], want, 1.5) << n;
  }

  float p = 0.0f;
  std::vector<short> keep(2, 5);
  EXPECT_EQ(V::ippsTriangle_Direct_16s(keep.data(), 2, 0, 0.1f, 0.0f, p), -43);
  EXPECT_EQ(V::ippsTriangle_Direct_16s(keep.data(), 2, 10, 0.5f, 0.0f, p), -42);
  EXPECT_EQ(V::ippsTriangle_Direct_16s(keep.data(), 2, 10, 0.1f, 3.15f, p), -41);
  EXPECT_EQ(V::ippsTriangle_Direct_16s(keep.data(), 2, 10, 0.1f, std::nanf(""), p), -41);
  float bad = 7.0f;
  EXPECT_EQ(V::ippsTriangle_Direct_16s(keep.data(), 2, 10, 0.1f, 0.0f, bad), -40);
  EXPECT_EQ(V::ippsTriangle_Direct_16s(nullptr, 2, 10, 0.1f, 0.0f, p), -8);
  EXPECT_EQ(V::ippsTriangle_Direct_16s(keep.data(), 0, 10, 0.1f, 0.0f, p), -6);
  EXPECT_EQ(keep, std::vector<short>(2, 5));
  EXPECT_EQ(bad, 7.0f);

  // rFreq 0 holds the start value.
  float p0 = 0.0f;
  std::vector<short> flat(4);
  ASSERT_EQ(V::ippsTriangle_Direct_16s(flat.data(), 4, 300, 0.0f, 0.0f, p0), 0);
  EXPECT_EQ(flat, std::vector<short>(4, 300));
}
