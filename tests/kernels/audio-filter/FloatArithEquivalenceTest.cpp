// Float arithmetic, the saturating 16-bit add, the spectrum operations and the threshold
// against the generic variants (bit for bit), the sums and magnitudes within their
// stated bounds, and the memory routines of every level against the generic bytes.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/audio-filter/AudioFilterKernels.h"
#include "tests/kernels/audio-sample/Arena.h"
#include "tests/support/ControlWords.h"

namespace {

namespace kf = kernels::audio_filter;
namespace gen = Vizazodizaro::generic;
using audio_kernel_test::Arenas;

const int kLengths[] = {1, 2, 3, 4, 5, 7, 8, 9, 11, 15, 16, 17, 31, 33, 100, 1001};

std::vector<float> floatValues(std::size_t n, std::uint32_t seed) {
  static const float specials[] = {0.0f,
                                   -0.0f,
                                   1.0f,
                                   -1.0f,
                                   3.0f,
                                   INFINITY,
                                   -INFINITY,
                                   std::numeric_limits<float>::quiet_NaN(),
                                   std::bit_cast<float>(0xFFC12345u),
                                   std::numeric_limits<float>::denorm_min(),
                                   1e-20f,
                                   1e20f,
                                   std::numeric_limits<float>::max(),
                                   3.4e38f,
                                   -1e-39f};
  std::mt19937 rng(seed);
  std::vector<float> v(n);
  for (std::size_t i = 0; i < n; ++i)
    v[i] = rng() % 4 == 0 ? specials[rng() % (sizeof specials / sizeof specials[0])]
                          : std::ldexp(std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng),
                                       static_cast<int>(rng() % 60) - 30);
  return v;
}

bool sameBits(const std::vector<float> &a, const std::vector<float> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 4) == 0;
}

// Bit for bit, except that a NaN may stand for a NaN of another payload: when both
// factors of a product are NaN, IEEE leaves open whose payload the result carries, and
// the compiler may order the generic's operands either way.
bool sameBitsOrBothNaN(const std::vector<float> &a, const std::vector<float> &b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::bit_cast<std::uint32_t>(a[i]) != std::bit_cast<std::uint32_t>(b[i]) &&
        !(std::isnan(a[i]) && std::isnan(b[i])))
      return false;
  return true;
}

using UnaryC = IppOpStatus (*)(float, float *, int);

TEST(FloatArithKernels, ElementWiseOperationsEqualTheGenericBitForBit) {
  const float constants[] = {1.0f,   0.0f,     -0.0f,     3.0f,
                             -0.25f, INFINITY, -INFINITY, std::numeric_limits<float>::quiet_NaN(),
                             1e-30f, 7.5e37f};
  std::uint32_t seed = 1;
  for (int len : kLengths) {
    for (int off : {0, 1, 2, 3}) {
      const auto x = floatValues(static_cast<std::size_t>(len + off), seed++);
      const auto y = floatValues(static_cast<std::size_t>(len + off), seed++);
      auto check = [&](const char *name, auto kernelRun, auto genericRun, bool nanProduct) {
        std::vector<float> a = x, b = x;
        const IppOpStatus sa = kernelRun(a.data() + off);
        const IppOpStatus sb = genericRun(b.data() + off);
        ASSERT_EQ(sa, sb) << name << " len " << len;
        ASSERT_TRUE(nanProduct ? sameBitsOrBothNaN(a, b) : sameBits(a, b))
            << name << " len " << len << " off " << off;
      };
      check(
          "Sub", [&](float *d) { return kf::sse2::ippsSub_32f_I(y.data(), d, len); },
          [&](float *d) { return gen::ippsSub_32f_I(y.data(), d, len); }, false);
      check(
          "Sqr", [&](float *d) { return kf::sse2::ippsSqr_32f_I(d, len); },
          [&](float *d) { return gen::ippsSqr_32f_I(d, len); }, false);
      for (float c : constants) {
        for (UnaryC k : {kf::sse2::ippsMulC_32f_I, kf::sse::ippsMulC_32f_I})
          check(
              "MulC_I", [&](float *d) { return k(c, d, len); },
              [&](float *d) { return gen::ippsMulC_32f_I(c, d, len); }, true);
        for (UnaryC k : {kf::sse2::ippsDivC_32f_I, kf::sse::ippsDivC_32f_I})
          check(
              "DivC_I", [&](float *d) { return k(c, d, len); },
              [&](float *d) { return gen::ippsDivC_32f_I(c, d, len); }, true);
        for (auto k : {kf::sse2::ippsMulC_32f, kf::sse::ippsMulC_32f}) {
          std::vector<float> a(static_cast<std::size_t>(len + 8), 9.0f), b = a;
          ASSERT_EQ(k(y.data() + off, c, a.data() + 3, len),
                    gen::ippsMulC_32f(y.data() + off, c, b.data() + 3, len));
          ASSERT_TRUE(sameBitsOrBothNaN(a, b)) << "MulC " << c << " len " << len;
        }
      }
    }
  }
}

TEST(FloatArithKernels, SaturatingSixteenBitAddEqualsTheGeneric) {
  for (int len : kLengths) {
    for (int off : {0, 1, 3}) {
      Arenas arenas(4 * static_cast<std::size_t>(len) + 256, static_cast<std::uint32_t>(len + off));
      ASSERT_EQ(kf::sse2::ippsAdd_16s_I(
                    reinterpret_cast<const short *>(arenas.kernel(16)),
                    reinterpret_cast<short *>(arenas.kernel(64 + 2 * len + 2 * off)), len),
                gen::ippsAdd_16s_I(
                    reinterpret_cast<const short *>(arenas.generic(16)),
                    reinterpret_cast<short *>(arenas.generic(64 + 2 * len + 2 * off)), len));
      ASSERT_EQ(arenas.firstDifference(), -1) << len;
    }
  }
  short s[2] = {1, -1}, d[2] = {32767, -32768};
  ASSERT_EQ(kf::sse2::ippsAdd_16s_I(s, d, 2), 0);
  EXPECT_EQ(d[0], 32767);
  EXPECT_EQ(d[1], -32768);
}

TEST(FloatArithKernels, BadArgumentsGiveTheGenericStatus) {
  float v[4] = {1, 2, 3, 4};
  float sum = 5.0f;
  EXPECT_EQ(kf::sse2::ippsSub_32f_I(nullptr, v, 0), gen::ippsSub_32f_I(nullptr, v, 0));
  EXPECT_EQ(kf::sse2::ippsSub_32f_I(v, v, 0), ippStsSizeErr);
  EXPECT_EQ(kf::sse2::ippsSqr_32f_I(nullptr, -1), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse2::ippsSum_32f(v, 4, nullptr, 0), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse2::ippsSum_32f(v, 0, &sum, 1), ippStsSizeErr);
  EXPECT_EQ(kf::sse2::ippsMulC_32f(v, 2.0f, nullptr, 4), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse::ippsMulC_32f_I(2.0f, v, 0), ippStsSizeErr);
  for (float c : {0.0f, -0.0f}) {
    EXPECT_EQ(kf::sse2::ippsDivC_32f_I(c, v, 4), ippStsDivByZeroErr);
    EXPECT_EQ(kf::sse::ippsDivC_32f_I(c, v, 4), ippStsDivByZeroErr);
  }
  EXPECT_EQ(kf::sse2::ippsAdd_16s_I(nullptr, nullptr, 4), ippStsNullPtrErr);
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(sum, 5.0f);
}

// Sum of the magnitudes and an extended-precision reference in index order.
struct Reference {
  long double sum = 0, magnitude = 0;
};
Reference reference(const std::vector<float> &v) {
  Reference r;
  for (float x : v) {
    r.sum += x;
    r.magnitude += std::fabs(static_cast<long double>(x));
  }
  return r;
}

// The two orders of the vector sums: within (len / 8 + 3) · 2^-53 (double-precision
// ring) or (2048 + 8) · 2^-24 (single-precision lanes, hint 1) of the magnitude sum from
// the exact sum, plus the final rounding to float; the generic is within a few 2^-64 of
// it too.
TEST(FloatArithKernels, SumsStayWithinTheirBoundsOfTheExactSum) {
  std::mt19937 rng(77);
  for (int len : {1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 100, 1001, 4800, 32768, 32769, 100000}) {
    std::vector<float> v(static_cast<std::size_t>(len));
    for (float &x : v)
      x = std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng) * (rng() % 2 ? 1.0f : 1e3f);
    const Reference ref = reference(v);
    for (int hint : {0, 1, 2}) {
      float k = 0, g = 0;
      ASSERT_EQ(kf::sse2::ippsSum_32f(v.data(), len, &k, hint), 0);
      if (hint == 1 && len > 1) {
        // From an address off the 16-byte grid: the extended sum in index order.
        float off = 0;
        ASSERT_EQ(kf::sse2::ippsSum_32f(v.data() + 1, len - 1, &off, 1), 0);
        long double seq = 0;
        for (int i = 1; i < len; ++i)
          seq += v[static_cast<std::size_t>(i)];
        EXPECT_EQ(off, static_cast<float>(seq)) << len;
      }
      ASSERT_EQ(gen::ippsSum_32f(v.data(), len, &g, hint), 0);
      const long double order =
          hint == 1 ? (2048.0L + 8) * std::ldexp(1.0L, -24) : (len / 8 + 3) * std::ldexp(1.0L, -53);
      const long double bound =
          order * ref.magnitude + std::ldexp(1.0L, std::ilogb(static_cast<float>(ref.sum)) - 23);
      EXPECT_LE(std::fabs(static_cast<long double>(k) - ref.sum), bound)
          << "len " << len << " hint " << hint;
      EXPECT_LE(std::fabs(static_cast<long double>(g) - ref.sum), bound);
    }
  }
  // The meters' squares: all positive, so the ring sum is within a few units of the
  // generic one.
  std::vector<float> squares(4800);
  for (float &x : squares) {
    const float s = std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng);
    x = s * s;
  }
  float k = 0, g = 0;
  kf::sse2::ippsSum_32f(squares.data(), 4800, &k, 0);
  gen::ippsSum_32f(squares.data(), 4800, &g, 0);
  EXPECT_LE(std::fabs(k - g), 2 * std::ldexp(1.0f, std::ilogb(g) - 23));
}

TEST(FloatArithKernels, SumsOfSpecialValuesAgreeWithTheGeneric) {
  const std::vector<std::vector<float>> cases = {{1.0f, 2.0f, 3.0f},
                                                 {INFINITY, 1.0f},
                                                 {INFINITY, -INFINITY},
                                                 {std::numeric_limits<float>::quiet_NaN(), 1.0f},
                                                 {3e38f, 3e38f, -3e38f}};
  for (const auto &c : cases) {
    for (int hint : {0, 1}) {
      float k = 0, g = 0;
      kf::sse2::ippsSum_32f(c.data(), static_cast<int>(c.size()), &k, hint);
      gen::ippsSum_32f(c.data(), static_cast<int>(c.size()), &g, hint);
      if (std::isnan(g)) {
        EXPECT_TRUE(std::isnan(k));
      } else if (hint == 0) {
        EXPECT_EQ(k, g); // double accumulators keep 3e38 + 3e38 finite, as the generic does
      }
    }
  }
}

std::uint64_t ulps(double a, double b) {
  if (std::isnan(a) || std::isnan(b))
    return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
  const auto x = std::bit_cast<std::int64_t>(a), y = std::bit_cast<std::int64_t>(b);
  return x > y ? static_cast<std::uint64_t>(x - y) : static_cast<std::uint64_t>(y - x);
}

TEST(SpectrumKernels, MagnitudeWithinTwoUnitsOfTheGeneric) {
  std::mt19937_64 rng(5);
  std::vector<Ipp64fc> z(1001);
  for (Ipp64fc &c : z)
    c = {std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng),
                    static_cast<int>(rng() % 400) - 200),
         std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng),
                    static_cast<int>(rng() % 400) - 200)};
  z[0] = {3, 4};
  z[1] = {1e200, 0};
  z[2] = {1e-200, 0};
  z[3] = {-0.0, 0.0};
  z[4] = {INFINITY, 1};
  z[5] = {std::numeric_limits<double>::quiet_NaN(), 1};
  for (int len : {1, 2, 3, 1001}) {
    std::vector<double> a(static_cast<std::size_t>(len) + 1, 7.0), b = a;
    ASSERT_EQ(kf::sse2::ippsMagnitude_64fc(z.data(), a.data(), len), 0);
    ASSERT_EQ(gen::ippsMagnitude_64fc(z.data(), b.data(), len), 0);
    for (int i = 0; i < len; ++i)
      EXPECT_LE(ulps(a[i], b[i]), 2u) << z[i].re << " " << z[i].im;
    EXPECT_EQ(a[len], 7.0);
  }
  double m[4];
  ASSERT_EQ(kf::sse2::ippsMagnitude_64fc(z.data(), m, 4), 0);
  EXPECT_EQ(m[0], 5.0);
  EXPECT_EQ(m[1], INFINITY);
  EXPECT_EQ(m[2], 0.0);
  EXPECT_EQ(m[3], 0.0);
  EXPECT_EQ(kf::sse2::ippsMagnitude_64fc(nullptr, m, 0), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse2::ippsMagnitude_64fc(z.data(), m, 0), ippStsSizeErr);
}

TEST(SpectrumKernels, ConjugateExtensionAndThresholdEqualTheGeneric) {
  for (int len : {1, 2, 3, 4, 8, 9, 17, 100}) {
    std::vector<Ipp64fc> a(static_cast<std::size_t>(len) + 1);
    for (std::size_t i = 0; i < a.size(); ++i)
      a[i] = {static_cast<double>(i) + 0.5, i % 3 ? -static_cast<double>(i) : 0.0};
    a[1].im = std::bit_cast<double>(0x7FF8000000000123ull);
    auto b = a;
    ASSERT_EQ(kf::sse2::ippsConjCcs_64fc_I(a.data(), len), gen::ippsConjCcs_64fc_I(b.data(), len));
    ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(Ipp64fc)), 0) << len;
  }
  std::mt19937 rng(3);
  for (int len : kLengths) {
    for (auto levels : {std::pair<short, short>{-100, 100}, {5, 5}, {-32768, 32767}, {0, -1}}) {
      std::vector<short> a(static_cast<std::size_t>(len) + 2);
      for (short &x : a)
        x = static_cast<short>(rng() % 5 == 0 ? levels.first : rng());
      auto b = a;
      const IppOpStatus sa = kf::sse2::ippsThreshold_LTValGTVal_16s_I(
          a.data() + 1, len, levels.first, 11, levels.second, -22);
      const IppOpStatus sb = gen::ippsThreshold_LTValGTVal_16s_I(b.data() + 1, len, levels.first,
                                                                 11, levels.second, -22);
      ASSERT_EQ(sa, sb);
      ASSERT_EQ(a, b) << len;
    }
  }
}

// Every level's memory routines give the generic bytes for every length and both
// alignments, and write nothing else.
TEST(MemoryRoutines, EveryLevelWritesTheGenericBytes) {
  using Copy8 = void *(*)(const void *, void *, int);
  using Zero8 = void *(*)(void *, int);
  const Copy8 copies[] = {kf::sse2::ownsCopy_8u, kf::sse::ownsCopy_8u};
  const Zero8 zeros[] = {kf::sse2::ownsZero_8u, kf::sse::ownsZero_8u};
  for (int n = -1; n <= 300; ++n) {
    for (int sOff = 0; sOff < 16; sOff += 5) {
      for (int dOff = 0; dOff < 16; dOff += 3) {
        for (int level = 0; level < 2; ++level) {
          Arenas arenas(1024, static_cast<std::uint32_t>(n + 1000 * sOff));
          EXPECT_EQ(copies[level](arenas.kernel(sOff), arenas.kernel(400 + dOff), n),
                    arenas.kernel(400 + dOff));
          kf::generic::ownsCopy_8u(arenas.generic(sOff), arenas.generic(400 + dOff), n);
          ASSERT_EQ(arenas.firstDifference(), -1) << "copy n " << n << " level " << level;
          zeros[level](arenas.kernel(dOff), n);
          kf::generic::ownsZero_8u(arenas.generic(dOff), n);
          ASSERT_EQ(arenas.firstDifference(), -1) << "zero n " << n << " level " << level;
        }
      }
    }
  }
  float f[2] = {1, 2};
  EXPECT_EQ(kf::sse2::ownsCopy_32f(nullptr, f, 0), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse::ownsZero_32f(f, 0), ippStsSizeErr);
  EXPECT_EQ(kf::generic::ownsZero_32f(nullptr, -1), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse2::ownsCopy_32f(f, f + 1, -3), ippStsSizeErr);
  EXPECT_EQ(f[1], 2.0f);
  double d[2] = {1, 2};
  EXPECT_EQ(kf::ownsCopy_64f_Sse(nullptr, d, 1), ippStsNullPtrErr);
  EXPECT_EQ(kf::ownsCopy_64f_Sse2(d, nullptr, 1), ippStsNullPtrErr);
  EXPECT_EQ(kf::generic::ownsCopy_64f(d, d + 1, 0), ippStsSizeErr);
  EXPECT_EQ(kf::ownsZero_64f_Sse3(nullptr, 0), ippStsNullPtrErr);
  EXPECT_EQ(kf::ownsZero_64f_Sse(d + 1, -1), ippStsSizeErr);
  EXPECT_EQ(d[1], 2.0);
}

// Code 5 streams copies from 8 KiB (2048 floats, 1024 doubles) and fills from 20 KiB
// (5120 floats, 2560 doubles); the data are the same either way, and every level's
// double wrappers write exactly the len elements.
template <class T, class Copy, class Zero>
void CheckCodeFiveStreaming(Copy copy, Zero zero, int copyFrom, int zeroFrom) {
  std::vector<T> src(6000), dst(6001);
  for (std::size_t i = 0; i < src.size(); ++i)
    src[i] = static_cast<T>(i);
  struct Case {
    bool copy;
    int len;
    bool streams;
  } cases[] = {{true, copyFrom - 1, false},
               {true, copyFrom, true},
               {false, zeroFrom - 1, false},
               {false, zeroFrom, true}};
  for (const Case &c : cases) {
    std::fill(dst.begin(), dst.end(), T(9));
    const std::uint64_t before = kf::NonTemporalRuns();
    ASSERT_EQ(c.copy ? copy(src.data(), dst.data() + 1, c.len) : zero(dst.data() + 1, c.len), 0);
    EXPECT_EQ(kf::NonTemporalRuns() - before, c.streams ? 1u : 0u) << c.len;
    EXPECT_EQ(dst[0], T(9));
    EXPECT_EQ(dst[static_cast<std::size_t>(c.len)], c.copy ? static_cast<T>(c.len - 1) : T(0));
    EXPECT_EQ(dst[static_cast<std::size_t>(c.len) + 1], T(9));
  }
}

TEST(MemoryRoutines, CodeFiveStreamsLargeAreas) {
  CheckCodeFiveStreaming<float>(kf::sse::ownsCopy_32f, kf::sse::ownsZero_32f, 2048, 5120);
  CheckCodeFiveStreaming<double>(kf::ownsCopy_64f_Sse, kf::ownsZero_64f_Sse, 1024, 2560);
}

TEST(MemoryRoutines, DoubleWrappersOfEveryLevelWriteTheirElements) {
  using Copy = IppOpStatus (*)(const double *, double *, int);
  using Zero = IppOpStatus (*)(double *, int);
  const std::pair<Copy, Zero> levels[] = {{kf::generic::ownsCopy_64f, kf::generic::ownsZero_64f},
                                          {kf::ownsCopy_64f_Sse, kf::ownsZero_64f_Sse},
                                          {kf::ownsCopy_64f_Sse2, kf::ownsZero_64f_Sse2},
                                          {kf::ownsCopy_64f_Sse3, kf::ownsZero_64f_Sse3}};
  for (const auto &[copy, zero] : levels)
    for (int len : {1, 3, 17, 1023, 1024, 3000}) {
      std::vector<double> src(static_cast<std::size_t>(len)), dst(src.size() + 2, 7.0);
      for (std::size_t i = 0; i < src.size(); ++i)
        src[i] = 0.5 + static_cast<double>(i);
      ASSERT_EQ(copy(src.data(), dst.data() + 1, len), 0);
      EXPECT_TRUE(std::equal(src.begin(), src.end(), dst.begin() + 1)) << len;
      EXPECT_EQ(dst.front(), 7.0);
      EXPECT_EQ(dst.back(), 7.0);
      ASSERT_EQ(zero(dst.data() + 1, len), 0);
      EXPECT_TRUE(std::all_of(dst.begin() + 1, dst.end() - 1, [](double v) { return v == 0.0; }));
      EXPECT_EQ(dst.back(), 7.0);
    }
}

} // namespace

namespace {

// The double-precision triangle: samples within one unit of the generic, the same phase
// and the same statuses, over asymmetries, frequencies, phases and a long run.
TEST(GeneratorKernels, TriangleWithinOneUnitOfTheGeneric) {
  struct Case {
    short magn;
    float freq, asym, phase;
    int len;
  } cases[] = {{32767, 0.01f, 0.0f, 0.0f, 5000}, {1000, 0.3f, 1.0f, 2.0f, 777},
               {12345, 0.125f, -2.5f, 6.0f, 64}, {5, 0.49f, 3.1f, 3.14f, 1000},
               {32767, 0.0f, 0.5f, 1.0f, 10},    {100, 0.001f, -3.14f, 0.5f, 20000}};
  for (const Case &c : cases) {
    std::vector<short> a(static_cast<std::size_t>(c.len)), b(a.size());
    float pa = c.phase, pb = c.phase;
    ASSERT_EQ(kf::sse2::ippsTriangle_Direct_16s(a.data(), c.len, c.magn, c.freq, c.asym, pa),
              gen::ippsTriangle_Direct_16s(b.data(), c.len, c.magn, c.freq, c.asym, pb));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(pa), std::bit_cast<std::uint32_t>(pb));
    for (std::size_t i = 0; i < a.size(); ++i)
      ASSERT_LE(std::abs(a[i] - b[i]), 1) << "magn " << c.magn << " sample " << i;
  }
  struct Bad {
    short magn;
    float freq, asym, phase;
  } bad[] = {{0, 0.1f, 0.0f, 0.0f},
             {10, 0.5f, 0.0f, 0.0f},
             {10, -0.1f, 0.0f, 0.0f},
             {10, 0.1f, 3.2f, 0.0f},
             {10, 0.1f, 0.0f, 7.0f},
             {10, 0.1f, 0.0f, -1.0f},
             {10, 0.1f, std::numeric_limits<float>::quiet_NaN(), 0.0f}};
  for (const Bad &c : bad) {
    short out[4] = {1, 2, 3, 4};
    float pa = c.phase, pb = c.phase;
    const IppOpStatus sa = kf::sse2::ippsTriangle_Direct_16s(out, 4, c.magn, c.freq, c.asym, pa);
    const IppOpStatus sb = gen::ippsTriangle_Direct_16s(out, 4, c.magn, c.freq, c.asym, pb);
    EXPECT_LT(sa, 0);
    EXPECT_EQ(sa, sb);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(pa), std::bit_cast<std::uint32_t>(c.phase));
  }
  float ph = 0;
  EXPECT_EQ(kf::sse2::ippsTriangle_Direct_16s(nullptr, 4, 10, 0.1f, 0, ph),
            gen::ippsTriangle_Direct_16s(nullptr, 4, 10, 0.1f, 0, ph));
  short one = 0;
  EXPECT_EQ(kf::sse2::ippsTriangle_Direct_16s(&one, 0, 10, 0.1f, 0, ph), ippStsSizeErr);
}

} // namespace

namespace {

// Uniform noise of the 16-byte register classes: the generic generator steps (same
// seed afterwards), each sample rounded where the generic truncates, so equal or one
// above a positive truncation / one below a negative one; within [low - 1, high].
TEST(GeneratorKernels, UniformNoiseWithinOneUnitAndSameSeed) {
  struct Case {
    short low, high;
    unsigned seed;
    int len;
  } cases[] = {{-32768, 32767, 1u, 5001},
               {-100, 100, 12345u, 1000},
               {0, 10, 0xDEADBEEFu, 777},
               {5, 5, 7u, 10},
               {-3, -1, 99u, 1}};
  for (const Case &c : cases) {
    std::vector<short> a(static_cast<std::size_t>(c.len)), b(a.size());
    unsigned sa = c.seed, sb = c.seed;
    ASSERT_EQ(kf::sse2::ippsRandUniform_Direct_16s(a.data(), c.len, c.low, c.high, sa), 0);
    ASSERT_EQ(gen::ippsRandUniform_Direct_16s(b.data(), c.len, c.low, c.high, sb), 0);
    EXPECT_EQ(sa, sb);
    for (std::size_t i = 0; i < a.size(); ++i) {
      ASSERT_LE(std::abs(a[i] - b[i]), 1) << c.low << ".." << c.high << " sample " << i;
      if (c.high - c.low < 65535) {
        ASSERT_GE(a[i], c.low - 1);
        ASSERT_LE(a[i], c.high);
      }
    }
  }
  short out[2] = {4, 4};
  unsigned seed = 3;
  EXPECT_EQ(kf::sse2::ippsRandUniform_Direct_16s(nullptr, 2, 0, 1, seed), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse2::ippsRandUniform_Direct_16s(out, 0, 0, 1, seed), ippStsSizeErr);
  EXPECT_EQ(seed, 3u);
  EXPECT_EQ(out[0], 4);
}

} // namespace

namespace {

// The tone: any hint but 1 gives the generic samples; hint 1 stays near the exact
// magn · cos(p + w n). Its 16 head samples of a block are the generic recurrence; after
// them the eight-step recurrence in single precision makes at most 3 · 2^-24 · magn of
// error per step (plus 2^-24 · magn for each held start value), and an error carried
// m steps grows by at most min(m, 1 / |sin 8w|); with m <= 128 steps per block the
// sample is within 1 (rounding) + 4 · 2^-24 · magn · 128 · min(128, 1 / |sin 8w|) of
// the exact value, and the generic within a few units of it.
TEST(GeneratorKernels, ToneEqualsTheGenericOrStaysNearTheExactWave) {
  struct Case {
    short magn;
    float freq, phase;
    int len;
  } cases[] = {{32767, 0.01f, 0.0f, 4800},  {1000, 0.3f, 2.0f, 1025}, {12345, 0.125f, 6.0f, 17},
               {20000, 0.49f, 3.14f, 3000}, {32767, 0.0f, 1.0f, 40},  {300, 0.001f, 0.5f, 2048},
               {5, 0.2f, 0.1f, 1}};
  for (const Case &c : cases) {
    for (int hint : {0, 2, 1}) {
      std::vector<short> a(static_cast<std::size_t>(c.len)), b(a.size());
      float pa = c.phase, pb = c.phase;
      ASSERT_EQ(kf::sse2::ippsTone_Direct_16s(a.data(), c.len, c.magn, c.freq, pa, hint), 0);
      ASSERT_EQ(gen::ippsTone_Direct_16s(b.data(), c.len, c.magn, c.freq, pb, hint), 0);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(pa), std::bit_cast<std::uint32_t>(pb));
      if (hint != 1) {
        ASSERT_EQ(a, b) << "magn " << c.magn << " freq " << c.freq;
        continue;
      }
      const long double w = 2 * std::numbers::pi_v<long double> * c.freq;
      const long double s8 = std::fabs(std::sin(8 * w));
      const long double growth = s8 > 0 ? std::min(128.0L, 1 / s8) : 128.0L;
      const long double bound = 1 + 4 * std::ldexp(1.0L, -24) * c.magn * 128 * growth;
      for (std::size_t n = 0; n < a.size(); ++n) {
        const long double exact = c.magn * std::cos(c.phase + w * static_cast<long double>(n));
        ASSERT_LE(std::fabs(a[n] - exact), bound + 2) << "freq " << c.freq << " sample " << n;
        if (n % 1024 < 16) { // the head of each block: the one-step recurrence, truncated
          ASSERT_LE(std::abs(a[n] - b[n]), 2) << n;
        }
      }
    }
  }
  float ph = 0.0f;
  short out[2] = {9, 9};
  const struct {
    short magn;
    float freq, phase;
  } bad[] = {
      {0, 0.1f, 0.0f}, {10, 0.5f, 0.0f}, {10, -0.01f, 0.0f}, {10, 0.1f, 6.3f}, {10, 0.1f, -0.5f}};
  for (const auto &c : bad) {
    float pa = c.phase, pb = c.phase;
    const IppOpStatus sa = kf::sse2::ippsTone_Direct_16s(out, 2, c.magn, c.freq, pa, 1);
    EXPECT_EQ(sa, gen::ippsTone_Direct_16s(out, 2, c.magn, c.freq, pb, 1));
    EXPECT_LT(sa, 0);
    EXPECT_EQ(out[0], 9);
  }
  EXPECT_EQ(kf::sse2::ippsTone_Direct_16s(nullptr, 2, 10, 0.1f, ph, 1), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse2::ippsTone_Direct_16s(out, 0, 10, 0.1f, ph, 1), ippStsSizeErr);
}

// Every variant of the filter unit's arithmetic, spectrum, generator, memory and FIR step
// kernels, with good and bad arguments, under a caller's chop rounding with flush-to-zero
// and denormals-are-zero and an x87 word of extended precision rounding down: both
// registers come back with the controls as set (status flags may be raised).
TEST(FilterUnitKernels, LeaveTheMxcsrAndX87WordsAsSet) {
  std::vector<float> f(4100, 0.75f), g(4100, 0.25f);
  std::vector<short> s16(3000, 1234), t16(3000, -77);
  std::vector<Ipp64fc> c(300, Ipp64fc{3.0, -4.0});
  std::vector<double> d(300);
  float sum = 0, phase = 0.25f;
  unsigned seed = 5;
  const double taps[5] = {0.5, -0.25, 0.125, 1.0, 2.0};
  FIRState_64f *fir = nullptr;
  ASSERT_EQ(gen::ippsFIRInitAlloc_64f(&fir, taps, 5, nullptr), 0);
  double y = 0;
  const std::pair<const char *, std::function<void()>> rows[] = {
      {"Add_16s_I", [&] { kf::sse2::ippsAdd_16s_I(t16.data(), s16.data(), 2999); }},
      {"Sub_32f_I", [&] { kf::sse2::ippsSub_32f_I(g.data(), f.data(), 4099); }},
      {"Sqr_32f_I", [&] { kf::sse2::ippsSqr_32f_I(f.data(), 4099); }},
      {"Sum_32f",
       [&] {
         kf::sse2::ippsSum_32f(f.data(), 4099, &sum, 0);
         kf::sse2::ippsSum_32f(f.data(), 4099, &sum, 1);
         kf::sse2::ippsSum_32f(f.data(), 0, &sum, 1);
       }},
      {"MulC_32f",
       [&] {
         kf::sse2::ippsMulC_32f(f.data(), 1.5f, g.data(), 4099);
         kf::sse::ippsMulC_32f(f.data(), 0.0f, g.data(), 4099);
       }},
      {"MulC_32f_I",
       [&] {
         kf::sse2::ippsMulC_32f_I(1.5f, f.data(), 4099);
         kf::sse::ippsMulC_32f_I(1.0f, f.data(), 4099);
       }},
      {"DivC_32f_I",
       [&] {
         kf::sse2::ippsDivC_32f_I(3.0f, f.data(), 4099);
         kf::sse::ippsDivC_32f_I(3.0f, f.data(), 4099);
         kf::sse2::ippsDivC_32f_I(0.0f, f.data(), 4099);
       }},
      {"ConjCcs_64fc_I", [&] { kf::sse2::ippsConjCcs_64fc_I(c.data(), 298); }},
      {"Magnitude_64fc", [&] { kf::sse2::ippsMagnitude_64fc(c.data(), d.data(), 299); }},
      {"Threshold",
       [&] {
         kf::sse2::ippsThreshold_LTValGTVal_16s_I(s16.data(), 2999, -5, -6, 5, 6);
         kf::sse2::ippsThreshold_LTValGTVal_16s_I(s16.data(), 2999, 5, 6, -5, -6);
       }},
      {"Tone",
       [&] {
         kf::sse2::ippsTone_Direct_16s(s16.data(), 2999, 1000, 0.01f, phase, 0);
         kf::sse2::ippsTone_Direct_16s(s16.data(), 2999, 1000, 0.01f, phase, 1);
         kf::sse2::ippsTone_Direct_16s(s16.data(), 2999, 1000, 0.7f, phase, 1);
       }},
      {"RandUniform",
       [&] { kf::sse2::ippsRandUniform_Direct_16s(s16.data(), 2999, -100, 100, seed); }},
      {"Triangle",
       [&] { kf::sse2::ippsTriangle_Direct_16s(s16.data(), 2999, 1000, 0.01f, 0.3f, phase); }},
      {"Memory",
       [&] {
         kf::sse2::ownsCopy_32f(f.data(), g.data(), 4099);
         kf::sse::ownsCopy_32f(f.data(), g.data(), 4099);
         kf::sse2::ownsZero_32f(g.data(), 4099);
         kf::sse::ownsZero_32f(g.data(), 4099);
       }},
      {"FIROne_64f",
       [&] {
         kf::sse2::ippsFIROne_64f(0.5, y, *fir);
         kf::sse2::ippsFIROne_64f(-0.5, y, *fir);
       }},
  };
  using namespace test_support;
  for (const auto &[name, run] : rows) {
    const ControlWords after = RunUnder(kCallerControlWords, run);
    EXPECT_EQ(after.mxcsr & ~kMxcsrFlags, kCallerControlWords.mxcsr) << name;
    EXPECT_EQ(after.x87, kCallerControlWords.x87) << name;
  }
  gen::ippsFIRFree_64f(*fir);
}

} // namespace
