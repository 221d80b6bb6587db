// Region conversions between integer samples and floats against the generic variants:
// the same bytes for every length, offset and step layout (mono and stereo columns
// included), every rounding mode, NaN, infinities, subnormals and the saturation bounds;
// the caller's floating-point environment left as set.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/audio-filter/AudioFilterKernels.h"
#include "tests/kernels/audio-sample/Arena.h"
#include "tests/support/ControlWords.h"

namespace {

namespace kf = kernels::audio_filter::sse2;
namespace gen = Vizazodizaro::generic;
using audio_kernel_test::Arenas;

using Call = std::function<IppOpStatus(const void *, int, void *, int, tagSIZE)>;

struct Row {
  std::string name;
  int srcSize, dstSize;
  bool floatSource;
  Call kernel, generic;
};

template <class S, class D> Call plain(IppOpStatus (*fn)(const S *, int, D *, int, tagSIZE)) {
  return [fn](const void *s, int ss, void *d, int ds, tagSIZE roi) {
    return fn(static_cast<const S *>(s), ss, static_cast<D *>(d), ds, roi);
  };
}
template <class S, class D>
Call rounded(IppOpStatus (*fn)(const S *, int, D *, int, tagSIZE, int), int mode) {
  return [fn, mode](const void *s, int ss, void *d, int ds, tagSIZE roi) {
    return fn(static_cast<const S *>(s), ss, static_cast<D *>(d), ds, roi, mode);
  };
}

std::vector<Row> rows() {
  std::vector<Row> r = {
      {"16s32f", 2, 4, false, plain(kf::ippiConvert_16s32f_C1R),
       plain(gen::ippiConvert_16s32f_C1R)},
      {"8s32f", 1, 4, false, plain(kf::ippiConvert_8s32f_C1R), plain(gen::ippiConvert_8s32f_C1R)},
  };
  for (int mode : {0, 1, 2, 7}) {
    r.push_back({"32f16s mode " + std::to_string(mode), 4, 2, true,
                 rounded(kf::ippiConvert_32f16s_C1R, mode),
                 rounded(gen::ippiConvert_32f16s_C1R, mode)});
    r.push_back({"32f8s mode " + std::to_string(mode), 4, 1, true,
                 rounded(kf::ippiConvert_32f8s_C1R, mode),
                 rounded(gen::ippiConvert_32f8s_C1R, mode)});
  }
  return r;
}

// Floats around every boundary and rounding case, specials and random values.
std::vector<float> floatValues(std::size_t n, std::uint32_t seed) {
  static const float specials[] = {0.0f,
                                   -0.0f,
                                   0.5f,
                                   -0.5f,
                                   1.5f,
                                   2.5f,
                                   -2.5f,
                                   3.5f,
                                   2.7f,
                                   -2.7f,
                                   32766.6f,
                                   32766.5f,
                                   32767.0f,
                                   32767.4f,
                                   32768.0f,
                                   -32768.0f,
                                   -32768.6f,
                                   -32769.0f,
                                   126.5f,
                                   127.0f,
                                   127.5f,
                                   -128.0f,
                                   -128.5f,
                                   -129.0f,
                                   1e10f,
                                   -1e10f,
                                   INFINITY,
                                   -INFINITY,
                                   std::numeric_limits<float>::quiet_NaN(),
                                   std::bit_cast<float>(0xFFC12345u),
                                   std::bit_cast<float>(0x7F800001u),
                                   std::numeric_limits<float>::denorm_min(),
                                   -1e-40f};
  std::mt19937 rng(seed);
  std::vector<float> v(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (rng() % 3 == 0)
      v[i] = specials[rng() % (sizeof specials / sizeof specials[0])];
    else
      v[i] = std::uniform_real_distribution<float>(-40000.0f, 40000.0f)(rng) /
             static_cast<float>(1 << (rng() % 10));
  }
  return v;
}

TEST(FilterConvertKernels, RegionsEqualTheGenericForEveryLayout) {
  std::uint32_t seed = 11;
  for (const Row &row : rows()) {
    for (int width : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 33, 64, 100}) {
      for (int height : {1, 3}) {
        for (int gap : {0, 5}) {
          for (int dOff = 0; dOff < 16; dOff += 3) {
            const int srcStep = width * row.srcSize + gap, dstStep = width * row.dstSize + gap;
            const std::size_t srcAt = 64 + (dOff * 5 + 4) % 16, dstAt = 64 + 2048 + dOff;
            Arenas arenas(dstAt + 1024 + 3 * dstStep, seed++);
            if (row.floatSource) {
              const auto v = floatValues(static_cast<std::size_t>(srcStep) * 3 / 4 + 4, seed);
              arenas.set(srcAt, v.data(), v.size() * 4);
            }
            const IppOpStatus a = row.kernel(arenas.kernel(srcAt), srcStep, arenas.kernel(dstAt),
                                             dstStep, {width, height});
            const IppOpStatus b = row.generic(arenas.generic(srcAt), srcStep, arenas.generic(dstAt),
                                              dstStep, {width, height});
            ASSERT_EQ(a, ippStsNoErr) << row.name;
            ASSERT_EQ(a, b) << row.name;
            ASSERT_EQ(arenas.firstDifference(), -1)
                << row.name << " width " << width << " height " << height << " gap " << gap
                << " offset " << dOff;
          }
        }
      }
    }
  }
}

// The meters' layout: one column of interleaved 16-bit frames into packed floats.
TEST(FilterConvertKernels, MonoAndStereoColumnsOfSixteenBitFrames) {
  std::vector<short> frames(2 * 301);
  for (std::size_t i = 0; i < frames.size(); ++i)
    frames[i] = static_cast<short>(i * 2654435761u >> 16);
  for (int srcStep : {2, 4}) {
    std::vector<float> a(301, -1.0f), b(301, -1.0f);
    ASSERT_EQ(kf::ippiConvert_16s32f_C1R(frames.data(), srcStep, a.data(), 4, {1, 301}), 0);
    ASSERT_EQ(gen::ippiConvert_16s32f_C1R(frames.data(), srcStep, b.data(), 4, {1, 301}), 0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a[7], static_cast<float>(frames[7 * (srcStep / 2)]));
  }
}

// NaN: the generic lower bound, not the upper one a plain min/max clamp would give.
TEST(FilterConvertKernels, NotANumberNarrowsToTheLowerBound) {
  const float nan[3] = {std::numeric_limits<float>::quiet_NaN(),
                        -std::numeric_limits<float>::quiet_NaN(),
                        std::bit_cast<float>(0x7F800001u)};
  for (int mode : {0, 1}) {
    short s[3];
    signed char c[3];
    ASSERT_EQ(kf::ippiConvert_32f16s_C1R(nan, 12, s, 6, {3, 1}, mode), 0);
    ASSERT_EQ(kf::ippiConvert_32f8s_C1R(nan, 12, c, 3, {3, 1}, mode), 0);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(s[i], -32768);
      EXPECT_EQ(c[i], -128);
    }
  }
}

TEST(FilterConvertKernels, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  struct Bad {
    bool nullSrc, nullDst;
    int width, height, srcStep, dstStep;
  } bad[] = {{true, false, 4, 2, 32, 32},  {false, true, 0, 2, 32, 32},
             {false, false, 0, 2, 32, 32}, {false, false, 4, 0, 32, 32},
             {false, false, 4, 2, 0, 32},  {false, false, 4, 2, 32, -1}};
  for (const Row &row : rows()) {
    for (const Bad &c : bad) {
      Arenas arenas(512, 5);
      const IppOpStatus a =
          row.kernel(c.nullSrc ? nullptr : arenas.kernel(0), c.srcStep,
                     c.nullDst ? nullptr : arenas.kernel(256), c.dstStep, {c.width, c.height});
      const IppOpStatus b =
          row.generic(c.nullSrc ? nullptr : arenas.generic(0), c.srcStep,
                      c.nullDst ? nullptr : arenas.generic(256), c.dstStep, {c.width, c.height});
      EXPECT_LT(a, 0) << row.name;
      EXPECT_EQ(a, b) << row.name;
      EXPECT_EQ(arenas.firstDifference(), -1) << row.name;
    }
  }
}

TEST(FilterConvertKernels, LeaveTheMxcsrAndX87WordsAsSet) {
  using namespace test_support;
  const ControlWords set{0x1F80u | 0x6000u, 0x0F7F}; // chop
  const float v[4] = {2.5f, 3.5f, -2.5f, 2.7f};
  short s[4];
  IppOpStatus st = -1, bad = -1;
  const ControlWords after = RunUnder(set, [&] {
    st = kf::ippiConvert_32f16s_C1R(v, 16, s, 8, {4, 1}, 1);
    bad = kf::ippiConvert_32f16s_C1R(v, 0, s, 8, {4, 1}, 1);
  });
  EXPECT_EQ(st, 0);
  EXPECT_EQ(bad, ippStsStepErr);
  EXPECT_EQ(s[0], 2);
  EXPECT_EQ(s[1], 4);
  EXPECT_EQ(s[2], -2);
  EXPECT_EQ(s[3], 3);
  EXPECT_EQ(after.mxcsr & ~kMxcsrFlags, set.mxcsr);
  EXPECT_EQ(after.x87, set.x87);
}

} // namespace
