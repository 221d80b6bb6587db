// The audio unit's three transform slots and its FIR set-up and release slots under
// injected processor codes: each picks the matching member, and the FIR set-up of a code
// builds the taps spectrum with the transform member of that code.
#include <cfloat>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/GenericAlloc.h"
#include "framework/dispatch/GenericFir.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/fft-audio/FFTAudio64.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace V = Vizazodizaro;

template <class Fn> const void *addr(Fn fn) { return reinterpret_cast<const void *>(fn); }

struct Code {
  int code;
  std::int32_t member;
  const void *init, *fwd, *release;
  const void *firInit, *firFree;
};

const Code kCodes[] = {
    {0, kernels::fft_real::kFFTMemberGeneric, addr(&V::generic::ippsFFTInitAlloc_R_64f),
     addr(&V::generic::ippsFFTFwd_RToCCS_64f), addr(&V::generic::ippsFFTFree_R_64f),
     addr(&V::generic::ippsFIRInitAlloc_64f), addr(&V::generic::ippsFIRFree_64f)},
    {5, kernels::fft_real::kFFTMemberSse, addr(&kernels::fft_audio::ippsFFTInitAlloc_R_64f_Sse),
     addr(&kernels::fft_audio::ippsFFTFwd_RToCCS_64f_Sse),
     addr(&kernels::fft_audio::ippsFFTFree_R_64f_Sse),
     addr(&dispatch_filters::ippsFIRInitAlloc_64f_Sse),
     addr(&dispatch_filters::ippsFIRFree_64f_Sse)},
    {6, kernels::fft_real::kFFTMemberSse2, addr(&kernels::fft_audio::ippsFFTInitAlloc_R_64f_Sse2),
     addr(&kernels::fft_audio::ippsFFTFwd_RToCCS_64f_Sse2),
     addr(&kernels::fft_audio::ippsFFTFree_R_64f_Sse2),
     addr(&dispatch_filters::ippsFIRInitAlloc_64f_Sse2),
     addr(&dispatch_filters::ippsFIRFree_64f_Sse2)},
    {16, kernels::fft_real::kFFTMemberSse3, addr(&kernels::fft_audio::ippsFFTInitAlloc_R_64f_Sse3),
     addr(&kernels::fft_audio::ippsFFTFwd_RToCCS_64f_Sse3),
     addr(&kernels::fft_audio::ippsFFTFree_R_64f_Sse3),
     addr(&dispatch_filters::ippsFIRInitAlloc_64f_Sse3),
     addr(&dispatch_filters::ippsFIRFree_64f_Sse3)},
};

class FFTAudioDispatch : public ::testing::TestWithParam<Code> {
protected:
  void SetUp() override {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(GetParam().code));
    live_ = kernels::fft_real::fftLiveBlocks();
  }
  void TearDown() override {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::UnInitializeDispatch();
    EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), live_);
  }
  long live_ = 0;
};

TEST_P(FFTAudioDispatch, TheSlotsPickTheMatchingMember) {
  const Code &c = GetParam();
  V::Select_ippsFFTInitAlloc_R_64f();
  V::Select_ippsFFTFwd_RToCCS_64f();
  V::Select_ippsFFTFree_R_64f();
  EXPECT_EQ(addr(V::slots::ippsFFTInitAlloc_R_64f.load()), c.init);
  EXPECT_EQ(addr(V::slots::ippsFFTFwd_RToCCS_64f.load()), c.fwd);
  EXPECT_EQ(addr(V::slots::ippsFFTFree_R_64f.load()), c.release);

  FFTSpec_R_64f *spec = nullptr;
  ASSERT_EQ(V::ippsFFTInitAlloc_R_64f(spec, 10, 8, 0), 0);
  EXPECT_EQ(spec->member, c.member);
  const std::vector<double> x = test_support::RandomVector<double>(1024, 31);
  std::vector<double> y(1026);
  EXPECT_EQ(V::ippsFFTFwd_RToCCS_64f(x.data(), y.data(), spec, nullptr), 0);
  EXPECT_EQ(V::ippsFFTFree_R_64f(*spec), 0);
}

// The FIR slots pick the set-up and release of the code, whose taps spectrum comes from
// the transform member of that code and agrees with the generic one to rounding; an
// impulse through the filter returns the taps.
TEST_P(FFTAudioDispatch, TheFirSetUpBuildsItsSpectrumWithTheMember) {
  const Code &c = GetParam();
  V::Select_ippsFIRInitAlloc_64f();
  V::Select_ippsFIRFree_64f();
  EXPECT_EQ(addr(V::slots::ippsFIRInitAlloc_64f.load()), c.firInit);
  EXPECT_EQ(addr(V::slots::ippsFIRFree_64f.load()), c.firFree);

  for (int L : {32, 45, 64, 300}) {
    SCOPED_TRACE(L);
    const std::vector<double> taps = test_support::RandomVector<double>(L, 77 + L);
    FIRState_64f *g = nullptr;
    const long requests = kernels::fft_real::fftAllocRequests();
    ASSERT_EQ(V::ippsFIRInitAlloc_64f(&g, taps.data(), L, nullptr), 0);
    ASSERT_NE(g->pSpec, nullptr);
    EXPECT_EQ(g->pSpec->member, c.member);
    // The transform's work area is part of the state: filling the spectrum takes no
    // block of its own beyond the record's.
    FFTSpec_R_64f *probe = nullptr;
    const long setUp = kernels::fft_real::fftAllocRequests() - requests;
    ASSERT_EQ(kernels::fft_real::ippsFFTInitAlloc_R_64f(&probe, g->pSpec->order, 2, 0), 0);
    const long recordOnly = kernels::fft_real::fftAllocRequests() - requests - setUp;
    kernels::fft_real::ippsFFTFree_R_64f(probe);
    EXPECT_EQ(setUp, recordOnly);

    const int n = g->fftLen; // twice the taps' length rounded up to a power of two, doubled
    EXPECT_TRUE(n > 2 * L && n <= 4 * L && (n & (n - 1)) == 0) << n;
    FFTSpec_R_64f *ref = nullptr;
    ASSERT_EQ(kernels::fft_real::ippsFFTInitAlloc_R_64f(&ref, g->pSpec->order, 2, 0), 0);
    std::vector<double> padded(n, 0.0), genericSpectrum(n);
    std::copy(taps.begin(), taps.end(), padded.begin());
    EXPECT_EQ(kernels::fft_real::ippsFFTFwd_RToPerm_64f(padded.data(), genericSpectrum.data(), ref,
                                                        nullptr),
              0);
    kernels::fft_real::ippsFFTFree_R_64f(ref);
    long double num = 0, den = 0;
    for (int i = 0; i < n; ++i) {
      const long double d = static_cast<long double>(g->pSpectrum[i]) - genericSpectrum[i];
      num += d * d;
      den += static_cast<long double>(genericSpectrum[i]) * genericSpectrum[i];
    }
    EXPECT_LE(std::sqrt(num / den), 2 * 5 * DBL_EPSILON * std::log2(n)); // twice each bound
    for (int i = 0; i < L; ++i) {
      double out = 0;
      ASSERT_EQ(V::ippsFIROne_64f(i == 0 ? 1.0 : 0.0, out, *g), 0);
      ASSERT_EQ(out, taps[i]) << i;
    }
    EXPECT_EQ(V::ippsFIRFree_64f(*g), 0);
  }
}

// Bad arguments give -8, -26 and -17 at every code; a set-up whose block or record cannot
// be had returns -9, leaves the caller's pointer as it was and keeps nothing, whichever
// allocation fails.
TEST_P(FFTAudioDispatch, AFailedFirSetUpKeepsNothing) {
  const std::vector<double> taps = test_support::RandomVector<double>(40, 5);
  const long filterLive = dispatch_filters::blockLiveCount();
  FIRState_64f sentinel{};
  for (int k = 0; k < 8; ++k) {
    FIRState_64f *p = &sentinel;
    kernels::fft_real::fftFailAfter(k);
    const IppOpStatus st = V::ippsFIRInitAlloc_64f(&p, taps.data(), 40, nullptr);
    kernels::fft_real::fftFailAfter(-1);
    if (st == ippStsNoErr) {
      EXPECT_EQ(V::ippsFIRFree_64f(*p), 0);
      break; // k passed the record's allocations
    }
    EXPECT_EQ(st, ippStsMemAllocErr) << k;
    EXPECT_EQ(p, &sentinel);
  }
  FIRState_64f *p = &sentinel;
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(nullptr, taps.data(), 40, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(&p, nullptr, 40, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(&p, taps.data(), 0, nullptr), ippStsFIRLenErr);
  EXPECT_EQ(V::ippsFIRFree_64f(sentinel), ippStsContextMatchErr);
  EXPECT_EQ(p, &sentinel);
  dispatch_filters::blockFailAfter(0);
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(&p, taps.data(), 40, nullptr), ippStsMemAllocErr);
  dispatch_filters::blockFailAfter(-1);
  EXPECT_EQ(p, &sentinel);
  EXPECT_EQ(dispatch_filters::blockLiveCount(), filterLive);
  // The live transform blocks are checked by the fixture.
}

INSTANTIATE_TEST_SUITE_P(Codes, FFTAudioDispatch, ::testing::ValuesIn(kCodes),
                         [](const auto &info) { return "code" + std::to_string(info.param.code); });

} // namespace
