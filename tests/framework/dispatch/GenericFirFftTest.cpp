// The audio unit's FIR filter and real transform, called by name through their slots.
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/GenericAlloc.h"
#include "framework/dispatch/GenericFir.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTReal64.h"
#include "tests/framework/dispatch/GenericLiveBlocks.h"

namespace {

namespace V = Vizazodizaro;
using dispatch_filters::blockFailAfter;
using dispatch_filters::blockLiveCount;

struct Fir {
  FIRState_64f *state = nullptr;
  Fir(const std::vector<double> &taps, const double *dly = nullptr) {
    EXPECT_EQ(V::ippsFIRInitAlloc_64f(&state, taps.data(), static_cast<int>(taps.size()), dly), 0);
  }
  ~Fir() {
    if (state) {
      EXPECT_EQ(V::ippsFIRFree_64f(*state), 0);
    }
  }
  double step(double x) {
    double y = 0;
    EXPECT_EQ(V::ippsFIROne_64f(x, y, *state), 0);
    return y;
  }
};

using FirFilter = LiveBlocks;
using RealTransform = LiveBlocks;

} // namespace

TEST_F(FirFilter, SingleTapScalesAndKeepsIndexZero) {
  Fir f({2.5});
  EXPECT_EQ(f.step(2), 5);
  EXPECT_EQ(f.step(-1), -2.5);
  EXPECT_EQ(f.state->dlyIndex, 0);
}

TEST_F(FirFilter, ImpulseGivesTheTapsThenZeros) {
  for (int L : {3, 31, 32, 40}) {
    const auto taps = test_support::RandomVector<double>(L, L);
    Fir f(taps);
    for (int n = 0; n < L + 3; ++n) {
      const double y = f.step(n == 0 ? 1.0 : 0.0);
      EXPECT_EQ(y, n < L ? taps[n] : 0.0) << "L " << L << " n " << n;
    }
    EXPECT_EQ(f.state->dlyIndex, 3 % L);
  }
}

TEST_F(FirFilter, MatchesConvolutionAndUsesTheGivenDelayLine) {
  const auto taps = test_support::RandomVector<double>(7, 1);
  const auto dly = test_support::RandomVector<double>(7, 2);
  const auto x = test_support::RandomVector<double>(50, 3);
  Fir f(taps, dly.data());
  // History: dly[j] is the input j + 1 samples before the first.
  auto at = [&](int t) {
    return t >= 0 ? static_cast<long double>(x[t]) : static_cast<long double>(dly[-t - 1]);
  };
  for (int n = 0; n < 50; ++n) {
    long double ref = 0;
    for (int j = 0; j < 7; ++j)
      ref += taps[j] * at(n - j);
    EXPECT_NEAR(f.step(x[n]), static_cast<double>(ref), 1e-15) << n;
  }
}

TEST_F(FirFilter, SpectrumFromThirtyTwoTaps) {
  struct Row {
    int taps, fftLen;
  };
  for (Row r : {Row{31, -1}, Row{32, 128}, Row{63, 128}, Row{64, 256}}) {
    const auto taps = test_support::RandomVector<double>(r.taps, r.taps);
    Fir f(taps);
    EXPECT_EQ(f.state->fftLen, r.fftLen);
    if (r.fftLen < 0) {
      EXPECT_EQ(f.state->pSpec, nullptr);
      EXPECT_EQ(f.state->pSpectrum, nullptr);
      continue;
    }
    ASSERT_NE(f.state->pSpectrum, nullptr);
    // Perm layout: R0, R(N/2), then Re, Im of bins 1 .. N/2-1.
    const int N = r.fftLen;
    auto bin = [&](int k) {
      std::complex<long double> s = 0;
      for (int j = 0; j < r.taps; ++j)
        s += static_cast<long double>(taps[j]) *
             std::polar(1.0L, -2 * std::numbers::pi_v<long double> * j * k / N);
      return s;
    };
    EXPECT_NEAR(f.state->pSpectrum[0], static_cast<double>(bin(0).real()), 1e-12);
    EXPECT_NEAR(f.state->pSpectrum[1], static_cast<double>(bin(N / 2).real()), 1e-12);
    for (int k : {1, 5, N / 2 - 1}) {
      EXPECT_NEAR(f.state->pSpectrum[2 * k], static_cast<double>(bin(k).real()), 1e-12);
      EXPECT_NEAR(f.state->pSpectrum[2 * k + 1], static_cast<double>(bin(k).imag()), 1e-12);
    }
  }
}

TEST_F(FirFilter, Statuses) {
  const double taps[2] = {1, 2};
  FIRState_64f *sentinel = reinterpret_cast<FIRState_64f *>(0x40);
  FIRState_64f *p = sentinel;
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(nullptr, taps, 2, nullptr), -8);
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(&p, nullptr, 2, nullptr), -8);
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(&p, taps, 0, nullptr), -26);
  // A state larger than the allocator can hand out is refused before any tap is read.
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(&p, taps, 1 << 28, nullptr), -9);
  EXPECT_EQ(p, sentinel);

  Fir f({1, 2});

  // A state of the other identifier: filtering refuses it, the release accepts it.
  FIRState_64f foreign = *f.state;
  foreign.id = dispatch_filters::kFIRForeignId;
  foreign.allocated = 0;
  double y = 0;
  EXPECT_EQ(V::ippsFIROne_64f(1.0, y, foreign), -17);
  EXPECT_EQ(V::ippsFIRFree_64f(foreign), 0);
  foreign.id = 1;
  EXPECT_EQ(V::ippsFIRFree_64f(foreign), -17);
}

TEST_F(FirFilter, EveryFailedAllocationReleasesEverything) {
  const auto taps = test_support::RandomVector<double>(40, 9);
  // Fail each allocation of the engine in turn, then the state block.
  for (int k = 0;; ++k) {
    kernels::fft_real::fftFailAfter(k);
    FIRState_64f *sentinel = reinterpret_cast<FIRState_64f *>(0x40);
    FIRState_64f *p = sentinel;
    const int st = V::ippsFIRInitAlloc_64f(&p, taps.data(), 40, nullptr);
    kernels::fft_real::fftFailAfter(-1);
    if (st == 0) {
      EXPECT_EQ(V::ippsFIRFree_64f(*p), 0);
      break;
    }
    EXPECT_EQ(st, -9) << k;
    EXPECT_EQ(p, sentinel);
    EXPECT_EQ(kernels::fft_real::fftLiveBlocks(), engine_) << k;
    ASSERT_LT(k, 50);
  }
  blockFailAfter(0);
  FIRState_64f *p = nullptr;
  EXPECT_EQ(V::ippsFIRInitAlloc_64f(&p, taps.data(), 40, nullptr), -9);
  EXPECT_EQ(p, nullptr);
}

TEST_F(RealTransform, CcsLayoutInAndOutOfPlace) {
  FFTSpec_R_64f *spec = nullptr;
  ASSERT_EQ(V::ippsFFTInitAlloc_R_64f(spec, 2, 8, 0), 0);
  const double x[4] = {1, 2, 3, 4};
  double ccs[6] = {9, 9, 9, 9, 9, 9};
  EXPECT_EQ(V::ippsFFTFwd_RToCCS_64f(x, ccs, spec, nullptr), 0);
  EXPECT_EQ(std::vector<double>(ccs, ccs + 6), (std::vector<double>{10, 0, -2, 2, -2, 0}));
  double inPlace[6] = {1, 2, 3, 4, 9, 9};
  EXPECT_EQ(V::ippsFFTFwd_RToCCS_64f(inPlace, inPlace, spec, nullptr), 0);
  EXPECT_EQ(std::vector<double>(inPlace, inPlace + 6), (std::vector<double>{10, 0, -2, 2, -2, 0}));
  EXPECT_EQ(V::ippsFFTFree_R_64f(*spec), 0);

  for (int order : {0, 1, 5, 10}) {
    const int N = 1 << order;
    FFTSpec_R_64f *s = nullptr;
    ASSERT_EQ(V::ippsFFTInitAlloc_R_64f(s, order, 1, 0), 0);
    const auto v = test_support::RandomVector<double>(N, order);
    std::vector<double> out(N + 2, 7.0);
    ASSERT_EQ(V::ippsFFTFwd_RToCCS_64f(v.data(), out.data(), s, nullptr), 0);
    for (int k = 0; k <= N / 2; ++k) {
      std::complex<long double> ref = 0;
      for (int j = 0; j < N; ++j) {
        const long double angle =
            -2 * std::numbers::pi_v<long double> * ((static_cast<long long>(j) * k) % N) / N;
        ref += static_cast<long double>(v[j]) *
               std::complex<long double>(std::cos(angle), std::sin(angle));
      }
      ref /= N; // flag 1 scales the forward transform
      EXPECT_NEAR(out[2 * k], static_cast<double>(ref.real()), 1e-13) << order << " " << k;
      EXPECT_NEAR(out[2 * k + 1], static_cast<double>(ref.imag()), 1e-13) << order << " " << k;
    }
    if (N == 1) {
      EXPECT_EQ(out[2], 7.0); // two doubles for one point
    }
    EXPECT_EQ(V::ippsFFTFree_R_64f(*s), 0);
  }
}

TEST_F(RealTransform, Statuses) {
  FFTSpec_R_64f *spec = nullptr;
  EXPECT_EQ(V::ippsFFTInitAlloc_R_64f(spec, 31, 2, 0), -15);
  EXPECT_EQ(V::ippsFFTInitAlloc_R_64f(spec, -1, 2, 0), -15);
  EXPECT_EQ(V::ippsFFTInitAlloc_R_64f(spec, 3, 3, 0), -16);
  EXPECT_EQ(spec, nullptr);
  ASSERT_EQ(V::ippsFFTInitAlloc_R_64f(spec, 3, 4, 0), 0);
  double buf[10] = {};
  EXPECT_EQ(V::ippsFFTFwd_RToCCS_64f(buf, buf, nullptr, nullptr), -8);
  EXPECT_EQ(V::ippsFFTFwd_RToCCS_64f(nullptr, buf, spec, nullptr), -8);
  FFTSpec_R_64f wrong = *spec;
  wrong.id = 7;
  EXPECT_EQ(V::ippsFFTFwd_RToCCS_64f(nullptr, buf, &wrong, nullptr), -17);
  EXPECT_EQ(V::ippsFFTFree_R_64f(wrong), -17);
  EXPECT_EQ(V::ippsFFTFree_R_64f(*spec), 0);

  FFTSpec_R_64f *keep = reinterpret_cast<FFTSpec_R_64f *>(0x40);
  kernels::fft_real::fftFailAfter(0);
  EXPECT_EQ(V::ippsFFTInitAlloc_R_64f(keep, 8, 2, 0), -9);
  EXPECT_EQ(keep, reinterpret_cast<FFTSpec_R_64f *>(0x40));
}
