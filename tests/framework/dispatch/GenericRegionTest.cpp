// Region operations, the byte move and the region conversions, called through their slots.
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

namespace A = Albasicdispatcher;

// Every in-place region operation of this family against the same three failures.
struct RegionStatusCase {
  const char *name;
  std::function<int(unsigned char *data, int step, tagSIZE roi)> run;
};

std::ostream &operator<<(std::ostream &os, const RegionStatusCase &c) { return os << c.name; }

const unsigned char kSrc[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

const RegionStatusCase kRegionStatus[] = {
    {"Add_8u",
     [](unsigned char *d, int s, tagSIZE r) { return A::ippiAdd_8u_C1IRSfs(kSrc, 4, d, s, r, 0); }},
    {"Sub_8u",
     [](unsigned char *d, int s, tagSIZE r) { return A::ippiSub_8u_C1IRSfs(kSrc, 4, d, s, r, 0); }},
    {"Mul_8u",
     [](unsigned char *d, int s, tagSIZE r) { return A::ippiMul_8u_C1IRSfs(kSrc, 4, d, s, r, 0); }},
    {"Div_8u",
     [](unsigned char *d, int s, tagSIZE r) { return A::ippiDiv_8u_C1IRSfs(kSrc, 4, d, s, r, 0); }},
    {"MulC_8u",
     [](unsigned char *d, int s, tagSIZE r) { return A::ippiMulC_8u_C1IRSfs(3, d, s, r, 0); }},
    {"DivC_8u",
     [](unsigned char *d, int s, tagSIZE r) { return A::ippiDivC_8u_C1IRSfs(3, d, s, r, 0); }},
    {"Mirror_8u_C3",
     [](unsigned char *d, int s, tagSIZE r) {
       return Slbasicdispatcher::ippiMirror_8u_C3IR(d, s, r, ippAxsBoth);
     }},
    {"Set_8u_C4", [](unsigned char *d, int s,
                     tagSIZE r) { return Slscopedispatcher::ippiSet_8u_C4R(kSrc, d, s, r); }},
};

class RegionChecks : public ::testing::TestWithParam<RegionStatusCase> {};

// Null, then size, then step (a step below 1 is refused by every in-place region
// operation, so rows never run over memory the caller did not describe).
TEST_P(RegionChecks, NullThenSizeThenStepAndNothingWritten) {
  std::vector<unsigned char> buf(64, 9);
  const auto before = buf;
  const auto &c = GetParam();
  EXPECT_EQ(c.run(nullptr, 16, {2, 2}), -8);
  EXPECT_EQ(c.run(nullptr, 0, {0, 2}), -8);
  EXPECT_EQ(c.run(buf.data(), 16, {0, 2}), -6);
  EXPECT_EQ(c.run(buf.data(), 0, {2, 0}), -6);
  EXPECT_EQ(c.run(buf.data(), 0, {2, 2}), -14);
  EXPECT_EQ(c.run(buf.data(), -16, {2, 2}), -14);
  EXPECT_EQ(buf, before);
}

INSTANTIATE_TEST_SUITE_P(All, RegionChecks, ::testing::ValuesIn(kRegionStatus));

} // namespace

TEST(NoCallerRegion, ByteArithmeticOverRowsWithPadding) {
  // 3 x 2 region, rows 4 bytes apart; the padding byte must stay.
  std::vector<unsigned char> x{200, 10, 3, 99, 5, 6, 0, 99};
  const std::vector<unsigned char> s{100, 20, 3, 0, 2, 0, 0, 0};
  auto add = x;
  EXPECT_EQ(A::ippiAdd_8u_C1IRSfs(s.data(), 4, add.data(), 4, {3, 2}, 1), 0);
  EXPECT_EQ(add, (std::vector<unsigned char>{150, 15, 3, 99, 4, 3, 0, 99}));
  auto sub = x;
  EXPECT_EQ(A::ippiSub_8u_C1IRSfs(s.data(), 4, sub.data(), 4, {3, 2}, 0), 0);
  EXPECT_EQ(sub, (std::vector<unsigned char>{100, 0, 0, 99, 3, 6, 0, 99}));
  auto mul = x;
  EXPECT_EQ(A::ippiMul_8u_C1IRSfs(s.data(), 4, mul.data(), 4, {3, 2}, 0), 0);
  EXPECT_EQ(mul, (std::vector<unsigned char>{255, 200, 9, 99, 10, 0, 0, 99}));

  auto div = x;
  EXPECT_EQ(A::ippiDiv_8u_C1IRSfs(s.data(), 4, div.data(), 4, {3, 2}, 0), 6);
  // 200/100, 10/20 = 0.5 -> 0, 3/3, 5/2 = 2.5 -> 2, 6/0 -> 255, 0/0 -> 0
  EXPECT_EQ(div, (std::vector<unsigned char>{2, 0, 1, 99, 2, 255, 0, 99}));

  auto mulc = x;
  EXPECT_EQ(A::ippiMulC_8u_C1IRSfs(3, mulc.data(), 4, {3, 2}, 1), 0);
  EXPECT_EQ(mulc, (std::vector<unsigned char>{255, 15, 4, 99, 8, 9, 0, 99}));
  auto divc = x;
  EXPECT_EQ(A::ippiDivC_8u_C1IRSfs(4, divc.data(), 4, {3, 2}, 0), 0);
  EXPECT_EQ(divc, (std::vector<unsigned char>{50, 2, 1, 99, 1, 2, 0, 99}));
  EXPECT_EQ(A::ippiDivC_8u_C1IRSfs(0, divc.data(), 4, {3, 2}, 0), -10);
  // The step is tested before the zero constant.
  EXPECT_EQ(A::ippiDivC_8u_C1IRSfs(0, divc.data(), 0, {3, 2}, 0), -14);
}

TEST(NoCallerRegion, MirrorThreeBytePixels) {
  // 2 x 2 pixels of 3 bytes, rows 8 bytes apart.
  const std::vector<unsigned char> img{1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  auto h = img;
  EXPECT_EQ(Slbasicdispatcher::ippiMirror_8u_C3IR(h.data(), 8, {2, 2}, ippAxsHorizontal), 0);
  EXPECT_EQ(h, (std::vector<unsigned char>{7, 8, 9, 10, 11, 12, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0}));
  auto v = img;
  EXPECT_EQ(Slbasicdispatcher::ippiMirror_8u_C3IR(v.data(), 8, {2, 2}, ippAxsVertical), 0);
  EXPECT_EQ(v, (std::vector<unsigned char>{4, 5, 6, 1, 2, 3, 0, 0, 10, 11, 12, 7, 8, 9, 0, 0}));
  auto b = img;
  EXPECT_EQ(Slbasicdispatcher::ippiMirror_8u_C3IR(b.data(), 8, {2, 2}, ippAxsBoth), 0);
  EXPECT_EQ(b, (std::vector<unsigned char>{10, 11, 12, 7, 8, 9, 0, 0, 4, 5, 6, 1, 2, 3, 0, 0}));
  auto bad = img;
  EXPECT_EQ(Slbasicdispatcher::ippiMirror_8u_C3IR(bad.data(), 8, {2, 2}, 3), -21);
  EXPECT_EQ(bad, img);
}

TEST(NoCallerRegion, SetFourBytePixelsAndMove) {
  const unsigned char value[4] = {1, 2, 3, 4};
  std::vector<unsigned char> img(20, 0);
  EXPECT_EQ(Slscopedispatcher::ippiSet_8u_C4R(value, img.data(), 10, {2, 2}), 0);
  EXPECT_EQ(img, (std::vector<unsigned char>{1, 2, 3, 4, 1, 2, 3, 4, 0, 0,
                                             1, 2, 3, 4, 1, 2, 3, 4, 0, 0}));

  std::vector<unsigned char> m{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(Slscopedispatcher::ippsMove_8u(m.data(), m.data() + 2, 8), 0);
  EXPECT_EQ(m, (std::vector<unsigned char>{0, 1, 0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(Slscopedispatcher::ippsMove_8u(m.data() + 2, m.data(), 8), 0);
  EXPECT_EQ(m, (std::vector<unsigned char>{0, 1, 2, 3, 4, 5, 6, 7, 6, 7}));
  EXPECT_EQ(Slscopedispatcher::ippsMove_8u(m.data(), nullptr, 8), -8);
  EXPECT_EQ(Slscopedispatcher::ippsMove_8u(m.data(), m.data(), 0), -6);
}

TEST(NoCallerRegion, Conversions) {
  const unsigned char u8[4] = {0, 255, 7, 99};
  unsigned short u16[4] = {};
  EXPECT_EQ(A::ippiConvert_8u16u_C1R(u8, 2, u16, 4, {2, 2}), 0);
  EXPECT_EQ(u16[0], 0);
  EXPECT_EQ(u16[1], 255);
  EXPECT_EQ(u16[2], 7);
  EXPECT_EQ(u16[3], 99);
  EXPECT_EQ(A::ippiConvert_8u16u_C1R(u8, 0, u16, 4, {2, 2}), -14);

  const signed char s8[2] = {-128, 127};
  float f[2];
  EXPECT_EQ(Vizazodizaro::ippiConvert_8s32f_C1R(s8, 2, f, 8, {2, 1}), 0);
  EXPECT_EQ(f[0], -128.0f);
  EXPECT_EQ(f[1], 127.0f);

  // A NaN goes to the lower bound, like every value at or below it.
  const float in[7] = {
      2.5f, 3.5f, -2.5f, 1e9f, -1e9f, -0.7f, std::numeric_limits<float>::quiet_NaN()};
  short s16[7];
  EXPECT_EQ(Vizazodizaro::ippiConvert_32f16s_C1R(in, 28, s16, 14, {7, 1}, 1), 0);
  EXPECT_EQ(std::vector<short>(s16, s16 + 7),
            (std::vector<short>{2, 4, -2, 32767, -32768, -1, -32768}));
  EXPECT_EQ(Vizazodizaro::ippiConvert_32f16s_C1R(in, 28, s16, 14, {7, 1}, 0), 0);
  EXPECT_EQ(std::vector<short>(s16, s16 + 7),
            (std::vector<short>{2, 3, -2, 32767, -32768, 0, -32768}));
  signed char s8out[7];
  EXPECT_EQ(Vizazodizaro::ippiConvert_32f8s_C1R(in, 28, s8out, 7, {7, 1}, 1), 0);
  EXPECT_EQ(std::vector<signed char>(s8out, s8out + 7),
            (std::vector<signed char>{2, 4, -2, 127, -128, -1, -128}));
  EXPECT_EQ(Vizazodizaro::ippiConvert_32f8s_C1R(in, 28, nullptr, 7, {7, 1}, 1), -8);
  EXPECT_EQ(Vizazodizaro::ippiConvert_32f8s_C1R(in, 28, s8out, 7, {7, 0}, 1), -6);
}
