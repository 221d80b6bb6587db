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

short Low16x(long double v) { return static_cast<short>(static_cast<std::int32_t>(v)); }

// The tone of the generic variant: magn · cos(p + w n) by the Chebyshev recurrence in the
// extended format, restarted from the cosine per call.
void ToneExact(short *pDst, int len, short magn, long double w, float p) {
  using ext = long double;
  const ext y0 = magn * static_cast<ext>(std::cos(static_cast<double>(p)));
  const ext y1 = magn * static_cast<ext>(std::cos(static_cast<double>(p + w)));
  pDst[0] = Low16x(y0);
  if (len == 1)
    return;
  pDst[1] = Low16x(y1);
  const ext k = 2.0L * std::cos(static_cast<double>(w));
  const ext k2 = k * k - 2.0L;
  ext y[4] = {static_cast<double>(y0), static_cast<double>(y1), 0, 0};
  y[2] = k * y[1] - y[0];
  y[3] = k * y[2] - y[1];
  for (int n = 2; n < len; ++n) {
    if (n >= 4)
      y[n % 4] = k2 * y[(n - 2) % 4] - y[n % 4];
    pDst[n] = Low16x(y[n % 4]);
  }
}

// The fast tone over one block starting at sample t: 16 samples by the one-step
// recurrence in the extended format (truncated), the rest by the eight-step recurrence
// y[n] = 2cos(8w) y[n-8] - y[n-16] in single precision, eight lanes at a time, rounded
// to the nearest integer and saturated.
void ToneFastBlock(short *pDst, int t, int len, short magn, long double w, float p) {
  using ext = long double;
  const ext k = 2.0L * std::cos(static_cast<double>(w));
  alignas(16) float held[16];
  ext prev = magn * static_cast<ext>(std::cos(static_cast<double>(p + w * t)));
  ext cur = magn * static_cast<ext>(std::cos(static_cast<double>(p + w * (t + 1))));
  const int head = len < 16 ? len : 16;
  for (int n = 0; n < head; ++n) {
    const ext y = n == 0 ? prev : n == 1 ? cur : k * cur - prev;
    if (n >= 2) {
      prev = cur;
      cur = y;
    }
    pDst[n] = Low16x(y);
    held[n] = static_cast<float>(y);
  }
  if (len <= 16)
    return;
  const ext k2 = k * k;
  const ext k4 = k2 * (k2 - 4) + 2;
  const __m128 k8 = _mm_set1_ps(static_cast<float>(k4 * k4 - 2));
  __m128 older0 = _mm_load_ps(held), older1 = _mm_load_ps(held + 4);
  __m128 newer0 = _mm_load_ps(held + 8), newer1 = _mm_load_ps(held + 12);
  int n = 16;
  for (; n < len; n += 8) {
    const __m128 y0 = _mm_sub_ps(_mm_mul_ps(k8, newer0), older0);
    const __m128 y1 = _mm_sub_ps(_mm_mul_ps(k8, newer1), older1);
    alignas(16) short out[8];
    _mm_store_si128(reinterpret_cast<__m128i *>(out),
                    _mm_packs_epi32(_mm_cvtps_epi32(y0), _mm_cvtps_epi32(y1)));
    for (int i = 0; i < 8 && n + i < len; ++i)
      pDst[n + i] = out[i];
    older0 = newer0;
    older1 = newer1;
    newer0 = y0;
    newer1 = y1;
  }
}

} // namespace

// The tone: the generic samples for any hint but 1; hint 1 restarts from the cosine every
// 1024 samples and runs the eight-step recurrence in single precision (see the bound in
// the tests). Checks and the new phase are the generic ones.
IppOpStatus ippsTone_Direct_16s(short *pDst, int len, short magn, float rFreq, float &phase,
                                int hint) {
  float *volatile pPhase = &phase;
  if (!pPhase)
    return ippStsNullPtrErr;
  if (magn <= 0)
    return ippStsToneMagnErr;
  if (rFreq < 0.0f || rFreq >= 0.5f)
    return ippStsToneFreqErr;
  if (PhaseOutOfRange(*pPhase))
    return ippStsTonePhaseErr;
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const float p = *pPhase;
  const long double w = static_cast<long double>(kTwoPi) * rFreq;
  *pPhase = NextPhase(w * len, p);
  if (hint != 1) {
    ToneExact(pDst, len, magn, w, p);
    return ippStsNoErr;
  }
  const unsigned saved = _mm_getcsr();
  _mm_setcsr((saved | 0x1F80u) & ~0x6000u);
  for (int t = 0; t < len; t += 1024)
    ToneFastBlock(pDst + t, t, len - t < 1024 ? len - t : 1024, magn, w, p);
  _mm_setcsr(saved);
  return ippStsNoErr;
}

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
