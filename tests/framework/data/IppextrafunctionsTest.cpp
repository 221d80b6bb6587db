#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/Ippextrafunctions.h"

using namespace Ippextrafunctions;

namespace {

constexpr tagSIZE Col(int n) { return tagSIZE{1, n}; }

std::array<unsigned char, 3> Store24(int v) {
  std::array<unsigned char, 3> b{};
  Convert32BitTo24Bit(v, b.data());
  return b;
}

// A two-operand routine applied to one item of each side.
struct BinaryCase {
  std::string name;
  std::function<int(int, int)> apply; // target value, source value -> result
  int d, s, expected;
};

void PrintTo(const BinaryCase &c, std::ostream *os) {
  *os << c.name << "(" << c.d << ", " << c.s << ")";
}

int Apply8(void (*f)(const unsigned char *, int, unsigned char *, int, tagSIZE, int), int d,
           int s) {
  unsigned char dst = static_cast<unsigned char>(d), src = static_cast<unsigned char>(s);
  f(&src, 1, &dst, 1, Col(1), 0);
  return dst;
}
int Apply24(void (*f)(const unsigned char *, int, unsigned char *, int, tagSIZE, int), int d,
            int s) {
  auto dst = Store24(d), src = Store24(s);
  f(src.data(), 3, dst.data(), 3, Col(1), 0);
  return Convert24BitTo32Bit(dst.data());
}
int Apply32(void (*f)(const int *, int, int *, int, tagSIZE, int), int d, int s) {
  f(&s, 4, &d, 4, Col(1), 0);
  return d;
}
// Constant forms: s is the constant.
int Apply8C(void (*f)(int, unsigned char *, int, tagSIZE, int), int d, int v) {
  unsigned char x = static_cast<unsigned char>(d);
  f(v, &x, 1, Col(1), 0);
  return x;
}
int Apply8CVec(void (*f)(int, unsigned char *, int, int), int d, int v) {
  unsigned char x = static_cast<unsigned char>(d);
  f(v, &x, 1, 0);
  return x;
}
int Apply24C(void (*f)(int, unsigned char *, int, int), int d, int v) {
  auto x = Store24(d);
  f(v, x.data(), 1, 0);
  return Convert24BitTo32Bit(x.data());
}
int Apply32C(void (*f)(int, int *, int, int), int d, int v) {
  f(v, &d, 1, 0);
  return d;
}

#define B8(f) [](int d, int s) { return Apply8(f, d, s); }
#define B24(f) [](int d, int s) { return Apply24(f, d, s); }
#define B32(f) [](int d, int s) { return Apply32(f, d, s); }

class ElementArithmetic : public testing::TestWithParam<BinaryCase> {};

TEST_P(ElementArithmetic, GivesTheRuleResult) {
  const BinaryCase &c = GetParam();
  EXPECT_EQ(c.apply(c.d, c.s), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ElementArithmetic,
    testing::Values(
        // Offset bytes: the value is x - 127 and results wrap modulo 256.
        BinaryCase{"Add8", B8(ippiAdd_8s_C1IRSfs), 200, 150, 223},
        BinaryCase{"Add8Wraps", B8(ippiAdd_8s_C1IRSfs), 250, 250, 117},
        BinaryCase{"Add8Zero", B8(ippiAdd_8s_C1IRSfs), 0, 127, 0},
        BinaryCase{"Sub8", B8(ippiSub_8s_C1IRSfs), 100, 27, 200},
        BinaryCase{"Sub8Wraps", B8(ippiSub_8s_C1IRSfs), 0, 255, 128},
        BinaryCase{"Mul8", B8(ippiMul_8s_C1IRSfs), 137, 137, 227},
        BinaryCase{"Mul8Wraps", B8(ippiMul_8s_C1IRSfs), 255, 255, 127},
        BinaryCase{"Div8ByZeroLevel", B8(ippiDiv_8s_C1IRSfs), 27, 127, 127},
        BinaryCase{"Div8", B8(ippiDiv_8s_C1IRSfs), 27, 77, 129},
        BinaryCase{"Div8Truncates", B8(ippiDiv_8s_C1IRSfs), 134, 130, 129},
        BinaryCase{"Div8Negative", B8(ippiDiv_8s_C1IRSfs), 255, 126, 255},
        // 24 bits saturate at the store.
        BinaryCase{"Add24", B24(ippiAdd_24s_C1IRSfs), -5, 3, -2},
        BinaryCase{"Add24Saturates", B24(ippiAdd_24s_C1IRSfs), 8388000, 1000, Max24},
        BinaryCase{"Sub24Saturates", B24(ippiSub_24s_C1IRSfs), Min24, 1, Min24},
        BinaryCase{"Mul24", B24(ippiMul_24s_C1IRSfs), -3, 5, -15},
        BinaryCase{"Mul24Saturates", B24(ippiMul_24s_C1IRSfs), 4096, -4096, Min24},
        BinaryCase{"Div24Truncates", B24(ippiDiv_24s_C1IRSfs), -7, 2, -3},
        BinaryCase{"Div24MinByMinusOne", B24(ippiDiv_24s_C1IRSfs), Min24, -1, Max24},
        BinaryCase{"Div24PositiveByZero", B24(ippiDiv_24s_C1IRSfs), 5, 0, Max24},
        BinaryCase{"Div24NegativeByZero", B24(ippiDiv_24s_C1IRSfs), -5, 0, Min24},
        BinaryCase{"Div24ZeroByZero", B24(ippiDiv_24s_C1IRSfs), 0, 0, 0},
        // 32 bits wrap, divisions saturate.
        BinaryCase{"Add32Wraps", B32(ippiAdd_32s_C1IRSfs), INT_MAX, 1, INT_MIN},
        BinaryCase{"Sub32Wraps", B32(ippiSub_32s_C1IRSfs), INT_MIN, 1, INT_MAX},
        BinaryCase{"Mul32Wraps", B32(ippiMul_32s_C1IRSfs), 65536, 65536, 0},
        BinaryCase{"Mul32", B32(ippiMul_32s_C1IRSfs), -7, 6, -42},
        BinaryCase{"Div32Truncates", B32(ippiDiv_32s_C1IRSfs), -7, 2, -3},
        BinaryCase{"Div32MinByMinusOne", B32(ippiDiv_32s_C1IRSfs), INT_MIN, -1, INT_MAX},
        BinaryCase{"Div32PositiveByZero", B32(ippiDiv_32s_C1IRSfs), 7, 0, INT_MAX},
        BinaryCase{"Div32NegativeByZero", B32(ippiDiv_32s_C1IRSfs), -7, 0, INT_MIN},
        BinaryCase{"Div32ZeroByZero", B32(ippiDiv_32s_C1IRSfs), 0, 0, 0},
        // Constants (s is the constant).
        BinaryCase{"MulC8", [](int d, int v) { return Apply8C(ippiMulC_8s_C1IRSfs, d, v); }, 137, 2,
                   147},
        BinaryCase{"MulC8Wraps", [](int d, int v) { return Apply8C(ippiMulC_8s_C1IRSfs, d, v); },
                   255, 2, 127},
        BinaryCase{"DivC8", [](int d, int v) { return Apply8C(ippiDivC_8s_C1IRSfs, d, v); }, 27, -2,
                   177},
        BinaryCase{"DivC8ByZero", [](int d, int v) { return Apply8C(ippiDivC_8s_C1IRSfs, d, v); },
                   27, 0, 127},
        BinaryCase{"MulC8Vector", [](int d, int v) { return Apply8CVec(ippsMulC_8s_ISfs, d, v); },
                   117, 3, 97},
        BinaryCase{"DivC8VectorByZero",
                   [](int d, int v) { return Apply8CVec(ippsDivC_8s_ISfs, d, v); }, 200, 0, 127},
        BinaryCase{"AddC24", [](int d, int v) { return Apply24C(ippsAddC_24s_ISfs, d, v); }, -10, 4,
                   -6},
        BinaryCase{"AddC24Saturates",
                   [](int d, int v) { return Apply24C(ippsAddC_24s_ISfs, d, v); }, Max24, 1, Max24},
        BinaryCase{"SubC24Saturates",
                   [](int d, int v) { return Apply24C(ippsSubC_24s_ISfs, d, v); }, Min24, INT_MAX,
                   Min24},
        BinaryCase{"MulC24", [](int d, int v) { return Apply24C(ippsMulC_24s_ISfs, d, v); }, -1000,
                   3, -3000},
        BinaryCase{"DivC24ByZero", [](int d, int v) { return Apply24C(ippsDivC_24s_ISfs, d, v); },
                   -1000, 0, Min24},
        BinaryCase{"AddC32Wraps", [](int d, int v) { return Apply32C(ippsAddC_32s_ISfs, d, v); },
                   INT_MAX, 2, INT_MIN + 1},
        BinaryCase{"SubC32", [](int d, int v) { return Apply32C(ippsSubC_32s_ISfs, d, v); }, 5, 7,
                   -2},
        BinaryCase{"MulC32Wraps", [](int d, int v) { return Apply32C(ippsMulC_32s_ISfs, d, v); },
                   INT_MIN, -1, INT_MIN},
        BinaryCase{"DivC32", [](int d, int v) { return Apply32C(ippsDivC_32s_ISfs, d, v); }, 9, -4,
                   -2},
        BinaryCase{"DivC32ByZero", [](int d, int v) { return Apply32C(ippsDivC_32s_ISfs, d, v); },
                   9, 0, INT_MAX}),
    [](const testing::TestParamInfo<BinaryCase> &info) { return info.param.name; });

TEST(SampleRoutines, TwentyFourBitSamplesReadSignExtended) {
  const unsigned char maxBytes[3] = {0xFF, 0xFF, 0x7F}, minBytes[3] = {0x00, 0x00, 0x80},
                      minusOne[3] = {0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Convert24BitTo32Bit(maxBytes), 8388607);
  EXPECT_EQ(Convert24BitTo32Bit(minBytes), -8388608);
  EXPECT_EQ(Convert24BitTo32Bit(minusOne), -1);
}

TEST(SampleRoutines, StoreRuleWritesLowBytesAndSaturates) {
  EXPECT_EQ(Store24(-2), (std::array<unsigned char, 3>{0xFE, 0xFF, 0xFF}));
  EXPECT_EQ(Store24(0x123456), (std::array<unsigned char, 3>{0x56, 0x34, 0x12}));
  EXPECT_EQ(Store24(Min24), (std::array<unsigned char, 3>{0x00, 0x00, 0x80}));
  // Out-of-range values clip instead of flipping sign.
  EXPECT_EQ(Store24(8388608), Store24(Max24));
  EXPECT_EQ(Store24(INT_MAX), Store24(Max24));
  EXPECT_EQ(Store24(-8388609), Store24(Min24));
  EXPECT_EQ(Store24(INT_MIN), Store24(Min24));
}

TEST(SampleRoutines, Set24WritesTheRepeatingPatternAndNothingAfter) {
  for (int n = 0; n <= 9; ++n) {
    std::vector<unsigned char> mem(3 * n + 8, 0xAA);
    ippsSet_24s(0x123456, mem.data(), n);
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(mem[3 * i], 0x56) << n;
      EXPECT_EQ(mem[3 * i + 1], 0x34) << n;
      EXPECT_EQ(mem[3 * i + 2], 0x12) << n;
    }
    for (size_t i = 3 * n; i < mem.size(); ++i)
      EXPECT_EQ(mem[i], 0xAA) << "n " << n << " byte " << i;
  }
  std::array<unsigned char, 12> neg{};
  ippsSet_24s(-1, neg.data(), 4);
  for (unsigned char b : neg)
    EXPECT_EQ(b, 0xFF);
}

TEST(SampleRoutines, Zero24ClearsExactlyThreeBytesPerSample) {
  for (int n = 0; n <= 9; ++n) {
    std::vector<unsigned char> mem(3 * n + 8, 0xAA);
    ippsZero_24s(mem.data(), n);
    for (size_t i = 0; i < mem.size(); ++i)
      EXPECT_EQ(mem[i], i < size_t(3 * n) ? 0 : 0xAA) << "n " << n << " byte " << i;
  }
}

TEST(SampleRoutines, RegionsWalkTheirItemsByStep) {
  // A stereo 24-bit column: channel 1 of three frames.
  std::array<unsigned char, 18> src{}, dst{};
  for (int f = 0; f < 3; ++f)
    Convert32BitTo24Bit(-1000 * (f + 1), src.data() + 6 * f + 3);
  dst.fill(0x11);
  ippiCopy_24s_C1R(src.data() + 3, 6, dst.data() + 3, 6, Col(3));
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(Convert24BitTo32Bit(dst.data() + 6 * f + 3), -1000 * (f + 1));
    EXPECT_EQ(dst[6 * f], 0x11); // channel 0 untouched
  }
  std::array<unsigned char, 18> filled{};
  ippiSet_24s_C1R(9000000, filled.data(), 6, Col(3));
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(Convert24BitTo32Bit(filled.data() + 6 * f), Max24);
    EXPECT_EQ(Convert24BitTo32Bit(filled.data() + 6 * f + 3), 0);
  }
  // A 2 x 2 region is four items in one sequence; empty regions do nothing.
  int values[4] = {1, 2, 3, 4};
  ippiAddC_32s_C1IRSfs(10, values, 4, tagSIZE{2, 2}, 0);
  EXPECT_EQ(values[3], 14);
  ippiAddC_32s_C1IRSfs(10, values, 4, tagSIZE{0, 4}, 0);
  ippiAddC_32s_C1IRSfs(10, values, 4, tagSIZE{-2, -2}, 0);
  ippsAddC_32s_ISfs(10, values, -1, 0);
  EXPECT_EQ(values[0], 11);
  unsigned words[3] = {0, 0, 0};
  ippiSet_32u_C1R(0xDEADBEEFu, words, 4, Col(3));
  EXPECT_EQ(words[2], 0xDEADBEEFu);
}

// Width scaling at the extremes; the widening ones saturate.
struct ScaleCase {
  std::string name;
  std::function<long long(long long)> apply;
  long long in, expected;
};
void PrintTo(const ScaleCase &c, std::ostream *os) { *os << c.name << "(" << c.in << ")"; }

long long From8(void (*f)(const unsigned char *, int, unsigned char *, int, tagSIZE), long long x) {
  unsigned char s = static_cast<unsigned char>(x), d[3];
  f(&s, 1, d, 3, Col(1));
  return Convert24BitTo32Bit(d);
}
template <class Dst>
long long From16(void (*f)(const short *, int, Dst *, int, tagSIZE), long long x) {
  short s = static_cast<short>(x);
  Dst d[3];
  f(&s, 2, d, 4, Col(1));
  if constexpr (sizeof(Dst) == 1)
    return Convert24BitTo32Bit(reinterpret_cast<unsigned char *>(d));
  else
    return d[0];
}
template <class Dst>
long long From24(void (*f)(const unsigned char *, int, Dst *, int, tagSIZE, int), long long x) {
  auto s = Store24(static_cast<int>(x));
  Dst d{};
  f(s.data(), 3, &d, sizeof(Dst), Col(1), 1);
  return d;
}
template <class Dst>
long long From32(void (*f)(const int *, int, Dst *, int, tagSIZE, int), long long x) {
  int s = static_cast<int>(x);
  unsigned char d[4] = {};
  f(&s, 4, reinterpret_cast<Dst *>(d), 4, Col(1), 1);
  if constexpr (sizeof(Dst) == 1)
    return Convert24BitTo32Bit(d);
  else {
    Dst v;
    std::memcpy(&v, d, sizeof v);
    return v;
  }
}

long long From24To32(long long x) {
  auto s = Store24(static_cast<int>(x));
  int d = 0;
  ippiScale_24s32s_C1R(s.data(), 3, &d, 4, Col(1));
  return d;
}

class WidthScaling : public testing::TestWithParam<ScaleCase> {};
TEST_P(WidthScaling, MapsFullScale) {
  EXPECT_EQ(GetParam().apply(GetParam().in), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WidthScaling,
    testing::Values(
        ScaleCase{"s8u24sZeroLevel", [](long long x) { return From8(ippiScale_8u24s_C1R, x); }, 127,
                  0},
        ScaleCase{"s8u24sBottom", [](long long x) { return From8(ippiScale_8u24s_C1R, x); }, 0,
                  -8388607},
        ScaleCase{"s8u24sTop", [](long long x) { return From8(ippiScale_8u24s_C1R, x); }, 254,
                  8388607},
        ScaleCase{"s8u24s255Saturates", [](long long x) { return From8(ippiScale_8u24s_C1R, x); },
                  255, 8388607},
        ScaleCase{"s16s24sMin",
                  [](long long x) { return From16<unsigned char>(ippiScale_16s24s_C1R, x); },
                  -32768, Min24},
        ScaleCase{"s16s24sMax",
                  [](long long x) { return From16<unsigned char>(ippiScale_16s24s_C1R, x); }, 32767,
                  Max24},
        ScaleCase{"s16s24sOne",
                  [](long long x) { return From16<unsigned char>(ippiScale_16s24s_C1R, x); }, 1,
                  256},
        ScaleCase{"s16s32sMin", [](long long x) { return From16<int>(ippiScale_16s32s_C1R, x); },
                  -32768, INT_MIN},
        ScaleCase{"s16s32sMax", [](long long x) { return From16<int>(ippiScale_16s32s_C1R, x); },
                  32767, INT_MAX},
        ScaleCase{"s16s32sMinusOne",
                  [](long long x) { return From16<int>(ippiScale_16s32s_C1R, x); }, -1, -65538},
        ScaleCase{"s24s32sMin", [](long long x) { return From24To32(x); }, Min24, INT_MIN},
        ScaleCase{"s24s32sMax", [](long long x) { return From24To32(x); }, Max24, INT_MAX},
        ScaleCase{"s24s8uTop",
                  [](long long x) { return From24<unsigned char>(ippiScale_24s8u_C1R, x); }, Max24,
                  254},
        ScaleCase{"s24s8uZero",
                  [](long long x) { return From24<unsigned char>(ippiScale_24s8u_C1R, x); }, 0,
                  127},
        ScaleCase{"s24s8uBottom",
                  [](long long x) { return From24<unsigned char>(ippiScale_24s8u_C1R, x); }, Min24,
                  0},
        ScaleCase{"s24s16sMin", [](long long x) { return From24<short>(ippiScale_24s16s_C1R, x); },
                  Min24, -32767},
        ScaleCase{"s24s16sMax", [](long long x) { return From24<short>(ippiScale_24s16s_C1R, x); },
                  Max24, 32767},
        ScaleCase{"s32s16sMin", [](long long x) { return From32<short>(ippiScale_32s16s_C1R, x); },
                  INT_MIN, -32767},
        ScaleCase{"s32s16sMax", [](long long x) { return From32<short>(ippiScale_32s16s_C1R, x); },
                  INT_MAX, 32767},
        ScaleCase{"s32s24sMin",
                  [](long long x) { return From32<unsigned char>(ippiScale_32s24s_C1R, x); },
                  INT_MIN, -8388607},
        ScaleCase{"s32s24sMax",
                  [](long long x) { return From32<unsigned char>(ippiScale_32s24s_C1R, x); },
                  INT_MAX, Max24}),
    [](const testing::TestParamInfo<ScaleCase> &info) { return info.param.name; });

TEST(SampleRoutines, FloatConversionsRoundTiesToEvenAndSaturate) {
  const auto s24 = Store24(Min24);
  float f = 0;
  ippiConvert_24s32f_C1R(s24.data(), 3, &f, 4, Col(1));
  EXPECT_EQ(f, -8388608.0f);
  const int ints[2] = {INT_MAX, 16777217};
  float fs[2];
  ippiConvert_32s32f_C1R(ints, 4, fs, 4, Col(2));
  EXPECT_EQ(fs[0], 2147483648.0f);
  EXPECT_EQ(fs[1], 16777216.0f);

  const float in[] = {2.5f, 3.5f, -2.5f, -0.5f, 1e9f, -1e9f, NAN, 3e9f};
  const int to24[] = {2, 4, -2, 0, Max24, Min24, 0};
  const int to32[] = {2, 4, -2, 0, 1000000000, -1000000000, 0, INT_MAX};
  for (int i = 0; i < 7; ++i) {
    unsigned char d[3];
    ippiConvert_32f24s_C1R(in + i, 4, d, 3, Col(1), 0);
    EXPECT_EQ(Convert24BitTo32Bit(d), to24[i]) << in[i];
  }
  for (int i = 0; i < 8; ++i) {
    int d = 12345;
    ippiConvert_32f32s_C1R(in + i, 4, &d, 4, Col(1), 0);
    EXPECT_EQ(d, to32[i]) << in[i];
  }
  const float minus3e9 = -3e9f;
  int d = 0;
  ippiConvert_32f32s_C1R(&minus3e9, 4, &d, 4, Col(1), 0);
  EXPECT_EQ(d, INT_MIN);
}

TEST(SampleRoutines, MultiplyByRealRoundsTiesToEvenAndSaturates) {
  short s16[] = {3, 5, -3, 30000, -32768, 7};
  MultiplyByReal16s(0.5, s16, 2, Col(3));
  EXPECT_EQ(s16[0], 2);
  EXPECT_EQ(s16[1], 2);
  EXPECT_EQ(s16[2], -2);
  MultiplyByReal16s(2.0, s16 + 3, 2, Col(2));
  EXPECT_EQ(s16[3], 32767);
  EXPECT_EQ(s16[4], -32768);
  EXPECT_EQ(s16[5], 7);

  // 8-bit samples scale around the zero level 127.
  unsigned char s8[] = {127, 255, 0, 130, 131, 128};
  MultiplyByReal8u(2.0, s8, 1, Col(3));
  EXPECT_EQ(s8[0], 127);
  EXPECT_EQ(s8[1], 255);
  EXPECT_EQ(s8[2], 0);
  MultiplyByReal8u(0.5, s8 + 3, 1, Col(3));
  EXPECT_EQ(s8[3], 129); // 1.5 -> 2
  EXPECT_EQ(s8[4], 129); // 2
  EXPECT_EQ(s8[5], 127); // 0.5 -> 0

  unsigned char s24[9];
  Convert32BitTo24Bit(Max24, s24);
  Convert32BitTo24Bit(-5, s24 + 3);
  Convert32BitTo24Bit(Min24, s24 + 6);
  MultiplyByReal24s(0.5, s24 + 3, 3, Col(1));
  MultiplyByReal24s(2.0, s24, 6, Col(2));
  EXPECT_EQ(Convert24BitTo32Bit(s24), Max24);
  EXPECT_EQ(Convert24BitTo32Bit(s24 + 3), -2);
  EXPECT_EQ(Convert24BitTo32Bit(s24 + 6), Min24);

  int s32[] = {INT_MAX, INT_MIN, 1001, 0};
  MultiplyByReal32s(2.0, s32, 4, Col(2));
  EXPECT_EQ(s32[0], INT_MAX);
  EXPECT_EQ(s32[1], INT_MIN);
  MultiplyByReal32s(0.5, s32 + 2, 4, Col(1));
  EXPECT_EQ(s32[2], 500);
  MultiplyByReal32s(NAN, s32 + 2, 4, Col(1));
  EXPECT_EQ(s32[2], 0);
}

} // namespace
