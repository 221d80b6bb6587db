// Scaled 8- and 16-bit divisions, of two regions and by a constant.
//
// A quotient x · 2^-sf / d of 16-bit integers is formed in double precision: x · 2^-sf
// is exact, the division rounds once, and no quotient of such integers lies closer to
// a half than 1 / (2 · |d| · 2^sf), far more than that rounding error, so converting
// with round-to-nearest-even gives the exactly rounded quotient, ties included. Scale
// factors beyond ±64 change nothing (every quotient then rounds to 0 or saturates).
// A zero divisor stores the limit of the dividend's sign (0 for 0) and raises the
// warning.
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

#include "kernels/audio-sample/AudioSampleKernels.h"
#include "kernels/audio-sample/RowWalk.h"

namespace kernels::audio_sample::sse2 {
namespace {

using namespace detail;

double FactorOf(int sf) { return std::ldexp(1.0, sf > 64 ? -64 : (sf < -64 ? 64 : -sf)); }

// Two quotients of the low 32-bit lanes of x and d, clamped, rounded to 32-bit integers.
inline __m128i Quotient2(__m128i x, __m128i d, __m128d f) {
  const __m128d bound = _mm_set1_pd(65536.0);
  __m128d q = _mm_div_pd(_mm_mul_pd(_mm_cvtepi32_pd(x), f), _mm_cvtepi32_pd(d));
  q = _mm_max_pd(_mm_min_pd(q, bound), _mm_sub_pd(_mm_setzero_pd(), bound));
  return _mm_cvtpd_epi32(q);
}

inline __m128i Quotient4(__m128i x, __m128i d, __m128d f) {
  return _mm_unpacklo_epi64(Quotient2(x, d, f),
                            Quotient2(_mm_srli_si128(x, 8), _mm_srli_si128(d, 8), f));
}

// Eight 16-bit dividends by eight 16-bit divisors; `zero` collects the lanes of zero
// divisors.
inline __m128i Block16s(__m128i x, __m128i d, __m128d f, __m128i &zero) {
  const __m128i z = _mm_cmpeq_epi16(d, _mm_setzero_si128());
  zero = _mm_or_si128(zero, z);
  const __m128i safe = _mm_or_si128(d, _mm_and_si128(z, _mm_set1_epi16(1)));
  const __m128i lo = Quotient4(_mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16),
                               _mm_srai_epi32(_mm_unpacklo_epi16(safe, safe), 16), f);
  const __m128i hi = Quotient4(_mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16),
                               _mm_srai_epi32(_mm_unpackhi_epi16(safe, safe), 16), f);
  const __m128i q = _mm_packs_epi32(lo, hi);
  const __m128i zeroes = _mm_setzero_si128();
  const __m128i limit =
      _mm_or_si128(_mm_and_si128(_mm_cmpgt_epi16(x, zeroes), _mm_set1_epi16(0x7FFF)),
                   _mm_and_si128(_mm_cmpgt_epi16(zeroes, x), _mm_set1_epi16(-0x8000)));
  return _mm_or_si128(_mm_andnot_si128(z, q), _mm_and_si128(z, limit));
}

// Sixteen bytes: the 16-bit block on each half, packed back with unsigned saturation.
inline __m128i Block8u(__m128i x, __m128i d, __m128d f, __m128i &zero) {
  const __m128i z = _mm_setzero_si128();
  return _mm_packus_epi16(Block16s(_mm_unpacklo_epi8(x, z), _mm_unpacklo_epi8(d, z), f, zero),
                          Block16s(_mm_unpackhi_epi8(x, z), _mm_unpackhi_epi8(d, z), f, zero));
}

template <class T> __m128i BlockOf(__m128i x, __m128i d, __m128d f, __m128i &zero) {
  if constexpr (sizeof(T) == 1)
    return Block8u(x, d, f, zero);
  else
    return Block16s(x, d, f, zero);
}

template <class T>
IppOpStatus DivRegion(const T *pSrc, int srcStep, T *pSrcDst, int srcDstStep, tagSIZE roi, int sf) {
  if (IppOpStatus st = CheckRegion(pSrc, srcStep, pSrcDst, srcDstStep, roi); st != ippStsNoErr)
    return st;
  const NearestRounding nearest;
  const __m128d f = _mm_set1_pd(FactorOf(sf));
  __m128i zero = _mm_setzero_si128();
  const std::size_t bytes = static_cast<std::size_t>(roi.width) * sizeof(T);
  for (int y = 0; y < roi.height; ++y)
    ZipRow(
        RowOf(pSrc, srcStep, y), RowOf(pSrcDst, srcDstStep, y), bytes,
        [f, &zero](__m128i x, __m128i d) { return BlockOf<T>(x, d, f, zero); }, 1);
  return _mm_movemask_epi8(zero) != 0 ? ippStsDivByZero : ippStsNoErr;
}

template <class T> __m128i Broadcast(T val) {
  if constexpr (sizeof(T) == 1)
    return _mm_set1_epi8(static_cast<char>(val));
  else
    return _mm_set1_epi16(val);
}

template <class T> IppOpStatus DivConstRegion(T val, T *pSrcDst, int step, tagSIZE roi, int sf) {
  if (IppOpStatus st = CheckRegion(pSrcDst, step, pSrcDst, step, roi); st != ippStsNoErr)
    return st;
  if (val == 0)
    return ippStsDivByZeroErr;
  const NearestRounding nearest;
  const __m128d f = _mm_set1_pd(FactorOf(sf));
  const __m128i d = Broadcast(val);
  __m128i zero = _mm_setzero_si128();
  const std::size_t bytes = static_cast<std::size_t>(roi.width) * sizeof(T);
  for (int y = 0; y < roi.height; ++y)
    MapRow(RowOf(pSrcDst, step, y), bytes,
           [f, d, &zero](__m128i x) { return BlockOf<T>(x, d, f, zero); });
  return ippStsNoErr;
}

} // namespace

IppOpStatus ippiDiv_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return DivRegion(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}

IppOpStatus ippiDiv_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return DivRegion(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}

IppOpStatus ippsDivC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 0)
    return ippStsDivByZeroErr;
  const NearestRounding nearest;
  const __m128d f = _mm_set1_pd(FactorOf(scaleFactor));
  const __m128i d = _mm_set1_epi16(val);
  __m128i zero = _mm_setzero_si128();
  MapRow(Bytes(pSrcDst), static_cast<std::size_t>(len) * sizeof(short),
         [f, d, &zero](__m128i x) { return Block16s(x, d, f, zero); });
  return ippStsNoErr;
}

IppOpStatus ippiDivC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return DivConstRegion(val, pSrcDst, srcDstStep, roi, scaleFactor);
}

IppOpStatus ippiDivC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return DivConstRegion(val, pSrcDst, srcDstStep, roi, scaleFactor);
}

} // namespace kernels::audio_sample::sse2
