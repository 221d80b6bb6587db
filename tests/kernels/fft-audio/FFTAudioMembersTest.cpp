// The audio unit's double-precision members on their own: the CCS spectrum against the
// long double reference for every order and flag, the layout's fixed example, argument
// checks, the member tag, and the all-or-nothing set-up.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-audio/FFTAudio64.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"
#include "tests/kernels/fft-real/FFTReference.h"
#include "tests/support/RandomVectors.h"

namespace {

using namespace kernels::fft_audio;
using fftref::CL;

struct Member {
  const char *name;
  IppOpStatus (*init)(FFTSpec_R_64f *&, int, int, int);
  IppOpStatus (*fwd)(const double *, double *, const FFTSpec_R_64f *, unsigned char *);
  IppOpStatus (*release)(FFTSpec_R_64f &);
  IppOpStatus (*bufSize)(const FFTSpec_R_64f *, int *);
  IppOpStatus (*perm)(const double *, double *, const FFTSpec_R_64f *, unsigned char *);
};
const Member kMembers[] = {
    {"SSE", ippsFFTInitAlloc_R_64f_Sse, ippsFFTFwd_RToCCS_64f_Sse, ippsFFTFree_R_64f_Sse,
     ippsFFTGetBufSize_R_64f_Sse, ippsFFTFwd_RToPerm_64f_Sse},
    {"SSE2", ippsFFTInitAlloc_R_64f_Sse2, ippsFFTFwd_RToCCS_64f_Sse2, ippsFFTFree_R_64f_Sse2,
     ippsFFTGetBufSize_R_64f_Sse2, ippsFFTFwd_RToPerm_64f_Sse2},
    {"SSE3", ippsFFTInitAlloc_R_64f_Sse3, ippsFFTFwd_RToCCS_64f_Sse3, ippsFFTFree_R_64f_Sse3,
     ippsFFTGetBufSize_R_64f_Sse3, ippsFFTFwd_RToPerm_64f_Sse3}};
const int kFlags[] = {1, 2, 4, 8};

struct Spec {
  const Member &m;
  FFTSpec_R_64f *p = nullptr;
  Spec(const Member &mm, int order, int flag) : m(mm) { EXPECT_EQ(m.init(p, order, flag, 0), 0); }
  ~Spec() {
    if (p)
      m.release(*p);
  }
  Spec(const Spec &) = delete;
  Spec &operator=(const Spec &) = delete;
};

class FFTAudioCcs : public ::testing::TestWithParam<int> {};

// Every member, every flag to order 16, one flag above (the largest orders once each).
TEST_P(FFTAudioCcs, EveryMemberMatchesTheReference) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  const std::vector<double> x = test_support::RandomVector<double>(N, 2100 + order);
  const std::vector<CL> X = fftref::transform(std::vector<CL>(x.begin(), x.end()), -1);
  const std::size_t len = N == 1 ? 2 : static_cast<std::size_t>(N) + 2; // CCS length
  std::vector<long double> ref(len, 0.0L);
  for (std::int64_t k = 0; k <= N / 2 && 2 * k < static_cast<std::int64_t>(len); ++k) {
    ref[2 * k] = X[k].real();
    ref[2 * k + 1] = k == 0 || 2 * k == N ? 0.0L : X[k].imag();
  }
  for (int flag : kFlags) {
    if (order > 16 && flag != 1)
      continue;
    const long double f = flag == 1   ? 1.0L / N
                          : flag == 4 ? 1.0L / std::sqrt((long double)N)
                                      : 1.0L;
    std::vector<long double> r(ref);
    for (auto &v : r)
      v *= f;
    for (const Member &m : kMembers) {
      SCOPED_TRACE(::testing::Message() << m.name << " flag " << flag);
      Spec s(m, order, flag);
      std::vector<double> y(len, -1.0);
      ASSERT_EQ(m.fwd(x.data(), y.data(), s.p, nullptr), 0);
      EXPECT_LE(fftref::relError(y.data(), r), fftref::tolerance(order));
      EXPECT_EQ(y[1], 0.0);
      EXPECT_EQ(y[len - 1], 0.0);
      // The Perm forward of the same member holds the same values (R(N/2) in slot 1).
      std::vector<double> p(N);
      int size = -1;
      ASSERT_EQ(m.bufSize(s.p, &size), 0);
      std::vector<unsigned char> buffer(static_cast<std::size_t>(size));
      ASSERT_EQ(m.perm(x.data(), p.data(), s.p, size > 0 ? buffer.data() : nullptr), 0);
      EXPECT_EQ(p[0], y[0]);
      for (std::int64_t i = 2; i < N; ++i)
        ASSERT_EQ(p[i], y[i]) << i;
      if (N > 1) {
        EXPECT_EQ(p[1], y[N]);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTAudioCcs, ::testing::Range(0, 23));

TEST(FFTAudioMembers, FixedExampleInPlaceAndOutOfPlace) {
  for (const Member &m : kMembers) {
    SCOPED_TRACE(m.name);
    Spec s(m, 2, 8);
    const std::vector<double> x = {1, 2, 3, 4};
    std::vector<double> y(6, 9.0);
    ASSERT_EQ(m.fwd(x.data(), y.data(), s.p, nullptr), 0);
    EXPECT_EQ(y, (std::vector<double>{10, 0, -2, 2, -2, 0}));
    // In place with room for N + 2, at a larger order through the engine.
    Spec big(m, 12, 2);
    std::vector<double> in = test_support::RandomVector<double>(4096, 7), out(4098);
    ASSERT_EQ(m.fwd(in.data(), out.data(), big.p, nullptr), 0);
    in.resize(4098);
    ASSERT_EQ(m.fwd(in.data(), in.data(), big.p, nullptr), 0);
    EXPECT_EQ(in, out);
  }
}

TEST(FFTAudioMembers, ChecksInOrderAndTheMemberTag) {
  for (const Member &m : kMembers) {
    SCOPED_TRACE(m.name);
    FFTSpec_R_64f *keep = reinterpret_cast<FFTSpec_R_64f *>(&keep);
    FFTSpec_R_64f *const before = keep;
    EXPECT_EQ(m.init(keep, 31, 8, 0), -15);
    EXPECT_EQ(m.init(keep, 5, 3, 0), -16);
    EXPECT_EQ(keep, before);

    Spec s(m, 5, 8);
    std::vector<double> x(34, 1.0), y(34, -2.0);
    EXPECT_EQ(m.fwd(x.data(), y.data(), nullptr, nullptr), -8);
    EXPECT_EQ(m.fwd(nullptr, y.data(), s.p, nullptr), -8);
    EXPECT_EQ(m.fwd(x.data(), nullptr, s.p, nullptr), -8);
    // A complex record, and a record of every other member: -17, nothing written.
    FFTSpec_C_64fc *c = nullptr;
    ASSERT_EQ(kernels::fft_real::ippsFFTInitAlloc_C_64fc(&c, 5, 8, 0), 0);
    EXPECT_EQ(m.fwd(x.data(), y.data(), reinterpret_cast<const FFTSpec_R_64f *>(c), nullptr), -17);
    EXPECT_EQ(m.release(*reinterpret_cast<FFTSpec_R_64f *>(c)), -17);
    kernels::fft_real::ippsFFTFree_C_64fc(c);
    for (const Member &other : kMembers) {
      if (&other == &m)
        continue;
      Spec o(other, 5, 8);
      EXPECT_EQ(m.fwd(x.data(), y.data(), o.p, nullptr), -17) << other.name;
    }
    FFTSpec_R_64f *gen = nullptr;
    ASSERT_EQ(kernels::fft_real::ippsFFTInitAlloc_R_64f(&gen, 5, 8, 0), 0);
    EXPECT_EQ(m.fwd(x.data(), y.data(), gen, nullptr), -17);
    EXPECT_EQ(m.release(*gen), 0); // any member's record is released whole
    EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](double v) { return v == -2.0; }));
  }
}

// Failing the k-th allocation of every member's set-up: -9, the caller's pointer as it
// was, nothing left behind.
TEST(FFTAudioMembers, EveryFailedSetUpAllocationLeavesNothing) {
  for (const Member &m : kMembers)
    for (int order : {4, 9, 15, 16}) {
      SCOPED_TRACE(::testing::Message() << m.name << " order " << order);
      const long live = kernels::fft_real::fftLiveBlocks();
      const long before = kernels::fft_real::fftAllocRequests();
      { Spec ok(m, order, 2); }
      const long needed = kernels::fft_real::fftAllocRequests() - before;
      for (long k = 0; k < needed; ++k) {
        FFTSpec_R_64f *p = reinterpret_cast<FFTSpec_R_64f *>(&k);
        kernels::fft_real::fftFailAfter(static_cast<int>(k));
        EXPECT_EQ(m.init(p, order, 2, 0), -9) << k;
        kernels::fft_real::fftFailAfter(-1);
        EXPECT_EQ(p, reinterpret_cast<FFTSpec_R_64f *>(&k));
        EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live);
      }
      // The work area of a call without a buffer: -9 before anything is written.
      Spec s(m, order, 2);
      std::vector<double> x(std::size_t{1} << order, 1.0), y((std::size_t{1} << order) + 2, 5.0);
      kernels::fft_real::fftFailAfter(0);
      const int st = m.fwd(x.data(), y.data(), s.p, nullptr);
      kernels::fft_real::fftFailAfter(-1);
      if (s.p->workSize > 0) {
        EXPECT_EQ(st, -9);
        EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](double v) { return v == 5.0; }));
      } else {
        EXPECT_EQ(st, 0);
      }
    }
}

} // namespace
