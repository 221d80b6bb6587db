// (x - vSub) * r with r = 1 / vDiv rounded to double, two doubles per register: the
// double evaluation of the generic's formula, which keeps r and the difference in
// extended precision (within 2 ulp of it). An element whose double difference or product
// leaves the range while the source is finite is computed as the generic computes it, so
// (1e308 - -1e308) / 4 is 5e307 here too.
#include <cfloat>
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::store;

// Normalizes n doubles whose subtrahend alternates as sub (lane 0, lane 1).
IppOpStatus ownsNormalize_64f_Sse2(const double *src, double *dst, std::size_t n, __m128d sub,
                                   double vDiv) {
  const double r = 1.0 / vDiv;
  const long double rx = 1.0L / vDiv;
  const __m128d rv = _mm_set1_pd(r);
  const __m128d inf = _mm_set1_pd(INFINITY),
                magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  double subs[2];
  _mm_storeu_pd(subs, sub);
  const auto exact = [&](std::size_t i) {
    return static_cast<double>((load(src + i) - static_cast<long double>(subs[i % 2])) * rx);
  };
  std::size_t i = 0;
  if (!partlyOverlap(src, 8 * n, dst, 8 * n)) {
    for (; i + 2 <= n; i += 2) {
      const __m128d x = _mm_loadu_pd(src + i);
      const __m128d y = _mm_mul_pd(_mm_sub_pd(x, sub), rv);
      // Lanes with an infinite result from a finite source left the range on the way.
      const int redo = _mm_movemask_pd(_mm_and_pd(_mm_cmpeq_pd(_mm_and_pd(y, magnitude), inf),
                                                  _mm_cmplt_pd(_mm_and_pd(x, magnitude), inf)));
      if (redo == 0) {
        _mm_storeu_pd(dst + i, y);
        continue;
      }
      double out[2];
      _mm_storeu_pd(out, y);
      for (int k = 0; k < 2; ++k)
        store(dst + i + k, (redo >> k) & 1 ? exact(i + k) : out[k]);
    }
  }
  for (; i < n; ++i) {
    const double x = load(src + i);
    const double y = (x - subs[i % 2]) * r;
    store(dst + i, std::isinf(y) && std::isfinite(x) ? exact(i) : y);
  }
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsNormalize_64f(const double *pSrc, double *pDst, int len, double vSub, double vDiv) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (!(std::fabs(vDiv) >= DBL_MIN))
    return ippStsDivByZeroErr; // NaN too
  return ownsNormalize_64f_Sse2(pSrc, pDst, static_cast<std::size_t>(len), _mm_set1_pd(vSub), vDiv);
}

IppOpStatus ippsNormalize_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, Ipp64fc vSub,
                               double vDiv) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (!(std::fabs(vDiv) >= DBL_MIN))
    return ippStsDivByZeroErr;
  return ownsNormalize_64f_Sse2(reinterpret_cast<const double *>(pSrc),
                                reinterpret_cast<double *>(pDst), 2 * static_cast<std::size_t>(len),
                                _mm_set_pd(vSub.im, vSub.re), vDiv);
}

} // namespace sse2

} // namespace kernels::signal
