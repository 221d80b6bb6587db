// Complex spectrum operations and the 16-bit threshold.
#include <cmath>
#include <cstring>

#include <emmintrin.h>

#include "kernels/audio-filter/AudioFilterKernels.h"

namespace kernels::audio_filter::sse2 {

// X[k] = conj(X[n - k]) for k = n/2 + 1 .. n - 1: the sign bit of the imaginary part
// flipped by an exclusive or, so zeros and NaN payloads keep everything but their sign.
IppOpStatus ippsConjCcs_64fc_I(Ipp64fc *pSrcDst, int len) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const __m128d sign =
      _mm_castsi128_pd(_mm_set_epi64x(static_cast<long long>(0x8000000000000000ull), 0));
  for (int k = len / 2 + 1; k < len; ++k) {
    const __m128d v = _mm_loadu_pd(&pSrcDst[len - k].re);
    _mm_storeu_pd(&pSrcDst[k].re, _mm_xor_pd(v, sign));
  }
  return ippStsNoErr;
}

// sqrt(re² + im²) with the squares and their sum rounded to double and the exact
// double root. The generic variant rounds the sum of exact squares once, so the two
// differ by at most two units in the last place where the squares are normal doubles;
// both overflow to infinity and underflow to 0 at the same magnitudes.
IppOpStatus ippsMagnitude_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  int i = 0;
  for (; i + 2 <= len; i += 2) {
    const __m128d a = _mm_loadu_pd(&pSrc[i].re), b = _mm_loadu_pd(&pSrc[i + 1].re);
    const __m128d re = _mm_unpacklo_pd(a, b), im = _mm_unpackhi_pd(a, b);
    const __m128d s = _mm_add_pd(_mm_mul_pd(re, re), _mm_mul_pd(im, im));
    _mm_storeu_pd(pDst + i, _mm_sqrt_pd(s));
  }
  if (i < len) {
    const __m128d a = _mm_loadu_pd(&pSrc[i].re);
    const __m128d sq = _mm_mul_pd(a, a);
    const __m128d s = _mm_add_sd(sq, _mm_unpackhi_pd(sq, sq));
    _mm_store_sd(pDst + i, _mm_sqrt_sd(s, s));
  }
  return ippStsNoErr;
}

// Samples below levelLT become valueLT, samples above levelGT become valueGT; with
// levelLT <= levelGT the two never meet in one sample.
IppOpStatus ippsThreshold_LTValGTVal_16s_I(short *pSrcDst, int len, short levelLT, short valueLT,
                                           short levelGT, short valueGT) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (levelGT < levelLT)
    return ippStsThreshErr;
  const __m128i lt = _mm_set1_epi16(levelLT), vlt = _mm_set1_epi16(valueLT);
  const __m128i gt = _mm_set1_epi16(levelGT), vgt = _mm_set1_epi16(valueGT);
  auto block = [&](__m128i x) {
    const __m128i below = _mm_cmplt_epi16(x, lt), above = _mm_cmpgt_epi16(x, gt);
    x = _mm_or_si128(_mm_andnot_si128(below, x), _mm_and_si128(below, vlt));
    return _mm_or_si128(_mm_andnot_si128(above, x), _mm_and_si128(above, vgt));
  };
  auto *bytes = reinterpret_cast<unsigned char *>(pSrcDst);
  int i = 0;
  for (; i + 8 <= len; i += 8) {
    auto *p = reinterpret_cast<__m128i *>(bytes + 2 * i);
    _mm_storeu_si128(p, block(_mm_loadu_si128(p)));
  }
  if (i < len) {
    const std::size_t n = static_cast<std::size_t>(len - i) * 2;
    alignas(16) short b[8] = {};
    std::memcpy(b, bytes + 2 * i, n);
    _mm_store_si128(reinterpret_cast<__m128i *>(b),
                    block(_mm_load_si128(reinterpret_cast<const __m128i *>(b))));
    std::memcpy(bytes + 2 * i, b, n);
  }
  return ippStsNoErr;
}

} // namespace kernels::audio_filter::sse2
