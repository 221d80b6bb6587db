// Sums, norms and moments of double vectors in double precision on two-lane registers.
// The sums keep eight partial sums (four registers) over blocks of eight elements, add
// the remaining pairs and the last element into the first register, and join the
// partial sums as (s0 + s1) + (s2 + s3) per lane, then the two lanes. The results
// differ from the generic's extended-precision sums only through rounding and order.
#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

#include <emmintrin.h>

#include <cmath>
#include <cstddef>

namespace kernels::signal {

namespace {

using detail::load;

// The sum of term(a[i], b[i]) for i < n (b is ignored by one-vector terms).
template <class Term> double sum(const double *a, const double *b, std::size_t n, Term term) {
  __m128d s0 = _mm_setzero_pd(), s1 = s0, s2 = s0, s3 = s0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    s0 = _mm_add_pd(s0, term(_mm_loadu_pd(a + i), _mm_loadu_pd(b + i)));
    s1 = _mm_add_pd(s1, term(_mm_loadu_pd(a + i + 2), _mm_loadu_pd(b + i + 2)));
    s2 = _mm_add_pd(s2, term(_mm_loadu_pd(a + i + 4), _mm_loadu_pd(b + i + 4)));
    s3 = _mm_add_pd(s3, term(_mm_loadu_pd(a + i + 6), _mm_loadu_pd(b + i + 6)));
  }
  for (; i + 2 <= n; i += 2)
    s0 = _mm_add_pd(s0, term(_mm_loadu_pd(a + i), _mm_loadu_pd(b + i)));
  if (i < n) // the last element into the low lane only
    s0 = _mm_add_sd(s0, term(_mm_set_sd(load(a + i)), _mm_set_sd(load(b + i))));
  const __m128d s = _mm_add_pd(_mm_add_pd(s0, s1), _mm_add_pd(s2, s3));
  return _mm_cvtsd_f64(_mm_add_sd(s, _mm_unpackhi_pd(s, s)));
}

// The same sum in extended precision, ascending, for the rare inputs whose double
// partial sums leave the double range (overflow, or squares below the normal range)
// while the extended sum of the generic does not.
template <class Term>
long double extendedSum(const double *a, const double *b, std::size_t n, Term term) {
  long double s = 0;
  for (std::size_t i = 0; i < n; ++i)
    s += term(static_cast<long double>(load(a + i)), static_cast<long double>(load(b + i)));
  return s;
}

const __m128d kMagnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));

IppOpStatus check2(const void *a, const void *b, const void *r, int len) {
  if (!a || !b || !r)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

std::size_t count(int len) { return static_cast<std::size_t>(len); }

} // namespace

namespace sse2 {

IppOpStatus ippsDotProd_64f(const double *pSrc1, const double *pSrc2, int len, double *pDp) {
  if (const IppOpStatus st = check2(pSrc1, pSrc2, pDp, len); st != ippStsNoErr)
    return st;
  const std::size_t n = count(len);
  double s = sum(pSrc1, pSrc2, n, [](__m128d x, __m128d y) { return _mm_mul_pd(x, y); });
  if (!std::isfinite(s))
    s = static_cast<double>(
        extendedSum(pSrc1, pSrc2, n, [](long double x, long double y) { return x * y; }));
  *pDp = s;
  return ippStsNoErr;
}

IppOpStatus ippsMean_64f(const double *pSrc, int len, double *pMean) {
  if (const IppOpStatus st = check2(pSrc, pSrc, pMean, len); st != ippStsNoErr)
    return st;
  const std::size_t n = count(len);
  const double s = sum(pSrc, pSrc, n, [](__m128d x, __m128d) { return x; });
  *pMean =
      std::isfinite(s)
          ? s / len
          : static_cast<double>(
                extendedSum(pSrc, pSrc, n, [](long double x, long double) { return x; }) / len);
  return ippStsNoErr;
}

// V = n * S2 - S1 * S1, at least 0 (a NaN V gives 0 as in the generic), over n (n - 1).
IppOpStatus ippsStdDev_64f(const double *pSrc, int len, double *pStdDev) {
  if (!pSrc || !pStdDev)
    return ippStsNullPtrErr;
  if (len < 2)
    return ippStsSizeErr;
  const std::size_t n = count(len);
  const double s1 = sum(pSrc, pSrc, n, [](__m128d x, __m128d) { return x; });
  const double s2 = sum(pSrc, pSrc, n, [](__m128d x, __m128d) { return _mm_mul_pd(x, x); });
  const double nn = len;
  const double v = nn * s2 - s1 * s1;
  if (std::isfinite(nn * s2) && std::isfinite(v) && s2 >= 0x1p-900) {
    *pStdDev = v > 0 ? std::sqrt(v / (nn * (nn - 1))) : 0.0;
    return ippStsNoErr;
  }
  const long double e1 = extendedSum(pSrc, pSrc, n, [](long double x, long double) { return x; });
  const long double e2 =
      extendedSum(pSrc, pSrc, n, [](long double x, long double) { return x * x; });
  const long double g = nn * e2 - e1 * e1;
  *pStdDev = g > 0 ? static_cast<double>(std::sqrt(g / (nn * (nn - 1)))) : 0.0;
  return ippStsNoErr;
}

IppOpStatus ippsNormDiff_L1_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  if (const IppOpStatus st = check2(pSrc1, pSrc2, pNorm, len); st != ippStsNoErr)
    return st;
  *pNorm = sum(pSrc1, pSrc2, count(len),
               [](__m128d x, __m128d y) { return _mm_and_pd(_mm_sub_pd(x, y), kMagnitude); });
  return ippStsNoErr;
}

IppOpStatus ippsNormDiff_L2_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  if (const IppOpStatus st = check2(pSrc1, pSrc2, pNorm, len); st != ippStsNoErr)
    return st;
  const std::size_t n = count(len);
  const double s = sum(pSrc1, pSrc2, n, [](__m128d x, __m128d y) {
    const __m128d d = _mm_sub_pd(x, y);
    return _mm_mul_pd(d, d);
  });
  if (std::isfinite(s) && !(s < 0x1p-900)) {
    *pNorm = _mm_cvtsd_f64(_mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(s)));
    return ippStsNoErr;
  }
  *pNorm = static_cast<double>(std::sqrt(extendedSum(
      pSrc1, pSrc2, n, [](long double x, long double y) { return (x - y) * (x - y); })));
  return ippStsNoErr;
}

// The largest |pSrc1[i] - pSrc2[i]| by the generic's rule: the first difference stands
// until a strictly larger one comes, so a NaN first difference is the result and later
// NaN differences are passed over.
IppOpStatus ippsNormDiff_Inf_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  if (const IppOpStatus st = check2(pSrc1, pSrc2, pNorm, len); st != ippStsNoErr)
    return st;
  const std::size_t n = count(len);
  const auto diff = [](__m128d x, __m128d y) { return _mm_and_pd(_mm_sub_pd(x, y), kMagnitude); };
  const auto keep = [](__m128d best, __m128d d) {
    const __m128d m = _mm_cmpgt_pd(d, best);
    return _mm_or_pd(_mm_and_pd(m, d), _mm_andnot_pd(m, best));
  };
  const double first = _mm_cvtsd_f64(diff(_mm_set_sd(load(pSrc1)), _mm_set_sd(load(pSrc2))));
  __m128d a = _mm_set1_pd(first), b = a;
  if (!std::isnan(first)) {
    std::size_t i = 1;
    for (; i + 4 <= n; i += 4) {
      a = keep(a, diff(_mm_loadu_pd(pSrc1 + i), _mm_loadu_pd(pSrc2 + i)));
      b = keep(b, diff(_mm_loadu_pd(pSrc1 + i + 2), _mm_loadu_pd(pSrc2 + i + 2)));
    }
    for (; i < n; ++i)
      a = keep(a, _mm_set1_pd(_mm_cvtsd_f64(
                      diff(_mm_set_sd(load(pSrc1 + i)), _mm_set_sd(load(pSrc2 + i))))));
    a = keep(a, b);
    a = keep(a, _mm_unpackhi_pd(a, a));
  }
  *pNorm = _mm_cvtsd_f64(a);
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::signal
