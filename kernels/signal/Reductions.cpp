// Sums, norms and moments of double vectors in double precision on two-lane registers.
// The sums keep eight partial sums (four registers) over blocks of eight elements, add
// the remaining pairs and the last element into the first register, and join the
// partial sums as (s0 + s1) + (s2 + s3) per lane, then the two lanes. The results
// differ from the generic's extended-precision sums only through rounding and order.
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

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

// The named sums; each falls back to the extended sum where the double one leaves the range.
double ownsDotProd_64f_Sse2(const double *pSrc1, const double *pSrc2, std::size_t n) {
  const double s = sum(pSrc1, pSrc2, n, [](__m128d x, __m128d y) { return _mm_mul_pd(x, y); });
  if (std::isfinite(s))
    return s;
  return static_cast<double>(
      extendedSum(pSrc1, pSrc2, n, [](long double x, long double y) { return x * y; }));
}

double ownsSum_64f_Sse2(const double *pSrc, std::size_t n) {
  return sum(pSrc, pSrc, n, [](__m128d x, __m128d) { return x; });
}

double ownsMean_64f_Sse2(const double *pSrc, std::size_t n) {
  const double s = ownsSum_64f_Sse2(pSrc, n);
  const double len = static_cast<double>(n);
  if (std::isfinite(s))
    return s / len;
  return static_cast<double>(
      extendedSum(pSrc, pSrc, n, [](long double x, long double) { return x; }) / len);
}

// V = n * S2 - S1 * S1, at least 0 (a NaN V gives 0 as in the generic), over n (n - 1).
double ownsStdDev_64f_Sse2(const double *pSrc, std::size_t n) {
  const double s1 = ownsSum_64f_Sse2(pSrc, n);
  const double s2 = sum(pSrc, pSrc, n, [](__m128d x, __m128d) { return _mm_mul_pd(x, x); });
  const double nn = static_cast<double>(n);
  const double v = nn * s2 - s1 * s1;
  if (std::isfinite(nn * s2) && std::isfinite(v) && s2 >= 0x1p-900)
    return v > 0 ? std::sqrt(v / (nn * (nn - 1))) : 0.0;
  const long double e1 = extendedSum(pSrc, pSrc, n, [](long double x, long double) { return x; });
  const long double e2 =
      extendedSum(pSrc, pSrc, n, [](long double x, long double) { return x * x; });
  const long double g = nn * e2 - e1 * e1;
  return g > 0 ? static_cast<double>(std::sqrt(g / (nn * (nn - 1)))) : 0.0;
}

double ownsNormDiff_L1_64f_Sse2(const double *pSrc1, const double *pSrc2, std::size_t n) {
  return sum(pSrc1, pSrc2, n,
             [](__m128d x, __m128d y) { return _mm_and_pd(_mm_sub_pd(x, y), kMagnitude); });
}

double ownsNormDiff_L2_64f_Sse2(const double *pSrc1, const double *pSrc2, std::size_t n) {
  const double s = sum(pSrc1, pSrc2, n, [](__m128d x, __m128d y) {
    const __m128d d = _mm_sub_pd(x, y);
    return _mm_mul_pd(d, d);
  });
  if (std::isfinite(s) && !(s < 0x1p-900))
    return _mm_cvtsd_f64(_mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(s)));
  return static_cast<double>(std::sqrt(extendedSum(
      pSrc1, pSrc2, n, [](long double x, long double y) { return (x - y) * (x - y); })));
}

// The largest |pSrc1[i] - pSrc2[i]| by the generic's rule: the first difference stands
// until a strictly larger one comes, so a NaN first difference is the result and later
// NaN differences are passed over.
double ownsNormDiff_Inf_64f_Sse2(const double *pSrc1, const double *pSrc2, std::size_t n) {
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
  return _mm_cvtsd_f64(a);
}

// Entries of two vectors: tests, then the routine's value stored.
template <double (*Routine)(const double *, const double *, std::size_t)>
IppOpStatus reduce2(const double *pSrc1, const double *pSrc2, int len, double *pResult) {
  if (const IppOpStatus st = check2(pSrc1, pSrc2, pResult, len); st != ippStsNoErr)
    return st;
  *pResult = Routine(pSrc1, pSrc2, count(len));
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsDotProd_64f(const double *pSrc1, const double *pSrc2, int len, double *pDp) {
  return reduce2<ownsDotProd_64f_Sse2>(pSrc1, pSrc2, len, pDp);
}

IppOpStatus ippsMean_64f(const double *pSrc, int len, double *pMean) {
  return detail::reduceOne<ownsMean_64f_Sse2, 1>(pSrc, len, pMean);
}

IppOpStatus ippsStdDev_64f(const double *pSrc, int len, double *pStdDev) {
  return detail::reduceOne<ownsStdDev_64f_Sse2, 2>(pSrc, len, pStdDev);
}

IppOpStatus ippsNormDiff_L1_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  return reduce2<ownsNormDiff_L1_64f_Sse2>(pSrc1, pSrc2, len, pNorm);
}

IppOpStatus ippsNormDiff_L2_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  return reduce2<ownsNormDiff_L2_64f_Sse2>(pSrc1, pSrc2, len, pNorm);
}

IppOpStatus ippsNormDiff_Inf_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  return reduce2<ownsNormDiff_Inf_64f_Sse2>(pSrc1, pSrc2, len, pNorm);
}

} // namespace sse2

} // namespace kernels::signal
