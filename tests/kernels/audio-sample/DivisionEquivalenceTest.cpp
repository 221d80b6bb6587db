// The division kernels against the generic variants, which round every quotient exactly
// (ties to even) and saturate: 16-bit dividends all of them for a set of divisors at
// scale factors -31 ... 16, 8-bit exhaustive; zero divisors with their limits and
// warning 6, a zero constant divisor refused; the caller's rounding mode left alone.
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "kernels/audio-sample/AudioSampleKernels.h"
#include "tests/kernels/audio-sample/Arena.h"
#include "tests/support/ControlWords.h"

namespace {

namespace ks = kernels::audio_sample::sse2;
namespace gen = Albasicdispatcher::generic;
using audio_kernel_test::Arenas;

const short kDivisors[] = {1,  -1,  2,   -2,   3,     7,    -7,    10,
                           14, -14, 255, 1000, -1000, 4096, 32767, -32768};

std::vector<short> allDividends() {
  std::vector<short> v(65536);
  for (int i = 0; i < 65536; ++i)
    v[i] = static_cast<short>(i - 32768);
  return v;
}

TEST(DivisionKernels, SixteenBitAllDividendsForEachDivisorAndScale) {
  const std::vector<short> x = allDividends();
  for (short d : kDivisors) {
    const std::vector<short> divisors(65536, d);
    for (int sf = -31; sf <= 16; ++sf) {
      std::vector<short> a = x, b = x, c = x, e = x, f = x, g = x;
      ASSERT_EQ(ks::ippiDiv_16s_C1IRSfs(divisors.data(), 512, a.data(), 512, {256, 256}, sf),
                ippStsNoErr);
      ASSERT_EQ(gen::ippiDiv_16s_C1IRSfs(divisors.data(), 512, b.data(), 512, {256, 256}, sf),
                ippStsNoErr);
      ASSERT_EQ(ks::ippsDivC_16s_ISfs(d, c.data(), 65536, sf), ippStsNoErr);
      ASSERT_EQ(gen::ippsDivC_16s_ISfs(d, e.data(), 65536, sf), ippStsNoErr);
      ASSERT_EQ(ks::ippiDivC_16s_C1IRSfs(d, f.data(), 512, {256, 256}, sf), ippStsNoErr);
      ASSERT_EQ(gen::ippiDivC_16s_C1IRSfs(d, g.data(), 512, {256, 256}, sf), ippStsNoErr);
      for (int i = 0; i < 65536; ++i) {
        ASSERT_EQ(a[i], b[i]) << "Div " << x[i] << " / " << d << " sf " << sf;
        ASSERT_EQ(c[i], e[i]) << "DivC vector " << x[i] << " / " << d << " sf " << sf;
        ASSERT_EQ(f[i], g[i]) << "DivC region " << x[i] << " / " << d << " sf " << sf;
      }
    }
  }
}

TEST(DivisionKernels, EightBitExhaustive) {
  std::vector<unsigned char> src(65536), dst(65536);
  for (int i = 0; i < 65536; ++i) {
    src[i] = static_cast<unsigned char>(i & 255);
    dst[i] = static_cast<unsigned char>(i >> 8);
  }
  for (int sf = -9; sf <= 16; ++sf) {
    std::vector<unsigned char> a = dst, b = dst;
    const IppOpStatus sa = ks::ippiDiv_8u_C1IRSfs(src.data(), 256, a.data(), 256, {256, 256}, sf);
    const IppOpStatus sb = gen::ippiDiv_8u_C1IRSfs(src.data(), 256, b.data(), 256, {256, 256}, sf);
    ASSERT_EQ(sa, ippStsDivByZero);
    ASSERT_EQ(sa, sb);
    ASSERT_EQ(a, b) << "sf " << sf;
    for (int d = 1; d < 256; ++d) {
      std::vector<unsigned char> c(src), e(src);
      ASSERT_EQ(
          ks::ippiDivC_8u_C1IRSfs(static_cast<unsigned char>(d), c.data(), 256, {256, 256}, sf),
          ippStsNoErr);
      ASSERT_EQ(
          gen::ippiDivC_8u_C1IRSfs(static_cast<unsigned char>(d), e.data(), 256, {256, 256}, sf),
          ippStsNoErr);
      ASSERT_EQ(c, e) << "DivC by " << d << " sf " << sf;
    }
  }
}

// Near halves that single-precision quotients get wrong, and a tie.
TEST(DivisionKernels, NearHalvesRoundToTheNearestAndTiesToEven) {
  struct Case {
    short x, d;
    int sf;
    short want;
  } cases[] = {{5002, 1000, 1, 3},     {2501, 1000, 0, 3},    {-28651, 14, 0, -2046},
               {7, 2, 0, 4},           {5, 2, 0, 2},          {-32768, -1, 0, 32767},
               {-28665, 14, 0, -2048}, {-28679, 14, 0, -2048}};
  for (const Case &c : cases) {
    short v = c.x;
    ASSERT_EQ(ks::ippiDiv_16s_C1IRSfs(&c.d, 2, &v, 2, {1, 1}, c.sf), ippStsNoErr);
    EXPECT_EQ(v, c.want) << c.x << " / " << c.d << " sf " << c.sf;
    short w = c.x;
    ASSERT_EQ(ks::ippsDivC_16s_ISfs(c.d, &w, 1, c.sf), ippStsNoErr);
    EXPECT_EQ(w, c.want) << c.x << " / " << c.d << " sf " << c.sf;
  }
}

// Zero divisors anywhere in a row, also in the last partial block: the limit of the
// dividend's sign, warning 6, and every other quotient computed.
TEST(DivisionKernels, ZeroDivisorsStoreLimitsAndWarn) {
  for (int width : {1, 7, 8, 9, 17, 33}) {
    for (int at = 0; at < width; at += 3) {
      Arenas arenas(4096, static_cast<std::uint32_t>(width * 100 + at));
      const int bytes = 2 * width;
      std::vector<short> divisors(static_cast<std::size_t>(width) * 2, 3);
      divisors[static_cast<std::size_t>(at)] = 0;
      divisors[static_cast<std::size_t>(width + at)] = 0;
      arenas.set(64, divisors.data(), divisors.size() * 2);
      // The second row starts `bytes` after the first.
      const IppOpStatus a = ks::ippiDiv_16s_C1IRSfs(
          reinterpret_cast<short *>(arenas.kernel(64)), bytes,
          reinterpret_cast<short *>(arenas.kernel(1025)), bytes + 1, {width, 2}, 0);
      const IppOpStatus b = gen::ippiDiv_16s_C1IRSfs(
          reinterpret_cast<short *>(arenas.generic(64)), bytes,
          reinterpret_cast<short *>(arenas.generic(1025)), bytes + 1, {width, 2}, 0);
      EXPECT_EQ(a, ippStsDivByZero);
      EXPECT_EQ(a, b);
      EXPECT_EQ(arenas.firstDifference(), -1) << "width " << width << " zero at " << at;
    }
  }
  // Rows without a zero divisor but a last partial block: no warning.
  std::vector<short> d(9, 5), x(9, 100);
  EXPECT_EQ(ks::ippiDiv_16s_C1IRSfs(d.data(), 18, x.data(), 18, {9, 1}, 0), ippStsNoErr);
  EXPECT_EQ(x, std::vector<short>(9, 20));
}

TEST(DivisionKernels, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  short src[4] = {1, 2, 3, 4};
  short dst[4] = {5, 6, 7, 8};
  unsigned char b8[4] = {1, 2, 3, 4};
  const short before[4] = {5, 6, 7, 8};
  EXPECT_EQ(ks::ippiDiv_16s_C1IRSfs(nullptr, 8, dst, 8, {4, 1}, 0), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippiDiv_16s_C1IRSfs(src, 8, dst, 8, {0, 1}, 0), ippStsSizeErr);
  EXPECT_EQ(ks::ippiDiv_16s_C1IRSfs(src, 0, dst, 8, {4, 1}, 0),
            gen::ippiDiv_16s_C1IRSfs(src, 0, dst, 8, {4, 1}, 0));
  EXPECT_EQ(ks::ippiDiv_8u_C1IRSfs(b8, 4, nullptr, 4, {4, 1}, 0), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippsDivC_16s_ISfs(0, dst, 4, 0), ippStsDivByZeroErr);
  EXPECT_EQ(ks::ippsDivC_16s_ISfs(0, dst, 0, 0), ippStsSizeErr);
  EXPECT_EQ(ks::ippiDivC_16s_C1IRSfs(0, dst, 8, {4, 1}, 0), ippStsDivByZeroErr);
  EXPECT_EQ(ks::ippiDivC_16s_C1IRSfs(0, dst, 0, {4, 1}, 0), ippStsStepErr);
  EXPECT_EQ(ks::ippiDivC_8u_C1IRSfs(0, b8, 4, {4, 1}, 0), ippStsDivByZeroErr);
  EXPECT_EQ(ks::ippiDivC_8u_C1IRSfs(0, nullptr, 4, {4, 1}, 0), ippStsNullPtrErr);
  EXPECT_EQ(std::vector<short>(dst, dst + 4), std::vector<short>(before, before + 4));
  EXPECT_EQ(b8[0], 1);
}

// The kernels round to nearest whatever the caller's mode, and hand the mode back.
TEST(DivisionKernels, CallersRoundingModeIsIgnoredAndRestored) {
  using namespace test_support;
  short d[3] = {2, 2, 0};
  short x[3] = {3, 5, -4};
  short y[2] = {7, -7};
  IppOpStatus st = -1, stC = -1;
  const ControlWords after = RunUnder(kCallerControlWords, [&] {
    st = ks::ippiDiv_16s_C1IRSfs(d, 6, x, 6, {3, 1}, 0);
    stC = ks::ippsDivC_16s_ISfs(2, y, 2, 0);
  });
  EXPECT_EQ(st, ippStsDivByZero);
  EXPECT_EQ(stC, ippStsNoErr);
  EXPECT_EQ(x[0], 2);
  EXPECT_EQ(x[1], 2);
  EXPECT_EQ(x[2], -32768);
  EXPECT_EQ(y[0], 4);
  EXPECT_EQ(y[1], -4);
  EXPECT_EQ(after.mxcsr & ~kMxcsrFlags, kCallerControlWords.mxcsr);
  EXPECT_EQ(after.x87, kCallerControlWords.x87);
}

} // namespace
