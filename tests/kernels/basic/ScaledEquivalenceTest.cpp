// Scaled integer kernels against an independent oracle (the exact value in 128 bits,
// times 2^-sf, rounded half to even, saturated) and the generic variants, byte for byte:
// 32-bit operations over edge and random values at every scale-class boundary, 8-bit
// operations exhaustively over all byte pairs for each scale class.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic::sse2;
namespace gen = Slbasicdispatcher::generic;

using i128 = __int128;

// round_half_even(v x 2^-sf) saturated to [lo, hi].
i128 oracle(i128 v, int sf, i128 lo, i128 hi) {
  i128 q;
  if (sf >= 0) {
    if (sf >= 120) {
      q = 0; // |v| < 2^64
    } else {
      const i128 den = static_cast<i128>(1) << sf;
      q = v / den;
      i128 r = v % den;
      if (r < 0) {
        q -= 1;
        r += den;
      }
      if (2 * r > den || (2 * r == den && (q & 1) != 0))
        q += 1;
    }
  } else {
    const long long k = -static_cast<long long>(sf);
    if (k >= 60)
      q = v > 0 ? hi + 1 : v < 0 ? lo - 1 : 0;
    else
      q = v * (static_cast<i128>(1) << k); // |v| < 2^64
  }
  return q < lo ? lo : q > hi ? hi : q;
}

const std::vector<int> kScaleFactors = {INT_MIN, -100, -64, -63, -62, -33, -32, -31, -30,    -29,
                                        -16,     -2,   -1,  0,   1,   2,   3,   16,  30,     31,
                                        32,      33,   34,  61,  62,  63,  64,  100, INT_MAX};

std::vector<int> edgeInts() {
  return {0,          1,     -1,      2,       -2,          3,           -3,
          5,          -5,    INT_MIN, INT_MAX, INT_MIN + 1, INT_MAX - 1, 1 << 30,
          -(1 << 30), 46341, -46341,  65536,   -65536,      0x7FFF,      12345678};
}

// ---- 32-bit, a second vector --------------------------------------------------------

using Vector32 = IppOpStatus (*)(const int *, int *, int, int);

struct VectorRow {
  const char *name;
  Vector32 kernel;
  Vector32 generic;
  i128 (*exact)(i128 v, i128 s); // v: the vector's element, s: the source's
};

const VectorRow kVectorRows[] = {
    {"Add_32s_ISfs", kb::ippsAdd_32s_ISfs, gen::ippsAdd_32s_ISfs,
     [](i128 v, i128 s) { return v + s; }},
    {"Sub_32s_ISfs", kb::ippsSub_32s_ISfs, gen::ippsSub_32s_ISfs,
     [](i128 v, i128 s) { return v - s; }},
    {"Mul_32s_ISfs", kb::ippsMul_32s_ISfs, gen::ippsMul_32s_ISfs,
     [](i128 v, i128 s) { return v * s; }},
};

class ScaledVector32 : public ::testing::TestWithParam<VectorRow> {};

TEST_P(ScaledVector32, EqualsTheOracleAndTheGenericInEveryScaleClass) {
  const VectorRow &r = GetParam();
  std::vector<int> v, s;
  const std::vector<int> e = edgeInts();
  for (int a : e)
    for (int b : e) {
      v.push_back(a);
      s.push_back(b);
    }
  for (int x : test_support::RandomVector<int>(400, 21, INT_MIN, INT_MAX))
    v.push_back(x);
  for (int x : test_support::RandomVector<int>(400, 22, -70000, 70000))
    s.push_back(x);
  for (int sf : kScaleFactors) {
    for (int len : {1, 3, 4, 5, 7, 8, 9, 17, static_cast<int>(v.size())}) {
      const std::size_t n = static_cast<std::size_t>(len);
      const std::size_t start = v.size() - n;
      std::vector<int> g(v.begin() + start, v.end());
      const std::vector<int> src(s.begin() + start, s.end());
      ASSERT_EQ(r.generic(src.data(), g.data(), len, sf), ippStsNoErr);
      for (std::size_t off : {0, 4, 1, 8, 14}) {
        std::vector<unsigned char> dst(4 * n + 40, 0xA5), sb(4 * n + 40, 0x5A);
        std::memcpy(dst.data() + off, v.data() + start, 4 * n);
        std::memcpy(sb.data() + (off + 6) % 16, src.data(), 4 * n);
        ASSERT_EQ(r.kernel(reinterpret_cast<const int *>(sb.data() + (off + 6) % 16),
                           reinterpret_cast<int *>(dst.data() + off), len, sf),
                  ippStsNoErr);
        for (std::size_t i = 0; i < n; ++i) {
          int got;
          std::memcpy(&got, dst.data() + off + 4 * i, 4);
          const i128 want = oracle(r.exact(v[start + i], src[i]), sf, INT_MIN, INT_MAX);
          ASSERT_EQ(got, static_cast<int>(want))
              << r.name << " sf " << sf << " " << v[start + i] << " , " << src[i];
          ASSERT_EQ(got, g[i]) << r.name << " sf " << sf;
        }
        for (std::size_t i = 0; i < off; ++i)
          ASSERT_EQ(dst[i], 0xA5);
        for (std::size_t i = off + 4 * n; i < dst.size(); ++i)
          ASSERT_EQ(dst[i], 0xA5);
      }
    }
  }
}

TEST_P(ScaledVector32, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const VectorRow &r = GetParam();
  const int s[2] = {1, 2};
  for (int len : {2, 0, -1}) {
    for (int nul = 0; nul < 3; ++nul) {
      if (nul == 0 && len > 0)
        continue;
      int d[2] = {9, 9}, g[2] = {9, 9};
      const int *src = nul == 1 ? nullptr : s;
      const IppOpStatus want = r.generic(src, nul == 2 ? nullptr : g, len, 0);
      EXPECT_EQ(r.kernel(src, nul == 2 ? nullptr : d, len, 0), want) << r.name;
      EXPECT_EQ(d[0], 9);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scaled, ScaledVector32, ::testing::ValuesIn(kVectorRows),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- 32-bit, a constant -------------------------------------------------------------

using Const32 = IppOpStatus (*)(const int *, int, int *, int, int);

struct ConstRow {
  const char *name;
  Const32 kernel;
  Const32 generic;
  i128 (*exact)(i128 x, i128 c);
};

const ConstRow kConstRows[] = {
    {"AddC_32s_Sfs", kb::ippsAddC_32s_Sfs, gen::ippsAddC_32s_Sfs,
     [](i128 x, i128 c) { return x + c; }},
    {"SubC_32s_Sfs", kb::ippsSubC_32s_Sfs, gen::ippsSubC_32s_Sfs,
     [](i128 x, i128 c) { return x - c; }},
    {"SubCRev_32s_Sfs", kb::ippsSubCRev_32s_Sfs, gen::ippsSubCRev_32s_Sfs,
     [](i128 x, i128 c) { return c - x; }},
    {"MulC_32s_Sfs", kb::ippsMulC_32s_Sfs, gen::ippsMulC_32s_Sfs,
     [](i128 x, i128 c) { return x * c; }},
};

class ScaledConst32 : public ::testing::TestWithParam<ConstRow> {};

TEST_P(ScaledConst32, EqualsTheOracleAndTheGenericInAndOutOfPlace) {
  const ConstRow &r = GetParam();
  std::vector<int> x = edgeInts();
  for (int v : test_support::RandomVector<int>(200, 23, INT_MIN, INT_MAX))
    x.push_back(v);
  const int len = static_cast<int>(x.size());
  for (int c : edgeInts()) {
    for (int sf : kScaleFactors) {
      std::vector<int> g(x.size());
      ASSERT_EQ(r.generic(x.data(), c, g.data(), len, sf), ippStsNoErr);
      for (bool inPlace : {false, true}) {
        std::vector<int> src = x, out(x.size(), 77);
        int *dst = inPlace ? src.data() : out.data();
        ASSERT_EQ(r.kernel(src.data(), c, dst, len, sf), ippStsNoErr);
        for (std::size_t i = 0; i < x.size(); ++i) {
          ASSERT_EQ(dst[i], static_cast<int>(oracle(r.exact(x[i], c), sf, INT_MIN, INT_MAX)))
              << r.name << " sf " << sf << " x " << x[i] << " c " << c;
          ASSERT_EQ(dst[i], g[i]);
        }
      }
    }
  }
  // A destination one element behind the source in the same storage: the generic's order.
  std::vector<int> a = x, b = x;
  ASSERT_EQ(r.kernel(a.data() + 1, 3, a.data(), len - 1, 1), ippStsNoErr);
  ASSERT_EQ(r.generic(b.data() + 1, 3, b.data(), len - 1, 1), ippStsNoErr);
  EXPECT_EQ(a, b);
  a = x;
  b = x;
  ASSERT_EQ(r.kernel(a.data(), 3, a.data() + 1, len - 1, 1), ippStsNoErr);
  ASSERT_EQ(r.generic(b.data(), 3, b.data() + 1, len - 1, 1), ippStsNoErr);
  EXPECT_EQ(a, b);
}

TEST_P(ScaledConst32, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const ConstRow &r = GetParam();
  const int s[2] = {1, 2};
  for (int c : {0, 1, 5}) {
    for (int len : {2, 0, -1}) {
      for (int nul = 0; nul < 3; ++nul) {
        if (nul == 0 && len > 0)
          continue;
        int d[2] = {9, 9}, g[2] = {9, 9};
        const int *src = nul == 1 ? nullptr : s;
        const IppOpStatus want = r.generic(src, c, nul == 2 ? nullptr : g, len, 0);
        EXPECT_EQ(r.kernel(src, c, nul == 2 ? nullptr : d, len, 0), want) << r.name;
        EXPECT_EQ(d[0], 9);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scaled, ScaledConst32, ::testing::ValuesIn(kConstRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Scaled32, WorkedCases) {
  int v[] = {INT_MAX, 3, 5, -1, -3};
  const int s[] = {1, 0, 0, 0, 0};
  ASSERT_EQ(kb::ippsAdd_32s_ISfs(s, v, 1, 0), ippStsNoErr);
  EXPECT_EQ(v[0], INT_MAX);
  ASSERT_EQ(kb::ippsAdd_32s_ISfs(s + 1, v + 1, 4, 1), ippStsNoErr);
  EXPECT_EQ(v[1], 2);
  EXPECT_EQ(v[2], 2);
  EXPECT_EQ(v[3], 0);
  EXPECT_EQ(v[4], -2);
  const int big[] = {INT_MAX};
  int out[1];
  ASSERT_EQ(kb::ippsSubC_32s_Sfs(big, INT_MIN, out, 1, 1), ippStsNoErr);
  EXPECT_EQ(out[0], INT_MAX);
  const int one[] = {1};
  int w[] = {1};
  ASSERT_EQ(kb::ippsMul_32s_ISfs(one, w, 1, -31), ippStsNoErr);
  EXPECT_EQ(w[0], INT_MAX);
}

// ---- 32-bit division -----------------------------------------------------------------

// x * 2^-sf / d rounded half to even and saturated; d != 0.
int divOracle(int x, int d, int sf) {
  if (sf > 90)
    return 0; // |x / d| <= 2^31
  i128 num = x, den = d;
  if (den < 0) {
    num = -num;
    den = -den;
  }
  if (sf < -90) // |x * 2^-sf / d| >= 2^59 for any nonzero x
    return num > 0 ? INT_MAX : num < 0 ? INT_MIN : 0;
  if (sf >= 0)
    den <<= sf;
  else
    num <<= -sf;
  i128 q = num / den, r = num % den;
  if (r < 0) {
    q -= 1;
    r += den;
  }
  if (2 * r > den || (2 * r == den && (q & 1) != 0))
    q += 1;
  return static_cast<int>(q < INT_MIN ? INT_MIN : q > INT_MAX ? INT_MAX : q);
}

int zeroDivisorResult(int x) { return x > 0 ? INT_MAX : x < 0 ? INT_MIN : 0; }

struct DivCase {
  int x, d, sf;
};

// Dividends whose exact quotient by a large odd divisor lies 1 / (2d) above or below a
// half-integer at a left shift of 23-31: the quotient rounded to 53 bits is that half.
std::vector<DivCase> nearHalfCases() {
  std::vector<DivCase> cases;
  const std::vector<int> divisors = {INT_MAX, 2147483629, 2000000011, 1999999999, 1234567891};
  for (int d : divisors) {
    const std::uint64_t m = static_cast<std::uint64_t>(d);
    for (int k = 23; k <= 31; ++k) {
      std::uint64_t inv = 1; // 2^-k modulo d
      for (int i = 0; i < k; ++i)
        inv = inv * ((m + 1) / 2) % m;
      for (std::uint64_t rest : {(m + 1) / 2, (m - 1) / 2}) {
        const int x = static_cast<int>(rest * inv % m); // x * 2^k = rest (mod d)
        for (int sx : {1, -1})
          for (int sd : {1, -1})
            cases.push_back({sx * x, sd * d, -k});
      }
    }
  }
  return cases;
}

TEST(ScaledDiv32, EdgeValuesEveryScaleClassAndNearHalvesAsTheOracleAndTheGeneric) {
  std::vector<DivCase> cases;
  std::vector<int> scales = kScaleFactors;
  for (int sf : {-61, 40, 41})
    scales.push_back(sf);
  for (int sf : scales)
    for (int x : edgeInts())
      for (int d : edgeInts())
        cases.push_back({x, d, sf});
  const std::vector<DivCase> near = nearHalfCases();
  cases.insert(cases.end(), near.begin(), near.end());

  // The near-half rows are the ones a quotient rounded through a double gets wrong.
  int doubleWouldMiss = 0;
  for (const DivCase &c : near) {
    const double q = std::ldexp(static_cast<double>(c.x), -c.sf) / static_cast<double>(c.d);
    if (static_cast<int>(std::nearbyint(q)) != divOracle(c.x, c.d, c.sf))
      ++doubleWouldMiss;
  }
  EXPECT_GT(doubleWouldMiss, 0);

  // One element per call, so each zero divisor's status belongs to its row.
  for (const DivCase &c : cases) {
    const int want = c.d == 0 ? zeroDivisorResult(c.x) : divOracle(c.x, c.d, c.sf);
    const IppOpStatus wantStatus = c.d == 0 ? ippStsDivByZero : ippStsNoErr;
    int g = c.x, k = c.x;
    ASSERT_EQ(gen::ippsDiv_32s_ISfs(&c.d, &g, 1, c.sf), wantStatus);
    ASSERT_EQ(g, want) << "generic " << c.x << " / " << c.d << " sf " << c.sf;
    ASSERT_EQ(kb::ippsDiv_32s_ISfs(&c.d, &k, 1, c.sf), wantStatus);
    ASSERT_EQ(k, want) << c.x << " / " << c.d << " sf " << c.sf;
  }
}

TEST(ScaledDiv32, VectorsAtEveryOffsetWithZeroDivisorsInPairsAndAlone) {
  std::vector<int> v, s;
  const std::vector<int> e = edgeInts();
  for (int a : e)
    for (int b : e) {
      v.push_back(a);
      s.push_back(b);
    }
  for (int x : test_support::RandomVector<int>(300, 41, INT_MIN, INT_MAX))
    v.push_back(x);
  for (int x : test_support::RandomVector<int>(300, 42, -70000, 70000))
    s.push_back(x);
  for (const DivCase &c : nearHalfCases()) {
    v.push_back(c.x);
    s.push_back(c.d);
  }
  for (int sf : {-63, -62, -40, -32, -31, -25, -1, 0, 1, 2, 31, 32, 33}) {
    for (int len : {1, 2, 3, 4, 5, 8, 9, 17, 400, static_cast<int>(v.size())}) {
      const std::size_t n = static_cast<std::size_t>(len);
      const std::size_t start = v.size() - n;
      const std::vector<int> src(s.begin() + static_cast<std::ptrdiff_t>(start), s.end());
      std::vector<int> g(v.begin() + static_cast<std::ptrdiff_t>(start), v.end());
      bool anyZero = false;
      for (int d : src)
        anyZero = anyZero || d == 0;
      const IppOpStatus want = anyZero ? ippStsDivByZero : ippStsNoErr;
      ASSERT_EQ(gen::ippsDiv_32s_ISfs(src.data(), g.data(), len, sf), want);
      for (std::size_t off : {0, 4, 1, 8, 12}) {
        const std::vector<int> dividends(v.begin() + static_cast<std::ptrdiff_t>(start), v.end());
        equivalence::Guarded<int> dst(dividends, off);
        equivalence::Guarded<int> div(src, (off + 6) % 16);
        ASSERT_EQ(kb::ippsDiv_32s_ISfs(div.get(), dst.get(), len, sf), want)
            << "sf " << sf << " len " << len;
        for (std::size_t i = 0; i < n; ++i) {
          const int d = src[i], x = dividends[i];
          ASSERT_EQ(dst.at(i), d == 0 ? zeroDivisorResult(x) : divOracle(x, d, sf))
              << x << " / " << d << " sf " << sf << " offset " << off;
          ASSERT_EQ(dst.at(i), g[i]);
        }
        ASSERT_TRUE(dst.GuardsIntact());
        ASSERT_TRUE(div.GuardsIntact());
      }
    }
  }
}

TEST(ScaledDiv32, WorkedCasesSharedStorageAndBadArguments) {
  const int d[] = {2, 2, 2, 0, 0, 0, 3, -1};
  int x[] = {7, 5, -5, 1, -1, 0, 9, INT_MIN};
  ASSERT_EQ(kb::ippsDiv_32s_ISfs(d, x, 8, 0), ippStsDivByZero);
  const int want[] = {4, 2, -2, INT_MAX, INT_MIN, 0, 3, INT_MAX};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(x[i], want[i]) << i;
  int one = 1, five = 5;
  const int three = 3, unit = 1;
  ASSERT_EQ(kb::ippsDiv_32s_ISfs(&three, &one, 1, -62), ippStsNoErr);
  EXPECT_EQ(one, INT_MAX);
  ASSERT_EQ(kb::ippsDiv_32s_ISfs(&unit, &five, 1, 33), ippStsNoErr);
  EXPECT_EQ(five, 0);

  // Divisors and dividends in one array, shifted by one element either way, and the same.
  std::vector<int> base = test_support::RandomVector<int>(41, 43, -1000, 1000);
  base[7] = 0;
  for (int shift : {1, -1, 0}) {
    std::vector<int> a = base, b = base;
    const std::size_t srcAt = 2, dstAt = static_cast<std::size_t>(2 + shift);
    const IppOpStatus st = kb::ippsDiv_32s_ISfs(a.data() + srcAt, a.data() + dstAt, 38, -3);
    EXPECT_EQ(st, gen::ippsDiv_32s_ISfs(b.data() + srcAt, b.data() + dstAt, 38, -3));
    EXPECT_EQ(a, b) << "shift " << shift;
  }

  int k[2] = {9, 9}, g[2] = {9, 9};
  for (int len : {2, 0, -1})
    for (int nul = 0; nul < 3; ++nul) {
      if (nul == 0 && len > 0)
        continue;
      const int *src = nul == 1 ? nullptr : d;
      const IppOpStatus st = gen::ippsDiv_32s_ISfs(src, nul == 2 ? nullptr : g, len, 0);
      EXPECT_EQ(kb::ippsDiv_32s_ISfs(src, nul == 2 ? nullptr : k, len, 0), st);
      EXPECT_EQ(k[0], 9);
    }
}

// ---- 8-bit, every pair of bytes -------------------------------------------------------

using Vector8 = IppOpStatus (*)(const unsigned char *, unsigned char *, int, int);

struct Row8 {
  const char *name;
  Vector8 kernel;
  Vector8 generic;
  int (*exact)(int v, int s);
};

const Row8 kRows8[] = {
    {"Add_8u_ISfs", kb::ippsAdd_8u_ISfs, gen::ippsAdd_8u_ISfs, [](int v, int s) { return v + s; }},
    {"Sub_8u_ISfs", kb::ippsSub_8u_ISfs, gen::ippsSub_8u_ISfs, [](int v, int s) { return v - s; }},
    {"Mul_8u_ISfs", kb::ippsMul_8u_ISfs, gen::ippsMul_8u_ISfs, [](int v, int s) { return v * s; }},
};

class Scaled8 : public ::testing::TestWithParam<Row8> {};

TEST_P(Scaled8, AllBytePairsInEveryScaleClass) {
  const Row8 &r = GetParam();
  std::vector<unsigned char> v(65536), s(65536);
  for (int i = 0; i < 65536; ++i) {
    v[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i >> 8);
    s[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
  }
  for (int sf : {INT_MIN, -100, -17, -16, -15, -9, -8, -7, -6, -1, 0,   1,      2,
                 7,       8,    9,   10,  15,  16, 17, 18, 31, 32, 100, INT_MAX}) {
    std::vector<unsigned char> g = v;
    ASSERT_EQ(r.generic(s.data(), g.data(), 65536, sf), ippStsNoErr);
    for (std::size_t off : {0, 3}) {
      std::vector<unsigned char> buf(65536 + 32, 0xA5);
      std::memcpy(buf.data() + off, v.data(), 65536);
      ASSERT_EQ(r.kernel(s.data(), buf.data() + off, 65536, sf), ippStsNoErr);
      for (std::size_t i = 0; i < 65536; ++i) {
        const int want = static_cast<int>(oracle(r.exact(v[i], s[i]), sf, 0, 255));
        ASSERT_EQ(buf[off + i], want)
            << r.name << " sf " << sf << " " << int(v[i]) << " , " << int(s[i]);
        ASSERT_EQ(buf[off + i], g[i]);
      }
      ASSERT_EQ(buf[off + 65536], 0xA5);
    }
  }
}

TEST_P(Scaled8, ShortAndOverlappingVectorsAsTheGeneric) {
  const Row8 &r = GetParam();
  const std::vector<int> bytes = test_support::RandomVector<int>(100, 31, 0, 256);
  std::vector<unsigned char> base(bytes.begin(), bytes.end());
  for (int len : {1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 79, 80}) {
    for (int shift : {0, 1, -1, 5}) {
      std::vector<unsigned char> a = base, b = base;
      const std::size_t srcAt = 10, dstAt = static_cast<std::size_t>(10 + shift);
      ASSERT_EQ(r.kernel(a.data() + srcAt, a.data() + dstAt, len, 1), ippStsNoErr);
      ASSERT_EQ(r.generic(b.data() + srcAt, b.data() + dstAt, len, 1), ippStsNoErr);
      ASSERT_EQ(a, b) << r.name << " len " << len << " shift " << shift;
    }
  }
  unsigned char d[2] = {9, 9};
  EXPECT_EQ(r.kernel(nullptr, d, 0, 0), ippStsNullPtrErr);
  EXPECT_EQ(r.kernel(d, nullptr, 2, 0), ippStsNullPtrErr);
  EXPECT_EQ(r.kernel(d, d, 0, 0), ippStsSizeErr);
  EXPECT_EQ(d[0], 9);
}

INSTANTIATE_TEST_SUITE_P(Scaled, Scaled8, ::testing::ValuesIn(kRows8),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
