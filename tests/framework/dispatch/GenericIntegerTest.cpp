// Integer, bitwise and shift operations, called by name through their slots.
#include <climits>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

namespace S = Slbcbbasicdispatcher;
namespace B = Slbasicdispatcher;

struct ScaledCase {
  const char *name;
  // Runs the operation on one element x with constant val and scale factor sf.
  std::function<int(int x, int val, int sf, int &out)> run;
  int x, val, sf, want;
};

std::ostream &operator<<(std::ostream &os, const ScaledCase &c) {
  return os << c.name << " sf " << c.sf;
}

int inPlace32(IppOpStatus (*op)(int, int *, int, int), int x, int val, int sf, int &out) {
  out = x;
  return op(val, &out, 1, sf);
}

int outOfPlace32(IppOpStatus (*op)(const int *, int, int *, int, int), int x, int val, int sf,
                 int &out) {
  return op(&x, val, &out, 1, sf);
}

auto addCI = [](int x, int v, int sf, int &o) {
  return inPlace32(&S::ippsAddC_32s_ISfs, x, v, sf, o);
};
auto subCI = [](int x, int v, int sf, int &o) {
  return inPlace32(&S::ippsSubC_32s_ISfs, x, v, sf, o);
};
auto mulCI = [](int x, int v, int sf, int &o) {
  return inPlace32(&S::ippsMulC_32s_ISfs, x, v, sf, o);
};
auto addC = [](int x, int v, int sf, int &o) {
  return outOfPlace32(&B::ippsAddC_32s_Sfs, x, v, sf, o);
};
auto subC = [](int x, int v, int sf, int &o) {
  return outOfPlace32(&B::ippsSubC_32s_Sfs, x, v, sf, o);
};
auto subCRev = [](int x, int v, int sf, int &o) {
  return outOfPlace32(&B::ippsSubCRev_32s_Sfs, x, v, sf, o);
};
auto mulC = [](int x, int v, int sf, int &o) {
  return outOfPlace32(&B::ippsMulC_32s_Sfs, x, v, sf, o);
};
auto mulC8 = [](int x, int v, int sf, int &o) {
  unsigned char b = static_cast<unsigned char>(x);
  const int st = Albasicdispatcher::ippsMulC_8u_ISfs(static_cast<unsigned char>(v), &b, 1, sf);
  o = b;
  return st;
};

class ScaledRule : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(ScaledRule, ExactResultScaledRoundedHalfToEvenSaturated) {
  const auto &c = GetParam();
  int out = 12345;
  EXPECT_EQ(c.run(c.x, c.val, c.sf, out), 0);
  EXPECT_EQ(out, c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScaledRule,
    ::testing::Values(ScaledCase{"AddC_I saturates", addCI, INT_MAX, 1, 0, INT_MAX},
                      ScaledCase{"AddC_I halves", addCI, INT_MAX, 1, 1, 1073741824},
                      ScaledCase{"AddC_I ties to even down", addCI, 4, 1, 1, 2},
                      ScaledCase{"AddC_I ties to even up", addCI, 6, 1, 1, 4},
                      ScaledCase{"AddC_I scales up", addCI, 3, 0, -2, 12},
                      ScaledCase{"AddC_I huge up", addCI, 1, 0, -40, INT_MAX},
                      ScaledCase{"AddC_I zero stays", addCI, 0, 0, -40, 0},
                      ScaledCase{"AddC_I huge down", addCI, INT_MAX, INT_MAX, 40, 0},
                      ScaledCase{"SubC_I saturates low", subCI, INT_MIN, 1, 0, INT_MIN},
                      ScaledCase{"MulC_I 7.5 to 8", mulCI, 3, 5, 1, 8},
                      ScaledCase{"MulC_I 4.5 to 4", mulCI, 3, 3, 1, 4},
                      ScaledCase{"MulC_I negative half", mulCI, -3, 3, 1, -4},
                      ScaledCase{"MulC_I zero", mulCI, 77, 0, -5, 0},
                      ScaledCase{"MulC_I wide product", mulCI, INT_MIN, INT_MIN, 62, 1},
                      ScaledCase{"AddC", addC, -7, 2, 1, -2},
                      ScaledCase{"SubC", subC, -7, 2, 1, -4},
                      ScaledCase{"SubCRev of min", subCRev, INT_MIN, 0, 0, INT_MAX},
                      ScaledCase{"MulC", mulC, 100000, 100000, 10, 9765625},
                      ScaledCase{"MulC_8u saturates", mulC8, 200, 2, 0, 255},
                      ScaledCase{"MulC_8u scaled", mulC8, 200, 3, 2, 150},
                      ScaledCase{"MulC_8u tie", mulC8, 5, 1, 1, 2},
                      ScaledCase{"MulC_8u zero", mulC8, 5, 0, -3, 0}));

} // namespace

TEST(NoCallerInteger, DotProductScaleFactorClamps) {
  const int a[2] = {INT_MAX, INT_MIN};
  const int b[2] = {INT_MAX, INT_MIN};
  int dp = 0;
  EXPECT_EQ(S::ippsDotProd_32s_Sfs(a, b, 2, &dp, 0), 0);
  EXPECT_EQ(dp, INT_MAX);
  // The exact sum is 2^63 - 2^32 + 1: shifted by 33 it is 2^30 - 0.5 + tiny -> 2^30.
  EXPECT_EQ(S::ippsDotProd_32s_Sfs(a, b, 2, &dp, 33), 0);
  EXPECT_EQ(dp, 1 << 30);
  const int c[3] = {3, -2, 1}, d[3] = {1, 1, 1};
  EXPECT_EQ(S::ippsDotProd_32s_Sfs(c, d, 3, &dp, 1), 0);
  EXPECT_EQ(dp, 1); // 2 / 2
  EXPECT_EQ(S::ippsDotProd_32s_Sfs(c, d, 3, &dp, 1000), 0);
  EXPECT_EQ(dp, 0);
  EXPECT_EQ(S::ippsDotProd_32s_Sfs(c, d, 3, &dp, -1000), 0);
  EXPECT_EQ(dp, INT_MAX);
  EXPECT_EQ(S::ippsDotProd_32s_Sfs(c, d, 3, nullptr, 0), -8);
  EXPECT_EQ(S::ippsDotProd_32s_Sfs(c, d, 0, &dp, 0), -6);
}

TEST(NoCallerInteger, BitwiseOperations) {
  std::vector<unsigned int> v{0xF0F0F0F0u, 0x12345678u};
  const std::vector<unsigned int> m{0xFF00FF00u, 0x0000FFFFu};
  auto w = v;
  EXPECT_EQ(S::ippsAndC_32u_I(0x0F0F0F0Fu, w.data(), 2), 0);
  EXPECT_EQ(w, (std::vector<unsigned int>{0x00000000u, 0x02040608u}));
  w = v;
  EXPECT_EQ(S::ippsAnd_32u_I(m.data(), w.data(), 2), 0);
  EXPECT_EQ(w, (std::vector<unsigned int>{0xF000F000u, 0x00005678u}));
  w = v;
  EXPECT_EQ(S::ippsOrC_32u_I(1u, w.data(), 2), 0);
  EXPECT_EQ(w, (std::vector<unsigned int>{0xF0F0F0F1u, 0x12345679u}));
  w = v;
  EXPECT_EQ(S::ippsOr_32u_I(m.data(), w.data(), 2), 0);
  EXPECT_EQ(w, (std::vector<unsigned int>{0xFFF0FFF0u, 0x1234FFFFu}));
  w = v;
  EXPECT_EQ(S::ippsXorC_32u_I(0xFFFFFFFFu, w.data(), 2), 0);
  EXPECT_EQ(w, (std::vector<unsigned int>{0x0F0F0F0Fu, 0xEDCBA987u}));
  w = v;
  EXPECT_EQ(S::ippsXor_32u_I(m.data(), w.data(), 2), 0);
  EXPECT_EQ(w, (std::vector<unsigned int>{0x0FF00FF0u, 0x1234A987u}));

  std::vector<unsigned int> out(2);
  EXPECT_EQ(B::ippsAndC_32u(v.data(), 0u, out.data(), 2), 0);
  EXPECT_EQ(out, (std::vector<unsigned int>{0u, 0u}));
  EXPECT_EQ(B::ippsOrC_32u(v.data(), 0x0Fu, out.data(), 2), 0);
  EXPECT_EQ(out[1], 0x1234567Fu);
  EXPECT_EQ(B::ippsXorC_32u(v.data(), 0x0Fu, out.data(), 2), 0);
  EXPECT_EQ(out[1], 0x12345677u);
}

TEST(NoCallerInteger, Shifts) {
  const std::vector<int> v{1, -8, INT_MIN, 0x40000001};
  std::vector<int> out(4);
  EXPECT_EQ(B::ippsLShiftC_32s(v.data(), 1, out.data(), 4), 0);
  EXPECT_EQ(out, (std::vector<int>{2, -16, 0, INT_MIN + 2}));
  EXPECT_EQ(B::ippsRShiftC_32s(v.data(), 2, out.data(), 4), 0);
  EXPECT_EQ(out, (std::vector<int>{0, -2, INT_MIN / 4, 0x10000000}));
  EXPECT_EQ(B::ippsLShiftC_32s(v.data(), 32, out.data(), 4), 0);
  EXPECT_EQ(out, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(B::ippsRShiftC_32s(v.data(), 40, out.data(), 4), 0);
  EXPECT_EQ(out, (std::vector<int>{0, -1, -1, 0}));
  auto w = v;
  EXPECT_EQ(S::ippsLShiftC_32s_I(-1, w.data(), 4), -32);
  EXPECT_EQ(S::ippsRShiftC_32s_I(-1, w.data(), 4), -32);
  EXPECT_EQ(w, v);
  EXPECT_EQ(S::ippsRShiftC_32s_I(31, w.data(), 4), 0);
  EXPECT_EQ(w, (std::vector<int>{0, -1, -1, 0}));
  EXPECT_EQ(S::ippsLShiftC_32s_I(3, nullptr, 4), -8);
  EXPECT_EQ(S::ippsLShiftC_32s_I(3, w.data(), 0), -6);
}

TEST(NoCallerInteger, SixteenBitOperations) {
  const std::vector<short> a{32000, -32000, 5, -1};
  std::vector<short> b{1000, -1000, -7, 1};
  EXPECT_EQ(Vizazodizaro::ippsAdd_16s_I(a.data(), b.data(), 4), 0);
  EXPECT_EQ(b, (std::vector<short>{32767, -32768, -2, 0}));

  std::vector<short> c(4);
  EXPECT_EQ(S::ippsCopy_16s(a.data(), c.data(), 4), 0);
  EXPECT_EQ(c, a);

  const signed char bytes[3] = {-128, 0, 127};
  short wide[3];
  EXPECT_EQ(Albasicdispatcher::ippsConvert_8s16s(bytes, wide, 3), 0);
  EXPECT_EQ(wide[0], -128);
  EXPECT_EQ(wide[2], 127);
}

TEST(NoCallerInteger, ThresholdBetweenTwoLevels) {
  std::vector<short> v{-5, 0, 3, 5, 9};
  EXPECT_EQ(Vizazodizaro::ippsThreshold_LTValGTVal_16s_I(v.data(), 5, 0, -100, 5, 100), 0);
  EXPECT_EQ(v, (std::vector<short>{-100, 0, 3, 5, 100}));
  std::vector<short> w{1, 2, 3};
  EXPECT_EQ(Vizazodizaro::ippsThreshold_LTValGTVal_16s_I(w.data(), 3, 2, -1, 2, 9), 0);
  EXPECT_EQ(w, (std::vector<short>{-1, 2, 9}));
  EXPECT_EQ(Vizazodizaro::ippsThreshold_LTValGTVal_16s_I(w.data(), 3, 3, 0, 2, 0), -18);
  EXPECT_EQ(w, (std::vector<short>{-1, 2, 9}));
  EXPECT_EQ(Vizazodizaro::ippsThreshold_LTValGTVal_16s_I(nullptr, 3, 3, 0, 2, 0), -8);
  EXPECT_EQ(Vizazodizaro::ippsThreshold_LTValGTVal_16s_I(w.data(), 0, 3, 0, 2, 0), -6);
}
