// Conversion kernels of the 16-byte-register classes against the generic variants, bit
// for bit, and the scaled integer conversions against an exact 128-bit oracle.
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "platform/cpu/FpuControl.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic;
namespace gen = Slbasicdispatcher::generic;

double bitsD(std::uint64_t b) { return std::bit_cast<double>(b); }

// Awkward doubles: zeros, infinities, NaN payloads of both signs and kinds, subnormals,
// the float range's edges, halves, and the int32 range's edges.
std::vector<double> edgeDoubles() {
  std::vector<double> v = {0.0,
                           -0.0,
                           INFINITY,
                           -INFINITY,
                           bitsD(0x7FF8000000000000),
                           bitsD(0xFFF8000000000123),
                           bitsD(0x7FF0000000000ABC),
                           bitsD(0xFFF0000000000001),
                           std::numeric_limits<double>::denorm_min(),
                           -2.5e-310,
                           std::numeric_limits<double>::min(),
                           double(std::numeric_limits<float>::max()),
                           -double(std::numeric_limits<float>::max()),
                           std::nextafter(double(std::numeric_limits<float>::max()), INFINITY),
                           3.402823466e+38,
                           1e39,
                           -1e39,
                           1.0,
                           0.5,
                           1.5,
                           2.5,
                           -0.5,
                           -1.5,
                           -2.5,
                           2.9,
                           -2.9,
                           5.0,
                           7.0,
                           1.25,
                           2147483647.0 - 1.5,
                           2147483646.5,
                           2147483647.0,
                           2147483647.4,
                           2147483647.5,
                           2147483648.0,
                           1e10,
                           -2147483648.0,
                           -2147483648.4,
                           -2147483648.5,
                           -2147483648.7,
                           -1e10,
                           4503599627370497.0,
                           -4503599627370495.5,
                           1e300,
                           -1e-300};
  const std::vector<double> r = test_support::RandomVector<double>(200, 77, -3e9, 3e9);
  v.insert(v.end(), r.begin(), r.end());
  const std::vector<double> small = test_support::RandomVector<double>(100, 78, -40.0, 40.0);
  v.insert(v.end(), small.begin(), small.end());
  return v;
}

std::vector<float> edgeFloats() {
  std::vector<float> v;
  for (double d : edgeDoubles())
    v.push_back(static_cast<float>(d));
  v.push_back(std::bit_cast<float>(0x7F800ABCu)); // signalling NaN
  v.push_back(std::bit_cast<float>(0xFFC00001u));
  v.push_back(2147483520.0f); // 2^31 - 128
  v.push_back(2147483648.0f);
  v.push_back(std::numeric_limits<float>::denorm_min());
  return v;
}

// Bytes of `v` placed `offset` bytes into a buffer, so kernels meet every alignment.
template <class T> std::vector<unsigned char> placed(const std::vector<T> &v, std::size_t offset) {
  std::vector<unsigned char> b(offset + v.size() * sizeof(T) + 16, 0xA5);
  std::memcpy(b.data() + offset, v.data(), v.size() * sizeof(T));
  return b;
}

template <class T> bool sameBits(const std::vector<T> &a, const std::vector<T> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

// Runs kernel and generic over the values at every destination offset 0..15 and prefix
// length 1..17, 63..65, all; compares results and guards.
template <class S, class D, class K, class G>
void compareAll(const std::vector<S> &values, K kernel, G generic, const char *what) {
  std::vector<std::size_t> lens = {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 63, 64, 65, values.size()};
  for (std::size_t len : lens) {
    if (len > values.size())
      continue;
    const std::vector<S> src(values.begin(), values.begin() + static_cast<long>(len));
    std::vector<D> want(len);
    ASSERT_EQ(generic(src.data(), want.data(), static_cast<int>(len)), ippStsNoErr);
    for (std::size_t off = 0; off < 16; ++off) {
      std::vector<unsigned char> s = placed(src, (off * 5) % 16);
      std::vector<unsigned char> d(off + len * sizeof(D) + 16, 0xA5);
      ASSERT_EQ(kernel(reinterpret_cast<const S *>(s.data() + (off * 5) % 16),
                       reinterpret_cast<D *>(d.data() + off), static_cast<int>(len)),
                ippStsNoErr);
      std::vector<D> got(len);
      std::memcpy(got.data(), d.data() + off, len * sizeof(D));
      ASSERT_TRUE(sameBits(got, want)) << what << " len " << len << " off " << off;
      for (std::size_t i = 0; i < off; ++i)
        ASSERT_EQ(d[i], 0xA5);
      for (std::size_t i = off + len * sizeof(D); i < d.size(); ++i)
        ASSERT_EQ(d[i], 0xA5);
    }
  }
}

TEST(ConvertKernels, WideningAndNarrowingEqualTheGenericBitForBit) {
  const std::vector<double> d = edgeDoubles();
  const std::vector<float> f = edgeFloats();
  std::vector<int> n = {INT_MIN, INT_MAX, 0, -1, 1};
  std::mt19937 g(9); // raw 32-bit outputs cover the whole int range
  for (int k = 0; k < 100; ++k)
    n.push_back(static_cast<int>(g()));
  compareAll<float, double>(f, kb::sse2::ippsConvert_32f64f, gen::ippsConvert_32f64f, "32f64f");
  compareAll<int, double>(n, kb::sse2::ippsConvert_32s64f, gen::ippsConvert_32s64f, "32s64f");
  compareAll<double, float>(d, kb::sse2::ippsConvert_64f32f, gen::ippsConvert_64f32f, "64f32f");
}

TEST(ConvertKernels, NarrowingInPlace) {
  const std::vector<double> values = edgeDoubles();
  std::vector<double> mine = values;
  std::vector<double> theirs = values;
  ASSERT_EQ(kb::sse2::scope::ippsConvert_64f32f(mine.data(),
                                                *reinterpret_cast<float *>(mine.data()),
                                                static_cast<int>(mine.size())),
            ippStsNoErr);
  ASSERT_EQ(Slscopedispatcher::generic::ippsConvert_64f32f(
                theirs.data(), *reinterpret_cast<float *>(theirs.data()),
                static_cast<int>(theirs.size())),
            ippStsNoErr);
  EXPECT_TRUE(sameBits(mine, theirs));
  float first[3];
  std::memcpy(first, mine.data(), sizeof first);
  EXPECT_EQ(first[0], static_cast<float>(values[0]));
}

// The exact value x * 2^-sf, rounded (half to even) or truncated, saturated to int32.
int oracle(double x, bool nearest, int sf) {
  if (std::isnan(x))
    return INT_MIN;
  if (std::isinf(x))
    return x > 0 ? INT_MAX : INT_MIN;
  if (x == 0)
    return 0;
  int e = 0;
  const double m = std::frexp(x, &e); // x = m * 2^e, 0.5 <= |m| < 1
  const auto mant = static_cast<__int128>(std::ldexp(std::fabs(m), 53));
  const long k = static_cast<long>(e) - 53 - sf; // |x| * 2^-sf = mant * 2^k
  __int128 q = 0;
  if (k >= 0) {
    q = k > 60 ? (__int128)1 << 100 : mant << k;
  } else if (-k < 120) {
    const int s = static_cast<int>(-k);
    q = mant >> s;
    const __int128 rem = mant - (q << s);
    const __int128 half = (__int128)1 << (s - 1);
    if (nearest && (rem > half || (rem == half && (q & 1) != 0)))
      ++q;
  }
  if (x < 0)
    q = -q;
  if (q > INT_MAX)
    return INT_MAX;
  if (q < INT_MIN)
    return INT_MIN;
  return static_cast<int>(q);
}

class ScaledConvert : public ::testing::TestWithParam<int> {};

TEST_P(ScaledConvert, ToInt32EqualsTheGenericAndTheExactOracle) {
  const int sf = GetParam();
  const std::vector<double> d = edgeDoubles();
  const std::vector<float> f = edgeFloats();
  for (int mode : {0, 1, 2}) {
    const auto rnd = static_cast<IppRoundMode>(mode);
    compareAll<double, int>(
        d,
        [&](const double *s, int *o, int n) {
          return kb::sse2::ippsConvert_64f32s_Sfs(s, o, n, rnd, sf);
        },
        [&](const double *s, int *o, int n) {
          return gen::ippsConvert_64f32s_Sfs(s, o, n, rnd, sf);
        },
        "64f32s");
    compareAll<float, int>(
        f,
        [&](const float *s, int *o, int n) {
          return kb::sse2::ippsConvert_32f32s_Sfs(s, o, n, rnd, sf);
        },
        [&](const float *s, int *o, int n) {
          return Slscopedispatcher::generic::ippsConvert_32f32s_Sfs(s, *o, n, rnd, sf);
        },
        "32f32s");
    std::vector<int> out(d.size());
    ASSERT_EQ(
        kb::sse2::ippsConvert_64f32s_Sfs(d.data(), out.data(), static_cast<int>(d.size()), rnd, sf),
        ippStsNoErr);
    for (std::size_t i = 0; i < d.size(); ++i)
      ASSERT_EQ(out[i], oracle(d[i], mode == 1, sf)) << d[i] << " sf " << sf << " mode " << mode;
  }
}

// Every scale class: none, the double factor's range and both sides of its end, and the
// element-by-element range.
INSTANTIATE_TEST_SUITE_P(ScaleFactors, ScaledConvert,
                         ::testing::Values(-20001, -1100, -1001, -1000, -129, -128, -31, -2, -1, 0,
                                           1, 2, 31, 32, 149, 150, 1000, 1001, 1100, 20001));

TEST(ConvertKernels, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  double s[4] = {1, 2, 3, 4};
  int out[4] = {7, 7, 7, 7};
  for (int len : {4, 0, -1}) {
    for (int nul = 0; nul < 3; ++nul) {
      const double *src = nul == 1 ? nullptr : s;
      int *dst = nul == 2 ? nullptr : out;
      if (nul == 0 && len > 0)
        continue;
      EXPECT_EQ(kb::sse2::ippsConvert_64f32s_Sfs(src, dst, len, ippRndNear, 0),
                gen::ippsConvert_64f32s_Sfs(src, dst, len, ippRndNear, 0));
      EXPECT_EQ(kb::sse2::ippsConvert_64f32f(src, reinterpret_cast<float *>(dst), len),
                gen::ippsConvert_64f32f(src, reinterpret_cast<float *>(dst), len));
      EXPECT_EQ(kb::sse2::ippsConvert_32s64f(dst, nul == 1 ? nullptr : s, len),
                gen::ippsConvert_32s64f(dst, nul == 1 ? nullptr : s, len));
    }
  }
  for (int v : out)
    EXPECT_EQ(v, 7);
}

TEST(ConvertKernels, LeaveTheMxcsrAndX87WordsAsSet) {
  const std::uint32_t before = cpu::GetMxcsr();
  const std::uint16_t x87Before = cpu::GetX87ControlWord();
  const std::uint32_t mxcsr = 0x1F80u | 0x6000u | 0x8000u | 0x0040u; // chop, FTZ, DAZ
  cpu::LoadMxcsr(mxcsr);
  cpu::LoadX87ControlWord(0x0F7F);
  const std::vector<double> d = edgeDoubles();
  std::vector<int> out(d.size());
  for (int mode : {0, 1, 2})
    for (int sf : {0, 3, -2000})
      kb::sse2::ippsConvert_64f32s_Sfs(d.data(), out.data(), static_cast<int>(d.size()),
                                       static_cast<IppRoundMode>(mode), sf);
  kb::sse2::ippsConvert_64f32s_Sfs(nullptr, out.data(), 3, ippRndNear, 0);
  const std::uint32_t after = cpu::GetMxcsr();
  const std::uint16_t x87After = cpu::GetX87ControlWord();
  cpu::LoadMxcsr(before);
  cpu::LoadX87ControlWord(x87Before);
  EXPECT_EQ(after & ~0x3Fu, mxcsr);
  EXPECT_EQ(x87After, 0x0F7F);
}

} // namespace
