// The audio unit's three transform slots under injected processor codes: each picks the
// matching member, and the FIR set-up, which takes its record from those slots, builds
// the taps spectrum with that member.
#include "framework/dispatch/Vizazodizaro.h"
#include "framework/dispatch/generic_fir.h"
#include "kernels/fft-audio/FFTAudio64.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"
#include "tests/support/RandomVectors.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

namespace V = Vizazodizaro;

template <class Fn> const void *addr(Fn fn) { return reinterpret_cast<const void *>(fn); }

struct Code {
  int code;
  std::int32_t member;
  const void *init, *fwd, *release;
};

const Code kCodes[] = {
    {0, fft_real::kFFTMemberGeneric, addr(&V::generic::ippsFFTInitAlloc_R_64f),
     addr(&V::generic::ippsFFTFwd_RToCCS_64f), addr(&V::generic::ippsFFTFree_R_64f)},
    {5, fft_real::kFFTMemberSse, addr(&fft_audio::ippsFFTInitAlloc_R_64f_Sse),
     addr(&fft_audio::ippsFFTFwd_RToCCS_64f_Sse), addr(&fft_audio::ippsFFTFree_R_64f_Sse)},
    {6, fft_real::kFFTMemberSse2, addr(&fft_audio::ippsFFTInitAlloc_R_64f_Sse2),
     addr(&fft_audio::ippsFFTFwd_RToCCS_64f_Sse2), addr(&fft_audio::ippsFFTFree_R_64f_Sse2)},
    {16, fft_real::kFFTMemberSse3, addr(&fft_audio::ippsFFTInitAlloc_R_64f_Sse3),
     addr(&fft_audio::ippsFFTFwd_RToCCS_64f_Sse3), addr(&fft_audio::ippsFFTFree_R_64f_Sse3)},
};

class FFTAudioDispatch : public ::testing::TestWithParam<Code> {
protected:
  void SetUp() override {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(GetParam().code));
    live_ = fft_real::fftLiveBlocks();
  }
  void TearDown() override {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::UnInitializeDispatch();
    EXPECT_EQ(fft_real::fftLiveBlocks(), live_);
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

// The FIR set-up's taps spectrum agrees with the generic member's to rounding, and an
// impulse through the filter returns the taps.
TEST_P(FFTAudioDispatch, TheFirSetUpBuildsItsSpectrumWithTheMember) {
  const std::vector<double> taps = test_support::RandomVector<double>(45, 77);
  std::vector<double> genericSpectrum;
  {
    FIRState_64f *g = nullptr;
    ASSERT_EQ(V::generic::ippsFIRInitAlloc_64f(&g, taps.data(), 45, nullptr), 0);
    // The generic FIR set-up also goes through the (now latched) transform slots; its
    // record is the member's.
    EXPECT_EQ(g->pSpec->member, GetParam().member);
    const int n = g->fftLen; // 128: 45 taps padded past twice their length
    EXPECT_EQ(n, 128);
    FFTSpec_R_64f *ref = nullptr;
    ASSERT_EQ(fft_real::ippsFFTInitAlloc_R_64f(&ref, g->pSpec->order, 2, 0), 0);
    std::vector<double> padded(n, 0.0);
    std::copy(taps.begin(), taps.end(), padded.begin());
    genericSpectrum.resize(n);
    EXPECT_EQ(fft_real::ippsFFTFwd_RToPerm_64f(padded.data(), genericSpectrum.data(), ref, nullptr),
              0);
    fft_real::ippsFFTFree_R_64f(ref);
    long double num = 0, den = 0;
    for (int i = 0; i < n; ++i) {
      const long double d = static_cast<long double>(g->pSpectrum[i]) - genericSpectrum[i];
      num += d * d;
      den += static_cast<long double>(genericSpectrum[i]) * genericSpectrum[i];
    }
    EXPECT_LE(std::sqrt(num / den), 2 * 5 * DBL_EPSILON * 7); // twice the bound of each
    for (int i = 0; i < 45; ++i) {
      double out = 0;
      ASSERT_EQ(V::ippsFIROne_64f(i == 0 ? 1.0 : 0.0, out, *g), 0);
      EXPECT_EQ(out, taps[i]) << i;
    }
    EXPECT_EQ(V::ippsFIRFree_64f(*g), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, FFTAudioDispatch, ::testing::ValuesIn(kCodes),
                         [](const auto &info) { return "code" + std::to_string(info.param.code); });

} // namespace
