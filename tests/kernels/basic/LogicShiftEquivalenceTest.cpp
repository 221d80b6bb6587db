// Bitwise operations and shifts with a constant: the same bytes and statuses as the
// generic, over every length class, byte offset, in place, partly overlapping, and the
// constants and counts at their edges (0, all bits, 31, 32, huge, negative).
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic::sse2;
namespace gen = Slbasicdispatcher::generic;

// Every operation as (source, constant, destination, length) on 32-bit patterns.
using Op = IppOpStatus (*)(const void *, int, void *, int);

struct Row {
  const char *name;
  Op kernel;
  Op generic;
  std::vector<int> constants;
};

template <IppOpStatus (*F)(const unsigned *, unsigned, unsigned *, int)>
IppOpStatus logic(const void *s, int c, void *d, int n) {
  return F(static_cast<const unsigned *>(s), static_cast<unsigned>(c), static_cast<unsigned *>(d),
           n);
}
template <IppOpStatus (*F)(const int *, int, int *, int)>
IppOpStatus shift(const void *s, int c, void *d, int n) {
  return F(static_cast<const int *>(s), c, static_cast<int *>(d), n);
}

const std::vector<int> kMasks = {0, -1, INT_MIN, 0x00FF00FF, 0x12345678, 1};
const std::vector<int> kCounts = {0, 1, 5, 16, 31, 32, 33, 40, INT_MAX, -1, INT_MIN};

const Row kRows[] = {
    {"AndC", logic<kb::ippsAndC_32u>, logic<gen::ippsAndC_32u>, kMasks},
    {"OrC", logic<kb::ippsOrC_32u>, logic<gen::ippsOrC_32u>, kMasks},
    {"XorC", logic<kb::ippsXorC_32u>, logic<gen::ippsXorC_32u>, kMasks},
    {"LShiftC", shift<kb::ippsLShiftC_32s>, shift<gen::ippsLShiftC_32s>, kCounts},
    {"RShiftC", shift<kb::ippsRShiftC_32s>, shift<gen::ippsRShiftC_32s>, kCounts},
};

std::vector<int> values() {
  std::vector<int> v = {0, 1, -1, 5, -5, INT_MIN, INT_MAX, INT_MIN + 1, 0x40000000};
  for (int x : test_support::RandomVector<int>(120, 3, INT_MIN, INT_MAX))
    v.push_back(x);
  return v;
}

class LogicShift : public ::testing::TestWithParam<Row> {};

// Both variants run on byte-identical buffers; the whole buffers must then be equal, so
// guard bytes, overlapping parts and untouched destinations are compared too.
TEST_P(LogicShift, SameBytesAndStatusAsTheGeneric) {
  const Row &r = GetParam();
  const std::vector<int> src = values();
  for (int c : r.constants) {
    for (int len : {1, 2, 3, 4, 5, 7, 8, 15, 16, 17, 31, 33, 63, 64, 65, 129}) {
      const std::size_t n = static_cast<std::size_t>(len);
      // Layouts: separate buffers at offsets; in place; destination 1 element ahead of or
      // behind the source in one buffer.
      for (int layout = 0; layout < 7; ++layout) {
        const std::size_t size = 4 * (n + 160) + 64;
        std::vector<unsigned char> a(size, 0xA5);
        for (std::size_t i = 0; i < n + 8; ++i)
          std::memcpy(a.data() + 32 + 4 * i, &src[i % src.size()], 4);
        std::vector<unsigned char> b = a;
        std::size_t srcAt = 32, dstAt;
        switch (layout) {
        case 0:
          dstAt = 32 + 4 * (n + 8) + 16;
          break;
        case 1:
          dstAt = 32 + 4 * (n + 8) + 17;
          break;
        case 2:
          srcAt = 33;
          dstAt = 32 + 4 * (n + 8) + 23;
          break;
        case 3:
          dstAt = 32;
          break;
        case 4:
          dstAt = 36;
          break;
        case 5:
          srcAt = 36;
          dstAt = 32;
          break;
        default:
          srcAt = 35;
          dstAt = 32 + 4 * (n + 8) + 40;
          break;
        }
        IppOpStatus want;
        if (srcAt % 4 == 0 && dstAt % 4 == 0) {
          want = r.generic(b.data() + srcAt, c, b.data() + dstAt, len);
        } else { // the generic reads typed elements: give it aligned copies
          std::vector<int> s(n), d(n);
          std::memcpy(s.data(), b.data() + srcAt, 4 * n);
          std::memcpy(d.data(), b.data() + dstAt, 4 * n);
          want = r.generic(s.data(), c, d.data(), len);
          std::memcpy(b.data() + dstAt, d.data(), 4 * n);
        }
        ASSERT_EQ(r.kernel(a.data() + srcAt, c, a.data() + dstAt, len), want)
            << r.name << " c " << c << " len " << len;
        ASSERT_EQ(a, b) << r.name << " c " << c << " len " << len << " layout " << layout;
      }
    }
  }
}

TEST_P(LogicShift, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const Row &r = GetParam();
  const int s[2] = {1, -2};
  for (int c : r.constants) {
    for (int len : {2, 0, -4}) {
      for (int nul = 0; nul < 3; ++nul) {
        int d[2] = {7, 7}, g[2] = {7, 7};
        const int *src = nul == 1 ? nullptr : s;
        const IppOpStatus want = r.generic(src, c, nul == 2 ? nullptr : g, len);
        if (want == ippStsNoErr)
          continue;
        EXPECT_EQ(r.kernel(src, c, nul == 2 ? nullptr : d, len), want) << r.name << " " << c;
        EXPECT_EQ(d[0], 7);
        EXPECT_EQ(d[1], 7);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Basic, LogicShift, ::testing::ValuesIn(kRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LogicShift, WorkedCases) {
  const int v[] = {1, -5, 5, 7};
  int out[4];
  ASSERT_EQ(kb::ippsLShiftC_32s(v, 31, out, 1), ippStsNoErr);
  EXPECT_EQ(out[0], INT_MIN);
  ASSERT_EQ(kb::ippsRShiftC_32s(v + 1, 40, out, 3), ippStsNoErr);
  EXPECT_EQ(out[0], -1);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(kb::ippsRShiftC_32s(v, -1, out, 0), ippStsSizeErr);
  const unsigned u[] = {0x0F0F0F0Fu};
  unsigned w[1];
  ASSERT_EQ(kb::ippsXorC_32u(u, 0xFFFFFFFFu, w, 1), ippStsNoErr);
  EXPECT_EQ(w[0], 0xF0F0F0F0u);
}

} // namespace
