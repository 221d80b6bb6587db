// Fills, region copies and width conversions against the generic variants: the same
// bytes for every row length around the block sizes, at every destination offset in a
// 16-byte block and odd addresses, with gaps between rows; statuses on bad arguments;
// the floating-point environment left as set.
#include <cstring>
#include <functional>
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

// One calling shape: (src, srcStep, dst, dstStep, width, height); fills ignore src.
using Call = std::function<IppOpStatus(const void *, int, void *, int, int, int)>;

struct Row {
  std::string name;
  int srcSize, dstSize; // element bytes
  Call kernel, generic;
};

template <class S, class D> Call region(IppOpStatus (*fn)(const S *, int, D *, int, tagSIZE)) {
  return [fn](const void *s, int ss, void *d, int ds, int w, int h) {
    return fn(static_cast<const S *>(s), ss, static_cast<D *>(d), ds, {w, h});
  };
}
template <class S, class D>
Call hinted(IppOpStatus (*fn)(const S *, int, D *, int, tagSIZE, int), int hint) {
  return [fn, hint](const void *s, int ss, void *d, int ds, int w, int h) {
    return fn(static_cast<const S *>(s), ss, static_cast<D *>(d), ds, {w, h}, hint);
  };
}
template <class T> Call setRegion(IppOpStatus (*fn)(T, T *, int, tagSIZE), T val) {
  return [fn, val](const void *, int, void *d, int ds, int w, int h) {
    return fn(val, static_cast<T *>(d), ds, {w, h});
  };
}

std::vector<Row> rows() {
  std::vector<Row> r = {
      {"Copy_8u", 1, 1, region(ks::ippiCopy_8u_C1R), region(gen::ippiCopy_8u_C1R)},
      {"Copy_16s", 2, 2, region(ks::ippiCopy_16s_C1R), region(gen::ippiCopy_16s_C1R)},
      {"Copy_32s", 4, 4, region(ks::ippiCopy_32s_C1R), region(gen::ippiCopy_32s_C1R)},
      {"Convert_8u16u", 1, 2, region(ks::ippiConvert_8u16u_C1R),
       region(gen::ippiConvert_8u16u_C1R)},
      {"Convert_8u32f", 1, 4, region(ks::ippiConvert_8u32f_C1R),
       region(gen::ippiConvert_8u32f_C1R)},
      {"Scale_8u16s", 1, 2, region(ks::ippiScale_8u16s_C1R), region(gen::ippiScale_8u16s_C1R)},
      {"Scale_8u32s", 1, 4, region(ks::ippiScale_8u32s_C1R), region(gen::ippiScale_8u32s_C1R)},
  };
  for (int hint : {0, 1, 2, -1}) {
    r.push_back({"Scale_16s8u hint " + std::to_string(hint), 2, 1,
                 hinted(ks::ippiScale_16s8u_C1R, hint), hinted(gen::ippiScale_16s8u_C1R, hint)});
    r.push_back({"Scale_32s8u hint " + std::to_string(hint), 4, 1,
                 hinted(ks::ippiScale_32s8u_C1R, hint), hinted(gen::ippiScale_32s8u_C1R, hint)});
  }
  for (unsigned char v : {0, 0x5A, 0xFF})
    r.push_back({"Set_8u " + std::to_string(v), 0, 1, setRegion(ks::ippiSet_8u_C1R, v),
                 setRegion(gen::ippiSet_8u_C1R, v)});
  for (unsigned char v : {0x5A})
    r.push_back({"Set_8u code 5 " + std::to_string(v), 0, 1,
                 setRegion(kernels::audio_sample::sse::ippiSet_8u_C1R, v),
                 setRegion(gen::ippiSet_8u_C1R, v)});
  for (short v : {0x1234})
    r.push_back({"Set_16s code 5 " + std::to_string(v), 0, 2,
                 setRegion(kernels::audio_sample::sse::ippiSet_16s_C1R, v),
                 setRegion(gen::ippiSet_16s_C1R, v)});
  for (int v : {0x12345678})
    r.push_back({"Set_32s code 5 " + std::to_string(v), 0, 4,
                 setRegion(kernels::audio_sample::sse::ippiSet_32s_C1R, v),
                 setRegion(gen::ippiSet_32s_C1R, v)});
  for (short v : {0, -2, 0x1234})
    r.push_back({"Set_16s " + std::to_string(v), 0, 2, setRegion(ks::ippiSet_16s_C1R, v),
                 setRegion(gen::ippiSet_16s_C1R, v)});
  for (int v : {0, -1, 0x12345678})
    r.push_back({"Set_32s " + std::to_string(v), 0, 4, setRegion(ks::ippiSet_32s_C1R, v),
                 setRegion(gen::ippiSet_32s_C1R, v)});
  return r;
}

const int kWidths[] = {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 257};

TEST(FillCopyConvertKernels, RegionsEqualTheGenericAtEveryLengthAndOffset) {
  std::uint32_t seed = 1;
  for (const Row &row : rows()) {
    for (int width : kWidths) {
      const int srcStep = std::max(1, width * row.srcSize + 3);
      const int dstStep = width * row.dstSize + 5;
      for (int dOff = 0; dOff < 16; ++dOff) {
        const int sOff = (dOff + 5) % 16;
        const std::size_t srcAt = 32 + sOff, dstAt = srcAt + 3 * srcStep + 48 + dOff;
        Arenas arenas(dstAt + 3 * dstStep + 64, seed++);
        const IppOpStatus a =
            row.kernel(arenas.kernel(srcAt), srcStep, arenas.kernel(dstAt), dstStep, width, 3);
        const IppOpStatus b =
            row.generic(arenas.generic(srcAt), srcStep, arenas.generic(dstAt), dstStep, width, 3);
        ASSERT_EQ(a, ippStsNoErr) << row.name;
        ASSERT_EQ(a, b) << row.name;
        ASSERT_EQ(arenas.firstDifference(), -1)
            << row.name << " width " << width << " dst offset " << dOff;
      }
    }
  }
}

// Every 16-bit value through both byte scalings.
TEST(FillCopyConvertKernels, SixteenToEightBitScalingOverTheWholeRange) {
  std::vector<short> x(65536);
  for (int i = 0; i < 65536; ++i)
    x[i] = static_cast<short>(i - 32768);
  for (int hint : {0, 2}) {
    std::vector<unsigned char> a(65536), b(65536);
    ASSERT_EQ(ks::ippiScale_16s8u_C1R(x.data(), 512, a.data(), 256, {256, 256}, hint), 0);
    ASSERT_EQ(gen::ippiScale_16s8u_C1R(x.data(), 512, b.data(), 256, {256, 256}, hint), 0);
    ASSERT_EQ(a, b) << "hint " << hint;
  }
  // The accurate path reaches 127 for -1, the fast one 128.
  const short minusOne = -1;
  unsigned char out = 0;
  ASSERT_EQ(ks::ippiScale_16s8u_C1R(&minusOne, 2, &out, 1, {1, 1}, 2), 0);
  EXPECT_EQ(out, 127);
  ASSERT_EQ(ks::ippiScale_16s8u_C1R(&minusOne, 2, &out, 1, {1, 1}, 0), 0);
  EXPECT_EQ(out, 128);
}

TEST(FillCopyConvertKernels, VectorFillAndSignedWideningEqualTheGeneric) {
  std::uint32_t seed = 50;
  for (int len : kWidths) {
    for (int off : {0, 2, 6, 10, 14}) { // the generic vector forms need aligned elements
      Arenas arenas(64 + off + 2 * len + 64 + 600, seed++);
      for (short v : {short(0), short(-1), short(0x0102)}) {
        ASSERT_EQ(ks::ippsSet_16s(v, reinterpret_cast<short *>(arenas.kernel(64 + off)), len),
                  gen::ippsSet_16s(v, reinterpret_cast<short *>(arenas.generic(64 + off)), len));
        ASSERT_EQ(arenas.firstDifference(), -1) << "Set_16s len " << len << " off " << off;
      }
      const std::size_t dst = 64 + 2 * ((len + 1) / 2) + 32 + off;
      ASSERT_EQ(ks::ippsConvert_8s16s(reinterpret_cast<const signed char *>(arenas.kernel(48)),
                                      reinterpret_cast<short *>(arenas.kernel(dst)), len),
                ippStsNoErr);
      ASSERT_EQ(gen::ippsConvert_8s16s(reinterpret_cast<const signed char *>(arenas.generic(48)),
                                       reinterpret_cast<short *>(arenas.generic(dst)), len),
                ippStsNoErr);
      ASSERT_EQ(arenas.firstDifference(), -1) << "Convert_8s16s len " << len << " off " << off;
    }
  }
}

// A copy between overlapping rows keeps the generic's move semantics; negative and zero
// steps are taken as they are.
TEST(FillCopyConvertKernels, CopiesWithOverlapAndUnusualStepsEqualTheGeneric) {
  struct Case {
    int srcAt, srcStep, dstAt, dstStep, width, height;
  } cases[] = {{100, 40, 110, 40, 30, 3}, {110, 40, 100, 40, 30, 3}, {400, -40, 100, 40, 20, 4},
               {100, 0, 300, 50, 33, 3},  {100, 40, 300, 0, 33, 3},  {100, 17, 101, 17, 40, 5}};
  for (const Case &c : cases) {
    Arenas arenas(1024, 9);
    ASSERT_EQ(ks::ippiCopy_8u_C1R(arenas.kernel(c.srcAt), c.srcStep, arenas.kernel(c.dstAt),
                                  c.dstStep, {c.width, c.height}),
              gen::ippiCopy_8u_C1R(arenas.generic(c.srcAt), c.srcStep, arenas.generic(c.dstAt),
                                   c.dstStep, {c.width, c.height}));
    EXPECT_EQ(arenas.firstDifference(), -1) << c.srcAt << " -> " << c.dstAt;
  }
}

TEST(FillCopyConvertKernels, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  struct Bad {
    bool nullSrc, nullDst;
    int width, height, srcStep, dstStep;
  } bad[] = {{true, false, 4, 2, 16, 16},  {false, true, 4, 2, 16, 16},
             {false, false, 0, 2, 16, 16}, {false, false, 4, -1, 16, 16},
             {false, false, 4, 2, 0, 16},  {false, false, 4, 2, 16, 0},
             {false, false, 4, 2, -4, 16}};
  for (const Row &row : rows()) {
    for (const Bad &c : bad) {
      // Copies take any step, so rows may run backwards: room on both sides.
      Arenas arenas(1024, 3);
      const IppOpStatus a =
          row.kernel(c.nullSrc ? nullptr : arenas.kernel(128), c.srcStep,
                     c.nullDst ? nullptr : arenas.kernel(600), c.dstStep, c.width, c.height);
      const IppOpStatus b =
          row.generic(c.nullSrc ? nullptr : arenas.generic(128), c.srcStep,
                      c.nullDst ? nullptr : arenas.generic(600), c.dstStep, c.width, c.height);
      EXPECT_EQ(a, b) << row.name;
      if (a < 0) {
        EXPECT_EQ(arenas.firstDifference(), -1) << row.name;
      }
    }
  }
  short s[2] = {};
  EXPECT_EQ(ks::ippsSet_16s(1, nullptr, 4), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippsSet_16s(1, s, 0), ippStsSizeErr);
  EXPECT_EQ(ks::ippsConvert_8s16s(nullptr, s, 2), ippStsNullPtrErr);
  EXPECT_EQ(ks::ippsConvert_8s16s(reinterpret_cast<signed char *>(s), s, -1), ippStsSizeErr);
  EXPECT_EQ(s[0], 0);
}

TEST(FillCopyConvertKernels, LeaveTheMxcsrAndX87WordsAsSet) {
  using namespace test_support;
  std::vector<unsigned char> src(256, 7), dst(1024);
  const ControlWords after = RunUnder(kCallerControlWords, [&] {
    for (const Row &row : rows())
      row.kernel(src.data(), 64, dst.data(), 256, 16, 2);
  });
  EXPECT_EQ(after.mxcsr & ~kMxcsrFlags, kCallerControlWords.mxcsr);
  EXPECT_EQ(after.x87, kCallerControlWords.x87);
}

// Large fills go around the caches from their thresholds on, with the same bytes at any
// start address (the pattern keeps the phase of the samples).
TEST(FillCopyConvertKernels, LargeFillsStreamFromTheirThresholdsWithTheSameBytes) {
  namespace kas = kernels::audio_sample;
  struct Case {
    const char *name;
    std::function<IppOpStatus(void *, int)> kernel, generic; // (dst, bytes as one row)
    int elementSize, below, at;
  } cases[] = {
      {"Set_8u",
       [](void *d, int n) {
         return ks::ippiSet_8u_C1R(0x5A, static_cast<unsigned char *>(d), n, {n, 1});
       },
       [](void *d, int n) {
         return gen::ippiSet_8u_C1R(0x5A, static_cast<unsigned char *>(d), n, {n, 1});
       },
       1, 262144, 262145},
      {"Set_16s",
       [](void *d, int n) {
         return ks::ippiSet_16s_C1R(0x1234, static_cast<short *>(d), 2 * n, {n, 1});
       },
       [](void *d, int n) {
         return gen::ippiSet_16s_C1R(0x1234, static_cast<short *>(d), 2 * n, {n, 1});
       },
       2, 90000, 90001},
      {"Set_32s",
       [](void *d, int n) {
         return ks::ippiSet_32s_C1R(0x12345678, static_cast<int *>(d), 4 * n, {n, 1});
       },
       [](void *d, int n) {
         return gen::ippiSet_32s_C1R(0x12345678, static_cast<int *>(d), 4 * n, {n, 1});
       },
       4, 350000, 350001},
      {"code 5 ippsSet_16s",
       [](void *d, int n) { return kas::sse::ippsSet_16s(0x1234, static_cast<short *>(d), n); },
       [](void *d, int n) { return gen::ippsSet_16s(0x1234, static_cast<short *>(d), n); }, 2,
       10239, 10240},
  };
  for (const Case &c : cases) {
    for (int count : {c.below, c.at}) {
      for (int off : {0, 2, 6}) { // the generic vector form needs aligned elements
        const std::size_t bytes =
            static_cast<std::size_t>(count) * static_cast<std::size_t>(c.elementSize);
        Arenas arenas(bytes + 128, 4);
        const std::uint64_t before = kas::NonTemporalFills();
        ASSERT_EQ(c.kernel(arenas.kernel(32 + off), count), 0);
        const bool streamed = kas::NonTemporalFills() != before;
        ASSERT_EQ(c.generic(arenas.generic(32 + off), count), 0);
        EXPECT_EQ(arenas.firstDifference(), -1) << c.name << " " << count << " offset " << off;
        EXPECT_EQ(streamed, count == c.at) << c.name << " " << count;
      }
    }
  }
}

} // namespace
