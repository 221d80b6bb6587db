// Principal square roots of complex vectors in the generic's steps (halves a and b,
// m = |(a, b)|, t = sqrt(m + |a|), the other part b / t), in double precision two
// elements at a time. Elements whose real part is zero, NaN or infinite, or whose parts
// lie outside 2^-500 ... 2^500 (where squares would leave the range or halves round) take
// the generic's extended steps, so every special value is the generic's.
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::store;

Ipp64fc sqrtOne(Ipp64fc x) {
  const long double a = 0.5L * x.re;
  const long double b = 0.5L * x.im;
  if (a > 0 || std::isnan(a)) {
    const double m = std::sqrt(static_cast<double>(a * a + b * b));
    const double t = std::sqrt(static_cast<double>(m + a));
    return {t, static_cast<double>(b / t)};
  }
  if (a == 0) {
    if (b < 0) {
      const double s = std::sqrt(static_cast<double>(-b));
      return {s, -s};
    }
    const double s = std::sqrt(static_cast<double>(b));
    return {s, s};
  }
  const double m = std::sqrt(static_cast<double>(a * a + b * b));
  double t = std::sqrt(static_cast<double>(m - a));
  if (!(b >= 0))
    t = -t;
  return {static_cast<double>(b / t), t};
}

IppOpStatus ownsSqrt_64fc_Sse2(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const std::size_t n = static_cast<std::size_t>(len);
  const double *s = reinterpret_cast<const double *>(pSrc);
  double *d = reinterpret_cast<double *>(pDst);
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m128d sign =
      _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(0x8000000000000000ull)));
  const __m128d low = _mm_set1_pd(0x1p-500), high = _mm_set1_pd(0x1p500), half = _mm_set1_pd(0.5);
  const __m128d zero = _mm_setzero_pd();
  std::size_t i = 0;
  if (!partlyOverlap(pSrc, 16 * n, pDst, 16 * n)) {
    for (; i + 2 <= n; i += 2) {
      const __m128d x0 = _mm_loadu_pd(s + 2 * i), x1 = _mm_loadu_pd(s + 2 * i + 2);
      const __m128d re = _mm_unpacklo_pd(x0, x1), im = _mm_unpackhi_pd(x0, x1);
      const __m128d ar = _mm_and_pd(re, magnitude), ai = _mm_and_pd(im, magnitude);
      const __m128d fine =
          _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(ar, low), _mm_cmple_pd(ar, high)),
                     _mm_or_pd(_mm_cmpeq_pd(ai, zero),
                               _mm_and_pd(_mm_cmpge_pd(ai, low), _mm_cmple_pd(ai, high))));
      const int ok = _mm_movemask_pd(fine);
      const __m128d a = _mm_mul_pd(re, half), b = _mm_mul_pd(im, half);
      const __m128d m = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(a, a), _mm_mul_pd(b, b)));
      const __m128d t = _mm_sqrt_pd(_mm_add_pd(m, _mm_and_pd(a, magnitude)));
      // a > 0: (t, b / t). a < 0: u = t with the sign of b (-t unless b >= 0), (b / u, u).
      const __m128d positive = _mm_cmpgt_pd(a, zero);
      const __m128d bNeg = _mm_cmplt_pd(b, zero);
      const __m128d u = _mm_or_pd(t, _mm_and_pd(bNeg, sign));
      const __m128d tt = _mm_or_pd(_mm_and_pd(positive, t), _mm_andnot_pd(positive, u));
      const __m128d q = _mm_div_pd(b, tt);
      const __m128d outRe = _mm_or_pd(_mm_and_pd(positive, tt), _mm_andnot_pd(positive, q));
      const __m128d outIm = _mm_or_pd(_mm_and_pd(positive, q), _mm_andnot_pd(positive, tt));
      const Ipp64fc e0 = load(pSrc + i), e1 = load(pSrc + i + 1);
      if (ok & 1)
        _mm_storeu_pd(d + 2 * i, _mm_unpacklo_pd(outRe, outIm));
      else
        store(pDst + i, sqrtOne(e0));
      if (ok & 2)
        _mm_storeu_pd(d + 2 * i + 2, _mm_unpackhi_pd(outRe, outIm));
      else
        store(pDst + i + 1, sqrtOne(e1));
    }
  }
  for (; i < n; ++i)
    store(pDst + i, sqrtOne(load(pSrc + i)));
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsSqrt_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  return ownsSqrt_64fc_Sse2(pSrc, pDst, len);
}

IppOpStatus ippsSqrt_64fc_I(Ipp64fc *pSrcDst, int len) {
  return ownsSqrt_64fc_Sse2(pSrcDst, pSrcDst, len);
}

} // namespace sse2

} // namespace kernels::signal
