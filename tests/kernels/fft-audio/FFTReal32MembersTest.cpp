// The SSE, SSE2 and SSE3 members of the single-precision real transform: against the long
// double reference and FFTW's float transform, their exact cases, the bit identities
// between members and placements, their sizes and tables, and their refusals.
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

struct TMemberOps {
  const char *name;
  IppOpStatus (*init)(FFTSpec_R_32f **, int, int, int);
  IppOpStatus (*bufSize)(const FFTSpec_R_32f *, int *);
  IppOpStatus (*fwd)(const float *, float *, const FFTSpec_R_32f *, std::uint8_t *);
  IppOpStatus (*release)(FFTSpec_R_32f *);
};

const TMemberOps kSse{"SSE", ippsFFTInitAlloc_R_32f_Sse, ippsFFTGetBufSize_R_32f_Sse,
                      ippsFFTFwd_RToPerm_32f_Sse, ippsFFTFree_R_32f_Sse};
const TMemberOps kSse2{"SSE2", ippsFFTInitAlloc_R_32f_Sse2, ippsFFTGetBufSize_R_32f_Sse2,
                       ippsFFTFwd_RToPerm_32f_Sse2, ippsFFTFree_R_32f_Sse2};
const TMemberOps kSse3{"SSE3", ippsFFTInitAlloc_R_32f_Sse3, ippsFFTGetBufSize_R_32f_Sse3,
                       ippsFFTFwd_RToPerm_32f_Sse3, ippsFFTFree_R_32f_Sse3};
const TMemberOps kMembers[] = {kSse, kSse2, kSse3};
const TMemberOps kGeneric{"generic", ippsFFTInitAlloc_R_32f, ippsFFTGetBufSize_R_32f,
                          ippsFFTFwd_RToPerm_32f, ippsFFTFree_R_32f};

// Relative L2 error bound c·2^-24·log2 N with c = 3: every operation rounds to float, a
// little above the generic member's c = 2 with its double intermediates.
long double tolerance(int order) { return 3.0L * FLT_EPSILON / 2 * std::max(order, 1); }

struct Spec {
  const TMemberOps &ops;
  FFTSpec_R_32f *spec = nullptr;
  Spec(const TMemberOps &o, int order, int flag) : ops(o) {
    EXPECT_EQ(ops.init(&spec, order, flag, 0), ippStsNoErr) << ops.name << " order " << order;
  }
  ~Spec() {
    if (spec != nullptr)
      ops.release(spec);
  }
  std::vector<float> forward(const std::vector<float> &x) const {
    std::vector<float> y(x.size());
    EXPECT_EQ(ops.fwd(x.data(), y.data(), spec, nullptr), ippStsNoErr);
    return y;
  }
};

std::vector<double> widen(const std::vector<float> &y) { return {y.begin(), y.end()}; }

// The generic member and the three processor members on one signal per order, against
// one long double reference per order. Relative L2 error bound c·2^-24·log2 N: c = 2 for the
// generic member, whose intermediates are doubles; c = 3 for the processor members, which
// round every operation to float.
class FFTReal32Accuracy : public ::testing::TestWithParam<int> {};

TEST_P(FFTReal32Accuracy, EveryMemberAndFlagMatchesTheReference) {
  const int order = GetParam();
  if (kSanitizedBuild && order > 20)
    GTEST_SKIP() << "the reference is too slow here; the placement tests still walk these "
                    "orders' paths";
  const std::int64_t N = std::int64_t{1} << order;
  const std::vector<float> x = randomSignal(N, 500u + static_cast<unsigned>(order));
  std::vector<fftref::CL> xl(x.begin(), x.end());
  const std::vector<double> ref = fftref::realSpectrumPerm(fftref::transform(xl, -1));
  const struct {
    const TMemberOps *ops;
    long double c;
  } members[] = {{&kGeneric, 2}, {&kSse, 3}, {&kSse2, 3}, {&kSse3, 3}};
  const int flags[] = {1, 2, 4, 8};
  for (std::size_t m = 0; m < std::size(members); ++m)
    for (std::size_t f = 0; f < std::size(flags); ++f) {
      // Above order 20 one flag per member, a different one for each member and order.
      if (order > 20 && f != (m + static_cast<std::size_t>(order)) % 4)
        continue;
      const int flag = flags[f];
      const TMemberOps &ops = *members[m].ops;
      Spec s(ops, order, flag);
      ASSERT_NE(s.spec, nullptr);
      const long double scale =
          flag == 1 ? 1.0L / N : (flag == 4 ? 1.0L / std::sqrt(static_cast<long double>(N)) : 1);
      std::vector<long double> expected(ref.size());
      for (std::size_t i = 0; i < ref.size(); ++i)
        expected[i] = ref[i] * scale;
      const long double bound = members[m].c * FLT_EPSILON / 2 * std::max(order, 1);
      EXPECT_LE(fftref::relError(widen(s.forward(x)).data(), expected), bound)
          << ops.name << " order " << order << " flag " << flag;
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTReal32Accuracy, ::testing::Range(0, 25));

TEST(FFTReal32Members, AgreeWithFftw) {
  // Sanitized builds stop at order 18; the placement tests walk the larger orders' paths.
  for (int order = 2; order <= (kSanitizedBuild ? 18 : 22); ++order) {
    const int N = 1 << order;
    const std::vector<float> x = randomSignal(N, 700u + static_cast<unsigned>(order));
    const std::vector<long double> expected = FftwFloatPerm(x);
    for (const TMemberOps &ops : kMembers) {
      Spec s(ops, order, 8);
      // Both sides carry float rounding.
      EXPECT_LE(fftref::relError(widen(s.forward(x)).data(), expected), 2 * tolerance(order))
          << ops.name << " order " << order;
    }
  }
}

TEST(FFTReal32Members, ExactCases) {
  for (const TMemberOps &ops : kMembers)
    for (int order : {0, 1, 3, 4, 5, 6, 10, 11, 12, 13, 14, 16, 17, 18, 22}) {
      const std::int64_t N = std::int64_t{1} << order;
      const auto n = static_cast<std::size_t>(N);
      Spec s(ops, order, 8);
      std::vector<float> x(n, 0.0f);
      x[0] = 1.0f;
      std::vector<float> y = s.forward(x);
      for (std::size_t i = 0; i < n; ++i)
        ASSERT_EQ(y[i], (i % 2 == 0 || i == 1) ? 1.0f : 0.0f)
            << ops.name << " impulse, order " << order << " @" << i;
      std::fill(x.begin(), x.end(), 0.75f);
      y = s.forward(x);
      for (std::size_t i = 0; i < n; ++i)
        ASSERT_EQ(y[i], i == 0 ? 0.75f * static_cast<float>(N) : 0.0f)
            << ops.name << " constant, order " << order << " @" << i;
      if (order == 0)
        continue;
      for (std::size_t t = 0; t < n; ++t)
        x[t] = t % 2 == 0 ? 1.0f : -1.0f;
      y = s.forward(x);
      for (std::size_t i = 0; i < n; ++i)
        ASSERT_EQ(y[i], i == 1 ? static_cast<float>(N) : 0.0f)
            << ops.name << " alternating, order " << order << " @" << i;
    }
}

// Orders around every threshold: the gathering kernel's last, the plain radix kernel's, the
// blocked and split paths, one and two split levels.
TEST(FFTReal32Members, InPlaceAndPlacementsGiveIdenticalBits) {
  for (const TMemberOps &ops : kMembers)
    for (int order : {4, 5, 10, 11, 12, 13, 14, 16, 17, 18, 22, 24}) {
      // Order 24 is the SSE member's first with two split levels; the others' come later.
      if (order == 24 && &ops != &kMembers[0])
        continue;
      const std::int64_t N = std::int64_t{1} << order;
      Spec s(ops, order, 1);
      int bufSize = -1;
      ASSERT_EQ(ops.bufSize(s.spec, &bufSize), ippStsNoErr);
      ASSERT_GT(bufSize, 0);
      const std::vector<float> x = randomSignal(N, 9);
      const std::vector<float> base = s.forward(x);
      std::vector<float> inPlace = x;
      ASSERT_EQ(ops.fwd(inPlace.data(), inPlace.data(), s.spec, nullptr), ippStsNoErr);
      EXPECT_EQ(0, std::memcmp(inPlace.data(), base.data(), base.size() * 4))
          << ops.name << " in place, order " << order;
      // pDst 4 and 8 bytes off the 16-byte grid (the source too, in place), pBuffer off it.
      std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bufSize) + 32);
      std::vector<float> store(base.size() + 8);
      for (int offset : {1, 2}) {
        float *dst = store.data() + offset;
        ASSERT_EQ(ops.fwd(x.data(), dst, s.spec, buffer.data() + 5), ippStsNoErr);
        EXPECT_EQ(0, std::memcmp(dst, base.data(), base.size() * 4))
            << ops.name << " order " << order << " offset " << offset;
        std::copy(x.begin(), x.end(), dst);
        ASSERT_EQ(ops.fwd(dst, dst, s.spec, buffer.data() + 3), ippStsNoErr);
        EXPECT_EQ(0, std::memcmp(dst, base.data(), base.size() * 4))
            << ops.name << " in place, order " << order << " offset " << offset;
      }
    }
}

// Two split levels of the SSE2 member (complex order 24: 256 rows of order 16, each split
// again into 16 leaves of order 12), checked on tones whose spectrum is known: every bin
// but the tones' stays near zero, so a misplaced twiddle or value would show.
TEST(FFTReal32Members, TwoSplitLevelsOfTheSse2Member) {
  const int order = 25;
  const std::int64_t N = std::int64_t{1} << order;
  const std::int64_t bins[] = {0x5A5A5, 0x123457, N / 2 - 3};
  std::vector<float> x(static_cast<std::size_t>(N));
  for (std::int64_t t = 0; t < N; ++t) {
    double v = 0;
    for (std::int64_t b : bins)
      v += std::cos(2.0 * M_PI * static_cast<double>((b * t) % N) / static_cast<double>(N));
    x[static_cast<std::size_t>(t)] = static_cast<float>(v);
  }
  Spec s(kSse2, order, 8);
  ASSERT_NE(s.spec, nullptr);
  const std::vector<float> y = s.forward(x);
  long double err = 0;
  for (std::int64_t j = 1; j < N / 2; ++j) {
    const bool tone = std::find(std::begin(bins), std::end(bins), j) != std::end(bins);
    const long double re = y[static_cast<std::size_t>(2 * j)] - (tone ? N / 2 : 0);
    const long double im = y[static_cast<std::size_t>(2 * j + 1)];
    err += re * re + im * im;
  }
  // Against the tones' energy, 4·(N/2)^2; the float input's own rounding dominates.
  EXPECT_LE(std::sqrt(err / (4.0L * (N / 2) * (N / 2))), 1e-5L);
}

// At even complex orders the SSE3 and SSE2 plans are the same passes: the same bits, for
// the radix kernels on their own and for whole transforms through the gathering kernels.
TEST(FFTReal32Members, Sse3AndSse2AgreeBitForBitAtEvenOrders) {
  for (int m = 4; m <= 16; m += 2) {
    const std::int64_t n = std::int64_t{1} << m;
    const int order = m + 1;
    std::vector<float> S(static_cast<std::size_t>(n / 2 + 1));
    for (std::int64_t i = 0; i <= n / 2; ++i)
      S[static_cast<std::size_t>(i)] = static_cast<float>(
          i <= n / 4 ? std::sin(static_cast<long double>(i) * 2 * M_PI / (2 * n))
                     : std::cos(static_cast<long double>(n / 2 - i) * 2 * M_PI / (2 * n)));
    std::vector<float> t2(static_cast<std::size_t>(2 * n + 8)), t3(t2.size());
    float *e2 = ownsFFTInitTwiddleTab_32fc_Sse2(m, S.data(), order, t2.data());
    float *e3 = ownsFFTInitTwiddleTab_32fc_Sse3(m, S.data(), order, t3.data());
    EXPECT_EQ(e2 - t2.data(), e3 - t3.data());
    const std::vector<float> x = randomSignal(2 * n, 11u + static_cast<unsigned>(m));
    std::vector<Ipp32fc> a(static_cast<std::size_t>(n)), b(a.size()), work(a.size());
    std::memcpy(a.data(), x.data(), x.size() * 4);
    std::memcpy(b.data(), x.data(), x.size() * 4);
    ownsFFTRadix4_32fc_Sse2(a.data(), static_cast<int>(n), t2.data(), work.data(), 1);
    ownsFFTRadix4_32fc_Sse3(b.data(), static_cast<int>(n), t3.data(), work.data(), 1);
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(Ipp32fc))) << "kernels m " << m;
    Spec s2(kSse2, order, 8), s3(kSse3, order, 8);
    const std::vector<float> sig = randomSignal(2 * n, 13u + static_cast<unsigned>(m));
    const std::vector<float> y2 = s2.forward(sig), y3 = s3.forward(sig);
    EXPECT_EQ(0, std::memcmp(y2.data(), y3.data(), y2.size() * 4)) << "transforms m " << m;
  }
}

// Quad-split output (form 0) is the interleaved output run by run.
TEST(FFTReal32Members, RadixKernelForms) {
  const int m = 7;
  const std::int64_t n = 128;
  std::vector<float> S(static_cast<std::size_t>(n / 2 + 1));
  for (std::int64_t i = 0; i <= n / 2; ++i)
    S[static_cast<std::size_t>(i)] = static_cast<float>(
        i <= n / 4 ? std::sin(static_cast<double>(i) * 2 * M_PI / (2 * n))
                   : std::cos(static_cast<double>(n / 2 - i) * 2 * M_PI / (2 * n)));
  for (auto *build : {ownsFFTInitTwiddleTab_32fc_Sse, ownsFFTInitTwiddleTab_32fc_Sse3}) {
    std::vector<float> tw(static_cast<std::size_t>(2 * n + 8));
    build(m, S.data(), m + 1, tw.data());
    const auto kernel =
        build == ownsFFTInitTwiddleTab_32fc_Sse ? ownsFFTRadix4_32fc_Sse : ownsFFTRadix4_32fc_Sse3;
    const std::vector<float> x = randomSignal(2 * n, 17);
    std::vector<Ipp32fc> a(static_cast<std::size_t>(n)), b(a.size()), work(a.size());
    std::memcpy(a.data(), x.data(), x.size() * 4);
    std::memcpy(b.data(), x.data(), x.size() * 4);
    kernel(a.data(), static_cast<int>(n), tw.data(), work.data(), 1);
    kernel(b.data(), static_cast<int>(n), tw.data(), work.data(), 7);
    for (std::int64_t r = 0; r < n; r += 4)
      for (int u = 0; u < 4; ++u) {
        const float *run = &b[static_cast<std::size_t>(r)].re;
        ASSERT_EQ(a[static_cast<std::size_t>(r + u)].re, run[u]) << r + u;
        ASSERT_EQ(a[static_cast<std::size_t>(r + u)].im, run[4 + u]) << r + u;
      }
  }
}

TEST(FFTReal32Members, TablesAndTheirSizes) {
  std::int32_t index[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  ownsFFTInitBitRevIndexTab_Sse(3, index);
  EXPECT_EQ(std::vector<std::int32_t>(index, index + 4), (std::vector<std::int32_t>{0, 2, 0, -1}));
  ownsFFTInitBitRevIndexTab_Sse(4, index);
  EXPECT_EQ(std::vector<std::int32_t>(index, index + 6),
            (std::vector<std::int32_t>{0, 4, 2, 6, 0, -1}));
  // Twiddle tables: nothing up to order 3; 96 bytes at order 4; 96 + 128 (SSE3) or 192
  // (SSE, SSE2) bytes at order 5.
  std::vector<float> S(129, 0.5f);
  alignas(16) float out[128];
  for (auto *build : {ownsFFTInitTwiddleTab_32fc_Sse, ownsFFTInitTwiddleTab_32fc_Sse2,
                      ownsFFTInitTwiddleTab_32fc_Sse3}) {
    EXPECT_EQ(build(3, S.data(), 9, out), out);
    EXPECT_EQ(build(4, S.data(), 9, out) - out, 128 / 4);
    EXPECT_EQ(build(5, S.data(), 9, out) - out, 256 / 4);
  }
  std::fill(std::begin(out), std::end(out), 7.0f);
  ownsFFTInitTwiddleTab_32fc_Sse3(5, S.data(), 9, out);
  EXPECT_EQ(std::fabs(out[224 / 4 - 1]), 0.5f);
  EXPECT_EQ(out[224 / 4], 7.0f);
  std::fill(std::begin(out), std::end(out), 7.0f);
  ownsFFTInitTwiddleTab_32fc_Sse2(5, S.data(), 9, out);
  EXPECT_EQ(std::fabs(out[192 / 4 - 1]), 0.5f);
  EXPECT_EQ(out[192 / 4], 7.0f);
}

TEST(FFTReal32Members, BufferSizes) {
  // Reported sizes (work + 16) per real order, 0 to 30; orders above 26 from the size
  // rules alone (their records need gigabytes).
  const int sse[31] = {0,     0,     0,    0,    80,    144,   272,   528,   1040, 2064,  4112,
                       8208,  8208,  8208, 2064, 2064,  4112,  8208,  8208,  8208, 32784, 32784,
                       32784, 32784, 8208, 8208, 32784, 32784, 32784, 32784, 32784};
  for (int order = 0; order <= 30; ++order) {
    if (order <= 22) {
      Spec s(kSse, order, 8);
      int size = -1;
      ASSERT_EQ(ippsFFTGetBufSize_R_32f_Sse(s.spec, &size), ippStsNoErr);
      EXPECT_EQ(size, sse[order]) << "order " << order;
    }
    if (order >= 12) {
      std::int64_t table = 0, temp = -1, work = 0;
      ownsFFTGetSizeLarge_32fc_Sse(order - 1, &table, &temp, &work);
      EXPECT_EQ(work + 16, sse[order]) << "order " << order;
      EXPECT_EQ(temp, 0);
    }
  }
  // SSE3 and SSE2: 8n + 16 up to the radix limit, then the column blocks' and leaves'.
  for (const auto &c : {std::pair{&kSse3, 17}, std::pair{&kSse2, 16}})
    for (int order : {4, 9, c.second}) {
      Spec s(*c.first, order, 8);
      int size = -1;
      ASSERT_EQ(c.first->bufSize(s.spec, &size), ippStsNoErr);
      EXPECT_EQ(size, 8 * (1 << (order - 1)) + 16) << c.first->name << " " << order;
    }
  const struct {
    int m;
    std::int64_t sse3, sse2;
  } large[] = {{17, 262144, 131072}, {19, 262144, 131072}, {20, 524288, 131072},
               {21, 524288, 262144}, {22, 262144, 131072}, {24, 524288, 131072},
               {25, 262144, 131072}, {29, 524288, 262144}};
  for (const auto &c : large) {
    std::int64_t table = 0, temp = 0, work = 0;
    ownsFFTGetSizeLarge_32fc_Sse3(c.m, &table, &temp, &work);
    EXPECT_EQ(work, c.sse3) << c.m;
    ownsFFTGetSizeLarge_32fc_Sse2(c.m, &table, &temp, &work);
    EXPECT_EQ(work, c.sse2) << c.m;
  }
  // The table areas of real orders 29 and 30 pass 2^31 bytes: formed in 64 bits, so the
  // set-up can refuse them rather than take a wrapped, smaller block.
  for (int k : {28, 29})
    for (auto *size : {ownsFFTGetSizeLarge_32fc_Sse, ownsFFTGetSizeLarge_32fc_Sse2,
                       ownsFFTGetSizeLarge_32fc_Sse3}) {
      std::int64_t table = 0, temp = 0, work = 0;
      size(k, &table, &temp, &work);
      EXPECT_GT(table, std::int64_t{8} << k) << "complex order " << k;
    }
  Spec s3(kSse3, 19, 8);
  int size = 0;
  ASSERT_EQ(ippsFFTGetBufSize_R_32f_Sse3(s3.spec, &size), ippStsNoErr);
  EXPECT_EQ(size, 262144 + 16);
}

TEST(FFTReal32Members, SetUpRefusalsAndFailedAllocations) {
  FFTSpec_R_32f *const sentinel = reinterpret_cast<FFTSpec_R_32f *>(0x10);
  for (const TMemberOps &ops : kMembers) {
    FFTSpec_R_32f *spec = sentinel;
    EXPECT_EQ(ops.init(nullptr, 31, 1, 0), ippStsNullPtrErr);
    EXPECT_EQ(ops.init(&spec, 31, 1, 0), ippStsFftOrderErr);
    EXPECT_EQ(ops.init(&spec, -1, 1, 0), ippStsFftOrderErr);
    const long live = kernels::fft_real::fftLiveBlocks();
    for (int flag : {0, 3, 16}) {
      const long requests = kernels::fft_real::fftAllocRequests();
      EXPECT_EQ(ops.init(&spec, 6, flag, 0), ippStsFftFlagErr) << ops.name;
      EXPECT_EQ(kernels::fft_real::fftAllocRequests(), requests + 1)
          << "the record was taken first";
    }
    // Blocks above 2^31 bytes: refused with -9 before anything is built, never wrapped.
    EXPECT_EQ(ops.init(&spec, 29, 1, 0), ippStsMemAllocErr) << ops.name;
    EXPECT_EQ(ops.init(&spec, 30, 8, 0), ippStsMemAllocErr) << ops.name;
    EXPECT_EQ(spec, sentinel);
    EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live);
    for (int order : {2, 6, 11, 12, 15, 17, 18, 23}) {
      for (int k = 0;; ++k) {
        spec = sentinel;
        kernels::fft_real::fftFailAfter(k);
        const int status = ops.init(&spec, order, 1, 0);
        kernels::fft_real::fftFailAfter(-1);
        if (status == ippStsNoErr) {
          EXPECT_GE(k, 1);
          EXPECT_EQ(ops.release(spec), ippStsNoErr);
          EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live);
          break;
        }
        EXPECT_EQ(status, ippStsMemAllocErr) << ops.name << " " << order << " " << k;
        EXPECT_EQ(spec, sentinel);
        EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live) << ops.name << " " << order << " " << k;
      }
    }
  }
}

TEST(FFTReal32Members, TransformRefusalsAndRecordsOfOtherMembers) {
  const TMemberOps all[] = {kGeneric, kSse, kSse2, kSse3};
  std::vector<float> x(1 << 6, 1.0f), y(1 << 6, 42.0f);
  for (const TMemberOps &builder : all) {
    Spec s(builder, 6, 8);
    for (const TMemberOps &reader : all) {
      if (std::strcmp(reader.name, builder.name) == 0)
        continue;
      EXPECT_EQ(reader.fwd(x.data(), y.data(), s.spec, nullptr), ippStsContextMatchErr)
          << builder.name << " record, " << reader.name << " transform";
    }
  }
  for (const TMemberOps &ops : kMembers) {
    Spec s(ops, 6, 8);
    EXPECT_EQ(ops.fwd(x.data(), y.data(), nullptr, nullptr), ippStsNullPtrErr);
    EXPECT_EQ(ops.fwd(nullptr, y.data(), s.spec, nullptr), ippStsNullPtrErr);
    EXPECT_EQ(ops.fwd(x.data(), nullptr, s.spec, nullptr), ippStsNullPtrErr);
    // The work area cannot be had: -9, nothing written.
    kernels::fft_real::fftFailAfter(0);
    EXPECT_EQ(ops.fwd(x.data(), y.data(), s.spec, nullptr), ippStsMemAllocErr) << ops.name;
    kernels::fft_real::fftFailAfter(-1);
    int size = -5;
    EXPECT_EQ(ops.bufSize(s.spec, nullptr), ippStsNullPtrErr);
    s.spec->id = 9;
    EXPECT_EQ(ops.fwd(nullptr, y.data(), s.spec, nullptr), ippStsContextMatchErr);
    EXPECT_EQ(ops.bufSize(s.spec, &size), ippStsContextMatchErr);
    EXPECT_EQ(ops.release(s.spec), ippStsContextMatchErr);
    s.spec->id = kFFTSpecIdReal32;
    EXPECT_EQ(size, -5);
    for (float v : y)
      ASSERT_EQ(v, 42.0f);
  }
}

TEST(FFTReal32Members, RecombinationTableEnds) {
  // The last forward entry (k = N/4) is (0, 0): X(N/4) of the Perm output is the conjugate
  // of the middle complex value, checked here through a signal with only that bin.
  for (const TMemberOps &ops : kMembers) {
    const int order = 8;
    const std::int64_t N = 256;
    Spec s(ops, order, 8);
    std::vector<float> x(static_cast<std::size_t>(N));
    for (std::int64_t t = 0; t < N; ++t)
      x[static_cast<std::size_t>(t)] = static_cast<float>(std::sin(2 * M_PI * double(t) / 4.0));
    const std::vector<float> y = s.forward(x);
    EXPECT_NEAR(y[2 * 64], 0.0f, 1e-4f) << ops.name;
    EXPECT_NEAR(y[2 * 64 + 1], -128.0f, 1e-3f) << ops.name;
  }
}

} // namespace
