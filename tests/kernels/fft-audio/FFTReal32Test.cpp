// The generic single-precision real transform against FFTW, its exact cases, tables, work
// buffer handling and refusals (its accuracy sweep runs beside the other members', in
// FFTReal32MembersTest.cpp, on the same reference).
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-audio/FFTReal32.h"
#include "kernels/fft-audio/FFTReal32Internal.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "tests/kernels/fft-audio/FftwFloatPerm.h"
#include "tests/kernels/fft-real/FFTReference.h"
#include "tests/support/Sanitized.h"

namespace {

using namespace kernels::fft_audio;
using fftref::randomSignal;

// Relative L2 error bound c·2^-24·log2 N with c = 2 (orders 0 and 1 use log2 N = 1).
long double tolerance32(int order) { return 2.0L * FLT_EPSILON / 2 * std::max(order, 1); }

struct SpecHolder {
  FFTSpec_R_32f *spec = nullptr;
  ~SpecHolder() {
    if (spec != nullptr)
      ippsFFTFree_R_32f(spec);
  }
};

std::vector<float> forward(const FFTSpec_R_32f *spec, const std::vector<float> &x) {
  std::vector<float> y(x.size());
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(x.data(), y.data(), spec, nullptr), ippStsNoErr);
  return y;
}

// FFTW's float real transform as an independent check.
TEST(FFTReal32, AgreesWithFftw) {
  // Sanitized builds stop at order 18; the placement tests walk the larger orders' paths.
  for (int order = 2; order <= (kSanitizedBuild ? 18 : 22); ++order) {
    const int N = 1 << order;
    const std::vector<float> x = randomSignal(N, 300u + static_cast<unsigned>(order));
    const std::vector<long double> expected = FftwFloatPerm(x);
    SpecHolder h;
    ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h.spec, order, 8, 0), ippStsNoErr);
    const std::vector<float> y = forward(h.spec, x);
    const std::vector<double> yd(y.begin(), y.end());
    // Both sides carry float rounding.
    EXPECT_LE(fftref::relError(yd.data(), expected), 2 * tolerance32(order)) << order;
  }
}

TEST(FFTReal32, ExactCases) {
  for (int order : {0, 1, 2, 3, 4, 5, 11, 12, 13, 14, 19, 21}) {
    const std::int64_t N = std::int64_t{1} << order;
    const auto n = static_cast<std::size_t>(N);
    SpecHolder h;
    ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h.spec, order, 8, 0), ippStsNoErr);
    std::vector<float> x(n, 0.0f);
    x[0] = 1.0f;
    std::vector<float> y = forward(h.spec, x);
    for (std::size_t i = 0; i < n; ++i)
      ASSERT_EQ(y[i], (i % 2 == 0 || i == 1) ? 1.0f : 0.0f)
          << "impulse, order " << order << " @" << i;
    std::fill(x.begin(), x.end(), 0.75f);
    y = forward(h.spec, x);
    for (std::size_t i = 0; i < n; ++i)
      ASSERT_EQ(y[i], i == 0 ? 0.75f * static_cast<float>(N) : 0.0f)
          << "constant, order " << order << " @" << i;
    if (order == 0)
      continue;
    for (std::size_t t = 0; t < n; ++t)
      x[t] = t % 2 == 0 ? 1.0f : -1.0f;
    y = forward(h.spec, x);
    for (std::size_t i = 0; i < n; ++i)
      ASSERT_EQ(y[i], i == 1 ? static_cast<float>(N) : 0.0f)
          << "alternating, order " << order << " @" << i;
  }
}

TEST(FFTReal32, SmallOrdersAndScaledOrderZero) {
  SpecHolder h0;
  ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h0.spec, 0, 4, 0), ippStsNoErr);
  EXPECT_EQ(h0.spec->scale, 1.0f);
  const float five = 5.0f;
  float out = 0;
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(&five, &out, h0.spec, nullptr), ippStsNoErr);
  EXPECT_EQ(out, 5.0f);
  // The unscaled order-0 kernel copies bits: a signalling NaN and -0 pass unchanged.
  SpecHolder h8;
  ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h8.spec, 0, 8, 0), ippStsNoErr);
  for (std::uint32_t bits : {0x7F800001u, 0x80000000u}) {
    float in, res;
    std::memcpy(&in, &bits, 4);
    ASSERT_EQ(ippsFFTFwd_RToPerm_32f(&in, &res, h8.spec, nullptr), ippStsNoErr);
    std::uint32_t got;
    std::memcpy(&got, &res, 4);
    EXPECT_EQ(got, bits);
  }
  // cos(2πt/8): Re X1 = 4, the rest near 0; exactly N values written.
  SpecHolder h3;
  ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h3.spec, 3, 8, 0), ippStsNoErr);
  std::vector<float> x(8), y(9, 99.0f);
  for (int t = 0; t < 8; ++t)
    x[static_cast<std::size_t>(t)] = static_cast<float>(std::cos(2 * M_PI * t / 8));
  ASSERT_EQ(ippsFFTFwd_RToPerm_32f(x.data(), y.data(), h3.spec, nullptr), ippStsNoErr);
  for (int i = 0; i < 8; ++i)
    EXPECT_NEAR(y[static_cast<std::size_t>(i)], i == 2 ? 4.0f : 0.0f, 2e-6f) << i;
  EXPECT_EQ(y[8], 99.0f);
  // Flag 4 at order 1: 1/sqrt(2) rounded to float; flag 1 at order 30 is never built here.
  SpecHolder h1;
  ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h1.spec, 1, 4, 0), ippStsNoErr);
  EXPECT_EQ(h1.spec->scale, static_cast<float>(1.0 / std::sqrt(2.0)));
  EXPECT_EQ(h1.spec->invScaleFlag, 1);
}

TEST(FFTReal32, InPlaceAndBufferPlacementGiveIdenticalBits) {
  for (int order : {4, 11, 13, 14, 15, 22, 24}) {
    const std::int64_t N = std::int64_t{1} << order;
    SpecHolder h;
    ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h.spec, order, 1, 0), ippStsNoErr);
    int bufSize = -1;
    ASSERT_EQ(ippsFFTGetBufSize_R_32f(h.spec, &bufSize), ippStsNoErr);
    const std::vector<float> x = randomSignal(N, 7);
    const std::vector<float> base = forward(h.spec, x);
    std::vector<float> inPlace = x;
    ASSERT_EQ(ippsFFTFwd_RToPerm_32f(inPlace.data(), inPlace.data(), h.spec, nullptr), ippStsNoErr);
    EXPECT_EQ(0, std::memcmp(inPlace.data(), base.data(), base.size() * 4)) << order;
    // pDst and pBuffer off the 16-byte grid.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bufSize) + 32);
    std::vector<float> dstStore(base.size() + 8);
    float *dst = dstStore.data() + 1;
    ASSERT_EQ(
        ippsFFTFwd_RToPerm_32f(x.data(), dst, h.spec, bufSize > 0 ? buffer.data() + 5 : nullptr),
        ippStsNoErr);
    EXPECT_EQ(0, std::memcmp(dst, base.data(), base.size() * 4)) << order;
  }
}

TEST(FFTReal32, WorkBufferSizes) {
  const struct {
    int order;
    int size;
  } cases[] = {{3, 0},     {11, 0},    {12, 0},    {13, 0},     {14, 1040},  {15, 2064},
               {16, 4112}, {17, 8208}, {19, 8208}, {20, 32784}, {22, 32784}, {23, 32784}};
  for (const auto &c : cases) {
    SpecHolder h;
    ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h.spec, c.order, 8, 0), ippStsNoErr);
    int size = -1;
    ASSERT_EQ(ippsFFTGetBufSize_R_32f(h.spec, &size), ippStsNoErr);
    EXPECT_EQ(size, c.size) << "order " << c.order;
  }
}

TEST(FFTReal32, SetUpRefusals) {
  FFTSpec_R_32f *const sentinel = reinterpret_cast<FFTSpec_R_32f *>(0x10);
  FFTSpec_R_32f *spec = sentinel;
  EXPECT_EQ(ippsFFTInitAlloc_R_32f(nullptr, 31, 1, 0), ippStsNullPtrErr);
  EXPECT_EQ(ippsFFTInitAlloc_R_32f(&spec, 31, 1, 0), ippStsFftOrderErr);
  EXPECT_EQ(ippsFFTInitAlloc_R_32f(&spec, -1, 1, 0), ippStsFftOrderErr);
  const long live = kernels::fft_real::fftLiveBlocks();
  for (int flag : {0, 3, 16}) {
    const long requests = kernels::fft_real::fftAllocRequests();
    EXPECT_EQ(ippsFFTInitAlloc_R_32f(&spec, 5, flag, 0), ippStsFftFlagErr);
    EXPECT_EQ(kernels::fft_real::fftAllocRequests(), requests + 1) << "the record was taken first";
  }
  // Orders 29 and 30 need blocks above 2^31 bytes: refused, never wrapped.
  EXPECT_EQ(ippsFFTInitAlloc_R_32f(&spec, 29, 1, 0), ippStsMemAllocErr);
  EXPECT_EQ(ippsFFTInitAlloc_R_32f(&spec, 30, 8, 0), ippStsMemAllocErr);
  EXPECT_EQ(spec, sentinel);
  EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live);
}

TEST(FFTReal32, EveryFailedAllocationReleasesEverything) {
  for (int order : {2, 6, 12, 15, 23}) {
    for (int k = 0;; ++k) {
      FFTSpec_R_32f *spec = reinterpret_cast<FFTSpec_R_32f *>(0x10);
      const long live = kernels::fft_real::fftLiveBlocks();
      kernels::fft_real::fftFailAfter(k);
      const int status = ippsFFTInitAlloc_R_32f(&spec, order, 1, 0);
      kernels::fft_real::fftFailAfter(-1);
      if (status == ippStsNoErr) {
        EXPECT_GE(k, 1);
        ippsFFTFree_R_32f(spec);
        EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live);
        break;
      }
      EXPECT_EQ(status, ippStsMemAllocErr) << order << " " << k;
      EXPECT_EQ(spec, reinterpret_cast<FFTSpec_R_32f *>(0x10));
      EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live) << order << " " << k;
    }
  }
}

TEST(FFTReal32, QueryTransformAndReleaseRefusals) {
  SpecHolder h;
  ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h.spec, 14, 8, 0), ippStsNoErr);
  int size = -5;
  EXPECT_EQ(ippsFFTGetBufSize_R_32f(nullptr, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(ippsFFTGetBufSize_R_32f(h.spec, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(ippsFFTGetBufSize_R_32f(nullptr, &size), ippStsNullPtrErr);
  EXPECT_EQ(size, -5);
  std::vector<float> x(1 << 14, 1.0f), y(1 << 14, 42.0f);
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(x.data(), y.data(), nullptr, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(nullptr, y.data(), h.spec, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(x.data(), nullptr, h.spec, nullptr), ippStsNullPtrErr);
  // The work area of the split path cannot be had: -9, nothing written.
  kernels::fft_real::fftFailAfter(0);
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(x.data(), y.data(), h.spec, nullptr), ippStsMemAllocErr);
  kernels::fft_real::fftFailAfter(-1);
  // A record of another member is refused like a record of another kind.
  h.spec->member += 1;
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(x.data(), y.data(), h.spec, nullptr), ippStsContextMatchErr);
  h.spec->member -= 1;
  h.spec->id = 9;
  EXPECT_EQ(ippsFFTFwd_RToPerm_32f(nullptr, y.data(), h.spec, nullptr), ippStsContextMatchErr);
  EXPECT_EQ(ippsFFTGetBufSize_R_32f(h.spec, &size), ippStsContextMatchErr);
  EXPECT_EQ(ippsFFTFree_R_32f(h.spec), ippStsContextMatchErr);
  EXPECT_EQ(ippsFFTFree_R_32f(nullptr), ippStsNullPtrErr);
  h.spec->id = kFFTSpecIdReal32;
  for (float v : y)
    ASSERT_EQ(v, 42.0f);
  EXPECT_EQ(size, -5);
}

// The record's bit-reversal tables of complex orders 3 to 6: the pairs to exchange, a zero,
// the self-reversed indices from the top down, a zero.
TEST(FFTReal32, BitReversalTablesOfTheRecord) {
  const std::vector<std::int32_t> golden[] = {
      {0, 4, 0},
      {4, 8, 0, 12, 0},
      {4, 16, 12, 24, 0, 28, 20, 8, 0},
      {4, 32, 8, 16, 12, 48, 20, 40, 28, 56, 44, 52, 0, 60, 36, 24, 0}};
  for (int k = 3; k <= 6; ++k) {
    SpecHolder h;
    ASSERT_EQ(ippsFFTInitAlloc_R_32f(&h.spec, k + 1, 8, 0), ippStsNoErr);
    const std::vector<std::int32_t> &want = golden[k - 3];
    EXPECT_EQ(std::vector<std::int32_t>(h.spec->bitRevTable, h.spec->bitRevTable + want.size()),
              want)
        << "complex order " << k;
  }
}

TEST(FFTReal32, SplitTable) {
  const int expected[] = {0, 0, 5, 6, 7, 8, 8, 8, 10, 10, 10, 10, 8, 8, 10, 10, 10, 10, 10};
  for (int k = 11; k <= 29; ++k)
    EXPECT_EQ(ownsFFTOrderSplit_32f(k), expected[k - 11]) << k;
}

} // namespace
