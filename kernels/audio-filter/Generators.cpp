// The triangle wave in double precision (the 16-byte register classes): the generic
// algorithm with its slopes, folds and wraps carried in doubles instead of the extended
// format, so a sample whose value lies within rounding error of an integer can be
// truncated to the neighbour (one unit). Checks, statuses and the returned phase are the
// generic ones; the phase is still reduced in the extended format, so it is the same.
#include "kernels/audio-filter/AudioFilterKernels.h"

#include <emmintrin.h>

#include <cmath>
#include <cstdint>

namespace kernels::audio_filter::sse2 {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kInvTwoPi = 0.15915494309189535;
constexpr double kPi = 3.141592653589793;
constexpr double kFourPi = 12.566370614359172;

bool PhaseOutOfRange(float phase) {
  return !(phase >= 0.0f) || static_cast<double>(phase) >= kTwoPi;
}

// The phase after the advance, reduced to [0, 2π); a rounding slip outside gives 0.
float NextPhase(long double advance, float phase) {
  const long double e = advance + phase;
  const double k = std::floor(static_cast<double>(e * kInvTwoPi));
  const double p =
      static_cast<double>(static_cast<double>(e) - static_cast<long double>(kTwoPi) * k);
  return (p >= 0.0 && p < kTwoPi) ? static_cast<float>(p) : 0.0f;
}

short Low16(double v) { return static_cast<short>(static_cast<std::int32_t>(v)); }

// Subtract-with-borrow sequence combined with a congruential one, set up afresh from the
// seed on every call (the generator of the noise operations).
class CombinedRandom {
public:
  explicit CombinedRandom(std::uint32_t seed)
      : a_(seed), b_(69069u * seed + 1013904243u), c_(69069u * b_ + 1013904243u) {}

  std::int32_t next() {
    g_ = 69069u * g_ + 1013904243u;
    std::uint32_t t = b_ - c_ - k_;
    if (static_cast<std::int32_t>(t) < 0) {
      t -= 18u;
      k_ = 1;
    } else {
      k_ = 0;
    }
    c_ = b_;
    b_ = a_;
    a_ = t;
    return static_cast<std::int32_t>(t + g_);
  }

  std::uint32_t seed() const { return a_; }

private:
  std::uint32_t a_, b_, c_;
  std::uint32_t k_ = 1;
  std::uint32_t g_ = 1131199209u;
};

} // namespace

// Uniform noise, two samples per step: u · A + B in double precision for both lanes,
// rounded to the nearest integer (ties to even, whatever the caller's rounding mode)
// rather than truncated, so a sample can be one above the generic one. The generator
// steps, and so the seed written back, are the generic ones.
IppOpStatus ippsRandUniform_Direct_16s(short *pDst, int len, short low, short high,
                                       unsigned int &seed) {
  unsigned int *volatile pSeed = &seed;
  if (!pDst || !pSeed)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const __m128d a = _mm_set1_pd(static_cast<double>(high - low) * 2.3283064365387e-10);
  const __m128d b = _mm_set1_pd(static_cast<double>(low + high) * 0.5);
  const unsigned saved = _mm_getcsr();
  _mm_setcsr((saved | 0x1F80u) & ~0x6000u);
  CombinedRandom rnd(*pSeed);
  int i = 0;
  for (; i + 2 <= len; i += 2) {
    const int u0 = rnd.next();
    const int u1 = rnd.next();
    const __m128d v = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(_mm_setr_epi32(u0, u1, 0, 0)), a), b);
    const __m128i r = _mm_cvtpd_epi32(v);
    pDst[i] = static_cast<short>(_mm_cvtsi128_si32(r));
    pDst[i + 1] = static_cast<short>(_mm_cvtsi128_si32(_mm_srli_si128(r, 4)));
  }
  if (i < len) {
    const __m128d v = _mm_add_sd(_mm_mul_sd(_mm_cvtsi32_sd(_mm_setzero_pd(), rnd.next()), a), b);
    pDst[i] = static_cast<short>(_mm_cvtsd_si32(v));
  }
  _mm_setcsr(saved);
  *pSeed = rnd.seed();
  return ippStsNoErr;
}

IppOpStatus ippsTriangle_Direct_16s(short *pDst, int len, short magn, float rFreq, float asym,
                                    float &phase) {
  float *volatile pPhase = &phase;
  if (!pPhase)
    return ippStsNullPtrErr;
  if (magn <= 0)
    return ippStsTrnglMagnErr;
  if (rFreq < 0.0f || rFreq >= 0.5f)
    return ippStsTrnglFreqErr;
  if (!(asym >= -kPi) || asym >= kPi)
    return ippStsTrnglAsymErr;
  if (PhaseOutOfRange(*pPhase))
    return ippStsTrnglPhaseErr;
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;

  const float p = *pPhase;
  const double m = magn;
  const double f = rFreq;
  *pPhase = NextPhase(static_cast<long double>(kTwoPi) * static_cast<long double>(f) * len, p);

  // The period falls from +M at phase 0 to -M at h1, then rises back over h2.
  const double h1 = kPi + static_cast<double>(asym);
  const double h2 = kPi - static_cast<double>(asym);
  const double fallSlope = -(f * kFourPi * m) / h1;
  const double riseSlope = (f * kFourPi * m) / h2;
  const double riseWrap = kFourPi * m / h2;
  const double fallWrap = kFourPi * m / h1;
  const double u = -h2 / h1;
  const double w = -h1 / h2;
  const double aa = m - m * u;
  const double g = m * w - m;

  double y;
  double slope;
  if (p < h1) {
    y = m * (1 - 2 * p / h1);
    slope = fallSlope;
  } else {
    y = m * (2 * (p - h1) / h2 - 1);
    slope = riseSlope;
  }
  for (int i = 0; i < len; ++i) {
    pDst[i] = Low16(y);
    const double next = y + slope;
    if (slope > 0) {
      if (next <= m) {
        y = next;
      } else if (const double fold = aa + u * next; fold >= -m) {
        y = fold;
        slope = fallSlope;
      } else {
        y = next - riseWrap;
      }
    } else {
      if (next >= -m) {
        y = next;
      } else if (const double fold = g + w * next; fold <= m) {
        y = fold;
        slope = riseSlope;
      } else {
        y = next + fallWrap;
      }
    }
  }
  return ippStsNoErr;
}

} // namespace kernels::audio_filter::sse2
