// The triangle wave in double precision (the 16-byte register classes): the generic
// algorithm with its slopes, folds and wraps carried in doubles instead of the extended
// format, so a sample whose value lies within rounding error of an integer can be
// truncated to the neighbour (one unit). Checks, statuses and the returned phase are the
// generic ones; the phase is still reduced in the extended format, so it is the same.
#include <cmath>
#include <cstdint>

#include <emmintrin.h>

#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/common/SignalGenerators.h"

namespace kernels::audio_filter::sse2 {
namespace {

using generators::CombinedRandom;
using generators::kTwoPi;
using generators::low16;
using generators::nextPhase;

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
    pDst[n] = low16(y);
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
  if (const IppOpStatus st = generators::checkTone(pDst, len, magn, rFreq, *pPhase);
      st != ippStsNoErr)
    return st;
  const float p = *pPhase;
  const long double w = static_cast<long double>(kTwoPi) * rFreq;
  *pPhase = nextPhase(w * len, p);
  if (hint != 1) {
    generators::toneExtended(pDst, len, magn, w, p);
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
  if (const IppOpStatus st = generators::checkTriangle(pDst, len, magn, rFreq, asym, *pPhase);
      st != ippStsNoErr)
    return st;
  const float p = *pPhase;
  *pPhase = nextPhase(static_cast<long double>(kTwoPi) * rFreq * len, p);
  generators::triangleWave<double>(pDst, len, magn, rFreq, asym, p);
  return ippStsNoErr;
}

} // namespace kernels::audio_filter::sse2
