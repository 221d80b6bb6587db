// The scaled 8- and 16-bit add, subtract and multiply kernels (two regions, and with a
// constant) against the generic variants: the same bytes at every row length around the
// block sizes, every destination offset in a 16-byte block against a different source
// offset, odd addresses for 16-bit rows, every scale regime; 8-bit results exhaustive
// over all value pairs; statuses and untouched memory on bad arguments.
#include <climits>
#include <string>
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

const int kScales[] = {INT_MIN, -100, -17, -16, -15, -9, -8, -7, -1, 0,  1,   2,      7,
                       8,       9,    10,  15,  16,  17, 29, 30, 31, 32, 100, INT_MAX};

// Row lengths in elements: the block minimum T, T - 1 and T + B of every kernel of both
// instruction-set families, short rows and a long one.
const int kWidths8u[] = {1,  2,  7,  14, 15, 16, 17, 22, 23, 24, 30, 31,  32,  38,  39,
                         40, 46, 47, 48, 55, 63, 64, 71, 78, 79, 80, 111, 143, 1000};
const int kWidths16s[] = {1,  2,  3,  6,  7,  8,  9,  10, 11, 12, 14, 15, 16,
                          18, 19, 20, 22, 23, 24, 27, 31, 32, 39, 55, 500};

template <class T> using RegionFn = IppOpStatus (*)(const T *, int, T *, int, tagSIZE, int);
template <class T> using VectorCFn = IppOpStatus (*)(T, T *, int, int);
template <class T> using RegionCFn = IppOpStatus (*)(T, T *, int, tagSIZE, int);

template <class T> struct RegionRow {
  const char *name;
  RegionFn<T> kernel, generic;
};

const RegionRow<unsigned char> kRegion8u[] = {
    {"Add_8u", ks::ippiAdd_8u_C1IRSfs, gen::ippiAdd_8u_C1IRSfs},
    {"Sub_8u", ks::ippiSub_8u_C1IRSfs, gen::ippiSub_8u_C1IRSfs},
    {"Mul_8u", ks::ippiMul_8u_C1IRSfs, gen::ippiMul_8u_C1IRSfs},
};
const RegionRow<short> kRegion16s[] = {
    {"Add_16s", ks::ippiAdd_16s_C1IRSfs, gen::ippiAdd_16s_C1IRSfs},
    {"Sub_16s", ks::ippiSub_16s_C1IRSfs, gen::ippiSub_16s_C1IRSfs},
    {"Mul_16s", ks::ippiMul_16s_C1IRSfs, gen::ippiMul_16s_C1IRSfs},
};

// Three rows of `width` elements, source and destination rows apart by a step with a
// few bytes of gap, at the given offsets; compares every byte of the arenas.
template <class T, class W>
void checkRegionRow(const RegionRow<T> &row, const W &widths, std::uint32_t seed) {
  for (int width : widths) {
    const int bytes = width * static_cast<int>(sizeof(T));
    const int srcStep = bytes + 5, dstStep = bytes + 3 + 16 * (width % 2);
    for (int dOff = 0; dOff < 16; ++dOff) {
      const int sOff = (dOff * 7 + 3) % 16 == dOff ? (dOff + 1) % 16 : (dOff * 7 + 3) % 16;
      const std::size_t srcAt = 64 + sOff, dstAt = 64 + 3 * srcStep + 64 + dOff;
      Arenas arenas(dstAt + 3 * dstStep + 64, seed++);
      for (int sf : kScales) {
        const tagSIZE roi{width, 3};
        const IppOpStatus a =
            row.kernel(reinterpret_cast<const T *>(arenas.kernel(srcAt)), srcStep,
                       reinterpret_cast<T *>(arenas.kernel(dstAt)), dstStep, roi, sf);
        const IppOpStatus b =
            row.generic(reinterpret_cast<const T *>(arenas.generic(srcAt)), srcStep,
                        reinterpret_cast<T *>(arenas.generic(dstAt)), dstStep, roi, sf);
        ASSERT_EQ(a, b) << row.name << " width " << width << " sf " << sf;
        ASSERT_EQ(arenas.firstDifference(), -1)
            << row.name << " width " << width << " dst offset " << dOff << " sf " << sf;
      }
    }
  }
}

TEST(ScaledArithKernels, RegionRowsEqualTheGenericAtEveryLengthOffsetAndScale) {
  for (const auto &row : kRegion8u)
    checkRegionRow(row, kWidths8u, 100);
  for (const auto &row : kRegion16s)
    checkRegionRow(row, kWidths16s, 200);
}

// All 65536 value pairs as one 256 x 256 region, at every scale regime.
TEST(ScaledArithKernels, EightBitRegionsExhaustiveOverValuePairs) {
  std::vector<unsigned char> src(65536), dst(65536);
  for (int i = 0; i < 65536; ++i) {
    src[i] = static_cast<unsigned char>(i & 255);
    dst[i] = static_cast<unsigned char>(i >> 8);
  }
  for (const auto &row : kRegion8u) {
    for (int sf : {-9, -8, -1, 0, 1, 2, 8, 9, 10, 16, 17, 30}) {
      std::vector<unsigned char> a = dst, b = dst;
      ASSERT_EQ(row.kernel(src.data(), 256, a.data(), 256, {256, 256}, sf), ippStsNoErr);
      ASSERT_EQ(row.generic(src.data(), 256, b.data(), 256, {256, 256}, sf), ippStsNoErr);
      for (int i = 0; i < 65536; ++i)
        ASSERT_EQ(a[i], b[i]) << row.name << " sf " << sf << " d " << (i >> 8) << " s "
                              << (i & 255);
    }
  }
}

// Worked values, computed by hand rather than by the generic.
TEST(ScaledArithKernels, SaturationAndRoundingExamples) {
  struct Case8 {
    RegionFn<unsigned char> fn;
    unsigned char d, s;
    int sf;
    unsigned char want;
  } cases8[] = {
      {ks::ippiMul_8u_C1IRSfs, 255, 255, 0, 255}, {ks::ippiMul_8u_C1IRSfs, 255, 255, 16, 1},
      {ks::ippiMul_8u_C1IRSfs, 128, 1, -1, 255},  {ks::ippiMul_8u_C1IRSfs, 127, 1, -1, 254},
      {ks::ippiAdd_8u_C1IRSfs, 255, 255, 9, 1},   {ks::ippiAdd_8u_C1IRSfs, 1, 2, 1, 2},
      {ks::ippiSub_8u_C1IRSfs, 3, 10, -3, 0}};
  for (const Case8 &c : cases8) {
    unsigned char d = c.d;
    ASSERT_EQ(c.fn(&c.s, 1, &d, 1, {1, 1}, c.sf), ippStsNoErr);
    EXPECT_EQ(d, c.want) << int(c.d) << " " << int(c.s) << " sf " << c.sf;
  }
  struct Case16 {
    RegionFn<short> fn;
    short d, s;
    int sf;
    short want;
  } cases16[] = {{ks::ippiMul_16s_C1IRSfs, -32768, -32768, 0, 32767},
                 {ks::ippiMul_16s_C1IRSfs, -32768, 32767, 0, -32768},
                 {ks::ippiMul_16s_C1IRSfs, -32768, -32768, 30, 1},
                 {ks::ippiSub_16s_C1IRSfs, 32767, -32768, 1, 32767},
                 {ks::ippiAdd_16s_C1IRSfs, 2, 3, 1, 2},
                 {ks::ippiAdd_16s_C1IRSfs, -2, -3, 1, -2},
                 {ks::ippiAdd_16s_C1IRSfs, -32768, -32768, 17, 0}};
  for (const Case16 &c : cases16) {
    short d = c.d;
    ASSERT_EQ(c.fn(&c.s, 2, &d, 2, {1, 1}, c.sf), ippStsNoErr);
    EXPECT_EQ(d, c.want) << c.d << " " << c.s << " sf " << c.sf;
  }
}

template <class T> struct ConstRow {
  const char *name;
  VectorCFn<T> kernelV, genericV;
  RegionCFn<T> kernelR, genericR;
};

const ConstRow<unsigned char> kConst8u[] = {
    {"AddC_8u", ks::ippsAddC_8u_ISfs, gen::ippsAddC_8u_ISfs, ks::ippiAddC_8u_C1IRSfs,
     gen::ippiAddC_8u_C1IRSfs},
    {"SubC_8u", ks::ippsSubC_8u_ISfs, gen::ippsSubC_8u_ISfs, ks::ippiSubC_8u_C1IRSfs,
     gen::ippiSubC_8u_C1IRSfs},
    {"MulC_8u", ks::ippsMulC_8u_ISfs, gen::ippsMulC_8u_ISfs, ks::ippiMulC_8u_C1IRSfs,
     gen::ippiMulC_8u_C1IRSfs},
};
const ConstRow<short> kConst16s[] = {
    {"AddC_16s", ks::ippsAddC_16s_ISfs, gen::ippsAddC_16s_ISfs, ks::ippiAddC_16s_C1IRSfs,
     gen::ippiAddC_16s_C1IRSfs},
    {"SubC_16s", ks::ippsSubC_16s_ISfs, gen::ippsSubC_16s_ISfs, ks::ippiSubC_16s_C1IRSfs,
     gen::ippiSubC_16s_C1IRSfs},
    {"MulC_16s", ks::ippsMulC_16s_ISfs, gen::ippsMulC_16s_ISfs, ks::ippiMulC_16s_C1IRSfs,
     gen::ippiMulC_16s_C1IRSfs},
};

template <class T, class W>
void checkConstRow(const ConstRow<T> &row, const W &widths, const std::vector<T> &values,
                   std::uint32_t seed) {
  for (int width : widths) {
    const int bytes = width * static_cast<int>(sizeof(T));
    const int step = bytes + 7;
    // Every byte offset in a 16-byte block, odd ones included for 16-bit rows. The
    // generic vector forms take typed pointers, so they are compared at whole elements
    // only; the region forms, which run the same row kernels, at every offset.
    for (int off = 0; off < 16; ++off) {
      const bool whole = off % static_cast<int>(sizeof(T)) == 0;
      Arenas arenas(64 + off + 2 * step + 64, seed++);
      for (T val : values) {
        for (int sf : kScales) {
          T *kv = reinterpret_cast<T *>(arenas.kernel(64 + off));
          T *gv = reinterpret_cast<T *>(arenas.generic(64 + off));
          if (whole) {
            ASSERT_EQ(row.kernelV(val, kv, width, sf), row.genericV(val, gv, width, sf));
            ASSERT_EQ(arenas.firstDifference(), -1)
                << row.name << " vector width " << width << " val " << +val << " sf " << sf;
          }
          ASSERT_EQ(row.kernelR(val, kv, step, {width, 2}, sf),
                    row.genericR(val, gv, step, {width, 2}, sf));
          ASSERT_EQ(arenas.firstDifference(), -1)
              << row.name << " region width " << width << " offset " << off << " val " << +val
              << " sf " << sf;
        }
      }
    }
  }
}

TEST(ScaledArithKernels, ConstantFormsEqualTheGeneric) {
  const std::vector<unsigned char> v8 = {0, 1, 2, 127, 128, 200, 255};
  const std::vector<short> v16 = {0, 1, -1, 2, 255, -300, 32767, -32768};
  for (const auto &row : kConst8u)
    checkConstRow(row, kWidths8u, v8, 300);
  for (const auto &row : kConst16s)
    checkConstRow(row, kWidths16s, v16, 400);
}

// Bad arguments: the generic's status, and nothing written.
TEST(ScaledArithKernels, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  struct Bad {
    int width, height, srcStep, dstStep;
    bool nullSrc, nullDst;
  } bad[] = {
      {4, 2, 16, 16, true, false},  {4, 2, 16, 16, false, true},   {0, 2, 16, 16, false, false},
      {4, 0, 16, 16, false, false}, {-1, 2, 0, 16, false, false},  {4, 2, 0, 16, false, false},
      {4, 2, 16, 0, false, false},  {4, 2, 16, -16, false, false}, {4, 1, 16, 0, false, false}};
  for (const Bad &c : bad) {
    for (const auto &row : kRegion16s) {
      Arenas arenas(256, 7);
      const tagSIZE roi{c.width, c.height};
      auto *ks = reinterpret_cast<const short *>(arenas.kernel(0));
      auto *kd = reinterpret_cast<short *>(arenas.kernel(64));
      auto *gs = reinterpret_cast<const short *>(arenas.generic(0));
      auto *gd = reinterpret_cast<short *>(arenas.generic(64));
      const IppOpStatus a = row.kernel(c.nullSrc ? nullptr : ks, c.srcStep,
                                       c.nullDst ? nullptr : kd, c.dstStep, roi, 1);
      const IppOpStatus b = row.generic(c.nullSrc ? nullptr : gs, c.srcStep,
                                        c.nullDst ? nullptr : gd, c.dstStep, roi, 1);
      EXPECT_EQ(a, b) << row.name;
      EXPECT_LT(a, 0) << row.name;
      EXPECT_EQ(arenas.firstDifference(), -1) << row.name;
    }
    for (const auto &row : kConst8u) {
      Arenas arenas(256, 8);
      auto *kd = c.nullDst ? nullptr : arenas.kernel(64);
      auto *gd = c.nullDst ? nullptr : arenas.generic(64);
      EXPECT_EQ(row.kernelR(3, kd, c.dstStep, {c.width, c.height}, 0),
                row.genericR(3, gd, c.dstStep, {c.width, c.height}, 0))
          << row.name;
      EXPECT_EQ(row.kernelV(3, kd, c.width, 0), row.genericV(3, gd, c.width, 0)) << row.name;
      EXPECT_EQ(arenas.firstDifference(), -1) << row.name;
    }
  }
}

// Every region and constant kernel at every scale regime, under a caller's chop rounding
// with flush-to-zero and denormals-are-zero and an x87 word of extended precision
// rounding down: both registers come back with the controls as set.
TEST(ScaledArithKernels, LeaveTheMxcsrAndX87WordsAsSet) {
  using namespace test_support;
  std::vector<unsigned char> src(256, 200), dst(256, 100);
  const ControlWords after = RunUnder(kCallerControlWords, [&] {
    for (int sf : kScales) {
      for (const auto &row : kRegion8u)
        row.kernel(src.data(), 40, dst.data(), 40, {37, 3}, sf);
      for (const auto &row : kRegion16s)
        row.kernel(reinterpret_cast<const short *>(src.data()), 40,
                   reinterpret_cast<short *>(dst.data() + 1), 40, {19, 3}, sf);
      for (const auto &row : kConst8u) {
        row.kernelV(3, dst.data(), 111, sf);
        row.kernelR(3, dst.data(), 40, {37, 3}, sf);
      }
      for (const auto &row : kConst16s) {
        row.kernelV(-3, reinterpret_cast<short *>(dst.data() + 1), 55, sf);
        row.kernelR(-3, reinterpret_cast<short *>(dst.data() + 1), 40, {19, 3}, sf);
      }
    }
  });
  EXPECT_EQ(after.mxcsr & ~kMxcsrFlags, kCallerControlWords.mxcsr);
  EXPECT_EQ(after.x87, kCallerControlWords.x87);
}

} // namespace
